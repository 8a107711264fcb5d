// Finding the first line of a year in a weather file.
#ifndef RAINCORR_DATAFILES_KEYWORD_SEARCH_H_
#define RAINCORR_DATAFILES_KEYWORD_SEARCH_H_

#include <cstddef>
#include <string_view>

#include "textio/linefile.h"

namespace raincorr {

struct LineFlags {
  bool blank;    // every character is a blank
  bool comment;  // the first non-blank character is '*' or '!'
};

// Classifies a line (already cut or padded to its buffer length).
LineFlags ANALIN(std::string_view line);

// Rewinds `file` and positions it so that the next read returns the first
// line (cut or padded to `n` characters) that is neither blank nor a comment
// and whose text from its first non-blank column begins with `word`,
// compared with every character code above 90 lowered by 32 on both sides.
// A word that would run past column n does not match. Prints nothing.
// Throws RunStop "End of file reached, the word not matched, no meaning."
// (standard output, status 1) when no line matches.
void JUMP_LABEL(LineFile& file, std::string_view word, std::size_t n);

}  // namespace raincorr

#endif  // RAINCORR_DATAFILES_KEYWORD_SEARCH_H_
