#include "textio/fields.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstring>

namespace raincorr {
namespace {

// `text` right-aligned in `width` columns at `out`, or `width` asterisks
// when it does not fit; returns the end of the field.
char* put_right_aligned(char* out, std::string_view text, int width) {
  const auto w = static_cast<std::size_t>(width < 0 ? 0 : width);
  if (text.size() > w) {
    std::memset(out, '*', w);
  } else {
    std::memset(out, ' ', w - text.size());
    std::memcpy(out + (w - text.size()), text.data(), text.size());
  }
  return out + w;
}

std::string right_align(std::string_view text, int width) {
  std::string out(static_cast<std::size_t>(width < 0 ? 0 : width), ' ');
  put_right_aligned(out.data(), text, width);
  return out;
}

}  // namespace

std::string text_field(std::string_view s, std::size_t width) {
  std::string out(s.substr(0, width));
  out.resize(width, ' ');
  return out;
}

std::string_view trim_right(std::string_view s) {
  const auto last = s.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view() : s.substr(0, last + 1);
}

bool is_blank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

std::string name_stem(std::string_view name) { return std::string(trim_right(name.substr(0, 5))); }

std::string int_field(std::int64_t v, int width) {
  std::string out(static_cast<std::size_t>(width < 0 ? 0 : width), ' ');
  if (width <= kMaxFieldWidth) {
    put_int(out.data(), v, width);
    return out;
  }
  return right_align(std::to_string(v), width);
}

std::string fixed_field(double v, int width, int decimals) {
  if (width <= kMaxFieldWidth) {
    std::string out(static_cast<std::size_t>(width < 0 ? 0 : width), ' ');
    put_fixed(out.data(), v, width, decimals);
    return out;
  }
  if (std::isnan(v)) return right_align("NaN", width);
  if (std::isinf(v)) return right_align(v > 0 ? "Inf" : "-Inf", width);
  // Wide enough for any finite double in fixed notation.
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  return right_align(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)), width);
}

char* put_int(char* out, std::int64_t v, int width) {
  assert(width <= kMaxFieldWidth);
  // The digits are written from the right end of a scratch field; the sign
  // and the blanks go before them.
  char buf[24];
  char* const end = buf + sizeof buf;
  char* p = end;
  auto u = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  do {
    *--p = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u != 0);
  if (v < 0) *--p = '-';
  return put_right_aligned(out, std::string_view(p, static_cast<std::size_t>(end - p)), width);
}

char* put_fixed(char* out, double v, int width, int decimals) {
  assert(width <= kMaxFieldWidth);
  if (std::isnan(v)) return put_right_aligned(out, "NaN", width);
  if (std::isinf(v)) return put_right_aligned(out, v > 0 ? "Inf" : "-Inf", width);
  // to_chars rounds the exact binary value to nearest, ties to even, as
  // printf does, but faster. A value whose text cannot fit the field stops
  // to_chars at the end of the scratch buffer, which is then too small for
  // the field all the same: asterisks either way.
  char buf[kMaxFieldWidth + 1];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) return put_right_aligned(out, std::string_view(buf, sizeof buf), width);
  return put_right_aligned(out, std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)),
                           width);
}

}  // namespace raincorr
