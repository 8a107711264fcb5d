#include "convert/ghcn.h"

#include <array>
#include <charconv>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <tuple>

namespace raincorr::convert {
namespace {

constexpr std::size_t kRecordWidth = 21 + 31 * 8;
constexpr int kNoData = -9999;

struct Month {
  std::array<int, 31> value{};
  std::array<char, 31> qflag{};
};

// An integer in a fixed field that may carry leading blanks.
bool field_int(std::string_view field, int& v) {
  while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
  const auto [ptr, ec] = std::from_chars(field.data(), field.data() + field.size(), v);
  return ec == std::errc() && ptr == field.data() + field.size() && !field.empty();
}

}  // namespace

StationRecord read_ghcn(const std::filesystem::path& file, std::optional<int> from,
                        std::optional<int> to) {
  const std::string name = file.string();
  const auto fail = [&](std::size_t line, const std::string& what) {
    return ConvertFailure("\"" + name + "\", line " + std::to_string(line) + ": " + what);
  };
  std::ifstream in(file, std::ios::binary);
  if (!in) throw ConvertFailure("cannot open \"" + name + "\"");

  std::string station;
  // (element, year, month) -> the month's values; PRCP, TMAX and TMIN only.
  std::map<std::tuple<std::string, int, int>, Month> records;
  std::string text;
  std::size_t line = 0;
  while (std::getline(in, text)) {
    ++line;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.find_first_not_of(' ') == std::string::npos) continue;
    if (text.size() < 21)
      throw fail(line,
                 "a record starts with 21 columns of station, year, month and element; "
                 "found " +
                     std::to_string(text.size()) + " columns");
    const std::string id = text.substr(0, 11);
    const std::string element = text.substr(17, 4);
    if (element != "PRCP" && element != "TMAX" && element != "TMIN") continue;
    int year = 0;
    int month = 0;
    if (!field_int(std::string_view(text).substr(11, 4), year) || year < 1)
      throw fail(line, "year \"" + text.substr(11, 4) + "\" in columns 12-15 is not a year");
    if (!field_int(std::string_view(text).substr(15, 2), month) || month < 1 || month > 12)
      throw fail(line, "month \"" + text.substr(15, 2) + "\" in columns 16-17 is not 1..12");
    if (station.empty()) station = id;
    if (id != station)
      throw fail(line, "station \"" + id + "\" follows station \"" + station +
                           "\"; give one station per file");
    if (text.size() < kRecordWidth)
      throw fail(line, "a " + element + " record has " + std::to_string(kRecordWidth) +
                           " columns; found " + std::to_string(text.size()));
    Month m;
    for (std::size_t d = 0; d < 31; ++d) {
      const std::size_t col = 21 + d * 8;
      if (!field_int(std::string_view(text).substr(col, 5), m.value[d]))
        throw fail(line, "value of day " + std::to_string(d + 1) + " (columns " +
                             std::to_string(col + 1) + "-" + std::to_string(col + 5) + ") \"" +
                             text.substr(col, 5) + "\" is not a number");
      m.qflag[d] = text[col + 6];
    }
    if (!records.emplace(std::make_tuple(element, year, month), m).second)
      throw fail(line, element + " of " + std::to_string(year) + "-" + (month < 10 ? "0" : "") +
                           std::to_string(month) + " is given a second time");
  }

  int first = 0;
  int last = 0;
  for (const auto& [key, m] : records) {
    if (std::get<0>(key) != "PRCP") continue;
    const int y = std::get<1>(key);
    if (first == 0 || y < first) first = y;
    if (y > last) last = y;
  }
  if (first == 0 && (!from || !to))
    throw ConvertFailure("\"" + name +
                         "\" has no PRCP record; give the years with --from and --to");
  StationRecord r =
      empty_record(station.empty() ? name : station, from.value_or(first), to.value_or(last));

  for (const auto& [key, m] : records) {
    const auto& [element, year, month] = key;
    if (year < r.first_year || year > r.last_year) continue;
    for (int d = 1; d <= days_in_month(year, month); ++d) {
      const int v = m.value[static_cast<std::size_t>(d - 1)];
      const bool good = v != kNoData && m.qflag[static_cast<std::size_t>(d - 1)] == ' ';
      StationDay& day = r.days[*day_index(r, {year, month, d})];
      if (element == "PRCP") {
        day.missing = !good;
        day.rain = good ? v / 10.0 : 0.0;
      } else if (good) {
        (element == "TMAX" ? day.tmax : day.tmin) = v / 10.0;
      }
    }
  }
  return r;
}

}  // namespace raincorr::convert
