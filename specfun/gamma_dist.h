// The gamma distribution function and its inverse, unit scale.
#ifndef RAINCORR_SPECFUN_GAMMA_DIST_H_
#define RAINCORR_SPECFUN_GAMMA_DIST_H_

namespace raincorr {

// P(a, x): the regularised lower incomplete gamma function, the
// distribution function at x of the gamma distribution with shape a and
// scale 1. Negative x gives 0 (a NOTE that prints nothing). A shape a <= 0
// or an x too large for a prints a TERMINAL message through the error
// facility and ends the run (throws RunStop with an empty message, status 1).
double DGAMDF(double x, double a);

// The x with DGAMDF(x, a) = p, for 0 < p < 1 and a > 0. Invalid arguments
// and a failed bracket print a TERMINAL message and end the run; 100
// refinement passes without convergence print a FATAL message and end the
// run when called from the application.
double DGAMIN(double p, double a);

}  // namespace raincorr

#endif  // RAINCORR_SPECFUN_GAMMA_DIST_H_
