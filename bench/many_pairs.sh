#!/usr/bin/env bash
# Times a batch of generated station x model pairs of 30 years: the workflow
# with snakemake --cores 2, against a plain xargs -P 2 loop of the same
# raincorr and raincorr-report commands in the same sitting, and counts the
# Slurm jobs the pairs make through the Slurm profile on a one-node cluster
# (workflow/slurm-local/up.sh).
#
#   bench/many_pairs.sh [BIN_DIR] [PAIRS]   (default: build/bin of the release
#                                            build, 200 pairs = 20 stations x 10
#                                            models)
# Prints wall seconds, seconds per pair and the ratio. Needs snakemake, and
# munge and slurm-wlm for the Slurm count (skipped when they are missing).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
src="$(cd "$here/.." && pwd)"
bin="$(realpath "${1:-$src/build/bin}")"
pairs="${2:-200}"
models=10
stations=$(((pairs + models - 1) / models))
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
# Stopped by a signal, the benchmark still tears the cluster down (the
# Slurm run is waited for in the background, as bash defers traps until a
# foreground command ends).
trap "exit 1" INT TERM
export SOURCE_DATE_EPOCH=1700000000

python3 "$here/make_many_pairs.py" "$stations" "$models" 30 "$work/data"
head -n $((pairs + 1)) "$work/data/pairs.csv" > "$work/data/pairs.tmp"
mv "$work/data/pairs.tmp" "$work/data/pairs.csv"
n=$(($(wc -l < "$work/data/pairs.csv") - 1))

now() { date +%s.%N; }

# 1. The workflow, as the README runs it.
t0=$(now)
(cd "$work" && snakemake -s "$src/workflow/Snakefile" --cores 2 \
  --config manifest=data/pairs.csv results=wf bin="$bin") > "$work/wf.out" 2>&1 \
  || { tail -n 30 "$work/wf.out" >&2; exit 1; }
t1=$(now)
ok=$(grep -c ',ok,' "$work/wf/summary.csv" || true)

# 2. The same commands in a plain loop: one folder per pair, inputs linked,
# raincorr with its console in run.log, then the report.
cat > "$work/one.sh" <<ONE
#!/usr/bin/env bash
# id obs gcm year1 year2 doy1 doy2 thresh method formt
set -e
d="$work/loop/\$1"; mkdir -p "\$d"; cd "\$d"
ln -sf "$work/data/\$2" "\$2"; ln -sf "$work/data/\$3" "\$3"
"$bin/raincorr" "\${@:2}" > run.log 2>&1
"$bin/raincorr-report" "\${@:2}" --log run.log -o report.html --summary verdict.txt > report.log 2>&1
ONE
chmod +x "$work/one.sh"
t2=$(now)
tail -n +2 "$work/data/pairs.csv" | tr ',' ' ' | xargs -P 2 -L 1 "$work/one.sh"
t3=$(now)

# Same outputs both ways.
for d in "$work"/loop/*/; do
  id="$(basename "$d")"
  cmp -s "$d/report.html" "$work/wf/$id/report.html" || { echo "report of $id differs" >&2; exit 1; }
done

wf=$(awk "BEGIN{print $t1 - $t0}")
loop=$(awk "BEGIN{print $t3 - $t2}")
printf 'pairs: %d of 30 years (%d done by the workflow)\n' "$n" "$ok"
printf '%-28s %8.2f s  %6.3f s/pair\n' "snakemake --cores 2" "$wf" "$(awk "BEGIN{print $wf / $n}")"
printf '%-28s %8.2f s  %6.3f s/pair\n' "xargs -P 2 loop" "$loop" "$(awk "BEGIN{print $loop / $n}")"
printf '%-28s %8.2f\n' "ratio workflow / loop" "$(awk "BEGIN{print $wf / $loop}")"

# 3. Slurm jobs through the profile.
if command -v slurmctld >/dev/null && command -v munged >/dev/null; then
  up="$("$src/workflow/slurm-local/up.sh")"
  eval "$up"
  cluster="$RAINCORR_SLURM_DIR"
  t4=$(now)
  (cd "$work" && exec snakemake -s "$src/workflow/Snakefile" \
    --profile "$src/workflow/profiles/slurm" \
    --config manifest=data/pairs.csv results=slurm bin="$bin") > "$work/slurm.out" 2>&1 &
  child=$!
  wait "$child" || { tail -n 30 "$work/slurm.out" >&2; exit 1; }
  t5=$(now)
  jobs=$(find "$work/.snakemake/slurm_logs" -name '*.log' | wc -l)
  diff -r -q "$work/wf" "$work/slurm" >/dev/null || { echo "Slurm results differ" >&2; exit 1; }
  printf '%-28s %8d jobs, %.2f s on the one-node cluster (2 cores)\n' "Slurm profile" "$jobs" \
    "$(awk "BEGIN{print $t5 - $t4}")"
else
  echo "Slurm profile: skipped (munge and slurm-wlm not installed)"
fi
