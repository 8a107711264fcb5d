// The truncation audit: what the run printed about its cuts and ties, read
// from its console log (raincorr ... | tee RUN.LOG).
//
// Reads the log file only; prints nothing. The log must be the whole
// console output of the run of the report's arguments: its lines have the
// fixed layouts of the run's stages, and every value the report can compute
// again from the run's files (record counts, truncation points, ties, the
// value at each cut, month sizes, the method) must read as the run prints
// it.
#ifndef RAINCORR_REPORT_RUN_LOG_H_
#define RAINCORR_REPORT_RUN_LOG_H_

#include <array>
#include <cstddef>
#include <string>

#include "report/monthly_summary.h"

namespace raincorr::report {

// One month of the audit, as the run printed it (the value fields with
// their blanks; empty where the run printed no line for the month).
struct AuditRow {
  std::string obs_posit;   // observed truncation point, "posit(" of the observed pass
  std::string posit;       // GCM cut position
  std::string no_ppt;      // GCM value at the cut
  std::string case_;       // ties case
  std::string countfill;   // values after the cut equal to it
  std::string data2alloc;  // ties kept per occurrence of the month
};

struct TruncationAudit {
  std::string log_name;
  std::array<AuditRow, 12> months;
};

// What the run of the report's arguments must have printed.
struct ExpectedRun {
  std::string file1;  // names without trailing blanks
  std::string file2;
  std::string gcm_stem;
  std::size_t observed_days = 0;  // records of both extractions
  std::size_t gcm_days = 0;
  int emp_gamma = 0;
  RunFits fits;
};

// Reads the log `path`. Throws RunStop (standard error, status 2): when it
// cannot be opened; when it does not begin as the log of this run or a
// value in it differs from the run of these arguments ("from another
// run", naming the line); when it ends before "---D O N E---" or lacks a
// block ("cut", naming what is missing). `rerun` is the run's command line,
// shown as what to do.
TruncationAudit read_run_log(const std::string& path, const ExpectedRun& expected,
                             const std::string& rerun);

}  // namespace raincorr::report

#endif  // RAINCORR_REPORT_RUN_LOG_H_
