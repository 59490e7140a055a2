# A single-node Slurm cluster on this machine, for the split-run test and
# bench: munge, slurmctld and slurmd in the foreground in the background,
# everything under one folder, loopback only. Needs root (the daemons) and
# the Debian packages slurmctld, slurmd, slurm-client and munge.
# Sourced:   . scripts/slurm-cluster.sh
#            slurm_cluster_start DIR   (exports SLURM_CONF; status 1 and a message when it does not come up)
#            ...sbatch, squeue, slurm_job_completed ID...
#            slurm_cluster_stop        (by process id; safe to call twice, and from an EXIT trap)
slurm_cluster_pids=()
slurm_cluster_dir=

slurm_cluster_start() {
  local dir=$1 host port
  host=$(hostname -s) port=$((20000 + $$ % 20000))
  slurm_cluster_dir=$dir
  install -d -o munge -g munge -m 0755 "$dir/munge"
  setpriv --reuid=munge --regid=munge --init-groups /usr/sbin/munged --foreground --socket="$dir/munge/socket" \
    --pid-file="$dir/munge/pid" --seed-file="$dir/munge/seed" --log-file="$dir/munge/log" 2>"$dir/munged.log" &
  slurm_cluster_pids+=($!)
  for _ in $(seq 50); do munge -n --socket="$dir/munge/socket" >/dev/null 2>&1 && break; sleep 0.1; done
  munge -n --socket="$dir/munge/socket" >/dev/null 2>&1 || { echo "munged did not start" >&2; return 1; }
  mkdir -p "$dir/state" "$dir/spool"
  export SLURM_CONF=$dir/slurm.conf
  # The scheduler runs as soon as a job is submitted or ends: an array and
  # a job that depends on it take about a second more than their work.
  cat >"$SLURM_CONF" <<CONF
ClusterName=pedlik-test
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$port
SlurmdPort=$((port + 1))
AuthInfo=socket=$dir/munge/socket
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
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
$(slurmd -C | head -1 | sed 's/^NodeName=[^ ]*/NodeName='"$host"' NodeAddr=127.0.0.1/')
PartitionName=test Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
  slurmctld -D -f "$SLURM_CONF" >"$dir/slurmctld.out" 2>&1 &
  slurm_cluster_pids+=($!)
  slurmd -D -f "$SLURM_CONF" >"$dir/slurmd.out" 2>&1 &
  slurm_cluster_pids+=($!)
  for _ in $(seq 50); do [ "$(slurm_node_state)" = idle ] && return 0; sleep 0.2; done
  echo "the node is not idle: $(slurm_node_state)" >&2
  return 1
}

slurm_node_state() { timeout 2 sinfo -h -N -o %t 2>/dev/null || true; }

# The daemons' last log lines, for a failure's message.
slurm_cluster_logs() {
  local file
  for file in "$slurm_cluster_dir"/*.log; do echo "== $file"; tail -5 "$file"; done
}

# slurm_job_completed ID [SECONDS]: waits until the job has completed:
# status 0; 1, with a message, when it ended otherwise or is still queued or
# running after SECONDS (default 30). Polls, as sbatch --wait only looks
# every few seconds.
slurm_job_completed() {
  local state
  for _ in $(seq $((${2:-30} * 10))); do
    state=$(scontrol -o show job "$1" | grep -o 'JobState=[A-Z]*')
    [ "$state" = JobState=COMPLETED ] && return 0
    [[ $state =~ ^JobState=(PENDING|RUNNING|COMPLETING)$ ]] || { echo "job $1 ended $state" >&2; return 1; }
    sleep 0.1
  done
  echo "job $1 still $state" >&2
  return 1
}

slurm_cluster_stop() {
  local i
  # No job outlives the cluster, even when its user stops early.
  [ ${#slurm_cluster_pids[@]} -eq 0 ] || timeout 5 scancel --full --quiet --partition=test 2>/dev/null || true
  # A job's step daemon outlives it by about a second.
  for _ in $(seq 50); do pgrep -x slurmstepd >/dev/null || break; sleep 0.1; done
  for ((i = ${#slurm_cluster_pids[@]} - 1; i >= 0; i--)); do
    kill -TERM "${slurm_cluster_pids[i]}" 2>/dev/null || true
    wait "${slurm_cluster_pids[i]}" 2>/dev/null || true
  done
  slurm_cluster_pids=()
}
