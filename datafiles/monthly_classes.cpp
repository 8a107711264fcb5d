#include "datafiles/monthly_classes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "datafiles/calendar.h"
#include "textio/fields.h"
#include "textio/freeform.h"
#include "textio/linefile.h"
#include "textio/run_stop.h"

namespace raincorr {
namespace {

// Year and day of year of a series record, read as two free-form integers
// from the year (columns 2-5), a blank and the day (columns 6-8), so a field
// may hold its number anywhere: as one read statement over the line
// "yyyy ddd" would read them, a carriage return at its end dropped as a
// line end. False when the two are not both integers.
bool read_date(std::string_view record, std::int32_t& year, std::int32_t& doy) {
  char date[8];
  record.copy(date, 4, 1);
  date[4] = ' ';
  record.copy(date + 5, 3, 5);
  std::string_view text(date, sizeof date);
  if (text.back() == '\r') text.remove_suffix(1);
  // The first value, then the next one after it.
  std::size_t end = 0;
  const auto next = [&text, &end]() {
    std::size_t b = end;
    while (b < text.size() && (text[b] == ' ' || text[b] == '\t' || text[b] == ',')) ++b;
    end = b;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != ',') ++end;
    return text.substr(b, end - b);
  };
  const auto y = parse_int(next());
  if (!y) return false;
  const auto d = parse_int(next());
  if (!d) return false;
  year = *y;
  doy = *d;
  return true;
}

}  // namespace

void DUMPF2(const std::string& name, std::ostream& console) {
  const std::string stem = name_stem(text_field(name, kTextWidth));
  const std::string series_name = stem + ".pcp";
  // A missing series file is made empty, which gives twelve empty classes.
  touch_file(series_name);
  LineFile series = LineFile::open_or_stop(series_name);

  std::array<std::string, 12> class_names;
  for (std::size_t m = 0; m < 12; ++m) {
    class_names[m] = stem + "_" + std::to_string(m + 1) + ".txt";
    write_text_file(class_names[m], "");
  }
  console << "Grouping data from " << series_name << " into monthly class...\n";

  std::array<std::string, 12> classes;
  // A month of a whole-year series holds about a twelfth of the records;
  // reserving that spares most copies of repeated growth on long series.
  const std::size_t per_month = series.count_lines() / 11 * 8 + 64;
  for (auto& c : classes) c.reserve(per_month);
  std::array<char, kTextWidth> record{};
  while (!series.at_end()) {
    const auto raw = series.read();
    if (!raw) throw system_stop("Error reading line");
    const std::size_t kept = std::min(raw->size(), record.size());
    raw->copy(record.data(), kept);
    std::fill(record.begin() + static_cast<std::ptrdiff_t>(kept), record.end(), ' ');
    const std::string_view text(record.data(), record.size());

    std::int32_t year = 0;
    std::int32_t doy = 0;
    if (!read_date(text, year, doy)) {
      // The records grouped so far stay in their class files, as they
      // would had each been written the moment it was read.
      for (std::size_t m = 0; m < 12; ++m) write_text_file(class_names[m], classes[m]);
      throw read_error(
          series_name, series.line_number(),
          "year and day of year " + shown_text(text.substr(1, 7)) + " are not two integers");
    }
    std::string& out = classes[static_cast<std::size_t>(DOYTEST(LEAPYEAR(year), doy)) - 1];
    char line[8] = {' '};
    std::memcpy(line + 1, record.data() + 9, 6);
    line[7] = '\n';
    out.append(line, sizeof line);
  }
  for (std::size_t m = 0; m < 12; ++m) write_text_file(class_names[m], classes[m]);
}

}  // namespace raincorr
