#include "printerconfig/add_setting_form.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/profile.h"
#include "support/sim_env.h"

namespace {

using printerconfig::TAddSettingForm;
using Lines = std::vector<std::string>;

struct AddSettingFormTest : ::testing::Test {
  testing_support::SimEnv env;
  std::string settings = env.path("kestrel20.ini");
  acadlink::AcadMacro paper{settings, "PageSize", {"-plot", "#PRINTDEVICE", "#GETPAGESIZE", "#ESC"}};
  acadlink::AcadMacro check{settings, "ScaleCheckFleld", {"#SCALECHECK"}};
  acadlink::AcadMacro set{settings, "ScaleSet", {"limits", "#PUTLIMMIN", "#PUTLIMMAX", "save"}};
  TAddSettingForm form{settings};

  AddSettingFormTest() {
    form.PageSizeMacro = &paper;
    form.ScaleCheckMacro = &check;
    form.ScaleSetMacro = &set;
  }
  int open(const std::function<void(TAddSettingForm&)>& user) {
    env.ui.modalHandlers["TAddSettingForm"] = [user](ui::Form& f) { user(static_cast<TAddSettingForm&>(f)); };
    return form.showModal();
  }
  void editAll(TAddSettingForm& f) {
    f.PloterMemo->userEdit({"-plot", "y", "", "#PRINTDEVICE", "#GETPAGESIZE", "#ESC"});
    f.ScaleCheckMemo->userEdit({"#SCALECHECK", "#SCALECHECK"});
    f.ScaleSetMemo->userEdit({});
  }
};

TEST_F(AddSettingFormTest, ShowFillsEachMemoFromItsMacroAndOkReplacesAllThree) {
  const int result = open([&](TAddSettingForm& f) {
    EXPECT_EQ(f.PloterMemo->lines(), paper.MacroLines);
    EXPECT_EQ(f.ScaleCheckMemo->lines(), (Lines{"#SCALECHECK"}));
    EXPECT_EQ(f.ScaleSetMemo->lines(), set.MacroLines);
    editAll(f);
    f.OkBitBtn->click();
  });
  EXPECT_EQ(result, ui::mrOk);
  // The empty line stays in the live macro until it is read back from the file.
  EXPECT_EQ(paper.MacroLines, (Lines{"-plot", "y", "", "#PRINTDEVICE", "#GETPAGESIZE", "#ESC"}));
  EXPECT_EQ(check.MacroLines, (Lines{"#SCALECHECK", "#SCALECHECK"}));
  EXPECT_EQ(set.MacroLines, Lines{});
  // Nothing reaches the file before the owners go.
  EXPECT_EQ(base::ProfileFile(settings).readString("ScaleCheckFleld", "MACRO_LINES", "none"), "none");
  // Shown again: the memos show the macros as they now are.
  open([&](TAddSettingForm& f) {
    EXPECT_EQ(f.ScaleCheckMemo->lines(), (Lines{"#SCALECHECK", "#SCALECHECK"}));
    f.CancelBitBtn->click();
  });
}

TEST_F(AddSettingFormTest, CancelAndTheFrameChangeNoMacro) {
  const Lines p = paper.MacroLines, c = check.MacroLines, s = set.MacroLines;
  EXPECT_EQ(open([&](TAddSettingForm& f) {
              editAll(f);
              f.CancelBitBtn->click();
            }),
            ui::mrCancel);
  open([&](TAddSettingForm& f) {
    editAll(f);
    f.close();
  });
  EXPECT_EQ(paper.MacroLines, p);
  EXPECT_EQ(check.MacroLines, c);
  EXPECT_EQ(set.MacroLines, s);
}

TEST_F(AddSettingFormTest, WithoutTheAcquisitionObjectItsMemoIsEmptyAndOkLeavesTheOthersWorking) {
  form.PageSizeMacro = nullptr;
  open([&](TAddSettingForm& f) {
    EXPECT_TRUE(f.PloterMemo->lines().empty());
    EXPECT_TRUE(f.PloterMemo->readOnly());
    f.ScaleSetMemo->userEdit({"limits"});
    f.OkBitBtn->click();
  });
  EXPECT_EQ(set.MacroLines, (Lines{"limits"}));
  EXPECT_EQ(paper.MacroLines, (Lines{"-plot", "#PRINTDEVICE", "#GETPAGESIZE", "#ESC"}));
}

TEST_F(AddSettingFormTest, PlacementIsReadOnTheFirstShowAndWrittenOnEveryClose) {
  base::ProfileFile ini(settings);
  ini.writeInt("AddSettingWindow", "Left", 10);
  ini.writeInt("AddSettingWindow", "Width", 700);
  open([](TAddSettingForm& f) {
    EXPECT_EQ(f.bounds().left, 10);
    EXPECT_EQ(f.bounds().top, TAddSettingForm::kDesignTop);  // missing key: the design value
    EXPECT_EQ(f.bounds().width, 700);
    f.setBounds(30, 40, 650, 410);
    f.OkBitBtn->click();
  });
  EXPECT_EQ(ini.readInt("AddSettingWindow", "Top", -1), 40);
  EXPECT_EQ(ini.readInt("AddSettingWindow", "Left", -1), 30);
  EXPECT_EQ(ini.readInt("AddSettingWindow", "Width", -1), 650);
  EXPECT_EQ(ini.readInt("AddSettingWindow", "Height", -1), 410);
  ini.writeInt("AddSettingWindow", "Left", 999);
  open([](TAddSettingForm& f) {
    EXPECT_EQ(f.bounds().left, 30);
    f.CancelBitBtn->click();
  });
  EXPECT_EQ(ini.readInt("AddSettingWindow", "Left", -1), 30);
}

}  // namespace
