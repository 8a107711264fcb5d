#!/usr/bin/env bash
# The workflow through the real Snakemake, on inputs built from the examples.
#
#   tests/workflow/workflow_test.sh local|slurm|bad-manifest BIN_DIR
#
# local:        six pairs (text and NetCDF models, WTD and GHCN stations, all
#               three methods, one pair whose station raincorr refuses) with
#               snakemake --cores 2; checks summary.csv row by row and
#               index.html (well formed, failures first, every report linked).
# slurm:        the same manifest locally and through the Slurm profile on
#               the one-node cluster of workflow/slurm-local/up.sh; every file
#               of both results folders must be byte-identical, the pairs make
#               one Slurm job, and the cluster is torn down even on failure
#               with none of its processes left.
# bad-manifest: manifests with faults are refused before any job, naming the
#               line and the reason, and leave no results.
set -euo pipefail
mode="$1"
bin="$(realpath "$2")"
src="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
cluster=""
child=""
cleanup() {
  if [ -n "$child" ] && kill -0 "$child" 2>/dev/null; then
    kill -TERM "$child" 2>/dev/null
    wait "$child" 2>/dev/null || true
  fi
  if [ -n "$cluster" ]; then "$src/workflow/slurm-local/down.sh" "$cluster" || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
# A test stopped by a signal still tears the cluster down: the long commands
# run in the background (bash defers a trap until a foreground command ends),
# and cleanup stops the one running.
trap "exit 1" INT TERM
in_work() {  # output file, command...: runs the command in $work, waits for it
  local out="$1"
  shift
  (cd "$work" && exec "$@") > "$out" 2>&1 &
  child=$!
  wait "$child"
}
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# Reports embed the time they are made; fixed, two runs give the same bytes.
export SOURCE_DATE_EPOCH=1700000000

data="$work/data"
python3 "$src/tests/workflow/make_fixtures.py" "$src/examples" "$data"
for cdl in "$data"/*.cdl; do ncgen -o "${cdl%.cdl}.nc" "$cdl"; done

# The manifest lives in its own folder; paths are relative to it.
mkdir -p "$work/batch"
manifest="$work/batch/pairs.csv"
cat > "$manifest" <<'CSV'
id,obs,gcm,lat,lon,year1,year2,doy1,doy2,thresh,method,formt
wtd-text-gamma,../data/stobs.wtd,../data/gcmdaily.txt,,,1976,2001,1,365,0.1,0,0
ghcn-netcdf-empirical,../data/USC00000001.dly,../data/pr_day_EX_*.nc,-1.3,36.7,1976,2001,1,365,0.1,1,0
wtd-netcdf-mult,../data/stobs.wtd,../data/pr_day_EX_*.nc,-1.25,36.75,1980,1990,100,200,0.5,2,
ghcn-text-gamma,../data/USC00000001.dly,../data/gcmdaily.txt,,,1976,2001,60,120,0.2,0,1
shipped-ghcn-netcdf,../data/EXAMPLE0001.dly,../data/pr_day_example.nc,-1.29,36.8,1991,1994,1,365,0.1,0,0
broken-station,../data/broke.wtd,../data/gcmdaily.txt,,,1976,2001,1,365,0.1,0,0
CSV
ok_ids=(wtd-text-gamma ghcn-netcdf-empirical wtd-netcdf-mult ghcn-text-gamma shipped-ghcn-netcdf)
# Days corrected, from the windows: 25 whole years 1976-2000 hold 7 leap
# days; a window after February keeps its length in leap years.
declare -A want_days=([wtd-text-gamma]=$((25 * 365 + 7)) [ghcn-netcdf-empirical]=$((25 * 365 + 7))
  [wtd-netcdf-mult]=$((10 * 101)) [ghcn-text-gamma]=$((25 * 61))
  [shipped-ghcn-netcdf]=$((3 * 365 + 1)))

run_local() {  # results folder
  in_work "$work/local.out" snakemake -s "$src/workflow/Snakefile" --cores 2 --quiet \
    --config manifest="$manifest" results="$1" bin="$bin" \
    || { cat "$work/local.out" >&2; fail "the local workflow failed"; }
}

check_results() {  # results folder
  local results="$1"
  local csv="$results/summary.csv"
  [ -f "$csv" ] || fail "no summary.csv"
  local want="id,status,exit_status,message,days,mean_error_raw,mean_error_corrected,wet_error_raw,wet_error_corrected,report"
  [ "$(sed -n 1p "$csv")" = "$want" ] || fail "summary header: $(sed -n 1p "$csv")"
  [ "$(wc -l < "$csv")" -eq 7 ] || fail "summary.csv has $(wc -l < "$csv") lines, not 7"
  # The failure, with raincorr's message for a blank rainfall field.
  [ "$(sed -n 7p "$csv")" = 'broken-station,failed,1,"Error reading file, your data is very bad man!",,,,,,' ] \
    || fail "failure row: $(sed -n 7p "$csv")"
  [ -f "$results/broken-station/run.log" ] || fail "the failed pair left no run.log"
  local n=2 id
  for id in "${ok_ids[@]}"; do
    local row
    row="$(sed -n "${n}p" "$csv")"
    n=$((n + 1))
    # The verdict figures are the report's own, carried over as they are.
    local v="$results/$id/verdict.txt"
    [ -f "$v" ] || fail "$id: no verdict from the report"
    local fig=()
    for key in mean_error_raw mean_error_corrected wet_error_raw wet_error_corrected; do
      fig+=("$(sed -n "s/^$key=//p" "$v")")
    done
    local expect="$id,ok,0,,${want_days[$id]},${fig[0]},${fig[1]},${fig[2]},${fig[3]},$id/report.html"
    [ "$row" = "$expect" ] || fail "row of $id: '$row', expected '$expect'"
    for f in "${fig[@]}"; do
      [[ "$f" =~ ^[0-9]+(\.[0-9]+)?$ ]] || fail "$id: verdict figure '$f' is not a number"
    done
    [ -s "$results/$id/report.html" ] || fail "$id: no report"
    # raincorr's outputs under the stems of a direct run of the same files.
    [ "$(grep -c '' "$results/$id"/*_cd.pcp)" -eq "${want_days[$id]}" ] \
      || fail "$id: corrected series is not ${want_days[$id]} days"
    grep -qx -- '---D O N E---' "$results/$id/run.log" || fail "$id: run.log does not end the run"
  done
  # Converted inputs take the source's name with the new extension.
  [ -f "$results/ghcn-netcdf-empirical/USC00000001.wtd" ] && \
    [ -f "$results/ghcn-netcdf-empirical/pr_day_EX_1976-1988.txt" ] && \
    [ -f "$results/shipped-ghcn-netcdf/EXAMPLE0001.wtd" ] && \
    [ -f "$results/shipped-ghcn-netcdf/pr_day_example.txt" ] && \
    [ -f "$results/ghcn-netcdf-empirical/pr_da_cd.pcp" ] && \
    [ -L "$results/wtd-text-gamma/stobs.wtd" ] && [ -f "$results/wtd-text-gamma/gcmda_cd.pcp" ] \
    || fail "pair folders do not hold the inputs and outputs under their names"

  local page="$results/index.html"
  xmllint --html --noout "$page" 2> "$work/xmllint.err" || true
  [ ! -s "$work/xmllint.err" ] || { cat "$work/xmllint.err" >&2; fail "index.html is not well formed"; }
  python3 - "$page" "$results" "${ok_ids[@]}" <<'PY' || fail "index.html"
import html.parser, os, sys
page, results, ok = sys.argv[1], sys.argv[2], sys.argv[3:]
class Rows(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(); self.rows = []; self.links = {}; self.external = []
    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "tr" and self.rows is not None: self.rows.append(a.get("class", ""))
        if tag == "a": self.links[a["href"]] = True
        for k in ("src", "href"):
            if k in a and ("://" in a[k] or a[k].startswith("//")): self.external.append(a[k])
        if tag == "script": self.external.append("script")
p = Rows(); p.feed(open(page).read())
body = p.rows[1:]  # the header row first
assert body[0] == "failed" and body[1:] == [""] * 5, body
for i in ok:
    assert f"{i}/report.html" in p.links, i
    assert os.path.isfile(os.path.join(results, i, "report.html")), i
assert "broken-station/run.log" in p.links
assert not p.external, p.external
PY
}

case "$mode" in
  local)
    run_local "$work/batch/results"
    check_results "$work/batch/results"
    # results/ beside the manifest is the default.
    rm -rf "$work/batch/results"
    (cd "$work" && snakemake -s "$src/workflow/Snakefile" --cores 2 --quiet \
      --config manifest=batch/pairs.csv bin="$bin") > "$work/default.out" 2>&1 \
      || { cat "$work/default.out" >&2; fail "the workflow without results= failed"; }
    [ -f "$work/batch/results/summary.csv" ] || fail "results/ beside the manifest not used"
    ;;
  slurm)
    up="$("$src/workflow/slurm-local/up.sh")" || fail "the cluster did not come up"
    eval "$up"
    cluster="$RAINCORR_SLURM_DIR"
    daemons="$(cat "$cluster"/*.pid-ours)"
    run_local "$work/local"
    in_work "$work/slurm.out" snakemake -s "$src/workflow/Snakefile" \
      --profile "$src/workflow/profiles/slurm" \
      --config manifest="$manifest" results="$work/slurm" bin="$bin" \
      || { cat "$work/slurm.out" >&2; fail "the Slurm workflow failed"; }
    check_results "$work/slurm"
    diff -r "$work/local" "$work/slurm" || fail "local and Slurm results differ"
    jobs=$(find "$work/.snakemake/slurm_logs" -name '*.log' | wc -l)
    [ "$jobs" -eq 1 ] || fail "six pairs made $jobs Slurm jobs, not one group job"
    grep -q 'group_pairs' <<< "$(find "$work/.snakemake/slurm_logs")" || fail "pairs not grouped"
    "$src/workflow/slurm-local/down.sh" "$cluster" || fail "down.sh failed"
    cluster=""
    for pid in $daemons; do
      ! kill -0 "$pid" 2>/dev/null || fail "process $pid still runs after down.sh"
    done
    ;;
  bad-manifest)
    cases=(
      # manifest rows after the header | expected refusal lines
      "ok,../data/stobs.wtd,../data/gcmdaily.txt,,,1976,2001,1,365,0.1,0,0
ok,../data/stobs.wtd,../data/gcmdaily.txt,,,1976,2001,1,365,0.1,1,0|pairs.csv:3: id \"ok\" is taken by line 2"
      "a b,../data/stobs.wtd,../data/gcmdaily.txt,,,1976,2001,1,365,0.1,0,0|pairs.csv:2: id \"a b\" is not a safe folder name (letters, digits, '_', '-' and '.', not first '.' or '-')"
      "m,../data/gone.wtd,../data/gcmdaily.txt,,,1976,2001,1,365,0.1,0,0|pairs.csv:2: obs file \"../data/gone.wtd\" not found"
      "n,../data/stobs.wtd,../data/pr_day_EX_*.nc,-1.25,east,1976,2001,1,365,0.1,0,0|pairs.csv:2: lon \"east\" is not a number"
      "o,../data/stobs.wtd,../data/gcmdaily.txt,,,1976,2001,1,365,0.1,0,0
p,../data/stobs.wtd,../data/gcmdaily.txt,,,1976,2001,1,3x5,0.1,0,0|pairs.csv:3: doy2 \"3x5\" is not a whole number"
    )
    for c in "${cases[@]}"; do
      rows="${c%%|*}"
      want="${c#*|}"
      printf 'id,obs,gcm,lat,lon,year1,year2,doy1,doy2,thresh,method,formt\n%s\n' "$rows" > "$manifest"
      if (cd "$work/batch" && snakemake -s "$src/workflow/Snakefile" --cores 2 --quiet \
        --config manifest=pairs.csv bin="$bin") > "$work/bad.out" 2>&1; then
        fail "manifest accepted: $rows"
      fi
      grep -qxF -- "$manifest:${want#pairs.csv:}" "$work/bad.out" \
        || { cat "$work/bad.out" >&2; fail "refusal not found: $want"; }
      [ ! -e "$work/batch/results" ] || fail "a refused manifest left results"
    done
    # A missing column is named at the header's line.
    sed -i '1s/,method//; s/,0,0$/,0/' "$manifest"
    ! (cd "$work/batch" && snakemake -s "$src/workflow/Snakefile" --cores 2 --quiet \
      --config manifest=pairs.csv bin="$bin") > "$work/bad.out" 2>&1 || fail "missing column accepted"
    grep -qxF -- "$manifest:1: missing column \"method\"" "$work/bad.out" \
      || { cat "$work/bad.out" >&2; fail "missing column not named"; }
    ;;
  *)
    fail "unknown mode $mode"
    ;;
esac
echo "workflow $mode: ok"
