// DGAMDF and DGAMIN as the correction stage sees them: values at the edges
// of their algorithms, and every error path that a call can reach, printed
// byte for byte.
#include "specfun/gamma_dist.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "specfun/errors.h"
#include "tests/specfun/facility_fixture.h"
#include "tests/support/support.h"

namespace raincorr {
namespace {

using testing::FacilityTest;
using testing::kTracebackHeading;
using testing::lines;

using GammaCdf = FacilityTest;

TEST_F(GammaCdf, EdgesOfTheAlgorithm) {
  for (const double a : {1e-3, 0.5, 1.0, 100.0}) {
    EXPECT_EQ(DGAMDF(0.0, a), 0.0) << "a = " << a;
    EXPECT_EQ(DGAMDF(-1.0, a), 0.0) << "a = " << a;  // a NOTE: nothing printed
  }
  // At and beyond the cube root of the largest double: exactly 1 while
  // x/2 > a, without computing anything.
  EXPECT_EQ(DGAMDF(1e103, 1.0), 1.0);
  EXPECT_EQ(DGAMDF(std::numeric_limits<double>::infinity(), 2.0), 1.0);
  // Underflowing prefactor: the continued fraction gives exactly 1, the
  // series exactly 0.
  EXPECT_EQ(DGAMDF(1000.0, 1.0), 1.0);
  EXPECT_EQ(DGAMDF(10.0, 1000.0), 0.0);
  EXPECT_EQ(printed(), "");
  EXPECT_EQ(error_stack_level(), 1);
}

TEST_F(GammaCdf, NotANumberGivesNotANumber) {
  // Both loops end on a NaN instead of running for ever.
  EXPECT_TRUE(std::isnan(DGAMDF(std::numeric_limits<double>::quiet_NaN(), 2.0)));
  EXPECT_TRUE(std::isnan(DGAMDF(2.0, std::numeric_limits<double>::quiet_NaN())));
  EXPECT_EQ(printed(), "");
  EXPECT_EQ(error_stack_level(), 1);
}

TEST_F(GammaCdf, ExponentialCaseOnBothBranches) {
  // a = 1 is the exponential distribution. x <= 1 takes the series, x > 1
  // the continued fraction; both stop at increments of 1e-8.
  for (const double x : {1e-6, 0.01, 0.5, 1.0, 1.5, 2.0, 5.0, 20.0}) {
    EXPECT_NEAR(DGAMDF(x, 1.0), -std::expm1(-x), 1e-8) << "x = " << x;
  }
  // x = 5 below a = 7 takes the series, x = 2 at a = 2 the fraction:
  // P(7, 5) = 1 - e^-5 (1 + 5 + ... + 5^6/6!), P(2, 2) = 1 - 3 e^-2.
  EXPECT_NEAR(DGAMDF(5.0, 7.0), 0.237816537027061, 1e-8);
  EXPECT_NEAR(DGAMDF(2.0, 2.0), 1.0 - 3.0 * std::exp(-2.0), 1e-8);
}

TEST_F(GammaCdf, Errors) {
  struct Case {
    double x;
    double a;
    std::string printed;
  };
  const std::string invalid_shape =
      lines({"", " *** TERMINAL ERROR 1 from DGAMDF.  The shape parameter of the gamma",
             " ***          distribution must be positive."});
  const Case cases[] = {
      {2.0, 0.0, invalid_shape},
      {-1.0, -1.5, invalid_shape},  // the shape is tested before x
      {1e103, 1e103,
       lines({"", " *** TERMINAL ERROR 3 from DGAMDF.  Since X = 1.000000000000000E+103 and A",
              " ***          = 1.000000000000000E+103 are so large, the algorithm would ",
              " ***          overflow."})},
      // Shapes that rounding noise in a variance can produce: the series
      // (x just below a, b + 1 == b) and the continued fraction would run
      // for ever; both give up after their step limit.
      {2.5034288425078636e+31, 2.503428842507864e+31,
       lines({"", " *** TERMINAL ERROR 4 from DGAMDF.  The algorithm did not converge in",
              " ***          100000000 iterations for X = 2.503428842507864E+31 and A = ",
              " ***          2.503428842507864E+31."})},
      {1e25, 1e25,
       lines({"", " *** TERMINAL ERROR 4 from DGAMDF.  The algorithm did not converge in",
              " ***          100000000 iterations for X = 1.000000000000000E+25 and A = ",
              " ***          1.000000000000000E+25."})},
      // Raised in DLNGAM one level down: its own message and a traceback.
      {2.0, 1e306,
       lines({"", " *** TERMINAL ERROR 4 from DLNGAM.  The function overflows because",
              " ***          ABS(1.000000000000000E+306) is greater than ",
              " ***          2.532737276080076E+305."}) +
           kTracebackHeading +
           lines({
               "     DLNGAM                               5           4    (Called internally)",
               "     DGAMDF                               0           0",
               "     USER                                 0           0",
           })},
      // Raised in DGAMMA, two levels down: a shape too close to zero.
      {1.0, 2.24e-308,
       lines({"", " *** TERMINAL ERROR 4 from DGAMMA.  The function overflows because X =",
              " ***          2.240000000000000E-308 is too close to zero."}) +
           kTracebackHeading +
           lines({
               "     DGAMMA                               5           4    (Called internally)",
               "     DLNGAM                               0           0    (Called internally)",
               "     DGAMDF                               0           0",
               "     USER                                 0           0",
           })},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(printed_by_ending_call([&] { DGAMDF(c.x, c.a); }), c.printed)
        << "x = " << c.x << ", a = " << c.a;
  }
}

using GammaQuantile = FacilityTest;

TEST_F(GammaQuantile, StartsAtZeroBelowTheWilsonHilfertyRange) {
  // z = 0 for p = 0.5, so z^2 < 9a and the search starts at 0; the root
  // is that of the series of DGAMDF, which stops at terms of 1e-8, and so
  // lies about 3e-11 from ln 2.
  const double x = DGAMIN(0.5, 1.0);
  EXPECT_NEAR(x, std::log(2.0), 1e-10);
  EXPECT_GT(std::fabs(x - std::log(2.0)), 1e-12);
  EXPECT_NEAR(DGAMDF(x, 1.0), 0.5, 1e-15);
  EXPECT_EQ(printed(), "");
  EXPECT_EQ(error_stack_level(), 1);
}

TEST_F(GammaQuantile, NearOneTheQuantileWarningIsWithdrawn) {
  // 2p is beyond the warning limit of DERFCI; DNORIN withdraws the warning.
  const double x = DGAMIN(0.99999999995, 2.0);
  EXPECT_NEAR(DGAMDF(x, 2.0), 0.99999999995, 1e-8);
  EXPECT_EQ(printed(), "");
  EXPECT_EQ(N1RTY(0), 0);
}

TEST_F(GammaQuantile, Errors) {
  struct Case {
    double p;
    double a;
    std::string printed;
  };
  const auto probability = [](const char* p) {
    return lines(
        {"", " *** TERMINAL ERROR 2 from DGAMIN.  The input probability, p =",
         std::string(" ***          ") + p + ", must be in the open interval (0.0, 1.0)."});
  };
  const Case cases[] = {
      {0.0, 2.0, probability("0.000000000000000E+00")},
      {1.0, 2.0, probability("1.000000000000000E+00")},
      {-0.5, 2.0, probability("-5.000000000000000E-01")},
      {0.0, 0.0, probability("0.000000000000000E+00")},  // p is tested first
      {0.5, 0.0,
       lines({"", " *** TERMINAL ERROR 3 from DGAMIN.  The shape parameter of the gamma",
              " ***          distribution, a = 0.000000000000000E+00, must be positive."})},
      {0.5, 1e306,
       lines({"", " *** TERMINAL ERROR 4 from DGAMIN.  Since A = 1.000000000000000E+306 is",
              " ***          greater than 2.532737276080076E+305, the function will overflow."})},
      {0.5, 1e-110,
       lines({"", " *** TERMINAL ERROR 5 from DGAMIN.  Since A = 1.000000000000000E-110 is so",
              " ***          small, the initial guess will overflow."})},
      // 100 doublings of the step cannot reach the bulk of a = 1e200.
      {0.5, 1e200,
       lines({"", " *** TERMINAL ERROR 6 from DGAMIN.  Unable to bracket the value of the",
              " ***          inverse gamma at p = 5.000000000000000E-01, with parameter a = ",
              " ***          1.000000000000000E+200."})},
      // The quantile, about 7e-21, is beyond the reach of 100 refinement
      // passes from a bracket that starts at 0.
      {1e-6, 0.3,
       lines({"", " *** FATAL    ERROR 1 from DGAMIN.  Over 100 iterations have occurred",
              " ***          without convergence.  Convergence is assumed."})},
      // A NaN passes the probability test; the Newton iteration of DERFCI
      // then fails two levels down.
      {std::numeric_limits<double>::quiet_NaN(), 2.0,
       lines({"", " *** TERMINAL ERROR 7 from DERFCI.  Sufficiently accurate result was not",
              " ***          achieved in a reasonable number of iterations. An algorithmic ",
              " ***          problem exists."}) +
           kTracebackHeading +
           lines({
               "     DERFCI                               5           7    (Called internally)",
               "     DNORIN                               0           0    (Called internally)",
               "     DGAMIN                               0           0",
               "     USER                                 0           0",
           })},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(printed_by_ending_call([&] { DGAMIN(c.p, c.a); }), c.printed)
        << "p = " << c.p << ", a = " << c.a;
  }
}

TEST_F(GammaQuantile, FatalErrorPassesToALibraryCaller) {
  // Called from inside the library the FATAL error neither prints nor ends
  // the run; it goes to the caller's level, which prints it under its own
  // name when it returns to the application.
  E1PSH("CALLER");
  const double x = DGAMIN(1e-6, 0.3);
  EXPECT_TRUE(std::isfinite(x));
  EXPECT_EQ(printed(), "");
  EXPECT_EQ(N1RTY(0), 4);
  EXPECT_EQ(N1RCD(0), 1);
  EXPECT_EQ(printed_by_ending_call([] { E1POP("CALLER"); }),
            lines({"", " *** FATAL    ERROR 1 from CALLER.  Over 100 iterations have occurred",
                   " ***          without convergence.  Convergence is assumed."}));
}

}  // namespace
}  // namespace raincorr
