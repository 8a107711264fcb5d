// The numbers behind the report: the days of the run's window, the three
// series aligned on them, per-month statistics, the verdict, and the gamma
// fits computed again with the tool's own monthly stages.
//
// Pure computations: no files, no console (the monthly stages' console
// lines are swallowed). Nothing here fails except std::bad_alloc.
#ifndef RAINCORR_REPORT_MONTHLY_SUMMARY_H_
#define RAINCORR_REPORT_MONTHLY_SUMMARY_H_

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "monthly/month_data.h"

namespace raincorr::report {

// A day as the series files name it: year and day of year (1..366).
struct Day {
  int year = 0;
  int doy = 0;
  friend bool operator==(const Day&, const Day&) = default;
};

// A value of a series with the day it belongs to, in file order.
struct DatedValue {
  Day day;
  double value = 0.0;
};

// The days of the window, in the order the extraction takes them from a
// complete weather file: days doy1..doy2 (common-year numbering; in a leap
// year the days from 1 March on move one day later, so the window keeps its
// calendar dates) of each year year1..year2-1; with doy1 > doy2 the window
// runs across the year end, from doy1 of year1 to doy2 of year2-1 without
// the days doy2+1..doy1-1 of each year between. Empty when year2 <= year1.
std::vector<Day> window_days(int year1, int year2, int doy1, int doy2);

// Calendar month 1..12 of a day, as the tool classifies it.
int month_of(const Day& day);

// ISO 8601 date (yyyy-mm-dd) of a day.
std::string iso_date(const Day& day);

enum Series { kStation = 0, kRaw = 1, kCorrected = 2 };
inline constexpr int kSeriesCount = 3;

// The window's days with the value of each series on that day; NaN where
// the series does not hold the day (its input ended before the window).
struct AlignedDays {
  std::vector<Day> days;
  std::array<std::vector<double>, kSeriesCount> values;
  std::array<std::size_t, kSeriesCount> present{};  // days held, per series
  // Per series, values whose day is not in the window (or repeats a day).
  std::array<std::size_t, kSeriesCount> outside{};
};

// Aligns the three series on `window` by their days. `raw` and `corrected`
// are in the same order (the corrected file carries no dates, so it takes
// the days of `raw`); `corrected` must not be longer than `raw`. A day that
// occurs twice in a series keeps its first value and counts as outside.
AlignedDays align(const std::vector<Day>& window, const std::vector<DatedValue>& station,
                  const std::vector<DatedValue>& raw, const std::vector<double>& corrected);

// The p-th quantile (0 <= p <= 1) of ascending `sorted` by linear
// interpolation between order statistics: position p * (n - 1) from the
// first. NaN for an empty vector.
double quantile(const std::vector<double>& sorted, double p);

// Statistics of one series in one month, over the days present.
struct SeriesStats {
  std::size_t days = 0;            // days present
  std::size_t wet = 0;             // days above the threshold
  double mean = 0.0;               // mean daily rainfall, mm/day, all days
  double sd = 0.0;                 // sample standard deviation, all days (NaN below 2 days)
  double p95 = 0.0;                // 95th percentile of the wet days (NaN without wet days)
  double p99 = 0.0;                // 99th percentile of the wet days
  double max = 0.0;                // largest value (NaN without days)
  double wet_frequency = 0;        // wet / days (NaN without days)
  std::vector<double> wet_sorted;  // the wet days, ascending
};

// Statistics of `values` (NaN entries are absent days) for wet days above
// `thresh`; mean and sd are NaN without days.
SeriesStats series_stats(const std::vector<double>& values, double thresh);

using MonthTable = std::array<std::array<SeriesStats, kSeriesCount>, 12>;

// Per calendar month and series, from the aligned days.
MonthTable monthly_table(const AlignedDays& aligned, double thresh);

// (series - station) / station; NaN when the station value is zero or
// either value is NaN.
double relative_error(double series, double station);

// Relative errors against the station, per month (NaN where undefined),
// and their means: the mean over the months where it is defined of the
// absolute relative error.
struct Verdict {
  std::array<double, 12> mean_raw{}, mean_corrected{}, wet_raw{}, wet_corrected{};
  double mean_raw_avg = 0.0, mean_corrected_avg = 0.0, wet_raw_avg = 0.0, wet_corrected_avg = 0.0;
  int mean_months = 0;  // months with a defined mean error
  int wet_months = 0;   // months with a defined wet-day frequency error
};
Verdict verdict(const MonthTable& table);

// The run's monthly stages done again on the series it kept: the observed
// months (values of `station` grouped by month in file order) sorted,
// truncated at `thresh` and fitted, then the GCM months (`raw`, loaded with
// the observed counts as the run loads them) sorted, cut at the observed
// truncation points with their ties counted and refilled, and fitted.
struct RunFits {
  MonthInts month_size{};  // observed days per month
  MonthInts obs_posit{};   // observed truncation points
  MonthInts posit{};       // GCM truncation points after the tie scan
  TieInfo ties;
  MonthStats obs;
  MonthStats gcm;
  MonthReals no_ppt{};  // GCM value at the cut, 0 where posit is 0 or the method is 2
};
RunFits fit_like_run(const std::vector<DatedValue>& station, const std::vector<DatedValue>& raw,
                     double thresh, int emp_gamma, int years);

}  // namespace raincorr::report

#endif  // RAINCORR_REPORT_MONTHLY_SUMMARY_H_
