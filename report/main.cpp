// raincorr-report: run in a raincorr run's folder with the run's
// arguments; writes one HTML page that shows what the correction did.
//
// main only parses the options and hands over to make_report(); the one
// failure type becomes a message on standard error and an exit status.
#include <CLI/CLI.hpp>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#include "report/report.h"
#include "textio/run_stop.h"

int main(int argc, char** argv) {
  raincorr::report::ReportOptions options;
  options.version = RAINCORR_VERSION;
  CLI::App app{
      "Writes one self-contained HTML page that shows what a raincorr run did: verdict, monthly "
      "climatology, wet-day frequency, Q-Q panels, heavy days, statistics and, with --log, the "
      "truncation audit. Run it in the run's folder with the run's arguments.",
      "raincorr-report"};
  app.footer(
      "Exit status: 0 the page was written; 1 a bad command line; 2 a missing or mismatched file "
      "of the run, or a log of another run or a cut log (run raincorr first with the same "
      "arguments).");
  app.set_version_flag("--version", "raincorr-report " RAINCORR_VERSION);
  app.add_option("arguments", options.args,
                 "the nine arguments of the run, as given to raincorr (the last two may be "
                 "left out as there)")
      ->required()
      ->expected(7, 9)
      ->type_name("file1 file2 year1 year2 DOY1 DOY2 thresh [emp_gamma [formt]]");
  app.add_option("--log", options.log, "the run's console log (raincorr ... | tee RUN.LOG)");
  app.add_option("-o,--output", options.output,
                 "the page to write (default <gcm stem>_report.html)");
  app.add_option("--csv", options.csv, "also write the days as date,station,gcm_raw,gcm_corrected");
  app.add_option("--summary", options.summary, "also write the verdict figures as key=value lines");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? 0 : 1;
  }
  try {
    const std::string made_at =
        raincorr::report::report_time(std::getenv("SOURCE_DATE_EPOCH"), std::time(nullptr));
    raincorr::report::make_report(options, made_at);
    return 0;
  } catch (const raincorr::RunStop& stop) {
    std::cerr << stop.message << std::flush;
    return stop.status;
  } catch (const std::exception& e) {
    std::cerr << "raincorr-report: " << e.what() << '\n';
    return 2;
  }
}
