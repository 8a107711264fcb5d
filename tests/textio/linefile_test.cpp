#include "textio/linefile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/support.h"
#include "textio/run_stop.h"

namespace raincorr {
namespace {

TEST(LineFile, ReadsStepsBackAndRewinds) {
  LineFile f("t", "one\r\ntwo\nthree");
  EXPECT_EQ(f.count_lines(), 3u);
  EXPECT_EQ(*f.read(), "one");  // the carriage return is not part of the line
  EXPECT_EQ(*f.read(), "two");
  f.step_back();
  EXPECT_EQ(f.line_number(), 1u);
  EXPECT_EQ(*f.read(), "two");
  EXPECT_EQ(*f.read(), "three");  // last line without a line feed
  EXPECT_FALSE(f.read());
  f.step_back();
  f.step_back();
  EXPECT_EQ(*f.read(), "two");
  f.rewind();
  EXPECT_EQ(*f.read_field(5), "one  ");
  EXPECT_EQ(*f.read_field(2), "tw");
  f.step_back();
  f.step_back();
  f.step_back();  // at the start: nothing more to step back over
  EXPECT_EQ(*f.read(), "one");
}

TEST(LineFile, EmptyLinesAndEmptyFiles) {
  LineFile empty("e", "");
  EXPECT_EQ(empty.count_lines(), 0u);
  EXPECT_TRUE(empty.at_end());
  EXPECT_FALSE(empty.read());
  LineFile blanks("b", "\n\n");
  EXPECT_EQ(blanks.count_lines(), 2u);
  EXPECT_EQ(*blanks.read(), "");
  EXPECT_EQ(*blanks.read(), "");
  EXPECT_FALSE(blanks.read());
}

TEST(LineFile, FilesOnDisk) {
  testing::ScratchDir dir;
  EXPECT_FALSE(LineFile::open("missing.txt"));
  try {
    LineFile::open_or_stop("missing.txt");
    FAIL() << "no stop";
  } catch (const RunStop& s) {
    EXPECT_EQ(s.status, 2);
    EXPECT_TRUE(s.to_stderr);
    EXPECT_NE(s.message.find("\"missing.txt\""), std::string::npos);
  }
  write_text_file("a.txt", "x\n");
  EXPECT_EQ(testing::read_file("a.txt"), "x\n");
  touch_file("a.txt");  // keeps the content
  EXPECT_EQ(testing::read_file("a.txt"), "x\n");
  touch_file("b.txt");
  EXPECT_TRUE(file_exists("b.txt"));
  remove_file("b.txt");
  remove_file("b.txt");  // silent when absent
  EXPECT_FALSE(file_exists("b.txt"));
}

TEST(LineFile, OpensWholeFilesOfAnySize) {
  testing::ScratchDir dir;
  // Long enough to need many reads of a stream buffer; the last line has no
  // line feed and a CR LF line sits in the middle.
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + "\n";
  text += "crlf\r\nlast";
  testing::write_file("big.txt", text);
  auto f = LineFile::open("big.txt");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->count_lines(), 20002u);
  for (int i = 0; i < 20000; ++i) ASSERT_EQ(*f->read(), "line " + std::to_string(i));
  EXPECT_EQ(*f->read(), "crlf");
  EXPECT_EQ(*f->read(), "last");
  EXPECT_FALSE(f->read());
  testing::write_file("empty.txt", "");
  auto e = LineFile::open("empty.txt");
  ASSERT_TRUE(e);
  EXPECT_TRUE(e->at_end());
}

}  // namespace
}  // namespace raincorr

namespace raincorr {
namespace {

TEST(LineFile, OnlyRegularFilesAreRead) {
  testing::ScratchDir dir;
  std::filesystem::create_directory("sub");
  EXPECT_FALSE(LineFile::open("sub"));
  ASSERT_EQ(::mkfifo("pipe", 0600), 0);
  EXPECT_FALSE(LineFile::open("pipe"));       // would wait for a writer
  EXPECT_FALSE(LineFile::open("/dev/zero"));  // would never end
}

}  // namespace
}  // namespace raincorr
