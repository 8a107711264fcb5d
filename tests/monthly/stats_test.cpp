#include "monthly/stats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

#include "tests/support/support.h"

namespace raincorr {
namespace {

using testing::lines;

void fill(MonthData& data, int m, const std::vector<double>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) data.at(i + 1, m) = values[i];
}

// 28 dry days and the wet values 10 and 20.
std::vector<double> thirty_days() {
  std::vector<double> v(28, 0.0);
  v.push_back(10.0);
  v.push_back(20.0);
  return v;
}

MonthStats preset(double v) {
  MonthStats s;
  s.alpha.fill(v);
  s.beta.fill(v);
  s.mean.fill(v);
  return s;
}

TEST(Stats2, GuardsEachStepAndFitsTheGamma) {
  MonthData data(30);
  fill(data, 1, thirty_days());      // mean 15, variance 50
  fill(data, 2, {0.0, 0.0, 7.0});    // one wet value
  fill(data, 4, {0.0, 0.0});         // no wet value
  fill(data, 5, {1.0, 2.0, 4.0});    // no cut
  fill(data, 6, {-5.0, -1.0, 1.0});  // wet values of mean zero
  const MonthInts month_size{30, 3, 0, 2, 3, 3, 0, 0, 0, 0, 0, 0};
  const MonthInts posit{28, 2, 0, 2, 0, 1, 0, 0, 0, 0, 0, 0};
  MonthStats stats = preset(-7.0);
  std::ostringstream console;
  STATS2(data, month_size, posit, stats, 0, console);

  EXPECT_EQ(
      console.str(),
      lines({"", "Calculating statistics...", "Measures of central tendency...",
             "mean( 1)=    15.000", "mean( 2)=     7.000", "mean( 6)=     0.000", "",
             // month 4: the empty sum over w - 1 = -1 is a negative zero
             "Measures of dispersion...", "variance( 1)=    50.000", "variance( 4)=    -0.000",
             "variance( 6)=     2.000", "", "Gamma parameters...", "alpha( 1)=     4.500",
             "beta ( 1)=     3.333", "alpha( 6)=     0.000", "beta ( 6)=       Inf"}));
  EXPECT_EQ(stats.mean[0], 15.0);
  EXPECT_EQ(stats.alpha[0], 4.5);
  EXPECT_EQ(stats.beta[0], 50.0 / 15.0);
  EXPECT_EQ(stats.mean[1], 7.0);
  EXPECT_EQ(stats.alpha[1], -7.0);  // no variance: no gamma parameters
  EXPECT_EQ(stats.mean[3], -7.0);   // no wet value: no mean
  EXPECT_EQ(stats.alpha[3], -7.0);
  EXPECT_EQ(stats.alpha[5], 0.0);
  EXPECT_TRUE(std::isinf(stats.beta[5]) && stats.beta[5] > 0);
  for (int m : {3, 5, 7, 8, 9, 10, 11, 12}) {
    const auto i = static_cast<std::size_t>(m - 1);
    EXPECT_EQ(stats.mean[i], -7.0) << m;
    EXPECT_EQ(stats.alpha[i], -7.0) << m;
    EXPECT_EQ(stats.beta[i], -7.0) << m;
  }
}

// Under the multiplicative adjustment the divisors are the month's days.
TEST(Stats2, MultiplicativeMethodDividesByTheWholeMonth) {
  MonthData data(30);
  fill(data, 1, thirty_days());
  const MonthInts month_size{30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const MonthInts posit{28, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  MonthStats stats;
  std::ostringstream console;
  STATS2(data, month_size, posit, stats, 2, console);
  // mean 30/30 = 1, variance ((10-1)^2 + (20-1)^2)/29 = 442/29 = 15.2414,
  // alpha 1/(442/29) = 0.0656, beta 15.2414.
  EXPECT_EQ(
      console.str(),
      lines({"", "Calculating statistics...", "Measures of central tendency...",
             "mean( 1)=     1.000", "", "Measures of dispersion...", "variance( 1)=    15.241", "",
             "Gamma parameters...", "alpha( 1)=     0.066", "beta ( 1)=    15.241"}));
  EXPECT_NEAR(stats.mean[0], 1.0, 1e-15);
  EXPECT_NEAR(stats.beta[0], 442.0 / 29.0, 1e-13);
  EXPECT_NEAR(stats.alpha[0], 29.0 / 442.0, 1e-15);
}

// A one-day month without a wet value: under the multiplicative adjustment
// its empty variance sum is divided by n - 1 = 0, and the not-a-number
// shape and scale that follow are stored as 0 over what the arrays held.
TEST(Stats2, MultiplicativeOneDayMonthWithoutWetValue) {
  MonthData data(2);
  fill(data, 3, {0.0});
  const MonthInts month_size{0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const MonthInts posit{0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  MonthStats stats = preset(-7.0);
  std::ostringstream console;
  STATS2(data, month_size, posit, stats, 2, console);
  EXPECT_EQ(console.str(),
            lines({"", "Calculating statistics...", "Measures of central tendency...", "",
                   "Measures of dispersion...", "variance( 3)=       NaN", "",
                   "Gamma parameters...", "alpha( 3)=     0.000", "beta ( 3)=     0.000"}));
  EXPECT_EQ(stats.mean[2], -7.0);
  EXPECT_EQ(stats.alpha[2], 0.0);
  EXPECT_EQ(stats.beta[2], 0.0);
}

// The mean adds the wet values each divided by their count. Three wet
// values 0.1 then average to exactly 0.1 (0.1 + 0.1 + 0.1 = 0.30000000000000004
// divided by 3 would not): no spread, no gamma line. Seven values 0.3
// average to 0.30000000000000004, a spread of 3.6e-33 and a shape of
// 2.5e31 that overflows its field.
TEST(Stats2, MeanDividesEachTermBeforeAdding) {
  MonthData data(8);
  fill(data, 1, {0.0, 0.1, 0.1, 0.1});
  fill(data, 2, {0.0, 0.3, 0.3, 0.3, 0.3, 0.3, 0.3, 0.3});
  const MonthInts month_size{4, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const MonthInts posit{1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  MonthStats stats;
  std::ostringstream console;
  STATS2(data, month_size, posit, stats, 0, console);
  EXPECT_EQ(console.str(),
            lines({"", "Calculating statistics...", "Measures of central tendency...",
                   "mean( 1)=     0.100", "mean( 2)=     0.300", "", "Measures of dispersion...",
                   "variance( 1)=     0.000", "variance( 2)=     0.000", "", "Gamma parameters...",
                   "alpha( 2)= *********", "beta ( 2)=     0.000"}));
  EXPECT_EQ(stats.mean[0], 0.1);
  EXPECT_EQ(stats.alpha[0], 0.0);
  EXPECT_EQ(stats.mean[1], 0.30000000000000004);
  EXPECT_EQ(stats.alpha[1], 2.503428842507864e+31);
  EXPECT_EQ(stats.beta[1], 1.1983564098409466e-32);
}

// The driver reuses its arrays: what the second call skips keeps the first
// call's values, and the variance table starts afresh.
TEST(Stats2, SecondCallKeepsSkippedMonths) {
  MonthData data(30);
  fill(data, 1, thirty_days());
  fill(data, 2, {0.0, 3.0, 5.0});
  const MonthInts month_size{30, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  MonthStats stats;
  std::ostringstream first;
  STATS2(data, month_size, MonthInts{28, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, stats, 0, first);

  std::ostringstream second;
  STATS2(data, month_size, MonthInts{0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, stats, 0, second);
  // Month 2: wet 3 and 5, mean 4, variance 2, alpha 8, beta 0.5.
  EXPECT_EQ(second.str(), lines({"", "Calculating statistics...", "Measures of central tendency...",
                                 "mean( 2)=     4.000", "", "Measures of dispersion...",
                                 "variance( 2)=     2.000", "", "Gamma parameters...",
                                 "alpha( 2)=     8.000", "beta ( 2)=     0.500"}));
  EXPECT_EQ(stats.mean[0], 15.0);
  EXPECT_EQ(stats.alpha[0], 4.5);
  EXPECT_EQ(stats.beta[0], 50.0 / 15.0);
  EXPECT_EQ(stats.alpha[1], 8.0);
  EXPECT_EQ(stats.beta[1], 0.5);
}

}  // namespace
}  // namespace raincorr
