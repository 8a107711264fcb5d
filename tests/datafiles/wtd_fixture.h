// Small weather files for the data-file tests: whole years of WTD lines whose
// rainfall tells the year and the line apart, and the series records the
// extraction should make of them.
#ifndef RAINCORR_TESTS_DATAFILES_WTD_FIXTURE_H_
#define RAINCORR_TESTS_DATAFILES_WTD_FIXTURE_H_

#include <cstdio>
#include <string>
#include <vector>

namespace raincorr::testing {

inline int days_in(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0 ? 366 : 365;
}

// Rainfall of line `line` of `year` in a six-column field: the last digit of
// the year in the hundreds, the line number in tenths (line 61 of 1984 gives
// " 406.1").
inline std::string rain6(int year, int line) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%6.1f", (year % 10) * 100 + line / 10.0);
  return buf;
}

// A WTD line: date code in columns 1-7, other weather columns 8-25, rainfall
// in 26-31 (the part read is 27-31).
inline std::string wtd_line(int year, int line, const std::string& rain) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%03d", year, line);
  return std::string(buf) + "  18.3  27.5  14.1" + rain;
}

// Lines first..last of `year`, each ending with a line feed.
inline std::string year_lines(int year, int first = 1, int last = 0) {
  if (last == 0) last = days_in(year);
  std::string out;
  for (int l = first; l <= last; ++l) out += wtd_line(year, l, rain6(year, l)) + "\n";
  return out;
}

// The three series files expected from lines of the fixture years.
struct Series {
  std::string pcp, pkp, y_pcp;
};

struct Span {
  int year, first, last;  // lines first..last of the year, both included
};

inline Series series_of(const std::vector<Span>& spans) {
  Series s;
  for (const auto& span : spans) {
    for (int l = span.first; l <= span.last; ++l) {
      char date[16];
      std::snprintf(date, sizeof date, "%04d%03d", span.year, l);
      const std::string d(date);
      const std::string rain = rain6(span.year, l).substr(1);
      s.pcp += " " + d + " " + rain + "\n";
      s.pkp += rain + "\n";
      s.y_pcp += d.substr(0, 4) + " " + d.substr(4) + " " + rain + "\n";
    }
  }
  return s;
}

}  // namespace raincorr::testing

#endif  // RAINCORR_TESTS_DATAFILES_WTD_FIXTURE_H_
