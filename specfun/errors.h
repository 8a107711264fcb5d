// The error facility of the special functions: a stack of the library
// routines that are running, an error type and code per stack level, up to
// nine message parameters of each kind, and one pending message.
//
// Every library routine calls E1PSH with its own name first and E1POP with
// the same name last, on every path; on a failure it stores its message
// parameters (E1PARD, E1PARI, E1PARL, in the order of their indexes) and then
// calls E1MES. The fixed handling of the error types decides what is printed
// and whether the run ends:
//
//   type  printed as  printed                               ends the run
//   1     NOTE        never                                 never
//   2     ALERT       never                                 never
//   3     WARNING     when the routine called by the        never
//                     application (level 2) returns
//   4     FATAL       when the level-2 routine returns      then
//   5     TERMINAL    at once, by E1MES                     when the issuing routine returns
//   6     WARNING     at once                               never
//   7     FATAL       at once                               when the level-2 routine returns
//
// Types 2 to 7 are passed to the caller's level when a routine returns, so a
// message issued deep inside the library is printed as coming from the
// routine that the application called, followed by a traceback.
//
// Messages are printed on the facility's console (std::cout unless
// redirected). Ending the run flushes that console and throws
// RunStop{"", false, 1}: the message is already on the console. The state is
// one process-wide instance, created on first use; a thrown RunStop leaves
// the levels of the interrupted routines on the stack (see
// reset_error_facility_for_testing).
#ifndef RAINCORR_SPECFUN_ERRORS_H_
#define RAINCORR_SPECFUN_ERRORS_H_

#include <iosfwd>
#include <string_view>

namespace raincorr {

// Deepest stack level; level 1 is the application ("USER").
inline constexpr int kErrorStackDepth = 50;

// Enters a routine: raises the current level by one and stores `name`
// (blank-padded or cut to 32 characters) with type and code 0. At level 50
// already, prints a TERMINAL error (code 1) from the routine on top and
// ends the run.
void E1PSH(std::string_view name);

// Leaves the routine `name`: passes an error of type 2 to 7 to the caller's
// level, prints and ends the run as the type requires, marks the level above
// as holding no result (-1) and lowers the current level. Popping at level 1,
// or with a name other than the one on top, prints a TERMINAL error and ends
// the run.
void E1POP(std::string_view name);

// Issues an error at the current level. type -1 keeps the level's type, a
// negative code keeps its code. A type or code of 0 withdraws the pending
// error (message and parameters are dropped). An empty or one-blank message
// keeps the pending text; otherwise it becomes the pending text (at most
// 1024 characters) with each placeholder "%(Kn)" (K one of ACDIKLRSZ in
// either case, n 1 to 9) replaced by the stored parameter of kind K and
// index n when there is one. Types 5, 6 and 7 print at once.
void E1MES(int type, int code, std::string_view message);

// Store message parameters D<index>, I<index> and L<|index|>; an index
// outside 1 to 9 is ignored. D is written like "%.15E" ("1.500000000000000E+00",
// "NaN", "Inf"), I in plain decimal; L keeps at most 255 characters and
// drops trailing blanks unless `index` is negative. A parameter that does not
// fit into the 300 characters of the list is dropped silently. Storing a kind
// and index again replaces the earlier value.
void E1PARD(int index, double value);
void E1PARI(int index, int value);
void E1PARL(int index, std::string_view text);

// Error type and code of the current level (i = 0) or of the level just
// above it, the routine that returned last (i = 1). Any other i prints a
// TERMINAL error from the current routine and ends the run.
int N1RTY(int i);
int N1RCD(int i);

// Prints the pending message, if there is one, in the fixed console layout
// (header line, continuation lines, traceback below level 2), then drops the
// pending message and the parameters. Called by the facility itself.
void E1SHOW();

// The stream on which the facility prints (std::cout at first).
std::ostream& error_console();
// Makes `console` the facility's console; it must outlive its use.
void set_error_console(std::ostream& console);

// Flushes the facility's console and throws RunStop{"", false, 1}.
[[noreturn]] void end_run_from_error_facility();

// The current stack level (1 between calls of the application).
int error_stack_level();

// For tests and the developer probe only: puts the facility back into its
// state at first use (level 1, no pending message, no parameters). The
// console is kept.
void reset_error_facility_for_testing();

}  // namespace raincorr

#endif  // RAINCORR_SPECFUN_ERRORS_H_
