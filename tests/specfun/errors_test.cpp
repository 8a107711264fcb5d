// The error facility: which types print and when, which end the run, the
// console layout (header, wrapping, traceback) and the misuse conditions.
// Every expected text is written from the layout rules, columns counted by
// hand.
#include "specfun/errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "tests/specfun/facility_fixture.h"
#include "tests/support/support.h"

namespace raincorr {
namespace {

using testing::FacilityTest;
using testing::kTracebackHeading;
using testing::lines;

using ErrorFacility = FacilityTest;

TEST_F(ErrorFacility, StartsAtTheApplicationLevel) {
  EXPECT_EQ(error_stack_level(), 1);
  EXPECT_EQ(N1RTY(0), 0);
  EXPECT_EQ(N1RCD(0), 0);
  // Nothing has returned yet: the level above holds no result.
  EXPECT_EQ(N1RTY(1), -1);
  EXPECT_EQ(N1RCD(1), -1);
}

// Types that print nothing by themselves at level 2, and what they leave
// behind: NOTE stays with the routine, ALERT and WARNING pass to level 1.
TEST_F(ErrorFacility, QuietTypesAtLevelTwo) {
  struct Case {
    int type;
    const char* printed;
    int left_at_user;  // type left at level 1
  };
  const Case cases[] = {
      {1, "", 0},
      {2, "", 2},
      {3, "\n *** WARNING  ERROR 4 from ROUTA.  Something odd.\n", 3},
  };
  for (const auto& c : cases) {
    reset_error_facility_for_testing();
    clear_printed();
    E1PSH("ROUTA");
    E1MES(c.type, 4, "Something odd.");
    EXPECT_EQ(printed(), "") << "type " << c.type << " printed when issued";
    E1POP("ROUTA");
    EXPECT_EQ(printed(), c.printed) << "type " << c.type;
    EXPECT_EQ(error_stack_level(), 1);
    EXPECT_EQ(N1RTY(0), c.left_at_user) << "type " << c.type;
    EXPECT_EQ(N1RTY(1), c.type) << "the routine's own level keeps its type";
    EXPECT_EQ(N1RCD(1), 4);
  }
}

TEST_F(ErrorFacility, WarningFromDeepInsideIsPrintedByTheDirectlyCalledRoutine) {
  E1PSH("OUTER");
  E1PSH("MIDDLE");
  E1PSH("INNER");
  E1PARI(1, 7);
  E1MES(3, 4, "Value %(I1) is odd.");
  E1POP("INNER");
  E1POP("MIDDLE");
  EXPECT_EQ(printed(), "");
  E1POP("OUTER");
  EXPECT_EQ(printed(), "\n *** WARNING  ERROR 4 from OUTER.  Value 7 is odd.\n");
  EXPECT_EQ(N1RTY(0), 3);
  EXPECT_EQ(N1RCD(0), 4);
}

TEST_F(ErrorFacility, TerminalDeepInsidePrintsAtOnceWithTracebackAndEndsOnReturn) {
  E1PSH("OUTER");
  E1PSH("dINNER");
  E1PARD(1, 2.5);
  E1MES(5, 6, "X = %(D1) is bad.");
  // Printed at once; a lower-case first letter before an upper-case one is
  // printed in upper case, in the header and in the traceback.
  EXPECT_EQ(
      printed(),
      "\n *** TERMINAL ERROR 6 from DINNER.  X = 2.500000000000000E+00 is bad.\n" +
          kTracebackHeading +
          lines({
              "     DINNER                               5           6    (Called internally)",
              "     OUTER                                0           0",
              "     USER                                 0           0",
          }));
  clear_printed();
  EXPECT_EQ(printed_by_ending_call([] { E1POP("dINNER"); }), "");
}

TEST_F(ErrorFacility, FatalEndsTheRunOnlyWhenTheDirectlyCalledRoutineReturns) {
  E1PSH("OUTER");
  E1PSH("INNER");
  E1MES(4, 3, "Gave up.");
  E1POP("INNER");
  EXPECT_EQ(printed(), "");
  EXPECT_EQ(N1RTY(0), 4);
  EXPECT_EQ(N1RCD(0), 3);
  EXPECT_EQ(printed_by_ending_call([] { E1POP("OUTER"); }),
            "\n *** FATAL    ERROR 3 from OUTER.  Gave up.\n");
}

TEST_F(ErrorFacility, ImmediateTypesSixAndSeven) {
  E1PSH("ROUTA");
  E1MES(6, 1, "Heads up.");
  EXPECT_EQ(printed(), "\n *** WARNING  ERROR 1 from ROUTA.  Heads up.\n");
  E1POP("ROUTA");  // type 6 never ends the run
  EXPECT_EQ(error_stack_level(), 1);

  clear_printed();
  E1PSH("ROUTA");
  E1PSH("ROUTB");
  E1MES(7, 2, "Broken.");
  EXPECT_EQ(printed(), "\n *** FATAL    ERROR 2 from ROUTB.  Broken.\n" + kTracebackHeading +
                           lines({
                               "     ROUTB                                7           2    (Called "
                               "internally)",
                               "     ROUTA                                0           0",
                               // the earlier WARNING stays at the application's level
                               "     USER                                 6           1",
                           }));
  clear_printed();
  E1POP("ROUTB");  // called internally: passed on, not ended
  EXPECT_EQ(printed_by_ending_call([] { E1POP("ROUTA"); }), "");
}

TEST_F(ErrorFacility, WithdrawnErrorPrintsNothing) {
  for (const int withdraw_type : {0, 3}) {
    reset_error_facility_for_testing();
    E1PSH("ROUTA");
    E1MES(3, 2, "Warned.");
    // Type 0, or code 0, withdraws the error and its message.
    E1MES(withdraw_type, 0, "");
    E1POP("ROUTA");
    EXPECT_EQ(printed(), "") << "withdrawn with type " << withdraw_type;
  }
}

TEST_F(ErrorFacility, KeptTypeCodeAndMessage) {
  E1PSH("ROUTA");
  E1MES(3, 5, "First.");
  E1MES(-1, 9, " ");  // keeps the type and the message, new code
  EXPECT_EQ(N1RTY(0), 3);
  EXPECT_EQ(N1RCD(0), 9);
  E1MES(5, -1, "");  // new type, keeps the code and the message
  EXPECT_EQ(printed(), "\n *** TERMINAL ERROR 9 from ROUTA.  First.\n");
  EXPECT_EQ(printed_by_ending_call([] { E1POP("ROUTA"); }),
            "\n *** TERMINAL ERROR 9 from ROUTA.  First.\n");
}

TEST_F(ErrorFacility, MessageStartingWithStopGetsNoSecondStop) {
  E1PSH("ROUTA");
  E1MES(5, 3, ".  Starts with a stop.");
  EXPECT_EQ(printed(), "\n *** TERMINAL ERROR 3 from ROUTA.  Starts with a stop.\n");
}

TEST_F(ErrorFacility, PlaceholdersWithoutParameterStayAsWritten) {
  E1PSH("ROUTA");
  E1PARI(1, 42);
  E1PARD(0, 1.0);      // index out of range: ignored
  E1PARL(10, "text");  // likewise
  E1MES(5, 1, "%(I1) %(i1) %(I2) %(D0) %(A1) %(X1) %(I1");
  EXPECT_EQ(printed(), "\n *** TERMINAL ERROR 1 from ROUTA.  42 42 %(I2) %(D0) %(A1) %(X1) %(I1\n");
}

TEST_F(ErrorFacility, ParameterTexts) {
  struct Case {
    void (*store)();
    const char* placeholder;
    const char* text;
  };
  const Case cases[] = {
      {[] { E1PARD(1, 1.0); }, "%(D1)", "1.000000000000000E+00"},
      {[] { E1PARD(2, -0.25); }, "%(D2)", "-2.500000000000000E-01"},
      {[] { E1PARD(1, 0.0); }, "%(D1)", "0.000000000000000E+00"},
      {[] { E1PARD(1, 123456.789); }, "%(D1)", "1.234567890000000E+05"},
      {[] { E1PARD(1, 1e300); }, "%(D1)", "1.000000000000000E+300"},
      {[] { E1PARD(1, 1e-5); }, "%(d1)", "1.000000000000000E-05"},
      {[] { E1PARD(1, 2.0 / 3.0); }, "%(D1)", "6.666666666666666E-01"},
      {[] { E1PARD(9, std::numeric_limits<double>::quiet_NaN()); }, "%(D9)", "NaN"},
      {[] { E1PARD(1, -std::numeric_limits<double>::infinity()); }, "%(D1)", "-Inf"},
      {[] { E1PARI(1, -2147483647 - 1); }, "%(I1)", "-2147483648"},
      {[] { E1PARL(1, "trailing   "); }, "%(L1)", "trailing"},
      {[] { E1PARL(-1, "kept   "); }, "%(L1)", "kept   "},
      {[] { E1PARL(1, "    "); }, "%(L1)", " "},
      // Storing the same parameter again replaces it.
      {[] {
         E1PARI(1, 5);
         E1PARI(1, 6);
       },
       "%(I1)", "6"},
  };
  for (const auto& c : cases) {
    reset_error_facility_for_testing();
    clear_printed();
    E1PSH("P");
    c.store();
    E1MES(6, 1, std::string("[") + c.placeholder + "]");
    EXPECT_EQ(printed(), std::string("\n *** WARNING  ERROR 1 from P.  [") + c.text + "]\n")
        << c.placeholder;
  }
}

TEST_F(ErrorFacility, ParameterListHoldsThreeHundredCharacters) {
  E1PSH("P");
  E1PARL(1, std::string(255, 'a'));  // 255 + 8 of the 300
  E1PARL(2, std::string(30, 'b'));   // 30 + 8 more would be 301: dropped
  E1PARI(3, 7);                      // 1 + 8 fits
  E1MES(6, 1, "%(L2)%(I3)");
  EXPECT_EQ(printed(), "\n *** WARNING  ERROR 1 from P.  %(L2)7\n");
}

TEST_F(ErrorFacility, TextParameterKeeps255Characters) {
  E1PSH("P");
  E1PARL(1, std::string(250, 'a') + "bcdefgh");
  E1MES(6, 1, "%(L1)");
  // The header " 1 from P.  " leaves 59 - 12 - 3 = 44 columns, then lines
  // of 64: 44 + 64 + 64 + 64 = 236, and 19 characters remain.
  const std::string text = std::string(250, 'a') + "bcdef";
  EXPECT_EQ(printed(), "\n *** WARNING  ERROR 1 from P.  " + text.substr(0, 44) + "\n" +
                           " ***          " + text.substr(44, 64) + "\n" + " ***          " +
                           text.substr(108, 64) + "\n" + " ***          " + text.substr(172, 64) +
                           "\n" + " ***          " + text.substr(236) + "\n");
}

TEST_F(ErrorFacility, MessageIsCutAt1024Characters) {
  E1PSH("P");
  E1PARL(1, "0123456789");
  E1MES(6, 1, std::string(1020, 'x') + "%(L1) and more");
  // 1020 x and the first four digits; 44 on the first line, then 15 lines
  // of 64 (960) and the last 20.
  std::string expected = "\n *** WARNING  ERROR 1 from P.  " + std::string(44, 'x') + "\n";
  for (int i = 0; i < 15; ++i) expected += " ***          " + std::string(64, 'x') + "\n";
  expected += " ***          " + std::string(16, 'x') + "0123\n";
  EXPECT_EQ(printed(), expected);
}

TEST_F(ErrorFacility, WrapsLongMessages) {
  struct Case {
    const char* routine;
    int type;
    int code;
    std::string message;
    std::string printed;
  };
  std::string long_word = "A";  // 91 characters, no blank
  for (int i = 0; i < 13; ++i) long_word += "very";
  long_word += "longwordthatexceedssixtyfourcharacters";
  const Case cases[] = {
      // " 12 from WRAP.  " leaves 40 columns: the first line breaks at the
      // blank in column 40 and drops it; continuation lines keep their
      // breaking blank; "%/" forces a break; a word longer than 64 is cut.
      {"WRAP", 6, 12,
       "The quick brown fox jumps over the lazy dog and keeps running through the forest until "
       "it reaches the river where it stops to drink.%/Second part after a break.%/" +
           long_word + " end.",
       lines({
           "",
           " *** WARNING  ERROR 12 from WRAP.  The quick brown fox jumps over the lazy",
           " ***          dog and keeps running through the forest until it reaches the ",
           " ***          river where it stops to drink.",
           " ***          Second part after a break.",
           " ***          Averyveryveryveryveryveryveryveryveryveryveryveryverylongwordtha",
           " ***          texceedssixtyfourcharacters end.",
       })},
      // " 3 from NOBLANK.  " leaves 38 columns; the blank in column 1 does
      // not count, so the first line is cut at 38 and goes on at once.
      {"NOBLANK", 5, 3, " " + std::string(50, 'x') + "  tail",
       lines({
           "",
           " *** TERMINAL ERROR 3 from NOBLANK.   " + std::string(37, 'x'),
           " ***          " + std::string(13, 'x') + "  tail",
       })},
      // Breaking at a blank skips one more blank after it, on the first
      // line and on continuation lines alike.
      {"NOBLANK", 5, 3, std::string(36, 'x') + "   " + std::string(60, 'y') + "  w  zz",
       lines({
           "",
           " *** TERMINAL ERROR 3 from NOBLANK.  " + std::string(36, 'x') + " ",
           " ***          " + std::string(60, 'y') + "  w ",
           " ***          zz",
       })},
      // " 1 from USER" with a message of its own ".  " leaves 47 columns, and
      // a message of exactly 47 fits.
      {"USER", 5, 1, ".  The argument passed to N1RTY must be 0 or 1.",
       lines(
           {"", " *** TERMINAL ERROR 1 from USER.  The argument passed to N1RTY must be 0 or 1."})},
  };
  for (const auto& c : cases) {
    reset_error_facility_for_testing();
    clear_printed();
    if (std::string(c.routine) != "USER") E1PSH(c.routine);
    E1MES(c.type, c.code, c.message);
    EXPECT_EQ(printed(), c.printed) << c.message;
  }
}

TEST_F(ErrorFacility, PopFromTheApplicationLevelEndsTheRun) {
  EXPECT_EQ(printed_by_ending_call([] { E1POP("DGAMDF"); }),
            lines({
                "",
                " *** TERMINAL ERROR 1 from E1POP.  Error condition in E1POP.  Cannot pop",
                " ***          from DGAMDF because stack is empty.",
            }));
}

TEST_F(ErrorFacility, PopWithAnotherNameEndsTheRun) {
  E1PSH("DGAMDF");
  E1PSH("DLNGAM");
  EXPECT_EQ(
      printed_by_ending_call([] { E1POP("DGAMMA"); }),
      lines({
          "",
          " *** TERMINAL ERROR 2 from DLNGAM.  Error condition in E1POP.  DGAMMA does",
          " ***          not match the name DLNGAM in the stack.",
      }) + kTracebackHeading +
          lines({
              "     DLNGAM                               5           2    (Called internally)",
              "     DGAMDF                               0           0",
              "     USER                                 0           0",
          }));
}

TEST_F(ErrorFacility, PushBeyondFiftyLevelsEndsTheRun) {
  for (int level = 2; level <= kErrorStackDepth; ++level)
    E1PSH(std::string("R") + std::to_string(level));
  EXPECT_EQ(error_stack_level(), 50);
  // The message comes from the routine on top, level 50, with one
  // traceback row per level.
  std::string expected =
      lines({
          "",
          " *** TERMINAL ERROR 1 from R50.  Error condition in E1PSH.  Push would",
          " ***          cause stack level to exceed 50.",
      }) +
      kTracebackHeading +
      "     R50                                  5           1    (Called "
      "internally)\n";
  for (int level = 49; level >= 3; --level) {
    const std::string name = std::string("R") + std::to_string(level);
    expected += std::string(5, ' ') + name + std::string(32 - name.size(), ' ') +
                "     0           0    (Called internally)\n";
  }
  expected += "     R2                                   0           0\n";
  expected += "     USER                                 0           0\n";
  EXPECT_EQ(printed_by_ending_call([] { E1PSH("R51"); }), expected);
}

TEST_F(ErrorFacility, LevelQueriesOnlyTakeZeroOrOne) {
  EXPECT_EQ(printed_by_ending_call([] { N1RTY(2); }),
            lines({"",
                   " *** TERMINAL ERROR 1 from USER.  The argument passed to N1RTY must be 0 "
                   "or 1."}));
  E1PSH("ROUTA");
  EXPECT_EQ(printed_by_ending_call([] { N1RCD(-1); }),
            lines({
                "",
                " *** TERMINAL ERROR 1 from ROUTA.  The argument passed to N1RCD must be 0 or",
                " ***          1.",
            }));
}

}  // namespace
}  // namespace raincorr
