#include "convert/station.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "convert/output.h"
#include "textio/fields.h"

namespace raincorr::convert {
namespace {

// One row per year that has missing days: its count and its first date.
struct MissingYear {
  int year = 0;
  int count = 0;
  Date first;
};

std::string missing_table(const std::vector<MissingYear>& years) {
  std::string t = "  year  missing  first missing day\n";
  for (const auto& y : years)
    t += "  " + int_field(y.year, 4) + "  " + int_field(y.count, 7) + "  " + iso_date(y.first) +
         "\n";
  return t;
}

std::string_view trim_left(std::string_view s) {
  return s.substr(std::min(s.size(), s.find_first_not_of(' ')));
}

std::string day_of_year_code(int year, int doy) {
  std::string d = std::to_string(doy);
  return int_field(year, 4) + std::string(3 - d.size(), '0') + d;
}

}  // namespace

StationRecord empty_record(std::string station, int first_year, int last_year) {
  if (first_year < 1 || last_year > 9999 || first_year > last_year)
    throw ConvertFailure("years " + std::to_string(first_year) + ".." + std::to_string(last_year) +
                         " are not a range of four-digit years, first before last");
  StationRecord r;
  r.station = std::move(station);
  r.first_year = first_year;
  r.last_year = last_year;
  const auto days = day_number(Calendar::kGregorian, {last_year, 12, 31}) -
                    day_number(Calendar::kGregorian, {first_year, 1, 1}) + 1;
  r.days.resize(static_cast<std::size_t>(days));
  return r;
}

std::optional<std::size_t> day_index(const StationRecord& r, const Date& d) {
  if (d.year < r.first_year || d.year > r.last_year) return std::nullopt;
  return static_cast<std::size_t>(day_number(Calendar::kGregorian, d) -
                                  day_number(Calendar::kGregorian, {r.first_year, 1, 1}));
}

void write_weather(const StationRecord& r, MissingPolicy policy, const std::string& input,
                   const std::filesystem::path& out_path, std::ostream& log) {
  std::vector<MissingYear> missing;
  int missing_days = 0;
  const std::int64_t day0 = day_number(Calendar::kGregorian, {r.first_year, 1, 1});
  for (std::size_t i = 0; i < r.days.size(); ++i) {
    const StationDay& day = r.days[i];
    const Date date = date_of(Calendar::kGregorian, day0 + static_cast<std::int64_t>(i));
    if (day.missing) {
      ++missing_days;
      if (missing.empty() || missing.back().year != date.year)
        missing.push_back({date.year, 0, date});
      ++missing.back().count;
    } else if (fixed_field(day.rain, 6, 1)[0] != ' ') {
      throw ConvertFailure("\"" + input + "\", " + iso_date(date) + ": rainfall " +
                           std::string(trim_left(fixed_field(day.rain, 24, 1))) +
                           " mm cannot be written: raincorr's rain field holds at most 999.9 mm");
    }
  }
  const std::string years = std::to_string(r.first_year) + ".." + std::to_string(r.last_year);
  if (missing_days > 0) {
    const std::string head = "\"" + input + "\": " + std::to_string(missing_days) + " missing day" +
                             (missing_days == 1 ? "" : "s") + " in " + years + ":\n" +
                             missing_table(missing);
    if (policy == MissingPolicy::kRefuse)
      throw ConvertFailure(head +
                           "pick complete years with --from and --to, or pass --missing dry "
                           "to write missing days as 0.0 mm");
    log << head << "written as 0.0 mm (--missing dry)\n";
  }

  AtomicOutput out(out_path);
  std::ostream& o = out.stream();
  o << "*WEATHER DATA : " << r.station << "\n\n@  DATE  SRAD  TMAX  TMIN  RAIN\n";
  for (std::size_t i = 0; i < r.days.size(); ++i) {
    const StationDay& day = r.days[i];
    const std::int64_t n = day0 + static_cast<std::int64_t>(i);
    const Date date = date_of(Calendar::kGregorian, n);
    const int doy = static_cast<int>(n - day_number(Calendar::kGregorian, {date.year, 1, 1})) + 1;
    o << day_of_year_code(date.year, doy) << fixed_field(kNoValue, 6, 1)
      << fixed_field(day.tmax, 6, 1) << fixed_field(day.tmin, 6, 1)
      << fixed_field(day.missing ? 0.0 : day.rain, 6, 1) << '\n';
  }
  out.commit();
  log << "station " << r.station << ", " << years << ": " << r.days.size() << " days written, "
      << missing_days << " missing\n";
}

}  // namespace raincorr::convert
