#!/usr/bin/env bash
# A short fuzzing run of each reader, seeded with the bundled examples.
# Usage: smoke.sh BUILD_DIR SECONDS
set -euo pipefail
build=$1
seconds=$2
top=$(cd "$(dirname "$0")/../.." && pwd)
for reader in locus_reader pedigree_reader; do
  corpus="$top/tests/fuzz/corpus-$reader"
  mkdir -p "$corpus"
  if [ "$reader" = locus_reader ]; then
    cp "$top"/examples/datafile*.dat "$corpus"/
  else
    cp "$top"/examples/pedfile*.dat "$corpus"/
  fi
  echo "Fuzzing the $reader for $seconds s"
  "$top/$build/fuzz_$reader" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
    -max_len=4096 "$corpus" 2>"$top/$build/fuzz_$reader.log" || {
      tail -n 60 "$top/$build/fuzz_$reader.log"; exit 1; }
  grep -E '^Done|#[0-9]+.*DONE' "$top/$build/fuzz_$reader.log" | tail -n 1 || true
done
