// The progress window of a scale check: which drawing of how many is being
// measured, and the stop button. It stays above AutoCAD while it is shown.
#pragma once
#include <string>

#include "plot/top_most.h"
#include "scalecheck/scale_check.h"
#include "ui/widgets.h"

namespace scalecheck {

class TScaleCheckProgressForm : public ui::Form, public CheckProgress {
 public:
  TScaleCheckProgressForm();

  static constexpr int kDesignLeft = 378, kDesignTop = 287, kDesignWidth = 300, kDesignHeight = 150;

  ui::Label* Label1;
  ui::Label* FileLabel;
  ui::ProgressBar* ProgressBar1;
  ui::Button* StopBitBtn;

  // True while the check may go on; the stop button clears it.
  bool ContinueFlag = true;
  int Count = 0;

  void StopBitBtnClick();

  void begin(int drawings) override;
  void at(int index, const std::string& path) override;
  bool stopRequested() const override { return !ContinueFlag; }
  void end() override;

 private:
  plot::TopMostScope topMost_{*this};
};

}  // namespace scalecheck
