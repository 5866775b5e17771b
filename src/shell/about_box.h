#pragma once
#include "ui/widgets.h"

namespace shell {

class TAboutBox : public ui::Form {
 public:
  TAboutBox();
  ui::Label* ProductName;
  ui::Label* Version;
  ui::Label* Comments;
  ui::Button* OKButton;
};

}  // namespace shell
