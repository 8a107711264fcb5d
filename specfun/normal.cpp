#include "specfun/normal.h"

#include <algorithm>
#include <cmath>

#include "specfun/chebyshev.h"
#include "specfun/errors.h"
#include "specfun/machine.h"
#include "specfun/tables.h"

namespace raincorr {
namespace {

constexpr double kMinusSqrt2 = -1.4142135623730951;
constexpr double kSqrtPi = 1.772453850905516;
constexpr double kSqrtPiOver2 = 0.886226925452758;

// The accuracy the Chebyshev tables are cut to: a tenth of the smallest
// relative spacing, held in single precision as INITDS takes it.
float series_eta() { return 0.1f * static_cast<float>(DMACH(3)); }

}  // namespace

double DNORIN(double p) {
  E1PSH("DNORIN");
  double result = DMACH(6);
  if (p <= 0.0 || p >= 1.0) {
    E1PARD(1, p);
    E1MES(5, 1,
          "The argument to the function must be greater than 0.0 and less than 1.0.  P = %(D1).");
  } else {
    result = kMinusSqrt2 * DERFCI(2.0 * p);
    // Half precision near p = 1 is all a quantile can have there; the
    // caller is not told.
    if (N1RTY(0) == 3 && N1RCD(0) == 2) E1MES(0, 0, "");
  }
  E1POP("DNORIN");
  return result;
}

double DERFCI(double x) {
  static bool first = true;
  static int terms;
  static double warning_limit;
  static double tolerance;

  E1PSH("DERFCI");
  if (first) {
    terms = INITDS(kInverseErfCoefficients, 44, series_eta());
    // The point near 2 beyond which the result keeps less than half
    // precision, from an asymptotic estimate of the tail.
    const double s = std::sqrt(DMACH(4) / 12.566);
    const double t = -s / std::log(1.77 * s);
    const double l = std::log(1.77 * t);
    warning_limit = 2.0 - (t - (t * l + s) / (l + 1.0));
    tolerance = 10.0 * DMACH(4);
    first = false;
  }

  double result = DMACH(6);
  if (x <= 0.0) {
    E1PARD(1, x);
    E1MES(5, 5, "X = %(D1) must be greater than zero.");
  } else if (x >= 2.0) {
    E1PARD(1, x);
    E1MES(5, 6, "X = %(D1) must be less than 2.0.");
  } else {
    if (x > warning_limit) {
      E1PARD(1, x);
      E1MES(3, 2,
            "The result is accurate to less than one half precision because X = %(D1) is too "
            "close to 2.0.");
    }
    const double y = 1.0 - x;
    if (std::fabs(y) < 0.75) {
      result = y * (1.0 + DCSEVL(32.0 * (y * y) / 9.0 - 1.0, kInverseErfCoefficients, terms));
    } else {
      // Newton's method on erfc(r) = z in the tail, where the scaled
      // function keeps the step well conditioned.
      const double z = y >= 0.0 ? x : y + 1.0;
      const double w = -std::log(kSqrtPi * z);
      double r = std::sqrt(w - 0.5 * std::log(w) + (0.25 * std::log(w) - 0.5) / w);
      bool converged = false;
      for (int i = 0; i < 100 && !converged; ++i) {
        const double d = kSqrtPiOver2 * (DERFCE(r) - std::exp(r * r + std::log(z)));
        r = r + d;
        converged = std::fabs(d) < tolerance * r;
      }
      if (!converged) {
        E1MES(5, 7,
              "Sufficiently accurate result was not achieved in a reasonable number of "
              "iterations. An algorithmic problem exists.");
      } else {
        result = y >= 0.0 ? r : -r;
      }
    }
  }
  E1POP("DERFCI");
  return result;
}

double DERFCE(double x) {
  static bool first = true;
  static int erf_terms;
  static int middle_terms;
  static int tail_terms;
  static double overflow_limit;
  static double asymptote_limit;
  static double underflow_limit;
  static double small_limit;

  E1PSH("dERFCE");
  if (first) {
    erf_terms = INITDS(kErfCoefficients, 21, series_eta());
    middle_terms = INITDS(kErfcMiddleCoefficients, 49, series_eta());
    tail_terms = INITDS(kErfcTailCoefficients, 59, series_eta());
    overflow_limit = 0.01 - std::sqrt(std::log(DMACH(2) / 2.0));
    asymptote_limit = -std::sqrt(-std::log(kSqrtPi * DMACH(3)));
    underflow_limit = std::exp(std::min(-std::log(kSqrtPi * DMACH(1)), std::log(DMACH(2))) - 0.01);
    small_limit = std::sqrt(2.0 * DMACH(3));
    first = false;
  }

  double result = DMACH(6);
  if (x < overflow_limit) {
    E1PARD(1, x);
    E1PARD(2, overflow_limit);
    E1MES(5, 4, "The function overflows because X = %(d1) is less than %(d2).");
  } else if (x <= asymptote_limit) {
    // erfc(x) is 2 to double precision here.
    result = 2.0 * std::exp(x * x);
  } else if (x > underflow_limit) {
    E1PARD(1, x);
    E1PARD(2, underflow_limit);
    E1MES(2, 1,
          "The function underflows because X = %(d1) is greater than %(d2). The result is set "
          "to zero.");
    result = 0.0;
  } else {
    const double y = std::fabs(x);
    if (y <= 1.0) {
      if (y < small_limit) {
        result = 1.0 - 2.0 * x / kSqrtPi;
      } else {
        result = std::exp(x * x) *
                 (1.0 - x * (1.0 + DCSEVL(2.0 * (x * x) - 1.0, kErfCoefficients, erf_terms)));
      }
    } else {
      if (y <= 2.0) {
        result =
            (0.5 + DCSEVL((8.0 / (y * y) - 5.0) / 3.0, kErfcMiddleCoefficients, middle_terms)) / y;
      } else {
        // Far out the series variable would lose its meaning to underflow;
        // its limit -1 is exact there.
        const double t = y > std::sqrt(underflow_limit) ? -1.0 : 8.0 / (y * y) - 1.0;
        result = (0.5 + DCSEVL(t, kErfcTailCoefficients, tail_terms)) / y;
      }
      if (x < 0.0) result = 2.0 * std::exp(x * x) - result;
    }
  }
  E1POP("dERFCE");
  return result;
}

}  // namespace raincorr
