// A fixture for tests of the special functions: the error facility starts
// as at first use and prints into a string, so that each test sees exactly
// the console output of its own calls.
#ifndef RAINCORR_TESTS_SPECFUN_FACILITY_FIXTURE_H_
#define RAINCORR_TESTS_SPECFUN_FACILITY_FIXTURE_H_

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <sstream>
#include <string>

#include "specfun/errors.h"
#include "textio/run_stop.h"

namespace raincorr::testing {

// The three heading lines of a traceback, as the facility prints them.
inline const std::string kTracebackHeading =
    "     Here is a traceback of subprogram calls in reverse order:\n"
    "     Routine name                    Error type  Error code\n"
    "     ------------                    ----------  ----------\n";

class FacilityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_error_facility_for_testing();
    set_error_console(console_);
  }
  void TearDown() override {
    reset_error_facility_for_testing();
    set_error_console(std::cout);
  }

  // What the facility has printed so far.
  std::string printed() const { return console_.str(); }
  void clear_printed() { console_.str(""); }

  // Runs `call`, which must end the run the facility's way (a RunStop with
  // no message of its own, on standard output, status 1); returns what was
  // printed. The facility is then reset, as the tool's run would be over.
  std::string printed_by_ending_call(const std::function<void()>& call) {
    try {
      call();
      ADD_FAILURE() << "the run did not end";
    } catch (const RunStop& stop) {
      EXPECT_EQ(stop.message, "");
      EXPECT_FALSE(stop.to_stderr);
      EXPECT_EQ(stop.status, 1);
    }
    std::string out = console_.str();
    console_.str("");
    reset_error_facility_for_testing();
    return out;
  }

 private:
  std::ostringstream console_;
};

}  // namespace raincorr::testing

#endif  // RAINCORR_TESTS_SPECFUN_FACILITY_FIXTURE_H_
