// The developer probe specfun-eval: one result per line, the facility's
// message for a call that ends the run, and the next line after it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/support.h"

#ifndef SPECFUN_EVAL_EXE
#error "SPECFUN_EVAL_EXE must name the specfun-eval executable"
#endif

namespace raincorr {
namespace {

using testing::lines;
using testing::read_file;
using testing::ScratchDir;
using testing::write_file;

TEST(SpecfunEval, PrintsResultsAndGoesOnAfterAnError) {
  ScratchDir dir;
  write_file("in.txt", lines({
                           "DGAMMA 5",
                           "",
                           "DGAMDF 2 0",
                           "DGAMDF 1000 1",
                           "DGAMIN 0.25",
                           "DGAMDF -1 2",
                           "DERFCE 0",
                       }));
  const std::string command =
      std::string("\"") + SPECFUN_EVAL_EXE + "\" < in.txt > out.txt 2> err.txt";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(read_file("out.txt"),
            lines({
                "24",
                "",
                " *** TERMINAL ERROR 1 from DGAMDF.  The shape parameter of the gamma",
                " ***          distribution must be positive.",
                "1",
                "0",
                "1",
            }));
  EXPECT_EQ(read_file("err.txt"),
            "specfun-eval: line 5: expected a routine name and 2 argument(s)\n");
}

}  // namespace
}  // namespace raincorr
