#include "datafiles/keyword_search.h"

#include "textio/run_stop.h"

namespace raincorr {
namespace {

// Folds every code above 'Z' down by 32, so lower-case letters compare equal
// to capitals (and, as a side effect, e.g. '[' to ';' and '_' to '?').
unsigned char fold(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u > 90 ? static_cast<unsigned char>(u - 32) : u;
}

}  // namespace

LineFlags ANALIN(std::string_view line) {
  const auto first = line.find_first_not_of(' ');
  if (first == std::string_view::npos) return {true, false};
  return {false, line[first] == '*' || line[first] == '!'};
}

void JUMP_LABEL(LineFile& file, std::string_view word, std::size_t n) {
  file.rewind();
  while (auto raw = file.read()) {
    // The buffer holds the first n characters; the padding up to n is blank,
    // so the cut line classifies and compares exactly as the padded one.
    const std::string_view line = raw->substr(0, n);
    const LineFlags flags = ANALIN(line);
    if (flags.blank || flags.comment) continue;
    const std::size_t p = line.find_first_not_of(' ');
    // A word that would run past the buffer cannot be on this line; the
    // comparison never reads beyond column n.
    if (p + word.size() > n) continue;
    bool match = true;
    for (std::size_t i = 0; i < word.size() && match; ++i) {
      const char c = p + i < line.size() ? line[p + i] : ' ';
      match = fold(c) == fold(word[i]);
    }
    if (match) {
      file.step_back();
      return;
    }
  }
  throw system_stop("End of file reached, the word not matched, no meaning.");
}

}  // namespace raincorr
