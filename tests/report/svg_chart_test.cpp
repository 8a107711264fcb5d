#include "report/svg_chart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "tests/report/report_support.h"

namespace raincorr::chart {
namespace {

TEST(NiceTicks, RoundStepsThatCoverTheRange) {
  struct Case {
    double lo, hi;
    int max;
    std::vector<double> want;
    int decimals;
  };
  const Case cases[] = {
      {0, 10, 6, {0, 2, 4, 6, 8, 10}, 0},  // step 1 would need 11 ticks
      {0, 13.3, 6, {0, 5, 10, 15}, 0},     // step 2 would need 8
      {0, 0.37, 5, {0, 0.1, 0.2, 0.3, 0.4}, 1},
      {0, 0, 6, {0, 0.2, 0.4, 0.6, 0.8, 1}, 1},  // an empty range becomes [0, 1]
      {-3, 7, 6, {-5, 0, 5, 10}, 0},             // step 2 would need 7: -4..8
      {1976, 2000, 6, {1975, 1980, 1985, 1990, 1995, 2000}, 0},
      {0, 193.6, 6, {0, 50, 100, 150, 200}, 0},
      {0.05, 0.95, 11, {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1}, 1},
      {2, 4, 3, {2, 3, 4}, 0},  // ends on ticks exactly
      {0, 0.004, 5, {0, 0.001, 0.002, 0.003, 0.004}, 3},
  };
  for (const auto& c : cases) {
    const Ticks t = nice_ticks(c.lo, c.hi, c.max);
    ASSERT_EQ(t.values.size(), c.want.size()) << c.lo << ".." << c.hi << " max " << c.max;
    for (std::size_t i = 0; i < c.want.size(); ++i) {
      EXPECT_NEAR(t.values[i], c.want[i], 1e-12) << c.lo << ".." << c.hi << " tick " << i;
    }
    EXPECT_EQ(t.decimals, c.decimals) << c.lo << ".." << c.hi;
  }
}

TEST(TickLabel, ShowsTheStepAndNeverMinusZero) {
  struct Case {
    double v;
    int decimals;
    const char* want;
  };
  const Case cases[] = {
      {0.30000000000000004, 1, "0.3"},
      {-0.0, 0, "0"},
      {-0.0004, 2, "0.00"},
      {1975, 0, "1975"},
      {-5, 0, "-5"},
      {2.5, 2, "2.50"},
  };
  for (const auto& c : cases) EXPECT_EQ(tick_label(c.v, c.decimals), c.want) << c.v;
}

TEST(XmlEscape, EscapesMarkupCharacters) {
  EXPECT_EQ(xml_escape("a<b & \"c\">"), "a&lt;b &amp; &quot;c&quot;&gt;");
  EXPECT_EQ(xml_escape("1:1 line"), "1:1 line");
}

Chart two_series_chart() {
  Chart c;
  c.id = "test";
  c.title = "Rain <&> snow";
  c.description = "A test chart";
  c.x.categories = {"A", "B", "C"};
  c.x.label = "letter";
  c.y.label = "amount (mm/day)";
  const double nan = std::numeric_limits<double>::quiet_NaN();
  c.series.push_back({"bars",
                      Kind::kBars,
                      {std::string(okabe_ito::kBlue), Marker::kTriangle, ""},
                      {0, 1, 2},
                      {1.0, 9.5, nan}});
  c.series.push_back({"line",
                      Kind::kLine,
                      {std::string(okabe_ito::kVermillion), Marker::kCircle, "7 4"},
                      {0, 1, 2},
                      {2.0, nan, 3.0}});
  return c;
}

std::size_t occurrences(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(RenderSvg, ADocumentWithTitleTicksLegendAndSeries) {
  const std::string svg = render_svg(two_series_chart());
  EXPECT_EQ(testing::xmllint(svg, false), "") << svg;
  EXPECT_NE(svg.find("<title id=\"test-title\">Rain &lt;&amp;&gt; snow</title>"),
            std::string::npos);
  EXPECT_NE(svg.find("<desc id=\"test-desc\">A test chart</desc>"), std::string::npos);
  // The data reach 9.5: ticks 0, 2, ..., 10 on the y axis.
  for (const char* tick : {">0<", ">2<", ">4<", ">6<", ">8<", ">10<"}) {
    EXPECT_NE(svg.find(tick), std::string::npos) << tick;
  }
  EXPECT_EQ(svg.find(">12<"), std::string::npos);
  for (const char* text :
       {">A<", ">B<", ">C<", ">letter<", ">amount (mm/day)<", ">bars<", ">line<"}) {
    EXPECT_NE(svg.find(text), std::string::npos) << text;
  }
  // Two bars (the NaN one left out) and one in the legend; two line
  // markers and one in the legend; the NaN breaks the line into two moves.
  EXPECT_EQ(occurrences(svg, "<rect x=") - 1, 3u);  // less the background
  EXPECT_EQ(occurrences(svg, "<circle"), 3u);
  EXPECT_EQ(occurrences(svg, "stroke-dasharray=\"7 4\""), 2u);  // the line and its legend swatch
  EXPECT_NE(svg.find("d=\"M"), std::string::npos);
  // The bars' group fill, two bar markers, the legend swatch and its marker.
  EXPECT_EQ(occurrences(svg, "#0072B2"), 5u);
}

Chart points_chart() {
  Chart c;
  c.id = "qq-test";
  c.title = "Q-Q test";
  c.same_scale = true;
  c.x.label = "station (mm)";
  c.y.label = "model (mm)";
  c.series.push_back({"points", Kind::kPoints, {"#000000", Marker::kDiamond, ""}, {1, 4}, {2, 38}});
  return c;
}

TEST(RenderSvg, SameScaleGivesBothAxesOneRange) {
  const std::string svg = render_svg(points_chart());
  EXPECT_EQ(testing::xmllint(svg, false), "");
  // 0..38 on both axes: ticks 0, 10, 20, 30, 40 appear twice each.
  for (const char* tick : {">10<", ">20<", ">30<", ">40<"}) {
    EXPECT_EQ(occurrences(svg, tick), 2u) << tick;
  }
}

}  // namespace
}  // namespace raincorr::chart
