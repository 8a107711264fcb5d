#include "specfun/errors.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "textio/fields.h"
#include "textio/run_stop.h"

namespace raincorr {
namespace {

constexpr std::size_t kNameWidth = 32;
constexpr std::size_t kMessageLimit = 1024;
constexpr std::size_t kParameterRoom = 300;
// Characters a parameter entry costs beyond its value (its key and length).
constexpr std::size_t kParameterOverhead = 8;
constexpr std::size_t kTextParameterLimit = 255;
constexpr std::size_t kFirstLineRoom = 59;
constexpr std::size_t kContinuationWidth = 64;

// A routine name as the stack holds it: blank-padded to 32 characters. A
// fixed array, not a string: every call of a special function pushes and
// pops one, and a whole run makes millions of calls.
using StackName = std::array<char, kNameWidth>;

StackName stack_name(std::string_view name) {
  StackName out;
  out.fill(' ');
  name.copy(out.data(), std::min(name.size(), out.size()));
  return out;
}

std::string name_text(const StackName& name) { return std::string(name.data(), name.size()); }

struct Level {
  StackName name;  // blank-padded to 32 characters
  int type = -1;   // 0 no error, -1 no result held
  int code = -1;
  bool user_called = false;  // the routine the application called directly
};

struct Parameter {
  char kind;  // 'D', 'I' or 'L'
  int index;  // 1 to 9
  std::string value;
};

struct ErrorState {
  // Entry 0 is unused so that levels are numbered as they are printed;
  // entry 51 stands for "the level above level 50", which never holds a
  // result.
  std::array<Level, kErrorStackDepth + 2> levels;
  int current = 1;
  std::string pending;
  std::vector<Parameter> parameters;
  std::size_t parameters_used = 0;
  std::ostream* console = &std::cout;

  void start() {
    for (auto& level : levels) level = Level{};
    levels[1] = Level{stack_name("USER"), 0, 0, false};
    current = 1;
    pending.clear();
    parameters.clear();
    parameters_used = 0;
  }
  Level& top() { return levels[static_cast<std::size_t>(current)]; }
  void drop_parameters() {
    parameters.clear();
    parameters_used = 0;
  }
};

// The facility's one instance, created on the first use of any entry point.
ErrorState& E1FRST() {
  static ErrorState state = [] {
    ErrorState s;
    s.start();
    return s;
  }();
  return state;
}

const char* type_name(int type) {
  switch (type) {
    case 1:
      return "NOTE    ";
    case 2:
      return "ALERT   ";
    case 3:
    case 6:
      return "WARNING ";
    case 4:
    case 7:
      return "FATAL   ";
    case 5:
      return "TERMINAL";
    default:
      return "UNKNOWN ";
  }
}

// Names like "dERFCE" mark a double-precision routine by a lower-case
// first letter on the stack; on the console the letter is capitalised.
std::string display_name(std::string name) {
  if (name.size() >= 2 && std::islower(static_cast<unsigned char>(name[0])) &&
      std::isupper(static_cast<unsigned char>(name[1]))) {
    name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  }
  return name;
}

void store_parameter(char kind, int index, std::string value) {
  ErrorState& s = E1FRST();
  std::size_t used = s.parameters_used;
  auto old = s.parameters.end();
  for (auto it = s.parameters.begin(); it != s.parameters.end(); ++it) {
    if (it->kind == kind && it->index == index) {
      old = it;
      used -= it->value.size() + kParameterOverhead;
    }
  }
  if (used + value.size() + kParameterOverhead > kParameterRoom) return;
  if (old != s.parameters.end()) s.parameters.erase(old);
  s.parameters_used = used + value.size() + kParameterOverhead;
  s.parameters.push_back(Parameter{kind, index, std::move(value)});
}

const Parameter* find_parameter(char kind, int index) {
  for (const auto& p : E1FRST().parameters) {
    if (p.kind == kind && p.index == index) return &p;
  }
  return nullptr;
}

bool is_placeholder_kind(char c) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return std::string_view("ACDIKLRSZ").find(upper) != std::string_view::npos;
}

// The message text with its placeholders replaced, cut to 1024 characters.
std::string substitute(std::string_view message) {
  std::string out;
  std::size_t i = 0;
  while (i < message.size() && out.size() < kMessageLimit) {
    if (i + 4 < message.size() && message[i] == '%' && message[i + 1] == '(' &&
        is_placeholder_kind(message[i + 2]) && message[i + 3] >= '1' && message[i + 3] <= '9' &&
        message[i + 4] == ')') {
      const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(message[i + 2])));
      if (const Parameter* p = find_parameter(kind, message[i + 3] - '0')) {
        out.append(p->value, 0, kMessageLimit - out.size());
        i += 5;
        continue;
      }
    }
    out.push_back(message[i]);
    ++i;
  }
  return out;
}

// One printed piece of the message and what is left after it.
struct Piece {
  std::string_view line;
  std::string_view rest;
  bool ended_at_blank = false;
};

// The first line keeps its text before the breaking blank and drops the
// blank itself.
Piece first_piece(std::string_view text, std::size_t room) {
  const std::size_t mark = text.find("%/");
  if (mark != std::string_view::npos && mark + 2 <= room) {
    return {text.substr(0, mark), text.substr(mark + 2), false};
  }
  if (text.size() <= room) return {text, {}, false};
  for (std::size_t i = room - 1; i >= 1 && room >= 2; --i) {
    if (text[i] == ' ') return {text.substr(0, i), text.substr(i + 1), true};
  }
  return {text.substr(0, room), text.substr(room), false};
}

// A continuation line keeps the breaking blank at its end.
Piece continuation_piece(std::string_view text) {
  const std::size_t mark = text.find("%/");
  if (mark != std::string_view::npos && mark + 2 <= kContinuationWidth) {
    return {text.substr(0, mark), text.substr(mark + 2), false};
  }
  if (text.size() <= kContinuationWidth) return {text, {}, false};
  for (std::size_t i = kContinuationWidth - 1; i >= 1; --i) {
    if (text[i] == ' ') return {text.substr(0, i + 1), text.substr(i + 1), true};
  }
  return {text.substr(0, kContinuationWidth), text.substr(kContinuationWidth), false};
}

std::string double_text(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Inf" : "-Inf";
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%24.15E", value);
  std::string_view text(buffer);
  text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
  return std::string(text);
}

}  // namespace

void E1PSH(std::string_view name) {
  ErrorState& s = E1FRST();
  if (s.current >= kErrorStackDepth) {
    E1PARI(1, kErrorStackDepth);
    E1MES(5, 1, "Error condition in E1PSH.  Push would cause stack level to exceed %(I1).");
    end_run_from_error_facility();
  }
  ++s.current;
  s.top() = Level{stack_name(name), 0, 0, s.current == 2};
}

void E1POP(std::string_view name) {
  ErrorState& s = E1FRST();
  if (s.current == 1) {
    E1PSH("E1POP");
    E1PARL(1, name);
    E1MES(5, 1, "Error condition in E1POP.  Cannot pop from %(L1) because stack is empty.");
    end_run_from_error_facility();
  }
  if (stack_name(name) != s.top().name) {
    const std::string stored = name_text(s.top().name);
    E1PARL(1, name);
    E1PARL(2, stored);
    E1MES(5, 2, "Error condition in E1POP.  %(L1) does not match the name %(L2) in the stack.");
    end_run_from_error_facility();
  }
  const Level& level = s.top();
  const int type = level.type;
  if (type != 0) {
    if (type >= 2 && type <= 7) {
      Level& caller = s.levels[static_cast<std::size_t>(s.current - 1)];
      caller.type = type;
      caller.code = level.code;
    }
    if (type <= 4) {
      if ((type == 3 || type == 4) && level.user_called) E1SHOW();
      if (type == 4 && level.user_called) end_run_from_error_facility();
    } else if (type == 5) {
      E1SHOW();
      end_run_from_error_facility();
    } else if (type == 6 || type == 7) {
      E1SHOW();
      if (type == 7 && level.user_called) end_run_from_error_facility();
    }
  }
  if (s.current < kErrorStackDepth) {
    Level& above = s.levels[static_cast<std::size_t>(s.current) + 1];
    above.type = -1;
    above.code = -1;
  }
  --s.current;
}

void E1MES(int type, int code, std::string_view message) {
  ErrorState& s = E1FRST();
  Level& level = s.top();
  if (type != -1) level.type = type;
  if (code >= 0) level.code = code;
  if (type == 0 || code == 0) {
    s.pending.clear();
    s.drop_parameters();
    return;
  }
  if (!message.empty() && message != " ") {
    s.pending = substitute(message);
    s.drop_parameters();
  }
  if (level.type >= 5 && level.type <= 7) E1SHOW();
}

void E1PARD(int index, double value) {
  if (index < 1 || index > 9) return;
  store_parameter('D', index, double_text(value));
}

void E1PARI(int index, int value) {
  if (index < 1 || index > 9) return;
  store_parameter('I', index, std::to_string(value));
}

void E1PARL(int index, std::string_view text) {
  const int slot = index < 0 ? -index : index;
  if (slot < 1 || slot > 9) return;
  text = text.substr(0, kTextParameterLimit);
  std::string value(index > 0 ? trim_right(text) : text);
  if (index > 0 && value.empty()) value.assign(1, ' ');
  store_parameter('L', slot, std::move(value));
}

namespace {

int level_value(int i, const char* routine, bool want_type) {
  ErrorState& s = E1FRST();
  if (i != 0 && i != 1) {
    s.top().type = 5;
    s.top().code = 1;
    s.pending = std::string(".  The argument passed to ") + routine + " must be 0 or 1.";
    E1SHOW();
    end_run_from_error_facility();
  }
  const Level& level = s.levels[static_cast<std::size_t>(s.current) + static_cast<std::size_t>(i)];
  return want_type ? level.type : level.code;
}

}  // namespace

int N1RTY(int i) { return level_value(i, "N1RTY", true); }

int N1RCD(int i) { return level_value(i, "N1RCD", false); }

void E1SHOW() {
  ErrorState& s = E1FRST();
  if (s.pending.empty()) return;
  std::ostream& out = *s.console;
  const Level& level = s.top();

  const bool appended = s.pending.rfind(".  ", 0) != 0;
  const std::string name = display_name(name_text(level.name));
  std::ostringstream header_text;
  header_text << ' ' << level.code << " from " << trim_right(name) << (appended ? ".  " : "");
  const std::string header = header_text.str();
  // The room of the first line counts the appended ".  " twice: once in the
  // header and once more on its own.
  const std::size_t taken = header.size() + (appended ? 3 : 0);
  const std::size_t room = taken < kFirstLineRoom ? kFirstLineRoom - taken : 0;

  Piece piece = first_piece(s.pending, room);
  out << "\n *** " << type_name(level.type) << " ERROR" << header << piece.line << "\n";
  std::string_view rest = piece.rest;
  while (!rest.empty()) {
    if (piece.ended_at_blank && rest.front() == ' ') rest.remove_prefix(1);
    if (rest.empty()) break;
    piece = continuation_piece(rest);
    out << " ***          " << piece.line << "\n";
    rest = piece.rest;
  }

  if (s.current > 2) {
    out << "     Here is a traceback of subprogram calls in reverse order:\n"
        << "     " << text_field("Routine name", 27) << "     Error type  Error code\n"
        << "     ------------" << std::string(16, ' ') << "    ----------  ----------\n";
    for (int l = s.current; l >= 1; --l) {
      const Level& row = s.levels[static_cast<std::size_t>(l)];
      out << "     " << display_name(name_text(row.name)) << int_field(row.type, 6) << "      "
          << int_field(row.code, 6);
      if (l >= 2 && !row.user_called) out << "    (Called internally)";
      out << "\n";
    }
  }
  s.pending.clear();
  s.drop_parameters();
}

std::ostream& error_console() { return *E1FRST().console; }

void set_error_console(std::ostream& console) { E1FRST().console = &console; }

void end_run_from_error_facility() {
  error_console().flush();
  throw RunStop{"", false, 1};
}

int error_stack_level() { return E1FRST().current; }

void reset_error_facility_for_testing() { E1FRST().start(); }

}  // namespace raincorr
