// How the data-file stages quote a piece of an input line in an error
// message.
#ifndef RAINCORR_DATAFILES_SHOWN_TEXT_H_
#define RAINCORR_DATAFILES_SHOWN_TEXT_H_

#include <string>
#include <string_view>

namespace raincorr {

// `text` in double quotes, with every byte that is not printable ASCII
// (NUL, other control codes, bytes of 128 and above) written as \xNN, so
// that a message about a binary or damaged input stays one readable line.
inline std::string shown_text(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (const char ch : text) {
    const auto u = static_cast<unsigned char>(ch);
    if (u >= 0x20 && u < 0x7f) {
      out += ch;
    } else {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 0xf];
    }
  }
  out += '"';
  return out;
}

}  // namespace raincorr

#endif  // RAINCORR_DATAFILES_SHOWN_TEXT_H_
