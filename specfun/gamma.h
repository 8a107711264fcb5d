// The gamma function and its logarithm in IEEE double precision.
//
// All four routines enter the error stack under their own names. On its
// first call each computes and keeps the number of Chebyshev terms it needs
// and its argument limits. TERMINAL errors print at once and end the run
// (RunStop, status 1); ALERTs return 0 and print nothing; WARNINGs keep the
// result and are printed when the routine called by the application returns.
#ifndef RAINCORR_SPECFUN_GAMMA_H_
#define RAINCORR_SPECFUN_GAMMA_H_

namespace raincorr {

// Gamma(x). TERMINAL for x = 0, x a negative integer, a fractional part
// too small to invert, or x above about 171.614; ALERT (result 0) below
// about -170.567; WARNING for a negative x within half precision of an
// integer.
double DGAMMA(double x);

// ln |Gamma(x)|. TERMINAL for |x| above about 2.53e305 and for a negative
// integer; WARNING for a negative x within half precision of an integer.
double DLNGAM(double x);

// The correction ln Gamma(x) - ((x - 0.5) ln x - x + ln sqrt(2 pi)) of
// Stirling's formula for x >= 10. TERMINAL for x < 10; ALERT (result 0) at
// or above about 3.745e306.
double D9LGMC(double x);

// The arguments between which Gamma neither underflows (xmin) nor
// overflows (xmax) in double precision. TERMINAL when the Newton iterations
// for either limit fail to settle in 10 steps.
void D9GAML(double& xmin, double& xmax);

}  // namespace raincorr

#endif  // RAINCORR_SPECFUN_GAMMA_H_
