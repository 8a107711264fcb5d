#include "datafiles/gcm_prepare.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/support.h"
#include "textio/run_stop.h"

namespace raincorr {
namespace {

using testing::lines;
using testing::read_file;

const std::string kHeader = "GCM daily precipitation, grid point 12\nlon lat day mon year pr\n";
const std::string kWtdHeader = "@  DATE  SRAD  TMAX  TMIN  RAIN\n";

// Cleaned line (layout 1): day in columns 1-2, month 3-6, year 7-11, value
// 12-26; nothing from column 27 on.
std::string clean(int day, const char* month, int year, const char* value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%2d%4s%5d%15s", day, month, year, value);
  return buf;
}

// Raw line (layout 0): 22 columns of model fields, the blank at column 23,
// `text` (date and value) from column 24, model fields again from column 52.
std::string raw(const std::string& text, const std::string& head = "lon=3.75,lat=-20.0,run") {
  std::string l = head + " " + text;
  l.resize(51, ' ');
  return l + "model=AGCM,var=pr";
}

// Layout 2: 38 columns of fields, `text` from column 39 (holding the blank
// the date follows), columns 52-69 blank, the value from column `value_col`.
std::string raw2(const std::string& text, std::size_t value_col, const std::string& value) {
  std::string l = "lon=3.75,lat=-20.0,run=01,level=surfac" + text;
  l.resize(value_col - 1, ' ');
  return l + value;
}

// A prepared line: date code, 19 blanks, rainfall in 5 columns.
std::string wtd(const char* date, const char* rain) {
  return std::string(date) + std::string(19, ' ') + rain;
}

struct StageRun {
  std::string console;
  int formt = -7;
  std::optional<RunStop> stop;
};

StageRun prepare(const std::string& name) {
  StageRun r;
  std::ostringstream console;
  try {
    GCM_PREPARE2(name + std::string(32 - name.size(), ' '), r.formt, console);
  } catch (const RunStop& s) {
    r.stop = s;
  }
  r.console = console.str();
  return r;
}

std::string console_for(const std::string& name, int count) {
  char n[16];
  std::snprintf(n, sizeof n, "%6d", count);
  return "Preparing daily GCM data from " + name + " please wait... \nData extracted:" + n + "\n";
}

TEST(GcmPrepare, LinesOfEveryLayout) {
  struct Case {
    const char* label;
    std::vector<std::string> data;  // after the two header lines
    std::vector<std::string> want;  // after the prepared header line
    int formt;
  };
  const Case cases[] = {
      {"cleaned lines: values as they are, negatives to zero",
       {clean(1, "Jan", 1981, "12.34"), clean(5, "Jan", 1981, "-999"),
        clean(14, "Feb", 1981, "999.94"), clean(16, "Feb", 1981, "0.04"),
        clean(17, "Feb", 1981, "1.2E+01"), clean(19, "Feb", 1981, "-1E999")},
       {wtd("1981001", " 12.3"), wtd("1981005", "  0.0"), wtd("1981045", "999.9"),
        wtd("1981047", "  0.0"), wtd("1981048", " 12.0"), wtd("1981050", "  0.0")},
       1},
      {"leap days and the turn of February",
       {clean(29, "Feb", 1984, "1"), clean(1, "Mar", 1984, "2"), clean(1, "Mar", 1983, "3"),
        clean(28, "Feb", 1900, "4"), clean(1, "Mar", 1900, "5"), clean(1, "Mar", 2000, "6"),
        clean(31, "Dec", 2000, "7"), clean(31, "Dec", 1999, "8")},
       {wtd("1984060", "  1.0"), wtd("1984061", "  2.0"), wtd("1983060", "  3.0"),
        wtd("1900059", "  4.0"), wtd("1900060", "  5.0"), wtd("2000061", "  6.0"),
        wtd("2000366", "  7.0"), wtd("1999365", "  8.0")},
       1},
      {"raw lines: rates times 86400000",
       {raw(" 1 Mar 1981 0.000001"), raw("5 Mar 1981 1.0E-05"), raw("12 MAR 1981 2.0E-06"),
        raw(" 7 Apr 1981 -1.0E-06"), raw(" 8 Apr 1981 -999"),
        raw("10 Apr 1981 1.0E-06", "lon=3.75,lat=-20.0,run01")},
       {wtd("1981060", " 86.4"),  // day right-aligned after the blank at column 23
        wtd("1981064", "864.0"),  // a one-digit day right after the blank
        wtd("1981071", "172.8"),  // a month in capitals keeps March
        wtd("1981097", "  0.0"),  // negative values become zero
        wtd("1981098", "  0.0"),
        wtd("1981100", " 86.4")},  // the first blank of columns 23-26 is at 25
       0},
      {"layout 2: the date after a blank in columns 39-45",
       {raw2("x 29 Feb 1984", 72, "1.0E-05"), raw2(" 1 Mar 1984", 74, "5.0E-07"),
        raw2("x 31 Dec 1984", 72, "1E-07"), raw2("x 31 Dec 1984", 71, "1E-07")},
       {wtd("1984060", "864.0"), wtd("1984061", " 43.2"), wtd("1984366", "  8.6"),
        // The blank at column 40 is removed by moving columns 41-71 only:
        // column 71 then stands twice and the value reads 11E-07.
        wtd("1984366", " 95.0")},
       2},
      {"layouts mixed line by line; the last one is returned",
       {raw2("x 30 Dec 1984", 72, "1.0E-06"), clean(31, "Dec", 1984, "3.0"),
        raw(" 1 Jan 1985 2.0E-06")},
       {wtd("1984365", " 86.4"), wtd("1984366", "  3.0"), wtd("1985001", "172.8")},
       0},
      {"a line without a blank in its range reuses the previous date and value",
       {clean(3, "Jan", 1981, "2.0E-06"), raw("4 Jan 1981 9.9", "lon=3.75,lat=-20.0,run0001"),
        raw(" 5 Jan 1981 1.0E-06"), raw("6 Jan 1981 9.9", "lon=3.75,lat=-20.0,run0001"),
        clean(7, "Jan", 1981, "1.5")},
       {wtd("1981003", "  0.0"), wtd("1981003", "172.8"), wtd("1981005", " 86.4"),
        wtd("1981005", " 86.4"), wtd("1981007", "  1.5")},
       1},
      {"no data lines", {}, {}, -7},
  };
  for (const auto& c : cases) {
    testing::ScratchDir dir;
    testing::write_file("gcm01.dat", kHeader + lines(c.data));
    const StageRun r = prepare("gcm01.dat");
    ASSERT_FALSE(r.stop) << c.label << ": " << r.stop->message;
    EXPECT_EQ(r.console, console_for("gcm01.dat", static_cast<int>(c.data.size()))) << c.label;
    EXPECT_EQ(read_file("gcm01_.wtd_"), kWtdHeader + lines(c.want)) << c.label;
    EXPECT_EQ(r.formt, c.formt) << c.label;
    EXPECT_EQ(testing::list_files(dir.path()), (std::set<std::string>{"gcm01.dat", "gcm01_.wtd_"}))
        << c.label;
  }
}

TEST(GcmPrepare, CrLfLineEndsGiveTheSameFile) {
  testing::ScratchDir dir;
  const std::string text =
      kHeader + lines({clean(28, "Feb", 1984, "1.25"), raw("29 Feb 1984 1.0E-06"),
                       raw2("x  1 Mar 1984", 72, "2.0E-06")});
  std::string crlf;
  for (char ch : text) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  testing::write_file("gcm01.dat", crlf);
  const StageRun r = prepare("gcm01.dat");
  ASSERT_FALSE(r.stop) << r.stop->message;
  EXPECT_EQ(r.console, console_for("gcm01.dat", 3));
  EXPECT_EQ(read_file("gcm01_.wtd_"),
            kWtdHeader +
                lines({wtd("1984059", "  1.2"), wtd("1984060", " 86.4"), wtd("1984061", "172.8")}));
  EXPECT_EQ(r.formt, 2);
}

TEST(GcmPrepare, Failures) {
  const std::string usage =
      " ERROR, parser cannot access the file: gcm01.dat\n"
      "\n"
      " USAGE: <Command> <file1> <file2> <param1> <param2> <param3> <param4> <param5> \n"
      " <file1>: Weather file in WTD format (4-digit year)\n"
      " <file2>: GCM data, OSTREL data library free format\n"
      " <param1>: year1 - starting year of analysis, 4-digit code, e.g. 1970\n"
      " <param2>: year2 - ending year (+ 1), e.g. 1999 if you want 1998 for analysis\n"
      " <param3>: DOY1 - start of Month1, non-leap year\n"
      " <param4>: DOY2 - end of Month2, non-leap year\n"
      " <param5>: emp_gamma(=0,gamma-gamma),(=1,emperical-gammma),(=2,mult. adjustment)\n"
      " <param6>: formt(=0,raw daily GCM OSTREL free format),(=1,cleaned dd-mm-yr-data)\n";
  const std::string banner = "Preparing daily GCM data from gcm01.dat please wait... \n";
  const std::string where = "raincorr: read error in \"gcm01.dat\", line ";
  struct Case {
    const char* label;
    std::optional<std::string> text;  // of gcm01.dat; none: no file
    std::string message;
    bool to_stderr;
    int status;
    std::string console;
    std::optional<std::string> prepared;  // what the prepared file holds afterwards
  };
  const std::string none;  // the prepared file is created empty
  const std::string head = kWtdHeader;
  const std::string jan1 = kWtdHeader + wtd("1981001", "  1.0") + "\n";
  const Case cases[] = {
      {"missing file", std::nullopt, usage, false, 1, "", std::nullopt},
      {"empty file", "", "Error reading, file does not exist\n", false, 1, "", none},
      {"one header line only", "GCM daily precipitation\n",
       "raincorr: unexpected end of file in \"gcm01.dat\", line 2: the second header line is "
       "missing\n",
       true, 2, "", none},
      {"month in capitals on the first data line", kHeader + clean(1, "JAN", 1981, "1.0"),
       where + "3: month \"JAN\" names no month (Jan..Dec)\n", true, 2, banner, head},
      {"blank month on the first data line", kHeader + clean(1, "", 1981, "1.0"),
       where + "3: no month name (Jan..Dec) and none from a line before\n", true, 2, banner, head},
      {"first data line without a blank in columns 23-26",
       kHeader + raw("1 Jan 1981 1.0E-06", "lon=3.75,lat=-20.0,run0001"),
       where + "3: no blank in columns 23-26 to start the date from\n", true, 2, banner, head},
      {"day of month not a number",
       kHeader + lines({clean(1, "Jan", 1981, "1.0"), "xx Jan 1981            1.0"}),
       where + "4: day of month \"xx\" in columns 1-2 is not a number\n", true, 2, banner, jan1},
      {"blank day of month",
       kHeader + lines({clean(1, "Jan", 1981, "1.0"), "   Jan 1981            1.0"}),
       where + "4: no day of month in columns 1-2\n", true, 2, banner, jan1},
      {"year with a fraction", kHeader + "12 Jan1981.            1.0\n",
       where + "3: year \"1981.\" in columns 7-11 is not a number\n", true, 2, banner, head},
      {"blank year", kHeader + clean(1, "Jan", 1981, "1.0").replace(6, 5, "     "),
       where + "3: no year in columns 7-11\n", true, 2, banner, head},
      {"value of asterisks", kHeader + clean(1, "Jan", 1981, "*****"),
       where + "3: rainfall value \"*****\" in columns 12-26 is not a number\n", true, 2, banner,
       head},
      {"blank value", kHeader + lines({clean(1, "Jan", 1981, "1.0"), clean(2, "Jan", 1981, "")}),
       where + "4: no rainfall value in columns 12-26\n", true, 2, banner, jan1},
      // A raw line cut after its date has blank columns 52-69: it is read as
      // layout 2, whose date follows the blank at column 39.
      {"raw line cut after the date",
       kHeader + lines({clean(1, "Jan", 1981, "1.0"), "lon=3.75,lat=-20.0,run  2 Jan 1981"}),
       where + "4: no day of month after the blank at column 39\n", true, 2, banner, jan1},
      {"raw line without its value",
       kHeader + lines({clean(1, "Jan", 1981, "1.0"), raw(" 2 Jan 1981")}),
       // Column 54 stands twice after the blank at 23 is removed.
       where + "4: rainfall value \"moddel=AGCM,var=pr\" after the blank at column 23 is not a "
               "number\n",
       true, 2, banner, jan1},
      {"layout 2 line without its value",
       kHeader + lines({clean(1, "Jan", 1981, "1.0"), raw2("x  2 Jan 1981", 72, "")}),
       where + "4: no rainfall value after the blank at column 40\n", true, 2, banner, jan1},
      // A day too wide for the five rainfall columns of the prepared file is
      // refused at its own line instead of reaching that file as asterisks.
      {"cleaned value that rounds to 1000.0",
       kHeader + lines({clean(1, "Jan", 1981, "1.0"), clean(2, "Jan", 1981, "999.95")}),
       where + "4: rainfall \"999.95\" is 999.95 mm/day, too large for the prepared weather "
               "file (at most 999.9)\n",
       true, 2, banner, jan1},
      {"cleaned value beyond the largest double", kHeader + clean(1, "Jan", 1981, "1E999"),
       where + "3: rainfall \"1E999\" is inf mm/day, too large for the prepared weather file "
               "(at most 999.9)\n",
       true, 2, banner, head},
      // 1.157407E-05 m/s is 999.9996 mm/day; 3.0E-05 kg m-2 s-1 read as m/s
      // is 2592 mm/day, a thousand times the 2.592 mm meant.
      {"raw rate just too large", kHeader + raw(" 1 Jan 1981 1.157407E-05"),
       where + "3: rainfall \"1.157407E-05\" is 999.9996 mm/day, too large for the prepared "
               "weather file (at most 999.9); layouts 0 and 2 are taken to be in m s-1 and "
               "multiplied by 86400000, so a file in kg m-2 s-1 (mm s-1) gives values 1000 times "
               "too large\n",
       true, 2, banner, head},
      {"layout 2 rate in kg m-2 s-1",
       kHeader + lines({clean(1, "Jan", 1981, "1.0"), raw2("x  2 Jan 1981", 72, "3.0E-05")}),
       where + "4: rainfall \"3.0E-05\" is 2592 mm/day, too large for the prepared weather file "
               "(at most 999.9); layouts 0 and 2 are taken to be in m s-1 and multiplied by "
               "86400000, so a file in kg m-2 s-1 (mm s-1) gives values 1000 times too large\n",
       true, 2, banner, jan1},
      {"binary bytes in the value",
       kHeader + clean(1, "Jan", 1981, "").substr(0, 24) + std::string("\0\xff", 2) + "\n",
       where + "3: rainfall value \"\\x00\\xFF\" in columns 12-26 is not a number\n", true, 2,
       banner, head},
  };
  for (const auto& c : cases) {
    testing::ScratchDir dir;
    if (c.text) testing::write_file("gcm01.dat", *c.text);
    const StageRun r = prepare("gcm01.dat");
    ASSERT_TRUE(r.stop) << c.label;
    EXPECT_EQ(r.stop->message, c.message) << c.label;
    EXPECT_EQ(r.stop->to_stderr, c.to_stderr) << c.label;
    EXPECT_EQ(r.stop->status, c.status) << c.label;
    EXPECT_EQ(r.console, c.console) << c.label;
    // The prepared file is created once the GCM file is open, and keeps
    // the lines made before the failing one.
    const auto files = testing::list_files(dir.path());
    EXPECT_EQ(files.count("gcm01_.wtd_"), c.prepared ? 1u : 0u) << c.label;
    EXPECT_EQ(files.size(), c.text ? 2u : 0u) << c.label;
    if (c.prepared) {
      EXPECT_EQ(read_file("gcm01_.wtd_"), *c.prepared) << c.label;
    }
  }
}

TEST(GcmPrepare, ShiftLeftRemovesOneBlank) {
  struct Case {
    const char* line;
    std::size_t p;
    const char* want;
  };
  // Columns 1-40 with a ruler of letters; p+31 is the last column moved from.
  const Case cases[] = {
      {"ab cdefghijklmnopqrstuvwxyz0123456789XYZ", 3, "abcdefghijklmnopqrstuvwxyz01234566789XYZ"},
      {"abcdefghi", 3, "abcdefghi"},  // column 3 is not blank
      {"a  b", 2, "a bb"},            // the move stops at column n; column n stays
  };
  for (const auto& c : cases) {
    std::string line = c.line;
    SHIFT_LEFT(line, line.size(), c.p);
    EXPECT_EQ(line, c.want) << c.line << " at " << c.p;
  }
}

}  // namespace
}  // namespace raincorr
