// The list of plot devices whose papers could not be acquired, with what
// the user should do about them.
#pragma once
#include <string>
#include <vector>

#include "ui/widgets.h"

namespace printerconfig {

class TPlotterErrForm : public ui::Form {
 public:
  TPlotterErrForm();

  ui::Label* Label1;
  ui::Label* Label2;
  ui::Label* Label3;
  ui::Label* Label4;
  ui::Label* Label5;
  ui::ListBox* ListBox1;
  ui::Button* Button1;

  // The devices, one a line in the order given, then the dialog modally.
  void ShowDevices(const std::vector<std::string>& devices);
  void Button1Click();
};

}  // namespace printerconfig
