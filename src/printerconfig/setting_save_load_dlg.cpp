#include "printerconfig/setting_save_load_dlg.h"

#include <stdexcept>

#include "base/paths.h"
#include "base/text.h"
#include "platform/context.h"
#include "printerconfig/button_sets.h"
#include "ui/application.h"

namespace printerconfig {

TSettingSaveLoadDlg::TSettingSaveLoadDlg() : ui::Form("TSettingSaveLoadDlg") {
  setCaption("印刷ボタンの追加と削除");
  setBounds(0, 0, kDesignWidth, kDesignHeight);
  position = ui::FormPosition::ScreenCenter;
  resizable = false;
  onShow = [this] { FormShow(); };

  CurrentSetCaptionLabel = make<ui::Label>(this);
  CurrentSetCaptionLabel->setCaption("現在のボタンセット");
  CurrentSetCaptionLabel->setBounds(12, 12, 130, 16);
  CurrentSetLabel = make<ui::Label>(this);
  CurrentSetLabel->setBounds(24, 32, 160, 16);
  CurrentSetLabel->setFontColor(0x00FF0000);  // blue (0x00BBGGRR)
  CannotDeleteLabel = make<ui::Label>(this);
  CannotDeleteLabel->setCaption("（削除できません）");
  CannotDeleteLabel->setBounds(190, 32, 120, 16);

  SaveLabel = make<ui::Label>(this);
  SaveLabel->setCaption("新規保存名");
  SaveLabel->setBounds(12, 62, 100, 16);
  SaveEdit = make<ui::Edit>(this);
  SaveEdit->setBounds(12, 82, 200, 22);
  SaveBitBtn = make<ui::Button>(this);
  SaveBitBtn->setCaption("追加");
  SaveBitBtn->setBounds(224, 80, 88, 26);
  SaveBitBtn->onClick = [this] { SaveBitBtnClick(); };

  IniListBox = make<ui::ListBox>(this);
  IniListBox->sorted = true;
  IniListBox->setBounds(12, 118, 200, 160);
  IniListBox->onClick = [this] { IniListBoxClick(); };
  DeleteBitBtn = make<ui::Button>(this);
  DeleteBitBtn->setCaption("削除");
  DeleteBitBtn->setBounds(224, 118, 88, 26);
  DeleteBitBtn->onClick = [this] { DeleteBitBtnClick(); };

  CloseBitBtn = make<ui::Button>(this);
  CloseBitBtn->setCaption("閉じる");
  CloseBitBtn->setBounds(224, 252, 88, 26);
  CloseBitBtn->isCancel = true;
  CloseBitBtn->onClick = [this] { CloseBitBtnClick(); };
}

void TSettingSaveLoadDlg::ListSetFiles() {
  IniListBox->clear();
  for (const std::string& name : ListButtonSets(ButtonSetFolder())) IniListBox->addItem(name);
}

void TSettingSaveLoadDlg::FormShow() {
  ListSetFiles();
  SaveEdit->setText("");
  DeleteBitBtn->setEnabled(false);
  CurrentSetLabel->setCaption(CurrentBtnSet);
}

void TSettingSaveLoadDlg::IniListBoxClick() { DeleteBitBtn->setEnabled(true); }

void TSettingSaveLoadDlg::SaveBitBtnClick() {
  const std::string name = SaveEdit->text();
  if (name.empty()) {
    ui::showMessage(this, "ボタンセット名を指定してください   ");
    return;
  }
  for (const std::string& existing : IniListBox->items()) {
    if (base::equalsNoCase(existing, name)) {
      ui::showMessage(this, "既に存在するボタンセット名では作成できません   ");
      return;
    }
  }
  // A new set starts from the template, never from the set being edited.
  const std::string folder = ButtonSetFolder();
  std::string bytes;
  if (!base::readFileBytes(folder + "base.ini", bytes))
    throw std::runtime_error("ファイル " + folder + "base.ini を開けません。");
  const std::string target = folder + name + ".ini";
  if (!base::writeFileAtomic(target, bytes)) throw std::runtime_error("ファイル " + target + " を作成できません。");
  ListSetFiles();
  CurrentBtnSet = name;
  CurrentSetLabel->setCaption(name);
}

void TSettingSaveLoadDlg::DeleteBitBtnClick() {
  const int index = IniListBox->itemIndex();
  if (index < 0) return;
  const std::string name = IniListBox->items()[static_cast<size_t>(index)];
  if (name == CurrentSetLabel->caption()) {
    ui::showMessage(this, "現在のボタンセットは削除できません。   ");
    return;
  }
  // The list shows names without their last extension; the file is the
  // name with ".ini" put back.
  platform::shell().deleteToRecycleBin(ButtonSetFolder() + name + ".ini", handle());
  ListSetFiles();
  DeleteBitBtn->setEnabled(false);
}

void TSettingSaveLoadDlg::CloseBitBtnClick() { setModalResult(ui::mrCancel); }

}  // namespace printerconfig
