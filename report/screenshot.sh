#!/bin/sh
# Screenshot of a report page as headless Chromium (Debian package chromium)
# draws it: the top WIDTH x HEIGHT CSS pixels of the page, scaled by SCALE.
#
#   report/screenshot.sh PAGE.html SHOT.png [WIDTH [HEIGHT [SCALE]]]
#
# The PNG is WIDTH*SCALE x HEIGHT*SCALE pixels. The browser gets a fresh
# profile that is removed afterwards, no network services and no sandbox
# (so that it also runs as root in CI).
set -eu
page=$1 shot=$2 width=${3:-900} height=${4:-1300} scale=${5:-1}
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
rm -f "$shot"
if ! chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$profile" --hide-scrollbars --force-device-scale-factor="$scale" \
  --window-size="$width,$height" --screenshot="$(realpath "$shot")" \
  "file://$(realpath "$page")" >"$profile/log" 2>&1 || [ ! -s "$shot" ]; then
  cat "$profile/log" >&2
  echo "screenshot.sh: chromium made no screenshot of $page" >&2
  exit 1
fi
