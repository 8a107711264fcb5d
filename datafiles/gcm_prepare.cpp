#include "datafiles/gcm_prepare.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

#include "datafiles/calendar.h"
#include "textio/fields.h"
#include "textio/freeform.h"
#include "textio/linefile.h"
#include "textio/run_stop.h"

namespace raincorr {
namespace {

// Printed after a GCM file that cannot be opened, exactly as the tool has
// always worded its usage (five parameters, no threshold).
constexpr const char* kUsage =
    " USAGE: <Command> <file1> <file2> <param1> <param2> <param3> <param4> <param5> \n"
    " <file1>: Weather file in WTD format (4-digit year)\n"
    " <file2>: GCM data, OSTREL data library free format\n"
    " <param1>: year1 - starting year of analysis, 4-digit code, e.g. 1970\n"
    " <param2>: year2 - ending year (+ 1), e.g. 1999 if you want 1998 for analysis\n"
    " <param3>: DOY1 - start of Month1, non-leap year\n"
    " <param4>: DOY2 - end of Month2, non-leap year\n"
    " <param5>: emp_gamma(=0,gamma-gamma),(=1,emperical-gammma),(=2,mult. adjustment)\n"
    " <param6>: formt(=0,raw daily GCM OSTREL free format),(=1,cleaned dd-mm-yr-data)";

constexpr std::string_view kMonthNames = "JanFebMarAprMayJunJulAugSepOctNovDec";

// The raw layouts (0 and 2) hold the model's rainfall rate; this factor
// brings it to the mm per day of the observed weather file. Cleaned data
// (layout 1) are in mm per day already.
constexpr double kRawToMm = 86400000.0;

// A prepared line: date code, 19 blanks, rainfall, line feed.
constexpr std::size_t kPreparedLine = 7 + 19 + 5 + 1;

// The date and value of one data line, as read from its four pieces.
struct Pieces {
  std::int32_t day = 0;
  std::string month;
  std::int32_t year = 0;
  double value = 0.0;
  std::string value_text;  // the value as written, for messages
};

// Columns first..last (1-based) of the 80-column buffer.
std::string_view cols(std::string_view line, std::size_t first, std::size_t last) {
  return line.substr(first - 1, last - first + 1);
}

int layout_of(std::string_view line) {
  if (is_blank(cols(line, 27, 54))) return 1;
  if (is_blank(cols(line, 52, 69))) return 2;
  return 0;
}

// 1-based month of a month text, 0 when it names none (case matters).
int month_number(std::string_view text) {
  text = trim_right(text);
  if (text.size() != 3) return 0;
  for (std::size_t m = 0; m < 12; ++m)
    if (kMonthNames.substr(3 * m, 3) == text) return static_cast<int>(m) + 1;
  return 0;
}

// Where the four pieces of a line were taken from, for messages: the fixed
// columns of a cleaned line (blank 0), or the blank that a free-position
// date follows. The text is made only for a message, never per line.
enum class Piece { kDay, kMonth, kYear, kValue };

std::string piece_spot(std::size_t blank, Piece piece) {
  if (blank != 0) return "after the blank at column " + std::to_string(blank);
  switch (piece) {
    case Piece::kDay:
      return "in columns 1-2";
    case Piece::kMonth:
      return "in columns 3-6";
    case Piece::kYear:
      return "in columns 7-11";
    case Piece::kValue:
      break;
  }
  return "in columns 12-26";
}

// Converts the four pieces as free-form reads would: each piece alone, its
// first value taken. `file` and `line` name the line for messages.
Pieces read_pieces(const std::string& file, std::size_t line, std::size_t blank,
                   std::string_view day, std::string_view month, std::string_view year,
                   std::string_view value) {
  auto bad = [&](std::string_view what, Piece piece, std::string_view text) {
    if (is_blank(text))
      return read_error(file, line, "no " + std::string(what) + " " + piece_spot(blank, piece));
    const auto first = text.find_first_not_of(' ');
    return read_error(file, line,
                      std::string(what) + " " + shown_text(trim_right(text.substr(first))) + " " +
                          piece_spot(blank, piece) + " is not a number");
  };
  Pieces p;
  if (read_first(day, p.day) != ReadStatus::kOk) throw bad("day of month", Piece::kDay, day);
  // A blank month piece leaves the text empty: it names no month.
  read_first(month, p.month);
  if (read_first(year, p.year) != ReadStatus::kOk) throw bad("year", Piece::kYear, year);
  if (read_first(value, p.value) != ReadStatus::kOk)
    throw bad("rainfall value", Piece::kValue, value);
  const auto first = value.find_first_not_of(' ');
  const auto word = value.substr(first);
  p.value_text = word.substr(0, word.find(' '));
  return p;
}

// The prepared rainfall: one decimal in five columns, at `out`.
char* put_rainfall(char* out, double value) { return put_fixed(out, value, 5, 1); }

// A day whose rainfall does not fit the five columns (999.95 mm or more
// once rounded, or not finite) would reach the prepared file as asterisks
// and stop the run later at a line of a file the user never wrote. It is
// refused here, at its own line, with the likeliest cause for the raw
// layouts: a file in kg m-2 s-1 (mm/s) read as m/s. `field` is the value's
// prepared field.
void check_fits(const LineStream& file, const Pieces& pieces, int layout, double value,
                const char* field) {
  if (std::isfinite(value) && field[0] != '*') return;
  char converted[32];
  auto [end, ec] =
      std::to_chars(converted, converted + sizeof converted, value, std::chars_format::general, 7);
  if (ec != std::errc()) end = converted;
  std::string what = "rainfall " + shown_text(pieces.value_text) + " is " +
                     std::string(converted, end) +
                     " mm/day, too large for the prepared weather file (at most 999.9)";
  if (layout != 1) {
    what +=
        "; layouts 0 and 2 are taken to be in m s-1 and multiplied by 86400000, so a file "
        "in kg m-2 s-1 (mm s-1) gives values 1000 times too large";
  }
  throw read_error(file.name(), file.line_number(), what);
}

// SHIFT_LEFT on a line buffer of `size` characters.
void shift_left(char* line, std::size_t size, std::size_t n, std::size_t p) {
  if (p < 1 || p > n || p > size || line[p - 1] != ' ') return;
  // Only the 31 columns after p move; column p + 31 keeps its character, so
  // it now stands twice.
  const std::size_t last = std::min({p + 31, n, size});
  for (std::size_t c = p; c < last; ++c) line[c - 1] = line[c];
}

// True when `a` and `b` name one and the same existing file.
bool same_file(const std::string& a, const std::string& b) {
  struct stat sa;
  struct stat sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

}  // namespace

void SHIFT_LEFT(std::string& line, std::size_t n, std::size_t p) {
  shift_left(line.data(), line.size(), n, p);
}

void GCM_PREPARE2(const std::string& name, int& formt, std::ostream& console) {
  const std::string file_name(trim_right(text_field(name, kTextWidth)));
  // The GCM file is the largest input: it is read line by line through a
  // fixed buffer, and the prepared lines go out through one as well.
  auto in = LineStream::open(file_name);
  if (!in) {
    throw system_stop(" ERROR, parser cannot access the file: " + file_name + "\n\n" + kUsage);
  }
  const std::string out_name = name_stem(file_name) + "_.wtd_";
  // Replacing the prepared file must not cut off a GCM file that is the
  // same file under another name (a link): that one is read whole first.
  if (same_file(file_name, out_name)) in->load_rest();
  OutFile out(out_name);

  if (!in->read()) throw system_stop("Error reading, file does not exist");
  if (!in->read()) throw end_of_file_error(file_name, 2, "the second header line is missing");

  console << "Preparing daily GCM data from " << file_name << " please wait... \n";
  out.append("@  DATE  SRAD  TMAX  TMIN  RAIN\n");

  std::optional<Pieces> pieces;  // of the last line that had them
  int month = 0;                 // carried over lines whose month text names none
  std::int64_t count = 0;
  try {
    char buffer[kGcmLineWidth];
    const std::string_view line(buffer, sizeof buffer);
    while (const auto raw = in->read()) {
      // The line cut or blank-padded to the 80-column buffer.
      const std::size_t kept = std::min(raw->size(), sizeof buffer);
      std::memcpy(buffer, raw->data(), kept);
      std::memset(buffer + kept, ' ', sizeof buffer - kept);
      const int layout = layout_of(line);
      formt = layout;
      if (layout == 1) {
        pieces = read_pieces(file_name, in->line_number(), 0, cols(line, 1, 2), cols(line, 3, 6),
                             cols(line, 7, 11), cols(line, 12, 26));
      } else {
        const std::size_t first = layout == 2 ? 39 : 23;
        const std::size_t last = layout == 2 ? 45 : 26;
        const auto blank = cols(line, first, last).find(' ');
        if (blank != std::string_view::npos) {
          const std::size_t p = first + blank;
          shift_left(buffer, sizeof buffer, kGcmLineWidth, p);
          pieces = read_pieces(file_name, in->line_number(), p, cols(line, p, p + 1),
                               cols(line, p + 2, p + 5), cols(line, p + 6, p + 10),
                               cols(line, p + 11, kGcmLineWidth));
        } else if (!pieces) {
          // Later lines without a blank reuse the previous line's date and
          // value; the first data line has nothing to reuse.
          throw read_error(file_name, in->line_number(),
                           "no blank in columns " + std::to_string(first) + "-" +
                               std::to_string(last) + " to start the date from");
        }
      }

      double value = pieces->value < 0.0 ? 0.0 : pieces->value;
      if (layout != 1) value *= kRawToMm;
      char rainfall[5];
      put_rainfall(rainfall, value);
      check_fits(*in, *pieces, layout, value, rainfall);
      if (const int m = month_number(pieces->month); m != 0) month = m;
      if (month == 0) {
        throw read_error(file_name, in->line_number(),
                         pieces->month.empty()
                             ? std::string("no month name (Jan..Dec) and none from a line before")
                             : "month " + shown_text(pieces->month) + " names no month (Jan..Dec)");
      }
      int doy = 0;
      CONVERT_DAY_DOY(pieces->day, doy, month, LEAPYEAR(pieces->year));

      // The date code yyyyddd: the day of year with leading zeros.
      char* p = out.room(kPreparedLine);
      p = put_int(p, pieces->year, 4);
      char* const day_of_year = p;
      p = put_int(p, doy, 3);
      for (char* c = day_of_year; c < day_of_year + 2; ++c)
        if (*c == ' ') *c = '0';
      p = std::fill_n(p, 19, ' ');
      p = std::copy(rainfall, rainfall + sizeof rainfall, p);
      *p++ = '\n';
      out.commit(p);
      ++count;
    }
  } catch (const RunStop&) {
    // A line that cannot be read ends the run; the lines prepared before it
    // stay in the prepared file, as they would had each been written the
    // moment it was made.
    out.close();
    throw;
  }
  out.close();
  console << "Data extracted:" << int_field(count, 6) << "\n";
}

}  // namespace raincorr
