#include "driver/run.h"

#include <string>
#include <string_view>

#include "correction/correct.h"
#include "datafiles/calendar.h"
#include "datafiles/gcm_prepare.h"
#include "datafiles/monthly_classes.h"
#include "datafiles/weather_extract.h"
#include "monthly/month_data.h"
#include "monthly/sort.h"
#include "monthly/stats.h"
#include "monthly/truncate.h"
#include "textio/fields.h"
#include "textio/freeform.h"
#include "textio/linefile.h"
#include "textio/run_stop.h"

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

// The date of a date code yyyyddd as a reader expects it, or the code itself
// in quotes when it is not one.
std::string shown_date(std::string_view code) {
  std::int32_t year = 0;
  std::int32_t doy = 0;
  if (code.size() == 7 && read_first(code.substr(0, 4), year) == ReadStatus::kOk &&
      read_first(code.substr(4, 3), doy) == ReadStatus::kOk) {
    if (std::string date = iso_date(year, doy); !date.empty()) return date;
  }
  return shown_text(code);
}

// A series that ran out before the window's last day still makes a complete
// run (some callers pass a late year2 to mean "to the end of the file"), but
// the user is told, on the error channel, so that standard output and the
// files stay those of the run.
void warn_if_short(const RunParams& params, const Extraction& got, std::string_view file,
                   std::ostream& console, std::ostream& warnings) {
  if (got.end != SelectionEnd::kEndOfFile) return;
  const std::int64_t expected = window_days(params.year1, params.year2, params.DOY1, params.DOY2);
  if (static_cast<std::int64_t>(got.records) >= expected) return;
  console.flush();
  warnings << "raincorr: warning: \"" << file << "\" ended before the window: last date read "
           << shown_date(got.last_date) << ", window ends "
           << window_end_date(params.year2, params.DOY1, params.DOY2) << ", " << got.records
           << " of " << expected << " days extracted\n"
           << std::flush;
}

}  // namespace

void run(RunParams params, std::ostream& console, std::ostream& warnings) {
  const std::string stem1 = name_stem(params.file1);
  const std::string stem2 = name_stem(params.file2);

  const Extraction observed = WTD_EXTRACT2(params.file1, stem1, params.DOY1, params.DOY2,
                                           params.year1_text, params.year2_text, console);
  warn_if_short(params, observed, trim_right(params.file1), console, warnings);
  GCM_PREPARE2(params.file2, params.formt, console);
  // The GCM series files carry the stem of the GCM file itself, not that of
  // the prepared file, so that a GCM name shorter than five characters keeps
  // the chain of names intact.
  const std::string prepared = stem2 + "_.wtd_";
  const Extraction modelled =
      WTD_EXTRACT2(text_field(prepared, kTextWidth), stem2, params.DOY1, params.DOY2,
                   params.year1_text, params.year2_text, console);
  // Named after the GCM file: the prepared file is the run's own business.
  warn_if_short(params, modelled, trim_right(params.file2), console, warnings);
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
