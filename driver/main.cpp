// raincorr: bias correction of daily GCM rainfall against station rainfall.
//
// main only decodes the command line, hands over to run(), and turns the
// one failure type into console output and an exit status.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "driver/run.h"
#include "textio/run_stop.h"

int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc && i <= 9; ++i) args.emplace_back(argv[i]);
  if (const auto text = raincorr::information_request(args)) {
    std::cout << *text << std::flush;
    return std::cout ? 0 : 2;
  }
  try {
    raincorr::run(raincorr::decode_command_line(args), std::cout, std::cerr);
    std::cout.flush();
    return std::cout ? 0 : 2;
  } catch (const raincorr::RunStop& stop) {
    std::cout.flush();
    (stop.to_stderr ? std::cerr : std::cout) << stop.message << std::flush;
    return stop.status;
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << "raincorr: " << e.what() << '\n';
    return 2;
  }
}
