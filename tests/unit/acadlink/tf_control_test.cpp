#include "acadlink/tf_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "base/codec.h"
#include "base/numbers.h"
#include "base/text.h"
#include "fake_acad.h"
#include "support/sim_env.h"

namespace {

using acadlink::AutoCADHandles;
using acadlink::TfControl;
using acadlink_test::FakeAcad;
using acadlink_test::Release;
using platform::WindowHandle;
using namespace std::string_literals;

const std::string kEsc = "\x1b";
const std::string kAcadPath = "C:\\Program Files\\ACAD2004\\acad.exe";

class LinkTest : public ::testing::Test {
 protected:
  testing_support::SimEnv env;
  TfControl link;
  std::optional<FakeAcad> acad;

  // Starting the program opens AutoCAD's windows delayMs later.
  void installAcad(const std::string& path, Release r, int delayMs = 0) {
    env.processes.registerProgram(path, [this, r, delayMs](const std::string&) {
      env.clock.schedule(delayMs, [this, r] { acad.emplace(env.desktop, r); });
      return true;
    });
  }
  std::int64_t now() const { return env.clock.nowMs(); }
  size_t position(WindowHandle w) {
    auto all = env.desktop.topLevelWindows();
    return static_cast<size_t>(std::find(all.begin(), all.end(), w) - all.begin());
  }
};

const AutoCADHandles kStale{0x11, 0x22, 0x33, 0x44};

// ---------------------------------------------------------------- FindOrStartAutoCAD

TEST_F(LinkTest, ForeignAutoCADGivesOneAndStartsNothing) {
  FakeAcad other(env.desktop, Release::R2004);
  installAcad(kAcadPath, Release::R2004);
  link.SetAcadExePath(kAcadPath);
  link.SetHandles(kStale);
  EXPECT_EQ(1, link.FindOrStartAutoCAD(5));
  EXPECT_EQ(kStale, link.GetHandles());
  EXPECT_TRUE(env.processes.created.empty());
  EXPECT_TRUE(env.processes.hidden.empty());
  EXPECT_EQ(0, now());
}

TEST_F(LinkTest, LaterOfTwoTextWindowsIsCompared) {
  FakeAcad first(env.desktop, Release::R2000);
  FakeAcad second(env.desktop, Release::R2004);
  ASSERT_GT(position(first.text), position(second.text));  // newest first
  link.SetHandles(first.handles());
  EXPECT_EQ(2, link.FindOrStartAutoCAD(5));
  EXPECT_TRUE(link.IsSameAutoCAD());
  link.SetHandles(second.handles());
  EXPECT_EQ(1, link.FindOrStartAutoCAD(5));
  EXPECT_FALSE(link.IsSameAutoCAD());
  EXPECT_TRUE(env.processes.created.empty());
}

TEST_F(LinkTest, StartsByPathWithArgumentAndFindsAllFourWindows) {
  installAcad(kAcadPath, Release::R2004, 250);
  link.SetAcadExePath(kAcadPath);
  link.SetAcadArg("/nologo");
  EXPECT_EQ(2, link.FindOrStartAutoCAD(5));
  EXPECT_EQ(std::vector<std::string>{kAcadPath + " /nologo"}, env.processes.created);
  EXPECT_EQ(std::vector<std::string>{"CMD.EXE /c " + env.folder() + "TfGrebe"}, env.processes.hidden);
  ASSERT_TRUE(acad);
  EXPECT_EQ(acad->handles(), link.GetHandles());
  // Helper 100 ms; the windows appear at 350; polls at 200, 300, 400.
  EXPECT_EQ(400, now());
}

TEST_F(LinkTest, PathWithoutArgumentIsTheWholeCommandLine) {
  installAcad(kAcadPath, Release::R2000);
  link.SetAcadExePath(kAcadPath);
  EXPECT_EQ(2, link.FindOrStartAutoCAD(1));
  EXPECT_EQ(std::vector<std::string>{kAcadPath}, env.processes.created);
}

TEST_F(LinkTest, EmptyPathOpensTheStartDrawingThroughTheShell) {
  env.processes.associate(".dwg", [this](const std::string&) {
    acad.emplace(env.desktop, Release::R2000);
    return true;
  });
  EXPECT_EQ(2, link.FindOrStartAutoCAD(1));
  EXPECT_EQ(std::vector<std::string>{env.folder() + "Drawing1.dwg"}, env.processes.opened);
  EXPECT_TRUE(env.processes.created.empty());
  EXPECT_EQ(acad->handles(), link.GetHandles());
}

TEST_F(LinkTest, ZeroSecondsPollOnceAfter100ms) {
  installAcad(kAcadPath, Release::R2004, 50);
  link.SetAcadExePath(kAcadPath);
  EXPECT_EQ(2, link.FindOrStartAutoCAD(0));
  EXPECT_EQ(200, now());
}

TEST_F(LinkTest, ZeroSecondsMissWindowsThatComeAfterThePoll) {
  installAcad(kAcadPath, Release::R2004, 150);
  link.SetAcadExePath(kAcadPath);
  EXPECT_EQ(0, link.FindOrStartAutoCAD(0));
  EXPECT_EQ(200, now());
  EXPECT_EQ(AutoCADHandles{}, link.GetHandles());
}

TEST_F(LinkTest, NegativeSecondsNeverPoll) {
  installAcad(kAcadPath, Release::R2004, 0);
  link.SetAcadExePath(kAcadPath);
  link.SetHandles(kStale);
  EXPECT_EQ(0, link.FindOrStartAutoCAD(-1));
  EXPECT_EQ(100, now());  // the helper's pause only
  EXPECT_EQ(AutoCADHandles{}, link.GetHandles());
}

TEST_F(LinkTest, UnstartableAutoCADGivesZeroWithoutPolling) {
  link.SetAcadExePath("C:\\nowhere\\acad.exe");
  link.SetHandles(kStale);
  EXPECT_EQ(0, link.FindOrStartAutoCAD(5));
  EXPECT_EQ(AutoCADHandles{}, link.GetHandles());
  EXPECT_EQ(100, now());
  // No program registered for drawings either.
  link.SetAcadExePath("");
  EXPECT_EQ(0, link.FindOrStartAutoCAD(5));
  EXPECT_EQ(1u, env.processes.opened.size());
}

TEST_F(LinkTest, OnlyWindowsThatAppearAfterTheStartAreTaken) {
  // A main frame left over from before, without a text window.
  FakeAcad leftover(env.desktop, Release::R2004);
  env.desktop.destroyWindow(leftover.text);
  env.processes.registerProgram(kAcadPath, [this](const std::string&) {
    env.desktop.createTopLevel("AutoCAD テキスト ウィンドウ - Drawing1.dwg", "AfxTextWnd");
    return true;
  });
  link.SetAcadExePath(kAcadPath);
  EXPECT_EQ(0, link.FindOrStartAutoCAD(1));
  EXPECT_EQ(100 + 11 * 100, now());
  EXPECT_EQ(AutoCADHandles{}, link.GetHandles());
}

TEST_F(LinkTest, MissingHistoryPaneFailsOnceTheOtherWindowsAreFound) {
  env.processes.registerProgram(kAcadPath, [this](const std::string&) {
    acad.emplace(env.desktop, Release::R2004);
    env.desktop.destroyWindow(acad->history);
    return true;
  });
  link.SetAcadExePath(kAcadPath);
  EXPECT_EQ(0, link.FindOrStartAutoCAD(5));
  EXPECT_EQ(200, now());
  EXPECT_EQ(AutoCADHandles{}, link.GetHandles());
}

TEST_F(LinkTest, StartHelperFollowsThePlatformFamily) {
  env.processes.platformId = 1;
  link.RunStartHelper();
  EXPECT_EQ(std::vector<std::string>{"COMMAND.COM /c " + env.folder() + "TfGrebe"}, env.processes.hidden);
  EXPECT_EQ(100, now());
  env.processes.platformId = 3;
  link.RunStartHelper();
  env.processes.platformId = std::nullopt;
  link.RunStartHelper();
  EXPECT_EQ(1u, env.processes.hidden.size());
  EXPECT_EQ(100, now());
}

// ---------------------------------------------------------------- FindAutoCADByCaptions

TEST_F(LinkTest, CaptionSearchFindsTheReleaseItIsToldOf) {
  FakeAcad lt(env.desktop, Release::R2000, /*lt=*/true);
  EXPECT_TRUE(link.FindAutoCADByCaptions("ｺﾏﾝﾄﾞ", "ﾃｷｽﾄ"));
  EXPECT_EQ(lt.handles(), link.GetHandles());
  EXPECT_TRUE(link.IsSameAutoCAD());
}

TEST_F(LinkTest, CaptionSearchWithTheOtherReleasesWordsKeepsHandles) {
  FakeAcad r2000(env.desktop, Release::R2000);
  link.SetHandles(kStale);
  EXPECT_FALSE(link.FindAutoCADByCaptions("コマンド", "テキスト"));
  EXPECT_EQ(kStale, link.GetHandles());
  r2000.vanish();
  FakeAcad r2004(env.desktop, Release::R2004);
  EXPECT_FALSE(link.FindAutoCADByCaptions("ｺﾏﾝﾄﾞ", "ﾃｷｽﾄ"));
  EXPECT_EQ(kStale, link.GetHandles());
  r2004.vanish();
  EXPECT_FALSE(link.FindAutoCADByCaptions("コマンド", "テキスト"));
}

TEST_F(LinkTest, TitlesCountOnlyTheir254Bytes) {
  FakeAcad a(env.desktop, Release::R2004);
  link.SetHandles(a.handles());
  // "テキスト" ends at byte 254: still seen.
  env.desktop.setTitle(a.text, "Auto" + std::string(242, 'x') + "テキスト");
  EXPECT_TRUE(link.IsSameAutoCAD());
  EXPECT_TRUE(link.FindAutoCADByCaptions("コマンド", "テキスト"));
  // Two bytes further it is cut off.
  env.desktop.setTitle(a.text, "Auto" + std::string(244, 'x') + "テキスト");
  EXPECT_FALSE(link.IsSameAutoCAD());
  EXPECT_FALSE(link.FindAutoCADByCaptions("コマンド", "テキスト"));
}

// ---------------------------------------------------------------- typing

TEST_F(LinkTest, SendCommandWritesCp932PlusNulThenPauses) {
  FakeAcad a(env.desktop, Release::R2004);
  link.SetHandles(a.handles());
  std::int64_t copiedAt = -1, nullAt = -1;
  a.react = [&](const std::string&) { copiedAt = now(); };
  env.desktop.window(a.main)->onNull = [&] { nullAt = now(); };
  link.SendCommand("図面ｺﾏﾝﾄﾞ.dwg\n");
  ASSERT_EQ(1u, env.desktop.copyDataLog.size());
  EXPECT_EQ(a.main, env.desktop.copyDataLog[0].first);
  EXPECT_EQ("\x90\x7d\x96\xca\xba\xcf\xdd\xc4\xde.dwg\n\0"s, env.desktop.copyDataLog[0].second);
  EXPECT_EQ(std::vector<std::string>{"図面ｺﾏﾝﾄﾞ.dwg\n"}, a.typed);  // dwData 1
  EXPECT_EQ(0, copiedAt);
  EXPECT_EQ(30, nullAt);
  EXPECT_EQ(60, now());
  EXPECT_EQ(1, env.ui.processMessagesCalls);
}

TEST_F(LinkTest, EmptyTextSendsNothingButProcessesMessages) {
  FakeAcad a(env.desktop, Release::R2004);
  link.SetHandles(a.handles());
  link.SendCommand("");
  EXPECT_TRUE(env.desktop.copyDataLog.empty());
  EXPECT_EQ(0, now());
  EXPECT_EQ(1, env.ui.processMessagesCalls);
}

TEST_F(LinkTest, TextWithoutCp932FormIsRefused) {
  FakeAcad a(env.desktop, Release::R2004);
  link.SetHandles(a.handles());
  EXPECT_THROW(link.SendCommand("A4 €\n"), base::EncodingError);
  EXPECT_TRUE(env.desktop.copyDataLog.empty());
  EXPECT_EQ(0, now());
}

// ---------------------------------------------------------------- reading

TEST_F(LinkTest, PromptTests) {
  FakeAcad a(env.desktop, Release::R2004);
  link.SetHandles(a.handles());
  a.prompt("コマンド: ");
  EXPECT_TRUE(link.IsCommandPrompt());
  a.prompt("ｺﾏﾝﾄﾞ: ");
  EXPECT_TRUE(link.IsCommandPrompt());
  a.prompt("既存のファイルを上書きしますか? <N> ");
  EXPECT_FALSE(link.IsCommandPrompt());
  EXPECT_FALSE(link.IsPromptShown());
  a.prompt("尺度を入力 <1.0000>: ");
  EXPECT_FALSE(link.IsCommandPrompt());
  EXPECT_TRUE(link.IsPromptShown());
  EXPECT_EQ(6 * 50, now());
}

TEST_F(LinkTest, PromptTestsReadAfterTheirPause) {
  FakeAcad a(env.desktop, Release::R2004);
  link.SetHandles(a.handles());
  a.prompt("処理中");
  env.clock.schedule(50, [&] { a.prompt("コマンド: "); });
  EXPECT_TRUE(link.IsCommandPrompt());
  EXPECT_EQ(50, now());
}

TEST_F(LinkTest, ReadWindowTextIsNotCutAt255Bytes) {
  FakeAcad a(env.desktop, Release::R2004);
  const std::string longText = std::string(300, 'a') + "履歴";
  env.desktop.setTitle(a.history, longText);
  EXPECT_EQ(longText, link.ReadWindowText(a.history));
  EXPECT_EQ("", link.ReadWindowText(a.bar));
  env.desktop.window(a.history)->hung = true;
  EXPECT_EQ("", link.ReadWindowText(a.history));
}

TEST(CutPromptDefault, CutsBracketsThenQuotes) {
  using acadlink::CutPromptDefault;
  EXPECT_EQ("12.5", CutPromptDefault("寸法尺度を入力 <12.5>: "));
  EXPECT_EQ("0.0000,0.0000", CutPromptDefault("左下コーナー <0.0000,0.0000>: "));
  EXPECT_EQ("Standard", CutPromptDefault("文字スタイル名 <\"Standard\">: "));
  EXPECT_EQ("ISO-25", CutPromptDefault("名前 \"ISO-25\" を使用"));
  EXPECT_EQ("値を入力: ", CutPromptDefault("値を入力: "));
  EXPECT_EQ("x", CutPromptDefault("a > b <x"));
}

TEST_F(LinkTest, GetVariableTypesNameReadsDefaultAndCancels) {
  FakeAcad a(env.desktop, Release::R2004);
  link.SetHandles(a.handles());
  a.react = [&](const std::string& input) {
    if (input == "LIMMIN\n") a.prompt("左下コーナーを指定 または [オン(ON)/オフ(OFF)] <0.0000,0.0000>: ");
    if (input == kEsc) a.prompt(a.idlePrompt());
  };
  EXPECT_EQ("0.0000,0.0000", link.GetVariable("LIMMIN"));
  EXPECT_EQ((std::vector<std::string>{"LIMMIN\n", kEsc}), a.typed);
  EXPECT_EQ(60 + 10 + 60, now());
}

TEST_F(LinkTest, GetVariableGoesOnWithTheLastLineAfter301Polls) {
  FakeAcad a(env.desktop, Release::R2004);
  link.SetHandles(a.handles());
  a.prompt("処理中 \"Standard\" お待ちください");
  EXPECT_EQ("Standard", link.GetVariable("TEXTSTYLE"));
  EXPECT_EQ(60 + 301 * 10 + 60, now());
  EXPECT_EQ(kEsc, a.typed.back());
}


TEST_F(LinkTest, SetVariableTypesTheValueOnceThePromptShows) {
  FakeAcad a(env.desktop, Release::R2004);
  link.SetHandles(a.handles());
  std::int64_t valueAt = -1;
  a.react = [&](const std::string& input) {
    if (input == "PSLTSCALE\n") {
      a.prompt("PSLTSCALE");  // the echo, before the question shows
      env.clock.schedule(100, [&] { a.prompt("PSLTSCALE の新しい値を入力 <1>: "); });
    }
    if (input == "0\n") valueAt = now();
  };
  link.SetVariable("PSLTSCALE", "0");
  EXPECT_EQ((std::vector<std::string>{"PSLTSCALE\n", "0\n"}), a.typed);
  EXPECT_EQ(100, valueAt);  // polls from 70 on every 10 ms; the prompt shows at 100
}

TEST_F(LinkTest, ConditionalAnswersTypeOnlyOnAMatch) {
  FakeAcad a(env.desktop, Release::R2004);
  link.SetHandles(a.handles());
  a.prompt("既存のファイルを上書きしますか? <N> ");
  EXPECT_FALSE(link.AnswerYesIf("開く図面"));
  EXPECT_FALSE(link.AnswerEnterIf(""));
  EXPECT_TRUE(a.typed.empty());
  EXPECT_EQ(0, now());
  EXPECT_TRUE(link.AnswerYesIf("上書き"));
  EXPECT_TRUE(link.AnswerEnterIf("<N> "));
  EXPECT_TRUE(link.CancelIf("ファイル"));
  EXPECT_EQ((std::vector<std::string>{"y\n", "\n", kEsc}), a.typed);
  a.prompt("尺度を入力 <\"1:100\">: ");
  EXPECT_EQ("1:100", link.ReadPromptDefault());
  EXPECT_EQ(3u, a.typed.size());
}

// ---------------------------------------------------------------- dialogs and quitting

TEST_F(LinkTest, ClickNoMatchesAnLtDialogByTitlePart) {
  FakeAcad a(env.desktop, Release::R2004, /*lt=*/true);
  link.SetHandles(a.handles());
  WindowHandle dialog = env.desktop.createTopLevel("AutoCAD LT", "#32770", a.main);
  env.desktop.createChild(dialog, "はい(&Y)", "Button");
  WindowHandle no = env.desktop.createChild(dialog, "いいえ(&N)", "Button");
  // Not AutoCAD's: no owner.
  WindowHandle stranger = env.desktop.createTopLevel("AutoCAD", "#32770");
  int strangerPressed = 0;
  env.desktop.window(env.desktop.createChild(stranger, "いいえ(&N)", "Button"))->onPress = [&] { ++strangerPressed; };
  std::int64_t pressedAt = -1;
  env.desktop.window(no)->onPress = [&] { pressedAt = now(); };

  EXPECT_EQ(dialog, link.FindAutoCADDialog("AutoCAD"));
  EXPECT_TRUE(link.ClickNoButton("AutoCAD"));
  EXPECT_EQ(300, pressedAt);
  EXPECT_EQ(0, strangerPressed);
}

TEST_F(LinkTest, ClickNoPrefersTheNoButton) {
  FakeAcad a(env.desktop, Release::R2000);
  link.SetHandles(a.handles());
  WindowHandle dialog = env.desktop.createTopLevel("AutoCAD メッセージ", "#32770", a.main);
  std::vector<std::string> pressed;
  const std::vector<std::pair<std::string, std::string>> children{
      {"NO", "Static"}, {"いいえ(&N)", "Button"}, {"NO", "Button"}};
  for (const auto& [text, cls] : children) {
    WindowHandle b = env.desktop.createChild(dialog, text, cls);
    env.desktop.window(b)->onPress = [&pressed, t = text + "/" + cls] { pressed.push_back(t); };
  }
  EXPECT_TRUE(link.ClickNoButton("AutoCAD"));
  EXPECT_EQ(std::vector<std::string>{"NO/Button"}, pressed);
}

TEST_F(LinkTest, ClickNoWithoutDialogOrButton) {
  FakeAcad a(env.desktop, Release::R2004);
  EXPECT_EQ(0u, link.FindAutoCADDialog("AutoCAD"));  // not connected: nothing is AutoCAD's
  link.SetHandles(a.handles());
  EXPECT_FALSE(link.ClickNoButton("AutoCAD"));
  EXPECT_EQ(0, now());
  env.desktop.createTopLevel("AutoCAD", "#32770", a.main);
  EXPECT_TRUE(link.ClickNoButton("AutoCAD"));
  EXPECT_EQ(300, now());
}

TEST_F(LinkTest, QuitAnswersTheSaveQuestionWithNo) {
  FakeAcad a(env.desktop, Release::R2004);
  link.SetHandles(a.handles());
  std::int64_t pressedAt = -1;
  a.react = [&](const std::string& input) {
    if (input != "quit\n") return;
    env.clock.schedule(100, [&] {
      WindowHandle dialog = env.desktop.createTopLevel("AutoCAD", "#32770", a.main);
      WindowHandle no = env.desktop.createChild(dialog, "いいえ(&N)", "Button");
      env.desktop.window(no)->onPress = [&, dialog] {
        pressedAt = now();
        env.desktop.destroyWindow(dialog);
        a.vanish();
      };
    });
  };
  link.QuitAutoCAD();
  EXPECT_EQ(std::vector<std::string>{"quit\n"}, a.typed);
  EXPECT_EQ(60 + 300 + 300, pressedAt);
  EXPECT_EQ(AutoCADHandles{}, link.GetHandles());
  EXPECT_TRUE(env.desktop.topLevelWindows().empty());
}

TEST_F(LinkTest, VanishedAutoCADReadsEmptyAndNeverCrashes) {
  FakeAcad a(env.desktop, Release::R2004);
  link.SetHandles(a.handles());
  a.vanish();
  EXPECT_NO_THROW(link.SendCommand("quit\n"));
  EXPECT_EQ("", link.ReadCommandLine());
  EXPECT_FALSE(link.IsCommandPrompt());
  EXPECT_FALSE(link.IsPromptShown());
  EXPECT_EQ("", link.GetVariable("LIMMAX"));
  EXPECT_FALSE(link.IsSameAutoCAD());
  EXPECT_FALSE(link.ClickNoButton("AutoCAD"));
  EXPECT_NO_THROW(link.CopyHistoryToClipboard());
  EXPECT_NO_THROW(link.QuitAutoCAD());
  EXPECT_EQ(AutoCADHandles{}, link.GetHandles());
}

TEST_F(LinkTest, CopyHistoryEmptiesTheClipboardThenAsksTheTextWindow) {
  FakeAcad a(env.desktop, Release::R2004);
  link.SetHandles(a.handles());
  env.clipboard.setText("古い内容");
  std::string seen = "-";
  env.desktop.window(a.text)->onCommand = [&](std::uintptr_t wParam, std::intptr_t lParam) {
    if (wParam != 0x800D || lParam != 0) return;
    seen = env.clipboard.getText();
    env.clipboard.setText("コマンド: LIMITS");
  };
  link.CopyHistoryToClipboard();
  EXPECT_EQ("", seen);
  EXPECT_EQ("コマンド: LIMITS", env.clipboard.getText());
}

// ---------------------------------------------------------------- helper programs

TEST_F(LinkTest, StartHelperProgramFindsItsWindowByExactTitle) {
  const std::string helper = env.folder() + "TfHeron4";
  env.processes.registerProgram(helper, [this](const std::string&) {
    env.desktop.createTopLevel("TfHeron4", "TForm1");
    env.desktop.createTopLevel("TfHeron4 - 設定", "TForm2");
    return true;
  });
  env.processes.idleWaitSteps = 3;
  WindowHandle w = acadlink::StartHelperProgram(helper, "65552", "TfHeron4");
  ASSERT_NE(0u, w);
  EXPECT_EQ("TForm1", env.desktop.className(w));
  EXPECT_EQ(std::vector<std::string>{helper + " 65552"}, env.processes.created);
  EXPECT_EQ(3, env.ui.processMessagesCalls);
  EXPECT_EQ(500, now());
  EXPECT_EQ(0u, acadlink::StartHelperProgram(env.folder() + "missing", "", "TfHeron4"));
  EXPECT_EQ(env.folder() + "missing", env.processes.created.back());
  EXPECT_EQ(500, now());
}

TEST_F(LinkTest, PostHelperMessageHandsOverNameAndText) {
  WindowHandle helper = env.desktop.createTopLevel("TfHeron4", "TForm1");
  std::string got;
  env.desktop.window(helper)->onAtomMessage = [&](const std::string& name, const std::string& text) {
    got = name + "|" + text;
  };
  EXPECT_TRUE(acadlink::PostHelperMessage(helper, "TfKestrel", "C:\\図面\\a.dwg"));
  EXPECT_EQ("TfKestrel|C:\\図面\\a.dwg", got);
}

}  // namespace

// ---------------------------------------------------------------- WaitUntil

class WaitTest : public LinkTest {
 protected:
  void SetUp() override {
    acad.emplace(env.desktop, Release::R2004);
    link.SetHandles(acad->handles());
  }
  int polls = 0;
  // A condition that never holds and counts its polls.
  std::function<bool()> never() {
    return [this] { return ++polls, false; };
  }
};

TEST_F(WaitTest, MetAtOnceNeitherPausesNorProcessesMessages) {
  const int calls = env.ui.processMessagesCalls;
  EXPECT_EQ(acadlink::WaitEnd::Met, link.WaitUntil([] { return true; }, {}, 500));
  EXPECT_EQ(0, now());
  EXPECT_EQ(calls, env.ui.processMessagesCalls);
}

TEST_F(WaitTest, EachPollPausesThenProcessesMessagesUntilTheConditionHolds) {
  env.clock.schedule(95, [this] { acad->prompt("値を入力: "); });
  const int calls = env.ui.processMessagesCalls;
  EXPECT_EQ(acadlink::WaitEnd::Met,
            link.WaitUntil([this] { return base::contains(link.ReadCommandLine(), "値"); }, {}, 10));
  EXPECT_EQ(100, now());
  EXPECT_EQ(calls + 10, env.ui.processMessagesCalls);
}

TEST_F(WaitTest, TheLimitEndsItAfterItsTimeAndNoLimitMeansNone) {
  acadlink::WaitBounds b;
  b.limitMs = 1000;
  EXPECT_EQ(acadlink::WaitEnd::TimedOut, link.WaitUntil(never(), b, 10));
  EXPECT_EQ(1000, now());
  EXPECT_EQ(100, polls);  // at 0, 10, … 990 ms

  // Without a limit only the step can end a wait that never comes true.
  polls = 0;
  int steps = 0;
  EXPECT_EQ(acadlink::WaitEnd::Abandoned, link.WaitUntil(never(), {}, 10, [&] { return ++steps < 5000; }));
  EXPECT_EQ(5000, polls);
}

TEST_F(WaitTest, AStopRequestSeenInAMessageEndsIt) {
  bool stop = false;
  env.ui.queueEvent(3, [&] { stop = true; });
  acadlink::WaitBounds b;
  b.limitMs = 60000;
  b.stopRequested = [&] { return stop; };
  EXPECT_EQ(acadlink::WaitEnd::Stopped, link.WaitUntil(never(), b, 10));
  EXPECT_LT(now(), 100);
}

TEST_F(WaitTest, AutoCADVanishingEndsItUnlessItIsStillBeingStarted) {
  env.clock.schedule(250, [this] { acad->vanish(); });
  acadlink::WaitBounds b;
  b.limitMs = 60000;
  EXPECT_EQ(acadlink::WaitEnd::AcadGone, link.WaitUntil(never(), b, 50));
  EXPECT_EQ(250, now());

  // While AutoCAD starts there are no windows to lose yet.
  b.endIfAcadGone = false;
  EXPECT_EQ(acadlink::WaitEnd::TimedOut, link.WaitUntil(never(), b, 50));
}

TEST_F(WaitTest, StopIsTestedBeforeAutoCADAndTheLimitAndTheStepComesLast) {
  acad->vanish();
  bool stepped = false;
  acadlink::WaitBounds b;
  b.limitMs = 1;
  b.stopRequested = [] { return true; };
  EXPECT_EQ(acadlink::WaitEnd::Stopped, link.WaitUntil(never(), b, 5, [&] { return stepped = true; }));
  b.stopRequested = {};
  EXPECT_EQ(acadlink::WaitEnd::AcadGone, link.WaitUntil(never(), b, 5, [&] { return stepped = true; }));
  EXPECT_FALSE(stepped);
}

namespace {

// What a run tells the user about an unexpected error: always a Japanese
// sentence first; the error's own text, if at all, only in brackets after it.
TEST(RunErrorText, SaysWhatWentWrongInWords) {
  auto textOf = [](const std::function<void()>& f) -> std::string {
    try {
      f();
    } catch (const std::exception& e) {
      return acadlink::RunErrorText(e);
    }
    return "nothing thrown";
  };
  EXPECT_EQ("AutoCAD に入力する文字列 \"zoom 한\" に AutoCAD で扱えない文字 「한」(U+D55C) があるため、"
            "入力できませんでした。",
            textOf([] { base::utf8ToCp932("zoom 한\n"); }));
  EXPECT_EQ("数値であるべき値が数値として読めませんでした。('1,5' は浮動小数点数ではありません)",
            textOf([] { base::parseNumber("1,5"); }));
  EXPECT_EQ("予期しないエラーが発生しました。(bad alloc)", textOf([] { throw std::runtime_error("bad alloc"); }));
}

}  // namespace
