// Weather-file extraction of arbitrary file contents with arbitrary window
// parameters: the first bytes choose DOY1, DOY2 and the year texts.
#include <cstdint>
#include <sstream>
#include <string>

#include "datafiles/weather_extract.h"
#include "fuzz/fuzz_support.h"
#include "textio/fields.h"
#include "textio/linefile.h"
#include "textio/run_stop.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  raincorr::fuzz::enter_scratch_dir();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  raincorr::fuzz::Input in(data, size);
  const int doy1 = in.in_range(1, 365);
  const int doy2 = in.in_range(1, 365);
  const std::string year1 = raincorr::text_field(in.text(), raincorr::kTextWidth);
  const std::string year2 = raincorr::text_field(in.text(), raincorr::kTextWidth);
  raincorr::write_text_file("fuzz.wtd", in.rest());
  std::ostringstream console;
  try {
    raincorr::WTD_EXTRACT2(raincorr::text_field("fuzz.wtd", raincorr::kTextWidth), "fuzz.", doy1,
                           doy2, year1, year2, console);
  } catch (const raincorr::RunStop&) {
  }
  return 0;
}
