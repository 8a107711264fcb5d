#!/usr/bin/env bash
# Runs two builds of raincorr on the same inputs and compares, with cmp,
# every file each run leaves, its standard output, its standard error and
# its exit status: the shipped example (whole years, and a window across
# the year end) and a generated 1,000-year pair, each for methods 0, 1 and
# 2, and runs that stop early on a damaged observed or GCM file.
#
#   bench/compare_runs.sh BEFORE_EXE AFTER_EXE
#
# Prints one line per case and "all equal" at the end; exits 1 on the first
# case whose files, console or status differ (after printing the cmp).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
before="$(realpath "$1")"
after="$(realpath "$2")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 "$here/make_pair.py" 1000 "$work/data" >/dev/null
examples="$here/../examples"
# A damaged rainfall value (line 5000) and a GCM value that is no number
# (line 6000); both runs must stop at the same place with the same files.
sed '5000s/.....$/ abcd/' "$work/data/obs1000.wtd" >"$work/data/badob.wtd"
sed '6000s/ [0-9.]*E[-+][0-9]*  lat/ 1.2.3E-09  lat/' "$work/data/gcm1000.txt" >"$work/data/badgc.txt"

# run EXE DIR INPUTS... -- ARGS...: one run in a fresh folder.
run() {
  local exe=$1 dir=$2
  shift 2
  mkdir -p "$dir"
  while [ "$1" != "--" ]; do
    cp "$1" "$dir/"
    shift
  done
  shift
  local status=0
  (cd "$dir" && "$exe" "$@" >"../$(basename "$dir").stdout" 2>"../$(basename "$dir").stderr") ||
    status=$?
  echo "$status" >"$dir.status"
}

compare() {
  local name=$1
  shift
  run "$before" "$work/before/$name" "$@"
  run "$after" "$work/after/$name" "$@"
  local b="$work/before/$name" a="$work/after/$name"
  if [ "$(cd "$b" && ls)" != "$(cd "$a" && ls)" ]; then
    echo "$name: the runs leave different files"
    diff <(cd "$b" && ls) <(cd "$a" && ls) || true
    exit 1
  fi
  local files=0
  for f in "$b"/* "$b.stdout" "$b.stderr" "$b.status"; do
    cmp "$f" "${f/$work\/before/$work/after}" || exit 1
    files=$((files + 1))
  done
  printf '%-22s status %s, %2d files, stdout and stderr: equal\n' "$name" "$(cat "$b.status")" \
    $((files - 3))
}

for m in 0 1 2; do
  compare "example-m$m" "$examples/stobs.wtd" "$examples/gcmdaily.txt" -- \
    stobs.wtd gcmdaily.txt 1976 2001 1 365 0.1 "$m" 0
  compare "example-window-m$m" "$examples/stobs.wtd" "$examples/gcmdaily.txt" -- \
    stobs.wtd gcmdaily.txt 1977 1999 300 59 0.5 "$m" 0
  compare "1000-years-m$m" "$work/data/obs1000.wtd" "$work/data/gcm1000.txt" -- \
    obs1000.wtd gcm1000.txt 1001 2001 1 365 0.1 "$m" 0
  compare "bad-obs-m$m" "$work/data/badob.wtd" "$work/data/gcm1000.txt" -- \
    badob.wtd gcm1000.txt 1001 2001 1 365 0.1 "$m" 0
  compare "bad-gcm-m$m" "$work/data/obs1000.wtd" "$work/data/badgc.txt" -- \
    obs1000.wtd badgc.txt 1001 2001 1 365 0.1 "$m" 0
done
echo "all equal"
