// The monthly value array and the per-month result arrays that the driver
// owns and hands to the monthly stages and the correction.
#ifndef RAINCORR_MONTHLY_MONTH_DATA_H_
#define RAINCORR_MONTHLY_MONTH_DATA_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace raincorr {

// One entry per calendar month; index 0 is January.
using MonthInts = std::array<std::int32_t, 12>;
using MonthReals = std::array<double, 12>;

// Twelve columns of 8-byte reals, one per calendar month, all as tall as
// the fullest month. Rows and months are numbered from 1, as in the rules
// that use them; every entry starts at zero.
class MonthData {
 public:
  explicit MonthData(std::size_t rows) : rows_(rows), values_(rows * 12, 0.0) {}

  std::size_t rows() const { return rows_; }

  // Row i (1..rows) of month m (1..12).
  double& at(std::size_t i, int m) { return values_[index(i, m)]; }
  double at(std::size_t i, int m) const { return values_[index(i, m)]; }

  // The rows of month m as one contiguous block; element 0 is row 1.
  double* column(int m) { return values_.data() + static_cast<std::size_t>(m - 1) * rows_; }
  const double* column(int m) const {
    return values_.data() + static_cast<std::size_t>(m - 1) * rows_;
  }

 private:
  std::size_t index(std::size_t i, int m) const {
    return static_cast<std::size_t>(m - 1) * rows_ + (i - 1);
  }

  std::size_t rows_;
  std::vector<double> values_;
};

// Mean, gamma shape and gamma scale of every month of one data set.
struct MonthStats {
  MonthReals alpha{};
  MonthReals beta{};
  MonthReals mean{};
};

// How the GCM truncation treated a tie at each month's cut.
struct TieInfo {
  MonthInts case_{};       // 0 no tie, 1 tie of zeros, 2 tie of equal wet values
  MonthInts countfill{};   // values after the cut equal to the value at the cut
  MonthInts data2alloc{};  // ties that may stay wet per occurrence of the month
};

// The largest of the twelve counts, or 0 when none is positive.
inline std::size_t largest_count(const MonthInts& month_size) {
  std::int32_t rows = 0;
  for (auto n : month_size) rows = n > rows ? n : rows;
  return static_cast<std::size_t>(rows);
}

}  // namespace raincorr

#endif  // RAINCORR_MONTHLY_MONTH_DATA_H_
