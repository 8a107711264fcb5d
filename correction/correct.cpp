#include "correction/correct.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "datafiles/calendar.h"
#include "monthly/truncate.h"
#include "specfun/gamma_dist.h"
#include "textio/fields.h"
#include "textio/freeform.h"
#include "textio/linefile.h"
#include "textio/run_stop.h"

namespace raincorr {
namespace {

// The probability floor and the replacement of a probability of 1 are
// 4-byte reals widened to 8 bytes, like the refill amount: a probability
// of exactly 0.001 must compare as the 4-byte constant does.
constexpr double kFloor = static_cast<double>(0.001f);
constexpr double kCeiling = static_cast<double>(0.999f);

// Record lengths, line feed included: the corrected series (F6.2) and the
// detail (I4, X, I3, X, F6.2, F8.4, 2I4, 3F8.4).
constexpr std::size_t kCorrectedRecord = 6 + 1;
constexpr std::size_t kDetailRecord = 4 + 1 + 3 + 1 + 6 + 8 + 4 + 4 + 3 * 8 + 1;

constexpr std::array<std::int32_t, 12> kMonthLength = {31, 28, 31, 30, 31, 30,
                                                       31, 31, 30, 31, 30, 31};

std::size_t idx(int m) { return static_cast<std::size_t>(m - 1); }

// An output file that exists from the start of the stage but is replaced
// only by its first record: a file that receives no record keeps what it
// held. Records are formatted straight into the file's buffer; whatever was
// written before the run ends inside the gamma routines reaches the file
// when the buffer goes out of scope.
class RecordFile {
 public:
  explicit RecordFile(std::string path) : path_(std::move(path)) { touch_file(path_); }

  // Room for a record of at most `n` bytes; end it with commit().
  char* room(std::size_t n) {
    if (!out_) {
      try {
        out_.emplace(path_);
      } catch (const RunStop&) {
        throw open_error(path_, "cannot be written");
      }
    }
    return out_->room(n);
  }
  void commit(const char* end) { out_->commit(end); }

  void close() {
    if (out_) out_->close();
  }

 private:
  std::string path_;
  std::optional<OutFile> out_;
};

// The last three fields of a detail record, fixed for a month: observed
// shape and scale and the GCM value at the cut, each in F8.4.
struct MonthTail {
  std::array<char, 24> text;
};

struct Day {
  std::int32_t year = 0;
  std::int32_t doy = 0;
  double rain = 0.0;
};

// Reads every record of the dated rainfall file: year, day of year and
// rainfall, each record a read statement of its own, as many statements as
// the file has lines.
std::vector<Day> read_days(LineFile& file) {
  const std::size_t count = file.count_lines();
  file.rewind();
  std::vector<Day> days(count);
  FreeformReader reader(file);
  for (Day& day : days) {
    reader.begin();
    ReadStatus status = reader.read(day.year);
    if (status == ReadStatus::kOk) status = reader.read(day.doy);
    if (status == ReadStatus::kOk) status = reader.read(day.rain);
    if (status == ReadStatus::kEnd) throw system_stop("Error reading file");
    if (status == ReadStatus::kBad)
      throw read_error(
          file.name(), reader.line_number(),
          "expected year, day of year and rainfall, found " + shown_text(reader.last_token()));
  }
  return days;
}

// The same, streamed: while every line holds its own three values, each
// statement reads exactly its line, so the days are those of the lines.
// At the first line that does not, the file is read again whole and every
// statement is made as above, which also gives the error the run stops
// with.
std::vector<Day> read_days(LineStream& file) {
  std::vector<Day> days;
  // A record of the file the extraction writes takes 15 bytes.
  days.reserve(file.file_size() / 15 + 1);
  while (const auto line = file.read()) {
    std::size_t pos = 0;
    const auto year = parse_int(next_value(*line, pos));
    const auto doy = parse_int(next_value(*line, pos));
    const auto rain = parse_real(next_value(*line, pos));
    if (!year || !doy || !rain) {
      LineFile whole = LineFile::open_or_stop(file.name());
      return read_days(whole);
    }
    days.push_back(Day{*year, *doy, *rain});
  }
  return days;
}

// Bits of a value for exact-equality lookups: +0 and -0 compare equal and
// share one key; NaN equals nothing and gets none.
std::optional<std::uint64_t> equality_key(double v) {
  if (std::isnan(v)) return std::nullopt;
  return std::bit_cast<std::uint64_t>(v == 0.0 ? 0.0 : v);
}

// The first row at or after the cut that holds each value of a GCM month.
// The refill can leave a month unsorted after the cut, so the row must be
// the one a scan from the cut finds, which a binary search would not give;
// one pass per month keeps the daily lookups constant time.
class RowIndex {
 public:
  RowIndex(const MonthData& month_data, int m, std::int32_t from, std::int32_t to) {
    for (std::int32_t i = from; i <= to; ++i) {
      if (auto key = equality_key(month_data.at(static_cast<std::size_t>(i), m)))
        first_row_.emplace(*key, i);
    }
  }

  std::optional<std::int32_t> find(double x) const {
    const auto key = equality_key(x);
    if (!key) return std::nullopt;
    const auto it = first_row_.find(*key);
    if (it == first_row_.end()) return std::nullopt;
    return it->second;
  }

 private:
  std::unordered_map<std::uint64_t, std::int32_t> first_row_;
};

// Results of a function of one argument with the shape fixed per month.
// Rainfall has one decimal, so the same arguments recur day after day; a
// result is keyed on the argument's exact bits and is therefore the one a
// fresh call would give. Calls that end the run never return, so nothing
// is stored for them.
class MonthCache {
 public:
  template <typename F>
  double get(int m, double arg, F compute) {
    auto& cache = caches_[idx(m)];
    const auto key = std::bit_cast<std::uint64_t>(arg);
    if (const auto it = cache.find(key); it != cache.end()) return it->second;
    const double value = compute(arg);
    cache.emplace(key, value);
    return value;
  }

 private:
  std::array<std::unordered_map<std::uint64_t, double>, 12> caches_;
};

const char* method_banner(int emp_gamma) {
  switch (emp_gamma) {
    case 0:
      return "<<<using gamma to gamma transformation>>>";
    case 1:
      return "<<<using emperical to gamma transformation>>>";
    case 2:
      return "<<<using multiplicative adjustment>>>";
    default:
      return nullptr;
  }
}

}  // namespace

void CORRECT_GCM2(const std::string& name, const MonthData& month_data, const MonthInts& month_size,
                  const MonthStats& obs, const MonthStats& gcm, const MonthInts& posit,
                  int emp_gamma, const TieInfo& ties, int years, std::ostream& console) {
  const std::string stem = name_stem(name);
  const std::string dated_name = stem + "_y.pcp";
  auto dated = LineStream::open(dated_name);
  if (!dated) throw open_error(dated_name, "the file does not exist or cannot be read");
  RecordFile detail(stem + "_c.pcp");
  RecordFile series(stem + "_cd.pcp");

  console << "  \nSize of data in each month:\n";
  for (int m = 1; m <= 12; ++m) {
    if (month_size[idx(m)] != 0)
      console << "counter(" << int_field(m, 3) << ")=" << int_field(month_size[idx(m)], 4) << '\n';
  }
  console << "  \n";

  // The GCM value at the cut: what lies at or below it is a dry day.
  MonthReals no_ppt{};
  if (emp_gamma != 2) {
    for (int m = 1; m <= 12; ++m) {
      const std::int32_t p = posit[idx(m)];
      if (p == 0) continue;
      if (p >= 1 && p <= month_size[idx(m)])
        no_ppt[idx(m)] = month_data.at(static_cast<std::size_t>(p), m);
      console << "no_ppt(" << int_field(m, 3) << ")=" << fixed_field(no_ppt[idx(m)], 7, 3) << '\n';
    }
  }

  const std::vector<Day> days = read_days(*dated);

  console << "\nPerforming bias correction of daily non-zero GCM outputs...\n";
  if (const char* banner = method_banner(emp_gamma)) console << banner << '\n';

  // Tie counters: all start at 1, see the rules below.
  MonthInts total_retained;
  MonthInts month_retained;
  MonthInts day_counter;
  total_retained.fill(1);
  month_retained.fill(1);
  day_counter.fill(1);
  // One flag for all months: an occurrence that ends with it set hands it
  // on to the next month handled by the few-ties rule.
  bool retained = false;

  // Probability, found row and rank of the day. Only a day written by the
  // normal path resets them; a day written as zero leaves them to the next.
  double p = 0.0;
  std::int32_t found_row = 0;
  std::int32_t rank = 0;

  std::array<std::optional<RowIndex>, 12> row_index;
  std::array<std::optional<MonthTail>, 12> tails;
  MonthCache cdf_cache;
  MonthCache quantile_cache;

  for (const Day& day : days) {
    const int leap = LEAPYEAR(day.year);
    const int m = DOYTEST(leap, day.doy);
    const std::size_t mi = idx(m);
    double x = day.rain;

    if (emp_gamma == 2) {
      char* out = series.room(kCorrectedRecord);
      out = put_fixed(out, obs.mean[mi] / gcm.mean[mi] * x, 6, 2);
      *out++ = '\n';
      series.commit(out);
      continue;
    }

    const double cut = no_ppt[mi];
    const std::int32_t month_length = kMonthLength[mi] + (m == 2 ? leap : 0);
    const std::int32_t tie_case = ties.case_[mi];
    const std::int32_t countfill = ties.countfill[mi];
    auto zero_it = [&] {
      if (x <= cut) x = 0.0;
    };
    auto is_tie = [&] { return x == cut; };
    auto retain_tie = [&] {
      // A case 1 tie gets the refill amount that the truncation wrote into
      // the month, so that the empirical search finds it there.
      if (tie_case == 1) x = cut + kRefill;
      if (tie_case == 2) x = cut;
      ++total_retained[mi];
      ++month_retained[mi];
    };

    if (tie_case == 0) {
      zero_it();
    } else if (countfill > years) {
      // Many ties: up to data2alloc of them stay wet per occurrence of the
      // month, until countfill have stayed wet in the whole series.
      const std::int32_t quota = ties.data2alloc[mi];
      if (total_retained[mi] > countfill) {
        zero_it();
      } else {
        if (month_retained[mi] > quota) zero_it();
        if (day_counter[mi] > month_length) {
          month_retained[mi] = 1;
          day_counter[mi] = 1;
        }
        if (month_retained[mi] <= quota && is_tie()) retain_tie();
        ++day_counter[mi];
      }
    } else {
      // Few ties: at most one stays wet per occurrence of the month.
      if (countfill == 1 || total_retained[mi] > countfill) {
        zero_it();
      } else {
        if (day_counter[mi] > month_length) {
          month_retained[mi] = 1;
          day_counter[mi] = 1;
        }
        if (month_retained[mi] <= countfill) {
          if (retained) {
            zero_it();
          } else if (is_tie()) {
            retain_tie();
            retained = true;
          }
        }
        if (!retained) zero_it();
        ++day_counter[mi];
        if (day_counter[mi] > month_length) retained = false;
      }
    }

    // The corrected value, or nothing when the day is written as zero.
    auto correct = [&]() -> std::optional<double> {
      if (x == 0.0) return std::nullopt;
      if (emp_gamma == 1) {
        const std::int32_t cut_row = posit[mi];
        const std::int32_t n = month_size[mi];
        found_row = cut_row;
        if (cut_row == 0) return std::nullopt;
        if (!row_index[mi]) row_index[mi].emplace(month_data, m, cut_row, n);
        if (const auto row = row_index[mi]->find(x)) {
          found_row = *row;
          const std::int32_t wet = n - cut_row;
          if (wet == 1) {
            rank = 0;
          } else {
            rank = found_row - cut_row;
            p = static_cast<double>(rank) / static_cast<double>(wet);
            if (p == 1.0) p = kCeiling;
          }
        } else {
          // Where a scan from the cut to the month's end would stop.
          found_row = std::max(cut_row, n + 1);
        }
      } else if (emp_gamma == 0) {
        if (gcm.beta[mi] == 0.0) return std::nullopt;
        if (gcm.alpha[mi] == 0.0) return std::nullopt;
        const double shape = gcm.alpha[mi];
        p = cdf_cache.get(m, x / gcm.beta[mi], [shape](double v) { return DGAMDF(v, shape); });
      }
      if (obs.alpha[mi] == 0.0) return std::nullopt;
      if (p <= kFloor) return std::nullopt;
      if (p == 1.0) p = kCeiling;
      const double shape = obs.alpha[mi];
      const double q = quantile_cache.get(m, p, [shape](double v) { return DGAMIN(v, shape); });
      if (obs.beta[mi] == 0.0) return std::nullopt;
      return q * obs.beta[mi];
    };

    const std::optional<double> corrected = correct();
    const double value = corrected.value_or(0.0);
    // Year, day, corrected value, probability, row and rank, then the
    // month's fixed fields.
    char* out = detail.room(kDetailRecord);
    out = put_int(out, day.year, 4);
    *out++ = ' ';
    out = put_int(out, day.doy, 3);
    *out++ = ' ';
    char* const corrected_text = out;
    out = put_fixed(out, value, 6, 2);
    out = put_fixed(out, p, 8, 4);
    out = put_int(out, found_row, 4);
    out = put_int(out, rank, 4);
    if (!tails[mi]) {
      tails[mi].emplace();
      char* t = tails[mi]->text.data();
      t = put_fixed(t, obs.alpha[mi], 8, 4);
      t = put_fixed(t, obs.beta[mi], 8, 4);
      put_fixed(t, cut, 8, 4);
    }
    out = std::copy(tails[mi]->text.begin(), tails[mi]->text.end(), out);
    *out++ = '\n';
    detail.commit(out);
    char* s = series.room(kCorrectedRecord);
    s = std::copy(corrected_text, corrected_text + 6, s);
    *s++ = '\n';
    series.commit(s);
    if (corrected) {
      p = 0.0;
      found_row = 0;
      rank = 0;
    }
  }

  detail.close();
  series.close();
}

}  // namespace raincorr
