#include "specfun/machine.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <ostream>

#include "specfun/errors.h"
#include "textio/fields.h"

namespace raincorr {
namespace {

using DoubleLimits = std::numeric_limits<double>;

const double kDoubleConstants[8] = {
    DoubleLimits::min(),
    DoubleLimits::max(),
    DoubleLimits::epsilon() / 2,
    DoubleLimits::epsilon(),
    0.3010299956639812,
    // Built from its bits: the quiet NaN with sign 0 and only the highest
    // mantissa bit set, whatever quiet_NaN() of the platform looks like.
    std::bit_cast<double>(std::uint64_t{0x7FF8000000000000}),
    DoubleLimits::infinity(),
    -DoubleLimits::infinity(),
};

const int kIntegerConstants[12] = {32, 4, 2, 31, 2147483647, 2, 24, -125, 128, 53, -1021, 1024};

int units[3] = {5, 6, 6};

}  // namespace

double DMACH(int n) {
  if (n < 1 || n > 8) {
    E1PSH("DMACH");
    E1PARI(1, n);
    E1MES(5, 5, "The argument must be between 1 and 8 inclusive. N = %(I1)");
    E1POP("DMACH");
    return kDoubleConstants[5];
  }
  return kDoubleConstants[n - 1];
}

int IMACH(int n) {
  if (n < 1 || n > 12) {
    error_console() << "\n *** TERMINAL ERROR 5 from IMACH.  The argument\n"
                    << " ***          must be between 1 and 12 inclusive.\n"
                    << " ***          N = " << int_field(n, 6) << ".\n\n";
    end_run_from_error_facility();
  }
  return kIntegerConstants[n - 1];
}

void UMACH(int n, int& unit) {
  const std::int64_t index = std::llabs(static_cast<long long>(n));
  if (index < 1 || index > 3) {
    error_console() << "\n *** TERMINAL ERROR 5 from UMACH.  The absolute\n"
                    << " ***          value of the index variable must be\n"
                    << " ***          1, 2, or 3.  IABS(N) = " << int_field(index, 6) << ".\n\n";
    end_run_from_error_facility();
  }
  if (n > 0) {
    unit = units[index - 1];
  } else {
    units[index - 1] = unit;
  }
}

}  // namespace raincorr
