#!/usr/bin/env bash
# Brings up a one-node Slurm cluster on this machine, for the Slurm profile
# of the workflow where there is no cluster: munged, slurmctld and slurmd,
# every file under one fresh temporary folder, no system service touched.
#
#   eval "$(workflow/slurm-local/up.sh)"     # exports SLURM_CONF, USER and
#                                            # RAINCORR_SLURM_DIR
#   ... sbatch / snakemake --profile workflow/profiles/slurm ...
#   workflow/slurm-local/down.sh             # stops it, removes the folder
#
# Prints only the export lines on standard output; progress and failures go
# to standard error. On failure everything started is stopped again and the
# status is 1. Runs as root or as the user the daemons should run as.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
dir="$(mktemp -d "${TMPDIR:-/tmp}/raincorr-slurm.XXXXXX")"
chmod 755 "$dir"

fail() {
  echo "slurm-local/up.sh: $*" >&2
  for log in "$dir"/*.log; do [ -s "$log" ] && { echo "--- $log" >&2; tail -n 20 "$log" >&2; }; done
  RAINCORR_SLURM_DIR="$dir" "$here/down.sh" >&2 || true
  exit 1
}

for prog in munged slurmctld slurmd sinfo; do
  command -v "$prog" >/dev/null || fail "$prog not found (Debian packages munge and slurm-wlm)"
done

# Two free ports for slurmctld and slurmd, so that the cluster never meets
# another one on the machine.
read -r ctld_port d_port < <(python3 -c '
import socket
socks = [socket.socket() for _ in range(2)]
for s in socks: s.bind(("127.0.0.1", 0))
print(*[s.getsockname()[1] for s in socks])')

user="${USER:-$(id -un)}"
host="$(hostname -s)"
# munged refuses a socket folder others can write to.
mkdir -p "$dir/munge" "$dir/ctld" "$dir/spool"
chmod 755 "$dir/munge"
dd if=/dev/urandom of="$dir/munge/munge.key" bs=1024 count=1 status=none
chmod 400 "$dir/munge/munge.key"
socket="$dir/munge/munge.socket.2"

# The node line is what slurmd finds on this machine, reached on loopback.
node="$(slurmd -C | head -n 1) NodeAddr=127.0.0.1"
cat > "$dir/slurm.conf" <<CONF
ClusterName=raincorr
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$d_port
SlurmUser=$user
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$socket
CredType=cred/munge
StateSaveLocation=$dir/ctld
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_Core_Memory
MailProg=/bin/true
ReturnToService=2
$node
PartitionName=local Nodes=ALL Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF="$dir/slurm.conf"

# Each daemon in the foreground of a background process of ours, so that its
# PID is the one we hold, with no terminal and no output to this script's
# standard output (eval "$(up.sh)" would wait for it to close).
start() {
  local name="$1"
  shift
  setsid "$@" </dev/null >"$dir/$name.out" 2>&1 &
  echo $! > "$dir/$name.pid-ours"
}
start munged munged --force --foreground --socket="$socket" --key-file="$dir/munge/munge.key" \
  --pid-file="$dir/munge/munged.pid" --log-file="$dir/munged.log" --seed-file="$dir/munge/seed"
for _ in $(seq 50); do [ -S "$socket" ] && break; sleep 0.1; done
[ -S "$socket" ] || fail "munged did not start"
start slurmctld slurmctld -D -i
start slurmd slurmd -D -N "$host"

# Ready when the node is idle.
for _ in $(seq 100); do
  state="$(sinfo -h -N -o %T 2>/dev/null || true)"
  [ "$state" = idle ] && break
  sleep 0.1
done
[ "$state" = idle ] || fail "the node did not come up (state \"$state\")"
echo "slurm-local: one-node cluster up in $dir" >&2

printf 'export SLURM_CONF=%q\nexport USER=%q\nexport RAINCORR_SLURM_DIR=%q\n' \
  "$SLURM_CONF" "$user" "$dir"
