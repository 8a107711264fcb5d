// Reading what a raincorr run left in its folder, for the report.
//
// Reads, in the current working directory and never writing there: the
// observed weather file (its window days, taken with the tool's own
// extraction into a private temporary folder that is removed afterwards),
// the GCM series the run kept (<gcm>.pcp, dated), the corrected series
// (<gcm>_cd.pcp), the detail file (<gcm>_c.pcp, methods 0 and 1) and the
// value files <obs>.pkp and <gcm>.pkp, whose lengths tell whether the run
// had the same window. Prints nothing.
#ifndef RAINCORR_REPORT_RUN_FILES_H_
#define RAINCORR_REPORT_RUN_FILES_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "report/monthly_summary.h"

namespace raincorr::report {

struct InputFile {
  std::string name;
  std::uintmax_t size = 0;
  std::string sha256;  // lower-case hex
};

struct RunFiles {
  InputFile observed;               // file1
  InputFile gcm;                    // file2
  std::vector<DatedValue> station;  // the window days of file1, in file order
  std::vector<DatedValue> raw;      // <gcm>.pcp
  std::vector<double> corrected;    // <gcm>_cd.pcp, one per record of <gcm>.pcp
  // Per month, the observed gamma shape and scale as the detail file
  // prints them (F8.4) on the first day of the month it holds; empty for a
  // month it does not hold and for method 2.
  std::array<std::string, 12> detail_alpha;
  std::array<std::string, 12> detail_beta;
};

// Reads the run of `params` from the working directory. `rerun` is the
// command line of that run, shown in messages as what to do.
// Throws RunStop (standard error, status 2) with a message that names the
// file and says to run raincorr first with the same arguments when an input
// or output file is missing or unreadable, when an output's length or days
// disagree with the series the run kept (<gcm>_cd.pcp, <gcm>_c.pcp against
// <gcm>.pcp), or when a value file's length disagrees with the window
// (<obs>.pkp against the extraction, <gcm>.pkp against <gcm>.pcp).
RunFiles read_run(const RunParams& params, const std::string& rerun);

// The message start for every refusal of the report.
inline constexpr const char* kProgram = "raincorr-report: ";

// SHA-256 of the whole file `path` in lower-case hex; throws RunStop
// (status 2) when the file cannot be read.
std::string file_sha256(const std::string& path);

}  // namespace raincorr::report

#endif  // RAINCORR_REPORT_RUN_FILES_H_
