// One plot button: the settings it prints with and its two macros (model
// space and layouts), stored with the three other buttons of its set in the
// button-set file "BottonSets\" + set name + ".ini".
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "acadlink/acad_macro.h"
#include "plot/plot_options.h"

namespace plot {

// Program folder + "BottonSets" + separator + setName + ".ini".
std::string ButtonSetPath(const std::string& setName);

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
  // The run in progress; null between runs.
  PlotRunState* Run = nullptr;
  bool IsPlotting() const { return Run != nullptr; }
};

}  // namespace plot
