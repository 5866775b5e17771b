// Paced typing: after a typed text the link waits for AutoCAD's answer on
// the prompt line, never longer than the fixed pauses it replaces, and
// never takes the echo of the typed text for the answer.
#include <gtest/gtest.h>

#include <optional>

#include "acadlink/tf_control.h"
#include "fake_acad.h"
#include "support/sim_env.h"

namespace {

using acadlink::TfControl;
using acadlink_test::FakeAcad;
using acadlink_test::Release;

// An AutoCAD that echoes what is typed at once and shows its answer a
// while later: the next prompt, given per input.
class PacedTest : public ::testing::Test {
 protected:
  testing_support::SimEnv env;
  TfControl link;
  FakeAcad acad{env.desktop, Release::R2004};
  int busyMs = 20;
  std::function<std::string(const std::string& input)> next = [](const std::string&) { return "次の質問: "; };

  void SetUp() override {
    link.SetHandles(acad.handles());
    link.SetPacedSend(true);
    acad.react = [this](const std::string& input) {
      const std::string before = acad.promptLine();
      if (input == "\x1b") {
        env.clock.schedule(busyMs, [this] { acad.prompt("コマンド: "); });
        return;
      }
      acad.prompt(before + input.substr(0, input.find('\n')));  // the echo
      const std::string answer = next(input);
      env.clock.schedule(busyMs, [this, answer] { acad.prompt(answer); });
    };
  }
  std::int64_t now() const { return env.clock.nowMs(); }
  platform::SimDesktop& desk() { return env.desktop; }
};

TEST_F(PacedTest, EndsWhenTheAnswerShowsNotOnTheEcho) {
  link.SendCommand("FILEDIA\n");
  // The echo "コマンド: FILEDIA" holds a colon but is no answer.
  EXPECT_EQ(20, now());
  EXPECT_EQ("次の質問: ", link.ReadCommandLine());
  link.AwaitAnswer(100);  // seen already: no pause
  EXPECT_EQ(20, now());
  // A prompt test right after the answer reads at once.
  EXPECT_FALSE(link.IsCommandPrompt());
  EXPECT_EQ(20, now());
}

TEST_F(PacedTest, ASlowAnswerIsAwaitedUpToTheCommandWaitOnly) {
  busyMs = 400;
  link.SendCommand("fileopen\n");
  EXPECT_EQ(60, now());  // the unpaced pauses of typing are the ceiling
  link.AwaitAnswer(100);
  EXPECT_EQ(160, now());  // and the command wait after them
  // The answer still due is what the next prompt test waits for, up to its
  // own pause; the echo is still there then.
  link.IsCommandPrompt();
  EXPECT_EQ(210, now());
  EXPECT_EQ("コマンド: fileopen", link.ReadCommandLine());
  // Typed while the last answer is still due: nothing on the prompt line
  // can tell this one's answer, so the fixed pauses hold.
  link.SendCommand("a.dwg\n");
  link.AwaitAnswer(100);
  EXPECT_EQ(370, now());
}

TEST_F(PacedTest, NeverSlowerThanTheFixedPausesWhenNoAnswerComes) {
  acad.react = [](const std::string&) {};  // takes the text, shows nothing
  link.SendCommand("x\n");
  link.AwaitAnswer(100);
  EXPECT_EQ(160, now());
  link.SetPacedSend(false);
  link.SendCommand("x\n");
  link.AwaitAnswer(100);
  EXPECT_EQ(320, now());
}

TEST_F(PacedTest, TheSameQuestionAgainCountsOnceTheEchoWasSeen) {
  // A command that ends at once: back to the command prompt it started from.
  next = [](const std::string&) { return "コマンド: "; };
  link.SendCommand("REGEN\n");
  EXPECT_EQ(20, now());
  // Without an echo seen, an unchanged line is no answer: the full pauses.
  acad.react = [](const std::string&) {};
  link.SendCommand("REGEN\n");
  link.AwaitAnswer(100);
  EXPECT_EQ(20 + 160, now());
}

TEST_F(PacedTest, ACommandEndingAtOnceIsSeenInTheHistoryWhenNoEchoWasRead) {
  // The echo is gone before the first look; the history gains the line.
  acad.react = [this](const std::string& input) {
    env.clock.schedule(busyMs, [this, input] {
      desk().setTitle(acad.history, "コマンド: " + input.substr(0, input.find('\n')));
    });
  };
  link.SendCommand("LIMMIN\n");
  EXPECT_EQ(20, now());
  // A question asked again unchanged, with nothing in the history, is not.
  acad.prompt("尺度を入力 <1.0000>: ");
  acad.react = [](const std::string&) {};
  link.SendCommand("2\n");
  EXPECT_EQ(80, now());
}

TEST_F(PacedTest, EscapeAtTheCommandPromptIsTakenAtOnceAndAtAQuestionOnItsReturn) {
  link.SendCommand("\x1b");
  EXPECT_EQ(0, now());
  acad.prompt("尺度を入力 <1.0000>: ");
  link.SendCommand("\x1b");
  EXPECT_EQ(20, now());
  EXPECT_TRUE(link.IsCommandPrompt());
}

TEST_F(PacedTest, TextsThePromptLineCannotAnswerForKeepTheFixedPauses) {
  // Two inputs in one text, and a text with no Enter.
  link.SendCommand("-Layout\nS\n");
  link.AwaitAnswer(100);
  EXPECT_EQ(160, now());
  link.SendCommand("abc");
  EXPECT_EQ(220, now());
  // A prompt line that asks nothing (AutoCAD busy with something else).
  acad.prompt("再作図中");
  link.SendCommand("y\n");
  link.AwaitAnswer(100);
  EXPECT_EQ(380, now());
}

TEST_F(PacedTest, ValueQuestionsAreReadAsSoonAsTheyShow) {
  next = [](const std::string& in) {
    return in == "DYNMODE\n" ? std::string("DYNMODE の新しい値を入力 <3>: ") : std::string("コマンド: ");
  };
  EXPECT_EQ("3", link.GetVariable("DYNMODE"));
  EXPECT_EQ(40, now());  // the question, then the ESC's return
}

TEST_F(PacedTest, ANewConnectionForgetsTheAnswerStillDue) {
  busyMs = 1000;
  link.SendCommand("fileopen\n");
  link.SetHandles(acad.handles());
  const std::int64_t t = now();
  link.AwaitAnswer(100);
  EXPECT_EQ(t, now());
}

}  // namespace
