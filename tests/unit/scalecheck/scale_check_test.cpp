// The scale check on the stand-in: what each drawing measures to, the
// window's rows and colours, the limits setting from the window, and the
// ways a check ends early.
#include <gtest/gtest.h>

#include <algorithm>

#include "acadlink/fake_acad.h"
#include "acadsim/acadsim_support.h"
#include "acadsim/sim_host.h"
#include "base/codec.h"
#include "base/profile.h"
#include "scalecheck/check_progress_form.h"
#include "scalecheck/scale_check.h"
#include "scalecheck/scale_form.h"
#include "support/sim_env.h"

namespace {

using scalecheck::ScaleStruct;
using scalecheck::TScaleForm;
using Texts = std::vector<std::string>;

class ScaleCheckTest : public ::testing::Test {
 protected:
  testing_support::SimEnv env;
  acadsim::SimHost acad{env.desktop, env.clock, env.clipboard, env.processes};
  scalecheck::ScaleCheck check{env.path("kestrel20.ini")};
  scalecheck::ScaleSet setter{env.path("kestrel20.ini")};
  platform::WindowHandle mainFrame = 0;
  // The grid as the window showed it, and what the test did in it.
  std::vector<Texts> grid;
  std::vector<bool> magenta;
  std::function<void(TScaleForm&)> inWindow;

  void SetUp() override {
    env.writeFile("plot.ini", "[PaperSize]\r\nPAGE=2\r\nPageSize0=A3=297x420\r\nPageSize1=A1=594x841\r\n");
    acad.options().session.workFolder = env.folder();
    acad.start();
    mainFrame = acad.instance()->mainFrame;
    ASSERT_TRUE(check.FindAutoCADByCaptions("コマンド", "テキスト"));
    check.MacroLines = {"#SCALECHECK"};
    check.Setter = &setter;
    setter.MacroLines = {"limits", "#PUTLIMMIN", "#PUTLIMMAX", "save"};
    env.ui.modalHandlers["TScaleForm"] = [this](ui::Form& f) {
      auto& form = static_cast<TScaleForm&>(f);
      read(form);
      if (inWindow) inWindow(form);
      if (form.shown()) form.close();
    };
  }
  void read(TScaleForm& form) {
    grid.clear();
    magenta.clear();
    const ui::StringGrid& g = *form.StringGrid1;
    for (int r = 0; r < g.rowCount(); ++r) {
      Texts row;
      for (int c = 0; c < g.colCount(); ++c) row.push_back(g.cell(c, r));
      grid.push_back(row);
      magenta.push_back(r > 0 && g.cellColor(1, r) == scalecheck::kAttentionColor);
    }
  }
  std::string drawing(const std::string& name, const std::string& limmax, int tilemode = 1) {
    env.writeFile(name, acadsim_test::drawingDxf(limmax, tilemode, {{"Layout1", 1, "1E"}}));
    return env.path(name);
  }
  void run(const std::vector<std::string>& drawings) { check.RunScaleCheck(drawings, 100, false, 1, 1, 1); }
  Texts typed() const { return env.typedInto(mainFrame); }
  int count(const std::string& text) const {
    int n = 0;
    for (auto& t : typed()) n += t == text;
    return n;
  }
  Texts messages() const {
    Texts out;
    for (auto& m : env.ui.messages) out.push_back(m.text);
    return out;
  }
};

const Texts kHeader = {"図面名", "A0", "A1", "A2", "A3", "A4", "DIMSCALE", "LIMMIN", "LIMMAX"};

TEST_F(ScaleCheckTest, EachDrawingMeasuresToItsRowAndTheDoubtfulOnesAreMagenta) {
  const auto a3 = drawing("a3.dxf", "42000,29700");
  const auto unset = drawing("unset.dxf", "12,9");
  const auto odd = drawing("odd.dxf", "100,100");
  const auto flat = drawing("flat.dxf", "0,0");  // zero extent, not the defaults
  const auto sheet = drawing("sheet.dxf", "420,297", 0);  // open on a layout
  run({a3, unset, odd, flat, sheet});

  ASSERT_EQ(grid.size(), 6u);
  EXPECT_EQ(grid[0], kHeader);
  EXPECT_EQ(grid[1], (Texts{"a3.dxf", "1/35.32", "1/49.96", "1/70.71", "1/100", "1/141.42", "100.0000",
                            "0.0000,0.0000", "42000.0000,29700.0000"}));
  EXPECT_EQ(Texts(grid[2].begin(), grid[2].begin() + 6), (Texts{"unset.dxf", "図面範囲", "設定され", "ず", "", ""}));
  EXPECT_EQ(Texts(grid[3].begin() + 1, grid[3].begin() + 6),
            (Texts{"1/0.1", "1/0.14", "1/0.19", "1/0.27", "1/0.39"}));
  EXPECT_EQ(Texts(grid[4].begin() + 1, grid[4].begin() + 6), (Texts{"1/0", "1/0", "1/0", "1/0", "1/0"}));
  EXPECT_EQ(grid[5], (Texts{"sheet.dxf", "レイアウ", "トが印刷", "されます", "", "", "100.0000", "", ""}));
  EXPECT_EQ(magenta, (std::vector<bool>{false, false, true, true, false, false}));
  // On the layout LIMMAX is not asked.
  EXPECT_EQ(count("LIMMIN\n"), 5);
  EXPECT_EQ(count("LIMMAX\n"), 4);
}

TEST_F(ScaleCheckTest, TheRunTurnsDialogsOffSavesAwayBeforeEachDrawingAndGivesTheSettingsBack) {
  const auto a = drawing("a.dxf", "42000,29700");
  const auto b = drawing("b.dxf", "42000,29700");
  check.RunScaleCheck({a, b}, 100, false, 1, 0, 2);
  const Texts t = typed();
  ASSERT_GE(t.size(), 12u);
  EXPECT_EQ(Texts(t.begin(), t.begin() + 6), (Texts{"FILEDIA\n", "0\n", "CMDDIA\n", "0\n", "PROXYNOTICE\n", "0\n"}));
  EXPECT_EQ(t[6], "saveas\n");
  EXPECT_EQ(Texts(t.end() - 6, t.end()), (Texts{"FILEDIA\n", "1\n", "CMDDIA\n", "0\n", "PROXYNOTICE\n", "2\n"}));
  EXPECT_EQ(count("saveas\n"), 3);  // before the first drawing and after each
  EXPECT_EQ(count(env.path("tmp.dwg") + "\n"), 3);
  EXPECT_TRUE(messages().empty());
}

TEST_F(ScaleCheckTest, OnlyTheExactTokenMeasuresAndASecondOneMeasuresAgain) {
  const auto a = drawing("a.dxf", "42000,29700");
  check.MacroLines = {"#scalecheck"};
  run({a});
  EXPECT_EQ(count("#scalecheck\n"), 1);
  EXPECT_EQ(count("DIMSCALE\n"), 0);
  ASSERT_EQ(grid.size(), 2u);
  EXPECT_EQ(grid[1], Texts(9, ""));  // nothing measured: an empty record
  EXPECT_TRUE(magenta[1]);

  check.MacroLines = {"#SCALECHECK", "zoom", "#SCALECHECK"};
  run({a});
  EXPECT_EQ(count("DIMSCALE\n"), 2);
  EXPECT_EQ(grid[1][4], "1/100");
}

TEST_F(ScaleCheckTest, ADrawingAutoCADCannotOpenGetsItsOwnRowAndTheNextIsMeasured) {
  env.writeFile("broken.dwg", "not a drawing");
  const auto broken = env.path("broken.dwg");
  const auto a = drawing("a.dxf", "42000,29700");
  run({broken, a});
  ASSERT_EQ(grid.size(), 3u);
  EXPECT_EQ(Texts(grid[1].begin(), grid[1].begin() + 4), (Texts{"broken.dwg", "図面を開", "けません", ""}));
  EXPECT_TRUE(magenta[1]);
  EXPECT_EQ(grid[2][4], "1/100");
  EXPECT_EQ(count("DIMSCALE\n"), 1);  // the broken one was not measured as the previous drawing
}

// Limits shown in feet and inches (an architectural unit format) are not
// two decimal numbers: the row says so instead of the run stopping.
TEST(MeasureDrawing, LimitsThatAreNotTwoNumbersMarkTheRow) {
  testing_support::SimEnv env;
  acadlink_test::FakeAcad acad(env.desktop, acadlink_test::Release::R2004);
  scalecheck::ScaleCheck check(env.path("kestrel20.ini"));
  check.SetHandles(acad.handles());
  acad.react = [&](const std::string& in) {
    if (in == "\x1b") acad.prompt(acad.idlePrompt());
    else if (in == "DIMSCALE\n") acad.prompt("DIMSCALE の新しい値を入力 <48.0000>: ");
    else if (in == "LIMMIN\n") acad.prompt("LIMMIN の新しい値を入力 <0'-0\",0'-0\">: ");
    else if (in == "LIMMAX\n") acad.prompt("LIMMAX の新しい値を入力 <48'-0\",36'-0\">: ");
  };
  const ScaleStruct s = check.MeasureDrawing();
  EXPECT_EQ(s.DimScale, "48.0000");
  // The link cuts the default at its quotes, as it does every default.
  EXPECT_EQ(s.LimMin, ",0'-0");
  EXPECT_EQ(s.LimMax, ",36'-0");
  EXPECT_EQ((Texts{s.A0, s.A1, s.A2, s.A3, s.A4}), (Texts{"図面範囲", "を読めま", "せん", "", ""}));
  EXPECT_FALSE(s.ScaleOk);
}

TEST_F(ScaleCheckTest, AnEmptyListShowsTheHeaderOnly) {
  run({});
  ASSERT_EQ(grid.size(), 1u);
  EXPECT_EQ(grid[0], kHeader);
}

// ---------------------------------------------------------------- ending early

TEST_F(ScaleCheckTest, StopShowsTheRowsMeasuredSoFarAfterGivingTheSettingsBack) {
  scalecheck::TScaleCheckProgressForm progress;
  check.Progress = &progress;
  const auto a = drawing("a.dxf", "42000,29700");
  const auto b = drawing("b.dxf", "42000,29700");
  const auto c = drawing("c.dxf", "42000,29700");
  bool clicked = false;
  env.clock.onTick = [&](std::int64_t) {
    if (!clicked && count(b + "\n") == 1 && count("LIMMAX\n") == 2) {
      clicked = true;
      progress.StopBitBtn->click();
    }
  };
  run({a, b, c});
  EXPECT_TRUE(clicked);
  EXPECT_EQ(count(c + "\n"), 0);
  ASSERT_EQ(grid.size(), 3u);  // a and b
  EXPECT_EQ(grid[2][0], "b.dxf");
  EXPECT_FALSE(progress.shown());
  EXPECT_TRUE(messages().empty());
  const Texts t = typed();
  EXPECT_EQ(Texts(t.end() - 6, t.end()), (Texts{"FILEDIA\n", "1\n", "CMDDIA\n", "1\n", "PROXYNOTICE\n", "1\n"}));
}

TEST_F(ScaleCheckTest, AutoCADVanishingNamesTheDrawingAndStillShowsTheWindow) {
  const auto a = drawing("a.dxf", "42000,29700");
  const auto b = drawing("b.dxf", "42000,29700");
  env.clock.onTick = [&, done = false](std::int64_t) mutable {
    if (!done && count(b + "\n") == 1) {
      done = true;
      acad.vanish(*acad.instance());
    }
  };
  run({a, b});
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "図面 " + b + " (2/2) の尺度チェック中にAutoCAD が見つからなくなりました。\r\n尺度チェックを中止しました。");
  ASSERT_EQ(grid.size(), 2u);  // a only
}

// The text typed after the hang is not taken: the check ends there, without
// waiting out the limit.
TEST_F(ScaleCheckTest, AHungAutoCADEndsTheCheckAtTheFirstTextItDoesNotTake) {
  const auto a = drawing("a.dxf", "42000,29700");
  acad.instance()->behaviour.hangAtPrompt = "LIMMAX";
  check.AcadWaitLimit = 30;
  const std::int64_t start = env.clock.nowMs();
  run({a});
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0],
            "図面 " + a + " (1/1) の尺度チェック中にAutoCAD が入力を受け付けなくなりました。\r\n尺度チェックを中止しました。");
  EXPECT_LT(env.clock.nowMs() - start, 30000);
  EXPECT_EQ(env.desktop.refusedCopyData, 1);
}

// ---------------------------------------------------------------- texts AutoCAD cannot be given

TEST_F(ScaleCheckTest, ADrawingWhosePathAutoCADCannotBeGivenGetsItsRowUntyped) {
  const auto odd = drawing("図面_한글.dxf", "42000,29700");
  const auto a = drawing("a.dxf", "42000,29700");
  run({odd, a});
  ASSERT_EQ(grid.size(), 3u);
  EXPECT_EQ(Texts(grid[1].begin(), grid[1].begin() + 5), (Texts{"図面_한글.dxf", "パスに使", "えない文", "字", ""}));
  EXPECT_TRUE(magenta[1]);
  EXPECT_EQ(grid[2][4], "1/100");
  EXPECT_EQ(count(odd + "\n"), 0);
  EXPECT_EQ(count("fileopen\n"), 1);
  EXPECT_TRUE(messages().empty());
}

TEST_F(ScaleCheckTest, AMacroTextAutoCADCannotBeGivenEndsTheCheckInWords) {
  const auto a = drawing("a.dxf", "42000,29700");
  check.MacroLines = {"#SCALECHECK", "zoom 😀"};
  run({a});
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "図面 " + a + " (1/1) の尺度チェック中にエラーが発生しました。\r\n"
                           "AutoCAD に入力する文字列 \"zoom 😀\" に AutoCAD で扱えない文字 「😀」(U+1F600) が"
                           "あるため、入力できませんでした。\r\n尺度チェックを中止しました。");
  const Texts t = typed();
  EXPECT_EQ(Texts(t.end() - 6, t.end()), (Texts{"FILEDIA\n", "1\n", "CMDDIA\n", "1\n", "PROXYNOTICE\n", "1\n"}));
}

TEST_F(ScaleCheckTest, AProgramFolderAutoCADCannotSaveIntoRefusesTheCheckUntyped) {
  check.TempDrawingPath = env.path("髙橋①한/tmp.dwg");
  run({drawing("a.dxf", "42000,29700")});
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_NE(messages()[0].find("扱えない文字 「한」(U+D55C)"), std::string::npos) << messages()[0];
  EXPECT_NE(messages()[0].find("フォルダに移してから使ってください。"), std::string::npos);
  EXPECT_TRUE(typed().empty());
  EXPECT_TRUE(grid.empty());  // no window
}

TEST_F(ScaleCheckTest, TheLimitsSettingRefusesAPathAutoCADCannotBeGivenBeforeTyping) {
  setter.SetHandles(check.GetHandles());
  const std::string odd = env.path("e\xCC\x81.dxf");
  EXPECT_FALSE(setter.RunScaleSet(odd, 100, 0, 0, 420, 297, false, 1, 1, 1));
  EXPECT_TRUE(typed().empty());
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], odd + "\r\nこの図面のパスには AutoCAD で扱えない文字 「\xCC\x81」(U+0301) が含まれている"
                                 "ため、開くことができません。\r\nこの図面の図面範囲は設定されませんでした。");
  // A path it can be given is set as before.
  EXPECT_TRUE(setter.RunScaleSet(drawing("髙～.dxf", "12,9"), 100, 0, 0, 420, 297, false, 1, 1, 1));
  EXPECT_EQ(count("420,297\n"), 1);
}

// ---------------------------------------------------------------- the window

// Paced, against an AutoCAD slower than the command wait: the same rows.
class PacedScaleCheckTest : public ScaleCheckTest {
 protected:
  void SetUp() override {
    acad.options().behaviour.latency = {.answerMs = 30, .openMs = 400, .saveMs = 200, .jitterMs = 50, .seed = 9};
    ScaleCheckTest::SetUp();
    check.SetPacedSend(true);
    setter.SetPacedSend(true);
  }
};

TEST_F(PacedScaleCheckTest, EveryRowComesOutAsUnpacedWhileAutoCADTakesItsTime) {
  const auto a3 = drawing("a3.dxf", "42000,29700");
  const auto unset = drawing("unset.dxf", "12,9");
  const auto sheet = drawing("sheet.dxf", "420,297", 0);
  run({a3, unset, env.path("missing.dxf"), sheet});

  ASSERT_EQ(grid.size(), 5u);
  EXPECT_EQ(grid[1], (Texts{"a3.dxf", "1/35.32", "1/49.96", "1/70.71", "1/100", "1/141.42", "100.0000",
                            "0.0000,0.0000", "42000.0000,29700.0000"}));
  EXPECT_EQ(Texts(grid[2].begin(), grid[2].begin() + 6), (Texts{"unset.dxf", "図面範囲", "設定され", "ず", "", ""}));
  EXPECT_EQ(grid[3], (Texts{"missing.dxf", "図面を開", "けません", "", "", "", "", "", ""}));
  EXPECT_EQ(grid[4], (Texts{"sheet.dxf", "レイアウ", "トが印刷", "されます", "", "", "100.0000", "", ""}));
  EXPECT_EQ(count("LIMMIN\n"), 3);
  EXPECT_EQ(count("LIMMAX\n"), 2);
  // The settings typed back at the end reached AutoCAD.
  EXPECT_EQ(acad.session()->variable("FILEDIA"), "1");
  EXPECT_EQ(acad.session()->variable("PROXYNOTICE"), "1");
}

class ScaleWindowTest : public ScaleCheckTest {
 protected:
  std::string unset;
  void SetUp() override {
    ScaleCheckTest::SetUp();
    unset = drawing("unset.dxf", "12,9");
  }
  // Clicks the first row and sets its limits as given.
  void setFirstRow(bool landscape, const std::string& numerator, const std::string& denominator) {
    inWindow = [=, this](TScaleForm& f) {
      EXPECT_FALSE(f.ScaleSetBtn->enabled());
      f.StringGrid1->userSelect(1, 1);
      EXPECT_TRUE(f.ScaleSetBtn->enabled());
      EXPECT_EQ(f.FileNameLabel->caption(), "unset.dxf");
      f.SizeComboBox->choose(0);  // A3=297x420
      (landscape ? f.LandscapeRdBtn : f.VerticalRdBtn)->click();
      f.MIN_X_Edit->userEdit("0");
      f.MIN_Y_Edit->userEdit("0");
      f.NumeratorEdit->userEdit(numerator);
      f.DenominatorEdit->userEdit(denominator);
      f.ScaleSetBtn->click();
      read(f);
      EXPECT_FALSE(f.ScaleSetBtn->enabled());
      EXPECT_EQ(f.FileNameLabel->caption(), "");
    };
  }
};

TEST_F(ScaleWindowTest, LandscapeA3AtOneHundredTypesTheCornersAndRecomputesTheRow) {
  setFirstRow(true, "1", "100");
  run({unset});
  const Texts t = typed();
  const auto at = std::find(t.begin(), t.end(), "limits\n");
  ASSERT_NE(at, t.end());
  EXPECT_EQ(*(at + 1), "0,0\n");
  EXPECT_EQ(*(at + 2), "42000,29700\n");
  EXPECT_EQ(*(at + 3), "save\n");
  EXPECT_EQ(grid[1], (Texts{"unset.dxf", "1/35.32", "1/49.96", "1/70.71", "1/100", "1/141.42", "100.0000", "0,0",
                            "42000,29700"}));
  EXPECT_FALSE(magenta[1]);
  // The drawing was opened again for the setting, and saved.
  EXPECT_EQ(count(unset + "\n"), 2);
}

TEST_F(ScaleWindowTest, PortraitSwapsTheSides) {
  setFirstRow(false, "1", "100");
  run({unset});
  EXPECT_EQ(count("29700,42000\n"), 1);
  EXPECT_EQ(grid[1][8], "29700,42000");
}

TEST_F(ScaleWindowTest, AFractionalScaleIsUsedButTheWindowWillNotCloseWithIt) {
  setFirstRow(true, "1", "2.5");
  auto set = inWindow;
  inWindow = [&, set](TScaleForm& f) {
    set(f);
    f.CloseBtn->click();
    EXPECT_TRUE(f.shown());
    ASSERT_FALSE(env.ui.messages.empty());
    EXPECT_NE(env.ui.messages.back().text.find("2.5"), std::string::npos);
    EXPECT_TRUE(acad.running());  // nothing is ended while the window stays
    f.StringGrid1->userSelect(1, 1);
    f.DenominatorEdit->userEdit("3");
  };
  run({unset});
  EXPECT_EQ(count("1050,742.5\n"), 1);
  EXPECT_EQ(base::ProfileFile(env.path("kestrel20.ini")).readInt("ScaleCheckWindow", "Denominator", 0), 3);
}

TEST_F(ScaleWindowTest, ClosingWithTheButtonQuitsAutoCADButTheTitleBarDoesNot) {
  inWindow = [](TScaleForm& f) { f.close(); };
  run({unset});
  EXPECT_TRUE(acad.running());
  inWindow = [](TScaleForm& f) { f.CloseBtn->click(); };
  run({unset});
  EXPECT_FALSE(acad.running());
  EXPECT_EQ(count("quit\n"), 1);
}

TEST_F(ScaleWindowTest, WithAutoCADGoneTheSettingIsRefusedWithItsMessage) {
  inWindow = [this](TScaleForm& f) {
    acad.vanish(*acad.instance());
    f.StringGrid1->userSelect(1, 1);
    const size_t typedBefore = typed().size();
    f.ScaleSetBtn->click();
    EXPECT_EQ(typed().size(), typedBefore);
    EXPECT_TRUE(f.shown());
  };
  run({unset});
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "Auto CADが閉じられています。このｳｲﾝﾄﾞｳを閉じて[？尺度]からやり直して下さい。");
  EXPECT_TRUE(magenta[1]);
}

TEST_F(ScaleWindowTest, TheWindowKeepsItsSettingsFromOneCheckToTheNext) {
  inWindow = [](TScaleForm& f) {
    f.StringGrid1->userSelect(1, 1);
    f.SizeComboBox->choose(1);
    f.VerticalRdBtn->click();
    f.MIN_X_Edit->userEdit("-5");
    f.NumeratorEdit->userEdit("2");
    f.DenominatorEdit->userEdit("50");
  };
  run({unset});
  inWindow = [](TScaleForm& f) {
    EXPECT_EQ(f.SizeComboBox->text(), "A1");
    EXPECT_TRUE(f.VerticalRdBtn->checked());
    EXPECT_FALSE(f.LandscapeRdBtn->checked());
    EXPECT_EQ(f.MIN_X_Edit->text(), "-5");
    EXPECT_EQ(f.NumeratorEdit->text(), "2");
    EXPECT_EQ(f.DenominatorEdit->text(), "50");
  };
  run({unset});
}

}  // namespace
