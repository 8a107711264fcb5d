// A whole run on an arbitrary pair of small input files with random run
// parameters. The first bytes choose the years, the window, the threshold
// and the method; then come the observed file and the GCM file, separated
// by a NUL byte.
#include <cstdint>
#include <sstream>
#include <string>

#include "driver/command_line.h"
#include "driver/run.h"
#include "fuzz/fuzz_support.h"
#include "specfun/errors.h"
#include "textio/fields.h"
#include "textio/linefile.h"
#include "textio/run_stop.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  raincorr::fuzz::enter_scratch_dir();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  raincorr::fuzz::Input in(data, size);
  raincorr::RunParams p;
  p.file1 = raincorr::text_field("obsfz.wtd", raincorr::kTextWidth);
  p.file2 = raincorr::text_field("gcmfz.txt", raincorr::kTextWidth);
  p.year1 = in.in_range(1999, 2002);
  p.year2 = p.year1 + in.in_range(-1, 3);
  p.year1_text = raincorr::text_field(std::to_string(p.year1), raincorr::kTextWidth);
  p.year2_text = raincorr::text_field(std::to_string(p.year2), raincorr::kTextWidth);
  p.DOY1 = in.in_range(1, 365);
  p.DOY2 = in.in_range(1, 365);
  p.thresh = in.in_range(0, 40) / 4.0;
  p.emp_gamma = in.in_range(-1, 2);
  raincorr::write_text_file("obsfz.wtd", in.text());
  raincorr::write_text_file("gcmfz.txt", in.rest());
  static std::ostringstream console;  // the facility keeps a pointer to it
  console.str("");
  raincorr::set_error_console(console);
  try {
    raincorr::run(p, console, console);
  } catch (const raincorr::RunStop&) {
    // A run ended by the special functions leaves their stack pushed.
    raincorr::reset_error_facility_for_testing();
  }
  return 0;
}
