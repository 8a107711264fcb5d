#include "convert/output.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include "convert/calendar.h"

namespace raincorr::convert {
namespace fs = std::filesystem;

namespace {

// Built by appending: GCC 12 warns falsely (-Wrestrict) on "\"" + string.
std::string quoted(const fs::path& p) {
  std::string q(1, '"');
  q += p.string();
  q += '"';
  return q;
}

}  // namespace

AtomicOutput::AtomicOutput(fs::path path) : path_(std::move(path)) {
  const fs::path dir = path_.has_parent_path() ? path_.parent_path() : fs::path(".");
  std::string hidden = path_.filename().string();
  hidden.insert(0, 1, '.');
  hidden.append(".XXXXXX");
  const std::string pattern = (dir / hidden).string();
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  const int fd = mkstemp(buf.data());
  if (fd < 0)
    throw ConvertFailure("cannot create the output " + quoted(path_) + ": " + std::strerror(errno));
  // mkstemp makes the file private; give it what a plain new file gets.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  close(fd);
  temp_ = fs::path(buf.data());
  out_.open(temp_, std::ios::binary | std::ios::trunc);
  if (!out_) {
    std::error_code ec;
    fs::remove(temp_, ec);
    throw ConvertFailure("cannot write the output " + quoted(path_));
  }
}

AtomicOutput::~AtomicOutput() {
  if (!committed_) {
    out_.close();
    std::error_code ec;
    fs::remove(temp_, ec);
  }
}

void AtomicOutput::commit() {
  out_.flush();
  const bool written = static_cast<bool>(out_);
  out_.close();
  if (!written || out_.fail())
    throw ConvertFailure("cannot write the output " + quoted(path_) + " (disk full?)");
  std::error_code ec;
  fs::rename(temp_, path_, ec);
  if (ec) throw ConvertFailure("cannot create the output " + quoted(path_) + ": " + ec.message());
  committed_ = true;
}

}  // namespace raincorr::convert
