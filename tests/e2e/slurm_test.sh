#!/usr/bin/env bash
# A split run on a real single-node Slurm cluster started here (munge, slurmctld, slurmd in the foreground, everything
# under a temporary folder, loopback only, stopped by process id whatever happens): scripts/pedlik-slurm with N = 4 on
# the bundled example and on a conditioning case gives the single run's report (run on 2 threads, the parts on 1); a part
# killed mid-run leaves no part file and the merge job pending until it is rerun; missing, foreign, truncated parts fail.
# Usage: slurm_test.sh BUILD_DIR SOURCE_DIR. Exit 77 (skipped) when not root: the daemons need it.
set -euo pipefail
[ "$(id -u)" -eq 0 ] || { echo "not root: no cluster"; exit 77; }
build=$(realpath "$1") source=$(realpath "$2")
tmp=$(mktemp -d /tmp/pedlik-slurm-XXXXXX)
chmod 755 "$tmp"
. "$source/scripts/slurm-cluster.sh"
trap 'slurm_cluster_stop; rm -rf "$tmp"' EXIT
fail() { echo "FAILED: $*" >&2; slurm_cluster_logs >&2; exit 1; }
slurm_cluster_start "$tmp" || fail "no cluster"

# Splits a case into 4 parts through the script; prints its merge job's id.
split() {
  PEDLIK=${3:-$build/pedlik} PEDLIK_SPLIT_DIR=$tmp/$1 "$source/scripts/pedlik-slurm" 4 "$2/datafile3.dat" "$2/pedfile3.dat" \
    --time=5 >"$tmp/$1.out" || fail "pedlik-slurm on $1: $(cat "$tmp/$1.out")"
  sed -n 's/^merge: job \([0-9]*\),.*/\1/p' "$tmp/$1.out"
}
finished() { slurm_job_completed "$1" || fail "job $1 did not complete"; }
lines() { grep -E '^(VARIED|-----|LN\(|LOG\(|-2 LN|likelihood  =|LOD_SCORE|The likelihood is)' "$@"; }
same_as_run() {
  (cd "$tmp" && "$build/pedlik" --threads 2 "$2/datafile3.dat" "$2/pedfile3.dat" >"$1.single")
  [ "$(lines "$tmp/$1/report.txt")" = "$(lines "$tmp/$1.single")" ] || fail "$1: merged report differs from the run's"
}

# A part killed mid-run (its wrapper kills it a moment after its start, until told not to). It is stopped at
# once, so that no machine finishes the part before the kill: a part of this case takes well under 0.1 s.
cat >"$tmp/killing-pedlik" <<KILL
#!/usr/bin/env bash
[[ " \$* " == *" --part 2 "* && -e $tmp/kill ]] || exec "$build/pedlik" "\$@"
"$build/pedlik" "\$@" & kill -STOP \$!; sleep 0.1; kill -9 \$!; exit 137
KILL
chmod +x "$tmp/killing-pedlik"
touch "$tmp/kill"
example=$(split example "$source/examples")
heavy=$(split heavy "$source/tests/e2e/split" "$tmp/killing-pedlik")
finished "$example"
same_as_run example "$source/examples"
for _ in $(seq 100); do [ "$(squeue -h -j "$heavy" -o %r)" = DependencyNeverSatisfied ] && break; sleep 0.2; done
[ "$(squeue -h -j "$heavy" -o %r)" = DependencyNeverSatisfied ] || fail "merge job $heavy: $(squeue -h -j "$heavy" -o %T/%r)"
[ ! -e "$tmp/heavy/part-2-of-4.txt" ] || fail "the killed part left a part file"
rm "$tmp/kill"
rerun=$(sed -n 's/^a part K that failed: \(.*\) K$/\1/p' "$tmp/heavy.out")
$rerun 2 >/dev/null
finished "$heavy"
same_as_run heavy "$source/tests/e2e/split"

# Merges that must be refused, with status 1 and no report.
refused() {
  local says=$1 out status=0
  shift
  out=$("$build/pedlik" --merge "$@" 2>"$tmp/refused.err") || status=$?
  [ "$status" = 1 ] && [ -z "$out" ] && grep -q "$says" "$tmp/refused.err" || fail "merge of $* not refused for: $says"
}
parts=("$tmp"/heavy/part-{1,2,3}-of-4.txt)
head -c 150 "$tmp/heavy/part-4-of-4.txt" >"$tmp/cut"
refused "missing unit" "${parts[@]}"
refused "parts of different problems" "${parts[@]}" "$tmp/example/part-4-of-4.txt"
refused "is incomplete" "${parts[@]}" "$tmp/cut"
echo "split runs on Slurm: the example and the conditioning case as the single run; faults refused"
