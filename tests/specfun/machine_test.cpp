// Machine constants, unit numbers, and the Chebyshev tools INITDS and
// DCSEVL with their error paths.
#include "specfun/machine.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "specfun/chebyshev.h"
#include "tests/specfun/facility_fixture.h"
#include "tests/support/support.h"

namespace raincorr {
namespace {

using testing::FacilityTest;
using testing::lines;

using MachineConstants = FacilityTest;

TEST_F(MachineConstants, DoubleTable) {
  EXPECT_EQ(DMACH(1), 0x1p-1022);
  EXPECT_EQ(DMACH(1), 2.2250738585072014e-308);
  EXPECT_EQ(DMACH(2), 1.7976931348623157e308);
  EXPECT_EQ(DMACH(2), (2.0 - 0x1p-52) * 0x1p1023);
  EXPECT_EQ(DMACH(3), 0x1p-53);
  EXPECT_EQ(DMACH(4), 0x1p-52);
  EXPECT_EQ(DMACH(5), 0.3010299956639812);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(DMACH(6)), 0x7FF8000000000000u);
  EXPECT_EQ(DMACH(7), INFINITY);
  EXPECT_EQ(DMACH(8), -INFINITY);
  EXPECT_EQ(printed(), "");
  EXPECT_EQ(error_stack_level(), 1);
}

TEST_F(MachineConstants, IntegerTable) {
  const int expected[12] = {32, 4, 2, 31, 2147483647, 2, 24, -125, 128, 53, -1021, 1024};
  for (int n = 1; n <= 12; ++n) EXPECT_EQ(IMACH(n), expected[n - 1]) << "IMACH(" << n << ")";
}

TEST_F(MachineConstants, UnitTable) {
  int unit = 0;
  UMACH(1, unit);
  EXPECT_EQ(unit, 5);
  UMACH(2, unit);
  EXPECT_EQ(unit, 6);
  UMACH(3, unit);
  EXPECT_EQ(unit, 6);
  unit = 9;
  UMACH(-3, unit);  // replaces entry 3
  int read_back = 0;
  UMACH(3, read_back);
  EXPECT_EQ(read_back, 9);
  unit = 6;
  UMACH(-3, unit);
}

TEST_F(MachineConstants, IndexOutOfRangeEndsTheRun) {
  struct Case {
    int n;
    const char* shown;
  };
  for (const Case c : {Case{0, "0"}, Case{9, "9"}, Case{-4, "-4"}}) {
    EXPECT_EQ(printed_by_ending_call([&] { DMACH(c.n); }),
              lines({
                  "",
                  " *** TERMINAL ERROR 5 from DMACH.  The argument must be between 1 and 8",
                  std::string(" ***          inclusive. N = ") + c.shown,
              }));
  }
  EXPECT_EQ(printed_by_ending_call([] { IMACH(0); }),
            lines({"", " *** TERMINAL ERROR 5 from IMACH.  The argument",
                   " ***          must be between 1 and 12 inclusive.", " ***          N =      0.",
                   ""}));
  EXPECT_EQ(printed_by_ending_call([] { IMACH(-130); }),
            lines({"", " *** TERMINAL ERROR 5 from IMACH.  The argument",
                   " ***          must be between 1 and 12 inclusive.", " ***          N =   -130.",
                   ""}));
  int unit = 0;
  EXPECT_EQ(printed_by_ending_call([&] { UMACH(4, unit); }),
            lines({"", " *** TERMINAL ERROR 5 from UMACH.  The absolute",
                   " ***          value of the index variable must be",
                   " ***          1, 2, or 3.  IABS(N) =      4.", ""}));
  EXPECT_EQ(printed_by_ending_call([&] { UMACH(-70, unit); }),
            lines({"", " *** TERMINAL ERROR 5 from UMACH.  The absolute",
                   " ***          value of the index variable must be",
                   " ***          1, 2, or 3.  IABS(N) =     70.", ""}));
  EXPECT_EQ(printed_by_ending_call([&] { UMACH(0, unit); }),
            lines({"", " *** TERMINAL ERROR 5 from UMACH.  The absolute",
                   " ***          value of the index variable must be",
                   " ***          1, 2, or 3.  IABS(N) =      0.", ""}));
}

using ChebyshevSeries = FacilityTest;

TEST_F(ChebyshevSeries, TermCountKeepsTheTailWithinEta) {
  const double c[5] = {1.0, -0.5, 0.1, -0.01, 0.001};
  struct Case {
    float eta;
    int terms;
  };
  const Case cases[] = {
      {0.005f, 4},  // 0.001 stays within, 0.011 does not: keep c1..c4
      {0.02f, 3},   // 0.011 within, 0.111 not
      {0.2f, 2},    // 0.111 within, 0.611 not
      {10.0f, 1},   // the whole table stays within eta
  };
  for (const auto& k : cases) EXPECT_EQ(INITDS(c, 5, k.eta), k.terms) << "eta " << k.eta;
  EXPECT_EQ(printed(), "");
  EXPECT_EQ(error_stack_level(), 1);
}

TEST_F(ChebyshevSeries, TermCountIsSummedInSinglePrecision) {
  // From the end: 1, then 1 + 1e-9, which is 1 in single precision and so
  // does not exceed eta = 1 (in double it would, giving 2); then 6 does.
  const double c[3] = {5.0, 1e-9, 1.0};
  EXPECT_EQ(INITDS(c, 3, 1.0f), 1);
}

TEST_F(ChebyshevSeries, TermCountErrors) {
  const double c[1] = {1.0};
  EXPECT_EQ(printed_by_ending_call([&] { INITDS(c, 0, 0.1f); }),
            lines({"", " *** TERMINAL ERROR 5 from INITDS.  The number of coefficients is less",
                   " ***          than 1. NOS = 0."}));
  EXPECT_EQ(printed_by_ending_call([&] { INITDS(c, 1, 0.5f); }),
            lines({"", " *** TERMINAL ERROR 6 from INITDS.  Too much accuracy may be requested.",
                   " ***          ETA should be increased."}));
}

TEST_F(ChebyshevSeries, ClenshawSum) {
  // c1/2 + c2 T1(x) + c3 T2(x) + c4 T3(x), with T2 = 2x^2 - 1, T3 = 4x^3 - 3x.
  const double c[4] = {2.0, 3.0, -1.0, 0.5};
  struct Case {
    double x;
    double sum;
  };
  const Case cases[] = {
      {0.0, 1.0 + 0.0 + 1.0 + 0.0},
      {0.5, 1.0 + 1.5 + 0.5 - 0.5},
      {1.0, 1.0 + 3.0 - 1.0 + 0.5},
      {-1.0, 1.0 - 3.0 - 1.0 - 0.5},
      {1.1, 1.0 + 3.3 - 1.42 + 0.5 * (4 * 1.331 - 3.3)},  // the edge: no warning
  };
  for (const auto& k : cases) EXPECT_NEAR(DCSEVL(k.x, c, 4), k.sum, 1e-14) << "x = " << k.x;
  EXPECT_EQ(printed(), "");
  const double single[1] = {3.0};
  for (const double x : {-1.0, 0.3, 1.0}) EXPECT_EQ(DCSEVL(x, single, 1), 1.5);
  const std::vector<double> many(1000, 0.0);
  EXPECT_EQ(DCSEVL(0.5, many.data(), 1000), 0.0);  // 1000 terms are allowed
}

TEST_F(ChebyshevSeries, ArgumentOutsideTheIntervalWarnsAndStillSums) {
  const double c[2] = {2.0, 1.0};
  EXPECT_DOUBLE_EQ(DCSEVL(1.2, c, 2), 2.2);
  EXPECT_EQ(printed(),
            lines({"", " *** WARNING  ERROR 7 from DCSEVL.  The argument X = 1.200000000000000E+00",
                   " ***          is outside the interval (-1.1,+1.1)."}));
  EXPECT_EQ(error_stack_level(), 1);
}

TEST_F(ChebyshevSeries, TermCountErrorsOfTheSum) {
  const std::vector<double> c(1001, 1.0);
  EXPECT_EQ(printed_by_ending_call([&] { DCSEVL(0.5, c.data(), 0); }),
            lines({"", " *** TERMINAL ERROR 5 from DCSEVL.  The number of terms in the series is",
                   " ***          not positive. N = 0."}));
  EXPECT_EQ(printed_by_ending_call([&] { DCSEVL(0.5, c.data(), 1001); }),
            lines({"", " *** TERMINAL ERROR 6 from DCSEVL.  The number of terms in the series is",
                   " ***          greater than 1000. N = 1001."}));
}

}  // namespace
}  // namespace raincorr
