// Chebyshev series: how many terms a table needs, and their sum.
#ifndef RAINCORR_SPECFUN_CHEBYSHEV_H_
#define RAINCORR_SPECFUN_CHEBYSHEV_H_

namespace raincorr {

// The number of leading terms of the `count` coefficients to use so that
// the neglected tail stays within `eta`: walking from the last coefficient
// towards the first, the single-precision sum of their magnitudes is formed
// until it exceeds eta at index i, and i is returned (1 when it never does).
// count < 1, or a last coefficient that alone exceeds eta, prints a TERMINAL
// error and ends the run.
int INITDS(const double* coefficients, int count, float eta);

// The Chebyshev series c_1/2 + c_2 T_1(x) + ... + c_n T_(n-1)(x) by
// Clenshaw's recurrence. n <= 0 or n > 1000 prints a TERMINAL error and ends
// the run; |x| > 1.1 issues a WARNING (printed when the routine called by the
// application returns) and the series is still summed.
double DCSEVL(double x, const double* coefficients, int n);

}  // namespace raincorr

#endif  // RAINCORR_SPECFUN_CHEBYSHEV_H_
