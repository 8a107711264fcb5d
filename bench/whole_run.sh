#!/usr/bin/env bash
# Times whole runs of every correction method on generated pairs of 30, 300
# and 1,000 years and prints days corrected per second and peak memory.
#
#   bench/whole_run.sh [path/to/raincorr]      (default: build/driver/raincorr,
#                                                a Release build)
# Each run is repeated three times; the fastest is reported.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
exe="$(realpath "${1:-$here/../build/driver/raincorr}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

printf '%-6s %-7s %9s %12s %16s %10s\n' years method days seconds days/second peak_MiB
for years in 30 300 1000; do
  python3 "$here/make_pair.py" "$years" "$work/data"
  days=$(($(wc -l < "$work/data/obs$years.wtd") - 1))
  last=$((1001 + years))
  for method in 0 1 2; do
    best=""
    peak=0
    for _ in 1 2 3; do
      dir="$work/run"
      rm -rf "$dir" && mkdir -p "$dir"
      cp "$work/data/obs$years.wtd" "$work/data/gcm$years.txt" "$dir/"
      stats="$( { cd "$dir" && /usr/bin/time -f '%e %M' "$exe" "obs$years.wtd" "gcm$years.txt" \
        1001 "$last" 1 365 0.1 "$method" 0 >/dev/null; } 2>&1 | tail -n 1)"
      secs=${stats% *}
      kib=${stats#* }
      if [ -z "$best" ] || awk "BEGIN{exit !($secs < $best)}"; then best=$secs; fi
      [ "$kib" -gt "$peak" ] && peak=$kib
    done
    rate=$(awk "BEGIN{ s=$best; if (s < 0.005) s = 0.005; printf \"%.0f\", $days / s }")
    printf '%-6s %-7s %9s %12s %16s %10.1f\n' "$years" "$method" "$days" "$best" "$rate" \
      "$(awk "BEGIN{print $peak/1024}")"
  done
done
