#include "monthly/truncate.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "textio/fields.h"

namespace raincorr {
namespace {

std::size_t idx(int m) { return static_cast<std::size_t>(m - 1); }

// "label( m)=    v": month in 2 columns, one blank, value in 4 columns.
void print_value(std::ostream& console, const char* label, int m, std::int32_t v) {
  console << label << '(' << int_field(m, 2) << ")= " << int_field(v, 4) << '\n';
}

void print_posit(std::ostream& console, const MonthInts& posit) {
  for (int m = 1; m <= 12; ++m)
    if (posit[idx(m)] != 0) print_value(console, "posit", m, posit[idx(m)]);
}

void print_block(std::ostream& console, const char* heading, const char* label,
                 const MonthInts& values) {
  // The separating line is an empty list-directed write: one blank.
  console << " \n" << heading << '\n';
  for (int m = 1; m <= 12; ++m) print_value(console, label, m, values[idx(m)]);
}

// How many of `countfill` ties each year's occurrence of the month may keep:
// the nearest integer to countfill / years, halves away from zero. A year2
// before year1 gives a negative number of years and so a negative share,
// which the correction reads as "keep none". With year2 = year1 the quotient
// has no integer value at all; there is no year to ration over and no tie
// is kept.
std::int32_t ties_per_year(std::int32_t countfill, int years) {
  if (years == 0) return 0;
  return static_cast<std::int32_t>(
      std::lround(static_cast<double>(countfill) / static_cast<double>(years)));
}

// Classifies the tie at the cut of month m and counts it; refills zero
// ties. `posit` is the observed cut on entry; see the header for the rest.
void cut_month(MonthData& month_data, int m, std::int32_t n, std::int32_t& posit, int years,
               TieInfo& ties) {
  const std::int32_t p = posit;
  // A cut at the month's last value (or, defensively, outside the month)
  // has no value after it to compare with: no tie, nothing changed.
  if (p < 1 || p >= n) return;
  auto x = [&](std::int32_t i) { return month_data.at(static_cast<std::size_t>(i), m); };

  const double at_cut = x(p);
  if (at_cut == 0.0 && x(p + 1) == 0.0) {
    ties.case_[idx(m)] = 1;
  } else if (at_cut != 0.0 && at_cut == x(p + 1)) {
    ties.case_[idx(m)] = 2;
  }

  for (std::int32_t k = p; k + 1 <= n; ++k) {
    if (x(k) == x(k + 1)) {
      ++posit;
      continue;
    }
    const std::int32_t countfill = posit - p;
    ties.countfill[idx(m)] = countfill;
    if (countfill > years) ties.data2alloc[idx(m)] = ties_per_year(countfill, years);
    if (ties.case_[idx(m)] == 1) {
      for (std::int32_t i = p + 1; i <= p + countfill; ++i)
        month_data.at(static_cast<std::size_t>(i), m) = kRefill;
    }
    posit = p;
    return;
  }
  // The run of equal values reaches the month's end: posit stays at n and
  // the month's counts and values are left as they were.
}

}  // namespace

void TRUNCATE_H2(const MonthData& month_data, const MonthInts& month_size, MonthInts& posit,
                 double thresh, std::ostream& console) {
  posit.fill(0);
  for (int m = 1; m <= 12; ++m) {
    const double* x = month_data.column(m);
    for (std::int32_t i = 0; i < month_size[idx(m)]; ++i)
      if (x[i] <= thresh) ++posit[idx(m)];
  }
  console << "Truncating monthly group arrays of historical data at...\n";
  print_posit(console, posit);
}

void TRUNCATE_GCM2(MonthData& month_data, const MonthInts& month_size, MonthInts& posit,
                   int emp_gamma, int years, TieInfo& ties, std::ostream& console) {
  console << "Truncating monthly group arrays of daily GCM data at...\n";
  if (emp_gamma == 2) {
    // The multiplicative adjustment needs no cut at the station's dry days:
    // posit becomes the GCM's own count of dry days. The row bound against
    // the fullest month means a month as full as that one never counts its
    // last (largest) value.
    const auto rows = static_cast<std::int32_t>(largest_count(month_size));
    posit.fill(0);
    for (int m = 1; m <= 12; ++m) {
      const double* x = month_data.column(m);
      for (std::int32_t i = 1; i <= month_size[idx(m)] && i + 1 <= rows; ++i)
        if (x[i - 1] <= 0.0) ++posit[idx(m)];
    }
  } else {
    ties.case_.fill(0);
    ties.data2alloc.fill(0);
    for (int m = 1; m <= 12; ++m) {
      if (posit[idx(m)] == 0) continue;
      cut_month(month_data, m, month_size[idx(m)], posit[idx(m)], years, ties);
    }
  }
  print_posit(console, posit);
  print_block(console, "Determining which case...", "case", ties.case_);
  print_block(console, "Refill or Not???...", "countfill", ties.countfill);
  print_block(console, "Data to allocate..", "data2alloc", ties.data2alloc);
}

}  // namespace raincorr
