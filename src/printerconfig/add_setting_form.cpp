#include "printerconfig/add_setting_form.h"

#include "base/profile.h"
#include "ui/placement.h"

namespace printerconfig {

namespace {

constexpr const char* kSection = "AddSettingWindow";

void fill(ui::Memo* memo, const acadlink::AcadMacro* macro) {
  memo->setLines(macro ? macro->MacroLines : std::vector<std::string>{});
  memo->setReadOnly(macro == nullptr);
}

}  // namespace

TAddSettingForm::TAddSettingForm(std::string settingsPath)
    : ui::Form("TAddSettingForm"), SettingsPath(std::move(settingsPath)) {
  setCaption("更に詳細設定");
  setBounds(kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight);
  onShow = [this] { FormShow(); };
  onClose = [this] { FormClose(); };

  const int memoWidth = 196, memoHeight = 290;
  auto column = [&](ui::Label*& label, ui::Memo*& memo, const char* caption, int left) {
    label = make<ui::Label>(this);
    label->setCaption(caption);
    label->setBounds(left, 8, memoWidth, 16);
    memo = make<ui::Memo>(this);
    memo->setBounds(left, 28, memoWidth, memoHeight);
  };
  column(PloterLabel, PloterMemo, "プロッタ用紙取得マクロ", 8);
  column(ScaleCheckLabel, ScaleCheckMemo, "尺度チェックマクロ", 8 + memoWidth + 12);
  column(ScaleSetLabel, ScaleSetMemo, "図面範囲設定マクロ", 8 + 2 * (memoWidth + 12));

  OkBitBtn = make<ui::Button>(this);
  OkBitBtn->setCaption("OK");
  OkBitBtn->setBounds(412, 330, 100, 28);
  OkBitBtn->onClick = [this] { OkBitBtnClick(); };
  CancelBitBtn = make<ui::Button>(this);
  CancelBitBtn->setCaption("ｷｬﾝｾﾙ");
  CancelBitBtn->setBounds(520, 330, 100, 28);
  CancelBitBtn->isCancel = true;
  CancelBitBtn->onClick = [this] { CancelBitBtnClick(); };
  FormCreate();
}

void TAddSettingForm::FormCreate() { FirstShown = false; }

void TAddSettingForm::FormShow() {
  if (!FirstShown) {
    setBounds(ui::ReadPlacement(base::ProfileFile(SettingsPath), kSection,
                                 {kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight}));
    FirstShown = true;
  }
  fill(PloterMemo, PageSizeMacro);
  fill(ScaleCheckMemo, ScaleCheckMacro);
  fill(ScaleSetMemo, ScaleSetMacro);
}

void TAddSettingForm::FormClose() {
  base::ProfileFile ini(SettingsPath);
  ui::WritePlacement(ini, kSection, bounds());
}

void TAddSettingForm::OkBitBtnClick() {
  // The owners store the lines when they are destroyed; until then the
  // next run uses them as typed, empty lines included.
  if (PageSizeMacro) PageSizeMacro->MacroLines = PloterMemo->lines();
  if (ScaleCheckMacro) ScaleCheckMacro->MacroLines = ScaleCheckMemo->lines();
  if (ScaleSetMacro) ScaleSetMacro->MacroLines = ScaleSetMemo->lines();
  setModalResult(ui::mrOk);
}

void TAddSettingForm::CancelBitBtnClick() { setModalResult(ui::mrCancel); }

}  // namespace printerconfig
