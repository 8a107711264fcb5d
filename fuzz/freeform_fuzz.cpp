// Free-form reading of arbitrary text: values of every kind in turn, new
// read statements in between, until the text runs out.
#include <cstdint>
#include <string>

#include "textio/freeform.h"
#include "textio/linefile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int pattern = data[0];
  raincorr::LineFile file("fuzz", std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  raincorr::FreeformReader reader(file);
  for (int k = 0;; ++k) {
    if ((pattern >> (k % 8)) & 1) reader.begin();
    raincorr::ReadStatus status;
    switch (k % 3) {
      case 0: {
        std::int32_t v;
        status = reader.read(v);
        break;
      }
      case 1: {
        double v;
        status = reader.read(v);
        break;
      }
      default: {
        std::string v;
        status = reader.read(v);
        break;
      }
    }
    if (status == raincorr::ReadStatus::kEnd) break;
  }
  file.rewind();
  while (file.read_field(32)) file.step_back(), file.read(), file.step_back(), file.read();
  return 0;
}
