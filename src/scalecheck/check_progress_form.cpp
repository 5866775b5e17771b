#include "scalecheck/check_progress_form.h"

#include "base/paths.h"
#include "base/text.h"
#include "ui/application.h"

namespace scalecheck {

TScaleCheckProgressForm::TScaleCheckProgressForm() : ui::Form("TScaleCheckProgressForm") {
  setCaption(ui::kFormCaption);
  setBounds(kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight);
  resizable = false;
  systemMenu = false;

  Label1 = make<ui::Label>(this);
  Label1->setCaption("尺度チェック中");
  Label1->setBounds(12, 8, 268, 16);
  FileLabel = make<ui::Label>(this);
  FileLabel->setBounds(12, 28, 268, 16);
  ProgressBar1 = make<ui::ProgressBar>(this);
  ProgressBar1->setBounds(12, 50, 268, 18);
  StopBitBtn = make<ui::Button>(this);
  StopBitBtn->setCaption("中止");
  StopBitBtn->setBounds(100, 76, 100, 30);
  StopBitBtn->onClick = [this] { StopBitBtnClick(); };
}

void TScaleCheckProgressForm::StopBitBtnClick() { ContinueFlag = false; }

void TScaleCheckProgressForm::begin(int drawings) {
  ContinueFlag = true;
  Count = drawings;
  ProgressBar1->setRange(0, drawings);
  ProgressBar1->setPosition(0);
  Label1->setCaption("尺度チェック中");
  FileLabel->setCaption("");
  show();
}

void TScaleCheckProgressForm::at(int index, const std::string& path) {
  Label1->setCaption("尺度チェック中 " + base::intToStr(index + 1) + " / " + base::intToStr(Count));
  FileLabel->setCaption(base::fileNameAnySep(path));
  ProgressBar1->setPosition(index);
}

void TScaleCheckProgressForm::end() {
  ProgressBar1->setPosition(Count);
  close();
}

}  // namespace scalecheck
