#include "driver/run.h"

#include <string>

#include "correction/correct.h"
#include "datafiles/gcm_prepare.h"
#include "datafiles/monthly_classes.h"
#include "datafiles/weather_extract.h"
#include "monthly/month_data.h"
#include "monthly/sort.h"
#include "monthly/stats.h"
#include "monthly/truncate.h"
#include "textio/fields.h"
#include "textio/linefile.h"

namespace raincorr {
namespace {

std::string class_file(const std::string& stem, int month) {
  return stem + "_" + std::to_string(month) + ".txt";
}

// The number of lines of each observed monthly class file; each must exist.
MonthInts count_months(const std::string& stem) {
  MonthInts month_size{};
  for (int m = 1; m <= 12; ++m) {
    const auto file = LineFile::open_or_stop(class_file(stem, m));
    month_size[m - 1] = static_cast<std::int32_t>(file.count_lines());
  }
  return month_size;
}

}  // namespace

void run(RunParams params, std::ostream& console) {
  const std::string stem1 = name_stem(params.file1);
  const std::string stem2 = name_stem(params.file2);

  WTD_EXTRACT2(params.file1, stem1, params.DOY1, params.DOY2, params.year1_text, params.year2_text,
               console);
  GCM_PREPARE2(params.file2, params.formt, console);
  // The GCM series files carry the stem of the GCM file itself, not that of
  // the prepared file, so that a GCM name shorter than five characters keeps
  // the chain of names intact.
  const std::string prepared = stem2 + "_.wtd_";
  WTD_EXTRACT2(text_field(prepared, kTextWidth), stem2, params.DOY1, params.DOY2, params.year1_text,
               params.year2_text, console);
  DUMPF2(params.file1, console);
  DUMPF2(params.file2, console);

  console << "\n<<<Analyzing classified historical data...>>>\n";
  const MonthInts month_size = count_months(stem1);
  MonthData month_data(largest_count(month_size));
  MonthInts posit{};
  MonthStats stats;
  SORTF2(params.file1, month_data, month_size, console);
  TRUNCATE_H2(month_data, month_size, posit, params.thresh, console);
  STATS2(month_data, month_size, posit, stats, params.emp_gamma, console);
  const MonthStats obs = stats;

  console << "\n<<<Analyzing classified GCM data...>>>\n";
  TieInfo ties;
  SORTF2(params.file2, month_data, month_size, console);
  TRUNCATE_GCM2(month_data, month_size, posit, params.emp_gamma, params.years(), ties, console);
  STATS2(month_data, month_size, posit, stats, params.emp_gamma, console);
  const MonthStats gcm = stats;

  CORRECT_GCM2(params.file2, month_data, month_size, obs, gcm, posit, params.emp_gamma, ties,
               params.years(), console);

  remove_file(stem1 + ".pcp");
  remove_file(stem1 + "_y.pcp");
  remove_file(stem2 + "_y.pcp");
  remove_file(prepared);
  console << "\n---D O N E---\n";
}

}  // namespace raincorr
