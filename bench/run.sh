#!/usr/bin/env bash
# Times pedlik against FASTLINK (unknown, then mlink) on the bench datasets,
# checks that every block's ln-likelihood agrees to 1e-5, and prints a table.
# Usage: bench/run.sh BUILD_FOLDER   (make bench builds it and calls this)
# BENCH_RUNS sets the number of runs per program and case (default 5).
# Exit status 1 when a block disagrees or a program fails.
set -eu

build=$(cd "${1:?usage: bench/run.sh BUILD_FOLDER}" && pwd)
runs=${BENCH_RUNS:-5}
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

format="%-12s %7s %4s %-20s %10s %11s %9s %10s %12s  %s\n"
printf "Processor time (user + system), median of %d runs; peak resident memory of the largest run.\n" "$runs"
printf "$format" case persons loci "marker alleles" "pedlik s" "FASTLINK s" ratio "pedlik MiB" "FASTLINK MiB" agree
failed=0
ratios=()
while IFS=$'\t' read -r name persons loci alleles fastlinkTakes; do
  folder="$work/$name"
  read -r pedlikSeconds pedlikKib < <("$build/pedlik_bench_timer" "$runs" "$folder" "$build/pedlik") || {
    failed=1
    printf "$format" "$name" "$persons" "$loci" "$alleles" failed - - - - -
    continue
  }
  if [ "$fastlinkTakes" != 1 ]; then
    printf "$format" "$name" "$persons" "$loci" "$alleles" "$pedlikSeconds" "n/a" - "$(mib "$pedlikKib")" - \
      "FASTLINK takes at most 6 loci"
    continue
  fi
  read -r fastlinkSeconds fastlinkKib < <("$build/pedlik_bench_timer" "$runs" "$folder/linkage" \
    sh -c 'rm -f outfile.dat && unknown && mlink') || {
    failed=1
    printf "$format" "$name" "$persons" "$loci" "$alleles" "$pedlikSeconds" failed - "$(mib "$pedlikKib")" - -
    continue
  }
  agree=$(agreement "$folder/stdout.txt" "$folder/linkage/outfile.dat")
  [ "$agree" = yes ] || failed=1
  ratio=$(awk -v f="$fastlinkSeconds" -v p="$pedlikSeconds" 'BEGIN { printf "%.1f", (p > 0 ? f / p : 0) }')
  ratios+=("$ratio")
  printf "$format" "$name" "$persons" "$loci" "$alleles" "$pedlikSeconds" "$fastlinkSeconds" "$ratio" \
    "$(mib "$pedlikKib")" "$(mib "$fastlinkKib")" "$agree"
done <"$work/cases.tsv"

if [ ${#ratios[@]} -gt 0 ]; then
  printf "%s\n" "${ratios[@]}" | sort -g | awk '{ r[NR] = $1 }
    END { m = NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2
          printf "Median ratio (FASTLINK time / pedlik time) over %d cases: %.1f\n", NR, m }'
fi
[ "$failed" = 0 ] || { echo "Some case failed or disagreed with FASTLINK." >&2; exit 1; }
