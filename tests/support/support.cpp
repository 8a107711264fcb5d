#include "tests/support/support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

#ifndef RAINCORR_EXE
#error "RAINCORR_EXE must name the raincorr executable"
#endif

namespace fs = std::filesystem;

namespace raincorr::testing {

ScratchDir::ScratchDir() : previous_(fs::current_path()) {
  std::random_device rd;
  for (;;) {
    path_ = fs::temp_directory_path() /
            ("raincorr-test-" + std::to_string(::getpid()) + "-" + std::to_string(rd()));
    if (fs::create_directory(path_)) break;
  }
  fs::current_path(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::current_path(previous_, ec);
  fs::remove_all(path_, ec);
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream buf;
  buf << in.rdbuf();
  return buf.str();
}

void write_file(const fs::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::set<std::string> list_files(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file()) names.insert(e.path().filename().string());
  return names;
}

std::string lines(const std::vector<std::string>& ls) {
  std::string out;
  for (const auto& l : ls) out += l + '\n';
  return out;
}

StartGate::StartGate() {
  int fds[2];
  if (::pipe(fds) != 0) throw std::runtime_error("pipe failed");
  read_fd_ = fds[0];
  write_fd_ = fds[1];
  // Runs started meanwhile without the gate must not keep it shut by
  // holding its write end through their exec.
  ::fcntl(read_fd_, F_SETFD, FD_CLOEXEC);
  ::fcntl(write_fd_, F_SETFD, FD_CLOEXEC);
}

StartGate::~StartGate() {
  open();
  ::close(read_fd_);
}

void StartGate::open() {
  if (write_fd_ >= 0) ::close(write_fd_);
  write_fd_ = -1;
}

void StartGate::pass() const {
  // The gate is open when no process holds its write end any longer.
  if (write_fd_ >= 0) ::close(write_fd_);
  char c;
  while (::read(read_fd_, &c, 1) > 0) {
  }
  ::close(read_fd_);
}

ToolProcess start_tool(const std::vector<std::string>& args, const fs::path& dir,
                       const StartGate* gate) {
  // Captures live outside the run folder so that they never show up among
  // the files a run leaves.
  static std::atomic<int> counter{0};
  const std::string tag = std::to_string(::getpid()) + "-" + std::to_string(counter++);
  ToolProcess p;
  p.out_path = fs::temp_directory_path() / ("raincorr-out-" + tag);
  p.err_path = fs::temp_directory_path() / ("raincorr-err-" + tag);
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (gate != nullptr) gate->pass();
    if (::chdir(dir.c_str()) != 0) ::_exit(127);
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(p.out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(p.err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<char*> argv;
    std::string exe = RAINCORR_EXE;
    argv.push_back(exe.data());
    std::vector<std::string> copy = args;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(exe.c_str(), argv.data());
    ::_exit(127);
  }
  p.pid = pid;
  return p;
}

ToolRun wait_tool(const ToolProcess& process, int timeout_seconds) {
  const pid_t pid = process.pid;
  ToolRun run;
  int wstatus = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
  for (;;) {
    const pid_t r = ::waitpid(pid, &wstatus, WNOHANG);
    if (r == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &wstatus, 0);
      wstatus = -1;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  run.status = (wstatus != -1 && WIFEXITED(wstatus)) ? WEXITSTATUS(wstatus) : -1;
  run.out = read_file(process.out_path);
  run.err = read_file(process.err_path);
  fs::remove(process.out_path);
  fs::remove(process.err_path);
  return run;
}

ToolRun run_tool(const std::vector<std::string>& args, const fs::path& dir, int timeout_seconds) {
  return wait_tool(start_tool(args, dir), timeout_seconds);
}

}  // namespace raincorr::testing
