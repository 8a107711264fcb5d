#include "report/monthly_summary.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <streambuf>

#include "datafiles/calendar.h"
#include "monthly/stats.h"
#include "monthly/truncate.h"
#include "textio/fields.h"

namespace raincorr::report {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Day 59 is 28 February in common-year numbering: a leap year's days from
// 1 March on carry numbers one higher.
constexpr int kLastFebruaryDay = 59;

void add_days(std::vector<Day>& out, int year, int first, int last) {
  for (int d = first; d <= last; ++d) out.push_back({year, d});
}

// A key that orders days as the window takes them.
long long key(const Day& d) { return static_cast<long long>(d.year) * 1000 + d.doy; }

// Swallows the console lines of the monthly stages.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
};

}  // namespace

std::vector<Day> window_days(int year1, int year2, int doy1, int doy2) {
  std::vector<Day> days;
  if (year2 <= year1) return days;
  if (doy1 <= doy2) {
    for (int y = year1; y < year2; ++y) {
      const int leap = LEAPYEAR(y);
      if (leap == 0 || (doy1 < kLastFebruaryDay && doy2 < kLastFebruaryDay)) {
        add_days(days, y, doy1, doy2);
      } else if (doy1 < kLastFebruaryDay) {
        add_days(days, y, doy1, doy2 + 1);
      } else {
        add_days(days, y, doy1 + 1, doy2 + 1);
      }
    }
    return days;
  }
  // Across the year end: the tail of year1, then each later year's head
  // and tail. A leap year's tail always starts one line later, even for a
  // doy1 before March, because the extraction counts the leap day there.
  for (int y = year1; y < year2; ++y) {
    const int leap = LEAPYEAR(y);
    if (y > year1) add_days(days, y, 1, leap == 1 && doy2 >= kLastFebruaryDay ? doy2 + 1 : doy2);
    add_days(days, y, doy1 + leap, 365 + leap);
  }
  return days;
}

int month_of(const Day& day) { return DOYTEST(LEAPYEAR(day.year), day.doy); }

std::string iso_date(const Day& day) {
  const int leap = LEAPYEAR(day.year);
  const int month = DOYTEST(leap, day.doy);
  int first = 1;
  CONVERT_DAY_DOY(1, first, month, leap);
  const auto two = [](int v) {
    std::string text = std::to_string(v);
    if (text.size() < 2) text.insert(0, 1, '0');
    return text;
  };
  std::string year = std::to_string(day.year);
  if (year.size() < 4) year.insert(0, 4 - year.size(), '0');
  return year + "-" + two(month) + "-" + two(day.doy - first + 1);
}

AlignedDays align(const std::vector<Day>& window, const std::vector<DatedValue>& station,
                  const std::vector<DatedValue>& raw, const std::vector<double>& corrected) {
  AlignedDays a;
  a.days = window;
  for (auto& v : a.values) v.assign(window.size(), kNaN);
  // The window's days are in ascending order of their keys. A series
  // mostly follows them day by day, so the day after the last one placed
  // is tried first, and a binary search finds any other.
  const auto place = [&](Series s, std::size_t& next, const Day& day, double value) {
    std::size_t at = next;
    if (at >= window.size() || !(window[at] == day)) {
      const auto it = std::lower_bound(window.begin(), window.end(), key(day),
                                       [](const Day& d, long long k) { return key(d) < k; });
      at = static_cast<std::size_t>(it - window.begin());
      if (it == window.end() || !(*it == day)) {
        ++a.outside[s];
        return;
      }
    }
    next = at + 1;
    double& slot = a.values[s][at];
    if (!std::isnan(slot)) {
      ++a.outside[s];
      return;
    }
    slot = value;
    ++a.present[s];
  };
  std::size_t next = 0;
  for (const auto& v : station) place(kStation, next, v.day, v.value);
  next = 0;
  std::size_t next_corrected = 0;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    place(kRaw, next, raw[i].day, raw[i].value);
    if (i < corrected.size()) place(kCorrected, next_corrected, raw[i].day, corrected[i]);
  }
  return a;
}

double quantile(const std::vector<double>& sorted, double p) {
  if (sorted.empty()) return kNaN;
  const double pos = p * static_cast<double>(sorted.size() - 1);
  const auto below = static_cast<std::size_t>(std::floor(pos));
  if (below + 1 >= sorted.size()) return sorted.back();
  const double frac = pos - static_cast<double>(below);
  return sorted[below] + frac * (sorted[below + 1] - sorted[below]);
}

SeriesStats series_stats(const std::vector<double>& values, double thresh) {
  SeriesStats s;
  double sum = 0.0;
  double max = -std::numeric_limits<double>::infinity();
  for (double v : values) {
    if (std::isnan(v)) continue;
    ++s.days;
    sum += v;
    max = std::max(max, v);
    if (v > thresh) s.wet_sorted.push_back(v);
  }
  std::sort(s.wet_sorted.begin(), s.wet_sorted.end());
  s.wet = s.wet_sorted.size();
  if (s.days == 0) {
    s.mean = s.sd = s.max = s.wet_frequency = kNaN;
  } else {
    const double n = static_cast<double>(s.days);
    s.mean = sum / n;
    s.max = max;
    s.wet_frequency = static_cast<double>(s.wet) / n;
    double squares = 0.0;
    for (double v : values) {
      if (!std::isnan(v)) squares += (v - s.mean) * (v - s.mean);
    }
    s.sd = s.days < 2 ? kNaN : std::sqrt(squares / (n - 1));
  }
  s.p95 = quantile(s.wet_sorted, 0.95);
  s.p99 = quantile(s.wet_sorted, 0.99);
  return s;
}

MonthTable monthly_table(const AlignedDays& aligned, double thresh) {
  std::array<std::array<std::vector<double>, kSeriesCount>, 12> by_month;
  for (std::size_t i = 0; i < aligned.days.size(); ++i) {
    const int m = month_of(aligned.days[i]);
    for (int s = 0; s < kSeriesCount; ++s) by_month[m - 1][s].push_back(aligned.values[s][i]);
  }
  MonthTable table;
  for (int m = 0; m < 12; ++m) {
    for (int s = 0; s < kSeriesCount; ++s) table[m][s] = series_stats(by_month[m][s], thresh);
  }
  return table;
}

double relative_error(double series, double station) {
  if (std::isnan(series) || std::isnan(station) || station == 0.0) return kNaN;
  return (series - station) / station;
}

Verdict verdict(const MonthTable& table) {
  Verdict v;
  double sums[4] = {0, 0, 0, 0};
  for (int m = 0; m < 12; ++m) {
    const auto& t = table[m];
    v.mean_raw[m] = relative_error(t[kRaw].mean, t[kStation].mean);
    v.mean_corrected[m] = relative_error(t[kCorrected].mean, t[kStation].mean);
    v.wet_raw[m] = relative_error(t[kRaw].wet_frequency, t[kStation].wet_frequency);
    v.wet_corrected[m] = relative_error(t[kCorrected].wet_frequency, t[kStation].wet_frequency);
    // A month counts towards a mean only when both of its errors are
    // defined, so that raw and corrected are averaged over the same months.
    if (!std::isnan(v.mean_raw[m]) && !std::isnan(v.mean_corrected[m])) {
      sums[0] += std::abs(v.mean_raw[m]);
      sums[1] += std::abs(v.mean_corrected[m]);
      ++v.mean_months;
    }
    if (!std::isnan(v.wet_raw[m]) && !std::isnan(v.wet_corrected[m])) {
      sums[2] += std::abs(v.wet_raw[m]);
      sums[3] += std::abs(v.wet_corrected[m]);
      ++v.wet_months;
    }
  }
  const double nm = v.mean_months > 0 ? v.mean_months : kNaN;
  const double nw = v.wet_months > 0 ? v.wet_months : kNaN;
  v.mean_raw_avg = sums[0] / nm;
  v.mean_corrected_avg = sums[1] / nm;
  v.wet_raw_avg = sums[2] / nw;
  v.wet_corrected_avg = sums[3] / nw;
  return v;
}

RunFits fit_like_run(const std::vector<DatedValue>& station, const std::vector<DatedValue>& raw,
                     double thresh, int emp_gamma, int years) {
  RunFits f;
  for (const auto& v : station) ++f.month_size[month_of(v.day) - 1];
  MonthData data(largest_count(f.month_size));
  NullBuffer null_buffer;
  std::ostream quiet(&null_buffer);

  // Each month's values in series order, as the class files hold them; the
  // GCM months take at most the observed count, and a short GCM month keeps
  // the observed values in its remaining rows, as the run's loading does.
  const auto load = [&](const std::vector<DatedValue>& series) {
    MonthInts filled{};
    for (const auto& v : series) {
      const int m = month_of(v.day);
      if (filled[m - 1] >= f.month_size[m - 1]) continue;
      data.at(static_cast<std::size_t>(++filled[m - 1]), m) = v.value;
    }
    for (int m = 1; m <= 12; ++m) std::sort(data.column(m), data.column(m) + f.month_size[m - 1]);
  };

  load(station);
  TRUNCATE_H2(data, f.month_size, f.obs_posit, thresh, quiet);
  MonthStats stats;
  STATS2(data, f.month_size, f.obs_posit, stats, emp_gamma, quiet);
  f.obs = stats;

  load(raw);
  f.posit = f.obs_posit;
  TRUNCATE_GCM2(data, f.month_size, f.posit, emp_gamma, years, f.ties, quiet);
  STATS2(data, f.month_size, f.posit, stats, emp_gamma, quiet);
  f.gcm = stats;
  if (emp_gamma != 2) {
    for (int m = 1; m <= 12; ++m) {
      const auto p = f.posit[m - 1];
      if (p > 0 && p <= f.month_size[m - 1])
        f.no_ppt[m - 1] = data.at(static_cast<std::size_t>(p), m);
    }
  }
  return f;
}

}  // namespace raincorr::report
