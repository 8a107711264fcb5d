#!/usr/bin/env bash
# Times `raincorr-convert netcdf` extracting the series of one grid cell from
# a 100-year daily file on a 64 x 128 grid (36,500 days x 8,192 cells of
# float32, 1.2 GB of data) and prints the elapsed seconds and peak memory.
# Two layouts of the same data are generated here, with the netCDF C library:
#   classic  64-bit-offset file, contiguous (time, lat, lon)
#   nc4      netCDF-4, chunks of one day's grid, deflate level 1, as CMIP
#            archives ship them: every chunk must be read to get one cell
#
#   bench/convert_bench.sh [path/to/raincorr-convert]
#       (default: build/convert/raincorr-convert, a Release build)
# Needs cc, libnetcdf-dev and /usr/bin/time; about 2.5 GB in $TMPDIR.
# Each extraction runs three times; the elapsed seconds of the first (the
# file was just written, so mostly in the page cache) and of the fastest run
# are reported, with the CPU seconds (user + system) of the fastest and the
# largest peak resident memory.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
exe="$(realpath "${1:-$here/../build/convert/raincorr-convert}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cat > "$work/make_grid.c" <<'C'
/* make_grid OUT.nc classic|nc4: 100 noleap years of daily pr on 64 x 128. */
#include <netcdf.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#define NY 64
#define NX 128
#define DAYS (100 * 365)
#define CHECK(x) do { int s_ = (x); if (s_) { fprintf(stderr, "%s\n", nc_strerror(s_)); exit(1); } } while (0)
int main(int argc, char **argv) {
  int nc4 = argc > 2 && strcmp(argv[2], "nc4") == 0;
  int ncid, dt, dy, dx, vt, vy, vx, vp, dims[3];
  CHECK(nc_create(argv[1], nc4 ? NC_NETCDF4 : NC_64BIT_OFFSET, &ncid));
  CHECK(nc_def_dim(ncid, "time", NC_UNLIMITED, &dt));
  CHECK(nc_def_dim(ncid, "lat", NY, &dy));
  CHECK(nc_def_dim(ncid, "lon", NX, &dx));
  CHECK(nc_def_var(ncid, "time", NC_DOUBLE, 1, &dt, &vt));
  CHECK(nc_put_att_text(ncid, vt, "units", 30, "days since 1950-01-01 00:00:00"));
  CHECK(nc_put_att_text(ncid, vt, "calendar", 6, "noleap"));
  CHECK(nc_def_var(ncid, "lat", NC_DOUBLE, 1, &dy, &vy));
  CHECK(nc_put_att_text(ncid, vy, "units", 13, "degrees_north"));
  CHECK(nc_def_var(ncid, "lon", NC_DOUBLE, 1, &dx, &vx));
  CHECK(nc_put_att_text(ncid, vx, "units", 12, "degrees_east"));
  dims[0] = dt; dims[1] = dy; dims[2] = dx;
  CHECK(nc_def_var(ncid, "pr", NC_FLOAT, 3, dims, &vp));
  CHECK(nc_put_att_text(ncid, vp, "units", 10, "kg m-2 s-1"));
  if (nc4) {
    size_t chunks[3] = {1, NY, NX};
    CHECK(nc_def_var_chunking(ncid, vp, NC_CHUNKED, chunks));
    CHECK(nc_def_var_deflate(ncid, vp, 1, 1, 1));
  }
  CHECK(nc_enddef(ncid));
  double lat[NY], lon[NX];
  for (int j = 0; j < NY; ++j) lat[j] = -88.59375 + j * 2.8125;
  for (int i = 0; i < NX; ++i) lon[i] = i * 2.8125;
  CHECK(nc_put_var_double(ncid, vy, lat));
  CHECK(nc_put_var_double(ncid, vx, lon));
  static float grid[NY * NX];
  unsigned long long seed = 20261211ULL;
  for (size_t t = 0; t < DAYS; ++t) {
    double stamp = t + 0.5;
    size_t one = 1;
    CHECK(nc_put_vara_double(ncid, vt, &t, &one, &stamp));
    for (int k = 0; k < NY * NX; ++k) {
      seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
      double u = (double)(seed >> 11) / 9007199254740992.0;
      grid[k] = u < 0.6 ? 0.0f : (float)((u - 0.6) * 5e-4);
    }
    size_t start[3] = {t, 0, 0}, count[3] = {1, NY, NX};
    CHECK(nc_put_vara_float(ncid, vp, start, count, grid));
  }
  CHECK(nc_close(ncid));
  return 0;
}
C
cc -O2 -o "$work/make_grid" "$work/make_grid.c" -lnetcdf

printf '%-8s %9s %9s %11s %9s %10s\n' layout file_MB first_s fastest_s cpu_s peak_MiB
for layout in classic nc4; do
  file="$work/pr_day_$layout.nc"
  "$work/make_grid" "$file" "$layout"
  mb=$(( $(stat -c %s "$file") / 1000000 ))
  first=""
  best=""
  cpu=""
  peak=0
  for _ in 1 2 3; do
    /usr/bin/time -o "$work/stats" -f '%e %U %S %M' "$exe" netcdf --lat -1.3 --lon 36.8 \
      -o "$work/out.txt" "$file" >/dev/null 2>"$work/log"
    read -r secs user sys kib < <(tail -n 1 "$work/stats")
    [ -z "$first" ] && first=$secs
    if [ -z "$best" ] || awk "BEGIN{exit !($secs < $best)}"; then
      best=$secs
      cpu=$(awk "BEGIN{print $user + $sys}")
    fi
    [ "$kib" -gt "$peak" ] && peak=$kib
  done
  lines=$(($(wc -l < "$work/out.txt") - 2))
  # 36,500 model days and the 25 leap days of 1950..2049 inserted.
  [ "$lines" -eq 36525 ] || { echo "expected 36525 days, got $lines" >&2; exit 1; }
  printf '%-8s %9d %9s %11s %9s %10.1f\n' "$layout" "$mb" "$first" "$best" "$cpu" \
    "$(awk "BEGIN{print $peak/1024}")"
  rm -f "$file"
done
