#include "report/run_log.h"

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "report/run_files.h"
#include "textio/fields.h"
#include "textio/freeform.h"
#include "textio/linefile.h"
#include "textio/run_stop.h"

namespace raincorr::report {
namespace {

// A value line of the run's console: a label ending in "(", the month
// right-aligned in `month_width` columns, ")=", and a value field of
// `value_width` characters.
struct LineLayout {
  std::string_view label;
  int month_width;
  int value_width;
};
constexpr LineLayout kPosit{"posit(", 2, 5};  // a blank and the value in 4 columns
constexpr LineLayout kCase{"case(", 2, 5};
constexpr LineLayout kCountfill{"countfill(", 2, 5};
constexpr LineLayout kData2alloc{"data2alloc(", 2, 5};
constexpr LineLayout kCounter{"counter(", 3, 4};
constexpr LineLayout kNoPpt{"no_ppt(", 3, 7};

class LogReader {
 public:
  LogReader(std::string path, const ExpectedRun& expected, std::string rerun)
      : path_(std::move(path)), expected_(expected), rerun_(std::move(rerun)) {
    auto file = LineFile::open(path_);
    if (!file) {
      throw RunStop{std::string(kProgram) + "cannot open the log \"" + path_ +
                        "\"; give the console log of the run, saved with:\n  " + rerun_ +
                        " | tee " + path_ + "\n",
                    true, 2};
    }
    while (const auto line = file->read()) lines_.emplace_back(trim_right(*line));
  }

  TruncationAudit read() {
    TruncationAudit audit;
    audit.log_name = path_;
    const auto& fits = expected_.fits;
    if (lines_.empty() ||
        lines_[0] != "Extracting data from " + expected_.file1 + " please wait...") {
      foreign(1, "it does not begin with the extraction of \"" + expected_.file1 + "\"");
    }
    expect_at(1,
              "Data extracted:" + int_field(static_cast<std::int64_t>(expected_.observed_days), 6));
    expect_at(2, "Preparing daily GCM data from " + expected_.file2 + " please wait...");
    expect_at(4, "Extracting data from " + expected_.gcm_stem + "_.wtd_ please wait...");
    expect_at(5, "Data extracted:" + int_field(static_cast<std::int64_t>(expected_.gcm_days), 6));

    std::size_t i = heading(6, "Truncating monthly group arrays of historical data at...");
    i = block(i + 1, kPosit, nonzero(fits.obs_posit, fits.obs_posit), 4,
              [&](int m, const std::string& v) { audit.months[m - 1].obs_posit = v; });
    i = heading(i, "Truncating monthly group arrays of daily GCM data at...");
    i = block(i + 1, kPosit, nonzero(fits.posit, fits.posit), 4,
              [&](int m, const std::string& v) { audit.months[m - 1].posit = v; });
    i = heading(i, "Determining which case...");
    i = block(i + 1, kCase, all(fits.ties.case_), 4,
              [&](int m, const std::string& v) { audit.months[m - 1].case_ = v; });
    i = heading(i, "Refill or Not???...");
    i = block(i + 1, kCountfill, all(fits.ties.countfill), 4,
              [&](int m, const std::string& v) { audit.months[m - 1].countfill = v; });
    i = heading(i, "Data to allocate..");
    i = block(i + 1, kData2alloc, all(fits.ties.data2alloc), 4,
              [&](int m, const std::string& v) { audit.months[m - 1].data2alloc = v; });
    i = heading(i, "Size of data in each month:");
    i = block(i + 1, kCounter, nonzero(fits.month_size, fits.month_size), 4,
              [](int, const std::string&) {});
    std::array<std::string, 12> no_ppt;
    if (expected_.emp_gamma != 2) {
      for (int m = 0; m < 12; ++m) {
        if (fits.posit[m] != 0) no_ppt[m] = fixed_field(fits.no_ppt[m], 7, 3);
      }
    }
    // One line holding two blanks stands between the sizes and the cut values.
    if (i < lines_.size() && lines_[i].empty()) ++i;
    i = block(i, kNoPpt, no_ppt, 7,
              [&](int m, const std::string& v) { audit.months[m - 1].no_ppt = v; });
    i = heading(i, "Performing bias correction of daily non-zero GCM outputs...");
    // A method number below 0 prints no banner.
    if (expected_.emp_gamma >= 0) expect_at(++i, banner());
    heading(i + 1, "---D O N E---");
    return audit;
  }

 private:
  [[noreturn]] void foreign(std::size_t line, const std::string& what) const {
    throw RunStop{std::string(kProgram) + "\"" + path_ + "\", line " + std::to_string(line) + ": " +
                      what +
                      ", so the log comes from another run; give the console log of this run:\n  " +
                      rerun_ + " | tee " + path_ + "\n",
                  true, 2};
  }

  [[noreturn]] void cut(const std::string& missing) const {
    throw RunStop{std::string(kProgram) + "\"" + path_ + "\" ends after line " +
                      std::to_string(lines_.size()) + " without \"" + missing +
                      "\": the log is cut; give the whole console log of the run:\n  " + rerun_ +
                      " | tee " + path_ + "\n",
                  true, 2};
  }

  // Line `index` (from 0) must read `text`.
  void expect_at(std::size_t index, const std::string& text) const {
    if (index >= lines_.size()) cut(text);
    if (lines_[index] != trim_right(text)) {
      foreign(index + 1, "it reads \"" + lines_[index] + "\" where this run prints \"" +
                             std::string(trim_right(text)) + "\"");
    }
  }

  // The first line at or after `from` that reads `text`.
  std::size_t heading(std::size_t from, std::string_view text) const {
    for (std::size_t i = from; i < lines_.size(); ++i) {
      if (lines_[i] == text) return i;
    }
    cut(std::string(text));
  }

  std::optional<std::pair<int, std::string>> value_line(const std::string& line,
                                                        const LineLayout& layout) const {
    const std::size_t at = layout.label.size() + static_cast<std::size_t>(layout.month_width);
    // The log's lines lost their trailing blanks; a value field never ends
    // in one, so the length still tells the layout.
    if (line.size() != at + 2 + static_cast<std::size_t>(layout.value_width) ||
        !line.starts_with(layout.label) || line.compare(at, 2, ")=") != 0) {
      return std::nullopt;
    }
    std::int32_t month = 0;
    const auto month_text = std::string_view(line).substr(layout.label.size(), layout.month_width);
    if (read_first(month_text, month) != ReadStatus::kOk || month < 1 || month > 12 ||
        int_field(month, layout.month_width) != month_text) {
      return std::nullopt;
    }
    return std::make_pair(static_cast<int>(month), line.substr(at + 2));
  }

  // Reads the value lines of one block from line `from` on; the months with
  // a non-empty `want` entry must each appear once, in ascending order, with
  // that value text (the last `width` characters of the field), and no
  // other month. Returns the index of the first line after the block.
  template <typename Keep>
  std::size_t block(std::size_t from, const LineLayout& layout,
                    const std::array<std::string, 12>& want, int width, Keep keep) const {
    std::size_t i = from;
    int last = 0;
    for (; i < lines_.size(); ++i) {
      const auto v = value_line(lines_[i], layout);
      if (!v) break;
      const auto [m, field] = *v;
      const std::string label = std::string(layout.label) + int_field(m, layout.month_width) + ")=";
      if (m <= last || want[m - 1].empty()) {
        foreign(i + 1, "this run prints no line " + label + " here");
      }
      const std::string shown = field.substr(field.size() - static_cast<std::size_t>(width));
      if (shown != want[m - 1]) {
        foreign(i + 1, label + " is \"" + shown + "\" but \"" + want[m - 1] +
                           "\" for the files of this run");
      }
      keep(m, shown);
      last = m;
    }
    // The months after the last line read must have printed nothing.
    for (std::size_t k = static_cast<std::size_t>(last); k < want.size(); ++k) {
      if (want[k].empty()) continue;
      const int m = static_cast<int>(k) + 1;
      const std::string label = std::string(layout.label) + int_field(m, layout.month_width) + ")=";
      if (i >= lines_.size()) cut(label);
      foreign(i + 1, "the line " + label + " of this run is missing");
    }
    return i;
  }

  static std::array<std::string, 12> all(const MonthInts& values) {
    std::array<std::string, 12> out;
    for (int m = 0; m < 12; ++m) out[m] = int_field(values[m], 4);
    return out;
  }

  static std::array<std::string, 12> nonzero(const MonthInts& test, const MonthInts& values) {
    std::array<std::string, 12> out;
    for (int m = 0; m < 12; ++m) {
      if (test[m] != 0) out[m] = int_field(values[m], 4);
    }
    return out;
  }

  std::string banner() const {
    switch (expected_.emp_gamma) {
      case 0:
        return "<<<using gamma to gamma transformation>>>";
      case 1:
        return "<<<using emperical to gamma transformation>>>";
      default:
        return "<<<using multiplicative adjustment>>>";
    }
  }

  std::string path_;
  const ExpectedRun& expected_;
  std::string rerun_;
  std::vector<std::string> lines_;
};

}  // namespace

TruncationAudit read_run_log(const std::string& path, const ExpectedRun& expected,
                             const std::string& rerun) {
  return LogReader(path, expected, rerun).read();
}

}  // namespace raincorr::report
