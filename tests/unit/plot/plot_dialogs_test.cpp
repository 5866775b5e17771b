#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "base/profile.h"
#include "plot/plotteing_form.h"
#include "plot/scale_dialogs.h"
#include "printerconfig/page_size_form.h"
#include "shell/program.h"
#include "support/sim_env.h"

namespace {

using plot::TDwgAreaUndefinedDlg;
using plot::TPlotteingForm;
using plot::TScaleUnCorrectDlg;

struct PlotDialogsTest : ::testing::Test {
  testing_support::SimEnv env;
  std::string ini = env.path("kestrel20.ini");
};

// The one button of a form that Esc (cancel) or Enter (default) presses.
ui::Button* keyButton(ui::Form& f, bool cancel) {
  ui::Button* found = nullptr;
  for (ui::Control* c : f.children()) {
    auto* b = dynamic_cast<ui::Button*>(c);
    if (!b || (cancel ? !b->isCancel : !b->isDefault())) continue;
    EXPECT_EQ(found, nullptr) << "two such buttons on " << f.className();
    found = b;
  }
  return found;
}

TEST_F(PlotDialogsTest, ProgressWindowKeepsItsPlaceFromOneRunToTheNext) {
  {
    TPlotteingForm f(ini);
    f.show();
    EXPECT_EQ(f.bounds().left, 378);
    EXPECT_EQ(f.bounds().height, 133);
    f.StopBitBtn->click();
    EXPECT_FALSE(f.ContinueFlag);
    EXPECT_TRUE(f.shown());  // the click does nothing else
    f.setBounds(40, 50, 300, 140);
    f.close();
  }
  EXPECT_EQ(env.readFile("kestrel20.ini"), "[PlottingWindow]\r\nTop=50\r\nLeft=40\r\nWidth=300\r\nHeight=140\r\n");
  TPlotteingForm next(ini);
  EXPECT_TRUE(next.ContinueFlag);
  next.show();
  EXPECT_EQ(next.bounds().left, 40);
  EXPECT_EQ(next.bounds().height, 140);
  // Only the first show restores the placement.
  base::ProfileFile(ini).writeString("PlottingWindow", "Left", "500");
  next.hide();
  next.show();
  EXPECT_EQ(next.bounds().left, 40);
}

TEST_F(PlotDialogsTest, EachWindowIsTheOnlyTopMostOneWhileItLives) {
  ui::Form other("TOther");
  other.setTopMost(true);
  auto progress = std::make_unique<TPlotteingForm>(ini);
  EXPECT_TRUE(progress->topMost());
  EXPECT_FALSE(other.topMost());
  {
    TScaleUnCorrectDlg dlg;
    EXPECT_TRUE(dlg.topMost());
    EXPECT_FALSE(progress->topMost());
    EXPECT_FALSE(other.topMost());
  }
  EXPECT_TRUE(progress->topMost());
  EXPECT_FALSE(other.topMost());
  progress.reset();
  EXPECT_TRUE(other.topMost());
}

TEST_F(PlotDialogsTest, ScaleDialogResultsWithEscEnterAndTheFrame) {
  TScaleUnCorrectDlg dlg;
  EXPECT_EQ(keyButton(dlg, false), dlg.FreeScaleBtn);
  EXPECT_EQ(keyButton(dlg, true), dlg.PrintCancelBtn);
  auto ask = [&](std::function<void()> user) {
    env.ui.modalHandlers["TScaleUnCorrectDlg"] = [user](ui::Form&) { user(); };
    dlg.showModal();
    EXPECT_FALSE(dlg.shown());
    return dlg.Result;
  };
  EXPECT_EQ(ask([&] { dlg.AnotherCheckBox->click(); dlg.ScaleBtn->click(); }), 2);
  EXPECT_TRUE(dlg.AnotherCheckBox->checked());
  EXPECT_EQ(ask([&] { keyButton(dlg, false)->click(); }), 1);
  EXPECT_FALSE(dlg.AnotherCheckBox->checked());  // unchecked when shown
  EXPECT_EQ(ask([&] { keyButton(dlg, true)->click(); }), 0);
  EXPECT_EQ(ask([&] { dlg.ScaleBtn->click(); }), 2);
  EXPECT_EQ(ask([&] { dlg.close(); }), 0);  // the frame's close is "印刷中止"

  TDwgAreaUndefinedDlg area;
  EXPECT_EQ(keyButton(area, false), area.FreeScaleBtn);
  EXPECT_EQ(keyButton(area, true), area.PrintCancelBtn);
  env.ui.modalHandlers["TDwgAreaUndefinedDlg"] = [&](ui::Form&) { area.FreeScaleBtn->click(); };
  area.showModal();
  EXPECT_EQ(area.Result, 1);
  env.ui.modalHandlers["TDwgAreaUndefinedDlg"] = [&](ui::Form& f) { f.close(); };
  area.showModal();
  EXPECT_EQ(area.Result, 0);
}

TEST_F(PlotDialogsTest, TheProgressWindowIsCreatedAfterTheFolderDialog) {
  shell::Program program;
  std::vector<std::string> order;
  for (ui::Form* f : ui::Form::allForms()) order.push_back(f->className());
  auto at = [&](const char* name) { return std::find(order.begin(), order.end(), name) - order.begin(); };
  EXPECT_LT(at("TGetDirDlg"), at("TPlotteingForm"));
  EXPECT_LT(at("TPlotteingForm"), at("TGetAutoCADHandleForm"));
  EXPECT_EQ(program.PlotteingForm->SettingsPath, program.Main->SettingsFilePath);
  // The paper size table's dialog comes between the two.
  EXPECT_LT(at("TGetDirDlg"), at("TPageSizeForm"));
  EXPECT_LT(at("TPageSizeForm"), at("TPlotteingForm"));
  EXPECT_EQ(program.Main->PageSizeForm, program.PageSizeForm.get());
  EXPECT_EQ(program.PageSizeForm->PlotIniPath, program.Main->PaperTablePath);
  EXPECT_EQ(program.PageSizeForm->SettingsPath, program.Main->SettingsFilePath);
}

}  // namespace
