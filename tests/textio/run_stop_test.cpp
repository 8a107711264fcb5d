#include "textio/run_stop.h"

#include <gtest/gtest.h>

#include <string>

namespace raincorr {
namespace {

TEST(RunStop, MessagesNameFileAndLine) {
  const RunStop r = read_error("obs.wtd", 412, "rainfall \"  ***\" is not a number");
  EXPECT_EQ(r.message,
            "raincorr: read error in \"obs.wtd\", line 412: rainfall \"  ***\" is not a number\n");
  EXPECT_TRUE(r.to_stderr);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(open_error("g.txt", "missing").message, "raincorr: cannot open \"g.txt\": missing\n");
  EXPECT_EQ(end_of_file_error("g.txt", 0, "no second line").message,
            "raincorr: unexpected end of file in \"g.txt\": no second line\n");
  const RunStop s = system_stop("Error reading line");
  EXPECT_EQ(s.message, "Error reading line\n");
  EXPECT_FALSE(s.to_stderr);
  EXPECT_EQ(s.status, 1);
}

TEST(ShownText, QuotesAndEscapesUnprintableBytes) {
  struct Case {
    std::string text;
    const char* want;
  };
  const Case cases[] = {
      {"12.5", "\"12.5\""},
      {"", "\"\""},
      {std::string("a\0b", 3), "\"a\\x00b\""},
      {"\t\x7f\xff", "\"\\x09\\x7F\\xFF\""},
  };
  for (const auto& c : cases) EXPECT_EQ(shown_text(c.text), c.want) << c.want;
}

}  // namespace
}  // namespace raincorr
