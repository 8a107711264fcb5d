#include "driver/command_line.h"

#include <string_view>

#include "textio/fields.h"
#include "textio/freeform.h"
#include "textio/linefile.h"
#include "textio/run_stop.h"

namespace raincorr {
namespace {

// Arguments arrive in buffers of this many characters, blank-padded.
constexpr std::size_t kArgumentBuffer = 80;

// The usage text printed for a command line that lacks an argument; --help
// prints it without its first line.
constexpr std::string_view kUsageError = " ERROR in the command line:\n";
constexpr std::string_view kUsage =
    " USAGE: <Command> <file1> <file2> <param1> <param2> <param3> <param4> param<7> <param5> "
    "<param6>\n"
    " <file1>: Weather file in WTD format (4-digit year)\n"
    " <file2>: GCM data, OSTREL data library free format\n"
    " <param1>: year1 - starting year of analysis, 4-digit code, e.g. 1970\n"
    " <param2>: year2 - ending year (+ 1), e.g. 1999 if you want 1998 for analysis\n"
    " <param3>: DOY1 - start of Month1, non-leap year\n"
    " <param4>: DOY2 - end of Month2, non-leap year\n"
    " <param7>: thresh - rainfall threshold (mm)\n"
    " <param5>: emp_gamma(=0,gamma-gamma),(=1,emperical-gammma),(=2,mult. adjustment)\n"
    " <param6>: formt(=0,raw daily GCM OSTREL free format),(=1,cleaned dd-mm-yr-data)";

// Names of the files a run creates or replaces under one stem; the GCM
// stem also names the prepared weather file and the two corrected files.
std::vector<std::string> written_files(const std::string& stem, bool gcm) {
  std::vector<std::string> names;
  for (const char* suffix : {".pcp", ".pkp", "_y.pcp", "_1s.txt", "_2s.txt"})
    names.push_back(stem + suffix);
  for (int m = 1; m <= 12; ++m) names.push_back(stem + "_" + std::to_string(m) + ".txt");
  if (gcm)
    for (const char* suffix : {"_.wtd_", "_c.pcp", "_cd.pcp"}) names.push_back(stem + suffix);
  return names;
}

// Refuses name stems under which the run would overwrite or delete files it
// must keep: an input among the files it writes, one file name reached from
// both stems (stems "a" and "a_y" both give "a_y.pcp", and the clean-up of
// the one deletes the other's series), or a stem that leads out of the
// working directory.
void check_file_names(const RunParams& p, const std::string& stem1, const std::string& stem2) {
  for (const auto& stem : {stem1, stem2})
    if (stem.find('/') != std::string::npos)
      throw usage_error("the name stem \"" + stem +
                            "\" (the first five characters of an input name) would put the "
                            "run's files outside the working directory; give the input files "
                            "by their plain names in the working directory",
                        1);
  const auto obs_files = written_files(stem1, false);
  const auto gcm_files = written_files(stem2, true);
  for (const auto& input : {std::string(trim_right(p.file1)), std::string(trim_right(p.file2))})
    for (const auto* files : {&obs_files, &gcm_files})
      for (const auto& written : *files)
        if (input == written)
          throw usage_error("the input file \"" + input +
                                "\" carries the name of a file the run writes; rename it",
                            1);
  for (const auto& a : obs_files)
    for (const auto& b : gcm_files)
      if (a == b)
        throw usage_error("the name stems \"" + stem1 + "\" and \"" + stem2 +
                              "\" would both use the file \"" + a + "\"; rename one input",
                          1);
}

template <typename T>
void read_parameter(FreeformReader& reader, T& value, const char* what) {
  switch (reader.read(value)) {
    case ReadStatus::kOk:
      return;
    case ReadStatus::kEnd:
      throw usage_error(std::string("the command line ends before ") + what +
                            " (is the rainfall threshold, argument 7, missing?)",
                        2);
    case ReadStatus::kBad:
      throw usage_error(std::string("cannot read ") + what + " from " +
                            shown_text(reader.last_token()) + " on the command line",
                        2);
  }
}

}  // namespace

RunParams decode_command_line(const std::vector<std::string>& args) {
  std::string texts[10];
  for (std::size_t pos = 1; pos <= 9; ++pos) {
    const std::string buffer =
        text_field(pos <= args.size() ? std::string_view(args[pos - 1]) : "", kArgumentBuffer);
    const bool empty = is_blank(buffer);
    if (pos <= 6 && empty) throw system_stop(std::string(kUsageError) + std::string(kUsage));
    texts[pos] = text_field(pos >= 8 && empty ? "0" : buffer, kTextWidth);
  }

  RunParams p;
  p.file1 = texts[1];
  p.file2 = texts[2];
  p.year1_text = texts[3];
  p.year2_text = texts[4];

  // The seven numeric texts are read as one free-form list: each text is
  // taken whole, trailing blanks and all, so that its blanks separate it
  // from the next. A blank threshold therefore shifts the later values
  // forward and the list runs out before the last one.
  std::string list = " ";
  for (std::size_t pos = 3; pos <= 9; ++pos) list += texts[pos];
  LineFile file("command line", list);
  FreeformReader reader(file);
  reader.begin();
  read_parameter(reader, p.year1, "year1 (argument 3)");
  read_parameter(reader, p.year2, "year2 (argument 4)");
  read_parameter(reader, p.DOY1, "DOY1 (argument 5)");
  read_parameter(reader, p.DOY2, "DOY2 (argument 6)");
  read_parameter(reader, p.thresh, "thresh (argument 7)");
  read_parameter(reader, p.emp_gamma, "emp_gamma (argument 8)");
  read_parameter(reader, p.formt, "formt (argument 9)");

  if (p.emp_gamma >= 3) throw system_stop("Bias correction method not selected...");

  // The extraction counts lines by these numbers; outside one common year
  // it would read into the next year and mix the seasons.
  if (p.DOY1 < 1 || p.DOY1 > 365 || p.DOY2 < 1 || p.DOY2 > 365)
    throw usage_error("the day window DOY1 = " + std::to_string(p.DOY1) +
                          ", DOY2 = " + std::to_string(p.DOY2) + " must lie within 1..365",
                      1);

  // Every intermediate file is named after the stem, so two inputs with one
  // stem would overwrite each other's series and the observed pass would
  // silently work on GCM data.
  const std::string stem1 = name_stem(p.file1);
  const std::string stem2 = name_stem(p.file2);
  if (stem1 == stem2)
    throw usage_error("both input files have the name stem \"" + stem1 +
                          "\" (their first five characters); rename one of them",
                      1);
  check_file_names(p, stem1, stem2);
  return p;
}

std::optional<std::string> information_request(const std::vector<std::string>& args) {
  if (args.size() != 1) return std::nullopt;
  if (args[0] == "--help" || args[0] == "-h") return std::string(kUsage) + "\n";
  if (args[0] == "--version") return std::string("raincorr ") + RAINCORR_VERSION + "\n";
  return std::nullopt;
}

}  // namespace raincorr
