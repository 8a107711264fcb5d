// Helpers shared by the tests: scratch folders, whole-file reads and runs of
// the raincorr executable with its console output captured.
#ifndef RAINCORR_TESTS_SUPPORT_SUPPORT_H_
#define RAINCORR_TESTS_SUPPORT_SUPPORT_H_

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace raincorr::testing {

// A fresh empty folder under the system's temporary folder, made the
// working directory for the object's lifetime; removed with its content
// afterwards, and the previous working directory restored.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

// Whole content of a file (empty string when it does not exist).
std::string read_file(const std::filesystem::path& path);
// Creates or replaces a file with `content`.
void write_file(const std::filesystem::path& path, const std::string& content);
// Names of the regular files in `dir`.
std::set<std::string> list_files(const std::filesystem::path& dir);
// `lines` joined, each followed by a line feed.
std::string lines(const std::vector<std::string>& lines);

struct ToolRun {
  std::string out;  // standard output
  std::string err;  // standard error
  int status = -1;  // exit status; -1 when the tool did not exit normally
};

// Runs the raincorr executable with `args` in folder `dir`, standard input
// empty; waits at most `timeout_seconds` (then kills it, status -1).
ToolRun run_tool(const std::vector<std::string>& args, const std::filesystem::path& dir,
                 int timeout_seconds = 60);

// Holds started runs back until it is opened, so that several runs begin at
// the same moment: each waits for the gate before executing the tool.
class StartGate {
 public:
  StartGate();
  ~StartGate();
  StartGate(const StartGate&) = delete;
  StartGate& operator=(const StartGate&) = delete;
  // Releases every run started through this gate.
  void open();
  // For the started process: waits until the gate is opened.
  void pass() const;

 private:
  int read_fd_ = -1;
  int write_fd_ = -1;
};

// A run of the raincorr executable started with start_tool.
struct ToolProcess {
  int pid = -1;
  std::filesystem::path out_path;  // where its standard output goes
  std::filesystem::path err_path;  // where its standard error goes
};

// Starts the raincorr executable as run_tool does and returns at once; with
// a `gate`, the run waits for the gate to open before it begins.
ToolProcess start_tool(const std::vector<std::string>& args, const std::filesystem::path& dir,
                       const StartGate* gate = nullptr);

// Waits for a run started with start_tool, at most `timeout_seconds` from
// now (then kills it, status -1), and collects its output.
ToolRun wait_tool(const ToolProcess& process, int timeout_seconds = 60);

}  // namespace raincorr::testing

#endif  // RAINCORR_TESTS_SUPPORT_SUPPORT_H_
