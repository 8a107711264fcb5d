// The nine command-line arguments and the run parameters decoded from them.
#ifndef RAINCORR_DRIVER_COMMAND_LINE_H_
#define RAINCORR_DRIVER_COMMAND_LINE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace raincorr {

struct RunParams {
  // Argument texts, 32 characters each, blank-padded. The year texts stay
  // available because the extraction matches years as text.
  std::string file1;
  std::string file2;
  std::string year1_text;
  std::string year2_text;

  std::int32_t year1 = 0;      // first year of the analysis
  std::int32_t year2 = 0;      // first year after the analysis
  std::int32_t DOY1 = 0;       // first day of the window, common-year numbering
  std::int32_t DOY2 = 0;       // last day of the window, common-year numbering
  double thresh = 0.0;         // rainfall threshold in mm
  std::int32_t emp_gamma = 0;  // 0 gamma-gamma, 1 empirical-gamma, 2 multiplicative
  std::int32_t formt = 0;      // GCM layout as given; the preparation detects its own

  // Number of years of the analysis, as the truncation and correction use
  // it: year2 - year1 in 4-byte arithmetic, so that years far apart (say
  // -2147483648 and 2147483647) wrap around instead of overflowing.
  int years() const {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(year2) -
                                     static_cast<std::uint32_t>(year1));
  }
};

// Decodes the process arguments after the command itself (at most the
// first nine are looked at). Reads and writes no file.
// Throws RunStop:
//  - the eleven-line usage text (standard output, status 1) when one of the
//    arguments 1 to 6 is missing or blank;
//  - an end-of-file or read error (standard error, status 2) when the seven
//    numeric texts do not read as year1, year2, DOY1, DOY2 (integers),
//    thresh (real), emp_gamma, formt (integers) in free form; a blank
//    argument 7 shifts the values and so always ends in an end-of-file error;
//  - "Bias correction method not selected..." (standard output, status 1)
//    when emp_gamma is 3 or more;
//  - a refusal (standard error, status 1) when DOY1 or DOY2 lies outside
//    1..365, when both file names share their name stem, when an input
//    file carries the name of a file the run writes, when the two stems
//    lead to one file name, or when a stem holds a '/'.
RunParams decode_command_line(const std::vector<std::string>& args);

// The text to print on standard output, ending in a line end, when the
// arguments ask for information instead of a run: exactly one argument,
// "--help" or "-h" (the usage text) or "--version" ("raincorr X.Y.Z").
// Any other argument vector gives nothing and is decoded as a run.
std::optional<std::string> information_request(const std::vector<std::string>& args);

}  // namespace raincorr

#endif  // RAINCORR_DRIVER_COMMAND_LINE_H_
