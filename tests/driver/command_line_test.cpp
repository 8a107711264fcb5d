#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/support.h"
#include "textio/run_stop.h"

namespace raincorr {
namespace {

const char* const kUsage =
    " ERROR in the command line:\n"
    " USAGE: <Command> <file1> <file2> <param1> <param2> <param3> <param4> param<7> <param5> "
    "<param6>\n"
    " <file1>: Weather file in WTD format (4-digit year)\n"
    " <file2>: GCM data, OSTREL data library free format\n"
    " <param1>: year1 - starting year of analysis, 4-digit code, e.g. 1970\n"
    " <param2>: year2 - ending year (+ 1), e.g. 1999 if you want 1998 for analysis\n"
    " <param3>: DOY1 - start of Month1, non-leap year\n"
    " <param4>: DOY2 - end of Month2, non-leap year\n"
    " <param7>: thresh - rainfall threshold (mm)\n"
    " <param5>: emp_gamma(=0,gamma-gamma),(=1,emperical-gammma),(=2,mult. adjustment)\n"
    " <param6>: formt(=0,raw daily GCM OSTREL free format),(=1,cleaned dd-mm-yr-data)\n";

RunStop stop_of(const std::vector<std::string>& args) {
  try {
    decode_command_line(args);
  } catch (const RunStop& s) {
    return s;
  }
  ADD_FAILURE() << "the command line was accepted";
  return {};
}

TEST(DecodeCommandLine, DecodesPositionsAndDefaults) {
  const RunParams p =
      decode_command_line({"stobs.wtd", "gcmdata.txt", "1981", "1991", "1", "365", "1"});
  EXPECT_EQ(p.file1, std::string("stobs.wtd") + std::string(23, ' '));
  EXPECT_EQ(p.file2.size(), 32u);
  EXPECT_EQ(p.year1_text, std::string("1981") + std::string(28, ' '));
  EXPECT_EQ(p.year1, 1981);
  EXPECT_EQ(p.year2, 1991);
  EXPECT_EQ(p.years(), 10);
  EXPECT_EQ(p.DOY1, 1);
  EXPECT_EQ(p.DOY2, 365);
  EXPECT_EQ(p.thresh, 1.0);  // an integer text reads as a real
  EXPECT_EQ(p.emp_gamma, 0);
  EXPECT_EQ(p.formt, 0);

  const RunParams q = decode_command_line(
      {"a.wtd", "g.txt", "1981", "1991", "305", "59", "0.5", "", "1", "ignored", "x"});
  EXPECT_EQ(q.thresh, 0.5);
  EXPECT_EQ(q.emp_gamma, 0);  // empty argument 8 defaults to 0
  EXPECT_EQ(q.formt, 1);

  const RunParams r =
      decode_command_line({"a.wtd", "g.txt", "1981", "1991", "1", "31", "0.1", "-1", " 2 "});
  EXPECT_EQ(r.emp_gamma, -1);  // below 0 is handed on
  EXPECT_EQ(r.formt, 2);
}

TEST(DecodeCommandLine, LongNamesAreCutTo32Characters) {
  const std::string long_name(40, 'n');
  const RunParams p = decode_command_line({"obs.wtd", long_name, "1981", "1982", "1", "2", "0"});
  EXPECT_EQ(p.file2, std::string(32, 'n'));
}

TEST(DecodeCommandLine, MissingArgumentShowsUsage) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"a.wtd"},
      {"a.wtd", "g.txt", "1981", "1991", "1"},
      {"a.wtd", "g.txt", "1981", "   ", "1", "31", "0"},  // blanks only count as empty
      {"", "g.txt", "1981", "1991", "1", "31", "0"},
  };
  for (const auto& args : cases) {
    const RunStop s = stop_of(args);
    EXPECT_EQ(s.message, kUsage) << args.size() << " arguments";
    EXPECT_EQ(s.status, 1);
    EXPECT_FALSE(s.to_stderr);
  }
}

TEST(DecodeCommandLine, ReadFailuresEndWithStatus2) {
  struct Case {
    std::vector<std::string> args;
    const char* needle;  // part of the message
  };
  const Case cases[] = {
      // Six arguments: the threshold is missing, the values shift and run out.
      {{"a.wtd", "g.txt", "1981", "1991", "1", "31"}, "ends before formt"},
      {{"a.wtd", "g.txt", "1981", "1991", "1", "31", " ", "2", "1"}, "ends before formt"},
      {{"a.wtd", "g.txt", "1981.5", "1991", "1", "31", "0"}, "\"1981.5\""},
      {{"a.wtd", "g.txt", "1981", "1991", "1", "31", "abc"}, "thresh"},
      {{"a.wtd", "g.txt", "1981", "1991", "1", "31", "0", "1.0"}, "emp_gamma"},
  };
  for (const auto& c : cases) {
    const RunStop s = stop_of(c.args);
    EXPECT_EQ(s.status, 2) << s.message;
    EXPECT_TRUE(s.to_stderr);
    EXPECT_NE(s.message.find(c.needle), std::string::npos) << s.message;
  }
}

TEST(DecodeCommandLine, RefusesBadMethodWindowAndNames) {
  struct Case {
    std::vector<std::string> args;
    const char* message;  // whole message, or a part of it for our own wording
    bool to_stderr;
  };
  const Case cases[] = {
      {{"a.wtd", "g.txt", "1981", "1991", "1", "31", "0", "3"},
       "Bias correction method not selected...\n",
       false},
      {{"a.wtd", "g.txt", "1981", "1991", "0", "31", "0"}, "DOY1 = 0, DOY2 = 31", true},
      {{"a.wtd", "g.txt", "1981", "1991", "1", "366", "0"}, "DOY1 = 1, DOY2 = 366", true},
      {{"stobs.wtd", "stobs.gcm", "1981", "1991", "1", "31", "0"}, "stem \"stobs\"", true},
      {{"stobs.pcp", "g.txt", "1981", "1991", "1", "31", "0"}, "\"stobs.pcp\"", true},
      {{"ab_.wtd_", "ab", "1981", "1991", "1", "31", "0"}, "\"ab_.wtd_\"", true},
      // The clean-up of the observed dated file "a_y.pcp" would delete the
      // GCM series file of stem "a_y"; the detail file "a_c.pcp" of stem
      // "a" would be deleted as the observed series of stem "a_c".
      {{"a", "a_y", "1981", "1991", "1", "31", "0"}, "would both use the file \"a_y.pcp\"", true},
      {{"a_c", "a", "1981", "1991", "1", "31", "0"}, "would both use the file \"a_c.pcp\"", true},
      {{"../obs.wtd", "gcm.txt", "1981", "1991", "1", "31", "0"}, "\"../ob\"", true},
      {{"obs.wtd", "/tmp/gcm.txt", "1981", "1991", "1", "31", "0"}, "\"/tmp/\"", true},
  };
  for (const auto& c : cases) {
    const RunStop s = stop_of(c.args);
    EXPECT_EQ(s.status, 1) << s.message;
    EXPECT_EQ(s.to_stderr, c.to_stderr) << s.message;
    if (c.to_stderr)
      EXPECT_NE(s.message.find(c.message), std::string::npos) << s.message;
    else
      EXPECT_EQ(s.message, c.message);
  }
}

// --help, -h and --version, each as the only argument, print and exit 0;
// anything else is a run and keeps its usage text and status 1.
TEST(CommandLine, HelpAndVersionThroughTheExecutable) {
  const std::string help =
      std::string(kUsage).substr(std::string(" ERROR in the command line:\n").size());
  const std::string version = "raincorr " RAINCORR_PROJECT_VERSION "\n";
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
  };
  const Case cases[] = {
      {{"--help"}, 0, help},
      {{"-h"}, 0, help},
      {{"--version"}, 0, version},
      {{"--help", "extra"}, 1, kUsage},
      {{"--version", "g.txt", "1981", "1991"}, 1, kUsage},
      {{"-help"}, 1, kUsage},
      {{}, 1, kUsage},
  };
  for (const auto& c : cases) {
    testing::ScratchDir dir;
    const testing::ToolRun r = testing::run_tool(c.args, dir.path());
    const std::string label = c.args.empty() ? "(no arguments)" : c.args[0];
    EXPECT_EQ(r.status, c.status) << label;
    EXPECT_EQ(r.out, c.out) << label;
    EXPECT_EQ(r.err, "") << label;
    EXPECT_TRUE(testing::list_files(dir.path()).empty()) << label;
  }
}

}  // namespace
}  // namespace raincorr
