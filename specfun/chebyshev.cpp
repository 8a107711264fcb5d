#include "specfun/chebyshev.h"

#include <cmath>

#include "specfun/errors.h"
#include "specfun/machine.h"

namespace raincorr {

int INITDS(const double* coefficients, int count, float eta) {
  E1PSH("INITDS");
  int terms = 0;
  if (count < 1) {
    E1PARI(1, count);
    E1MES(5, 5, "The number of coefficients is less than 1. NOS = %(I1).");
  } else {
    // The tail is summed in single precision: the term count only has to be
    // right to within a term, and this is how the tables were sized.
    float tail = 0.0f;
    int i = count;
    bool exceeded = false;
    for (; i >= 1; --i) {
      tail += static_cast<float>(std::fabs(coefficients[i - 1]));
      if (tail > eta) {
        exceeded = true;
        break;
      }
    }
    if (!exceeded) {
      terms = 1;
    } else if (i == count) {
      E1MES(5, 6, "Too much accuracy may be requested. ETA should be increased.");
    } else {
      terms = i;
    }
  }
  E1POP("INITDS");
  return terms;
}

double DCSEVL(double x, const double* coefficients, int n) {
  E1PSH("DCSEVL");
  double result = DMACH(6);
  if (n <= 0) {
    E1PARI(1, n);
    E1MES(5, 5, "The number of terms in the series is not positive. N = %(I1).");
  } else if (n > 1000) {
    E1PARI(1, n);
    E1MES(5, 6, "The number of terms in the series is greater than 1000. N = %(I1).");
  } else {
    if (x < -1.1 || x > 1.1) {
      E1PARD(1, x);
      E1MES(3, 7, "The argument X = %(D1) is outside the interval (-1.1,+1.1).");
    }
    double b0 = 0.0;
    double b1 = 0.0;
    double b2 = 0.0;
    const double twox = 2.0 * x;
    for (int i = n; i >= 1; --i) {
      b2 = b1;
      b1 = b0;
      b0 = twox * b1 - b2 + coefficients[i - 1];
    }
    result = 0.5 * (b0 - b2);
  }
  E1POP("DCSEVL");
  return result;
}

}  // namespace raincorr
