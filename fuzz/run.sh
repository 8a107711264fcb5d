#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, address and undefined-behaviour
# sanitizers) and fuzzes each named target for SECONDS seconds.
#
#   fuzz/run.sh SECONDS [TARGET...]
#
# Targets: freeform command_line weather_extract gcm_prepare whole_run (all
# when none is named). The checked-in seeds under fuzz/corpus/<target> are
# read, never written; what the fuzzer finds goes to build-fuzz/corpus/<target>.
# A crash, a sanitizer report or a hang (over 10 s for one input) fails the
# script and leaves the input in build-fuzz/artifacts/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
seconds="${1:?usage: fuzz/run.sh SECONDS [TARGET...]}"
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(freeform command_line weather_extract gcm_prepare whole_run)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 >/dev/null

for t in "${targets[@]}"; do
  work="$root/build-fuzz/corpus/$t"
  artifacts="$root/build-fuzz/artifacts/$t/"
  mkdir -p "$work" "$artifacts"
  max_len=4096
  case "$t" in weather_extract | gcm_prepare | whole_run) max_len=70000 ;; esac
  log="build-fuzz/$t.log"
  if ! "build-fuzz/fuzz/${t}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len="$max_len" -artifact_prefix="$artifacts" -print_final_stats=1 \
      "$work" "$root/fuzz/corpus/$t" >"$log" 2>&1; then
    echo "fuzz target $t FAILED; see $log and $artifacts"
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -n 5
    exit 1
  fi
  runs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')
  echo "fuzz target $t: ${runs:-?} inputs in ${seconds}s, no finding"
done
