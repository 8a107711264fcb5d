// The batch's closing record: summary.csv and index.html in the results folder.
#ifndef RAINCORR_WORKFLOW_SUMMARY_H_
#define RAINCORR_WORKFLOW_SUMMARY_H_

#include <filesystem>
#include <string>
#include <vector>

#include "workflow/manifest.h"
#include "workflow/pair_run.h"

namespace raincorr::batch {

// The status of every pair of `pairs`, in manifest order, read from
// `results`/<id>/status. A pair without a readable status file is a failure
// with exit status -1 and the message that it left no status. Prints nothing.
std::vector<PairStatus> collect_statuses(const std::vector<Pair>& pairs,
                                         const std::filesystem::path& results);

// summary.csv: a header line, then one row per pair in the order given:
// id, status (ok or failed), exit_status, message, days, mean_error_raw,
// mean_error_corrected, wet_error_raw, wet_error_corrected, report.
// Cells holding a comma, a quote or a line end are quoted ("" inside).
std::string summary_csv(const std::vector<PairStatus>& statuses);

// index.html: one self-contained page (inline CSS, no script, no external
// resource) with the same table, the failures first, then the others from
// the worst verdict down (the larger of the two corrected errors, by
// magnitude); each id links its report, or for a failure the log of the
// step that failed.
std::string index_html(const std::vector<PairStatus>& statuses);

// Writes both files into `results` (created or replaced, through a
// temporary name so that a reader never sees half a file). Throws
// std::runtime_error when they cannot be written.
void write_summary(const std::vector<PairStatus>& statuses, const std::filesystem::path& results);

}  // namespace raincorr::batch

#endif  // RAINCORR_WORKFLOW_SUMMARY_H_
