// The station side shared by the GHCN-Daily and CSV readers: a daily record
// of whole years, its missing days, and the weather file that raincorr reads.
#ifndef RAINCORR_CONVERT_STATION_H_
#define RAINCORR_CONVERT_STATION_H_

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "convert/calendar.h"

namespace raincorr::convert {

// What the weather layout writes for a quantity that is not observed.
inline constexpr double kNoValue = -99.0;

struct StationDay {
  double rain = 0;  // mm; meaningless when `missing`
  bool missing = true;
  double tmax = kNoValue;  // degrees C, or kNoValue
  double tmin = kNoValue;
};

struct StationRecord {
  std::string station;  // named on the "*WEATHER DATA :" line
  int first_year = 0;
  int last_year = 0;
  std::vector<StationDay> days;  // every real day, 1 Jan first_year .. 31 Dec last_year
};

// A record of whole years first_year..last_year with every day missing and
// no temperatures. Throws ConvertFailure when the years are not 1..9999 or
// first_year > last_year.
StationRecord empty_record(std::string station, int first_year, int last_year);

// Index into StationRecord::days of `d`, or nullopt outside its years.
std::optional<std::size_t> day_index(const StationRecord& r, const Date& d);

enum class MissingPolicy { kRefuse, kDry };

// Writes `r` in the weather layout raincorr reads to `out_path` (through an
// AtomicOutput, so nothing is left on failure):
//   *WEATHER DATA : <station>
//   (empty line)
//   @  DATE  SRAD  TMAX  TMIN  RAIN
//   YYYYDDD then SRAD (-99.0), TMAX, TMIN and RAIN as %6.1f, one line a day.
// Missing days: under kRefuse nothing is written and ConvertFailure carries
// the table of missing days per year (count and first date) for `input`
// with the hint to pick complete years or pass --missing dry; under kDry
// they are written 0.0 and the same table goes to `log`.
// A rainfall that rounds to 1000.0 mm or more does not fit raincorr's
// five-column rain field: ConvertFailure naming the date.
// Prints to `log` one summary line (station, years, days written).
void write_weather(const StationRecord& r, MissingPolicy policy, const std::string& input,
                   const std::filesystem::path& out_path, std::ostream& log);

}  // namespace raincorr::convert

#endif  // RAINCORR_CONVERT_STATION_H_
