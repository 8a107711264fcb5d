#include "datafiles/weather_extract.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/datafiles/wtd_fixture.h"
#include "tests/support/support.h"
#include "textio/run_stop.h"

namespace raincorr {
namespace {

using testing::read_file;
using testing::Series;
using testing::series_of;
using testing::Span;
using testing::year_lines;

struct StageRun {
  std::string console;
  std::optional<RunStop> stop;
};

StageRun extract(const std::string& name, const std::string& stem, int doy1, int doy2,
                 const std::string& year1, const std::string& year2) {
  StageRun r;
  std::ostringstream console;
  try {
    // The driver hands over 32-character blank-padded texts.
    WTD_EXTRACT2(name + std::string(32 - name.size(), ' '), stem, doy1, doy2,
                 year1 + std::string(28, ' '), year2 + std::string(28, ' '), console);
  } catch (const RunStop& s) {
    r.stop = s;
  }
  r.console = console.str();
  return r;
}

void expect_series(const std::string& stem, const Series& want, const std::string& label) {
  EXPECT_EQ(read_file(stem + ".pcp"), want.pcp) << label;
  EXPECT_EQ(read_file(stem + ".pkp"), want.pkp) << label;
  EXPECT_EQ(read_file(stem + "_y.pcp"), want.y_pcp) << label;
}

std::string console_for(const std::string& name, std::size_t count) {
  char n[16];
  std::snprintf(n, sizeof n, "%6zu", count);
  return "Extracting data from " + name + " please wait...\nData extracted:" + n + "\n";
}

TEST(WeatherExtract, RecordLayouts) {
  testing::ScratchDir dir;
  // Line 32 of 1981 (1 February) has 12.5 mm in a six-column rainfall field,
  // line 33 a field of 112.5 whose first digit is outside columns 27-31;
  // text after column 32 is never read.
  std::string text = year_lines(1981, 1, 31);
  text += "1981032  18.3  27.5  14.1  12.5 tail\n";
  text += "1981033  18.3  27.5  14.1 112.5\n";
  text += year_lines(1981, 34);
  testing::write_file("obs.wtd", text);
  const StageRun r = extract("obs.wtd", "obs", 32, 33, "1981", "1982");
  ASSERT_FALSE(r.stop) << r.stop->message;
  EXPECT_EQ(r.console, "Extracting data from obs.wtd please wait...\nData extracted:     2\n");
  EXPECT_EQ(read_file("obs.pcp"), " 1981032  12.5\n 1981033 112.5\n");
  EXPECT_EQ(read_file("obs.pkp"), " 12.5\n112.5\n");
  EXPECT_EQ(read_file("obs_y.pcp"), "1981 032  12.5\n1981 033 112.5\n");
  // No scratch file is left behind, and the input is untouched.
  EXPECT_EQ(testing::list_files(dir.path()),
            (std::set<std::string>{"obs.wtd", "obs.pcp", "obs.pkp", "obs_y.pcp"}));
  EXPECT_EQ(read_file("obs.wtd"), text);
}

TEST(WeatherExtract, SelectsTheWindowByLineCounts) {
  const std::string header = "*WEATHER DATA : station\n\n@ INSI  LAT\n! note 1983\n";
  const std::string y81_84 =
      year_lines(1981) + year_lines(1982) + year_lines(1983) + year_lines(1984);
  const std::string y83_86 =
      year_lines(1983) + year_lines(1984) + year_lines(1985) + year_lines(1986, 1, 3);
  struct Case {
    const char* label;
    std::string text;
    int doy1, doy2;
    const char* year1;
    const char* year2;
    std::vector<Span> want;
  };
  const Case cases[] = {
      {"inside the year, common then leap",
       header + y83_86,
       60,
       90,
       "1983",
       "1985",
       {{1983, 60, 90}, {1984, 61, 91}}},
      {"leap year, window before February 29",
       year_lines(1984),
       1,
       31,
       "1984",
       "1985",
       {{1984, 1, 31}}},
      {"leap year, window up to day 59", year_lines(1984), 1, 59, "1984", "1985", {{1984, 1, 60}}},
      {"leap year, short window in January",
       year_lines(1984),
       10,
       20,
       "1984",
       "1985",
       {{1984, 10, 20}}},
      {"leap year, window from day 58 over February 29",
       year_lines(1984),
       58,
       60,
       "1984",
       "1985",
       {{1984, 58, 61}}},
      {"leap year, window from day 59 (the test is strict)",
       year_lines(1984),
       59,
       60,
       "1984",
       "1985",
       {{1984, 60, 61}}},
      {"whole years",
       y83_86,
       1,
       365,
       "1983",
       "1986",
       {{1983, 1, 365}, {1984, 1, 366}, {1985, 1, 365}}},
      {"across the year end, 1981 to 1983",
       y81_84,
       305,
       59,
       "1981",
       "1984",
       {{1981, 305, 365}, {1982, 1, 59}, {1982, 305, 365}, {1983, 1, 59}, {1983, 305, 365}}},
      {"across the year end over a leap year, day 59",
       y83_86,
       305,
       59,
       "1983",
       "1986",
       {{1983, 305, 365}, {1984, 1, 60}, {1984, 306, 366}, {1985, 1, 59}, {1985, 305, 365}}},
      {"across the year end over a leap year, day 58",
       y83_86,
       305,
       58,
       "1983",
       "1986",
       {{1983, 305, 365}, {1984, 1, 58}, {1984, 306, 366}, {1985, 1, 58}, {1985, 305, 365}}},
      {"across the year end from a leap year",
       y83_86,
       335,
       31,
       "1984",
       "1986",
       {{1984, 336, 366}, {1985, 1, 31}, {1985, 335, 365}}},
      {"across the year end, adjacent days", y83_86, 61, 60, "1984", "1985", {{1984, 62, 366}}},
      {"one day, common and leap",
       y83_86,
       100,
       100,
       "1983",
       "1985",
       {{1983, 100, 100}, {1984, 101, 101}}},
      {"one day before February 29",
       y83_86,
       10,
       10,
       "1983",
       "1985",
       {{1983, 10, 10}, {1984, 10, 10}}},
      {"file ends in the middle of a year",
       year_lines(1983) + year_lines(1984, 1, 70),
       60,
       90,
       "1983",
       "1990",
       {{1983, 60, 90}, {1984, 61, 70}}},
      {"file ends in the middle of a season",
       year_lines(1983) + year_lines(1984, 1, 30),
       335,
       31,
       "1983",
       "1990",
       {{1983, 335, 365}, {1984, 1, 30}}},
      {"file ends inside the skipped days",
       year_lines(1983) + year_lines(1984, 1, 20),
       60,
       90,
       "1983",
       "1990",
       {{1983, 60, 90}}},
      {"earlier years are passed over",
       header + year_lines(1982) + year_lines(1983),
       1,
       2,
       "1983",
       "1984",
       {{1983, 1, 2}}},
      {"year2 never met runs to the end",
       year_lines(1983) + year_lines(1984),
       364,
       365,
       "1983",
       "1900",
       {{1983, 364, 365}, {1984, 365, 366}}},
      {"year1 equal to year2", y83_86, 1, 365, "1983", "1983", {}},
  };
  for (const auto& c : cases) {
    testing::ScratchDir dir;
    testing::write_file("obs.wtd", c.text);
    const StageRun r = extract("obs.wtd", "obs", c.doy1, c.doy2, c.year1, c.year2);
    ASSERT_FALSE(r.stop) << c.label << ": " << r.stop->message;
    const Series want = series_of(c.want);
    const std::size_t count =
        static_cast<std::size_t>(std::count(want.pkp.begin(), want.pkp.end(), '\n'));
    EXPECT_EQ(r.console, console_for("obs.wtd", count)) << c.label;
    expect_series("obs", want, c.label);
  }
}

TEST(WeatherExtract, CrLfLineEndsGiveTheSameSeries) {
  testing::ScratchDir dir;
  std::string text = "*WEATHER\n@  DATE  SRAD  TMAX  TMIN  RAIN\n" + year_lines(1983) +
                     year_lines(1984) + year_lines(1985, 1, 1);
  std::string crlf;
  for (char ch : text) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  testing::write_file("obs.wtd", crlf);
  const StageRun r = extract("obs.wtd", "obs", 350, 40, "1983", "1985");
  ASSERT_FALSE(r.stop) << r.stop->message;
  const Series want = series_of({{1983, 350, 365}, {1984, 1, 40}, {1984, 351, 366}});
  EXPECT_EQ(r.console, console_for("obs.wtd", 16 + 40 + 16));
  expect_series("obs", want, "CR LF");
}

TEST(WeatherExtract, OutputsAreNamedFromTheStemGiven) {
  testing::ScratchDir dir;
  testing::write_file("gc_.wtd_", year_lines(1983));
  const StageRun r = extract("gc_.wtd_", "gc", 1, 3, "1983", "1984");
  ASSERT_FALSE(r.stop) << r.stop->message;
  EXPECT_EQ(r.console, console_for("gc_.wtd_", 3));
  expect_series("gc", series_of({{1983, 1, 3}}), "stem gc");
  EXPECT_EQ(testing::list_files(dir.path()),
            (std::set<std::string>{"gc_.wtd_", "gc.pcp", "gc.pkp", "gc_y.pcp"}));
}

TEST(WeatherExtract, Failures) {
  const std::string blank_rain =
      year_lines(1983, 1, 1) + "1983002  18.3  27.5  14.1\n" + year_lines(1983, 3);
  // The damaged values stand on line 3 of the weather file, after a header
  // line: the message names that line, not the record of the series file.
  std::string stars = "@  DATE  SRAD  TMAX  TMIN  RAIN\n" + year_lines(1983);
  stars.replace(stars.find("1983002") + 25, 6, "  ****");
  std::string binary = "@  DATE  SRAD  TMAX  TMIN  RAIN\n" + year_lines(1983);
  binary.replace(binary.find("1983002") + 25, 6, std::string("   \0\x01\xff", 6));
  struct Case {
    const char* label;
    std::string text;  // of obs.wtd; none when empty
    const char* year1;
    int doy1, doy2;
    std::string message;
    bool to_stderr;
    int status;
    std::string console;
    Series files;  // left behind
  };
  const Case cases[] = {
      {"missing input",
       "",
       "1983",
       1,
       2,
       " ERROR, parser cannot access the file: obs.wtd\n\n",
       false,
       1,
       "",
       {}},
      {"year not in the file",
       "*1983\n" + year_lines(1982),
       "1983",
       1,
       2,
       "End of file reached, the word not matched, no meaning.\n",
       false,
       1,
       "",
       {}},
      {"year1 after every year",
       year_lines(1982),
       "1999",
       1,
       2,
       "End of file reached, the word not matched, no meaning.\n",
       false,
       1,
       "",
       {}},
      {"blank rainfall column",
       blank_rain,
       "1983",
       1,
       3,
       "Error reading file, your data is very bad man!\n",
       false,
       1,
       "Extracting data from obs.wtd please wait...\n",
       {" 1983001 300.1\n 1983002      \n 1983003 300.3\n", "300.1\n     \n300.3\n",
        "1983 001 300.1\n1983 002      \n1983 003 300.3\n"}},
      {"asterisk rainfall",
       stars,
       "1983",
       1,
       2,
       "raincorr: read error in \"obs.wtd\", line 3: rainfall value \"****\" is not a number "
       "(record 2 of obs.pcp)\n",
       true,
       2,
       "Extracting data from obs.wtd please wait...\n",
       {" 1983001 300.1\n 1983002  ****\n", "300.1\n ****\n", "1983 001 300.1\n1983 002  ****\n"}},
      {"binary rainfall",
       binary,
       "1983",
       1,
       2,
       "raincorr: read error in \"obs.wtd\", line 3: rainfall value \"\\x00\\x01\\xFF\" is not "
       "a number (record 2 of obs.pcp)\n",
       true,
       2,
       "Extracting data from obs.wtd please wait...\n",
       {" 1983001 300.1\n 1983002   " + std::string("\0\x01\xff", 3) + "\n",
        "300.1\n  " + std::string("\0\x01\xff", 3) + "\n",
        "1983 001 300.1\n1983 002   " + std::string("\0\x01\xff", 3) + "\n"}},
      {"year field not a number", year_lines(1983) + "19x4001  18.3  27.5  14.1   1.0\n", "1983", 1,
       365,
       "raincorr: read error in \"obs.wtd\", line 366: year field \"19x4\" is not an integer\n",
       true, 2, "Extracting data from obs.wtd please wait...\n",
       series_of({{1983, 1, 365}})},  // the year taken before stays
      {"blank year field", year_lines(1983) + "       x\n", "1983", 1, 365,
       "raincorr: read error in \"obs.wtd\", line 366: year field \"    \" is not an integer\n",
       true, 2, "Extracting data from obs.wtd please wait...\n", series_of({{1983, 1, 365}})},
  };
  for (const auto& c : cases) {
    testing::ScratchDir dir;
    if (!c.text.empty()) testing::write_file("obs.wtd", c.text);
    const StageRun r = extract("obs.wtd", "obs", c.doy1, c.doy2, c.year1, "1990");
    ASSERT_TRUE(r.stop) << c.label;
    EXPECT_EQ(r.stop->message, c.message) << c.label;
    EXPECT_EQ(r.stop->to_stderr, c.to_stderr) << c.label;
    EXPECT_EQ(r.stop->status, c.status) << c.label;
    EXPECT_EQ(r.console, c.console) << c.label;
    if (c.text.empty()) {
      EXPECT_TRUE(testing::list_files(dir.path()).empty()) << c.label;
    } else {
      expect_series("obs", c.files, c.label);
      EXPECT_EQ(testing::list_files(dir.path()).size(), 4u) << c.label;
    }
  }
}

}  // namespace
}  // namespace raincorr
