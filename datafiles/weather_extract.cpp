#include "datafiles/weather_extract.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "datafiles/calendar.h"
#include "datafiles/keyword_search.h"
#include "textio/fields.h"
#include "textio/freeform.h"
#include "textio/linefile.h"
#include "textio/run_stop.h"

namespace raincorr {
namespace {

// Common-year day of 28 February: windows that start (or, across the year
// end, stop) before it keep their line numbers in a leap year.
constexpr int kLastFebruaryDay = 59;

// A record of the series file: a blank, the date code, the rainfall and a
// line feed.
constexpr std::size_t kSeriesRecord = 1 + 8 + 5 + 1;

// True when a series record (without its line feed) holds a date code and a
// rainfall value that a read statement starting on it takes from it alone:
// the statement then ends on this record, and the next one starts on the
// next record, as for every record of a well-formed series.
bool reads_alone(std::string_view record) {
  // Read back as a line, a carriage return at its end would be a line end.
  if (!record.empty() && record.back() == '\r') record.remove_suffix(1);
  std::size_t pos = 0;
  return parse_int(next_value(record, pos)) && is_real(next_value(record, pos));
}

// Walks the weather file by line counts and collects the three series files.
// Every read may meet the end of the file; the moves then return false and
// the selection stops where it is, keeping what has been taken.
class Selection {
 public:
  Selection(LineFile& in, std::string_view year2, int doy1, int doy2, OutFile& series,
            OutFile& values, OutFile& dated)
      : series(series),
        values(values),
        dated(dated),
        in_(in),
        year2_(year2),
        doy1_(doy1),
        doy2_(doy2) {}

  // Returns how the selection ended: at the first line of year2, or at the
  // end of the file (wherever in the window that fell).
  SelectionEnd run();

  // The date code (columns 1-7) of the last line read.
  std::string last_date() const { return std::string(cols(1, 7)); }

  // The three files are written as the records come.
  OutFile& series;  // <stem>.pcp
  OutFile& values;  // <stem>.pkp
  OutFile& dated;   // <stem>_y.pcp
  // The number of records written.
  std::size_t records = 0;
  // The first record (from 1) that the check pass cannot read from its own
  // line alone, 0 while there is none; only then does the check pass read
  // the series again. Every statement before it reads exactly its record.
  std::size_t first_irregular = 0;
  // The input line of each record from first_irregular on, so that a record
  // the check pass cannot read is reported where it can be mended: in the
  // weather file. The check pass cannot fail on a record before it.
  std::vector<std::size_t> source_lines;

 private:
  // The line read into a 32-column buffer (cut or blank-padded).
  bool read() {
    const auto raw = in_.read();
    if (!raw) return false;
    line_.fill(' ');
    raw->copy(line_.data(), std::min(raw->size(), line_.size()));
    return true;
  }
  std::string_view cols(std::size_t first, std::size_t last) const {
    return std::string_view(line_.data() + first - 1, last - first + 1);
  }
  bool skip(int k) {
    for (int i = 0; i < k; ++i)
      if (!read()) return false;
    return true;
  }
  // Takes k lines; with `drop_last` the last of them is read but not written.
  bool take(int k, bool drop_last = false) {
    for (int i = 0; i < k; ++i) {
      if (!read()) return false;
      if (!(drop_last && i == k - 1)) write();
    }
    return true;
  }
  void write() {
    // The rainfall is read from the last five columns of its six-column
    // field. A value that fills all six (-999.0, a common missing-value
    // mark, or 1234.5) would silently lose its first character.
    if (cols(26, 26) != " ") {
      throw read_error(
          in_.name(), in_.line_number(),
          "rainfall " + shown_text(cols(26, 31)) + " in columns 26-31 does not fit columns 27-31");
    }
    // Series: a blank, columns 1-8 and the rainfall in columns 27-31.
    char* const record = series.room(kSeriesRecord);
    record[0] = ' ';
    std::memcpy(record + 1, line_.data(), 8);
    std::memcpy(record + 9, line_.data() + 26, 5);
    record[14] = '\n';
    series.commit(record + kSeriesRecord);
    ++records;
    if (first_irregular == 0 && !reads_alone(std::string_view(record, kSeriesRecord - 1)))
      first_irregular = records;
    if (first_irregular != 0) source_lines.push_back(in_.line_number());
    // Values: the rainfall alone.
    char* p = values.room(6);
    std::memcpy(p, record + 9, 6);
    values.commit(p + 6);
    // Dated: year, day of year and rainfall, blank-separated.
    p = dated.room(15);
    std::memcpy(p, line_.data(), 4);
    p[4] = ' ';
    std::memcpy(p + 5, line_.data() + 4, 3);
    p[8] = ' ';
    std::memcpy(p + 9, record + 9, 6);
    dated.commit(p + 15);
  }
  bool is_year2() const { return cols(1, 4) == year2_; }
  int leap_of_line() const {
    std::int32_t year = 0;
    if (read_first(cols(1, 4), year) != ReadStatus::kOk) {
      throw read_error(in_.name(), in_.line_number(),
                       "year field " + shown_text(cols(1, 4)) + " is not an integer");
    }
    return LEAPYEAR(year);
  }
  // In a leap year the window moves one line down from 29 February on; a
  // window that starts before it (or ends before it, across the year end)
  // takes one line less from the shifted side.
  int shift(int leap) const {
    return leap == 1 && (doy1_ < kLastFebruaryDay || (doy2_ < kLastFebruaryDay && doy1_ > doy2_))
               ? 1
               : 0;
  }

  LineFile& in_;
  std::string_view year2_;
  int doy1_;
  int doy2_;
  std::array<char, kTextWidth> line_{};
};

SelectionEnd Selection::run() {
  constexpr SelectionEnd kEnded = SelectionEnd::kEndOfFile;
  // A one-day window (doy1 == doy2) is a window inside the year.
  const bool inside = doy1_ <= doy2_;
  for (bool first_year = true;; first_year = false) {
    if (!read()) return kEnded;
    if (is_year2()) return SelectionEnd::kYear2;
    const int leap = leap_of_line();
    const int a = shift(leap);
    if (first_year && !inside) {
      in_.step_back();
      if (!skip(leap + doy1_)) return kEnded;
      if (leap == 1) in_.step_back();
    }
    if (inside) {
      in_.step_back();
      if (!skip(leap + doy1_ - a)) return kEnded;
      in_.step_back();
      // A leap year whose window ends before 29 February reads one line too
      // many to stay aligned; that line is not part of the window.
      const bool drop_last = leap == 1 && doy1_ < kLastFebruaryDay && doy2_ < kLastFebruaryDay;
      if (!take(doy2_ - doy1_ + 1 + a, drop_last)) return kEnded;
      if (!skip(365 - doy2_)) return kEnded;
    } else {
      // The part from doy1 to the end of this year.
      if (leap == 0) in_.step_back();
      if (!take(366 - doy1_)) return kEnded;
      // The part from day 1 to doy2 of the next year, then on to its line
      // doy1, where the next pass starts.
      if (!read()) return kEnded;
      if (is_year2()) return SelectionEnd::kYear2;
      const int next_leap = leap_of_line();
      const int next_a = shift(next_leap);
      in_.step_back();
      if (!take(doy2_ + next_leap - next_a)) return kEnded;
      if (!skip(doy1_ - doy2_ - next_leap + next_a)) return kEnded;
      in_.step_back();
    }
    if (in_.at_end()) return kEnded;
  }
}

// Reads the series back as a free-form reader would, one date code and one
// rainfall value per statement: a record without its rainfall text borrows
// the next record's date code, and the statements then run out of records.
// Returns the number of records. A value that is not a number is reported
// at the line of `weather_file` that the record came from.
// `source_lines` holds the input lines of the records from record `first`
// on.
std::size_t check_series(LineFile& series, const std::string& weather_file, std::size_t n,
                         std::size_t first, const std::vector<std::size_t>& source_lines) {
  FreeformReader reader(series);
  auto bad = [&](std::string_view what) {
    const std::size_t record = reader.line_number();
    const std::size_t line =
        record >= first && record - first < source_lines.size() ? source_lines[record - first] : 0;
    return read_error(weather_file, line,
                      std::string(what) + " " + shown_text(reader.last_token()) +
                          " is not a number (record " + std::to_string(record) + " of " +
                          series.name() + ")");
  };
  for (std::size_t i = 0; i < n; ++i) {
    reader.begin();
    std::int32_t date = 0;
    double rain = 0.0;
    ReadStatus s = reader.read(date);
    if (s == ReadStatus::kBad) throw bad("date code");
    if (s == ReadStatus::kOk) {
      s = reader.read(rain);
      if (s == ReadStatus::kBad) throw bad("rainfall value");
    }
    if (s == ReadStatus::kEnd) throw system_stop("Error reading file, your data is very bad man!");
  }
  return n;
}

}  // namespace

Extraction WTD_EXTRACT2(const std::string& name, const std::string& stem, int doy1, int doy2,
                        std::string_view year1_text, std::string_view year2_text,
                        std::ostream& console) {
  const std::string file_name(trim_right(text_field(name, kTextWidth)));
  auto in = LineFile::open(file_name);
  if (!in) throw system_stop(" ERROR, parser cannot access the file: " + file_name + "\n");

  const std::string out_stem(trim_right(stem));
  const std::string series_name = out_stem + ".pcp";
  const std::string values_name = out_stem + ".pkp";
  const std::string dated_name = out_stem + "_y.pcp";
  OutFile series(series_name);
  OutFile values(values_name);
  OutFile dated(dated_name);

  const std::string year1 = text_field(year1_text, 4);
  const std::string year2 = text_field(year2_text, 4);
  JUMP_LABEL(*in, year1, kTextWidth);
  console << "Extracting data from " << file_name << " please wait...\n";

  Selection selection(*in, year2, doy1, doy2, series, values, dated);
  const auto write_outputs = [&] {
    series.close();
    values.close();
    dated.close();
  };
  SelectionEnd end = SelectionEnd::kYear2;
  try {
    end = selection.run();
  } catch (const RunStop&) {
    // A year field that is not a number ends the run; the records taken
    // before it stay in the series files, as they would had each been
    // written the moment it was read.
    write_outputs();
    throw;
  }
  write_outputs();

  // Records that each hold their date code and value are read back one
  // statement per record, so the check pass can only count them; any other
  // series is read back from its file as the check pass has always read it.
  std::size_t n = selection.records;
  if (selection.first_irregular != 0) {
    LineFile written = LineFile::open_or_stop(series_name);
    n = check_series(written, file_name, n, selection.first_irregular, selection.source_lines);
  }
  console << "Data extracted:" << int_field(static_cast<std::int64_t>(n), 6) << "\n";
  return Extraction{n, end, selection.last_date()};
}

}  // namespace raincorr
