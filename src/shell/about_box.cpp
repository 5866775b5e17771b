#include "shell/about_box.h"

namespace shell {

TAboutBox::TAboutBox() : ui::Form("TAboutBox") {
  setCaption("Kestrel バージョン情報");
  setBounds(0, 0, 300, 190);
  position = ui::FormPosition::ScreenCenter;
  resizable = false;
  ProductName = make<ui::Label>(this);
  ProductName->setCaption("Kestrel");
  ProductName->setBounds(24, 20, 240, 20);
  Version = make<ui::Label>(this);
  Version->setCaption("Version 2.30");
  Version->setBounds(24, 44, 240, 20);
  Comments = make<ui::Label>(this);
  Comments->setCaption("AutoCAD 図面一括印刷");
  Comments->setBounds(24, 68, 240, 20);
  OKButton = make<ui::Button>(this);
  OKButton->setCaption("OK");
  OKButton->setBounds(106, 112, 80, 26);
  OKButton->modalResult = ui::mrOk;
  OKButton->setDefault(true);
  OKButton->isCancel = true;
}

}  // namespace shell
