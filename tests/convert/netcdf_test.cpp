// raincorr-convert netcdf, through its library, on netCDF files that each
// test makes from CDL text with the real ncgen.
#include "convert/netcdf.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/convert/convert_support.h"

namespace raincorr::convert {
namespace {

namespace fs = std::filesystem;
using raincorr::testing::add_days;
using raincorr::testing::gcm_date;
using raincorr::testing::make_netcdf;
using raincorr::testing::read_file;
using raincorr::testing::ScratchDir;

std::string num(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

std::string join(const std::vector<double>& v) {
  std::string s;
  for (std::size_t k = 0; k < v.size(); ++k) s += (k ? ", " : "") + num(v[k]);
  return s;
}

// A CDL file of variable pr(time, lat, lon) on a rectilinear grid; values
// run over time, then latitude, then longitude.
struct Cdl {
  std::string calendar = "standard";  // empty: no calendar attribute
  std::string time_units = "days since 2000-01-01";
  std::vector<double> times = {0};
  std::string units = "mm/day";
  std::string type = "double";
  std::vector<double> lat = {0};
  std::vector<double> lon = {0};
  std::vector<double> values = {1};
  std::string attributes;  // more attributes of pr, one "pr:x = ... ;" each

  std::string text() const {
    std::ostringstream o;
    o << "netcdf f {\ndimensions:\n  time = UNLIMITED ;\n  lat = " << lat.size()
      << " ;\n  lon = " << lon.size() << " ;\nvariables:\n  double time(time) ;\n"
      << "    time:units = \"" << time_units << "\" ;\n";
    if (!calendar.empty()) o << "    time:calendar = \"" << calendar << "\" ;\n";
    o << "  double lat(lat) ;\n    lat:units = \"degrees_north\" ;\n"
      << "  double lon(lon) ;\n    lon:standard_name = \"longitude\" ;\n"
      << "  " << type << " pr(time, lat, lon) ;\n    pr:units = \"" << units << "\" ;\n"
      << attributes << "data:\n  time = " << join(times) << " ;\n  lat = " << join(lat)
      << " ;\n  lon = " << join(lon) << " ;\n  pr = " << join(values) << " ;\n}\n";
    return o.str();
  }
};

// Consecutive model days 0, 1, ..., n-1 (stamped at noon) with values
// 1, 2, ..., n on a one-cell grid.
Cdl days(std::string calendar, std::string units, int n) {
  Cdl c;
  c.calendar = std::move(calendar);
  c.time_units = std::move(units);
  c.times.clear();
  c.values.clear();
  for (int k = 0; k < n; ++k) {
    c.times.push_back(k + 0.5);
    c.values.push_back(k + 1);
  }
  return c;
}

struct Result {
  bool ok = false;
  std::vector<std::string> lines;  // the whole output file
  std::string log;                 // what was printed
  std::string error;               // the refusal
};

Result convert(const std::vector<std::pair<std::string, Cdl>>& files, NetcdfOptions options = {},
               const std::vector<std::string>& order = {}) {
  Result r;
  std::vector<fs::path> paths;
  for (const auto& [name, cdl] : files) make_netcdf(name, cdl.text());
  for (const auto& [name, cdl] : files) paths.emplace_back(name);
  if (!order.empty()) paths.assign(order.begin(), order.end());
  std::ostringstream log;
  try {
    convert_netcdf(options, paths, "out.txt", log);
    r.ok = true;
  } catch (const ConvertFailure& e) {
    r.error = e.what();
  }
  r.log = log.str();
  std::istringstream in(read_file("out.txt"));
  for (std::string line; std::getline(in, line);) r.lines.push_back(line);
  return r;
}

// The data lines expected for real days from `first` with `values`.
std::vector<std::string> want_lines(const std::string& first, const std::vector<double>& values) {
  std::vector<std::string> out;
  for (std::size_t k = 0; k < values.size(); ++k) {
    char value[32];
    std::snprintf(value, sizeof value, "%15.4f", values[k]);
    out.push_back(gcm_date(add_days(first, static_cast<int>(k))) + value);
  }
  return out;
}

std::vector<std::string> data_of(const Result& r) {
  return r.lines.size() < 2 ? r.lines
                            : std::vector<std::string>(r.lines.begin() + 2, r.lines.end());
}

TEST(NetcdfConvert, WritesTheCleanedLayoutWithTwoHeaderLines) {
  ScratchDir dir;
  Cdl c = days("noleap", "days since 1991-02-27 00:00:00", 3);
  c.lat = {-1.25};
  c.lon = {36.75};
  const Result r = convert({{"model_pr_day.nc", c}}, {.lat = -1.2, .lon = 36.7});
  ASSERT_TRUE(r.ok) << r.error;
  const std::vector<std::string> want = {
      "pr in mm/day, cell lat -1.2500 lon 36.7500, model calendar 365_day",
      "source: model_pr_day.nc",
      "27 Feb 1991         1.0000",
      "28 Feb 1991         2.0000",
      " 1 Mar 1991         3.0000",
  };
  EXPECT_EQ(r.lines, want);
  // 0.05 degrees of latitude and of longitude near the equator: 0.0707
  // degrees of arc, 7.9 km.
  EXPECT_EQ(r.log,
            "cell lat[0] lon[0] at lat -1.2500 lon 36.7500, 7.9 km from lat -1.2000 lon 36.7000\n"
            "days 1991-02-27 to 1991-03-01: 3 written, 0 inserted and 0 dropped by the 365_day "
            "calendar\n"
            "zeroed: 0 negative, 0 missing\n");
}

TEST(NetcdfConvert, EveryCalendarOnTheRealCalendar) {
  // A whole 360-day leap year: the six inserted days hold 0, the 360 model
  // values follow in order on the other days.
  std::vector<double> year2004;
  const std::set<std::string> inserted2004 = {"2004-02-01", "2004-04-02", "2004-06-02",
                                              "2004-08-02", "2004-10-02", "2004-12-02"};
  for (int k = 0, next = 1; k < 366; ++k)
    year2004.push_back(inserted2004.count(add_days("2004-01-01", k)) ? 0 : next++);

  struct Case {
    const char* label;
    Cdl cdl;
    LeapDay leap_day;
    std::string first;
    std::vector<double> want;  // empty: refused
    const char* error;
  };
  Cdl hours = days("proleptic_gregorian", "hours since 2000-02-28 00:00", 3);
  hours.times = {12, 36, 60};
  const Case cases[] = {
      {"standard",
       days("standard", "days since 2000-02-27", 4),
       LeapDay::kDry,
       "2000-02-27",
       {1, 2, 3, 4},
       ""},
      {"gregorian",
       days("gregorian", "days since 1900-02-27", 3),
       LeapDay::kDry,
       "1900-02-27",
       {1, 2, 3},
       ""},
      {"no calendar attribute",
       days("", "days since 2000-02-28", 2),
       LeapDay::kDry,
       "2000-02-28",
       {1, 2},
       ""},
      {"proleptic_gregorian, hours", hours, LeapDay::kDry, "2000-02-28", {1, 2, 3}, ""},
      {"noleap inserts 29 Feb",
       days("noleap", "days since 2000-02-27", 3),
       LeapDay::kDry,
       "2000-02-27",
       {1, 2, 0, 3},
       ""},
      {"365_day copies 28 Feb",
       days("365_day", "days since 2000-02-27", 3),
       LeapDay::kCopy,
       "2000-02-27",
       {1, 2, 2, 3},
       ""},
      {"noleap in 1900",
       days("noleap", "days since 1900-02-27", 3),
       LeapDay::kDry,
       "1900-02-27",
       {1, 2, 3},
       ""},
      {"all_leap drops 29 Feb",
       days("all_leap", "days since 2001-02-27", 4),
       LeapDay::kDry,
       "2001-02-27",
       {1, 2, 4},
       ""},
      {"366_day keeps a real 29 Feb",
       days("366_day", "days since 2000-02-27", 4),
       LeapDay::kDry,
       "2000-02-27",
       {1, 2, 3, 4},
       ""},
      // Real 4..8 Feb 2001 take model days k(d) = floor((2d - 1) * 180 / 365) + 1
      // = 35, 36, 37, 37, 38: model 5..8 Feb, with real 7 Feb inserted.
      {"360_day around 7 Feb",
       days("360_day", "days since 2001-02-05", 4),
       LeapDay::kDry,
       "2001-02-04",
       {1, 2, 3, 0, 4},
       ""},
      {"360_day over the year end",
       days("360_day", "days since 2001-12-29", 4),
       LeapDay::kDry,
       "2001-12-30",
       {1, 2, 3, 4},
       ""},
      {"360_day leap year", days("360_day", "days since 2004-01-01", 360), LeapDay::kDry,
       "2004-01-01", year2004, ""},
      {"julian",
       days("julian", "days since 2000-01-01", 2),
       LeapDay::kDry,
       "",
       {},
       "calendar \"julian\" is not supported"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const Result r = convert({{"f.nc", c.cdl}}, {.leap_day = c.leap_day});
    if (c.want.empty()) {
      EXPECT_FALSE(r.ok) << c.label;
      EXPECT_NE(r.error.find("\"f.nc\": "), std::string::npos) << c.label << ": " << r.error;
      EXPECT_NE(r.error.find(c.error), std::string::npos) << c.label << ": " << r.error;
      EXPECT_FALSE(fs::exists("out.txt")) << c.label;
      continue;
    }
    ASSERT_TRUE(r.ok) << c.label << ": " << r.error;
    EXPECT_EQ(data_of(r), want_lines(c.first, c.want)) << c.label;
  }
}

TEST(NetcdfConvert, EveryUnitSpelling) {
  struct Case {
    const char* units;
    double value;
    const char* want;  // mm/day as written, or the start of the refusal
  };
  const Case cases[] = {
      {"kg m-2 s-1", 2.5e-5, "2.1600"},
      {"kg m^-2 s^-1", 2.5e-5, "2.1600"},
      {"kg/m2/s", 2.5e-5, "2.1600"},
      {"mm s-1", 2.5e-5, "2.1600"},
      {"mm/s", 2.5e-5, "2.1600"},
      {" kg  m-2  s-1 ", 2.5e-5, "2.1600"},
      {"mm/day", 2.16, "2.1600"},
      {"mm d-1", 2.16, "2.1600"},
      {"mm day-1", 2.16, "2.1600"},
      {"mm/day", -0.0, "0.0000"},  // not "-0.0000"
      {"m s-1", 2.5e-8, "2.1600"},
      {"K", 1, "units \"K\" are not a rainfall rate"},
      {"kg m-2", 1, "units \"kg m-2\" are not a rainfall rate"},
      {"mm", 1, "units \"mm\" are not a rainfall rate"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    Cdl cdl;
    cdl.units = c.units;
    cdl.values = {c.value};
    const Result r = convert({{"f.nc", cdl}});
    if (r.ok) {
      ASSERT_EQ(r.lines.size(), 3u) << c.units;
      EXPECT_EQ(r.lines[2],
                " 1 Jan 2000" + std::string(15 - std::string(c.want).size(), ' ') + c.want)
          << c.units;
    } else {
      EXPECT_NE(r.error.find(c.want), std::string::npos) << c.units << ": " << r.error;
      EXPECT_EQ(r.error.find("\"f.nc\": "), 0u) << r.error;
    }
  }
}

TEST(NetcdfConvert, PackedValuesNegativesAndFillValues) {
  // Packed shorts: value = raw * 0.5 + 1; raw -6 gives -2 (noise, written
  // 0); -999 is the fill value; the second cell's fill is never read.
  Cdl packed;
  packed.type = "short";
  packed.lon = {0, 10};
  packed.times = {0, 1, 2, 3};
  packed.values = {4, -999, -6, -999, -999, -999, 2, -999};
  packed.attributes =
      "    pr:scale_factor = 0.5 ;\n    pr:add_offset = 1. ;\n    pr:_FillValue = -999s ;\n";
  Cdl clean = packed;
  clean.values = {4, -999, -6, -999, 5, -999, 2, -999};
  Cdl missing_value = days("standard", "days since 2000-01-01", 3);
  missing_value.type = "float";
  missing_value.values = {1, 1e20, 3};
  missing_value.attributes = "    pr:missing_value = 1.e20f ;\n";

  struct Case {
    const char* label;
    Cdl cdl;
    MissingPolicy missing;
    std::vector<double> want;  // empty: refused
    std::string log_zeroed;
    const char* error;
  };
  const Case cases[] = {
      {"packed, fill in the cell",
       packed,
       MissingPolicy::kRefuse,
       {},
       "",
       "\"f.nc\": \"pr\" is missing (fill value) in the chosen cell on 2000-01-03"},
      {"packed, fill written dry",
       packed,
       MissingPolicy::kDry,
       {3, 0, 0, 2},
       "zeroed: 1 negative, 1 missing\n",
       ""},
      {"packed, fill only in the other cell",
       clean,
       MissingPolicy::kRefuse,
       {3, 0, 3.5, 2},
       "zeroed: 1 negative, 0 missing\n",
       ""},
      {"missing_value",
       missing_value,
       MissingPolicy::kRefuse,
       {},
       "",
       "missing (fill value) in the chosen cell on 2000-01-02"},
      {"missing_value written dry",
       missing_value,
       MissingPolicy::kDry,
       {1, 0, 3},
       "zeroed: 0 negative, 1 missing\n",
       ""},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const Result r = convert({{"f.nc", c.cdl}}, {.missing = c.missing});
    if (c.want.empty()) {
      EXPECT_FALSE(r.ok) << c.label;
      EXPECT_NE(r.error.find(c.error), std::string::npos) << c.label << ": " << r.error;
      EXPECT_FALSE(fs::exists("out.txt")) << c.label;
      continue;
    }
    ASSERT_TRUE(r.ok) << c.label << ": " << r.error;
    EXPECT_EQ(data_of(r), want_lines("2000-01-01", c.want)) << c.label;
    EXPECT_NE(r.log.find(c.log_zeroed), std::string::npos) << c.label << ": " << r.log;
  }
}

TEST(NetcdfConvert, SeveralFilesMustContinueEachOther) {
  // Files given out of order and with different reference dates and units
  // of time: a.nc holds 1-2 Jan 2000, b.nc 3-4 Jan 2000.
  Cdl a = days("standard", "days since 1999-12-31", 2);
  a.times = {1.5, 2.5};
  Cdl b = days("standard", "hours since 2000-01-03 00:00:00", 2);
  b.times = {12, 36};
  b.values = {3, 4};
  Cdl overlap = days("standard", "days since 2000-01-02", 2);
  Cdl gap = days("standard", "days since 2000-01-05", 2);
  Cdl other_calendar = days("noleap", "days since 2000-01-03", 2);
  Cdl other_units = b;
  other_units.units = "mm d-1";
  Cdl other_grid = b;
  other_grid.lat = {0.5};

  struct Case {
    const char* label;
    Cdl second;
    std::vector<double> want;        // empty: refused
    std::vector<std::string> error;  // pieces the refusal names
  };
  const Case cases[] = {
      {"in order", b, {1, 2, 3, 4}, {}},
      {"overlap",
       overlap,
       {},
       {"\"b.nc\" starts on 2000-01-02", "\"a.nc\" runs to 2000-01-02", "overlap by 1 days"}},
      {"gap",
       gap,
       {},
       {"\"a.nc\" ends on 2000-01-02", "\"b.nc\" starts on 2000-01-05",
        "a gap of 2 days (from 2000-01-03)"}},
      {"other calendar", other_calendar, {}, {"\"a.nc\" and \"b.nc\" use different calendars"}},
      {"other units", other_units, {}, {"different units (\"mm/day\", \"mm d-1\")"}},
      {"other grid", other_grid, {}, {"\"a.nc\" and \"b.nc\" are not on the same grid"}},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const Result r = convert({{"a.nc", a}, {"b.nc", c.second}}, {}, {"b.nc", "a.nc"});
    if (c.want.empty()) {
      EXPECT_FALSE(r.ok) << c.label;
      for (const auto& piece : c.error)
        EXPECT_NE(r.error.find(piece), std::string::npos) << c.label << ": " << r.error;
      EXPECT_FALSE(fs::exists("out.txt")) << c.label;
      continue;
    }
    ASSERT_TRUE(r.ok) << c.label << ": " << r.error;
    EXPECT_EQ(data_of(r), want_lines("2000-01-01", c.want)) << c.label;
    EXPECT_EQ(r.lines[1], "source: a.nc and 1 more") << c.label;
  }
}

// Each cell holds 10 * j + i + 1 mm/day, so the written value names the cell.
TEST(NetcdfConvert, NearestCellByGreatCircle) {
  struct Case {
    const char* label;
    std::vector<double> lat;
    std::vector<double> lon;
    double at_lat;
    double at_lon;
    std::string cell;  // "lat[j] lon[i] at lat ... lon ..., D km"
    double want;
  };
  const Case cases[] = {
      {"0..360 grid, point west of 0",
       {-45, 45},
       {0, 90, 180, 270},
       40,
       -80,
       "lat[1] lon[3] at lat 45.0000 lon 270.0000",
       14},
      {"-180..180 grid, point east of 180",
       {0},
       {-170, -10, 10},
       0,
       355,
       "lat[0] lon[1] at lat 0.0000 lon -10.0000, 556.0 km",
       2},
      // Across the seam -175 is 10 degrees away, 150 is 25.
      {"seam, -180..180",
       {0},
       {-175, 0, 150},
       0,
       175,
       "lat[0] lon[0] at lat 0.0000 lon -175.0000, 1111.9 km",
       1},
      {"seam, 0..360",
       {0},
       {5, 180, 350},
       0,
       -7,
       "lat[0] lon[2] at lat 0.0000 lon 350.0000, 333.6 km",
       3},
      // At the pole every cell of a latitude is as near: the first wins.
      {"pole",
       {88, 89.5},
       {0, 120, 240},
       90,
       45,
       "lat[1] lon[0] at lat 89.5000 lon 0.0000, 55.6 km",
       11},
      // 0.9 and 1.1 degrees from the pole, 10 degrees of longitude apart:
      // 100.3 km to (89, 90), 109.8 km to (89, 180), 211.4 km to (88, 90).
      {"near the pole",
       {88, 89},
       {0, 90, 180, 270},
       89.9,
       100,
       "lat[1] lon[1] at lat 89.0000 lon 90.0000, 100.3 km",
       12},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    Cdl cdl;
    cdl.lat = c.lat;
    cdl.lon = c.lon;
    cdl.values.clear();
    for (std::size_t j = 0; j < c.lat.size(); ++j)
      for (std::size_t i = 0; i < c.lon.size(); ++i) cdl.values.push_back(10.0 * j + i + 1);
    const Result r = convert({{"f.nc", cdl}}, {.lat = c.at_lat, .lon = c.at_lon});
    ASSERT_TRUE(r.ok) << c.label << ": " << r.error;
    EXPECT_EQ(r.log.find("cell " + c.cell), 0u) << c.label << ": " << r.log;
    EXPECT_EQ(data_of(r), want_lines("2000-01-01", {c.want})) << c.label;
  }
}

TEST(NetcdfConvert, CurvilinearGridAndDimensionOrder) {
  // Rotated-pole layout: rlat/rlon are grid coordinates in plain degrees,
  // the real latitude and longitude are 2-D and named in `coordinates`;
  // the dimensions are in the order x, height (size 1), y, time.
  const std::string curvilinear = R"(netcdf f {
dimensions:
  rlon = 3 ; height = 1 ; rlat = 2 ; time = 2 ;
variables:
  double rlon(rlon) ; rlon:units = "degrees" ; rlon:standard_name = "grid_longitude" ;
  double rlat(rlat) ; rlat:units = "degrees" ; rlat:standard_name = "grid_latitude" ;
  double height(height) ; height:units = "m" ;
  double time(time) ; time:units = "days since 1991-01-01" ; time:calendar = "360_day" ;
  double lat(rlat, rlon) ; lat:units = "degrees_north" ;
  double lon(rlat, rlon) ; lon:units = "degrees_east" ;
  float pr(rlon, height, rlat, time) ;
    pr:units = "kg m-2 s-1" ; pr:coordinates = "lon lat" ;
data:
  rlon = -1, 0, 1 ; rlat = 0, 1 ; height = 2 ; time = 0.5, 1.5 ;
  lat = 50.1, 50.2, 50.3, 51.1, 51.2, 51.3 ;
  lon = 9.9, 11.1, 12.3, 10.0, 11.2, 12.4 ;
  pr = 1e-5, 2e-5, 3e-5, 4e-5, 5e-5, 6e-5, 7e-5, 8e-5, 9e-5, 1e-4, 1.1e-4, 1.2e-4 ;
}
)";
  ScratchDir dir;
  make_netcdf("f.nc", curvilinear);
  std::ostringstream log;
  // Nearest to (51.25, 12.3): (51.3, 12.4) at rlat 1, rlon 2, whose series
  // sits at pr[rlon=2][0][rlat=1][*] = 1.1e-4, 1.2e-4 kg m-2 s-1.
  convert_netcdf({.lat = 51.25, .lon = 12.3}, {"f.nc"}, "out.txt", log);
  EXPECT_EQ(log.str().substr(0, 48), "cell rlat[1] rlon[2] at lat 51.3000 lon 12.4000,");
  const std::string want = read_file("out.txt");
  EXPECT_NE(want.find(" 1 Jan 1991         9.5040\n 2 Jan 1991        10.3680\n"),
            std::string::npos)
      << want;

  // A dimension other than time and the grid longer than 1 is refused.
  std::string two_heights = curvilinear;
  two_heights.replace(two_heights.find("height = 1"), 10, "height = 2");
  two_heights.replace(two_heights.find("height = 2 ;", two_heights.find("data:")), 12,
                      "height = 2, 10 ;");
  two_heights.replace(two_heights.find("pr = "), 4, "pr = 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,");
  make_netcdf("g.nc", two_heights);
  try {
    convert_netcdf({}, {"g.nc"}, "out2.txt", log);
    ADD_FAILURE() << "a height of 2 was accepted";
  } catch (const ConvertFailure& e) {
    EXPECT_NE(std::string(e.what()).find("dimension \"height\" of size 2"), std::string::npos)
        << e.what();
  }
}

TEST(NetcdfConvert, ChunkedCompressedNetcdf4IsReadWhole) {
  // 2,100 days in chunks of 7 along time, compressed: the series is read in
  // several blocks of whole chunks and must come out whole and in order.
  ScratchDir dir;
  Cdl cdl = days("standard", "days since 1990-01-01", 2100);
  cdl.lon = {0, 1};
  cdl.values.clear();
  for (int k = 0; k < 2100; ++k) {
    cdl.values.push_back(k % 97);
    cdl.values.push_back(-1);  // the other cell
  }
  cdl.attributes = "    pr:_ChunkSizes = 7, 1, 2 ;\n    pr:_DeflateLevel = 1 ;\n";
  make_netcdf("f.nc", cdl.text(), "nc4");
  std::ostringstream log;
  convert_netcdf({}, {"f.nc"}, "out.txt", log);
  std::vector<double> want;
  for (int k = 0; k < 2100; ++k) want.push_back(k % 97);
  std::vector<std::string> lines;
  std::istringstream in(read_file("out.txt"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 2102u);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()),
            want_lines("1990-01-01", want));
}

TEST(NetcdfConvert, TimeStepsMustBeConsecutiveModelDays) {
  struct Case {
    const char* label;
    std::vector<double> times;
    const char* error;  // empty: accepted
  };
  const Case cases[] = {
      {"noon stamps", {0.5, 1.5, 2.5}, ""},
      {"a day left out",
       {0.5, 1.5, 3.5},
       "time step 3 falls on 2000-01-04, expected the next day "
       "2000-01-03"},
      {"two steps on one day", {0.25, 0.75, 1.5}, "time step 2 falls on 2000-01-01"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    Cdl cdl = days("standard", "days since 2000-01-01", 3);
    cdl.times = c.times;
    const Result r = convert({{"f.nc", cdl}});
    EXPECT_EQ(r.ok, std::string(c.error).empty()) << c.label;
    EXPECT_NE(r.error.find(c.error), std::string::npos) << c.label << ": " << r.error;
  }
}

}  // namespace
}  // namespace raincorr::convert
