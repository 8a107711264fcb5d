#include "monthly/sort.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "textio/fields.h"
#include "textio/freeform.h"
#include "textio/linefile.h"

namespace raincorr {

void SORTF2(const std::string& name, MonthData& month_data, const MonthInts& month_size,
            std::ostream& console) {
  const std::string stem = name_stem(name);
  auto class_name = [&stem](int m) { return stem + "_" + std::to_string(m) + ".txt"; };

  // Every class file is opened before anything is loaded, created or
  // deleted, so a missing month leaves the working directory as it was.
  std::vector<LineFile> classes;
  classes.reserve(12);
  for (int m = 1; m <= 12; ++m) classes.push_back(LineFile::open_or_stop(class_name(m)));

  touch_file(stem + "_1s.txt");
  touch_file(stem + "_2s.txt");

  for (int m = 1; m <= 12; ++m) {
    FreeformReader reader(classes[static_cast<std::size_t>(m - 1)]);
    for (std::int32_t i = 1; i <= month_size[static_cast<std::size_t>(m - 1)]; ++i) {
      // One read statement per row: the row takes the first number of the
      // next non-blank line. A line that starts with something else is
      // consumed all the same and leaves the row as it was; the end of the
      // file ends this month only.
      reader.begin();
      double v = 0.0;
      const ReadStatus status = reader.read(v);
      if (status == ReadStatus::kEnd) break;
      if (status == ReadStatus::kOk) month_data.at(static_cast<std::size_t>(i), m) = v;
    }
  }

  console << "Sorting arrays....please wait\n";

  for (int m = 1; m <= 12; ++m) {
    const std::int32_t n = month_size[static_cast<std::size_t>(m - 1)];
    if (n <= 0) continue;
    double* first = month_data.column(m);
    std::sort(first, first + n);
  }

  for (int m = 1; m <= 12; ++m) remove_file(class_name(m));
}

}  // namespace raincorr
