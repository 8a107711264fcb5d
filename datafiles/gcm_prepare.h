// Turning a daily GCM data file into a weather file of WTD layout.
#ifndef RAINCORR_DATAFILES_GCM_PREPARE_H_
#define RAINCORR_DATAFILES_GCM_PREPARE_H_

#include <cstddef>
#include <ostream>
#include <string>

namespace raincorr {

// Reads the GCM file `name` (32-character blank-padded text, opened without
// its trailing blanks; never written) and writes the prepared weather file
// <stem of name>_.wtd_, created or replaced as soon as the GCM file is open
// and filled line by line as the GCM file is read through a fixed buffer
// (a GCM file that is the prepared file under another name is read whole
// first): the header "@  DATE  SRAD  TMAX  TMIN  RAIN", then
// for every line after the two header lines the date code yyyyddd, 19
// blanks and the rainfall in 5 columns with one decimal. Each line's layout is told from its blank
// columns: 1 (columns 27-54 blank; fixed columns, value in mm), else 2 (columns 52-69 blank; date
// after the first blank in columns 39-45), else 0 (date after the first blank in columns 23-26);
// layouts 0 and 2 carry rates, multiplied by 86400000. Negative values become 0.0. A month text
// that names no month (case matters) keeps the previous line's month; a free-position line without
// a blank in its range reuses the previous line's date and value. Sets `formt` to the layout of the
// last data line (unchanged when there is none). Prints "Preparing daily GCM data from <name>
// please wait... " and "Data extracted:" with the count of data lines in 6 columns. No scratch file
// is made. Throws RunStop on a file that cannot be opened (the parser message and the nine usage
// lines, status 1; no file created), on an empty file ("Error reading, file does not exist", status
// 1), and on a missing second header line, a date piece or value that is missing or not a number, a
// first data line without a blank in its search range or without a month name, and on a rainfall
// that does not fit the five columns once converted (999.95 mm or more, or not finite; the message
// gives the value as written and in mm/day and, for layouts 0 and 2, names the kg m-2 s-1 mistake)
// (status 2, naming file, line and columns); the lines prepared before such a line stay in the
// prepared file.
void GCM_PREPARE2(const std::string& name, int& formt, std::ostream& console);

// Removes a blank at column p (1-based) of `line` (n columns wide) by moving
// the 31 characters at columns p+1..p+31 one column left; the character at
// column p+31 stays as well, so it then stands twice. A non-blank column p
// leaves the line as it is. Columns beyond n are never touched.
void SHIFT_LEFT(std::string& line, std::size_t n, std::size_t p);

}  // namespace raincorr

#endif  // RAINCORR_DATAFILES_GCM_PREPARE_H_
