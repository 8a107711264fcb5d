// Calendar helpers shared by the data-file stages and the correction.
// Pure functions: no files, no console.
#ifndef RAINCORR_DATAFILES_CALENDAR_H_
#define RAINCORR_DATAFILES_CALENDAR_H_

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

}  // namespace raincorr

#endif  // RAINCORR_DATAFILES_CALENDAR_H_
