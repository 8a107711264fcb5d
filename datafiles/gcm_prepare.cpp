#include "datafiles/gcm_prepare.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
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

// The date and value of one data line, as read from its four pieces.
struct Pieces {
  std::int32_t day = 0;
  std::string month;
  std::int32_t year = 0;
  double value = 0.0;
  std::string value_text;  // the value as written, for messages
};

// Columns first..last (1-based) of the 80-column buffer.
std::string_view cols(const std::string& line, std::size_t first, std::size_t last) {
  return std::string_view(line).substr(first - 1, last - first + 1);
}

int layout_of(const std::string& line) {
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
// columns of a cleaned line, or the blank that a free-position date follows.
struct PieceSpots {
  std::string day, month, year, value;
};

PieceSpots fixed_spots() {
  return {"in columns 1-2", "in columns 3-6", "in columns 7-11", "in columns 12-26"};
}

PieceSpots free_spots(std::size_t blank) {
  const std::string after = "after the blank at column " + std::to_string(blank);
  return {after, after, after, after};
}

// Converts the four pieces as free-form reads would: each piece alone, its
// first value taken.
Pieces read_pieces(const LineFile& file, const PieceSpots& spots, std::string_view day,
                   std::string_view month, std::string_view year, std::string_view value) {
  auto bad = [&](std::string_view what, const std::string& spot, std::string_view text) {
    if (is_blank(text))
      return read_error(file.name(), file.line_number(), "no " + std::string(what) + " " + spot);
    const auto first = text.find_first_not_of(' ');
    return read_error(file.name(), file.line_number(),
                      std::string(what) + " " + shown_text(trim_right(text.substr(first))) + " " +
                          spot + " is not a number");
  };
  Pieces p;
  if (read_first(day, p.day) != ReadStatus::kOk) throw bad("day of month", spots.day, day);
  // A blank month piece leaves the text empty: it names no month.
  read_first(month, p.month);
  if (read_first(year, p.year) != ReadStatus::kOk) throw bad("year", spots.year, year);
  if (read_first(value, p.value) != ReadStatus::kOk)
    throw bad("rainfall value", spots.value, value);
  const auto first = value.find_first_not_of(' ');
  const auto word = value.substr(first);
  p.value_text = word.substr(0, word.find(' '));
  return p;
}

// The prepared rainfall: one decimal in five columns.
std::string rainfall_field(double value) { return fixed_field(value, 5, 1); }

// A day whose rainfall does not fit the five columns (999.95 mm or more
// once rounded, or not finite) would reach the prepared file as asterisks
// and stop the run later at a line of a file the user never wrote. It is
// refused here, at its own line, with the likeliest cause for the raw
// layouts: a file in kg m-2 s-1 (mm/s) read as m/s.
void check_fits(const LineFile& file, const Pieces& pieces, int layout, double value) {
  if (std::isfinite(value) && rainfall_field(value).front() != '*') return;
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

}  // namespace

void SHIFT_LEFT(std::string& line, std::size_t n, std::size_t p) {
  if (p < 1 || p > n || p > line.size() || line[p - 1] != ' ') return;
  // Only the 31 columns after p move; column p + 31 keeps its character, so
  // it now stands twice.
  const std::size_t last = std::min({p + 31, n, line.size()});
  for (std::size_t c = p; c < last; ++c) line[c - 1] = line[c];
}

void GCM_PREPARE2(const std::string& name, int& formt, std::ostream& console) {
  const std::string file_name(trim_right(text_field(name, kTextWidth)));
  auto in = LineFile::open(file_name);
  if (!in) {
    throw system_stop(" ERROR, parser cannot access the file: " + file_name + "\n\n" + kUsage);
  }
  const std::string out_name = name_stem(file_name) + "_.wtd_";
  write_text_file(out_name, "");

  if (!in->read()) throw system_stop("Error reading, file does not exist");
  if (!in->read()) throw end_of_file_error(file_name, 2, "the second header line is missing");

  console << "Preparing daily GCM data from " << file_name << " please wait... \n";
  std::string out = "@  DATE  SRAD  TMAX  TMIN  RAIN\n";
  out.reserve(out.size() + in->count_lines() * 32);

  std::optional<Pieces> pieces;  // of the last line that had them
  int month = 0;                 // carried over lines whose month text names none
  std::int64_t count = 0;
  try {
    while (auto field = in->read_field(kGcmLineWidth)) {
      std::string& line = *field;
      const int layout = layout_of(line);
      formt = layout;
      if (layout == 1) {
        pieces = read_pieces(*in, fixed_spots(), cols(line, 1, 2), cols(line, 3, 6),
                             cols(line, 7, 11), cols(line, 12, 26));
      } else {
        const std::size_t first = layout == 2 ? 39 : 23;
        const std::size_t last = layout == 2 ? 45 : 26;
        const auto blank = cols(line, first, last).find(' ');
        if (blank != std::string_view::npos) {
          const std::size_t p = first + blank;
          SHIFT_LEFT(line, kGcmLineWidth, p);
          pieces = read_pieces(*in, free_spots(p), cols(line, p, p + 1), cols(line, p + 2, p + 5),
                               cols(line, p + 6, p + 10), cols(line, p + 11, kGcmLineWidth));
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
      check_fits(*in, *pieces, layout, value);
      if (const int m = month_number(pieces->month); m != 0) month = m;
      if (month == 0) {
        throw read_error(file_name, in->line_number(),
                         pieces->month.empty()
                             ? std::string("no month name (Jan..Dec) and none from a line before")
                             : "month " + shown_text(pieces->month) + " names no month (Jan..Dec)");
      }
      int doy = 0;
      CONVERT_DAY_DOY(pieces->day, doy, month, LEAPYEAR(pieces->year));

      std::string date = int_field(pieces->year, 4) + int_field(doy, 3);
      for (std::size_t c = 4; c < 6; ++c)
        if (date[c] == ' ') date[c] = '0';
      out += date;
      out.append(19, ' ');
      out += rainfall_field(value);
      out += '\n';
      ++count;
    }
  } catch (const RunStop&) {
    // A line that cannot be read ends the run; the lines prepared before it
    // stay in the prepared file, as they would had each been written the
    // moment it was made.
    write_text_file(out_name, out);
    throw;
  }
  write_text_file(out_name, out);
  console << "Data extracted:" << int_field(count, 6) << "\n";
}

}  // namespace raincorr
