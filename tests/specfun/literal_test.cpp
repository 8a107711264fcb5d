// The special functions against tools/literal_specfun.py, an independent
// model that evaluates every formula exactly as written (left to right,
// small powers as products grouped first, no fused multiply-add). The
// accuracy tests cannot see a regrouped formula, which stays accurate; these
// see every last bit, and a last bit decides whether a month of very small
// gamma shape converges.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "specfun/gamma.h"
#include "specfun/gamma_dist.h"
#include "tests/specfun/facility_fixture.h"
#include "tests/support/support.h"

namespace raincorr {
namespace {

using testing::FacilityTest;
using testing::lines;

std::string hex(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%a", v);
  return text;
}

// Equal bits, reported as hexadecimal floats.
void expect_bits(double got, double want, const std::string& call) {
  EXPECT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(want))
      << call << ": got " << hex(got) << ", want " << hex(want);
}

using LiteralArithmetic = FacilityTest;

TEST_F(LiteralArithmetic, InverseGammaBitForBit) {
  struct Case {
    double p, a, x;
  };
  // From tools/literal_specfun.py. The first five start from the cube,
  // a * (w*w*w) with z*z >= 9a; every case goes through the refinement,
  // whose Illinois step halves f0.
  const Case cases[] = {
      {0.002, 0.3, 0x1.825edfbaaa1a4p-31}, {0.998, 0.3, 0x1.009fe33ef82ddp+2},
      {0.01, 0.5, 0x1.496fe6cb553b8p-14},  {0.998, 0.8, 0x1.6bd504afe483cp+2},
      {0.995, 0.6, 0x1.0fb606704ebbfp+2},  {0.05, 0.75, 0x1.103e2eed5f994p-6},
      {0.1, 1.5, 0x1.2b331e3372cdap-2},    {0.25, 4.0, 0x1.44855f69da3cfp+1},
      {0.5, 2.0, 0x1.ada825f9ffc8bp+0},    {0.75, 3.3, 0x1.11f01e01eda75p+2},
      {0.9, 10.0, 0x1.c69779069464dp+3},   {0.3, 30.0, 0x1.ae7917209615cp+4},
      {0.998, 25.0, 0x1.4ea0509d8cbb3p+5}, {0.002, 12.0, 0x1.1977e296c190cp+2},
  };
  for (const auto& c : cases) {
    expect_bits(DGAMIN(c.p, c.a), c.x,
                "DGAMIN(" + std::to_string(c.p) + ", " + std::to_string(c.a) + ")");
  }
  EXPECT_EQ(printed(), "");
}

TEST_F(LiteralArithmetic, GammaCdfSeriesBitForBit) {
  struct Case {
    double x, a, p;
  };
  // All on the series, term = (term * x) / b; the non-round ones with
  // a > 1 differ from term * (x / b) in the last bits.
  const Case cases[] = {
      {0.5, 0.3, 0x1.a0abf0dbc3bf9p-1},   {0.9, 2.5, 0x1.fb9fb3740eb60p-4},
      {3.0, 7.5, 0x1.4bd01b5fe8607p-6},   {6.25, 6.5, 0x1.0696cecdce654p-1},
      {3.57, 5.16, 0x1.0c5c7969af161p-2}, {8.53, 10.97, 0x1.f18978bbe0374p-3},
      {0.05, 0.08, 0x1.a2436d6f8a1f6p-1},
  };
  for (const auto& c : cases) {
    expect_bits(DGAMDF(c.x, c.a), c.p,
                "DGAMDF(" + std::to_string(c.x) + ", " + std::to_string(c.a) + ")");
  }
  EXPECT_EQ(printed(), "");
}

TEST_F(LiteralArithmetic, GammaRecurrenceBelowOne) {
  // The recurrence divides by (x + i) - 1: near zero that keeps only the
  // digits x + i held, and where x + i rounds to 1 it divides by zero.
  struct Case {
    double x, gamma;
  };
  const Case cases[] = {
      {-1e-10, -0x1.2a05f0629637bp+33},  // the true value is -1e10 - 0.58
      {0.001, 0x1.f3b63e2d4160ap+9},
      {-2.5, -0x1.e3ff812e32183p-1},
      {1e-300, std::numeric_limits<double>::infinity()},
  };
  for (const auto& c : cases) expect_bits(DGAMMA(c.x), c.gamma, "DGAMMA(" + hex(c.x) + ")");
  expect_bits(DLNGAM(0.3), 0x1.188637a6c4195p+0, "DLNGAM(0.3)");
  EXPECT_EQ(printed(), "");
}

TEST_F(LiteralArithmetic, NegativeIntegerTestFromLeftToRight) {
  // (x + 2) - 2 is 0 for x = -1e-20, so x counts as the integer 0 - 0.
  EXPECT_EQ(printed_by_ending_call([] { DGAMMA(-1e-20); }),
            lines({"", " *** TERMINAL ERROR 6 from DGAMMA.  The argument for the function can not",
                   " ***          be a negative integer. Argument X = -9.999999999999999E-21."}));
}

TEST_F(LiteralArithmetic, SmallShapesThatDoNotConverge) {
  // Months of very small shape: with the cube grouped first (the first
  // case) and the series step (term * x) / b (the second), the refinement
  // runs out of passes. Regrouped, both converged to about 1e-23 and 4e-17.
  const std::string fatal =
      lines({"", " *** FATAL    ERROR 1 from DGAMIN.  Over 100 iterations have occurred",
             " ***          without convergence.  Convergence is assumed."});
  EXPECT_EQ(printed_by_ending_call([] { DGAMIN(0.034482758620689655, 0.06460252521502131); }),
            fatal);
  EXPECT_EQ(printed_by_ending_call([] { DGAMIN(0.006993006993006993, 0.13350271536155695); }),
            fatal);
}

}  // namespace
}  // namespace raincorr
