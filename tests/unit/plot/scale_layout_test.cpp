// Layout rescale, the offset answers, the layout-scope default and the
// layout names read from AutoCAD's listing.
#include <gtest/gtest.h>

#include "acadsim/acadsim_support.h"
#include "acadsim/sim_host.h"
#include "platform/context.h"
#include "plot/scale_support.h"

namespace {

using plot_test::ScaleFixture;

const char* kLayoutScalePrompt = "印刷尺度を入力 (印刷される ミリメートル=図面単位) または [フィット(F)] <1:50>: ";

TEST_F(ScaleFixture, LayoutDrawnForA1RescaledToA3) {
  p.ComputeDiagonals("594x841", 100);
  acad.prompt(kLayoutScalePrompt);
  EXPECT_EQ(p.LayoutScaleAnswer(true), "1:100.08\n");
  EXPECT_FALSE(p.LayoutScaleFitted);
  EXPECT_TRUE(acad.typed.empty());  // the run types the answer

  // The other notation of a scale, and a 95 % adjustment.
  p.ComputeDiagonals("594x841", 95);
  acad.prompt("印刷尺度を入力 <1=50>: ");
  EXPECT_EQ(p.LayoutScaleAnswer(true), "1:105.35\n");
}

TEST_F(ScaleFixture, FittedLayoutKeepsItsFit) {
  p.ComputeDiagonals("594x841", 100);
  for (const char* prompt : {"印刷尺度を入力 または [フィット(F)] <フィット>: ", "Enter plot scale <Fit>: "}) {
    p.LayoutScaleFitted = false;
    acad.prompt(prompt);
    EXPECT_EQ(p.LayoutScaleAnswer(true), "\n") << prompt;
    EXPECT_TRUE(p.LayoutScaleFitted) << prompt;
  }
  EXPECT_TRUE(acad.typed.empty());
}

TEST_F(ScaleFixture, LayoutScaleKeptWhenNotAsked) {
  p.ComputeDiagonals("594x841", 100);
  acad.prompt(kLayoutScalePrompt);
  EXPECT_EQ(p.LayoutScaleAnswer(false), "");
  p.SetPrintDevice("None");
  EXPECT_EQ(p.LayoutScaleAnswer(true), "");
  EXPECT_EQ(acad.typed, (std::vector<std::string>{"\n", "\n"}));
}

TEST_F(ScaleFixture, ModelOffsetFirstRuleThatApplies) {
  p.SetOffsetX("10");
  p.SetOffsetY("-5.5");
  p.FitOffsetZero = true;
  p.AnswerOffset("F");
  p.AnswerOffset("1=100");
  p.FitOffsetZero = false;
  p.AnswerOffset("F");
  p.SetCenterPrint(true);
  p.AnswerOffset("F");
  p.SetPrintDevice("None");
  p.AnswerOffset("1=100");
  EXPECT_EQ(acad.typed, (std::vector<std::string>{"0,0\n", "10,-5.5\n", "10,-5.5\n", "C\n", "\n"}));
}

TEST_F(ScaleFixture, LayoutOffsetDependsOnScopeAndFit) {
  p.SetOffsetX("3");
  p.SetOffsetY("4");
  p.FitOffsetZero = true;
  p.LayoutScaleFitted = true;
  p.AnswerLayoutOffset(false);
  p.LayoutScaleFitted = false;
  p.AnswerLayoutOffset(false);
  p.SetCenterPrint(true);
  p.AnswerLayoutOffset(true);   // a whole layout: AutoCAD's own placement
  p.AnswerLayoutOffset(false);
  p.SetPrintDevice("None");
  p.AnswerLayoutOffset(false);
  EXPECT_EQ(acad.typed, (std::vector<std::string>{"0,0\n", "3,4\n", "\n", "C\n", "\n"}));
}

TEST_F(ScaleFixture, LayoutScopeDefaultMustBeExactlyLayout) {
  acad.prompt("印刷領域 [表示(D)/オブジェクト範囲(E)/レイアウト(L)/窓(W)] <レイアウト>: ");
  EXPECT_TRUE(p.IsLayoutScopeDefault());
  acad.prompt("印刷領域 [表示(D)/ｵﾌﾞｼﾞｪｸﾄ範囲(E)/ﾚｲｱｳﾄ(L)/窓(W)] <ﾚｲｱｳﾄ>: ");
  EXPECT_TRUE(p.IsLayoutScopeDefault());
  acad.prompt("印刷領域 [表示(D)/オブジェクト範囲(E)/レイアウト(L)/窓(W)] <表示>: ");
  EXPECT_FALSE(p.IsLayoutScopeDefault());
  acad.prompt("印刷領域 <レイアウト >: ");
  EXPECT_FALSE(p.IsLayoutScopeDefault());
}

// ---------------------------------------------------------------- the layout listing

class ListingFixture : public ScaleFixture {
 protected:
  std::string history;
  void SetUp() override {
    ScaleFixture::SetUp();
    env.desktop.window(acad.text)->onCommand = [this](std::uintptr_t cmd, std::intptr_t) {
      if (cmd == 32781) env.clipboard.setText(history);
    };
  }
};

const std::string kListing2004 =
    "コマンド: -Layout\r\n"
    "レイアウト オプションを入力 [コピー(C)/削除(D)/新規作成(N)/テンプレート(T)/名前変更(R)/名前を付けて保存(SA)/設定(S)/?(?)] <設定>: ?\r\n"
    "現在のレイアウト: Layout1\r\n"
    "レイアウト: Layout1   ブロック名: *Paper_Space.\r\n"
    "レイアウト: 平面 図     ブロック名: *Paper_Space0.\r\n"
    "レイアウト: b-詳細名   ブロック名: *Paper_Space1.\r\n";

TEST_F(ListingFixture, NamesFromTheListingSortedBothWays) {
  history = kListing2004;
  p.ListLayouts(0);
  EXPECT_EQ(p.LayoutNames, (std::vector<std::string>{"b-詳細名", "Layout1", "平面 図"}));
  EXPECT_EQ(acad.typed, (std::vector<std::string>{"-Layout\n", "?\n"}));
  EXPECT_EQ(env.clipboard.getText(), "");  // emptied after reading

  p.LayoutNames.clear();
  p.ListLayouts(2);
  EXPECT_EQ(p.LayoutNames, (std::vector<std::string>{"平面 図", "Layout1", "b-詳細名"}));
}

TEST_F(ListingFixture, TheUsersClipboardTextIsPutBackAfterTheListing) {
  history = kListing2004;
  env.clipboard.setText("ユーザーの文字");
  std::string seenDuringCopy;
  env.desktop.window(acad.text)->onCommand = [&](std::uintptr_t cmd, std::intptr_t) {
    seenDuringCopy = env.clipboard.getText();  // emptied for the copy
    if (cmd == 32781) env.clipboard.setText(history);
  };
  p.ListLayouts(0);
  EXPECT_EQ(p.LayoutNames.size(), 3u);
  EXPECT_EQ(seenDuringCopy, "");
  EXPECT_EQ(env.clipboard.getText(), "ユーザーの文字");
}

TEST_F(ListingFixture, HalfWidthLabelsOfTheOlderReleases) {
  history =
      "ｺﾏﾝﾄﾞ: -Layout\r\n"
      "現在のﾚｲｱｳﾄ: B\r\n"
      "ﾚｲｱｳﾄ: B   ﾌﾞﾛｯｸ名: *Paper_Space.\r\n"
      "ﾚｲｱｳﾄ: a   ﾌﾞﾛｯｸ名: *Paper_Space0.\r\n"
      "ﾚｲｱｳﾄ: C   ﾌﾞﾛｯｸ名: *Paper_Space1.";
  p.ListLayouts(1);
  EXPECT_EQ(p.LayoutNames, (std::vector<std::string>{"C", "B", "a"}));
}

TEST_F(ListingFixture, WalkStopsAtTheFirstLineWithoutNameAndNeverTakesTheFirst) {
  history = "レイアウト: Top   ブロック名: *Paper_Space.\r\nレイアウト: Second   ブロック名: *Paper_Space0.";
  p.ListLayouts(0);
  EXPECT_EQ(p.LayoutNames, (std::vector<std::string>{"Second"}));

  // A listing followed by the command prompt: nothing at the end has "名".
  history = kListing2004 + "コマンド: ";
  p.ListLayouts(0);
  EXPECT_TRUE(p.LayoutNames.empty());
}

TEST(ListLayoutsOnStandIn, ReadsTheDrawingsLayouts) {
  testing_support::SimEnv env;
  acadsim::SimHost acad{env.desktop, env.clock, env.clipboard, env.processes};
  acad.options().session.workFolder = env.folder();
  env.writeFile("plan.dxf", acadsim_test::drawingDxf("420,297", 0, {{"平面図", 1, "1E"}, {"Layout1", 2, "1F"},
                                                                  {"a 詳細", 3, "20"}}));
  acad.start(env.path("plan.dxf"));
  plot::Ploter p{env.path("kestrel20.ini"), "Ploter1Fleld"};
  ASSERT_TRUE(p.FindAutoCADByCaptions("コマンド", "テキスト"));
  p.ListLayouts(0);
  EXPECT_EQ(p.LayoutNames, (std::vector<std::string>{"a 詳細", "Layout1", "平面図"}));
}

}  // namespace
