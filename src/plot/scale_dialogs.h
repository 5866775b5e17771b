// The two questions a plot run asks when a drawing's model scale cannot be
// trusted. Both are modal, centred and stay above AutoCAD; each button stores
// its result and closes the dialog, and any other way out leaves 0, which the
// run takes as "印刷中止".
#pragma once
#include <cstdint>

#include "plot/top_most.h"
#include "ui/widgets.h"

namespace plot {

// The drawing still has AutoCAD's default limits.
class TDwgAreaUndefinedDlg : public ui::Form {
 public:
  TDwgAreaUndefinedDlg();

  ui::Label* DwgNameLabel;  // the drawing's file name, set before showing
  ui::Label* Label1;
  ui::Label* Label2;
  ui::Button* FreeScaleBtn;    // 1: fit
  ui::Button* PrintCancelBtn;  // 0: skip the drawing

  std::int32_t Result = 0;

  void FormShow();
  void FreeScaleBtnClick();
  void PrintCancelBtnClick();

 private:
  TopMostScope topMost_{*this};
};

// The computed scale is not a plausible round value.
class TScaleUnCorrectDlg : public ui::Form {
 public:
  TScaleUnCorrectDlg();

  ui::Label* DwgNameLabel;
  ui::Label* Label1;
  ui::Label* ScaleLabel;  // the scale answer, for example 1=2.37
  ui::Label* Label2;
  ui::Label* Label3;
  ui::CheckBox* AnotherCheckBox;  // apply the choice to the run's other drawings
  ui::Button* FreeScaleBtn;       // 1: fit
  ui::Button* ScaleBtn;           // 2: the computed scale
  ui::Button* PrintCancelBtn;     // 0: skip the drawing

  std::int32_t Result = 0;

  void FormShow();
  void FreeScaleBtnClick();
  void ScaleBtnClick();
  void PrintCancelBtnClick();

 private:
  TopMostScope topMost_{*this};
};

}  // namespace plot
