#!/usr/bin/env python3
"""Builds the workflow tests' inputs from the shipped examples.

    python3 tests/workflow/make_fixtures.py EXAMPLES_DIR OUT_DIR

OUT_DIR gets:
  stobs.wtd, gcmdaily.txt,  the examples themselves;
  EXAMPLE0001.dly,
  pr_day_example.nc
  USC00000001.dly           the example station's rainfall as a GHCN-Daily
                            file (PRCP in tenths of mm, days past a month's
                            end -9999);
  pr_day_EX_1976-1988.cdl,  the example model's series as CF-NetCDF text
  pr_day_EX_1989-2000.cdl   (kg m-2 s-1, standard calendar, one time step a
                            day at 12:00, split in two files at 1989) on a
                            2 x 2 grid whose cell (-1.25, 36.75) holds the
                            example and the other cells other amounts;
  broke.wtd                 the example station with the rainfall of
                            10 January 1976 blank, which raincorr refuses.
The caller turns the .cdl files into .nc with ncgen.
"""

import datetime
import os
import shutil
import sys

MONTHS = {m: i + 1 for i, m in enumerate(
    ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"])}


def main():
    examples, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    for name in ("stobs.wtd", "gcmdaily.txt", "EXAMPLE0001.dly", "pr_day_example.nc"):
        shutil.copy(os.path.join(examples, name), os.path.join(out, name))

    # Station: WTD lines "YYYYDDD ... RAIN" -> monthly PRCP records.
    rain = {}
    with open(os.path.join(examples, "stobs.wtd")) as f:
        lines = f.readlines()
    for line in lines:
        if len(line) >= 31 and line[:7].isdigit():
            day = datetime.date(int(line[:4]), 1, 1) + datetime.timedelta(int(line[4:7]) - 1)
            rain[day] = round(float(line[26:31]) * 10)
    records = []
    months = sorted({(d.year, d.month) for d in rain})
    for year, month in months:
        groups = ""
        for dom in range(1, 32):
            try:
                day = datetime.date(year, month, dom)
            except ValueError:
                day = None
            value = rain.get(day, -9999) if day else -9999
            groups += "%5d   " % value
        records.append("USC00000001%04d%02dPRCP%s\n" % (year, month, groups))
    with open(os.path.join(out, "USC00000001.dly"), "w") as f:
        f.writelines(records)

    with open(os.path.join(out, "broke.wtd"), "w") as f:
        for line in lines:
            if line.startswith("1976010"):
                line = line[:26] + "     " + line[31:]
            f.write(line)

    # Model: raw free layout, rainfall in m/s -> kg m-2 s-1 (x 1000).
    series = []
    with open(os.path.join(examples, "gcmdaily.txt")) as f:
        for line in f.readlines()[2:]:
            words = line.split()
            day = datetime.date(int(words[3]), MONTHS[words[2]], int(words[1]))
            series.append((day, float(words[4]) * 1000.0))
    origin = datetime.date(1970, 1, 1)
    for first, last in ((1976, 1988), (1989, 2000)):
        part = [(d, v) for d, v in series if first <= d.year <= last]
        times = ", ".join("%d.5" % (d - origin).days for d, _ in part)
        values = ",\n  ".join("%.8e, %.8e, %.8e, %.8e" % (v, 0.5 * v, 2.0 * v, 0.0)
                              for _, v in part)
        cdl = f"""netcdf pr_day_EX_{first}-{last} {{
dimensions:
  time = UNLIMITED ; lat = 2 ; lon = 2 ;
variables:
  double time(time) ;
    time:units = "days since 1970-01-01 00:00:00" ;
    time:calendar = "standard" ;
  double lat(lat) ;
    lat:units = "degrees_north" ;
  double lon(lon) ;
    lon:units = "degrees_east" ;
  float pr(time, lat, lon) ;
    pr:units = "kg m-2 s-1" ;
data:
  lat = -1.25, -3.75 ;
  lon = 36.75, 39.25 ;
  time = {times} ;
  pr =
  {values} ;
}}
"""
        with open(os.path.join(out, f"pr_day_EX_{first}-{last}.cdl"), "w") as f:
            f.write(cdl)


if __name__ == "__main__":
    main()
