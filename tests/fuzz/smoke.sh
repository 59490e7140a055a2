#!/usr/bin/env bash
# A short fuzzing run of each reader, seeded with the bundled examples. Usage: smoke.sh BUILD_DIR SECONDS
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
for pair in locus_reader:datafile pedigree_reader:pedfile; do
  reader=${pair%%:*}
  corpus="$top/tests/fuzz/corpus-$reader"
  mkdir -p "$corpus"
  cp "$top"/examples/"${pair#*:}"*.dat "$corpus"/
  echo "Fuzzing the $reader for $2 s"
  log="$top/$1/fuzz_$reader.log"
  "$top/$1/fuzz_$reader" -max_total_time="$2" -timeout=5 -rss_limit_mb=2048 -max_len=4096 "$corpus" \
    2>"$log" || { tail -n 60 "$log"; exit 1; }
  grep -E '^Done|#[0-9]+.*DONE' "$log" | tail -n 1 || true
done
