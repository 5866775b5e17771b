#include "acadlink/get_autocad_handle_form.h"

namespace acadlink {

TGetAutoCADHandleForm::TGetAutoCADHandleForm() : ui::Form("TGetAutoCADHandleForm") {
  setCaption("AutoCAD再取得");
  setBounds(0, 0, 272, 300);
  clientWidth = 264;
  clientHeight = 266;
  position = ui::FormPosition::ScreenCenter;
  resizable = false;
  setTopMost(true);
  onShow = [this] { FormShow(); };

  Memo1 = make<ui::Memo>(this);
  Memo1->setBounds(8, 8, 248, 112);
  Memo1->setReadOnly(true);
  Memo1->setLines({"AutoCADの認識に失敗しました。", "AuotCADが起動中で", "コマンドラインに「コマンド：」",
                   "と表示している状態で", "AutoCADのバージョンに合わせて", "下のボタンをクリックしてください。"});

  GetAcad2000Button = make<ui::Button>(this);
  GetAcad2000Button->setCaption("AutoCAD（LT)2000-2002");
  GetAcad2000Button->setBounds(32, 132, 200, 30);
  GetAcad2000Button->onClick = [this] { GetAcad2000ButtonClick(); };

  GetAcad2004Button = make<ui::Button>(this);
  GetAcad2004Button->setCaption("AutoCAD（LT)2004-2006");
  GetAcad2004Button->setBounds(32, 172, 200, 30);
  GetAcad2004Button->onClick = [this] { GetAcad2004ButtonClick(); };

  CancelButton = make<ui::Button>(this);
  CancelButton->setCaption("印刷中止");
  CancelButton->setBounds(32, 212, 200, 30);
  CancelButton->onClick = [this] { CancelButtonClick(); };
}

// Whatever ends the dialog without a button answers "Cancel".
void TGetAutoCADHandleForm::FormShow() { Answer = "Cancel"; }

void TGetAutoCADHandleForm::GetAcad2000ButtonClick() {
  Answer = "2000";
  close();
}

void TGetAutoCADHandleForm::GetAcad2004ButtonClick() {
  Answer = "2004";
  close();
}

void TGetAutoCADHandleForm::CancelButtonClick() {
  Answer = "Cancel";
  close();
}

}  // namespace acadlink
