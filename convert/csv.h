// Station rainfall from a CSV file read into a daily station record.
#ifndef RAINCORR_CONVERT_CSV_H_
#define RAINCORR_CONVERT_CSV_H_

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "convert/station.h"

namespace raincorr::convert {

struct CsvOptions {
  std::string date_column = {};  // header name of the ISO date column
  std::string rain_column = {};  // header name of the rainfall column (mm)
  char delimiter = ',';
  std::vector<std::string> na = {};  // cell texts that mean "not observed"
  std::optional<int> from = {};
  std::optional<int> to = {};
};

// Reads a CSV file: a header row naming the columns, then one row per day
// with an ISO date (YYYY-MM-DD) and rainfall in mm. Fields may be quoted
// with double quotes; blanks around a field are not significant; empty
// lines are skipped. Returns whole years from..to, by default the first and
// last years of the rows. A day without a row, an empty rainfall cell or
// one of the `na` texts is missing. Throws ConvertFailure naming the file
// and line for a missing column, a bad date, a date that is not later than
// the row before (out of order, or given twice), a rainfall that is not a
// number or is negative, or a file without rows.
StationRecord read_csv(const std::filesystem::path& file, const CsvOptions& options);

}  // namespace raincorr::convert

#endif  // RAINCORR_CONVERT_CSV_H_
