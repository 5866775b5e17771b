// The paper-name acquisition: for every plot device, a user-editable macro
// runs AutoCAD's command-line plot command up to the paper question, where
// AutoCAD is asked to list the device's papers; the list is read from the
// text window's history and stored per device in "plot.ini".
#pragma once
#include <string>
#include <vector>

#include "acadlink/acad_macro.h"

namespace printerconfig {

class TPlotterErrForm;

// The acquisition macro of a settings file that never stored one: the
// detailed plot configuration, the current layout, the device, the paper
// listing, then out.
std::vector<std::string> DefaultPaperMacro();

class PageSizeClass : public acadlink::AcadMacro {
 public:
  // Over the main settings file, section "PageSize"; "plot.ini" lies beside it.
  explicit PageSizeClass(const std::string& settingsFilePath);

  std::string PlotIniPath;
  std::vector<std::string> PaperNames;
  std::vector<std::string> HistoryLines;
  std::string TempDrawingPath;  // program folder + "tmp.dwg"

  // Set by the owner: how long one wait for AutoCAD may last
  // ("AcadWaitLimit", seconds; 0 or less: the default), and the dialog that
  // lists the failed devices (null: one made for the report).
  int AcadWaitLimit = 0;
  TPlotterErrForm* PlotterErrForm = nullptr;

  // Runs the macro for every device but "None", stores each device's
  // papers, leaves the drawing saved as TempDrawingPath, gives AutoCAD the
  // three settings back, quits it when asked, and tells the user the end.
  void AcquirePaperNames(const std::vector<std::string>& devices, int commandWait, int proxyNotice, int cmdDia,
                         int fileDia, bool closeAutoCAD);
  // At AutoCAD's paper question: lists the papers and stores them under
  // the device's section. "OK", or the device's name when it failed.
  std::string ListDevicePapers(const std::string& device);
  // Saves the open drawing over TempDrawingPath and waits for the command
  // prompt; false when AutoCAD did not come back (why in lastWaitEnd_).
  bool SaveAsTempDrawing(int commandWait);

 private:
  acadlink::WaitBounds bounds() const;
  acadlink::WaitEnd lastWaitEnd_ = acadlink::WaitEnd::Met;
};

}  // namespace printerconfig
