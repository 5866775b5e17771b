// One plot button: the settings it prints with and its two macros (model
// space and layouts), stored with the three other buttons of its set in the
// button-set file "BottonSets\" + set name + ".ini".
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "acadlink/acad_macro.h"
#include "plot/plot_options.h"

namespace plot {

class TDwgAreaUndefinedDlg;
class TPlotteingForm;
class TScaleUnCorrectDlg;

// Program folder + "BottonSets" + separator + setName + ".ini".
std::string ButtonSetPath(const std::string& setName);

// The refusal of a run whose working drawing (program folder + "tmp.dwg")
// AutoCAD could not be told to save: the program folder's path has a
// character without a CP932 form. nullopt when the path is fine.
std::optional<std::string> ProgramFolderRefusal(const std::string& tempDrawingPath);

class Ploter : public acadlink::AcadMacroTwo {
 public:
  // No file is read here; the link part starts unattached.
  Ploter(std::string settingsPath, std::string sectionName);
  ~Ploter() override = default;

  // Reads this button's section of the set's file into the fields and both
  // macros; a missing file, section or key gives the defaults.
  void LoadButton(const std::string& setName);
  // Writes this button's section of the set's file, every key in order.
  void SaveButton(const std::string& setName);

  const std::string& GetUserName() const { return UserName; }
  void SetUserName(const std::string& v) { UserName = v; }
  bool GetAvailable() const { return Available; }
  void SetAvailable(bool v) { Available = v; }
  const std::string& GetPrintDevice() const { return PrintDevice; }
  void SetPrintDevice(const std::string& v) { PrintDevice = v; }
  const std::string& GetPrintStyle() const { return PrintStyle; }
  void SetPrintStyle(const std::string& v) { PrintStyle = v; }
  const std::string& GetPaperName() const { return PaperName; }
  void SetPaperName(const std::string& v) { PaperName = v; }
  const std::string& GetPaperSize() const { return PaperSize; }
  void SetPaperSize(const std::string& v) { PaperSize = v; }
  std::int32_t GetPaperDirection() const { return PaperDirection; }
  void SetPaperDirection(std::int32_t v) { PaperDirection = v; }
  bool GetFilePlot() const { return FilePlot; }
  void SetFilePlot(bool v) { FilePlot = v; }
  bool GetPageStop() const { return PageStop; }
  void SetPageStop(bool v) { PageStop = v; }
  const std::string& GetOffsetX() const { return OffsetX; }
  void SetOffsetX(const std::string& v) { OffsetX = v; }
  const std::string& GetOffsetY() const { return OffsetY; }
  void SetOffsetY(const std::string& v) { OffsetY = v; }
  bool GetCenterPrint() const { return CenterPrint; }
  void SetCenterPrint(bool v) { CenterPrint = v; }
  bool GetPdfPrint() const { return PdfPrint; }
  void SetPdfPrint(bool v) { PdfPrint = v; }

  // ---- fields, in their order

  // The main settings file; the progress window keeps its placement there.
  std::string SettingsPath;
  // "Ploter1Fleld" … "Ploter4Fleld".
  std::string SectionName;

 private:
  std::string UserName;
  bool Available = false;
  std::string PrintDevice;  // "None": keep the drawing's device
  std::string PrintStyle;   // "None": keep the drawing's table
  std::string PaperName;
  std::string PaperSize;    // A "x" B; "000x000": none chosen
  std::int32_t PaperDirection = 0;  // 0 landscape, 1 portrait
  bool FilePlot = false;
  bool PageStop = false;
  std::string OffsetX;
  std::string OffsetY;
  bool CenterPrint = false;
  bool PdfPrint = false;

 public:
  // Program folder + "tmp.dwg": the open drawing is saved over it before
  // another is opened.
  std::string TempDrawingPath;
  // Layouts of the drawing being printed.
  std::vector<std::string> LayoutNames;

  // Run state, set at the start of each plot run.
  double PaperDiagonal = 0;
  double LayoutPaperDiagonal = 0;
  bool ScaleWarningOn = false;
  bool ScaleDecisionForAll = false;
  bool FitOffsetZero = false;
  bool LayoutScaleFitted = false;
  std::int32_t ScaleDecision = 0;
  platform::WindowHandle PdfHelperWindow = 0;

  // ---- the plot run (plot_run.cpp)

  // Prints the drawings in order on the AutoCAD this link is attached to;
  // the outcome is told to the user in message boxes.
  void PlotDrawings(const std::vector<std::string>& drawings, const PlotOptions& options);
  // Saves the open drawing over TempDrawingPath; wait: the pause in ms.
  void SaveAsTempDrawing(int wait);
  void StartPdfHelper(platform::WindowHandle mainWindow);
  void NotifyPdfHelper(const std::string& text);
  // Waits until AutoCAD shows its command prompt. During a run the wait is
  // bounded: it throws RunHalted when the time limit passes, AutoCAD's
  // windows are gone or the stop button was pressed.
  void WaitForPrompt();
  // WaitUntil within the run's bounds; what ended it other than the
  // condition, the step giving up, or a stop outside the waits' reach is
  // thrown as RunHalted (a timeout as onTimeout).
  void AwaitOrHalt(const std::function<bool()>& condition, int pollMs = 0, const std::function<bool()>& step = {},
                   RunHalt onTimeout = RunHalt::TimedOut);
  // A wait ended with AutoCAD gone: gone indeed, or only refusing input.
  RunHalt GoneHalt();
  // The program's progress window, shown by every run of this button;
  // when null, a run shows one of its own.
  TPlotteingForm* ProgressForm = nullptr;
  // The run in progress; null between runs.
  PlotRunState* Run = nullptr;
  bool IsPlotting() const { return Run != nullptr; }

  // ---- layouts and plot scale (plot_scale.cpp)

  // The scale questions of a run; when null, each question creates its own
  // dialog for the time it is asked.
  TDwgAreaUndefinedDlg* DwgAreaUndefinedDlg = nullptr;
  TScaleUnCorrectDlg* ScaleUnCorrectDlg = nullptr;

  // PaperDiagonal from PaperSize; LayoutPaperDiagonal from the paper the
  // layouts were drawn for, divided by layoutAdjust / 100.
  void ComputeDiagonals(const std::string& layoutBaseSize, double layoutAdjust);
  // At AutoCAD's command prompt after a drawing opened: "AllLayout",
  // "CurrentLayout", "Cancel", "F", "1=" + n, or empty (keep the drawing's).
  std::string DecideModelScale(bool ModelScalePrint, int PrintMode, int ScaleCalc, double DimMag,
                               const std::string& fileName);
  // At the layout plot-scale question: the text still to type, "\n" or
  // "1:" + n + "\n"; empty when the answer was typed already.
  std::string LayoutScaleAnswer(bool LayoutScalePrint);
  // Type the answer to the plot offset question themselves.
  void AnswerOffset(const std::string& scaleAnswer);
  void AnswerLayoutOffset(bool scopeIsLayout);
  // The plot area AutoCAD offers by default is the layout.
  bool IsLayoutScopeDefault();
  // Reads the drawing's layout names from AutoCAD's listing into
  // LayoutNames; sortOrder 0 ascending, any other value descending.
  void ListLayouts(int sortOrder);

  // ---- macro tokens (plot_tokens.cpp)

  // Types one line of the model or layout macro, expanding it when it is a
  // token. False when the drawing's own device, style table or paper is
  // missing: told to the user already, the rest of the drawing is skipped.
  bool ExpandMacroLine(const std::string& line, PlotRunState& run);
  // The plot tokens for a replay of the macros in run.
  acadlink::MacroTokens PlotTokens(PlotRunState& run);
};

// A problem with the drawing being printed, in the run's words: attended,
// a message box owned by the progress window; unattended, a note on the
// drawing's record.
void TellDrawingProblem(PlotRunState& run, const std::string& message);
// Adds to the note of the drawing being printed, when there is a record.
void NoteDrawing(PlotRunState& run, const std::string& note);

// The whole line is one of the tokens of the plot macros.
bool IsPlotToken(const std::string& line);

// The bounds of a wait for AutoCAD during run: its limit, and the stop
// button while the run lets it end waits. Null: outside a run, where only
// AutoCAD vanishing ends a wait.
acadlink::WaitBounds RunWaitBounds(const PlotRunState* run);

}  // namespace plot
