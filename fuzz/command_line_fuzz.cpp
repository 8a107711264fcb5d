// Command-line decoding of arbitrary argument vectors: the arguments are the
// NUL-separated pieces of the input.
#include <cstdint>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "fuzz/fuzz_support.h"
#include "textio/run_stop.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  raincorr::fuzz::Input in(data, size);
  std::vector<std::string> args;
  for (int i = 0; i < 12 && size > 0; ++i) args.push_back(in.text());
  try {
    raincorr::decode_command_line(args);
  } catch (const raincorr::RunStop&) {
  }
  return 0;
}
