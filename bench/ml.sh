#!/usr/bin/env bash
# Times pedlik --ml (EM to the maximum likelihood) on the bench datasets and,
# where FASTLINK takes the case, ilink (direct maximisation, the same files
# with every fraction estimated): passes over all pedigrees of both starts,
# processor time of the mode and per pass, wall time of pedlik's whole run
# (as make bench compares it: what a user waits), the ln likelihood reached
# by each. A case whose bucket trees do not fit in memory is reported failed.
# Usage: bench/ml.sh BUILD_FOLDER   (make bench-ml builds it and calls this)
# BENCH_SECONDS sets the limit of one run (default 300), BENCH_MEMORY_KIB
# the address space of one run (default 8 GiB); BENCH_ML_CASES, a
# space-separated list of case names, the cases run (default all).
set -eu

build=$(cd "${1:?usage: bench/ml.sh BUILD_FOLDER}" && pwd)
limits="ulimit -v ${BENCH_MEMORY_KIB:-8388608}; exec timeout ${BENCH_SECONDS:-300}"
haveIlink=0
command -v unknown >/dev/null && command -v ilink >/dev/null && haveIlink=1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/pedlik_bench_datasets" "$work"

# The locus file with program code 4; for ilink, without the varied line and
# with every fraction marked for estimation.
withCode4() { awk 'NR == 1 { $4 = 4 } { print }' "$1"; }
forIlink() {
  withCode4 "$1" | sed '$d'
  printf '0\n'
  awk -v n="$2" 'BEGIN { for (i = 1; i < n; i++) printf (i > 1 ? " 1" : "1"); print "" }'
}
# Runs a command; cpu is the processor seconds it took; its status is kept.
cpuSeconds() {
  local start end
  start=$(awk '{ print $14 + $15 + $16 + $17 }' /proc/$$/stat)
  "$@" && status=0 || status=$?
  end=$(awk '{ print $14 + $15 + $16 + $17 }' /proc/$$/stat)
  cpu=$(awk -v a="$start" -v b="$end" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f", (b - a) / hz }')
  return $status
}

format="%-12s %7s %4s %7s %9s %9s %9s %13s %9s %13s  %s\n"
printf "pedlik --ml against ilink: passes over all pedigrees (both starts), processor seconds of pedlik's mode, wall\n"
printf "seconds of its whole run (what a user waits; ilink runs on one core), ln likelihood reached.\n"
printf "$format" case persons loci passes "pedlik s" "s/pass" "wall s" "pedlik lnL" "ilink s" "ilink lnL" note
while IFS=$'\t' read -r name persons loci _ _ fastlinkTakes; do
  case " ${BENCH_ML_CASES:-$name} " in *" $name "*) ;; *) continue ;; esac
  folder="$work/$name"
  withCode4 "$folder/datafile3.dat" >"$folder/ml.dat"
  started=$(date +%s%N)
  if ! (cd "$folder" && sh -c "$limits $build/pedlik --ml ml.dat pedfile3.dat" >stdout.txt 2>stderr.txt); then
    printf "$format" "$name" "$persons" "$loci" - failed - - - - - "$(tail -n 1 "$folder/stderr.txt" 2>/dev/null)"
    continue
  fi
  wall=$(awk -v a="$started" -v b="$(date +%s%N)" 'BEGIN { printf "%.2f", (b - a) / 1e9 }')
  passes=$(sed -n 's/^ML ESTIMATES AFTER \([0-9]*\) ITERATIONS.*/\1/p' "$folder/stdout.txt")
  lnl=$(sed -n 's/^LN(LIKE) AT ESTIMATES = //p' "$folder/stdout.txt")
  # The mode's own processor time; one more pass evaluates every fraction at 0.5.
  seconds=$(sed -n 's/^The time needed for calculating the likelihood of the pedigree is \([0-9.]*\) sec\./\1/p' "$folder/stdout.txt")
  perPass=$(awk -v s="$seconds" -v n="$passes" 'BEGIN { printf "%.3f", s / (n + 1) }')
  ilinkSeconds=n/a ilinkLnl=- note=
  if [ "$fastlinkTakes" = 1 ] && [ "$haveIlink" = 1 ]; then
    mkdir -p "$folder/ilink"
    forIlink "$folder/linkage/datafile.dat" "$loci" >"$folder/ilink/datafile.dat"
    cp "$folder/linkage/pedfile.dat" "$folder/ilink/"
    if cpuSeconds sh -c "cd '$folder/ilink' && $limits sh -c 'unknown && ilink' >log 2>&1"; then
      ilinkSeconds=$cpu
      ilinkLnl=$(awk '/^-2 LN\(LIKE\) =/ { printf "%.6f", -$4 / 2 }' "$folder/ilink/final.dat")
      note="ilink THETAS $(awk '/^THETAS:/ { getline; print; exit }' "$folder/ilink/final.dat" | xargs)"
    else
      ilinkSeconds=failed
    fi
  fi
  printf "$format" "$name" "$persons" "$loci" "$passes" "$seconds" "$perPass" "$wall" "$lnl" "$ilinkSeconds" "$ilinkLnl" "$note"
  grep '^ML ESTIMATES\|^NOT INFORMATIVE\|^LOCAL MAXIMA' "$folder/stdout.txt" | sed 's/^/    /'
done <"$work/cases.tsv"
