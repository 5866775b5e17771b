#include "printerconfig/plotter_err_form.h"

#include "ui/application.h"

namespace printerconfig {

TPlotterErrForm::TPlotterErrForm() : ui::Form("TPlotterErrForm") {
  setCaption(ui::kFormCaption);
  setBounds(0, 0, 420, 330);
  position = ui::FormPosition::ScreenCenter;
  resizable = false;

  const char* lines[] = {"これらのプリンタの用紙名は、取得できませんでした。", "これらのプリンタを使用し、印刷を行う場合は",
                         "プリンタ及びネットワークの状態をチェックして、", "手動でAutoCADにて印刷可能な状態にしてから",
                         "このソフトで、再びプリンタの用紙取得を行って下さい。"};
  ui::Label** labels[] = {&Label1, &Label2, &Label3, &Label4, &Label5};
  for (int i = 0; i < 5; ++i) {
    *labels[i] = make<ui::Label>(this);
    (*labels[i])->setCaption(lines[i]);
    (*labels[i])->setBounds(16, 12 + 20 * i, 380, 16);
  }
  ListBox1 = make<ui::ListBox>(this);
  ListBox1->setBounds(16, 118, 380, 130);
  Button1 = make<ui::Button>(this);
  Button1->setCaption("OK");
  Button1->setBounds(160, 258, 96, 28);
  Button1->setDefault(true);
  Button1->isCancel = true;
  Button1->onClick = [this] { Button1Click(); };
}

void TPlotterErrForm::ShowDevices(const std::vector<std::string>& devices) {
  ListBox1->setItems(devices);
  showModal();
}

void TPlotterErrForm::Button1Click() { setModalResult(ui::mrOk); }

}  // namespace printerconfig
