#!/bin/sh
# The report of the example run as a real browser draws it: runs raincorr on
# examples/ in a scratch folder, makes the report with the run's log, takes
# a 900 x 1300 screenshot with headless Chromium (report/screenshot.sh) and
# checks that the PNG has that size and is not blank.
#
#   browser_check.sh RAINCORR RAINCORR_REPORT SOURCE_DIR
#
# Exits 77 (skipped) when chromium is not installed, unless
# RAINCORR_REQUIRE_BROWSER is set (CI sets it, so there it fails instead).
set -eu
raincorr=$1 report=$2 source=$3
if ! command -v chromium >/dev/null 2>&1; then
  if [ -n "${RAINCORR_REQUIRE_BROWSER:-}" ]; then
    echo "browser_check.sh: chromium is not installed" >&2
    exit 1
  fi
  echo "browser_check.sh: chromium is not installed; skipped" >&2
  exit 77
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$source/examples/stobs.wtd" "$source/examples/gcmdaily.txt" "$dir/"
cd "$dir"
"$raincorr" stobs.wtd gcmdaily.txt 1976 2001 1 365 0.1 0 0 >run.log
SOURCE_DATE_EPOCH=0 "$report" stobs.wtd gcmdaily.txt 1976 2001 1 365 0.1 0 0 --log run.log
"$source/report/screenshot.sh" gcmda_report.html shot.png 900 1300
python3 "$source/tests/report/png_check.py" shot.png 900 1300
