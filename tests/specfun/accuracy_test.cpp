// Accuracy against reference values computed at 50 digits by
// tools/gen_reference.py (reference_values.inc). Each tolerance is stated
// with the reason for its size; the worst case of each table is printed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "specfun/gamma.h"
#include "specfun/gamma_dist.h"
#include "specfun/normal.h"
#include "tests/specfun/facility_fixture.h"

namespace raincorr {
namespace {

struct RefRow {
  double x;
  double value;
};
struct CdfRow {
  double x;
  double a;
  double p;
};
struct QuantileRow {
  double p;
  double a;
  double x;
  double density;
};

#include "tests/specfun/reference_values.inc"

using testing::FacilityTest;

constexpr double kEps = std::numeric_limits<double>::epsilon();
constexpr double kPi = 3.14159265358979323846;

// Error of `got` in units of eps relative to max(|want|, 1): relative for
// values of magnitude 1 and more, absolute below. Values that only a
// subnormal can hold are measured against the smallest normal number.
double error_in_eps(double got, double want, bool relative_below_one) {
  const double scale = relative_below_one
                           ? std::fmax(std::fabs(want), std::numeric_limits<double>::min())
                           : std::fmax(std::fabs(want), 1.0);
  return std::fabs(got - want) / (kEps * scale);
}

// Runs `f` over `rows`, checks each against its tolerance (in eps) and
// prints the worst case.
template <std::size_t N, typename F, typename Tolerance>
void check_table(const char* what, const RefRow (&rows)[N], F f, bool relative_below_one,
                 Tolerance tolerance) {
  double worst = 0.0;
  double worst_x = 0.0;
  for (const auto& r : rows) {
    const double err = error_in_eps(f(r.x), r.value, relative_below_one);
    EXPECT_LE(err, tolerance(r.x)) << what << " at x = " << r.x << ": want " << r.value;
    if (err > worst) {
      worst = err;
      worst_x = r.x;
    }
  }
  std::printf("  %s: worst %.2f eps at x = %.17g\n", what, worst, worst_x);
}

using Accuracy = FacilityTest;

// Below 1 the recurrence divides by x + i - 1, formed from left to right as
// written: where x + i lies near 1, (x + i) - 1 keeps only the digits that
// x + i held, a relative error of up to eps / (2 d) with d the distance of
// x from the nearest integer. Where x + i rounds to 1 the divisor is 0 and
// the result infinite, which the tables then expect.
double recurrence_loss(double x) {
  if (x >= 1.0) return 0.0;
  const double d = std::fabs(x - std::nearbyint(x));
  return d * 2.0 < kEps ? std::numeric_limits<double>::infinity() : 1.0 / d;
}

TEST_F(Accuracy, LnGamma) {
  // |x| <= 10: ln |DGAMMA(x)|, so a few eps of DGAMMA become a few eps
  // absolute; relative where |ln Gamma| >= 1.
  check_table("DLNGAM |x| <= 10", kLnGammaRows, DLNGAM, false,
              [](double x) { return 4.0 + recurrence_loss(x); });
  // Stirling's formula: a few eps relative, up to 2.5e305 and down to
  // negative non-integers.
  check_table("DLNGAM |x| > 10", kLnGammaStirlingRows, DLNGAM, false, [](double) { return 4.0; });
  EXPECT_EQ(printed(), "");
}

TEST_F(Accuracy, Gamma) {
  // |x| <= 10: the series and at most ten multiplications or divisions.
  check_table("DGAMMA |x| <= 10", kGammaRows, DGAMMA, true,
              [](double x) { return 6.0 + recurrence_loss(x); });
  // |x| > 10: Gamma = exp(s) with s = (y - 0.5) ln y - y + ..., whose
  // rounding errors are a few ulps of y ln y, up to 1.7e-13 near 171; the
  // relative error of exp(s) is that absolute error of s. For x < 0 the
  // reflection adds the rounding of pi*y inside sin, amplified by
  // pi*y*|cot(pi*y)|. No algorithm that exponentiates s does better.
  check_table("DGAMMA |x| > 10", kGammaStirlingRows, DGAMMA, true, [](double x) {
    const double y = std::fabs(x);
    double eps = 8.0 + 2.0 * y * std::log(y);
    if (x < 0.0) eps += 2.0 * kPi * y / std::fabs(std::tan(kPi * y));
    return eps;
  });
  // Near the lower limit Gamma is subnormal; there the error is measured
  // against the smallest normal number and stays within a few of its eps.
  EXPECT_EQ(printed(), "");
}

TEST_F(Accuracy, NormalQuantile) {
  check_table("DNORIN", kNormalQuantileRows, DNORIN, true, [](double) { return 2.0; });
  EXPECT_EQ(printed(), "");
}

TEST_F(Accuracy, ScaledErfc) {
  // For x < 0 the result holds exp(x^2), and x^2 is rounded: the relative
  // error of exp(x^2) is up to x^2 eps / 2.
  check_table("DERFCE", kScaledErfcRows, DERFCE, true,
              [](double x) { return x < 0.0 ? 4.0 + x * x : 4.0; });
  EXPECT_EQ(printed(), "");  // 1e307 and 2.5e307 stay below the underflow limit
}

// The continued fraction stops once successive estimates of g differ by at
// most 1e-8 (and 1e-7 of g) and returns the earlier one; the prefactor
// that multiplies g grows like sqrt(a / 2 pi) near x = a. For shapes up to
// 2 pi, which covers rainfall, the bound is 1e-8 itself.
double cdf_tolerance(double a) { return 1e-8 * std::fmax(1.0, std::sqrt(a / (2.0 * kPi))); }

TEST_F(Accuracy, GammaCdfOverShapesAndDecades) {
  double worst = 0.0;
  const CdfRow* worst_row = nullptr;
  for (const auto& r : kGammaCdfRows) {
    const double got = DGAMDF(r.x, r.a);
    const double err = std::fabs(got - r.p);
    EXPECT_LE(err, cdf_tolerance(r.a)) << "x = " << r.x << ", a = " << r.a << ": want " << r.p;
    EXPECT_GE(got, 0.0);
    EXPECT_LE(got, 1.0);
    if (err / cdf_tolerance(r.a) > worst) {
      worst = err / cdf_tolerance(r.a);
      worst_row = &r;
    }
  }
  std::printf("  DGAMDF: worst %.3g of its tolerance at x = %.17g, a = %.17g\n", worst,
              worst_row->x, worst_row->a);
  EXPECT_EQ(printed(), "");
}

TEST_F(Accuracy, GammaQuantileAgainstTheTrueInverse) {
  // DGAMIN solves DGAMDF(x, a) = p, so it misses the true quantile by the
  // error of DGAMDF divided by the density there.
  for (const auto& r : kGammaQuantileRows) {
    const double got = DGAMIN(r.p, r.a);
    EXPECT_LE(std::fabs(got - r.x) * r.density, 1.01 * cdf_tolerance(r.a))
        << "p = " << r.p << ", a = " << r.a << ": want " << r.x << ", got " << got;
  }
  EXPECT_EQ(printed(), "");
}

TEST_F(Accuracy, GammaQuantileInvertsTheDistributionFunction) {
  // Ordinary points: the body of the distribution (0.001 <= p <= 0.95),
  // where x * density is large enough for x to be fixed to 1e-14 by p.
  int checked = 0;
  for (const auto& r : kGammaQuantileRows) {
    if (r.p < 0.001 || r.p > 0.95) continue;
    const double x = r.x;
    const double back = DGAMIN(DGAMDF(x, r.a), r.a);
    EXPECT_NEAR(back, x, 1e-14 * x) << "x = " << x << ", a = " << r.a;
    ++checked;
  }
  EXPECT_GT(checked, 40);
  EXPECT_NEAR(DGAMIN(DGAMDF(3.7, 2.5), 2.5), 3.7, 1e-14 * 3.7);
  EXPECT_EQ(printed(), "");
}

}  // namespace
}  // namespace raincorr
