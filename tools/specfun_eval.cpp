// specfun-eval: a developer probe of the special functions.
//
// Reads lines such as "DGAMDF 3.7 2.5", "DGAMIN 0.25 4" or "DLNGAM 0.5"
// (also DGAMMA, DNORIN, DERFCI, DERFCE with one argument) from standard
// input and prints each result with 17 significant digits, one line per
// input line. When a call reports through the error facility, what the
// facility printed is all that appears for that line; the facility is then
// reset and the next line is read. Lines it cannot read are reported on
// standard error and skipped; blank lines are skipped.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "specfun/errors.h"
#include "specfun/gamma.h"
#include "specfun/gamma_dist.h"
#include "specfun/normal.h"
#include "textio/freeform.h"
#include "textio/run_stop.h"

namespace {

using raincorr::parse_real;

struct Routine {
  const char* name;
  int arguments;
  double (*one)(double);
  double (*two)(double, double);
};

const Routine kRoutines[] = {
    {"DGAMDF", 2, nullptr, raincorr::DGAMDF}, {"DGAMIN", 2, nullptr, raincorr::DGAMIN},
    {"DLNGAM", 1, raincorr::DLNGAM, nullptr}, {"DGAMMA", 1, raincorr::DGAMMA, nullptr},
    {"DNORIN", 1, raincorr::DNORIN, nullptr}, {"DERFCI", 1, raincorr::DERFCI, nullptr},
    {"DERFCE", 1, raincorr::DERFCE, nullptr},
};

std::vector<std::string> words(const std::string& line) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (true) {
    i = line.find_first_not_of(" \t\r,", i);
    if (i == std::string::npos) break;
    const std::size_t end = line.find_first_of(" \t\r,", i);
    out.push_back(line.substr(i, end - i));
    i = end;
  }
  return out;
}

std::string with_17_digits(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", v);
  return buffer;
}

}  // namespace

int main() {
  std::string line;
  long number = 0;
  while (std::getline(std::cin, line)) {
    ++number;
    const std::vector<std::string> w = words(line);
    if (w.empty()) continue;
    const Routine* routine = nullptr;
    for (const auto& r : kRoutines) {
      if (w[0] == r.name) routine = &r;
    }
    if (routine == nullptr || static_cast<int>(w.size()) != routine->arguments + 1) {
      std::cerr << "specfun-eval: line " << number << ": expected a routine name and "
                << (routine ? routine->arguments : 1) << " argument(s)\n";
      continue;
    }
    std::vector<double> args;
    for (std::size_t i = 1; i < w.size(); ++i) {
      if (auto v = parse_real(w[i])) args.push_back(*v);
    }
    if (args.size() + 1 != w.size()) {
      std::cerr << "specfun-eval: line " << number << ": an argument is not a number\n";
      continue;
    }
    try {
      const double v =
          routine->arguments == 1 ? routine->one(args[0]) : routine->two(args[0], args[1]);
      std::cout << with_17_digits(v) << "\n";
    } catch (const raincorr::RunStop&) {
      // The facility has printed its message; start afresh for the next line.
      raincorr::reset_error_facility_for_testing();
    }
  }
  return 0;
}
