#include "datafiles/monthly_classes.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include "datafiles/weather_extract.h"
#include "tests/datafiles/wtd_fixture.h"
#include "tests/support/support.h"
#include "textio/run_stop.h"

namespace raincorr {
namespace {

using testing::read_file;

struct StageRun {
  std::string console;
  std::optional<RunStop> stop;
};

StageRun classify(const std::string& name) {
  StageRun r;
  std::ostringstream console;
  try {
    DUMPF2(name + std::string(32 - name.size(), ' '), console);
  } catch (const RunStop& s) {
    r.stop = s;
  }
  r.console = console.str();
  return r;
}

using Classes = std::array<std::string, 12>;

void expect_classes(const std::string& stem, const Classes& want, const std::string& label) {
  for (int m = 1; m <= 12; ++m) {
    const std::string file = stem + "_" + std::to_string(m) + ".txt";
    EXPECT_TRUE(testing::list_files(".").count(file)) << label << ": " << file;
    EXPECT_EQ(read_file(file), want[m - 1]) << label << ": " << file;
  }
}

std::set<std::string> class_files(const std::string& stem) {
  std::set<std::string> names;
  for (int m = 1; m <= 12; ++m) names.insert(stem + "_" + std::to_string(m) + ".txt");
  return names;
}

TEST(MonthlyClasses, MonthComesFromTheDayOfYearField) {
  const std::string series =
      " 1983001   2.0\n"    // January
      " 1984060  12.5\n"    // 29 February 1984
      " 1983060   3.1\n"    // 1 March 1983
      " 1984366   0.0\n"    // 31 December of a leap year
      " 1983365   1.0\n"    // 31 December of a common year
      " 1984031   4.0\n"    // 31 January
      " 1984061 123.4\n"    // 1 March 1984
      " 1900060   5.0\n"    // 1900 is a common year: March
      " 2000060   6.0\n"    // 2000 is a leap year: February
      " 1984335   7.0\n"    // 30 November 1984
      " 1983335   8.0\n"    // 1 December 1983
      " 1983000   9.0\n"    // day 0 goes to December
      "   84060   0.5\n"    // year 84 read from "  84": a leap year
      " 1983032  *****\n";  // the rainfall text is copied, never read
  Classes want;
  want[0] = "   2.0 \n   4.0 \n";
  want[1] = "  12.5 \n   6.0 \n   0.5 \n  *****\n";  // columns 10-15
  want[2] = "   3.1 \n 123.4 \n   5.0 \n";
  want[10] = "   7.0 \n";
  want[11] = "   0.0 \n   1.0 \n   8.0 \n   9.0 \n";
  for (const bool crlf : {false, true}) {
    testing::ScratchDir dir;
    std::string text = series;
    if (crlf) {
      text.clear();
      for (char ch : series) text += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    }
    testing::write_file("obs01.pcp", text);
    testing::write_file("obs01_5.txt", "  old  \n");  // replaced by an empty class
    const StageRun r = classify("obs01.wtd");
    const std::string label = crlf ? "CR LF" : "LF";
    ASSERT_FALSE(r.stop) << label << ": " << r.stop->message;
    EXPECT_EQ(r.console, "Grouping data from obs01.pcp into monthly class...\n") << label;
    expect_classes("obs01", want, label);
    auto files = class_files("obs01");
    files.insert("obs01.pcp");
    EXPECT_EQ(testing::list_files(dir.path()), files) << label;  // no scratch file
  }
}

TEST(MonthlyClasses, MissingSeriesGivesEmptyClasses) {
  testing::ScratchDir dir;
  // A name shorter than five characters is its own stem.
  const StageRun r = classify("ab.w");
  ASSERT_FALSE(r.stop) << r.stop->message;
  EXPECT_EQ(r.console, "Grouping data from ab.w.pcp into monthly class...\n");
  expect_classes("ab.w", Classes{}, "missing series");
  EXPECT_EQ(read_file("ab.w.pcp"), "");
  auto files = class_files("ab.w");
  files.insert("ab.w.pcp");
  EXPECT_EQ(testing::list_files(dir.path()), files);
}

TEST(MonthlyClasses, ClassifiesWhatTheExtractionWrote) {
  testing::ScratchDir dir;
  testing::write_file("obs01.wtd", testing::year_lines(1983) + testing::year_lines(1984) +
                                       testing::year_lines(1985, 1, 1));
  std::ostringstream console;
  WTD_EXTRACT2("obs01.wtd", "obs01", 58, 61, "1983", "1985", console);
  const StageRun r = classify("obs01.wtd");
  ASSERT_FALSE(r.stop) << r.stop->message;
  // 1983 lines 58..61 and 1984 lines 58..62, whose line 60 is 29 February.
  Classes want;
  want[1] = " 305.8 \n 305.9 \n 405.8 \n 405.9 \n 406.0 \n";
  want[2] = " 306.0 \n 306.1 \n 406.1 \n 406.2 \n";
  expect_classes("obs01", want, "extracted window");
}

TEST(MonthlyClasses, DateFieldsThatAreNotNumbers) {
  struct Case {
    const char* label;
    const char* series;
    const char* message;
    const char* january;  // grouped before the failing record
  };
  const Case cases[] = {
      {"letters in the year", " 1983001   1.0\n 19x4060  12.5\n",
       "raincorr: read error in \"obs01.pcp\", line 2: year and day of year \"19x4060\" are not "
       "two integers\n",
       "   1.0 \n"},
      {"blank day of year", " 1984     1.0\n",
       "raincorr: read error in \"obs01.pcp\", line 1: year and day of year \"1984   \" are not "
       "two integers\n",
       ""},
      {"empty record", "\n",
       "raincorr: read error in \"obs01.pcp\", line 1: year and day of year \"       \" are not "
       "two integers\n",
       ""},
      {"binary bytes in the day of year", " 1983001   1.0\n 1983\x01\xff\x7f   2.0\n",
       "raincorr: read error in \"obs01.pcp\", line 2: year and day of year "
       "\"1983\\x01\\xFF\\x7F\" are not two integers\n",
       "   1.0 \n"},
  };
  for (const auto& c : cases) {
    testing::ScratchDir dir;
    testing::write_file("obs01.pcp", c.series);
    const StageRun r = classify("obs01.wtd");
    ASSERT_TRUE(r.stop) << c.label;
    EXPECT_EQ(r.stop->message, c.message) << c.label;
    EXPECT_TRUE(r.stop->to_stderr) << c.label;
    EXPECT_EQ(r.stop->status, 2) << c.label;
    EXPECT_EQ(r.console, "Grouping data from obs01.pcp into monthly class...\n") << c.label;
    // The class files exist (created before the first record is read) and
    // keep the records grouped before the failing one.
    EXPECT_EQ(testing::list_files(dir.path()).size(), 13u) << c.label;
    EXPECT_EQ(read_file("obs01_1.txt"), c.january) << c.label;
    for (int m = 2; m <= 12; ++m)
      EXPECT_EQ(read_file("obs01_" + std::to_string(m) + ".txt"), "") << c.label << " month " << m;
  }
}

}  // namespace
}  // namespace raincorr
