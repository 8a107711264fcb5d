#include "report/report.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "driver/command_line.h"
#include "report/monthly_summary.h"
#include "report/page.h"
#include "report/run_files.h"
#include "report/run_log.h"
#include "textio/fields.h"
#include "textio/freeform.h"
#include "textio/linefile.h"
#include "textio/run_stop.h"

namespace raincorr::report {
namespace {

RunStop refusal(const std::string& text, int status) {
  return RunStop{kProgram + text + "\n", true, status};
}

RunParams decode(const std::vector<std::string>& args) {
  try {
    return decode_command_line(args);
  } catch (const RunStop& stop) {
    // raincorr's own wording, shown as it would refuse the same run.
    std::string why = stop.message;
    while (!why.empty() && why.back() == '\n') why.pop_back();
    throw refusal("raincorr refuses these run arguments:\n" + why, 1);
  }
}

// Refuses an output name that would replace an input, a file of the run or
// its log: the report never changes what the run left.
void check_outputs(const ReportOptions& options, const RunParams& params,
                   const std::string& output) {
  const std::string obs = name_stem(params.file1);
  const std::string gcm = name_stem(params.file2);
  std::vector<std::string> kept = {std::string(trim_right(params.file1)),
                                   std::string(trim_right(params.file2)),
                                   gcm + ".pcp",
                                   gcm + "_cd.pcp",
                                   gcm + "_c.pcp",
                                   obs + ".pkp",
                                   gcm + ".pkp"};
  for (const auto& stem : {obs, gcm}) {
    kept.push_back(stem + "_1s.txt");
    kept.push_back(stem + "_2s.txt");
  }
  if (!options.log.empty()) kept.push_back(options.log);
  for (const auto* out : {&output, &options.csv, &options.summary}) {
    if (out->empty()) continue;
    for (const auto& file : kept) {
      std::error_code ec;
      if (*out == file || std::filesystem::equivalent(*out, file, ec)) {
        throw refusal("\"" + *out + "\" is a file of the run; give the report another name", 1);
      }
    }
  }
}

}  // namespace

std::string report_time(const char* source_date_epoch, std::time_t now) {
  std::time_t t = now;
  if (source_date_epoch != nullptr) {
    std::string_view text(source_date_epoch);
    long long seconds = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() || seconds < 0) {
      throw refusal("SOURCE_DATE_EPOCH=\"" + std::string(text) +
                        "\" is not a number of seconds since 1970-01-01",
                    1);
    }
    t = static_cast<std::time_t>(seconds);
  }
  std::tm utc{};
  gmtime_r(&t, &utc);
  char buf[64];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S UTC", &utc);
  return buf;
}

void make_report(const ReportOptions& options, const std::string& made_at) {
  const RunParams params = decode(options.args);
  std::string rerun = "raincorr";
  for (const auto& a : options.args) rerun += " " + a;

  const std::string output =
      options.output.empty() ? name_stem(params.file2) + "_report.html" : options.output;
  check_outputs(options, params, output);
  const RunFiles files = read_run(params, rerun);
  const auto window = window_days(params.year1, params.year2, params.DOY1, params.DOY2);

  PageInput in;
  in.args = options.args;
  in.year1 = params.year1;
  in.year2 = params.year2;
  in.doy1 = params.DOY1;
  in.doy2 = params.DOY2;
  in.thresh = params.thresh;
  in.emp_gamma = params.emp_gamma;
  in.observed = files.observed;
  in.gcm = files.gcm;
  in.version = options.version;
  in.made_at = made_at;
  in.aligned = align(window, files.station, files.raw, files.corrected);

  // Days of the GCM series outside these arguments' window mean that the
  // run had other years or days.
  const std::string series = name_stem(params.file2) + ".pcp";
  if (in.aligned.outside[kRaw] > 0) {
    throw refusal("\"" + series + "\" holds " + std::to_string(in.aligned.outside[kRaw]) +
                      " days outside the window of these arguments; the files are not those of "
                      "one run of these arguments: run raincorr first in this folder with the "
                      "same arguments:\n  " +
                      rerun,
                  2);
  }
  in.table = monthly_table(in.aligned, params.thresh);
  in.verdict = verdict(in.table);
  in.fits = fit_like_run(files.station, files.raw, params.thresh, params.emp_gamma, params.years());

  // The detail file prints the observed fit of each day's month: a
  // different fit means another threshold or method.
  for (int m = 0; m < 12; ++m) {
    if (files.detail_alpha[m].empty()) continue;
    if (files.detail_alpha[m] != fixed_field(in.fits.obs.alpha[m], 8, 4) ||
        files.detail_beta[m] != fixed_field(in.fits.obs.beta[m], 8, 4)) {
      throw refusal("\"" + name_stem(params.file2) + "_c.pcp\" holds the observed gamma fit" +
                        files.detail_alpha[m] + files.detail_beta[m] + " for month " +
                        std::to_string(m + 1) + ", but these arguments give" +
                        fixed_field(in.fits.obs.alpha[m], 8, 4) +
                        fixed_field(in.fits.obs.beta[m], 8, 4) +
                        "; the files are not those of one run of these arguments: run raincorr "
                        "first in this folder with the same arguments:\n  " +
                        rerun,
                    2);
    }
  }

  if (!options.log.empty()) {
    ExpectedRun expected;
    expected.file1 = std::string(trim_right(params.file1));
    expected.file2 = std::string(trim_right(params.file2));
    expected.gcm_stem = name_stem(params.file2);
    expected.observed_days = files.station.size();
    expected.gcm_days = files.raw.size();
    expected.emp_gamma = params.emp_gamma;
    expected.fits = in.fits;
    in.audit = read_run_log(options.log, expected, rerun);
  }

  // Every text is made before the first file is written, so that a refusal
  // leaves nothing behind.
  const std::string page = render_page(in);
  const std::string csv = options.csv.empty() ? "" : days_csv(in.aligned);
  const std::string summary = options.summary.empty() ? "" : summary_text(in.aligned, in.verdict);
  const auto write = [&](const std::string& path, const std::string& text) {
    try {
      write_text_file(path, text);
    } catch (const RunStop&) {
      throw refusal("cannot write \"" + path + "\"", 2);
    }
  };
  write(output, page);
  if (!options.csv.empty()) write(options.csv, csv);
  if (!options.summary.empty()) write(options.summary, summary);
}

}  // namespace raincorr::report
