#include "datafiles/monthly_classes.h"

#include <algorithm>
#include <array>
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

// A class record: a blank, columns 10-15 of the series record, a line feed.
constexpr std::size_t kClassRecord = 8;
// Twelve files take their records in turn: smaller buffers than a single
// output file gets keep the twelve together modest.
constexpr std::size_t kClassBuffer = std::size_t{1} << 16;

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
  std::size_t pos = 0;
  const auto y = parse_int(next_value(text, pos));
  if (!y) return false;
  const auto d = parse_int(next_value(text, pos));
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
  auto series = LineStream::open(series_name);
  if (!series) throw open_error(series_name, "the file does not exist or cannot be read");

  // Created (or emptied) before the first record is read; each receives
  // its records through a buffer of its own.
  std::array<std::optional<OutFile>, 12> classes;
  for (std::size_t m = 0; m < 12; ++m)
    classes[m].emplace(stem + "_" + std::to_string(m + 1) + ".txt", kClassBuffer);
  console << "Grouping data from " << series_name << " into monthly class...\n";

  std::array<char, kTextWidth> record{};
  while (const auto raw = series->read()) {
    const std::size_t kept = std::min(raw->size(), record.size());
    raw->copy(record.data(), kept);
    std::fill(record.begin() + static_cast<std::ptrdiff_t>(kept), record.end(), ' ');
    const std::string_view text(record.data(), record.size());

    std::int32_t year = 0;
    std::int32_t doy = 0;
    if (!read_date(text, year, doy)) {
      // The records grouped so far stay in their class files, as they
      // would had each been written the moment it was read.
      for (auto& c : classes) c->close();
      throw read_error(
          series_name, series->line_number(),
          "year and day of year " + shown_text(text.substr(1, 7)) + " are not two integers");
    }
    OutFile& out = *classes[static_cast<std::size_t>(DOYTEST(LEAPYEAR(year), doy)) - 1];
    char* const line = out.room(kClassRecord);
    line[0] = ' ';
    std::memcpy(line + 1, record.data() + 9, 6);
    line[7] = '\n';
    out.commit(line + kClassRecord);
  }
  for (auto& c : classes) c->close();
}

}  // namespace raincorr
