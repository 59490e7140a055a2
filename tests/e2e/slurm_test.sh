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
pids=()
stop() {
  for _ in $(seq 50); do pgrep -x slurmstepd >/dev/null || break; sleep 0.1; done
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill -TERM "${pids[i]}" 2>/dev/null || true; wait "${pids[i]}" 2>/dev/null || true; done
  rm -rf "$tmp"
}
trap stop EXIT
fail() { echo "FAILED: $*" >&2; for f in "$tmp"/*.log; do echo "== $f"; tail -5 "$f"; done >&2; exit 1; }

host=$(hostname -s) port=$((20000 + $$ % 20000))
install -d -o munge -g munge -m 0755 "$tmp/munge"
setpriv --reuid=munge --regid=munge --init-groups /usr/sbin/munged --foreground --socket="$tmp/munge/socket" \
  --pid-file="$tmp/munge/pid" --seed-file="$tmp/munge/seed" --log-file="$tmp/munge/log" 2>"$tmp/munged.log" &
pids+=($!)
for _ in $(seq 50); do munge -n --socket="$tmp/munge/socket" >/dev/null 2>&1 && break; sleep 0.1; done
munge -n --socket="$tmp/munge/socket" >/dev/null || fail "munged did not start"
mkdir -p "$tmp/state" "$tmp/spool"
export SLURM_CONF=$tmp/slurm.conf
cat >"$SLURM_CONF" <<CONF
ClusterName=pedlik-test
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$port
SlurmdPort=$((port + 1))
AuthInfo=socket=$tmp/munge/socket
SlurmUser=root
SlurmdUser=root
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
MpiDefault=none
MailProg=/bin/true
ReturnToService=2
SchedulerParameters=batch_sched_delay=0,sched_min_interval=0
StateSaveLocation=$tmp/state
SlurmdSpoolDir=$tmp/spool
SlurmctldPidFile=$tmp/slurmctld.pid
SlurmdPidFile=$tmp/slurmd.pid
SlurmctldLogFile=$tmp/slurmctld.log
SlurmdLogFile=$tmp/slurmd.log
$(slurmd -C | head -1 | sed 's/^NodeName=[^ ]*/NodeName='"$host"' NodeAddr=127.0.0.1/')
PartitionName=test Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
slurmctld -D -f "$SLURM_CONF" >"$tmp/slurmctld.out" 2>&1 &
pids+=($!)
slurmd -D -f "$SLURM_CONF" >"$tmp/slurmd.out" 2>&1 &
pids+=($!)
state() { timeout 2 sinfo -h -N -o %t 2>/dev/null || true; }
for _ in $(seq 50); do [ "$(state)" = idle ] && break; sleep 0.2; done
[ "$(state)" = idle ] || fail "the node is not idle: $(state)"

# Splits a case into 4 parts through the script; prints its merge job's id.
split() {
  PEDLIK=${3:-$build/pedlik} PEDLIK_SPLIT_DIR=$tmp/$1 "$source/scripts/pedlik-slurm" 4 "$2/datafile3.dat" "$2/pedfile3.dat" \
    --time=5 >"$tmp/$1.out" || fail "pedlik-slurm on $1: $(cat "$tmp/$1.out")"
  sed -n 's/^merge: job \([0-9]*\),.*/\1/p' "$tmp/$1.out"
}
finished() {
  local state
  for _ in $(seq 300); do
    state=$(scontrol -o show job "$1" | grep -o 'JobState=[A-Z]*')
    [ "$state" = JobState=COMPLETED ] && return 0
    [[ $state == JobState=PENDING || $state == JobState=RUNNING ]] || fail "job $1 ended $state"
    sleep 0.2
  done
  fail "job $1 still $state"
}
lines() { grep -E '^(VARIED|-----|LN\(|LOG\(|-2 LN|likelihood  =|LOD_SCORE|The likelihood is)' "$@"; }
same_as_run() {
  (cd "$tmp" && "$build/pedlik" --threads 2 "$2/datafile3.dat" "$2/pedfile3.dat" >"$1.single")
  [ "$(lines "$tmp/$1/report.txt")" = "$(lines "$tmp/$1.single")" ] || fail "$1: merged report differs from the run's"
}

# A part killed mid-run (its wrapper kills it a moment after its start, until told not to).
cat >"$tmp/killing-pedlik" <<KILL
#!/usr/bin/env bash
[[ " \$* " == *" --part 2 "* && -e $tmp/kill ]] || exec "$build/pedlik" "\$@"
"$build/pedlik" "\$@" & sleep 0.1; kill -9 \$!; exit 137
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
