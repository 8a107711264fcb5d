// Truncation points of the observed and GCM months, and the GCM ties.
#ifndef RAINCORR_MONTHLY_TRUNCATE_H_
#define RAINCORR_MONTHLY_TRUNCATE_H_

#include <ostream>

#include "monthly/month_data.h"

namespace raincorr {

// The refill amount: 0.1 held as a 4-byte real, widened to 8 bytes
// (0.10000000149011612). The correction adds the same constant to a zero
// tie and then finds the day in the month by exact comparison, so both must
// carry the same bits.
inline constexpr double kRefill = static_cast<double>(0.1f);

// posit(m) = number of values of sorted month m at or below `thresh`.
// Prints "Truncating monthly group arrays of historical data at..." and a
// "posit(" line for each month with posit(m) != 0. No files.
void TRUNCATE_H2(const MonthData& month_data, const MonthInts& month_size, MonthInts& posit,
                 double thresh, std::ostream& console);

// Cuts each sorted GCM month at the observed posit(m), classifies and
// counts the ties at the cut into `ties`, and refills zero ties with
// kRefill in `month_data`; with emp_gamma = 2 posit(m) becomes the count of
// GCM values <= 0 instead and `ties` is left alone. `years` is
// year2 - year1: data2alloc(m) is the nearest integer (halves away from
// zero) to countfill(m) / years when countfill(m) > years, else 0 (negative
// when year2 < year1; 0 when years = 0, which has no quotient). A cut at the
// month's last value has nothing after it: case 0, countfill and values
// unchanged. A run of ties that reaches the month's end leaves posit(m) at
// month_size(m) and countfill, data2alloc and the values unchanged.
// case_ and data2alloc are cleared first (countfill is not). Prints the
// posit, case, countfill and data2alloc blocks, each block after a line
// holding one blank. No files. Never reads a month past its
// month_size(m)-th row.
void TRUNCATE_GCM2(MonthData& month_data, const MonthInts& month_size, MonthInts& posit,
                   int emp_gamma, int years, TieInfo& ties, std::ostream& console);

}  // namespace raincorr

#endif  // RAINCORR_MONTHLY_TRUNCATE_H_
