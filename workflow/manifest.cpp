#include "workflow/manifest.h"

#include <glob.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>

#include "textio/freeform.h"
#include "textio/linefile.h"
#include "textio/run_stop.h"

namespace raincorr::batch {
namespace fs = std::filesystem;

namespace {

// raincorr holds every file name in a field of this many characters and cuts
// longer ones, after which it would open a file that is not there.
constexpr std::size_t kNameWidth = 32;

constexpr std::array kRequired = {"id",   "obs",  "gcm",    "year1",  "year2",
                                  "doy1", "doy2", "thresh", "method", "formt"};
constexpr std::array kOptional = {"lat", "lon"};

// Splits one CSV line into cells; nullopt for an unterminated quote.
std::optional<std::vector<std::string>> split_csv(std::string_view line) {
  std::vector<std::string> cells(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c != '"') {
        cells.back() += c;
      } else if (i + 1 < line.size() && line[i + 1] == '"') {
        cells.back() += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      cells.emplace_back();
    } else {
      cells.back() += c;
    }
  }
  if (quoted) return std::nullopt;
  // Blanks around a cell are layout, not content: "1976, 2001" is common.
  for (auto& cell : cells) {
    const auto first = cell.find_first_not_of(" \t");
    const auto last = cell.find_last_not_of(" \t");
    cell = first == std::string::npos ? std::string() : cell.substr(first, last - first + 1);
  }
  return cells;
}

bool has_glob_characters(const std::string& text) {
  return text.find_first_of("*?[") != std::string::npos;
}

bool ends_with(const std::string& text, std::string_view tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Safe as a folder name on every system the results may be copied to, and
// never one of the names results/ holds beside the pairs' folders.
std::optional<std::string> id_problem(const std::string& id) {
  if (id.empty()) return "the id is empty";
  if (id.size() > 64) return "id " + shown_text(id) + " is longer than 64 characters";
  const auto safe = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.';
  };
  if (!std::all_of(id.begin(), id.end(), safe) || id.front() == '.' || id.front() == '-')
    return "id " + shown_text(id) +
           " is not a safe folder name (letters, digits, '_', '-' and '.', not first '.' or '-')";
  if (id == "summary.csv" || id == "index.html")
    return "id " + shown_text(id) + " is reserved for the batch's own files";
  return std::nullopt;
}

// A name raincorr can be given: not cut by its name field, no blank that
// would end the name early.
std::optional<std::string> name_problem(const std::string& what, const std::string& name) {
  if (name.size() > kNameWidth)
    return what + " name " + shown_text(name) + " is longer than raincorr's 32 characters";
  if (name.find_first_of(" \t") != std::string::npos)
    return what + " name " + shown_text(name) + " holds a blank, which raincorr cannot take";
  return std::nullopt;
}

// The source's name with a new extension, shortened so that the result fits
// raincorr's name field.
std::string converted_name(const fs::path& source, const std::string& extension) {
  std::string base = source.stem().string();
  if (base.size() + extension.size() > kNameWidth) base.resize(kNameWidth - extension.size());
  return base + extension;
}

fs::path resolve(const fs::path& folder, const std::string& cell) {
  const fs::path p(cell);
  return (p.is_absolute() ? p : folder / p).lexically_normal();
}

class Checker {
 public:
  Checker(std::string manifest, std::size_t line) : manifest_(std::move(manifest)), line_(line) {}
  void fail(const std::string& reason) {
    problems_ += manifest_ + ":" + std::to_string(line_) + ": " + reason + "\n";
  }
  bool ok() const { return problems_.empty(); }
  const std::string& problems() const { return problems_; }

 private:
  std::string manifest_;
  std::size_t line_;
  std::string problems_;
};

void check_int(Checker& check, const char* column, std::string& cell, bool empty_is_zero) {
  if (cell.empty() && empty_is_zero) {
    cell = "0";
    return;
  }
  if (!parse_int(cell))
    check.fail(std::string(column) + " " + shown_text(cell) + " is not a whole number");
}

void check_real(Checker& check, const char* column, const std::string& cell) {
  if (!parse_real(cell))
    check.fail(std::string(column) + " " + shown_text(cell) + " is not a number");
}

}  // namespace

std::string name_stem(const std::string& file_name) { return file_name.substr(0, 5); }

std::vector<std::string> Pair::run_args() const {
  return {obs_name, gcm_name, year1, year2, doy1, doy2, thresh, method, formt};
}

std::vector<Pair> read_manifest(const fs::path& path) {
  const std::string shown = path.string();
  auto file = LineFile::open(shown);
  if (!file) throw ManifestError(shown + ": cannot be read\n");
  const fs::path folder = fs::absolute(path).parent_path();

  std::string problems;
  std::map<std::string, std::size_t> column;  // name -> index
  std::size_t width = 0;
  std::optional<std::string_view> line;
  while ((line = file->read()) && line->find_first_not_of(" \t") == std::string_view::npos) {
  }
  if (!line)
    throw ManifestError(shown + ":1: the manifest is empty; the first line names the columns\n");
  {
    Checker check(shown, file->line_number());
    const auto header = split_csv(*line);
    if (!header) {
      check.fail("unterminated quote");
    } else {
      width = header->size();
      for (std::size_t i = 0; i < header->size(); ++i) {
        const std::string& name = (*header)[i];
        const bool known = std::find(kRequired.begin(), kRequired.end(), name) != kRequired.end() ||
                           std::find(kOptional.begin(), kOptional.end(), name) != kOptional.end();
        if (!known)
          check.fail("unknown column " + shown_text(name));
        else if (!column.emplace(name, i).second)
          check.fail("column " + shown_text(name) + " given twice");
      }
      for (const char* name : kRequired)
        if (!column.count(name)) check.fail("missing column \"" + std::string(name) + "\"");
    }
    if (!check.ok()) throw ManifestError(check.problems());
  }

  std::vector<Pair> pairs;
  std::map<std::string, std::size_t> id_line;
  while ((line = file->read())) {
    if (line->find_first_not_of(" \t") == std::string_view::npos) continue;
    Checker check(shown, file->line_number());
    const auto cells = split_csv(*line);
    if (!cells) {
      check.fail("unterminated quote");
    } else if (cells->size() != width) {
      check.fail(std::to_string(cells->size()) + " cells where the header names " +
                 std::to_string(width) + " columns");
    }
    if (!check.ok()) {
      problems += check.problems();
      continue;
    }
    const auto cell = [&](const char* name) {
      const auto it = column.find(name);
      return it == column.end() ? std::string() : (*cells)[it->second];
    };

    Pair p;
    p.line = file->line_number();
    p.id = cell("id");
    if (const auto why = id_problem(p.id)) {
      check.fail(*why);
    } else if (const auto [it, fresh] = id_line.emplace(p.id, p.line); !fresh) {
      check.fail("id " + shown_text(p.id) + " is taken by line " + std::to_string(it->second));
    }

    const std::string obs = cell("obs");
    p.obs = resolve(folder, obs);
    p.obs_ghcn = ends_with(obs, ".dly");
    if (obs.empty()) {
      check.fail("obs is empty");
    } else if (!p.obs_ghcn && !ends_with(obs, ".wtd")) {
      check.fail("obs " + shown_text(obs) +
                 " is neither a weather file (.wtd) nor GHCN-Daily (.dly)");
    } else if (!fs::is_regular_file(p.obs)) {
      check.fail("obs file " + shown_text(obs) + " not found");
    } else {
      p.obs_name = p.obs_ghcn ? converted_name(p.obs, ".wtd") : p.obs.filename().string();
    }

    const std::string gcm = cell("gcm");
    p.gcm_netcdf = has_glob_characters(gcm) || ends_with(gcm, ".nc");
    if (gcm.empty()) {
      check.fail("gcm is empty");
    } else if (p.gcm_netcdf) {
      const std::string pattern = resolve(folder, gcm).string();
      glob_t found{};
      if (::glob(pattern.c_str(), 0, nullptr, &found) == 0)
        for (std::size_t i = 0; i < found.gl_pathc; ++i) p.gcm.emplace_back(found.gl_pathv[i]);
      ::globfree(&found);
      std::erase_if(p.gcm, [](const fs::path& f) { return !fs::is_regular_file(f); });
      if (p.gcm.empty())
        check.fail("gcm " + shown_text(gcm) + " matches no NetCDF file");
      else
        p.gcm_name = converted_name(p.gcm.front(), ".txt");
      p.lat = cell("lat");
      p.lon = cell("lon");
      if (p.lat.empty() || p.lon.empty())
        check.fail("gcm " + shown_text(gcm) + " is NetCDF, and lat and lon must choose the cell");
      else {
        check_real(check, "lat", p.lat);
        check_real(check, "lon", p.lon);
      }
    } else {
      p.gcm.push_back(resolve(folder, gcm));
      if (!fs::is_regular_file(p.gcm.front()))
        check.fail("gcm file " + shown_text(gcm) + " not found");
      else
        p.gcm_name = p.gcm.front().filename().string();
    }

    p.year1 = cell("year1");
    p.year2 = cell("year2");
    p.doy1 = cell("doy1");
    p.doy2 = cell("doy2");
    p.thresh = cell("thresh");
    p.method = cell("method");
    p.formt = cell("formt");
    check_int(check, "year1", p.year1, false);
    check_int(check, "year2", p.year2, false);
    check_int(check, "doy1", p.doy1, false);
    check_int(check, "doy2", p.doy2, false);
    check_real(check, "thresh", p.thresh);
    check_int(check, "method", p.method, true);
    check_int(check, "formt", p.formt, true);
    if (const auto m = parse_int(p.method); m && (*m < 0 || *m > 2))
      check.fail("method " + shown_text(p.method) +
                 " is not 0 (gamma), 1 (empirical) or 2 (multiplicative)");

    if (!p.obs_name.empty() && !p.gcm_name.empty()) {
      // A converted file may take another name; a given one must keep its own
      // so that the outputs carry the stems of a direct run.
      if (name_stem(p.obs_name) == name_stem(p.gcm_name)) {
        if (p.gcm_netcdf)
          p.gcm_name = converted_name("m_" + p.gcm_name, ".txt");
        else if (p.obs_ghcn)
          p.obs_name = converted_name("s_" + p.obs_name, ".wtd");
      }
      if (const auto why = name_problem("obs", p.obs_name)) check.fail(*why);
      if (const auto why = name_problem("gcm", p.gcm_name)) check.fail(*why);
      if (name_stem(p.obs_name) == name_stem(p.gcm_name))
        check.fail("obs " + shown_text(p.obs_name) + " and gcm " + shown_text(p.gcm_name) +
                   " share the name stem " + shown_text(name_stem(p.obs_name)) +
                   ", under which raincorr would mix their files");
    }
    if (check.ok())
      pairs.push_back(std::move(p));
    else
      problems += check.problems();
  }
  if (!problems.empty()) throw ManifestError(problems);
  if (pairs.empty())
    throw ManifestError(shown + ":" + std::to_string(file->line_number()) +
                        ": no pair is listed\n");
  return pairs;
}

}  // namespace raincorr::batch
