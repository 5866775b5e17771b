#include "plot/run_report.h"

#include "base/paths.h"
#include "base/text.h"

namespace plot {

int RunReport::Count(DrawingOutcome o) const {
  int n = 0;
  for (const DrawingRecord& r : Drawings) n += r.Outcome == o;
  return n;
}

std::vector<std::string> RunReport::FailedPaths() const {
  std::vector<std::string> out;
  for (const DrawingRecord& r : Drawings)
    if (r.Outcome != DrawingOutcome::Printed) out.push_back(r.Path);
  return out;
}

std::string OutcomeText(DrawingOutcome o) {
  switch (o) {
    case DrawingOutcome::Printed: return "印刷済";
    case DrawingOutcome::Skipped: return "印刷せず";
    case DrawingOutcome::Failed: return "失敗";
    default: return "未処理";
  }
}

std::string OneLine(const std::string& message) {
  std::string out;
  for (size_t i = 0; i < message.size(); ++i) {
    if (message[i] == '\r' && i + 1 < message.size() && message[i + 1] == '\n') {
      out += ' ';
      ++i;
    } else if (message[i] == '\r' || message[i] == '\n') {
      out += ' ';
    } else {
      out += message[i];
    }
  }
  return out;
}

std::vector<std::string> ReportHeaders() { return {"図面", "結果", "枚数", "尺度", "備考", "フォルダ"}; }

std::vector<std::string> ReportRow(const DrawingRecord& r) {
  return {base::fileNameAnySep(r.Path), OutcomeText(r.Outcome),
          r.Outcome == DrawingOutcome::Printed ? base::intToStr(r.Sheets) : std::string(), r.Scale, r.Note,
          base::folderAnySep(r.Path)};
}

namespace {

// A field is quoted when it holds a separator, a quote or a line break.
std::string csvField(const std::string& f) {
  if (f.find_first_of(",\"\r\n") == std::string::npos) return f;
  std::string out = "\"";
  for (char ch : f) {
    if (ch == '"') out += '"';
    out += ch;
  }
  return out + "\"";
}

std::string csvLine(const std::vector<std::string>& fields) {
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) out += (i ? "," : "") + csvField(fields[i]);
  return out + "\r\n";
}

}  // namespace

std::string ReportCsv(const RunReport& report) {
  std::string out;
  out += csvLine({"開始", report.Started});
  out += csvLine({"終了", report.Ended});
  out += csvLine({"印刷済", base::intToStr(report.Count(DrawingOutcome::Printed)), "印刷せず",
                  base::intToStr(report.Count(DrawingOutcome::Skipped)), "失敗",
                  base::intToStr(report.Count(DrawingOutcome::Failed)), "未処理",
                  base::intToStr(report.Count(DrawingOutcome::NotReached)), "AutoCAD再起動",
                  base::intToStr(report.Restarts)});
  if (!report.EndNote.empty()) out += csvLine({"中止", report.EndNote});
  out += csvLine(ReportHeaders());
  for (const DrawingRecord& r : report.Drawings) out += csvLine(ReportRow(r));
  return out;
}

}  // namespace plot
