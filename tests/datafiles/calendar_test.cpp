#include "datafiles/calendar.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace raincorr
