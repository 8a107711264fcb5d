#include "datafiles/calendar.h"

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

}  // namespace raincorr
