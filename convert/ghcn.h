// GHCN-Daily station records (.dly) read into a daily station record.
#ifndef RAINCORR_CONVERT_GHCN_H_
#define RAINCORR_CONVERT_GHCN_H_

#include <filesystem>
#include <optional>

#include "convert/station.h"

namespace raincorr::convert {

// Reads a GHCN-Daily file: one record per station, year, month and
// element, each the station id (columns 1-11), year (12-15), month (16-17),
// element (18-21), then 31 groups of value (5 columns), MFLAG, QFLAG and
// SFLAG. PRCP (tenths of mm), TMAX and TMIN (tenths of degrees C) are used;
// other elements are ignored. Returns whole years `from`..`to`, by default
// the first and last years with PRCP records. A rainfall day is missing
// when its value is -9999, its QFLAG is not blank, or its month has no PRCP
// record; a TMAX or TMIN that is -9999 or has a QFLAG stays kNoValue.
// Throws ConvertFailure naming the file and line for a short or unreadable
// record, a second station, or a record given twice; and when the file has
// no PRCP record and no years are given.
StationRecord read_ghcn(const std::filesystem::path& file, std::optional<int> from,
                        std::optional<int> to);

}  // namespace raincorr::convert

#endif  // RAINCORR_CONVERT_GHCN_H_
