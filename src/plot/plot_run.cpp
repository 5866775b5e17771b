// The plot run: drawing by drawing, save the open one away, open the next,
// decide model, current layout or all layouts, replay the button's macro.
#include <algorithm>
#include <exception>
#include <functional>
#include <memory>

#include "acadlink/tf_control.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "base/text.h"
#include "platform/context.h"
#include "plot/ploter.h"
#include "plot/plotteing_form.h"
#include "ui/application.h"

namespace plot {

namespace {

const std::string kCaption = "Kestrel メッセージ";
const std::string kNextSheetMessage = "   次のデータを印刷しますか？      ";
const std::string kDoneMessage = "   印刷が終わりました      ";
const std::string kStoppedMessage = "   印刷を中止しました      ";
const std::string kCannotOpen = " は、開くことができません。\r\nこの図面の印刷はキャンセルされます。";
// Once the run has been halted, the ending gives AutoCAD only this long to
// return to its prompt before it stops typing the settings back.
constexpr std::int64_t kEndingWaitAfterHaltMs = 10000;

bool has(const std::string& text, const char* part) { return base::contains(text, part); }

void pause(int ms) { platform::clock().sleepMs(ms); }

// The file name after the last separator of either kind: drawing paths are
// Windows paths even when the run is tested natively.
std::string fileNameOf(const std::string& path) {
  const auto p = path.find_last_of("\\/");
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string withoutExtension(const std::string& path) {
  const std::string name = fileNameOf(path);
  const auto dot = name.rfind('.');
  if (dot == std::string::npos) return path;
  return path.substr(0, path.size() - (name.size() - dot));
}

bool hasLine(const std::vector<std::string>& macro, const char* token) {
  for (const std::string& l : macro)
    if (l == token) return true;
  return false;
}

// Clears the Ploter's pointer to the run however PlotDrawings leaves.
struct RunScope {
  Ploter& p;
  RunScope(Ploter& ploter, PlotRunState& run) : p(ploter) { p.Run = &run; }
  ~RunScope() { p.Run = nullptr; }
};

}  // namespace

// ---------------------------------------------------------------- waits

namespace {

// AutoCAD's prompt line or its text window has vanished: it crashed or
// was closed by the user.
bool acadGone(Ploter& p) {
  return !platform::desktop().isWindow(p.GetHandles().CommandLine) || !p.IsSameAutoCAD();
}

// One bounded wait: processes the program's messages at each test, so the
// stop button and the helper's answer get through, and ends the run when
// AutoCAD is gone, the limit passes or (while allowed) the user stopped.
class Wait {
 public:
  Wait(Ploter& p, RunHalt onTimeout = RunHalt::TimedOut)
      : p_(p), start_(platform::clock().nowMs()), onTimeout_(onTimeout) {}

  void check(bool gone) {
    ui::processMessages();
    PlotRunState* run = p_.Run;
    if (!run) return;  // outside a run nothing bounds the wait
    if (run->StopEndsWaits && run->Progress && !run->Progress->ContinueFlag) throw RunHalted{RunHalt::Stopped};
    if (gone) throw RunHalted{RunHalt::AcadGone};
    if (platform::clock().nowMs() - start_ >= run->WaitLimitMs) throw RunHalted{onTimeout_};
  }

 private:
  Ploter& p_;
  std::int64_t start_;
  RunHalt onTimeout_;
};

}  // namespace

void Ploter::WaitForPrompt() {
  Wait wait(*this);
  while (!IsCommandPrompt()) wait.check(acadGone(*this));
}

namespace {

// Repeats step until AutoCAD shows its command prompt or step returns
// false, within the bounds of a wait.
void untilPrompt(Ploter& p, const std::function<bool()>& step) {
  Wait wait(p);
  while (!p.IsCommandPrompt()) {
    wait.check(acadGone(p));
    if (!step()) return;
  }
}

// After a save: a question showing a file name keeps its default, until
// AutoCAD is back at its prompt.
void answerSaveQuestions(Ploter& p, int wait) {
  untilPrompt(p, [&] {
    pause(wait);
    p.AnswerEnterIf(".dwg");
    pause(wait);
    return true;
  });
}

}  // namespace

// ---------------------------------------------------------------- helpers of the run

void Ploter::SaveAsTempDrawing(int wait) {
  SendCommand("saveas\n");
  pause(wait);
  SendCommand("\n");  // the file format keeps its default
  pause(wait);
  SendCommand(TempDrawingPath + "\n");
  pause(wait);
  const std::string line = ReadCommandLine();
  if (line == "上書きしますか? <N> " || line == "置き換えますか? <N> ") SendCommand("y\n");
  WaitForPrompt();
}

void Ploter::StartPdfHelper(platform::WindowHandle mainWindow) {
  PdfHelperWindow = acadlink::StartHelperProgram(platform::programFolder() + "TfHeron4",
                                                 base::intToStr(static_cast<long long>(mainWindow)), "TfHeron4");
}

void Ploter::NotifyPdfHelper(const std::string& text) {
  if (PdfHelperWindow == 0) return;
  acadlink::PostHelperMessage(PdfHelperWindow, "TfKestrel", text);
}

// ---------------------------------------------------------------- the run

namespace {

struct RunContext {
  Ploter& p;
  const PlotOptions& o;
  PlotRunState& run;
  std::unique_ptr<TPlotteingForm> form;
  int W;
  int current = -1;  // index of the drawing being printed; -1 before the first
  std::int64_t limitMs = 0;  // the limit the user set, for the messages
  std::string error;         // the text of an unexpected error
};

// The pause between drawings and sheets, owned by the progress window.
void askNext(RunContext& c) { ui::messageBox(c.form.get(), kNextSheetMessage, kCaption); }

// Opens drawing i; false when AutoCAD could not open it (told to the user).
bool openDrawing(RunContext& c, const std::string& path) {
  Ploter& p = c.p;
  p.SendCommand("fileopen\n");
  pause(c.W);
  p.SendCommand(path + "\n");
  bool opened = true;
  untilPrompt(p, [&] {
    pause(c.W);
    p.AnswerEnterIf("ｼｪｲﾌﾟ");  // a missing shape file is skipped
    p.AnswerEnterIf("シェイプ");
    pause(c.W);
    const std::string line = p.ReadCommandLine();
    if (has(line, "開く図面")) {
      ui::messageBox(c.form.get(), fileNameOf(path) + kCannotOpen, kCaption);
      p.SendCommand(acadlink::kEsc);
      opened = false;
      return false;
    }
    if (has(line, "文字ｽﾀｲﾙ") || has(line, "文字スタイル")) {
      if (c.o.FontControl == 1) p.SendCommand("\n");
      else if (c.o.FontControl == 2) p.SendCommand(c.o.ReplaceFont + "\n");
    }
    return true;
  });
  return opened;
}

void plotDrawing(RunContext& c, int i, const std::vector<std::string>& drawings) {
  Ploter& p = c.p;
  const PlotOptions& o = c.o;
  const std::string& path = drawings[i];
  const int n = static_cast<int>(drawings.size());
  c.current = i;
  c.run.DrawingPath = path;
  p.LayoutNames.clear();

  if (i > 0 && o.ModifySave) p.SendCommand("save\n");
  else p.SaveAsTempDrawing(c.W);
  answerSaveQuestions(p, c.W);

  if (openDrawing(c, path)) {
    const std::string decision =
        p.DecideModelScale(o.ModelScalePrint, o.PrintMode, o.ScaleCalc, o.DimMag, fileNameOf(path));
    if (decision != "Cancel") {
      std::vector<std::string> macro;
      if (decision == "CurrentLayout" || decision == "AllLayout") {
        macro = p.LayoutMacro;
        c.run.ScaleAnswer.clear();
        c.run.Mode = decision == "AllLayout" ? PrintModeKind::AllLayouts : PrintModeKind::CurrentLayout;
      } else {
        macro = p.ModelMacro;
        c.run.ScaleAnswer = decision;
        c.run.Mode = PrintModeKind::Model;
      }
      const bool all = c.run.Mode == PrintModeKind::AllLayouts;
      if (all) p.ListLayouts(o.FileSort);
      const int sheets = all ? static_cast<int>(p.LayoutNames.size()) : 1;
      // Without "#FILEPLOT" no plot file is announced, so no answer comes.
      const bool waitForHelper = p.GetPdfPrint() && o.PdfDone && hasLine(macro, "#FILEPLOT");

      bool skipped = false;
      for (int j = 0; j < sheets && !skipped; ++j) {
        c.run.LayoutName = all ? p.LayoutNames[j] : std::string();
        if (all) {
          p.SendCommand("-Layout\n");
          p.SendCommand("S\n");
          p.SendCommand(p.LayoutNames[j] + "\n");
        }
        if (o.Psltscale) p.SetVariable("PSLTSCALE", "1");
        if (p.GetPdfPrint()) c.run.PdfBaseName = withoutExtension(path) + (all ? "_" + p.LayoutNames[j] : "");
        for (const std::string& line : macro) {
          if (!p.ExpandMacroLine(line, c.run)) {
            skipped = true;  // the drawing's device, table or paper is missing: told already
            break;
          }
          if (!c.form->ContinueFlag) throw RunHalted{RunHalt::Stopped};
          pause(c.W);
        }
        if (skipped) break;
        if (waitForHelper) {
          Wait wait(p, RunHalt::HelperSilent);
          while (!*o.PdfDone) {
            pause(10);
            wait.check(acadGone(p));
          }
        }
        if (p.GetPageStop() && j < sheets - 1) askNext(c);
      }
    }
  }

  pause(c.W);
  if (p.GetPageStop() && i < n - 1 && c.form->ContinueFlag) askNext(c);
  c.form->ProgressBar1->setPosition(i + 1);
}

std::string haltMessage(const RunContext& c, RunHalt why, const std::vector<std::string>& drawings) {
  std::string where;
  if (c.current < 0) {
    where = "印刷の準備中に";
  } else {
    where = "図面 " + drawings[c.current] + " (" + base::intToStr(c.current + 1) + "/" +
            base::intToStr(static_cast<long long>(drawings.size())) + ") の印刷中に";
  }
  const std::string seconds = base::intToStr(c.limitMs / 1000);
  std::string reason;
  switch (why) {
    case RunHalt::AcadGone: reason = "AutoCAD が見つからなくなりました。"; break;
    case RunHalt::TimedOut: reason = "AutoCAD が " + seconds + " 秒待ってもコマンド待ちに戻りませんでした。"; break;
    case RunHalt::HelperSilent: reason = "PDF/DWF 変換プログラムから " + seconds + " 秒待っても応答がありませんでした。"; break;
    case RunHalt::Failed: reason = "エラーが発生しました。\r\n" + c.error; break;
    default: break;
  }
  return where + reason + "\r\n印刷を中止しました。";
}

}  // namespace

void Ploter::PlotDrawings(const std::vector<std::string>& drawings, const PlotOptions& o) {
  PlotRunState run;
  run.Options = &o;
  run.WaitLimitMs = (o.AcadWaitLimit > 0 ? o.AcadWaitLimit : kDefaultAcadWaitLimit) * 1000LL;
  RunScope scope(*this, run);
  RunContext c{*this, o, run, nullptr, o.CommandWait, -1, 0, {}};
  c.limitMs = run.WaitLimitMs;
  const int W = c.W;

  ScaleWarningOn = o.ScaleWarning;
  ScaleDecisionForAll = false;
  ScaleDecision = 0;
  FitOffsetZero = o.FitOffset00;
  ComputeDiagonals(o.LayoutBaseSize, o.LayoutAdjust);
  run.Mode = PrintModeKind::Model;

  RunHalt halt = RunHalt::None;
  try {
    pause(500);
    if (GetPdfPrint()) StartPdfHelper(o.MainWindowHandle);
    WaitForPrompt();

    c.form = std::make_unique<TPlotteingForm>(SettingsPath);
    run.Progress = c.form.get();
    c.form->ProgressBar1->setRange(0, static_cast<int>(drawings.size()));
    c.form->ProgressBar1->setPosition(0);
    c.form->show();

    SendCommand("FILEDIA\n"), pause(W), SendCommand("0\n"), pause(W);
    SendCommand("CMDDIA\n"), pause(W), SendCommand("0\n"), pause(W);
    SendCommand("PROXYNOTICE\n"), pause(W), SendCommand("0\n"), pause(W);
    if (o.DynStop) {
      run.SavedDynMode = GetVariable("DYNMODE");
      SetVariable("DYNMODE", "0");
    }

    for (int i = 0; i < static_cast<int>(drawings.size()) && c.form->ContinueFlag; ++i) plotDrawing(c, i, drawings);
  } catch (const RunHalted& h) {
    halt = h.why;
  } catch (const std::exception& e) {
    // AutoCAD's settings are still given back before the error is told.
    halt = RunHalt::Failed;
    c.error = e.what();
  }

  // ---- ending: from here on the stop button has been heard already.
  run.StopEndsWaits = false;
  // After a halt AutoCAD only has to come back from an ESC; if it is stuck,
  // the user is not kept waiting another full limit.
  if (halt != RunHalt::None) run.WaitLimitMs = std::min(run.WaitLimitMs, kEndingWaitAfterHaltMs);
  const bool stopped = halt != RunHalt::None || (c.form && !c.form->ContinueFlag);
  if (halt != RunHalt::AcadGone) {
    try {
      if (halt == RunHalt::None) {
        if (o.ModifySave) {
          SendCommand("save\n");
          answerSaveQuestions(*this, W);
        } else {
          SaveAsTempDrawing(W);
        }
      }
      if (stopped) SendCommand(acadlink::kEsc);
      WaitForPrompt();
      pause(W);
      if (o.DynStop && !run.SavedDynMode.empty()) SetVariable("DYNMODE", run.SavedDynMode);
      pause(W);
      SendCommand("FILEDIA\n"), pause(W), SendCommand(base::intToStr(o.FileDia) + "\n");
      SendCommand("CMDDIA\n"), pause(W), SendCommand(base::intToStr(o.CmdDia) + "\n"), pause(W);
      SendCommand("PROXYNOTICE\n"), SendCommand(base::intToStr(o.Proxynotice) + "\n");
    } catch (const RunHalted& h) {
      // AutoCAD went away or stuck while being set back: say so, type no more.
      if (halt == RunHalt::None || halt == RunHalt::Stopped) {
        halt = h.why;
        c.limitMs = run.WaitLimitMs;
      }
    }
  }

  if (c.form) c.form->close();
  const bool troubled = halt != RunHalt::None && halt != RunHalt::Stopped;
  if (o.AcadClose && !troubled) QuitAutoCAD();
  if (troubled) ui::messageBox(nullptr, haltMessage(c, halt, drawings), kCaption);
  else ui::messageBox(nullptr, stopped ? kStoppedMessage : kDoneMessage, kCaption);
  if (GetPdfPrint()) NotifyPdfHelper("finish");
  c.form.reset();
}

}  // namespace plot
