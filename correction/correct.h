// The bias correction of every GCM day and the two output files.
#ifndef RAINCORR_CORRECTION_CORRECT_H_
#define RAINCORR_CORRECTION_CORRECT_H_

#include <ostream>
#include <string>

#include "monthly/month_data.h"

namespace raincorr {

// Reads the dated rainfall file <stem>_y.pcp (stem of the 32-character text
// `name`; must exist; read line by line, and once more whole only when a
// line does not hold its own three values) and writes, one record per day in file order, the
// corrected series file <stem>_cd.pcp and, for methods other than 2, the
// detail file <stem>_c.pcp (each created, or an existing file replaced by
// the records written; a file that receives no record keeps its content).
// `month_data` holds the GCM months as truncation and refill left them;
// `obs` and `gcm` the monthly statistics of both passes; `posit` and `ties`
// the GCM truncation; `years` is year2 - year1. Prints the "Size of data in
// each month:" block, the no_ppt lines and the method banner. Throws RunStop
// on a missing dated rainfall file (status 2, before either output file is
// touched), on a record that is not two integers and a number (status 2,
// naming the file and line) and with "Error reading file" (status 1) when
// the file holds fewer records than lines; errors of the gamma routines end
// the run through their own facility (status 1), with the records written
// so far kept. A value that is not finite (a zero GCM mean under method 2)
// is written as NaN, Inf or -Inf, right-aligned in its field.
void CORRECT_GCM2(const std::string& name, const MonthData& month_data, const MonthInts& month_size,
                  const MonthStats& obs, const MonthStats& gcm, const MonthInts& posit,
                  int emp_gamma, const TieInfo& ties, int years, std::ostream& console);

}  // namespace raincorr

#endif  // RAINCORR_CORRECTION_CORRECT_H_
