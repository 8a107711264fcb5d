#include "correction/correct.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "monthly/truncate.h"
#include "specfun/errors.h"
#include "tests/support/support.h"
#include "textio/fields.h"
#include "textio/run_stop.h"

// Expected values: corrected rainfall and probabilities come from the gamma
// distribution with unit scale, evaluated at 40 digits (mpmath) from the
// rules; e.g. shape 1 gives P(x) = 1 - exp(-x) and the quantile -ln(1 - p).

namespace raincorr {
namespace {

using testing::lines;
using testing::read_file;
using testing::ScratchDir;
using testing::write_file;

struct Fixture {
  std::array<std::vector<double>, 12> values;  // rows 1.. of each GCM month
  MonthInts posit{};
  MonthStats obs;
  MonthStats gcm;
  TieInfo ties;
  int emp_gamma = 0;
  int years = 30;
};

struct Outcome {
  std::string console;
  std::string detail;
  std::string series;
  std::optional<RunStop> stop;  // how the run ended, when it did not return
};

// The gamma routines print on the stage's console, as they do in the tool,
// and a run they end leaves the error facility as the next test needs it.
class FacilityOnConsole {
 public:
  explicit FacilityOnConsole(std::ostream& console) {
    reset_error_facility_for_testing();
    set_error_console(console);
  }
  ~FacilityOnConsole() {
    reset_error_facility_for_testing();
    set_error_console(std::cout);
  }
  FacilityOnConsole(const FacilityOnConsole&) = delete;
  FacilityOnConsole& operator=(const FacilityOnConsole&) = delete;
};

// Runs the correction in the current folder on the dated rainfall `dated`
// of the GCM file "gcmfile.txt" (stem "gcmfi").
Outcome run(const Fixture& s, const std::string& dated) {
  MonthInts month_size{};
  std::size_t rows = 0;
  for (std::size_t m = 0; m < 12; ++m) {
    month_size[m] = static_cast<std::int32_t>(s.values[m].size());
    rows = std::max(rows, s.values[m].size());
  }
  MonthData data(rows);
  for (int m = 1; m <= 12; ++m) {
    const auto& v = s.values[static_cast<std::size_t>(m - 1)];
    for (std::size_t i = 0; i < v.size(); ++i) data.at(i + 1, m) = v[i];
  }
  write_file("gcmfi_y.pcp", dated);
  std::ostringstream console;
  std::optional<RunStop> stop;
  {
    FacilityOnConsole facility(console);
    try {
      CORRECT_GCM2(text_field("gcmfile.txt", kTextWidth), data, month_size, s.obs, s.gcm, s.posit,
                   s.emp_gamma, s.ties, s.years, console);
    } catch (const RunStop& e) {
      stop = e;
    }
  }
  return {console.str(), read_file("gcmfi_c.pcp"), read_file("gcmfi_cd.pcp"), stop};
}

// A detail record laid out column by column: year 1-4, day 6-8, corrected
// 10-15, p 16-23, K 24-27, R 28-31, then `tail` (obs alpha, obs beta and
// no_ppt, eight columns each).
std::string detail(int year, int doy, const char* corrected, const char* p, int k, int r,
                   const char* tail) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%4d %3d %6s%8s%4d%4d%s", year, doy, corrected, p, k, r, tail);
  return buf;
}

std::string header(const std::vector<std::string>& counters, const std::vector<std::string>& no_ppt,
                   const char* banner) {
  std::vector<std::string> out = {"  ", "Size of data in each month:"};
  out.insert(out.end(), counters.begin(), counters.end());
  out.push_back("  ");
  out.insert(out.end(), no_ppt.begin(), no_ppt.end());
  out.push_back("");
  out.push_back("Performing bias correction of daily non-zero GCM outputs...");
  if (banner) out.push_back(banner);
  return lines(out);
}

// Month 1: gamma 1 x 10 to gamma 1 x 5, so a GCM day of x mm has
// p = 1 - exp(-x/10) and becomes 5 * x/10. Month 2: the observed fit is
// missing (shape 0). Month 3: the GCM fit is missing (scale 0).
Fixture gamma_setup() {
  Fixture s;
  s.values[0] = {0.0, 0.0, 3.0, 10.0, 20.0};
  s.values[1] = {0.0, 1.0, 2.0};
  s.values[2] = {0.4, 5.0};
  s.posit = {2, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  s.gcm.alpha = {1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  s.gcm.beta = {10, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  s.obs.alpha = {1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  s.obs.beta = {5, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  return s;
}

const char* const kGammaDays =
    "2001   1  10.0\n"
    "2001   2   0.0\n"
    "2001  32   2.0\n"
    "2001  60   5.0\n"
    "2001   3  20.0\n"
    "2001   4   0.0\n"
    "2001   5 2000.0\n";

TEST(CorrectGcm2, GammaToGamma) {
  ScratchDir dir;
  write_file("gcmfi_c.pcp", "old\nold\nold\nold\nold\nold\nold\nold\nold\n");
  const Outcome out = run(gamma_setup(), kGammaDays);
  EXPECT_EQ(out.console,
            header({"counter(  1)=   5", "counter(  2)=   3", "counter(  3)=   2"},
                   {"no_ppt(  1)=  0.000", "no_ppt(  2)=  0.000", "no_ppt(  3)=  0.400"},
                   "<<<using gamma to gamma transformation>>>"));
  const char* jan = "  1.0000  5.0000  0.0000";
  EXPECT_EQ(out.detail,
            lines({// p = 1 - exp(-1) = 0.63212, quantile 1, times 5
                   detail(2001, 1, "5.00", "0.6321", 0, 0, jan),
                   detail(2001, 2, "0.00", "0.0000", 0, 0, jan),
                   // p = 1 - exp(-2) is found, then the missing observed fit
                   // writes the day as zero and p is kept ...
                   detail(2001, 32, "0.00", "0.8647", 0, 0, "  0.0000  0.0000  0.0000"),
                   // ... for the next day, which the missing GCM fit zeroes
                   detail(2001, 60, "0.00", "0.8647", 0, 0, "  2.0000  3.0000  0.4000"),
                   detail(2001, 3, "10.00", "0.8647", 0, 0, jan),
                   detail(2001, 4, "0.00", "0.0000", 0, 0, jan),
                   // p = 1 - exp(-200) is 1 in double: replaced by the 4-byte
                   // 0.999, quantile -ln(1 - 0.99900001287) = 6.907768
                   detail(2001, 5, "34.54", "0.9990", 0, 0, jan)}));
  EXPECT_EQ(out.series,
            lines({"  5.00", "  0.00", "  0.00", "  0.00", " 10.00", "  0.00", " 34.54"}));
}

TEST(CorrectGcm2, MethodBelowZeroWritesEveryDayAsZero) {
  ScratchDir dir;
  Fixture s = gamma_setup();
  s.emp_gamma = -1;
  const Outcome out = run(s, kGammaDays);
  EXPECT_EQ(out.console,
            header({"counter(  1)=   5", "counter(  2)=   3", "counter(  3)=   2"},
                   {"no_ppt(  1)=  0.000", "no_ppt(  2)=  0.000", "no_ppt(  3)=  0.400"}, nullptr));
  const char* jan = "  1.0000  5.0000  0.0000";
  EXPECT_EQ(out.detail, lines({detail(2001, 1, "0.00", "0.0000", 0, 0, jan),
                               detail(2001, 2, "0.00", "0.0000", 0, 0, jan),
                               detail(2001, 32, "0.00", "0.0000", 0, 0, "  0.0000  0.0000  0.0000"),
                               detail(2001, 60, "0.00", "0.0000", 0, 0, "  2.0000  3.0000  0.4000"),
                               detail(2001, 3, "0.00", "0.0000", 0, 0, jan),
                               detail(2001, 4, "0.00", "0.0000", 0, 0, jan),
                               detail(2001, 5, "0.00", "0.0000", 0, 0, jan)}));
  EXPECT_EQ(out.series,
            lines({"  0.00", "  0.00", "  0.00", "  0.00", "  0.00", "  0.00", "  0.00"}));
}

TEST(CorrectGcm2, EmpiricalToGamma) {
  ScratchDir dir;
  Fixture s;
  s.emp_gamma = 1;
  // January: 600 dry rows, then 330 wet values k/10 (k = 1..330), except
  // that rows 766 and 767 repeat row 765 (16.5).
  auto& jan = s.values[0];
  jan.assign(600, 0.0);
  for (int k = 1; k <= 330; ++k) jan.push_back((k == 166 || k == 167 ? 165 : k) / 10.0);
  // February: zero ties refilled after the cut leave 0.05 behind larger
  // values, so the month is not sorted after the cut.
  s.values[1] = {0.0, 0.0, kRefill, kRefill, 0.05, 1.0, 2.0};
  s.values[2] = {0.0, 0.0, 4.0};  // March: one wet value
  s.values[3] = {0.0, 2.0, 6.0};  // April: no observed fit
  s.values[4] = {1.0, 3.0};       // May: no cut
  s.posit = {600, 2, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  s.ties.case_[1] = 1;
  s.ties.countfill[1] = 2;  // not more than 30 years: few-ties rule
  s.obs.alpha = {1, 2, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  s.obs.beta = {5, 10, 5, 0, 5, 0, 0, 0, 0, 0, 0, 0};
  const Outcome out = run(s,
                          "2001 1 16.5\n"
                          "2001 2 33.0\n"
                          "2001 3 16.55\n"
                          "2001 4 0.0\n"
                          "2001 32 0.0\n"
                          "2001 33 0.05\n"
                          "2001 60 4.0\n"
                          "2001 91 6.0\n"
                          "2001 61 4.0\n"
                          "2001 121 3.0\n");
  EXPECT_EQ(out.console, header({"counter(  1)= 930", "counter(  2)=   7", "counter(  3)=   3",
                                 "counter(  4)=   3", "counter(  5)=   2"},
                                {"no_ppt(  1)=  0.000", "no_ppt(  2)=  0.000",
                                 "no_ppt(  3)=  0.000", "no_ppt(  4)=  0.000"},
                                "<<<using emperical to gamma transformation>>>"));
  const char* a1b5 = "  1.0000  5.0000  0.0000";
  const char* a2b10 = "  2.0000 10.0000  0.0000";
  EXPECT_EQ(out.detail,
            lines({// first at row 765: rank 165 of 330, quantile ln 2 = 0.693147
                   detail(2001, 1, "3.47", "0.5000", 765, 165, a1b5),
                   // the largest value: p = 1 becomes 0.999
                   detail(2001, 2, "34.54", "0.9990", 930, 330, a1b5),
                   // not in the month: K runs past it, p and R stay 0
                   detail(2001, 3, "0.00", "0.0000", 931, 0, a1b5),
                   // a dry day keeps K of the day before
                   detail(2001, 4, "0.00", "0.0000", 931, 0, a1b5),
                   // retained zero tie: 0 + refill, first found in row 3
                   // (rank 1 of 5); gamma 2 quantile of 0.2 = 0.824388
                   detail(2001, 32, "8.24", "0.2000", 3, 1, a2b10),
                   // row 5, behind larger values: quantile of 0.6 = 2.022313
                   detail(2001, 33, "20.22", "0.6000", 5, 3, a2b10),
                   // one wet value: rank 0, p still 0 from the day before
                   detail(2001, 60, "0.00", "0.0000", 3, 0, a1b5),
                   // p = 2/2 = 1 -> 0.999, then the missing observed fit
                   detail(2001, 91, "0.00", "0.9990", 3, 2, "  0.0000  0.0000  0.0000"),
                   // one wet value again, but now p is 0.999 from that day
                   detail(2001, 61, "34.54", "0.9990", 3, 0, a1b5),
                   // no cut in May
                   detail(2001, 121, "0.00", "0.0000", 0, 0, a1b5)}));
  EXPECT_EQ(out.series, lines({"  3.47", " 34.54", "  0.00", "  0.00", "  8.24", " 20.22", "  0.00",
                               "  0.00", " 34.54", "  0.00"}));
}

TEST(CorrectGcm2, MultiplicativeAdjustment) {
  Fixture s;
  s.emp_gamma = 2;
  s.values[0] = {0.0, 1.0, 4.0};
  s.posit[0] = 1;
  s.obs.mean = {3, 3, -3, 0, 1000, 0, 0, 0, 0, 0, 0, 0};
  s.gcm.mean = {2, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  const char* days =
      "2001   1   4.0\n"
      "2001   2   0.0\n"
      "2001  32   4.0\n"
      "2001  33   0.0\n"
      "2001  60   4.0\n"
      "2001  91   1.0\n"
      "2001 121   5.0\n";
  const std::string series = lines({"  6.00",    // 3/2 * 4
                                    "  0.00",    //
                                    "   Inf",    // 3/0 * 4
                                    "   NaN",    // 3/0 * 0
                                    "  -Inf",    // -3/0 * 4
                                    "   NaN",    // 0/0 * 1
                                    "******"});  // 5000.00 is too wide
  const std::string console =
      header({"counter(  1)=   3"}, {}, "<<<using multiplicative adjustment>>>");
  {
    ScratchDir dir;
    write_file("gcmfi_c.pcp", "kept\n");
    const Outcome out = run(s, days);
    EXPECT_EQ(out.console, console);
    EXPECT_EQ(out.series, series);
    EXPECT_EQ(out.detail, "kept\n");  // receives no record
  }
  {
    ScratchDir dir;
    const Outcome out = run(s, days);
    EXPECT_EQ(out.series, series);
    EXPECT_TRUE(testing::list_files(dir.path()).count("gcmfi_c.pcp"));
    EXPECT_EQ(out.detail, "");
  }
}

// The dated rainfall of every day of the given years' occurrences of month
// `month` (first day `first`, length `days(year)`), zero unless listed.
std::string month_days(const std::vector<int>& years, int first, int (*days)(int),
                       const std::map<std::pair<int, int>, const char*>& rain) {
  std::string out;
  for (int y : years) {
    for (int d = first; d < first + days(y); ++d) {
      const auto it = rain.find({y, d});
      out += std::to_string(y) + " " + std::to_string(d) + " " +
             (it == rain.end() ? "0.0" : it->second) + "\n";
    }
  }
  return out;
}

// The ratio of the means is formed first and then multiplies the day:
// 0.1 / 0.4 is exactly 0.25, so 14.5 mm becomes exactly 3.625, which the
// two-decimal field rounds to the even 3.62; 10.3 mm becomes 10.3 / 4, a
// little above 2.575, so 2.58. Multiplying the day first, (14.5 * 0.1) / 0.4
// and (10.3 * 0.1) / 0.4 fall on the other sides: 3.63 and 2.57.
TEST(CorrectGcm2, MultiplicativeRatioOfMeansComesFirst) {
  ScratchDir dir;
  Fixture s;
  s.emp_gamma = 2;
  s.values[0] = {0.0, 1.0};
  s.posit[0] = 1;
  s.obs.mean[0] = 0.1;
  s.gcm.mean[0] = 0.4;
  const Outcome out = run(s, "2001 1 14.5\n2001 2 10.3\n");
  EXPECT_EQ(out.series, lines({"  3.62", "  2.58"}));
}

// countfill equal to the number of years is still "few ties": one tie is
// kept per occurrence, until countfill are kept. (The many-ties rule would
// keep none, with data2alloc 0 for a countfill not above the years.)
TEST(CorrectGcm2, TiesAsManyAsYearsKeepOnePerOccurrence) {
  ScratchDir dir;
  Fixture s;
  s.values[0] = {1.0, 2.5, 2.5, 2.5, 3.1, 5.0};
  s.posit[0] = 2;
  s.ties.case_[0] = 2;
  s.ties.countfill[0] = 2;
  s.ties.data2alloc[0] = 0;
  s.years = 2;
  s.gcm.alpha[0] = 1;
  s.gcm.beta[0] = 2.5;
  s.obs.alpha[0] = 1;
  s.obs.beta[0] = 5;
  const Outcome out = run(
      s,
      month_days({2001, 2002}, 1, [](int) { return 31; },
                 {{{2001, 3}, "2.5"}, {{2001, 4}, "2.5"}, {{2002, 3}, "2.5"}, {{2002, 4}, "2.5"}}));
  const char* tail = "  1.0000  5.0000  2.5000";
  std::vector<std::string> want_detail;
  std::vector<std::string> want_series;
  for (int y : {2001, 2002}) {
    for (int d = 1; d <= 31; ++d) {
      if (d == 3) {
        // the first tie of each January: 2.5/2.5 = 1, p = 1 - exp(-1)
        want_detail.push_back(detail(y, d, "5.00", "0.6321", 0, 0, tail));
        want_series.push_back("  5.00");
      } else {
        want_detail.push_back(detail(y, d, "0.00", "0.0000", 0, 0, tail));
        want_series.push_back("  0.00");
      }
    }
  }
  EXPECT_EQ(out.detail, lines(want_detail));
  EXPECT_EQ(out.series, lines(want_series));
}

// Case 1 with 5 zero ties over 3 years, 2 per year: in each January the
// first two dry days become wet days of 0.1 mm, until 5 are kept.
TEST(CorrectGcm2, ManyZeroTiesAreRationedPerYear) {
  ScratchDir dir;
  Fixture s;
  s.values[0] = {0.0, 0.0, 0.0, kRefill, kRefill, kRefill, kRefill, kRefill, 1.0, 2.0};
  s.posit[0] = 3;
  s.ties.case_[0] = 1;
  s.ties.countfill[0] = 5;
  s.ties.data2alloc[0] = 2;
  s.years = 3;
  s.gcm.alpha[0] = 1;
  s.gcm.beta[0] = 1;
  s.obs.alpha[0] = 1;
  s.obs.beta[0] = 10;
  const Outcome out =
      run(s, month_days({2001, 2002, 2003}, 1, [](int) { return 31; }, {{{2001, 10}, "5.0"}}));

  EXPECT_EQ(out.console, header({"counter(  1)=  10"}, {"no_ppt(  1)=  0.000"},
                                "<<<using gamma to gamma transformation>>>"));
  const char* tail = "  1.0000 10.0000  0.0000";
  std::vector<std::string> want_detail;
  std::vector<std::string> want_series;
  for (int y : {2001, 2002, 2003}) {
    for (int d = 1; d <= 31; ++d) {
      const bool kept = d == 1 || (d == 2 && y != 2003);
      if (kept) {
        // 0.1 mm: p = 1 - exp(-0.1) = 0.095163, quantile 0.1, times 10
        want_detail.push_back(detail(y, d, "1.00", "0.0952", 0, 0, tail));
        want_series.push_back("  1.00");
      } else if (y == 2001 && d == 10) {
        // an ordinary wet day: p = 1 - exp(-5) = 0.993262, quantile 5
        want_detail.push_back(detail(y, d, "50.00", "0.9933", 0, 0, tail));
        want_series.push_back(" 50.00");
      } else {
        want_detail.push_back(detail(y, d, "0.00", "0.0000", 0, 0, tail));
        want_series.push_back("  0.00");
      }
    }
  }
  EXPECT_EQ(out.detail, lines(want_detail));
  EXPECT_EQ(out.series, lines(want_series));
}

// Case 2 with 2 ties of 2.5 mm over 30 years: at most the first tie of an
// occurrence is kept, and only two in all. The leap February counts 29
// days: its 29th day still belongs to the occurrence that kept a tie.
TEST(CorrectGcm2, FewTiesKeepOnePerOccurrenceOverLeapFebruaries) {
  ScratchDir dir;
  Fixture s;
  s.values[1] = {1.0, 2.5, 2.5, 2.5, 3.1, 5.0};
  s.posit[1] = 2;
  s.ties.case_[1] = 2;
  s.ties.countfill[1] = 2;
  s.gcm.alpha[1] = 1;
  s.gcm.beta[1] = 2.5;
  s.obs.alpha[1] = 1;
  s.obs.beta[1] = 5;
  const std::map<std::pair<int, int>, const char*> rain = {
      {{2004, 32}, "2.5"},  // kept: 5.00
      {{2004, 45}, "1.0"},  // below the cut, not a tie: dry
      {{2004, 60}, "2.5"},  // Feb 29, same occurrence: dry
      {{2005, 32}, "2.5"},  // new occurrence: kept, the second and last
      {{2005, 33}, "2.5"},  // dry
      {{2005, 40}, "7.0"},  // wet: 14.00
      {{2006, 32}, "2.5"},  // two kept already: dry
      {{2006, 40}, "7.0"},  // wet: 14.00
  };
  const Outcome out =
      run(s, month_days(
                 {2004, 2005, 2006}, 32, [](int y) { return y == 2004 ? 29 : 28; }, rain));

  EXPECT_EQ(out.console, header({"counter(  2)=   6"}, {"no_ppt(  2)=  2.500"},
                                "<<<using gamma to gamma transformation>>>"));
  const char* tail = "  1.0000  5.0000  2.5000";
  std::vector<std::string> want_detail;
  std::vector<std::string> want_series;
  for (int y : {2004, 2005, 2006}) {
    for (int d = 32; d < 32 + (y == 2004 ? 29 : 28); ++d) {
      if ((y == 2004 || y == 2005) && d == 32) {
        // 2.5/2.5 = 1: p = 1 - exp(-1) = 0.632121, quantile 1, times 5
        want_detail.push_back(detail(y, d, "5.00", "0.6321", 0, 0, tail));
        want_series.push_back("  5.00");
      } else if (y != 2004 && d == 40) {
        // 7/2.5 = 2.8: p = 1 - exp(-2.8) = 0.939190, quantile 2.8, times 5
        want_detail.push_back(detail(y, d, "14.00", "0.9392", 0, 0, tail));
        want_series.push_back(" 14.00");
      } else {
        want_detail.push_back(detail(y, d, "0.00", "0.0000", 0, 0, tail));
        want_series.push_back("  0.00");
      }
    }
  }
  EXPECT_EQ(out.detail, lines(want_detail));
  EXPECT_EQ(out.series, lines(want_series));
}

// Case 2 with 4 ties of 2.5 mm over 2 years, 2 per year. A day of a used-up
// occurrence is zeroed before the day counter can start a new occurrence,
// so a tie on the first day of the next January is lost; a value below the
// cut that is not a tie stays wet while the quota is not used up.
TEST(CorrectGcm2, ManyTiesZeroBeforeANewOccurrenceBegins) {
  ScratchDir dir;
  Fixture s;
  s.values[0] = {0.0, 1.0, 2.5, 2.5, 2.5, 2.5, 2.5, 3.0, 6.0};
  s.posit[0] = 3;
  s.ties.case_[0] = 2;
  s.ties.countfill[0] = 4;
  s.ties.data2alloc[0] = 2;
  s.years = 2;
  // Every wet x has p = 1 - exp(-x/2.5) and becomes 5 * x/2.5 = 2x.
  s.gcm.alpha[0] = 1;
  s.gcm.beta[0] = 2.5;
  s.obs.alpha[0] = 1;
  s.obs.beta[0] = 5;
  const Outcome out = run(s, month_days({2001, 2002}, 1, [](int) { return 31; },
                                        {{{2001, 1}, "2.5"},
                                         {{2001, 2}, "1.0"},
                                         {{2001, 3}, "2.5"},
                                         {{2001, 4}, "1.0"},
                                         {{2001, 5}, "2.5"},
                                         {{2002, 1}, "2.5"},
                                         {{2002, 2}, "2.5"},
                                         {{2002, 3}, "1.0"},
                                         {{2002, 4}, "2.5"},
                                         {{2002, 5}, "2.5"},
                                         {{2002, 6}, "1.0"},
                                         {{2002, 7}, "3.0"}}));
  // p for 2.5: 1 - exp(-1) = 0.632121; for 1.0: 1 - exp(-0.4) = 0.329680;
  // for 3.0: 1 - exp(-1.2) = 0.698806.
  const std::map<std::pair<int, int>, std::pair<const char*, const char*>> wet = {
      {{2001, 1}, {"5.00", "0.6321"}},  // kept: 1 of 2 this year, 1 of 4 in all
      {{2001, 2}, {"2.00", "0.3297"}},  // below the cut, quota not used: wet
      {{2001, 3}, {"5.00", "0.6321"}},  // kept: 2 of 2, 2 of 4
      // 2001 day 4 (1.0) and day 5 (2.5): quota used, dry
      // 2002 day 1: still zeroed by the 2001 quota before the reset
      {{2002, 2}, {"5.00", "0.6321"}},  // kept: 1 of 2, 3 of 4
      {{2002, 3}, {"2.00", "0.3297"}},  // below the cut, quota not used: wet
      {{2002, 4}, {"5.00", "0.6321"}},  // kept: 2 of 2, 4 of 4
      // 2002 day 5 (2.5) and day 6 (1.0): all 4 kept, dry
      {{2002, 7}, {"6.00", "0.6988"}},  // above the cut
  };
  const char* tail = "  1.0000  5.0000  2.5000";
  std::vector<std::string> want_detail;
  std::vector<std::string> want_series;
  for (int y : {2001, 2002}) {
    for (int d = 1; d <= 31; ++d) {
      const auto it = wet.find({y, d});
      const char* corrected = it == wet.end() ? "0.00" : it->second.first;
      want_detail.push_back(
          detail(y, d, corrected, it == wet.end() ? "0.0000" : it->second.second, 0, 0, tail));
      want_series.push_back(std::string(6 - std::string(corrected).size(), ' ') + corrected);
    }
  }
  EXPECT_EQ(out.detail, lines(want_detail));
  EXPECT_EQ(out.series, lines(want_series));
}

// One retained flag serves every month: a January occurrence cut short by
// the window leaves it set, and February's first tie is then zeroed,
// although February has not retained one yet.
TEST(CorrectGcm2, FewTiesShareOneRetainedFlagAcrossMonths) {
  ScratchDir dir;
  Fixture s;
  for (int m : {0, 1}) {
    s.values[static_cast<std::size_t>(m)] = {1.0, 2.5, 2.5, 2.5, 3.1, 5.0};
    s.posit[static_cast<std::size_t>(m)] = 2;
    s.ties.case_[static_cast<std::size_t>(m)] = 2;
    s.ties.countfill[static_cast<std::size_t>(m)] = 2;
    s.gcm.alpha[static_cast<std::size_t>(m)] = 1;
    s.gcm.beta[static_cast<std::size_t>(m)] = 2.5;
    s.obs.alpha[static_cast<std::size_t>(m)] = 1;
    s.obs.beta[static_cast<std::size_t>(m)] = 5;
  }
  const Outcome out = run(s,
                          "2001 1 2.5\n"
                          "2001 2 0.0\n"
                          "2001 3 2.5\n"
                          "2001 32 2.5\n"
                          "2001 33 3.1\n"
                          "2001 34 2.5\n");
  const char* tail = "  1.0000  5.0000  2.5000";
  EXPECT_EQ(out.detail, lines({// kept, the flag is set: 1 - exp(-1), 2 * 2.5
                               detail(2001, 1, "5.00", "0.6321", 0, 0, tail),
                               detail(2001, 2, "0.00", "0.0000", 0, 0, tail),
                               // January keeps at most one per occurrence
                               detail(2001, 3, "0.00", "0.0000", 0, 0, tail),
                               // February's first tie meets the set flag
                               detail(2001, 32, "0.00", "0.0000", 0, 0, tail),
                               // above the cut: 1 - exp(-1.24) = 0.710616, 6.20
                               detail(2001, 33, "6.20", "0.7106", 0, 0, tail),
                               detail(2001, 34, "0.00", "0.0000", 0, 0, tail)}));
  EXPECT_EQ(out.series, lines({"  5.00", "  0.00", "  0.00", "  0.00", "  6.20", "  0.00"}));
}

// The probability floor is the 4-byte 0.001, i.e. 0.0010000000474974513:
// a probability of 0.00100000002 lies above 0.001 but at the floor, so its
// day is dry; one of 0.0010001 is corrected. Gamma 1 x 1 to gamma 1 x 100:
// x = -ln(1 - p), and the quantile of p times 100 is 100 x.
TEST(CorrectGcm2, ProbabilityFloorIsTheFourByteConstant) {
  ScratchDir dir;
  Fixture s;
  s.values[0] = {0.0, 0.0, 1.0, 2.0};
  s.posit[0] = 2;
  s.gcm.alpha[0] = 1;
  s.gcm.beta[0] = 1;
  s.obs.alpha[0] = 1;
  s.obs.beta[0] = 100;
  const Outcome out = run(s,
                          "2001 1 0.00100050035360355\n"    // p = 0.00100000002
                          "2001 2 0.00100060043368864\n");  // p = 0.0010001
  const char* tail = "  1.0000100.0000  0.0000";
  EXPECT_EQ(out.detail, lines({detail(2001, 1, "0.00", "0.0010", 0, 0, tail),
                               detail(2001, 2, "0.10", "0.0010", 0, 0, tail)}));
  EXPECT_EQ(out.series, lines({"  0.00", "  0.10"}));
}

// The quantile is taken before the observed scale is tested, so a shape
// that the inverse cannot start from ends the run even where the scale of
// 0 would have made the day dry.
TEST(CorrectGcm2, QuantileComesBeforeTheScaleTest) {
  ScratchDir dir;
  Fixture s;
  s.values[0] = {0.0, 0.0, 1.0, 2.0};
  s.posit[0] = 2;
  s.gcm.alpha[0] = 1;
  s.gcm.beta[0] = 1;
  s.obs.alpha[0] = 1e-300;
  s.obs.beta[0] = 0;
  const Outcome out = run(s, "2001 1 0.0\n2001 2 1.0\n2001 3 1.0\n");
  ASSERT_TRUE(out.stop);
  EXPECT_EQ(out.stop->status, 1);
  // w = 1 - 1/(9a) + z/sqrt(9a) is about -1.1e299, beyond the cube root of
  // the largest double; the message is wrapped after 39 characters.
  const std::string tail =
      "<<<using gamma to gamma transformation>>>\n"
      "\n"
      " *** TERMINAL ERROR 5 from DGAMIN.  Since A = 1.000000000000000E-300 is so\n"
      " ***          small, the initial guess will overflow.\n";
  ASSERT_GE(out.console.size(), tail.size());
  EXPECT_EQ(out.console.substr(out.console.size() - tail.size()), tail);
  EXPECT_EQ(out.detail,
            lines({detail(2001, 1, "0.00", "0.0000", 0, 0, "  0.0000  0.0000  0.0000")}));
}

TEST(CorrectGcm2, MissingDatedFileStopsBeforeCreatingOutputs) {
  ScratchDir dir;
  MonthData data(0);
  std::ostringstream console;
  try {
    CORRECT_GCM2(text_field("gcmfile.txt", kTextWidth), data, MonthInts{}, MonthStats{},
                 MonthStats{}, MonthInts{}, 0, TieInfo{}, 30, console);
    FAIL() << "no stop";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.status, 2);
    EXPECT_TRUE(stop.to_stderr);
    EXPECT_NE(stop.message.find("\"gcmfi_y.pcp\""), std::string::npos) << stop.message;
  }
  EXPECT_EQ(console.str(), "");
  EXPECT_TRUE(testing::list_files(dir.path()).empty());
}

TEST(CorrectGcm2, UnreadableRecords) {
  struct Case {
    const char* dated;
    bool to_stderr;
    int status;
    const char* message_part;
  };
  const Case cases[] = {
      {"2001 1 1.0\n2001 x 2.0\n", true, 2, "\"gcmfi_y.pcp\", line 2"},
      {"2001 1 1.0\n2001 2 2.5.0\n", true, 2, "\"gcmfi_y.pcp\", line 2"},
      // a trailing blank line is counted as a record but holds none
      {"2001 1 1.0\n\n", false, 1, "Error reading file\n"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const Outcome out = run(gamma_setup(), c.dated);
    ASSERT_TRUE(out.stop) << "no stop for " << c.dated;
    EXPECT_EQ(out.stop->status, c.status) << c.dated;
    EXPECT_EQ(out.stop->to_stderr, c.to_stderr) << c.dated;
    EXPECT_NE(out.stop->message.find(c.message_part), std::string::npos) << out.stop->message;
  }
}

// A GCM shape below zero makes the distribution function end the run; the
// days corrected before it are in the files, which they have replaced.
TEST(CorrectGcm2, RecordsBeforeAStopInTheGammaRoutinesAreKept) {
  ScratchDir dir;
  write_file("gcmfi_c.pcp", "old\nold\nold\n");
  write_file("gcmfi_cd.pcp", "old\nold\nold\n");
  Fixture s = gamma_setup();
  s.gcm.alpha[1] = -1.0;
  const Outcome out = run(s, "2001 1 10.0\n2001 32 2.0\n2001 2 10.0\n");
  ASSERT_TRUE(out.stop);
  EXPECT_EQ(out.stop->status, 1);
  // The message follows the banner: a shape of -1 is not positive.
  const std::string tail =
      "<<<using gamma to gamma transformation>>>\n"
      "\n"
      " *** TERMINAL ERROR 1 from DGAMDF.  The shape parameter of the gamma\n"
      " ***          distribution must be positive.\n";
  ASSERT_GE(out.console.size(), tail.size());
  EXPECT_EQ(out.console.substr(out.console.size() - tail.size()), tail);
  EXPECT_EQ(out.detail,
            lines({detail(2001, 1, "5.00", "0.6321", 0, 0, "  1.0000  5.0000  0.0000")}));
  EXPECT_EQ(out.series, "  5.00\n");
}

}  // namespace
}  // namespace raincorr
