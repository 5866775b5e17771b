// The stand-in's latency: echo at once, the result after AutoCAD's time,
// type-ahead held back meanwhile; on the simulated desktop's virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "acadsim/sim_host.h"
#include "acadsim/typist.h"
#include "acadsim_support.h"
#include "base/codec.h"
#include "base/paths.h"
#include "base/text.h"

using acadsim::Latency;
using acadsim::Session;
using acadsim::SimHost;
using acadsim::Typist;
using platform::WindowHandle;

namespace {

// ------------------------------------------------------------ parseLatency

TEST(ParseLatency, ReadsAnySubsetAndKeepsTheRest) {
  Latency l;
  l.plotMs = 7;
  ASSERT_TRUE(acadsim::parseLatency("answer=40, open=2000,save=900 ,jitter=15,seed=4000000000", l));
  EXPECT_EQ(l.answerMs, 40);
  EXPECT_EQ(l.openMs, 2000);
  EXPECT_EQ(l.saveMs, 900);
  EXPECT_EQ(l.plotMs, 7);
  EXPECT_EQ(l.jitterMs, 15);
  EXPECT_EQ(l.seed, 4000000000u);
  ASSERT_TRUE(acadsim::parseLatency("PLOT=3000", l));
  EXPECT_EQ(l.plotMs, 3000);
  EXPECT_EQ(l.answerMs, 40);
}

TEST(ParseLatency, RefusesBadSpecsAndLeavesTheLatencyAsItWas) {
  for (const char* bad : {"", "answer", "answer=", "answer=-5", "answer=10ms", "answer=1.5", "wait=10",
                          "answer=10,,open=5", "open=99999999999", "seed=4294967296"}) {
    SCOPED_TRACE(bad);
    Latency l;
    l.answerMs = 3;
    std::string error;
    EXPECT_FALSE(acadsim::parseLatency(bad, l, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(l.answerMs, 3);
    EXPECT_EQ(l.openMs, 0);
  }
}

// ---------------------------------------------------------------- inputEnd

TEST(InputEnd, BlankEndsAnInputWhereTheQuestionTakesItAsEnter) {
  Session s;
  s.start();
  EXPECT_EQ(s.inputEnd("limmax 1,1"), 6u);  // the command prompt
  EXPECT_EQ(s.inputEnd("abc\r\nx"), 3u);
  EXPECT_EQ(s.inputEnd("ab\x1b"), 2u);
  EXPECT_EQ(s.inputEnd("abc"), std::string_view::npos);
  s.type("LIMMAX\n");  // a value
  EXPECT_EQ(s.inputEnd("1,1 "), 3u);
  s.type("\x1b" "open\n");  // a file name: blanks are part of it
  EXPECT_EQ(s.inputEnd("C:\\my drawings\\a.dwg\n"), 20u);
  EXPECT_EQ(s.inputEnd("C:\\my drawings"), std::string_view::npos);
}

TEST(InputEnd, StepsOverDoubleByteCharactersAsTypeDoes) {
  Session s;
  s.start();
  const std::string bytes = base::utf8ToCp932("ソ表 x");
  ASSERT_EQ(bytes.size(), 6u);
  EXPECT_EQ(bytes[1], '\x5C');  // the trail bytes are backslashes
  EXPECT_EQ(s.inputEnd(bytes), 4u);
  // A lead byte whose pair would be a blank: one character, nothing ends.
  EXPECT_EQ(s.inputEnd("\x95 "), std::string_view::npos);
}

// ---------------------------------------------------------- Typist alone

// A typist on a session with the waits kept for the test to run.
struct TypistBench {
  acadsim::Journal journal;
  Session session;
  std::vector<int> waits;
  std::vector<std::function<void()>> due;
  int shows = 0;
  std::vector<std::string> settled;
  Typist typist;

  explicit TypistBench(Latency l, acadsim::Options o = {})
      : session(std::move(o), &journal),
        typist(session, l,
               {[this] { ++shows; },
                [this](std::string_view t) {
                  settled.emplace_back(t);
                  return true;
                },
                [this](int ms, std::function<void()> fn) {
                  waits.push_back(ms);
                  due.push_back(std::move(fn));
                }}) {
    session.start();
  }
  void runDue() {
    while (!due.empty()) {
      auto fn = std::move(due.front());
      due.erase(due.begin());
      fn();
    }
  }
};

std::vector<int> escWaits(Latency l, int n) {
  TypistBench b(l);
  for (int i = 0; i < n; ++i) {
    b.typist.receive("\x1b");
    b.runDue();
  }
  return b.waits;
}

TEST(Typist, JitterIsBoundedAndRepeatableForASeed) {
  Latency l;
  l.answerMs = 100;
  l.jitterMs = 50;
  l.seed = 7;
  const std::vector<int> a = escWaits(l, 40);
  ASSERT_EQ(a.size(), 40u);
  for (int w : a) {
    EXPECT_GE(w, 100);
    EXPECT_LE(w, 150);
  }
  EXPECT_NE(*std::min_element(a.begin(), a.end()), *std::max_element(a.begin(), a.end()));
  EXPECT_EQ(escWaits(l, 40), a);
  l.seed = 8;
  EXPECT_NE(escWaits(l, 40), a);
}

TEST(Typist, WithoutLatencyTheTextIsTakenWholeAndSettledOnce) {
  TypistBench b{Latency{}};
  b.typist.receive(std::string("FILEDIA\n0\nCMD") + '\0' + "DIA\n");
  EXPECT_TRUE(b.waits.empty());
  EXPECT_EQ(b.settled, (std::vector<std::string>{"FILEDIA\n0\nCMD"}));  // cut at the NUL
  EXPECT_EQ(b.session.variable("FILEDIA"), "0");
  EXPECT_EQ(b.session.promptLine(), "コマンド: CMD");
  EXPECT_EQ(b.typist.busyMs(), 0);
}

TEST(Typist, JournalsTheBusyTimeSoFar) {
  acadsim_test::ScratchFolder dir;
  const std::string one = dir.write("one.dwg", acadsim_test::drawingDxf("420,297", 1, {}));
  const std::string two = dir.write("two.dwg", acadsim_test::drawingDxf("420,297", 1, {}));
  Latency l;
  l.answerMs = 10;
  l.openMs = 500;
  TypistBench b(l);
  b.journal.setBusy([&b] { return b.typist.busyMs(); });
  for (const std::string& text : {"open\n" + one + "\n", std::string("FILEDIA\n0\n"), "open\n" + two + "\n"}) {
    b.typist.receive(base::utf8ToCp932(text));
    b.runDue();
  }
  ASSERT_EQ(b.journal.entries().size(), 2u);
  // From one drawing's open to the next: its opening and three answers.
  const long long first = std::stoll(b.journal.entries()[0].get("busy"));
  const long long second = std::stoll(b.journal.entries()[1].get("busy"));
  EXPECT_EQ(first, 10);
  EXPECT_EQ(second - first, 500 + 3 * 10);
  EXPECT_EQ(b.typist.busyMs(), 10 + 500 + 3 * 10 + 500);  // and the second opening
}

// --------------------------------------------------------------- SimHost

const std::string kExe = "C:\\Program Files\\AutoCAD 2004\\acad.exe";

struct LatencyTest : ::testing::Test {
  acadsim_test::ScratchFolder dir;
  platform::SimDesktop desktop;
  platform::SimClock clock;
  platform::SimClipboard clipboard;
  platform::SimProcesses processes;
  std::unique_ptr<SimHost> host = std::make_unique<SimHost>(desktop, clock, clipboard, processes);

  LatencyTest() {
    host->options().session.workFolder = dir.folder();
    host->options().journalPath = "";
  }
  Latency& latency() { return host->options().behaviour.latency; }
  // As the program types: the text, then the null message that wakes
  // the command loop.
  bool type(WindowHandle main, const std::string& utf8) {
    const bool taken = desktop.sendCopyData(main, 1, base::utf8ToCp932(utf8) + std::string(1, '\0'));
    desktop.postNull(main);
    return taken;
  }
  // What a window shows, seen without a message to it (which would wait
  // until the stand-in is done).
  std::string text(WindowHandle w) { return desktop.window(w) ? desktop.window(w)->title : std::string(); }
  // Types each text and waits till its result shows: the virtual time each took.
  std::vector<std::int64_t> timesOf(SimHost::Instance& in, const std::vector<std::string>& texts) {
    std::vector<std::int64_t> out;
    for (const std::string& t : texts) {
      const std::int64_t start = clock.nowMs();
      type(in.mainFrame, t);
      for (int i = 0; i < 100000 && in.typist->busy(); ++i) clock.advance(1);
      out.push_back(clock.nowMs() - start);
    }
    return out;
  }
};

TEST_F(LatencyTest, TheEchoShowsAtOnceAndTheResultAfterTheAnswerTime) {
  latency().answerMs = 300;
  SimHost::Instance& in = host->start();
  type(in.mainFrame, "FILE");
  EXPECT_EQ(text(in.promptLine), "コマンド: FILE");
  EXPECT_FALSE(in.typist->busy());
  type(in.mainFrame, "DIA\n");
  EXPECT_EQ(text(in.promptLine), "コマンド: FILEDIA");
  EXPECT_FALSE(base::contains(text(in.history), "FILEDIA"));
  clock.advance(299);
  EXPECT_EQ(text(in.promptLine), "コマンド: FILEDIA");
  clock.advance(1);
  EXPECT_EQ(text(in.promptLine), "FILEDIA の新しい値を入力 <1>: ");
  EXPECT_TRUE(base::endsWith(text(in.history), "コマンド: FILEDIA"));
}

TEST_F(LatencyTest, TextTypedWhileAutoCADWorksWaitsUntilItIsDone) {
  latency().answerMs = 300;
  SimHost::Instance& in = host->start();
  type(in.mainFrame, "FILEDIA\n");
  clock.advance(100);
  EXPECT_EQ(text(in.promptLine), "コマンド: FILEDIA");  // the echo, while it works
  EXPECT_EQ(in.session->variable("FILEDIA"), "1");
  // The copy is answered once the work is done; its text is echoed on the
  // question that came, and its first input waits for the wake.
  type(in.mainFrame, "0\nCMDDIA\n");
  EXPECT_EQ(clock.nowMs(), 300);
  EXPECT_EQ(text(in.promptLine), "FILEDIA の新しい値を入力 <1>: 0");
  clock.advance(300);
  EXPECT_EQ(in.session->variable("FILEDIA"), "0");
  EXPECT_EQ(text(in.promptLine), "コマンド: CMDDIA");
  clock.advance(300);
  EXPECT_EQ(text(in.promptLine), "CMDDIA の新しい値を入力 <1>: ");
  EXPECT_EQ(in.typist->busyMs(), 900);
}

TEST_F(LatencyTest, TypeAheadIsDroppedAtTheSaveQuestionOfQuit) {
  latency().answerMs = 10;
  SimHost::Instance& in = host->start();
  type(in.mainFrame, "DIMSCALE\n40\nquit\nFILEDIA\n");
  clock.advance(1000);
  EXPECT_EQ(in.session->state(), Session::State::AskingToSave);
  EXPECT_TRUE(in.typist->typeAhead().empty());
  EXPECT_EQ(in.typist->busyMs(), 30);  // no time for what nobody read
  for (WindowHandle b : desktop.descendants(in.messageBox))
    if (desktop.windowTitle(b, 255) == "キャンセル") desktop.pressButton(b);
  clock.advance(1000);
  EXPECT_EQ(text(in.promptLine), "コマンド: ");
  EXPECT_EQ(in.session->inputCount(), 3);
}

TEST_F(LatencyTest, EachKindOfWorkTakesItsOwnTime) {
  latency() = {10, 1000, 2000, 3000, 0, 1};
  const std::string dwg = dir.write("plan.dwg", acadsim_test::drawingDxf("420,297", 1, {}));
  SimHost::Instance& in = host->start();
  EXPECT_EQ(timesOf(in, {"open\n", dwg + "\n", "qsave\n", "saveas\n", "\n", dir.path("b.dwg") + "\n"}),
            (std::vector<std::int64_t>{10, 1000, 2000, 10, 10, 2000}));
  EXPECT_EQ(in.session->drawingPath(), dir.path("b.dwg"));
  // Replacing a file: the write comes with the answer to the question.
  EXPECT_EQ(timesOf(in, {"saveas\n\n" + dir.path("b.dwg") + "\n", "y\n"}), (std::vector<std::int64_t>{30, 2000}));
  // "-plot" with its defaults: the last answer makes the plot.
  std::vector<std::string> plot = {"-plot\n", "Y\n"};
  for (int i = 0; i < 16; ++i) plot.push_back("\n");
  const std::vector<std::int64_t> times = timesOf(in, plot);
  EXPECT_EQ(times.back(), 3000);
  EXPECT_EQ(std::count(times.begin(), times.end(), 10), 17);
  ASSERT_EQ(host->journal().entries().back().event, "plot");
}

TEST_F(LatencyTest, ABlankEndsAKeywordButNotAFileName) {
  latency().answerMs = 50;
  const std::string dwg = dir.write("my plan.dwg", acadsim_test::drawingDxf("841,594", 1, {}));
  SimHost::Instance& in = host->start();
  type(in.mainFrame, "open " + dwg + " ");
  // The blank after "open" ended the command; the file name waits, with its blank.
  EXPECT_EQ(text(in.promptLine), "コマンド: open");
  EXPECT_EQ(in.typist->typeAhead(), base::utf8ToCp932(dwg + " "));
  clock.advance(50);
  EXPECT_TRUE(base::endsWith(text(in.promptLine), ">: " + dwg + " ")) << text(in.promptLine);
  type(in.mainFrame, "\n");
  clock.advance(50);
  EXPECT_EQ(in.session->drawingPath(), dwg);
  EXPECT_EQ(text(in.promptLine), "コマンド: ");
}

TEST_F(LatencyTest, CrLfAndDoubleByteNamesSurviveTheSplit) {
  latency().answerMs = 20;
  latency().openMs = 200;
  std::filesystem::create_directories(dir.path("表"));
  const std::string dwg = dir.write("表/ソ図.dwg", acadsim_test::drawingDxf("841,594", 1, {}));
  SimHost::Instance& in = host->start();
  type(in.mainFrame, "open\r\n" + dwg + "\r\nFILEDIA\r\n");
  clock.advance(20);
  EXPECT_TRUE(base::endsWith(text(in.promptLine), ">: " + dwg)) << text(in.promptLine);
  clock.advance(200);
  EXPECT_EQ(in.session->drawingPath(), dwg);
  EXPECT_EQ(text(in.promptLine), "コマンド: FILEDIA");
  clock.advance(20);
  EXPECT_EQ(text(in.promptLine), "FILEDIA の新しい値を入力 <1>: ");
  EXPECT_EQ(in.session->inputCount(), 3);  // each "\r\n" one Enter
  EXPECT_EQ(in.typist->busyMs(), 240);
}

TEST_F(LatencyTest, FaultsStillHappenAfterTheirInput) {
  latency().answerMs = 100;
  host->options().behaviour.vanishAfterInputs = 2;
  SimHost::Instance& a = host->start();
  const WindowHandle main = a.mainFrame;
  type(main, "FILEDIA\n0\nCMDDIA\n");
  clock.advance(199);
  EXPECT_TRUE(desktop.isWindow(main));
  clock.advance(1);
  EXPECT_FALSE(desktop.isWindow(main));
  clock.advance(1000);
  EXPECT_EQ(a.session->inputCount(), 2);  // what was typed ahead is never taken

  host->options().behaviour = {};
  host->options().behaviour.latency.answerMs = 100;
  host->options().behaviour.hangAtPrompt = "CMDDIA の新しい値";
  SimHost::Instance& b = host->start();
  EXPECT_TRUE(type(b.mainFrame, "CMDDIA\n0\n"));
  clock.advance(100);
  EXPECT_FALSE(type(b.mainFrame, "\x1b"));
  clock.advance(1000);
  EXPECT_EQ(b.session->inputCount(), 1);
  EXPECT_EQ(desktop.getText(b.promptLine, 4096), "");  // hung: no answer to WM_GETTEXT
}

TEST_F(LatencyTest, EndingTheProcessOrTheHostMidWaitIsSafe) {
  latency().answerMs = 100;
  SimHost::Instance& a = host->start();
  type(a.mainFrame, "FILEDIA\n0\n");
  EXPECT_TRUE(processes.endProcessOfWindow(a.promptLine, 0));
  clock.advance(1000);
  EXPECT_FALSE(a.alive);
  EXPECT_EQ(a.session->inputCount(), 1);

  SimHost::Instance& b = host->start();
  type(b.mainFrame, "FILEDIA\n0\n");
  host.reset();  // the clock still holds the wait
  clock.advance(1000);
}

TEST_F(LatencyTest, TheEchoIsReadableUntilTheWakeAndAMessageWaitsOutTheWork) {
  latency().openMs = 800;
  const std::string dwg = dir.write("a.dxf", acadsim_test::drawingDxf("420,297", 1, {}));
  SimHost::Instance& in = host->start();
  type(in.mainFrame, "fileopen\n");
  desktop.sendCopyData(in.mainFrame, 1, base::utf8ToCp932(dwg) + "\n" + std::string(1, '\0'));
  // Before the wake the command loop has not started on it: the echo reads.
  EXPECT_TRUE(base::endsWith(desktop.getText(in.promptLine, 4096), "a.dxf"));
  EXPECT_EQ(0, clock.nowMs());
  desktop.postNull(in.mainFrame);
  // Working: a read is answered once the drawing is open, not before.
  const std::string line = desktop.getText(in.promptLine, 4096);
  EXPECT_EQ(800, clock.nowMs());
  EXPECT_EQ("コマンド: ", line);
  // So is the next text typed.
  type(in.mainFrame, "FILEDIA\n");
  EXPECT_EQ(800, clock.nowMs());
}

}  // namespace
