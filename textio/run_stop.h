// The one way a stage ends the run early.
//
// Stages never call exit() and never print their failure themselves: they
// throw a RunStop, and main() prints its message on the chosen channel and
// exits with its status. Messages of the tool's own (the usage text, "Error
// reading line", ...) go to standard output with status 1; open, end-of-file
// and read errors worded by us go to standard error with status 2.
#ifndef RAINCORR_TEXTIO_RUN_STOP_H_
#define RAINCORR_TEXTIO_RUN_STOP_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace raincorr {

struct RunStop {
  std::string message;  // printed as is; holds its own line ends (may be empty)
  bool to_stderr;       // false: standard output
  int status;           // process exit status, 1 or 2
};

// A message of the tool's own, printed as one or more lines on standard
// output; `lines` holds the text without the final line end.
RunStop system_stop(std::string_view lines);

// "raincorr: cannot open "<file>": <why>" on standard error, status 2.
RunStop open_error(std::string_view file, std::string_view why);

// "raincorr: read error in "<file>", line <n>: <what>" on standard error,
// status 2; line 0 leaves out the line part.
RunStop read_error(std::string_view file, std::size_t line, std::string_view what);

// "raincorr: unexpected end of file in "<file>", line <n>: <what>" on
// standard error, status 2; line 0 leaves out the line part.
RunStop end_of_file_error(std::string_view file, std::size_t line, std::string_view what);

// `text` in double quotes, with every byte that is not printable ASCII
// (NUL, other control codes, bytes of 128 and above) written as \xNN, so
// that a message about a binary or damaged input stays one readable line.
std::string shown_text(std::string_view text);

// "raincorr: <what>" on standard error with the given status: refusals of
// run parameters and failures that concern no single file.
RunStop usage_error(std::string_view what, int status);

}  // namespace raincorr

#endif  // RAINCORR_TEXTIO_RUN_STOP_H_
