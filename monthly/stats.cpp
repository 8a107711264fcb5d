#include "monthly/stats.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "textio/fields.h"

namespace raincorr {
namespace {

std::size_t idx(int m) { return static_cast<std::size_t>(m - 1); }

// "label( m)=  value": month in 2 columns, one blank, value in F9.3.
void print_value(std::ostream& console, const char* label, int m, double v) {
  console << label << '(' << int_field(m, 2) << ")= " << fixed_field(v, 9, 3) << '\n';
}

}  // namespace

void STATS2(const MonthData& month_data, const MonthInts& month_size, const MonthInts& posit,
            MonthStats& stats, int emp_gamma, std::ostream& console) {
  // Under the multiplicative adjustment the dry days count as zeros, so the
  // divisors run over the whole month; the sums still cover the wet values.
  const bool whole_month = emp_gamma == 2;
  MonthReals variance{};

  console << "\nCalculating statistics...\n";
  console << "Measures of central tendency...\n";
  for (int m = 1; m <= 12; ++m) {
    const std::int32_t n = month_size[idx(m)];
    const std::int32_t p = posit[idx(m)];
    const std::int32_t wet = n - p;
    if (p == 0 || wet == 0) continue;
    const double divisor = whole_month ? n : wet;
    const double* x = month_data.column(m);
    double sum = 0.0;
    // Each term is divided before it is added, which fixes the rounding.
    for (std::int32_t i = p + 1; i <= n; ++i) sum += x[i - 1] / divisor;
    stats.mean[idx(m)] = sum;
    print_value(console, "mean", m, sum);
  }

  console << "\nMeasures of dispersion...\n";
  for (int m = 1; m <= 12; ++m) {
    const std::int32_t n = month_size[idx(m)];
    const std::int32_t p = posit[idx(m)];
    const std::int32_t wet = n - p;
    if (p == 0 || wet - 1 == 0) continue;
    const double divisor = whole_month ? n - 1 : wet - 1;
    const double* x = month_data.column(m);
    const double mean = stats.mean[idx(m)];
    double sum = 0.0;
    for (std::int32_t i = p + 1; i <= n; ++i) sum += (x[i - 1] - mean) * (x[i - 1] - mean);
    // A month without wet values sums no term and divides that zero by
    // w - 1 = -1 (a negative zero) or, under the multiplicative adjustment
    // with a one-day month, by n - 1 = 0 (not a number); both are stored
    // and printed as they come.
    variance[idx(m)] = sum / divisor;
    print_value(console, "variance", m, variance[idx(m)]);
  }

  console << "\nGamma parameters...\n";
  for (int m = 1; m <= 12; ++m) {
    if (variance[idx(m)] == 0.0 || posit[idx(m)] == 0) continue;
    const double mean = stats.mean[idx(m)];
    double alpha = mean * mean / variance[idx(m)];
    if (std::isnan(alpha)) alpha = 0.0;
    stats.alpha[idx(m)] = alpha;
    print_value(console, "alpha", m, alpha);
    // A zero mean gives an infinite scale, and that is what is kept.
    double beta = variance[idx(m)] / mean;
    if (std::isnan(beta)) beta = 0.0;
    stats.beta[idx(m)] = beta;
    print_value(console, "beta ", m, beta);
  }
}

}  // namespace raincorr
