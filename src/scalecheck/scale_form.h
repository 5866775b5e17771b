// The scale check window: one row per checked drawing, the rows that need
// attention in magenta, and the panel that gives one drawing new limits
// for a registered paper, orientation, origin and scale.
#pragma once
#include <string>
#include <vector>

#include "plot/top_most.h"
#include "scalecheck/scale_check.h"
#include "ui/widgets.h"

namespace scalecheck {

// The window's view of the rest of the program.
struct ScaleFormLinks {
  ScaleCheck* Check = nullptr;  // the connection the check run made
  ScaleSet* Setter = nullptr;   // takes the connection over to set limits
  std::string SettingsPath;     // "kestrel20.ini": section "ScaleCheckWindow"
  std::string PaperTablePath;   // "plot.ini": the registered paper sizes
  int CommandWait = 100;
  bool AcadClose = false;
  int FileDia = 1, CmdDia = 1, Proxynotice = 1;
};

// Cells of rows whose drawing needs attention.
inline constexpr ui::Color kAttentionColor = 0xFF00FF;  // red 255, green 0, blue 255

class TScaleForm : public ui::Form {
 public:
  explicit TScaleForm(ScaleFormLinks links);

  static constexpr int kDesignLeft = 160, kDesignTop = 120, kDesignWidth = 660, kDesignHeight = 470;

  ui::StringGrid* StringGrid1;
  ui::GroupBox* LimitsGroupBox;
  ui::Label* FileTitleLabel;
  ui::Label* FileNameLabel;
  ui::Label* SizeLabel;
  ui::ComboBox* SizeComboBox;
  ui::RadioButton* LandscapeRdBtn;
  ui::RadioButton* VerticalRdBtn;
  ui::Label* StartPointLabel;
  ui::Edit* MIN_X_Edit;
  ui::Label* Y_Label;
  ui::Edit* MIN_Y_Edit;
  ui::Label* ScaleLabel;
  ui::Edit* NumeratorEdit;
  ui::Label* SR_Label;
  ui::Edit* DenominatorEdit;
  ui::Button* CancelBtn;
  ui::Button* ScaleSetBtn;
  ui::Button* ExcelBitBtn;
  ui::Button* CloseBtn;

  // The records shown (the run's array) and the sizes behind SizeComboBox.
  ScaleArr* Scales = nullptr;
  std::vector<std::string> SizeList;
  bool FirstShown = false;
  ScaleFormLinks Links;

  void FillScaleGrid(ScaleArr& scales, int count);
  void FillSizeList();
  void EnableLimitsPanel();
  void DisableLimitsPanel();

  void FormShow();
  void FormCloseQuery(bool& canClose);
  void FormClose();
  void StringGrid1Click();
  void ScaleSetBtnClick();
  void CancelBtnClick();
  void CloseBtnClick();
  void ExcelBitBtnClick();

 private:
  // Where Excel cannot be started: the table as a workbook file, if the
  // user wants it, opened by the shell.
  void OfferWorkbookFile();
  void fillRow(int row);
  void setLimitsPanel(bool on);
  plot::TopMostScope topMost_{*this};
};

}  // namespace scalecheck
