// Free-form reading of numbers and words from text.
//
// Values are separated by blanks, tabs, commas and line ends; a run of
// separators counts as one. A value is the text up to the next separator and
// must be whole: an integer is an optional sign and digits that fit in 32
// bits (a decimal fraction where an integer is expected is an error); a real
// is an optional sign, digits with an optional decimal point, and an
// optional exponent introduced by E, e, D or d.
#ifndef RAINCORR_TEXTIO_FREEFORM_H_
#define RAINCORR_TEXTIO_FREEFORM_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "textio/linefile.h"

namespace raincorr {

// Whole-token parsers: nullopt unless all of `token` is one value.
std::optional<std::int32_t> parse_int(std::string_view token);
std::optional<double> parse_real(std::string_view token);
// True exactly when parse_real(token) gives a value; nothing is converted.
bool is_real(std::string_view token);

enum class ReadStatus {
  kOk,   // a value was read
  kEnd,  // the text ended before a value was found
  kBad,  // the next value is not of the kind asked for
};

// Reads values one after another from a LineFile, as a read statement of
// free-form input does: begin() starts a statement at the next line, and the
// values of one statement are taken across as many lines as they need. The
// values a statement leaves unread on its last line are dropped by the next
// begin(). Nothing is printed; the caller decides what a kEnd or kBad means.
class FreeformReader {
 public:
  explicit FreeformReader(LineFile& file) : file_(file) {}

  // Starts a new read statement; the next value comes from the next line.
  void begin() { have_line_ = false; }

  ReadStatus read(std::int32_t& v);
  ReadStatus read(double& v);
  // A word: the characters up to the next separator.
  ReadStatus read(std::string& v);

  // The text of the value read last (or found bad), for messages.
  std::string_view last_token() const { return token_; }
  // The line of the file on which that value stands.
  std::size_t line_number() const { return file_.line_number(); }

 private:
  // Finds the next value, crossing line ends; false at the end of the file.
  bool next_token();

  LineFile& file_;
  std::string_view line_;
  std::size_t pos_ = 0;
  bool have_line_ = false;
  std::string_view token_;
};

// The next value of the one-line `text` from `pos` on, as the reader splits
// values; `pos` moves past it. Empty when no value is left on the line.
// For the per-day loops that read a line whose values all stand on it.
std::string_view next_value(std::string_view text, std::size_t& pos);

// The first value of `text` alone, as a read statement over one line would
// see it: kEnd when `text` holds no value at all.
ReadStatus read_first(std::string_view text, std::int32_t& v);
ReadStatus read_first(std::string_view text, double& v);
ReadStatus read_first(std::string_view text, std::string& v);

}  // namespace raincorr

#endif  // RAINCORR_TEXTIO_FREEFORM_H_
