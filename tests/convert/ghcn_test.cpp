// raincorr-convert ghcn, through its library: GHCN-Daily records to the
// weather layout.
#include "convert/ghcn.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/convert/station_fixture.h"

namespace raincorr::convert {
namespace {

namespace fs = std::filesystem;
using raincorr::testing::dly_record;
using raincorr::testing::dly_year;
using raincorr::testing::read_file;
using raincorr::testing::ScratchDir;
using raincorr::testing::weather_file;
using raincorr::testing::write_file;

const std::string kId = "KE000063740";
const std::string kDry = " -99.0 -99.0 -99.0   0.0";  // no temperatures, no rain

struct Result {
  bool ok = false;
  std::string out;  // the weather file, empty when none was written
  std::string log;
  std::string error;
};

Result convert(const std::string& dly, std::optional<int> from = {}, std::optional<int> to = {},
               MissingPolicy missing = MissingPolicy::kRefuse) {
  write_file("st.dly", dly);
  Result r;
  std::ostringstream log;
  try {
    write_weather(read_ghcn("st.dly", from, to), missing, "st.dly", "st.wtd", log);
    r.ok = true;
  } catch (const ConvertFailure& e) {
    r.error = e.what();
  }
  r.log = log.str();
  r.out = read_file("st.wtd");
  return r;
}

TEST(Ghcn, WholeYearsWithRainAndTemperatures) {
  // 2001-02-01 has 12.5 mm; TMAX is 25.3 and TMIN -1.2 every day except a
  // -9999 TMAX on 5 March and a TMIN that failed its check on 6 March;
  // other elements are ignored whatever they hold.
  const std::string prcp = dly_record(kId, 2001, 1, "PRCP", 0) +
                           dly_record(kId, 2001, 2, "PRCP", 0, {{1, {125, ' '}}}) + [] {
                             std::string s;
                             for (int m = 3; m <= 12; ++m) s += dly_record(kId, 2001, m, "PRCP", 0);
                             return s;
                           }();
  std::string tmax = dly_year(kId, 2001, "TMAX", 253);
  tmax.replace(tmax.find(kId + "200103TMAX"), 269,
               dly_record(kId, 2001, 3, "TMAX", 253, {{5, {-9999, ' '}}}).substr(0, 269));
  std::string tmin = dly_year(kId, 2001, "TMIN", -12);
  tmin.replace(tmin.find(kId + "200103TMIN"), 269,
               dly_record(kId, 2001, 3, "TMIN", -12, {{6, {-12, 'I'}}}).substr(0, 269));
  const std::string snow = kId + "200101SNWD" + std::string(248, 'x') + "\n";

  struct Case {
    const char* label;
    std::string dly;
    std::string want;
  };
  const Case cases[] = {
      {"PRCP only", prcp,
       weather_file(kId, 2001, 2001, kDry, {{"2001-02-01", " -99.0 -99.0 -99.0  12.5"}})},
      {"PRCP, TMAX, TMIN and SNWD", snow + tmax + prcp + tmin,
       weather_file(kId, 2001, 2001, " -99.0  25.3  -1.2   0.0",
                    {{"2001-02-01", " -99.0  25.3  -1.2  12.5"},
                     {"2001-03-05", " -99.0 -99.0  -1.2   0.0"},
                     {"2001-03-06", " -99.0  25.3 -99.0   0.0"}})},
      {"TMAX alone", tmax + prcp,
       weather_file(kId, 2001, 2001, " -99.0  25.3 -99.0   0.0",
                    {{"2001-02-01", " -99.0  25.3 -99.0  12.5"},
                     {"2001-03-05", " -99.0 -99.0 -99.0   0.0"}})},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const Result r = convert(c.dly);
    ASSERT_TRUE(r.ok) << c.label << ": " << r.error;
    EXPECT_EQ(r.out, c.want) << c.label;
    EXPECT_EQ(r.log, "station " + kId + ", 2001..2001: 365 days written, 0 missing\n") << c.label;
  }
}

TEST(Ghcn, MissingDaysAreTabledPerYear) {
  // 2001: -9999 on 5 March, a failed quality check on 7 March; 2002: no
  // PRCP record for June (30 days).
  std::string dly = dly_year(kId, 2001, "PRCP", 3) + dly_year(kId, 2002, "PRCP", 3);
  dly.replace(
      dly.find(kId + "200103PRCP"), 269,
      dly_record(kId, 2001, 3, "PRCP", 3, {{5, {-9999, ' '}}, {7, {42, 'D'}}}).substr(0, 269));
  dly.erase(dly.find(kId + "200206PRCP"), 270);
  const std::string table =
      "\"st.dly\": 32 missing days in 2001..2002:\n"
      "  year  missing  first missing day\n"
      "  2001        2  2001-03-05\n"
      "  2002       30  2002-06-01\n";
  {
    ScratchDir dir;
    const Result r = convert(dly);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, table +
                           "pick complete years with --from and --to, or pass --missing dry to "
                           "write missing days as 0.0 mm");
    EXPECT_FALSE(fs::exists("st.wtd"));
  }
  {
    ScratchDir dir;
    const Result r = convert(dly, {}, {}, MissingPolicy::kDry);
    ASSERT_TRUE(r.ok) << r.error;
    std::map<std::string, std::string> zero = {{"2001-03-05", kDry}, {"2001-03-07", kDry}};
    for (int d = 1; d <= 30; ++d)
      zero[std::string("2002-06-") + (d < 10 ? "0" : "") + std::to_string(d)] = kDry;
    EXPECT_EQ(r.out, weather_file(kId, 2001, 2002, " -99.0 -99.0 -99.0   0.3", zero));
    EXPECT_EQ(r.log, table + "written as 0.0 mm (--missing dry)\n" + "station " + kId +
                         ", 2001..2002: 730 days written, 32 missing\n");
  }
}

TEST(Ghcn, YearLimits) {
  // PRCP for 2000..2003; a TMAX record of 1999 does not widen the default.
  std::string dly = dly_record(kId, 1999, 12, "TMAX", 300);
  for (int y = 2000; y <= 2003; ++y) dly += dly_year(kId, y, "PRCP", 10 * (y - 1999));
  struct Case {
    const char* label;
    std::optional<int> from;
    std::optional<int> to;
    int want_first;
    int want_last;
    const char* error;  // empty: written
  };
  const Case cases[] = {
      {"default: first and last PRCP years", {}, {}, 2000, 2003, ""},
      {"--from 2001 --to 2002", 2001, 2002, 2001, 2002, ""},
      {"--from 2002", 2002, {}, 2002, 2003, ""},
      {"--to 2004, a year without records",
       {},
       2004,
       0,
       0,
       "366 missing days in 2000..2004:\n  year  missing  first missing day\n"
       "  2004      366  2004-01-01\n"},
      {"--from 1999, only a TMAX record", 1999, {}, 0, 0, "  1999      365  1999-01-01\n"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const Result r = convert(dly, c.from, c.to);
    if (*c.error != '\0') {
      EXPECT_FALSE(r.ok) << c.label;
      EXPECT_NE(r.error.find(c.error), std::string::npos) << c.label << ": " << r.error;
      continue;
    }
    ASSERT_TRUE(r.ok) << c.label << ": " << r.error;
    std::string want;
    for (int y = c.want_first; y <= c.want_last; ++y) {
      char tail[32];
      std::snprintf(tail, sizeof tail, " -99.0 -99.0 -99.0%6.1f", (y - 1999) * 1.0);
      const std::string part = weather_file(kId, y, y, tail);
      want += y == c.want_first ? part : part.substr(part.find("RAIN\n") + 5);
    }
    EXPECT_EQ(r.out, want) << c.label;
  }
}

TEST(Ghcn, RainOf1000MmDoesNotFitTheLayout) {
  struct Case {
    int tenths;
    const char* want;  // the line tail, or the refusal
  };
  const Case cases[] = {
      {9999, " -99.0 -99.0 -99.0 999.9"},
      {10000, "\"st.dly\", 2001-05-05: rainfall 1000.0 mm cannot be written"},
      {25000, "\"st.dly\", 2001-05-05: rainfall 2500.0 mm cannot be written"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    std::string dly = dly_year(kId, 2001, "PRCP", 0);
    dly.replace(dly.find(kId + "200105PRCP"), 269,
                dly_record(kId, 2001, 5, "PRCP", 0, {{5, {c.tenths, ' '}}}).substr(0, 269));
    const Result r = convert(dly);
    if (r.ok) {
      EXPECT_EQ(r.out, weather_file(kId, 2001, 2001, kDry, {{"2001-05-05", c.want}}));
    } else {
      EXPECT_EQ(r.error.find(c.want), 0u) << r.error;
      EXPECT_FALSE(fs::exists("st.wtd"));
    }
  }
}

TEST(Ghcn, BadRecordsAreNamedByLine) {
  const std::string good = dly_record(kId, 2001, 1, "PRCP", 0);
  std::string bad_value = good;
  bad_value.replace(21 + 8 * 2, 5, "  1x3");
  struct Case {
    const char* label;
    std::string dly;
    const char* error;
  };
  const Case cases[] = {
      {"short record", good + good.substr(0, 100) + "\n",
       "\"st.dly\", line 2: a PRCP record has 269 columns; found 100"},
      {"not a number", good + "\n" + bad_value,
       "\"st.dly\", line 3: value of day 3 (columns 38-42) \"  1x3\" is not a number"},
      {"second station", good + dly_record("US000000001", 2001, 2, "PRCP", 0),
       "\"st.dly\", line 2: station \"US000000001\" follows station \"KE000063740\""},
      {"record given twice", good + good,
       "\"st.dly\", line 2: PRCP of 2001-01 is given a second time"},
      {"bad month", dly_record(kId, 2001, 13, "PRCP", 0),
       "\"st.dly\", line 1: month \"13\" in columns 16-17 is not 1..12"},
      {"no PRCP at all", dly_record(kId, 2001, 1, "TMAX", 0),
       "\"st.dly\" has no PRCP record; give the years with --from and --to"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const Result r = convert(c.dly);
    EXPECT_FALSE(r.ok) << c.label;
    EXPECT_EQ(r.error.find(c.error), 0u) << c.label << ": " << r.error;
  }
}

}  // namespace
}  // namespace raincorr::convert
