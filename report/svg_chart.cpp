#include "report/svg_chart.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "textio/fields.h"

namespace raincorr::chart {
namespace {

constexpr int kFontSize = 11;
// An estimate of the advance of one character of the sans-serif font at
// kFontSize, enough to lay out legend entries without measuring text.
constexpr double kCharWidth = 6.3;
constexpr int kLegendRow = 16;
constexpr int kSwatch = 22;

// Coordinates with one decimal: finer than a pixel, short in the file.
std::string num(double v) { return tick_label(v, 1); }

std::string attr(std::string_view name, double v) {
  std::string out(" ");
  out.append(name).append("=\"").append(num(v)).append("\"");
  return out;
}

struct Range {
  double lo;
  double hi;
};

// The finite values of one coordinate of every series, or [0, 1] when
// there is none; zero is always included so that bars and rates stand on it.
Range data_range(const std::vector<Series>& series, bool use_x) {
  double lo = 0.0;
  double hi = 0.0;
  for (const auto& s : series) {
    for (double v : use_x ? s.x : s.y) {
      if (!std::isfinite(v)) continue;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  }
  return {lo, hi};
}

Range wanted_range(const Axis& axis, const std::vector<Series>& series, bool use_x) {
  if (axis.lo <= axis.hi) return {axis.lo, axis.hi};
  return data_range(series, use_x);
}

class Scale {
 public:
  Scale(double lo, double hi, double from, double to) : lo_(lo), hi_(hi), from_(from), to_(to) {}
  double operator()(double v) const {
    const double span = hi_ - lo_;
    return from_ + (span == 0.0 ? 0.0 : (v - lo_) / span * (to_ - from_));
  }

 private:
  double lo_, hi_, from_, to_;
};

std::string marker_svg(Marker marker, double cx, double cy, std::string_view colour) {
  const std::string fill = " fill=\"" + std::string(colour) + "\"";
  switch (marker) {
    case Marker::kNone:
      return "";
    case Marker::kCircle:
      return "<circle" + attr("cx", cx) + attr("cy", cy) + attr("r", 3.2) + fill + "/>";
    case Marker::kSquare:
      return "<rect" + attr("x", cx - 3) + attr("y", cy - 3) + attr("width", 6) +
             attr("height", 6) + fill + "/>";
    case Marker::kTriangle:
      return "<path d=\"M" + num(cx) + " " + num(cy - 3.8) + "L" + num(cx + 3.6) + " " +
             num(cy + 2.6) + "L" + num(cx - 3.6) + " " + num(cy + 2.6) + "Z\"" + fill + "/>";
    case Marker::kDiamond:
      return "<path d=\"M" + num(cx) + " " + num(cy - 4) + "L" + num(cx + 4) + " " + num(cy) + "L" +
             num(cx) + " " + num(cy + 4) + "L" + num(cx - 4) + " " + num(cy) + "Z\"" + fill + "/>";
  }
  return "";
}

std::string stroke(const Style& style, double width) {
  std::string out = " fill=\"none\" stroke=\"" + style.colour + "\"" + attr("stroke-width", width);
  if (!style.dash.empty()) out += " stroke-dasharray=\"" + style.dash + "\"";
  return out;
}

std::string text_svg(double x, double y, std::string_view anchor, std::string_view text,
                     std::string_view extra = "") {
  return "<text" + attr("x", x) + attr("y", y) + " text-anchor=\"" + std::string(anchor) + "\"" +
         std::string(extra) + ">" + xml_escape(text) + "</text>";
}

// Rows of legend entries that fit in `width`; each entry is an index into
// `series`.
std::vector<std::vector<std::size_t>> legend_rows(const std::vector<Series>& series, double width) {
  std::vector<std::vector<std::size_t>> rows(1);
  double used = 0.0;
  for (std::size_t i = 0; i < series.size(); ++i) {
    const double w = kSwatch + 4 + kCharWidth * static_cast<double>(series[i].name.size()) + 14;
    if (used > 0.0 && used + w > width) {
      rows.emplace_back();
      used = 0.0;
    }
    rows.back().push_back(i);
    used += w;
  }
  return rows;
}

}  // namespace

Ticks nice_ticks(double lo, double hi, int max_count) {
  if (!(hi > lo)) hi = lo + 1.0;
  max_count = std::max(max_count, 2);
  Ticks t;
  // Start one decade below the even spread and walk up 1, 2, 5, 10, ...
  // until the ticks fit; the first step that fits is the finest round one.
  int power = static_cast<int>(std::floor(std::log10((hi - lo) / max_count))) - 1;
  static constexpr int kMantissas[] = {1, 2, 5};
  for (;; ++power) {
    for (int mantissa : kMantissas) {
      // step = mantissa * 10^power, kept as a ratio of integers so that the
      // tick values come out as the nearest doubles to the round numbers.
      const double scale = std::pow(10.0, std::abs(power));
      const double step = power >= 0 ? mantissa * scale : mantissa / scale;
      const double first = std::floor(lo / step * (1 + 1e-12));
      const double last = std::ceil(hi / step * (1 - 1e-12));
      if (last - first + 1 > max_count) continue;
      for (double i = first; i <= last; i += 1.0) {
        t.values.push_back(power >= 0 ? i * mantissa * scale : i * mantissa / scale);
      }
      t.step = step;
      t.decimals = std::max(0, -power);
      return t;
    }
  }
}

std::string tick_label(double v, int decimals) {
  std::string text(trim_right(fixed_field(v, 60, decimals)));
  text.erase(0, text.find_first_not_of(' '));
  if (text.starts_with('-') && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

std::string xml_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string render_svg(const Chart& chart) {
  const double width = chart.width;
  const double height = chart.height;
  const double left = 58;
  const double right = width - 14;
  const double top = 12;
  const auto rows = legend_rows(chart.series, right - left);
  const double bottom = height - 40 - kLegendRow * static_cast<double>(rows.size());

  const bool categories = !chart.x.categories.empty();
  Range xr = categories ? Range{0, 0} : wanted_range(chart.x, chart.series, true);
  Range yr = wanted_range(chart.y, chart.series, false);
  if (chart.same_scale && !categories) {
    xr = yr = {std::min(xr.lo, yr.lo), std::max(xr.hi, yr.hi)};
  }
  const Ticks yt = nice_ticks(yr.lo, yr.hi, chart.y.max_ticks);
  const Ticks xt = categories ? Ticks{} : nice_ticks(xr.lo, xr.hi, chart.x.max_ticks);
  const Scale ys(yt.values.front(), yt.values.back(), bottom, top);
  const std::size_t slots = std::max<std::size_t>(chart.x.categories.size(), 1);
  const double slot = (right - left) / static_cast<double>(slots);
  const Scale xs = categories ? Scale(-0.5, static_cast<double>(slots) - 0.5, left, right)
                              : Scale(xt.values.front(), xt.values.back(), left, right);

  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\"" + attr("width", width) +
                    attr("height", height) + " viewBox=\"0 0 " + num(width) + " " + num(height) +
                    "\" role=\"img\" aria-labelledby=\"" + chart.id + "-title " + chart.id +
                    "-desc\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"" +
                    std::to_string(kFontSize) + "\">\n";
  svg += "<title id=\"" + chart.id + "-title\">" + xml_escape(chart.title) + "</title>\n";
  svg += "<desc id=\"" + chart.id + "-desc\">" + xml_escape(chart.description) + "</desc>\n";
  svg += "<rect x=\"0\" y=\"0\"" + attr("width", width) + attr("height", height) +
         " fill=\"#ffffff\"/>\n";

  // Grid and y ticks.
  svg += "<g stroke=\"#d9d9d9\" stroke-width=\"1\">";
  for (double v : yt.values) {
    svg += "<line" + attr("x1", left) + attr("x2", right) + attr("y1", ys(v)) + attr("y2", ys(v)) +
           "/>";
  }
  if (!categories) {
    for (double v : xt.values) {
      svg += "<line" + attr("x1", xs(v)) + attr("x2", xs(v)) + attr("y1", top) +
             attr("y2", bottom) + "/>";
    }
  }
  svg += "</g>\n<g fill=\"#000000\">";
  for (double v : yt.values)
    svg += text_svg(left - 5, ys(v) + 4, "end", tick_label(v, yt.decimals));
  if (categories) {
    for (std::size_t i = 0; i < chart.x.categories.size(); ++i) {
      svg += text_svg(xs(static_cast<double>(i)), bottom + 15, "middle", chart.x.categories[i]);
    }
  } else {
    for (double v : xt.values)
      svg += text_svg(xs(v), bottom + 15, "middle", tick_label(v, xt.decimals));
  }
  svg += text_svg((left + right) / 2, bottom + 31, "middle", chart.x.label);
  const double mid_y = (top + bottom) / 2;
  svg += text_svg(14, mid_y, "middle", chart.y.label,
                  " transform=\"rotate(-90 14 " + num(mid_y) + ")\"");
  svg += "</g>\n";
  svg += "<path d=\"M" + num(left) + " " + num(top) + "V" + num(bottom) + "H" + num(right) +
         "\" fill=\"none\" stroke=\"#000000\" stroke-width=\"1\"/>\n";

  // Series: bars first, so that lines and points stay visible over them.
  std::size_t bar_series = 0;
  for (const auto& s : chart.series) bar_series += s.kind == Kind::kBars ? 1 : 0;
  const double bar_width = slot * 0.8 / static_cast<double>(std::max<std::size_t>(bar_series, 1));
  const double base = ys(std::clamp(0.0, yt.values.front(), yt.values.back()));
  std::size_t bar_index = 0;
  for (const auto& s : chart.series) {
    if (s.kind != Kind::kBars) continue;
    svg += "<g fill=\"" + s.style.colour + "\">";
    std::string markers;
    for (std::size_t i = 0; i < s.x.size() && i < s.y.size(); ++i) {
      if (!std::isfinite(s.x[i]) || !std::isfinite(s.y[i])) continue;
      const double cx =
          xs(s.x[i]) - slot * 0.4 + (static_cast<double>(bar_index) + 0.5) * bar_width;
      const double y = ys(s.y[i]);
      svg += "<rect" + attr("x", cx - bar_width / 2) + attr("y", std::min(y, base)) +
             attr("width", bar_width * 0.92) + attr("height", std::abs(base - y)) + "/>";
      markers += marker_svg(s.style.marker, cx, std::min(y, base) - 5, s.style.colour);
    }
    svg += "</g>\n" + markers + "\n";
    ++bar_index;
  }
  for (const auto& s : chart.series) {
    if (s.kind == Kind::kBars) continue;
    std::string path;
    std::string markers;
    bool pen_down = false;
    for (std::size_t i = 0; i < s.x.size() && i < s.y.size(); ++i) {
      if (!std::isfinite(s.x[i]) || !std::isfinite(s.y[i])) {
        pen_down = false;
        continue;
      }
      const double px = xs(s.x[i]);
      const double py = ys(s.y[i]);
      path.append(pen_down ? "L" : "M").append(num(px)).append(" ").append(num(py));
      pen_down = true;
      markers += marker_svg(s.style.marker, px, py, s.style.colour);
    }
    if (s.kind == Kind::kLine && !path.empty()) {
      svg += "<path d=\"" + path + "\"" + stroke(s.style, 1.8) + "/>\n";
    }
    if (!markers.empty()) svg += "<g fill-opacity=\"0.85\">" + markers + "</g>\n";
  }

  // Legend, below the x-axis label.
  double ly = bottom + 50;
  for (const auto& row : rows) {
    double lx = left;
    for (std::size_t i : row) {
      const auto& s = chart.series[i];
      if (s.kind == Kind::kBars) {
        svg += "<rect" + attr("x", lx) + attr("y", ly - 9) + attr("width", kSwatch) +
               attr("height", 10) + " fill=\"" + s.style.colour + "\"/>";
      } else if (s.kind == Kind::kLine) {
        svg += "<path d=\"M" + num(lx) + " " + num(ly - 4) + "H" + num(lx + kSwatch) + "\"" +
               stroke(s.style, 1.8) + "/>";
      }
      svg += marker_svg(s.style.marker, lx + kSwatch / 2.0,
                        s.kind == Kind::kBars ? ly - 13 : ly - 4, s.style.colour);
      svg += text_svg(lx + kSwatch + 4, ly, "start", s.name);
      lx += kSwatch + 4 + kCharWidth * static_cast<double>(s.name.size()) + 14;
    }
    svg += "\n";
    ly += kLegendRow;
  }
  svg += "</svg>\n";
  return svg;
}

}  // namespace raincorr::chart
