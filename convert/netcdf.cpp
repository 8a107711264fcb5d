#include "convert/netcdf.h"

#include <netcdf.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

#include "convert/output.h"
#include "textio/fields.h"

namespace raincorr::convert {
namespace fs = std::filesystem;

namespace {

constexpr double kEarthRadiusKm = 6371.0;
constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Built by appending: GCC 12 warns falsely (-Wrestrict) on "\"" + string.
std::string quoted(const fs::path& p) {
  std::string q(1, '"');
  q += p.string();
  q += '"';
  return q;
}

std::string plain(double v, int decimals) {
  const std::string f = fixed_field(v, 40, decimals);
  return f.substr(f.find_first_not_of(' '));
}

// Collapses runs of blanks to one and drops blanks at both ends.
std::string squeeze(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// An open netCDF file, closed when the object goes.
class NcFile {
 public:
  explicit NcFile(fs::path path) : path_(std::move(path)) {
    const int status = nc_open(path_.c_str(), NC_NOWRITE, &id_);
    if (status != NC_NOERR)
      throw ConvertFailure("cannot open " + quoted(path_) + ": " + nc_strerror(status));
  }
  ~NcFile() { nc_close(id_); }
  NcFile(const NcFile&) = delete;
  NcFile& operator=(const NcFile&) = delete;

  int id() const { return id_; }
  const fs::path& path() const { return path_; }

  void check(int status, const std::string& what) const {
    if (status != NC_NOERR)
      throw ConvertFailure(quoted(path_) + ": " + what + ": " + nc_strerror(status));
  }
  ConvertFailure failure(const std::string& what) const {
    return ConvertFailure(quoted(path_) + ": " + what);
  }

  std::string var_name(int varid) const {
    std::array<char, NC_MAX_NAME + 1> name{};
    check(nc_inq_varname(id_, varid, name.data()), "reading a variable name");
    return name.data();
  }
  std::optional<int> var_id(const std::string& name) const {
    int varid = 0;
    if (nc_inq_varid(id_, name.c_str(), &varid) != NC_NOERR) return std::nullopt;
    return varid;
  }
  std::vector<int> var_dims(int varid) const {
    int ndims = 0;
    check(nc_inq_varndims(id_, varid, &ndims), "reading the dimensions of " + var_name(varid));
    std::vector<int> dims(static_cast<std::size_t>(ndims));
    if (ndims > 0) check(nc_inq_vardimid(id_, varid, dims.data()), "reading dimensions");
    return dims;
  }
  std::string dim_name(int dimid) const {
    std::array<char, NC_MAX_NAME + 1> name{};
    check(nc_inq_dimname(id_, dimid, name.data()), "reading a dimension name");
    return name.data();
  }
  std::size_t dim_len(int dimid) const {
    std::size_t len = 0;
    check(nc_inq_dimlen(id_, dimid, &len), "reading a dimension length");
    return len;
  }

  // A text attribute (NC_CHAR or a single NC_STRING), or nullopt if absent.
  std::optional<std::string> text_att(int varid, const char* name) const {
    nc_type type = 0;
    std::size_t len = 0;
    if (nc_inq_att(id_, varid, name, &type, &len) != NC_NOERR) return std::nullopt;
    if (type == NC_CHAR) {
      std::string s(len, '\0');
      if (len > 0)
        check(nc_get_att_text(id_, varid, name, s.data()), "reading " + std::string(name));
      while (!s.empty() && s.back() == '\0') s.pop_back();
      return s;
    }
    if (type == NC_STRING && len == 1) {
      char* p = nullptr;
      check(nc_get_att_string(id_, varid, name, &p), "reading " + std::string(name));
      std::string s = p != nullptr ? p : "";
      nc_free_string(1, &p);
      return s;
    }
    return std::nullopt;
  }
  // A numeric attribute's values as doubles (empty when absent or text).
  std::vector<double> number_att(int varid, const char* name) const {
    nc_type type = 0;
    std::size_t len = 0;
    if (nc_inq_att(id_, varid, name, &type, &len) != NC_NOERR) return {};
    if (type == NC_CHAR || type == NC_STRING || len == 0) return {};
    std::vector<double> v(len);
    check(nc_get_att_double(id_, varid, name, v.data()), "reading " + std::string(name));
    return v;
  }
  std::vector<double> read_all(int varid) const {
    std::size_t n = 1;
    for (int d : var_dims(varid)) n *= dim_len(d);
    std::vector<double> v(n);
    if (n > 0) check(nc_get_var_double(id_, varid, v.data()), "reading " + var_name(varid));
    return v;
  }

 private:
  fs::path path_;
  int id_ = -1;
};

bool one_of(const std::string& s, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(), [&](const char* n) { return s == n; });
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// CF recognises a latitude or longitude by its units or its standard_name.
bool is_latitude(const NcFile& f, int varid) {
  const std::string units = lower(squeeze(f.text_att(varid, "units").value_or("")));
  const std::string name = lower(squeeze(f.text_att(varid, "standard_name").value_or("")));
  return name == "latitude" || one_of(units, {"degrees_north", "degree_north", "degrees_n",
                                              "degree_n", "degreesn", "degreen"});
}
bool is_longitude(const NcFile& f, int varid) {
  const std::string units = lower(squeeze(f.text_att(varid, "units").value_or("")));
  const std::string name = lower(squeeze(f.text_att(varid, "standard_name").value_or("")));
  return name == "longitude" || one_of(units, {"degrees_east", "degree_east", "degrees_e",
                                               "degree_e", "degreese", "degreee"});
}

// The coordinate variable of a dimension: a 1-D variable of the same name.
std::optional<int> coordinate_var(const NcFile& f, int dimid) {
  const auto varid = f.var_id(f.dim_name(dimid));
  if (!varid) return std::nullopt;
  const auto dims = f.var_dims(*varid);
  if (dims.size() != 1 || dims[0] != dimid) return std::nullopt;
  return varid;
}

// Everything about one file that the conversion needs before it reads data.
struct FileInfo {
  fs::path path;
  int varid = 0;
  std::vector<int> dims;  // of the variable
  std::vector<std::size_t> lens;
  std::size_t time_pos = 0;  // position of the time dimension
  std::size_t y_pos = 0;     // latitude dimension (rows of a 2-D grid)
  std::size_t x_pos = 0;     // longitude dimension (columns of a 2-D grid)
  bool curvilinear = false;
  std::vector<double> lat;  // ny values (rectilinear) or ny*nx
  std::vector<double> lon;  // nx values (rectilinear) or ny*nx
  std::string units;
  double factor = 1;
  double scale = 1;
  double offset = 0;
  std::vector<double> fill;
  Calendar calendar = Calendar::kGregorian;
  std::int64_t first_day = 0;  // model day of the first step
  std::size_t steps = 0;
  std::string y_name;
  std::string x_name;
};

double default_fill(nc_type type) {
  switch (type) {
    case NC_BYTE:
      return NC_FILL_BYTE;
    case NC_UBYTE:
      return NC_FILL_UBYTE;
    case NC_SHORT:
      return NC_FILL_SHORT;
    case NC_USHORT:
      return NC_FILL_USHORT;
    case NC_INT:
      return NC_FILL_INT;
    case NC_UINT:
      return NC_FILL_UINT;
    case NC_FLOAT:
      return NC_FILL_FLOAT;
    default:
      return NC_FILL_DOUBLE;
  }
}

FileInfo inspect(const NcFile& f, const std::string& var) {
  FileInfo info;
  info.path = f.path();
  const auto varid = f.var_id(var);
  if (!varid) throw f.failure("no variable \"" + var + "\" (choose one with --var)");
  info.varid = *varid;
  info.dims = f.var_dims(info.varid);
  for (int d : info.dims) info.lens.push_back(f.dim_len(d));

  // Time: the dimension whose coordinate variable has units "... since ...".
  std::optional<std::size_t> time_pos;
  std::optional<int> time_var;
  for (std::size_t p = 0; p < info.dims.size() && !time_pos; ++p) {
    const auto cv = coordinate_var(f, info.dims[p]);
    if (!cv) continue;
    const std::string units = lower(f.text_att(*cv, "units").value_or(""));
    if (units.find(" since ") != std::string::npos) {
      time_pos = p;
      time_var = cv;
    }
  }
  if (!time_pos)
    throw f.failure("variable \"" + var +
                    "\" has no time dimension (a coordinate variable with units \"UNIT since "
                    "DATE\")");
  info.time_pos = *time_pos;

  // Rectilinear grid: 1-D latitude and longitude coordinate variables.
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t y_pos = kNone;
  std::size_t x_pos = kNone;
  int lat_var = -1;
  int lon_var = -1;
  for (std::size_t p = 0; p < info.dims.size(); ++p) {
    if (p == info.time_pos) continue;
    const auto cv = coordinate_var(f, info.dims[p]);
    if (!cv) continue;
    if (y_pos == kNone && is_latitude(f, *cv)) {
      y_pos = p;
      lat_var = *cv;
    } else if (x_pos == kNone && is_longitude(f, *cv)) {
      x_pos = p;
      lon_var = *cv;
    }
  }
  if (y_pos == kNone || x_pos == kNone) {
    // Curvilinear grid: 2-D latitude and longitude named in `coordinates`,
    // as in rotated-pole regional output.
    y_pos = kNone;
    x_pos = kNone;
    lat_var = -1;
    lon_var = -1;
    std::istringstream names(f.text_att(info.varid, "coordinates").value_or(""));
    std::string name;
    while (names >> name) {
      const auto cv = f.var_id(name);
      if (!cv || f.var_dims(*cv).size() != 2) continue;
      if (lat_var < 0 && is_latitude(f, *cv))
        lat_var = *cv;
      else if (lon_var < 0 && is_longitude(f, *cv))
        lon_var = *cv;
    }
    if (lat_var < 0 || lon_var < 0)
      throw f.failure("variable \"" + var +
                      "\" has no latitude and longitude: neither 1-D coordinate variables with "
                      "units degrees_north/degrees_east nor 2-D ones named in its coordinates "
                      "attribute");
    const auto lat_dims = f.var_dims(lat_var);
    if (lat_dims != f.var_dims(lon_var))
      throw f.failure("the 2-D latitude and longitude of \"" + var +
                      "\" do not share their dimensions");
    for (std::size_t p = 0; p < info.dims.size(); ++p) {
      if (info.dims[p] == lat_dims[0]) y_pos = p;
      if (info.dims[p] == lat_dims[1]) x_pos = p;
    }
    if (y_pos == kNone || x_pos == kNone || y_pos == info.time_pos || x_pos == info.time_pos ||
        y_pos == x_pos)
      throw f.failure("the 2-D latitude and longitude are not on the dimensions of \"" + var +
                      "\"");
    info.curvilinear = true;
  }
  info.lat = f.read_all(lat_var);
  info.lon = f.read_all(lon_var);
  info.y_pos = y_pos;
  info.x_pos = x_pos;
  info.y_name = f.dim_name(info.dims[info.y_pos]);
  info.x_name = f.dim_name(info.dims[info.x_pos]);
  for (std::size_t p = 0; p < info.dims.size(); ++p) {
    if (p != info.time_pos && p != info.y_pos && p != info.x_pos && info.lens[p] != 1)
      throw f.failure("variable \"" + var + "\" has dimension \"" + f.dim_name(info.dims[p]) +
                      "\" of size " + std::to_string(info.lens[p]) +
                      "; only time, latitude and longitude may be longer than 1");
  }
  if (info.lens[info.y_pos] == 0 || info.lens[info.x_pos] == 0)
    throw f.failure("the grid of \"" + var + "\" is empty");

  // Units and packing.
  const auto units = f.text_att(info.varid, "units");
  if (!units) throw f.failure("variable \"" + var + "\" has no units attribute");
  info.units = squeeze(*units);
  try {
    info.factor = rate_to_mm_per_day(*units);
  } catch (const ConvertFailure& e) {
    throw f.failure(e.what());
  }
  if (const auto s = f.number_att(info.varid, "scale_factor"); !s.empty()) info.scale = s[0];
  if (const auto o = f.number_att(info.varid, "add_offset"); !o.empty()) info.offset = o[0];
  nc_type type = 0;
  f.check(nc_inq_vartype(f.id(), info.varid, &type), "reading the type of " + var);
  if (const auto fv = f.number_att(info.varid, "_FillValue"); !fv.empty())
    info.fill.push_back(fv[0]);
  else
    info.fill.push_back(default_fill(type));
  for (double m : f.number_att(info.varid, "missing_value")) info.fill.push_back(m);

  // Time axis.
  try {
    info.calendar = parse_calendar(f.text_att(*time_var, "calendar").value_or(""));
    const TimeUnits tu =
        parse_time_units(f.text_att(*time_var, "units").value_or(""), info.calendar);
    const std::vector<double> t = f.read_all(*time_var);
    info.steps = t.size();
    if (t.empty()) throw ConvertFailure("the time dimension is empty");
    info.first_day = model_day(tu, t[0]);
    for (std::size_t i = 1; i < t.size(); ++i) {
      const std::int64_t day = model_day(tu, t[i]);
      const std::int64_t want = info.first_day + static_cast<std::int64_t>(i);
      if (day != want)
        throw ConvertFailure("time step " + std::to_string(i + 1) + " falls on " +
                             iso_date(date_of(info.calendar, day)) + ", expected the next day " +
                             iso_date(date_of(info.calendar, want)) +
                             " (time steps must be consecutive model days)");
    }
  } catch (const ConvertFailure& e) {
    throw f.failure(e.what());
  }
  return info;
}

struct Cell {
  std::size_t j = 0;  // index along the latitude (row) dimension
  std::size_t i = 0;  // index along the longitude (column) dimension
  double lat = 0;
  double lon = 0;
  double km = 0;
};

Cell nearest_cell(const FileInfo& g, double lat, double lon) {
  const std::size_t ny = g.lens[g.y_pos];
  const std::size_t nx = g.lens[g.x_pos];
  Cell best;
  best.km = INFINITY;
  for (std::size_t j = 0; j < ny; ++j) {
    for (std::size_t i = 0; i < nx; ++i) {
      const double clat = g.curvilinear ? g.lat[j * nx + i] : g.lat[j];
      const double clon = g.curvilinear ? g.lon[j * nx + i] : g.lon[i];
      const double km = great_circle_km(lat, lon, clat, clon);
      // Strictly nearer only: of equally near cells the first in index
      // order wins, so the choice never depends on rounding noise order.
      if (km < best.km) best = {j, i, clat, clon, km};
    }
  }
  return best;
}

std::string gcm_line(const Date& d, double mm) {
  return int_field(d.day, 2) + " " + kMonths[static_cast<std::size_t>(d.month - 1)] +
         int_field(d.year, 5) + fixed_field(mm, 15, 4);
}

}  // namespace

double rate_to_mm_per_day(std::string_view units) {
  const std::string u = squeeze(units);
  if (one_of(u, {"kg m-2 s-1", "kg m^-2 s^-1", "kg m**-2 s**-1", "kg/m2/s", "kg/m^2/s",
                 "kg m-2.s-1", "kg.m-2.s-1", "mm s-1", "mm/s", "mm s^-1"}))
    return 86400.0;
  if (one_of(u, {"mm/day", "mm d-1", "mm day-1", "mm/d", "mm day^-1"})) return 1.0;
  if (one_of(u, {"m s-1", "m/s", "m s^-1"})) return 86400000.0;
  throw ConvertFailure("units \"" + std::string(units) +
                       "\" are not a rainfall rate (expected kg m-2 s-1, mm s-1, mm/day or m s-1, "
                       "in one of their usual spellings)");
}

double great_circle_km(double lat1, double lon1, double lat2, double lon2) {
  constexpr double rad = std::numbers::pi / 180.0;
  const double dlat = (lat2 - lat1) * rad;
  const double dlon = (lon2 - lon1) * rad;
  const double a =
      std::sin(dlat / 2) * std::sin(dlat / 2) +
      std::cos(lat1 * rad) * std::cos(lat2 * rad) * std::sin(dlon / 2) * std::sin(dlon / 2);
  return 2 * kEarthRadiusKm * std::asin(std::min(1.0, std::sqrt(a)));
}

void convert_netcdf(const NetcdfOptions& options, const std::vector<fs::path>& files,
                    const fs::path& out, std::ostream& log) {
  if (files.empty()) throw ConvertFailure("no NetCDF file given");
  std::vector<FileInfo> infos;
  for (const auto& path : files) {
    const NcFile f(path);
    infos.push_back(inspect(f, options.var));
  }
  std::stable_sort(infos.begin(), infos.end(),
                   [](const FileInfo& a, const FileInfo& b) { return a.first_day < b.first_day; });

  const FileInfo& head = infos.front();
  for (std::size_t k = 1; k < infos.size(); ++k) {
    const FileInfo& prev = infos[k - 1];
    const FileInfo& next = infos[k];
    const auto both = quoted(prev.path) + " and " + quoted(next.path);
    if (next.calendar != head.calendar)
      throw ConvertFailure(both + " use different calendars (" +
                           std::string(calendar_name(prev.calendar)) + ", " +
                           std::string(calendar_name(next.calendar)) + ")");
    if (next.units != head.units)
      throw ConvertFailure(both + " give \"" + options.var + "\" in different units (\"" +
                           prev.units + "\", \"" + next.units + "\")");
    if (next.curvilinear != head.curvilinear || next.lens[next.y_pos] != head.lens[head.y_pos] ||
        next.lens[next.x_pos] != head.lens[head.x_pos] || next.lat != head.lat ||
        next.lon != head.lon)
      throw ConvertFailure(both + " are not on the same grid");
    const std::int64_t prev_end = prev.first_day + static_cast<std::int64_t>(prev.steps);
    const auto date = [&](std::int64_t n) { return iso_date(date_of(head.calendar, n)); };
    if (next.first_day < prev_end)
      throw ConvertFailure(quoted(next.path) + " starts on " + date(next.first_day) + " but " +
                           quoted(prev.path) + " runs to " + date(prev_end - 1) +
                           ": the files overlap by " + std::to_string(prev_end - next.first_day) +
                           " days");
    if (next.first_day > prev_end)
      throw ConvertFailure(quoted(prev.path) + " ends on " + date(prev_end - 1) + " but " +
                           quoted(next.path) + " starts on " + date(next.first_day) +
                           ": a gap of " + std::to_string(next.first_day - prev_end) +
                           " days (from " + date(prev_end) + ")");
  }

  const Cell cell = nearest_cell(head, options.lat, options.lon);
  log << "cell " << head.y_name << "[" << cell.j << "] " << head.x_name << "[" << cell.i
      << "] at lat " << plain(cell.lat, 4) << " lon " << plain(cell.lon, 4) << ", "
      << plain(cell.km, 1) << " km from lat " << plain(options.lat, 4) << " lon "
      << plain(options.lon, 4) << "\n";

  // Only the cell's series: a count of 1 on every dimension but time.
  std::vector<double> series;
  int negatives = 0;
  int missing = 0;
  for (const FileInfo& info : infos) {
    const NcFile f(info.path);
    std::vector<std::size_t> start(info.dims.size(), 0);
    std::vector<std::size_t> count(info.dims.size(), 1);
    start[info.y_pos] = cell.j;
    start[info.x_pos] = cell.i;
    std::vector<double> raw(info.steps);
    // Blocks of time steps: HDF5 keeps bookkeeping for every chunk that one
    // read touches, which for day-sized chunks over a century is far more
    // than the series itself. A block spans whole chunks along time, so each
    // chunk is read and unpacked once and a chunk cache would only cost
    // memory.
    std::size_t block = 1024;
    int format = 0;
    if (nc_inq_format(f.id(), &format) == NC_NOERR &&
        (format == NC_FORMAT_NETCDF4 || format == NC_FORMAT_NETCDF4_CLASSIC)) {
      int storage = 0;
      std::vector<std::size_t> chunks(info.dims.size(), 0);
      if (nc_inq_var_chunking(f.id(), info.varid, &storage, chunks.data()) == NC_NOERR &&
          storage == NC_CHUNKED && chunks[info.time_pos] > 0) {
        const std::size_t along_time = chunks[info.time_pos];
        block = along_time * std::max<std::size_t>(1, block / along_time);
      }
      nc_set_var_chunk_cache(f.id(), info.varid, 0, 0, 1.0f);
    }
    for (std::size_t t0 = 0; t0 < info.steps; t0 += block) {
      start[info.time_pos] = t0;
      count[info.time_pos] = std::min(block, info.steps - t0);
      f.check(nc_get_vara_double(f.id(), info.varid, start.data(), count.data(), raw.data() + t0),
              "reading \"" + options.var + "\"");
    }
    for (std::size_t s = 0; s < raw.size(); ++s) {
      const double r = raw[s];
      double mm = 0;
      if (std::isnan(r) || std::find(info.fill.begin(), info.fill.end(), r) != info.fill.end()) {
        if (options.missing == MissingPolicy::kRefuse)
          throw f.failure(
              "\"" + options.var + "\" is missing (fill value) in the chosen cell on " +
              iso_date(date_of(info.calendar, info.first_day + static_cast<std::int64_t>(s))) +
              " (" + std::string(calendar_name(info.calendar)) +
              " calendar); pass --missing dry to write such days as 0");
        ++missing;
      } else {
        mm = (r * info.scale + info.offset) * info.factor;
        if (mm < 0) {
          ++negatives;
          mm = 0;
        }
        mm += 0.0;  // a stored -0 is written 0.0000, not -0.0000
      }
      series.push_back(mm);
    }
  }

  const RealSeries real = to_real_calendar(head.calendar, date_of(head.calendar, head.first_day),
                                           series, options.leap_day);
  if (real.values.empty())
    throw ConvertFailure(quoted(head.path) + ": no real day is left after the calendar mapping");

  AtomicOutput file(out);
  std::ostream& o = file.stream();
  const std::string header1 = options.var + " in mm/day, cell lat " + plain(cell.lat, 4) + " lon " +
                              plain(cell.lon, 4) + ", model calendar " +
                              std::string(calendar_name(head.calendar));
  std::string header2 = "source: " + head.path.filename().string();
  if (infos.size() > 1) header2 += " and " + std::to_string(infos.size() - 1) + " more";
  // Two header lines that raincorr skips whatever they hold; cut to its
  // 80-column line so that nothing spills over.
  o << trim_right(text_field(header1, kGcmLineWidth)) << '\n'
    << trim_right(text_field(header2, kGcmLineWidth)) << '\n';
  const std::int64_t day0 = day_number(Calendar::kGregorian, real.first);
  for (std::size_t k = 0; k < real.values.size(); ++k)
    o << gcm_line(date_of(Calendar::kGregorian, day0 + static_cast<std::int64_t>(k)),
                  real.values[k])
      << '\n';
  file.commit();

  const Date last =
      date_of(Calendar::kGregorian, day0 + static_cast<std::int64_t>(real.values.size()) - 1);
  log << "days " << iso_date(real.first) << " to " << iso_date(last) << ": " << real.values.size()
      << " written, " << real.inserted.size() << " inserted and " << real.dropped.size()
      << " dropped by the " << calendar_name(head.calendar) << " calendar\n"
      << "zeroed: " << negatives << " negative, " << missing << " missing\n";
}

}  // namespace raincorr::convert
