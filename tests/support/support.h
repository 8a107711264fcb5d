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

}  // namespace raincorr::testing

#endif  // RAINCORR_TESTS_SUPPORT_SUPPORT_H_
