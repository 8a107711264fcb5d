// raincorr-batch: the steps of a batch of station x model pairs, called by
// the Snakefile beside it. main only parses the subcommand and its options
// and hands over; every failure ends here with its message and status.
//
//   raincorr-batch check MANIFEST     one line per pair: id, its nine run
//                                     arguments, its input files (tab-separated)
//   raincorr-batch pair MANIFEST ID --results DIR [--bin DIR]
//   raincorr-batch summary MANIFEST --results DIR
//
// Statuses: 0 done (a pair that failed is done: its status file says so);
// 1 bad command line; 2 a bad manifest, or results that cannot be written.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <stdexcept>
#include <string>

#include "textio/run_stop.h"
#include "workflow/manifest.h"
#include "workflow/pair_run.h"
#include "workflow/summary.h"

namespace batch = raincorr::batch;

int main(int argc, char** argv) {
  CLI::App app{
      "raincorr-batch: check a manifest of station x model pairs, run one pair, "
      "and summarise the results"};
  app.set_version_flag("--version", "raincorr-batch " RAINCORR_VERSION);
  app.require_subcommand(1);

  std::string manifest, id, results, bin;
  auto* check = app.add_subcommand("check", "check the manifest and list the pairs");
  check->add_option("manifest", manifest, "manifest CSV")->required();

  auto* pair = app.add_subcommand("pair", "run one pair in RESULTS/ID/ and record its status");
  pair->add_option("manifest", manifest, "manifest CSV")->required();
  pair->add_option("id", id, "the pair's id")->required();
  pair->add_option("--results", results, "results folder")->required();
  pair->add_option("--bin", bin,
                   "folder of raincorr, raincorr-convert and raincorr-report "
                   "(default: PATH)");

  auto* summary = app.add_subcommand("summary", "write RESULTS/summary.csv and RESULTS/index.html");
  summary->add_option("manifest", manifest, "manifest CSV")->required();
  summary->add_option("--results", results, "results folder")->required();

  CLI11_PARSE(app, argc, argv);

  try {
    const auto pairs = batch::read_manifest(manifest);
    if (*check) {
      // What the Snakefile needs to know that a pair must run again: its
      // arguments and the files it reads.
      for (const auto& p : pairs) {
        std::cout << p.id << '\t';
        for (const auto& a : p.run_args()) std::cout << a << ' ';
        std::cout << p.lat << ' ' << p.lon << '\t' << p.obs.string();
        for (const auto& g : p.gcm) std::cout << '\t' << g.string();
        std::cout << '\n';
      }
    } else if (*pair) {
      const auto it = std::find_if(pairs.begin(), pairs.end(),
                                   [&](const batch::Pair& p) { return p.id == id; });
      if (it == pairs.end()) {
        std::cerr << "raincorr-batch: " << manifest << " lists no pair " << id << '\n';
        return 2;
      }
      batch::run_pair(*it, batch::find_tools(bin), results);
    } else {
      batch::write_summary(batch::collect_statuses(pairs, results), results);
    }
    std::cout.flush();
    return std::cout ? 0 : 2;
  } catch (const batch::ManifestError& e) {
    std::cerr << e.what();
    return 2;
  } catch (const raincorr::RunStop& stop) {
    std::cerr << stop.message;
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "raincorr-batch: " << e.what() << '\n';
    return 2;
  }
}
