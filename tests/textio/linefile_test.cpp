#include "textio/linefile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
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

namespace raincorr {
namespace {

// A file on disk is read through a window; every move must give what the
// same moves give over the whole text in memory: many short lines, lines
// longer than the window, CR LF ends, and no line feed at the end.
TEST(LineFile, WindowOnDiskMovesAsTheWholeText) {
  testing::ScratchDir dir;
  std::string text;
  unsigned state = 12345;
  const auto next = [&state](unsigned n) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % n;
  };
  for (int i = 0; i < 20000; ++i) {
    const unsigned kind = next(1000);
    const std::size_t length = kind == 0 ? 100000 + next(500000) : kind < 100 ? 0 : next(40);
    text += std::string(length, static_cast<char>('a' + i % 26));
    text += kind % 3 == 1 ? "\r\n" : "\n";
  }
  text += "last line\r";
  testing::write_file("w.txt", text);

  LineFile whole("w.txt", text);
  auto disk = LineFile::open("w.txt");
  ASSERT_TRUE(disk);
  EXPECT_EQ(disk->count_lines(), whole.count_lines());
  std::size_t furthest = 0;
  for (int step = 0; step < 200000; ++step) {
    const unsigned move = next(1000);
    if (move < 700) {
      const auto want = whole.read();
      const auto got = disk->read();
      ASSERT_EQ(got.has_value(), want.has_value()) << "step " << step;
      if (want) {
        ASSERT_EQ(*got, *want) << "step " << step;
      }
    } else if (move < 950) {
      whole.step_back();
      disk->step_back();
    } else if (move < 998) {
      ASSERT_EQ(disk->at_end(), whole.at_end()) << "step " << step;
    } else if (move < 999) {
      ASSERT_EQ(disk->count_lines(), whole.count_lines());
      ASSERT_EQ(disk->read_field(12), whole.read_field(12)) << "step " << step;
    } else if (next(100) == 0) {
      whole.rewind();
      disk->rewind();
    }
    ASSERT_EQ(disk->line_number(), whole.line_number()) << "step " << step;
    furthest = std::max(furthest, whole.line_number());
  }
  // The walk went through the whole file at least once, past every long line.
  EXPECT_EQ(furthest, whole.count_lines());

  // Back over each long line from the line after it, and over the line
  // before it as well: the window must reach back further than it holds.
  whole.rewind();
  disk->rewind();
  while (const auto line = whole.read()) {
    ASSERT_EQ(disk->read(), line);
    if (line->size() < 100000) continue;
    const std::size_t at = whole.line_number();
    whole.read();
    disk->read();
    for (int back = 0; back < 3; ++back) {
      whole.step_back();
      disk->step_back();
    }
    for (int again = 0; again < 3; ++again) ASSERT_EQ(disk->read(), whole.read()) << "line " << at;
  }
  EXPECT_FALSE(disk->read());

  // Two lines, each longer than the window, one after the other: from the
  // end, every step back must cross a whole window and more.
  const std::string longs = "a\n" + std::string(700000, 'b') + "\n" + std::string(600000, 'c') +
                            "\r\n" + std::string(900000, 'd') + "\ne";
  testing::write_file("long.txt", longs);
  LineFile in_memory("long.txt", longs);
  auto on_disk = LineFile::open("long.txt");
  ASSERT_TRUE(on_disk);
  for (int k = 0; k < 5; ++k) ASSERT_EQ(on_disk->read(), in_memory.read());
  for (int back = 1; back <= 6; ++back) {
    in_memory.step_back();
    on_disk->step_back();
    ASSERT_EQ(on_disk->line_number(), in_memory.line_number());
    ASSERT_EQ(on_disk->read(), in_memory.read()) << back << " back";
    in_memory.step_back();
    on_disk->step_back();
  }
}

}  // namespace
}  // namespace raincorr
