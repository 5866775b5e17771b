// The progress window of a plot run: stays on top, shows how many drawings
// are done and offers the stop button. It keeps its placement in section
// "PlottingWindow" of the main settings file.
#pragma once
#include <string>

#include "plot/top_most.h"
#include "ui/widgets.h"

namespace plot {

class TPlotteingForm : public ui::Form {
 public:
  explicit TPlotteingForm(std::string settingsPath);

  static constexpr int kDesignLeft = 378, kDesignTop = 287, kDesignWidth = 276, kDesignHeight = 133;

  ui::Label* Label1;
  ui::ProgressBar* ProgressBar1;
  ui::Button* StopBitBtn;

  // True while printing may go on; the stop button clears it and the run
  // notices at its next test.
  bool ContinueFlag = true;
  // The placement is restored only on the first show.
  bool FirstShown = false;
  std::string SettingsPath;

  void FormShow();
  void FormClose();
  void StopBitBtnClick();

 private:
  TopMostScope topMost_{*this};
};

}  // namespace plot
