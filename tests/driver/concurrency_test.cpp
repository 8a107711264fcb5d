// Runs with different name stems started at the same moment in one folder
// must not see each other: every run names all its files after its own
// stems and keeps no scratch file, so three runs at once must leave exactly
// the files, and print exactly the console output, of the same three runs
// made one after another.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/support.h"

namespace raincorr {
namespace {

using testing::ScratchDir;

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr int kMonthLength[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// A small linear congruential generator: the same series on every machine.
class Rng {
 public:
  explicit Rng(unsigned seed) : state_(seed) {}
  double uniform() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return (static_cast<double>(state_ >> 11) + 0.5) / 9007199254740992.0;
  }
  // A day's rainfall: wet with probability `wet`, then exponential with
  // mean `mean` mm.
  double rain(double wet, double mean) {
    return uniform() < wet ? -std::log(uniform()) * mean : 0.0;
  }

 private:
  unsigned long long state_;
};

struct RunInputs {
  std::string obs_name, gcm_name;
  std::string obs, gcm;
  std::vector<std::string> args;
};

// Run k: observed and GCM rainfall of 1961-1990 from seed k, the GCM file
// in layout k, corrected by method k; each with its own window.
RunInputs make_run(int k) {
  RunInputs r;
  r.obs_name = "obs" + std::to_string(k) + ".wtd";
  r.gcm_name = "gcm" + std::to_string(k) + ".txt";
  Rng rng(1000u + static_cast<unsigned>(k));
  r.obs = "*WEATHER DATA : station " + std::to_string(k) + "\n\n@  DATE  SRAD  TMAX  TMIN  RAIN\n";
  r.gcm = "GCM run " + std::to_string(k) + "\nday month year rainfall\n";
  char buf[128];
  for (int y = 1961; y <= 1990; ++y) {
    int doy = 0;
    for (int m = 0; m < 12; ++m)
      for (int day = 1; day <= kMonthLength[m] + (m == 1 && leap(y)); ++day) {
        ++doy;
        std::snprintf(buf, sizeof buf, "%04d%03d  20.0  25.0  14.0%6.1f\n", y, doy,
                      rng.rain(0.35, 8.0));
        r.obs += buf;
        const double mm = rng.rain(0.45, 5.0);
        if (k == 1) {
          std::snprintf(buf, sizeof buf, "%2d %s %4d%15.2f\n", day, kMonths[m], y, mm);
        } else if (k == 0) {
          std::snprintf(buf, sizeof buf,
                        "EXAMPLE_GCM_pr_day_A1B %2d %s %4d  %.8E  lat=-1.25 run=%d\n", day,
                        kMonths[m], y, mm / 86400000.0, k);
        } else {
          std::snprintf(buf, sizeof buf,
                        "EXAMPLE_GCM_pr_day_A1B_run1_surface_lv %2d %s %4d%20s%.4E\n", day,
                        kMonths[m], y, "", mm / 86400000.0);
        }
        r.gcm += buf;
      }
  }
  const char* const windows[][2] = {{"1", "365"}, {"305", "59"}, {"60", "90"}};
  r.args = {r.obs_name, r.gcm_name,        "1961", "1991", windows[k][0], windows[k][1],
            "0.1",      std::to_string(k), "0"};
  return r;
}

std::map<std::string, std::string> snapshot(const std::filesystem::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& name : testing::list_files(dir)) files[name] = testing::read_file(dir / name);
  return files;
}

struct Runs {
  std::vector<testing::ToolRun> results;
  std::map<std::string, std::string> files;
};

void write_inputs(const std::vector<RunInputs>& inputs) {
  for (const auto& r : inputs) {
    testing::write_file(r.obs_name, r.obs);
    testing::write_file(r.gcm_name, r.gcm);
  }
}

TEST(Concurrency, RunsAtOnceEqualRunsInSequence) {
  std::vector<RunInputs> inputs;
  for (int k = 0; k < 3; ++k) inputs.push_back(make_run(k));

  Runs sequence;
  {
    ScratchDir dir;
    write_inputs(inputs);
    for (const auto& r : inputs) sequence.results.push_back(testing::run_tool(r.args, dir.path()));
    sequence.files = snapshot(dir.path());
  }
  for (std::size_t k = 0; k < inputs.size(); ++k) {
    const auto& run = sequence.results[k];
    ASSERT_EQ(run.status, 0) << "run " << k << "\n" << run.out << run.err;
    ASSERT_NE(run.out.find("\n---D O N E---\n"), std::string::npos) << "run " << k;
  }
  // Each run leaves its corrected files, under its own GCM stem.
  for (const char* name : {"gcm0._cd.pcp", "gcm1._cd.pcp", "gcm2._cd.pcp", "gcm2._c.pcp"})
    EXPECT_TRUE(sequence.files.count(name)) << name;

  // A few rounds, each releasing the three runs together.
  for (int round = 0; round < 3; ++round) {
    ScratchDir dir;
    write_inputs(inputs);
    std::vector<testing::ToolProcess> started;
    {
      testing::StartGate gate;
      for (const auto& r : inputs)
        started.push_back(testing::start_tool(r.args, dir.path(), &gate));
      gate.open();
    }
    Runs together;
    for (const auto& p : started) together.results.push_back(testing::wait_tool(p));
    together.files = snapshot(dir.path());

    for (std::size_t k = 0; k < inputs.size(); ++k) {
      EXPECT_EQ(together.results[k].status, sequence.results[k].status)
          << "round " << round << ", run " << k;
      EXPECT_EQ(together.results[k].out, sequence.results[k].out)
          << "round " << round << ", run " << k;
      EXPECT_EQ(together.results[k].err, sequence.results[k].err)
          << "round " << round << ", run " << k;
    }
    std::set<std::string> names_together, names_sequence;
    for (const auto& [name, content] : together.files) names_together.insert(name);
    for (const auto& [name, content] : sequence.files) names_sequence.insert(name);
    ASSERT_EQ(names_together, names_sequence) << "round " << round;
    for (const auto& [name, content] : sequence.files)
      EXPECT_TRUE(together.files.at(name) == content)
          << "round " << round << ": " << name << " differs";
  }
}

}  // namespace
}  // namespace raincorr
