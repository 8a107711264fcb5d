// The raincorr-convert executable: its command line, exit statuses and the
// rule that a refused run leaves no output behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/convert/convert_support.h"
#include "tests/convert/station_fixture.h"

namespace raincorr::testing {
namespace {

namespace fs = std::filesystem;

const std::string kCdl = R"(netcdf f {
dimensions: time = 2 ; lat = 1 ; lon = 2 ;
variables:
  double time(time) ; time:units = "days since 2000-01-01" ; time:calendar = "standard" ;
  double lat(lat) ; lat:units = "degrees_north" ;
  double lon(lon) ; lon:units = "degrees_east" ;
  float pr(time, lat, lon) ; pr:units = "mm/day" ;
data:
  time = 0, 1 ; lat = -1.25 ; lon = 36.75, 38 ; pr = 1, 2, 3, 4 ;
}
)";

// Files of a folder holding inputs for every subcommand.
void make_inputs() {
  make_netcdf("f.nc", kCdl);
  write_file("s.dly", dly_year("KE000063740", 2001, "PRCP", 5));
  std::string csv = "date,rain\n";
  for (int k = 0; k < 365; ++k) csv += add_days("2001-01-01", k) + ",0.5\n";
  write_file("s.csv", csv);
}

TEST(ConvertCli, HelpVersionAndAWholeRunOfEachSubcommand) {
  ScratchDir dir;
  make_inputs();
  const ToolRun version = run_convert({"--version"}, dir.path());
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "raincorr-convert 1.0.0\n");
  const ToolRun help = run_convert({"--help"}, dir.path());
  EXPECT_EQ(help.status, 0);
  for (const char* sub : {"netcdf", "ghcn", "csv"})
    EXPECT_NE(help.out.find(sub), std::string::npos) << help.out;
  const ToolRun sub_help = run_convert({"netcdf", "--help"}, dir.path());
  EXPECT_EQ(sub_help.status, 0);
  EXPECT_NE(sub_help.out.find("--leap-day"), std::string::npos) << sub_help.out;

  // A negative latitude is a value, not an option.
  const ToolRun nc =
      run_convert({"netcdf", "--lat", "-1.25", "--lon", "-323", "-o", "g.txt", "f.nc"}, dir.path());
  EXPECT_EQ(nc.status, 1) << "--lon -323 is out of range";
  const ToolRun nc_ok =
      run_convert({"netcdf", "--lat", "-1.25", "--lon", "37.9", "-o", "g.txt", "f.nc"}, dir.path());
  EXPECT_EQ(nc_ok.status, 0) << nc_ok.err;
  EXPECT_EQ(nc_ok.out, "");
  EXPECT_EQ(read_file("g.txt"),
            "pr in mm/day, cell lat -1.2500 lon 38.0000, model calendar gregorian\n"
            "source: f.nc\n"
            " 1 Jan 2000         2.0000\n"
            " 2 Jan 2000         4.0000\n");
  EXPECT_NE(nc_ok.err.find("cell lat[0] lon[1] at lat -1.2500 lon 38.0000"), std::string::npos);

  const ToolRun ghcn = run_convert({"ghcn", "-o", "s.wtd", "s.dly"}, dir.path());
  EXPECT_EQ(ghcn.status, 0) << ghcn.err;
  EXPECT_EQ(read_file("s.wtd"),
            weather_file("KE000063740", 2001, 2001, " -99.0 -99.0 -99.0   0.5"));
  const ToolRun csv =
      run_convert({"csv", "--date-column", "date", "--rain-column", "rain", "-o", "c.wtd", "s.csv"},
                  dir.path());
  EXPECT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(read_file("c.wtd"), weather_file("s.csv", 2001, 2001, " -99.0 -99.0 -99.0   0.5"));
}

TEST(ConvertCli, StatusOneForABadCommandLineAndTwoForBadInput) {
  struct Case {
    const char* label;
    std::vector<std::string> args;
    int status;
    const char* err;  // a piece of standard error
  };
  const Case cases[] = {
      {"no subcommand", {}, 1, "A subcommand is required"},
      {"unknown subcommand", {"grib", "x"}, 1, "A subcommand is required"},
      {"unknown option", {"ghcn", "--year", "2001", "-o", "o.wtd", "s.dly"}, 1, "--year"},
      {"no output", {"ghcn", "s.dly"}, 1, "--output is required"},
      {"no latitude", {"netcdf", "--lon", "3", "-o", "o.txt", "f.nc"}, 1, "--lat is required"},
      {"latitude 91", {"netcdf", "--lat", "91", "--lon", "3", "-o", "o.txt", "f.nc"}, 1, "--lat"},
      {"latitude not a number",
       {"netcdf", "--lat", "north", "--lon", "3", "-o", "o.txt", "f.nc"},
       1,
       "--lat"},
      {"bad --leap-day",
       {"netcdf", "--lat", "0", "--lon", "3", "--leap-day", "skip", "-o", "o.txt", "f.nc"},
       1,
       "--leap-day"},
      {"bad --missing", {"ghcn", "--missing", "zero", "-o", "o.wtd", "s.dly"}, 1, "--missing"},
      {"--from after --to",
       {"ghcn", "--from", "2002", "--to", "2001", "-o", "o.wtd", "s.dly"},
       1,
       "--from 2002 is after --to 2001"},
      {"csv without columns", {"csv", "-o", "o.wtd", "s.csv"}, 1, "--date-column is required"},
      {"missing NetCDF file",
       {"netcdf", "--lat", "0", "--lon", "3", "-o", "o.txt", "f.nc", "none.nc"},
       2,
       "raincorr-convert: cannot open \"none.nc\": No such file or directory\n"},
      {"not a NetCDF file",
       {"netcdf", "--lat", "0", "--lon", "3", "-o", "o.txt", "s.csv"},
       2,
       "raincorr-convert: cannot open \"s.csv\": "},
      {"no such variable",
       {"netcdf", "--lat", "0", "--lon", "3", "--var", "tas", "-o", "o.txt", "f.nc"},
       2,
       "raincorr-convert: \"f.nc\": no variable \"tas\" (choose one with --var)\n"},
      {"missing GHCN file",
       {"ghcn", "-o", "o.wtd", "none.dly"},
       2,
       "raincorr-convert: cannot open \"none.dly\"\n"},
      {"GHCN years without data",
       {"ghcn", "--to", "2002", "-o", "o.wtd", "s.dly"},
       2,
       "raincorr-convert: \"s.dly\": 365 missing days in 2001..2002:\n"},
      {"missing CSV file",
       {"csv", "--date-column", "d", "--rain-column", "r", "-o", "o.wtd", "none.csv"},
       2,
       "raincorr-convert: cannot open \"none.csv\"\n"},
      {"output folder missing",
       {"ghcn", "-o", "no/such/o.wtd", "s.dly"},
       2,
       "raincorr-convert: cannot create the output \"no/such/o.wtd\""},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    make_inputs();
    const std::set<std::string> before = list_files(dir.path());
    const ToolRun r = run_convert(c.args, dir.path());
    EXPECT_EQ(r.status, c.status) << c.label << ": " << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << c.label << ": " << r.err;
    EXPECT_EQ(r.out, "") << c.label;
    EXPECT_EQ(list_files(dir.path()), before) << c.label;  // no output, no temporary file
  }
}

TEST(ConvertCli, ARefusedRunLeavesAnEarlierOutputUntouched) {
  ScratchDir dir;
  make_inputs();
  write_file("o.txt", "an earlier conversion\n");
  write_file("o.wtd", "an earlier station\n");
  // The fill value sits on 2 January in the chosen cell.
  std::string cdl = kCdl;
  cdl.replace(cdl.find("pr = 1, 2, 3, 4"), 15, "pr = 1, 2, 3, -1");
  cdl.replace(cdl.find("pr:units"), 0, "pr:_FillValue = -1.f ; ");
  make_netcdf("fill.nc", cdl);
  const std::set<std::string> before = list_files(dir.path());
  const ToolRun nc =
      run_convert({"netcdf", "--lat", "0", "--lon", "38", "-o", "o.txt", "fill.nc"}, dir.path());
  EXPECT_EQ(nc.status, 2);
  EXPECT_NE(nc.err.find("\"fill.nc\": \"pr\" is missing (fill value) in the chosen cell on "
                        "2000-01-02 (gregorian calendar); pass --missing dry"),
            std::string::npos)
      << nc.err;
  const ToolRun ghcn = run_convert({"ghcn", "--from", "2000", "-o", "o.wtd", "s.dly"}, dir.path());
  EXPECT_EQ(ghcn.status, 2);
  EXPECT_EQ(read_file("o.txt"), "an earlier conversion\n");
  EXPECT_EQ(read_file("o.wtd"), "an earlier station\n");
  EXPECT_EQ(list_files(dir.path()), before);

  // With --missing dry the same input is converted and replaces it.
  const ToolRun dry = run_convert(
      {"netcdf", "--lat", "0", "--lon", "38", "--missing", "dry", "-o", "o.txt", "fill.nc"},
      dir.path());
  EXPECT_EQ(dry.status, 0) << dry.err;
  EXPECT_NE(read_file("o.txt").find(" 2 Jan 2000         0.0000\n"), std::string::npos);
  EXPECT_NE(dry.err.find("zeroed: 0 negative, 1 missing\n"), std::string::npos) << dry.err;
}

}  // namespace
}  // namespace raincorr::testing
