// The plot run drawing by drawing: saving away, opening, skipping,
// pausing, the settings it changes and gives back, the stop button.
#include "plot/run_support.h"

namespace {

using plot_test::kCaption;
using plot_test::kDone;
using plot_test::kNext;
using plot_test::kStopped;

class PlotRunTest : public plot_test::RunFixture {};

TEST_F(PlotRunTest, WithoutModifySaveEveryDrawingIsPrecededBySavingOverTmp) {
  const std::string a = drawing("a.dxf", plot_test::modelDxf());
  const std::string b = drawing("b.dxf", plot_test::modelDxf());
  o.FileDia = 0, o.CmdDia = 1, o.Proxynotice = 0;
  run({a, b});

  const std::string tmp = env.path("tmp.dwg");
  EXPECT_EQ((std::vector<std::string>{tmp, tmp, tmp}), saves());
  EXPECT_EQ((std::vector<std::string>{a, b}), opens());
  EXPECT_LT(indexOf("saveas\n"), indexOf("fileopen\n"));
  EXPECT_LT(indexOf("saveas\n", 1), indexOf("fileopen\n", 1));
  EXPECT_EQ(0, count("save\n"));
  // The second save finds tmp.dwg and confirms the overwrite.
  EXPECT_GE(count("y\n"), 2);
  // The macro is typed line by line for each drawing.
  EXPECT_EQ(2, count("modelline1\n"));
  EXPECT_EQ(2, count("modelline2\n"));
  // The dialogs go off at the start and get the settings' values at the end.
  auto t = typed();
  ASSERT_GE(t.size(), 6u);
  EXPECT_EQ((std::vector<std::string>{"FILEDIA\n", "0\n", "CMDDIA\n", "0\n", "PROXYNOTICE\n", "0\n"}),
            std::vector<std::string>(t.begin(), t.begin() + 6));
  EXPECT_EQ((std::vector<std::string>{"FILEDIA\n", "0\n", "CMDDIA\n", "1\n", "PROXYNOTICE\n", "0\n"}),
            std::vector<std::string>(t.end() - 6, t.end()));
  EXPECT_EQ("0", acad.session()->variable("FILEDIA"));
  EXPECT_EQ("1", acad.session()->variable("CMDDIA"));

  ASSERT_EQ(1u, env.ui.messages.size());
  EXPECT_EQ(kDone, env.ui.messages[0].text);
  EXPECT_EQ(kCaption, env.ui.messages[0].caption);
  EXPECT_EQ("", env.ui.messages[0].ownerClass);
  EXPECT_EQ(nullptr, plot_test::progressForm());
  EXPECT_FALSE(ploter.IsPlotting());
}

TEST_F(PlotRunTest, ModifySaveSavesEachDrawingInPlaceButTheFirstSaveStillGoesToTmp) {
  // Named .dwg: AutoCAD saves a drawing read from DXF as the .dwg beside it.
  const std::string a = drawing("a.dwg", plot_test::modelDxf());
  const std::string b = drawing("b.dwg", plot_test::modelDxf());
  o.ModifySave = true;
  run({a, b});

  EXPECT_EQ((std::vector<std::string>{env.path("tmp.dwg"), a, b}), saves());
  EXPECT_EQ(1, count("saveas\n"));
  EXPECT_EQ(2, count("save\n"));
  EXPECT_LT(indexOf("save\n"), indexOf("fileopen\n", 1));
  EXPECT_EQ(std::vector<std::string>{kDone}, messageTexts());
}

TEST_F(PlotRunTest, UnopenableDrawingIsSkippedWithItsMessageAndStillCounts) {
  const std::string bad = drawing("unreadable.dwg", "AC1015 binary");
  const std::string good = drawing("good.dxf", plot_test::modelDxf());
  ploter.SetPageStop(true);
  int lastPosition = -1;
  env.clock.onTick = [&](std::int64_t) {
    if (auto* f = plot_test::progressForm()) lastPosition = f->ProgressBar1->position();
  };
  run({bad, good});

  EXPECT_EQ(std::vector<std::string>{good}, opens());
  // ESC right after AutoCAD asked again for the file.
  EXPECT_EQ(indexOf(bad + "\n") + 1, indexOf("\x1b"));
  EXPECT_EQ(0, count("modelline1\n") - 1);  // only the good drawing's macro
  ASSERT_EQ(3u, env.ui.messages.size());
  EXPECT_EQ("unreadable.dwg は、開くことができません。\r\nこの図面の印刷はキャンセルされます。", env.ui.messages[0].text);
  EXPECT_EQ("TPlotteingForm", env.ui.messages[0].ownerClass);
  EXPECT_EQ(kCaption, env.ui.messages[0].caption);
  // The skipped drawing still gets the pause before the next one.
  EXPECT_EQ(kNext, env.ui.messages[1].text);
  EXPECT_EQ("TPlotteingForm", env.ui.messages[1].ownerClass);
  EXPECT_EQ(kDone, env.ui.messages[2].text);
  EXPECT_EQ(2, lastPosition);
}

TEST_F(PlotRunTest, PageStopWithOneModelDrawingNeverPauses) {
  ploter.SetPageStop(true);
  run({drawing("a.dxf", plot_test::modelDxf())});
  EXPECT_EQ(std::vector<std::string>{kDone}, messageTexts());
}

TEST_F(PlotRunTest, MissingFontIsAnsweredAsTheOptionSays) {
  const std::string styles = acadsim_test::drawingDxf(
      "420,297", 1, {{"Layout1", 1, "1E"}},
      {{0, "STYLE"}, {2, "GOTHIC"}, {70, "0"}, {3, "gothic_jp.shx"}});
  const std::string d = drawing("font.dxf", styles);
  o.FontControl = 2;
  o.ReplaceFont = "extfont.shx";
  run({d});
  EXPECT_EQ(1, count("extfont.shx\n"));
  EXPECT_EQ(1, count("modelline1\n"));
  EXPECT_EQ(std::vector<std::string>{kDone}, messageTexts());
}

TEST_F(PlotRunTest, DynModeIsLeftAloneUnlessDynStopIsOn) {
  const std::string d = drawing("a.dxf", plot_test::modelDxf());
  run({d});
  EXPECT_EQ(0, count("DYNMODE\n"));

  o.DynStop = true;
  env.desktop.copyDataLog.clear();
  run({d});
  // Read (and cancelled), switched off, then given back its value.
  EXPECT_EQ(3, count("DYNMODE\n"));
  const int off = indexOf("DYNMODE\n", 1);
  ASSERT_GE(off, 0);
  EXPECT_EQ("0\n", typed()[off + 1]);
  const int back = indexOf("DYNMODE\n", 2);
  EXPECT_EQ("3\n", typed()[back + 1]);
  EXPECT_EQ("3", acad.session()->variable("DYNMODE"));
}

TEST_F(PlotRunTest, PsltscaleIsSetBeforeEachSheetWhenAsked) {
  o.Psltscale = true;
  run({drawing("a.dxf", plot_test::modelDxf())});
  const int set = indexOf("PSLTSCALE\n");
  ASSERT_GE(set, 0);
  EXPECT_EQ("1\n", typed()[set + 1]);
  EXPECT_LT(set, indexOf("modelline1\n"));
}

TEST_F(PlotRunTest, StopDuringAMacroLineEndsWithoutSavingAndGivesTheSettingsBack) {
  const std::string a = drawing("a.dxf", plot_test::modelDxf());
  const std::string b = drawing("b.dxf", plot_test::modelDxf());
  ploter.ModelMacro = {"modelline1", "modelline2", "modelline3"};
  o.ModifySave = true;
  whenTyped("modelline2\n", [&] { clickStop(); });
  run({a, b});

  EXPECT_EQ(0, count("modelline3\n"));  // the line in progress finished, no further one
  EXPECT_EQ(std::vector<std::string>{a}, opens());
  EXPECT_EQ(std::vector<std::string>{env.path("tmp.dwg")}, saves());  // the open drawing is not saved
  EXPECT_EQ(0, count("save\n"));
  auto t = typed();
  const int line2 = indexOf("modelline2\n");
  ASSERT_GE(line2, 0);
  EXPECT_EQ("\x1b", t[line2 + 1]);
  EXPECT_EQ((std::vector<std::string>{"FILEDIA\n", "1\n", "CMDDIA\n", "1\n", "PROXYNOTICE\n", "1\n"}),
            std::vector<std::string>(t.end() - 6, t.end()));
  EXPECT_EQ(std::vector<std::string>{kStopped}, messageTexts());
}

TEST_F(PlotRunTest, StopBetweenDrawingsSavesTheOpenDrawingThenCancels) {
  // Named .dwg, saved in place without a question (a DXF would be asked for its .dwg name).
  const std::string a = drawing("a.dwg", plot_test::modelDxf());
  const std::string b = drawing("b.dwg", plot_test::modelDxf());
  ploter.ModelMacro = {"modelline1"};
  o.ModifySave = true;
  // Pressed while the last line's pause runs: noticed before the next drawing.
  whenTyped(
      "modelline1\n", [&] {
        if (auto* f = plot_test::progressForm()) f->ContinueFlag = false;
      },
      2);
  run({a, b});
  EXPECT_EQ(std::vector<std::string>{a}, opens());
  EXPECT_EQ((std::vector<std::string>{env.path("tmp.dwg"), a}), saves());
  // The drawing is saved, then AutoCAD gets ESC at its prompt.
  auto t = typed();
  const int save = indexOf("save\n");
  ASSERT_GE(save, 0);
  ASSERT_LT(save + 1, static_cast<int>(t.size()));
  EXPECT_EQ("\x1b", t[save + 1]);
  EXPECT_EQ(std::vector<std::string>{kStopped}, messageTexts());
}

TEST_F(PlotRunTest, AcadClosedAtTheEndWhenSet) {
  o.AcadClose = true;
  run({drawing("a.dxf", plot_test::modelDxf())});
  EXPECT_EQ(1, count("quit\n"));
  EXPECT_FALSE(acad.running());
  EXPECT_EQ(std::vector<std::string>{kDone}, messageTexts());
}

TEST_F(PlotRunTest, TheProgramsProgressWindowServesEveryRunAndAStopDoesNotCarryOver) {
  plot::TPlotteingForm given(env.path("kestrel20.ini"));
  ploter.ProgressForm = &given;
  const std::string a = drawing("a.dxf", plot_test::modelDxf());
  const std::string b = drawing("b.dxf", plot_test::modelDxf());
  const plot::TPlotteingForm* seen = nullptr;
  whenTyped("modelline1\n", [&] {
    seen = plot_test::progressForm();
    clickStop();
  });
  run({a, b});
  EXPECT_EQ(&given, seen);
  EXPECT_FALSE(given.shown());
  EXPECT_EQ(std::vector<std::string>{kStopped}, messageTexts());

  // The next run starts afresh on the same window.
  env.clock.onTick = nullptr;
  env.ui.messages.clear();
  run({a, b});
  EXPECT_EQ(std::vector<std::string>{kDone}, messageTexts());
  EXPECT_EQ((std::vector<std::string>{a, a, b}), opens());
  EXPECT_EQ(2, given.ProgressBar1->position());
  EXPECT_EQ(&given, plot_test::progressForm());  // the run made no window of its own
}

}  // namespace
