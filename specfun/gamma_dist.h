// The gamma distribution function and its inverse, unit scale.
//
// Both routines report through the error facility (specfun/errors.h) and
// print nothing on success. A TERMINAL error prints its message on the
// facility's console (std::cout) at once and ends the run: the routine
// throws RunStop{"", false, 1} instead of returning. The caller therefore
// receives either a usable value or nothing at all.
#ifndef RAINCORR_SPECFUN_GAMMA_DIST_H_
#define RAINCORR_SPECFUN_GAMMA_DIST_H_

namespace raincorr {

// P(a, x): the regularised lower incomplete gamma function, the
// distribution function at x of the gamma distribution with shape a and
// scale 1, to about 1e-8 (the series and the continued fraction stop at
// increments of 1e-8). Negative x gives 0 (a NOTE that prints nothing);
// x = 0 gives 0; x at or above the cube root of the largest double gives 1
// while x/2 > a. A shape a <= 0, an x that large with x/2 <= a, or a shape
// beyond the range of DLNGAM (above about 2.53e305, or so close to 0 that
// Gamma(a) overflows) prints a TERMINAL message and ends the run; the last
// two are printed with a traceback. A NaN argument gives NaN silently.
double DGAMDF(double x, double a);

// The x with DGAMDF(x, a) = p, for 0 < p < 1 and a > 0, by bracketing and
// regula falsi to a relative width of 2.2e-15. p outside (0, 1), a <= 0,
// a above about 2.53e305, a so small (below about 2e-104) that the start
// overflows, or a failed bracket prints a TERMINAL message and ends the
// run. 100 refinement passes without convergence (for example a quantile
// far below 1e-12) print a FATAL message and end the run when called from
// the application.
double DGAMIN(double p, double a);

}  // namespace raincorr

#endif  // RAINCORR_SPECFUN_GAMMA_DIST_H_
