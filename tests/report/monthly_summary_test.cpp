#include "report/monthly_summary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "datafiles/weather_extract.h"
#include "monthly/truncate.h"
#include "tests/datafiles/wtd_fixture.h"
#include "tests/support/support.h"
#include "textio/fields.h"
#include "textio/freeform.h"
#include "textio/linefile.h"

namespace raincorr::report {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The days the tool's own extraction takes from a complete weather file of
// the years year1..year2 (each line's date code is its line number).
std::vector<Day> extracted_days(int year1, int year2, int doy1, int doy2) {
  testing::ScratchDir dir;
  std::string wtd = "@  DATE  SRAD  TMAX  TMIN  RAIN\n";
  for (int y = year1; y <= year2; ++y) wtd += testing::year_lines(y);
  testing::write_file("full.wtd", wtd);
  std::ostringstream console;
  WTD_EXTRACT2(text_field("full.wtd", kTextWidth), "full", doy1, doy2, std::to_string(year1),
               std::to_string(year2), console);
  auto file = LineFile::open_or_stop("full_y.pcp");
  std::vector<Day> days;
  FreeformReader reader(file);
  while (!file.at_end()) {
    std::int32_t year = 0, doy = 0;
    double rain = 0;
    reader.begin();
    if (reader.read(year) != ReadStatus::kOk || reader.read(doy) != ReadStatus::kOk ||
        reader.read(rain) != ReadStatus::kOk) {
      break;
    }
    days.push_back({year, doy});
  }
  return days;
}

TEST(WindowDays, AreTheDaysTheExtractionTakes) {
  struct Case {
    int year1, year2, doy1, doy2;
  };
  const Case cases[] = {
      {1983, 1986, 1, 365},    // a leap year in the middle: 366 days of 1984
      {1983, 1986, 1, 31},     // January only
      {1983, 1986, 1, 59},     // up to 29 February in 1984
      {1983, 1986, 60, 90},    // March: one day later in 1984
      {1983, 1986, 50, 70},    // across the end of February
      {1981, 1986, 305, 59},   // across the year end, leap year inside
      {1981, 1986, 305, 90},   // across, ending after February
      {1983, 1986, 200, 200},  // one day
      {1983, 1986, 40, 20},    // across, from before March
      {1984, 1984, 1, 365},    // no year
  };
  for (const auto& c : cases) {
    EXPECT_EQ(window_days(c.year1, c.year2, c.doy1, c.doy2),
              extracted_days(c.year1, c.year2, c.doy1, c.doy2))
        << c.year1 << ".." << c.year2 << " days " << c.doy1 << ".." << c.doy2;
  }
}

TEST(WindowDays, CountsOfTheRules) {
  // 1 to 31 March 1984 are lines 61..91.
  const auto march = window_days(1984, 1985, 60, 90);
  ASSERT_EQ(march.size(), 31u);
  EXPECT_EQ(march.front(), (Day{1984, 61}));
  EXPECT_EQ(march.back(), (Day{1984, 91}));
  // 1981 days 305..365, then 1982 and 1983 days 1..59 and 305..365.
  EXPECT_EQ(window_days(1981, 1984, 305, 59).size(), 61u + 2 * (59 + 61));
}

TEST(IsoDate, FromYearAndDayOfYear) {
  struct Case {
    Day day;
    const char* want;
  };
  const Case cases[] = {
      {{1984, 60}, "1984-02-29"}, {{1981, 60}, "1981-03-01"}, {{2000, 366}, "2000-12-31"},
      {{1900, 60}, "1900-03-01"}, {{1976, 1}, "1976-01-01"},  {{1999, 32}, "1999-02-01"},
  };
  for (const auto& c : cases) EXPECT_EQ(iso_date(c.day), c.want) << c.day.year << " " << c.day.doy;
}

TEST(Quantile, InterpolatesBetweenOrderStatistics) {
  const std::vector<double> v = {1, 2, 3, 4, 5};
  EXPECT_DOUBLE_EQ(quantile(v, 0.0), 1.0);
  EXPECT_DOUBLE_EQ(quantile(v, 0.5), 3.0);
  EXPECT_DOUBLE_EQ(quantile(v, 0.95), 4.8);  // position 3.8
  EXPECT_DOUBLE_EQ(quantile(v, 0.99), 4.96);
  EXPECT_DOUBLE_EQ(quantile(v, 1.0), 5.0);
  EXPECT_DOUBLE_EQ(quantile({7.5}, 0.95), 7.5);
  EXPECT_TRUE(std::isnan(quantile({}, 0.5)));
}

TEST(SeriesStats, OverTheDaysPresent) {
  // Five days present (the NaN is a missing day); wet above 0.1: 2, 4, 10.
  const auto s = series_stats({0.0, 0.1, 2.0, 4.0, kNaN, 10.0}, 0.1);
  EXPECT_EQ(s.days, 5u);
  EXPECT_EQ(s.wet, 3u);
  EXPECT_DOUBLE_EQ(s.mean, 16.1 / 5);
  // Squares of the deviations from 3.22: 10.3684 + 9.7344 + 1.4884 +
  // 0.6084 + 45.9684 = 68.168, over 4 days.
  EXPECT_NEAR(s.sd, std::sqrt(68.168 / 4), 1e-12);
  EXPECT_DOUBLE_EQ(s.p95, 4 + 0.9 * 6);   // position 1.9 among 2, 4, 10
  EXPECT_DOUBLE_EQ(s.p99, 4 + 0.98 * 6);  // position 1.98
  EXPECT_DOUBLE_EQ(s.max, 10.0);
  EXPECT_DOUBLE_EQ(s.wet_frequency, 0.6);

  const auto none = series_stats({kNaN, kNaN}, 0.1);
  EXPECT_EQ(none.days, 0u);
  EXPECT_TRUE(std::isnan(none.mean) && std::isnan(none.sd) && std::isnan(none.max) &&
              std::isnan(none.p95) && std::isnan(none.wet_frequency));
  const auto one = series_stats({3.0}, 0.1);
  EXPECT_TRUE(std::isnan(one.sd));
  EXPECT_DOUBLE_EQ(one.p99, 3.0);
}

// Days 30..33 of 1981: 30 and 31 January, 1 and 2 February.
struct Fixture {
  std::vector<Day> window = window_days(1981, 1982, 30, 33);
  std::vector<DatedValue> station = {{{1981, 30}, 2.0},
                                     {{1981, 31}, 0.0},
                                     {{1981, 32}, 4.0},
                                     {{1981, 33}, 4.0},
                                     {{1981, 34}, 9.0}};  // outside the window
  std::vector<DatedValue> raw = {
      {{1981, 30}, 1.0}, {{1981, 31}, 1.0}, {{1981, 32}, 0.0}, {{1981, 33}, 2.0}};
  std::vector<double> corrected = {2.5, 0.0, 5.0};  // ended a day early
};

TEST(Align, PutsEachSeriesOnTheWindowsDays) {
  const Fixture f;
  const auto a = align(f.window, f.station, f.raw, f.corrected);
  ASSERT_EQ(a.days.size(), 4u);
  EXPECT_EQ(a.present[kStation], 4u);
  EXPECT_EQ(a.present[kRaw], 4u);
  EXPECT_EQ(a.present[kCorrected], 3u);
  EXPECT_EQ(a.outside, (std::array<std::size_t, kSeriesCount>{1, 0, 0}));
  EXPECT_DOUBLE_EQ(a.values[kCorrected][2], 5.0);
  EXPECT_TRUE(std::isnan(a.values[kCorrected][3]));
}

TEST(Verdict, RelativeErrorsPerMonthAndTheirMeans) {
  const Fixture f;
  const auto table = monthly_table(align(f.window, f.station, f.raw, f.corrected), 0.1);
  // January: station 2, 0 (mean 1, wet 1 of 2); raw 1, 1 (mean 1, wet 2 of
  // 2); corrected 2.5, 0 (mean 1.25, wet 1 of 2).
  // February: station 4, 4 (mean 4, wet 2 of 2); raw 0, 2 (mean 1, wet 1
  // of 2); corrected 5 and a missing day (mean 5, wet 1 of 1).
  EXPECT_DOUBLE_EQ(table[0][kStation].mean, 1.0);
  EXPECT_NEAR(table[0][kStation].sd, std::sqrt(2.0), 1e-15);
  EXPECT_EQ(table[1][kCorrected].days, 1u);
  EXPECT_EQ(table[2][kStation].days, 0u);

  const auto v = verdict(table);
  EXPECT_DOUBLE_EQ(v.mean_raw[0], 0.0);
  EXPECT_DOUBLE_EQ(v.mean_corrected[0], 0.25);
  EXPECT_DOUBLE_EQ(v.mean_raw[1], -0.75);
  EXPECT_DOUBLE_EQ(v.mean_corrected[1], 0.25);
  EXPECT_DOUBLE_EQ(v.wet_raw[0], 1.0);
  EXPECT_DOUBLE_EQ(v.wet_corrected[0], 0.0);
  EXPECT_DOUBLE_EQ(v.wet_raw[1], -0.5);
  EXPECT_DOUBLE_EQ(v.wet_corrected[1], 0.0);
  EXPECT_TRUE(std::isnan(v.mean_raw[2]));  // no station days in March
  EXPECT_EQ(v.mean_months, 2);
  EXPECT_EQ(v.wet_months, 2);
  EXPECT_DOUBLE_EQ(v.mean_raw_avg, 0.375);
  EXPECT_DOUBLE_EQ(v.mean_corrected_avg, 0.25);
  EXPECT_DOUBLE_EQ(v.wet_raw_avg, 0.75);
  EXPECT_DOUBLE_EQ(v.wet_corrected_avg, 0.0);
}

TEST(Verdict, AZeroStationMonthHasNoError) {
  EXPECT_TRUE(std::isnan(relative_error(1.0, 0.0)));
  EXPECT_TRUE(std::isnan(relative_error(kNaN, 1.0)));
  EXPECT_DOUBLE_EQ(relative_error(3.0, 2.0), 0.5);
}

TEST(FitLikeRun, LoadsCutsRefillsAndFitsAsTheRunDoes) {
  // January 1981: station 0, 0, 10, 20 (two dry days at 0.1 mm); GCM
  // 0, 0, 0, 6 and a fifth day that the station's count leaves out.
  const std::vector<DatedValue> station = {
      {{1981, 1}, 10.0}, {{1981, 2}, 0.0}, {{1981, 3}, 20.0}, {{1981, 4}, 0.0}};
  const std::vector<DatedValue> raw = {
      {{1981, 1}, 0.0}, {{1981, 2}, 6.0}, {{1981, 3}, 0.0}, {{1981, 4}, 0.0}, {{1981, 5}, 50.0}};
  const auto f = fit_like_run(station, raw, 0.1, 0, 1);
  EXPECT_EQ(f.month_size[0], 4);
  EXPECT_EQ(f.obs_posit[0], 2);
  // Wet 10 and 20: mean 15, variance 50, shape 225/50, scale 50/15.
  EXPECT_DOUBLE_EQ(f.obs.mean[0], 15.0);
  EXPECT_DOUBLE_EQ(f.obs.alpha[0], 4.5);
  EXPECT_NEAR(f.obs.beta[0], 50.0 / 15.0, 1e-14);
  // Sorted GCM 0, 0, 0, 6 cut after row 2: row 3 ties the cut at zero
  // (case 1, countfill 1, not more than the one year: data2alloc 0) and is
  // refilled; the wet values are then the refill and 6.
  EXPECT_EQ(f.posit[0], 2);
  EXPECT_EQ(f.ties.case_[0], 1);
  EXPECT_EQ(f.ties.countfill[0], 1);
  EXPECT_EQ(f.ties.data2alloc[0], 0);
  EXPECT_DOUBLE_EQ(f.no_ppt[0], 0.0);
  const double mean = (kRefill + 6.0) / 2;
  const double variance = 2 * (6.0 - mean) * (6.0 - mean);
  EXPECT_DOUBLE_EQ(f.gcm.mean[0], mean);
  EXPECT_NEAR(f.gcm.alpha[0], mean * mean / variance, 1e-14);
  EXPECT_NEAR(f.gcm.beta[0], variance / mean, 1e-14);
  // February has no day: nothing fitted.
  EXPECT_EQ(f.month_size[1], 0);
  EXPECT_DOUBLE_EQ(f.gcm.alpha[1], 0.0);
}

}  // namespace
}  // namespace raincorr::report
