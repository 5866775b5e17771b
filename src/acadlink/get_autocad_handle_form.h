// Asks the user for AutoCAD's release when automatic recognition failed.
#pragma once
#include <string>

#include "ui/widgets.h"

namespace acadlink {

class TGetAutoCADHandleForm : public ui::Form {
 public:
  TGetAutoCADHandleForm();

  ui::Memo* Memo1;
  ui::Button* GetAcad2000Button;
  ui::Button* GetAcad2004Button;
  ui::Button* CancelButton;

  // "2000", "2004" or "Cancel"; closing the dialog any other way leaves
  // "Cancel".
  std::string Answer = "Cancel";

  void FormShow();
  void GetAcad2000ButtonClick();
  void GetAcad2004ButtonClick();
  void CancelButtonClick();
};

}  // namespace acadlink
