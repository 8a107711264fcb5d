#!/usr/bin/env bash
# Cost of raincorr-report on long runs: for generated pairs of 30, 300 and
# 1,000 years, runs raincorr once (method 0, log kept), then times the
# report with --log and --csv three times and prints the fastest wall-clock
# time, the processor time (user + system) of that run, the peak memory and
# the sizes of the page and the CSV.
#
#   bench/report_cost.sh [BUILD_DIR]     (default: build, a Release build)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(realpath "${1:-$here/../build}")"
raincorr="$build/driver/raincorr"
report="$build/report/raincorr-report"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

printf '%-6s %9s %10s %10s %10s %12s %12s\n' years days seconds cpu_seconds peak_MiB page_bytes \
  csv_bytes
for years in 30 300 1000; do
  dir="$work/run$years"
  python3 "$here/make_pair.py" "$years" "$dir"
  last=$((1001 + years))
  args=("obs$years.wtd" "gcm$years.txt" 1001 "$last" 1 365 0.1 0 0)
  (cd "$dir" && "$raincorr" "${args[@]}" >run.log)
  best=""
  cpu=""
  peak=0
  for _ in 1 2 3; do
    stats="$( { cd "$dir" && /usr/bin/time -f '%e %U %S %M' "$report" "${args[@]}" --log run.log \
      --csv days.csv -o report.html; } 2>&1 | tail -n 1)"
    read -r secs user sys kib <<<"$stats"
    if [ -z "$best" ] || awk "BEGIN{exit !($secs < $best)}"; then
      best=$secs
      cpu=$(awk "BEGIN{print $user + $sys}")
    fi
    [ "$kib" -gt "$peak" ] && peak=$kib
  done
  days=$(($(wc -l <"$dir/days.csv") - 1))
  printf '%-6s %9s %10s %10s %10.1f %12s %12s\n' "$years" "$days" "$best" "$cpu" \
    "$(awk "BEGIN{print $peak/1024}")" "$(wc -c <"$dir/report.html")" "$(wc -c <"$dir/days.csv")"
done
