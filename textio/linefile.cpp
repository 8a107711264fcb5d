#include "textio/linefile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "textio/run_stop.h"

namespace raincorr {

std::optional<LineFile> LineFile::open(const std::string& path) {
  // Only regular files: opening a FIFO would wait for a writer, and a
  // device such as /dev/zero never ends.
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return std::nullopt;
  // Read straight into the string at the file's known size: the inputs run
  // to tens of megabytes, and every extra copy shows in the run time. A file
  // that grows meanwhile is read on in blocks.
  std::string text;
  std::size_t got = 0;
  if (st.st_size > 0) {
    text.resize(static_cast<std::size_t>(st.st_size));
    got = std::fread(text.data(), 1, text.size(), f);
    text.resize(got);
  }
  char block[1 << 16];
  while ((got = std::fread(block, 1, sizeof block, f)) > 0) text.append(block, got);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return std::nullopt;
  return LineFile(path, std::move(text));
}

LineFile LineFile::open_or_stop(const std::string& path) {
  auto file = open(path);
  if (!file) throw open_error(path, "the file does not exist or cannot be read");
  return std::move(*file);
}

LineFile::LineFile(std::string name, std::string text)
    : name_(std::move(name)), text_(std::move(text)) {}

std::optional<std::string_view> LineFile::read() {
  if (at_end()) return std::nullopt;
  const auto nl = text_.find('\n', pos_);
  const std::size_t end = nl == std::string::npos ? text_.size() : nl;
  std::string_view line(text_.data() + pos_, end - pos_);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  pos_ = nl == std::string::npos ? text_.size() : nl + 1;
  ++line_number_;
  return line;
}

std::optional<std::string> LineFile::read_field(std::size_t width) {
  auto line = read();
  if (!line) return std::nullopt;
  std::string out(line->substr(0, width));
  out.resize(width, ' ');
  return out;
}

void LineFile::step_back() {
  if (pos_ == 0) return;
  // pos_ is just after the line read last: skip its line feed (absent only
  // for a last line without one), then find the line feed before it.
  std::size_t i = pos_;
  if (text_[i - 1] == '\n') --i;
  const auto prev_nl = i == 0 ? std::string::npos : text_.rfind('\n', i - 1);
  pos_ = prev_nl == std::string::npos ? 0 : prev_nl + 1;
  if (line_number_ > 0) --line_number_;
}

std::size_t LineFile::count_lines() const {
  if (text_.empty()) return 0;
  std::size_t n = static_cast<std::size_t>(std::count(text_.begin(), text_.end(), '\n'));
  if (text_.back() != '\n') ++n;
  return n;
}

void write_text_file(const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw open_error(path, std::string("cannot be created: ") + std::strerror(errno));
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  out.close();
  if (!out) throw open_error(path, "cannot be written");
}

void touch_file(const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  if (!out) throw open_error(path, std::string("cannot be created: ") + std::strerror(errno));
}

void remove_file(const std::string& path) { std::remove(path.c_str()); }

bool file_exists(const std::string& path) { return std::ifstream(path).good(); }

}  // namespace raincorr
