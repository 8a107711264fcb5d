#include "specfun/gamma_dist.h"

#include <cmath>
#include <optional>

#include "specfun/errors.h"
#include "specfun/gamma.h"
#include "specfun/machine.h"
#include "specfun/normal.h"

namespace raincorr {
namespace {

// Both the series and the continued fraction stop once their increments
// fall to this size: the distribution function is wanted to about 8 digits.
constexpr double kTolerance = 1e-8;
constexpr double kRescale = 1e30;
// Neither loop has a bound of its own: each ends only when its increments
// fall below the tolerance. For the shapes of real rainfall that takes a few
// hundred steps; a shape near 1e13 or above (a month whose wet values are
// all equal gets one from rounding noise in its variance) can need billions
// or never get there. Past this many steps the call is reported as not
// converging, which ends the run instead of hanging it.
constexpr long kMaxIterations = 100000000;

// Reports, at DGAMDF's level, that a loop ran out of steps.
void report_no_convergence(double x, double a) {
  E1PARI(1, static_cast<int>(kMaxIterations));
  E1PARD(1, x);
  E1PARD(2, a);
  E1MES(5, 4, "The algorithm did not converge in %(I1) iterations for X = %(D1) and A = %(D2).");
}

// True when x is at or above the cube root of the largest double, where
// the prefactor x^a could overflow. Tested on logarithms so that the test
// itself cannot overflow.
bool beyond_overflow_limit(double x) { return std::log(x) - std::log(DMACH(2)) / 3.0 >= 0.0; }

// DGAMDF, with ln Gamma(a) taken from `lngamma` when it holds the value of
// an earlier call with the same shape, and left there after it is computed.
// DGAMIN evaluates the distribution a dozen times or more for one shape; its
// shapes never make DLNGAM report, so the reused value is the very result
// (and the console the very output) that a fresh DLNGAM call would give.
// With nullptr it is DGAMDF itself.
double gamma_cdf(double x, double a, std::optional<double>* lngamma) {
  E1PSH("DGAMDF");
  double result = DMACH(6);
  if (a <= 0.0) {
    E1PARD(1, a);
    E1MES(5, 1, "The shape parameter of the gamma distribution must be positive.");
  } else if (x < 0.0) {
    E1PARD(1, x);
    E1MES(1, 2, "Since X = %(D1) is less than zero, the distribution function is zero at X.");
    result = 0.0;
  } else if (x == 0.0) {
    result = 0.0;
  } else if (beyond_overflow_limit(x)) {
    if (0.5 * x > a) {
      result = 1.0;
    } else {
      E1PARD(1, x);
      E1PARD(2, a);
      E1MES(5, 3, "Since X = %(D1) and A = %(D2) are so large, the algorithm would overflow.");
    }
  } else {
    // The prefactor x^a e^-x / Gamma(a), set to 0 where it would underflow.
    double ln_gamma_a;
    if (lngamma != nullptr && lngamma->has_value()) {
      ln_gamma_a = **lngamma;
    } else {
      ln_gamma_a = DLNGAM(a);
      if (lngamma != nullptr) *lngamma = ln_gamma_a;
    }
    const double exponent = a * std::log(x) - (ln_gamma_a + x);
    const double prefactor = exponent > std::log(DMACH(1)) + DMACH(4) ? std::exp(exponent) : 0.0;
    if (x > 1.0 && x >= a) {
      // Continued fraction for the upper tail, by its convergents
      // P5/P6; the terms are rescaled before they can overflow.
      double y = 1.0 - a;
      double z = x + y + 1.0;
      double n = 0.0;
      double p1 = 1.0;
      double p2 = x;
      double p3 = x + 1.0;
      double p4 = z * x;
      double g = p3 / p4;
      for (long step = 0;; ++step) {
        if (step == kMaxIterations) {
          report_no_convergence(x, a);
          break;
        }
        n += 1.0;
        y += 1.0;
        z += 2.0;
        const double q = y * n;
        const double p5 = z * p3 - q * p1;
        const double p6 = z * p4 - q * p2;
        if (p6 != 0.0) {
          const double r = p5 / p6;
          const double d = std::fabs(g - r);
          if (d <= kTolerance && d <= r * kTolerance * 10.0) {
            result = 1.0 - prefactor * g;
            break;
          }
          g = r;
        }
        p1 = p3;
        p2 = p4;
        p3 = p5;
        p4 = p6;
        if (std::fabs(p5) >= kRescale || std::fabs(p6) >= kRescale) {
          p1 /= kRescale;
          p2 /= kRescale;
          p3 /= kRescale;
          p4 /= kRescale;
        }
      }
    } else {
      // Series for the lower part. Written as "go on while the term is
      // above the tolerance" so that a NaN argument ends the loop too.
      double b = a;
      double term = 1.0;
      double sum = 1.0;
      long step = 0;
      do {
        b += 1.0;
        term = term * x / b;
        sum += term;
      } while (term > kTolerance && ++step < kMaxIterations);
      if (term > kTolerance)
        report_no_convergence(x, a);
      else
        result = prefactor * sum / a;
    }
  }
  E1POP("DGAMDF");
  return result;
}

}  // namespace

double DGAMDF(double x, double a) { return gamma_cdf(x, a, nullptr); }

double DGAMIN(double p, double a) {
  E1PSH("DGAMIN");
  double result = DMACH(6);
  const double largest_shape = DMACH(2) / std::log(DMACH(2));
  if (p <= 0.0 || p >= 1.0) {
    E1PARD(1, p);
    E1MES(5, 2, "The input probability, p = %(D1), must be in the open interval (0.0, 1.0).");
  } else if (a <= 0.0) {
    E1PARD(1, a);
    E1MES(5, 3, "The shape parameter of the gamma distribution, a = %(D1), must be positive.");
  } else if (a > largest_shape) {
    E1PARD(1, a);
    E1PARD(2, largest_shape);
    E1MES(5, 4, "Since A = %(D1) is greater than %(D2), the function will overflow.");
  } else {
    // Wilson-Hilferty: (X/a)^(1/3) is nearly normal with mean 1 - 1/(9a)
    // and variance 1/(9a).
    const double z = DNORIN(p);
    const double nine_a = 9.0 * a;
    const double w = 1.0 - 1.0 / nine_a + z / std::sqrt(nine_a);
    if (std::fabs(w) > std::cbrt(DMACH(2))) {
      E1PARD(1, a);
      E1MES(5, 5, "Since A = %(D1) is so small, the initial guess will overflow.");
    } else {
      const double tolerance = 10.0 * DMACH(4);
      double x0 = z * z >= nine_a ? a * (w * w * w) : 0.0;
      // The distribution function minus p; below 0 it is -p without a call.
      std::optional<double> lngamma;  // ln Gamma(a), computed on the first call
      auto F = [p, a, &lngamma](double x) { return x > 0.0 ? gamma_cdf(x, a, &lngamma) - p : -p; };

      double f0 = F(x0);
      if (f0 == 0.0) {
        result = x0;
      } else {
        double x1;
        double h;
        if (std::fabs(x0) < 1.0) {
          x1 = x0 + 0.05;
          h = 0.05;
        } else {
          x1 = 1.05 * x0;
          h = x1 - x0;
        }
        const double f1 = F(x1);
        double slope = (f1 - f0) / h;
        if (slope < 0.01) slope = 0.01;
        double d = -f0 / slope;

        // Doubling steps away from the start until F changes sign. f0 stays
        // the value at the first start: only its sign matters here.
        bool bracketed = false;
        double x2 = x0;
        double f2 = f0;
        for (int k = 1;; ++k) {
          d = 2.0 * d;
          x2 = x0 + d;
          if (k > 100 || (x2 > 0.0 && beyond_overflow_limit(x2) && x2 / 2.0 <= a)) break;
          f2 = F(x2);
          if (f0 * f2 < 0.0) {
            bracketed = true;
            break;
          }
          x0 = x2;
        }

        if (!bracketed) {
          E1PARD(1, p);
          E1PARD(2, a);
          E1MES(5, 6,
                "Unable to bracket the value of the inverse gamma at p = %(D1), with parameter "
                "a = %(D2).");
        } else {
          // Regula falsi with the Illinois modification: a point kept twice
          // has its value halved, and when that is not enough the next step
          // is a bisection.
          bool bisect = false;
          bool converged = false;
          for (int pass = 1; pass <= 100 && !converged; ++pass) {
            const double mid = (x0 + x2) / 2.0;
            const double dx = x2 - x0;
            const double df = f2 - f0;
            if ((mid != 0.0 && std::fabs(dx) < std::fabs(mid * tolerance)) ||
                (mid == 0.0 && std::fabs(dx) < tolerance)) {
              converged = true;
              break;
            }
            const double xn = bisect ? mid : x2 - f2 * dx / df;
            bisect = false;
            const double fn = F(xn);
            if (fn * f2 <= 0.0) {
              x0 = x2;
              f0 = f2;
              x2 = xn;
              f2 = fn;
            } else {
              x2 = xn;
              f2 = fn;
              f0 = f0 / 2.0;
              if (std::fabs(fn) > std::fabs(f0)) {
                f0 = 2.0 * f0;
                bisect = true;
              }
            }
          }
          result = (x0 + x2) / 2.0;
          if (!converged) {
            E1MES(4, 1,
                  "Over 100 iterations have occurred without convergence.  Convergence is "
                  "assumed.");
          }
        }
      }
    }
  }
  E1POP("DGAMIN");
  return result;
}

}  // namespace raincorr
