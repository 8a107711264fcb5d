// Monthly mean, variance and method-of-moments gamma fit.
#ifndef RAINCORR_MONTHLY_STATS_H_
#define RAINCORR_MONTHLY_STATS_H_

#include <ostream>

#include "monthly/month_data.h"

namespace raincorr {

// For each month m, from the wet values in rows posit(m)+1..month_size(m):
// mean, variance (printed, not kept) and gamma shape alpha and scale beta.
// Entries of months that the guards skip keep what `stats` held. Prints the
// "Calculating statistics..." block. No files.
void STATS2(const MonthData& month_data, const MonthInts& month_size, const MonthInts& posit,
            MonthStats& stats, int emp_gamma, std::ostream& console);

}  // namespace raincorr

#endif  // RAINCORR_MONTHLY_STATS_H_
