// raincorr-report run as a program, in the folder of a real raincorr run.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/report/report_support.h"
#include "tests/support/support.h"

namespace fs = std::filesystem;

namespace raincorr::testing {
namespace {

const std::vector<std::string> kArgs = {"stobs.wtd", "gcmfile.txt", "1981", "1983",
                                        "1",         "365",         "0.1",  "0"};
constexpr const char* kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Station rain on four days in ten, in steps of a third of a millimetre.
double station_rain(int year, int doy) {
  return (doy * 37 + year) % 10 < 4 ? (doy * 13 % 97) / 3.0 : 0.0;
}
// GCM rain on seven days in ten, lighter: the drizzle bias to correct.
double gcm_rain(int year, int doy) {
  return (doy * 17 + year) % 10 < 7 ? (doy * 7 % 53) / 4.0 + 0.2 : 0.0;
}

// 1981 and 1982 (common years) and the first day of 1983, so that the
// extraction finds the end of the window; the GCM file may end earlier.
void write_inputs(const fs::path& dir, int gcm_last_doy_1982 = 365,
                  int station_last_doy_1982 = 365) {
  std::string wtd = "*WEATHER DATA : test station\n\n@  DATE  SRAD  TMAX  TMIN  RAIN\n";
  std::string gcm = "Daily precipitation, test GCM\nday month year mm\n";
  char buf[64];
  for (int year = 1981; year <= 1983; ++year) {
    int doy = 0;
    for (int m = 0; m < 12; ++m) {
      for (int day = 1; day <= kMonthDays[m]; ++day) {
        ++doy;
        if (year == 1983 && doy > 1) break;
        std::snprintf(buf, sizeof buf, "%04d%03d  18.3  27.5  14.1%6.1f\n", year, doy,
                      station_rain(year, doy));
        if (year == 1981 || (year == 1982 && doy <= station_last_doy_1982) ||
            station_last_doy_1982 == 365) {
          wtd += buf;
        }
        if (year == 1983 || (year == 1982 && doy > gcm_last_doy_1982)) continue;
        std::snprintf(buf, sizeof buf, "%2d %s %4d%15.2f\n", day, kMonthNames[m], year,
                      gcm_rain(year, doy));
        gcm += buf;
      }
    }
  }
  write_file(dir / "stobs.wtd", wtd);
  write_file(dir / "gcmfile.txt", gcm);
}

std::vector<std::string> with(std::vector<std::string> args, std::vector<std::string> more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

ProgramRun raincorr(const fs::path& dir, const std::vector<std::string>& args = kArgs) {
  return run_program(RAINCORR_EXE, args, dir);
}

ProgramRun report(const fs::path& dir, const std::vector<std::string>& args) {
  return run_program(REPORT_EXE, args, dir, {"SOURCE_DATE_EPOCH=1765000000"});
}

// A folder holding the inputs and a complete run of kArgs with its log.
struct RunFolder {
  ScratchDir dir;
  explicit RunFolder(int gcm_last_doy_1982 = 365, int station_last_doy_1982 = 365) {
    write_inputs(dir.path(), gcm_last_doy_1982, station_last_doy_1982);
    const auto run = raincorr(dir.path());
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    write_file(dir.path() / "run.log", run.out);
  }
};

TEST(ReportRun, WritesThePageCsvAndSummaryAndLeavesTheRunAlone) {
  RunFolder f;
  const fs::path& dir = f.dir.path();
  std::map<std::string, std::string> before;
  for (const auto& name : list_files(dir)) before[name] = read_file(dir / name);

  const auto run = report(
      dir, with(kArgs, {"--log", "run.log", "--csv", "days.csv", "--summary", "summary.txt"}));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  for (const auto& [name, content] : before) EXPECT_EQ(read_file(dir / name), content) << name;
  auto after = list_files(dir);
  for (const auto& [name, content] : before) after.erase(name);
  EXPECT_EQ(after, (std::set<std::string>{"gcmfi_report.html", "days.csv", "summary.txt"}));

  const std::string page = read_file(dir / "gcmfi_report.html");
  EXPECT_EQ(xmllint(page, true), "");
  const auto svgs = embedded_svgs(page);
  EXPECT_EQ(svgs.size(), 14u);
  for (const auto& svg : svgs) EXPECT_EQ(xmllint(svg, false), "");
  EXPECT_NE(page.find("Station 730 of 730; GCM raw 730 of 730; GCM corrected 730 of 730"),
            std::string::npos);
  EXPECT_NE(page.find("2025-12-06 05:46:40 UTC"), std::string::npos);  // 1765000000 s
  // Sizes and digests of both inputs, the digests as sha256sum gives them.
  for (const char* input : {"stobs.wtd", "gcmfile.txt"}) {
    const auto sum = run_program("sha256sum", {input}, dir);
    ASSERT_EQ(sum.status, 0);
    const std::string want =
        std::string("<code>") + input + "</code>, " + std::to_string(fs::file_size(dir / input)) +
        " bytes, SHA-256 <code class=\"hash\">" + sum.out.substr(0, 64) + "</code>";
    EXPECT_NE(page.find(want), std::string::npos) << want;
  }
  EXPECT_NE(page.find("As the run printed them in <code>run.log</code>"), std::string::npos);

  const std::string csv = read_file(dir / "days.csv");
  EXPECT_TRUE(csv.starts_with("date,station,gcm_raw,gcm_corrected\n1981-01-01,"));
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 731);
  EXPECT_TRUE(read_file(dir / "summary.txt")
                  .starts_with("window_days=730\nstation_days=730\ngcm_days=730\ndays_corrected="
                               "730\nmean_error_raw="));

  // The same arguments and SOURCE_DATE_EPOCH give the same bytes.
  ASSERT_EQ(report(dir, with(kArgs, {"--log", "run.log", "-o", "again.html"})).status, 0);
  EXPECT_EQ(read_file(dir / "again.html"), page);
}

TEST(ReportRun, AuditsTheLogOfEveryMethod) {
  for (const char* method : {"0", "1", "2"}) {
    ScratchDir dir;
    write_inputs(dir.path());
    auto args = kArgs;
    args[7] = method;
    const auto run = raincorr(dir.path(), args);
    ASSERT_EQ(run.status, 0) << method;
    write_file(dir.path() / "run.log", run.out);
    const auto page_run = report(dir.path(), with(args, {"--log", "run.log"}));
    ASSERT_EQ(page_run.status, 0) << method << ": " << page_run.err;
    const std::string page = read_file(dir.path() / "gcmfi_report.html");
    EXPECT_NE(page.find("As the run printed them in <code>run.log</code>"), std::string::npos);
    // The multiplicative adjustment prints no value at the cut.
    const auto audit = page.find("<tr><td>Jan</td>", page.find("As the run printed them"));
    const std::string jan = page.substr(audit, page.find("</tr>", audit) - audit);
    std::vector<std::string> cells;
    for (auto at = jan.find("<td>"); at != std::string::npos; at = jan.find("<td>", at + 1)) {
      cells.push_back(jan.substr(at + 4, jan.find("</td>", at) - at - 4));
    }
    ASSERT_EQ(cells.size(), 7u) << jan;
    EXPECT_EQ(cells[3] == "&#8211;", std::string(method) == "2") << method << ": " << jan;
    // A log of another method is refused.
    auto other = args;
    other[7] = std::string(method) == "0" ? "1" : "0";
    write_file(dir.path() / "other.log", raincorr(dir.path(), other).out);
    ASSERT_EQ(raincorr(dir.path(), args).status, 0);
    const auto refused = report(dir.path(), with(args, {"--log", "other.log"}));
    EXPECT_EQ(refused.status, 2) << method << ": " << refused.err;
    EXPECT_NE(refused.err.find("from another run"), std::string::npos) << refused.err;
  }
}

TEST(ReportRun, AlignsAnInputThatEndsBeforeTheWindow) {
  struct Case {
    int gcm_last, station_last;  // last day of 1982 in each input
    const char* held;
    std::vector<const char*> rows;
  };
  const Case cases[] = {
      // The GCM file ends on 10 April 1982. 9 April (day 99): dry at the
      // station, 693 % 53 / 4 + 0.2 = 1.2 mm in the GCM; 11 April (day 101):
      // dry at the station, no GCM day.
      {100,
       365,
       "Station 730 of 730; GCM raw 465 of 730; GCM corrected 465 of 730",
       {"\n1982-04-09,0,1.2,", "\n1982-04-11,0,,\n", "\n1982-12-31,"}},
      // The weather file ends on 27 October 1982. 28 October (day 301):
      // no station day, (301 * 17 + 1982) % 10 = 9 so a dry GCM day.
      {365,
       300,
       "Station 665 of 730; GCM raw 730 of 730; GCM corrected 730 of 730",
       {"\n1982-10-28,,0,", "\n1982-12-31,,"}},
  };
  for (const auto& c : cases) {
    RunFolder f(c.gcm_last, c.station_last);
    const auto run = report(f.dir.path(), with(kArgs, {"--log", "run.log", "--csv", "days.csv"}));
    ASSERT_EQ(run.status, 0) << c.held << ": " << run.err;
    const std::string page = read_file(f.dir.path() / "gcmfi_report.html");
    EXPECT_NE(page.find(c.held), std::string::npos) << c.held;
    const std::string csv = read_file(f.dir.path() / "days.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 731) << c.held;
    for (const char* row : c.rows) EXPECT_NE(csv.find(row), std::string::npos) << row;
  }
}

TEST(ReportRun, RefusesWhatIsNotOneRun) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> spoil;  // applied to a complete run's folder
    std::vector<std::string> extra;              // after the run's arguments
    std::vector<std::string> args = kArgs;
    std::vector<const char*> says;
  };
  const auto drop_last_line = [](const fs::path& p) {
    std::string text = read_file(p);
    text.erase(text.rfind('\n', text.size() - 2) + 1);
    write_file(p, text);
  };
  const std::vector<Case> cases = {
      {"no corrected series",
       [](const fs::path& d) { fs::remove(d / "gcmfi_cd.pcp"); },
       {},
       kArgs,
       {"cannot open \"gcmfi_cd.pcp\"", "run raincorr first", "raincorr stobs.wtd gcmfile.txt"}},
      {"no detail file",
       [](const fs::path& d) { fs::remove(d / "gcmfi_c.pcp"); },
       {},
       kArgs,
       {"\"gcmfi_c.pcp\"", "run raincorr first"}},
      {"no kept series",
       [](const fs::path& d) { fs::remove(d / "gcmfi.pcp"); },
       {},
       kArgs,
       {"\"gcmfi.pcp\"", "run raincorr first"}},
      {"no input",
       [](const fs::path& d) { fs::remove(d / "stobs.wtd"); },
       {},
       kArgs,
       {"\"stobs.wtd\""}},
      {"corrected series a day short",
       [&](const fs::path& d) { drop_last_line(d / "gcmfi_cd.pcp"); },
       {},
       kArgs,
       {"\"gcmfi_cd.pcp\" holds 729 days but \"gcmfi.pcp\" 730", "run raincorr first"}},
      {"detail file a day short",
       [&](const fs::path& d) { drop_last_line(d / "gcmfi_c.pcp"); },
       {},
       kArgs,
       {"\"gcmfi_c.pcp\" holds 729 days"}},
      {"another window",
       [](const fs::path&) {},
       {},
       {"stobs.wtd", "gcmfile.txt", "1981", "1982", "1", "365", "0.1", "0"},
       {"\"stobs.pkp\" holds 730 values but the window of \"stobs.wtd\" has 365 days"}},
      {"another threshold",
       [](const fs::path&) {},
       {},
       {"stobs.wtd", "gcmfile.txt", "1981", "1983", "1", "365", "0.5", "0"},
       {"\"gcmfi_c.pcp\" holds the observed gamma fit"}},
      {"a log of another threshold",
       [](const fs::path& d) {
         ScratchDir other;
         write_inputs(other.path());
         const auto run = raincorr(
             other.path(), {"stobs.wtd", "gcmfile.txt", "1981", "1983", "1", "365", "0.5", "0"});
         write_file(d / "run.log", run.out);
       },
       {"--log", "run.log"},
       kArgs,
       {"\"run.log\", line ", "from another run", "| tee run.log"}},
      {"a log of other files",
       [](const fs::path& d) {
         std::string log = read_file(d / "run.log");
         log.replace(log.find("stobs.wtd"), 9, "other.wtd");
         write_file(d / "run.log", log);
       },
       {"--log", "run.log"},
       kArgs,
       {"\"run.log\", line 1:", "from another run"}},
      {"a cut log",
       [](const fs::path& d) {
         const std::string log = read_file(d / "run.log");
         write_file(d / "run.log", log.substr(0, log.find("Determining which case")));
       },
       {"--log", "run.log"},
       kArgs,
       {"without \"Determining which case...\"", "is cut"}},
      {"a log without its end",
       [](const fs::path& d) {
         const std::string log = read_file(d / "run.log");
         write_file(d / "run.log", log.substr(0, log.find("---D O N E---")));
       },
       {"--log", "run.log"},
       kArgs,
       {"without \"---D O N E---\"", "is cut"}},
      {"no log",
       [](const fs::path&) {},
       {"--log", "nolog.txt"},
       kArgs,
       {"cannot open the log \"nolog.txt\""}},
  };
  for (const auto& c : cases) {
    RunFolder f;
    c.spoil(f.dir.path());
    const auto run = report(f.dir.path(), with(c.args, c.extra));
    EXPECT_EQ(run.status, 2) << c.name << ": " << run.err;
    EXPECT_EQ(run.out, "") << c.name;
    EXPECT_TRUE(run.err.starts_with("raincorr-report: ")) << c.name << ": " << run.err;
    for (const char* s : c.says)
      EXPECT_NE(run.err.find(s), std::string::npos) << c.name << ": " << run.err;
    EXPECT_FALSE(fs::exists(f.dir.path() / "gcmfi_report.html")) << c.name;
  }
}

TEST(ReportRun, NeverWritesOverTheRunsFiles) {
  RunFolder f;
  const std::string corrected = read_file(f.dir.path() / "gcmfi_cd.pcp");
  const std::string log = read_file(f.dir.path() / "run.log");
  struct Case {
    std::vector<std::string> extra;
    const char* says;
  };
  const Case cases[] = {
      {{"-o", "gcmfi_cd.pcp"}, "\"gcmfi_cd.pcp\" is a file of the run"},
      {{"--csv", "./stobs.wtd"}, "\"./stobs.wtd\" is a file of the run"},
      {{"--log", "run.log", "--summary", "run.log"}, "\"run.log\" is a file of the run"},
  };
  for (const auto& c : cases) {
    const auto run = report(f.dir.path(), with(kArgs, c.extra));
    EXPECT_EQ(run.status, 1) << c.says;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
  }
  EXPECT_EQ(read_file(f.dir.path() / "gcmfi_cd.pcp"), corrected);
  EXPECT_EQ(read_file(f.dir.path() / "run.log"), log);
  EXPECT_FALSE(fs::exists(f.dir.path() / "gcmfi_report.html"));
}

TEST(ReportRun, RefusesAFolderWithoutARun) {
  ScratchDir dir;
  write_inputs(dir.path());
  const auto run = report(dir.path(), kArgs);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(
      run.err.find("cannot open \"gcmfi.pcp\"; run raincorr first in this folder with the "
                   "same arguments:\n  raincorr stobs.wtd gcmfile.txt 1981 1983 1 365 0.1 0\n"),
      std::string::npos)
      << run.err;
}

TEST(ReportRun, BadCommandLinesEndWithStatusOne) {
  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {{"stobs.wtd", "gcmfile.txt", "1981", "1983", "1", "365"}, "At least 7 required"},
      {{"stobs.wtd", "gcmfile.txt", "1981", "1983", "1", "365", "wet"}, "raincorr refuses"},
      {{"stobs.wtd", "gcmfile.txt", "1981", "1983", "1", "365", "0.1", "3"}, "raincorr refuses"},
      {with(kArgs, {"--bogus"}), "--bogus"},
  };
  ScratchDir dir;
  write_inputs(dir.path());
  for (const auto& c : cases) {
    const auto run = report(dir.path(), c.args);
    EXPECT_EQ(run.status, 1) << c.args.size() << ": " << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
  }
  const auto help = report(dir.path(), {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--log"), std::string::npos);
  const auto bad_epoch =
      run_program(REPORT_EXE, kArgs, dir.path(), {"SOURCE_DATE_EPOCH=yesterday"});
  EXPECT_EQ(bad_epoch.status, 1);
  EXPECT_NE(bad_epoch.err.find("SOURCE_DATE_EPOCH"), std::string::npos);
}

}  // namespace
}  // namespace raincorr::testing
