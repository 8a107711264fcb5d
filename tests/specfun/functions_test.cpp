// The gamma, log-gamma, normal and error-function routines: their tables,
// limits, edge cases and messages. Accuracy over whole ranges is measured
// in accuracy_test.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "specfun/gamma.h"
#include "specfun/normal.h"
#include "specfun/tables.h"
#include "tests/specfun/facility_fixture.h"
#include "tests/support/support.h"

namespace raincorr {
namespace {

using testing::FacilityTest;
using testing::lines;

constexpr double kEps = std::numeric_limits<double>::epsilon();

// The first three coefficients of each expansion, as the routines were
// designed with them. A wrong function or variable mapping in the
// generator shows up here at once.
TEST(ChebyshevTables, FirstCoefficientsMatchTheDesign) {
  struct Case {
    const char* name;
    const double* table;
    double first[3];
  };
  const Case cases[] = {
      {"gamma",
       kGammaCoefficients,
       {0.00857119559098933, 0.004415381324841007, 0.05685043681599363}},
      {"log-gamma correction",
       kLogGammaCorrectionCoefficients,
       {0.16663894804518634, -1.384948176067564e-05, 9.81082564692473e-09}},
      {"inverse error function",
       kInverseErfCoefficients,
       {-0.05102816076058251, 0.09767121365429762, 0.0106798426748877}},
      {"error function",
       kErfCoefficients,
       {-0.049046121234691806, -0.14226120510371365, 0.010035582187599796}},
      {"erfc middle",
       kErfcMiddleCoefficients,
       {-0.0696013466023095, -0.04110133936262089, 0.003914495866689627}},
      {"erfc tail",
       kErfcTailCoefficients,
       {0.07151793102029248, -0.026532434337606717, 0.0017111539779208558}},
  };
  for (const auto& c : cases) {
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(c.table[k], c.first[k], 1e-15 * std::fabs(c.first[k])) << c.name << " " << k;
    }
  }
}

using GammaFunctions = FacilityTest;

TEST_F(GammaFunctions, LimitsOfTheDoubleRange) {
  double xmin = 0.0;
  double xmax = 0.0;
  D9GAML(xmin, xmax);
  EXPECT_EQ(xmin, -170.56749727266123);
  EXPECT_EQ(xmax, 171.61447887182297);
  // Just inside the lower limit Gamma is computed, just outside it is 0.
  EXPECT_NE(DGAMMA(-170.567), 0.0);
  EXPECT_EQ(DGAMMA(-170.568), 0.0);
  EXPECT_EQ(DGAMMA(-171.5), 0.0);  // an ALERT: nothing printed
  EXPECT_TRUE(std::isfinite(DGAMMA(171.614)));
  EXPECT_EQ(printed(), "");
  EXPECT_EQ(error_stack_level(), 1);
}

// The limits each routine computes on its first call, seen at their
// boundaries: the values of the last column of their tables in IEEE double.
TEST_F(GammaFunctions, LimitsComputedOnFirstCall) {
  const double smallest_fraction = 2.2474362225598545e-308;
  EXPECT_GT(DGAMMA(smallest_fraction), 4e307);
  EXPECT_NE(printed_by_ending_call([&] { DGAMMA(std::nextafter(smallest_fraction, 0.0)); }), "");
  const double underflow = 3.745194030963263e306;
  EXPECT_GT(D9LGMC(std::nextafter(underflow, 0.0)), 0.0);
  EXPECT_EQ(D9LGMC(underflow), 0.0);
  const double largest = 2.5327372760800758e305;
  EXPECT_GT(DLNGAM(largest), 0.0);
  EXPECT_NE(printed_by_ending_call([&] { DLNGAM(std::nextafter(largest, 1e306)); }), "");
  EXPECT_EQ(printed(), "");
}

TEST_F(GammaFunctions, KnownValues) {
  EXPECT_NEAR(DLNGAM(1.0), 0.0, 2 * kEps);
  EXPECT_NEAR(DLNGAM(2.0), 0.0, 2 * kEps);
  EXPECT_NEAR(DLNGAM(0.5), 0.572364942924700087, 2 * kEps);
  EXPECT_EQ(DGAMMA(5.0), 24.0);
  EXPECT_NEAR(DGAMMA(-0.5), -3.544907701811032055, 4 * kEps);
  // ln Gamma(10) = ln 362880 by Gamma itself; 10.5 by Stirling's formula.
  EXPECT_NEAR(DLNGAM(10.0), std::log(362880.0), 2 * kEps * 12.8);
  EXPECT_NEAR(DLNGAM(10.5), 13.940625219403763, 2 * kEps * 14.0);
  EXPECT_EQ(D9LGMC(1e8), 1.0 / (12.0 * 1e8));
  EXPECT_EQ(D9LGMC(1e307), 0.0);  // an ALERT: nothing printed
  EXPECT_EQ(printed(), "");
}

TEST_F(GammaFunctions, Errors) {
  struct Case {
    double (*f)(double);
    double x;
    std::string printed;
  };
  const Case cases[] = {
      {DGAMMA, 0.0,
       lines({"", " *** TERMINAL ERROR 5 from DGAMMA.  The argument for the function can not",
              " ***          be zero."})},
      {DGAMMA, -3.0,
       lines({"", " *** TERMINAL ERROR 6 from DGAMMA.  The argument for the function can not",
              " ***          be a negative integer. Argument X = -3.000000000000000E+00."})},
      {DGAMMA, 2.24e-308,
       lines({"", " *** TERMINAL ERROR 4 from DGAMMA.  The function overflows because X =",
              " ***          2.240000000000000E-308 is too close to zero."})},
      {DGAMMA, 172.0,
       lines({"", " *** TERMINAL ERROR 4 from DGAMMA.  The function overflows because X =",
              " ***          1.720000000000000E+02 is greater than 1.716144788718230E+02."})},
      {DLNGAM, -1e306,
       lines({"", " *** TERMINAL ERROR 4 from DLNGAM.  The function overflows because",
              " ***          ABS(-1.000000000000000E+306) is greater than ",
              " ***          2.532737276080076E+305."})},
      {D9LGMC, 9.99,
       lines({"", " *** TERMINAL ERROR 5 from D9LGMC.  The argument X = 9.990000000000000E+00",
              " ***          must be greater than or equal to 10.0."})},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(printed_by_ending_call([&] { c.f(c.x); }), c.printed) << "x = " << c.x;
  }
}

TEST_F(GammaFunctions, NearNegativeIntegerWarnsOnReturn) {
  const double g = DGAMMA(-2.9999999999);
  // Gamma(-3 + e) is about -1/(6e); the warning says the digits beyond
  // half precision are not to be trusted.
  EXPECT_NEAR(g, -1666666528.9754127, 1e-8 * std::fabs(g));
  EXPECT_EQ(printed(),
            lines({"", " *** WARNING  ERROR 2 from DGAMMA.  The result is accurate to less than",
                   " ***          one half precision because X = -2.999999999900000E+00 is too ",
                   " ***          close to a negative integer."}));
  EXPECT_EQ(error_stack_level(), 1);
}

using NormalFunctions = FacilityTest;

TEST_F(NormalFunctions, KnownValues) {
  EXPECT_EQ(DNORIN(0.5), 0.0);
  EXPECT_NEAR(DNORIN(0.975), 1.959963984540054, 2 * kEps * 1.96);
  EXPECT_NEAR(DNORIN(0.025), -1.959963984540054, 2 * kEps * 1.96);
  EXPECT_EQ(DERFCI(1.0), 0.0);
  EXPECT_NEAR(DERFCI(0.5), 0.476936276204469873, 2 * kEps * 0.48);  // the series
  EXPECT_NEAR(DERFCI(0.2), 0.906193802436823198, 2 * kEps * 0.91);  // Newton's method
  EXPECT_EQ(DERFCE(0.0), 1.0);
  EXPECT_NEAR(DERFCE(-7.0), 2.0 * std::exp(49.0), 2 * kEps * 3.9e21);  // the asymptote
  EXPECT_EQ(DERFCE(1e308), 0.0);                                       // an ALERT: nothing printed
  EXPECT_EQ(printed(), "");
}

TEST_F(NormalFunctions, LimitsComputedOnFirstCall) {
  const double warning_limit = 1.9999999998072724;
  DERFCI(warning_limit);
  EXPECT_EQ(printed(), "");
  DERFCI(std::nextafter(warning_limit, 2.0));
  EXPECT_NE(printed(), "");
  clear_printed();
  const double underflow = 2.5103697176561744e307;
  EXPECT_GT(DERFCE(underflow), 0.0);
  EXPECT_EQ(DERFCE(std::nextafter(underflow, 1e308)), 0.0);
  const double overflow = -26.618735713751487;
  EXPECT_GT(DERFCE(overflow), 1e307);
  EXPECT_NE(printed_by_ending_call([&] { DERFCE(std::nextafter(overflow, -30.0)); }), "");
  EXPECT_EQ(printed(), "");
}

TEST_F(NormalFunctions, WarningNearTwoIsWithdrawnByTheQuantile) {
  // 2p = 1.9999999999 is beyond the warning limit of DERFCI; called through
  // DNORIN the warning is withdrawn.
  EXPECT_NEAR(DNORIN(0.99999999995), 6.466951074732419, 1e-8);
  EXPECT_EQ(printed(), "");
  EXPECT_EQ(N1RTY(0), 0);

  EXPECT_NEAR(DERFCI(1.9999999999), -4.572824958544925, 1e-9);
  EXPECT_EQ(printed(),
            lines({"", " *** WARNING  ERROR 2 from DERFCI.  The result is accurate to less than",
                   " ***          one half precision because X = 1.999999999900000E+00 is too ",
                   " ***          close to 2.0."}));
}

TEST_F(NormalFunctions, Errors) {
  struct Case {
    double (*f)(double);
    double x;
    std::string printed;
  };
  const Case cases[] = {
      {DNORIN, 0.0,
       lines({"", " *** TERMINAL ERROR 1 from DNORIN.  The argument to the function must be",
              " ***          greater than 0.0 and less than 1.0.  P = 0.000000000000000E+00."})},
      {DNORIN, 1.0,
       lines({"", " *** TERMINAL ERROR 1 from DNORIN.  The argument to the function must be",
              " ***          greater than 0.0 and less than 1.0.  P = 1.000000000000000E+00."})},
      {DERFCI, 0.0,
       lines({"", " *** TERMINAL ERROR 5 from DERFCI.  X = 0.000000000000000E+00 must be",
              " ***          greater than zero."})},
      {DERFCI, 2.0,
       lines({"", " *** TERMINAL ERROR 6 from DERFCI.  X = 2.000000000000000E+00 must be less",
              " ***          than 2.0."})},
      // Entered as "dERFCE", printed with a capital D; its placeholders are
      // written in lower case.
      {DERFCE, -30.0,
       lines({"", " *** TERMINAL ERROR 4 from DERFCE.  The function overflows because X =",
              " ***          -3.000000000000000E+01 is less than -2.661873571375149E+01."})},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(printed_by_ending_call([&] { c.f(c.x); }), c.printed) << "x = " << c.x;
  }
}

}  // namespace
}  // namespace raincorr
