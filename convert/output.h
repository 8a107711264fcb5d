// An output file that appears whole or not at all.
//
// The text goes to a temporary file in the output's own folder (so that the
// final rename stays on one file system and is atomic); commit() renames it
// over the output. An object destroyed without commit() removes its
// temporary file, so a run that stops on bad input leaves no partial output
// and leaves an earlier file of the same name untouched.
#ifndef RAINCORR_CONVERT_OUTPUT_H_
#define RAINCORR_CONVERT_OUTPUT_H_

#include <filesystem>
#include <fstream>

namespace raincorr::convert {

class AtomicOutput {
 public:
  // Creates the temporary file beside `path`. Throws ConvertFailure naming
  // `path` when the folder cannot take it.
  explicit AtomicOutput(std::filesystem::path path);
  ~AtomicOutput();
  AtomicOutput(const AtomicOutput&) = delete;
  AtomicOutput& operator=(const AtomicOutput&) = delete;

  std::ostream& stream() { return out_; }
  // Flushes, closes and renames the temporary file to the output name (with
  // the permissions a newly created file would get). Throws ConvertFailure
  // naming the output when writing or renaming fails.
  void commit();

 private:
  std::filesystem::path path_;
  std::filesystem::path temp_;
  std::ofstream out_;
  bool committed_ = false;
};

}  // namespace raincorr::convert

#endif  // RAINCORR_CONVERT_OUTPUT_H_
