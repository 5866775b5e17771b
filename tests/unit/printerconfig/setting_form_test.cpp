// The settings dialog: what it shows of the buttons and the settings, the
// device and style lists, the executable and its folders, button sets, and
// what OK and Cancel commit.
#include "printerconfig/setting_form.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/codec.h"
#include "base/profile.h"
#include "acadlink/get_autocad_handle_form.h"
#include "acadsim/sim_host.h"
#include "plot/ploter.h"
#include "printerconfig/plotter_err_form.h"
#include "support/sim_env.h"

namespace {

using printerconfig::TSetting;
using Texts = std::vector<std::string>;

class SettingTest : public ::testing::Test {
 protected:
  testing_support::SimEnv env;
  std::unique_ptr<plot::Ploter> ploters[4];
  std::unique_ptr<TSetting> dlg;
  std::vector<std::string> shownButtons;
  // What the test does while the dialog is open.
  std::function<void(TSetting&)> inDialog;

  void SetUp() override {
    static const char* const sections[] = {"Ploter1Fleld", "Ploter2Fleld", "Ploter3Fleld", "Ploter4Fleld"};
    std::filesystem::create_directories(env.path("BottonSets"));
    std::filesystem::create_directories(env.path("plotters"));
    std::filesystem::create_directories(env.path("styles"));
    touch("plotters/DWG To PDF.pc3");
    touch("plotters/Plotter.lnk");
    std::filesystem::create_directories(env.path("plotters/sub"));
    touch("styles/monochrome.ctb");
    env.printers.printers = {"Office Laser"};
    env.writeFile("plot.ini", base::utf8ToCp932("[DWG To PDF.pc3]\r\nPAGE=2\r\nPageSize0=\"ISO A3\"\r\nPageSize1=ISO A4\r\n"
                                                "[PaperSize]\r\nPAGE=2\r\nPageSize0=A3=297x420\r\nPageSize1=A4=210x297\r\n"));
    for (int i = 0; i < 4; ++i) {
      ploters[i] = std::make_unique<plot::Ploter>(env.path("kestrel20.ini"), sections[i]);
      ploters[i]->LoadButton("Base");
    }
    dlg = std::make_unique<TSetting>(env.path("kestrel20.ini"), env.path("plot.ini"));
    for (int i = 0; i < 4; ++i) dlg->Links.Ploters[i] = ploters[i].get();
    dlg->Links.ShowPlotButton = [this](int n, const std::string& caption, bool visible) {
      shownButtons.push_back(std::to_string(n) + caption + (visible ? "+" : "-"));
    };
    dlg->Settings.AcadPrtDvDir = env.path("plotters");
    dlg->Settings.AcadPrtStlDir = env.path("styles");
    env.ui.modalHandlers["TSetting"] = [this](ui::Form& f) {
      if (inDialog) inDialog(static_cast<TSetting&>(f));
    };
  }
  void touch(const std::string& name) { std::ofstream(env.path(name)) << "x"; }
  int open() { return dlg->showModal(); }
  static Texts items(const ui::ComboBox* c) { return c->items(); }
};

TEST_F(SettingTest, DeviceAndStyleListsComeFromThePrintersAndTheFoldersWithoutShortcutsOrFolders) {
  dlg->Settings.OnlyPc3 = false;
  inDialog = [](TSetting& d) {
    for (auto& c : d.P) {
      EXPECT_EQ(items(c.PrtDvCmbBx), (Texts{"None", "Office Laser", "DWG To PDF.pc3"}));
      EXPECT_EQ(items(c.PrtStlCmbBx), (Texts{"None", "monochrome.ctb"}));
    }
    d.P[2].PrtDvCmbBx->choose(1);
    // Only the plotter files: every list back at "None".
    d.OnlyPc3CheckBox->click();
    for (auto& c : d.P) {
      EXPECT_EQ(items(c.PrtDvCmbBx), (Texts{"None", "DWG To PDF.pc3"}));
      EXPECT_EQ(c.PrtDvCmbBx->text(), "None");
    }
  };
  open();
}

TEST_F(SettingTest, TheExecutablesFolderLabel) {
  const std::pair<std::string, std::string> cases[] = {
      {"None", "指定なし"},
      {"C:\\Program Files\\AutoCAD 2004\\acad.exe", "AutoCAD 2004"},
      {"C:\\acad.exe", "再設定下さい"},
  };
  for (const auto& [path, label] : cases) {
    dlg->Settings.AcadExePath = path;
    std::string seen;
    inDialog = [&](TSetting& d) { seen = d.ACadPathLabel->caption(); };
    open();
    EXPECT_EQ(seen, label) << path;
  }
}

TEST_F(SettingTest, ANewExecutableMovesDefaultFoldersAndKeepsAChosenOne) {
  const std::string acad = env.path("ACAD2004/acad.exe");
  std::filesystem::create_directories(env.path("ACAD2004/Plotters"));
  dlg->Settings.AcadPrtDvDir = "None";
  dlg->Settings.AcadPrtStlDir = env.path("styles");  // chosen by the user
  env.ui.fileAnswers.push_back(acad);
  inDialog = [&](TSetting& d) {
    d.SetAcadPathBitBtn->click();
    EXPECT_EQ(d.PrtDvDirEdit->text(), env.path("ACAD2004/Plotters"));
    EXPECT_EQ(d.PrtStlDirEdit->text(), env.path("styles"));
    EXPECT_EQ(d.ACadPathLabel->caption(), "ACAD2004");
    // Another executable: the old default follows, and a missing folder
    // becomes "None".
    env.ui.fileAnswers.push_back(env.path("ACAD2006/acad.exe"));
    d.SetAcadPathBitBtn->click();
    EXPECT_EQ(d.PrtDvDirEdit->text(), "None");
    d.OKBitBtn->click();
  };
  open();
  ASSERT_EQ(env.ui.fileDialogs.size(), 2u);
  EXPECT_EQ(env.ui.fileDialogs[0].filter, "AutoCAD実行ﾌｧｲﾙ|*.exe");
  EXPECT_EQ(env.ui.fileDialogs[1].initialPath, acad);
  EXPECT_EQ(dlg->Settings.AcadExePath, env.path("ACAD2006/acad.exe"));
  EXPECT_EQ(ploters[0]->GetAcadExePath(), env.path("ACAD2006/acad.exe"));
}

TEST_F(SettingTest, PaperNamesOfADeviceWithoutQuotesAndNoneWithoutAny) {
  inDialog = [](TSetting& d) {
    EXPECT_EQ(items(d.P[0].PaperNameCmbBx), Texts{"None"});  // device "None"
    d.P[0].PrtDvCmbBx->choose(d.P[0].PrtDvCmbBx->indexOf("DWG To PDF.pc3"));
    EXPECT_EQ(items(d.P[0].PaperNameCmbBx), (Texts{"ISO A3", "ISO A4"}));
    EXPECT_EQ(d.P[0].PaperNameCmbBx->text(), "ISO A3");
    EXPECT_EQ(items(d.P[1].PaperComBox), (Texts{"A3", "A4"}));
  };
  open();
}

TEST_F(SettingTest, OkStoresTheButtonsIntoTheRecordsAndTheSetAndHandsTheSettingsBack) {
  inDialog = [](TSetting& d) {
    auto& c = d.P[1];
    c.NameEdit->userEdit("A3 PDF");
    c.ChkBox->setChecked(true);
    c.PrtDvCmbBx->choose(c.PrtDvCmbBx->indexOf("DWG To PDF.pc3"));
    c.PaperNameCmbBx->choose(1);
    c.PaperComBox->choose(0);
    c.PaperDirectionComBox->choose(1);
    c.MacroMemo1->userEdit({"-plot", "#PRINTDEVICE"});
    d.CommandWaitEdit->userEdit("250");
    d.AcadWaitLimitEdit->userEdit("60");
    d.FileDiaComboBox->choose(0);
    EXPECT_EQ(d.PacedSendCheckBox->caption(), "高速送信");
    EXPECT_FALSE(d.PacedSendCheckBox->checked());
    d.PacedSendCheckBox->click();
    d.OKBitBtn->click();
  };
  EXPECT_EQ(open(), ui::mrOk);
  EXPECT_TRUE(dlg->Committed);
  EXPECT_TRUE(dlg->Settings.PacedSend);
  EXPECT_EQ(dlg->Settings.AcadCommandWait, 250);
  EXPECT_EQ(dlg->Settings.AcadWaitLimit, 60);
  EXPECT_EQ(dlg->Settings.FileDia, 0);
  const plot::Ploter& p = *ploters[1];
  EXPECT_EQ(p.GetUserName(), "A3 PDF");
  EXPECT_EQ(p.GetPrintDevice(), "DWG To PDF.pc3");
  EXPECT_EQ(p.GetPaperName(), "ISO A4");
  EXPECT_EQ(p.GetPaperSize(), "297x420");
  EXPECT_EQ(p.GetPaperDirection(), 1);
  EXPECT_EQ(p.ModelMacro, (Texts{"-plot", "#PRINTDEVICE"}));
  EXPECT_EQ(shownButtons[1], "2A3 PDF+");
  // Saved into the current set's file.
  plot::Ploter reread(env.path("kestrel20.ini"), "Ploter2Fleld");
  reread.LoadButton("Base");
  EXPECT_EQ(reread.GetUserName(), "A3 PDF");
  EXPECT_EQ(reread.GetPaperName(), "ISO A4");
}

TEST_F(SettingTest, AWaitThatIsNotAWholeNumberKeepsTheDialogOpenAndCancelCommitsNothing) {
  inDialog = [this](TSetting& d) {
    d.P[0].NameEdit->userEdit("changed");
    d.AcadStartWaitEdit->userEdit("1.5");
    d.OKBitBtn->click();
    EXPECT_TRUE(d.shown());
    ASSERT_FALSE(env.ui.messages.empty());
    EXPECT_NE(env.ui.messages.back().text.find("1.5"), std::string::npos);
    d.CancelBitBtn->click();
  };
  EXPECT_EQ(open(), ui::mrCancel);
  EXPECT_FALSE(dlg->Committed);
  EXPECT_EQ(ploters[0]->GetUserName(), "PloterName");
  EXPECT_TRUE(shownButtons.empty());
}

TEST_F(SettingTest, TheStoredHeightIsTheCollapsedOneAndTheLowerPanelIsHiddenAtEveryShow) {
  int height = 0;
  inDialog = [&](TSetting& d) {
    height = d.bounds().height;
    d.CommandEditBitBtn->click();
    EXPECT_TRUE(d.LowerPanel->visible());
    EXPECT_EQ(d.CommandEditBitBtn->caption(), "閉じる");
    EXPECT_EQ(d.bounds().height, height + TSetting::kLowerPanelHeight);
  };
  open();
  EXPECT_EQ(base::ProfileFile(env.path("kestrel20.ini")).readInt("SettingWindow", "Height", 0), height);
  inDialog = [&](TSetting& d) {
    EXPECT_FALSE(d.LowerPanel->visible());
    EXPECT_EQ(d.CommandEditBitBtn->caption(), "開く");
    EXPECT_EQ(d.bounds().height, height);
  };
  open();
}

TEST_F(SettingTest, SwitchingSetsKeepsAnEditInTheSetThatWasShown) {
  touch("BottonSets/Base.ini");
  touch("BottonSets/Site.ini");
  touch("BottonSets/base.ini");
  inDialog = [](TSetting& d) {
    EXPECT_EQ(items(d.BottonSetComboBox), (Texts{"Base", "Site"}));
    d.P[1].NameEdit->userEdit("edited in Base");
    d.BottonSetComboBox->dropDown();
    d.BottonSetComboBox->choose(d.BottonSetComboBox->indexOf("Site"));
    EXPECT_EQ(d.P[1].NameEdit->text(), "PloterName");  // Site's own, a default
    d.CancelBitBtn->click();
  };
  open();
  plot::Ploter base(env.path("kestrel20.ini"), "Ploter2Fleld");
  base.LoadButton("Base");
  EXPECT_EQ(base.GetUserName(), "edited in Base");
  plot::Ploter site(env.path("kestrel20.ini"), "Ploter2Fleld");
  site.LoadButton("Site");
  EXPECT_EQ(site.GetUserName(), "PloterName");
  plot::Ploter untouched(env.path("kestrel20.ini"), "Ploter1Fleld");
  untouched.LoadButton("Base");
  EXPECT_EQ(base::ProfileFile(env.path("BottonSets/Base.ini")).readString("Ploter1Fleld", "USERNAME", "-"), "-");
}

// ---------------------------------------------------------------- paper acquisition

TEST_F(SettingTest, AcquisitionFromTheDialogStoresTheKnownDevicesPapersAndListsTheOthers) {
  const std::string kAcad = "C:\\ACAD\\acad.exe";
  acadsim::SimHost acad{env.desktop, env.clock, env.clipboard, env.processes};
  acad.registerProgram(kAcad);
  acad.options().session.workFolder = env.folder();
  touch("plotters/Gone Plotter.pc3");
  acadlink::TGetAutoCADHandleForm recognition;
  printerconfig::TPlotterErrForm failures;
  dlg->Links.RecognitionForm = &recognition;
  dlg->Links.PlotterErrForm = &failures;
  dlg->Settings.AcadExePath = kAcad;
  std::vector<std::string> failed;
  env.ui.modalHandlers["TPlotterErrForm"] = [&](ui::Form&) { failed = failures.ListBox1->items(); };
  env.clipboard.setText("the user's own text");
  inDialog = [](TSetting& d) {
    d.GetPageSizeBitBtn->click();
    // The new papers are offered at the next device choice.
    auto& c = d.P[1];
    c.PrtDvCmbBx->choose(c.PrtDvCmbBx->indexOf("DWG To PDF.pc3"));
    EXPECT_GT(c.PaperNameCmbBx->count(), 1);
    EXPECT_GE(c.PaperNameCmbBx->indexOf("ISO A3 (420.00 x 297.00 mm)"), 0);
  };
  open();
  EXPECT_EQ(failed, Texts{"Gone Plotter.pc3"});
  const base::ProfileFile ini(env.path("plot.ini"));
  EXPECT_GT(ini.readInt("DWG To PDF.pc3", "PAGE", 0), 2);  // more than the two written by the test
  EXPECT_EQ(env.clipboard.getText(), "the user's own text");
}

}  // namespace
