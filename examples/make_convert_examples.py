#!/usr/bin/env python3
"""Writes the raw-data examples of raincorr-convert under examples/.

    python3 examples/make_convert_examples.py      (needs ncgen, netcdf-bin)

examples/pr_day_example.nc   CF-NetCDF model output: pr in kg m-2 s-1 on a
                             4 x 5 grid around 1.25 S 36.75 E, 1991-1993 in
                             the 365-day (noleap) calendar, stamped at noon
examples/EXAMPLE0001.dly     GHCN-Daily station record of the same years:
                             PRCP, TMAX, TMIN and SNWD (ignored), a few
                             temperatures flagged by the quality check

The netCDF file is made from CDL text by ncgen (classic format, so the same
bytes on every run). Rainfall follows a wet/dry Markov chain with a
seasonal cycle and exponential wet amounts; the model drizzles more often
and rains less heavily than the station. The seed is fixed.
"""

import calendar
import math
import os
import random
import subprocess
import tempfile

FIRST, LAST = 1991, 1993
LATS = [-2.75, -2.0, -1.25, -0.5]
LONS = [35.25, 36.0, 36.75, 37.5, 38.25]
STATION = "EXAMPLE0001"
HERE = os.path.dirname(os.path.abspath(__file__))


def season(doy):
    """1 in the wet seasons (around day 105 and day 300), 0 in the dry ones."""
    return 0.5 + 0.5 * math.cos(4 * math.pi * (doy - 105) / 365.0)


def series(rng, days, p_wet, mean):
    """Daily rainfall in mm for `days` (day-of-year list)."""
    out, wet = [], False
    for doy in days:
        s = season(doy)
        p = (0.55 if wet else 0.2) * (p_wet + s) / (1 + p_wet)
        wet = rng.random() < p
        out.append(-math.log(1.0 - rng.random()) * mean * (0.4 + s) if wet else 0.0)
    return out


def write_netcdf(rng):
    model_days = [d for _ in range(FIRST, LAST + 1) for d in range(1, 366)]
    cells = [series(rng, model_days, 0.9, 4.0) for _ in LATS for _ in LONS]
    values = []
    for t in range(len(model_days)):
        for c in cells:
            # kg m-2 s-1 with a little negative noise on dry days, as models give.
            v = c[t] / 86400.0 if c[t] > 0 else -rng.random() * 1e-9 * (rng.random() < 0.05)
            values.append("%.6g" % v)
    cdl = f"""netcdf pr_day_example {{
dimensions:
\ttime = UNLIMITED ;
\tlat = {len(LATS)} ;
\tlon = {len(LONS)} ;
variables:
\tdouble time(time) ;
\t\ttime:units = "days since {FIRST}-01-01 00:00:00" ;
\t\ttime:calendar = "365_day" ;
\t\ttime:standard_name = "time" ;
\tdouble lat(lat) ;
\t\tlat:units = "degrees_north" ;
\t\tlat:standard_name = "latitude" ;
\tdouble lon(lon) ;
\t\tlon:units = "degrees_east" ;
\t\tlon:standard_name = "longitude" ;
\tfloat pr(time, lat, lon) ;
\t\tpr:units = "kg m-2 s-1" ;
\t\tpr:standard_name = "precipitation_flux" ;
\t\tpr:_FillValue = 1.e+20f ;
// global attributes:
\t\t:Conventions = "CF-1.7" ;
\t\t:title = "Synthetic daily precipitation, example model run" ;
data:
 time = {", ".join("%g" % (t + 0.5) for t in range(len(model_days)))} ;
 lat = {", ".join("%g" % v for v in LATS)} ;
 lon = {", ".join("%g" % v for v in LONS)} ;
 pr = {", ".join(values)} ;
}}
"""
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "pr_day_example.cdl")
        with open(path, "w") as f:
            f.write(cdl)
        subprocess.run(["ncgen", "-k", "classic", "-o",
                        os.path.join(HERE, "pr_day_example.nc"), path], check=True)


def record(year, month, element, values, qflags):
    line = "%-11s%04d%02d%-4s" % (STATION, year, month, element)
    for d in range(31):
        v = values[d] if d < len(values) else -9999
        line += "%5d %s%s" % (v, qflags.get(d + 1, " ") if v != -9999 else " ",
                              "7" if v != -9999 else " ")
    return line + "\n"


def write_dly(rng):
    lines = []
    days = [(y, d) for y in range(FIRST, LAST + 1)
            for d in range(1, 366 + calendar.isleap(y))]
    rain = series(rng, [d for _, d in days], 0.4, 9.0)
    k = 0
    for year in range(FIRST, LAST + 1):
        for month in range(1, 13):
            n = calendar.monthrange(year, month)[1]
            prcp = [int(round(r * 10)) for r in rain[k:k + n]]
            k += n
            tmax = [int(round(250 + 25 * math.sin(d / 5.0) + rng.random() * 20)) for d in range(n)]
            tmin = [int(round(130 + 15 * math.cos(d / 7.0) + rng.random() * 15)) for d in range(n)]
            flagged = {d: "I" for d in range(1, n + 1) if rng.random() < 0.01}
            lines.append(record(year, month, "PRCP", prcp, {}))
            lines.append(record(year, month, "TMAX", tmax, flagged))
            lines.append(record(year, month, "TMIN", tmin, {}))
            lines.append(record(year, month, "SNWD", [0] * n, {}))
    with open(os.path.join(HERE, STATION + ".dly"), "w") as f:
        f.writelines(lines)


def main():
    rng = random.Random(20261211)
    write_netcdf(rng)
    write_dly(rng)


if __name__ == "__main__":
    main()
