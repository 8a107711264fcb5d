#include "workflow/pair_run.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "textio/freeform.h"
#include "textio/linefile.h"

namespace raincorr::batch {
namespace fs = std::filesystem;

namespace {

// A program that is not there is still named: starting it then fails, and
// the pair records that as its failure instead of stopping the batch.
fs::path find_program(const fs::path& bin, const std::string& name) {
  if (!bin.empty()) return fs::absolute(bin / name);
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path == nullptr ? "" : path);
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    fs::path p = fs::absolute(fs::path(dir.empty() ? "." : dir) / name);
    if (::access(p.c_str(), X_OK) == 0) return p;
  }
  return name;
}

// Runs `argv` in `dir` with standard input empty and standard output and
// error appended to `log`; returns its exit status (128 + signal when
// killed, 127 when it cannot be started).
int run_program(const std::vector<std::string>& argv, const fs::path& dir, const fs::path& log) {
  const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (out < 0)
    throw std::runtime_error("cannot write " + log.string() + ": " + std::strerror(errno));
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int in = ::open("/dev/null", O_RDONLY);
    if (in < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(out, 2) < 0 ||
        ::chdir(dir.c_str()) != 0)
      ::_exit(127);
    ::execv(args[0], args.data());
    const std::string why = argv[0] + ": cannot be started: " + std::strerror(errno) + "\n";
    (void)!::write(2, why.data(), why.size());
    ::_exit(127);
  }
  ::close(out);
  if (pid < 0)
    throw std::runtime_error(std::string("cannot start a process: ") + std::strerror(errno));
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error(std::string("waitpid: ") + std::strerror(errno));
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 127;
}

// The last line of `log` with something on it; a step's failure message is
// the last thing it printed.
std::string last_line(const fs::path& log) {
  auto file = LineFile::open(log.string());
  std::string last;
  if (!file) return last;
  while (const auto line = file->read())
    if (line->find_first_not_of(" \t") != std::string_view::npos) last = *line;
  const auto first = last.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : last.substr(first);
}

void link_input(const fs::path& source, const fs::path& link) {
  std::error_code ec;
  fs::create_symlink(source, link, ec);
  // A file system without symbolic links still gets the inputs.
  if (ec) fs::copy_file(source, link, fs::copy_options::overwrite_existing);
}

// Copies the figures the summary shows from the report's key=value verdict.
// A figure the report did not give stays empty; the page still links it.
void take_verdict(const fs::path& file, PairStatus& st) {
  auto f = LineFile::open(file.string());
  if (!f) return;
  while (const auto line = f->read()) {
    const auto eq = line->find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = line->substr(0, eq);
    const std::string value(line->substr(eq + 1));
    if (key == "days_corrected") {
      if (const auto v = parse_int(value)) st.days = *v;
    } else if (key == "mean_error_raw") {
      st.mean_error_raw = value;
    } else if (key == "mean_error_corrected") {
      st.mean_error_corrected = value;
    } else if (key == "wet_error_raw") {
      st.wet_error_raw = value;
    } else if (key == "wet_error_corrected") {
      st.wet_error_corrected = value;
    }
  }
}

}  // namespace

Tools find_tools(const fs::path& bin) {
  return {find_program(bin, "raincorr"), find_program(bin, "raincorr-convert"),
          find_program(bin, "raincorr-report")};
}

PairStatus run_pair(const Pair& pair, const Tools& tools, const fs::path& results) {
  const fs::path dir = fs::absolute(results) / pair.id;
  fs::remove_all(dir);
  fs::create_directories(dir);

  PairStatus st;
  st.id = pair.id;
  const auto step = [&](const std::string& name, const std::vector<std::string>& argv,
                        const std::string& log) {
    st.step = name;
    st.exit_status = run_program(argv, dir, dir / log);
    if (st.exit_status != 0) st.message = last_line(dir / log);
    return st.exit_status == 0;
  };

  bool ok = true;
  if (pair.obs_ghcn) {
    ok = step("convert-obs",
              {tools.convert.string(), "ghcn", "-o", pair.obs_name, pair.obs.string()},
              "convert.log");
  } else {
    link_input(pair.obs, dir / pair.obs_name);
  }
  if (ok && pair.gcm_netcdf) {
    std::vector<std::string> argv = {
        tools.convert.string(), "netcdf", "--lat", pair.lat, "--lon", pair.lon, "-o",
        pair.gcm_name};
    for (const auto& f : pair.gcm) argv.push_back(f.string());
    ok = step("convert-gcm", argv, "convert.log");
  } else if (ok) {
    link_input(pair.gcm.front(), dir / pair.gcm_name);
  }

  const auto args = pair.run_args();
  if (ok) {
    std::vector<std::string> argv = {tools.raincorr.string()};
    argv.insert(argv.end(), args.begin(), args.end());
    ok = step("raincorr", argv, "run.log");
    // raincorr ends every complete run with this line; a stop of its own
    // that still exits 0 is a failure all the same.
    if (ok && last_line(dir / "run.log") != "---D O N E---") {
      ok = false;
      st.message = last_line(dir / "run.log");
    }
  }
  if (ok) {
    std::vector<std::string> argv = {tools.report.string()};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.insert(argv.end(), {"--log", "run.log", "-o", "report.html", "--summary", "verdict.txt"});
    ok = step("report", argv, "report.log");
    if (ok) {
      take_verdict(dir / "verdict.txt", st);
      st.report = pair.id + "/report.html";
    }
  }
  st.ok = ok;
  if (ok) st.step = "done";

  const std::string text = status_text(st);
  write_text_file((dir / "status").string(), text);
  return st;
}

std::string status_text(const PairStatus& s) {
  std::string t;
  const auto put = [&](const char* key, const std::string& value) {
    t += key;
    t += ": ";
    // One line per field: a message never spreads over two.
    for (const char c : value) t += (c == '\n' || c == '\r') ? ' ' : c;
    t += '\n';
  };
  put("id", s.id);
  put("status", s.ok ? "ok" : "failed");
  put("step", s.step);
  put("exit", std::to_string(s.exit_status));
  put("message", s.message);
  put("days", s.days < 0 ? "" : std::to_string(s.days));
  put("mean_error_raw", s.mean_error_raw);
  put("mean_error_corrected", s.mean_error_corrected);
  put("wet_error_raw", s.wet_error_raw);
  put("wet_error_corrected", s.wet_error_corrected);
  put("report", s.report);
  return t;
}

std::optional<PairStatus> read_status(const fs::path& file) {
  auto f = LineFile::open(file.string());
  if (!f) return std::nullopt;
  PairStatus s;
  bool have_status = false, have_exit = false;
  while (const auto line = f->read()) {
    const auto colon = line->find(": ");
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string key(line->substr(0, colon));
    std::string value(line->substr(colon + 2));
    if (key == "id") {
      s.id = value;
    } else if (key == "status") {
      if (value != "ok" && value != "failed") return std::nullopt;
      s.ok = value == "ok";
      have_status = true;
    } else if (key == "step") {
      s.step = value;
    } else if (key == "exit") {
      const auto v = parse_int(value);
      if (!v) return std::nullopt;
      s.exit_status = *v;
      have_exit = true;
    } else if (key == "message") {
      s.message = value;
    } else if (key == "days") {
      if (!value.empty()) {
        const auto v = parse_int(value);
        if (!v) return std::nullopt;
        s.days = *v;
      }
    } else if (key == "mean_error_raw") {
      s.mean_error_raw = value;
    } else if (key == "mean_error_corrected") {
      s.mean_error_corrected = value;
    } else if (key == "wet_error_raw") {
      s.wet_error_raw = value;
    } else if (key == "wet_error_corrected") {
      s.wet_error_corrected = value;
    } else if (key == "report") {
      s.report = value;
    } else {
      return std::nullopt;
    }
  }
  if (!have_status || !have_exit) return std::nullopt;
  return s;
}

}  // namespace raincorr::batch
