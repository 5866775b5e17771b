// The plot run over layouts: every layout of a drawing made current and
// printed in turn, with the pauses between sheets, and the PDF/DWF helper
// told each sheet's base name and waited for.
#include <map>

#include "heron/sim_heron.h"
#include "plot/run_support.h"

namespace {

using plot_test::kDone;
using plot_test::kNext;

std::string threeLayouts() {
  return acadsim_test::drawingDxf("420,297", 0, {{"B", 2, "1F"}, {"A", 1, "1E"}, {"C", 3, "20"}}, {},
                                  {{"1E", "*Paper_Space"}, {"1F", "*Paper_Space0"}, {"20", "*Paper_Space1"}});
}
std::string oneLayout() {
  return acadsim_test::drawingDxf("420,297", 0, {{"Only", 1, "1E"}}, {}, {{"1E", "*Paper_Space"}});
}

class LayoutRunTest : public plot_test::RunFixture {};

TEST_F(LayoutRunTest, AllLayoutsAreMadeCurrentInOrderWithPausesBetweenSheetsAndDrawings) {
  const std::string a = drawing("three.dxf", threeLayouts());
  const std::string b = drawing("one.dxf", oneLayout());
  o.PrintMode = 1;
  ploter.SetPageStop(true);
  run({a, b});

  auto t = typed();
  std::vector<std::string> made;
  for (size_t i = 0; i + 2 < t.size(); ++i)
    if (t[i] == "-Layout\n" && t[i + 1] == "S\n") made.push_back(t[i + 2]);
  EXPECT_EQ((std::vector<std::string>{"A\n", "B\n", "C\n", "Only\n"}), made);
  EXPECT_EQ(4, count("layoutline1\n"));
  EXPECT_EQ(0, count("modelline1\n"));
  // After the first and second sheet, after the first drawing; none after
  // the last sheet of the run.
  EXPECT_EQ((std::vector<std::string>{kNext, kNext, kNext, kDone}), messageTexts());
}

TEST_F(LayoutRunTest, DescendingOrderPrintsTheLayoutsBackwards) {
  o.PrintMode = 1;
  o.FileSort = 2;
  run({drawing("three.dxf", threeLayouts())});
  auto t = typed();
  std::vector<std::string> made;
  for (size_t i = 0; i + 2 < t.size(); ++i)
    if (t[i] == "-Layout\n" && t[i + 1] == "S\n") made.push_back(t[i + 2]);
  EXPECT_EQ((std::vector<std::string>{"C\n", "B\n", "A\n"}), made);
}

TEST_F(LayoutRunTest, DrawingOpenOnALayoutInMixedModeUsesTheLayoutMacroOnce) {
  o.PrintMode = 0;
  run({drawing("three.dxf", threeLayouts())});
  EXPECT_EQ(1, count("layoutline1\n"));
  EXPECT_EQ(0, count("-Layout\n"));  // no listing, no sheet switching
  EXPECT_EQ(std::vector<std::string>{kDone}, messageTexts());
}

// Drawings under Windows paths, kept in memory by the stand-in, so that
// the plot file and PDF names come out as on the user's machine.
class PdfLayoutRunTest : public plot_test::RunFixture {
 protected:
  std::map<std::string, std::string> files;
  heron::SimHeron helper{env.desktop, env.clock, env.processes, env.path("TfHeron4"),
                         [this](platform::WindowHandle, const std::string&) {
                           env.ui.queueEvent(1, [this] { pdfDone = true; });
                         }};

  void SetUp() override {
    acad.options().session.files.read = [this](const std::string& p, std::string& bytes) {
      auto it = files.find(p);
      if (it == files.end()) return false;
      bytes = it->second;
      return true;
    };
    acad.options().session.files.write = [this](const std::string& p, const std::string& bytes) {
      files[p] = bytes;
      return true;
    };
    acad.options().session.files.exists = [this](const std::string& p) { return files.count(p) > 0; };
    RunFixture::SetUp();
    ploter.SetPdfPrint(true);
    ploter.SetFilePlot(true);
    ploter.LayoutMacro = {"-plot", "n", "#FILEPLOT", "n", "y"};
    o.PrintMode = 1;
  }
};

TEST_F(PdfLayoutRunTest, EachSheetIsPlottedNextToTheDrawingAndHandedToTheHelperByBaseName) {
  files["C:\\a\\b.dwg"] = acadsim_test::drawingDxf("420,297", 0, {{"Layout1", 1, "1E"}, {"Layout2", 2, "1F"}}, {},
                                                   {{"1E", "*Paper_Space"}, {"1F", "*Paper_Space0"}});
  run({"C:\\a\\b.dwg"});

  EXPECT_EQ(1, count("C:\\a\\b-Layout1\n"));
  EXPECT_EQ(1, count("C:\\a\\b-Layout2\n"));
  EXPECT_EQ((std::vector<std::string>{"C:\\a\\b_Layout1", "C:\\a\\b_Layout2", "finish"}), helper.received);
  EXPECT_EQ(2, helper.answers);
  EXPECT_EQ(1u, files.count("C:\\a\\b-Layout1.plt"));
  EXPECT_EQ(std::vector<std::string>{kDone}, messageTexts());
}

TEST_F(PdfLayoutRunTest, ASheetWaitsForTheHelpersAnswerBeforeTheNext) {
  files["C:\\a\\b.dwg"] = acadsim_test::drawingDxf("420,297", 0, {{"Layout1", 1, "1E"}, {"Layout2", 2, "1F"}}, {},
                                                   {{"1E", "*Paper_Space"}, {"1F", "*Paper_Space0"}});
  helper.answerDelayMs = 60000;
  std::int64_t secondSheetAt = -1;
  whenTyped("Layout2\n", [&] { secondSheetAt = env.clock.nowMs(); });
  const std::int64_t start = env.clock.nowMs();
  run({"C:\\a\\b.dwg"});
  EXPECT_GT(secondSheetAt - start, 60000);
  EXPECT_EQ(std::vector<std::string>{kDone}, messageTexts());
}

}  // namespace
