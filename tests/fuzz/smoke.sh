#!/usr/bin/env bash
# A fuzzing run of each harness, seeded with the bundled examples (the whole run's as a locus file, a NUL and a
# pedigree file) and tests/fuzz/seeds-*. Usage: smoke.sh BUILD_DIR SECONDS [TIMEOUT_SECONDS]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
for harness in locus_reader pedigree_reader whole_run; do
  corpus="$top/tests/fuzz/corpus-$harness"
  mkdir -p "$corpus"
  case $harness in
    locus_reader) cp "$top"/examples/datafile*.dat "$corpus"/ ;;
    pedigree_reader) cp "$top"/examples/pedfile*.dat "$corpus"/ ;;
    whole_run)
      for locus in "$top"/examples/datafile*.dat; do
        name=$(basename "$locus"); name=${name#datafile}
        { cat "$locus"; printf '\0'; cat "$top/examples/pedfile$name"; } >"$corpus/example$name"
      done
      cp "$top"/tests/fuzz/seeds-whole_run/* "$corpus"/ ;;
  esac
  echo "Fuzzing the $harness for $2 s"
  log="$top/$1/fuzz_$harness.log"
  "$top/$1/fuzz_$harness" -max_total_time="$2" -timeout="${3:-5}" -rss_limit_mb=2048 -max_len=4096 "$corpus" \
    2>"$log" || { tail -n 60 "$log"; exit 1; }
  grep -E '^Done|#[0-9]+.*DONE' "$log" | tail -n 1 || true
done
