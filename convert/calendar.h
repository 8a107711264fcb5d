// Model calendars of climate-model output and their mapping onto the real
// (proleptic Gregorian) calendar that raincorr's input layouts assume.
//
// Pure functions: nothing here reads or writes a file or prints. Failures
// (an unknown calendar or time unit) are thrown as ConvertFailure with a
// message that names what was found; the caller adds the file.
#ifndef RAINCORR_CONVERT_CALENDAR_H_
#define RAINCORR_CONVERT_CALENDAR_H_

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace raincorr::convert {

// A refusal of input data; `what()` is the message without the program name
// or the file, which the caller adds.
class ConvertFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Calendar { kGregorian, kNoLeap, kAllLeap, kDay360 };

// The calendar named by a CF `calendar` attribute, case ignored:
// standard/gregorian/proleptic_gregorian, noleap/365_day, all_leap/366_day,
// 360_day. An empty name is CF's default, "standard". Any other name
// (julian included) throws ConvertFailure naming it.
Calendar parse_calendar(std::string_view name);

// The CF name under which the summary reports a calendar.
std::string_view calendar_name(Calendar cal);

struct Date {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31 (1..30 in the 360-day calendar)
  friend bool operator==(const Date&, const Date&) = default;
};

// "YYYY-MM-DD" (year in at least four digits, a minus sign when negative).
std::string iso_date(const Date& d);

// The day `d` as a count of days from an epoch of calendar `cal`, and back.
// Counts of different calendars are not comparable; within one calendar
// consecutive days have consecutive counts.
std::int64_t day_number(Calendar cal, const Date& d);
Date date_of(Calendar cal, std::int64_t day_number);

// True when `d` is a date of calendar `cal` (month 1..12, day within it).
bool valid_date(Calendar cal, const Date& d);

// Real (Gregorian) leap year: divisible by 400, or by 4 and not by 100.
bool is_leap_year(int year);
// Days of month `month` of real year `year`.
int days_in_month(int year, int month);

// A CF time coordinate's `units`: "days|hours|minutes|seconds since
// DATE[ TIME]", DATE as Y-M-D and TIME as h:m[:s[.f]] (a "T" between them and a
// trailing "Z" are accepted). The reference date is a date of `cal`.
struct TimeUnits {
  double seconds_per_unit = 0;
  std::int64_t reference_day = 0;  // day_number of the reference date
  double reference_seconds = 0;    // time of day of the reference, seconds
};
// Throws ConvertFailure naming `units` when it is not of that form or its
// date is not a date of `cal`.
TimeUnits parse_time_units(std::string_view units, Calendar cal);

// The model day (day_number of `cal`) on which time value `t` falls,
// rounding down: 0.5 "days since 2000-01-01" is 2000-01-01.
std::int64_t model_day(const TimeUnits& units, double t);

// What to write on the real 29 February that a 365-day calendar lacks.
enum class LeapDay { kDry, kCopy };

// A daily series on the real calendar, built from a model series.
struct RealSeries {
  Date first;                  // real date of values[0]
  std::vector<double> values;  // one per real day, consecutive
  std::vector<Date> inserted;  // real days that no model day fills (written 0,
                               // or a copy of 28 February under kCopy)
  std::vector<Date> dropped;   // model days with no real day (all_leap only)
};

// Maps the consecutive model days starting at `first` (a date of `cal`)
// with `values` onto the real calendar:
// - Gregorian: unchanged.
// - 365-day: after 28 February of a real leap year, when the model series
//   goes on to 1 March, 29 February is inserted (0, or 28 February's value
//   under LeapDay::kCopy).
// - 366-day: 29 February of a real common year is dropped.
// - 360-day: real day-of-year d of a year of N days takes model day-of-year
//   k(d) = floor((2d - 1) * 180 / N) + 1; a real day whose k equals the day
//   before's is inserted (0). Every real day whose k lies in the model
//   series is written, so no model value is used twice or dropped.
// Throws ConvertFailure when a real date would fall outside years 1..9999.
RealSeries to_real_calendar(Calendar cal, const Date& first, std::span<const double> values,
                            LeapDay leap_day);

}  // namespace raincorr::convert

#endif  // RAINCORR_CONVERT_CALENDAR_H_
