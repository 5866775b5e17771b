// "更に詳細設定": edits the three macros that belong to no plot button, the
// paper acquisition's, the scale check's and the limits setting's. They
// stay with their link objects; this dialog only replaces their lines. Its
// placement is kept in section "AddSettingWindow" of the main settings file.
#pragma once
#include <string>

#include "acadlink/acad_macro.h"
#include "ui/widgets.h"

namespace printerconfig {

class TAddSettingForm : public ui::Form {
 public:
  explicit TAddSettingForm(std::string settingsPath);

  static constexpr int kDesignLeft = 250, kDesignTop = 150, kDesignWidth = 640, kDesignHeight = 400;

  ui::Label* PloterLabel;
  ui::Memo* PloterMemo;
  ui::Label* ScaleCheckLabel;
  ui::Memo* ScaleCheckMemo;
  ui::Label* ScaleSetLabel;
  ui::Memo* ScaleSetMemo;
  ui::Button* OkBitBtn;
  ui::Button* CancelBitBtn;

  std::string SettingsPath;
  // The macros edited. The acquisition object exists only while the
  // settings dialog is open, which sets and clears its pointer; the other
  // two are the main window's. A missing one leaves its memo empty and is
  // not touched by OK.
  acadlink::AcadMacro* PageSizeMacro = nullptr;
  acadlink::AcadMacro* ScaleCheckMacro = nullptr;
  acadlink::AcadMacro* ScaleSetMacro = nullptr;
  // The placement is read from the file on the first show only.
  bool FirstShown = false;

  void FormCreate();
  void FormShow();
  void FormClose();
  void OkBitBtnClick();
  void CancelBitBtnClick();
};

}  // namespace printerconfig
