// The stages of a run, in their fixed order.
#ifndef RAINCORR_DRIVER_RUN_H_
#define RAINCORR_DRIVER_RUN_H_

#include <ostream>

#include "driver/command_line.h"

namespace raincorr {

// Runs every stage once, strictly one after another, in the working
// directory: extraction of the observed series, preparation and extraction
// of the GCM series, monthly classification of both, the observed pass
// (sort, truncate, statistics), the GCM pass, the bias correction, and the
// clean-up. Owns the monthly array and every per-month array of the run.
// Reads `params.file1` and `params.file2` (never writes them). Leaves in the
// working directory the corrected files <stem2>_cd.pcp and <stem2>_c.pcp,
// the series file <stem2>.pcp, the value files <stem1>.pkp and <stem2>.pkp,
// and the empty files <stem>_1s.txt and <stem>_2s.txt of both stems; every
// other intermediate file is removed. Prints the stages' console lines, the
// two pass banners and "---D O N E---". A series (observed or GCM) whose
// file ends before the window's last day is used as far as it goes, and a
// one-line warning on `warnings` names its file, the last date read, the
// window's end and the days extracted out of the window's. A failing stage
// throws RunStop and the run ends there, with the files written so far left
// in place.
void run(RunParams params, std::ostream& console, std::ostream& warnings);

}  // namespace raincorr

#endif  // RAINCORR_DRIVER_RUN_H_
