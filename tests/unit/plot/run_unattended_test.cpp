// The unattended plot run: nothing waits for the user, each drawing's
// outcome is recorded, and an AutoCAD that hangs or vanishes is ended and
// started again.
#include <algorithm>

#include "plot/run_report.h"
#include "plot/run_support.h"

namespace {

using plot::DrawingOutcome;

constexpr const char* kA3 = "ISO A3 (420.00 x 297.00 mm)";

// A model-space drawing whose page setup names a style table; limits
// 42000 x 29700 print at 1=100 on A3 without a question.
std::string styledDxf(const std::string& styleTable, const std::string& limmax = "42000,29700") {
  const auto comma = limmax.find(',');
  return acadsim_test::dxf({{0, "SECTION"}, {2, "HEADER"}, {9, "$LIMMIN"}, {10, "0.0"}, {20, "0.0"},
                            {9, "$LIMMAX"}, {10, limmax.substr(0, comma)}, {20, limmax.substr(comma + 1)},
                            {9, "$TILEMODE"}, {70, "1"}, {0, "ENDSEC"}, {0, "SECTION"}, {2, "TABLES"},
                            {0, "TABLE"}, {2, "BLOCK_RECORD"}, {0, "BLOCK_RECORD"}, {5, "1F"},
                            {2, "*Model_Space"}, {0, "ENDTAB"}, {0, "ENDSEC"}, {0, "SECTION"}, {2, "OBJECTS"},
                            {0, "LAYOUT"}, {5, "A1F"}, {100, "AcDbPlotSettings"}, {1, ""}, {7, styleTable},
                            {70, "0"}, {75, "16"}, {142, "1"}, {143, "1"}, {100, "AcDbLayout"}, {1, "Model"},
                            {70, "1"}, {71, "0"}, {330, "1F"}, {0, "ENDSEC"}, {0, "EOF"}});
}

class UnattendedRunTest : public plot_test::RunFixture {
 protected:
  plot::RunReport report;
  struct Trigger {
    std::string bytes;  // as typed, CP932 with the NUL
    std::function<void()> action;
    bool done = false;
    bool again = false;  // every time it is typed, not once
    size_t seenAt = 0;   // the log's length when it last acted
  };
  std::vector<Trigger> triggers;
  std::function<void()> everyTick;

  void SetUp() override {
    RunFixture::SetUp();
    // A restart opens the start drawing through the shell, as a connection does.
    acad.associateDwg();
    ploter.ModelMacro = {"-plot", "y", "Model", "#PRINTDEVICE", "#PAPERNAME", "m", "#PAPERDIRECTION", "n",
                         "#SCOPE", "#SCALE", "#OFFSET", "y", "#PRINTSTYLE", "y", "n", "n", "n", "y"};
    ploter.SetOffsetX("0");
    ploter.SetOffsetY("0");
    ploter.SetPrintDevice("DWG To PDF.pc3");
    ploter.SetPaperName(kA3);
    ploter.SetPaperSize("420x297");
    ploter.SetPrintStyle("None");
    ploter.SetPageStop(true);
    o.ModelScalePrint = true;
    o.Unattended = true;
    o.ScaleAnswer = plot::UnattendedScale::Skip;
    o.AcadWaitLimit = 20;
    o.Report = &report;
    env.clock.onTick = [this](std::int64_t) {
      if (everyTick) everyTick();
      if (env.desktop.copyDataLog.empty()) return;
      const std::string& last = env.desktop.copyDataLog.back().second;
      for (Trigger& t : triggers)
        if (!t.done && last == t.bytes && env.desktop.copyDataLog.size() != t.seenAt) {
          t.done = !t.again;
          t.seenAt = env.desktop.copyDataLog.size();
          t.action();
        }
    };
  }

  // Runs action once, at the first tick after text was typed into any AutoCAD.
  void whenAnyTyped(const std::string& text, std::function<void()> action, bool everyTime = false) {
    triggers.push_back({base::utf8ToCp932(text) + std::string(1, '\0'), std::move(action), false, everyTime});
  }

  std::vector<std::string> plotted() const {
    std::vector<std::string> out;
    for (auto& e : acad.journal().entries())
      if (e.event == "plot") out.push_back(e.drawing);
    return out;
  }
  const plot::DrawingRecord& rec(size_t i) const { return report.Drawings.at(i); }
};

TEST_F(UnattendedRunTest, EveryProblemIsRecordedWithItsDrawingAndNoBoxOrPauseIsShown) {
  const std::string a = drawing("a.dxf", styledDxf("monochrome.ctb"));
  const std::string bad = drawing("unreadable.dwg", "AC1015 binary");
  const std::string style = drawing("style.dxf", styledDxf("gone.ctb"));
  const std::string doubtful = drawing("doubtful.dxf", styledDxf("monochrome.ctb", "1000,700"));
  const std::string b = drawing("b.dxf", styledDxf("monochrome.ctb"));
  run({a, bad, style, doubtful, b});

  EXPECT_TRUE(env.ui.messages.empty());
  EXPECT_TRUE(env.ui.modalShown.empty());
  EXPECT_EQ((std::vector<std::string>{a, b}), plotted());
  ASSERT_EQ(5u, report.Drawings.size());
  EXPECT_EQ(DrawingOutcome::Printed, rec(0).Outcome);
  EXPECT_EQ(1, rec(0).Sheets);
  EXPECT_EQ("1=100", rec(0).Scale);
  EXPECT_EQ(DrawingOutcome::Skipped, rec(1).Outcome);
  EXPECT_EQ("unreadable.dwg は、開くことができません。 この図面の印刷はキャンセルされます。", rec(1).Note);
  EXPECT_EQ(DrawingOutcome::Skipped, rec(2).Outcome);
  EXPECT_EQ("図面に設定されている印刷スタイルが見つかりません。 この図面の印刷はキャンセルされます。", rec(2).Note);
  EXPECT_EQ(DrawingOutcome::Skipped, rec(3).Outcome);
  EXPECT_EQ("尺度 1=2.37 が不確か: 印刷中止", rec(3).Note);
  EXPECT_EQ(DrawingOutcome::Printed, rec(4).Outcome);
  EXPECT_EQ((std::vector<std::string>{bad, style, doubtful}), report.FailedPaths());
  EXPECT_EQ(0, report.Restarts);
  EXPECT_FALSE(report.Stopped);
  EXPECT_EQ("2026/01/05 09:00:00", report.Started);
  EXPECT_NE(report.Started, report.Ended);
  EXPECT_EQ("1", acad.session()->variable("FILEDIA"));
}

TEST_F(UnattendedRunTest, WithTheOptionOffTheSameBatchStopsAtItsBoxesAsBefore) {
  o.Unattended = false;
  const std::string a = drawing("a.dxf", styledDxf("monochrome.ctb"));
  const std::string bad = drawing("unreadable.dwg", "AC1015 binary");
  const std::string style = drawing("style.dxf", styledDxf("gone.ctb"));
  const std::string doubtful = drawing("doubtful.dxf", styledDxf("monochrome.ctb", "1000,700"));
  const std::string b = drawing("b.dxf", styledDxf("monochrome.ctb"));
  run({a, bad, style, doubtful, b});

  std::vector<std::string> texts;
  for (const auto& m : env.ui.messages) texts.push_back(m.text);
  auto shown = [&](const std::string& start) {
    return std::find_if(texts.begin(), texts.end(), [&](const std::string& t) { return t.rfind(start, 0) == 0; }) -
           texts.begin();
  };
  const auto unreadable = shown("unreadable.dwg は、開くことができません。");
  const auto noStyle = shown("図面に設定されている印刷スタイルが見つかりません。");
  ASSERT_LT(unreadable, static_cast<long>(texts.size()));
  ASSERT_LT(noStyle, static_cast<long>(texts.size()));
  EXPECT_LT(unreadable, noStyle);
  // The doubtful scale is asked, "1枚ずつ" asks before each drawing, and
  // the run ends with its final message.
  EXPECT_FALSE(env.ui.modalShown.empty());
  EXPECT_EQ(4, std::count(texts.begin(), texts.end(), "   次のデータを印刷しますか？      "));
  EXPECT_EQ("   印刷が終わりました      ", texts.back());
  EXPECT_EQ(a, plotted().front());
  EXPECT_EQ(b, plotted().back());
  EXPECT_EQ(0, report.Restarts);
}

TEST_F(UnattendedRunTest, TheFixedScaleAnswerIsTakenAndNoted) {
  const std::string doubtful = drawing("doubtful.dxf", styledDxf("monochrome.ctb", "1000,700"));
  const std::string undefinedLimits = drawing("undefined.dxf", styledDxf("monochrome.ctb", "12,9"));
  o.ScaleAnswer = plot::UnattendedScale::AtComputedScale;
  run({doubtful, undefinedLimits});

  EXPECT_TRUE(env.ui.modalShown.empty());
  EXPECT_EQ((std::vector<std::string>{doubtful, undefinedLimits}), plotted());
  EXPECT_EQ("1=2.37", rec(0).Scale);
  EXPECT_EQ("尺度 1=2.37 が不確か: 尺度合わせ印刷", rec(0).Note);
  // No computed scale to print at: fitted.
  EXPECT_EQ("用紙に合わせる", rec(1).Scale);
  EXPECT_EQ("図面範囲が未設定: 自動尺度印刷", rec(1).Note);
}

// The drawing in flight is tried again on the new AutoCAD: a fault that
// does not come back costs it nothing.
TEST_F(UnattendedRunTest, AHungAndAVanishedAutoCADAreStartedAgainAndTheirDrawingsTriedAgain) {
  std::vector<std::string> d;
  for (const char* n : {"a", "hang", "b", "vanish", "c"}) d.push_back(drawing(std::string(n) + ".dxf", styledDxf("monochrome.ctb")));
  whenAnyTyped(d[1] + "\n", [&] { acad.hang(*acad.instance()); });
  whenAnyTyped(d[3] + "\n", [&] { acad.vanish(*acad.instance()); });
  o.DynStop = true;
  const std::string dynMode = acad.session()->variable("DYNMODE");
  ASSERT_NE("0", dynMode);
  const platform::WindowHandle hungFrame = mainFrame;
  run(d);

  EXPECT_TRUE(env.ui.messages.empty());
  EXPECT_EQ(d, plotted());
  EXPECT_EQ(2, report.Restarts);
  EXPECT_EQ(2, acad.startRequests());
  // The hung AutoCAD's process was ended; the vanished one had none left.
  EXPECT_EQ(std::vector<platform::WindowHandle>{hungFrame}, env.processes.endedByWindow);
  EXPECT_EQ(DrawingOutcome::Printed, rec(1).Outcome);
  EXPECT_EQ("1 回目: AutoCAD が 20 秒待ってもコマンド待ちに戻りませんでした。 → AutoCAD を起動し直して再試行", rec(1).Note);
  EXPECT_EQ(DrawingOutcome::Printed, rec(3).Outcome);
  EXPECT_EQ("1 回目: AutoCAD が見つからなくなりました。 → AutoCAD を起動し直して再試行", rec(3).Note);
  EXPECT_EQ("", rec(2).Note);
  EXPECT_TRUE(report.FailedPaths().empty());
  // The last AutoCAD got the run's settings and gives them back at the end.
  acadsim::Session* last = acad.session();
  ASSERT_NE(nullptr, last);
  EXPECT_EQ("1", last->variable("FILEDIA"));
  EXPECT_EQ("1", last->variable("CMDDIA"));
  EXPECT_EQ(dynMode, last->variable("DYNMODE"));
  EXPECT_FALSE(report.Stopped);
}

TEST_F(UnattendedRunTest, AFourthTroubleEndsTheRunAsStopped) {
  std::vector<std::string> d;
  for (int i = 0; i < 6; ++i) d.push_back(drawing("d" + std::to_string(i) + ".dxf", styledDxf("monochrome.ctb")));
  for (int i = 0; i < 4; ++i) whenAnyTyped(d[i] + "\n", [&] { acad.vanish(*acad.instance()); });
  run(d);

  EXPECT_TRUE(env.ui.messages.empty());
  EXPECT_EQ(3, report.Restarts);
  EXPECT_TRUE(report.Stopped);
  EXPECT_EQ("AutoCAD を 3 回起動し直しても印刷を続けられませんでした。", report.EndNote);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(DrawingOutcome::Printed, rec(i).Outcome) << i;
  EXPECT_EQ(DrawingOutcome::Failed, rec(3).Outcome);
  EXPECT_EQ(DrawingOutcome::NotReached, rec(4).Outcome);
  EXPECT_EQ((std::vector<std::string>{d[3], d[4], d[5]}), report.FailedPaths());
  EXPECT_EQ((std::vector<std::string>{d[0], d[1], d[2]}), plotted());
}

// A drawing that brings AutoCAD down each time is given up after its
// second try: two restarts, and the batch goes on.
TEST_F(UnattendedRunTest, ADrawingThatBringsAutoCADDownTwiceIsFailedAndTheOthersPrinted) {
  std::vector<std::string> d;
  for (const char* n : {"poison", "b", "c"}) d.push_back(drawing(std::string(n) + ".dxf", styledDxf("monochrome.ctb")));
  whenAnyTyped(d[0] + "\n", [&] { acad.vanish(*acad.instance()); }, true);
  run(d);

  EXPECT_TRUE(env.ui.messages.empty());
  EXPECT_EQ((std::vector<std::string>{d[1], d[2]}), plotted());
  EXPECT_EQ(2, report.Restarts);
  EXPECT_EQ(DrawingOutcome::Failed, rec(0).Outcome);
  EXPECT_EQ("1 回目: AutoCAD が見つからなくなりました。 → AutoCAD を起動し直して再試行 / 2 回目: AutoCAD が見つからなく"
            "なりました。 / この図面で AutoCAD が 2 回続けて止まったため、印刷しませんでした。",
            rec(0).Note);
  EXPECT_EQ(std::vector<std::string>{d[0]}, report.FailedPaths());
  EXPECT_FALSE(report.Stopped);
}

TEST_F(UnattendedRunTest, TheStopButtonEndsTheRunWhileAutoCADIsBeingStartedAgain) {
  const std::string a = drawing("a.dxf", styledDxf("monochrome.ctb"));
  const std::string b = drawing("b.dxf", styledDxf("monochrome.ctb"));
  whenAnyTyped(a + "\n", [&] { acad.vanish(*acad.instance()); });
  // Pressed once the new AutoCAD has been asked for.
  everyTick = [&, clicked = false]() mutable {
    if (!clicked && !env.processes.opened.empty()) {
      clicked = true;
      clickStop();
    }
  };
  // The new AutoCAD would take longer than the wait allows.
  acad.options().startupDelayMs = 60000;
  run({a, b});

  EXPECT_TRUE(env.ui.messages.empty());
  EXPECT_TRUE(report.Stopped);
  EXPECT_EQ(0, report.Restarts);
  EXPECT_EQ(DrawingOutcome::Failed, rec(0).Outcome);
  EXPECT_EQ(DrawingOutcome::NotReached, rec(1).Outcome);
  EXPECT_LT(env.clock.nowMs(), 60000);
}

// A hung AutoCAD whose process cannot be ended keeps its windows: no second
// one is started beside it, the run ends as stopped.
TEST_F(UnattendedRunTest, AHungAutoCADThatCannotBeEndedStopsTheRun) {
  const std::string a = drawing("a.dxf", styledDxf("monochrome.ctb"));
  const std::string b = drawing("b.dxf", styledDxf("monochrome.ctb"));
  whenAnyTyped(a + "\n", [&] { acad.hang(*acad.instance()); });
  env.processes.ender = nullptr;
  run({a, b});

  EXPECT_TRUE(env.ui.messages.empty());
  EXPECT_EQ(0, acad.startRequests());
  EXPECT_TRUE(report.Stopped);
  EXPECT_EQ("AutoCAD を起動し直せませんでした。", report.EndNote);
  EXPECT_EQ(DrawingOutcome::Failed, rec(0).Outcome);
  EXPECT_EQ(DrawingOutcome::NotReached, rec(1).Outcome);
}

TEST(RunReportCsv, QuotesWhatNeedsItAndCountsTheOutcomes) {
  plot::RunReport r;
  r.Started = "2026/01/05 18:00:00";
  r.Ended = "2026/01/05 18:30:00";
  r.Restarts = 1;
  r.Drawings = {{"C:\\図面\\a.dwg", DrawingOutcome::Printed, 2, "1=100", ""},
                {"C:\\図面\\b,c.dwg", DrawingOutcome::Skipped, 0, "", "a \"quoted\" note"}};
  EXPECT_EQ("開始,2026/01/05 18:00:00\r\n終了,2026/01/05 18:30:00\r\n"
            "印刷済,1,印刷せず,1,失敗,0,未処理,0,AutoCAD再起動,1\r\n"
            "図面,結果,枚数,尺度,備考,フォルダ\r\n"
            "a.dwg,印刷済,2,1=100,,C:\\図面\r\n"
            "\"b,c.dwg\",印刷せず,,,\"a \"\"quoted\"\" note\",C:\\図面\r\n",
            plot::ReportCsv(r));
  EXPECT_EQ(std::vector<std::string>{"C:\\図面\\b,c.dwg"}, r.FailedPaths());
  EXPECT_EQ("one two", plot::OneLine("one\r\ntwo"));
}

}  // namespace
