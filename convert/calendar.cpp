#include "convert/calendar.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string>

namespace raincorr::convert {
namespace {

constexpr std::array<int, 13> kCommonStart = {0,   31,  59,  90,  120, 151, 181,
                                              212, 243, 273, 304, 334, 365};
constexpr std::array<int, 13> kLeapStart = {0,   31,  60,  91,  121, 152, 182,
                                            213, 244, 274, 305, 335, 366};
constexpr double kSecondsPerDay = 86400.0;

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// Days from 1970-01-01 of a proleptic Gregorian date (the classic civil-day
// algorithm over 400-year eras, valid for negative years too).
std::int64_t days_from_civil(std::int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = floor_div(y, 400);
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

Date civil_from_days(std::int64_t z) {
  z += 719468;
  const std::int64_t era = floor_div(z, 146097);
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const std::int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  return {static_cast<int>(y), m, d};
}

// Date of a fixed-length-year calendar from the day within the year.
Date from_year_table(int year, int day_of_year, const std::array<int, 13>& start) {
  int m = 1;
  while (m < 12 && day_of_year >= start[m]) ++m;
  return {year, m, day_of_year - start[m - 1] + 1};
}

// Reads an integer at the front of `s` and removes it; false when none.
bool take_int(std::string_view& s, long long& v) {
  const char* begin = s.data();
  if (!s.empty() && s.front() == '+') ++begin;
  const auto [ptr, ec] = std::from_chars(begin, s.data() + s.size(), v);
  if (ec != std::errc() || ptr == begin) return false;
  s.remove_prefix(static_cast<std::size_t>(ptr - s.data()));
  return true;
}

bool take_char(std::string_view& s, char c) {
  if (s.empty() || s.front() != c) return false;
  s.remove_prefix(1);
  return true;
}

void check_real_year(int year) {
  if (year < 1 || year > 9999)
    throw ConvertFailure("the series reaches year " + std::to_string(year) +
                         ", outside the four-digit years 1..9999 that raincorr reads");
}

}  // namespace

Calendar parse_calendar(std::string_view name) {
  const std::string n = lower(trim(name));
  if (n.empty() || n == "standard" || n == "gregorian" || n == "proleptic_gregorian")
    return Calendar::kGregorian;
  if (n == "noleap" || n == "365_day") return Calendar::kNoLeap;
  if (n == "all_leap" || n == "366_day") return Calendar::kAllLeap;
  if (n == "360_day") return Calendar::kDay360;
  throw ConvertFailure("calendar \"" + std::string(name) +
                       "\" is not supported (expected standard, gregorian, proleptic_gregorian, "
                       "noleap, 365_day, all_leap, 366_day or 360_day)");
}

std::string_view calendar_name(Calendar cal) {
  switch (cal) {
    case Calendar::kGregorian:
      return "gregorian";
    case Calendar::kNoLeap:
      return "365_day";
    case Calendar::kAllLeap:
      return "366_day";
    case Calendar::kDay360:
      return "360_day";
  }
  return "";
}

std::string iso_date(const Date& d) {
  std::string y = std::to_string(d.year < 0 ? -d.year : d.year);
  if (y.size() < 4) y.insert(0, 4 - y.size(), '0');
  std::string out = d.year < 0 ? "-" + y : y;
  out += d.month < 10 ? "-0" : "-";
  out += std::to_string(d.month);
  out += d.day < 10 ? "-0" : "-";
  out += std::to_string(d.day);
  return out;
}

bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  const auto& start = is_leap_year(year) ? kLeapStart : kCommonStart;
  return start[month] - start[month - 1];
}

bool valid_date(Calendar cal, const Date& d) {
  if (d.month < 1 || d.month > 12 || d.day < 1) return false;
  switch (cal) {
    case Calendar::kGregorian:
      return d.day <= days_in_month(d.year, d.month);
    case Calendar::kNoLeap:
      return d.day <= kCommonStart[d.month] - kCommonStart[d.month - 1];
    case Calendar::kAllLeap:
      return d.day <= kLeapStart[d.month] - kLeapStart[d.month - 1];
    case Calendar::kDay360:
      return d.day <= 30;
  }
  return false;
}

std::int64_t day_number(Calendar cal, const Date& d) {
  const std::int64_t y = d.year;
  switch (cal) {
    case Calendar::kGregorian:
      return days_from_civil(y, d.month, d.day);
    case Calendar::kNoLeap:
      return y * 365 + kCommonStart[d.month - 1] + d.day - 1;
    case Calendar::kAllLeap:
      return y * 366 + kLeapStart[d.month - 1] + d.day - 1;
    case Calendar::kDay360:
      return y * 360 + (d.month - 1) * 30 + d.day - 1;
  }
  return 0;
}

Date date_of(Calendar cal, std::int64_t n) {
  switch (cal) {
    case Calendar::kGregorian:
      return civil_from_days(n);
    case Calendar::kNoLeap: {
      const std::int64_t y = floor_div(n, 365);
      return from_year_table(static_cast<int>(y), static_cast<int>(n - y * 365), kCommonStart);
    }
    case Calendar::kAllLeap: {
      const std::int64_t y = floor_div(n, 366);
      return from_year_table(static_cast<int>(y), static_cast<int>(n - y * 366), kLeapStart);
    }
    case Calendar::kDay360: {
      const std::int64_t y = floor_div(n, 360);
      const int doy = static_cast<int>(n - y * 360);
      return {static_cast<int>(y), doy / 30 + 1, doy % 30 + 1};
    }
  }
  return {};
}

TimeUnits parse_time_units(std::string_view units, Calendar cal) {
  const auto refuse = [&]() {
    return ConvertFailure("time units \"" + std::string(units) +
                          "\" are not of the form \"days|hours|minutes|seconds since "
                          "YYYY-MM-DD[ hh:mm:ss]\"");
  };
  const std::string text = lower(trim(units));
  const std::size_t since = text.find(" since ");
  if (since == std::string::npos) throw refuse();
  const std::string word(trim(std::string_view(text).substr(0, since)));
  TimeUnits out;
  if (word == "days" || word == "day" || word == "d")
    out.seconds_per_unit = kSecondsPerDay;
  else if (word == "hours" || word == "hour" || word == "h" || word == "hr")
    out.seconds_per_unit = 3600.0;
  else if (word == "minutes" || word == "minute" || word == "min")
    out.seconds_per_unit = 60.0;
  else if (word == "seconds" || word == "second" || word == "sec" || word == "s")
    out.seconds_per_unit = 1.0;
  else
    throw refuse();

  std::string_view rest = trim(std::string_view(text).substr(since + 7));
  long long y = 0;
  long long m = 0;
  long long d = 0;
  bool negative = take_char(rest, '-');
  if (!take_int(rest, y) || !take_char(rest, '-') || !take_int(rest, m) || !take_char(rest, '-') ||
      !take_int(rest, d))
    throw refuse();
  if (negative) y = -y;
  if (y < -999999 || y > 999999 || m < 1 || m > 12 || d < 1 || d > 31) throw refuse();
  const Date ref{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
  if (!valid_date(cal, ref))
    throw ConvertFailure("time units \"" + std::string(units) + "\": " + iso_date(ref) +
                         " is not a date of the " + std::string(calendar_name(cal)) + " calendar");
  out.reference_day = day_number(cal, ref);

  if (!rest.empty() && (rest.front() == 't' || rest.front() == ' ')) {
    rest.remove_prefix(1);
    rest = trim(rest);
    long long hh = 0;
    long long mm = 0;
    double ss = 0;
    if (!rest.empty() && rest != "z") {
      if (!take_int(rest, hh) || !take_char(rest, ':') || !take_int(rest, mm)) throw refuse();
      if (take_char(rest, ':')) {
        const auto [ptr, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), ss);
        if (ec != std::errc()) throw refuse();
        rest.remove_prefix(static_cast<std::size_t>(ptr - rest.data()));
      }
      if (hh < 0 || hh > 23 || mm < 0 || mm > 59 || ss < 0 || ss >= 61) throw refuse();
      out.reference_seconds = static_cast<double>(hh * 3600 + mm * 60) + ss;
    }
  }
  rest = trim(rest);
  if (!rest.empty() && rest != "z") throw refuse();
  return out;
}

std::int64_t model_day(const TimeUnits& units, double t) {
  const double days =
      std::floor((t * units.seconds_per_unit + units.reference_seconds) / kSecondsPerDay);
  if (!std::isfinite(days) || std::fabs(days) > 1e12)
    throw ConvertFailure("time value " + std::to_string(t) + " is not a usable date");
  return units.reference_day + static_cast<std::int64_t>(days);
}

RealSeries to_real_calendar(Calendar cal, const Date& first, std::span<const double> values,
                            LeapDay leap_day) {
  RealSeries out;
  out.values.reserve(values.size() + values.size() / 60 + 2);
  const std::int64_t first_model = day_number(cal, first);
  bool started = false;
  const auto put = [&](const Date& real, double v) {
    if (!started) {
      check_real_year(real.year);
      out.first = real;
      started = true;
    }
    out.values.push_back(v);
  };

  // The 360-day table of the year in hand: for every model day-of-year k,
  // the first real day-of-year that takes it and how many real days do.
  int table_year = 0;
  bool have_table = false;
  std::array<int, 361> first_real{};
  std::array<int, 361> real_count{};

  for (std::size_t i = 0; i < values.size(); ++i) {
    const Date md = date_of(cal, first_model + static_cast<std::int64_t>(i));
    switch (cal) {
      case Calendar::kGregorian:
        put(md, values[i]);
        break;
      case Calendar::kNoLeap:
        put(md, values[i]);
        if (md.month == 2 && md.day == 28 && is_leap_year(md.year) && i + 1 < values.size()) {
          const Date leap_day_date{md.year, 2, 29};
          out.values.push_back(leap_day == LeapDay::kCopy ? values[i] : 0.0);
          out.inserted.push_back(leap_day_date);
        }
        break;
      case Calendar::kAllLeap:
        if (md.month == 2 && md.day == 29 && !is_leap_year(md.year))
          out.dropped.push_back(md);
        else
          put(md, values[i]);
        break;
      case Calendar::kDay360: {
        if (!have_table || table_year != md.year) {
          const int n = is_leap_year(md.year) ? 366 : 365;
          first_real.fill(0);
          real_count.fill(0);
          for (int d = n; d >= 1; --d) {
            const int k = static_cast<int>((2LL * d - 1) * 180 / n) + 1;
            first_real[k] = d;
            ++real_count[k];
          }
          table_year = md.year;
          have_table = true;
        }
        const int k = (md.month - 1) * 30 + md.day;
        const int leap = is_leap_year(md.year) ? 1 : 0;
        for (int j = 0; j < real_count[k]; ++j) {
          const int doy = first_real[k] + j;
          const Date real = from_year_table(md.year, doy - 1, leap ? kLeapStart : kCommonStart);
          if (j == 0) {
            put(real, values[i]);
          } else {
            out.values.push_back(0.0);
            out.inserted.push_back(real);
          }
        }
        break;
      }
    }
  }
  if (started) {
    const Date last =
        date_of(Calendar::kGregorian, day_number(Calendar::kGregorian, out.first) +
                                          static_cast<std::int64_t>(out.values.size()) - 1);
    check_real_year(last.year);
  }
  return out;
}

}  // namespace raincorr::convert
