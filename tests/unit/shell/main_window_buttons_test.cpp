#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "acadlink/acad_macro.h"
#include "base/codec.h"
#include "base/profile.h"
#include "plot/ploter.h"
#include "shell/tmain.h"
#include "support/sim_env.h"

namespace {

struct MainWindowButtonsTest : ::testing::Test {
  testing_support::SimEnv env;
  void writeSet(const std::string& name, const std::string& utf8) const {
    env.writeFile("BottonSets/" + name + ".ini", base::utf8ToCp932(utf8));
  }
  void settings(const std::string& utf8) const { env.writeFile("kestrel20.ini", base::utf8ToCp932(utf8)); }
};

std::string button(const std::string& section, const std::string& name, int available) {
  return "[" + section + "]\r\nUSERNAME=" + name + "\r\nAVAILABLE=" + std::to_string(available) + "\r\n";
}

TEST_F(MainWindowButtonsTest, ButtonsShowTheCurrentSetAndFollowASetChange) {
  settings("[MainWindow]\r\nCurrentBtnSet=Work\r\n");
  writeSet("Work", button("Ploter1Fleld", "A3 横", 1) + button("Ploter2Fleld", "A1", 0) +
                       button("Ploter3Fleld", "PDF", 2) + "[Ploter4Fleld]\r\nPrintDevice=DWF6\r\n");
  writeSet("Other", button("Ploter2Fleld", "A4 縦", 1) + "PrintDevice=LBP\r\n");
  shell::TMain m;
  m.show();
  EXPECT_EQ(m.Ploter1Btn->caption(), "A3 横");
  EXPECT_TRUE(m.Ploter1Btn->visible());
  EXPECT_FALSE(m.Ploter2Btn->visible());
  EXPECT_FALSE(m.Ploter3Btn->visible());  // only 1 is in use
  EXPECT_EQ(m.Ploter4Btn->caption(), "PloterName");
  EXPECT_TRUE(m.Ploter4Btn->visible());
  EXPECT_EQ(m.Ploters[3]->GetPrintDevice(), "DWF6");
  EXPECT_EQ(m.Ploters[3]->SectionName, "Ploter4Fleld");
  EXPECT_EQ(m.Ploters[3]->SettingsPath, env.path("kestrel20.ini"));

  m.BtnSetComboBox->choose(m.BtnSetComboBox->indexOf("Other"));
  EXPECT_EQ(m.CurrentBtnSet, "Other");
  EXPECT_EQ(m.Ploter1Btn->caption(), "PloterName");
  EXPECT_EQ(m.Ploter2Btn->caption(), "A4 縦");
  EXPECT_TRUE(m.Ploter2Btn->visible());
  EXPECT_EQ(m.Ploters[1]->GetPrintDevice(), "LBP");
  EXPECT_EQ(m.Ploters[3]->GetPrintDevice(), "None");
}

TEST_F(MainWindowButtonsTest, TheSetFileIsRewrittenAtCloseOnlyAfterTheSettingsDialog) {
  const std::string stored = "; my buttons\r\n" + button("Ploter1Fleld", "A3", 1);
  writeSet("Base", stored);
  {
    shell::TMain m;
    m.show();
    m.Ploters[0]->SetUserName("changed");
    m.close();
  }
  EXPECT_EQ(base::cp932ToUtf8(env.readFile("BottonSets/Base.ini")), stored);
  {
    shell::TMain m;
    m.show();
    m.menu->find("環境設定")->click();  // no change made
    m.close();
    EXPECT_EQ(m.Ploters[0], nullptr);  // destroyed at close
  }
  base::ProfileFile set(env.path("BottonSets/Base.ini"));
  EXPECT_EQ(set.readString("Ploter1Fleld", "USERNAME", ""), "A3");
  EXPECT_EQ(set.readString("Ploter1Fleld", "PAGESTOP", "<missing>"), "0");
  EXPECT_EQ(set.readString("Ploter4Fleld", "USERNAME", "<missing>"), "PloterName");
}

TEST_F(MainWindowButtonsTest, LinkObjectsGetTheAutoCADPathAndWriteTheirMacrosBackAtClose) {
  settings("[MainWindow]\r\nAcadExePath=C:\\ACAD 2004\\acad.exe\r\nAcadArg=/nologo\r\n"
           "[ScaleCheckFleld]\r\nMACRO_LINES=1\r\nMACRO0=#SCALECHECK\r\n"
           "[ScaleSet]\r\nMACRO_LINES=3\r\nMACRO0=limits\r\nMACRO1=#PUTLIMMIN\r\nMACRO2=#PUTLIMMAX\r\n");
  {
    shell::TMain m;
    m.show();
    std::vector<acadlink::TfControl*> links = {m.Ploters[0].get(), m.Ploters[1].get(), m.Ploters[2].get(),
                                               m.Ploters[3].get(), m.ScaleCheck.get(), m.ScaleSet.get()};
    for (acadlink::TfControl* l : links) {
      EXPECT_EQ(l->GetAcadExePath(), "C:\\ACAD 2004\\acad.exe");
      EXPECT_EQ(l->GetAcadArg(), "/nologo");
    }
    EXPECT_EQ(m.ScaleCheck->MacroLines, std::vector<std::string>{"#SCALECHECK"});
    m.ScaleCheck->MacroLines.push_back("zoom");
    m.ScaleSet->MacroLines.resize(1);
    m.close();
  }
  base::ProfileFile ini(env.path("kestrel20.ini"));
  EXPECT_EQ(ini.readString("ScaleCheckFleld", "MACRO_LINES", ""), "2");
  EXPECT_EQ(ini.readString("ScaleCheckFleld", "MACRO1", ""), "zoom");
  EXPECT_EQ(ini.readString("ScaleSet", "MACRO_LINES", ""), "1");
  EXPECT_EQ(ini.readString("ScaleSet", "MACRO2", ""), "#PUTLIMMAX");
}

TEST_F(MainWindowButtonsTest, AFreshInstallShowsTheShippedSetBaseWhoseMacrosUseOnlyPlotTokens) {
  const auto shipped = std::filesystem::path(__FILE__).parent_path() / "../../../data/BottonSets";
  std::filesystem::create_directories(env.path("BottonSets"));
  // Only the template ships: the set "Base" is read from "base.ini", since
  // Windows does not tell the names apart.
  std::filesystem::copy_file(shipped / "base.ini", env.path("BottonSets/base.ini"));
  shell::TMain m;
  m.show();
  // The template is never offered as a set, so nothing is listed, but the
  // buttons are the template's.
  EXPECT_TRUE(m.BtnSetComboBox->items().empty());
  EXPECT_TRUE(m.Ploter1Btn->visible());
  const base::ProfileFile shippedSet(env.path("BottonSets/base.ini"));
  const std::string caption = shippedSet.readString("Ploter1Fleld", "USERNAME", "");
  ASSERT_FALSE(caption.empty());
  EXPECT_EQ(m.Ploter1Btn->caption(), caption);
  const std::set<std::string> tokens = {"#PRINTDEVICE", "#PRINTSTYLE", "#PAPERNAME", "#PAPERDIRECTION",
                                        "#SCALE", "#LAYOUTSCALE", "#OUTPUTLAYOUT", "#ENTER", "#ESC", "#SCOPE",
                                        "#MODIFYSAVE", "#FILEPLOT", "#OFFSET", "#LAYOUTOFFSET", "#LAYOUTSCOPE",
                                        "#SAVEFILE"};
  for (auto& p : m.Ploters) {
    for (const auto* macro : {&p->ModelMacro, &p->LayoutMacro}) {
      ASSERT_FALSE(macro->empty()) << p->SectionName;
      EXPECT_EQ(macro->front(), "-plot");
      for (const std::string& line : *macro) {
        if (line[0] == '#') {
          EXPECT_TRUE(tokens.count(line)) << p->SectionName << ": " << line;
        }
      }
    }
    EXPECT_EQ(std::count(p->ModelMacro.begin(), p->ModelMacro.end(), "#SCALE"), 1);
    EXPECT_EQ(std::count(p->LayoutMacro.begin(), p->LayoutMacro.end(), "#LAYOUTSCALE"), 1);
  }
}

}  // namespace
