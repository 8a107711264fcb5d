// The standard normal quantile and the error-function routines beneath it,
// in IEEE double precision.
//
// Each routine enters the error stack under its own name ("dERFCE" for
// DERFCE) and keeps the term counts and limits it computes on its first
// call. TERMINAL errors print at once and end the run (RunStop, status 1).
#ifndef RAINCORR_SPECFUN_NORMAL_H_
#define RAINCORR_SPECFUN_NORMAL_H_

namespace raincorr {

// The x with Phi(x) = p, for 0 < p < 1 (TERMINAL otherwise). The WARNING of
// DERFCI for p within about 1e-10 of 1 is withdrawn: nothing is printed.
double DNORIN(double p);

// The r with erfc(r) = x, for 0 < x < 2 (TERMINAL otherwise, and when the
// Newton iteration fails to converge in 100 steps). x above about
// 1.99999999981 gives a WARNING.
double DERFCI(double x);

// exp(x^2) erfc(x). TERMINAL below about -26.619 (overflow); ALERT with
// result 0 above about 2.51e307 (prints nothing).
double DERFCE(double x);

}  // namespace raincorr

#endif  // RAINCORR_SPECFUN_NORMAL_H_
