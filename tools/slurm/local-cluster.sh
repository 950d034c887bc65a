# A private single-node Slurm on this machine, for tests (sourced, not run):
# munged and slurmd/slurmctld from Debian's packages, a generated slurm.conf
# with the node at 127.0.0.1 and ports above 10000, state and logs in a
# temporary folder. Every daemon it starts is stopped by process id on every
# exit path of the script that sources it.
#   local_cluster_start      (sets SLURM_CONF and local_cluster_dir)
#   local_cluster_stop

local_cluster_dir=""
local_cluster_pids=()

local_cluster_stop() {
  local pid
  for pid in "${local_cluster_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${local_cluster_pids[@]}"; do
    for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
  local_cluster_pids=()
  if [ -n "$local_cluster_dir" ] && [ -d "$local_cluster_dir" ] && [ -z "${KEEP_CLUSTER_LOGS:-}" ]; then
    rm -rf "$local_cluster_dir"
  fi
}

local_cluster_start() {
  local cpus="${1:-$(nproc)}"
  local port_base="${LOCAL_CLUSTER_PORT:-16817}"
  local_cluster_dir="$(mktemp -d /tmp/tarnvale-slurm.XXXXXX)"
  chmod 755 "$local_cluster_dir"
  trap 'local_cluster_stop' EXIT
  trap 'exit 130' INT TERM
  local d="$local_cluster_dir"
  mkdir -p "$d/state" "$d/spool/tarnvale-node" "$d/munge"
  chmod 711 "$d/munge"
  dd if=/dev/urandom of="$d/munge/munge.key" bs=1024 count=1 status=none
  chmod 400 "$d/munge/munge.key"

  # --force: the test runs as root, which munged otherwise refuses.
  munged --force --foreground --key-file="$d/munge/munge.key" --socket="$d/munge/munge.sock" \
    --pid-file="$d/munge/munged.pid" --log-file="$d/munge/munged.log" --seed-file="$d/munge/seed" > "$d/munge/munged.out" 2>&1 &
  local_cluster_pids+=($!)
  for _ in $(seq 1 50); do [ -S "$d/munge/munge.sock" ] && break; sleep 0.1; done

  local memory
  memory=$(awk '/MemTotal/ {print int($2 / 1024 * 0.8)}' /proc/meminfo)
  cat > "$d/slurm.conf" <<CONF
ClusterName=tarnvale-test
SlurmctldHost=localhost(127.0.0.1)
SlurmctldPort=$port_base
SlurmdPort=$((port_base + 1))
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$d/munge/munge.sock
CredType=cred/munge
StateSaveLocation=$d/state
SlurmdSpoolDir=$d/spool/%n
SlurmctldPidFile=$d/slurmctld.pid
SlurmdPidFile=$d/slurmd.pid
SlurmctldLogFile=$d/slurmctld.log
SlurmdLogFile=$d/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
SchedulerType=sched/backfill
MpiDefault=none
ReturnToService=2
JobCompType=jobcomp/none
AccountingStorageType=accounting_storage/none
JobAcctGatherType=jobacct_gather/none
NodeName=tarnvale-node NodeAddr=127.0.0.1 NodeHostname=localhost CPUs=$cpus RealMemory=$memory State=UNKNOWN
PartitionName=test Nodes=tarnvale-node Default=YES MaxTime=INFINITE State=UP
CONF
  export SLURM_CONF="$d/slurm.conf"
  slurmctld -D -i -f "$SLURM_CONF" > "$d/slurmctld.out" 2>&1 &
  local_cluster_pids+=($!)
  slurmd -D -N tarnvale-node -f "$SLURM_CONF" > "$d/slurmd.out" 2>&1 &
  local_cluster_pids+=($!)
  for _ in $(seq 1 100); do
    sinfo -h -o '%T' 2>/dev/null | grep -qE '^(idle|mixed|allocated)' && return 0
    sleep 0.3
  done
  echo "local Slurm did not come up; logs in $d" >&2
  tail -n 20 "$d"/*.log "$d"/*.out >&2 || true
  return 1
}
