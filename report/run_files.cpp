#include "report/run_files.h"

#include <openssl/evp.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string_view>

#include "datafiles/weather_extract.h"
#include "textio/fields.h"
#include "textio/freeform.h"
#include "textio/linefile.h"
#include "textio/run_stop.h"

namespace raincorr::report {
namespace {

class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
};

RunStop refusal(const std::string& text) { return RunStop{kProgram + text + "\n", true, 2}; }

std::string in_quotes(std::string_view name) { return "\"" + std::string(name) + "\""; }

std::string run_first(const std::string& rerun) {
  return "run raincorr first in this folder with the same arguments:\n  " + rerun;
}

RunStop missing(const std::string& file, const std::string& rerun) {
  return refusal("cannot open " + in_quotes(file) + "; " + run_first(rerun));
}

RunStop mismatch(const std::string& what, const std::string& rerun) {
  return refusal(what +
                 "; the files are not those of one run of these arguments: " + run_first(rerun));
}

LineFile open_output(const std::string& file, const std::string& rerun) {
  auto f = LineFile::open(file);
  if (!f) throw missing(file, rerun);
  return std::move(*f);
}

// The blank-separated fields of a line.
std::vector<std::string_view> fields(std::string_view line) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (true) {
    i = line.find_first_not_of(" \t", i);
    if (i == std::string_view::npos) return out;
    const auto end = line.find_first_of(" \t", i);
    out.push_back(line.substr(i, end == std::string_view::npos ? end : end - i));
    if (end == std::string_view::npos) return out;
    i = end;
  }
}

std::optional<std::int32_t> one_int(std::string_view text) {
  const auto f = fields(text);
  return f.size() == 1 ? parse_int(f[0]) : std::nullopt;
}

RunStop bad_line(const LineFile& file, const std::string& what, const std::string& rerun) {
  return refusal("read error in " + in_quotes(file.name()) + ", line " +
                 std::to_string(file.line_number()) + ": " + what + "; " + run_first(rerun));
}

// A dated rainfall file of the extraction (year, day of year, rainfall)
// or the GCM series file (date code yyyyddd, rainfall).
std::vector<DatedValue> read_dated(LineFile file, bool date_code, const std::string& rerun) {
  std::vector<DatedValue> out;
  while (const auto line = file.read()) {
    const auto f = fields(*line);
    const std::size_t want = date_code ? 2 : 3;
    if (f.size() != want) {
      throw bad_line(
          file, "expected " + std::to_string(want) + " fields, found " + std::to_string(f.size()),
          rerun);
    }
    DatedValue v;
    const auto value = parse_real(f.back());
    if (date_code) {
      const auto code = parse_int(f[0]);
      if (!code || !value) throw bad_line(file, "not a date code and a rainfall value", rerun);
      v.day = {*code / 1000, *code % 1000};
    } else {
      const auto year = parse_int(f[0]);
      const auto doy = parse_int(f[1]);
      if (!year || !doy || !value) throw bad_line(file, "not a year, a day and a rainfall", rerun);
      v.day = {*year, *doy};
    }
    v.value = *value;
    out.push_back(v);
  }
  return out;
}

InputFile input_file(const std::string& name, const std::string& rerun) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(name, ec)) {
    throw refusal("cannot open the input file " + in_quotes(name) +
                  "; run raincorr-report in the run's folder with the run's arguments:\n  " +
                  rerun);
  }
  return {name, std::filesystem::file_size(name, ec), file_sha256(name)};
}

// A private folder, removed with its content when the object goes.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "raincorr-report-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) {
      throw refusal("cannot create a temporary folder under " +
                    in_quotes(std::filesystem::temp_directory_path().string()));
    }
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The window days of the observed weather file, extracted as the run
// extracted them.
std::vector<DatedValue> station_window(const RunParams& params, const std::string& rerun) {
  TempDir temp;
  const std::string stem = (temp.path() / "obs").string();
  NullBuffer null_buffer;
  std::ostream quiet(&null_buffer);
  try {
    WTD_EXTRACT2(params.file1, stem, params.DOY1, params.DOY2, params.year1_text, params.year2_text,
                 quiet);
  } catch (const RunStop& stop) {
    std::string why(trim_right(stop.message));
    while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
    why.erase(0, why.find_first_not_of(" \n"));
    throw refusal("cannot take the window days of " + in_quotes(trim_right(params.file1)) + ": " +
                  why + "\n(the run of these arguments fails the same way: " + rerun + ")");
  }
  auto file = LineFile::open(stem + "_y.pcp");
  if (!file) throw refusal("the extraction left no dated rainfall file in " + temp.path().string());
  return read_dated(std::move(*file), false, rerun);
}

}  // namespace

std::string file_sha256(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw refusal("cannot read " + in_quotes(path));
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr);
  std::vector<char> buffer(1 << 16);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    EVP_DigestUpdate(ctx.get(), buffer.data(), static_cast<std::size_t>(in.gcount()));
  }
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(ctx.get(), digest, &length);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

RunFiles read_run(const RunParams& params, const std::string& rerun) {
  RunFiles run;
  const std::string file1(trim_right(params.file1));
  const std::string file2(trim_right(params.file2));
  const std::string obs = name_stem(params.file1);
  const std::string gcm = name_stem(params.file2);
  run.observed = input_file(file1, rerun);
  run.gcm = input_file(file2, rerun);

  // Every output first, so that a folder without a run is told so at once.
  const std::string series = gcm + ".pcp";
  const std::string corrected = gcm + "_cd.pcp";
  const std::string detail = gcm + "_c.pcp";
  auto series_file = open_output(series, rerun);
  auto corrected_file = open_output(corrected, rerun);
  std::optional<LineFile> detail_file;
  if (params.emp_gamma != 2) detail_file = open_output(detail, rerun);
  const auto obs_values = open_output(obs + ".pkp", rerun);
  const auto gcm_values = open_output(gcm + ".pkp", rerun);

  run.raw = read_dated(std::move(series_file), true, rerun);
  const auto n = run.raw.size();
  if (gcm_values.count_lines() != n) {
    throw mismatch(in_quotes(gcm + ".pkp") + " holds " + std::to_string(gcm_values.count_lines()) +
                       " values but " + in_quotes(series) + " " + std::to_string(n) + " days",
                   rerun);
  }
  if (corrected_file.count_lines() != n) {
    throw mismatch(in_quotes(corrected) + " holds " + std::to_string(corrected_file.count_lines()) +
                       " days but " + in_quotes(series) + " " + std::to_string(n),
                   rerun);
  }
  run.corrected.reserve(n);
  while (const auto line = corrected_file.read()) {
    const auto f = fields(*line);
    const auto v = f.size() == 1 ? parse_real(f[0]) : std::nullopt;
    if (!v) throw bad_line(corrected_file, "not one rainfall value", rerun);
    run.corrected.push_back(*v);
  }

  if (detail_file) {
    if (detail_file->count_lines() != n) {
      throw mismatch(in_quotes(detail) + " holds " + std::to_string(detail_file->count_lines()) +
                         " days but " + in_quotes(series) + " " + std::to_string(n),
                     rerun);
    }
    for (std::size_t i = 0; i < n; ++i) {
      // A detail record is 55 columns wide; the observed fit stands in
      // columns 32-47.
      const std::string_view text = detail_file->read().value_or("");
      const auto year = one_int(text.substr(0, 4));
      const auto doy = one_int(text.substr(std::min<std::size_t>(5, text.size()), 3));
      if (text.size() != 55 || !year || !doy || !(Day{*year, *doy} == run.raw[i].day)) {
        throw mismatch(in_quotes(detail) + ", line " + std::to_string(i + 1) +
                           ": not a detail record of day " + std::to_string(i + 1) + " of " +
                           in_quotes(series),
                       rerun);
      }
      const int m = month_of(run.raw[i].day);
      if (run.detail_alpha[m - 1].empty()) {
        run.detail_alpha[m - 1] = text.substr(31, 8);
        run.detail_beta[m - 1] = text.substr(39, 8);
      }
    }
  }

  run.station = station_window(params, rerun);
  if (obs_values.count_lines() != run.station.size()) {
    throw mismatch(in_quotes(obs + ".pkp") + " holds " + std::to_string(obs_values.count_lines()) +
                       " values but the window of " + in_quotes(file1) + " has " +
                       std::to_string(run.station.size()) + " days",
                   rerun);
  }
  return run;
}

}  // namespace raincorr::report
