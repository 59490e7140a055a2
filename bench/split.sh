#!/usr/bin/env bash
# A split run's gain on a single-node Slurm cluster started here: the wall
# time of scripts/pedlik-slurm with 1 part doing everything and with 2 parts
# (every part on one thread, so that the gain is the cluster's, not the
# threads'), from submission until the merge job has completed, and their
# ratio; then, for N = 2, 8 and 64 parts, the largest part's share of the
# units' total processor time, which the part files record unit by unit,
# and what a part spends in each phase. Every merged report is checked
# against a single run's.
# Usage: bench/split.sh BUILD_FOLDER   (make bench-split builds it and calls
# this; root, since the cluster's daemons need it). BENCH_RUNS sets the
# runs of each split timed (default 3, the median shown); BENCH_SPLIT_CASE
# the bench case (default p30-m4, the most conditioning of those FASTLINK
# also takes). The cluster's slurm.conf is scripts/slurm-cluster.sh's.
set -euo pipefail
build=$(cd "${1:?usage: bench/split.sh BUILD_FOLDER}" && pwd)
source=$(cd "$(dirname "$0")/.." && pwd)
runs=${BENCH_RUNS:-3}
case=${BENCH_SPLIT_CASE:-p30-m4}
[ "$(id -u)" -eq 0 ] || { echo "bench/split.sh: the Slurm daemons need root" >&2; exit 1; }

work=$(mktemp -d /tmp/pedlik-bench-split-XXXXXX)
chmod 755 "$work"
. "$source/scripts/slurm-cluster.sh"
trap 'slurm_cluster_stop; rm -rf "$work"' EXIT
slurm_cluster_start "$work" || { slurm_cluster_logs >&2; exit 1; }
"$build/pedlik_bench_datasets" "$work/data" >/dev/null
data=$work/data/$case
[ -d "$data" ] || { echo "bench/split.sh: no bench case $case" >&2; exit 1; }

# The report's result lines, which a merge prints as the run does.
results() { grep -E '^(VARIED|LN\(|LOG\(|-2 LN|likelihood  =|LOD_SCORE|The likelihood is)' "$1"; }
(cd "$work" && "$build/pedlik" --threads 1 "$data/datafile3.dat" "$data/pedfile3.dat" >single.txt)

# Splits the case into N parts in folder DIR; prints the seconds from
# submission until the merge has completed.
split() {
  local parts=$1 dir=$2 started merge
  started=$(date +%s.%N)
  merge=$(PEDLIK=$build/pedlik PEDLIK_SPLIT_DIR=$dir "$source/scripts/pedlik-slurm" "$parts" \
    "$data/datafile3.dat" "$data/pedfile3.dat" | sed -n 's/^merge: job \([0-9]*\),.*/\1/p')
  slurm_job_completed "$merge" 900 || exit 1
  echo "$(date +%s.%N) - $started" | bc
  [ "$(results "$dir/report.txt")" = "$(results "$work/single.txt")" ] || {
    echo "bench/split.sh: the merged report of $parts parts differs from the single run's" >&2
    exit 1
  }
}
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The two splits alternate, so that a slower spell of the machine falls on both.
for run in $(seq "$runs"); do
  split 1 "$work/one-$run" >>"$work/one.times"
  split 2 "$work/two-$run" >>"$work/two.times"
done
one=$(median <"$work/one.times") two=$(median <"$work/two.times")
echo "case $case, median of $runs runs, wall seconds from submission to the merge's end (every part --threads 1)"
printf "1 part:  %6.2f s   (runs: %s)\n" "$one" "$(paste -sd' ' "$work/one.times")"
printf "2 parts: %6.2f s   (runs: %s)\n" "$two" "$(paste -sd' ' "$work/two.times")"
printf "ratio:   %6.3f\n" "$(echo "$two / $one" | bc -l)"
# Other work on the machine slows 2 parts more than 1: they need both cores.
# The processor seconds the part files record do not depend on it.
busiest() {
  awk '$1 == "setup" { total[FILENAME] += $2 } $1 == "group" { total[FILENAME] += $6 } $1 == "unit" { total[FILENAME] += $6 }
       END { for (f in total) if (total[f] > largest) largest = total[f]; print largest }' "$@"
}
medianBusiest() { for run in $(seq "$runs"); do busiest "$work/$1-$run"/part-*.txt; done | median; }
oneCpu=$(medianBusiest one) twoCpu=$(medianBusiest two)
printf "processor seconds of the busiest part (median): 1 part %.2f s, 2 parts %.2f s, ratio %.3f; load average %s\n" \
  "$oneCpu" "$twoCpu" "$(echo "$twoCpu / $oneCpu" | bc -l)" "$(cut -d' ' -f1-3 /proc/loadavg)"

# Processor seconds by phase, from the part files: setup (the products at
# 0.5 and the order search, which every part repeats), the first steps of
# each (value, pedigree) the part has units of, up to its top-level
# conditioning, and the units themselves.
phases() {
  awk 'function show() { printf "  %s: setup %.2f s, first steps %.2f s (%d values), units %.2f s (%d units)\n",
                           name, setup, first, groups, units, count; first = units = groups = count = 0 }
       FNR == 1 && NR > 1 { show() }
       { name = FILENAME }
       $1 == "setup" { setup = $2 }
       $1 == "group" { first += $6; groups++ }
       $1 == "unit" { units += $6; count++ }
       END { show() }' "$@"
}
echo "processor seconds of each part of a 2-part split, by phase:"
phases "$work"/two-1/part-*-of-2.txt | sed "s|$work/two-1/||"
echo "single run as 1 part:"
phases "$work"/one-1/part-1-of-1.txt | sed "s|$work/one-1/||"

# The largest part's share of the units' total processor time.
share() {
  awk '$1 == "unit" { total[FILENAME] += $6; all += $6 }
       END { for (f in total) if (total[f] > largest) largest = total[f]
             printf "%5.1f %% of %.2f s\n", 100 * largest / all, all }' "$@"
}
echo "largest part's share of the units' total time:"
ln -s "$work/two-1" "$work/split-2"
for parts in 2 8 64; do
  [ -d "$work/split-$parts" ] || split "$parts" "$work/split-$parts" >/dev/null
  printf "N = %2d: %s\n" "$parts" "$(share "$work/split-$parts"/part-*-of-"$parts".txt)"
done
