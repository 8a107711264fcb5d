#include "convert/csv.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <string_view>

namespace raincorr::convert {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Splits one line into fields; a field in double quotes may hold the
// delimiter, and "" inside it stands for one quote.
std::vector<std::string> split(std::string_view line, char delimiter) {
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false;
  bool was_quoted = false;
  for (std::size_t k = 0; k < line.size(); ++k) {
    const char c = line[k];
    if (quoted) {
      if (c == '"' && k + 1 < line.size() && line[k + 1] == '"') {
        field += '"';
        ++k;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"' && trim(field).empty()) {
      quoted = true;
      was_quoted = true;
      field.clear();
    } else if (c == delimiter) {
      fields.push_back(was_quoted ? field : std::string(trim(field)));
      field.clear();
      was_quoted = false;
    } else if (!was_quoted) {
      field += c;
    }
  }
  fields.push_back(was_quoted ? field : std::string(trim(field)));
  return fields;
}

bool two_digits(std::string_view s, int& v) {
  if (s.size() != 2 || !std::isdigit(static_cast<unsigned char>(s[0])) ||
      !std::isdigit(static_cast<unsigned char>(s[1])))
    return false;
  v = (s[0] - '0') * 10 + (s[1] - '0');
  return true;
}

bool iso_date_of(std::string_view s, Date& d) {
  if (s.size() != 10 || s[4] != '-' || s[7] != '-') return false;
  for (std::size_t k : {0, 1, 2, 3})
    if (!std::isdigit(static_cast<unsigned char>(s[k]))) return false;
  d.year = (s[0] - '0') * 1000 + (s[1] - '0') * 100 + (s[2] - '0') * 10 + (s[3] - '0');
  return two_digits(s.substr(5, 2), d.month) && two_digits(s.substr(8, 2), d.day) && d.year >= 1 &&
         valid_date(Calendar::kGregorian, d);
}

}  // namespace

StationRecord read_csv(const std::filesystem::path& file, const CsvOptions& options) {
  const std::string name = file.string();
  const auto fail = [&](std::size_t line, const std::string& what) {
    return ConvertFailure("\"" + name + "\", line " + std::to_string(line) + ": " + what);
  };
  std::ifstream in(file, std::ios::binary);
  if (!in) throw ConvertFailure("cannot open \"" + name + "\"");

  std::string text;
  std::size_t line = 0;
  std::vector<std::string> header;
  while (header.empty() && std::getline(in, text)) {
    ++line;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (!trim(text).empty()) header = split(text, options.delimiter);
  }
  if (header.empty()) throw ConvertFailure("\"" + name + "\" is empty; expected a header row");
  // A byte-order mark is no part of the first column's name.
  if (header[0].rfind("\xEF\xBB\xBF", 0) == 0) header[0].erase(0, 3);
  const auto column = [&](const std::string& wanted) {
    const auto it = std::find(header.begin(), header.end(), wanted);
    if (it == header.end())
      throw fail(line, "no column \"" + wanted + "\" in the header row (delimiter '" +
                           std::string(1, options.delimiter) + "')");
    return static_cast<std::size_t>(it - header.begin());
  };
  const std::size_t date_col = column(options.date_column);
  const std::size_t rain_col = column(options.rain_column);

  struct Row {
    Date date;
    bool missing;
    double rain;
  };
  std::vector<Row> rows;
  std::size_t previous_line = 0;
  while (std::getline(in, text)) {
    ++line;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (trim(text).empty()) continue;
    const auto fields = split(text, options.delimiter);
    if (fields.size() <= std::max(date_col, rain_col))
      throw fail(line, "expected at least " + std::to_string(std::max(date_col, rain_col) + 1) +
                           " fields, found " + std::to_string(fields.size()));
    Row row{};
    if (!iso_date_of(fields[date_col], row.date))
      throw fail(line, "date \"" + fields[date_col] + "\" is not a date YYYY-MM-DD");
    if (!rows.empty()) {
      const Date& before = rows.back().date;
      if (row.date == before)
        throw fail(line, "date " + iso_date(row.date) + " is given twice (also on line " +
                             std::to_string(previous_line) + ")");
      if (day_number(Calendar::kGregorian, row.date) < day_number(Calendar::kGregorian, before))
        throw fail(line, "date " + iso_date(row.date) + " comes after " + iso_date(before) +
                             " (line " + std::to_string(previous_line) +
                             "); dates must be in order");
    }
    const std::string& cell = fields[rain_col];
    row.missing =
        cell.empty() || std::find(options.na.begin(), options.na.end(), cell) != options.na.end();
    if (!row.missing) {
      const auto [ptr, ec] = std::from_chars(cell.data(), cell.data() + cell.size(), row.rain);
      if (ec != std::errc() || ptr != cell.data() + cell.size() || !std::isfinite(row.rain))
        throw fail(line, "rainfall \"" + cell +
                             "\" is not a number (an empty cell or an --na text is a missing "
                             "day)");
      if (row.rain < 0) throw fail(line, "rainfall \"" + cell + "\" is negative");
      row.rain += 0.0;  // "-0" is written as 0.0, not -0.0
    }
    rows.push_back(row);
    previous_line = line;
  }
  if (rows.empty() && (!options.from || !options.to))
    throw ConvertFailure("\"" + name + "\" has no data rows after its header");

  StationRecord r =
      empty_record(file.filename().string(), options.from.value_or(rows.front().date.year),
                   options.to.value_or(rows.back().date.year));
  for (const Row& row : rows) {
    const auto k = day_index(r, row.date);
    if (!k) continue;
    r.days[*k].missing = row.missing;
    r.days[*k].rain = row.missing ? 0.0 : row.rain;
  }
  return r;
}

}  // namespace raincorr::convert
