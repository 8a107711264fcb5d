// Whole runs of the raincorr executable on a small hand-made pair of input
// files, one run per correction method. Every expected line below is worked
// out by hand from the rules (the gamma probabilities and quantiles with
// mpmath at 40 digits), never taken from the program's own output.
//
// The fixture: January and February (DOY 1..59) of 1983 and of the leap
// year 1984, threshold 0.5 mm.
//   observed wet days: 1983 Jan 3 10.0, Jan 10 20.0, Feb 2 2.0;
//                      1984 Jan 5 5.0, Jan 20 25.0, Feb 10 4.0, Feb 29 6.0;
//                      dry but not zero: 1983 Jan 20 0.5, Feb 20 0.4.
//   GCM wet days:      1983 Jan 2 2.0, Jan 15 1.0, Jan 31 6.0, Feb 14 0.5,
//                      Feb 28 3.0; 1984 Jan 7 3.0, Jan 8 4.0, Feb 3 0.5,
//                      Feb 29 2.0.
//   Outside the window (must never show up): 1 March of both years, the
//   days before 1983 and after 1984.
// January has 62 observed days, 4 of them wet, so posit(1) = 58; February
// has 57 days, 3 wet, posit(2) = 54.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/support.h"

namespace raincorr {
namespace {

using testing::lines;
using testing::list_files;
using testing::read_file;
using testing::ScratchDir;
using testing::write_file;

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// Rainfall of one day by (year, day of year); days not listed are dry.
using Rain = std::map<std::pair<int, int>, double>;

std::string observed_file(const Rain& rain) {
  std::string s = "*WEATHER DATA : test station\n\n@  DATE  SRAD  TMAX  TMIN  RAIN\n";
  for (int y = 1982; y <= 1985; ++y) {
    const int days = y == 1985 ? 3 : (leap(y) ? 366 : 365);
    for (int d = (y == 1982 ? 364 : 1); d <= days; ++d) {
      auto it = rain.find({y, d});
      char line[64];
      std::snprintf(line, sizeof line, "%04d%03d  20.0  25.0  14.0%6.1f\n", y, d,
                    it == rain.end() ? 0.0 : it->second);
      s += line;
    }
  }
  return s;
}

// The GCM file in the cleaned day-month-year layout, 1982-12-31 .. 1985-01-01.
std::string gcm_file(const Rain& rain) {
  static const int kLength[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::string s = "GCM test series\nprecipitation mm/day\n";
  auto add = [&](int y, int m, int day, int doy) {
    auto it = rain.find({y, doy});
    char line[64];
    std::snprintf(line, sizeof line, "%2d %s %4d%15.2f\n", day, kMonths[m], y,
                  it == rain.end() ? 0.0 : it->second);
    s += line;
  };
  add(1982, 11, 31, 365);
  for (int y = 1983; y <= 1984; ++y) {
    int doy = 0;
    for (int m = 0; m < 12; ++m)
      for (int d = 1; d <= kLength[m] + (m == 1 && leap(y)); ++d) add(y, m, d, ++doy);
  }
  add(1985, 0, 1, 1);
  return s;
}

const Rain kObserved = {
    {{1983, 3}, 10.0}, {{1983, 10}, 20.0}, {{1983, 20}, 0.5},  {{1983, 33}, 2.0},
    {{1983, 51}, 0.4}, {{1983, 60}, 50.0}, {{1984, 5}, 5.0},   {{1984, 20}, 25.0},
    {{1984, 41}, 4.0}, {{1984, 60}, 6.0},  {{1984, 61}, 50.0}, {{1982, 364}, 30.0},
    {{1985, 1}, 30.0},
};
const Rain kGcm = {
    {{1983, 2}, 2.0},  {{1983, 15}, 1.0},  {{1983, 31}, 6.0}, {{1983, 45}, 0.5}, {{1983, 59}, 3.0},
    {{1983, 60}, 9.0}, {{1984, 7}, 3.0},   {{1984, 8}, 4.0},  {{1984, 34}, 0.5}, {{1984, 60}, 2.0},
    {{1984, 61}, 9.0}, {{1982, 365}, 7.0}, {{1985, 1}, 7.0},
};

// The days of the window in file order: 1983 lines 1..59, 1984 lines 1..60.
std::vector<std::pair<int, int>> window_days() {
  std::vector<std::pair<int, int>> days;
  for (int d = 1; d <= 59; ++d) days.push_back({1983, d});
  for (int d = 1; d <= 60; ++d) days.push_back({1984, d});
  return days;
}

std::string fmt(const char* format, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

// What the correction gives a wet day: corrected value, p, K, R.
struct Corrected {
  double value;
  double p;
  int k, r;
};

// The two output files of the correction: every day of the window is zero
// except those in `wet`; detail records carry the observed gamma parameters
// and the GCM no-precipitation value of the day's month.
std::pair<std::string, std::string> expected_outputs(
    const std::map<std::pair<int, int>, Corrected>& wet, bool detail) {
  std::string series, details;
  for (auto [y, d] : window_days()) {
    auto it = wet.find({y, d});
    const Corrected c = it == wet.end() ? Corrected{0.0, 0.0, 0, 0} : it->second;
    series += fmt("%6.2f", c.value) + "\n";
    if (!detail) continue;
    const bool january = d <= 31;
    char line[80];
    std::snprintf(line, sizeof line, "%4d %3d %6.2f%8.4f%4d%4d%s\n", y, d, c.value, c.p, c.k, c.r,
                  january ? "  2.7000  5.5556  1.0000" : "  4.0000  1.0000  0.5000");
    details += line;
  }
  return {series, details};
}

std::string console_start(int method) {
  std::vector<std::string> l = {
      "Extracting data from obs.wtd please wait...",
      "Data extracted:   119",
      "Preparing daily GCM data from gcm.txt please wait... ",
      "Data extracted:   733",
      "Extracting data from gcm.t_.wtd_ please wait...",
      "Data extracted:   119",
      "Grouping data from obs.w.pcp into monthly class...",
      "Grouping data from gcm.t.pcp into monthly class...",
      "",
      "<<<Analyzing classified historical data...>>>",
      "Sorting arrays....please wait",
      "Truncating monthly group arrays of historical data at...",
      "posit( 1)=   58",
      "posit( 2)=   54",
      "",
      "Calculating statistics...",
      "Measures of central tendency...",
  };
  // Methods 0 and 1 average the wet days; method 2 spreads them over all
  // days of the month (Jan 60/62, Feb 12/57), squares still over wet days.
  const std::vector<std::string> stats = method == 2
                                             ? std::vector<std::string>{"mean( 1)=     0.968",
                                                                        "mean( 2)=     0.211",
                                                                        "",
                                                                        "Measures of dispersion...",
                                                                        "variance( 1)=    17.010",
                                                                        "variance( 2)=     0.912",
                                                                        "",
                                                                        "Gamma parameters...",
                                                                        "alpha( 1)=     0.055",
                                                                        "beta ( 1)=    17.577",
                                                                        "alpha( 2)=     0.049",
                                                                        "beta ( 2)=     4.333"}
                                             : std::vector<std::string>{"mean( 1)=    15.000",
                                                                        "mean( 2)=     4.000",
                                                                        "",
                                                                        "Measures of dispersion...",
                                                                        "variance( 1)=    83.333",
                                                                        "variance( 2)=     4.000",
                                                                        "",
                                                                        "Gamma parameters...",
                                                                        "alpha( 1)=     2.700",
                                                                        "beta ( 1)=     5.556",
                                                                        "alpha( 2)=     4.000",
                                                                        "beta ( 2)=     1.000"};
  l.insert(l.end(), stats.begin(), stats.end());
  l.push_back("");
  l.push_back("<<<Analyzing classified GCM data...>>>");
  l.push_back("Sorting arrays....please wait");
  l.push_back("Truncating monthly group arrays of daily GCM data at...");
  return lines(l);
}

// GCM truncation for methods 0 and 1: January's cut (row 58, value 1.0) has
// no tie; February's cut (row 54, 0.5) is tied once with row 55 (case 2).
const char* const kGcmTruncation =
    "posit( 1)=   58\n"
    "posit( 2)=   54\n"
    " \n"
    "Determining which case...\n"
    "case( 1)=    0\ncase( 2)=    2\ncase( 3)=    0\ncase( 4)=    0\n"
    "case( 5)=    0\ncase( 6)=    0\ncase( 7)=    0\ncase( 8)=    0\n"
    "case( 9)=    0\ncase(10)=    0\ncase(11)=    0\ncase(12)=    0\n"
    " \n"
    "Refill or Not???...\n"
    "countfill( 1)=    0\ncountfill( 2)=    1\ncountfill( 3)=    0\ncountfill( 4)=    0\n"
    "countfill( 5)=    0\ncountfill( 6)=    0\ncountfill( 7)=    0\ncountfill( 8)=    0\n"
    "countfill( 9)=    0\ncountfill(10)=    0\ncountfill(11)=    0\ncountfill(12)=    0\n"
    " \n"
    "Data to allocate..\n"
    "data2alloc( 1)=    0\ndata2alloc( 2)=    0\ndata2alloc( 3)=    0\ndata2alloc( 4)=    0\n"
    "data2alloc( 5)=    0\ndata2alloc( 6)=    0\ndata2alloc( 7)=    0\ndata2alloc( 8)=    0\n"
    "data2alloc( 9)=    0\ndata2alloc(10)=    0\ndata2alloc(11)=    0\ndata2alloc(12)=    0\n";

// GCM wet values after the cut: January 2, 3, 4, 6; February 0.5, 2, 3.
const char* const kGcmStats =
    "\n"
    "Calculating statistics...\n"
    "Measures of central tendency...\n"
    "mean( 1)=     3.750\n"
    "mean( 2)=     1.833\n"
    "\n"
    "Measures of dispersion...\n"
    "variance( 1)=     2.917\n"
    "variance( 2)=     1.583\n"
    "\n"
    "Gamma parameters...\n"
    "alpha( 1)=     4.821\n"
    "beta ( 1)=     0.778\n"
    "alpha( 2)=     2.123\n"
    "beta ( 2)=     0.864\n";

const char* const kCorrectionHead =
    "  \n"
    "Size of data in each month:\n"
    "counter(  1)=  62\n"
    "counter(  2)=  57\n"
    "  \n";

struct Result {
  testing::ToolRun run;
  std::set<std::string> files;
  std::string cd, c;
};

Result run_fixture(int method) {
  ScratchDir dir;
  write_file("obs.wtd", observed_file(kObserved));
  write_file("gcm.txt", gcm_file(kGcm));
  Result r;
  r.run = testing::run_tool(
      {"obs.wtd", "gcm.txt", "1983", "1985", "1", "59", "0.5", std::to_string(method), "1"},
      dir.path());
  r.files = list_files(dir.path());
  r.cd = read_file("gcm.t_cd.pcp");
  r.c = read_file("gcm.t_c.pcp");
  EXPECT_EQ(read_file("obs.wtd"), observed_file(kObserved)) << "input modified";
  EXPECT_EQ(read_file("gcm.txt"), gcm_file(kGcm)) << "input modified";
  return r;
}

const std::set<std::string> kFilesLeft = {
    "obs.wtd",      "gcm.txt",      "obs.w.pkp",    "gcm.t.pcp",    "gcm.t.pkp",   "obs.w_1s.txt",
    "obs.w_2s.txt", "gcm.t_1s.txt", "gcm.t_2s.txt", "gcm.t_cd.pcp", "gcm.t_c.pcp",
};

// Methods 0 and 1 share the fixture's statistics and tie handling and
// differ in the probability of a wet day.
TEST(WholeRun, QuantileMappingMethods) {
  struct Case {
    int method;
    std::map<std::pair<int, int>, Corrected> wet;
    const char* banner;
  };
  const Case cases[] = {
      // January: DGAMDF(x / 0.7778, 4.8214) then DGAMIN(p, 2.7) * 5.5556;
      // February: DGAMDF(x / 0.8636, 2.1228) then DGAMIN(p, 4) * 1. The 1.0
      // of January and the 0.5 ties of February (countfill 1) are zeroed.
      {0,
       {{{1983, 2}, {6.00, 0.1378, 0, 0}},
        {{1983, 31}, {27.02, 0.8972, 0, 0}},
        {{1983, 59}, {5.93, 0.8420, 0, 0}},
        {{1984, 7}, {10.69, 0.3755, 0, 0}},
        {{1984, 8}, {15.85, 0.6160, 0, 0}},
        {{1984, 60}, {4.40, 0.6398, 0, 0}}},
       "<<<using gamma to gamma transformation>>>\n"},
      // Ranks among the wet values after the cut: January 2, 3, 4, 6 -> 1/4
      // .. 4/4 (the last becomes 0.999); February 2, 3 -> 2/3, 3/3.
      {1,
       {{{1983, 2}, {8.29, 0.25, 59, 1}},
        {{1983, 31}, {59.17, 0.999, 62, 4}},
        {{1983, 59}, {13.06, 0.999, 57, 3}},
        {{1984, 7}, {13.19, 0.5, 60, 2}},
        {{1984, 8}, {19.76, 0.75, 61, 3}},
        {{1984, 60}, {4.55, 2.0 / 3.0, 56, 2}}},
       "<<<using emperical to gamma transformation>>>\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("method " + std::to_string(c.method));
    const Result r = run_fixture(c.method);
    const auto [cd, detail] = expected_outputs(c.wet, true);
    EXPECT_EQ(r.run.err, "");
    EXPECT_EQ(r.run.out, console_start(c.method) + kGcmTruncation + kGcmStats + kCorrectionHead +
                             "no_ppt(  1)=  1.000\n"
                             "no_ppt(  2)=  0.500\n"
                             "\n"
                             "Performing bias correction of daily non-zero GCM outputs...\n" +
                             c.banner + "\n---D O N E---\n");
    EXPECT_EQ(r.run.status, 0);
    EXPECT_EQ(r.cd, cd);
    EXPECT_EQ(r.c, detail);
    EXPECT_EQ(r.files, kFilesLeft);
  }
}

TEST(WholeRun, MultiplicativeAdjustment) {
  const Result r = run_fixture(2);
  // posit counts the GCM zeros: 57 in January (the last row is never looked
  // at, but it holds 6.0), 53 in February. Ratios of the means: January
  // (60/62) / (16/62) = 3.75, February (12/57) / (6/57) = 2.
  const auto [cd, c] = expected_outputs({{{1983, 2}, {7.50, 0, 0, 0}},
                                         {{1983, 15}, {3.75, 0, 0, 0}},
                                         {{1983, 31}, {22.50, 0, 0, 0}},
                                         {{1983, 45}, {1.00, 0, 0, 0}},
                                         {{1983, 59}, {6.00, 0, 0, 0}},
                                         {{1984, 7}, {11.25, 0, 0, 0}},
                                         {{1984, 8}, {15.00, 0, 0, 0}},
                                         {{1984, 34}, {1.00, 0, 0, 0}},
                                         {{1984, 60}, {4.00, 0, 0, 0}}},
                                        false);
  EXPECT_EQ(r.run.err, "");
  EXPECT_EQ(
      r.run.out,
      console_start(2) +
          "posit( 1)=   57\n"
          "posit( 2)=   53\n"
          " \n"
          "Determining which case...\n"
          "case( 1)=    0\ncase( 2)=    0\ncase( 3)=    0\ncase( 4)=    0\n"
          "case( 5)=    0\ncase( 6)=    0\ncase( 7)=    0\ncase( 8)=    0\n"
          "case( 9)=    0\ncase(10)=    0\ncase(11)=    0\ncase(12)=    0\n"
          " \n"
          "Refill or Not???...\n"
          "countfill( 1)=    0\ncountfill( 2)=    0\ncountfill( 3)=    0\ncountfill( 4)=    0\n"
          "countfill( 5)=    0\ncountfill( 6)=    0\ncountfill( 7)=    0\ncountfill( 8)=    0\n"
          "countfill( 9)=    0\ncountfill(10)=    0\ncountfill(11)=    0\ncountfill(12)=    0\n"
          " \n"
          "Data to allocate..\n"
          "data2alloc( 1)=    0\ndata2alloc( 2)=    0\ndata2alloc( 3)=    0\n"
          "data2alloc( 4)=    0\ndata2alloc( 5)=    0\ndata2alloc( 6)=    0\n"
          "data2alloc( 7)=    0\ndata2alloc( 8)=    0\ndata2alloc( 9)=    0\n"
          "data2alloc(10)=    0\ndata2alloc(11)=    0\ndata2alloc(12)=    0\n"
          "\n"
          "Calculating statistics...\n"
          "Measures of central tendency...\n"
          "mean( 1)=     0.258\n"
          "mean( 2)=     0.105\n"
          "\n"
          "Measures of dispersion...\n"
          "variance( 1)=     0.952\n"
          "variance( 2)=     0.219\n"
          "\n"
          "Gamma parameters...\n"
          "alpha( 1)=     0.070\n"
          "beta ( 1)=     3.689\n"
          "alpha( 2)=     0.051\n"
          "beta ( 2)=     2.083\n" +
          kCorrectionHead +
          "\n"
          "Performing bias correction of daily non-zero GCM outputs...\n"
          "<<<using multiplicative adjustment>>>\n"
          "\n"
          "---D O N E---\n");
  EXPECT_EQ(r.run.status, 0);
  EXPECT_EQ(r.cd, cd);
  EXPECT_EQ(r.c, "");  // no detail records under the multiplicative method
  EXPECT_EQ(r.files, kFilesLeft);
}

TEST(WholeRun, SeriesFilesKeptAfterTheRun) {
  ScratchDir dir;
  write_file("obs.wtd", observed_file(kObserved));
  write_file("gcm.txt", gcm_file(kGcm));
  const auto run = testing::run_tool(
      {"obs.wtd", "gcm.txt", "1983", "1985", "1", "59", "0.5", "0", "0"}, dir.path());
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  std::string pcp, gcm_pkp, obs_pkp;
  for (auto [y, d] : window_days()) {
    auto g = kGcm.find({y, d});
    auto o = kObserved.find({y, d});
    const std::string gv = fmt("%5.1f", g == kGcm.end() ? 0.0 : g->second);
    char code[16];
    std::snprintf(code, sizeof code, "%04d%03d", y, d);
    pcp += std::string(" ") + code + " " + gv + "\n";
    gcm_pkp += gv + "\n";
    obs_pkp += fmt("%5.1f", o == kObserved.end() ? 0.0 : o->second) + "\n";
  }
  EXPECT_EQ(read_file("gcm.t.pcp"), pcp);
  EXPECT_EQ(read_file("gcm.t.pkp"), gcm_pkp);
  EXPECT_EQ(read_file("obs.w.pkp"), obs_pkp);
  for (const char* empty : {"obs.w_1s.txt", "obs.w_2s.txt", "gcm.t_1s.txt", "gcm.t_2s.txt"})
    EXPECT_EQ(read_file(empty), "") << empty;
}

// A month of very small observed shape: 28 wet days of 1.0 mm and one of
// 55.6 mm give alpha = 2.88276^2 / 102.79862 = 0.08084. Under method 1 the
// GCM day ranked first of 29 asks DGAMIN(1/29, 0.08084), which with the
// formulas evaluated as written runs out of its 100 refinement passes: the
// FATAL error ends the run at that day, after the two days before it. (With
// the start point grouped ((a*w)*w)*w and the series step term*(x/b) the
// same call converged, and the run went on.)
TEST(WholeRun, SmallShapeEndsInTheInverseGammasFatalError) {
  ScratchDir dir;
  Rain obs;
  for (int d = 3; d <= 30; ++d) obs[{1983, d}] = 1.0;
  obs[{1983, 31}] = 55.6;
  Rain gcm;
  for (int d = 1; d <= 31; ++d) gcm[{1983, d}] = d;  // cut at row 2: no_ppt 2.0
  write_file("obs83.wtd", observed_file(obs));
  write_file("gcm83.txt", gcm_file(gcm));
  const auto r = testing::run_tool(
      {"obs83.wtd", "gcm83.txt", "1983", "1984", "1", "31", "0.5", "1", "1"}, dir.path());
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  const std::string tail =
      "<<<using emperical to gamma transformation>>>\n"
      "\n"
      " *** FATAL    ERROR 1 from DGAMIN.  Over 100 iterations have occurred\n"
      " ***          without convergence.  Convergence is assumed.\n";
  ASSERT_GE(r.out.size(), tail.size()) << r.out;
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
  EXPECT_NE(r.out.find("alpha( 1)=     0.081\nbeta ( 1)=    35.660\n"), std::string::npos) << r.out;
  // Days 1 and 2 lie at or below the cut: dry, written before the stop.
  EXPECT_EQ(read_file("gcm83_cd.pcp"), "  0.00\n  0.00\n");
  EXPECT_EQ(read_file("gcm83_c.pcp"),
            "1983   1   0.00  0.0000   0   0  0.0808 35.6598  2.0000\n"
            "1983   2   0.00  0.0000   0   0  0.0808 35.6598  2.0000\n");
}

}  // namespace
}  // namespace raincorr
