#include "plot/scale_dialogs.h"

#include "ui/application.h"

namespace plot {

namespace {

void setUpDialog(ui::Form& f, int width, int height) {
  f.setCaption(ui::kFormCaption);
  f.setBounds(0, 0, width, height);
  f.position = ui::FormPosition::ScreenCenter;
  f.resizable = false;
}

ui::Label* label(ui::Form& f, const char* caption, int top) {
  ui::Label* l = f.make<ui::Label>(&f);
  l->setCaption(caption);
  l->setBounds(16, top, 380, 16);
  return l;
}

}  // namespace

// ---------------------------------------------------------------- limits not set

TDwgAreaUndefinedDlg::TDwgAreaUndefinedDlg() : ui::Form("TDwgAreaUndefinedDlg") {
  setUpDialog(*this, 340, 176);
  onShow = [this] { FormShow(); };

  DwgNameLabel = label(*this, "", 12);
  DwgNameLabel->setBounds(16, 12, 300, 20);
  Label1 = label(*this, "この図面は、図面範囲が設定されていないため", 44);
  Label2 = label(*this, "尺度合わせ印刷はできません。", 64);

  FreeScaleBtn = make<ui::Button>(this);
  FreeScaleBtn->setCaption("自動尺度印刷");
  FreeScaleBtn->setBounds(40, 100, 116, 30);
  FreeScaleBtn->setDefault(true);
  FreeScaleBtn->onClick = [this] { FreeScaleBtnClick(); };

  PrintCancelBtn = make<ui::Button>(this);
  PrintCancelBtn->setCaption("印刷中止");
  PrintCancelBtn->setBounds(176, 100, 116, 30);
  PrintCancelBtn->isCancel = true;
  PrintCancelBtn->onClick = [this] { PrintCancelBtnClick(); };
}

void TDwgAreaUndefinedDlg::FormShow() { Result = 0; }

void TDwgAreaUndefinedDlg::FreeScaleBtnClick() {
  Result = 1;
  close();
}

void TDwgAreaUndefinedDlg::PrintCancelBtnClick() {
  Result = 0;
  close();
}

// ---------------------------------------------------------------- doubtful scale

TScaleUnCorrectDlg::TScaleUnCorrectDlg() : ui::Form("TScaleUnCorrectDlg") {
  setUpDialog(*this, 420, 246);
  onShow = [this] { FormShow(); };

  DwgNameLabel = label(*this, "", 12);
  DwgNameLabel->setBounds(16, 12, 380, 20);
  Label1 = label(*this, "この図面の尺度合わせ印刷時の尺度は", 44);
  ScaleLabel = label(*this, "", 64);
  ScaleLabel->setBounds(40, 64, 340, 16);
  Label2 = label(*this, "となり、正確な図面範囲が設定されていない可能性が", 84);
  Label3 = label(*this, "あります。     どの方法で印刷しますか。？", 104);

  AnotherCheckBox = make<ui::CheckBox>(this);
  AnotherCheckBox->setCaption("他の図面も同じとする。");
  AnotherCheckBox->setBounds(16, 132, 240, 18);

  FreeScaleBtn = make<ui::Button>(this);
  FreeScaleBtn->setCaption("自動尺度印刷");
  FreeScaleBtn->setBounds(16, 166, 118, 30);
  FreeScaleBtn->setDefault(true);
  FreeScaleBtn->onClick = [this] { FreeScaleBtnClick(); };

  ScaleBtn = make<ui::Button>(this);
  ScaleBtn->setCaption("尺度合わせ印刷");
  ScaleBtn->setBounds(146, 166, 118, 30);
  ScaleBtn->onClick = [this] { ScaleBtnClick(); };

  PrintCancelBtn = make<ui::Button>(this);
  PrintCancelBtn->setCaption("印刷中止");
  PrintCancelBtn->setBounds(276, 166, 118, 30);
  PrintCancelBtn->isCancel = true;
  PrintCancelBtn->onClick = [this] { PrintCancelBtnClick(); };
}

void TScaleUnCorrectDlg::FormShow() {
  Result = 0;
  AnotherCheckBox->setChecked(false);
}

void TScaleUnCorrectDlg::FreeScaleBtnClick() {
  Result = 1;
  close();
}

void TScaleUnCorrectDlg::ScaleBtnClick() {
  Result = 2;
  close();
}

void TScaleUnCorrectDlg::PrintCancelBtnClick() {
  Result = 0;
  close();
}

}  // namespace plot
