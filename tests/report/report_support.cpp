#include "tests/report/report_support.h"

#include <openssl/evp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <random>
#include <stdexcept>

#include "tests/support/support.h"

namespace fs = std::filesystem;

namespace raincorr::testing {
namespace {

std::string shell_quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

fs::path scratch_name(const std::string& what) {
  static std::random_device rd;
  return fs::temp_directory_path() /
         ("raincorr-report-test-" + std::to_string(::getpid()) + "-" + std::to_string(rd()) + what);
}

}  // namespace

ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const fs::path& dir, const std::vector<std::string>& env) {
  const fs::path out = scratch_name(".out");
  const fs::path err = scratch_name(".err");
  std::string command = "cd " + shell_quote(dir.string()) + " && env";
  for (const auto& e : env) command.append(" ").append(shell_quote(e));
  command.append(" ").append(shell_quote(program));
  for (const auto& a : args) command.append(" ").append(shell_quote(a));
  command += " </dev/null >" + shell_quote(out.string()) + " 2>" + shell_quote(err.string());
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = read_file(out);
  run.err = read_file(err);
  fs::remove(out);
  fs::remove(err);
  return run;
}

std::string xmllint(const std::string& text, bool html) {
  const fs::path file = scratch_name(html ? ".html" : ".xml");
  write_file(file, text);
  const auto run = run_program("xmllint", {html ? "--html" : "--nonet", "--noout", file.string()},
                               fs::temp_directory_path());
  fs::remove(file);
  if (run.status != 0 && run.err.empty()) return "xmllint status " + std::to_string(run.status);
  return run.out + run.err;
}

std::vector<std::string> embedded_svgs(const std::string& page) {
  static const std::string kStart = "src=\"data:image/svg+xml;base64,";
  std::vector<std::string> svgs;
  for (auto at = page.find(kStart); at != std::string::npos; at = page.find(kStart, at + 1)) {
    const auto begin = at + kStart.size();
    const std::string encoded = page.substr(begin, page.find('"', begin) - begin);
    std::string decoded(encoded.size(), '\0');
    const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(decoded.data()),
                                  reinterpret_cast<const unsigned char*>(encoded.data()),
                                  static_cast<int>(encoded.size()));
    if (n < 0) throw std::runtime_error("bad base64 in the page");
    // The decoder counts the padding as zero bytes.
    std::size_t size = static_cast<std::size_t>(n);
    for (auto it = encoded.rbegin(); it != encoded.rend() && *it == '='; ++it) --size;
    decoded.resize(size);
    svgs.push_back(decoded);
  }
  return svgs;
}

}  // namespace raincorr::testing
