// raincorr-convert csv, through its library: station rainfall in CSV to the
// weather layout.
#include "convert/csv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/convert/station_fixture.h"

namespace raincorr::convert {
namespace {

namespace fs = std::filesystem;
using raincorr::testing::add_days;
using raincorr::testing::read_file;
using raincorr::testing::ScratchDir;
using raincorr::testing::weather_file;
using raincorr::testing::write_file;

const std::string kDry = " -99.0 -99.0 -99.0   0.0";

// A CSV of every day of 2001 ("date,station,rain_mm"), rain 0 unless
// `cell` says otherwise for a day; `cell` may also return "skip" to leave
// the day's row out.
std::string year_csv(const std::function<std::string(const std::string&)>& cell = {},
                     const std::string& header = "date,station,rain_mm\n") {
  std::string s = header;
  for (int k = 0; k < 365; ++k) {
    const std::string day = add_days("2001-01-01", k);
    const std::string v = cell ? cell(day) : "0";
    if (v != "skip") s += day + ",KE-1," + v + "\n";
  }
  return s;
}

struct Result {
  bool ok = false;
  std::string out;
  std::string log;
  std::string error;
};

Result convert(const std::string& csv, CsvOptions options = {},
               MissingPolicy missing = MissingPolicy::kRefuse) {
  if (options.date_column.empty()) options.date_column = "date";
  if (options.rain_column.empty()) options.rain_column = "rain_mm";
  write_file("st.csv", csv);
  Result r;
  std::ostringstream log;
  try {
    write_weather(read_csv("st.csv", options), missing, "st.csv", "st.wtd", log);
    r.ok = true;
  } catch (const ConvertFailure& e) {
    r.error = e.what();
  }
  r.log = log.str();
  r.out = read_file("st.wtd");
  return r;
}

TEST(Csv, RowsBecomeWholeYearsOfTheWeatherLayout) {
  const auto rain_on = [](const std::string& day, const std::string& v) {
    return [=](const std::string& d) { return d == day ? v : std::string("0"); };
  };
  struct Case {
    const char* label;
    std::string csv;
    CsvOptions options;
    std::map<std::string, std::string> want;  // days other than dry ones
  };
  const Case cases[] = {
      {"plain",
       year_csv(rain_on("2001-02-01", "12.5")),
       {},
       {{"2001-02-01", " -99.0 -99.0 -99.0  12.5"}}},
      {"rounded to 0.1 mm",
       year_csv(rain_on("2001-02-01", "0.05")),
       {},
       {{"2001-02-01", " -99.0 -99.0 -99.0   0.1"}}},
      {"999.94 mm fits",
       year_csv(rain_on("2001-12-31", "999.94")),
       {},
       {{"2001-12-31", " -99.0 -99.0 -99.0 999.9"}}},
      {"blanks, CRLF and a blank line",
       "date , station , rain_mm\r\n\r\n" + year_csv(rain_on("2001-06-30", " 7 ")).substr(21),
       {},
       {{"2001-06-30", " -99.0 -99.0 -99.0   7.0"}}},
      {"semicolons and quotes",
       "\"date\";\"where\";\"rain_mm\"\n" +
           [] {
             std::string s;
             for (int k = 0; k < 365; ++k)
               s += add_days("2001-01-01", k) + ";\"Nairobi; \"\"Dagoretti\"\"\";" +
                    (k == 40 ? "\"3.5\"" : "0") + "\n";
             return s;
           }(),
       {.delimiter = ';'},
       {{"2001-02-10", " -99.0 -99.0 -99.0   3.5"}}},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const Result r = convert(c.csv, c.options);
    ASSERT_TRUE(r.ok) << c.label << ": " << r.error;
    EXPECT_EQ(r.out, weather_file("st.csv", 2001, 2001, kDry, c.want)) << c.label;
    EXPECT_EQ(r.log, "station st.csv, 2001..2001: 365 days written, 0 missing\n") << c.label;
  }
}

TEST(Csv, GapsEmptyCellsAndNaTextsAreMissingDays) {
  // No row for 3 March; an empty cell on 4 March; "NA" on 5 March, "-999"
  // on 9 December.
  const std::string csv = year_csv([](const std::string& d) -> std::string {
    if (d == "2001-03-03") return "skip";
    if (d == "2001-03-04") return "";
    if (d == "2001-03-05") return "NA";
    if (d == "2001-12-09") return "-999";
    return "1.5";
  });
  const std::string table =
      "\"st.csv\": 4 missing days in 2001..2001:\n"
      "  year  missing  first missing day\n"
      "  2001        4  2001-03-03\n";
  {
    ScratchDir dir;
    const Result r = convert(csv, {.na = {"NA", "-999"}});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, table +
                           "pick complete years with --from and --to, or pass --missing dry to "
                           "write missing days as 0.0 mm");
    EXPECT_FALSE(fs::exists("st.wtd"));
  }
  {
    ScratchDir dir;
    const Result r = convert(csv, {.na = {"NA", "-999"}}, MissingPolicy::kDry);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.out, weather_file("st.csv", 2001, 2001, " -99.0 -99.0 -99.0   1.5",
                                  {{"2001-03-03", kDry},
                                   {"2001-03-04", kDry},
                                   {"2001-03-05", kDry},
                                   {"2001-12-09", kDry}}));
    EXPECT_EQ(r.log, table + "written as 0.0 mm (--missing dry)\n" +
                         "station st.csv, 2001..2001: 365 days written, 4 missing\n");
  }
  {
    // Without "-999" among the --na texts it is a negative rainfall.
    ScratchDir dir;
    const Result r = convert(csv, {.na = {"NA"}}, MissingPolicy::kDry);
    EXPECT_EQ(r.error, "\"st.csv\", line 343: rainfall \"-999\" is negative");
  }
}

TEST(Csv, YearLimits) {
  // Rows from 1 March 2000 to 31 December 2001, 2.0 mm every day.
  std::string csv = "date,rain_mm\n";
  for (int k = 0; k < 306 + 365; ++k) csv += add_days("2000-03-01", k) + ",2\n";
  struct Case {
    const char* label;
    std::optional<int> from;
    std::optional<int> to;
    const char* error;  // empty: 2001 written
  };
  const Case cases[] = {
      {"default years begin in March",
       {},
       {},
       "\"st.csv\": 60 missing days in 2000..2001:\n  year  missing  first missing day\n"
       "  2000       60  2000-01-01\n"},
      {"--from 2001", 2001, {}, ""},
      {"--from 2001 --to 2001", 2001, 2001, ""},
      {"--to 2002", 2001, 2002, "  2002      365  2002-01-01\n"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const Result r = convert(csv, {.from = c.from, .to = c.to});
    if (*c.error != '\0') {
      EXPECT_FALSE(r.ok) << c.label;
      EXPECT_NE(r.error.find(c.error), std::string::npos) << c.label << ": " << r.error;
      continue;
    }
    ASSERT_TRUE(r.ok) << c.label << ": " << r.error;
    EXPECT_EQ(r.out, weather_file("st.csv", 2001, 2001, " -99.0 -99.0 -99.0   2.0")) << c.label;
  }
}

TEST(Csv, BadRowsAreNamedByLine) {
  const std::string head = "date,station,rain_mm\n2001-01-01,K,0\n2001-01-02,K,0\n";
  struct Case {
    const char* label;
    std::string csv;
    CsvOptions options;
    const char* error;
  };
  const Case cases[] = {
      {"out of order",
       head + "2001-01-05,K,0\n2001-01-04,K,0\n",
       {},
       "\"st.csv\", line 5: date 2001-01-04 comes after 2001-01-05 (line 4); dates must be in "
       "order"},
      {"given twice",
       head + "2001-01-02,K,0\n",
       {},
       "\"st.csv\", line 4: date 2001-01-02 is given twice (also on line 3)"},
      {"not a date",
       head + "2001-02-29,K,0\n",
       {},
       "\"st.csv\", line 4: date \"2001-02-29\" is not a date YYYY-MM-DD"},
      {"day first",
       head + "03/01/2001,K,0\n",
       {},
       "\"st.csv\", line 4: date \"03/01/2001\" is not a date YYYY-MM-DD"},
      {"not a number",
       head + "2001-01-03,K,1.2mm\n",
       {},
       "\"st.csv\", line 4: rainfall \"1.2mm\" is not a number"},
      {"too few fields",
       head + "2001-01-03,K\n",
       {},
       "\"st.csv\", line 4: expected at least 3 fields, found 2"},
      {"no such column",
       head,
       {.rain_column = "prcp"},
       "\"st.csv\", line 1: no column \"prcp\" in the header row"},
      {"1000 mm",
       head + "2001-01-03,K,1000\n",
       {},
       "\"st.csv\", 2001-01-03: rainfall 1000.0 mm cannot be written"},
      {"999.96 mm rounds to 1000.0",
       head + "2001-01-03,K,999.96\n",
       {},
       "\"st.csv\", 2001-01-03: rainfall 1000.0 mm cannot be written"},
      {"header only", "date,station,rain_mm\n", {}, "\"st.csv\" has no data rows after its header"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const Result r = convert(c.csv, c.options, MissingPolicy::kDry);
    EXPECT_FALSE(r.ok) << c.label;
    EXPECT_EQ(r.error.find(c.error), 0u) << c.label << ": " << r.error;
    EXPECT_FALSE(fs::exists("st.wtd")) << c.label;
  }
}

}  // namespace
}  // namespace raincorr::convert
