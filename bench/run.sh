#!/usr/bin/env bash
# Times pedlik against FASTLINK (unknown, then mlink) on the bench datasets,
# checks that every block's ln-likelihood agrees to 1e-5, and prints a table
# with the median and worst time ratio. Cases with more loci than FASTLINK
# takes, or with a loop, are pedlik's alone. Then the rate of the sum-out
# kernel (pedlik_bench_kernel) against one core's scalar peak.
# Usage: bench/run.sh BUILD_FOLDER   (make bench builds it and calls this)
# BENCH_RUNS sets the number of runs per program and case (default 3),
# BENCH_SECONDS the limit of one run (default 300), BENCH_MEMORY_KIB the
# address space of one run (default 8 GiB); a run past them is reported as
# failed. BENCH_THREADS, when set, is passed to pedlik as --threads (its
# default: one thread per core); the wall time column shows what they gain.
# Exit status 1 when a block disagrees or a program fails.
set -eu

build=$(cd "${1:?usage: bench/run.sh BUILD_FOLDER}" && pwd)
runs=${BENCH_RUNS:-3}
limits="${BENCH_SECONDS:-300} ${BENCH_MEMORY_KIB:-8388608}"
threads=${BENCH_THREADS:+--threads $BENCH_THREADS}
tolerance=1e-5
command -v unknown >/dev/null && command -v mlink >/dev/null || {
  echo "FASTLINK (unknown, mlink) is not installed: make oracle-deps" >&2
  exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/pedlik_bench_datasets" "$work"

# One line per block of pedlik's report: its LN(LIKE), or "zero".
pedlikBlocks() {
  awk '/^VARIED THETA/ { block = 1 }
       block && /^LN\(LIKE\)/ { print $3; block = 0 }
       block && /^The likelihood is 0.0/ { print "zero"; block = 0 }' "$1"
}

# One line per THETAS block of mlink's report: its TOTALS ln-likelihood.
fastlinkBlocks() { awk '$1 == "TOTALS" { print $2 }' "$1"; }

# "yes" when both lists have the same length and agree line by line.
agreement() {
  paste -d' ' <(pedlikBlocks "$1") <(fastlinkBlocks "$2") | awk -v tol="$tolerance" '
    { n++; if (NF != 2 || $1 == "zero") bad++; else { d = $1 - $2; if (d < 0) d = -d; if (d > tol) bad++ } }
    END { print (n > 0 && bad == 0) ? "yes" : "NO" }'
}

mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

format="%-12s %7s %4s %-40s %8s %10s %13s %11s %9s %10s %12s  %s\n"
printf "Processor time (user + system) and pedlik's wall time, median of %d runs; peak resident memory of the largest run.\n" "$runs"
printf "$format" case persons loci "marker alleles" unknown "pedlik s" "pedlik wall s" "FASTLINK s" ratio "pedlik MiB" "FASTLINK MiB" agree
failed=0
ratios=()
while IFS=$'\t' read -r name persons loci alleles unknownPercent fastlinkTakes; do
  folder="$work/$name"
  line() { printf "$format" "$name" "$persons" "$loci" "$alleles" "$unknownPercent%" "$@"; }
  read -r pedlikSeconds pedlikKib pedlikWall < <("$build/pedlik_bench_timer" "$runs" "$folder" $limits "$build/pedlik" $threads) || {
    failed=1
    line failed - - - - - "$(tail -n 1 "$folder/stderr.txt" 2>/dev/null)"
    continue
  }
  if [ "$fastlinkTakes" != 1 ]; then
    line "$pedlikSeconds" "$pedlikWall" "n/a" - "$(mib "$pedlikKib")" - "pedlik alone (over 5 loci or a loop)"
    continue
  fi
  read -r fastlinkSeconds fastlinkKib _ < <("$build/pedlik_bench_timer" "$runs" "$folder/linkage" \
    $limits sh -c 'rm -f outfile.dat && unknown && mlink') || {
    failed=1
    line "$pedlikSeconds" "$pedlikWall" failed - "$(mib "$pedlikKib")" - -
    continue
  }
  agree=$(agreement "$folder/stdout.txt" "$folder/linkage/outfile.dat")
  [ "$agree" = yes ] || failed=1
  # FASTLINK runs on one core, pedlik on all it is given: the ratio is of
  # the times a user waits.
  ratio=$(awk -v f="$fastlinkSeconds" -v p="$pedlikWall" 'BEGIN { printf "%.1f", (p > 0 ? f / p : 0) }')
  ratios+=("$ratio")
  line "$pedlikSeconds" "$pedlikWall" "$fastlinkSeconds" "$ratio" "$(mib "$pedlikKib")" "$(mib "$fastlinkKib")" "$agree"
done <"$work/cases.tsv"

if [ ${#ratios[@]} -gt 0 ]; then
  printf "%s\n" "${ratios[@]}" | sort -g | awk '{ r[NR] = $1 }
    END { m = NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2
          printf "FASTLINK processor time / pedlik wall time over %d cases: median %.1f, worst %.2f\n", NR, m, r[1] }'
fi
echo
"$build/pedlik_bench_kernel"
[ "$failed" = 0 ] || { echo "Some case failed or disagreed with FASTLINK." >&2; exit 1; }
