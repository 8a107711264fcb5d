// The whole chain: a model NetCDF file and a GHCN-Daily station file are
// converted by raincorr-convert, and the real raincorr runs on the results.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/convert/convert_support.h"
#include "tests/convert/station_fixture.h"

namespace raincorr::testing {
namespace {

// Model rainfall of model day t (365-day calendar from 1 Jan 2001), mm/day.
int model_mm(int t) { return (t * 7919) % 13; }
// Station rainfall of day d of month m of year y, tenths of mm.
int station_tenths(int y, int m, int d) { return (d * 31 + m * 7 + y) % 97; }

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

TEST(ConvertChain, NetcdfAndGhcnThroughRaincorr) {
  ScratchDir dir;
  // Four model years of 365 days, in kg m-2 s-1 on a 2 x 2 grid; only the
  // cell nearest to (-1.6, 37.1), lat -1.5 lon 37.0, holds the series.
  const int days = 4 * 365;
  std::string times;
  std::string pr;
  for (int t = 0; t < days; ++t) {
    char v[64];
    std::snprintf(v, sizeof v, "0, %.17g, 0, 0", model_mm(t) / 86400.0);
    if (t > 0) {
      times += ", ";
      pr += ", ";
    }
    times += std::to_string(t);
    times += ".5";
    pr += v;
  }
  make_netcdf("m.nc",
              "netcdf m {\ndimensions: time = UNLIMITED ; lat = 2 ; lon = 2 ;\n"
              "variables:\n"
              "  double time(time) ; time:units = \"days since 2001-01-01 00:00:00\" ;\n"
              "    time:calendar = \"noleap\" ;\n"
              "  float lat(lat) ; lat:units = \"degrees_north\" ;\n"
              "  float lon(lon) ; lon:units = \"degrees_east\" ;\n"
              "  double pr(time, lat, lon) ; pr:units = \"kg m-2 s-1\" ;\n"
              "data:\n  time = " +
                  times +
                  " ;\n  lat = -1.5, -1.0 ;\n"
                  "  lon = 36.5, 37.0 ;\n  pr = " +
                  pr + " ;\n}\n");
  std::string dly;
  for (int y = 2001; y <= 2004; ++y)
    for (int m = 1; m <= 12; ++m) {
      std::map<int, std::pair<int, char>> values;
      for (int d = 1; d <= 31; ++d) values[d] = {station_tenths(y, m, d), ' '};
      std::string record = dly_record("KE000063740", y, m, "PRCP", 0, values);
      // Days past the month's end stay -9999, as in real records.
      const std::string first =
          std::to_string(y) + (m < 10 ? "-0" : "-") + std::to_string(m) + "-01";
      const int length = days_between(first, add_days(first, 40).substr(0, 8) + "01");
      for (int d = length + 1; d <= 31; ++d) record.replace(21 + 8 * (d - 1), 8, "-9999   ");
      dly += record;
    }
  write_file("s.dly", dly);

  const ToolRun model = run_convert(
      {"netcdf", "--lat", "-1.6", "--lon", "37.1", "-o", "model.txt", "m.nc"}, dir.path());
  ASSERT_EQ(model.status, 0) << model.err;
  const ToolRun station = run_convert({"ghcn", "-o", "stati.wtd", "s.dly"}, dir.path());
  ASSERT_EQ(station.status, 0) << station.err;

  const ToolRun run =
      run_raincorr({"stati.wtd", "model.txt", "2001", "2005", "1", "365", "0.1", "0"}, dir.path());
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(run.out.ends_with("\n---D O N E---\n")) << run.out;
  EXPECT_EQ(
      list_files(dir.path()),
      (std::set<std::string>{"m.nc", "m.nc.cdl", "s.dly", "model.txt", "stati.wtd", "model.pcp",
                             "model.pkp", "model_1s.txt", "model_2s.txt", "model_c.pcp",
                             "model_cd.pcp", "stati.pkp", "stati_1s.txt", "stati_2s.txt"}));

  // raincorr's own record of what it read, derived from the two formulas:
  // the GCM series of every real day (29 Feb 2004 inserted dry) and the
  // station's rainfall values.
  std::vector<std::string> want_gcm;
  std::vector<std::string> want_obs;
  const int real_days = days_between("2001-01-01", "2005-01-01");
  for (int k = 0, t = 0; k < real_days; ++k) {
    const std::string day = add_days("2001-01-01", k);
    const int mm = day == "2004-02-29" ? 0 : model_mm(t++);
    char line[32];
    std::snprintf(line, sizeof line, " %s%03d %5.1f", day.substr(0, 4).c_str(), day_of_year(day),
                  mm * 1.0);
    want_gcm.push_back(line);
    std::snprintf(line, sizeof line, "%5.1f",
                  station_tenths(std::stoi(day.substr(0, 4)), std::stoi(day.substr(5, 2)),
                                 std::stoi(day.substr(8, 2))) /
                      10.0);
    want_obs.push_back(line);
  }
  EXPECT_EQ(lines_of(read_file("model.pcp")), want_gcm);
  EXPECT_EQ(lines_of(read_file("stati.pkp")), want_obs);
  EXPECT_EQ(lines_of(read_file("model_cd.pcp")).size(), static_cast<std::size_t>(real_days));
}

}  // namespace
}  // namespace raincorr::testing
