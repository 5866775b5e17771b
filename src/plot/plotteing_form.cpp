#include "plot/plotteing_form.h"

#include "base/profile.h"
#include "ui/application.h"
#include "ui/placement.h"

namespace plot {

namespace {
constexpr const char* kSection = "PlottingWindow";
}

TPlotteingForm::TPlotteingForm(std::string settingsPath)
    : ui::Form("TPlotteingForm"), SettingsPath(std::move(settingsPath)) {
  setCaption(ui::kFormCaption);
  setBounds(kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight);
  resizable = false;
  systemMenu = false;
  onShow = [this] { FormShow(); };
  onClose = [this] { FormClose(); };

  Label1 = make<ui::Label>(this);
  Label1->setCaption("ただいま印刷中！！");
  Label1->setBounds(12, 8, 244, 16);

  ProgressBar1 = make<ui::ProgressBar>(this);
  ProgressBar1->setBounds(12, 30, 244, 18);

  StopBitBtn = make<ui::Button>(this);
  StopBitBtn->setCaption("印刷中止");
  StopBitBtn->setBounds(84, 56, 100, 30);
  StopBitBtn->onClick = [this] { StopBitBtnClick(); };

  ContinueFlag = true;
  FirstShown = false;
}

void TPlotteingForm::FormShow() {
  if (FirstShown) return;
  setBounds(ui::ReadPlacement(base::ProfileFile(SettingsPath), kSection,
                               {kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight}));
  FirstShown = true;
}

void TPlotteingForm::FormClose() {
  base::ProfileFile ini(SettingsPath);
  ui::WritePlacement(ini, kSection, bounds());
}

void TPlotteingForm::StopBitBtnClick() { ContinueFlag = false; }

}  // namespace plot
