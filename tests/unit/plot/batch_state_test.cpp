// The batch kept on disk while a plot run goes: what it holds, that a cut
// or foreign file is never taken for a batch, and that a run abandoned at
// any point (the program killed) is continued with just what is left.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

#include "acadsim/acadsim_support.h"
#include "acadsim/sim_host.h"
#include "plot/batch_state.h"
#include "plot/ploter.h"
#include "support/sim_env.h"

namespace {

using plot::DrawingOutcome;

plot::BatchState sample() {
  plot::BatchState s;
  s.Button = 3;
  s.Current = 1;
  s.Options.PrintMode = 1;
  s.Options.LayoutAdjust = 97.5;
  s.Options.ReplaceFont = "gbcbig.shx";
  s.Options.Unattended = true;
  s.Options.ScaleAnswer = plot::UnattendedScale::Skip;
  s.Report.Button = "A3 モノクロ";
  s.Report.Started = "2026/12/09 21:00:00";
  s.Report.Restarts = 1;
  s.Report.Drawings = {{"C:\\図面\\a.dwg", DrawingOutcome::Printed, 2, "1=100", "tab\there \\ and\r\nbreak"},
                       {"C:\\図面\\b.dwg", DrawingOutcome::NotReached, 0, "", ""},
                       {"C:\\図面\\c.dwg", DrawingOutcome::Failed, 0, "", "2 回"}};
  return s;
}

TEST(BatchStateFile, WhatIsWrittenIsReadBackAndACutOrForeignFileIsNoBatch) {
  const std::string text = plot::BatchStateText(sample());
  const auto back = plot::ParseBatchState(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(text, plot::BatchStateText(*back));
  EXPECT_EQ(3, back->Button);
  EXPECT_EQ(1, back->Current);
  EXPECT_EQ(97.5, back->Options.LayoutAdjust);
  EXPECT_EQ(plot::UnattendedScale::Skip, back->Options.ScaleAnswer);
  EXPECT_EQ("tab\there \\ and\r\nbreak", back->Report.Drawings[0].Note);
  EXPECT_EQ(1, plot::DrawingsLeft(back->Report));

  for (size_t cut = 0; cut + 2 < text.size(); ++cut)
    EXPECT_FALSE(plot::ParseBatchState(text.substr(0, cut))) << "cut at " << cut;
  EXPECT_FALSE(plot::ParseBatchState("[MainWindow]\r\nTop=1\r\n"));
  std::string badOutcome = text;
  badOutcome.replace(badOutcome.find("printed"), 7, "printex");
  EXPECT_FALSE(plot::ParseBatchState(badOutcome));
  std::string badButton = text;
  badButton.replace(badButton.find("button\t3"), 8, "button\t7");
  EXPECT_FALSE(plot::ParseBatchState(badButton));
}

// The program "ends" at the k-th text it types: nothing after that point
// runs, as when its process is killed. The last state it kept is continued
// on the same AutoCAD, which may be halfway through a command.
struct Killed {};

struct AbandonedBatch {
  testing_support::SimEnv env;
  acadsim::SimHost acad{env.desktop, env.clock, env.clipboard, env.processes};
  plot::Ploter ploter{env.path("kestrel20.ini"), "Ploter1Fleld"};
  plot::PlotOptions o;
  plot::RunReport report;
  std::string kept;  // the state file's text
  std::vector<std::string> drawings;
  std::string dynModeBefore;

  AbandonedBatch() {
    acad.options().session.workFolder = env.folder();
    acad.start();
    EXPECT_TRUE(ploter.FindAutoCADByCaptions("コマンド", "テキスト"));
    ploter.ModelMacro = {"-plot", "y", "Model", "#PRINTDEVICE", "#PAPERNAME", "m", "#PAPERDIRECTION", "n",
                         "#SCOPE", "#SCALE", "#OFFSET", "y", "#PRINTSTYLE", "y", "n", "n", "n", "y"};
    ploter.SetPrintDevice("DWG To PDF.pc3");
    ploter.SetPaperName("ISO A3 (420.00 x 297.00 mm)");
    ploter.SetPaperSize("420x297");
    ploter.SetPrintStyle("None");
    o.Unattended = true;
    o.DynStop = true;
    dynModeBefore = acad.session()->variable("DYNMODE");
    o.Report = &report;
    o.OnProgress = [this](const plot::RunReport& r, int current) {
      plot::BatchState s;
      s.Button = 1;
      s.Options = o;
      s.Report = r;
      s.Current = current;
      kept = plot::BatchStateText(s);
    };
    for (const char* n : {"a", "b", "c"}) {
      env.writeFile(std::string(n) + ".dxf", acadsim_test::drawingDxf("420,297", 1, {{"Layout1", 1, "1E"}}));
      drawings.push_back(env.path(std::string(n) + ".dxf"));
    }
  }
  size_t typed() const { return env.desktop.copyDataLog.size(); }
  std::map<std::string, int> plots() const {
    std::map<std::string, int> n;
    for (auto& e : acad.journal().entries())
      if (e.event == "plot") ++n[e.drawing];
    return n;
  }
};

TEST(AbandonedBatch, ContinuingAfterAnEndAtAnyPointPrintsWhatIsLeftAndOnlyTheDrawingInFlightAgain) {
  size_t total = 0;
  {
    AbandonedBatch whole;
    whole.ploter.PlotDrawings(whole.drawings, whole.o);
    total = whole.typed();
    ASSERT_EQ(3u, whole.plots().size());
  }
  for (size_t k = 1; k < total; ++k) {
    AbandonedBatch b;
    b.env.clock.onTick = [&b, k](std::int64_t) {
      if (b.typed() >= k) throw Killed{};
    };
    EXPECT_THROW(b.ploter.PlotDrawings(b.drawings, b.o), Killed) << k;
    b.env.clock.onTick = nullptr;
    if (b.kept.empty()) continue;  // ended before the first drawing: nothing to continue
    const auto state = plot::ParseBatchState(b.kept);
    ASSERT_TRUE(state) << k;
    const auto before = b.plots();
    // What the state calls printed was printed.
    for (const auto& r : state->Report.Drawings) {
      if (r.Outcome == DrawingOutcome::Printed) {
        EXPECT_EQ(1, before.count(r.Path)) << k;
      }
    }

    plot::RunReport continued = state->Report;
    plot::PlotOptions o = state->Options;
    o.Report = &b.report;
    o.Continues = &continued;
    b.ploter.PlotDrawings(b.drawings, o);
    const auto after = b.plots();
    for (size_t i = 0; i < b.drawings.size(); ++i) {
      const std::string& d = b.drawings[i];
      const int n = after.count(d) ? after.at(d) : 0;
      // The drawing in flight may have gone out before the end: it is
      // printed again then, and no other.
      if (static_cast<int>(i) == state->Current) EXPECT_GE(n, 1) << k << " " << d;
      else EXPECT_EQ(1, n) << k << " " << d;
      EXPECT_EQ(DrawingOutcome::Printed, b.report.Drawings[i].Outcome) << k;
    }
    EXPECT_EQ(state->Report.Started, b.report.Started);
    // What the first run found is given back, not what it left.
    EXPECT_EQ(b.dynModeBefore, b.acad.session()->variable("DYNMODE")) << k;
  }
}

}  // namespace
