#!/usr/bin/env python3
"""Writes the example input pair under examples/.

    python3 tools/make_examples.py

examples/stobs.wtd    observed daily weather, WTD layout with four-digit years
examples/gcmdaily.txt daily GCM output, raw free layout (rainfall in m/s)

Both cover 1976-2000 (25 years, leap years 1976 ... 2000 included). Rainfall
follows a two-state Markov chain for wet and dry days with a seasonal cycle
and gamma-distributed wet amounts, so the series look like real station
data: many dry days, skewed wet amounts, a few heavy storms. The GCM series
is biased the way models usually are: more drizzle days, too few heavy days.
The seed is fixed, so the files are the same on every run.
"""

import calendar
import datetime
import math
import os
import random

FIRST, LAST = 1976, 2000
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]


def season(doy):
    """1 in the wet season (around day 105 and day 300), 0 in the dry one."""
    return 0.5 + 0.5 * math.cos(4 * math.pi * (doy - 105) / 365.0)


def rainfall(rng, p_wet_wet, p_dry_wet, shape, scale, drizzle):
    days, wet = [], False
    for year in range(FIRST, LAST + 1):
        for doy in range(1, 367 if calendar.isleap(year) else 366):
            s = season(doy)
            p = (p_wet_wet if wet else p_dry_wet) * (0.25 + 0.75 * s)
            wet = rng.random() < p
            amount = 0.0
            if wet:
                amount = rng.gammavariate(shape, scale * (0.4 + 0.8 * s))
                if rng.random() < 0.01:
                    amount *= 4.0  # an occasional storm
            elif rng.random() < drizzle:
                amount = rng.uniform(0.0, 0.6)
            days.append((year, doy, amount))
    return days


def write_observed(path, days, rng):
    with open(path, "w") as f:
        f.write("*WEATHER DATA : Example station, 25 years of daily observations\n")
        f.write("\n")
        f.write("@ INSI      LAT     LONG  ELEV   TAV   AMP REFHT WNDHT\n")
        f.write("  EXST   -1.250   36.750  1650  18.5   3.1   2.0   2.0\n")
        f.write("\n")
        f.write("@  DATE  SRAD  TMAX  TMIN  RAIN\n")
        for year, doy, amount in days:
            s = season(doy)
            srad = 22.0 - 6.0 * s + rng.uniform(-2, 2)
            tmax = 25.0 - 2.0 * s + rng.uniform(-2, 2)
            tmin = 13.0 + 1.5 * s + rng.uniform(-1.5, 1.5)
            f.write("%04d%03d%6.1f%6.1f%6.1f%6.1f\n" % (year, doy, srad, tmax, tmin, amount))


def write_gcm(path, days):
    with open(path, "w") as f:
        f.write("Daily precipitation flux, example GCM run, grid cell -1.25 36.75\n")
        f.write("Source: synthetic; unit m/s; one line per day\n")
        for year, doy, amount in days:
            date = datetime.date(year, 1, 1) + datetime.timedelta(days=doy - 1)
            flux = amount / 86400000.0
            f.write("EXAMPLE_GCM_pr_day_A1B %2d %s %4d %15.8E  lat=-1.25 lon=36.75 cell=0412 run=1\n"
                    % (date.day, MONTHS[date.month - 1], year, flux))


def main():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples")
    os.makedirs(here, exist_ok=True)
    obs_rng, gcm_rng = random.Random(19760101), random.Random(20001231)
    observed = rainfall(obs_rng, 0.62, 0.30, 0.75, 14.0, 0.0)
    gcm = rainfall(gcm_rng, 0.78, 0.45, 1.4, 4.5, 0.35)
    write_observed(os.path.join(here, "stobs.wtd"), observed, random.Random(7))
    write_gcm(os.path.join(here, "gcmdaily.txt"), gcm)


if __name__ == "__main__":
    main()
