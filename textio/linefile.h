// Text files read line by line, with the moves the stages need: rewind to the
// start and step back so that the next read returns the line just read.
//
// A LineFile holds the whole file in memory, read once when it is opened;
// the file on disk is never written. A line is the text up to a line feed;
// a carriage return right before the line feed (or at the very end of the
// file) is not part of the line, so CR LF files read like LF files. A last
// line without a line feed still counts as a line.
#ifndef RAINCORR_TEXTIO_LINEFILE_H_
#define RAINCORR_TEXTIO_LINEFILE_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace raincorr {

class LineFile {
 public:
  // Reads the file `path`; nullopt when it cannot be opened or read.
  static std::optional<LineFile> open(const std::string& path);
  // Reads the file `path`; throws RunStop (open error, status 2) when it
  // cannot be opened.
  static LineFile open_or_stop(const std::string& path);
  // A line file over text already in memory; `name` is used in messages.
  LineFile(std::string name, std::string text);

  const std::string& name() const { return name_; }

  // True when no line is left to read.
  bool at_end() const { return pos_ >= text_.size(); }

  // The next line without its line end, or nullopt at the end of the file.
  // The view stays valid as long as the LineFile lives.
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
  std::string name_;
  std::string text_;
  std::size_t pos_ = 0;
  std::size_t line_number_ = 0;
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
