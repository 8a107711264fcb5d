#!/usr/bin/env python3
"""Writes station and model files and a manifest of pairs for the batch benchmark.

    python3 bench/make_many_pairs.py STATIONS MODELS YEARS OUT_DIR

OUT_DIR/stNNN.wtd (WTD layout) for STATIONS stations, OUT_DIR/gcmNN.txt (raw
free GCM layout) for MODELS models, every day of 1971 .. 1971+YEARS-1 with
seeded rainfall (about a third of the station days and half of the model
days wet, gamma-distributed amounts), and OUT_DIR/pairs.csv naming every
station x model pair, the methods in turn.
"""

import calendar
import datetime
import os
import random
import sys

MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]
FIRST = 1971


def main():
    stations, models, years = (int(a) for a in sys.argv[1:4])
    out = sys.argv[4]
    os.makedirs(out, exist_ok=True)
    rng = random.Random(2026)
    days = [datetime.date(FIRST, 1, 1) + datetime.timedelta(n)
            for n in range(sum(366 if calendar.isleap(y) else 365
                               for y in range(FIRST, FIRST + years)))]
    for s in range(1, stations + 1):
        with open(os.path.join(out, "st%03d.wtd" % s), "w") as f:
            f.write("*WEATHER DATA : benchmark station %d\n\n@  DATE  SRAD  TMAX  TMIN  RAIN\n" % s)
            for d in days:
                r = rng.gammavariate(0.8, 12.0) if rng.random() < 0.3 else 0.0
                f.write("%04d%03d  20.0  25.0  14.0%6.1f\n" % (d.year, d.timetuple().tm_yday, r))
    for m in range(1, models + 1):
        with open(os.path.join(out, "gcm%02d.txt" % m), "w") as f:
            f.write("benchmark GCM series %d\nunit m/s\n" % m)
            for d in days:
                g = rng.gammavariate(1.3, 5.0) if rng.random() < 0.45 else 0.0
                f.write("BENCH_GCM_pr_day_%05d %2d %s %4d %15.8E  lat=0.00 lon=0.00 cell=0001 r=1\n"
                        % (m, d.day, MONTHS[d.month - 1], d.year, g / 86400000.0))
    with open(os.path.join(out, "pairs.csv"), "w") as f:
        f.write("id,obs,gcm,year1,year2,doy1,doy2,thresh,method,formt\n")
        n = 0
        for s in range(1, stations + 1):
            for m in range(1, models + 1):
                f.write("st%03d-gcm%02d,st%03d.wtd,gcm%02d.txt,%d,%d,1,365,0.1,%d,0\n"
                        % (s, m, s, m, FIRST, FIRST + years, n % 3))
                n += 1


if __name__ == "__main__":
    main()
