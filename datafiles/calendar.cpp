#include "datafiles/calendar.h"

#include <cstdio>

namespace raincorr {
namespace {

// Last day of months 1..11 in a common year; from February on a leap year
// adds one day.
constexpr int kLastDay[11] = {31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// First day of each month, common and leap year.
constexpr int kFirstDay[2][12] = {
    {1, 32, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335},
    {1, 32, 61, 92, 122, 153, 183, 214, 245, 275, 306, 336},
};

}  // namespace

int LEAPYEAR(int year) { return (year % 400 == 0 || (year % 4 == 0 && year % 100 != 0)) ? 1 : 0; }

int DOYTEST(int leap, int doy) {
  // Days before the year and after its last day fall into December: the
  // classification must put every record into some month.
  if (doy <= 0) return 12;
  for (int m = 0; m < 11; ++m) {
    const int last = kLastDay[m] + (m > 0 ? leap : 0);
    if (doy <= last) return m + 1;
  }
  return 12;
}

void CONVERT_DAY_DOY(int day, int& doy, int month, int leap) {
  if (leap != 0 && leap != 1) return;
  if (month < 1 || month > 12) return;
  doy = kFirstDay[leap][month - 1] + day - 1;
}

namespace {

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
  return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

// Leap years among the years first .. last - 1 (none when last <= first).
std::int64_t leap_years(std::int64_t first, std::int64_t last) {
  if (last <= first) return 0;
  const auto up_to = [](std::int64_t y) {  // leap years in (-inf, y]
    return floor_div(y, 4) - floor_div(y, 100) + floor_div(y, 400);
  };
  return up_to(last - 1) - up_to(first - 1);
}

}  // namespace

std::int64_t window_days(int year1, int year2, int doy1, int doy2) {
  if (year2 <= year1) return 0;
  // Day 59 of a common year is 28 February: a leap year adds a line to every
  // part of the window that runs past it. Counted in closed form, since the
  // years may span the whole 4-byte range.
  constexpr int kFeb28 = 59;
  const std::int64_t years = std::int64_t{year2} - year1;
  if (doy1 <= doy2) {
    const std::int64_t extra = doy1 < kFeb28 && doy2 >= kFeb28 ? 1 : 0;
    return years * (doy2 - doy1 + 1) + extra * leap_years(year1, year2);
  }
  // doy1 to the end of every year, in either kind of year; day 1 to doy2 of
  // every year after the first.
  const std::int64_t extra = doy2 >= kFeb28 ? 1 : 0;
  return years * (366 - doy1) + (years - 1) * doy2 +
         extra * leap_years(year1 + std::int64_t{1}, year2);
}

std::string iso_date(int year, int doy) {
  const int leap = LEAPYEAR(year);
  if (doy < 1 || doy > 365 + leap) return "";
  const int month = DOYTEST(leap, doy);
  const int day = doy - kFirstDay[leap][month - 1] + 1;
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

std::string window_end_date(int year2, int doy1, int doy2) {
  const int last_year = year2 - 1;
  if (doy1 > doy2) return iso_date(last_year, 365 + LEAPYEAR(last_year));
  // From 28 February on, a leap year's window ends a line later (on 29
  // February itself when doy2 is 59), as the extraction counts its lines.
  return iso_date(last_year, doy2 + (LEAPYEAR(last_year) == 1 && doy2 >= 59 ? 1 : 0));
}

}  // namespace raincorr
