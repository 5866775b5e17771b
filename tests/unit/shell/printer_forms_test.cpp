// The printer configuration's three dialogs at start-up: their place in
// the creation order and what they are handed.
#include <gtest/gtest.h>

#include <algorithm>

#include "shell/program.h"
#include "support/sim_env.h"

namespace {

TEST(PrinterForms, CreatedInTheirPlacesAndHandedToTheMainWindow) {
  testing_support::SimEnv env;
  shell::Program program;
  std::vector<std::string> order;
  for (ui::Form* f : ui::Form::allForms()) order.push_back(f->className());
  auto at = [&](const char* name) { return std::find(order.begin(), order.end(), name) - order.begin(); };
  EXPECT_LT(at("TPlotteingForm"), at("TAddSettingForm"));
  EXPECT_LT(at("TAddSettingForm"), at("TPlotterErrForm"));
  EXPECT_LT(at("TPlotterErrForm"), at("TSettingSaveLoadDlg"));
  EXPECT_LT(at("TSettingSaveLoadDlg"), at("TGetAutoCADHandleForm"));
  EXPECT_EQ(program.Main->AddSettingForm, program.AddSettingForm.get());
  EXPECT_EQ(program.Main->PlotterErrForm, program.PlotterErrForm.get());
  EXPECT_EQ(program.Main->SettingSaveLoadDlg, program.SettingSaveLoadDlg.get());
  // The main window's two macros; the acquisition's comes with the settings dialog.
  EXPECT_EQ(program.AddSettingForm->ScaleCheckMacro, program.Main->ScaleCheck.get());
  EXPECT_EQ(program.AddSettingForm->ScaleSetMacro, program.Main->ScaleSet.get());
  EXPECT_EQ(program.AddSettingForm->PageSizeMacro, nullptr);
  EXPECT_EQ(program.AddSettingForm->SettingsPath, program.Main->SettingsFilePath);
}

}  // namespace
