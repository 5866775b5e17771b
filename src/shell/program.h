// The program entry, independent of the backends: sets the title, creates
// the forms in their order, runs until the main window closes.
#pragma once
#include <memory>

#include "acadlink/get_autocad_handle_form.h"
#include "plot/plotteing_form.h"
#include "printerconfig/add_setting_form.h"
#include "printerconfig/page_size_form.h"
#include "printerconfig/plotter_err_form.h"
#include "printerconfig/setting_save_load_dlg.h"
#include "printerconfig/setting_form.h"
#include "scalecheck/check_progress_form.h"
#include "shell/about_box.h"
#include "shell/get_dir_dlg.h"
#include "shell/tmain.h"

namespace shell {

class Program {
 public:
  // Sets the application title and creates every form; the backends and
  // the platform context must be set up already.
  Program();
  ~Program();
  // Shows the main window and runs the message loop until it closes.
  void run();

  std::unique_ptr<TMain> Main;
  std::unique_ptr<printerconfig::TSetting> Setting;
  std::unique_ptr<TAboutBox> AboutBox;
  std::unique_ptr<TGetDirDlg> GetDirDlg;
  std::unique_ptr<printerconfig::TPageSizeForm> PageSizeForm;
  std::unique_ptr<plot::TPlotteingForm> PlotteingForm;
  std::unique_ptr<printerconfig::TAddSettingForm> AddSettingForm;
  std::unique_ptr<printerconfig::TPlotterErrForm> PlotterErrForm;
  std::unique_ptr<printerconfig::TSettingSaveLoadDlg> SettingSaveLoadDlg;
  std::unique_ptr<acadlink::TGetAutoCADHandleForm> GetAutoCADHandleForm;
  std::unique_ptr<scalecheck::TScaleCheckProgressForm> ScaleCheckProgressForm;
};

}  // namespace shell
