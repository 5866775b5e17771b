#include "scalecheck/scale_check.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "acadlink/timings.h"
#include "base/codec.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "base/text.h"
#include "platform/context.h"
#include "plot/plot_options.h"
#include "plot/plot_scale.h"
#include "plot/ploter.h"
#include "scalecheck/scale_form.h"
#include "ui/application.h"

namespace scalecheck {

namespace {

using acadlink::WaitEnd;

// A wait that gave up; the run ends and says why.
struct Halted {
  WaitEnd why;
};

bool has(const std::string& text, const char* part) { return base::contains(text, part); }

std::int64_t limitOf(int seconds) {
  return (seconds > 0 ? seconds : plot::kDefaultAcadWaitLimit) * 1000LL;
}

// Waits for AutoCAD's command prompt; a wait that gives up ends the run.
void awaitPromptOn(acadlink::TfControl& link, const acadlink::WaitBounds& b,
                   const std::function<bool()>& step = {}) {
  const WaitEnd end = link.WaitUntil([&link] { return link.IsCommandPrompt(); }, b, 0, step);
  if (end == WaitEnd::Stopped || end == WaitEnd::AcadGone || end == WaitEnd::TimedOut) throw Halted{end};
}

// "fileopen" and the path, then the missing-shape and missing-font
// questions until the command prompt; false when AutoCAD asked for the
// drawing to open again (it could not open this one), which is cancelled.
bool openDrawing(acadlink::TfControl& link, const std::string& path, int w, const acadlink::WaitBounds& b) {
  link.SendCommand("fileopen\n");
  link.AwaitAnswer(w);
  link.SendCommand(path + "\n");
  bool opened = true;
  awaitPromptOn(link, b, [&] {
    link.AwaitAnswer(w);
    link.AnswerEnterIf("ｼｪｲﾌﾟ");
    link.AnswerEnterIf("シェイプ");
    link.AwaitAnswer(w);
    const std::string line = link.ReadCommandLine();
    if (has(line, "開く図面")) {
      link.SendCommand(acadlink::kEsc);
      opened = false;
      return false;
    }
    if (has(line, "文字ｽﾀｲﾙ") || has(line, "文字スタイル")) link.SendCommand("\n");
    return true;
  });
  if (!opened) awaitPromptOn(link, b);
  return opened;
}

// The three cells of a status sentence, the other two scales empty.
void sentence(ScaleStruct& s, const char* a0, const char* a1, const char* a2, bool ok) {
  s.A0 = a0, s.A1 = a1, s.A2 = a2, s.A3.clear(), s.A4.clear();
  s.ScaleOk = ok;
}

// The words of a run that ended early: where, why.
std::string haltText(const std::string& doing, const std::string& what, int current, int count,
                     const std::string& path, const std::string& reason) {
  std::string where = doing + "の準備中に";
  if (current >= 0)
    where = "図面 " + path + " (" + base::intToStr(current + 1) + "/" + base::intToStr(count) + ") の" + doing +
            "中に";
  return where + reason + "\r\n" + what + "を中止しました。";
}

}  // namespace

std::string& ScaleStruct::A(int k) {
  std::string* cells[] = {&A0, &A1, &A2, &A3, &A4};
  return *cells[k];
}
const std::string& ScaleStruct::A(int k) const { return const_cast<ScaleStruct*>(this)->A(k); }

bool FillScales(ScaleStruct& s, double limitsDiagonal) {
  bool any = false;
  for (int k = 0; k < 5; ++k) {
    const double r = base::round2(limitsDiagonal / plot::kASeriesDiagonals[k]);
    s.A(k) = "1/" + base::fmt(r);
    any = any || plot::IsWholeOrHalf(r);
  }
  return any;
}

// ---------------------------------------------------------------- ScaleCheck

ScaleCheck::ScaleCheck(std::string settingsFilePath)
    : acadlink::AcadMacro(settingsFilePath, "ScaleCheckFleld", {"#SCALECHECK"}),
      SettingsPath(std::move(settingsFilePath)) {
  TempDrawingPath = platform::programFolder() + "tmp.dwg";
  PaperTablePath = platform::programFolder() + "plot.ini";
}

acadlink::WaitBounds ScaleCheck::bounds() const {
  acadlink::WaitBounds b;
  b.limitMs = limitMs_;
  if (Progress && !stopping_) b.stopRequested = [p = Progress] { return p->stopRequested(); };
  return b;
}

void ScaleCheck::awaitPrompt() { awaitPromptOn(*this, bounds()); }

void ScaleCheck::SaveAsTemp(int commandWait) {
  SaveDrawingAs(TempDrawingPath, commandWait);
  awaitPrompt();
}

bool ScaleCheck::OpenDrawing(const std::string& path, int commandWait) {
  return openDrawing(*this, path, commandWait, bounds());
}

ScaleStruct ScaleCheck::MeasureDrawing() {
  ScaleStruct s;
  s.DimScale = GetVariable("DIMSCALE");
  const std::string min = GetVariable("LIMMIN");
  awaitPrompt();
  // A drawing open on a layout answers with its command prompt: its sheets
  // are printed from the layouts, whatever the limits.
  if (has(min, "ｺﾏﾝﾄ") || has(min, "コマンド")) {
    sentence(s, "レイアウ", "トが印刷", "されます", true);
    return s;
  }
  const std::string max = GetVariable("LIMMAX");
  awaitPrompt();
  s.LimMin = min;
  s.LimMax = max;
  const auto lo = plot::ParsePoint(min), hi = plot::ParsePoint(max);
  if (!lo || !hi) {
    // Not two numbers: the texts stay in their cells for the user to see.
    sentence(s, "図面範囲", "を読めま", "せん", false);
  } else if (plot::IsDefaultLimits(*lo, *hi)) {
    sentence(s, "図面範囲", "設定され", "ず", false);
  } else {
    s.ScaleOk = FillScales(s, std::hypot(hi->x - lo->x, hi->y - lo->y));
  }
  return s;
}

void ScaleCheck::RunScaleCheck(const std::vector<std::string>& drawings, int commandWait, bool acadClose,
                               int fileDia, int cmdDia, int proxyNotice) {
  const int W = commandWait;
  const int n = static_cast<int>(drawings.size());
  Scales.assign(drawings.size(), ScaleStruct{});
  limitMs_ = limitOf(AcadWaitLimit);
  stopping_ = false;
  int current = -1;  // the drawing being checked
  int done = 0;      // rows finished
  bool stopped = false;
  WaitEnd halt = WaitEnd::Met;
  std::string error;
  // Nothing is typed when AutoCAD could not even save the open drawing away.
  if (auto refusal = plot::ProgramFolderRefusal(TempDrawingPath)) return ui::showMessage(nullptr, *refusal);
  if (Progress) Progress->begin(n);

  try {
    TypeDialogVariablesOff(W);
    SaveAsTemp(W);
    for (int i = 0; i < n; ++i) {
      if (Progress && Progress->stopRequested()) {
        stopped = true;
        break;
      }
      current = i;
      const std::string& path = drawings[i];
      if (Progress) Progress->at(i, path);
      // A path AutoCAD cannot be given is never typed; its row says why.
      if (base::firstCharWithoutCp932(path)) {
        ScaleStruct& s = Scales[i];
        s.FileName = path;
        sentence(s, "パスに使", "えない文", "字", false);
        done = i + 1;
        continue;
      }
      if (!OpenDrawing(path, W)) {
        ScaleStruct& s = Scales[i];
        s.FileName = path;
        sentence(s, "図面を開", "けません", "", false);
        done = i + 1;
        continue;
      }
      const acadlink::MacroTokens tokens = {{"#SCALECHECK", [&] {
                                               Scales[i] = MeasureDrawing();
                                               Scales[i].FileName = path;
                                               return true;
                                             }}};
      // The macro is typed without pauses between its lines.
      const acadlink::ReplayResult r = ReplayMacroLines(tokens, 0, acadlink::MacroWait::CommandWait, bounds());
      done = i + 1;
      if (r.end == acadlink::MacroEnd::Stopped) {
        stopped = true;
        break;
      }
      SaveAsTemp(W);
    }
  } catch (const Halted& h) {
    if (h.why == WaitEnd::Stopped) stopped = true;
    else halt = h.why;
  } catch (const std::exception& e) {
    // An unexpected error: the settings still go back first.
    halt = WaitEnd::Abandoned;
    error = acadlink::RunErrorText(e);
  }

  // ---- ending: the stop button has been heard; a stuck AutoCAD gets a
  // short wait only.
  stopping_ = true;
  const bool early = stopped || halt != WaitEnd::Met;
  std::int64_t haltLimitMs = limitMs_;  // the limit the message speaks of
  if (halt != WaitEnd::Met) limitMs_ = std::min<std::int64_t>(limitMs_, acadlink::timing::kEndingWaitAfterHaltMs);
  if (halt != WaitEnd::AcadGone) {
    try {
      if (early) {
        SendCommand(acadlink::kEsc);
        awaitPrompt();
      }
      TypeDialogVariablesBack(W, fileDia, cmdDia, proxyNotice);
    } catch (const Halted& h) {
      if (halt == WaitEnd::Met) halt = h.why, haltLimitMs = limitMs_;
    }
  }
  if (Progress) Progress->end();
  if (halt != WaitEnd::Met) {
    const std::string reason = halt == WaitEnd::Abandoned ? "エラーが発生しました。\r\n" + error
                                                          : WaitFailureReason(halt, haltLimitMs);
    const std::string path = current >= 0 ? drawings[current] : std::string();
    ui::messageBox(nullptr, haltText("尺度チェック", "尺度チェック", current, n, path, reason));
  }
  // A run that ended early shows what it measured.
  if (early) Scales.resize(static_cast<size_t>(done));

  TScaleForm form(ScaleFormLinks{this, Setter, SettingsPath, PaperTablePath, commandWait, acadClose, fileDia,
                                 cmdDia, proxyNotice});
  form.FillScaleGrid(Scales, static_cast<int>(Scales.size()));
  form.showModal();
}

// ---------------------------------------------------------------- ScaleSet

// The limits command asks for the two corners; the save keeps the drawing's
// name.
ScaleSet::ScaleSet(std::string settingsFilePath)
    : acadlink::AcadMacro(std::move(settingsFilePath), "ScaleSet", {"limits", "#PUTLIMMIN", "#PUTLIMMAX", "save"}) {}

bool ScaleSet::RunScaleSet(const std::string& fileName, int commandWait, double minX, double minY, double maxX,
                           double maxY, bool acadClose, int fileDia, int cmdDia, int proxyNotice) {
  const int W = commandWait;
  const std::string minAnswer = base::fmt(minX) + "," + base::fmt(minY);
  const std::string maxAnswer = base::fmt(maxX) + "," + base::fmt(maxY);
  acadlink::WaitBounds b;
  b.limitMs = limitOf(AcadWaitLimit);
  // Refused before anything is typed: AutoCAD could not be told the path.
  if (auto bad = base::firstCharWithoutCp932(fileName)) {
    ui::showMessage(nullptr, fileName + "\r\nこの図面のパスには AutoCAD で扱えない文字 " + base::describeChar(*bad) +
                                 " が含まれているため、開くことができません。\r\nこの図面の図面範囲は設定されませんでした。");
    return false;
  }

  WaitEnd halt = WaitEnd::Met;
  bool opened = false;
  std::string error;
  try {
    TypeDialogVariablesOff(W);
    opened = openDrawing(*this, fileName, W, b);
    AwaitAnswer(W);
    if (opened) {
      acadlink::MacroTokens tokens = acadlink::CommonMacroTokens(*this);
      tokens["#PUTLIMMIN"] = [&] { return SendCommand(minAnswer + "\n"), true; };
      tokens["#PUTLIMMAX"] = [&] { return SendCommand(maxAnswer + "\n"), true; };
      tokens["save"] = [&] {
        SendCommand("save\n");
        awaitPromptOn(*this, b, [&] {
          AwaitAnswer(W);
          AnswerEnterIf(".dwg");
          AwaitAnswer(W);
          return true;
        });
        return true;
      };
      ReplayMacroLines(tokens, W, acadlink::MacroWait::CommandWait, b);
    }
  } catch (const Halted& h) {
    halt = h.why;
  } catch (const std::exception& e) {
    halt = WaitEnd::Abandoned;
    error = acadlink::RunErrorText(e);
  }

  std::int64_t haltLimitMs = b.limitMs;  // the limit the message speaks of
  if (halt != WaitEnd::AcadGone) {
    if (halt != WaitEnd::Met) b.limitMs = std::min<std::int64_t>(b.limitMs, acadlink::timing::kEndingWaitAfterHaltMs);
    try {
      if (halt != WaitEnd::Met) {
        SendCommand(acadlink::kEsc);
        awaitPromptOn(*this, b);
      }
      TypeDialogVariablesBack(W, fileDia, cmdDia, proxyNotice);
    } catch (const Halted& h) {
      if (halt == WaitEnd::Met) halt = h.why, haltLimitMs = b.limitMs;
    }
  }
  if (halt != WaitEnd::Met) {
    const std::string reason = halt == WaitEnd::Abandoned ? "エラーが発生しました。\r\n" + error
                                                          : WaitFailureReason(halt, haltLimitMs);
    ui::messageBox(nullptr, "図面 " + fileName + " の図面範囲設定中に" + reason + "\r\n図面範囲の設定を中止しました。");
    return false;
  }
  if (!opened) {
    ui::messageBox(nullptr, base::fileNameAnySep(fileName) +
                                " は、開くことができません。\r\nこの図面の図面範囲は設定されませんでした。");
    return false;
  }
  return true;
}

}  // namespace scalecheck
