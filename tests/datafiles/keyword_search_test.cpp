#include "datafiles/keyword_search.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "textio/run_stop.h"

namespace raincorr {
namespace {

TEST(KeywordSearch, ClassifiesLines) {
  struct Case {
    const char* line;
    bool blank, comment;
  };
  const Case cases[] = {
      {"", true, false},          {"     ", true, false},   {"*1981001", false, true},
      {"   * note", false, true}, {"  !1981", false, true}, {"  @ DATE", false, false},
      {"1981*", false, false},    {"x !", false, false},
  };
  for (const auto& c : cases) {
    const LineFlags f = ANALIN(c.line);
    EXPECT_EQ(f.blank, c.blank) << '"' << c.line << '"';
    EXPECT_EQ(f.comment, c.comment) << '"' << c.line << '"';
  }
}

TEST(KeywordSearch, PositionsBeforeTheFirstMatchingLine) {
  struct Case {
    const char* text;
    const char* word;
    std::size_t n;
    std::optional<std::string> next;  // the line read after the search
  };
  const Case cases[] = {
      // Header, blank and comment lines are passed over; the comparison
      // starts at the first non-blank column.
      {"*WEATHER\n\n@  DATE  SRAD\n*1981 x\n !1981 y\n  @1981\n  1981001  12.0\n1981002\n", "1981",
       32, "  1981001  12.0"},
      {"1981001 a\n1981002 b\n", "1981", 32, "1981001 a"},  // match on the first line
      {"1980365\n19810 z\n", "1981", 32, "19810 z"},        // a prefix test
      {"hdr\r\n1981001\r\n", "1981", 32, "1981001"},        // CR LF line ends
      // Codes above 'Z' are lowered by 32 on both sides.
      {"abc\nXaBc\n", "ABC", 32, "abc"},
      {"x\n;q\n", "[q", 32, ";q"},
      {"?\n", "_", 32, "?"},
      // The buffer is n columns: a line blank within them is a blank line,
      // and a comment whose text lies past them is still a comment.
      {"    1981\n1981 b\n", "1981", 4, "1981 b"},
      {"     *\n1981 b\n", "1981", 6, "1981 b"},
      // An empty word matches the first line that is neither blank nor comment.
      {"\n* c\n  x\n", "", 32, "  x"},
      // No line begins with the word.
      {"*1981\n!1981\n@1981\n1982001\n", "1981", 32, std::nullopt},
      {"", "1981", 32, std::nullopt},
  };
  for (const auto& c : cases) {
    LineFile f("w.wtd", c.text);
    f.read();  // the search starts from the top wherever the file stands
    try {
      JUMP_LABEL(f, c.word, c.n);
      ASSERT_TRUE(c.next) << "no stop for \"" << c.text << '"';
      const auto line = f.read();
      ASSERT_TRUE(line) << c.text;
      EXPECT_EQ(*line, *c.next) << '"' << c.text << '"';
    } catch (const RunStop& s) {
      EXPECT_FALSE(c.next) << "stopped on \"" << c.text << '"';
      EXPECT_EQ(s.message, "End of file reached, the word not matched, no meaning.\n");
      EXPECT_FALSE(s.to_stderr);
      EXPECT_EQ(s.status, 1);
    }
  }
}

// A line whose text begins so far right that the word would run past the
// buffer cannot hold the word: it does not match, and the search goes on.
TEST(KeywordSearch, LineTooShortForTheWordDoesNotMatch) {
  struct Case {
    const char* text;
    std::size_t n;
    const char* next;  // the line found
  };
  const Case cases[] = {
      // Text from column 4 of a 6-column buffer leaves room for 3 characters.
      {"   1981\n  1981\n", 6, "  1981"},
      // The 32-column buffer of a weather file: text from column 30 on.
      {"*hdr\n                             198\n1981001\n", 32, "1981001"},
  };
  for (const auto& c : cases) {
    LineFile f("w.wtd", c.text);
    JUMP_LABEL(f, "1981", c.n);
    EXPECT_EQ(f.read(), c.next) << '"' << c.text << '"';
  }
  LineFile only("w.wtd", "                             1981\n");
  try {
    JUMP_LABEL(only, "1981", 32);
    ADD_FAILURE() << "a word past the buffer matched";
  } catch (const RunStop& s) {
    EXPECT_EQ(s.message, "End of file reached, the word not matched, no meaning.\n");
    EXPECT_EQ(s.status, 1);
  }
  // Text from column 29 still holds the four characters.
  LineFile f("w.wtd", "                            1981001\n");
  JUMP_LABEL(f, "1981", 32);
  EXPECT_EQ(f.read(), "                            1981001");
}

}  // namespace
}  // namespace raincorr
