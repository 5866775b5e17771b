#include "printerconfig/page_size_form.h"

#include "base/profile.h"
#include "printerconfig/paper_table.h"
#include "ui/placement.h"

namespace printerconfig {

namespace {
constexpr const char* kSection = "PageSizeWindow";
}

TPageSizeForm::TPageSizeForm(std::string plotIniPath, std::string settingsPath)
    : ui::Form("TPageSizeForm"), PlotIniPath(std::move(plotIniPath)), SettingsPath(std::move(settingsPath)) {
  setCaption("用紙サイズ登録");
  setBounds(kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight);
  // The text box keeps its designed size; a larger frame would only show
  // empty space.
  resizable = false;
  onShow = [this] { FormShow(); };
  onClose = [this] { FormClose(); };

  Memo1 = make<ui::Memo>(this);
  Memo1->setBounds(8, 8, 220, 250);

  Label1 = make<ui::Label>(this);
  Label1->setCaption("使用する");
  Label1->setBounds(240, 12, 120, 16);
  Label2 = make<ui::Label>(this);
  Label2->setCaption("用紙ｻｲｽﾞを登録");
  Label2->setBounds(240, 32, 120, 16);
  Label3 = make<ui::Label>(this);
  Label3->setCaption("用紙名=縦ｘ横");
  Label3->setBounds(240, 60, 120, 16);
  Label3->setFontColor(0x00FF0000);  // blue (0x00BBGGRR)

  OKBitBtn = make<ui::Button>(this);
  OKBitBtn->setCaption("OK");
  OKBitBtn->setBounds(248, 188, 100, 28);
  OKBitBtn->setDefault(true);
  OKBitBtn->onClick = [this] { OKBitBtnClick(); };

  CloseBitBtn = make<ui::Button>(this);
  CloseBitBtn->setCaption("キャンセル");
  CloseBitBtn->setBounds(248, 226, 100, 28);
  CloseBitBtn->modalResult = ui::mrCancel;
  CloseBitBtn->isCancel = true;
}

void TPageSizeForm::FormShow() {
  if (!FirstShown) {
    setBounds(ui::ReadPlacement(base::ProfileFile(SettingsPath), kSection,
                                 {kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight}));
    FirstShown = true;
  }
  Memo1->setLines(ReadPaperLines(PlotIniPath));
}

void TPageSizeForm::FormClose() {
  base::ProfileFile ini(SettingsPath);
  ui::WritePlacement(ini, kSection, bounds());
}

void TPageSizeForm::OKBitBtnClick() {
  WritePaperTable(PlotIniPath, Memo1->lines());
  // Closed only once written: a line that cannot be stored leaves the
  // dialog open with the user's text.
  setModalResult(ui::mrOk);
}

}  // namespace printerconfig
