// The plot run when AutoCAD or the PDF/DWF helper lets it down: every wait
// ends, the run says which drawing it was on and why.
#include "heron/sim_heron.h"
#include "platform/context.h"
#include "plot/run_support.h"

namespace {

using plot_test::kCaption;
using plot_test::kStopped;

class PlotRunFailureTest : public plot_test::RunFixture {};

TEST_F(PlotRunFailureTest, AutoCADVanishingMidDrawingEndsTheRunWithItsReason) {
  const std::string a = drawing("a.dxf", plot_test::modelDxf());
  const std::string b = drawing("b.dxf", plot_test::modelDxf());
  whenTyped(b + "\n", [&] { acad.vanish(*acad.instance()); });
  run({a, b});

  ASSERT_EQ(1u, env.ui.messages.size());
  EXPECT_EQ("図面 " + b + " (2/2) の印刷中にAutoCAD が見つからなくなりました。\r\n印刷を中止しました。",
            env.ui.messages[0].text);
  EXPECT_EQ(kCaption, env.ui.messages[0].caption);
  // Nothing more is typed into the windows that are gone.
  EXPECT_EQ(b + "\n", typed().back());
  EXPECT_EQ(nullptr, plot_test::progressForm());
  EXPECT_FALSE(ploter.IsPlotting());
}

// The path typed after AutoCAD hung is not taken: the drawing ends there,
// named in the message, without waiting out the limit.
TEST_F(PlotRunFailureTest, AutoCADThatStopsTakingInputEndsTheDrawingAtOnce) {
  const std::string a = drawing("a.dxf", plot_test::modelDxf());
  acad.instance()->behaviour.hangAtPrompt = "開く図面";
  o.AcadWaitLimit = 60;
  const std::int64_t start = env.clock.nowMs();
  run({a});

  ASSERT_EQ(1u, env.ui.messages.size());
  EXPECT_EQ("図面 " + a + " (1/1) の印刷中にAutoCAD が入力を受け付けなくなりました。\r\n印刷を中止しました。",
            env.ui.messages[0].text);
  EXPECT_LT(env.clock.nowMs() - start, 10000);
  EXPECT_EQ(1, env.desktop.refusedCopyData);
}

// A hang at the first question of the plot command: the rest of the macro
// is not typed line by line into the hung AutoCAD (on Windows each line
// would cost a message time-out), and the first drawing is the one named.
TEST_F(PlotRunFailureTest, HangInsideTheMacroNamesThatDrawingAndTypesNoMoreLines) {
  const std::string a = drawing("a.dxf", plot_test::modelDxf());
  const std::string b = drawing("b.dxf", plot_test::modelDxf());
  ploter.ModelMacro = {"-plot", "y", "Model", "#PRINTDEVICE", "#PAPERNAME", "m", "#PAPERDIRECTION", "n",
                       "#SCOPE", "#SCALE", "#OFFSET", "y", "monochrome.ctb", "y", "#MODIFYSAVE", "#FILEPLOT", "y"};
  ploter.SetPrintDevice("DWG To PDF.pc3");
  ploter.SetPaperName("ISO A3 (420.00 x 297.00 mm)");
  acad.instance()->behaviour.hangAtPrompt = "詳細な印刷構成";
  o.AcadWaitLimit = 10;
  const std::int64_t start = env.clock.nowMs();
  run({a, b});

  ASSERT_EQ(1u, env.ui.messages.size());
  EXPECT_EQ("図面 " + a + " (1/2) の印刷中にAutoCAD が入力を受け付けなくなりました。\r\n印刷を中止しました。",
            env.ui.messages[0].text);
  EXPECT_EQ(1, env.desktop.refusedCopyData);
  EXPECT_EQ("-plot\n", typed().back());
  EXPECT_EQ(std::vector<std::string>{a}, opens());
  EXPECT_LT(env.clock.nowMs() - start, 10000);
}

TEST_F(PlotRunFailureTest, StopButtonIsHeardWhileWaitingForAHungAutoCAD) {
  const std::string a = drawing("a.dxf", plot_test::modelDxf());
  // Hung once the working drawing is being saved: nothing more is typed,
  // the run only waits for the prompt.
  whenTyped(ploter.TempDrawingPath + "\n", [&] { acad.hang(*acad.instance()); });
  const std::int64_t start = env.clock.nowMs();
  env.clock.onTick = [&, clicked = false, inner = env.clock.onTick](std::int64_t now) mutable {
    inner(now);
    if (!clicked && now - start > 20000) {
      clicked = true;
      clickStop();
    }
  };
  run({a});

  const std::int64_t spent = env.clock.nowMs() - start;
  EXPECT_GE(spent, 20000);
  EXPECT_LT(spent, 60000);
  ASSERT_EQ(1u, env.ui.messages.size());
  // The ESC of the ending is not taken either, and the message says so.
  EXPECT_EQ("図面 " + a + " (1/1) の印刷中にAutoCAD が入力を受け付けなくなりました。\r\n印刷を中止しました。",
            env.ui.messages[0].text);
}

TEST_F(PlotRunFailureTest, WaitBeforeThePreparationIsBoundedToo) {
  acad.instance()->behaviour.replyDelayMs = 0;
  acad.hang(*acad.instance());
  o.AcadWaitLimit = 30;
  run({drawing("a.dxf", plot_test::modelDxf())});
  ASSERT_EQ(1u, env.ui.messages.size());
  EXPECT_EQ("印刷の準備中にAutoCAD が 30 秒待ってもコマンド待ちに戻りませんでした。\r\n印刷を中止しました。",
            env.ui.messages[0].text);
  EXPECT_EQ(0, count("FILEDIA\n"));
}

// A path AutoCAD cannot be given no longer ends the run: the drawing is
// skipped, before its path is typed, with a message that names it, and the
// drawings after it are printed.
TEST_F(PlotRunFailureTest, PathWithoutACp932FormIsSkippedWithItsReasonAndTheRunGoesOn) {
  const std::string a = drawing("a.dxf", plot_test::modelDxf());
  const std::string odd = drawing("b\xF0\x9F\x98\x80.dxf", plot_test::modelDxf());
  const std::string c = drawing("c.dxf", plot_test::modelDxf());
  int lastPosition = -1;
  env.clock.onTick = [&](std::int64_t) {
    if (auto* f = plot_test::progressForm()) lastPosition = f->ProgressBar1->position();
  };
  run({a, odd, c});
  ASSERT_EQ(2u, env.ui.messages.size());
  EXPECT_EQ(odd + "\r\nこの図面のパスには AutoCAD で扱えない文字 「\xF0\x9F\x98\x80」(U+1F600) が含まれているため、"
                  "開くことができません。\r\nこの図面の印刷はキャンセルされます。",
            env.ui.messages[0].text);
  EXPECT_EQ("TPlotteingForm", env.ui.messages[0].ownerClass);
  EXPECT_EQ(kCaption, env.ui.messages[0].caption);
  EXPECT_EQ(plot_test::kDone, env.ui.messages[1].text);
  EXPECT_EQ((std::vector<std::string>{a, c}), opens());
  EXPECT_EQ(2, count("fileopen\n"));
  EXPECT_EQ(3, lastPosition);
  EXPECT_EQ("1", acad.session()->variable("FILEDIA"));
  EXPECT_FALSE(ploter.IsPlotting());
}

TEST_F(PlotRunFailureTest, ATextWithoutACp932FormEndsTheRunNamingTheDrawingTheTextAndTheCharacter) {
  const std::string a = drawing("a.dxf", plot_test::modelDxf());
  const std::string b = drawing("b.dxf", plot_test::modelDxf());
  ploter.ModelMacro = {"modelline1", "note 한"};
  run({a, b});
  ASSERT_EQ(1u, env.ui.messages.size());
  EXPECT_EQ("図面 " + a + " (1/2) の印刷中にエラーが発生しました。\r\n"
            "AutoCAD に入力する文字列 \"note 한\" に AutoCAD で扱えない文字 「한」(U+D55C) があるため、"
            "入力できませんでした。\r\n印刷を中止しました。",
            env.ui.messages[0].text);
  EXPECT_EQ(std::vector<std::string>{a}, opens());
  // AutoCAD's settings are still given back.
  EXPECT_EQ("1", acad.session()->variable("FILEDIA"));
}

TEST_F(PlotRunFailureTest, AProgramFolderAutoCADCannotSaveIntoTypesNothing) {
  env.setProgramFolder(env.folder() + "한\\");
  ploter.TempDrawingPath = platform::programFolder() + "tmp.dwg";
  run({drawing("a.dxf", plot_test::modelDxf())});
  ASSERT_EQ(1u, env.ui.messages.size());
  EXPECT_EQ("Kestrel のフォルダ\r\n" + env.folder() + "한\r\nのパスには AutoCAD で扱えない文字 「한」(U+D55C) が"
            "含まれているため、AutoCAD に作業用の図面 tmp.dwg を保存させることができません。\r\n"
            "Kestrel を、パスに AutoCAD で扱える文字だけを含むフォルダに移してから使ってください。",
            env.ui.messages[0].text);
  EXPECT_TRUE(typed().empty());
  EXPECT_FALSE(ploter.IsPlotting());
}

class PdfRunTest : public plot_test::RunFixture {
 protected:
  std::vector<std::string> answers;
  heron::SimHeron helper{env.desktop, env.clock, env.processes, env.path("TfHeron4"),
                         [this](platform::WindowHandle, const std::string& bytes) {
                           // The answer arrives as a window message of the main window.
                           env.ui.queueEvent(1, [this, bytes] {
                             answers.push_back(bytes.substr(0, bytes.find('\0')));
                             pdfDone = true;
                           });
                         }};

  void SetUp() override {
    RunFixture::SetUp();
    ploter.SetPdfPrint(true);
    o.MainWindowHandle = 4242;
  }
};

TEST_F(PdfRunTest, HelperIsStartedWithTheMainWindowAndToldToFinish) {
  ploter.ModelMacro = {"modelline1"};
  run({drawing("a.dxf", plot_test::modelDxf())});
  EXPECT_EQ(1, helper.starts);
  EXPECT_EQ(4242u, helper.mainWindow);
  EXPECT_EQ(helper.window, ploter.PdfHelperWindow);
  ASSERT_FALSE(helper.received.empty());
  EXPECT_EQ("finish", helper.received.back());
  // No "#FILEPLOT", no plot file announced: the run does not wait for an answer.
  EXPECT_EQ(std::vector<std::string>{plot_test::kDone}, messageTexts());
}

TEST_F(PdfRunTest, BaseNameIsThePathWithoutExtension) {
  const std::string a = drawing("plan.v2.dxf", plot_test::modelDxf());
  std::string seen;
  whenTyped("modelline1\n", [&] { seen = ploter.Run ? ploter.Run->PdfBaseName : "?"; });
  run({a});
  EXPECT_EQ(env.path("plan.v2"), seen);
}

TEST_F(PdfRunTest, SilentHelperEndsTheRunAfterTheLimit) {
  helper.silent = true;
  ploter.ModelMacro = {"modelline1", "#FILEPLOT"};
  o.AcadWaitLimit = 45;
  const std::string a = drawing("a.dxf", plot_test::modelDxf());
  run({a});
  ASSERT_EQ(1u, env.ui.messages.size());
  EXPECT_EQ("図面 " + a + " (1/1) の印刷中にPDF/DWF 変換プログラムから 45 秒待っても応答がありませんでした。\r\n印刷を中止しました。",
            env.ui.messages[0].text);
  // AutoCAD itself is fine: its settings are given back.
  EXPECT_EQ("1", acad.session()->variable("FILEDIA"));
  EXPECT_EQ("finish", helper.received.back());
}

}  // namespace
