// Station fixtures shared by the GHCN and CSV tests: GHCN-Daily records
// and the weather file expected for whole years, with days counted by
// std::chrono rather than by the code under test.
#ifndef RAINCORR_TESTS_CONVERT_STATION_FIXTURE_H_
#define RAINCORR_TESTS_CONVERT_STATION_FIXTURE_H_

#include <cstdio>
#include <map>
#include <string>
#include <utility>

#include "tests/convert/convert_support.h"

namespace raincorr::testing {

// One GHCN-Daily record: every day of the month holds `value` (days past
// the month's end -9999), except the days in `days` (day -> value, QFLAG).
inline std::string dly_record(const std::string& id, int year, int month,
                              const std::string& element, int value,
                              const std::map<int, std::pair<int, char>>& days = {}) {
  char head[32];
  std::snprintf(head, sizeof head, "%-11s%04d%02d%-4s", id.c_str(), year, month, element.c_str());
  std::string line = head;
  const std::string first =
      std::to_string(year) + (month < 10 ? "-0" : "-") + std::to_string(month) + "-01";
  // A month outside 1..12 (a bad record on purpose) gets 31 days.
  const int length =
      month < 1 || month > 12 ? 31 : days_between(first, add_days(first, 40).substr(0, 8) + "01");
  for (int d = 1; d <= 31; ++d) {
    int v = d <= length ? value : -9999;
    char q = ' ';
    if (const auto it = days.find(d); it != days.end()) {
      v = it->second.first;
      q = it->second.second;
    }
    char group[16];
    std::snprintf(group, sizeof group, "%5d %c%c", v, q, v == -9999 ? ' ' : '7');
    line += group;
  }
  return line + "\n";
}

// Twelve records of `element` for `year`, every day `value`.
inline std::string dly_year(const std::string& id, int year, const std::string& element,
                            int value) {
  std::string s;
  for (int m = 1; m <= 12; ++m) s += dly_record(id, year, m, element, value);
  return s;
}

// The weather file raincorr reads for years first..last: every day's line
// is its date code and `tail` (SRAD, TMAX, TMIN, RAIN as %6.1f), except the
// days in `days` (ISO date -> tail).
inline std::string weather_file(const std::string& station, int first, int last,
                                const std::string& tail,
                                const std::map<std::string, std::string>& days = {}) {
  std::string s = "*WEATHER DATA : " + station + "\n\n@  DATE  SRAD  TMAX  TMIN  RAIN\n";
  const std::string start = std::to_string(first) + "-01-01";
  const int n = days_between(start, std::to_string(last + 1) + "-01-01");
  for (int k = 0; k < n; ++k) {
    const std::string day = add_days(start, k);
    char code[16];
    std::snprintf(code, sizeof code, "%s%03d", day.substr(0, 4).c_str(), day_of_year(day));
    const auto it = days.find(day);
    s += code + (it == days.end() ? tail : it->second) + "\n";
  }
  return s;
}

}  // namespace raincorr::testing

#endif  // RAINCORR_TESTS_CONVERT_STATION_FIXTURE_H_
