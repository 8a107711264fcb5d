// raincorr-convert: turns climate-model NetCDF output and station records
// (GHCN-Daily, CSV) into the two text layouts that raincorr reads.
//
// main only parses the command line (CLI11 subcommands) and hands over to
// the convert library; it turns a refusal into a message and a status:
// 0 done, 1 bad command line, 2 bad or missing input.
#include <CLI/CLI.hpp>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "convert/calendar.h"
#include "convert/csv.h"
#include "convert/ghcn.h"
#include "convert/netcdf.h"
#include "convert/station.h"

#ifndef RAINCORR_VERSION
#error "RAINCORR_VERSION must give the project version"
#endif

namespace {

namespace cv = raincorr::convert;

struct YearOptions {
  std::optional<int> from;
  std::optional<int> to;
  std::string missing = "refuse";
};

void add_year_options(CLI::App& app, YearOptions& y) {
  app.add_option("--from", y.from, "First whole year written (default: first year of the data)")
      ->check(CLI::Range(1, 9999));
  app.add_option("--to", y.to, "Last whole year written (default: last year of the data)")
      ->check(CLI::Range(1, 9999));
  app.add_option("--missing", y.missing,
                 "Missing days stop the run (refuse) or are written 0.0 (dry)")
      ->check(CLI::IsMember({"refuse", "dry"}))
      ->capture_default_str();
}

cv::MissingPolicy policy(const std::string& s) {
  return s == "dry" ? cv::MissingPolicy::kDry : cv::MissingPolicy::kRefuse;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Converts climate-model NetCDF output and station records into the GCM and "
      "weather files that raincorr reads.",
      "raincorr-convert"};
  app.set_version_flag("--version", "raincorr-convert " RAINCORR_VERSION);
  app.require_subcommand(1);

  cv::NetcdfOptions nc;
  std::string leap_day = "dry";
  std::string nc_missing = "refuse";
  std::string nc_out;
  std::vector<std::string> nc_files;
  CLI::App* netcdf = app.add_subcommand(
      "netcdf", "Daily rainfall of the grid cell nearest to a point, as a GCM file");
  netcdf->add_option("--lat", nc.lat, "Latitude of the point, degrees north")
      ->required()
      ->check(CLI::Range(-90.0, 90.0));
  netcdf->add_option("--lon", nc.lon, "Longitude of the point, degrees east (-180..360)")
      ->required()
      ->check(CLI::Range(-180.0, 360.0));
  netcdf->add_option("--var", nc.var, "Variable to read")->capture_default_str();
  netcdf
      ->add_option("--leap-day", leap_day,
                   "29 February inserted into a 365-day calendar: 0 (dry) or 28 February (copy)")
      ->check(CLI::IsMember({"dry", "copy"}))
      ->capture_default_str();
  netcdf
      ->add_option("--missing", nc_missing,
                   "A fill value in the cell stops the run (refuse) or is written 0 (dry)")
      ->check(CLI::IsMember({"refuse", "dry"}))
      ->capture_default_str();
  netcdf->add_option("-o,--output", nc_out, "GCM file to write")->required();
  netcdf->add_option("files", nc_files, "NetCDF files, in any order")->required();

  YearOptions ghcn_years;
  std::string ghcn_out;
  std::string ghcn_file;
  CLI::App* ghcn = app.add_subcommand("ghcn", "A GHCN-Daily station file as a weather file");
  add_year_options(*ghcn, ghcn_years);
  ghcn->add_option("-o,--output", ghcn_out, "Weather file to write")->required();
  ghcn->add_option("file", ghcn_file, "GHCN-Daily .dly file")->required();

  YearOptions csv_years;
  cv::CsvOptions csv_opts;
  std::string csv_out;
  std::string csv_file;
  CLI::App* csv = app.add_subcommand("csv", "Station rainfall in a CSV file as a weather file");
  csv->add_option("--date-column", csv_opts.date_column, "Header of the YYYY-MM-DD column")
      ->required();
  csv->add_option("--rain-column", csv_opts.rain_column, "Header of the rainfall column (mm)")
      ->required();
  csv->add_option("--delimiter", csv_opts.delimiter, "Field delimiter, one character")
      ->capture_default_str();
  csv->add_option("--na", csv_opts.na, "Cell text that marks a missing day (repeatable)")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  add_year_options(*csv, csv_years);
  csv->add_option("-o,--output", csv_out, "Weather file to write")->required();
  csv->add_option("file", csv_file, "CSV file")->required();

  try {
    app.parse(argc, argv);
    for (const YearOptions* y : {&ghcn_years, &csv_years})
      if (y->from && y->to && *y->from > *y->to)
        throw CLI::ValidationError("--from " + std::to_string(*y->from) + " is after --to " +
                                   std::to_string(*y->to));
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : 1;
  }

  try {
    if (netcdf->parsed()) {
      nc.leap_day = leap_day == "copy" ? cv::LeapDay::kCopy : cv::LeapDay::kDry;
      nc.missing = policy(nc_missing);
      const std::vector<std::filesystem::path> files(nc_files.begin(), nc_files.end());
      cv::convert_netcdf(nc, files, nc_out, std::cerr);
    } else if (ghcn->parsed()) {
      const cv::StationRecord r = cv::read_ghcn(ghcn_file, ghcn_years.from, ghcn_years.to);
      cv::write_weather(r, policy(ghcn_years.missing), ghcn_file, ghcn_out, std::cerr);
    } else {
      csv_opts.from = csv_years.from;
      csv_opts.to = csv_years.to;
      const cv::StationRecord r = cv::read_csv(csv_file, csv_opts);
      cv::write_weather(r, policy(csv_years.missing), csv_file, csv_out, std::cerr);
    }
  } catch (const std::exception& e) {
    std::cerr << "raincorr-convert: " << e.what() << '\n';
    return 2;
  }
  return 0;
}
