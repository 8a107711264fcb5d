#!/usr/bin/env bash
# Stops the one-node cluster that up.sh started and removes its folder:
# cancels every job still there, stops slurmd, slurmctld and munged by the
# PIDs up.sh recorded (TERM, then KILL after 10 s), and waits until none of
# them, nor any job step of the node, is left.
#
#   workflow/slurm-local/down.sh [DIR]     (default: $RAINCORR_SLURM_DIR)
set -uo pipefail
dir="${1:-${RAINCORR_SLURM_DIR:-}}"
if [ -z "$dir" ] || [ ! -f "$dir/slurm.conf" ]; then
  echo "slurm-local/down.sh: no cluster folder (pass DIR or set RAINCORR_SLURM_DIR)" >&2
  exit 1
fi
export SLURM_CONF="$dir/slurm.conf"

alive() { [ -n "$1" ] && kill -0 "$1" 2>/dev/null; }

# Job steps run under slurmstepd, which leaves slurmd's process group; they
# are found as the processes whose parent chain starts at our slurmd.
pids=()
for name in slurmd slurmctld munged; do
  [ -f "$dir/$name.pid-ours" ] && pids+=("$(cat "$dir/$name.pid-ours")")
done
steps() {
  # slurmstepd processes that hold our slurm.conf in their environment.
  local p
  for p in /proc/[0-9]*; do
    [ "$(cat "$p/comm" 2>/dev/null)" = slurmstepd ] || continue
    tr '\0' '\n' < "$p/environ" 2>/dev/null | grep -qxF "SLURM_CONF=$SLURM_CONF" \
      && echo "${p#/proc/}"
  done
  return 0
}

if alive "${pids[1]:-}"; then
  scancel --quiet --full --user="${USER:-$(id -un)}" 2>/dev/null || true
  for _ in $(seq 50); do
    [ -z "$(squeue -h 2>/dev/null)" ] && break
    sleep 0.1
  done
fi
stragglers=($(steps))
for pid in "${pids[@]}" "${stragglers[@]}"; do alive "$pid" && kill -TERM "$pid" 2>/dev/null; done
for _ in $(seq 100); do
  left=()
  for pid in "${pids[@]}" "${stragglers[@]}"; do alive "$pid" && left+=("$pid"); done
  [ ${#left[@]} -eq 0 ] && break
  sleep 0.1
done
for pid in "${left[@]}"; do kill -KILL "$pid" 2>/dev/null; done
# The processes are our children only in up.sh's shell; here they are gone
# once kill -0 fails.
for _ in $(seq 50); do
  left=()
  for pid in "${pids[@]}" "${stragglers[@]}"; do alive "$pid" && left+=("$pid"); done
  [ ${#left[@]} -eq 0 ] && break
  sleep 0.1
done
rm -rf "$dir"
if [ ${#left[@]} -gt 0 ]; then
  echo "slurm-local/down.sh: processes ${left[*]} did not stop" >&2
  exit 1
fi
echo "slurm-local: cluster in $dir stopped" >&2
