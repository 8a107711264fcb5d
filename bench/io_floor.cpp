// io_floor: the file traffic of one raincorr run and nothing else.
//
//   io_floor OBS_FILE GCM_FILE DAYS METHOD
//
// Does, in the working directory and in the order of a run, every read,
// create, write, re-read and delete that a whole run of DAYS days of the
// given correction method does, with files of the same names' roles and the
// same sizes, but with no parsing and no arithmetic: a record is a copy of
// a fixed number of input bytes. The time of this program is the floor that
// a run of the tool is measured against (bench/whole_run.sh); a run cannot
// be faster than moving its own bytes through the file system.
//
// Uses only POSIX calls on whole-file buffers, each file read in one go
// into an uninitialised buffer and written with as few write calls as the
// kernel takes. Prints nothing on success; on any failure prints a line on
// standard error and exits with status 2. Leaves behind the files a
// successful run leaves (under the stems "fobs" and "fgcm").
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "io_floor: %s\n", what.c_str());
  std::exit(2);
}

// A whole file in memory; the buffer is not zero-filled first.
struct Bytes {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
};

Bytes read_file(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) fail("cannot open " + path);
  struct stat st;
  if (::fstat(fd, &st) != 0) fail("cannot stat " + path);
  Bytes b;
  b.size = static_cast<std::size_t>(st.st_size);
  b.data = std::make_unique_for_overwrite<char[]>(b.size + 1);
  std::size_t got = 0;
  while (got < b.size) {
    const ssize_t n = ::read(fd, b.data.get() + got, b.size - got);
    if (n <= 0) fail("cannot read " + path);
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return b;
}

void write_file(const std::string& path, const char* data, std::size_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) fail("cannot create " + path);
  std::size_t put = 0;
  while (put < size) {
    const ssize_t n = ::write(fd, data + put, size - put);
    if (n <= 0) fail("cannot write " + path);
    put += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) fail("cannot close " + path);
}

void write_file(const std::string& path, const Bytes& data) {
  write_file(path, data.data.get(), data.size);
}

// `records` records of `width` bytes (line feed included), each copied from
// `source` as a run copies a field of its input line into its output.
Bytes records_from(const Bytes& source, std::size_t records, std::size_t width) {
  Bytes out;
  out.size = records * width;
  out.data = std::make_unique_for_overwrite<char[]>(out.size + 1);
  char* p = out.data.get();
  if (source.size < width) {
    std::memset(p, ' ', out.size);
    return out;
  }
  const std::size_t span = source.size - width;
  std::size_t from = 0;
  for (std::size_t r = 0; r < records; ++r, p += width) {
    std::memcpy(p, source.data.get() + from, width - 1);
    p[width - 1] = '\n';
    from += width;
    if (from >= span) from = 0;
  }
  return out;
}

// Record widths of the run's files, line feed included.
constexpr std::size_t kSeries = 15;    // " yyyydddRRRRR" series record, <stem>.pcp
constexpr std::size_t kValue = 6;      // "RRRRR", <stem>.pkp
constexpr std::size_t kDated = 15;     // "yyyy ddd RRRRR", <stem>_y.pcp
constexpr std::size_t kPrepared = 32;  // WTD line of the prepared GCM file
constexpr std::size_t kClass = 8;      // " RRRRRR" class record
constexpr std::size_t kDetail = 56;    // detail record, <stem>_c.pcp
constexpr std::size_t kCorrected = 7;  // "RRR.RR", <stem>_cd.pcp

// The extraction of a weather file: three series files made empty, then
// filled at the end of the selection; the series is re-read from memory.
void extract(const std::string& in_path, const std::string& stem, std::size_t days) {
  const Bytes in = read_file(in_path);
  for (const char* suffix : {".pcp", ".pkp", "_y.pcp"}) write_file(stem + suffix, nullptr, 0);
  write_file(stem + ".pcp", records_from(in, days, kSeries));
  write_file(stem + ".pkp", records_from(in, days, kValue));
  write_file(stem + "_y.pcp", records_from(in, days, kDated));
}

// The monthly classification: the series re-read, twelve class files made
// empty and then filled, a twelfth of the records each.
void classify(const std::string& stem, std::size_t days) {
  const Bytes series = read_file(stem + ".pcp");
  for (int m = 1; m <= 12; ++m) write_file(stem + "_" + std::to_string(m) + ".txt", nullptr, 0);
  for (int m = 1; m <= 12; ++m) {
    const std::size_t n = days / 12 + (static_cast<std::size_t>(m) <= days % 12 ? 1 : 0);
    write_file(stem + "_" + std::to_string(m) + ".txt", records_from(series, n, kClass));
  }
}

// The load before sorting: twelve class files read, two marker files made,
// the class files deleted.
std::size_t load(const std::string& stem) {
  std::size_t bytes = 0;
  for (int m = 1; m <= 12; ++m) bytes += read_file(stem + "_" + std::to_string(m) + ".txt").size;
  for (const char* suffix : {"_1s.txt", "_2s.txt"}) {
    const int fd = ::open((stem + suffix).c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0) fail("cannot create " + stem + suffix);
    ::close(fd);
  }
  for (int m = 1; m <= 12; ++m) ::unlink((stem + "_" + std::to_string(m) + ".txt").c_str());
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) fail("usage: io_floor OBS_FILE GCM_FILE DAYS METHOD");
  const std::string obs_file = argv[1];
  const std::string gcm_file = argv[2];
  const auto days = static_cast<std::size_t>(std::strtoull(argv[3], nullptr, 10));
  const int method = std::atoi(argv[4]);
  const std::string obs = "fobs";
  const std::string gcm = "fgcm";

  extract(obs_file, obs, days);

  // GCM preparation: one WTD line per GCM data line, after a header line.
  {
    const Bytes in = read_file(gcm_file);
    write_file(gcm + "_.wtd_", nullptr, 0);
    write_file(gcm + "_.wtd_", records_from(in, days + 1, kPrepared));
  }
  extract(gcm + "_.wtd_", gcm, days);

  classify(obs, days);
  classify(gcm, days);
  // The observed class files are opened once more to count their lines.
  for (int m = 1; m <= 12; ++m) read_file(obs + "_" + std::to_string(m) + ".txt");
  load(obs);
  load(gcm);

  // The correction: the dated series re-read, the corrected files made and
  // written record by record (the detail file only for methods 0 and 1).
  {
    const Bytes dated = read_file(gcm + "_y.pcp");
    write_file(gcm + "_c.pcp", nullptr, 0);
    write_file(gcm + "_cd.pcp", nullptr, 0);
    if (method != 2) write_file(gcm + "_c.pcp", records_from(dated, days, kDetail));
    write_file(gcm + "_cd.pcp", records_from(dated, days, kCorrected));
  }

  for (const std::string& f : {obs + ".pcp", obs + "_y.pcp", gcm + "_y.pcp", gcm + "_.wtd_"})
    ::unlink(f.c_str());
  return 0;
}
