#include "shell/tmain.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/codec.h"
#include "base/profile.h"
#include "plot/ploter.h"
#include "plot/run_report.h"
#include "shell/get_dir_dlg.h"
#include "shell/program.h"
#include "support/sim_env.h"

using testing_support::SimEnv;

namespace {

// The keys of section "MainWindow" in the order they are written at close.
const std::vector<std::string> kWriteOrder = {
    "Top", "Left", "Width", "Height", "AcadExePath", "AcadArg", "AcadPrtDvDir", "AcadPrtStlDir",
    "AcadCommandWait", "FileDia", "CmdDia", "Proxynotice", "PrintMode", "PrintArea", "ScaleCalc",
    "LayoutSizeIndex", "LayoutAdjust", "DimMag", "CurrentBtnSet", "AcadClose", "ModelScalePrint",
    "LayoutScalePrint", "FileSort", "ModifySave", "ModeVisible", "Psltscale", "StartWait", "GetChildFolder",
    "DwgChoose", "DxfChoose", "ScaleWarning", "FITOFFSET00", "ONLYPC3", "LZH", "ZIP", "UNLZHFOLDER",
    "UNLZHFOLDERFIX", "UNLZHADDFOLDER", "DYNSTOP", "FONTCONTROL", "REPLASEFONT", "AcadWaitLimit", "UNATTENDED",
    "UNATTENDEDSCALE", "PACEDSEND", "FIXARCHIVEOPENDIR"};

// Key names of the "MainWindow" section of a written file, in file order.
std::vector<std::string> keysInFile(const std::string& bytes) {
  std::vector<std::string> keys;
  std::string text = base::cp932ToUtf8(bytes);
  size_t pos = 0;
  bool inMain = false;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') inMain = line == "[MainWindow]";
    else if (inMain && line.find('=') != std::string::npos) keys.push_back(line.substr(0, line.find('=')));
    pos = end + 1;
  }
  return keys;
}

struct MainWindowTest : ::testing::Test {
  SimEnv env;
  std::string ini() const { return env.path("kestrel20.ini"); }
  std::string value(const std::string& key) const {
    return base::ProfileFile(ini()).readString("MainWindow", key, "<missing>");
  }
};

TEST_F(MainWindowTest, FirstStartUsesTheDesignDefaultsAndWritesEveryKeyInOrder) {
  {
    shell::TMain m;
    m.show();
    EXPECT_EQ(m.caption(), "Kestrel 2.30");
    EXPECT_EQ(m.bounds().left, 194);
    EXPECT_EQ(m.bounds().top, 114);
    EXPECT_EQ(m.bounds().width, 505);
    EXPECT_EQ(m.bounds().height, 618);
    EXPECT_TRUE(m.Panel3->visible());
    EXPECT_EQ(m.ModeOpenBitBtn->caption(), "閉じる");
    EXPECT_EQ(m.PrintModeRadioGroup->itemIndex(), 1);
    EXPECT_EQ(m.PrintScopeRadioGroup->itemIndex(), 0);
    EXPECT_EQ(m.ScaleCalcRadioGroup->itemIndex(), 1);
    EXPECT_TRUE(m.DwgCheckBox->checked());
    EXPECT_TRUE(m.DxfCheckBox->checked());
    EXPECT_TRUE(m.LzhCheckBox->checked());
    EXPECT_FALSE(m.ZipCheckBox->checked());
    EXPECT_EQ(m.CurrentBtnSet, "Base");
    EXPECT_EQ(m.dwgNoLabel->caption(), "0");
    EXPECT_EQ(m.FolderFixSpeedButton->hint(), "ﾏｲ ｺﾝﾋﾟｭｰﾀ");
    // Both scale options are off, so their dependants are disabled.
    EXPECT_FALSE(m.ScaleCalcRadioGroup->enabled());
    EXPECT_FALSE(m.DimMagEdit->enabled());
    EXPECT_FALSE(m.LayoutSizeComboBox->enabled());
    EXPECT_FALSE(m.UnLzhFolderFixCheckBox->enabled());
    m.close();
  }
  EXPECT_EQ(keysInFile(env.readFile("kestrel20.ini")), kWriteOrder);
  EXPECT_EQ(value("AcadExePath"), "");
  EXPECT_EQ(value("ModeVisible"), "1");
  EXPECT_EQ(value("CurrentBtnSet"), "Base");
  EXPECT_EQ(value("LayoutSizeIndex"), "-1");  // no paper table: nothing selected
  EXPECT_EQ(value("Top"), "114");
  EXPECT_EQ(value("FIXARCHIVEOPENDIR"), "ﾏｲ ｺﾝﾋﾟｭｰﾀ");
  // CP932 on disk.
  const std::string bytes = env.readFile("kestrel20.ini");
  EXPECT_NE(bytes.find(*base::tryUtf8ToCp932("FIXARCHIVEOPENDIR=ﾏｲ ｺﾝﾋﾟｭｰﾀ")), std::string::npos);
}

TEST_F(MainWindowTest, StoredValuesComeBackAndAreWrittenAsRead) {
  env.writeFile("kestrel20.ini",
                *base::tryUtf8ToCp932("[MainWindow]\r\nTop=10\r\nLeft=20\r\nWidth=600\r\nHeight=325\r\n"
                                      "AcadExePath=C:\\Acad\\acad.exe\r\nAcadArg=/nologo\r\nPrintMode=0\r\n"
                                      "ModifySave=1\r\nDwgChoose=0\r\nAcadClose=2\r\nModeVisible=0\r\n"
                                      "LayoutAdjust= 98.5 \r\nREPLASEFONT=\"extfont.shx\"\r\n"
                                      "FIXARCHIVEOPENDIR=D:\\解凍\r\n"));
  {
    shell::TMain m;
    m.show();
    EXPECT_EQ(m.bounds().top, 10);
    EXPECT_EQ(m.bounds().height, 325);
    EXPECT_EQ(m.AcadExePath, "C:\\Acad\\acad.exe");
    EXPECT_EQ(m.AcadArg, "/nologo");
    EXPECT_EQ(m.PrintModeRadioGroup->itemIndex(), 0);
    EXPECT_TRUE(m.ModifySaveCheckBox->checked());
    EXPECT_FALSE(m.DwgCheckBox->checked());
    EXPECT_FALSE(m.AcadClose);  // only 1 reads as on
    EXPECT_EQ(m.LayoutAdjustEdit->text(), "98.5");
    EXPECT_EQ(m.FontEdit->text(), "extfont.shx");
    EXPECT_EQ(m.FolderFixSpeedButton->hint(), "D:\\解凍");
    // Hidden panel, and the stored height is taken as it is.
    EXPECT_FALSE(m.Panel3->visible());
    EXPECT_EQ(m.ModeOpenBitBtn->caption(), "開く");
    m.ModeOpenBitBtn->click();
    EXPECT_EQ(m.bounds().height, 325 + 293);
    EXPECT_TRUE(m.Panel3->visible());
    EXPECT_EQ(m.ModeOpenBitBtn->caption(), "閉じる");
    m.ModeOpenBitBtn->click();
    EXPECT_EQ(m.bounds().height, 325);
    m.close();
  }
  EXPECT_EQ(value("AcadExePath"), "C:\\Acad\\acad.exe");
  EXPECT_EQ(value("AcadClose"), "0");
  EXPECT_EQ(value("ModeVisible"), "0");
  EXPECT_EQ(value("FIXARCHIVEOPENDIR"), "D:\\解凍");
}

TEST_F(MainWindowTest, SettingsAreReadOnlyAtTheFirstShow) {
  shell::TMain m;
  m.show();
  m.DimMagEdit->setText("2");
  base::ProfileFile(ini()).writeString("MainWindow", "DimMag", "5");
  m.hide();
  m.show();
  EXPECT_EQ(m.DimMagEdit->text(), "2");
}

TEST_F(MainWindowTest, EnableRulesFollowTheirCheckBoxes) {
  shell::TMain m;
  m.show();
  m.ModelScalePrintCheckBox->click();
  EXPECT_TRUE(m.ScaleCalcRadioGroup->enabled());
  EXPECT_TRUE(m.DimMagEdit->enabled());
  m.LayoutScalePrintCheckBox->click();
  EXPECT_TRUE(m.LayoutBaseLabel->enabled());
  EXPECT_TRUE(m.LayoutSizeComboBox->enabled());
  EXPECT_TRUE(m.LayoutAdjustLabel->enabled());
  EXPECT_TRUE(m.LayoutAdjustEdit->enabled());
  m.UnLzhFolderCheckBox->click();
  EXPECT_TRUE(m.UnLzhFolderFixCheckBox->enabled());
  EXPECT_TRUE(m.FolderFixSpeedButton->enabled());
  m.ModelScalePrintCheckBox->click();
  EXPECT_FALSE(m.DimMagEdit->enabled());
}

TEST_F(MainWindowTest, ButtonSetComboListsSetFilesButNotTheTemplate) {
  env.writeFile("BottonSets/base.ini", "");
  env.writeFile("BottonSets/Zeta.ini", "");
  env.writeFile("BottonSets/alpha.ini", "");
  env.writeFile("BottonSets/notes.txt", "");
  env.writeFile("BottonSets/old.ini.bak", "");  // contains ".ini": listed as "old.ini"
  shell::TMain m;
  m.FillButtonSetCombo("ZETA");
  EXPECT_EQ(m.BtnSetComboBox->items(), (std::vector<std::string>{"alpha", "old.ini", "Zeta"}));
  EXPECT_EQ(m.BtnSetComboBox->text(), "Zeta");
  m.FillButtonSetCombo("missing");
  EXPECT_EQ(m.BtnSetComboBox->itemIndex(), -1);
}

TEST_F(MainWindowTest, ASetNamedBaseInAnotherCaseIsListed) {
  env.writeFile("BottonSets/Base.ini", "");
  shell::TMain m;
  m.FillButtonSetCombo("Base");
  // On a case-sensitive file system both could exist; only the exact
  // template name is left out.
  EXPECT_EQ(m.BtnSetComboBox->items(), (std::vector<std::string>{"Base"}));
  EXPECT_EQ(m.BtnSetComboBox->itemIndex(), 0);
}

TEST_F(MainWindowTest, LayoutSizesSkipEmptyEntriesAndStayParallel) {
  base::ProfileFile plot(env.path("plot.ini"));
  plot.writeString("PaperSize", "PAGE", "3");
  plot.writeString("PaperSize", "PageSize0", "A3=420x297");
  plot.writeString("PaperSize", "PageSize2", "A1 横=841x594");
  shell::TMain m;
  m.LoadLayoutSizes();
  EXPECT_EQ(m.LayoutSizeComboBox->items(), (std::vector<std::string>{"A3", "A1 横"}));
  EXPECT_EQ(m.LayoutBaseSizes, (std::vector<std::string>{"420x297", "841x594"}));
  EXPECT_EQ(m.LayoutSizeComboBox->itemIndex(), -1);
  m.LayoutSizeComboBox->setItemIndex(1);
  // Reloading keeps the selection by its text.
  plot.writeString("PaperSize", "PageSize1", "A4=297x210");
  m.LoadLayoutSizes();
  EXPECT_EQ(m.LayoutSizeComboBox->items(), (std::vector<std::string>{"A3", "A4", "A1 横"}));
  EXPECT_EQ(m.LayoutSizeComboBox->text(), "A1 横");
  EXPECT_EQ(m.LayoutBaseSizes[m.LayoutSizeComboBox->itemIndex()], "841x594");
}

TEST_F(MainWindowTest, HelperAnswers) {
  shell::TMain m;
  m.PdfDone = false;
  EXPECT_TRUE(m.onCopyData(1, std::string("success") + '\0'));
  EXPECT_TRUE(m.PdfDone);
  EXPECT_TRUE(env.ui.messages.empty());

  m.PdfDone = false;
  EXPECT_TRUE(m.onCopyData(1, std::string("failure") + '\0' + "junk"));
  EXPECT_TRUE(m.PdfDone);
  ASSERT_EQ(env.ui.messages.size(), 1u);
  EXPECT_EQ(env.ui.messages[0].text, "本図は変換できませんでした。");
  EXPECT_EQ(env.ui.messages[0].caption, "Wrenlyメッセージ");

  // During an unattended run the failure is noted with the drawing.
  plot::PlotOptions unattended;
  unattended.Unattended = true;
  plot::PlotRunState run;
  run.Options = &unattended;
  plot::DrawingRecord record{"C:\\a.dwg"};
  run.Record = &record;
  m.Ploters[1]->Run = &run;
  EXPECT_TRUE(m.onCopyData(1, std::string("failure") + '\0'));
  m.Ploters[1]->Run = nullptr;
  EXPECT_EQ(env.ui.messages.size(), 1u);
  EXPECT_EQ(record.Note, "本図は変換できませんでした。");

  m.PdfDone = false;
  m.onCopyData(1, std::string("successful") + '\0');
  m.onCopyData(1, "");
  EXPECT_FALSE(m.PdfDone);
  EXPECT_EQ(env.ui.messages.size(), 1u);
}

TEST_F(MainWindowTest, DamagedSettingsFileFallsBackToDefaultsAndIsRewritten) {
  std::string junk = "\x00\x01\xff\xfe binary\r\n";
  junk.append("[MainWindow]\r\n");
  junk.append("no equals sign here\r\n");
  junk.append("PrintMode=\x81\x7f\x82\r\n");  // invalid CP932, not a number
  junk.append("StartWait=abc\r\n");
  junk.append("Top=50\r\nTop=60\r\n");  // the first one counts
  junk.append("LZH=" + std::string(10 * 1024 * 1024, 'x') + "\r\n");
  junk.append("[MainWindow]\r\nDimMag=3\r\n");
  env.writeFile("kestrel20.ini", junk);
  {
    shell::TMain m;
    m.show();
    EXPECT_EQ(m.PrintModeRadioGroup->itemIndex(), 1);
    EXPECT_EQ(m.StartWait, 15);
    EXPECT_EQ(m.bounds().top, 50);
    EXPECT_TRUE(m.LzhCheckBox->checked());  // not a number: the default
    m.close();
  }
  base::ProfileFile f(ini());
  EXPECT_EQ(f.readString("MainWindow", "PrintMode", ""), "1");
  EXPECT_EQ(f.readString("MainWindow", "StartWait", ""), "15");
  EXPECT_EQ(f.readString("MainWindow", "LZH", ""), "1");
  EXPECT_EQ(f.readString("MainWindow", "FIXARCHIVEOPENDIR", ""), "ﾏｲ ｺﾝﾋﾟｭｰﾀ");
}

TEST_F(MainWindowTest, UnwritableSettingsFileIsReportedAtClose) {
  std::filesystem::create_directories(ini());  // a folder where the file should be
  shell::TMain m;
  m.show();
  m.close();
  ASSERT_EQ(env.ui.messages.size(), 1u);
  EXPECT_NE(env.ui.messages[0].text.find("kestrel20.ini"), std::string::npos);
}

TEST_F(MainWindowTest, AValueOutsideTheFileCodePageIsReportedAndTheRestIsKept) {
  {
    shell::TMain m;
    m.show();
    m.FontEdit->setText("字体\xF0\x9F\x98\x80.shx");  // an emoji has no CP932 form
    m.DimMagEdit->setText("2.5");
    m.close();
    ASSERT_EQ(env.ui.messages.size(), 1u);
    EXPECT_NE(env.ui.messages[0].text.find("REPLASEFONT"), std::string::npos);
  }
  EXPECT_EQ(value("DimMag"), "2.5");
  EXPECT_EQ(value("FIXARCHIVEOPENDIR"), "ﾏｲ ｺﾝﾋﾟｭｰﾀ");
}

// Hidden entries and read-only folders go too; a link inside goes as a
// link, and what it points to outside "tmp" is left as it was.
TEST_F(MainWindowTest, StartUpEmptiesTheTemporaryFolderWithoutFollowingLinks) {
  namespace fs = std::filesystem;
  env.writeFile("tmp/old.dwg", "x");
  env.writeFile("tmp/sub/deep.dxf", "x");
  env.writeFile("tmp/kept/.hidden", "x");
  env.writeFile("tmp/locked/in.dwg", "x");
  fs::permissions(env.path("tmp/locked"), fs::perms::owner_read | fs::perms::owner_exec);
  env.writeFile("outside/keep.dwg", "precious");
  fs::create_directory_symlink(env.path("outside"), env.path("tmp/link"));
  fs::create_symlink(env.path("outside/keep.dwg"), env.path("tmp/sub/file-link.dwg"));
  shell::TMain m;
  EXPECT_TRUE(fs::is_directory(env.path("tmp")));
  EXPECT_TRUE(fs::is_empty(env.path("tmp")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(env.path("tmp/link"))));
  EXPECT_EQ(env.readFile("outside/keep.dwg"), "precious");
  EXPECT_EQ(m.TempFolder, env.path("tmp"));
}

TEST_F(MainWindowTest, MenusAndAboutBox) {
  shell::Program p;
  EXPECT_EQ(env.ui.title, "Kestrel");
  ASSERT_NE(p.Main->menu->find("ヘルプファイル表示"), nullptr);
  p.Main->menu->find("ヘルプファイル表示")->click();
  ASSERT_EQ(env.processes.opened.size(), 1u);
  EXPECT_EQ(env.processes.opened[0], env.path("help/Kestrelhelp.html"));

  std::string seenCaption;
  env.ui.modalHandlers["TAboutBox"] = [&](ui::Form& f) {
    seenCaption = f.caption();
    static_cast<shell::TAboutBox&>(f).OKButton->click();
  };
  p.Main->menu->find("バージョン情報")->click();
  EXPECT_EQ(seenCaption, "Kestrel バージョン情報");
  EXPECT_EQ(p.AboutBox->ProductName->caption(), "Kestrel");
  EXPECT_NE(p.AboutBox->Version->caption().find("2.30"), std::string::npos);
}

struct FolderDialogTest : ::testing::Test {
  SimEnv env;
  shell::TGetDirDlg dlg;
};

TEST_F(FolderDialogTest, OkReturnsTheListedFolder) {
  env.writeFile("drawings/a/x.dwg", "");
  env.ui.modalHandlers["TGetDirDlg"] = [&](ui::Form&) {
    dlg.setFolder(env.path("drawings/a"));
    dlg.OKBtn->click();
  };
  EXPECT_EQ(dlg.choose("解凍フォルダ", env.path("drawings")), env.path("drawings/a"));
  EXPECT_EQ(dlg.caption(), "解凍フォルダ");
}

TEST_F(FolderDialogTest, CancelReturnsTheStartFolderAsGiven) {
  env.ui.modalHandlers["TGetDirDlg"] = [&](ui::Form&) { dlg.CancelBtn->click(); };
  EXPECT_EQ(dlg.choose("c", "Q:\\nowhere"), "Q:\\nowhere");
}

TEST_F(FolderDialogTest, ClosingByTheFrameReturnsTheFolderItStartedIn) {
  env.ui.modalHandlers["TGetDirDlg"] = [&](ui::Form& f) { f.close(); };
  EXPECT_EQ(dlg.choose("c", "Q:\\nowhere"), env.folder());
  env.writeFile("real/x", "");
  EXPECT_EQ(dlg.choose("c", env.path("real")), env.path("real"));
}

TEST_F(FolderDialogTest, TheListShowsTheChainAndTheSubfolders) {
  env.writeFile("top/b/x", "");
  env.writeFile("top/A/x", "");
  ASSERT_TRUE(dlg.setFolder(env.path("top")));
  const auto& items = dlg.DirectoryListBox1->items();
  ASSERT_GE(items.size(), 3u);
  EXPECT_NE(items[items.size() - 2].find("A"), std::string::npos);
  EXPECT_NE(items.back().find("b"), std::string::npos);
  // Double click on a subfolder enters it.
  dlg.DirectoryListBox1->setItemIndex(static_cast<int>(items.size()) - 1);
  dlg.DirectoryListBox1DblClick();
  EXPECT_EQ(dlg.folder(), env.path("top/b"));
}

}  // namespace
