// Malformed and odd inputs, each run through the raincorr executable in a
// folder of its own, with a timeout. For every case: the exit status is 0, 1
// or 2 (never a crash or a hang), the two input files are byte for byte what
// they were before the run, the console shows the system's own message byte
// for byte where the rules give one (else our error line, naming the file
// and line), and the files left are the ones the rules say.
//
// The fixture: observed and GCM daily rainfall for the whole years 1981 and
// 1982 (365 days each), built line by line below. Observed days whose day of
// year is a multiple of 4 are wet ((d % 13) + 1.5 mm), GCM days whose day of
// year is a multiple of 3 ((d % 7) + 0.7 mm). The default command line takes
// both whole years with a threshold of 0.5 mm and method 0.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/support/support.h"

namespace raincorr {
namespace {

using testing::read_file;
using testing::ScratchDir;
using testing::write_file;

constexpr int kTimeoutSeconds = 30;

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr int kMonthLength[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int days_in(int y) { return leap(y) ? 366 : 365; }

double obs_rain(int d) { return d % 4 == 0 ? d % 13 + 1.5 : 0.0; }
double gcm_rain(int d) { return d % 3 == 0 ? d % 7 + 0.7 : 0.0; }

std::string fmt(const char* format, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

std::string joined(const std::vector<std::string>& ls, const std::string& end = "\n") {
  std::string out;
  for (const auto& l : ls) out += l + end;
  return out;
}

// ---- the observed weather file ------------------------------------------

const std::vector<std::string> kObsHeader = {"*WEATHER DATA : bad input matrix", "",
                                             "@  DATE  SRAD  TMAX  TMIN  RAIN"};

// A WTD line with the rainfall column `rain` (six characters, columns 26-31).
std::string obs_line(int y, int d, const std::string& rain) {
  char date[16];
  std::snprintf(date, sizeof date, "%04d%03d", y, d);
  return std::string(date) + "  20.0  25.0  14.0" + rain;
}

std::vector<std::string> obs_year(int y, int first = 1, int last = 0) {
  std::vector<std::string> ls;
  for (int d = first; d <= (last ? last : days_in(y)); ++d)
    ls.push_back(obs_line(y, d, fmt("%6.1f", obs_rain(d))));
  return ls;
}

std::vector<std::string> obs_lines() {
  auto ls = kObsHeader;
  for (int y : {1981, 1982})
    for (auto& l : obs_year(y)) ls.push_back(l);
  return ls;
}

// Index in obs_lines() of day d of year y (the file line is one more).
std::size_t obs_at(int y, int d) { return kObsHeader.size() + (y - 1981) * 365 + d - 1; }

// ---- the GCM daily data file ---------------------------------------------

const std::vector<std::string> kGcmHeader = {"GCM daily rainfall, bad input matrix",
                                             "day month year rainfall"};

// One data line in layout 1 (cleaned, mm per day), 0 or 2 (raw, m/s).
std::string gcm_line(int layout, int y, int m, int day, double mm) {
  char buf[128];
  if (layout == 1) {
    std::snprintf(buf, sizeof buf, "%2d %s %4d%15.2f", day, kMonths[m], y, mm);
    return buf;
  }
  if (layout == 0) {
    // The date follows the blank at column 23; model fields run on past
    // column 52.
    std::snprintf(buf, sizeof buf,
                  "EXAMPLE_GCM_pr_day_A1B %2d %s %4d  %.8E  lat=-1.25 lon=36.75 cell=0412 run=1",
                  day, kMonths[m], y, mm / 86400000.0);
    return buf;
  }
  // Layout 2: the date follows the blank at column 39, columns 52-69 are
  // blank, the value stands in columns 71-80 (column 70 would be doubled by
  // the removal of the blank).
  std::snprintf(buf, sizeof buf, "EXAMPLE_GCM_pr_day_A1B_run1_surface_lv %2d %s %4d", day,
                kMonths[m], y);
  std::string l = buf;
  l.resize(70, ' ');
  return l + fmt("%.4E", mm / 86400000.0);
}

std::vector<std::string> gcm_year(int y, int layout = 1, int last = 0) {
  std::vector<std::string> ls;
  int doy = 0;
  for (int m = 0; m < 12; ++m)
    for (int day = 1; day <= kMonthLength[m] + (m == 1 && leap(y)); ++day) {
      if (last && doy == last) return ls;
      ++doy;
      ls.push_back(gcm_line(layout, y, m, day, gcm_rain(doy)));
    }
  return ls;
}

std::vector<std::string> gcm_lines(int layout = 1) {
  auto ls = kGcmHeader;
  for (int y : {1981, 1982})
    for (auto& l : gcm_year(y, layout)) ls.push_back(l);
  return ls;
}

// Index in gcm_lines() of day of year d of year y.
std::size_t gcm_at(int y, int d) { return kGcmHeader.size() + (y - 1981) * 365 + d - 1; }

// ---- runs -----------------------------------------------------------------

const std::vector<std::string> kArgs = {"obs.wtd", "gcm.txt", "1981", "1983", "1",
                                        "365",     "0.5",     "0",    "1"};

// kArgs with the arguments at the given positions (1-based) replaced.
std::vector<std::string> args_with(const std::map<int, std::string>& changes) {
  auto args = kArgs;
  for (const auto& [pos, text] : changes) args[pos - 1] = text;
  return args;
}

struct Outcome {
  testing::ToolRun run;
  std::set<std::string> files;                 // every file left in the folder
  std::map<std::string, std::string> outputs;  // content of every file but the inputs
};

// Runs the tool in a fresh folder holding `inputs`, and checks what holds
// for every run whatever its input: a normal exit with status 0, 1 or 2 and
// untouched input files.
Outcome run_in_fresh_dir(const std::map<std::string, std::string>& inputs,
                         const std::vector<std::string>& args, const std::string& label,
                         const std::function<void(const Outcome&)>& check = nullptr) {
  ScratchDir dir;
  for (const auto& [name, content] : inputs) write_file(name, content);
  Outcome o;
  o.run = testing::run_tool(args, dir.path(), kTimeoutSeconds);
  EXPECT_TRUE(o.run.status == 0 || o.run.status == 1 || o.run.status == 2)
      << label << ": status " << o.run.status << " (crash, signal or timeout)\n"
      << o.run.err;
  o.files = testing::list_files(dir.path());
  for (const auto& [name, content] : inputs) {
    EXPECT_TRUE(o.files.count(name)) << label << ": input " << name << " removed";
    EXPECT_TRUE(read_file(name) == content) << label << ": input " << name << " modified";
  }
  for (const auto& name : o.files)
    if (!inputs.count(name)) o.outputs[name] = read_file(name);
  if (check) check(o);
  return o;
}

std::map<std::string, std::string> pair_of(const std::vector<std::string>& obs,
                                           const std::vector<std::string>& gcm,
                                           const std::string& end = "\n") {
  return {{"obs.wtd", joined(obs, end)}, {"gcm.txt", joined(gcm, end)}};
}

std::size_t line_count(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Line `n` (from 1) of `text`, without its line end; empty past the end.
std::string line_of(const std::string& text, std::size_t n) {
  std::size_t start = 0;
  for (std::size_t i = 1; i < n; ++i) {
    start = text.find('\n', start);
    if (start == std::string::npos) return "";
    ++start;
  }
  return text.substr(start, text.find('\n', start) - start);
}

std::string count6(int n) { return fmt("%6.0f", n); }

std::string extracted_obs(int n) {
  return "Extracting data from obs.wtd please wait...\nData extracted:" + count6(n) + "\n";
}
std::string prepared_gcm(int n) {
  return "Preparing daily GCM data from gcm.txt please wait... \nData extracted:" + count6(n) +
         "\n";
}
std::string extracted_gcm(int n) {
  return "Extracting data from gcm.t_.wtd_ please wait...\nData extracted:" + count6(n) + "\n";
}
const std::string kGrouping =
    "Grouping data from obs.w.pcp into monthly class...\n"
    "Grouping data from gcm.t.pcp into monthly class...\n";
const std::string kNoMatch = "End of file reached, the word not matched, no meaning.\n";
const std::string kGcmUsage =
    " USAGE: <Command> <file1> <file2> <param1> <param2> <param3> <param4> <param5> \n"
    " <file1>: Weather file in WTD format (4-digit year)\n"
    " <file2>: GCM data, OSTREL data library free format\n"
    " <param1>: year1 - starting year of analysis, 4-digit code, e.g. 1970\n"
    " <param2>: year2 - ending year (+ 1), e.g. 1999 if you want 1998 for analysis\n"
    " <param3>: DOY1 - start of Month1, non-leap year\n"
    " <param4>: DOY2 - end of Month2, non-leap year\n"
    " <param5>: emp_gamma(=0,gamma-gamma),(=1,emperical-gammma),(=2,mult. adjustment)\n"
    " <param6>: formt(=0,raw daily GCM OSTREL free format),(=1,cleaned dd-mm-yr-data)\n";

// Files of a complete run of obs.wtd and gcm.txt.
const std::set<std::string> kFilesOfARun = {
    "obs.wtd",      "gcm.txt",      "obs.w.pkp",    "gcm.t.pcp",    "gcm.t.pkp",   "obs.w_1s.txt",
    "obs.w_2s.txt", "gcm.t_1s.txt", "gcm.t_2s.txt", "gcm.t_cd.pcp", "gcm.t_c.pcp",
};

// What a complete run shows: the counts of the three extractions at the
// start, the end line at the end, and the files it leaves.
// `err` is the whole standard error: the warnings of series that came up
// short of the window, or nothing.
void expect_complete(const Outcome& o, int obs, int gcm_lines, int gcm, const std::string& label,
                     const std::string& err = "") {
  EXPECT_EQ(o.run.status, 0) << label << "\n" << o.run.out << o.run.err;
  EXPECT_EQ(o.run.err, err) << label;
  const std::string head = extracted_obs(obs) + prepared_gcm(gcm_lines) + extracted_gcm(gcm) +
                           kGrouping + "\n<<<Analyzing classified historical data...>>>\n";
  EXPECT_EQ(o.run.out.substr(0, head.size()), head) << label;
  const std::string tail = "\n---D O N E---\n";
  EXPECT_TRUE(o.run.out.size() >= tail.size() &&
              o.run.out.compare(o.run.out.size() - tail.size(), tail.size(), tail) == 0)
      << label << ": " << o.run.out;
  EXPECT_EQ(o.files, kFilesOfARun) << label;
  EXPECT_EQ(line_count(o.outputs.at("obs.w.pkp")), static_cast<std::size_t>(obs)) << label;
  EXPECT_EQ(line_count(o.outputs.at("gcm.t.pcp")), static_cast<std::size_t>(gcm)) << label;
  EXPECT_EQ(line_count(o.outputs.at("gcm.t_cd.pcp")), static_cast<std::size_t>(gcm)) << label;
}

// The files present besides the inputs, by name.
std::set<std::string> outputs_of(const Outcome& o) {
  std::set<std::string> names;
  for (const auto& [name, content] : o.outputs) names.insert(name);
  return names;
}

// ---- failures -----------------------------------------------------------

struct FailCase {
  const char* label;
  std::map<std::string, std::string> inputs;
  std::vector<std::string> args;
  int status;
  std::string out;                     // the whole standard output
  std::vector<std::string> err_parts;  // parts of our own error line; none: no error output
  std::set<std::string> outputs;       // files left besides the inputs
  std::function<void(const Outcome&)> check = nullptr;
};

// The fixture with the line of day d of year y replaced.
std::vector<std::string> obs_with(int y, int d, const std::string& line) {
  auto ls = obs_lines();
  ls[obs_at(y, d)] = line;
  return ls;
}

std::vector<std::string> gcm_with(int y, int d, const std::string& line, int layout = 1) {
  auto ls = gcm_lines(layout);
  ls[gcm_at(y, d)] = line;
  return ls;
}

// Bytes of 128 and above and NUL, never a blank, a digit or a line feed,
// in lines of `width`: nothing in them can match a year or hold a date.
std::vector<std::string> garbage_lines(int count, std::size_t width) {
  std::vector<std::string> ls;
  unsigned state = 12345;
  for (int i = 0; i < count; ++i) {
    std::string l;
    for (std::size_t c = 0; c < width; ++c) {
      state = state * 1103515245u + 12345u;
      const unsigned byte = (state >> 16) % 129;
      l += static_cast<char>(byte == 128 ? 0 : 128 + byte);
    }
    ls.push_back(l);
  }
  return ls;
}

const std::set<std::string> kObsSeries = {"obs.w.pcp", "obs.w.pkp", "obs.w_y.pcp"};
std::set<std::string> obs_series_and(std::set<std::string> more) {
  more.insert(kObsSeries.begin(), kObsSeries.end());
  return more;
}
const std::set<std::string> kBothSeries = {"obs.w.pcp", "obs.w.pkp",   "obs.w_y.pcp", "gcm.t.pcp",
                                           "gcm.t.pkp", "gcm.t_y.pcp", "gcm.t_.wtd_"};

TEST(BadInput, FailuresStopWithTheirMessage) {
  const auto obs = obs_lines();
  const auto gcm = gcm_lines();
  const std::string prepare_banner = "Preparing daily GCM data from gcm.txt please wait... \n";
  auto obs_only = [&] { return std::map<std::string, std::string>{{"obs.wtd", joined(obs)}}; };
  auto gcm_only = [&] { return std::map<std::string, std::string>{{"gcm.txt", joined(gcm)}}; };
  std::vector<std::string> gcm_1982 = kGcmHeader;
  for (auto& l : gcm_year(1982)) gcm_1982.push_back(l);
  std::vector<std::string> gcm_binary = kGcmHeader;
  for (auto& l : garbage_lines(20, 120)) gcm_binary.push_back(l);
  std::string obs_binary;
  for (auto& l : garbage_lines(50, 70)) obs_binary += l + "\n";

  const FailCase cases[] = {
      // Missing and empty files, headers only.
      {"observed file missing",
       gcm_only(),
       kArgs,
       1,
       " ERROR, parser cannot access the file: obs.wtd\n\n",
       {},
       {}},
      {"GCM file missing",
       obs_only(),
       kArgs,
       1,
       extracted_obs(730) + " ERROR, parser cannot access the file: gcm.txt\n\n" + kGcmUsage,
       {},
       kObsSeries},
      {"observed file empty",
       {{"obs.wtd", ""}, {"gcm.txt", joined(gcm)}},
       kArgs,
       1,
       kNoMatch,
       {},
       kObsSeries},
      {"GCM file empty",
       {{"obs.wtd", joined(obs)}, {"gcm.txt", ""}},
       kArgs,
       1,
       extracted_obs(730) + "Error reading, file does not exist\n",
       {},
       obs_series_and({"gcm.t_.wtd_"}),
       [](const Outcome& o) { EXPECT_EQ(o.outputs.at("gcm.t_.wtd_"), ""); }},
      {"observed header only", pair_of(kObsHeader, gcm), kArgs, 1, kNoMatch, {}, kObsSeries},
      {"GCM headers only",
       pair_of(obs, kGcmHeader),
       kArgs,
       1,
       extracted_obs(730) + prepared_gcm(0) + kNoMatch,
       {},
       obs_series_and({"gcm.t.pcp", "gcm.t.pkp", "gcm.t_y.pcp", "gcm.t_.wtd_"}),
       [](const Outcome& o) {
         EXPECT_EQ(o.outputs.at("gcm.t_.wtd_"), "@  DATE  SRAD  TMAX  TMIN  RAIN\n");
       }},
      {"GCM file of one header line",
       pair_of(obs, {kGcmHeader[0]}),
       kArgs,
       2,
       extracted_obs(730),
       {"raincorr: unexpected end of file in \"gcm.txt\", line 2", "header"},
       obs_series_and({"gcm.t_.wtd_"})},

      // Years the files do not hold.
      {"year1 not in the observed file",
       pair_of(obs, gcm),
       args_with({{3, "1990"}, {4, "1991"}}),
       1,
       kNoMatch,
       {},
       kObsSeries},
      {"year1 not in the GCM file",
       pair_of(obs, gcm_1982),
       kArgs,
       1,
       extracted_obs(730) + prepared_gcm(365) + kNoMatch,
       {},
       obs_series_and({"gcm.t.pcp", "gcm.t.pkp", "gcm.t_y.pcp", "gcm.t_.wtd_"})},
      {"year1 argument not a number",
       pair_of(obs, gcm),
       args_with({{3, "19x1"}}),
       2,
       "",
       {"raincorr: ", "year1", "\"19x1\""},
       {}},

      // Damaged lines of the observed file. Day 10 of 1981 is line 13.
      {"observed line cut before the rainfall column",
       pair_of(obs_with(1981, 10, obs_line(1981, 10, "").substr(0, 20)), gcm),
       kArgs,
       1,
       "Extracting data from obs.wtd please wait...\n"
       "Error reading file, your data is very bad man!\n",
       {},
       kObsSeries,
       [](const Outcome& o) {
         // The record without its value is written; the check pass then runs
         // out of records.
         EXPECT_EQ(line_count(o.outputs.at("obs.w.pcp")), 730u);
         EXPECT_EQ(line_of(o.outputs.at("obs.w.pcp"), 10), " 1981010      ");
       }},
      {"observed rainfall of asterisks",
       pair_of(obs_with(1981, 10, obs_line(1981, 10, " *****")), gcm),
       kArgs,
       2,
       "Extracting data from obs.wtd please wait...\n",
       {"raincorr: read error in \"obs.wtd\", line 13", "\"*****\""},
       kObsSeries},
      {"NUL and binary bytes in the observed rainfall",
       pair_of(obs_with(1981, 10, obs_line(1981, 10, std::string("  \0\x01\xfe\0", 6))), gcm),
       kArgs,
       2,
       "Extracting data from obs.wtd please wait...\n",
       {"raincorr: read error in \"obs.wtd\", line 13", "\"\\x00\\x01\\xFE\\x00\""},
       kObsSeries},
      {"observed year not a number at the start of a year",
       pair_of(obs_with(1982, 1, "19x2" + obs_line(1982, 1, "   1.0").substr(4)), gcm),
       kArgs,
       2,
       "Extracting data from obs.wtd please wait...\n",
       {"raincorr: read error in \"obs.wtd\", line 369", "\"19x2\""},
       kObsSeries,
       [](const Outcome& o) {
         // The year before it was taken and stays.
         EXPECT_EQ(line_count(o.outputs.at("obs.w.pkp")), 365u);
       }},
      {"observed year not a number inside a year",
       pair_of(obs_with(1981, 10, "19x1" + obs_line(1981, 10, "   1.0").substr(4)), gcm),
       kArgs,
       2,
       "Extracting data from obs.wtd please wait...\n",
       {"raincorr: read error in \"obs.wtd\", line 13", "\"19x1010\""},
       kObsSeries},
      {"binary observed file",
       {{"obs.wtd", obs_binary}, {"gcm.txt", joined(gcm)}},
       kArgs,
       1,
       kNoMatch,
       {},
       kObsSeries},

      // Damaged lines of the GCM file. 10 January 1981 is line 12.
      {"GCM cleaned line cut before its value",
       pair_of(obs, gcm_with(1981, 10, "10 Jan 1981")),
       kArgs,
       2,
       extracted_obs(730) + prepare_banner,
       {"raincorr: read error in \"gcm.txt\", line 12", "no rainfall value", "columns 12-26"},
       obs_series_and({"gcm.t_.wtd_"}),
       [](const Outcome& o) {
         // The header and the nine days before it were prepared.
         EXPECT_EQ(line_count(o.outputs.at("gcm.t_.wtd_")), 10u);
       }},
      {"GCM cleaned line without a day",
       pair_of(obs, gcm_with(1981, 10, gcm_line(1, 1981, 0, 10, 1.0).replace(0, 2, "  "))),
       kArgs,
       2,
       extracted_obs(730) + prepare_banner,
       {"raincorr: read error in \"gcm.txt\", line 12", "no day of month", "columns 1-2"},
       obs_series_and({"gcm.t_.wtd_"})},
      {"GCM cleaned line without a year",
       pair_of(obs, gcm_with(1981, 10, gcm_line(1, 1981, 0, 10, 1.0).replace(6, 5, "     "))),
       kArgs,
       2,
       extracted_obs(730) + prepare_banner,
       {"raincorr: read error in \"gcm.txt\", line 12", "no year", "columns 7-11"},
       obs_series_and({"gcm.t_.wtd_"})},
      {"GCM year not a number",
       pair_of(obs, gcm_with(1981, 10, gcm_line(1, 1981, 0, 10, 1.0).replace(7, 4, "19x1"))),
       kArgs,
       2,
       extracted_obs(730) + prepare_banner,
       {"raincorr: read error in \"gcm.txt\", line 12", "year \"19x1\""},
       obs_series_and({"gcm.t_.wtd_"})},
      {"GCM rainfall of asterisks",
       pair_of(obs, gcm_with(1981, 10, "10 Jan 1981      *********")),
       kArgs,
       2,
       extracted_obs(730) + prepare_banner,
       {"raincorr: read error in \"gcm.txt\", line 12", "\"*********\""},
       obs_series_and({"gcm.t_.wtd_"})},
      {"GCM month in capitals on the first data line",
       pair_of(obs, gcm_with(1981, 1, " 1 JAN 1981           0.00")),
       kArgs,
       2,
       extracted_obs(730) + prepare_banner,
       {"raincorr: read error in \"gcm.txt\", line 3", "\"JAN\""},
       obs_series_and({"gcm.t_.wtd_"})},
      {"GCM first data line without a month",
       pair_of(obs, gcm_with(1981, 1, " 1     1981           0.00")),
       kArgs,
       2,
       extracted_obs(730) + prepare_banner,
       {"raincorr: read error in \"gcm.txt\", line 3", "no month name"},
       obs_series_and({"gcm.t_.wtd_"})},
      {"GCM raw line without its value",
       pair_of(obs, gcm_with(1981, 10,
                             "EXAMPLE_GCM_pr_day_A1B 10 Jan 1981                  lat=-1.25 "
                             "lon=36.75 cell=0412 run=1",
                             0)),
       kArgs,
       2,
       extracted_obs(730) + prepare_banner,
       {"raincorr: read error in \"gcm.txt\", line 12", "rainfall value",
        "after the blank at column 23"},
       obs_series_and({"gcm.t_.wtd_"})},
      // A raw line cut right after its date has blank columns 52-69, so it
      // is read as layout 2, whose date follows a blank in columns 39-45.
      {"GCM raw line cut after its date",
       pair_of(obs, gcm_with(1981, 10, "EXAMPLE_GCM_pr_day_A1B 10 Jan 1981", 0)),
       kArgs,
       2,
       extracted_obs(730) + prepare_banner,
       {"raincorr: read error in \"gcm.txt\", line 12", "no day of month",
        "after the blank at column 39"},
       obs_series_and({"gcm.t_.wtd_"})},
      {"GCM first raw line without a blank in columns 23-26",
       pair_of(obs, gcm_with(1981, 1,
                             "EXAMPLE_GCM_pr_day_A1B_x01 Jan 1981  0.00000000E+00  lat=-1.25 "
                             "lon=36.75 cell=0412 run=1",
                             0)),
       kArgs,
       2,
       extracted_obs(730) + prepare_banner,
       {"raincorr: read error in \"gcm.txt\", line 3", "no blank in columns 23-26"},
       obs_series_and({"gcm.t_.wtd_"})},
      {"GCM layout 2 line without its value",
       pair_of(obs, gcm_with(1981, 10, gcm_line(2, 1981, 0, 10, 0.0).substr(0, 50), 2)),
       kArgs,
       2,
       extracted_obs(730) + prepare_banner,
       {"raincorr: read error in \"gcm.txt\", line 12", "no rainfall value",
        "after the blank at column 39"},
       obs_series_and({"gcm.t_.wtd_"})},
      {"binary GCM file",
       pair_of(obs, gcm_binary),
       kArgs,
       2,
       extracted_obs(730) + prepare_banner,
       {"raincorr: read error in \"gcm.txt\", line 3", "no blank in columns 23-26"},
       obs_series_and({"gcm.t_.wtd_"})},
      // 1000 mm does not fit the five rainfall columns of the prepared file,
      // so the preparation refuses the day at its own line, keeping the days
      // before it.
      {"GCM rainfall of 1000 mm",
       pair_of(obs, gcm_with(1981, 7, gcm_line(1, 1981, 0, 7, 1000.0))),
       kArgs,
       2,
       extracted_obs(730) + prepare_banner,
       {"raincorr: read error in \"gcm.txt\", line 9: rainfall \"1000.00\" is 1000 mm/day, too "
        "large for the prepared weather file (at most 999.9)\n"},
       obs_series_and({"gcm.t_.wtd_"}),
       [](const Outcome& o) { EXPECT_EQ(line_count(o.outputs.at("gcm.t_.wtd_")), 7u); }},
      // A raw file in kg m-2 s-1 (mm/s) read as m/s: 3.0E-05 mm/s is 2.592 mm
      // a day, but 2592 mm/day once multiplied by 86400000.
      {"GCM raw rainfall in kg m-2 s-1",
       pair_of(obs, gcm_with(1981, 7, gcm_line(0, 1981, 0, 7, 2592.0), 0)),
       kArgs,
       2,
       extracted_obs(730) + prepare_banner,
       {"raincorr: read error in \"gcm.txt\", line 9: rainfall \"3.00000000E-05\" is 2592 "
        "mm/day, too large for the prepared weather file (at most 999.9); layouts 0 and 2 are "
        "taken to be in m s-1 and multiplied by 86400000, so a file in kg m-2 s-1 (mm s-1) gives "
        "values 1000 times too large\n"},
       obs_series_and({"gcm.t_.wtd_"}),
       [](const Outcome& o) { EXPECT_EQ(line_count(o.outputs.at("gcm.t_.wtd_")), 7u); }},
      // Observed rainfall written in all six columns of its field would lose
      // its first character (-999.0 would read as 999.0 mm): refused at its
      // line, with the days before it kept in the series files.
      {"observed rainfall of -999.0 in six columns",
       pair_of(obs_with(1981, 5, obs_line(1981, 5, "-999.0")), gcm),
       kArgs,
       2,
       "Extracting data from obs.wtd please wait...\n",
       {"raincorr: read error in \"obs.wtd\", line 8: rainfall \"-999.0\" in columns 26-31 does "
        "not fit columns 27-31\n"},
       {"obs.w.pcp", "obs.w.pkp", "obs.w_y.pcp"},
       [](const Outcome& o) {
         EXPECT_EQ(line_count(o.outputs.at("obs.w.pkp")), 4u);
         EXPECT_EQ(line_count(o.outputs.at("obs.w_y.pcp")), 4u);
       }},
      {"observed rainfall of 1234.5",
       pair_of(obs_with(1982, 8, obs_line(1982, 8, "1234.5")), gcm),
       kArgs,
       2,
       "Extracting data from obs.wtd please wait...\n",
       {"raincorr: read error in \"obs.wtd\", line 376: rainfall \"1234.5\" in columns 26-31 "
        "does not fit columns 27-31\n"},
       {"obs.w.pcp", "obs.w.pkp", "obs.w_y.pcp"},
       [](const Outcome& o) { EXPECT_EQ(line_count(o.outputs.at("obs.w.pcp")), 372u); }},

      // Run parameters refused before any file is touched.
      {"DOY1 of 0", pair_of(obs, gcm), args_with({{5, "0"}}), 1, "", {"DOY1 = 0"}, {}},
      {"DOY2 of 366", pair_of(obs, gcm), args_with({{6, "366"}}), 1, "", {"DOY2 = 366"}, {}},
      {"negative DOY1",
       pair_of(obs, gcm),
       args_with({{5, "-5"}, {6, "40"}}),
       1,
       "",
       {"DOY1 = -5"},
       {}},
      {"the same stem for both inputs",
       {{"stobs.wtd", joined(obs)}, {"stobs.gcm", joined(gcm)}},
       args_with({{1, "stobs.wtd"}, {2, "stobs.gcm"}}),
       1,
       "",
       {"\"stobs\""},
       {}},
      {"observed input named like the series file it would get",
       {{"obs.w.pcp", joined(obs)}, {"gcm.txt", joined(gcm)}},
       args_with({{1, "obs.w.pcp"}}),
       1,
       "",
       {"\"obs.w.pcp\""},
       {}},
      {"GCM input named like the corrected file",
       {{"obs.wtd", joined(obs)}, {"gcm.t_cd.pcp", joined(gcm)}},
       args_with({{2, "gcm.t_cd.pcp"}}),
       1,
       "",
       {"\"gcm.t_cd.pcp\""},
       {}},
      {"observed input named like the prepared GCM file",
       {{"gc_.wtd_", joined(obs)}, {"gc", joined(gcm)}},
       args_with({{1, "gc_.wtd_"}, {2, "gc"}}),
       1,
       "",
       {"\"gc_.wtd_\""},
       {}},
  };
  for (const auto& c : cases) {
    run_in_fresh_dir(c.inputs, c.args, c.label, [&](const Outcome& o) {
      EXPECT_EQ(o.run.status, c.status) << c.label << "\n" << o.run.out << o.run.err;
      EXPECT_EQ(o.run.out, c.out) << c.label;
      if (c.err_parts.empty()) {
        EXPECT_EQ(o.run.err, "") << c.label;
      } else {
        // One line, naming what went wrong and where.
        EXPECT_EQ(line_count(o.run.err), 1u) << c.label << ": " << o.run.err;
        for (const auto& part : c.err_parts)
          EXPECT_NE(o.run.err.find(part), std::string::npos)
              << c.label << ": \"" << part << "\" not in " << o.run.err;
      }
      EXPECT_EQ(outputs_of(o), c.outputs) << c.label;
      if (c.check) c.check(o);
    });
  }
}

// ---- odd but valid inputs ------------------------------------------------

TEST(BadInput, OddButValidInputsRunToTheEnd) {
  const auto obs = obs_lines();
  const auto gcm = gcm_lines();

  auto without = [](std::vector<std::string> ls, std::size_t at) {
    ls.erase(ls.begin() + static_cast<std::ptrdiff_t>(at));
    return ls;
  };
  auto doubled = [](std::vector<std::string> ls, std::size_t at) {
    ls.insert(ls.begin() + static_cast<std::ptrdiff_t>(at), ls[at]);
    return ls;
  };
  // 1982 before 1981.
  auto swapped = [](const std::vector<std::string>& ls, std::size_t header) {
    std::vector<std::string> out(ls.begin(), ls.begin() + static_cast<std::ptrdiff_t>(header));
    out.insert(out.end(), ls.begin() + static_cast<std::ptrdiff_t>(header + 365), ls.end());
    out.insert(out.end(), ls.begin() + static_cast<std::ptrdiff_t>(header),
               ls.begin() + static_cast<std::ptrdiff_t>(header + 365));
    return out;
  };
  auto obs_cut = kObsHeader;
  for (auto& l : obs_year(1981)) obs_cut.push_back(l);
  for (auto& l : obs_year(1982, 1, 100)) obs_cut.push_back(l);
  auto gcm_cut = kGcmHeader;
  for (auto& l : gcm_year(1981)) gcm_cut.push_back(l);
  for (auto& l : gcm_year(1982, 1, 100)) gcm_cut.push_back(l);

  // Observed days 5 to 7 of 1981 hold -2.5, 999.9 and -99.9 mm: values that
  // fit the last five columns of the field are read as they are.
  auto obs_odd = obs;
  obs_odd[obs_at(1981, 5)] = obs_line(1981, 5, "  -2.5");
  obs_odd[obs_at(1981, 6)] = obs_line(1981, 6, " 999.9");
  obs_odd[obs_at(1981, 7)] = obs_line(1981, 7, " -99.9");
  // GCM days 5 and 6 of 1981 are negative: they become 0.0.
  auto gcm_neg = gcm;
  gcm_neg[gcm_at(1981, 5)] = gcm_line(1, 1981, 0, 5, -999.0);
  gcm_neg[gcm_at(1981, 6)] = gcm_line(1, 1981, 0, 6, -2.5);
  // Raw lines; the one of 10 January has no blank in columns 23-26 and
  // takes the date and value of 9 January again.
  auto gcm_raw = gcm_lines(0);
  gcm_raw[gcm_at(1981, 10)].replace(22, 4, "_10_");
  // A cleaned line whose month names nothing keeps the month before.
  auto gcm_no_month = gcm;
  gcm_no_month[gcm_at(1981, 40)].replace(3, 3, "   ");

  struct Case {
    const char* label;
    std::map<std::string, std::string> inputs;
    std::vector<std::string> args;
    int obs, gcm_lines, gcm;  // the counts of the three extractions
    std::function<void(const Outcome&)> check = nullptr;
    std::string err = "";  // the whole standard error
  };
  // A series that runs out before the window's last day completes the run
  // with the days it has, and one warning line names it.
  auto short_of = [](const char* file, const char* last_date, int days) {
    return "raincorr: warning: \"" + std::string(file) +
           "\" ended before the window: last date read " + last_date +
           ", window ends 1982-12-31, " + std::to_string(days) + " of 730 days extracted\n";
  };
  const Case cases[] = {
      // A file that ends in the middle of a year: the days read are taken.
      {"observed file ends in the middle of 1982", pair_of(obs_cut, gcm), kArgs, 465, 730, 730,
       nullptr, short_of("obs.wtd", "1982-04-10", 465)},
      {"GCM file ends in the middle of 1982", pair_of(obs, gcm_cut), kArgs, 730, 465, 465, nullptr,
       short_of("gcm.txt", "1982-04-10", 465)},
      {"both files end in the middle of 1982", pair_of(obs_cut, gcm_cut), kArgs, 465, 465, 465,
       nullptr, short_of("obs.wtd", "1982-04-10", 465) + short_of("gcm.txt", "1982-04-10", 465)},
      // Days are counted by lines: a missing day pulls the next year's first
      // day into 1981, and 1982 then runs one line short.
      {"observed day missing", pair_of(without(obs, obs_at(1981, 40)), gcm), kArgs, 729, 730, 730,
       [](const Outcome& o) {
         EXPECT_EQ(line_of(o.outputs.at("obs.w.pkp"), 365), fmt("%5.1f", obs_rain(1)));
       },
       short_of("obs.wtd", "1982-12-31", 729)},
      {"GCM day missing", pair_of(obs, without(gcm, gcm_at(1981, 40))), kArgs, 730, 729, 729,
       [](const Outcome& o) {
         EXPECT_EQ(line_of(o.outputs.at("gcm.t.pcp"), 365), " 1982001   0.0");
       },
       short_of("gcm.txt", "1982-12-31", 729)},
      // A doubled day makes 1981 one line longer: its last day opens a
      // second pass, and 1982's last day a third.
      {"observed day doubled", pair_of(doubled(obs, obs_at(1981, 40)), gcm), kArgs, 731, 730, 730},
      {"GCM day doubled", pair_of(obs, doubled(gcm, gcm_at(1981, 40))), kArgs, 730, 731, 731,
       [](const Outcome& o) {
         EXPECT_EQ(line_of(o.outputs.at("gcm.t.pcp"), 41), " 1981040   0.0");
         EXPECT_EQ(line_of(o.outputs.at("gcm.t.pcp"), 366), " 1981365   0.0");
       }},
      // The search finds 1981 after the whole of 1982, and the file ends.
      {"observed years out of order", pair_of(swapped(obs, kObsHeader.size()), gcm), kArgs, 365,
       730, 730, nullptr, short_of("obs.wtd", "1981-12-31", 365)},
      {"GCM years out of order", pair_of(obs, swapped(gcm, kGcmHeader.size())), kArgs, 730, 730,
       365,
       [](const Outcome& o) {
         EXPECT_EQ(line_of(o.outputs.at("gcm.t.pcp"), 1), " 1981001   0.0");
         EXPECT_EQ(line_of(o.outputs.at("gcm.t.pcp"), 365), " 1981365   0.0");
       },
       short_of("gcm.txt", "1981-12-31", 365)},
      {"negative and three-digit observed rainfall", pair_of(obs_odd, gcm), args_with({{8, "2"}}),
       730, 730, 730,
       [](const Outcome& o) {
         const std::string& pkp = o.outputs.at("obs.w.pkp");
         EXPECT_EQ(line_of(pkp, 5), " -2.5");
         EXPECT_EQ(line_of(pkp, 6), "999.9");
         EXPECT_EQ(line_of(pkp, 7), "-99.9");
       }},
      {"negative GCM rainfall", pair_of(obs, gcm_neg), args_with({{8, "2"}}), 730, 730, 730,
       [](const Outcome& o) {
         EXPECT_EQ(line_of(o.outputs.at("gcm.t.pkp"), 5), "  0.0");
         EXPECT_EQ(line_of(o.outputs.at("gcm.t.pkp"), 6), "  0.0");
         // Under the multiplicative method a day of 0 mm stays 0.
         EXPECT_EQ(line_of(o.outputs.at("gcm.t_cd.pcp"), 5), "  0.00");
         EXPECT_EQ(line_of(o.outputs.at("gcm.t_cd.pcp"), 6), "  0.00");
       }},
      {"GCM raw line without a blank takes the line before again", pair_of(obs, gcm_raw), kArgs,
       730, 730, 730,
       [](const Outcome& o) {
         EXPECT_EQ(line_of(o.outputs.at("gcm.t.pcp"), 9), " 1981009   2.7");
         EXPECT_EQ(line_of(o.outputs.at("gcm.t.pcp"), 10), " 1981009   2.7");
       }},
      {"GCM line without a month keeps the month before", pair_of(obs, gcm_no_month), kArgs, 730,
       730, 730,
       [](const Outcome& o) {
         // 9 February keeps February: day of year 40.
         EXPECT_EQ(line_of(o.outputs.at("gcm.t.pcp"), 40), " 1981040   0.0");
       }},
      // Thresholds: 0 mm keeps only the zeros dry, 1000 mm makes every
      // observed day dry.
      {"threshold 0", pair_of(obs, gcm), args_with({{7, "0"}}), 730, 730, 730,
       [](const Outcome& o) {
         // January of both years: 31 days, of which days 4, 8, ..., 28 are wet.
         EXPECT_NE(o.run.out.find("historical data at...\nposit( 1)=   48\n"), std::string::npos)
             << o.run.out;
       }},
      {"threshold 1000", pair_of(obs, gcm), args_with({{7, "1000"}}), 730, 730, 730,
       [](const Outcome& o) {
         std::string posit;
         for (int m = 1; m <= 12; ++m)
           posit +=
               "posit(" + fmt("%2.0f", m) + ")=" + fmt("%5.0f", 2 * kMonthLength[m - 1]) + "\n";
         EXPECT_NE(o.run.out.find("historical data at...\n" + posit), std::string::npos)
             << o.run.out;
       }},
      // A one-day window takes that line of every year.
      {"one-day window", pair_of(obs, gcm), args_with({{5, "42"}, {6, "42"}, {8, "2"}}), 2, 730, 2,
       [](const Outcome& o) {
         EXPECT_EQ(o.outputs.at("gcm.t.pcp"), " 1981042   0.7\n 1982042   0.7\n");
         EXPECT_EQ(o.outputs.at("obs.w.pkp"), "  0.0\n  0.0\n");
       }},
      // year1 = year2: the first line read carries year2, nothing is taken.
      {"year1 equal to year2", pair_of(obs, gcm), args_with({{4, "1981"}}), 0, 730, 0,
       [](const Outcome& o) { EXPECT_EQ(o.outputs.at("gcm.t_c.pcp"), ""); }},
      // year2 before year1 is never met: the extraction runs to the end.
      {"year2 before year1", pair_of(obs, gcm), args_with({{3, "1982"}, {4, "1981"}}), 365, 730,
       365,
       [](const Outcome&
              o) { EXPECT_EQ(line_of(o.outputs.at("gcm.t.pcp"), 1), " 1982001   0.0"); }},
  };
  for (const auto& c : cases)
    run_in_fresh_dir(c.inputs, c.args, c.label, [&](const Outcome& o) {
      expect_complete(o, c.obs, c.gcm_lines, c.gcm, c.label, c.err);
      if (c.check) c.check(o);
    });
}

// Years far apart: year2 - year1 does not fit in 4 bytes and wraps around
// rather than overflowing (which the sanitizer build would stop on).
TEST(BadInput, YearsAtTheEndsOfTheIntegerRange) {
  std::vector<std::string> obs = kObsHeader;
  std::vector<std::string> gcm = kGcmHeader;
  // Year -214 is the one both files hold; its first four characters are
  // those of the year1 argument -2147483648.
  for (int d = 1; d <= 365; ++d) {
    char date[16];
    std::snprintf(date, sizeof date, "-214%03d", d);
    obs.push_back(std::string(date) + "  20.0  25.0  14.0" + fmt("%6.1f", obs_rain(d)));
  }
  int doy = 0;
  for (int m = 0; m < 12; ++m)
    for (int day = 1; day <= kMonthLength[m]; ++day)
      gcm.push_back(gcm_line(1, -214, m, day, gcm_rain(++doy)));
  for (const char* method : {"0", "2"}) {
    const std::string label = std::string("method ") + method;
    run_in_fresh_dir(
        pair_of(obs, gcm), args_with({{3, "-2147483648"}, {4, "2147483647"}, {8, method}}), label,
        [&](const Outcome& o) {
          // Both files hold one year of the window's four billion.
          const auto warning = [](const char* file) {
            return "raincorr: warning: \"" + std::string(file) +
                   "\" ended before the window: last date read -214-12-31, window "
                   "ends 2147483646-12-31, 365 of 1568704592245 days extracted\n";
          };
          expect_complete(o, 365, 365, 365, label, warning("obs.wtd") + warning("gcm.txt"));
          EXPECT_EQ(line_of(o.outputs.at("gcm.t.pcp"), 3), " -214003   3.7");
        });
  }
}

// ---- inputs that must not change the run -----------------------------------

// Each variant of the input pair must give exactly the console output and
// the files of the plain pair.
TEST(BadInput, VariantsThatChangeNothing) {
  const auto obs = obs_lines();
  const auto gcm = gcm_lines();
  // Junk far past the columns read: after column 32 of the weather file and
  // column 80 of the GCM file, on every line.
  auto long_obs = obs;
  for (auto& l : long_obs)
    l += std::string(32 - std::min<std::size_t>(32, l.size()), ' ') + std::string(10000, 'x');
  auto long_gcm = gcm;
  for (auto& l : long_gcm)
    l += std::string(80 - std::min<std::size_t>(80, l.size()), ' ') + std::string(10000, 'y');
  // NUL and other bytes where nothing is read: header lines before year1,
  // the weather columns 9-26, and past column 80 of GCM lines.
  auto nul_obs = obs;
  const char header_bytes[] = "*\0\x01\xff header";
  nul_obs[0] = std::string(header_bytes, sizeof header_bytes - 1);
  nul_obs.insert(nul_obs.begin() + 1, std::string("\0\0\xfe\x80", 4));
  for (std::size_t i = 3; i < nul_obs.size(); i += 7)
    nul_obs[i].replace(10, 4, std::string("\0\xff\0\x01", 4));
  auto nul_gcm = gcm;
  nul_gcm[0] = std::string("\0\0GCM\xff", 6);
  for (std::size_t i = 2; i < nul_gcm.size(); i += 5)
    nul_gcm[i] += std::string(80 - nul_gcm[i].size(), ' ') + std::string("\0\xfe\x01", 3);
  // A month in capitals on a line after the first keeps the month before,
  // which is the same month here.
  auto caps = gcm;
  caps[gcm_at(1981, 10)].replace(3, 3, "JAN");

  struct Variant {
    const char* label;
    std::map<std::string, std::string> inputs;
  };
  const Variant variants[] = {
      {"CR LF line ends in both files", pair_of(obs, gcm, "\r\n")},
      {"CR LF line ends in the observed file",
       {{"obs.wtd", joined(obs, "\r\n")}, {"gcm.txt", joined(gcm)}}},
      {"observed lines of 10,000 characters", pair_of(long_obs, gcm)},
      {"GCM lines of 10,000 characters", pair_of(obs, long_gcm)},
      {"NUL and binary bytes where nothing is read", pair_of(nul_obs, nul_gcm)},
      {"GCM file in the raw layout 0", pair_of(obs, gcm_lines(0))},
      {"GCM file in layout 2", pair_of(obs, gcm_lines(2))},
      {"GCM month in capitals after the first line", pair_of(obs, caps)},
  };
  for (const char* method : {"0", "1", "2"}) {
    const auto args = args_with({{8, method}});
    const Outcome plain = run_in_fresh_dir(pair_of(obs, gcm), args, "plain");
    expect_complete(plain, 730, 730, 730, std::string("plain, method ") + method);
    for (const auto& v : variants) {
      const std::string label = std::string(v.label) + ", method " + method;
      run_in_fresh_dir(v.inputs, args, label, [&](const Outcome& o) {
        EXPECT_EQ(o.run.status, plain.run.status) << label;
        EXPECT_EQ(o.run.out, plain.run.out) << label;
        EXPECT_EQ(o.run.err, plain.run.err) << label;
        EXPECT_EQ(o.outputs, plain.outputs) << label;
      });
    }
  }
}

// An input that is not a regular file (here a FIFO that no one writes to)
// is refused like a missing file instead of waiting for ever.
TEST(BadInput, InputThatIsNotARegularFile) {
  ScratchDir dir;
  ASSERT_EQ(::mkfifo("obs.wtd", 0600), 0);
  write_file("gcm.txt", joined(gcm_lines()));
  const auto run = testing::run_tool(kArgs, dir.path(), 30);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, " ERROR, parser cannot access the file: obs.wtd\n\n");
  EXPECT_EQ(run.err, "");
}

}  // namespace
}  // namespace raincorr
