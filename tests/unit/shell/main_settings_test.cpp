// The "MainWindow" section as a whole: every key's default, its place in
// the file, and that every value the window holds comes back after a close
// and a new start.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "acadlink/acad_macro.h"
#include "base/codec.h"
#include "base/profile.h"
#include "plot/ploter.h"
#include "shell/main_settings.h"
#include "shell/tmain.h"
#include "support/sim_env.h"

namespace {

using Lines = std::vector<std::pair<std::string, std::string>>;

// A first start's section, key by key in the order the file has always had.
const Lines kFirstStart = {
    {"Top", "114"},
    {"Left", "194"},
    {"Width", "505"},
    {"Height", "618"},
    {"AcadExePath", ""},
    {"AcadArg", ""},
    {"AcadPrtDvDir", "None"},
    {"AcadPrtStlDir", "None"},
    {"AcadCommandWait", "100"},
    {"FileDia", "1"},
    {"CmdDia", "1"},
    {"Proxynotice", "1"},
    {"PrintMode", "1"},
    {"PrintArea", "0"},
    {"ScaleCalc", "1"},
    {"LayoutSizeIndex", "0"},
    {"LayoutAdjust", "100"},
    {"DimMag", "1"},
    {"CurrentBtnSet", "Base"},
    {"AcadClose", "1"},
    {"ModelScalePrint", "0"},
    {"LayoutScalePrint", "0"},
    {"FileSort", "0"},
    {"ModifySave", "0"},
    {"ModeVisible", "1"},
    {"Psltscale", "0"},
    {"StartWait", "15"},
    {"GetChildFolder", "0"},
    {"DwgChoose", "1"},
    {"DxfChoose", "1"},
    {"ScaleWarning", "1"},
    {"FITOFFSET00", "1"},
    {"ONLYPC3", "1"},
    {"LZH", "1"},
    {"ZIP", "0"},
    {"UNLZHFOLDER", "0"},
    {"UNLZHFOLDERFIX", "0"},
    {"UNLZHADDFOLDER", "0"},
    {"DYNSTOP", "0"},
    {"FONTCONTROL", "0"},
    {"REPLASEFONT", "bigfont.shx"},
    {"AcadWaitLimit", "300"},
    {"UNATTENDED", "0"},
    {"UNATTENDEDSCALE", "1"},
    {"PACEDSEND", "0"},
    {"FIXARCHIVEOPENDIR", "ﾏｲ ｺﾝﾋﾟｭｰﾀ"},
};

// The same keys, each with a value other than its default.
const Lines kChanged = {
    {"Top", "22"},
    {"Left", "11"},
    {"Width", "633"},
    {"Height", "444"},
    {"AcadExePath", "C:\\CAD\\cad.exe"},
    {"AcadArg", "/b start.scr"},
    {"AcadPrtDvDir", "D:\\装置"},
    {"AcadPrtStlDir", "D:\\スタイル"},
    {"AcadCommandWait", "250"},
    {"FileDia", "0"},
    {"CmdDia", "2"},
    {"Proxynotice", "0"},
    {"PrintMode", "0"},
    {"PrintArea", "2"},
    {"ScaleCalc", "0"},
    {"LayoutSizeIndex", "2"},
    {"LayoutAdjust", "97.5"},
    {"DimMag", "20"},
    {"CurrentBtnSet", "Work"},
    {"AcadClose", "0"},
    {"ModelScalePrint", "1"},
    {"LayoutScalePrint", "1"},
    {"FileSort", "2"},
    {"ModifySave", "1"},
    {"ModeVisible", "0"},
    {"Psltscale", "1"},
    {"StartWait", "40"},
    {"GetChildFolder", "1"},
    {"DwgChoose", "0"},
    {"DxfChoose", "0"},
    {"ScaleWarning", "0"},
    {"FITOFFSET00", "0"},
    {"ONLYPC3", "0"},
    {"LZH", "0"},
    {"ZIP", "1"},
    {"UNLZHFOLDER", "1"},
    {"UNLZHFOLDERFIX", "1"},
    {"UNLZHADDFOLDER", "1"},
    {"DYNSTOP", "1"},
    {"FONTCONTROL", "2"},
    {"REPLASEFONT", "romans.shx"},
    {"AcadWaitLimit", "90"},
    {"UNATTENDED", "1"},
    {"UNATTENDEDSCALE", "2"},
    {"PACEDSEND", "1"},
    {"FIXARCHIVEOPENDIR", "E:\\展開"},
};

std::string sectionText(const Lines& lines) {
  std::string text = "[MainWindow]\r\n";
  for (const auto& [key, value] : lines) text += key + "=" + value + "\r\n";
  return base::utf8ToCp932(text);
}

// The "MainWindow" lines of a written file, in file order.
Lines mainSection(const std::string& bytes) {
  Lines lines;
  const std::string text = base::cp932ToUtf8(bytes);
  bool inMain = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t eq = line.find('=');
    if (!line.empty() && line[0] == '[') inMain = line == "[MainWindow]";
    else if (inMain && eq != std::string::npos) lines.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    pos = end + 1;
  }
  return lines;
}

std::vector<std::string> keysOf(const Lines& lines) {
  std::vector<std::string> keys;
  for (const auto& l : lines) keys.push_back(l.first);
  return keys;
}

struct MainSettingsFileTest : ::testing::Test {
  testing_support::SimEnv env;
  void SetUp() override {
    // Paper sizes, so that a stored paper index has something to select.
    env.writeFile("plot.ini",
                  "[PaperSize]\r\nPAGE=3\r\nPageSize0=A3=420x297\r\nPageSize1=A2=594x420\r\nPageSize2=A1=841x594\r\n");
  }
  Lines written() const { return mainSection(env.readFile("kestrel20.ini")); }
};

TEST_F(MainSettingsFileTest, AFirstStartWritesEveryDefaultInTheFileOrder) {
  shell::TMain m;
  m.show();
  m.close();
  EXPECT_EQ(written(), kFirstStart);
}

TEST_F(MainSettingsFileTest, AnEmptySectionReadsAsTheDefaults) {
  // Present but empty: the same as missing, also for the window's place.
  env.writeFile("kestrel20.ini", "[MainWindow]\r\n");
  shell::TMain m;
  m.show();
  m.close();
  EXPECT_EQ(written(), kFirstStart);
}

TEST_F(MainSettingsFileTest, EveryKeyComesBackWithAValueOtherThanItsDefault) {
  {
    shell::TMain m;
    m.show();
    m.ModeOpenBitBtn->click();  // hides the options panel
    m.setBounds(11, 22, 633, 444);
    m.AcadExePath = "C:\\CAD\\cad.exe";
    m.AcadArg = "/b start.scr";
    m.AcadPrtDvDir = "D:\\装置";
    m.AcadPrtStlDir = "D:\\スタイル";
    m.AcadCommandWait = 250;
    m.FileDia = 0;
    m.CmdDia = 2;
    m.Proxynotice = 0;
    m.PrintModeRadioGroup->setItemIndex(0);
    m.PrintScopeRadioGroup->setItemIndex(2);
    m.ScaleCalcRadioGroup->setItemIndex(0);
    m.LayoutSizeComboBox->setItemIndex(2);
    m.LayoutAdjustEdit->setText("97.5");
    m.DimMagEdit->setText("20");
    m.CurrentBtnSet = "Work";
    m.AcadClose = false;
    m.ModelScalePrintCheckBox->setChecked(true);
    m.LayoutScalePrintCheckBox->setChecked(true);
    m.FileSortRadioGroup->setItemIndex(2);
    m.ModifySaveCheckBox->setChecked(true);
    m.Psltscale = true;
    m.StartWait = 40;
    m.GetChildFolderCheckBox->setChecked(true);
    m.DwgCheckBox->setChecked(false);
    m.DxfCheckBox->setChecked(false);
    m.ScaleWarning = false;
    m.FitOffset00 = false;
    m.OnlyPc3 = false;
    m.LzhCheckBox->setChecked(false);
    m.ZipCheckBox->setChecked(true);
    m.UnLzhFolderCheckBox->setChecked(true);
    m.UnLzhFolderFixCheckBox->setChecked(true);
    m.UnLzhAddFolderCheckBox->setChecked(true);
    m.DynStop = true;
    m.FontControlRadioGroup->setItemIndex(2);
    m.FontEdit->setText("romans.shx");
    m.AcadWaitLimit = 90;
    m.UnattendedCheckBox->setChecked(true);
    m.UnattendedScaleComboBox->setItemIndex(2);
    m.PacedSend = true;
    m.FixedExtractFolder = "E:\\展開";
    m.close();
  }
  ASSERT_EQ(written(), kChanged);

  shell::TMain m;
  m.show();
  EXPECT_EQ(m.bounds().left, 11);
  EXPECT_EQ(m.bounds().top, 22);
  EXPECT_EQ(m.bounds().width, 633);
  EXPECT_EQ(m.bounds().height, 444);
  EXPECT_EQ(m.AcadExePath, "C:\\CAD\\cad.exe");
  EXPECT_EQ(m.AcadArg, "/b start.scr");
  for (acadlink::TfControl* link : {static_cast<acadlink::TfControl*>(m.Ploters[0].get()),
                                    static_cast<acadlink::TfControl*>(m.Ploters[3].get()),
                                    static_cast<acadlink::TfControl*>(m.ScaleCheck.get()),
                                    static_cast<acadlink::TfControl*>(m.ScaleSet.get())}) {
    EXPECT_EQ(link->GetAcadExePath(), "C:\\CAD\\cad.exe");
    EXPECT_EQ(link->GetAcadArg(), "/b start.scr");
  }
  EXPECT_EQ(m.AcadPrtDvDir, "D:\\装置");
  EXPECT_EQ(m.AcadPrtStlDir, "D:\\スタイル");
  EXPECT_EQ(m.AcadCommandWait, 250);
  EXPECT_EQ(m.FileDia, 0);
  EXPECT_EQ(m.CmdDia, 2);
  EXPECT_EQ(m.Proxynotice, 0);
  EXPECT_EQ(m.PrintModeRadioGroup->itemIndex(), 0);
  EXPECT_EQ(m.PrintScopeRadioGroup->itemIndex(), 2);
  EXPECT_EQ(m.ScaleCalcRadioGroup->itemIndex(), 0);
  EXPECT_EQ(m.LayoutSizeComboBox->itemIndex(), 2);
  EXPECT_EQ(m.LayoutAdjustEdit->text(), "97.5");
  EXPECT_EQ(m.DimMagEdit->text(), "20");
  EXPECT_EQ(m.CurrentBtnSet, "Work");
  EXPECT_FALSE(m.AcadClose);
  EXPECT_TRUE(m.ModelScalePrintCheckBox->checked());
  EXPECT_TRUE(m.LayoutScalePrintCheckBox->checked());
  EXPECT_EQ(m.FileSortRadioGroup->itemIndex(), 2);
  EXPECT_TRUE(m.ModifySaveCheckBox->checked());
  EXPECT_FALSE(m.Panel3->visible());
  EXPECT_EQ(m.ModeOpenBitBtn->caption(), "開く");
  EXPECT_TRUE(m.Psltscale);
  EXPECT_EQ(m.StartWait, 40);
  EXPECT_TRUE(m.GetChildFolderCheckBox->checked());
  EXPECT_FALSE(m.DwgCheckBox->checked());
  EXPECT_FALSE(m.DxfCheckBox->checked());
  EXPECT_FALSE(m.ScaleWarning);
  EXPECT_FALSE(m.FitOffset00);
  EXPECT_FALSE(m.OnlyPc3);
  EXPECT_FALSE(m.LzhCheckBox->checked());
  EXPECT_TRUE(m.ZipCheckBox->checked());
  EXPECT_TRUE(m.UnLzhFolderCheckBox->checked());
  EXPECT_TRUE(m.UnLzhFolderFixCheckBox->checked());
  EXPECT_TRUE(m.UnLzhAddFolderCheckBox->checked());
  EXPECT_TRUE(m.DynStop);
  EXPECT_EQ(m.FontControlRadioGroup->itemIndex(), 2);
  EXPECT_EQ(m.FontEdit->text(), "romans.shx");
  EXPECT_EQ(m.AcadWaitLimit, 90);
  EXPECT_TRUE(m.UnattendedCheckBox->checked());
  EXPECT_TRUE(m.PacedSend);
  EXPECT_EQ(m.UnattendedScaleComboBox->itemIndex(), 2);
  EXPECT_EQ(m.FixedExtractFolder, "E:\\展開");
  EXPECT_EQ(m.FolderFixSpeedButton->hint(), "E:\\展開");
  // The read values reach the controls that depend on them.
  EXPECT_TRUE(m.DimMagEdit->enabled());
  EXPECT_TRUE(m.LayoutAdjustEdit->enabled());
  EXPECT_TRUE(m.UnLzhFolderFixCheckBox->enabled());

  // Written back unchanged.
  m.close();
  EXPECT_EQ(written(), kChanged);
}

TEST_F(MainSettingsFileTest, EachKeyIsReadIntoItsOwnPlaceAndWrittenFromIt) {
  // One key changed at a time: a key read into or written from another
  // key's place shows as a second changed line or a lost change.
  ASSERT_EQ(keysOf(kChanged), keysOf(kFirstStart));
  for (size_t i = 0; i < kFirstStart.size(); ++i) {
    SCOPED_TRACE(kChanged[i].first);
    Lines stored = kFirstStart;
    stored[i] = kChanged[i];
    env.writeFile("kestrel20.ini", sectionText(stored));
    shell::TMain m;
    m.show();
    m.close();
    EXPECT_EQ(written(), stored);
  }
}

TEST_F(MainSettingsFileTest, OneKeyIsReadAndWrittenAloneWithoutTouchingTheWindow) {
  env.writeFile("kestrel20.ini", "[MainWindow]\r\nStartWait=40\r\nAcadClose=2\r\nLZH=0\r\n");
  shell::TMain m;
  std::vector<shell::MainSetting> table = shell::MainWindowSettings(m);
  // The table is the file's order, so a dialog can list the keys from it.
  std::vector<std::string> keys;
  for (const shell::MainSetting& s : table) keys.push_back(s.key);
  EXPECT_EQ(keys, keysOf(kFirstStart));
  auto entry = [&](const std::string& key) -> const shell::MainSetting& {
    for (const shell::MainSetting& s : table)
      if (s.key == key) return s;
    throw std::runtime_error("no key " + key);
  };

  base::ProfileFile ini(env.path("kestrel20.ini"));
  EXPECT_EQ(shell::readMainSetting(ini, entry("StartWait")), shell::SettingValue(40));
  EXPECT_EQ(shell::readMainSetting(ini, entry("AcadClose")), shell::SettingValue(false));  // only 1 is on
  EXPECT_EQ(shell::readMainSetting(ini, entry("DYNSTOP")), shell::SettingValue(false));
  EXPECT_EQ(shell::readMainSetting(ini, entry("AcadExePath")), shell::SettingValue(std::string("None")));

  EXPECT_TRUE(shell::writeMainSetting(ini, entry("StartWait"), 25));
  EXPECT_TRUE(shell::writeMainSetting(ini, entry("AcadExePath"), std::string("None")));
  EXPECT_EQ(env.readFile("kestrel20.ini"), "[MainWindow]\r\nStartWait=25\r\nAcadClose=2\r\nLZH=0\r\nAcadExePath=\r\n");
  EXPECT_EQ(m.StartWait, 15);
  EXPECT_TRUE(m.LzhCheckBox->checked());
}

}  // namespace
