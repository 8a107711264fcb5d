#include "workflow/summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "report/svg_chart.h"
#include "textio/freeform.h"
#include "textio/linefile.h"
#include "textio/run_stop.h"

namespace raincorr::batch {
namespace fs = std::filesystem;

namespace {

std::string csv_cell(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string q = "\"";
  for (const char c : text) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

// The index page escapes its texts as the report's pages do.
std::string html_text(const std::string& text) { return chart::xml_escape(text); }

// The size of the worse of the two corrected errors; a pair whose report
// gave no figure ranks below every figure.
double badness(const PairStatus& s) {
  double worst = -1.0;
  for (const auto* text : {&s.mean_error_corrected, &s.wet_error_corrected})
    if (const auto v = parse_real(*text); v && std::isfinite(*v))
      worst = std::max(worst, std::fabs(*v));
  return worst;
}

std::string failed_log(const std::string& step) {
  if (step.rfind("convert", 0) == 0) return "convert.log";
  if (step == "report") return "report.log";
  if (step == "raincorr") return "run.log";
  return "";
}

void write_atomically(const fs::path& path, const std::string& content) {
  const fs::path temp = path.string() + ".tmp";
  write_text_file(temp.string(), content);
  fs::rename(temp, path);
}

}  // namespace

std::vector<PairStatus> collect_statuses(const std::vector<Pair>& pairs, const fs::path& results) {
  std::vector<PairStatus> out;
  for (const auto& p : pairs) {
    auto s = read_status(results / p.id / "status");
    if (!s) {
      s = PairStatus{};
      s->step = "";
      s->exit_status = -1;
      s->message = "the pair left no status; it did not run to its end";
    }
    s->id = p.id;
    out.push_back(*s);
  }
  return out;
}

std::string summary_csv(const std::vector<PairStatus>& statuses) {
  std::string t =
      "id,status,exit_status,message,days,mean_error_raw,mean_error_corrected,wet_error_raw,"
      "wet_error_corrected,report\n";
  for (const auto& s : statuses) {
    const std::string cells[] = {s.id,
                                 s.ok ? "ok" : "failed",
                                 std::to_string(s.exit_status),
                                 s.message,
                                 s.days < 0 ? "" : std::to_string(s.days),
                                 s.mean_error_raw,
                                 s.mean_error_corrected,
                                 s.wet_error_raw,
                                 s.wet_error_corrected,
                                 s.report};
    for (std::size_t i = 0; i < std::size(cells); ++i) {
      if (i > 0) t += ',';
      t += csv_cell(cells[i]);
    }
    t += '\n';
  }
  return t;
}

std::string index_html(const std::vector<PairStatus>& statuses) {
  std::vector<const PairStatus*> order;
  order.reserve(statuses.size());
  for (const auto& s : statuses) order.push_back(&s);
  std::stable_sort(order.begin(), order.end(), [](const PairStatus* a, const PairStatus* b) {
    if (a->ok != b->ok) return !a->ok;
    return !a->ok ? false : badness(*a) > badness(*b);
  });
  std::size_t failed = 0;
  for (const auto& s : statuses) failed += s.ok ? 0 : 1;

  std::string h;
  h += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  h += "<title>raincorr batch: " + std::to_string(statuses.size()) + " pairs</title>\n";
  h += "<style>\n"
       "body{font-family:sans-serif;margin:1.5em;color:#222}\n"
       "table{border-collapse:collapse;font-size:0.9em}\n"
       "th,td{border:1px solid #bbb;padding:0.25em 0.5em;text-align:left}\n"
       "td.n{text-align:right;font-variant-numeric:tabular-nums}\n"
       "tr.failed td{background:#fbe3d6}\n"
       "th{background:#eee}\n"
       "</style>\n</head>\n<body>\n";
  h += "<h1>raincorr batch</h1>\n<p>" + std::to_string(statuses.size()) +
       " pairs: " + std::to_string(statuses.size() - failed) + " done, " + std::to_string(failed) +
       " failed. Failures first, then the worst corrected verdict. Relative errors are the mean "
       "over the months, of the series against the station.</p>\n";
  h += "<table>\n<thead><tr><th>id</th><th>status</th><th>exit status</th><th>message</th>"
       "<th>days</th><th>mean error, raw</th><th>mean error, corrected</th>"
       "<th>wet-day error, raw</th><th>wet-day error, corrected</th></tr></thead>\n<tbody>\n";
  for (const PairStatus* s : order) {
    std::string link = s->ok ? s->report : "";
    if (!s->ok && !failed_log(s->step).empty()) link = s->id + "/" + failed_log(s->step);
    const std::string id = link.empty()
                               ? html_text(s->id)
                               : "<a href=\"" + html_text(link) + "\">" + html_text(s->id) + "</a>";
    h += std::string("<tr") + (s->ok ? "" : " class=\"failed\"") + "><td>" + id + "</td><td>" +
         (s->ok ? "ok" : "failed") + "</td><td class=\"n\">" + std::to_string(s->exit_status) +
         "</td><td>" + html_text(s->message) + "</td><td class=\"n\">" +
         (s->days < 0 ? "" : std::to_string(s->days)) + "</td><td class=\"n\">" +
         html_text(s->mean_error_raw) + "</td><td class=\"n\">" +
         html_text(s->mean_error_corrected) + "</td><td class=\"n\">" +
         html_text(s->wet_error_raw) + "</td><td class=\"n\">" + html_text(s->wet_error_corrected) +
         "</td></tr>\n";
  }
  h += "</tbody>\n</table>\n</body>\n</html>\n";
  return h;
}

void write_summary(const std::vector<PairStatus>& statuses, const fs::path& results) {
  fs::create_directories(results);
  write_atomically(results / "summary.csv", summary_csv(statuses));
  write_atomically(results / "index.html", index_html(statuses));
}

}  // namespace raincorr::batch
