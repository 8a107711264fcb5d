// The batch layer's own logic: the manifest check, the status record, the
// summary files, and a pair's run with its failures recorded. The whole
// workflow under Snakemake and Slurm is tested by workflow_test.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/support/support.h"
#include "workflow/manifest.h"
#include "workflow/pair_run.h"
#include "workflow/summary.h"

namespace raincorr::batch {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::ScratchDir;
using testing::write_file;

const char* const kHeader = "id,obs,gcm,year1,year2,doy1,doy2,thresh,method,formt\n";

// Input files every manifest of these tests may name.
void make_inputs(const fs::path& dir) {
  fs::create_directories(dir / "data");
  for (const char* f :
       {"data/stobs.wtd", "data/gcmdaily.txt", "data/USC00012345.dly", "data/pr_day_a_1976-1985.nc",
        "data/pr_day_a_1986-2000.nc", "data/stobs_gcm.txt",
        "data/a_name_of_more_than_32_chars_.wtd", "data/pr_long_model_name_historical_r1i1p1.nc",
        "data/USC_b.dly", "data/pr_da_station.wtd"})
    write_file(dir / f, "x\n");
}

std::string refusal(const fs::path& manifest) {
  try {
    read_manifest(manifest);
  } catch (const ManifestError& e) {
    return e.what();
  }
  return "(accepted)";
}

TEST(Manifest, RefusesWithLineAndReason) {
  struct Case {
    const char* name;
    std::string text;
    std::string want;  // the whole refusal, "M" standing for the manifest's path
  };
  const std::string ok_row = "a,data/stobs.wtd,data/gcmdaily.txt,1976,2001,1,365,0.1,0,0\n";
  const Case cases[] = {
      {"missing column", "id,obs,gcm,year1,year2,doy1,doy2,thresh,method\n",
       "M:1: missing column \"formt\"\n"},
      {"unknown and repeated columns",
       "id,obs,gcm,year1,year2,doy1,doy2,thresh,method,formt,id,x\n",
       "M:1: column \"id\" given twice\nM:1: unknown column \"x\"\n"},
      {"empty manifest", "\n\n", "M:1: the manifest is empty; the first line names the columns\n"},
      {"header only", kHeader, "M:1: no pair is listed\n"},
      {"duplicate id", std::string(kHeader) + ok_row + "\n" + ok_row,
       "M:4: id \"a\" is taken by line 2\n"},
      {"unsafe ids",
       std::string(kHeader) + "../up,data/stobs.wtd,data/gcmdaily.txt,1976,2001,1,365,0.1,0,0\n" +
           ",data/stobs.wtd,data/gcmdaily.txt,1976,2001,1,365,0.1,0,0\n" +
           ".hid,data/stobs.wtd,data/gcmdaily.txt,1976,2001,1,365,0.1,0,0\n" +
           "index.html,data/stobs.wtd,data/gcmdaily.txt,1976,2001,1,365,0.1,0,0\n",
       "M:2: id \"../up\" is not a safe folder name (letters, digits, '_', '-' and '.', not first "
       "'.' or '-')\nM:3: the id is empty\nM:4: id \".hid\" is not a safe folder name (letters, "
       "digits, '_', '-' and '.', not first '.' or '-')\nM:5: id \"index.html\" is reserved for "
       "the batch's own files\n"},
      {"missing inputs",
       std::string(kHeader) + "a,data/nothere.wtd,data/gcmdaily.txt,1976,2001,1,365,0.1,0,0\n" +
           "b,data/stobs.wtd,data/nothere.txt,1976,2001,1,365,0.1,0,0\n" +
           "c,data/stobs.csv,data/gcmdaily.txt,1976,2001,1,365,0.1,0,0\n",
       "M:2: obs file \"data/nothere.wtd\" not found\nM:3: gcm file \"data/nothere.txt\" not "
       "found\nM:4: obs \"data/stobs.csv\" is neither a weather file (.wtd) nor GHCN-Daily "
       "(.dly)\n"},
      {"NetCDF without a match or without a cell",
       "id,obs,gcm,year1,year2,doy1,doy2,thresh,method,formt,lat,lon\n"
       "a,data/stobs.wtd,data/tas_*.nc,1976,2001,1,365,0.1,0,0,1,2\n"
       "b,data/stobs.wtd,data/pr_day_a_*.nc,1976,2001,1,365,0.1,0,0,,36.75\n",
       "M:2: gcm \"data/tas_*.nc\" matches no NetCDF file\nM:3: gcm \"data/pr_day_a_*.nc\" is "
       "NetCDF, and lat and lon must choose the cell\n"},
      {"non-numbers",
       "id,obs,gcm,year1,year2,doy1,doy2,thresh,method,formt,lat,lon\n"
       "a,data/stobs.wtd,data/gcmdaily.txt,19x6,2001,1.5,365,wet,0,0,,\n"
       "b,data/stobs.wtd,data/pr_day_a_1976-1985.nc,1976,2001,1,365,0.1,3,0,north,36.75\n",
       "M:2: year1 \"19x6\" is not a whole number\nM:2: doy1 \"1.5\" is not a whole number\nM:2: "
       "thresh \"wet\" is not a number\nM:3: lat \"north\" is not a number\nM:3: method \"3\" is "
       "not 0 (gamma), 1 (empirical) or 2 (multiplicative)\n"},
      {"wrong number of cells and open quote",
       std::string(kHeader) + "a,data/stobs.wtd,data/gcmdaily.txt,1976,2001,1,365,0.1,0\n" +
           "b,\"data/stobs.wtd,data/gcmdaily.txt,1976,2001,1,365,0.1,0,0\n",
       "M:2: 9 cells where the header names 10 columns\nM:3: unterminated quote\n"},
      {"shared stem and names raincorr cannot take",
       std::string(kHeader) + "a,data/stobs.wtd,data/stobs_gcm.txt,1976,2001,1,365,0.1,0,0\n" +
           "b,data/a_name_of_more_than_32_chars_.wtd,data/gcmdaily.txt,1976,2001,1,365,0.1,0,0\n",
       "M:2: obs \"stobs.wtd\" and gcm \"stobs_gcm.txt\" share the name stem \"stobs\", under "
       "which raincorr would mix their files\nM:3: obs name \"a_name_of_more_than_32_chars_.wtd\" "
       "is longer than raincorr's 32 characters\n"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    make_inputs(dir.path());
    const fs::path manifest = dir.path() / "pairs.csv";
    write_file(manifest, c.text);
    std::string want = c.want;
    for (std::size_t at; (at = want.find("M:")) != std::string::npos;)
      want.replace(at, 1, manifest.string());
    EXPECT_EQ(refusal(manifest), want) << c.name;
  }
}

TEST(Manifest, ReadsPairsWithTheirNamesInThePairFolder) {
  ScratchDir dir;
  make_inputs(dir.path());
  fs::create_directories(dir.path() / "sub");
  const fs::path manifest = dir.path() / "sub" / "pairs.csv";
  const fs::path data = dir.path() / "data";
  // Columns in another order, blanks around cells, a quoted cell, a blank
  // line, an absolute path, empty method and formt.
  write_file(
      manifest,
      "lon,lat,id,obs,gcm,year1,year2,doy1,doy2,thresh,method,formt\n"
      ",,plain, ../data/stobs.wtd ,\"../data/gcmdaily.txt\",1976,2001,1,365,0.1,,\n"
      "\n"
      "36.75,-1.25,cdf,../data/USC00012345.dly,../data/pr_day_a_*.nc,1980,1990,100,200,"
      "0.5,2,1\n"
      "0,0,long," +
          (data / "USC_b.dly").string() +
          ",../data/pr_long_model_name_historical_r1i1p1.nc,1976,2001,1,365,0.1,1,0\n"
          "10,20,clash,../data/pr_da_station.wtd,../data/pr_day_a_1976-1985.nc,1976,2001,1,365,"
          "1e-1,0,0\n");
  const auto pairs = read_manifest(manifest);
  ASSERT_EQ(pairs.size(), 4u);

  struct Want {
    std::size_t line;
    const char* id;
    fs::path obs;
    bool ghcn;
    std::vector<fs::path> gcm;
    bool netcdf;
    const char* lat;
    const char* lon;
    std::vector<std::string> args;
  };
  const Want want[] = {
      {2,
       "plain",
       data / "stobs.wtd",
       false,
       {data / "gcmdaily.txt"},
       false,
       "",
       "",
       {"stobs.wtd", "gcmdaily.txt", "1976", "2001", "1", "365", "0.1", "0", "0"}},
      {4,
       "cdf",
       data / "USC00012345.dly",
       true,
       {data / "pr_day_a_1976-1985.nc", data / "pr_day_a_1986-2000.nc"},
       true,
       "-1.25",
       "36.75",
       {"USC00012345.wtd", "pr_day_a_1976-1985.txt", "1980", "1990", "100", "200", "0.5", "2",
        "1"}},
      // 32 characters at most: the converted name is cut before its extension.
      {5,
       "long",
       data / "USC_b.dly",
       true,
       {data / "pr_long_model_name_historical_r1i1p1.nc"},
       true,
       "0",
       "0",
       {"USC_b.wtd", "pr_long_model_name_historica.txt", "1976", "2001", "1", "365", "0.1", "1",
        "0"}},
      // The converted model would share the station's stem "pr_da".
      {6,
       "clash",
       data / "pr_da_station.wtd",
       false,
       {data / "pr_day_a_1976-1985.nc"},
       true,
       "20",
       "10",
       {"pr_da_station.wtd", "m_pr_day_a_1976-1985.txt", "1976", "2001", "1", "365", "1e-1", "0",
        "0"}},
  };
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const Pair& p = pairs[i];
    const Want& w = want[i];
    EXPECT_EQ(p.line, w.line) << w.id;
    EXPECT_EQ(p.id, w.id);
    EXPECT_EQ(p.obs, w.obs) << w.id;
    EXPECT_EQ(p.obs_ghcn, w.ghcn) << w.id;
    EXPECT_EQ(p.gcm, w.gcm) << w.id;
    EXPECT_EQ(p.gcm_netcdf, w.netcdf) << w.id;
    EXPECT_EQ(p.lat, w.lat) << w.id;
    EXPECT_EQ(p.lon, w.lon) << w.id;
    EXPECT_EQ(p.run_args(), w.args) << w.id;
  }
}

PairStatus failed_status(const std::string& id, const std::string& step, int exit,
                         const std::string& message) {
  PairStatus s;
  s.id = id;
  s.step = step;
  s.exit_status = exit;
  s.message = message;
  return s;
}

PairStatus ok_status(const std::string& id, long days, const std::string& mean_raw,
                     const std::string& mean_cd, const std::string& wet_raw,
                     const std::string& wet_cd) {
  PairStatus s;
  s.id = id;
  s.ok = true;
  s.step = "done";
  s.days = days;
  s.mean_error_raw = mean_raw;
  s.mean_error_corrected = mean_cd;
  s.wet_error_raw = wet_raw;
  s.wet_error_corrected = wet_cd;
  s.report = id + "/report.html";
  return s;
}

TEST(Status, RoundTripsAndRefusesOtherText) {
  ScratchDir dir;
  const PairStatus statuses[] = {
      ok_status("g0", 9132, "0.139573", "0.028731", "1.580268", "0.002055"),
      failed_status("bad", "raincorr", 1, "Error reading file, your data is very bad man!"),
      failed_status("lost", "report", 127, "line one\nline two"),
  };
  for (const auto& s : statuses) {
    write_file(dir.path() / "status", status_text(s));
    const auto back = read_status(dir.path() / "status");
    ASSERT_TRUE(back) << s.id;
    EXPECT_EQ(back->id, s.id);
    EXPECT_EQ(back->ok, s.ok) << s.id;
    EXPECT_EQ(back->step, s.step) << s.id;
    EXPECT_EQ(back->exit_status, s.exit_status) << s.id;
    EXPECT_EQ(back->days, s.days) << s.id;
    EXPECT_EQ(back->mean_error_corrected, s.mean_error_corrected) << s.id;
    EXPECT_EQ(back->report, s.report) << s.id;
  }
  // A message never spreads over two lines of the record.
  EXPECT_EQ(read_status(dir.path() / "status")->message, "line one line two");
  EXPECT_EQ(status_text(statuses[1]),
            "id: bad\nstatus: failed\nstep: raincorr\nexit: 1\n"
            "message: Error reading file, your data is very bad man!\ndays: \n"
            "mean_error_raw: \nmean_error_corrected: \nwet_error_raw: \n"
            "wet_error_corrected: \nreport: \n");

  const char* const bad[] = {"",
                             "id: a\nstatus: maybe\nexit: 0\n",
                             "id: a\nstatus: ok\n",
                             "id: a\nstatus: ok\nexit: x\n",
                             "id: a\nstatus: ok\nexit: 0\nnew: 1\n",
                             "garbage\n"};
  for (const char* text : bad) {
    write_file(dir.path() / "status", text);
    EXPECT_FALSE(read_status(dir.path() / "status")) << text;
  }
  EXPECT_FALSE(read_status(dir.path() / "missing"));
}

TEST(Summary, CsvRowsInManifestOrderWithQuotedCells) {
  const std::vector<PairStatus> statuses = {
      ok_status("g0", 9132, "0.139573", "0.028731", "1.580268", "0.002055"),
      failed_status("bad", "raincorr", 1, "bad value \"x\", line 3"),
      ok_status("m2", 1010, "0.167155", "0.004258", "0.668720", "0.535892"),
  };
  EXPECT_EQ(summary_csv(statuses),
            "id,status,exit_status,message,days,mean_error_raw,mean_error_corrected,"
            "wet_error_raw,wet_error_corrected,report\n"
            "g0,ok,0,,9132,0.139573,0.028731,1.580268,0.002055,g0/report.html\n"
            "bad,failed,1,\"bad value \"\"x\"\", line 3\",,,,,,\n"
            "m2,ok,0,,1010,0.167155,0.004258,0.668720,0.535892,m2/report.html\n");
}

TEST(Summary, IndexPutsFailuresFirstThenTheWorstVerdict) {
  const std::vector<PairStatus> statuses = {
      ok_status("small", 10, "0.2", "0.01", "0.3", "0.02"),
      failed_status("conv", "convert-gcm", 2, "units <m> refused & more"),
      ok_status("big", 10, "0.2", "0.01", "0.3", "0.6"),
      ok_status("nan", 10, "nan", "nan", "nan", "nan"),
      ok_status("mid", 10, "0.2", "-0.3", "0.3", "0.1"),
      failed_status("gone", "", -1, "the pair left no status; it did not run to its end"),
  };
  const std::string page = index_html(statuses);
  // Failures in manifest order, then by the larger corrected error: 0.6,
  // 0.3 (by magnitude), 0.02, and last the pair without figures.
  const char* const order[] = {">conv<", ">gone<", ">big<", ">mid<", ">small<", ">nan<"};
  std::size_t at = 0;
  for (const char* id : order) {
    const auto found = page.find(id, at);
    ASSERT_NE(found, std::string::npos) << id << " missing or out of order";
    at = found;
  }
  for (const char* link :
       {"<a href=\"big/report.html\">big</a>", "<a href=\"conv/convert.log\">conv</a>",
        "<a href=\"small/report.html\">small</a>"})
    EXPECT_NE(page.find(link), std::string::npos) << link;
  // A failure with no step to show links nothing; text is escaped.
  EXPECT_NE(page.find("<td>gone</td>"), std::string::npos);
  EXPECT_NE(page.find("units &lt;m&gt; refused &amp; more"), std::string::npos);
  EXPECT_NE(page.find("6 pairs: 4 done, 2 failed."), std::string::npos);
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("http"), std::string::npos);
}

TEST(Summary, CollectsStatusesAndMarksPairsThatLeftNone) {
  ScratchDir dir;
  make_inputs(dir.path());
  write_file(dir.path() / "pairs.csv",
             std::string(kHeader) + "a,data/stobs.wtd,data/gcmdaily.txt,1976,2001,1,365,0.1,0,0\n" +
                 "b,data/stobs.wtd,data/gcmdaily.txt,1976,2001,1,365,0.1,1,0\n");
  const auto pairs = read_manifest(dir.path() / "pairs.csv");
  const fs::path results = dir.path() / "results";
  fs::create_directories(results / "a");
  write_file(results / "a" / "status", status_text(ok_status("a", 5, "1", "2", "3", "4")));
  write_summary(collect_statuses(pairs, results), results);
  EXPECT_EQ(read_file(results / "summary.csv"),
            "id,status,exit_status,message,days,mean_error_raw,mean_error_corrected,"
            "wet_error_raw,wet_error_corrected,report\n"
            "a,ok,0,,5,1,2,3,4,a/report.html\n"
            "b,failed,-1,the pair left no status; it did not run to its end,,,,,,\n");
  EXPECT_EQ(testing::list_files(results), (std::set<std::string>{"index.html", "summary.csv"}));
}

// A pair's steps run the real raincorr; a program that is missing and an
// input raincorr refuses are both recorded as the pair's failure.
TEST(PairRun, RecordsTheFailingStepItsStatusAndLastLine) {
  ScratchDir dir;
  fs::create_directories(dir.path() / "data");
  fs::copy_file(RAINCORR_EXAMPLES "/stobs.wtd", dir.path() / "data/stobs.wtd");
  fs::copy_file(RAINCORR_EXAMPLES "/gcmdaily.txt", dir.path() / "data/gcmdaily.txt");
  // Blank rainfall on a line of the window: raincorr's check pass stops.
  std::string broken = read_file(dir.path() / "data/stobs.wtd");
  const auto at = broken.find("\n1976010");
  ASSERT_NE(at, std::string::npos);
  broken.replace(broken.find('\n', at + 1) - 5, 5, "     ");
  write_file(dir.path() / "data/broke.wtd", broken);
  write_file(dir.path() / "data/gcm_a.nc", "never read\n");
  write_file(dir.path() / "pairs.csv",
             "id,obs,gcm,year1,year2,doy1,doy2,thresh,method,formt,lat,lon\n"
             "fine,data/stobs.wtd,data/gcmdaily.txt,1976,1978,1,365,0.1,0,0,,\n"
             "broken,data/broke.wtd,data/gcmdaily.txt,1976,1978,1,365,0.1,0,0,,\n"
             "noconv,data/stobs.wtd,data/gcm_*.nc,1976,1978,1,365,0.1,0,0,1,2\n");
  const auto pairs = read_manifest(dir.path() / "pairs.csv");

  // Only raincorr is there: the report and the converter are missing.
  fs::create_directories(dir.path() / "bin");
  fs::create_symlink(RAINCORR_EXE, dir.path() / "bin/raincorr");
  const Tools tools = find_tools(dir.path() / "bin");
  const fs::path results = dir.path() / "results";

  struct Want {
    const char* step;
    int exit;
    std::string message;
    std::set<std::string> files;  // the batch's own files in the pair's folder
  };
  const Want want[] = {
      {"report",
       127,
       (dir.path() / "bin/raincorr-report").string() +
           ": cannot be started: No such file or directory",
       {"gcmdaily.txt", "report.log", "run.log", "status", "stobs.wtd"}},
      {"raincorr",
       1,
       "Error reading file, your data is very bad man!",
       {"broke.wtd", "gcmdaily.txt", "run.log", "status"}},
      {"convert-gcm",
       127,
       (dir.path() / "bin/raincorr-convert").string() +
           ": cannot be started: No such file or directory",
       {"convert.log", "status", "stobs.wtd"}},
  };
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const PairStatus st = run_pair(pairs[i], tools, results);
    const Want& w = want[i];
    EXPECT_FALSE(st.ok) << pairs[i].id;
    EXPECT_EQ(st.step, w.step) << pairs[i].id;
    EXPECT_EQ(st.exit_status, w.exit) << pairs[i].id;
    EXPECT_EQ(st.message, w.message) << pairs[i].id;
    const auto files = testing::list_files(results / pairs[i].id);
    for (const auto& f : w.files) EXPECT_TRUE(files.count(f)) << pairs[i].id << ": " << f;
    const auto recorded = read_status(results / pairs[i].id / "status");
    ASSERT_TRUE(recorded) << pairs[i].id;
    EXPECT_EQ(recorded->message, w.message) << pairs[i].id;
  }
  // Nothing ran where the converter was missing.
  EXPECT_EQ(testing::list_files(results / "noconv"),
            (std::set<std::string>{"convert.log", "status", "stobs.wtd"}));
  // raincorr ran whole for the first pair: two years, one of them leap.
  const std::string corrected = read_file(results / "fine/gcmda_cd.pcp");
  EXPECT_EQ(std::count(corrected.begin(), corrected.end(), '\n'), 366 + 365);
  const std::string log = read_file(results / "fine/run.log");
  EXPECT_TRUE(log.ends_with("---D O N E---\n"));
}

}  // namespace
}  // namespace raincorr::batch
