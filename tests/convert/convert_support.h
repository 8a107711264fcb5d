// Helpers of the raincorr-convert tests: netCDF fixtures made from CDL text
// by the real ncgen, runs of the real executables, and dates counted with
// the standard library's calendar (independent of the code under test).
#ifndef RAINCORR_TESTS_CONVERT_CONVERT_SUPPORT_H_
#define RAINCORR_TESTS_CONVERT_CONVERT_SUPPORT_H_

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/support.h"

namespace raincorr::testing {

// Writes `cdl` to <path>.cdl and runs ncgen on it to make the netCDF file
// `path` (classic format unless `kind` says otherwise, e.g. "nc4").
// Throws std::runtime_error with ncgen's message when it fails.
void make_netcdf(const std::filesystem::path& path, const std::string& cdl,
                 const std::string& kind = "classic");

// Runs `exe` with `args` in `dir`, standard input empty, and waits for it.
ToolRun run_program(const std::string& exe, const std::vector<std::string>& args,
                    const std::filesystem::path& dir);
// The raincorr-convert and raincorr executables of this build.
ToolRun run_convert(const std::vector<std::string>& args, const std::filesystem::path& dir);
ToolRun run_raincorr(const std::vector<std::string>& args, const std::filesystem::path& dir);

// Real-calendar dates by std::chrono: "YYYY-MM-DD" of the day `offset`
// days after `iso`, the day of year, and the GCM-layout date text
// ("%2d %3s%5d") of a day.
std::string add_days(const std::string& iso, int offset);
int day_of_year(const std::string& iso);
std::string gcm_date(const std::string& iso);
// Number of days from `a` to `b` (b - a).
int days_between(const std::string& a, const std::string& b);

}  // namespace raincorr::testing

#endif  // RAINCORR_TESTS_CONVERT_CONVERT_SUPPORT_H_
