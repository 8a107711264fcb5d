#include "textio/fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace raincorr {
namespace {

TEST(FixedField, RoundsAndOverflows) {
  struct Case {
    double v;
    int w, d;
    const char* want;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {0.1256, 5, 2, " 0.13"},
      {12.25, 5, 1, " 12.2"},  // an exact tie goes to the even
                               // digit
      {0.375, 6, 2, "  0.38"},
      {0.05, 5, 1, "  0.1"},  // 0.05 is a little above one
                              // twentieth
      {999.94, 5, 1, "999.9"},
      {999.95, 5, 1, "*****"},  // rounds to 1000.0: one column too
                                // wide
      {-1.5, 6, 1, "  -1.5"},
      {-0.04, 5, 1, " -0.0"},
      {0.0, 6, 2, "  0.00"},
      {15.0, 9, 3, "   15.000"},
      {inf, 9, 3, "      Inf"},
      {-inf, 6, 2, "  -Inf"},
      {std::nan(""), 6, 2, "   NaN"},
      {-inf, 3, 1, "***"},
      {1e300, 8, 4, "********"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(fixed_field(c.v, c.w, c.d), c.want) << c.v << " in F" << c.w << "." << c.d;
}

TEST(IntField, RightAlignsAndOverflows) {
  struct Case {
    long long v;
    int w;
    const char* want;
  };
  const Case cases[] = {
      {3650, 6, "  3650"}, {0, 6, "     0"}, {-5, 4, "  -5"},
      {12345, 4, "****"},  {-100, 3, "***"}, {7, 1, "7"},
  };
  for (const auto& c : cases) EXPECT_EQ(int_field(c.v, c.w), c.want) << c.v << " in I" << c.w;
}

// The put_ forms write exactly the text of the string forms, into a
// buffer, and not one byte beyond the field.
TEST(PutField, WritesTheFieldTextInPlace) {
  struct Case {
    double v;
    int w, d;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case fixed[] = {
      {0.1256, 5, 2},  {12.25, 5, 1}, {0.05, 5, 1},         {999.95, 5, 1},    {-0.04, 5, 1},
      {inf, 9, 3},     {-inf, 3, 1},  {std::nan(""), 6, 2}, {1e300, 8, 4},     {1e300, 64, 2},
      {-1e-300, 9, 4}, {2.5, 0, 1},   {2.5, -3, 1},         {123.456, 64, 30},
  };
  for (const auto& c : fixed) {
    char buffer[80];
    std::memset(buffer, '#', sizeof buffer);
    char* end = put_fixed(buffer, c.v, c.w, c.d);
    const std::size_t width = c.w < 0 ? 0 : static_cast<std::size_t>(c.w);
    EXPECT_EQ(std::string(buffer, end), fixed_field(c.v, c.w, c.d))
        << c.v << " in F" << c.w << "." << c.d;
    EXPECT_EQ(static_cast<std::size_t>(end - buffer), width);
    EXPECT_EQ(buffer[width], '#') << "wrote past the field";
  }
  struct IntCase {
    long long v;
    int w;
    const char* want;
  };
  const IntCase ints[] = {
      {3650, 6, "  3650"},
      {-5, 4, "  -5"},
      {12345, 4, "****"},
      {0, 1, "0"},
      {-9223372036854775807LL - 1, 20, "-9223372036854775808"},
      {-9223372036854775807LL - 1, 19, "*******************"},
      {7, 0, ""},
  };
  for (const auto& c : ints) {
    char buffer[80];
    std::memset(buffer, '#', sizeof buffer);
    char* end = put_int(buffer, c.v, c.w);
    EXPECT_EQ(std::string(buffer, end), c.want) << c.v << " in I" << c.w;
    EXPECT_EQ(int_field(c.v, c.w), c.want) << c.v << " in I" << c.w;
    EXPECT_EQ(buffer[end - buffer], '#') << "wrote past the field";
  }
}

TEST(TextField, PadsCutsAndStems) {
  EXPECT_EQ(text_field("ab", 5), "ab   ");
  EXPECT_EQ(text_field("abcdefgh", 5), "abcde");
  EXPECT_EQ(trim_right("ab  c   "), "ab  c");
  EXPECT_EQ(trim_right("    "), "");
  EXPECT_TRUE(is_blank("   "));
  EXPECT_FALSE(is_blank("  x"));
  struct Case {
    const char* name;
    const char* stem;
  };
  const Case cases[] = {{"stobs.wtd", "stobs"}, {"ab.w", "ab.w"}, {"ab c.txt", "ab c."},
                        {"abc  x", "abc"},      {"", ""},         {"gcm_.wtd_", "gcm_."}};
  for (const auto& c : cases) EXPECT_EQ(name_stem(text_field(c.name, 32)), c.stem) << c.name;
}

}  // namespace
}  // namespace raincorr
