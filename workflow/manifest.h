// The manifest of a batch: one station x model pair per row of a CSV file.
//
// The first line names the columns, in any order:
//   id, obs, gcm, year1, year2, doy1, doy2, thresh, method, formt
// and, for rows whose model comes as NetCDF, lat and lon. Cells are separated
// by commas; a cell may be quoted with double quotes ("" for a quote inside).
// Blank lines are skipped. Paths are relative to the manifest's own folder
// (absolute paths are taken as they are).
//
// A row is refused, with its line, when:
//  - a required column is missing from the header, or the header repeats or
//    names an unknown column (reported at line 1);
//  - its number of cells differs from the header's;
//  - its id is empty, unsafe as a folder name, reserved or taken by an earlier row;
//  - obs is not a .wtd or .dly file that exists;
//  - gcm names no existing file: a text file, or a .nc file or a glob that
//    matches one or more files (NetCDF), and then lat and lon must be given;
//  - a number cell holds no number as raincorr reads it (whole numbers for
//    the years, days, method and formt; method and formt may be left empty
//    for 0, as on raincorr's command line), or method is not 0, 1 or 2;
//  - the two inputs, under the names they take in the pair's folder, share
//    a name stem (raincorr's first five characters) or do not fit
//    raincorr's 32-character names.
#ifndef RAINCORR_WORKFLOW_MANIFEST_H_
#define RAINCORR_WORKFLOW_MANIFEST_H_

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace raincorr::batch {

// One pair, with paths made absolute and the numbers kept as the texts
// handed to raincorr.
struct Pair {
  std::size_t line = 0;  // line of the manifest
  std::string id;
  std::filesystem::path obs;               // the station file as given
  bool obs_ghcn = false;                   // a .dly file, converted to a weather file
  std::vector<std::filesystem::path> gcm;  // one text file, or the NetCDF files in name order
  bool gcm_netcdf = false;
  std::string lat, lon;  // the NetCDF cell (empty for a text model)
  std::string year1, year2, doy1, doy2, thresh, method, formt;

  // File names the two inputs take in the pair's folder: the files' own
  // names, or for a converted input the source's name with the new
  // extension (.wtd for a station, .txt for a model), shortened to fit
  // raincorr's names and prefixed where that alone would repeat the other
  // input's stem.
  std::string obs_name, gcm_name;

  // The nine arguments of raincorr (and of raincorr-report) for this pair.
  std::vector<std::string> run_args() const;
};

// The manifest could not be used: every problem, one per line, each as
// "<manifest>:<line>: <reason>".
class ManifestError : public std::runtime_error {
 public:
  explicit ManifestError(const std::string& lines) : std::runtime_error(lines) {}
};

// Reads and checks the manifest `path`. Reads the manifest and looks at the
// input files it names (existence only); writes nothing, prints nothing.
// Throws ManifestError listing every problem found, or when the file
// cannot be read.
std::vector<Pair> read_manifest(const std::filesystem::path& path);

// raincorr's name stem of a file name: its first five characters.
std::string name_stem(const std::string& file_name);

}  // namespace raincorr::batch

#endif  // RAINCORR_WORKFLOW_MANIFEST_H_
