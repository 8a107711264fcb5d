// Extraction of the rainfall of the analysis window from a WTD weather file.
#ifndef RAINCORR_DATAFILES_WEATHER_EXTRACT_H_
#define RAINCORR_DATAFILES_WEATHER_EXTRACT_H_

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace raincorr {

// Where the selection of the window stopped.
enum class SelectionEnd {
  kYear2,      // at the first line of year2: the window is complete
  kEndOfFile,  // at the end of the file, possibly before the window's end
};

// What an extraction found, for the driver to tell a series that came up
// short of the window.
struct Extraction {
  std::size_t records = 0;  // records of the series files ("Data extracted:")
  SelectionEnd end = SelectionEnd::kYear2;
  std::string last_date;  // date code (columns 1-7) of the last line read
};

// Reads the WTD weather file `name` (a 32-character blank-padded text; the
// file is opened under the name without trailing blanks and never written)
// and copies the rainfall of days doy1..doy2 (common-year numbering, with
// the leap-year shift; doy1 <= doy2 is a window inside the year, doy1 > doy2
// one across the year end) of the years year1 up to but not including year2
// into the series files <stem>.pcp, <stem>.pkp and <stem>_y.pcp, where
// `stem` is used as given (trailing blanks removed). The three files are
// created or replaced before the search for year1 and receive the records
// as the selection takes them (through buffers; complete when the function
// returns or throws). The weather file is read through a window, never
// held whole. Days are chosen by counting lines from the first line
// of year1, so the file must hold every day of every year in order.
// `year1_text` and `year2_text` are the argument texts; their first four
// characters are used. Prints "Extracting data from <name> please wait..."
// once year1 is found and "Data extracted:" with the record count in 6
// columns at the end. No scratch file is made. Returns the record count,
// where the selection stopped and the date code of the last line read.
// Throws RunStop on a file that cannot be opened (" ERROR, parser cannot
// access the file: <name>" and an empty line, status 1; no file created), on
// a year1 that begins no line ("End of file reached, the word not matched,
// no meaning.", status 1), on a check pass that runs out of records ("Error
// reading file, your data is very bad man!", status 1, series files kept)
// and on a year field or a series value that is not a number, or on a line
// of the window whose rainfall reaches into column 26 (read error naming the
// weather file and its line, status 2; the records taken before it stay in
// the series files).
Extraction WTD_EXTRACT2(const std::string& name, const std::string& stem, int doy1, int doy2,
                        std::string_view year1_text, std::string_view year2_text,
                        std::ostream& console);

}  // namespace raincorr

#endif  // RAINCORR_DATAFILES_WEATHER_EXTRACT_H_
