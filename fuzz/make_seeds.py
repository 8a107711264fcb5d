#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets under fuzz/corpus/<target>/.

    python3 fuzz/make_seeds.py

Each seed is a small well-formed input, so that the fuzzers start from files
that reach deep into the stages instead of stopping at the first check.
"""

import calendar
import datetime
import os
import random
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]


def pick(lo, hi, value):
    """The two bytes that Input::in_range(lo, hi) turns into `value`."""
    return struct.pack("<H", value - lo)


def wtd(first, years, rng):
    out = ["*TEST\n", "\n", "@  DATE  SRAD  TMAX  TMIN  RAIN\n"]
    for y in range(first, first + years):
        for d in range(1, 367 if calendar.isleap(y) else 366):
            r = rng.choice([0.0, 0.0, 0.0, 0.3, 1.2, 5.5, 12.0, 40.1])
            out.append("%04d%03d  20.0  25.0  14.0%6.1f\n" % (y, d, r))
    return "".join(out)


def gcm(first, years, rng, layouts):
    out = ["header one\n", "header two\n"]
    day = datetime.date(first, 1, 1)
    while day.year < first + years:
        r = rng.choice([0.0, 0.0, 0.5, 2.0, 7.5, 20.0])
        layout = rng.choice(layouts)
        if layout == 1:
            out.append("%2d %s %4d%15.2f\n" % (day.day, MONTHS[day.month - 1], day.year, r))
        elif layout == 0:
            out.append("FUZZ_GCM_pr_day_000001 %2d %s %4d %15.8E  lat=0.0 lon=0.0 cell=01 r=1\n"
                       % (day.day, MONTHS[day.month - 1], day.year, r / 86400000.0))
        else:
            out.append("FUZZ_GCM_pr_day_00000000000000000001 %2d %s %4d %15.8E\n"
                       % (day.day, MONTHS[day.month - 1], day.year, r / 86400000.0))
        day += datetime.timedelta(days=1)
    return "".join(out)


def write(target, name, data):
    d = os.path.join(HERE, "corpus", target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode())


def main():
    rng = random.Random(5)
    write("freeform", "numbers", b"\x55 1981032  12.5\n\n 7,8 , 9\n1.2E-05 -3 +4 .5 5. x\n")
    write("command_line", "full", b"obs.wtd\0gcm.txt\0" b"1981\0" b"1983\0" b"1\0" b"365\0"
          b"0.1\0" b"1\0" b"0")
    write("command_line", "six", b"obs.wtd\0gcm.txt\0" b"1981\0" b"1983\0" b"305\0" b"59")
    for name, (d1, d2) in {"inside": (60, 90), "across": (305, 59), "one": (45, 45)}.items():
        write("weather_extract", name,
              pick(1, 365, d1) + pick(1, 365, d2) + b"1999\0" b"2001\0" + wtd(1999, 2, rng).encode())
    write("gcm_prepare", "mixed", gcm(1999, 1, rng, [0, 1, 2]))
    write("gcm_prepare", "cleaned", gcm(2000, 1, rng, [1]))
    for method in (-1, 0, 1, 2):
        params = (pick(1999, 2002, 1999) + pick(-1, 3, 2) + pick(1, 365, 1) + pick(1, 365, 365) +
                  pick(0, 40, 2) + pick(-1, 2, method))
        write("whole_run", "method%d" % (method + 1),
              params + wtd(1999, 2, rng).encode() + b"\0" + gcm(1999, 2, rng, [0, 1]).encode())
    params = (pick(1999, 2002, 2000) + pick(-1, 3, 1) + pick(1, 365, 335) + pick(1, 365, 31) +
              pick(0, 40, 0) + pick(-1, 2, 1))
    write("whole_run", "across", params + wtd(1999, 3, rng).encode() + b"\0" +
          gcm(1999, 3, rng, [1]).encode())


if __name__ == "__main__":
    main()
