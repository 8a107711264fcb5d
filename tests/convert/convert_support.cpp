#include "tests/convert/convert_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <stdexcept>

#ifndef NCGEN_EXE
#error "NCGEN_EXE must name ncgen"
#endif
#ifndef CONVERT_EXE
#error "CONVERT_EXE must name raincorr-convert"
#endif
#ifndef RAINCORR_EXE
#error "RAINCORR_EXE must name raincorr"
#endif

namespace raincorr::testing {
namespace fs = std::filesystem;
namespace chr = std::chrono;

namespace {

chr::sys_days parse(const std::string& iso) {
  const int y = std::stoi(iso.substr(0, 4));
  const unsigned m = static_cast<unsigned>(std::stoi(iso.substr(5, 2)));
  const unsigned d = static_cast<unsigned>(std::stoi(iso.substr(8, 2)));
  const chr::year_month_day ymd{chr::year{y}, chr::month{m}, chr::day{d}};
  if (!ymd.ok()) throw std::runtime_error("bad test date " + iso);
  return chr::sys_days{ymd};
}

std::string format(chr::sys_days day) {
  const chr::year_month_day ymd{day};
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
  return buf;
}

}  // namespace

void make_netcdf(const fs::path& path, const std::string& cdl, const std::string& kind) {
  fs::path cdl_path = path;
  cdl_path += ".cdl";
  write_file(cdl_path, cdl);
  const ToolRun r = run_program(NCGEN_EXE, {"-k", kind, "-o", path.string(), cdl_path.string()},
                                fs::current_path());
  if (r.status != 0)
    throw std::runtime_error("ncgen failed on " + cdl_path.string() + ": " + r.err);
}

ToolRun run_program(const std::string& exe, const std::vector<std::string>& args,
                    const fs::path& dir) {
  static std::atomic<int> counter{0};
  const std::string tag = std::to_string(::getpid()) + "-" + std::to_string(counter++);
  const fs::path out_path = fs::temp_directory_path() / ("convert-out-" + tag);
  const fs::path err_path = fs::temp_directory_path() / ("convert-err-" + tag);
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (::chdir(dir.c_str()) != 0) ::_exit(127);
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<std::string> copy = args;
    std::string program = exe;
    std::vector<char*> argv{program.data()};
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int wstatus = 0;
  ::waitpid(pid, &wstatus, 0);
  ToolRun run;
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  run.out = read_file(out_path);
  run.err = read_file(err_path);
  fs::remove(out_path);
  fs::remove(err_path);
  return run;
}

ToolRun run_convert(const std::vector<std::string>& args, const fs::path& dir) {
  return run_program(CONVERT_EXE, args, dir);
}

ToolRun run_raincorr(const std::vector<std::string>& args, const fs::path& dir) {
  return run_program(RAINCORR_EXE, args, dir);
}

std::string add_days(const std::string& iso, int offset) {
  return format(parse(iso) + chr::days{offset});
}

int day_of_year(const std::string& iso) {
  const chr::sys_days day = parse(iso);
  const chr::year_month_day ymd{day};
  return (day - chr::sys_days{ymd.year() / chr::January / 1}).count() + 1;
}

std::string gcm_date(const std::string& iso) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char buf[32];
  std::snprintf(buf, sizeof buf, "%2d %3s%5d", std::stoi(iso.substr(8, 2)),
                kMonths[std::stoi(iso.substr(5, 2)) - 1], std::stoi(iso.substr(0, 4)));
  return buf;
}

int days_between(const std::string& a, const std::string& b) {
  return (parse(b) - parse(a)).count();
}

}  // namespace raincorr::testing
