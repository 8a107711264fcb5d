#include "report/page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/report/report_support.h"

namespace raincorr::report {
namespace {

// Days 30..33 of 1981 (30, 31 January, 1, 2 February), as in the summary
// tests: station 2, 0, 4, 4; raw 1, 1, 0, 2; corrected 2.5, 0, 5 and a
// missing last day.
PageInput fixture_page() {
  PageInput in;
  in.args = {"st<b>.wtd", "gcm&1.txt", "1981", "1982", "30", "33", "0.1", "0"};
  in.year1 = 1981;
  in.year2 = 1982;
  in.doy1 = 30;
  in.doy2 = 33;
  in.thresh = 0.1;
  in.observed = {"st<b>.wtd", 123, std::string(64, 'a')};
  in.gcm = {"gcm&1.txt", 456, std::string(64, 'b')};
  in.version = "9.8.7";
  in.made_at = "2025-12-06 05:46:40 UTC";
  const auto window = window_days(1981, 1982, 30, 33);
  in.aligned =
      align(window, {{{1981, 30}, 2.0}, {{1981, 31}, 0.0}, {{1981, 32}, 4.0}, {{1981, 33}, 4.0}},
            {{{1981, 30}, 1.0}, {{1981, 31}, 1.0}, {{1981, 32}, 0.0}, {{1981, 33}, 2.0}},
            {2.5, 0.0, 5.0});
  in.table = monthly_table(in.aligned, in.thresh);
  in.verdict = verdict(in.table);
  return in;
}

TEST(RenderPage, WellFormedHtmlAndSvgs) {
  const std::string page = render_page(fixture_page());
  EXPECT_EQ(testing::xmllint(page, true), "");
  const auto svgs = testing::embedded_svgs(page);
  ASSERT_EQ(svgs.size(), 14u);  // climatology, wet days, twelve Q-Q panels
  for (const auto& svg : svgs) EXPECT_EQ(testing::xmllint(svg, false), "") << svg;
  // No script and nothing fetched from elsewhere.
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("http:"), std::string::npos);
  EXPECT_EQ(page.find("https:"), std::string::npos);
}

TEST(RenderPage, HeaderVerdictAndStatisticsFromTheFixture) {
  const std::string page = render_page(fixture_page());
  for (const char* want : {
           "<code>raincorr st&lt;b&gt;.wtd gcm&amp;1.txt 1981 1982 30 33 0.1 0</code>",
           "0: gamma-to-gamma quantile mapping; wet days are days above 0.1 mm",
           "123 bytes",
           "456 bytes",
           "raincorr 9.8.7, raincorr-report 9.8.7",
           "2025-12-06 05:46:40 UTC",
           "days 30 to 33 of each year (common-year numbering), years 1981 to 1981: 4 days",
           "Station 4 of 4; GCM raw 4 of 4; GCM corrected 3 of 4",
           // January: mean errors 0 and +25 %, wet-day errors +100 % and 0.
           "<tr><td>Jan</td><td>0.0&#160;%</td><td>+25.0&#160;%</td><td>+100.0&#160;%</td>"
           "<td>0.0&#160;%</td></tr>",
           "<tr><td>Feb</td><td>-75.0&#160;%</td><td>+25.0&#160;%</td><td>-50.0&#160;%</td>"
           "<td>0.0&#160;%</td></tr>",
           // Means over the two months with station days.
           "<td>mean |error|</td><td>37.5&#160;%</td><td>25.0&#160;%</td><td>75.0&#160;%</td>"
           "<td>0.0&#160;%</td>",
           // January station: 2 days, 1 wet, mean 1, SD sqrt(2), the wet day 2 for P95,
           // P99 and max.
           "<td class=\"name\">Station</td><td>2</td><td>1</td><td>1.00</td><td>1.41</td>"
           "<td>2.0</td><td>2.0</td><td>2.0</td>",
           // February corrected: one day of 5 mm; no SD.
           "<td class=\"name\">GCM corrected</td><td>1</td><td>1</td><td>5.00</td><td>&#8211;</td>",
           "Not included: give the run's console log",
       }) {
    EXPECT_NE(page.find(want), std::string::npos) << want;
  }
}

TEST(RenderPage, AuditAsPrinted) {
  PageInput in = fixture_page();
  TruncationAudit audit;
  audit.log_name = "run.log";
  audit.months[0] = {" 703", " 703", "  1.000", "   2", "   2", "   0"};
  audit.months[1] = {"****", "****", "  0.000", "   1", "****", "  12"};
  in.audit = audit;
  const std::string page = render_page(in);
  EXPECT_NE(page.find("<tr><td>Jan</td><td>703</td><td>703</td><td>1.000</td><td>2</td><td>2</td>"
                      "<td>0</td></tr>"),
            std::string::npos);
  EXPECT_NE(page.find("<tr><td>Feb</td><td>****</td><td>****</td><td>0.000</td><td>1</td>"
                      "<td>****</td><td>12</td></tr>"),
            std::string::npos);
  EXPECT_NE(page.find("<tr><td>Mar</td><td>&#8211;</td>"), std::string::npos);
}

TEST(DaysCsv, OneRowPerWindowDayWithEmptyCellsForMissingDays) {
  const PageInput in = fixture_page();
  EXPECT_EQ(days_csv(in.aligned),
            "date,station,gcm_raw,gcm_corrected\n"
            "1981-01-30,2,1,2.5\n"
            "1981-01-31,0,1,0\n"
            "1981-02-01,4,0,5\n"
            "1981-02-02,4,2,\n");
}

TEST(SummaryText, KeyValueLinesInAFixedOrder) {
  const PageInput in = fixture_page();
  EXPECT_EQ(summary_text(in.aligned, in.verdict),
            "window_days=4\nstation_days=4\ngcm_days=4\ndays_corrected=3\n"
            "mean_error_raw=0.375000\nmean_error_corrected=0.250000\n"
            "wet_error_raw=0.750000\nwet_error_corrected=0.000000\n"
            "mean_months=2\nwet_months=2\n");
}

}  // namespace
}  // namespace raincorr::report
