// The paper size table's editor: one table line per text line. It keeps its
// placement in section "PageSizeWindow" of the main settings file.
#pragma once
#include <string>

#include "ui/widgets.h"

namespace printerconfig {

class TPageSizeForm : public ui::Form {
 public:
  TPageSizeForm(std::string plotIniPath, std::string settingsPath);

  static constexpr int kDesignLeft = 300, kDesignTop = 200, kDesignWidth = 380, kDesignHeight = 300;

  ui::Memo* Memo1;
  ui::Label* Label1;
  ui::Label* Label2;
  ui::Label* Label3;
  ui::Button* OKBitBtn;
  ui::Button* CloseBitBtn;

  std::string PlotIniPath;
  std::string SettingsPath;
  // The placement is restored only on the first show.
  bool FirstShown = false;

  void FormShow();
  void FormClose();
  void OKBitBtnClick();
};

}  // namespace printerconfig
