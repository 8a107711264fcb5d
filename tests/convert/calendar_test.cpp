// Model calendars, CF time units and the mapping onto the real calendar.
#include "convert/calendar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "tests/convert/convert_support.h"

namespace raincorr::convert {
namespace {

using raincorr::testing::add_days;

TEST(Calendar, NamesAreReadAndOthersRefusedByName) {
  struct Case {
    const char* name;
    Calendar want;
  };
  const Case cases[] = {
      {"standard", Calendar::kGregorian},
      {"gregorian", Calendar::kGregorian},
      {"proleptic_gregorian", Calendar::kGregorian},
      {"", Calendar::kGregorian},
      {"noleap", Calendar::kNoLeap},
      {"365_day", Calendar::kNoLeap},
      {"NoLeap", Calendar::kNoLeap},
      {"all_leap", Calendar::kAllLeap},
      {"366_day", Calendar::kAllLeap},
      {"360_day", Calendar::kDay360},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_calendar(c.name), c.want) << c.name;
  for (const char* bad : {"julian", "none", "365day", "gregorian_tai"}) {
    try {
      parse_calendar(bad);
      ADD_FAILURE() << bad << " was accepted";
    } catch (const ConvertFailure& e) {
      EXPECT_NE(std::string(e.what()).find(std::string("\"") + bad + "\""), std::string::npos)
          << e.what();
    }
  }
}

TEST(Calendar, DayNumbersAreConsecutiveAndRoundTrip) {
  struct Case {
    Calendar cal;
    Date before;
    Date after;  // the next day of that calendar
  };
  const Case cases[] = {
      {Calendar::kGregorian, {2000, 2, 28}, {2000, 2, 29}},
      {Calendar::kGregorian, {1900, 2, 28}, {1900, 3, 1}},
      {Calendar::kGregorian, {1999, 12, 31}, {2000, 1, 1}},
      {Calendar::kNoLeap, {2000, 2, 28}, {2000, 3, 1}},
      {Calendar::kNoLeap, {2099, 12, 31}, {2100, 1, 1}},
      {Calendar::kAllLeap, {2001, 2, 28}, {2001, 2, 29}},
      {Calendar::kAllLeap, {2001, 2, 29}, {2001, 3, 1}},
      {Calendar::kDay360, {2001, 2, 28}, {2001, 2, 29}},
      {Calendar::kDay360, {2001, 2, 30}, {2001, 3, 1}},
      {Calendar::kDay360, {2001, 12, 30}, {2002, 1, 1}},
      {Calendar::kDay360, {-1, 12, 30}, {0, 1, 1}},
  };
  for (const auto& c : cases) {
    const auto n = day_number(c.cal, c.before);
    EXPECT_EQ(day_number(c.cal, c.after), n + 1) << iso_date(c.before);
    EXPECT_EQ(date_of(c.cal, n), c.before) << iso_date(c.before);
    EXPECT_EQ(date_of(c.cal, n + 1), c.after) << iso_date(c.after);
  }
  // 1970-01-01 is day 0 of the Gregorian count, 2000-03-01 is 11017 days on.
  EXPECT_EQ(day_number(Calendar::kGregorian, {1970, 1, 1}), 0);
  EXPECT_EQ(day_number(Calendar::kGregorian, {2000, 3, 1}), 11017);
}

TEST(Calendar, TimeUnitsFallOnTheModelDayRoundingDown) {
  struct Case {
    const char* units;
    Calendar cal;
    double t;
    Date want;
  };
  const Case cases[] = {
      {"days since 2000-01-01", Calendar::kGregorian, 0.5, {2000, 1, 1}},  // stamped at noon
      {"days since 2000-01-01", Calendar::kGregorian, 59.5, {2000, 2, 29}},
      {"days since 2000-01-01", Calendar::kNoLeap, 59.5, {2000, 3, 1}},
      {"days since 2000-01-01", Calendar::kGregorian, -0.5, {1999, 12, 31}},
      {"days since 2000-1-1 00:00:00", Calendar::kGregorian, 1, {2000, 1, 2}},
      {"hours since 2000-01-01 12:00:00", Calendar::kGregorian, 11, {2000, 1, 1}},
      {"hours since 2000-01-01 12:00:00", Calendar::kGregorian, 12, {2000, 1, 2}},
      {"minutes since 2000-01-01", Calendar::kGregorian, 1439, {2000, 1, 1}},
      {"seconds since 1970-01-01T00:00:00Z", Calendar::kGregorian, 86400 * 31.0, {1970, 2, 1}},
      {"days since 2001-02-30", Calendar::kDay360, 1, {2001, 3, 1}},
      {"day since 1850-01-01 00:00", Calendar::kAllLeap, 59, {1850, 2, 29}},
      {"  Days since 1850-01-01  ", Calendar::kGregorian, 0, {1850, 1, 1}},
  };
  for (const auto& c : cases) {
    const TimeUnits u = parse_time_units(c.units, c.cal);
    EXPECT_EQ(date_of(c.cal, model_day(u, c.t)), c.want) << c.units << " t=" << c.t;
  }
  struct Bad {
    const char* units;
    Calendar cal;
  };
  const Bad bad[] = {
      {"months since 2000-01-01", Calendar::kGregorian},
      {"days after 2000-01-01", Calendar::kGregorian},
      {"days since 2000-02-30", Calendar::kGregorian},  // a 360-day date only
      {"days since 2001-02-29", Calendar::kNoLeap},
      {"days since 2000-01-01 25:00", Calendar::kGregorian},
      {"days since 2000-01-01 00:00 +05:00", Calendar::kGregorian},
      {"kg m-2 s-1", Calendar::kGregorian},
  };
  for (const auto& b : bad) {
    try {
      parse_time_units(b.units, b.cal);
      ADD_FAILURE() << b.units << " was accepted";
    } catch (const ConvertFailure& e) {
      EXPECT_NE(std::string(e.what()).find(b.units), std::string::npos) << e.what();
    }
  }
}

// The real days that no model day fills: expected from the rules stated
// for each calendar, listed by hand.
TEST(Calendar, InsertedAndDroppedDaysOfEveryCalendar) {
  struct Case {
    const char* label;
    Calendar cal;
    Date first;
    int days;  // model days from `first`
    std::string want_first;
    std::vector<std::string> inserted;
    std::vector<std::string> dropped;
    std::vector<double> dropped_values = {};  // 1-based model day numbers
  };
  const Case cases[] = {
      {"gregorian leap year", Calendar::kGregorian, {2000, 1, 1}, 366, "2000-01-01", {}, {}},
      {"noleap over leap years and 1900",
       Calendar::kNoLeap,
       {1899, 1, 1},
       365 * 7,
       "1899-01-01",
       {"1904-02-29"},
       {}},
      {"noleap 2000 and 2004",
       Calendar::kNoLeap,
       {2000, 1, 1},
       365 * 5,
       "2000-01-01",
       {"2000-02-29", "2004-02-29"},
       {}},
      {"noleap ending on 28 February", Calendar::kNoLeap, {2004, 2, 1}, 28, "2004-02-01", {}, {}},
      {"noleap starting on 1 March", Calendar::kNoLeap, {2004, 3, 1}, 3, "2004-03-01", {}, {}},
      {"all_leap",
       Calendar::kAllLeap,
       {1999, 1, 1},
       366 * 3,
       "1999-01-01",
       {},
       {"1999-02-29", "2001-02-29"},
       {60, 366 * 2 + 60}},
      {"360_day common year",
       Calendar::kDay360,
       {2001, 1, 1},
       360,
       "2001-01-01",
       {"2001-02-07", "2001-04-21", "2001-07-03", "2001-09-14", "2001-11-26"},
       {}},
      {"360_day leap year",
       Calendar::kDay360,
       {2004, 1, 1},
       360,
       "2004-01-01",
       {"2004-02-01", "2004-04-02", "2004-06-02", "2004-08-02", "2004-10-02", "2004-12-02"},
       {}},
      // Model 29 Dec 2001 (day 359) holds real 30 Dec: real day 363 of 365
      // takes floor(725 * 180 / 365) + 1 = 358.
      {"360_day over the year end", Calendar::kDay360, {2001, 12, 29}, 4, "2001-12-30", {}, {}},
  };
  for (const auto& c : cases) {
    std::vector<double> values(static_cast<std::size_t>(c.days));
    std::iota(values.begin(), values.end(), 1.0);
    const RealSeries s = to_real_calendar(c.cal, c.first, values, LeapDay::kDry);
    EXPECT_EQ(iso_date(s.first), c.want_first) << c.label;
    std::vector<std::string> inserted;
    for (const Date& d : s.inserted) inserted.push_back(iso_date(d));
    std::vector<std::string> dropped;
    for (const Date& d : s.dropped) dropped.push_back(iso_date(d));
    EXPECT_EQ(inserted, c.inserted) << c.label;
    EXPECT_EQ(dropped, c.dropped) << c.label;
    ASSERT_EQ(s.values.size(), values.size() + c.inserted.size() - c.dropped.size()) << c.label;
    // Every model value that is not dropped appears once, in order; inserted
    // days hold 0.
    const std::set<std::string> ins(c.inserted.begin(), c.inserted.end());
    double next = 1;
    for (std::size_t k = 0; k < s.values.size(); ++k) {
      const std::string day = add_days(c.want_first, static_cast<int>(k));
      if (ins.count(day) != 0) {
        EXPECT_EQ(s.values[k], 0.0) << c.label << " " << day;
        continue;
      }
      while (std::find(c.dropped_values.begin(), c.dropped_values.end(), next) !=
             c.dropped_values.end())
        ++next;
      EXPECT_EQ(s.values[k], next) << c.label << " " << day;
      ++next;
    }
  }
}

TEST(Calendar, LeapDayCopyRepeats28February) {
  const std::vector<double> v = {1.5, 2.5, 3.5};
  const RealSeries dry = to_real_calendar(Calendar::kNoLeap, {2008, 2, 27}, v, LeapDay::kDry);
  const RealSeries copy = to_real_calendar(Calendar::kNoLeap, {2008, 2, 27}, v, LeapDay::kCopy);
  EXPECT_EQ(dry.values, (std::vector<double>{1.5, 2.5, 0.0, 3.5}));
  EXPECT_EQ(copy.values, (std::vector<double>{1.5, 2.5, 2.5, 3.5}));
}

TEST(Calendar, YearsOutsideFourDigitsAreRefused) {
  const std::vector<double> v = {1, 2};
  EXPECT_THROW(to_real_calendar(Calendar::kGregorian, {9999, 12, 31}, v, LeapDay::kDry),
               ConvertFailure);
  EXPECT_THROW(to_real_calendar(Calendar::kGregorian, {0, 12, 31}, v, LeapDay::kDry),
               ConvertFailure);
}

}  // namespace
}  // namespace raincorr::convert
