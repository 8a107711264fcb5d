#include "report/page.h"

#include <openssl/evp.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "report/svg_chart.h"
#include "textio/fields.h"

namespace raincorr::report {
namespace {

namespace oi = chart::okabe_ito;
using chart::xml_escape;

constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kMonthNames[12] = {"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};
constexpr const char* kSeriesNames[kSeriesCount] = {"Station", "GCM raw", "GCM corrected"};
// Q-Q levels 5 % to 99 % in steps of 1 %: 95 points per series, 190 a panel.
constexpr int kFirstLevel = 5;
constexpr int kLastLevel = 99;

// Each series keeps its colour, marker and dash in every chart: black
// circles and solid lines for the station, vermillion triangles and long
// dashes for the raw GCM, blue squares and short dashes for the corrected.
chart::Style style(int s) {
  switch (s) {
    case kStation:
      return {std::string(oi::kBlack), chart::Marker::kCircle, ""};
    case kRaw:
      return {std::string(oi::kVermillion), chart::Marker::kTriangle, "7 4"};
    default:
      return {std::string(oi::kBlue), chart::Marker::kSquare, "2 3"};
  }
}

std::string fmt(double v, int decimals) {
  return std::isnan(v) ? "&#8211;" : chart::tick_label(v, decimals);
}

std::string percent(double fraction) {
  if (std::isnan(fraction)) return "&#8211;";
  const std::string text = chart::tick_label(100.0 * fraction, 1);
  return (text.starts_with('-') || text == "0.0" ? text : "+" + text) + "&#160;%";
}

std::string abs_percent(double fraction) {
  return std::isnan(fraction) ? "&#8211;" : chart::tick_label(100.0 * fraction, 1) + "&#160;%";
}

std::string count(std::size_t n) { return std::to_string(n); }

std::string base64(const std::string& data) {
  std::string out(4 * ((data.size() + 2) / 3) + 1, '\0');
  const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                reinterpret_cast<const unsigned char*>(data.data()),
                                static_cast<int>(data.size()));
  out.resize(static_cast<std::size_t>(n));
  return out;
}

// A chart as an image: the SVG document travels inside the page, so the
// page needs no other file, and HTML parsers that know no SVG elements
// still see well-formed HTML.
std::string figure(const chart::Chart& c, std::string_view css_class,
                   std::string_view caption = "") {
  std::string shown;
  if (!caption.empty()) shown = "<p class=\"caption\">" + xml_escape(caption) + "</p>";
  return "<div class=\"" + std::string(css_class) + "\">" + shown +
         "<img src=\"data:image/svg+xml;base64," + base64(chart::render_svg(c)) + "\" width=\"" +
         std::to_string(c.width) + "\" height=\"" + std::to_string(c.height) + "\" alt=\"" +
         xml_escape(c.title + ". " + c.description) + "\"></div>\n";
}

std::vector<double> month_positions() {
  std::vector<double> x(12);
  for (int m = 0; m < 12; ++m) x[m] = m;
  return x;
}

std::vector<std::string> month_labels() { return {std::begin(kMonths), std::end(kMonths)}; }

std::string climatology_chart(const MonthTable& t) {
  chart::Chart c;
  c.id = "climatology";
  c.title = "Monthly climatology: mean daily rainfall";
  c.description =
      "Bars per calendar month for the station, the raw GCM and the corrected GCM; "
      "the closer the corrected bar to the station bar, the better the correction.";
  c.width = 680;
  c.height = 300;
  c.x.categories = month_labels();
  c.x.label = "calendar month";
  c.y.label = "mean rainfall (mm/day)";
  for (int s = 0; s < kSeriesCount; ++s) {
    chart::Series series{kSeriesNames[s], chart::Kind::kBars, style(s), month_positions(), {}};
    for (int m = 0; m < 12; ++m) series.y.push_back(t[m][s].mean);
    c.series.push_back(series);
  }
  return figure(c, "figure");
}

std::string wet_chart(const MonthTable& t, double thresh) {
  chart::Chart c;
  c.id = "wetdays";
  c.title = "Wet-day frequency";
  c.description = "Share of the days above " + chart::tick_label(thresh, 2) +
                  " mm per calendar month, for the station, the raw GCM and the corrected GCM.";
  c.width = 680;
  c.height = 280;
  c.x.categories = month_labels();
  c.x.label = "calendar month";
  c.y.label = "wet days (% of days)";
  for (int s = 0; s < kSeriesCount; ++s) {
    chart::Series series{kSeriesNames[s], chart::Kind::kLine, style(s), month_positions(), {}};
    for (int m = 0; m < 12; ++m) series.y.push_back(100.0 * t[m][s].wet_frequency);
    c.series.push_back(series);
  }
  return figure(c, "figure");
}

std::string qq_panel(const MonthTable& t, int m) {
  chart::Chart c;
  c.id = std::string("qq-") + kMonths[m];
  c.title = std::string("Q-Q ") + kMonths[m];
  c.description = std::string("Wet-day quantiles 5 % to 99 % of ") + kMonths[m] +
                  ": corrected and raw GCM against the station, with the 1:1 line.";
  c.width = 226;
  c.height = 250;
  c.same_scale = true;
  c.x.label = "station (mm/day)";
  c.y.label = "GCM (mm/day)";
  c.x.max_ticks = c.y.max_ticks = 5;
  const auto& station = t[m][kStation].wet_sorted;
  double top = 0.0;
  for (int s : {kCorrected, kRaw}) {
    chart::Series series{s == kRaw ? "raw" : "corrected", chart::Kind::kPoints, style(s), {}, {}};
    const auto& gcm = t[m][s].wet_sorted;
    if (!station.empty() && !gcm.empty()) {
      for (int level = kFirstLevel; level <= kLastLevel; ++level) {
        const double p = level / 100.0;
        series.x.push_back(quantile(station, p));
        series.y.push_back(quantile(gcm, p));
        top = std::max({top, series.x.back(), series.y.back()});
      }
    }
    c.series.push_back(series);
  }
  chart::Style one_to_one{"#777777", chart::Marker::kNone, "3 3"};
  c.series.push_back({"1:1", chart::Kind::kLine, one_to_one, {0.0, top}, {0.0, top}});
  return figure(c, "panel", kMonthNames[m]);
}

std::string header(const PageInput& in) {
  std::string args;
  for (const auto& a : in.args) args += " " + a;
  const std::size_t n = in.aligned.days.size();
  std::string h = "<h1>raincorr report: " + xml_escape(in.gcm.name) + " against " +
                  xml_escape(in.observed.name) + "</h1>\n<table class=\"header\">\n";
  const auto row = [&](const std::string& key, const std::string& value) {
    h += "<tr><th>" + key + "</th><td>" + value + "</td></tr>\n";
  };
  row("Run", "<code>raincorr" + xml_escape(args) + "</code>");
  row("Method", std::to_string(in.emp_gamma) + ": " + method_name(in.emp_gamma) +
                    "; wet days are days above " +
                    xml_escape(in.args.size() > 6 ? in.args[6] : "") + " mm");
  for (const auto* f : {&in.observed, &in.gcm}) {
    row(f == &in.observed ? "Station file" : "GCM file",
        "<code>" + xml_escape(f->name) + "</code>, " + std::to_string(f->size) +
            " bytes, SHA-256 <code class=\"hash\">" + f->sha256 + "</code>");
  }
  std::string window;
  if (in.doy1 <= in.doy2) {
    window = "days " + std::to_string(in.doy1) + " to " + std::to_string(in.doy2) + " of each year";
  } else {
    window = "day " + std::to_string(in.doy1) + " to day " + std::to_string(in.doy2) +
             " of the next year";
  }
  window += " (common-year numbering), years " + std::to_string(in.year1) + " to " +
            std::to_string(in.year2 - 1) + ": " + count(n) + " days";
  row("Window", window);
  std::string held;
  for (int s = 0; s < kSeriesCount; ++s) {
    held += std::string(s ? "; " : "") + kSeriesNames[s] + " " + count(in.aligned.present[s]) +
            " of " + count(n);
  }
  if (in.aligned.outside[kStation] > 0) {
    held +=
        "; " + count(in.aligned.outside[kStation]) + " station days outside the window left out";
  }
  row("Days held", held);
  row("Versions", "raincorr " + in.version + ", raincorr-report " + in.version);
  row("Made", xml_escape(in.made_at));
  return h + "</table>\n";
}

std::string verdict_words(const char* what, double raw, double corrected, int months,
                          const std::array<double, 12>& per_raw,
                          const std::array<double, 12>& per_corrected) {
  if (months == 0) {
    return std::string("<p>") + what + ": no month where the station's value is not zero.</p>\n";
  }
  int better = 0;
  for (int m = 0; m < 12; ++m) {
    if (!std::isnan(per_raw[m]) && !std::isnan(per_corrected[m]) &&
        std::abs(per_corrected[m]) < std::abs(per_raw[m])) {
      ++better;
    }
  }
  const char* outcome = corrected < raw    ? "closer to the station"
                        : corrected == raw ? "as far from the station as before"
                                           : "further from the station";
  return std::string("<p><b>") + what + "</b>: the corrected GCM is " + outcome + ". Mean over " +
         std::to_string(months) + " months of the absolute relative error: " + abs_percent(raw) +
         " raw, " + abs_percent(corrected) + " corrected; closer in " + std::to_string(better) +
         " of " + std::to_string(months) + " months.</p>\n";
}

std::string verdict_section(const Verdict& v) {
  std::string h = "<h2>Verdict</h2>\n";
  h += verdict_words("Monthly mean", v.mean_raw_avg, v.mean_corrected_avg, v.mean_months,
                     v.mean_raw, v.mean_corrected);
  h += verdict_words("Wet-day frequency", v.wet_raw_avg, v.wet_corrected_avg, v.wet_months,
                     v.wet_raw, v.wet_corrected);
  h +=
      "<table class=\"numbers\">\n<tr><th rowspan=\"2\">Month</th><th colspan=\"2\">Relative error "
      "of the mean</th><th colspan=\"2\">Relative error of the wet-day frequency</th></tr>\n"
      "<tr><th>raw</th><th>corrected</th><th>raw</th><th>corrected</th></tr>\n";
  for (int m = 0; m < 12; ++m) {
    h += std::string("<tr><td>") + kMonths[m] + "</td><td>" + percent(v.mean_raw[m]) + "</td><td>" +
         percent(v.mean_corrected[m]) + "</td><td>" + percent(v.wet_raw[m]) + "</td><td>" +
         percent(v.wet_corrected[m]) + "</td></tr>\n";
  }
  h += "<tr class=\"total\"><td>mean |error|</td><td>" + abs_percent(v.mean_raw_avg) + "</td><td>" +
       abs_percent(v.mean_corrected_avg) + "</td><td>" + abs_percent(v.wet_raw_avg) + "</td><td>" +
       abs_percent(v.wet_corrected_avg) + "</td></tr>\n</table>\n";
  h +=
      "<p class=\"note\">Relative error: (GCM &#8722; station) / station, per calendar month, from "
      "the days each series holds; a month where the station's value is zero has none.</p>\n";
  return h;
}

std::string heavy_section(const MonthTable& t) {
  std::string h =
      "<h2>Heavy days</h2>\n<table class=\"numbers\">\n<tr><th rowspan=\"2\">Month</th>"
      "<th colspan=\"3\">Station (mm/day)</th><th colspan=\"3\">GCM raw (mm/day)</th>"
      "<th colspan=\"3\">GCM corrected (mm/day)</th></tr>\n<tr>";
  for (int s = 0; s < kSeriesCount; ++s) h += "<th>P95</th><th>P99</th><th>max</th>";
  h += "</tr>\n";
  for (int m = 0; m < 12; ++m) {
    h += std::string("<tr><td>") + kMonths[m] + "</td>";
    for (int s = 0; s < kSeriesCount; ++s) {
      h += "<td>" + fmt(t[m][s].p95, 1) + "</td><td>" + fmt(t[m][s].p99, 1) + "</td><td>" +
           fmt(t[m][s].max, 1) + "</td>";
    }
    h += "</tr>\n";
  }
  h += "</table>\n<p class=\"note\">P95 and P99: 95th and 99th percentiles of the wet days "
       "(linear interpolation between order statistics); max: the largest day.</p>\n";
  return h;
}

std::string statistics_section(const MonthTable& t, const RunFits& f) {
  std::string h =
      "<h2>Statistics</h2>\n<table class=\"numbers stats\">\n<tr><th>Month</th><th>Series</th>"
      "<th>Days</th><th>Wet days</th><th>Mean<br>(mm/day)</th><th>SD<br>(mm/day)</th>"
      "<th>P95 wet<br>(mm/day)</th><th>P99 wet<br>(mm/day)</th><th>Max<br>(mm/day)</th>"
      "<th>Gamma shape</th><th>Gamma scale<br>(mm)</th></tr>\n";
  for (int m = 0; m < 12; ++m) {
    for (int s = 0; s < kSeriesCount; ++s) {
      const auto& x = t[m][s];
      h += "<tr" + std::string(s == 0 ? " class=\"first\"" : "") + ">";
      if (s == 0) h += std::string("<td rowspan=\"3\">") + kMonths[m] + "</td>";
      h += std::string("<td class=\"name\">") + kSeriesNames[s] + "</td><td>" + count(x.days) +
           "</td><td>" + count(x.wet) + "</td><td>" + fmt(x.mean, 2) + "</td><td>" + fmt(x.sd, 2) +
           "</td><td>" + fmt(x.p95, 1) + "</td><td>" + fmt(x.p99, 1) + "</td><td>" + fmt(x.max, 1) +
           "</td>";
      if (s == kCorrected) {
        h += "<td>&#8211;</td><td>&#8211;</td>";
      } else {
        const MonthStats& fit = s == kStation ? f.obs : f.gcm;
        h += "<td>" + fmt(fit.alpha[m], 3) + "</td><td>" + fmt(fit.beta[m], 3) + "</td>";
      }
      h += "</tr>\n";
    }
  }
  h += "</table>\n<p class=\"note\">Mean and SD over all days held; gamma shape and scale: the "
       "method-of-moments fits of the run's wet values above each month's cut, computed again "
       "with the tool's own monthly stages.</p>\n";
  return h;
}

std::string audit_section(const std::optional<TruncationAudit>& audit) {
  std::string h = "<h2>Truncation audit</h2>\n";
  if (!audit) {
    return h +
           "<p>Not included: give the run's console log with <code>--log RUN.LOG</code> "
           "(saved with <code>raincorr &#8230; | tee RUN.LOG</code>).</p>\n";
  }
  h += "<p>As the run printed them in <code>" + xml_escape(audit->log_name) +
       "</code>.</p>\n<table class=\"numbers\">\n<tr><th>Month</th><th>Station dry days<br>"
       "(observed cut)</th><th>GCM cut<br>position</th><th>Value at<br>the cut (mm)</th>"
       "<th>Ties<br>case</th><th>countfill</th><th>data2alloc</th></tr>\n";
  const auto cell = [](const std::string& v) {
    std::string text(trim_right(v));
    text.erase(0, text.find_first_not_of(' '));
    return "<td>" + (text.empty() ? std::string("&#8211;") : xml_escape(text)) + "</td>";
  };
  for (int m = 0; m < 12; ++m) {
    const auto& r = audit->months[m];
    h += std::string("<tr><td>") + kMonths[m] + "</td>" + cell(r.obs_posit) + cell(r.posit) +
         cell(r.no_ppt) + cell(r.case_) + cell(r.countfill) + cell(r.data2alloc) + "</tr>\n";
  }
  h += "</table>\n<p class=\"note\">Case 0: no tie at the cut; 1: the cut falls in a run of "
       "zeros, refilled with 0.1 mm; 2: in a run of equal wet values. countfill: values after the "
       "cut equal to it; data2alloc: ties kept wet per year's occurrence of the month.</p>\n";
  return h;
}

constexpr std::string_view kStyle = R"(<style>
@page { size: A4; margin: 12mm; }
body { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 10pt; color: #000; max-width: 186mm; margin: 0 auto; padding: 4mm; }
h1 { font-size: 15pt; margin: 0 0 3mm 0; }
h2 { font-size: 12pt; margin: 6mm 0 2mm 0; border-bottom: 1px solid #999; page-break-after: avoid; }
table { border-collapse: collapse; page-break-inside: auto; }
tr { page-break-inside: avoid; }
th, td { padding: 1px 5px; }
table.header th { text-align: left; vertical-align: top; white-space: nowrap; }
table.header td { word-break: break-all; }
table.numbers { font-size: 8.5pt; }
table.numbers th { background: #eee; border: 1px solid #ccc; }
table.numbers td { text-align: right; border: 1px solid #ddd; font-variant-numeric: tabular-nums; }
table.numbers td.name { text-align: left; white-space: nowrap; }
table.stats tr.first td { border-top: 1px solid #888; }
tr.total td { font-weight: bold; }
code.hash { font-size: 8pt; }
p.note { font-size: 8.5pt; color: #333; }
div.figure, div.panel { page-break-inside: avoid; }
div.figure img { max-width: 100%; height: auto; }
div.panels { font-size: 0; }
div.panel { display: inline-block; width: 33%; }
div.panel img { width: 100%; height: auto; }
p.caption { font-size: 9pt; font-weight: bold; text-align: center; margin: 2mm 0 0 0; }
</style>
)";

}  // namespace

std::string method_name(int emp_gamma) {
  switch (emp_gamma) {
    case 0:
      return "gamma-to-gamma quantile mapping";
    case 1:
      return "empirical-to-gamma quantile mapping";
    case 2:
      return "multiplicative adjustment";
    default:
      return "none";
  }
}

std::string render_page(const PageInput& in) {
  std::string h =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>raincorr "
      "report: " +
      xml_escape(in.gcm.name) + " against " + xml_escape(in.observed.name) + "</title>\n" +
      std::string(kStyle) + "</head>\n<body>\n";
  h += header(in);
  h += verdict_section(in.verdict);
  h += "<h2>Monthly climatology</h2>\n" + climatology_chart(in.table);
  h += "<h2>Wet-day frequency</h2>\n" + wet_chart(in.table, in.thresh);
  h += "<h2>Quantile&#8211;quantile panels</h2>\n<p class=\"note\">Wet-day quantiles 5 % to 99 % "
       "of each calendar month, GCM against station; points on the dashed 1:1 line match the "
       "station.</p>\n<div class=\"panels\">\n";
  for (int m = 0; m < 12; ++m) h += qq_panel(in.table, m);
  h += "</div>\n";
  h += heavy_section(in.table);
  h += statistics_section(in.table, in.fits);
  h += audit_section(in.audit);
  return h + "</body>\n</html>\n";
}

std::string days_csv(const AlignedDays& aligned) {
  std::string out = "date,station,gcm_raw,gcm_corrected\n";
  char buf[64];
  for (std::size_t i = 0; i < aligned.days.size(); ++i) {
    out += iso_date(aligned.days[i]);
    for (int s = 0; s < kSeriesCount; ++s) {
      out += ',';
      const double v = aligned.values[s][i];
      if (std::isnan(v)) continue;
      const auto r = std::to_chars(buf, buf + sizeof buf, v);
      out.append(buf, r.ptr);
    }
    out += '\n';
  }
  return out;
}

std::string summary_text(const AlignedDays& aligned, const Verdict& v) {
  const auto fraction = [](double x) {
    return std::isnan(x) ? std::string("nan") : chart::tick_label(x, 6);
  };
  return "window_days=" + count(aligned.days.size()) +
         "\nstation_days=" + count(aligned.present[kStation]) +
         "\ngcm_days=" + count(aligned.present[kRaw]) +
         "\ndays_corrected=" + count(aligned.present[kCorrected]) +
         "\nmean_error_raw=" + fraction(v.mean_raw_avg) +
         "\nmean_error_corrected=" + fraction(v.mean_corrected_avg) +
         "\nwet_error_raw=" + fraction(v.wet_raw_avg) +
         "\nwet_error_corrected=" + fraction(v.wet_corrected_avg) +
         "\nmean_months=" + std::to_string(v.mean_months) +
         "\nwet_months=" + std::to_string(v.wet_months) + "\n";
}

}  // namespace raincorr::report
