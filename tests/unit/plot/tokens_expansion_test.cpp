// What each line of a plot macro types, tokens and plain lines alike, and
// the three tokens that give up on a drawing.
#include <gtest/gtest.h>

#include "plot/scale_support.h"

namespace {

using Typed = std::vector<std::string>;

class TokenFixture : public plot_test::ScaleFixture {
 protected:
  plot::PlotOptions o;
  plot::PlotRunState run;
  std::unique_ptr<plot::TPlotteingForm> progress;

  void SetUp() override {
    ScaleFixture::SetUp();
    p.SetPrintStyle("monochrome.ctb");
    p.SetPaperName("ISO A3 (420.00 x 297.00 ミリ)");
    o.CommandWait = 100;
    run.Options = &o;
    progress = std::make_unique<plot::TPlotteingForm>(env.path("kestrel20.ini"));
    run.Progress = progress.get();
    run.DrawingPath = "D:\\work\\plan.dwg";
  }

  // Expands the lines in order; the results of every line.
  std::vector<bool> expand(const std::vector<std::string>& lines) {
    std::vector<bool> ok;
    for (const std::string& l : lines) ok.push_back(p.ExpandMacroLine(l, run));
    return ok;
  }
  Typed typed(const std::vector<std::string>& lines) {
    expand(lines);
    return acad.typed;
  }
};

TEST_F(TokenFixture, OnlyTheWholeExactLineIsAToken) {
  EXPECT_EQ(typed({"#ENTER", " #ENTER", "#SCALE ", "#scale", "", "_-PLOT", "#ESC"}),
            (Typed{"\n", " #ENTER\n", "#SCALE \n", "#scale\n", "\n", "_-PLOT\n", "\x1b"}));
  EXPECT_TRUE(plot::IsPlotToken("#LAYOUTSCOPE"));
  EXPECT_FALSE(plot::IsPlotToken("#GETPAGESIZE"));  // a token of the paper acquisition only
}

TEST_F(TokenFixture, ButtonValuesWithTheButtonsDevice) {
  EXPECT_EQ(typed({"#PRINTDEVICE", "#PAPERNAME", "#PRINTSTYLE", "#PAPERDIRECTION"}),
            (Typed{"DWG To PDF.pc3\n", "ISO A3 (420.00 x 297.00 ミリ)\n", "monochrome.ctb\n", "L\n"}));
  acad.typed.clear();
  p.SetPaperDirection(1);
  EXPECT_EQ(typed({"#PAPERDIRECTION"}), (Typed{"P\n"}));
  acad.typed.clear();
  p.SetPaperDirection(2);  // neither: not even Enter
  EXPECT_TRUE(typed({"#PAPERDIRECTION"}).empty());
}

TEST_F(TokenFixture, DrawingsOwnDeviceKeptWithEnter) {
  p.SetPrintDevice("None");
  p.SetPaperDirection(1);
  EXPECT_EQ(expand({"#PRINTDEVICE", "#PAPERNAME", "#PAPERDIRECTION"}), (std::vector<bool>{true, true, true}));
  // The paper name belongs to the button's device and is never sent alone.
  EXPECT_EQ(acad.typed, (Typed{"\n", "\n", "\n"}));
  EXPECT_TRUE(env.ui.messages.empty());
}

TEST_F(TokenFixture, StyleTokenTestsTheStyleNotTheDevice) {
  p.SetPrintDevice("None");
  EXPECT_EQ(typed({"#PRINTSTYLE"}), (Typed{"monochrome.ctb\n"}));
}

struct Missing {
  const char* token;
  const char* word;  // in AutoCAD's question asked again
  const char* message;
};

TEST_F(TokenFixture, MissingDrawingSettingsStopTheDrawingWithAMessage) {
  const Missing cases[] = {
      {"#PRINTDEVICE", "出力", "図面に設定されている印刷デバイスが見つかりません。\r\nこの図面の印刷はキャンセルされます。"},
      {"#PRINTSTYLE", "なし", "図面に設定されている印刷スタイルが見つかりません。\r\nこの図面の印刷はキャンセルされます。"},
      {"#PAPERNAME", "一覧", "図面に設定されている用紙が見つかりません。\r\nこの図面の印刷はキャンセルされます。"},
  };
  p.SetPrintDevice("None");
  p.SetPrintStyle("None");
  for (const Missing& m : cases) {
    acad.typed.clear();
    env.ui.messages.clear();
    nextPrompts = {std::string("何か ") + m.word + " を入力 <>: "};
    EXPECT_FALSE(p.ExpandMacroLine(m.token, run)) << m.token;
    EXPECT_EQ(acad.typed, (Typed{"\n", "\x1b"})) << m.token;
    ASSERT_EQ(env.ui.messages.size(), 1u) << m.token;
    EXPECT_EQ(env.ui.messages[0].text, m.message);
    EXPECT_EQ(env.ui.messages[0].caption, "Kestrel メッセージ");
    EXPECT_EQ(env.ui.messages[0].ownerClass, "TPlotteingForm");
    EXPECT_EQ(env.ui.messages[0].buttons, ui::MsgButtons::Ok);
  }
  // Another token's word does not count.
  nextPrompts = {"用紙サイズを入力 <A3>: "};
  EXPECT_TRUE(p.ExpandMacroLine("#PRINTDEVICE", run));
}

TEST_F(TokenFixture, ScaleAndLayoutTokensFollowTheDrawingsMode) {
  run.Mode = plot::PrintModeKind::Model;
  run.ScaleAnswer = "1=100";
  EXPECT_EQ(typed({"#SCALE", "#OUTPUTLAYOUT"}), (Typed{"1=100\n", "\n"}));

  acad.typed.clear();
  run.Mode = plot::PrintModeKind::AllLayouts;
  run.ScaleAnswer.clear();
  run.LayoutName = "平面 図";
  EXPECT_EQ(typed({"#SCALE", "#OUTPUTLAYOUT"}), (Typed{"\n", "平面 図\n"}));

  acad.typed.clear();
  run.Mode = plot::PrintModeKind::CurrentLayout;
  EXPECT_EQ(typed({"#OUTPUTLAYOUT"}), (Typed{"\n"}));
}

TEST_F(TokenFixture, LayoutScaleTypesTheRescale) {
  p.ComputeDiagonals("594x841", 100);
  o.LayoutScalePrint = true;
  acad.prompt("印刷尺度を入力 <1:50>: ");
  EXPECT_EQ(typed({"#LAYOUTSCALE"}), (Typed{"1:100.08\n"}));
  acad.typed.clear();
  o.LayoutScalePrint = false;
  EXPECT_EQ(typed({"#LAYOUTSCALE"}), (Typed{"\n"}));
}

TEST_F(TokenFixture, ScopeAnswers) {
  o.PrintScope = 0;
  EXPECT_EQ(typed({"#SCOPE"}), (Typed{"E\n"}));
  acad.typed.clear();
  o.PrintScope = 1;
  EXPECT_EQ(typed({"#SCOPE"}), (Typed{"L\n"}));
  acad.typed.clear();
  o.PrintScope = 3;
  EXPECT_TRUE(typed({"#SCOPE"}).empty());
}

TEST_F(TokenFixture, WindowScopeTakesTheOfferedCornersWithPauses) {
  o.PrintScope = 2;
  o.CommandWait = 400;
  std::vector<std::int64_t> at;
  auto react = acad.react;
  acad.react = [&](const std::string& in) {
    at.push_back(env.clock.nowMs());
    react(in);
  };
  const std::int64_t start = env.clock.nowMs();
  EXPECT_EQ(typed({"#SCOPE"}), (Typed{"w\n", "\n", "\n"}));
  ASSERT_EQ(at.size(), 3u);
  EXPECT_GE(at[1] - at[0], 400);
  EXPECT_GE(at[2] - at[1], 400);
  EXPECT_GE(env.clock.nowMs() - at[2], 400);  // and one after the last Enter
  EXPECT_GE(at[0], start);
}

TEST_F(TokenFixture, ModifySaveAndSaveFile) {
  o.ModifySave = true;
  EXPECT_EQ(typed({"#MODIFYSAVE", "#SAVEFILE"}), (Typed{"y\n", "D:\\work\\plan.dwg\n"}));
  acad.typed.clear();
  o.ModifySave = false;
  EXPECT_EQ(typed({"#MODIFYSAVE"}), (Typed{"n\n"}));
}

TEST_F(TokenFixture, FilePlotWritesNextToTheDrawingUnderAutoCADsName) {
  p.SetFilePlot(true);
  nextPrompts = {"印刷ファイル名を入力 <D:\\out\\plan-Model.plt>: ",
                 "ファイル D:\\work\\plan-Model.plt は既に存在します。上書きしますか? <N>: "};
  EXPECT_EQ(typed({"#FILEPLOT"}), (Typed{"y\n", "D:\\work\\plan-Model\n", "y\n"}));

  acad.typed.clear();
  nextPrompts = {"印刷ファイル名を入力 <C:\\図面\\表示\\plan-Model.plt>: ", "印刷を続行しますか? <Y>: "};
  EXPECT_EQ(typed({"#FILEPLOT"}), (Typed{"y\n", "D:\\work\\plan-Model\n"}));

  acad.typed.clear();
  p.SetFilePlot(false);
  EXPECT_EQ(typed({"#FILEPLOT"}), (Typed{"n\n"}));
}

TEST_F(TokenFixture, FilePlotAnnouncesTheSheetToThePdfHelper) {
  const platform::WindowHandle helper = env.desktop.createTopLevel("TfHeron4", "TForm");
  std::vector<std::string> posted;
  env.desktop.window(helper)->onAtomMessage = [&](const std::string& name, const std::string& text) {
    posted.push_back(name + ":" + text);
  };
  p.PdfHelperWindow = helper;
  p.SetPdfPrint(true);
  bool done = true;
  o.PdfDone = &done;
  run.PdfBaseName = "D:\\work\\plan_Layout1";
  EXPECT_EQ(typed({"#FILEPLOT"}), (Typed{"n\n"}));
  EXPECT_FALSE(done);
  EXPECT_EQ(posted, (std::vector<std::string>{"TfKestrel:D:\\work\\plan_Layout1"}));
}

TEST_F(TokenFixture, LayoutScopeKeepsTheAreaAndAnswersWindowCorners) {
  acad.prompt("印刷領域 [表示(D)/オブジェクト範囲(E)/レイアウト(L)/窓(W)] <レイアウト>: ");
  nextPrompts = {"窓の一方のコーナーを指定 <0,0>: ", "窓のもう一方のコーナーを指定 <420,297>: ",
                 "印刷尺度を入力 <1:1>: "};
  EXPECT_EQ(typed({"#LAYOUTSCOPE"}), (Typed{"\n", "\n", "\n"}));
  EXPECT_TRUE(run.LayoutScope);

  // The flag is what "#LAYOUTOFFSET" goes by.
  acad.typed.clear();
  p.SetCenterPrint(true);
  EXPECT_EQ(typed({"#LAYOUTOFFSET"}), (Typed{"\n"}));
  acad.typed.clear();
  acad.prompt("印刷領域 [表示(D)/オブジェクト範囲(E)/レイアウト(L)/窓(W)] <表示>: ");
  nextPrompts = {"印刷尺度を入力 <1:1>: "};
  EXPECT_EQ(typed({"#LAYOUTSCOPE", "#LAYOUTOFFSET"}), (Typed{"\n", "C\n"}));
  EXPECT_FALSE(run.LayoutScope);
}

TEST_F(TokenFixture, StopEndsTheWindowCornerAnswers) {
  acad.prompt("窓の一方のコーナーを指定 <0,0>: ");  // AutoCAD stuck asking
  env.ui.queueEvent(3, [this] { progress->StopBitBtnClick(); });
  expand({"#LAYOUTSCOPE"});
  EXPECT_FALSE(progress->ContinueFlag);
  EXPECT_LT(acad.typed.size(), 10u);
}

TEST_F(TokenFixture, WindowCornersAskedForEverEndTheRunAtTheLimit) {
  acad.prompt("窓の一方のコーナーを指定 <0,0>: ");  // AutoCAD stuck asking
  run.WaitLimitMs = 5000;
  const std::int64_t start = env.clock.nowMs();
  try {
    expand({"#LAYOUTSCOPE"});
    ADD_FAILURE() << "the answers went on";
  } catch (const plot::RunHalted& h) {
    EXPECT_EQ(h.why, plot::RunHalt::TimedOut);
  }
  EXPECT_GE(env.clock.nowMs() - start, 5000);
  EXPECT_LT(env.clock.nowMs() - start, 6000);
  EXPECT_TRUE(progress->ContinueFlag);
}

TEST_F(TokenFixture, OffsetTokenUsesTheDrawingsScaleAnswer) {
  p.SetOffsetX("5");
  p.SetOffsetY("7");
  p.FitOffsetZero = true;
  run.ScaleAnswer = "F";
  EXPECT_EQ(typed({"#OFFSET"}), (Typed{"0,0\n"}));
  acad.typed.clear();
  run.ScaleAnswer = "1=50";
  EXPECT_EQ(typed({"#OFFSET"}), (Typed{"5,7\n"}));
  acad.typed.clear();
  p.SetPrintDevice("None");
  run.ScaleAnswer.clear();
  EXPECT_EQ(typed({"#SCALE", "#OFFSET"}), (Typed{"\n", "\n"}));
}

}  // namespace
