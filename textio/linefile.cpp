#include "textio/linefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <utility>

#include "textio/run_stop.h"

namespace raincorr {
namespace {

// A line buffer large enough that a refill is rare; it grows for a longer
// line.
constexpr std::size_t kInitialCapacity = std::size_t{1} << 18;

// Opens `path` for reading when it names a regular file; -1 otherwise. Only
// regular files: opening a FIFO would wait for a writer, and a device such
// as /dev/zero never ends.
int open_regular(const std::string& path, struct stat& st) {
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

// The top bit of every byte of `word` that equals a line feed, and no other
// bit: the exclusive or makes those bytes zero, and the sum below cannot
// carry from one byte into the next.
std::uint64_t line_feed_flags(std::uint64_t word) {
  constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7fULL;
  constexpr std::uint64_t kFeeds = 0x0a0a0a0a0a0a0a0aULL;
  word ^= kFeeds;
  return ~(((word & kLow7) + kLow7) | word | kLow7);
}

// The first line feed in [p, end), or nullptr. The lines of the data files
// are a few dozen bytes: eight at a time in a register beats a library
// call that is made for long spans.
const char* find_line_feed(const char* p, const char* end) {
  if constexpr (std::endian::native == std::endian::little) {
    while (end - p >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      if (const std::uint64_t flags = line_feed_flags(word); flags != 0)
        return p + (std::countr_zero(flags) >> 3);
      p += 8;
    }
  }
  for (; p != end; ++p)
    if (*p == '\n') return p;
  return nullptr;
}

// The number of line feeds in the `n` bytes at `p`, eight at a time: the
// flags shifted down to ones are summed by one multiplication into the top
// byte.
std::size_t count_line_feeds(const char* p, std::size_t n) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  std::size_t count = 0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, 8);
    count += static_cast<std::size_t>(((line_feed_flags(word) >> 7) * kOnes) >> 56);
  }
  for (; i < n; ++i) count += p[i] == '\n' ? 1 : 0;
  return count;
}

// Reads up to `n` bytes; 0 at the end of the file, -1 on an error.
ssize_t read_some(int fd, char* to, std::size_t n) {
  for (;;) {
    const ssize_t got = ::read(fd, to, n);
    if (got >= 0 || errno != EINTR) return got;
  }
}

}  // namespace

std::optional<LineFile> LineFile::open(const std::string& path) {
  struct stat st;
  const int fd = open_regular(path, st);
  if (fd < 0) return std::nullopt;
  // A small file gets a window of its own size; a large one a window that
  // stays in the processor's cache while the lines pass through it.
  constexpr std::size_t kWindow = std::size_t{1} << 18;
  const auto size = static_cast<std::size_t>(st.st_size);
  return LineFile(path, fd, std::min(kWindow, size + 1));
}

LineFile LineFile::open_or_stop(const std::string& path) {
  auto file = open(path);
  if (!file) throw open_error(path, "the file does not exist or cannot be read");
  return std::move(*file);
}

LineFile::Descriptor& LineFile::Descriptor::operator=(Descriptor&& other) noexcept {
  if (this != &other) {
    if (fd >= 0) ::close(fd);
    fd = std::exchange(other.fd, -1);
  }
  return *this;
}

LineFile::Descriptor::~Descriptor() {
  if (fd >= 0) ::close(fd);
}

LineFile::LineFile(std::string name, std::string text)
    : name_(std::move(name)), owned_(std::move(text)), length_(owned_.size()), end_(length_) {}

LineFile::LineFile(std::string name, int fd, std::size_t capacity)
    : name_(std::move(name)),
      file_(fd),
      buffer_(std::make_unique_for_overwrite<char[]>(capacity)),
      capacity_(capacity) {}

bool LineFile::load_from(std::size_t from) const {
  if (file_.fd < 0) return false;
  if (from >= start_ && from <= window_end()) {
    const std::size_t kept = window_end() - from;
    std::memmove(buffer_.get(), buffer_.get() + (from - start_), kept);
    length_ = kept;
  } else {
    length_ = 0;
  }
  start_ = from;
  if (length_ == capacity_) {
    auto grown = std::make_unique_for_overwrite<char[]>(capacity_ * 2);
    std::memcpy(grown.get(), buffer_.get(), length_);
    buffer_ = std::move(grown);
    capacity_ *= 2;
  }
  bool got_any = false;
  while (length_ < capacity_ && window_end() != end_) {
    const ssize_t got = ::pread(file_.fd, buffer_.get() + length_, capacity_ - length_,
                                static_cast<off_t>(window_end()));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      // The end of the file, or a file that cannot be read on: either way
      // no more lines come from it.
      end_ = window_end();
      break;
    }
    length_ += static_cast<std::size_t>(got);
    got_any = true;
  }
  return got_any;
}

void LineFile::load_before(std::size_t to) const {
  const std::size_t from = to > capacity_ / 2 ? to - capacity_ / 2 : 0;
  // Everything in [from, to) is read again: the window restarts there.
  length_ = 0;
  start_ = from;
  load_from(from);
}

bool LineFile::at_end() const {
  if (pos_ >= start_ && pos_ < window_end()) return false;
  if (end_ != std::string::npos && pos_ >= end_) return true;
  load_from(pos_);
  return !(pos_ >= start_ && pos_ < window_end());
}

std::optional<std::string_view> LineFile::read() {
  if (at_end()) return std::nullopt;
  for (;;) {
    const char* const first = data() + (pos_ - start_);
    const char* const last = data() + length_;
    const char* const feed = find_line_feed(first, last);
    if (feed != nullptr || window_end() == end_) {
      // A line feed ends the line; without one the file ends it.
      const char* const line_end = feed != nullptr ? feed : last;
      std::string_view line(first, static_cast<std::size_t>(line_end - first));
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      pos_ += static_cast<std::size_t>(line_end - first) + (feed != nullptr ? 1 : 0);
      ++line_number_;
      return line;
    }
    // The line runs past the window: move it to the line's start and read
    // on (growing the window for a line longer than it).
    if (!load_from(pos_) && window_end() != end_) end_ = window_end();
  }
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
  if (i - 1 < start_ || i - 1 >= window_end()) load_before(i);
  if (data()[i - 1 - start_] == '\n') --i;
  // k moves down to just after the line feed before i, or to 0; the window
  // moves back whenever k reaches its start.
  std::size_t k = i;
  while (k > 0) {
    if (k - 1 < start_ || k - 1 >= window_end()) load_before(k);
    while (k > start_ && data()[k - 1 - start_] != '\n') --k;
    if (k > start_) break;
  }
  pos_ = k;
  if (line_number_ > 0) --line_number_;
}

std::size_t LineFile::count_lines() const {
  if (file_.fd >= 0 && !(start_ == 0 && window_end() == end_)) {
    // Through the file in window-sized pieces; the window then starts over
    // wherever the next read needs it.
    std::size_t n = 0;
    char last = '\n';
    bool any = false;
    load_from(0);
    for (;;) {
      n += count_line_feeds(data(), length_);
      if (length_ > 0) {
        last = data()[length_ - 1];
        any = true;
      }
      if (window_end() == end_) break;
      const std::size_t next = window_end();
      length_ = 0;
      start_ = next;
      if (!load_from(next)) break;
    }
    length_ = 0;
    start_ = 0;
    return any && last != '\n' ? n + 1 : n;
  }
  const std::string_view text(data(), length_);
  if (text.empty()) return 0;
  const std::size_t n = count_line_feeds(text.data(), text.size());
  return text.back() != '\n' ? n + 1 : n;
}

std::optional<LineStream> LineStream::open(const std::string& path) {
  struct stat st;
  const int fd = open_regular(path, st);
  if (fd < 0) return std::nullopt;
  return LineStream(path, fd, static_cast<std::size_t>(st.st_size));
}

LineStream::LineStream(std::string name, int fd, std::size_t file_size)
    : name_(std::move(name)),
      fd_(fd),
      file_size_(file_size),
      buffer_(std::make_unique_for_overwrite<char[]>(kInitialCapacity)),
      capacity_(kInitialCapacity) {}

LineStream::LineStream(LineStream&& other) noexcept
    : name_(std::move(other.name_)),
      fd_(std::exchange(other.fd_, -1)),
      file_size_(other.file_size_),
      buffer_(std::move(other.buffer_)),
      capacity_(other.capacity_),
      begin_(other.begin_),
      end_(other.end_),
      line_number_(other.line_number_) {}

LineStream::~LineStream() {
  if (fd_ >= 0) ::close(fd_);
}

bool LineStream::fill() {
  if (fd_ < 0) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == capacity_) {
    auto grown = std::make_unique_for_overwrite<char[]>(capacity_ * 2);
    std::memcpy(grown.get(), buffer_.get(), end_);
    buffer_ = std::move(grown);
    capacity_ *= 2;
  }
  const ssize_t got = read_some(fd_, buffer_.get() + end_, capacity_ - end_);
  if (got <= 0) {
    // The end of the file, or a file that cannot be read on: either way no
    // more lines come from it.
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  end_ += static_cast<std::size_t>(got);
  return true;
}

void LineStream::load_rest() {
  // Each fill grows the buffer once it is full, so nothing read is dropped.
  while (fill()) {
  }
}

std::optional<std::string_view> LineStream::read() {
  const char* nl = nullptr;
  for (;;) {
    nl = find_line_feed(buffer_.get() + begin_, buffer_.get() + end_);
    if (nl != nullptr || !fill()) break;
  }
  if (nl == nullptr && begin_ == end_) return std::nullopt;
  const char* first = buffer_.get() + begin_;
  const char* last = nl != nullptr ? nl : buffer_.get() + end_;
  std::string_view line(first, static_cast<std::size_t>(last - first));
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  begin_ = static_cast<std::size_t>(last - buffer_.get()) + (nl != nullptr ? 1 : 0);
  ++line_number_;
  return line;
}

OutFile::OutFile(const std::string& path, std::size_t buffer_size)
    : path_(path),
      buffer_(std::make_unique_for_overwrite<char[]>(buffer_size)),
      capacity_(buffer_size) {
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) throw open_error(path, std::string("cannot be created: ") + std::strerror(errno));
}

OutFile::~OutFile() {
  if (fd_ < 0) return;
  flush();
  ::close(fd_);
}

void OutFile::append(std::string_view text) {
  while (!text.empty()) {
    if (used_ == capacity_) flush();
    const std::size_t n = std::min(text.size(), capacity_ - used_);
    std::memcpy(buffer_.get() + used_, text.data(), n);
    used_ += n;
    text.remove_prefix(n);
  }
}

void OutFile::flush() {
  std::size_t done = 0;
  while (done < used_ && !failed_) {
    const ssize_t put = ::write(fd_, buffer_.get() + done, used_ - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0)
      failed_ = true;
    else
      done += static_cast<std::size_t>(put);
  }
  used_ = 0;
}

void OutFile::close() {
  if (fd_ < 0) return;
  flush();
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  // A write that failed on the way is reported here, where a file written
  // whole at once would have reported it.
  if (failed_ || !closed) throw open_error(path_, "cannot be written");
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
