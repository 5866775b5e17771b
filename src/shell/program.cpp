#include "shell/program.h"

#include "ui/application.h"

namespace shell {

Program::Program() {
  ui::setApplicationTitle("Kestrel");
  Main = std::make_unique<TMain>();
  Setting = std::make_unique<printerconfig::TSetting>(Main->SettingsFilePath, Main->PaperTablePath);
  AboutBox = std::make_unique<TAboutBox>();
  GetDirDlg = std::make_unique<TGetDirDlg>();
  PageSizeForm = std::make_unique<printerconfig::TPageSizeForm>(Main->PaperTablePath, Main->SettingsFilePath);
  PlotteingForm = std::make_unique<plot::TPlotteingForm>(Main->SettingsFilePath);
  AddSettingForm = std::make_unique<printerconfig::TAddSettingForm>(Main->SettingsFilePath);
  PlotterErrForm = std::make_unique<printerconfig::TPlotterErrForm>();
  SettingSaveLoadDlg = std::make_unique<printerconfig::TSettingSaveLoadDlg>();
  GetAutoCADHandleForm = std::make_unique<acadlink::TGetAutoCADHandleForm>();
  ScaleCheckProgressForm = std::make_unique<scalecheck::TScaleCheckProgressForm>();
  Main->SettingForm = Setting.get();
  Main->AboutBox = AboutBox.get();
  Main->GetDirDlg = GetDirDlg.get();
  Main->PageSizeForm = PageSizeForm.get();
  Main->PlotteingForm = PlotteingForm.get();
  Main->AddSettingForm = AddSettingForm.get();
  Main->PlotterErrForm = PlotterErrForm.get();
  Main->SettingSaveLoadDlg = SettingSaveLoadDlg.get();
  Main->GetAutoCADHandleForm = GetAutoCADHandleForm.get();
  Main->ScaleCheckProgressForm = ScaleCheckProgressForm.get();
  // The acquisition's macro is handed over by the settings dialog while it is open.
  AddSettingForm->ScaleCheckMacro = Main->ScaleCheck.get();
  AddSettingForm->ScaleSetMacro = Main->ScaleSet.get();
}

Program::~Program() = default;

void Program::run() { ui::backend().run(*Main); }

}  // namespace shell
