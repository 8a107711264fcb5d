// Calendar helpers shared by the data-file stages and the correction.
// Pure functions: no files, no console.
#ifndef RAINCORR_DATAFILES_CALENDAR_H_
#define RAINCORR_DATAFILES_CALENDAR_H_

#include <cstdint>
#include <string>

namespace raincorr {

// 1 when `year` is a leap year (divisible by 400, or by 4 and not by 100),
// else 0.
int LEAPYEAR(int year);

// The calendar month 1..12 of day of year `doy` for leap flag `leap` (0 or
// 1): 1..31 is January, 32..59+leap February, and so on; day 0 or below and
// any day after the last give 12.
int DOYTEST(int leap, int doy);

// Sets `doy` to the day of year of day `day` of month `month` (1..12):
// first day of the month in the common (leap = 0) or leap (leap = 1) table,
// plus day - 1. The day is not checked against the month's length. With any
// other leap flag `doy` is left unchanged.
void CONVERT_DAY_DOY(int day, int& doy, int month, int leap);

// The number of days the extraction window holds: days doy1..doy2
// (common-year numbering, 1..365; doy1 <= doy2 inside the year, doy1 > doy2
// across the year end) of the years year1 .. year2 - 1, counted as the
// extraction selects them: a leap year adds 29 February where the window
// covers it, and a window across the year end takes the part of year1 from
// doy1 on and of every later year both parts. 0 when year2 <= year1.
std::int64_t window_days(int year1, int year2, int doy1, int doy2);

// "YYYY-MM-DD" of the last day of that window, as the extraction counts
// lines: for a window inside the year, line doy2 of year2 - 1, or line
// doy2 + 1 when that year is a leap year and doy2 >= 59 (so a window ending
// on day 59 ends on 29 February); for one across the year end, 31 December
// of year2 - 1.
std::string window_end_date(int year2, int doy1, int doy2);

// "YYYY-MM-DD" of day of year `doy` (1..365, or 366 in a leap year) of
// `year`; an empty text for a day outside the year.
std::string iso_date(int year, int doy);

}  // namespace raincorr

#endif  // RAINCORR_DATAFILES_CALENDAR_H_
