// Shared set-up of the fuzz targets: each process works in a temporary
// folder of its own, made the working directory once at start-up, so that
// the files a stage writes never touch the source tree or another target.
#ifndef RAINCORR_FUZZ_FUZZ_SUPPORT_H_
#define RAINCORR_FUZZ_FUZZ_SUPPORT_H_

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace raincorr::fuzz {

// Creates a fresh temporary folder and makes it the working directory.
inline void enter_scratch_dir() {
  char tmpl[] = "/tmp/raincorr-fuzz-XXXXXX";
  const char* dir = ::mkdtemp(tmpl);
  if (dir == nullptr || ::chdir(dir) != 0) std::abort();
}

// Reads small numbers and texts off the front of the fuzz input.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  std::uint8_t byte() {
    if (rest_.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return b;
  }
  int in_range(int lo, int hi) { return lo + (byte() | byte() << 8) % (hi - lo + 1); }

  // The text up to the next NUL (or everything left).
  std::string text() {
    const auto end = rest_.find('\0');
    std::string t(rest_.substr(0, end));
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    return t;
  }
  std::string rest() {
    std::string t(rest_);
    rest_ = {};
    return t;
  }

 private:
  std::string_view rest_;
};

}  // namespace raincorr::fuzz

#endif  // RAINCORR_FUZZ_FUZZ_SUPPORT_H_
