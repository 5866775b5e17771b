// The plot run: drawing by drawing, save the open one away, open the next,
// decide model, current layout or all layouts, replay the button's macro.
#include <algorithm>
#include <exception>
#include <functional>
#include <memory>

#include "acadlink/tf_control.h"
#include "acadlink/timings.h"
#include "base/codec.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "base/text.h"
#include "platform/context.h"
#include "plot/ploter.h"
#include "plot/plotteing_form.h"
#include "plot/run_report.h"
#include "ui/application.h"

namespace plot {

namespace {

const std::string kNextSheetMessage = "   次のデータを印刷しますか？      ";
const std::string kDoneMessage = "   印刷が終わりました      ";
const std::string kStoppedMessage = "   印刷を中止しました      ";
const std::string kCannotOpen = " は、開くことができません。\r\nこの図面の印刷はキャンセルされます。";
const std::string kCannotBeGiven = "\r\nこの図面のパスには AutoCAD で扱えない文字 ";
const std::string kCannotBeGivenEnd = " が含まれているため、開くことができません。\r\nこの図面の印刷はキャンセルされます。";

bool has(const std::string& text, const char* part) { return base::contains(text, part); }

void pause(int ms) { platform::clock().sleepMs(ms); }

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

acadlink::WaitBounds RunWaitBounds(const PlotRunState* run) {
  acadlink::WaitBounds b;
  if (!run) return b;  // outside a run only AutoCAD vanishing ends a wait
  b.limitMs = run->WaitLimitMs;
  b.stopRequested = [run] { return run->StopEndsWaits && run->Progress && !run->Progress->ContinueFlag; };
  return b;
}

void Ploter::AwaitOrHalt(const std::function<bool()>& condition, int pollMs, const std::function<bool()>& step,
                         RunHalt onTimeout) {
  switch (WaitUntil(condition, RunWaitBounds(Run), pollMs, step)) {
    case acadlink::WaitEnd::Stopped: throw RunHalted{RunHalt::Stopped};
    case acadlink::WaitEnd::AcadGone: throw RunHalted{GoneHalt()};
    case acadlink::WaitEnd::TimedOut: throw RunHalted{onTimeout};
    default: return;
  }
}

RunHalt Ploter::GoneHalt() {
  return WaitFailureReason(acadlink::WaitEnd::AcadGone, 0) == acadlink::kInputRefusedText ? RunHalt::Refused
                                                                                           : RunHalt::AcadGone;
}

void TellDrawingProblem(PlotRunState& run, const std::string& message) {
  if (run.Unattended()) NoteDrawing(run, OneLine(message));
  else ui::messageBox(run.Progress, message);
}

void NoteDrawing(PlotRunState& run, const std::string& note) {
  if (!run.Record) return;
  if (!run.Record->Note.empty()) run.Record->Note += " / ";
  run.Record->Note += note;
}

void Ploter::WaitForPrompt() {
  AwaitOrHalt([this] { return IsCommandPrompt(); });
}

namespace {

// Repeats step until AutoCAD shows its command prompt or step returns
// false, within the bounds of a wait.
void untilPrompt(Ploter& p, const std::function<bool()>& step) {
  p.AwaitOrHalt([&p] { return p.IsCommandPrompt(); }, 0, step);
}

// After a save: a question showing a file name keeps its default, until
// AutoCAD is back at its prompt.
void answerSaveQuestions(Ploter& p, int wait) {
  untilPrompt(p, [&] {
    p.AwaitAnswer(wait);
    p.AnswerEnterIf(".dwg");
    p.AwaitAnswer(wait);
    return true;
  });
}

}  // namespace

// ---------------------------------------------------------------- helpers of the run

std::optional<std::string> ProgramFolderRefusal(const std::string& tempDrawingPath) {
  const std::optional<std::string> bad = base::firstCharWithoutCp932(tempDrawingPath);
  if (!bad) return std::nullopt;
  return "Kestrel のフォルダ\r\n" + base::folderAnySep(tempDrawingPath) +
         "\r\nのパスには AutoCAD で扱えない文字 " + base::describeChar(*bad) +
         " が含まれているため、AutoCAD に作業用の図面 tmp.dwg を保存させることができません。\r\n"
         "Kestrel を、パスに AutoCAD で扱える文字だけを含むフォルダに移してから使ってください。";
}

void Ploter::SaveAsTempDrawing(int wait) {
  SaveDrawingAs(TempDrawingPath, wait);
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
  TPlotteingForm* form = nullptr;  // null until the run shows it
  std::unique_ptr<TPlotteingForm> ownForm;
  int W;
  int current = -1;  // index of the drawing being printed; -1 before the first
  std::int64_t limitMs = 0;  // the limit the user set, for the messages
  std::string error;         // the text of an unexpected error
  RunReport* report = nullptr;
  int restarts = 0;          // of this run; the report's count may go on from an earlier one
};

void tellProgress(RunContext& c, int current) {
  if (c.o.OnProgress) c.o.OnProgress(*c.report, current);
}

// The pause between drawings and sheets, owned by the progress window.
// Nobody is there to answer it in an unattended run.
void askNext(RunContext& c) {
  if (!c.o.Unattended) ui::messageBox(c.form, kNextSheetMessage);
}

DrawingRecord& record(RunContext& c) { return c.report->Drawings[static_cast<size_t>(c.current)]; }

void skipped(RunContext& c) {
  if (record(c).Outcome == DrawingOutcome::NotReached) record(c).Outcome = DrawingOutcome::Skipped;
}

// How a printed drawing was scaled, from its decision.
std::string scaleText(const std::string& decision) {
  if (decision == "AllLayout" || decision == "CurrentLayout") return "レイアウトの設定";
  if (decision == "F") return "用紙に合わせる";
  if (decision.empty()) return "図面の設定";
  return decision;
}

// Opens drawing i; false when AutoCAD could not open it (told to the user).
bool openDrawing(RunContext& c, const std::string& path) {
  Ploter& p = c.p;
  p.SendCommand("fileopen\n");
  p.AwaitAnswer(c.W);
  p.SendCommand(path + "\n");
  bool opened = true;
  untilPrompt(p, [&] {
    p.AwaitAnswer(c.W);
    p.AnswerEnterIf("ｼｪｲﾌﾟ");  // a missing shape file is skipped
    p.AnswerEnterIf("シェイプ");
    p.AwaitAnswer(c.W);
    const std::string line = p.ReadCommandLine();
    if (has(line, "開く図面")) {
      TellDrawingProblem(c.run, base::fileNameAnySep(path) + kCannotOpen);
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
  c.run.Record = &record(c);
  p.LayoutNames.clear();
  tellProgress(c, i);

  if (i > 0 && o.ModifySave) p.SendCommand("save\n");
  else p.SaveAsTempDrawing(c.W);
  answerSaveQuestions(p, c.W);

  // A path AutoCAD cannot be given: skipped like a drawing AutoCAD cannot
  // open, before it is typed. The drop refuses such paths, but a kept copy
  // of an archive's drawing lies in a folder the user chose.
  const std::optional<std::string> bad = base::firstCharWithoutCp932(path);
  if (bad) TellDrawingProblem(c.run, path + kCannotBeGiven + base::describeChar(*bad) + kCannotBeGivenEnd);

  if (bad || !openDrawing(c, path)) {
    skipped(c);
  } else {
    const std::string decision =
        p.DecideModelScale(o.ModelScalePrint, o.PrintMode, o.ScaleCalc, o.DimMag, base::fileNameAnySep(path));
    if (decision == "Cancel") {
      if (!c.o.Unattended) NoteDrawing(c.run, "尺度の確認で印刷中止");
      skipped(c);
    } else {
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

      const acadlink::MacroTokens tokens = p.PlotTokens(c.run);
      bool skipped = false;
      for (int j = 0; j < sheets && !skipped; ++j) {
        c.run.LayoutName = all ? p.LayoutNames[j] : std::string();
        if (all) {
          p.SendCommand("-Layout\n");
          p.SendCommand("S\n");
          p.SendCommand(p.LayoutNames[j] + "\n");
        }
        if (o.Psltscale) p.SetVariable("PSLTSCALE", "1");
        if (p.GetPdfPrint()) c.run.PdfBaseName = base::withoutExtensionAnySep(path) + (all ? "_" + p.LayoutNames[j] : "");
        acadlink::WaitBounds bounds;
        bounds.stopRequested = [&c] { return !c.form->ContinueFlag; };
        const acadlink::ReplayResult replay = acadlink::ReplayMacro(p, macro, tokens, c.W, acadlink::MacroWait::CommandWait, bounds);
        if (replay.end == acadlink::MacroEnd::Stopped) throw RunHalted{RunHalt::Stopped};
        if (replay.end == acadlink::MacroEnd::AcadGone) throw RunHalted{p.GoneHalt()};
        // The drawing's device, table or paper is missing: told already.
        if (replay.end == acadlink::MacroEnd::TokenEnded) skipped = true;
        if (skipped) break;
        if (waitForHelper)
          p.AwaitOrHalt([&o] { return *o.PdfDone; }, acadlink::timing::kHelperAnswerPollMs, {},
                        RunHalt::HelperSilent);
        if (p.GetPageStop() && j < sheets - 1) askNext(c);
      }
      if (skipped || sheets == 0) {
        if (sheets == 0) NoteDrawing(c.run, "印刷するレイアウトがありません");
        record(c).Outcome = DrawingOutcome::Skipped;
      } else {
        record(c).Outcome = DrawingOutcome::Printed;
        record(c).Sheets = sheets;
        record(c).Scale = scaleText(decision);
      }
    }
  }
  // Kept at once: whatever happens from here on, it is not printed again.
  tellProgress(c, -1);

  p.AwaitAnswer(c.W);
  c.run.Record = nullptr;
  if (p.GetPageStop() && i < n - 1 && c.form->ContinueFlag) askNext(c);
}

// FILEDIA, CMDDIA and PROXYNOTICE off (and DYNMODE, when so set): at the
// start of the run and on every AutoCAD started again during it.
void prepareAutoCAD(RunContext& c) {
  Ploter& p = c.p;
  const int W = c.W;
  p.TypeDialogVariablesOff(W);
  if (c.o.DynStop) {
    // The value given back at the end is the first AutoCAD's.
    if (c.run.SavedDynMode.empty())
      c.run.SavedDynMode = c.report->DynModeFound.empty() ? p.GetVariable("DYNMODE") : c.report->DynModeFound;
    c.report->DynModeFound = c.run.SavedDynMode;
    p.SetVariable("DYNMODE", "0");
  }
}

// The troubles an unattended run gets over by starting AutoCAD again.
bool restartable(RunHalt why) {
  return why == RunHalt::TimedOut || why == RunHalt::AcadGone || why == RunHalt::Refused;
}

std::string haltReason(const RunContext& c, RunHalt why) {
  switch (why) {
    case RunHalt::AcadGone: return acadlink::WaitFailureText(acadlink::WaitEnd::AcadGone, c.limitMs);
    case RunHalt::TimedOut: return acadlink::WaitFailureText(acadlink::WaitEnd::TimedOut, c.limitMs);
    case RunHalt::Refused: return acadlink::kInputRefusedText;
    case RunHalt::HelperSilent:
      return "PDF/DWF 変換プログラムから " + base::intToStr(c.limitMs / 1000) + " 秒待っても応答がありませんでした。";
    case RunHalt::Failed: return "エラーが発生しました。\r\n" + c.error;
    case RunHalt::TooManyRestarts:
      return "AutoCAD を " + base::intToStr(kMaxAcadRestarts) + " 回起動し直しても印刷を続けられませんでした。";
    case RunHalt::RestartFailed: return "AutoCAD を起動し直せませんでした。";
    default: return {};
  }
}

// AutoCAD hung, vanished or stopped taking input: its process is ended, a
// new one is started the way a command's connection starts one and given
// the run's settings. Throws RunHalted when that cannot be done.
void restartAutoCAD(RunContext& c) {
  Ploter& p = c.p;
  if (c.restarts >= kMaxAcadRestarts) throw RunHalted{RunHalt::TooManyRestarts};
  const acadlink::AutoCADHandles old = p.GetHandles();
  auto& desktop = platform::desktop();
  if (desktop.isWindow(old.MainWindow))
    platform::processes().endProcessOfWindow(old.MainWindow, acadlink::timing::kEndProcessWaitMs);
  auto stop = [&c] { return !c.form->ContinueFlag; };
  // The system may take the windows of an ended process away a little
  // later; while its text window is there, a start would see another AutoCAD.
  acadlink::WaitBounds gone;
  gone.endIfAcadGone = false;
  gone.limitMs = acadlink::timing::kEndProcessWaitMs;
  gone.stopRequested = stop;
  p.WaitUntil([&] { return !desktop.isWindow(old.TextWindow) && !desktop.isWindow(old.MainWindow); }, gone,
              acadlink::timing::kStartPollMs);
  // Whatever is left of the old one is another AutoCAD now, never ours.
  p.SetHandles({});
  const int found = p.FindOrStartAutoCAD(c.o.StartWait, stop);
  if (stop()) throw RunHalted{RunHalt::Stopped};
  if (found != 2) throw RunHalted{RunHalt::RestartFailed};
  ++c.restarts;
  ++c.report->Restarts;
  p.WaitForPrompt();
  prepareAutoCAD(c);
}

std::string haltMessage(const RunContext& c, RunHalt why, const std::vector<std::string>& drawings) {
  if (why == RunHalt::TooManyRestarts || why == RunHalt::RestartFailed) return haltReason(c, why);
  std::string where;
  if (c.current < 0) {
    where = "印刷の準備中に";
  } else {
    where = "図面 " + drawings[c.current] + " (" + base::intToStr(c.current + 1) + "/" +
            base::intToStr(static_cast<long long>(drawings.size())) + ") の印刷中に";
  }
  return where + haltReason(c, why) + "\r\n印刷を中止しました。";
}

void addNote(DrawingRecord& r, const std::string& note) {
  if (!r.Note.empty()) r.Note += " / ";
  r.Note += note;
}

// Unattended: AutoCAD hung, vanished or stopped taking input during drawing
// i. It is started again and the drawing tried once more on it; a drawing
// that brings it down a second time is failed, so that one bad drawing
// costs two restarts at most.
void plotWithRetry(RunContext& c, int i, const std::vector<std::string>& drawings) {
  for (int attempt = 1;; ++attempt) {
    try {
      plotDrawing(c, i, drawings);
      return;
    } catch (const RunHalted& h) {
      if (!c.o.Unattended || !restartable(h.why)) throw;
      c.run.Record = nullptr;
      DrawingRecord& r = record(c);
      const std::string reason = haltReason(c, h.why);
      r.Outcome = DrawingOutcome::Failed;
      const bool last = attempt >= kDrawingTries;
      if (last) {
        addNote(r, base::intToStr(attempt) + " 回目: " + reason);
        addNote(r, "この図面で AutoCAD が " + base::intToStr(attempt) + " 回続けて止まったため、印刷しませんでした。");
      } else {
        addNote(r, reason);
      }
      tellProgress(c, -1);
      restartAutoCAD(c);
      if (last) return;
      // What the attempt noted is kept, with why it is tried again.
      r = DrawingRecord{r.Path, DrawingOutcome::NotReached, 0, {},
                        base::intToStr(attempt) + " 回目: " + reason + " → AutoCAD を起動し直して再試行"};
    }
  }
}

}  // namespace

void Ploter::PlotDrawings(const std::vector<std::string>& drawings, const PlotOptions& o) {
  // Nothing is typed when AutoCAD could not even save the open drawing away.
  if (auto refusal = ProgramFolderRefusal(TempDrawingPath)) return ui::showMessage(nullptr, *refusal);
  SetPacedSend(o.PacedSend);
  PlotRunState run;
  run.Options = &o;
  run.WaitLimitMs = (o.AcadWaitLimit > 0 ? o.AcadWaitLimit : kDefaultAcadWaitLimit) * 1000LL;
  RunScope scope(*this, run);
  RunReport ownReport;
  RunReport& report = o.Report ? *o.Report : ownReport;
  report = RunReport{};
  report.Button = GetUserName();
  report.Started = platform::clock().localTimeText();
  for (const std::string& d : drawings) report.Drawings.push_back(DrawingRecord{d, DrawingOutcome::NotReached, 0, {}, {}});
  // A continued batch: what was settled before stays settled.
  if (o.Continues && o.Continues->Drawings.size() == drawings.size()) {
    report.Started = o.Continues->Started;
    report.Restarts = o.Continues->Restarts;
    report.DynModeFound = o.Continues->DynModeFound;
    for (size_t i = 0; i < drawings.size(); ++i)
      if (o.Continues->Drawings[i].Path == drawings[i]) report.Drawings[i] = o.Continues->Drawings[i];
  }
  auto settled = [&report](int i) { return report.Drawings[static_cast<size_t>(i)].Outcome != DrawingOutcome::NotReached; };
  int settledBefore = 0;
  for (int i = 0; i < static_cast<int>(drawings.size()); ++i) settledBefore += settled(i);
  RunContext c{*this, o, run, nullptr, nullptr, o.CommandWait, -1, 0, {}, &report};
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
    pause(acadlink::timing::kRunStartMs);
    if (GetPdfPrint()) StartPdfHelper(o.MainWindowHandle);
    // A continued batch: AutoCAD may still be inside the command that was
    // being typed when the program ended.
    for (int esc = 0; o.Continues && esc < 2 && !IsCommandPrompt(); ++esc) {
      SendCommand(acadlink::kEsc);
      AwaitAnswer(W);
    }
    WaitForPrompt();

    // The program's progress window, or one of the run's own where there
    // is none (a run started without the program's forms).
    if (ProgressForm) c.form = ProgressForm;
    else c.form = (c.ownForm = std::make_unique<TPlotteingForm>(SettingsPath)).get();
    c.form->ContinueFlag = true;
    run.Progress = c.form;
    c.form->ProgressBar1->setRange(0, static_cast<int>(drawings.size()));
    c.form->ProgressBar1->setPosition(settledBefore);
    c.form->show();

    prepareAutoCAD(c);

    for (int i = 0, left = 0; i < static_cast<int>(drawings.size()) && c.form->ContinueFlag; ++i) {
      if (settled(i)) continue;
      ++left;
      plotWithRetry(c, i, drawings);
      c.form->ProgressBar1->setPosition(settledBefore + left);
    }
  } catch (const RunHalted& h) {
    halt = h.why;
  } catch (const std::exception& e) {
    // AutoCAD's settings are still given back before the error is told.
    halt = RunHalt::Failed;
    c.error = acadlink::RunErrorText(e);
  }

  // ---- ending: from here on the stop button has been heard already.
  run.StopEndsWaits = false;
  // After a halt AutoCAD only has to come back from an ESC; if it is stuck,
  // the user is not kept waiting another full limit.
  if (halt != RunHalt::None) run.WaitLimitMs = std::min(run.WaitLimitMs, acadlink::timing::kEndingWaitAfterHaltMs);
  const bool stopped = halt != RunHalt::None || (c.form && !c.form->ContinueFlag);
  // An AutoCAD that is gone or takes no input is not typed into any more.
  const bool unreachable = halt == RunHalt::AcadGone || halt == RunHalt::Refused || halt == RunHalt::TooManyRestarts ||
                           halt == RunHalt::RestartFailed;
  if (!unreachable) {
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
      AwaitAnswer(W);
      if (o.DynStop && !run.SavedDynMode.empty()) SetVariable("DYNMODE", run.SavedDynMode);
      AwaitAnswer(W);
      TypeDialogVariablesBack(W, o.FileDia, o.CmdDia, o.Proxynotice);
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
  report.Ended = platform::clock().localTimeText();
  report.Stopped = stopped;
  // Unattended, the report window that follows the run says it all.
  if (o.Unattended) {
    if (troubled) report.EndNote = OneLine(haltMessage(c, halt, drawings));
    else if (stopped) report.EndNote = "印刷中止ボタンで中止しました。";
  } else if (troubled) {
    ui::messageBox(nullptr, haltMessage(c, halt, drawings));
  } else {
    ui::messageBox(nullptr, stopped ? kStoppedMessage : kDoneMessage);
  }
  if (GetPdfPrint()) NotifyPdfHelper("finish");
  run.Progress = nullptr;
  c.ownForm.reset();
}

}  // namespace plot
