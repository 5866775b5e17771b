// What a plot run is handed by the main window, and the state of one run
// that the macro lines read and write.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/desktop.h"

namespace plot {

class TPlotteingForm;
struct DrawingRecord;
struct RunReport;

// The fixed answer of an unattended run to the two scale questions, in the
// order of the main window's choice.
enum class UnattendedScale { AtComputedScale = 0, Fit = 1, Skip = 2 };
inline constexpr int kDefaultUnattendedScale = 1;
// AutoCAD is started again at most this often in one unattended run.
inline constexpr int kMaxAcadRestarts = 3;
// A drawing during which AutoCAD had to be started again is tried this
// often in all; then it is failed.
inline constexpr int kDrawingTries = 2;
inline constexpr int kDefaultStartWait = 15;  // seconds

// Every wait for AutoCAD (its command prompt, the PDF/DWF helper's answer)
// ends after this many seconds at the latest.
inline constexpr int kDefaultAcadWaitLimit = 300;
// The defaults below are also those of the main window's settings, which
// take them from here.
inline constexpr int kDefaultCommandWait = 100;  // milliseconds
// FILEDIA, CMDDIA and PROXYNOTICE as a run leaves them: on.
inline constexpr int kDefaultFileDia = 1, kDefaultCmdDia = 1, kDefaultProxynotice = 1;
inline constexpr const char* kDefaultReplaceFont = "bigfont.shx";
inline constexpr bool kDefaultScaleWarning = true;
inline constexpr bool kDefaultFitOffset00 = true;

struct PlotOptions {
  int PrintScope = 0;   // 0 extents, 1 limits, 2 window
  int PrintMode = 0;    // 0 model or current layout, 1 all layouts
  int ScaleCalc = 0;    // 0 from the limits, 1 from DIMSCALE
  int CommandWait = kDefaultCommandWait;  // milliseconds between typed steps
  bool AcadClose = false;
  bool ModelScalePrint = false;
  bool LayoutScalePrint = false;
  std::string LayoutBaseSize = "000x000";  // A "x" B
  double LayoutAdjust = 100;               // percent
  bool ModifySave = false;
  double DimMag = 1;
  int FileSort = 0;  // 0 ascending, otherwise descending
  int FileDia = kDefaultFileDia, CmdDia = kDefaultCmdDia, Proxynotice = kDefaultProxynotice;  // given back at the end
  bool Psltscale = false;
  bool ScaleWarning = kDefaultScaleWarning;
  bool FitOffset00 = kDefaultFitOffset00;
  int FontControl = 0;  // 0 nothing, 1 Enter, 2 the replacement font
  std::string ReplaceFont = kDefaultReplaceFont;
  bool DynStop = false;
  // "高速送信": the pauses after typing end when AutoCAD has answered.
  bool PacedSend = false;

  // Seconds; 0 or less means the default.
  int AcadWaitLimit = kDefaultAcadWaitLimit;
  // The main window's flag that its copy-data handler sets when the PDF/DWF
  // helper answers; the run clears it before each request. Null: no helper
  // answer can arrive, the run does not wait for one.
  bool* PdfDone = nullptr;
  // Passed to the PDF/DWF helper on its command line: where it answers.
  platform::WindowHandle MainWindowHandle = 0;

  // Unattended ("無人運転"): no message box and no pause holds the run up.
  // What would have been told about a drawing is noted with it in Report,
  // the scale questions take ScaleAnswer, and an AutoCAD that hangs or
  // vanishes is ended and started again (StartWait seconds, as at the
  // connection).
  bool Unattended = false;
  UnattendedScale ScaleAnswer = static_cast<UnattendedScale>(kDefaultUnattendedScale);
  int StartWait = kDefaultStartWait;
  // Filled by the run, in either mode, when given.
  RunReport* Report = nullptr;
  // Told the batch's state as it goes, so that it can be kept on disk: when
  // a drawing is begun (current: its index) and when its outcome is settled
  // (current: -1).
  std::function<void(const RunReport& report, int current)> OnProgress;
  // An earlier batch continued: its report so far. The run's report goes on
  // from it, and a drawing whose outcome is settled there is not printed
  // again.
  const RunReport* Continues = nullptr;
};

enum class PrintModeKind { Model, CurrentLayout, AllLayouts };

// One run as the macro lines see it. Lives for the duration of
// PlotDrawings; the Ploter points at it while the run is in progress.
struct PlotRunState {
  const PlotOptions* Options = nullptr;
  TPlotteingForm* Progress = nullptr;  // owner of the run's messages; null before it is shown
  PrintModeKind Mode = PrintModeKind::Model;
  std::string DrawingPath;  // full path of the drawing being printed
  std::string LayoutName;   // the current sheet's layout (all-layouts mode)
  std::string ScaleAnswer;  // "1=" + n, "F" or empty
  bool LayoutScope = false; // set by "#LAYOUTSCOPE", read by "#LAYOUTOFFSET"; kept across sheets
  std::string PdfBaseName;  // of the current sheet
  std::string SavedDynMode;
  // Set while the waits may end the run because the stop button was pressed.
  bool StopEndsWaits = true;
  // Milliseconds one wait may last.
  std::int64_t WaitLimitMs = kDefaultAcadWaitLimit * 1000LL;
  // The record of the drawing being printed; null between drawings.
  DrawingRecord* Record = nullptr;
  bool Unattended() const { return Options && Options->Unattended; }
};

// Why a run ended before its drawings were done.
// Refused: AutoCAD did not take a typed text (hung, or gone meanwhile).
// Failed: an unexpected error (a path without a CP932 form, a value that is
// no number), whose text the run shows.
// TooManyRestarts, RestartFailed: unattended, AutoCAD could not be started
// again, or would have been once too often.
enum class RunHalt { None, Stopped, TimedOut, AcadGone, Refused, HelperSilent, Failed, TooManyRestarts, RestartFailed };

// Thrown by the run's waits; PlotDrawings catches it and ends the run.
struct RunHalted {
  RunHalt why;
};

}  // namespace plot
