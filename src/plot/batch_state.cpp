#include "plot/batch_state.h"

#include <functional>
#include <vector>

#include "base/numbers.h"
#include "base/text.h"

namespace plot {

namespace {

const std::string kFirstLine = "Kestrel batch 1";
const std::string kLastLine = "end";

// Every setting of a run that a continued batch must print with, by name.
template <class Visit>
void eachOption(PlotOptions& o, Visit&& v) {
  v("PrintScope", o.PrintScope);
  v("PrintMode", o.PrintMode);
  v("ScaleCalc", o.ScaleCalc);
  v("CommandWait", o.CommandWait);
  v("AcadClose", o.AcadClose);
  v("ModelScalePrint", o.ModelScalePrint);
  v("LayoutScalePrint", o.LayoutScalePrint);
  v("LayoutBaseSize", o.LayoutBaseSize);
  v("LayoutAdjust", o.LayoutAdjust);
  v("ModifySave", o.ModifySave);
  v("DimMag", o.DimMag);
  v("FileSort", o.FileSort);
  v("FileDia", o.FileDia);
  v("CmdDia", o.CmdDia);
  v("Proxynotice", o.Proxynotice);
  v("Psltscale", o.Psltscale);
  v("ScaleWarning", o.ScaleWarning);
  v("FitOffset00", o.FitOffset00);
  v("FontControl", o.FontControl);
  v("ReplaceFont", o.ReplaceFont);
  v("DynStop", o.DynStop);
  v("PacedSend", o.PacedSend);
  v("AcadWaitLimit", o.AcadWaitLimit);
  v("Unattended", o.Unattended);
  v("ScaleAnswer", o.ScaleAnswer);
  v("StartWait", o.StartWait);
}

std::string escaped(const std::string& field) {
  std::string out;
  for (char ch : field) {
    switch (ch) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += ch;
    }
  }
  return out;
}

std::optional<std::string> unescaped(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      out += field[i];
      continue;
    }
    if (++i == field.size()) return std::nullopt;
    switch (field[i]) {
      case '\\': out += '\\'; break;
      case 't': out += '\t'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      default: return std::nullopt;
    }
  }
  return out;
}

std::string line(const std::vector<std::string>& fields) {
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) out += (i ? "\t" : "") + escaped(fields[i]);
  return out + "\r\n";
}

std::optional<std::vector<std::string>> splitLine(const std::string& text) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = text.find('\t', start);
    auto f = unescaped(text.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (!f) return std::nullopt;
    fields.push_back(std::move(*f));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

const char* outcomeName(DrawingOutcome o) {
  switch (o) {
    case DrawingOutcome::Printed: return "printed";
    case DrawingOutcome::Skipped: return "skipped";
    case DrawingOutcome::Failed: return "failed";
    default: return "open";
  }
}

std::optional<DrawingOutcome> outcomeNamed(const std::string& name) {
  for (DrawingOutcome o : {DrawingOutcome::NotReached, DrawingOutcome::Printed, DrawingOutcome::Skipped,
                           DrawingOutcome::Failed})
    if (name == outcomeName(o)) return o;
  return std::nullopt;
}

struct OptionWriter {
  std::string& out;
  void operator()(const char* name, int v) const { out += line({"option", name, base::intToStr(v)}); }
  void operator()(const char* name, bool v) const { out += line({"option", name, v ? "1" : "0"}); }
  void operator()(const char* name, double v) const { out += line({"option", name, base::fmt(v)}); }
  void operator()(const char* name, const std::string& v) const { out += line({"option", name, v}); }
  void operator()(const char* name, UnattendedScale v) const { (*this)(name, static_cast<int>(v)); }
};

// Sets the option of that name from text; false when there is none or the
// value does not fit it.
struct OptionReader {
  const std::string& name;
  const std::string& value;
  bool found = false, ok = false;
  void take(const char* n, const std::function<bool()>& set) {
    if (found || name != n) return;
    found = true;
    ok = set();
  }
  void operator()(const char* n, int& v) {
    take(n, [&] {
      auto x = base::tryParseInt(value);
      if (x) v = static_cast<int>(*x);
      return x.has_value();
    });
  }
  void operator()(const char* n, bool& v) {
    take(n, [&] {
      v = value == "1";
      return value == "0" || value == "1";
    });
  }
  void operator()(const char* n, double& v) {
    take(n, [&] {
      auto x = base::tryParseNumber(value);
      if (x) v = *x;
      return x.has_value();
    });
  }
  void operator()(const char* n, std::string& v) {
    take(n, [&] {
      v = value;
      return true;
    });
  }
  void operator()(const char* n, UnattendedScale& v) {
    take(n, [&] {
      auto x = base::tryParseInt(value);
      if (!x || *x < 0 || *x > 2) return false;
      v = static_cast<UnattendedScale>(*x);
      return true;
    });
  }
};

}  // namespace

std::string BatchStateText(const BatchState& state) {
  std::string out = kFirstLine + "\r\n";
  out += line({"button", base::intToStr(state.Button), state.Report.Button});
  out += line({"started", state.Report.Started});
  out += line({"restarts", base::intToStr(state.Report.Restarts)});
  out += line({"current", base::intToStr(state.Current)});
  out += line({"dynmode", state.Report.DynModeFound});
  const acadlink::AutoCADHandles& a = state.Acad;
  auto handle = [](platform::WindowHandle h) { return base::intToStr(static_cast<long long>(h)); };
  out += line({"acad", handle(a.MainWindow), handle(a.CommandLine), handle(a.CommandHistory), handle(a.TextWindow)});
  PlotOptions o = state.Options;
  eachOption(o, OptionWriter{out});
  for (const DrawingRecord& r : state.Report.Drawings)
    out += line({"drawing", outcomeName(r.Outcome), base::intToStr(r.Sheets), r.Path, r.Scale, r.Note});
  return out + kLastLine + "\r\n";
}

std::optional<BatchState> ParseBatchState(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string l = text.substr(pos, end - pos);
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(std::move(l));
    pos = end + 1;
  }
  if (lines.size() < 2 || lines.front() != kFirstLine || lines.back() != kLastLine) return std::nullopt;
  BatchState s;
  bool button = false;
  for (size_t i = 1; i + 1 < lines.size(); ++i) {
    const auto f = splitLine(lines[i]);
    if (!f || f->empty()) return std::nullopt;
    const std::string& kind = (*f)[0];
    auto number = [&](size_t k) { return f->size() > k ? base::tryParseInt((*f)[k]) : std::nullopt; };
    if (kind == "button" && f->size() == 3) {
      const auto n = number(1);
      if (!n || *n < 1 || *n > 4) return std::nullopt;
      s.Button = static_cast<int>(*n);
      s.Report.Button = (*f)[2];
      button = true;
    } else if (kind == "started" && f->size() == 2) {
      s.Report.Started = (*f)[1];
    } else if (kind == "restarts" && f->size() == 2 && number(1) && *number(1) >= 0) {
      s.Report.Restarts = static_cast<int>(*number(1));
    } else if (kind == "current" && f->size() == 2 && number(1)) {
      s.Current = static_cast<int>(*number(1));
    } else if (kind == "dynmode" && f->size() == 2) {
      s.Report.DynModeFound = (*f)[1];
    } else if (kind == "acad" && f->size() == 5) {
      platform::WindowHandle h[4];
      for (size_t k = 0; k < 4; ++k) {
        const auto n = number(k + 1);
        if (!n || *n < 0) return std::nullopt;
        h[k] = static_cast<platform::WindowHandle>(*n);
      }
      s.Acad = {h[0], h[1], h[2], h[3]};
    } else if (kind == "option" && f->size() == 3) {
      OptionReader r{(*f)[1], (*f)[2]};
      eachOption(s.Options, r);
      if (!r.found || !r.ok) return std::nullopt;
    } else if (kind == "drawing" && f->size() == 6) {
      const auto outcome = outcomeNamed((*f)[1]);
      const auto sheets = number(2);
      if (!outcome || !sheets || *sheets < 0 || (*f)[3].empty()) return std::nullopt;
      s.Report.Drawings.push_back(DrawingRecord{(*f)[3], *outcome, static_cast<int>(*sheets), (*f)[4], (*f)[5]});
    } else {
      return std::nullopt;
    }
  }
  if (!button || s.Report.Drawings.empty()) return std::nullopt;
  if (s.Current >= static_cast<int>(s.Report.Drawings.size())) s.Current = -1;
  return s;
}

int DrawingsLeft(const RunReport& report) { return report.Count(DrawingOutcome::NotReached); }

}  // namespace plot
