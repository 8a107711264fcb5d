// raincorr-report: one HTML page that shows what a raincorr run did.
#ifndef RAINCORR_REPORT_REPORT_H_
#define RAINCORR_REPORT_REPORT_H_

#include <ctime>
#include <string>
#include <vector>

namespace raincorr::report {

struct ReportOptions {
  std::vector<std::string> args;  // the run's arguments, as given to raincorr
  std::string log;                // the run's console log; empty: no audit
  std::string output;             // the page; empty: <gcm stem>_report.html
  std::string csv;                // the days as CSV; empty: none
  std::string summary;            // the verdict as key=value lines; empty: none
  std::string version;            // of both programs
};

// The time shown as the report's making, in UTC ("2026-12-11 11:46:54
// UTC"): `source_date_epoch` (seconds since 1970, from the environment)
// when it is set, else `now`. Throws RunStop (status 1) when it is set but
// is not a whole number of seconds.
std::string report_time(const char* source_date_epoch, std::time_t now);

// Reads the run of `options.args` in the working directory (see
// run_files.h and run_log.h) and writes the page, and the CSV and summary
// when asked (each created or replaced; nothing else is written, and the
// run's own files are never touched). Prints nothing.
// Throws RunStop: status 1 for arguments that raincorr itself would refuse
// and for an output name that is an input, a file the run left or the log,
// status 2 for a missing or mismatched file or log, or an output that
// cannot be written; nothing is written then.
void make_report(const ReportOptions& options, const std::string& made_at);

}  // namespace raincorr::report

#endif  // RAINCORR_REPORT_REPORT_H_
