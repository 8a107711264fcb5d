// Small SVG charts: axes with round tick values, grouped bars, lines,
// points, a legend, and a <title> and <desc> for screen readers.
//
// The module knows nothing of what it plots: it takes numbers, names and
// styles and returns the text of one standalone SVG document (UTF-8, with
// its xmlns, parseable as XML). Pure functions: no files, no console, no
// failure other than std::bad_alloc.
#ifndef RAINCORR_REPORT_SVG_CHART_H_
#define RAINCORR_REPORT_SVG_CHART_H_

#include <string>
#include <string_view>
#include <vector>

namespace raincorr::chart {

// The Okabe-Ito palette, safe for the common forms of colour blindness.
namespace okabe_ito {
inline constexpr std::string_view kBlack = "#000000";
inline constexpr std::string_view kOrange = "#E69F00";
inline constexpr std::string_view kSkyBlue = "#56B4E9";
inline constexpr std::string_view kBluishGreen = "#009E73";
inline constexpr std::string_view kYellow = "#F0E442";
inline constexpr std::string_view kBlue = "#0072B2";
inline constexpr std::string_view kVermillion = "#D55E00";
inline constexpr std::string_view kReddishPurple = "#CC79A7";
}  // namespace okabe_ito

// Round tick values that cover [lo, hi]: multiples of a step of 1, 2 or 5
// times a power of ten, the smallest such step that needs at most
// `max_count` ticks (at least 2). The first tick is at or below lo, the last
// at or above hi; an empty or reversed range [lo, lo] is widened to
// [lo, lo + 1]. `decimals` is the number of decimals that shows the step.
struct Ticks {
  std::vector<double> values;
  double step = 1.0;
  int decimals = 0;
};
Ticks nice_ticks(double lo, double hi, int max_count);

// `v` with `decimals` decimals, no padding, and never "-0".
std::string tick_label(double v, int decimals);

// `text` with &, <, > and " written as character references.
std::string xml_escape(std::string_view text);

enum class Marker { kNone, kCircle, kSquare, kTriangle, kDiamond };

// How one series is drawn; a series is told apart by colour and by its
// marker or its dash pattern (an SVG stroke-dasharray, empty for solid).
struct Style {
  std::string colour;
  Marker marker = Marker::kNone;
  std::string dash;
};

enum class Kind { kBars, kLine, kPoints };

struct Series {
  std::string name;  // shown in the legend
  Kind kind = Kind::kLine;
  Style style;
  // Positions along x: category indexes 0..n-1 on a category axis, values
  // on a numeric axis. Bars need a category axis. A NaN in x or y leaves
  // the point out (and breaks a line there).
  std::vector<double> x;
  std::vector<double> y;
};

struct Axis {
  std::string label;                    // with its unit, e.g. "rain (mm/day)"
  std::vector<std::string> categories;  // non-empty: a category axis
  // Numeric range to cover; the axis is widened to round ticks. With
  // lo > hi the range is taken from the data (and 0 is included).
  double lo = 1.0;
  double hi = 0.0;
  int max_ticks = 6;
};

struct Chart {
  std::string id;           // unique in the page; prefixes the element ids
  std::string title;        // the figure's <title>
  std::string description;  // its <desc>: what the chart shows, in words
  int width = 640;
  int height = 320;
  Axis x;
  Axis y;
  bool same_scale = false;  // numeric x and y get one range (Q-Q plots)
  std::vector<Series> series;
};

// The chart as a standalone SVG document.
std::string render_svg(const Chart& chart);

}  // namespace raincorr::chart

#endif  // RAINCORR_REPORT_SVG_CHART_H_
