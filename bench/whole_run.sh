#!/usr/bin/env bash
# Times whole runs of every correction method on generated pairs of 30, 300
# and 1,000 years against the I/O floor program (bench/io_floor.cpp), which
# does the same file traffic as the run with no parsing and no arithmetic.
#
#   bench/whole_run.sh [path/to/raincorr]      (default: build/driver/raincorr,
#                                                a Release build)
#   RUNS=N    repetitions of every timing, the fastest kept (default 5)
#   CXX       compiler for the floor program (default c++)
#
# For each pair and method it prints the days of the window, the best wall
# time of the run and of the floor, the run's time as a ratio to the floor,
# and the run's peak resident memory. Floor and run take turns in the same
# fresh folder, so both meet the same state of the file system; both are
# started through /usr/bin/time, which measures the peak memory.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
exe="$(realpath "${1:-$here/../build/driver/raincorr}")"
runs="${RUNS:-5}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

floor="$work/io_floor"
"${CXX:-c++}" -std=c++20 -O2 -o "$floor" "$here/io_floor.cpp"

# Seconds of one command, with microsecond resolution, run in a fresh copy
# of the pair; its peak memory in KiB is left in $work/peak.
timed() {
  local dir="$work/run"
  rm -rf "$dir" && mkdir -p "$dir"
  cp "$work/data/obs$years.wtd" "$work/data/gcm$years.txt" "$dir/"
  local t0 t1
  t0=$EPOCHREALTIME
  (cd "$dir" && /usr/bin/time -f '%M' -o "$work/peak" "$@" >/dev/null)
  t1=$EPOCHREALTIME
  awk "BEGIN{printf \"%.4f\", $t1 - $t0}"
}

printf '%-6s %-7s %8s %9s %9s %7s %9s\n' years method days run_s floor_s ratio peak_MiB
for years in 30 300 1000; do
  python3 "$here/make_pair.py" "$years" "$work/data"
  days=$(($(wc -l < "$work/data/obs$years.wtd") - 1))
  last=$((1001 + years))
  for method in 0 1 2; do
    best_run=""
    best_floor=""
    peak=0
    for _ in $(seq "$runs"); do
      s=$(timed "$floor" "obs$years.wtd" "gcm$years.txt" "$days" "$method")
      if [ -z "$best_floor" ] || awk "BEGIN{exit !($s < $best_floor)}"; then best_floor=$s; fi
      s=$(timed "$exe" "obs$years.wtd" "gcm$years.txt" 1001 "$last" 1 365 0.1 "$method" 0)
      if [ -z "$best_run" ] || awk "BEGIN{exit !($s < $best_run)}"; then best_run=$s; fi
      kib=$(tail -n 1 "$work/peak")
      [ "$kib" -gt "$peak" ] && peak=$kib
    done
    printf '%-6s %-7s %8s %9s %9s %7s %9.1f\n' "$years" "$method" "$days" "$best_run" \
      "$best_floor" "$(awk "BEGIN{printf \"%.2f\", $best_run / $best_floor}")" \
      "$(awk "BEGIN{print $peak/1024}")"
  done
done
