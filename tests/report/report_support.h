// Helpers of the report tests: xmllint on a text, and runs of the two
// executables in a folder with their output and status captured.
#ifndef RAINCORR_TESTS_REPORT_REPORT_SUPPORT_H_
#define RAINCORR_TESTS_REPORT_REPORT_SUPPORT_H_

#include <filesystem>
#include <string>
#include <vector>

namespace raincorr::testing {

// What `xmllint --noout` (with `html`, `xmllint --html --noout`) prints
// about `text`: empty when it is well formed.
std::string xmllint(const std::string& text, bool html);

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `program` with `args` in `dir`, with the environment variable
// assignments `env` ("NAME=value") added; standard input empty.
ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const std::filesystem::path& dir, const std::vector<std::string>& env = {});

// The SVG documents embedded as data: URIs in a page.
std::vector<std::string> embedded_svgs(const std::string& page);

}  // namespace raincorr::testing

#endif  // RAINCORR_TESTS_REPORT_REPORT_SUPPORT_H_
