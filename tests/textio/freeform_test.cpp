#include "textio/freeform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace raincorr {
namespace {

TEST(ParseNumbers, AcceptsWholeTokensOnly) {
  EXPECT_EQ(parse_int("1981"), 1981);
  EXPECT_EQ(parse_int("-7"), -7);
  EXPECT_EQ(parse_int("+007"), 7);
  EXPECT_EQ(parse_int("2147483647"), 2147483647);
  EXPECT_EQ(parse_int("-2147483648"), -2147483647 - 1);
  for (const char* bad : {"1.5", "1.", "2147483648", "", "-", "12a", "1e3", "*****"})
    EXPECT_FALSE(parse_int(bad)) << bad;

  EXPECT_EQ(parse_real("12.5"), 12.5);
  EXPECT_EQ(parse_real("1"), 1.0);
  EXPECT_EQ(parse_real(".5"), 0.5);
  EXPECT_EQ(parse_real("5."), 5.0);
  EXPECT_EQ(parse_real("1.2E-05"), 1.2e-05);
  EXPECT_EQ(parse_real("1.2d3"), 1200.0);
  EXPECT_EQ(parse_real("-0.1"), -0.1);
  for (const char* bad : {".", "", "e5", "1e", "1.2.3", "*****", "NaN", "1,5", "0x10"})
    EXPECT_FALSE(parse_real(bad)) << bad;
  // is_real answers exactly as parse_real does.
  for (const char* token :
       {"12.5", "1", ".5", "5.", "1.2E-05", "1.2d3", "-0.1",  "+1e+400", "1e-400", "-.5e1",
        ".",    "",  "e5", "1e", "1e+",     "1.2.3", "*****", "NaN",     "inf",    "1,5",
        "0x10", "+", "-",  "+.", "1d",      "1 ",    " 1",    "1E5x"})
    EXPECT_EQ(is_real(token), parse_real(token).has_value()) << token;
}

// Short plain decimals take a path of their own; every one must give the
// double that the C library's correctly rounded conversion gives.
TEST(ParseNumbers, ShortDecimalsAreCorrectlyRounded) {
  for (const char* text :
       {"0.1", "0.2", "0.3", "999.95", "-0.0", "-0", "0.", "-.5", "+2.5", "123456789012345",
        "12345678901234.5", "0.000000000000001", "1234567890123456", "9007199254740993",
        "0.30000000000000004", "4.35", "1.005", "8.675", "000000000000012.5"}) {
    const auto got = parse_real(text);
    ASSERT_TRUE(got) << text;
    const double want = std::strtod(text, nullptr);
    EXPECT_EQ(std::memcmp(&*got, &want, sizeof want), 0) << text;
  }
  // Every value of the weather files' F5.1 and F6.2 fields, and a sweep of
  // three-decimal values.
  char text[32];
  for (int i = -9999; i <= 99999; ++i) {
    for (const char* format : {"%.1f", "%.2f", "%.3f"}) {
      const double scale = format[2] == '1' ? 10.0 : format[2] == '2' ? 100.0 : 1000.0;
      std::snprintf(text, sizeof text, format, i / scale);
      const auto got = parse_real(text);
      ASSERT_TRUE(got) << text;
      ASSERT_EQ(*got, std::strtod(text, nullptr)) << text;
    }
  }
}

TEST(NextValue, SplitsOneLineAtSeparators) {
  const std::string_view line = "  1981032,, 12.5\textra ";
  std::size_t pos = 0;
  EXPECT_EQ(next_value(line, pos), "1981032");
  EXPECT_EQ(next_value(line, pos), "12.5");
  EXPECT_EQ(next_value(line, pos), "extra");
  EXPECT_EQ(next_value(line, pos), "");
  EXPECT_EQ(next_value(line, pos), "");
  pos = 0;
  EXPECT_EQ(next_value("", pos), "");
}

TEST(FreeformReader, StatementsStartOnNewLinesAndCrossLineEnds) {
  LineFile f("t", " 1981032  12.5 extra\n\n 1981033\n  7.0\n 1981034   1.0\n");
  FreeformReader r(f);
  std::int32_t code = 0;
  double v = 0;
  r.begin();
  ASSERT_EQ(r.read(code), ReadStatus::kOk);
  ASSERT_EQ(r.read(v), ReadStatus::kOk);
  EXPECT_EQ(code, 1981032);
  EXPECT_EQ(v, 12.5);
  // "extra" is dropped; the blank line is crossed; the value is on line 4.
  r.begin();
  ASSERT_EQ(r.read(code), ReadStatus::kOk);
  ASSERT_EQ(r.read(v), ReadStatus::kOk);
  EXPECT_EQ(code, 1981033);
  EXPECT_EQ(v, 7.0);
  EXPECT_EQ(r.line_number(), 4u);
  r.begin();
  ASSERT_EQ(r.read(code), ReadStatus::kOk);
  ASSERT_EQ(r.read(v), ReadStatus::kOk);
  r.begin();
  EXPECT_EQ(r.read(code), ReadStatus::kEnd);
}

TEST(FreeformReader, CommasSeparateAndBadValuesAreReported) {
  LineFile f("t", "1,2 , 3\n4.5 x\n");
  FreeformReader r(f);
  std::int32_t a = 0, b = 0, c = 0, d = 0;
  r.begin();
  ASSERT_EQ(r.read(a), ReadStatus::kOk);
  ASSERT_EQ(r.read(b), ReadStatus::kOk);
  ASSERT_EQ(r.read(c), ReadStatus::kOk);
  EXPECT_EQ(a + b + c, 6);
  EXPECT_EQ(r.read(d), ReadStatus::kBad);  // 4.5 where an integer is expected
  EXPECT_EQ(r.last_token(), "4.5");
  std::string word;
  EXPECT_EQ(r.read(word), ReadStatus::kOk);
  EXPECT_EQ(word, "x");
}

TEST(ReadFirst, TakesTheFirstValueOfAText) {
  std::int32_t i = 0;
  double v = 0;
  std::string s;
  EXPECT_EQ(read_first("   7 8", i), ReadStatus::kOk);
  EXPECT_EQ(i, 7);
  EXPECT_EQ(read_first("    ", i), ReadStatus::kEnd);
  EXPECT_EQ(read_first(" 12.34 junk", v), ReadStatus::kOk);
  EXPECT_EQ(v, 12.34);
  EXPECT_EQ(read_first(" Jan ", s), ReadStatus::kOk);
  EXPECT_EQ(s, "Jan");
  EXPECT_EQ(read_first(" 1.5", i), ReadStatus::kBad);
}

}  // namespace
}  // namespace raincorr
