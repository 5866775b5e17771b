#include "acadsim/sim_host.h"

#include <gtest/gtest.h>

#include "acadsim_support.h"
#include "base/codec.h"
#include "base/paths.h"
#include "base/text.h"

using acadsim::SimHost;
using platform::WindowHandle;

namespace {

const std::string kExe = "C:\\Program Files\\AutoCAD 2004\\acad.exe";

struct SimHostTest : ::testing::Test {
  acadsim_test::ScratchFolder dir;
  platform::SimDesktop desktop;
  platform::SimClock clock;
  platform::SimClipboard clipboard;
  platform::SimProcesses processes;
  SimHost host{desktop, clock, clipboard, processes};

  SimHostTest() {
    host.options().session.workFolder = dir.folder();
    host.registerProgram(kExe);
    host.associateDwg();
  }
  bool type(WindowHandle main, const std::string& utf8) {
    return desktop.sendCopyData(main, 1, base::utf8ToCp932(utf8) + std::string(1, '\0'));
  }
  std::string text(WindowHandle w) { return desktop.getText(w, 255); }
  std::vector<WindowHandle> withClass(WindowHandle top, const std::string& cls) {
    std::vector<WindowHandle> out;
    for (WindowHandle d : desktop.descendants(top))
      if (desktop.className(d) == cls) out.push_back(d);
    return out;
  }
  WindowHandle ownedBy(WindowHandle owner) {
    for (WindowHandle t : desktop.topLevelWindows())
      if (desktop.parentOrOwner(t) == owner) return t;
    return 0;
  }
};

TEST_F(SimHostTest, WindowsAppearAfterTheStartUpDelay) {
  ASSERT_TRUE(processes.createProcess(kExe, true));
  clock.advance(2999);
  EXPECT_TRUE(desktop.topLevelWindows().empty());
  EXPECT_FALSE(host.running());
  clock.advance(1);
  ASSERT_TRUE(host.running());
  EXPECT_EQ(desktop.topLevelWindows().size(), 2u);
  EXPECT_EQ(host.startRequests(), 1);
  EXPECT_FALSE(processes.createProcess("C:\\other.exe", true));
}

TEST_F(SimHostTest, ItsWindowsAreShapedLikeAutoCADs) {
  for (auto [release, lt, main, textWord, prompt] :
       {std::tuple{2004, false, "AutoCAD 2004 - [", "AutoCAD テキスト ウィンドウ - ", "コマンド: "},
        std::tuple{2002, true, "AutoCAD LT 2002 - [", "AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ - ", "ｺﾏﾝﾄﾞ: "}}) {
    SCOPED_TRACE(release);
    host.options().session.release = release;
    host.options().session.lt = lt;
    SimHost::Instance& in = host.start();
    EXPECT_TRUE(base::startsWith(desktop.windowTitle(in.mainFrame, 255), main));
    EXPECT_TRUE(base::startsWith(desktop.windowTitle(in.textWindow, 255), textWord));
    EXPECT_EQ(desktop.parentOrOwner(in.textWindow), 0u);
    EXPECT_EQ(text(in.promptLine), prompt);
    // Prompt line and history share a class that no other child has; the
    // history comes first, as in AutoCAD's command-line bar.
    auto lines = withClass(in.mainFrame, desktop.className(in.promptLine));
    EXPECT_EQ(lines, (std::vector<WindowHandle>{in.history, in.promptLine}));
    EXPECT_FALSE(base::startsWith(text(in.history), prompt));
    EXPECT_GT(desktop.descendants(in.mainFrame).size(), 6u);
    host.vanish(in);
  }
}

TEST_F(SimHostTest, TypedTextChangesThePromptLineAndTheHistory) {
  SimHost::Instance& in = host.start();
  EXPECT_TRUE(type(in.mainFrame, "LIMMAX\n"));
  EXPECT_EQ(text(in.promptLine), "LIMMAX の新しい値を入力 <420.0000,297.0000>: ");
  EXPECT_TRUE(base::endsWith(desktop.getText(in.history, 4096), "コマンド: LIMMAX"));
  EXPECT_FALSE(desktop.sendCopyData(in.mainFrame, 2, std::string("\x1b", 2)));  // not typing
  EXPECT_EQ(text(in.promptLine), "LIMMAX の新しい値を入力 <420.0000,297.0000>: ");
  type(in.mainFrame, "\x1b");
  EXPECT_EQ(text(in.promptLine), "コマンド: ");
}

TEST_F(SimHostTest, CommandOfTheTextWindowCopiesTheHistory) {
  SimHost::Instance& in = host.start();
  type(in.mainFrame, "-Layout\n?\n");
  desktop.sendCommand(in.textWindow, 32780, 0);
  EXPECT_EQ(clipboard.getText(), "");
  desktop.sendCommand(in.textWindow, 32781, 0);
  EXPECT_EQ(clipboard.getText(), in.session->historyText());
  EXPECT_EQ(acadsim_test::layoutNamesFromHistory(clipboard.getText()),
            (std::vector<std::string>{"Layout1", "Layout2"}));
}

TEST_F(SimHostTest, QuitWithChangesShowsAnOwnedMessageBoxWhoseNoEndsIt) {
  for (bool lt : {false, true}) {
    host.options().session.lt = lt;
    SimHost::Instance& in = host.start();
    type(in.mainFrame, "DIMSCALE\n40\nquit\n");
    const WindowHandle box = ownedBy(in.mainFrame);
    ASSERT_NE(box, 0u);
    EXPECT_EQ(desktop.windowTitle(box, 255), lt ? "AutoCAD LT" : "AutoCAD");
    std::map<std::string, WindowHandle> buttons;
    for (WindowHandle b : withClass(box, "Button")) buttons[desktop.windowTitle(b, 255)] = b;
    ASSERT_EQ(buttons.size(), 3u);
    ASSERT_TRUE(buttons.count("はい(&Y)") && buttons.count("いいえ(&N)") && buttons.count("キャンセル"));

    desktop.pressButton(buttons["キャンセル"]);
    EXPECT_FALSE(desktop.isWindow(box));
    EXPECT_TRUE(host.running());
    type(in.mainFrame, "quit\n");
    desktop.pressButton(withClass(ownedBy(in.mainFrame), "Button")[1]);
    EXPECT_FALSE(host.running());
    EXPECT_TRUE(desktop.topLevelWindows().empty());
    EXPECT_FALSE(base::fileExists(dir.path("Drawing1.dwg")));
  }
}

TEST_F(SimHostTest, QuitWithoutChangesEndsAtOnceAndYesSaves) {
  SimHost::Instance& a = host.start();
  type(a.mainFrame, "quit\n");
  EXPECT_FALSE(host.running());

  SimHost::Instance& b = host.start();
  type(b.mainFrame, "LIMMIN\n1,1\nquit\n");
  desktop.pressButton(withClass(ownedBy(b.mainFrame), "Button")[0]);
  EXPECT_FALSE(host.running());
  EXPECT_TRUE(base::fileExists(dir.path("Drawing1.dwg")));
}

TEST_F(SimHostTest, ADrawingGivenAtStartIsOpenedAndJournaled) {
  const std::string dwg = dir.write("図面 1.dwg", acadsim_test::drawingDxf("841,594", 1, {}));
  host.options().journalPath = dir.path("journal.jsonl");
  ASSERT_TRUE(processes.createProcess(kExe + " \"" + dwg + "\"", true));
  ASSERT_TRUE(processes.shellOpen(dwg, 0));
  clock.advance(3000);
  ASSERT_EQ(host.instances().size(), 2u);  // several may run at once
  for (auto& in : host.instances()) {
    EXPECT_EQ(in->session->drawingPath(), dwg);
    EXPECT_EQ(desktop.windowTitle(in->textWindow, 255), "AutoCAD テキスト ウィンドウ - 図面 1.dwg");
  }
  ASSERT_EQ(host.journal().entries().size(), 2u);
  EXPECT_EQ(host.journal().entries()[0].drawing, dwg);
  EXPECT_TRUE(base::contains(dir.read("journal.jsonl"), "\"drawing\":\"" + dwg + "\""));
}

TEST_F(SimHostTest, AReplyDelayHoldsThePromptLineBack) {
  host.options().behaviour.replyDelayMs = 200;
  SimHost::Instance& in = host.start();
  type(in.mainFrame, "FILEDIA\n");
  clock.advance(100);
  type(in.mainFrame, "0\n");  // answered 200 ms after it came, at 300
  EXPECT_EQ(text(in.promptLine), "コマンド: ");
  clock.advance(99);
  EXPECT_EQ(text(in.promptLine), "コマンド: ");
  clock.advance(1);
  EXPECT_EQ(text(in.promptLine), "FILEDIA の新しい値を入力 <1>: ");
  EXPECT_EQ(in.session->variable("FILEDIA"), "1");
  clock.advance(100);
  EXPECT_EQ(text(in.promptLine), "コマンド: ");
  EXPECT_EQ(in.session->variable("FILEDIA"), "0");
}

TEST_F(SimHostTest, ItCanHangOrVanishAfterSomeInputs) {
  host.options().behaviour.hangAfterInputs = 2;
  SimHost::Instance& a = host.start();
  EXPECT_TRUE(type(a.mainFrame, "FILEDIA\n"));
  EXPECT_TRUE(type(a.mainFrame, "\x1b"));
  EXPECT_FALSE(type(a.mainFrame, "CMDDIA\n"));
  EXPECT_EQ(text(a.promptLine), "");
  EXPECT_TRUE(desktop.isWindow(a.mainFrame));

  host.options().behaviour = {};
  host.options().behaviour.vanishAfterInputs = 1;
  SimHost::Instance& b = host.start();
  const WindowHandle main = b.mainFrame;
  type(main, "FILEDIA\n");
  EXPECT_FALSE(desktop.isWindow(main));
  EXPECT_FALSE(b.alive);
}

TEST_F(SimHostTest, HandlersOutliveNoHost) {
  WindowHandle main = 0;
  {
    SimHost other(desktop, clock, clipboard, processes);
    main = other.start().mainFrame;
    other.registerProgram("C:\\x.exe");
    processes.createProcess("C:\\x.exe", true);
  }
  EXPECT_FALSE(type(main, "FILEDIA\n"));
  clock.advance(5000);  // the scheduled start finds no host
  EXPECT_FALSE(processes.createProcess("C:\\x.exe", true));
}

}  // namespace
