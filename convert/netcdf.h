// Daily rainfall of one grid cell from CF-NetCDF climate-model output,
// written as a GCM file in the cleaned layout raincorr detects by itself.
#ifndef RAINCORR_CONVERT_NETCDF_H_
#define RAINCORR_CONVERT_NETCDF_H_

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "convert/calendar.h"
#include "convert/station.h"

namespace raincorr::convert {

struct NetcdfOptions {
  double lat = 0;  // degrees north, -90..90
  double lon = 0;  // degrees east, either -180..180 or 0..360
  std::string var = "pr";
  LeapDay leap_day = LeapDay::kDry;
  MissingPolicy missing = MissingPolicy::kRefuse;
};

// Factor that turns a rainfall rate in `units` into mm/day: 86400 for
// kg m-2 s-1 and its spellings (kg m^-2 s^-1, kg/m2/s, mm s-1, mm/s, ...),
// 1 for mm/day, mm d-1, mm day-1, 86400000 for m s-1. Blanks around and
// between the parts are not significant. Other units throw ConvertFailure
// naming them.
double rate_to_mm_per_day(std::string_view units);

// Great-circle distance in km between two points given in degrees, on a
// sphere of the Earth's mean radius (6371 km).
double great_circle_km(double lat1, double lon1, double lat2, double lon2);

// Reads variable options.var from `files` (netCDF-C; classic, 64-bit and
// netCDF-4 files) and writes to `out` (created or replaced whole, through
// an AtomicOutput) the daily series of the grid cell nearest to
// (options.lat, options.lon) by great-circle distance:
//   two header lines of at most 80 characters (variable, cell, calendar,
//   source), then "%2d %3s%5d%15.4f" per day (day, month abbreviation,
//   year, mm/day) for every real day from the first to the last covered.
// Only the chosen cell's series is read from each file, never a whole grid.
// The variable's dimensions are time, latitude and longitude in any order
// (others of size 1); the grid is rectilinear (1-D coordinate variables
// with CF latitude/longitude units or standard_name) or curvilinear (2-D
// latitude and longitude named in the variable's `coordinates`). Time is
// a CF "UNIT since DATE" coordinate in one of the calendars of calendar.h;
// consecutive steps must be consecutive model days. Files are ordered by
// their first day and must continue each other without overlap or gap, on
// the same grid, units and calendar.
// Values: scale_factor/add_offset applied, units converted to mm/day,
// negatives written 0 (counted); a _FillValue/missing_value (or NaN) stops
// with the file and date unless options.missing is kDry (then 0, counted).
// Prints to `log` the chosen cell (indices, latitude, longitude, distance in
// km) and a summary: first and last day, days written, days inserted and
// dropped by the calendar, values zeroed.
// Throws ConvertFailure naming the file (and date) on any refusal; `out` is
// then neither created nor changed.
void convert_netcdf(const NetcdfOptions& options, const std::vector<std::filesystem::path>& files,
                    const std::filesystem::path& out, std::ostream& log);

}  // namespace raincorr::convert

#endif  // RAINCORR_CONVERT_NETCDF_H_
