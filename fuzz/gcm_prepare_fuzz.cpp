// GCM preparation of arbitrary file contents.
#include <cstdint>
#include <sstream>
#include <string>

#include "datafiles/gcm_prepare.h"
#include "fuzz/fuzz_support.h"
#include "textio/fields.h"
#include "textio/linefile.h"
#include "textio/run_stop.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  raincorr::fuzz::enter_scratch_dir();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  raincorr::write_text_file("gcmfz.txt", std::string(reinterpret_cast<const char*>(data), size));
  std::ostringstream console;
  int formt = 0;
  try {
    raincorr::GCM_PREPARE2(raincorr::text_field("gcmfz.txt", raincorr::kTextWidth), formt, console);
  } catch (const raincorr::RunStop&) {
  }
  return 0;
}
