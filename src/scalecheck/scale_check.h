// The scale check: for every drawing of the list, AutoCAD's DIMSCALE,
// LIMMIN and LIMMAX, and the scale at which the limits fill each sheet A0
// to A4; and the limits setting, which types new limits into one drawing
// and saves it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "acadlink/acad_macro.h"

namespace scalecheck {

// One drawing's result.
struct ScaleStruct {
  std::string FileName;  // full path, as in the drawing list
  std::string A0, A1, A2, A3, A4;  // "1/" + ratio, or the pieces of a status sentence
  std::string LimMin, LimMax;      // as AutoCAD showed them
  std::string DimScale;            // as AutoCAD showed it
  bool ScaleOk = false;

  std::string& A(int k);
  const std::string& A(int k) const;
};
using ScaleArr = std::vector<ScaleStruct>;

// The five scale cells of limits with this diagonal: "1/" + the ratio to
// each A-series sheet, to hundredths. True when one of them is a whole or
// half number.
bool FillScales(ScaleStruct& s, double limitsDiagonal);

// How a check run shows where it is, and hears the user stop it.
class CheckProgress {
 public:
  virtual ~CheckProgress() = default;
  virtual void begin(int drawings) = 0;
  // Drawing index (0-based) of the list is next.
  virtual void at(int index, const std::string& path) = 0;
  virtual bool stopRequested() const = 0;
  virtual void end() = 0;
};

class ScaleSet;

class ScaleCheck : public acadlink::AcadMacro {
 public:
  // Over the main settings file, section "ScaleCheckFleld".
  explicit ScaleCheck(std::string settingsFilePath);

  // Measures every drawing, gives AutoCAD its settings back and shows the
  // results in the scale check window until the user closes it. acadClose
  // is not used: the window's "閉じる" ends AutoCAD.
  void RunScaleCheck(const std::vector<std::string>& drawings, int commandWait, bool acadClose, int fileDia,
                     int cmdDia, int proxyNotice);
  // Saves the open drawing over TempDrawingPath.
  void SaveAsTemp(int commandWait);
  // Opens a drawing, answering the missing-shape and missing-font
  // questions; false when AutoCAD asked again for the drawing to open (it
  // could not open it), which is cancelled.
  bool OpenDrawing(const std::string& path, int commandWait);
  // Reads DIMSCALE, LIMMIN and LIMMAX of the open drawing.
  ScaleStruct MeasureDrawing();

  ScaleArr Scales;
  std::string SettingsPath;     // the main settings file, for the window
  std::string TempDrawingPath;  // program folder + "tmp.dwg"
  std::string PaperTablePath;   // "plot.ini", for the window's paper list

  // Set by the owner before a run: how long one wait for AutoCAD may last
  // ("AcadWaitLimit", seconds; 0 or less: the default), the window that
  // shows the progress (null: none), and the limits-setting object the
  // results window hands the connection to.
  int AcadWaitLimit = 0;
  CheckProgress* Progress = nullptr;
  ScaleSet* Setter = nullptr;

 private:
  void awaitPrompt();
  acadlink::WaitBounds bounds() const;
  bool stopping_ = false;  // after a halt: no stop request ends the ending's waits
  std::int64_t limitMs_ = 0;
};

class ScaleSet : public acadlink::AcadMacro {
 public:
  // Over the main settings file, section "ScaleSet".
  explicit ScaleSet(std::string settingsFilePath);

  // Opens fileName, types its new limits through the macro ("#PUTLIMMIN",
  // "#PUTLIMMAX", "save", "#ENTER", "#ESC") and gives AutoCAD its settings
  // back. False when AutoCAD stopped answering or vanished (told to the
  // user already). acadClose is not used.
  bool RunScaleSet(const std::string& fileName, int commandWait, double minX, double minY, double maxX,
                   double maxY, bool acadClose, int fileDia, int cmdDia, int proxyNotice);

  int AcadWaitLimit = 0;  // seconds; 0 or less: the default
};

}  // namespace scalecheck
