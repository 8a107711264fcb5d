// Monthly mean, variance and method-of-moments gamma fit.
#ifndef RAINCORR_MONTHLY_STATS_H_
#define RAINCORR_MONTHLY_STATS_H_

#include <ostream>

#include "monthly/month_data.h"

namespace raincorr {

// For each month m, from the wet values in rows posit(m)+1..month_size(m):
// mean, variance (printed, not kept) and gamma shape alpha and scale beta
// by the method of moments. Months with posit(m) = 0 are skipped; a month
// needs one wet value for a mean and two for a variance (a month without
// wet values prints the empty sum divided by its divisor: -0.000 for
// w - 1 = -1, NaN for a one-day month under emp_gamma = 2); a zero variance
// gives no gamma line. With emp_gamma = 2 the divisors are the month's days
// instead of its wet values. A NaN alpha or beta is stored as 0; an
// infinite beta is kept.
// Entries of months that the guards skip keep what `stats` held. Prints the
// "Calculating statistics..." block. No files.
void STATS2(const MonthData& month_data, const MonthInts& month_size, const MonthInts& posit,
            MonthStats& stats, int emp_gamma, std::ostream& console);

}  // namespace raincorr

#endif  // RAINCORR_MONTHLY_STATS_H_
