#include "textio/freeform.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <type_traits>

namespace raincorr {
namespace {

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ','; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Length of the run of digits at the start of `s`.
std::size_t digits(std::string_view s) {
  std::size_t n = 0;
  while (n < s.size() && is_digit(s[n])) ++n;
  return n;
}

// The first value of `text` and where it starts; empty when there is none.
std::string_view first_token(std::string_view text) {
  std::size_t pos = 0;
  return next_value(text, pos);
}

// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// The value of a plain decimal [-]digits[.digits] with at most 15 digits
// (`whole` before the point, `fraction` after it), or nullopt for any other
// token. Such a value is an integer below 2^53 divided by a power of ten
// below 2^53, both exact, and one division rounds their exact quotient to
// nearest: the very double that a correctly rounded conversion of the text
// gives. Most values in the data files are of this form, and this is much
// cheaper than the general conversion.
std::optional<double> short_decimal(std::string_view token, std::size_t whole,
                                    std::size_t fraction) {
  const bool negative = token[0] == '-';
  const std::size_t sign = negative || token[0] == '+' ? 1 : 0;
  const std::size_t point = fraction > 0 || (sign + whole < token.size()) ? 1 : 0;
  if (sign + whole + point + fraction != token.size() || whole + fraction > 15) return std::nullopt;
  std::int64_t m = 0;
  for (std::size_t k = sign; k < token.size(); ++k)
    if (token[k] != '.') m = m * 10 + (token[k] - '0');
  const double value = static_cast<double>(m) / kExactPowersOfTen[fraction];
  return negative ? -value : value;
}

template <typename T>
ReadStatus parse_into(std::string_view token, T& v) {
  if (token.empty()) return ReadStatus::kEnd;
  if constexpr (std::is_same_v<T, std::string>) {
    v.assign(token);
    return ReadStatus::kOk;
  } else {
    std::optional<T> parsed;
    if constexpr (std::is_same_v<T, double>) {
      parsed = parse_real(token);
    } else {
      parsed = parse_int(token);
    }
    if (!parsed) return ReadStatus::kBad;
    v = *parsed;
    return ReadStatus::kOk;
  }
}

}  // namespace

std::string_view next_value(std::string_view text, std::size_t& pos) {
  std::size_t b = pos;
  while (b < text.size() && is_separator(text[b])) ++b;
  std::size_t e = b;
  while (e < text.size() && !is_separator(text[e])) ++e;
  pos = e;
  return text.substr(b, e - b);
}

std::optional<std::int32_t> parse_int(std::string_view token) {
  const char* p = token.data();
  const char* const end = p + token.size();
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  if (p == end) return std::nullopt;
  std::int64_t value = 0;
  for (; p != end; ++p) {
    if (!is_digit(*p)) return std::nullopt;
    value = value * 10 + (*p - '0');
    if (value > std::int64_t{2147483648}) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647 || value < -2147483647 - 1) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

namespace {

// The parts of a token that is one free-form real as a whole: an optional
// sign, digits with an optional point (at least one digit in all), then an
// optional exponent of E, e, D or d, an optional sign and digits.
struct RealShape {
  std::size_t whole = 0;         // digits before the point
  std::size_t fraction = 0;      // digits after it
  std::size_t mantissa_end = 0;  // where the exponent letter, if any, stands
  bool has_exponent = false;
};

std::optional<RealShape> real_shape(std::string_view token) {
  RealShape shape;
  std::size_t i = 0;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
  shape.whole = digits(token.substr(i));
  i += shape.whole;
  if (i < token.size() && token[i] == '.') {
    ++i;
    shape.fraction = digits(token.substr(i));
    i += shape.fraction;
  }
  if (shape.whole + shape.fraction == 0) return std::nullopt;
  shape.mantissa_end = i;
  if (i < token.size() &&
      (token[i] == 'E' || token[i] == 'e' || token[i] == 'D' || token[i] == 'd')) {
    std::size_t j = i + 1;
    if (j < token.size() && (token[j] == '+' || token[j] == '-')) ++j;
    const std::size_t exp_digits = digits(token.substr(j));
    if (exp_digits == 0) return std::nullopt;
    shape.has_exponent = true;
    i = j + exp_digits;
  }
  if (i != token.size()) return std::nullopt;
  return shape;
}

}  // namespace

bool is_real(std::string_view token) { return real_shape(token).has_value(); }

std::optional<double> parse_real(std::string_view token) {
  const auto shape = real_shape(token);
  if (!shape) return std::nullopt;
  // from_chars takes no '+' and no D exponent: copy the value over in its
  // plain form (a value of a few dozen characters fits the buffer).
  char text[64];
  std::size_t n = 0;
  const auto put = [&](char c) {
    if (n < sizeof text) text[n++] = c;
  };
  for (std::size_t k = token[0] == '+' ? 1 : 0; k < shape->mantissa_end; ++k) put(token[k]);
  if (shape->has_exponent) {
    put('e');
    for (std::size_t k = shape->mantissa_end + 1; k < token.size(); ++k) put(token[k]);
  }
  if (const auto exact = short_decimal(token, shape->whole, shape->fraction)) return exact;
  double value = 0.0;
  // A value already in the form from_chars takes (no '+' in front, no D
  // exponent), as nearly every value in the data files is, is converted
  // where it stands; the copy gives the same text and so the same value.
  if (n == token.size()) {
    const auto r = std::from_chars(token.data(), token.data() + token.size(), value);
    if (r.ec == std::errc() && r.ptr == token.data() + token.size()) return value;
  }
  if (n < sizeof text) {
    const auto r = std::from_chars(text, text + n, value);
    if (r.ec == std::errc() && r.ptr == text + n) return value;
  }
  // Values out of range, or too long for the buffer: strtod gives the
  // overflowed or underflowed result where from_chars gives none.
  const std::string whole_text(token.substr(0, 1) == "+" ? token.substr(1) : token);
  std::string plain;
  for (char c : whole_text) plain += (c == 'D' || c == 'd') ? 'e' : c;
  return std::strtod(plain.c_str(), nullptr);
}

bool FreeformReader::next_token() {
  for (;;) {
    if (!have_line_) {
      auto line = file_.read();
      if (!line) return false;
      line_ = *line;
      pos_ = 0;
      have_line_ = true;
    }
    while (pos_ < line_.size() && is_separator(line_[pos_])) ++pos_;
    if (pos_ < line_.size()) break;
    have_line_ = false;
  }
  const std::size_t start = pos_;
  while (pos_ < line_.size() && !is_separator(line_[pos_])) ++pos_;
  token_ = line_.substr(start, pos_ - start);
  return true;
}

ReadStatus FreeformReader::read(std::int32_t& v) {
  if (!next_token()) return ReadStatus::kEnd;
  return parse_into(token_, v);
}

ReadStatus FreeformReader::read(double& v) {
  if (!next_token()) return ReadStatus::kEnd;
  return parse_into(token_, v);
}

ReadStatus FreeformReader::read(std::string& v) {
  if (!next_token()) return ReadStatus::kEnd;
  return parse_into(token_, v);
}

ReadStatus read_first(std::string_view text, std::int32_t& v) {
  return parse_into(first_token(text), v);
}
ReadStatus read_first(std::string_view text, double& v) { return parse_into(first_token(text), v); }
ReadStatus read_first(std::string_view text, std::string& v) {
  return parse_into(first_token(text), v);
}

}  // namespace raincorr
