// Fixed-width text fields: the one place where the tool pads, cuts and
// right-aligns what it writes to the console and to its files.
//
// Pure functions: nothing here reads or writes a file or prints. The put_*
// forms write a field into a caller's buffer, for the loops that write one
// record per day and must not build a string for every field.
#ifndef RAINCORR_TEXTIO_FIELDS_H_
#define RAINCORR_TEXTIO_FIELDS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace raincorr {

// Width of a file-name or argument text, and of a weather or series line.
inline constexpr std::size_t kTextWidth = 32;
// Width of a line of the GCM daily data file.
inline constexpr std::size_t kGcmLineWidth = 80;

// `s` cut to `width` characters or padded on the right with blanks.
std::string text_field(std::string_view s, std::size_t width);

// `s` without its trailing blanks.
std::string_view trim_right(std::string_view s);

// True when every character of `s` is a blank (also for an empty `s`).
bool is_blank(std::string_view s);

// The name stem of a file name: its first five characters, trailing blanks
// removed. Every intermediate and output file is named stem + suffix.
std::string name_stem(std::string_view name);

// `v` in plain decimal, right-aligned in `width` columns; a field of
// `width` asterisks when it needs more columns.
std::string int_field(std::int64_t v, int width);

// `v` in fixed-point notation with `decimals` digits after the point,
// rounded to the nearest (ties to even on the exact binary value),
// right-aligned in `width` columns; a field of asterisks when it needs more.
// A value that is not finite is written "NaN", "Inf" or "-Inf", right-aligned
// (asterisks when the field is narrower than that text).
std::string fixed_field(double v, int width, int decimals);

// The most columns a put_* field takes; wider fields are never needed.
inline constexpr int kMaxFieldWidth = 64;

// Write the text of int_field(v, width) or fixed_field(v, width, decimals)
// at `out`, exactly max(width, 0) characters with the same rounding and
// overflow rules, and return the end of what was written. `width` must not
// exceed kMaxFieldWidth.
char* put_int(char* out, std::int64_t v, int width);
char* put_fixed(char* out, double v, int width, int decimals);

}  // namespace raincorr

#endif  // RAINCORR_TEXTIO_FIELDS_H_
