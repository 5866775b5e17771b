// Layouts and the plot scale: whether a drawing prints from model space or
// its layouts, the model scale from its limits or DIMSCALE, the layout
// rescale, the offsets, and the layout names read back from AutoCAD.
#include "plot/plot_scale.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "acadlink/timings.h"
#include "base/numbers.h"
#include "base/text.h"
#include "platform/context.h"
#include "plot/ploter.h"
#include "plot/scale_dialogs.h"

namespace plot {

namespace {

bool has(const std::string& text, const char* part) { return base::contains(text, part); }

// Drawings printed with the device stored in them keep their own scale and
// offsets.
constexpr const char* kNoDevice = "None";

// Result of a scale question that skips the drawing.
const std::string kCancel = "Cancel";
const std::string kFit = "F";

// ---- counting characters, not bytes: a UTF-8 lead byte is not 10xxxxxx.

bool isLead(unsigned char c) { return (c & 0xC0) != 0x80; }

void dropFirstChars(std::string& s, int n) {
  size_t i = 0;
  for (; n > 0 && i < s.size(); --n) {
    ++i;
    while (i < s.size() && !isLead(static_cast<unsigned char>(s[i]))) ++i;
  }
  s.erase(0, i);
}

void dropLastChar(std::string& s) {
  if (s.empty()) return;
  size_t i = s.size() - 1;
  while (i > 0 && !isLead(static_cast<unsigned char>(s[i]))) --i;
  s.erase(i);
}

// The history split into lines; a line break at the very end starts no
// further line.
std::vector<std::string> historyLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string cur;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(cur);
      cur.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines;
}

// A listed layout line: a 7-character label, the name, blanks, the
// block-name label and the block.
std::string layoutNameOf(std::string line) {
  dropFirstChars(line, 7);
  struct Label {
    const char* label;
    int extra;  // characters of the label left once its ":" is gone
  };
  for (const Label& l : {Label{"ﾌﾞﾛｯｸ名:", 6}, Label{"ブロック名:", 5}}) {
    if (!has(line, l.label)) continue;
    while (has(line, l.label)) dropLastChar(line);
    for (int i = 0; i < l.extra; ++i) dropLastChar(line);
    break;
  }
  return base::trim(line);
}

}  // namespace

// ---------------------------------------------------------------- arithmetic

double PaperSizeDiagonal(const std::string& size) {
  const auto x = size.find('x');
  const std::string a = x == std::string::npos ? size : size.substr(0, x);
  const std::string b = x == std::string::npos ? std::string() : size.substr(x + 1);
  const double da = base::tryParseNumber(a).value_or(0), db = base::tryParseNumber(b).value_or(0);
  return std::sqrt(da * da + db * db);
}

std::optional<Point2> ParsePoint(const std::string& text) {
  const auto comma = text.find(',');
  if (comma == std::string::npos) return std::nullopt;
  const auto x = base::tryParseNumber(std::string_view(text).substr(0, comma));
  const auto y = base::tryParseNumber(std::string_view(text).substr(comma + 1));
  if (!x || !y) return std::nullopt;
  return Point2{*x, *y};
}

bool IsDefaultLimits(const Point2& min, const Point2& max) {
  return min.x == 0 && min.y == 0 && max.x == 12 && max.y == 9;
}

bool IsWholeOrHalf(double v) {
  double whole = 0;
  const double frac = std::modf(v, &whole);
  return frac == 0 || frac == 0.5;
}

double LimitsScale(double limitsDiagonal, double paperDiagonal) {
  return base::round2(limitsDiagonal / paperDiagonal);
}

bool IsPlausibleLimitsScale(double limitsDiagonal, double scale) {
  if (IsWholeOrHalf(scale)) return true;
  for (double dk : kASeriesDiagonals)
    if (IsWholeOrHalf(base::round2(limitsDiagonal / dk))) return true;
  return false;
}

// ---------------------------------------------------------------- the drawing's decision

void Ploter::ComputeDiagonals(const std::string& layoutBaseSize, double layoutAdjust) {
  PaperDiagonal = PaperSizeDiagonal(GetPaperSize());
  LayoutPaperDiagonal = PaperSizeDiagonal(layoutBaseSize) / (layoutAdjust / 100);
}

namespace {

// Shows the run's dialog, or one made for this question when the run has
// none, and returns what the handler reads from it.
template <class Dlg, class F>
auto withDialog(Dlg* given, F&& use) {
  std::unique_ptr<Dlg> own;
  if (!given) {
    own = std::make_unique<Dlg>();
    given = own.get();
  }
  return use(*given);
}

}  // namespace

std::string Ploter::DecideModelScale(bool ModelScalePrint, int PrintMode, int ScaleCalc, double DimMag,
                                     const std::string& fileName) {
  if (PrintMode == 1) return "AllLayout";

  const std::string min = GetVariable("LIMMIN");
  WaitForPrompt();
  // The command prompt came back instead of a value: LIMMIN is not asked on
  // a layout, so the drawing is open on one.
  if (has(min, "ｺﾏﾝﾄ") || has(min, "コマンド")) return "CurrentLayout";
  if (GetPrintDevice() == kNoDevice) return {};
  if (!ModelScalePrint) return kFit;

  // Unattended, the fixed answer stands in for the user's and is noted.
  const bool unattended = Run && Run->Unattended();
  const UnattendedScale fixed = unattended ? Run->Options->ScaleAnswer : UnattendedScale::Fit;
  auto undefinedLimits = [&] {
    if (unattended) {
      // There is no computed scale to print at: fitted unless skipped.
      const bool skip = fixed == UnattendedScale::Skip;
      NoteDrawing(*Run, std::string("図面範囲が未設定: ") + (skip ? "印刷中止" : "自動尺度印刷"));
      return skip ? kCancel : kFit;
    }
    const int result = withDialog(DwgAreaUndefinedDlg, [&](TDwgAreaUndefinedDlg& dlg) {
      dlg.DwgNameLabel->setCaption(fileName);
      dlg.showModal();
      return dlg.Result;
    });
    return result == 1 ? kFit : kCancel;
  };

  std::string answer;
  bool doubtful = false;
  if (ScaleCalc == 1) {
    const auto dimscale = base::tryParseNumber(GetVariable("dimscale"));
    // A scale that cannot be computed is printed fitted.
    if (!dimscale || DimMag == 0) return kFit;
    const double v = base::round2(*dimscale / DimMag);
    if (!std::isfinite(v) || v <= 0) return kFit;
    answer = "1=" + base::fmt(v);
    double whole = 0;
    doubtful = ScaleWarningOn && std::modf(v, &whole) != 0;
  } else {
    const std::string max = GetVariable("LIMMAX");
    WaitForPrompt();
    const auto lo = ParsePoint(min), hi = ParsePoint(max);
    // Limits that cannot be read are no better than none.
    if (!lo || !hi || IsDefaultLimits(*lo, *hi)) return undefinedLimits();
    const double d = std::hypot(hi->x - lo->x, hi->y - lo->y);
    const double s = LimitsScale(d, PaperDiagonal);
    if (!std::isfinite(s) || s <= 0) return undefinedLimits();
    answer = "1=" + base::fmt(s);
    doubtful = ScaleWarningOn && !IsPlausibleLimitsScale(d, s);
  }
  if (!doubtful) return answer;

  if (unattended) {
    const char* taken = fixed == UnattendedScale::AtComputedScale ? "尺度合わせ印刷"
                        : fixed == UnattendedScale::Fit           ? "自動尺度印刷"
                                                                   : "印刷中止";
    NoteDrawing(*Run, "尺度 " + answer + " が不確か: " + taken);
    switch (fixed) {
      case UnattendedScale::AtComputedScale: return answer;
      case UnattendedScale::Fit: return kFit;
      default: return kCancel;
    }
  }
  if (!ScaleDecisionForAll) {
    withDialog(ScaleUnCorrectDlg, [&](TScaleUnCorrectDlg& dlg) {
      dlg.AnotherCheckBox->setChecked(false);
      dlg.DwgNameLabel->setCaption(fileName);
      dlg.ScaleLabel->setCaption(answer);
      dlg.showModal();
      ScaleDecision = dlg.Result;
      ScaleDecisionForAll = dlg.AnotherCheckBox->checked();
      return 0;
    });
  }
  switch (ScaleDecision) {
    case 1: return kFit;
    case 2: return answer;
    default: return kCancel;
  }
}

// ---------------------------------------------------------------- layouts

std::string Ploter::LayoutScaleAnswer(bool LayoutScalePrint) {
  if (!LayoutScalePrint || GetPrintDevice() == kNoDevice) {
    SendCommand("\n");
    return {};
  }
  std::string def = ReadPromptDefault();
  if (has(base::asciiLower(def), "fit") || has(def, "ト")) {
    LayoutScaleFitted = true;
    return "\n";
  }
  LayoutScaleFitted = false;
  if (const auto colon = def.find(':'); colon != std::string::npos) def.erase(0, colon + 1);
  if (const auto eq = def.find('='); eq != std::string::npos) def.erase(0, eq + 1);
  const auto n = base::tryParseNumber(def);
  // A default that is no scale is kept as AutoCAD offers it.
  if (!n) return "\n";
  const double m = base::round2(*n * LayoutPaperDiagonal / PaperDiagonal);
  if (!std::isfinite(m) || m <= 0) return "\n";
  return "1:" + base::fmt(m) + "\n";
}

void Ploter::AnswerOffset(const std::string& scaleAnswer) {
  if (GetPrintDevice() == kNoDevice) SendCommand("\n");
  else if (GetCenterPrint()) SendCommand("C\n");
  else if (scaleAnswer == kFit && FitOffsetZero) SendCommand("0,0\n");
  else SendCommand(GetOffsetX() + "," + GetOffsetY() + "\n");
}

void Ploter::AnswerLayoutOffset(bool scopeIsLayout) {
  // A layout printed as a whole is centred by AutoCAD's own default.
  if (GetPrintDevice() == kNoDevice) SendCommand("\n");
  else if (GetCenterPrint()) SendCommand(scopeIsLayout ? "\n" : "C\n");
  else if (LayoutScaleFitted && FitOffsetZero) SendCommand("0,0\n");
  else SendCommand(GetOffsetX() + "," + GetOffsetY() + "\n");
}

bool Ploter::IsLayoutScopeDefault() {
  const std::string def = ReadPromptDefault();
  return def == "ﾚｲｱｳﾄ" || def == "レイアウト";
}

void Ploter::ListLayouts(int sortOrder) {
  SendCommand("-Layout\n");
  SendCommand("?\n");
  std::vector<std::string> lines;
  {
    const acadlink::ClipboardKeeper keep;
    CopyHistoryToClipboard();
    platform::clock().sleepMs(acadlink::timing::kClipboardMs);
    lines = historyLines(platform::clipboard().getText());
    platform::clock().sleepMs(acadlink::timing::kClipboardMs);
    platform::clipboard().clear();
  }

  // The listing is the block of lines with "名" at the end of the history.
  std::vector<std::string> names;
  for (size_t i = lines.size(); i-- > 1;) {
    if (!has(lines[i], "名")) break;
    names.insert(names.begin(), layoutNameOf(lines[i]));
  }
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return base::compareTextNoCase(a, b) < 0; });
  if (sortOrder == 0) LayoutNames = names;
  else LayoutNames.insert(LayoutNames.end(), names.rbegin(), names.rend());
}

}  // namespace plot
