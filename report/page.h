// The report page, the days as CSV and the machine-readable summary.
//
// Pure functions from the report's numbers to text: no files, no console.
#ifndef RAINCORR_REPORT_PAGE_H_
#define RAINCORR_REPORT_PAGE_H_

#include <optional>
#include <string>
#include <vector>

#include "report/monthly_summary.h"
#include "report/run_files.h"
#include "report/run_log.h"

namespace raincorr::report {

struct PageInput {
  std::vector<std::string> args;  // the run's arguments as given
  int year1 = 0, year2 = 0, doy1 = 0, doy2 = 0;
  double thresh = 0.0;
  int emp_gamma = 0;
  InputFile observed;
  InputFile gcm;
  std::string version;  // of raincorr and raincorr-report (built together)
  std::string made_at;  // when the report was made, as shown
  AlignedDays aligned;
  MonthTable table;
  Verdict verdict;
  RunFits fits;
  std::optional<TruncationAudit> audit;
};

// The method's name for emp_gamma 0, 1, 2 (and "none" otherwise).
std::string method_name(int emp_gamma);

// One self-contained HTML page (UTF-8): inline CSS, every chart an SVG
// document embedded as a data: URI image with its title as alternative
// text; no script and no external resource. Sections: header, verdict,
// monthly climatology, wet-day frequency, Q-Q panels (wet-day quantiles 5 %
// to 99 % in steps of 1 %: at most 190 points a panel), heavy days,
// statistics table and truncation audit (or a note on --log).
std::string render_page(const PageInput& in);

// "date,station,gcm_raw,gcm_corrected" and one row per day of the window:
// ISO date, then each value in mm/day as the shortest text that reads back
// as the same number; a day a series does not hold is an empty cell.
std::string days_csv(const AlignedDays& aligned);

// The verdict for scripts, one key=value per line in this order:
// window_days, station_days, gcm_days, days_corrected (days of the
// corrected series in the window), mean_error_raw, mean_error_corrected,
// wet_error_raw, wet_error_corrected (means over the months of the
// absolute relative error against the station, as fractions with 6
// decimals, "nan" when no month has one), mean_months, wet_months (the
// months those means cover).
std::string summary_text(const AlignedDays& aligned, const Verdict& verdict);

}  // namespace raincorr::report

#endif  // RAINCORR_REPORT_PAGE_H_
