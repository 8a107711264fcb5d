// Turning a daily GCM data file into a weather file of WTD layout.
#ifndef RAINCORR_DATAFILES_GCM_PREPARE_H_
#define RAINCORR_DATAFILES_GCM_PREPARE_H_

#include <ostream>
#include <string>

namespace raincorr {

// Reads the GCM file `name` (32-character blank-padded text; never written)
// and writes the prepared weather file <stem of name>_.wtd_ (created or
// replaced): a header line, then one WTD line per data line. Sets `formt` to
// the layout code (0, 1 or 2) of the last data line; unchanged when there is
// none. Prints "Preparing daily GCM data from <name> please wait... " and
// "Data extracted:" with the count of data lines in 6 columns.
// Throws RunStop on a file that cannot be opened (the parser message and the
// nine usage lines, status 1), on an empty file ("Error reading, file does
// not exist", status 1), and on a missing second header line, a date piece
// or value that is not a number, a first data line without a blank in its
// search range or without a month name (status 2, naming file and line).
void GCM_PREPARE2(const std::string& name, int& formt, std::ostream& console);

}  // namespace raincorr

#endif  // RAINCORR_DATAFILES_GCM_PREPARE_H_
