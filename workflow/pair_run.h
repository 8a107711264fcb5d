// One pair of a batch, run in its own folder: convert, correct, report, and
// the record of how it went.
#ifndef RAINCORR_WORKFLOW_PAIR_RUN_H_
#define RAINCORR_WORKFLOW_PAIR_RUN_H_

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "workflow/manifest.h"

namespace raincorr::batch {

// The three programs a pair needs.
struct Tools {
  std::filesystem::path raincorr, convert, report;
};

// Names raincorr, raincorr-convert and raincorr-report in the folder `bin`,
// or as found on PATH when `bin` is empty. Touches nothing and never fails:
// a program that is missing fails the step that starts it, with exit status
// 127 and "<program>: cannot be started: <why>" as its message.
Tools find_tools(const std::filesystem::path& bin);

// How a pair went. Written by run_pair as the file "status" of the pair's
// folder, one "key: value" line per field, and read back by the summary.
struct PairStatus {
  std::string id;
  bool ok = false;
  std::string step;     // the step that failed ("convert-obs", "convert-gcm",
                        // "raincorr", "report"), or "done"
  int exit_status = 0;  // of that step: its exit status, 128 + signal when
                        // killed, 127 when it could not be started
  std::string message;  // for a failure, the last line that step printed
  long days = -1;       // days corrected, as the report counts them; -1 unknown
  // The report's verdict, each the mean over the months of the absolute
  // relative error of a series against the station, as a fraction in the
  // report's own text ("nan" when no month has one); empty without a report.
  std::string mean_error_raw, mean_error_corrected, wet_error_raw, wet_error_corrected;
  std::string report;  // the report's path relative to the results folder
};

// Runs the pair `pair` in `results`/<id>/, which is emptied first:
//  1. its inputs appear there under their own names (symbolic links to the
//     manifest's files), a .dly station is converted by `raincorr-convert
//     ghcn` and NetCDF model files by `raincorr-convert netcdf`, their
//     console appended to convert.log;
//  2. raincorr runs there with the pair's nine arguments, its standard output
//     and error both saved to run.log;
//  3. raincorr-report runs with the same arguments and --log run.log, writing
//     report.html and its verdict figures to verdict.txt, its console saved
//     to report.log;
//  4. the outcome is written to the folder's file "status".
// A step that fails (exits non-zero, is killed, or for raincorr ends without
// its closing "---D O N E---") ends the pair there; that is an outcome, not
// an error. Prints nothing. Throws std::runtime_error only when the folder or
// its files cannot be made or written.
PairStatus run_pair(const Pair& pair, const Tools& tools, const std::filesystem::path& results);

// The status file's text and its reading; read_status returns nullopt for a
// file that is missing or not in the layout write_status makes.
std::string status_text(const PairStatus& status);
std::optional<PairStatus> read_status(const std::filesystem::path& file);

}  // namespace raincorr::batch

#endif  // RAINCORR_WORKFLOW_PAIR_RUN_H_
