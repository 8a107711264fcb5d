#include "monthly/truncate.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/support.h"

namespace raincorr {
namespace {

using testing::lines;

// Writes `values` into rows 1.. of month m.
void fill(MonthData& data, int m, const std::vector<double>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) data.at(i + 1, m) = values[i];
}

std::vector<double> repeat(double v, int times) {
  return std::vector<double>(static_cast<std::size_t>(times), v);
}

std::vector<double> join(std::vector<std::vector<double>> parts) {
  std::vector<double> out;
  for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(TruncateH2, CountsValuesAtOrBelowTheThreshold) {
  MonthData data(5);
  fill(data, 1, {0.0, 0.0, 0.3, 5.0});
  fill(data, 2, {1.0, 2.0, 3.0, 0.0});  // row 4 lies past month 2's count
  fill(data, 11, {0.1, 0.2, 0.35, 0.4, 9.0});
  const MonthInts month_size{4, 3, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0};
  MonthInts posit;
  posit.fill(7);
  std::ostringstream console;
  TRUNCATE_H2(data, month_size, posit, 0.3, console);
  EXPECT_EQ(posit, (MonthInts{3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0}));
  EXPECT_EQ(console.str(), lines({"Truncating monthly group arrays of historical data at...",
                                  "posit( 1)=    3", "posit(11)=    2"}));

  std::ostringstream quiet;
  TRUNCATE_H2(data, month_size, posit, -1.0, quiet);
  EXPECT_EQ(posit, MonthInts{});
  EXPECT_EQ(quiet.str(), "Truncating monthly group arrays of historical data at...\n");
}

// One month per kind of cut, 30 years.
TEST(TruncateGcm2, ClassifiesCountsRationsAndRefillsTies) {
  MonthData data(120);
  // 1: zeros from row 1 to 105, cut at 5: case 1, 100 ties, 100/30 = 3.33 -> 3.
  fill(data, 1, join({repeat(0.0, 105), {1, 2, 3, 4, 5}}));
  // 2: 2.5 from row 2 to 77, cut at 2: case 2, 75 ties, 75/30 = 2.5 -> 3.
  fill(data, 2, join({{0.5}, repeat(2.5, 76), {3.1, 4, 5}}));
  // 3: zero at the cut, 0.4 after it: case 0, no tie.
  fill(data, 3, {0.0, 0.0, 0.4});
  // 4: 30 zero ties: not more than the years, nothing to ration.
  fill(data, 4, join({repeat(0.0, 31), {1, 2}}));
  // 5: 2.5 at the cut and in the three rows after it, then 3.1.
  fill(data, 5, {1.0, 2.5, 2.5, 2.5, 2.5, 3.1});
  // 6: the run of zeros reaches the month's end.
  fill(data, 6, {0.0, 0.0, 0.0, 0.0});
  // 7: cut at the last value; the zero in row 4 is not part of the month.
  fill(data, 7, {0.0, 0.0, 0.0, 0.0});
  // 8: no observed cut.
  fill(data, 8, {0.0, 0.0, 1.0});
  const MonthInts month_size{110, 80, 3, 33, 6, 4, 3, 3, 0, 0, 0, 0};
  MonthInts posit{5, 2, 2, 1, 2, 2, 3, 0, 0, 0, 0, 0};
  TieInfo ties;
  ties.case_.fill(9);
  ties.data2alloc.fill(9);
  ties.countfill = {1, 1, 1, 1, 1, 7, 5, 4, 0, 0, 0, 6};  // not cleared by the routine

  std::ostringstream console;
  TRUNCATE_GCM2(data, month_size, posit, 0, 30, ties, console);

  EXPECT_EQ(posit, (MonthInts{5, 2, 2, 1, 2, 4, 3, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ties.case_, (MonthInts{1, 2, 0, 1, 2, 1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ties.countfill, (MonthInts{100, 75, 0, 30, 3, 7, 5, 4, 0, 0, 0, 6}));
  EXPECT_EQ(ties.data2alloc, (MonthInts{3, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

  const std::vector<std::vector<double>> want = {
      join({repeat(0.0, 5), repeat(kRefill, 100), {1, 2, 3, 4, 5}}),
      join({{0.5}, repeat(2.5, 76), {3.1, 4, 5}}),
      {0.0, 0.0, 0.4},
      join({{0.0}, repeat(kRefill, 30), {1, 2}}),
      {1.0, 2.5, 2.5, 2.5, 2.5, 3.1},
      {0.0, 0.0, 0.0, 0.0},
      {0.0, 0.0, 0.0, 0.0},
      {0.0, 0.0, 1.0},
  };
  for (int m = 1; m <= 8; ++m) {
    const auto& w = want[static_cast<std::size_t>(m - 1)];
    for (std::size_t i = 0; i < w.size(); ++i)
      EXPECT_EQ(data.at(i + 1, m), w[i]) << "month " << m << " row " << i + 1;
  }
  EXPECT_EQ(kRefill, 0.10000000149011612);

  EXPECT_EQ(console.str(), lines({"Truncating monthly group arrays of daily GCM data at...",
                                  "posit( 1)=    5",
                                  "posit( 2)=    2",
                                  "posit( 3)=    2",
                                  "posit( 4)=    1",
                                  "posit( 5)=    2",
                                  "posit( 6)=    4",
                                  "posit( 7)=    3",
                                  " ",
                                  "Determining which case...",
                                  "case( 1)=    1",
                                  "case( 2)=    2",
                                  "case( 3)=    0",
                                  "case( 4)=    1",
                                  "case( 5)=    2",
                                  "case( 6)=    1",
                                  "case( 7)=    0",
                                  "case( 8)=    0",
                                  "case( 9)=    0",
                                  "case(10)=    0",
                                  "case(11)=    0",
                                  "case(12)=    0",
                                  " ",
                                  "Refill or Not???...",
                                  "countfill( 1)=  100",
                                  "countfill( 2)=   75",
                                  "countfill( 3)=    0",
                                  "countfill( 4)=   30",
                                  "countfill( 5)=    3",
                                  "countfill( 6)=    7",
                                  "countfill( 7)=    5",
                                  "countfill( 8)=    4",
                                  "countfill( 9)=    0",
                                  "countfill(10)=    0",
                                  "countfill(11)=    0",
                                  "countfill(12)=    6",
                                  " ",
                                  "Data to allocate..",
                                  "data2alloc( 1)=    3",
                                  "data2alloc( 2)=    3",
                                  "data2alloc( 3)=    0",
                                  "data2alloc( 4)=    0",
                                  "data2alloc( 5)=    0",
                                  "data2alloc( 6)=    0",
                                  "data2alloc( 7)=    0",
                                  "data2alloc( 8)=    0",
                                  "data2alloc( 9)=    0",
                                  "data2alloc(10)=    0",
                                  "data2alloc(11)=    0",
                                  "data2alloc(12)=    0"}));
}

// The share per year depends only on countfill and the number of years.
TEST(TruncateGcm2, RationsTiesOverTheYears) {
  struct Case {
    int years;
    std::int32_t want;
  };
  const Case cases[] = {
      {30, 3},   // 3.33
      {40, 3},   // 2.5, halves away from zero
      {200, 0},  // 100 ties are not more than 200 years
      {100, 0},  // nor than 100
      {99, 1},   // 1.01
      {0, 0},    // no year to ration over: nothing kept, no division
      // year2 before year1: 100 ties are more than a negative number of
      // years, and the share is negative, halves away from zero
      {-5, -20},   // -20
      {-30, -3},   // -3.33
      {-40, -3},   // -2.5
      {-201, 0},   // -0.4975
      {-200, -1},  // -0.5
  };
  for (const auto& c : cases) {
    MonthData data(110);
    fill(data, 1, join({repeat(0.0, 105), {1, 2, 3, 4, 5}}));
    const MonthInts month_size{110, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    MonthInts posit{5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    TieInfo ties;
    std::ostringstream console;
    TRUNCATE_GCM2(data, month_size, posit, 1, c.years, ties, console);
    EXPECT_EQ(ties.countfill[0], 100) << c.years;
    EXPECT_EQ(ties.data2alloc[0], c.want) << c.years << " years";
  }
}

// The multiplicative adjustment counts the GCM's own dry days.
TEST(TruncateGcm2, MultiplicativeMethodCountsDryDays) {
  MonthData data(4);
  fill(data, 1, {0.0, 0.0, 0.0, 0.0});  // as full as the fullest month: row 4 not counted
  fill(data, 2, {-1.0, 0.0, 1.5});      // shorter: every row counted
  fill(data, 3, {0.2, 0.3, 0.4, 0.0});  // row 4 is not part of the month
  const MonthInts month_size{4, 3, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  MonthInts posit{2, 2, 1, 5, 0, 0, 0, 0, 0, 0, 0, 0};
  TieInfo ties;
  ties.case_[0] = 1;
  ties.countfill[0] = 7;
  ties.data2alloc[0] = 2;
  std::ostringstream console;
  TRUNCATE_GCM2(data, month_size, posit, 2, 30, ties, console);

  EXPECT_EQ(posit, (MonthInts{3, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(data.at(1, 1), 0.0);  // nothing refilled
  std::vector<std::string> want = {"Truncating monthly group arrays of daily GCM data at...",
                                   "posit( 1)=    3",
                                   "posit( 2)=    2",
                                   " ",
                                   "Determining which case...",
                                   "case( 1)=    1"};
  for (int m = 2; m <= 12; ++m)
    want.push_back("case(" + std::string(m < 10 ? " " : "") + std::to_string(m) + ")=    0");
  want.insert(want.end(), {" ", "Refill or Not???...", "countfill( 1)=    7"});
  for (int m = 2; m <= 12; ++m)
    want.push_back("countfill(" + std::string(m < 10 ? " " : "") + std::to_string(m) + ")=    0");
  want.insert(want.end(), {" ", "Data to allocate..", "data2alloc( 1)=    2"});
  for (int m = 2; m <= 12; ++m)
    want.push_back("data2alloc(" + std::string(m < 10 ? " " : "") + std::to_string(m) + ")=    0");
  EXPECT_EQ(console.str(), lines(want));
}

}  // namespace
}  // namespace raincorr
