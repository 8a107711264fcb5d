#include "textio/linefile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>

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

namespace raincorr {
namespace {

// A stream gives the lines a LineFile gives, also across many refills of
// its buffer and for a line longer than the buffer.
TEST(LineStream, ReadsTheLinesOfALineFile) {
  testing::ScratchDir dir;
  std::string text;
  for (int i = 0; i < 60000; ++i) text += "line " + std::to_string(i) + (i % 7 ? "\n" : "\r\n");
  text += std::string(700000, 'x') + "\n\n";
  text += "crlf\r\nlast\r";
  struct Case {
    const char* name;
    std::string text;
  };
  const Case cases[] = {
      {"big.txt", text},  {"empty.txt", ""}, {"blank.txt", "\n"},
      {"one.txt", "one"}, {"cr.txt", "\r"},  {"feeds.txt", "\n\n\r\n"},
  };
  for (const auto& c : cases) {
    testing::write_file(c.name, c.text);
    LineFile whole(c.name, c.text);
    auto stream = LineStream::open(c.name);
    ASSERT_TRUE(stream) << c.name;
    EXPECT_EQ(stream->file_size(), c.text.size());
    while (const auto want = whole.read()) {
      const auto got = stream->read();
      ASSERT_TRUE(got) << c.name << " line " << whole.line_number();
      ASSERT_EQ(*got, *want) << c.name << " line " << whole.line_number();
      ASSERT_EQ(stream->line_number(), whole.line_number());
    }
    EXPECT_FALSE(stream->read()) << c.name;
    EXPECT_FALSE(stream->read()) << c.name;
  }
  EXPECT_FALSE(LineStream::open("missing.txt"));
  std::filesystem::create_directory("sub");
  EXPECT_FALSE(LineStream::open("sub"));
  ASSERT_EQ(::mkfifo("pipe", 0600), 0);
  EXPECT_FALSE(LineStream::open("pipe"));
}

// After load_rest the file may be replaced: the lines still to come are
// those of the file as it was.
TEST(LineStream, LoadRestKeepsTheLinesToCome) {
  testing::ScratchDir dir;
  std::string text;
  for (int i = 0; i < 100000; ++i) text += std::to_string(i) + "\n";
  testing::write_file("in.txt", text);
  auto stream = LineStream::open("in.txt");
  ASSERT_TRUE(stream);
  EXPECT_EQ(*stream->read(), "0");
  stream->load_rest();
  write_text_file("in.txt", "replaced\n");
  for (int i = 1; i < 100000; ++i) ASSERT_EQ(*stream->read(), std::to_string(i));
  EXPECT_FALSE(stream->read());
}

// Records written through a small buffer arrive whole and in order; a file
// left without close() (a stopped run) still receives every record.
TEST(OutFile, WritesThroughItsBuffer) {
  testing::ScratchDir dir;
  std::string want;
  {
    OutFile out("a.txt", 64);
    for (int i = 0; i < 1000; ++i) {
      const std::string record = std::to_string(i) + "\n";
      char* p = out.room(record.size());
      std::memcpy(p, record.data(), record.size());
      out.commit(p + record.size());
      want += record;
      out.append("+");  // appended text may cross the buffer's end
      want += "+";
    }
    out.append(std::string(1000, 'y'));
    want += std::string(1000, 'y');
    out.close();
  }
  EXPECT_EQ(testing::read_file("a.txt"), want);

  testing::write_file("b.txt", "old content\n");
  {
    OutFile out("b.txt");
    out.append("kept\n");
  }
  EXPECT_EQ(testing::read_file("b.txt"), "kept\n");

  testing::write_file("c.txt", "old content\n");
  { OutFile out("c.txt"); }  // created or replaced: empty
  EXPECT_EQ(testing::read_file("c.txt"), "");
}

TEST(OutFile, FailuresAreOpenErrors) {
  testing::ScratchDir dir;
  std::filesystem::create_directory("sub");
  try {
    OutFile out("sub");
    FAIL() << "a folder was opened as a file";
  } catch (const RunStop& s) {
    EXPECT_EQ(s.status, 2);
    EXPECT_TRUE(s.to_stderr);
    EXPECT_EQ(s.message, "raincorr: cannot open \"sub\": cannot be created: Is a directory\n");
  }
  if (std::filesystem::exists("/dev/full")) {
    OutFile full("/dev/full", 16);
    full.append("more than sixteen bytes");
    try {
      full.close();
      FAIL() << "a full device took the bytes";
    } catch (const RunStop& s) {
      EXPECT_EQ(s.message, "raincorr: cannot open \"/dev/full\": cannot be written\n");
    }
  }
}

}  // namespace
}  // namespace raincorr
