#include "specfun/gamma.h"

#include <algorithm>
#include <cmath>

#include "specfun/chebyshev.h"
#include "specfun/errors.h"
#include "specfun/machine.h"
#include "specfun/tables.h"

namespace raincorr {
namespace {

constexpr double kLnSqrt2Pi = 0.91893853320467278;
constexpr double kLnSqrtPiOver2 = 0.22579135264472744;
constexpr double kPi = 3.1415926535897931;

constexpr const char* kNearNegativeInteger =
    "The result is accurate to less than one half precision because X = %(D1) is too close "
    "to a negative integer.";
constexpr const char* kNegativeInteger =
    "The argument for the function can not be a negative integer. Argument X = %(D1).";

// The relative distance of a negative x from its nearest integer, which
// x - 0.5 truncated towards zero is.
double distance_to_nearest_integer(double x) { return (x - std::trunc(x - 0.5)) / x; }

}  // namespace

double DGAMMA(double x) {
  static bool first = true;
  static int terms;
  static double xmin;
  static double xmax;
  static double smallest_fraction;
  static double half_precision;

  E1PSH("DGAMMA");
  if (first) {
    terms = INITDS(kGammaCoefficients, 42, 0.1f * static_cast<float>(DMACH(3)));
    D9GAML(xmin, xmax);
    smallest_fraction = std::exp(std::max(std::log(DMACH(1)), -std::log(DMACH(2))) + 0.01);
    half_precision = std::sqrt(DMACH(4));
    first = false;
  }

  double result = DMACH(6);
  const double y = std::fabs(x);
  if (y <= 10.0) {
    // Gamma(x) from Gamma(1 + f), 0 <= f < 1, by the recurrence.
    int n = static_cast<int>(x);
    if (x < 0.0) --n;
    const double f = x - n;
    --n;
    double g = 0.9375 + DCSEVL(2.0 * f - 1.0, kGammaCoefficients, terms);
    if (n >= 0) {
      for (int i = 1; i <= n; ++i) g = g * (f + i);
      result = g;
    } else {
      const int m = -n;
      if (x == 0.0) {
        E1MES(5, 5, "The argument for the function can not be zero.");
      } else if (f < smallest_fraction) {
        E1PARD(1, x);
        E1MES(5, 4, "The function overflows because X = %(D1) is too close to zero.");
      } else if (x < 0.0 && x + m - 2 == 0.0) {
        E1PARD(1, x);
        E1MES(5, 6, kNegativeInteger);
      } else {
        if (x < -0.5 && std::fabs(distance_to_nearest_integer(x)) < half_precision) {
          E1PARD(1, x);
          E1MES(3, 2, kNearNegativeInteger);
        }
        // x + i - 1 from left to right, as the recurrence is written: it
        // rounds away digits of a small x, and the results depend on that.
        for (int i = 1; i <= m; ++i) g = g / (x + i - 1);
        result = g;
      }
    }
  } else if (y > 10.0) {
    if (x > xmax) {
      E1PARD(1, x);
      E1PARD(2, xmax);
      E1MES(5, 4, "The function overflows because X = %(D1) is greater than %(D2).");
    } else if (x < xmin) {
      E1PARD(1, x);
      E1PARD(2, xmin);
      E1MES(2, 1,
            "The function underflows because X = %(D1) is less than %(D2). The result is set to "
            "zero.");
      result = 0.0;
    } else {
      const double g = std::exp((y - 0.5) * std::log(y) - y + kLnSqrt2Pi + D9LGMC(y));
      if (x > 0.0) {
        result = g;
      } else {
        if (std::fabs(distance_to_nearest_integer(x)) < half_precision) {
          E1PARD(1, x);
          E1MES(3, 2, kNearNegativeInteger);
        }
        const double s = std::sin(kPi * y);
        if (s == 0.0) {
          E1PARD(1, x);
          E1MES(5, 7, kNegativeInteger);
        } else {
          result = -kPi / (y * s * g);
        }
      }
    }
  }
  E1POP("DGAMMA");
  return result;
}

double DLNGAM(double x) {
  static bool first = true;
  static double largest;
  static double half_precision;

  E1PSH("DLNGAM");
  if (first) {
    largest = DMACH(2) / std::log(DMACH(2));
    half_precision = std::sqrt(DMACH(4));
    first = false;
  }

  double result = DMACH(6);
  const double y = std::fabs(x);
  if (y <= 10.0) {
    result = std::log(std::fabs(DGAMMA(x)));
  } else if (y > largest) {
    E1PARD(1, x);
    E1PARD(2, largest);
    E1MES(5, 4, "The function overflows because ABS(%(D1)) is greater than %(D2).");
  } else if (x > 0.0) {
    result = kLnSqrt2Pi + (x - 0.5) * std::log(x) - x + D9LGMC(y);
  } else {
    const double s = std::fabs(std::sin(kPi * y));
    if (s == 0.0) {
      E1PARD(1, x);
      E1MES(5, 5, kNegativeInteger);
    } else {
      result = kLnSqrtPiOver2 + (x - 0.5) * std::log(y) - x - std::log(s) - D9LGMC(y);
      if (std::fabs((x - std::trunc(x - 0.5)) * result / x) < half_precision) {
        E1PARD(1, x);
        E1MES(3, 2, kNearNegativeInteger);
      }
    }
  }
  E1POP("DLNGAM");
  return result;
}

double D9LGMC(double x) {
  static bool first = true;
  static int terms;
  static double series_limit;
  static double underflow_limit;

  E1PSH("D9LGMC");
  if (first) {
    terms = INITDS(kLogGammaCorrectionCoefficients, 15, static_cast<float>(DMACH(3)));
    series_limit = 1.0 / std::sqrt(DMACH(3));
    underflow_limit = std::exp(std::min(std::log(DMACH(2) / 12.0), -std::log(12.0 * DMACH(1))));
    first = false;
  }

  double result = DMACH(6);
  if (x < 10.0) {
    E1PARD(1, x);
    E1MES(5, 5, "The argument X = %(D1) must be greater than or equal to 10.0.");
  } else if (x >= underflow_limit) {
    E1PARD(1, x);
    E1PARD(2, underflow_limit);
    E1MES(2, 1,
          "The function underflows because X = %(D1) is greater than %(D2). The result is set to "
          "zero.");
    result = 0.0;
  } else if (x >= series_limit) {
    // Beyond 2^26.5 the first term of the series is all that double
    // precision can hold.
    result = 1.0 / (12.0 * x);
  } else {
    const double t = 10.0 / x;
    result = DCSEVL(2.0 * (t * t) - 1.0, kLogGammaCorrectionCoefficients, terms) / x;
  }
  E1POP("D9LGMC");
  return result;
}

void D9GAML(double& xmin, double& xmax) {
  E1PSH("D9GAML");
  xmin = DMACH(6);
  xmax = DMACH(6);

  // Newton iterations on Stirling's formula for the arguments at which
  // Gamma reaches the smallest and the largest double; 0.2258 and 0.9189
  // are ln sqrt(pi/2) and ln sqrt(2 pi) to the accuracy the limits need.
  const double low = std::log(DMACH(1));
  double m = -low;
  bool settled = false;
  for (int i = 0; i < 10 && !settled; ++i) {
    const double previous = m;
    const double ln_m = std::log(m);
    m = m - m * ((m + 0.5) * ln_m - m - 0.2258 + low) / (m * ln_m + 0.5);
    settled = std::fabs(m - previous) < 0.005;
  }
  if (!settled) {
    E1MES(5, 5, "Unable to determine the value of XMIN.");
  } else {
    xmin = -m + 0.01;
    const double high = std::log(DMACH(2));
    m = high;
    settled = false;
    for (int i = 0; i < 10 && !settled; ++i) {
      const double previous = m;
      const double ln_m = std::log(m);
      m = m - m * ((m - 0.5) * ln_m - m + 0.9189 - high) / (m * ln_m - 0.5);
      settled = std::fabs(m - previous) < 0.005;
    }
    if (!settled) {
      E1MES(5, 6, "Unable to determine the value of XMAX.");
    } else {
      xmax = m - 0.01;
      xmin = std::max(xmin, 1.0 - xmax);
    }
  }
  E1POP("D9GAML");
}

}  // namespace raincorr
