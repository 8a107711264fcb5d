// Text files read line by line, with the moves the stages need: rewind to the
// start and step back so that the next read returns the line just read.
//
// A LineFile over a file on disk reads it through a window of a few hundred
// kilobytes that follows the reads (and moves back for a step back or a
// rewind), so that a file of any size costs neither its size in memory nor
// a pass through cold memory; the file must not change while it is read.
// The file on disk is never written. A line is the text up to a line feed;
// a carriage return right before the line feed (or at the very end of the
// file) is not part of the line, so CR LF files read like LF files. A last
// line without a line feed still counts as a line.
#ifndef RAINCORR_TEXTIO_LINEFILE_H_
#define RAINCORR_TEXTIO_LINEFILE_H_

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace raincorr {

class LineFile {
 public:
  // Opens the file `path` (regular files only: a FIFO would wait for a
  // writer, a device such as /dev/zero never ends); nullopt when it cannot
  // be opened.
  static std::optional<LineFile> open(const std::string& path);
  // Opens the file `path`; throws RunStop (open error, status 2) when it
  // cannot be opened.
  static LineFile open_or_stop(const std::string& path);
  // A line file over text already in memory; `name` is used in messages.
  LineFile(std::string name, std::string text);

  const std::string& name() const { return name_; }

  // True when no line is left to read.
  bool at_end() const;

  // The next line without its line end, or nullopt at the end of the file
  // (also where a file on disk can no longer be read). The view stays
  // valid until the next call that moves in the file (read, read_field,
  // step_back, rewind, at_end, count_lines); for text given in memory, as
  // long as the LineFile lives.
  std::optional<std::string_view> read();

  // The next line cut or blank-padded to `width` characters.
  std::optional<std::string> read_field(std::size_t width);

  // Repositions so that the next read returns the line read last; at the
  // start of the file it does nothing. May be repeated to go further back.
  void step_back();

  // Back to the first line.
  void rewind() {
    pos_ = 0;
    line_number_ = 0;
  }

  // Number (from 1) of the line read last; 0 before the first read.
  std::size_t line_number() const { return line_number_; }

  // Number of lines in the whole file.
  std::size_t count_lines() const;

 private:
  // An open file descriptor, closed with its owner.
  struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    explicit Descriptor(int f) : fd(f) {}
    Descriptor(Descriptor&& other) noexcept : fd(other.fd) { other.fd = -1; }
    Descriptor& operator=(Descriptor&& other) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor();
  };

  LineFile(std::string name, int fd, std::size_t capacity);

  // The window: bytes [start_, start_ + length_) of the file at data().
  const char* data() const { return buffer_ ? buffer_.get() : owned_.data(); }
  std::size_t window_end() const { return start_ + length_; }
  // Moves the window to begin at `from` (bytes already in it are kept, the
  // rest is read; a full window that cannot begin later grows) and reads
  // on to fill it. False when no byte after `from` could be had.
  bool load_from(std::size_t from) const;
  // Moves the window so that it ends at `to` with as much before it as it
  // holds, for a step back.
  void load_before(std::size_t to) const;

  std::string name_;
  std::string owned_;  // text given in memory: the window is all of it
  Descriptor file_;
  mutable std::unique_ptr<char[]> buffer_;
  mutable std::size_t capacity_ = 0;
  mutable std::size_t start_ = 0;
  mutable std::size_t length_ = 0;
  // Where the file was found to end, once a read has met its end.
  mutable std::size_t end_ = std::string::npos;
  std::size_t pos_ = 0;
  std::size_t line_number_ = 0;
};

// A text file read forward only, through a buffer of fixed size, for inputs
// that need no step back and are too large to hold whole. Lines follow the
// rules of LineFile. The file on disk is never written.
class LineStream {
 public:
  // Opens the file `path` (regular files only, as LineFile::open); nullopt
  // when it cannot be opened.
  static std::optional<LineStream> open(const std::string& path);
  LineStream(LineStream&& other) noexcept;
  LineStream& operator=(LineStream&&) = delete;
  LineStream(const LineStream&) = delete;
  LineStream& operator=(const LineStream&) = delete;
  ~LineStream();

  const std::string& name() const { return name_; }

  // The size of the file in bytes when it was opened.
  std::size_t file_size() const { return file_size_; }

  // Reads the rest of the file into memory now, so that the file may be
  // replaced while its lines are still to be read; a file that cannot be
  // read on ends where reading stopped.
  void load_rest();

  // The next line without its line end, or nullopt at the end of the file
  // (also when the file cannot be read on). The view stays valid until the
  // next read() or load_rest().
  std::optional<std::string_view> read();

  // Number (from 1) of the line read last; 0 before the first read.
  std::size_t line_number() const { return line_number_; }

 private:
  LineStream(std::string name, int fd, std::size_t file_size);
  // Reads more of the file after the bytes not yet handed out, moving them
  // to the front and growing the buffer for a line longer than it; false
  // when nothing more could be read.
  bool fill();

  std::string name_;
  int fd_ = -1;
  std::size_t file_size_ = 0;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
  std::size_t begin_ = 0;  // first byte not yet handed out
  std::size_t end_ = 0;    // end of the bytes read
  std::size_t line_number_ = 0;
};

// A file written through a large buffer, for the files that receive one
// record per day. The file is created or replaced when the OutFile is made;
// the bytes reach it whenever the buffer is full and at close(). An OutFile
// that is destroyed without close() (the run stops) still writes what it
// holds, so the file keeps every record appended before the stop.
class OutFile {
 public:
  // Creates or replaces `path`, to be written through a buffer of
  // `buffer_size` bytes; throws RunStop (open error, status 2) when it
  // cannot be created.
  explicit OutFile(const std::string& path, std::size_t buffer_size = kDefaultBuffer);
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;
  ~OutFile();

  // Room for `n` more bytes (at most the buffer size), to be filled by the
  // caller; commit(p) then ends the record at p, which must lie within that
  // room.
  char* room(std::size_t n) {
    if (capacity_ - used_ < n) flush();
    return buffer_.get() + used_;
  }
  void commit(const char* end) { used_ = static_cast<std::size_t>(end - buffer_.get()); }

  void append(std::string_view text);

  // Writes what is buffered and closes the file; throws RunStop (open
  // error "cannot be written", status 2) when the bytes cannot be written.
  void close();

  static constexpr std::size_t kDefaultBuffer = std::size_t{1} << 18;

 private:
  void flush();

  std::string path_;
  int fd_ = -1;
  bool failed_ = false;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t used_ = 0;
};

// Writes `content` to `path`, creating or replacing the file; throws
// RunStop (status 2) when the file cannot be written.
void write_text_file(const std::string& path, std::string_view content);

// Creates `path` empty when it does not exist; an existing file keeps its
// content. Throws RunStop (status 2) when it cannot be created.
void touch_file(const std::string& path);

// Deletes `path`; a file that is not there is passed over silently.
void remove_file(const std::string& path);

// True when `path` names an existing file.
bool file_exists(const std::string& path);

}  // namespace raincorr

#endif  // RAINCORR_TEXTIO_LINEFILE_H_
