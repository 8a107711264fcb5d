#include "datafiles/calendar.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace raincorr {
namespace {

TEST(Calendar, LeapYears) {
  struct Case {
    int year, leap;
  };
  const Case cases[] = {{1983, 0}, {1984, 1}, {1900, 0}, {2000, 1}, {2100, 0},
                        {2400, 1}, {1600, 1}, {1700, 0}, {2004, 1}, {1, 0}};
  for (const auto& c : cases) EXPECT_EQ(LEAPYEAR(c.year), c.leap) << c.year;
}

TEST(Calendar, MonthOfDayOfYear) {
  struct Case {
    int leap, doy, month;
  };
  const Case cases[] = {// Both ends of every month in a common year.
                        {0, 1, 1},
                        {0, 31, 1},
                        {0, 32, 2},
                        {0, 59, 2},
                        {0, 60, 3},
                        {0, 90, 3},
                        {0, 91, 4},
                        {0, 120, 4},
                        {0, 121, 5},
                        {0, 151, 5},
                        {0, 152, 6},
                        {0, 181, 6},
                        {0, 182, 7},
                        {0, 212, 7},
                        {0, 213, 8},
                        {0, 243, 8},
                        {0, 244, 9},
                        {0, 273, 9},
                        {0, 274, 10},
                        {0, 304, 10},
                        {0, 305, 11},
                        {0, 334, 11},
                        {0, 335, 12},
                        {0, 365, 12},
                        // A leap year moves every end from February on by one day.
                        {1, 31, 1},
                        {1, 32, 2},
                        {1, 59, 2},
                        {1, 60, 2},
                        {1, 61, 3},
                        {1, 91, 3},
                        {1, 92, 4},
                        {1, 121, 4},
                        {1, 122, 5},
                        {1, 305, 10},
                        {1, 306, 11},
                        {1, 335, 11},
                        {1, 336, 12},
                        {1, 366, 12},
                        // Days outside the year fall into December.
                        {0, 0, 12},
                        {1, 0, 12},
                        {0, -3, 12},
                        {0, 366, 12},
                        {1, 367, 12},
                        {0, 999, 12}};
  for (const auto& c : cases)
    EXPECT_EQ(DOYTEST(c.leap, c.doy), c.month) << "leap " << c.leap << " day " << c.doy;
}

TEST(Calendar, DayOfYearOfDate) {
  struct Case {
    int day, month, leap, doy;
  };
  const Case cases[] = {
      {1, 1, 0, 1},
      {31, 1, 1, 31},
      {1, 2, 0, 32},
      {29, 2, 1, 60},
      {1, 3, 1, 61},
      {1, 3, 0, 60},
      {28, 2, 0, 59},
      {1, 4, 0, 91},
      {1, 4, 1, 92},
      {15, 6, 0, 166},
      {1, 11, 1, 306},
      {1, 12, 0, 335},
      {31, 12, 0, 365},
      {31, 12, 1, 366},
      {31, 2, 0, 62},  // the day is not checked against the
                       // month's length
      {0, 1, 0, 0},
  };
  for (const auto& c : cases) {
    int doy = -1;
    CONVERT_DAY_DOY(c.day, doy, c.month, c.leap);
    EXPECT_EQ(doy, c.doy) << c.day << "." << c.month << " leap " << c.leap;
  }
  for (int bad_leap : {-1, 2}) {
    int doy = 777;
    CONVERT_DAY_DOY(1, doy, 3, bad_leap);
    EXPECT_EQ(doy, 777) << "leap flag " << bad_leap;
  }
}

TEST(Calendar, DaysAndEndOfTheWindow) {
  struct Case {
    int year1, year2, doy1, doy2;
    std::int64_t days;
    const char* end;
  };
  const Case cases[] = {
      {1981, 1983, 1, 365, 730, "1982-12-31"},
      {1984, 1985, 1, 365, 366, "1984-12-31"},
      {1984, 1985, 60, 90, 31, "1984-03-31"},  // 1..31 March, lines 61..91
      {1984, 1985, 1, 59, 60, "1984-02-29"},   // up to 29 February
      {1984, 1985, 1, 58, 58, "1984-02-27"},
      {1983, 1984, 1, 59, 59, "1983-02-28"},
      {1984, 1985, 59, 59, 1, "1984-02-29"},  // a one-day window on line 60
      // Across the year end: 1981 days 305..365, then 1..59 and 305..365 of
      // 1982 and 1983; nothing of 1984.
      {1981, 1984, 305, 59, 61 + 120 + 120, "1983-12-31"},
      // The leap year 1984 adds 29 February and shifts 1 November.
      {1983, 1985, 305, 59, 61 + 60 + 61, "1984-12-31"},
      {1981, 1981, 1, 365, 0, "1980-12-31"},
      {1982, 1981, 1, 365, 0, "1980-12-31"},
      // Every year a 4-byte integer holds: 4294967295 years, of which
      // 1041529570 leap years (97 in every 400).
      {-2147483647 - 1, 2147483647, 1, 365, 1568704592245, "2147483646-12-31"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(window_days(c.year1, c.year2, c.doy1, c.doy2), c.days)
        << c.year1 << ".." << c.year2 << " days " << c.doy1 << ".." << c.doy2;
    if (c.year2 > c.year1) {
      EXPECT_EQ(window_end_date(c.year2, c.doy1, c.doy2), c.end)
          << c.year2 << " days " << c.doy1 << ".." << c.doy2;
    }
  }
}

TEST(Calendar, IsoDates) {
  struct Case {
    int year, doy;
    const char* want;
  };
  const Case cases[] = {{1984, 60, "1984-02-29"},
                        {1981, 60, "1981-03-01"},
                        {1984, 366, "1984-12-31"},
                        {1981, 366, ""},
                        {1981, 0, ""},
                        {2000, 1, "2000-01-01"}};
  for (const auto& c : cases) EXPECT_EQ(iso_date(c.year, c.doy), c.want) << c.year << " " << c.doy;
}

}  // namespace
}  // namespace raincorr
