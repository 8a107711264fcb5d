#include "monthly/sort.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/support.h"
#include "textio/fields.h"
#include "textio/run_stop.h"

namespace raincorr {
namespace {

using testing::list_files;
using testing::read_file;
using testing::ScratchDir;
using testing::write_file;

// The GCM pass: the counts come from the observed files, and rows that a
// short file does not reach still hold the observed values.
TEST(Sortf2, LoadsSortsAndConsumesTheClassFiles) {
  ScratchDir dir;
  const MonthInts month_size{3, 0, 2, 4, 2, 2, 2, 0, 0, 0, 0, 1};
  MonthData data(4);
  data.at(4, 1) = 99.0;  // beyond month 1's count: never touched
  data.at(1, 2) = 42.0;  // month 2 has a count of 0
  data.at(3, 4) = 2.0;   // left over from the observed pass
  data.at(4, 4) = 9.0;
  data.at(1, 6) = 8.0;  // row of a line that holds no number
  const std::vector<std::string> files = {
      "5.0\n0.0\n2.5\n",        // 1: sorted into 0.0 2.5 5.0
      "3.0\n",                  // 2: count 0, nothing read
      "4\n3\n1\n9\n",           // 3: longer than the count
      "7.5\n1.0\n",             // 4: shorter than the count
      "6.0\n0.2\n",             // 5: loaded as usual after the short file
      "abc 1\n3.0\n",           // 6: a line that is not a number
      "\n   \n2.0 9.9\n1.5\n",  // 7: blank lines crossed, first number only
      "",
      "",
      "",
      "",       // 8-11: empty
      "0.7\n",  // 12
  };
  for (int m = 1; m <= 12; ++m)
    write_file("gcmda_" + std::to_string(m) + ".txt", files[static_cast<std::size_t>(m - 1)]);
  write_file("gcmda_2s.txt", "kept\n");

  std::ostringstream console;
  SORTF2(text_field("gcmdata.txt", kTextWidth), data, month_size, console);

  EXPECT_EQ(console.str(), "Sorting arrays....please wait\n");
  const std::vector<std::vector<double>> want = {
      {0.0, 2.5, 5.0, 99.0}, {42.0, 0, 0, 0},  {3.0, 4.0, 0, 0}, {1.0, 2.0, 7.5, 9.0},
      {0.2, 6.0, 0, 0},      {3.0, 8.0, 0, 0}, {1.5, 2.0, 0, 0}, {0, 0, 0, 0},
      {0, 0, 0, 0},          {0, 0, 0, 0},     {0, 0, 0, 0},     {0.7, 0, 0, 0},
  };
  for (int m = 1; m <= 12; ++m)
    for (std::size_t i = 1; i <= 4; ++i)
      EXPECT_EQ(data.at(i, m), want[static_cast<std::size_t>(m - 1)][i - 1])
          << "month " << m << " row " << i;
  EXPECT_EQ(list_files(dir.path()), (std::set<std::string>{"gcmda_1s.txt", "gcmda_2s.txt"}));
  EXPECT_EQ(read_file("gcmda_1s.txt"), "");
  EXPECT_EQ(read_file("gcmda_2s.txt"), "kept\n");
}

TEST(Sortf2, MissingClassFileStopsBeforeAnyChange) {
  ScratchDir dir;
  for (int m = 1; m <= 12; ++m)
    if (m != 7) write_file("obs_" + std::to_string(m) + ".txt", "1.0\n");
  MonthInts month_size{};
  month_size.fill(1);
  MonthData data(1);
  std::ostringstream console;
  try {
    SORTF2(text_field("obs", kTextWidth), data, month_size, console);
    FAIL() << "no stop";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.status, 2);
    EXPECT_TRUE(stop.to_stderr);
    EXPECT_NE(stop.message.find("\"obs_7.txt\""), std::string::npos) << stop.message;
  }
  EXPECT_EQ(console.str(), "");
  EXPECT_EQ(list_files(dir.path()).size(), 11u);  // nothing deleted, no "s" file
  for (int m = 1; m <= 12; ++m) EXPECT_EQ(data.at(1, m), 0.0);
}

}  // namespace
}  // namespace raincorr
