#include "textio/run_stop.h"

namespace raincorr {
namespace {

RunStop file_error(std::string_view kind, std::string_view file, std::size_t line,
                   std::string_view what) {
  std::string m = "raincorr: ";
  m += kind;
  m += " \"";
  m += file;
  m += '"';
  if (line > 0) m += ", line " + std::to_string(line);
  m += ": ";
  m += what;
  m += '\n';
  return RunStop{std::move(m), true, 2};
}

}  // namespace

RunStop system_stop(std::string_view lines) {
  std::string m(lines);
  m += '\n';
  return RunStop{std::move(m), false, 1};
}

RunStop open_error(std::string_view file, std::string_view why) {
  return file_error("cannot open", file, 0, why);
}

RunStop read_error(std::string_view file, std::size_t line, std::string_view what) {
  return file_error("read error in", file, line, what);
}

RunStop end_of_file_error(std::string_view file, std::size_t line, std::string_view what) {
  return file_error("unexpected end of file in", file, line, what);
}

std::string shown_text(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (const char ch : text) {
    const auto u = static_cast<unsigned char>(ch);
    if (u >= 0x20 && u < 0x7f) {
      out += ch;
    } else {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 0xf];
    }
  }
  out += '"';
  return out;
}

RunStop usage_error(std::string_view what, int status) {
  std::string m = "raincorr: ";
  m += what;
  m += '\n';
  return RunStop{std::move(m), true, status};
}

}  // namespace raincorr
