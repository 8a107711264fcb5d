// Splitting a rainfall series file into twelve monthly class files.
#ifndef RAINCORR_DATAFILES_MONTHLY_CLASSES_H_
#define RAINCORR_DATAFILES_MONTHLY_CLASSES_H_

#include <ostream>
#include <string>

namespace raincorr {

// Reads the series file <stem>.pcp (stem: the first five characters of the
// 32-character text `name`, trailing blanks removed; the file is created
// empty when missing) and writes the class files <stem>_1.txt ..
// <stem>_12.txt, created or replaced before the first record is read: for
// every series record, in order, a blank and columns 10-15 of the record
// (7 characters) go to the file of its month. The series is read line by
// line and each class file filled through a buffer of its own. The month comes from the
// year (columns 2-5) and day of year (columns 6-8) read as two free-form
// integers, by DOYTEST; days outside the year go to December. Prints
// "Grouping data from <stem>.pcp into monthly class...". No scratch file
// is made. Throws RunStop (status 2, naming file and line) on a year or
// day-of-year field that is not a number; the records before it stay in
// their class files.
void DUMPF2(const std::string& name, std::ostream& console);

}  // namespace raincorr

#endif  // RAINCORR_DATAFILES_MONTHLY_CLASSES_H_
