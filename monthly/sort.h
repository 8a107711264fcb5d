// Loading and sorting the months of one data set.
#ifndef RAINCORR_MONTHLY_SORT_H_
#define RAINCORR_MONTHLY_SORT_H_

#include <ostream>
#include <string>

#include "monthly/month_data.h"

namespace raincorr {

// Loads month_size(m) values of each month m from the class files
// <stem>_1.txt .. <stem>_12.txt (stem of the 32-character text `name`) into
// column m of `month_data` (the first number of each line; a line whose
// first value is not a number leaves its row as it was; a file that ends
// early leaves the remaining rows as they were), sorts each month's rows
// 1..month_size(m) ascending, then deletes the twelve class files. Creates
// <stem>_1s.txt and <stem>_2s.txt when absent (never writes them). Prints
// "Sorting arrays....please wait". Throws RunStop (open error, status 2)
// when a class file is missing; nothing is loaded or deleted then.
void SORTF2(const std::string& name, MonthData& month_data, const MonthInts& month_size,
            std::ostream& console);

}  // namespace raincorr

#endif  // RAINCORR_MONTHLY_SORT_H_
