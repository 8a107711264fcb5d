#include "textio/fields.h"

#include <charconv>
#include <cmath>

namespace raincorr {
namespace {

std::string right_align(std::string_view text, int width) {
  if (width < 0) width = 0;
  const auto w = static_cast<std::size_t>(width);
  if (text.size() > w) return std::string(w, '*');
  std::string out(w - text.size(), ' ');
  out += text;
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

std::string int_field(std::int64_t v, int width) { return right_align(std::to_string(v), width); }

std::string fixed_field(double v, int width, int decimals) {
  if (std::isnan(v)) return right_align("NaN", width);
  if (std::isinf(v)) return right_align(v > 0 ? "Inf" : "-Inf", width);
  // Wide enough for any finite double in fixed notation. to_chars rounds the
  // exact binary value to nearest, ties to even, as printf does, but faster.
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  return right_align(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)), width);
}

}  // namespace raincorr
