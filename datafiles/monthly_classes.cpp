#include "datafiles/monthly_classes.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "datafiles/calendar.h"
#include "textio/fields.h"
#include "textio/freeform.h"
#include "textio/linefile.h"
#include "textio/run_stop.h"

namespace raincorr {

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
    record.fill(' ');
    raw->copy(record.data(), std::min(raw->size(), record.size()));
    const std::string_view text(record.data(), record.size());

    // Year and day of year are read as two free-form integers from the
    // year, a blank and the day, so a field may hold its number anywhere.
    std::string date(text.substr(1, 4));
    date += ' ';
    date += text.substr(5, 3);
    LineFile date_record(series_name, std::move(date));
    FreeformReader reader(date_record);
    reader.begin();
    std::int32_t year = 0;
    std::int32_t doy = 0;
    if (reader.read(year) != ReadStatus::kOk || reader.read(doy) != ReadStatus::kOk) {
      // The records grouped so far stay in their class files, as they
      // would had each been written the moment it was read.
      for (std::size_t m = 0; m < 12; ++m) write_text_file(class_names[m], classes[m]);
      throw read_error(
          series_name, series.line_number(),
          "year and day of year " + shown_text(text.substr(1, 7)) + " are not two integers");
    }
    std::string& out = classes[static_cast<std::size_t>(DOYTEST(LEAPYEAR(year), doy)) - 1];
    out += ' ';
    out += text.substr(9, 6);
    out += '\n';
  }
  for (std::size_t m = 0; m < 12; ++m) write_text_file(class_names[m], classes[m]);
}

}  // namespace raincorr
