#!/usr/bin/env python3
"""Writes an observed weather file and a GCM file of N years for benchmarks.

    python3 bench/make_pair.py YEARS OUT_DIR [FIRST_YEAR]

OUT_DIR/obsNN.wtd (WTD layout) and OUT_DIR/gcmNN.txt (raw free GCM layout),
every day of FIRST_YEAR .. FIRST_YEAR+YEARS-1 (leap days included), with
seeded rainfall: about a third of the days wet, gamma-distributed amounts.
"""

import calendar
import datetime
import os
import random
import sys

MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]


def main():
    years, out = int(sys.argv[1]), sys.argv[2]
    first = int(sys.argv[3]) if len(sys.argv) > 3 else 1001
    os.makedirs(out, exist_ok=True)
    rng = random.Random(years)
    obs, gcm = [], []
    day0 = datetime.date(first, 1, 1)
    n = 0
    for year in range(first, first + years):
        for doy in range(1, 367 if calendar.isleap(year) else 366):
            o = rng.gammavariate(0.8, 12.0) if rng.random() < 0.3 else 0.0
            g = rng.gammavariate(1.3, 5.0) if rng.random() < 0.45 else 0.0
            obs.append("%04d%03d  20.0  25.0  14.0%6.1f\n" % (year, doy, o))
            d = day0 + datetime.timedelta(days=n)
            n += 1
            gcm.append("BENCH_GCM_pr_day_00001 %2d %s %4d %15.8E  lat=0.00 lon=0.00 cell=0001 r=1\n"
                       % (d.day, MONTHS[d.month - 1], d.year, g / 86400000.0))
    with open(os.path.join(out, "obs%d.wtd" % years), "w") as f:
        f.write("@  DATE  SRAD  TMAX  TMIN  RAIN\n")
        f.writelines(obs)
    with open(os.path.join(out, "gcm%d.txt" % years), "w") as f:
        f.write("benchmark GCM series\nunit m/s\n")
        f.writelines(gcm)


if __name__ == "__main__":
    main()
