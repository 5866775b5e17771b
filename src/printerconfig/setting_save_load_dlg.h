// "印刷ボタンの追加と削除": adds a button set as a copy of the base set and
// deletes sets to the recycle bin. The settings dialog hands it its current
// set name before showing it and takes the name back afterwards.
#pragma once
#include <string>

#include "ui/widgets.h"

namespace printerconfig {

class TSettingSaveLoadDlg : public ui::Form {
 public:
  TSettingSaveLoadDlg();

  static constexpr int kDesignWidth = 330, kDesignHeight = 330;

  ui::Label* CurrentSetCaptionLabel;
  ui::Label* CurrentSetLabel;
  ui::Label* CannotDeleteLabel;
  ui::Label* SaveLabel;
  ui::Edit* SaveEdit;
  ui::Button* SaveBitBtn;
  ui::ListBox* IniListBox;
  ui::Button* DeleteBitBtn;
  ui::Button* CloseBitBtn;

  // The settings dialog's current set; adding a set makes the new one current.
  std::string CurrentBtnSet;

  void FormShow();
  void SaveBitBtnClick();
  void IniListBoxClick();
  void DeleteBitBtnClick();
  void CloseBitBtnClick();
  void ListSetFiles();
};

}  // namespace printerconfig
