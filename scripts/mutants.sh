#!/usr/bin/env bash
# Mutation testing: applies each mutant of scripts/mutants.txt to a copy of
# the tree, rebuilds, runs the GoogleTest programs and counts the mutants
# the suite kills.
#
#   scripts/mutants.sh [--only ID...] [--jobs N] [--results FILE] [--list FILE]
#
# The copy and its Release build (without -Werror: mutants may warn) live in
# $MUTANTS_DIR (default /tmp/pedlik-mutants-$UID); a second run reuses the
# build. The developer's tree and build folders are only read.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/.." && pwd)
tool="$here/mutants_tool.py"
list="$here/mutants.txt"
jobs=2
only=()
results=""
scratch=${MUTANTS_DIR:-/tmp/pedlik-mutants-$(id -u)}

while [[ $# -gt 0 ]]; do
    case "$1" in
        --only)
            shift
            while [[ $# -gt 0 && "$1" != --* ]]; do only+=("$1"); shift; done
            ;;
        --jobs) jobs=$2; shift 2 ;;
        --results) results=$2; shift 2 ;;
        --list) list=$2; shift 2 ;;
        -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
        *) echo "mutants.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done
list=$(cd "$(dirname "$list")" && pwd)/$(basename "$list")
mkdir -p "$scratch"
scratch=$(cd "$scratch" && pwd)
case "$scratch" in
    "$repo"|"$repo"/*) echo "mutants.sh: MUTANTS_DIR must lie outside the tree" >&2; exit 2 ;;
esac
[[ -n "$results" ]] || results="$scratch/mutants-results.txt"
tree="$scratch/tree"
build="$scratch/build"
work="$scratch/work"
mkdir -p "$work"

mapfile -t ids < <(python3 "$tool" ids "$list" "${only[@]}")
[[ ${#ids[@]} -gt 0 ]] || { echo "mutants.sh: no mutants to run" >&2; exit 2; }

# The copy: everything but git data and build folders. Files keep their
# times, so an unchanged file is not rebuilt by a second run; the copy of a
# file that differs from the tree is replaced, and so rebuilt.
echo "Copying the tree to $tree"
mkdir -p "$tree"
(cd "$repo" && tar --exclude=./.git --exclude='./build*' -cf - .) | (cd "$tree" && tar -xf - --overwrite)
# Files gone from the tree go from the copy too (the build globs src/ and
# tests/).
(cd "$tree" && find . -path ./.git -prune -o -type f -print) | while read -r f; do
    [[ -e "$repo/$f" ]] || rm -f "$tree/$f"
done
# A run stopped between a mutant's build and the next one left objects of a
# mutant newer than the file's restored (older) time: force those files.
if [[ -f "$work/dirty" ]]; then
    sort -u "$work/dirty" | while read -r f; do [[ -f "$f" ]] && touch "$f"; done
fi

echo "Configuring and building in $build"
cmake -S "$tree" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPEDLIK_WERROR=OFF >"$work/configure.log" 2>&1 \
    || { cat "$work/configure.log"; exit 1; }
cmake --build "$build" -j "$jobs" >"$work/build.log" 2>&1 || { tail -50 "$work/build.log"; exit 1; }

python3 "$tool" discover "$build" >"$work/programs.tsv"
[[ -s "$work/programs.tsv" ]] || { echo "mutants.sh: the build has no GoogleTest programs" >&2; exit 1; }
echo "Test programs: $(cut -f1 "$work/programs.tsv" | xargs -n1 basename | tr '\n' ' ')"

echo "Clean run of the suite"
clean_start=$(date +%s)
if ! python3 "$tool" run "$work/programs.tsv" "$jobs" "$work/clean-times.tsv" >"$work/clean.out"; then
    echo "mutants.sh: the suite fails without any mutant: $(cat "$work/clean.out")" >&2
    exit 1
fi
echo "Clean run: $(( $(date +%s) - clean_start )) s"
# About five times the clean run, and never below half a minute.
awk -F'\t' '{ t = $2 * 5 + 10; if (t < 30) t = 30; printf "%s\t%.1f\n", $1, t }' \
    "$work/clean-times.tsv" >"$work/timeouts.tsv"

# The file under mutation and its saved original; restored on any exit.
current_file=""
backup="$work/original"
restore() {
    if [[ -n "$current_file" ]]; then
        # cat, not cp -p: the restored file must look newer than the
        # mutant's objects, so that the next build recompiles it.
        cat "$backup" >"$current_file"
        current_file=""
    fi
}
trap restore EXIT
trap 'restore; exit 130' INT TERM

: >"$results"
report() { echo "$*" | tee -a "$results"; }

declare -A total killed stale nocompile
all_start=$(date +%s)
count=0
for id in "${ids[@]}"; do
    IFS=$'\t' read -r file desc < <(python3 "$tool" show "$list" "$id")
    folder=$(echo "$file" | cut -d/ -f2)
    start=$(date +%s)
    target="$tree/$file"
    if [[ ! -f "$target" ]]; then
        report "STALE $id $desc [no file $file]"
        stale[$folder]=$(( ${stale[$folder]:-0} + 1 ))
        continue
    fi
    cp "$target" "$backup"
    echo "$target" >>"$work/dirty"
    current_file="$target"
    status=0
    python3 "$tool" apply "$list" "$id" "$tree" || status=$?
    if [[ $status -ne 0 ]]; then
        restore
        report "STALE $id $desc [snippet not found exactly once in $file]"
        stale[$folder]=$(( ${stale[$folder]:-0} + 1 ))
        continue
    fi
    if ! cmake --build "$build" -j "$jobs" >"$work/$id.build.log" 2>&1; then
        restore
        report "NOCOMPILE $id $desc"
        nocompile[$folder]=$(( ${nocompile[$folder]:-0} + 1 ))
        continue
    fi
    outcome=$(python3 "$tool" run "$work/programs.tsv" "$jobs" "$work/clean-times.tsv" "$work/timeouts.tsv" || true)
    restore
    seconds=$(( $(date +%s) - start ))
    total[$folder]=$(( ${total[$folder]:-0} + 1 ))
    count=$(( count + 1 ))
    if [[ "$outcome" == FAIL* ]]; then
        killed[$folder]=$(( ${killed[$folder]:-0} + 1 ))
        report "KILLED $id $desc [${outcome#FAIL }] (${seconds}s)"
    else
        report "SURVIVED $id $desc (${seconds}s)"
    fi
done
elapsed=$(( $(date +%s) - all_start ))

# Leave the copy's build matching the tree again.
cmake --build "$build" -j "$jobs" >"$work/final-build.log" 2>&1 && rm -f "$work/dirty"

report ""
report "$(printf '%-12s %8s %8s' folder mutants killed)"
sum_total=0
sum_killed=0
folders=$(printf '%s\n' "${!total[@]}" "${!stale[@]}" "${!nocompile[@]}" | sort -u)
for folder in $folders; do
    [[ -n "$folder" ]] || continue
    t=${total[$folder]:-0}
    k=${killed[$folder]:-0}
    extra=""
    [[ -n "${stale[$folder]:-}" ]] && extra+=" (${stale[$folder]} stale)"
    [[ -n "${nocompile[$folder]:-}" ]] && extra+=" (${nocompile[$folder]} not compiled)"
    report "$(printf '%-12s %8d %8d' "$folder" "$t" "$k")$extra"
    sum_total=$(( sum_total + t ))
    sum_killed=$(( sum_killed + k ))
done
if [[ $count -gt 0 ]]; then
    report "time: ${elapsed} s for ${count} mutants, $(( elapsed / count )) s per mutant"
fi
report "killed $sum_killed of $sum_total"
