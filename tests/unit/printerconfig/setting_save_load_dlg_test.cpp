#include "printerconfig/setting_save_load_dlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "base/paths.h"
#include "printerconfig/button_sets.h"
#include "support/sim_env.h"

namespace {

using printerconfig::TSettingSaveLoadDlg;
using Lines = std::vector<std::string>;

const std::string kBase = "[Ploter1Fleld]\r\nUSERNAME=Base1\r\n";

struct SettingSaveLoadDlgTest : ::testing::Test {
  testing_support::SimEnv env;
  TSettingSaveLoadDlg dlg;

  SettingSaveLoadDlgTest() {
    env.writeFile("BottonSets/base.ini", kBase);
    env.writeFile("BottonSets/Office.ini", "[Ploter1Fleld]\r\nUSERNAME=Office1\r\n");
    env.writeFile("BottonSets/annex.ini", "");
  }
  void open(const std::string& current, const std::function<void(TSettingSaveLoadDlg&)>& user) {
    dlg.CurrentBtnSet = current;
    env.ui.modalHandlers["TSettingSaveLoadDlg"] = [user](ui::Form& f) {
      auto& d = static_cast<TSettingSaveLoadDlg&>(f);
      user(d);
      if (d.shown()) d.CloseBitBtn->click();
    };
    dlg.showModal();
  }
  std::vector<std::string> messageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : env.ui.messages) texts.push_back(m.text);
    return texts;
  }
};

TEST(ListButtonSets, SkipsOnlyTheExactTemplateAndCutsTheLastExtension) {
  testing_support::SimEnv env;
  for (const char* name : {"base.ini", "Base.INI", "a.ini", "old.ini.bak", "notes.txt", "x.inix"})
    env.writeFile(std::string("BottonSets/") + name, "");
  env.writeFile("BottonSets/folder.ini/inner", "");
  Lines names = printerconfig::ListButtonSets(printerconfig::ButtonSetFolder());
  std::sort(names.begin(), names.end());
  // "Base.INI" has no ".ini" in it as written; a folder whose name holds
  // ".ini" is listed like a file.
  EXPECT_EQ(names, (Lines{"a", "folder", "old.ini", "x"}));
}

TEST_F(SettingSaveLoadDlgTest, ShowListsTheSetsSortedWithoutTheBaseAndDeleteDisabledUntilAClick) {
  env.writeFile("BottonSets/old.ini.bak", "");
  open("Office", [](TSettingSaveLoadDlg& d) {
    EXPECT_EQ(d.IniListBox->items(), (Lines{"annex", "Office", "old.ini"}));
    EXPECT_EQ(d.CurrentSetLabel->caption(), "Office");
    EXPECT_EQ(d.SaveEdit->text(), "");
    EXPECT_FALSE(d.DeleteBitBtn->enabled());
    d.SaveEdit->userEdit("typed");
    d.IniListBox->click(0);
    EXPECT_TRUE(d.DeleteBitBtn->enabled());
  });
  // Shown again: the edit is emptied and "削除" waits for a click again.
  open("Office", [](TSettingSaveLoadDlg& d) {
    EXPECT_EQ(d.SaveEdit->text(), "");
    EXPECT_FALSE(d.DeleteBitBtn->enabled());
  });
}

TEST_F(SettingSaveLoadDlgTest, AddCopiesTheBaseSetAndMakesTheNewSetCurrent) {
  open("Office", [](TSettingSaveLoadDlg& d) {
    d.SaveEdit->userEdit("Site A");
    d.SaveBitBtn->click();
    EXPECT_EQ(d.IniListBox->items(), (Lines{"annex", "Office", "Site A"}));
    EXPECT_EQ(d.CurrentSetLabel->caption(), "Site A");
  });
  EXPECT_EQ(dlg.CurrentBtnSet, "Site A");
  // A copy of the template, not of the set that was current.
  EXPECT_EQ(env.readFile("BottonSets/Site A.ini"), kBase);
  EXPECT_TRUE(env.ui.messages.empty());
}

TEST_F(SettingSaveLoadDlgTest, AddRefusesAnEmptyNameAndANameListedInAnyCase) {
  env.writeFile("BottonSets/Site A.ini", "mine");
  open("Office", [](TSettingSaveLoadDlg& d) {
    d.SaveBitBtn->click();
    d.SaveEdit->userEdit("site a");
    d.SaveBitBtn->click();
  });
  EXPECT_EQ(messageTexts(), (Lines{"ボタンセット名を指定してください   ",
                                   "既に存在するボタンセット名では作成できません   "}));
  EXPECT_EQ(dlg.CurrentBtnSet, "Office");
  EXPECT_EQ(env.readFile("BottonSets/Site A.ini"), "mine");
  // No second file beside it (the program's own lookup would find "Site A.ini").
  EXPECT_FALSE(std::filesystem::exists(env.path("BottonSets/site a.ini")));
}

TEST_F(SettingSaveLoadDlgTest, AddWithoutTheBaseSetFailsAndLeavesTheCurrentSet) {
  base::removeFile(env.path("BottonSets/base.ini"));
  open("Office", [](TSettingSaveLoadDlg& d) {
    d.SaveEdit->userEdit("New");
    d.SaveBitBtn->click();
    EXPECT_EQ(d.CurrentSetLabel->caption(), "Office");
  });
  ASSERT_EQ(env.ui.messages.size(), 1u);  // the error report
  EXPECT_NE(env.ui.messages[0].text.find("base.ini"), std::string::npos);
  EXPECT_EQ(dlg.CurrentBtnSet, "Office");
  EXPECT_FALSE(base::fileExists(env.path("BottonSets/New.ini")));
}

TEST_F(SettingSaveLoadDlgTest, DeleteSendsTheFileToTheRecycleBinButRefusesTheCurrentSet) {
  open("Office", [](TSettingSaveLoadDlg& d) {
    ASSERT_EQ(d.IniListBox->items(), (Lines{"annex", "Office"}));
    d.IniListBox->click(1);
    d.DeleteBitBtn->click();
    EXPECT_EQ(d.IniListBox->count(), 2);
    d.IniListBox->click(0);
    d.DeleteBitBtn->click();
    EXPECT_EQ(d.IniListBox->items(), (Lines{"Office"}));
    EXPECT_FALSE(d.DeleteBitBtn->enabled());
  });
  EXPECT_EQ(messageTexts(), (Lines{"現在のボタンセットは削除できません。   "}));
  EXPECT_EQ(env.shell.recycled, (Lines{env.path("BottonSets/annex.ini")}));
  EXPECT_FALSE(base::fileExists(env.path("BottonSets/annex.ini")));
  EXPECT_TRUE(base::fileExists(env.path("BottonSets/Office.ini")));
  EXPECT_TRUE(base::fileExists(env.path("BottonSets/base.ini")));
  EXPECT_EQ(dlg.CurrentBtnSet, "Office");
}

}  // namespace
