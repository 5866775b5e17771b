#include <gtest/gtest.h>

#include <optional>

#include "acadlink/acad_macro.h"
#include "base/profile.h"
#include "fake_acad.h"
#include "support/sim_env.h"

namespace {

using acadlink::AcadMacro;
using acadlink::MacroWait;
using acadlink_test::FakeAcad;
using acadlink_test::Release;
using Lines = std::vector<std::string>;

struct MacroStoreTest : ::testing::Test {
  testing_support::SimEnv env;
  std::string ini = env.path("kestrel20.ini");
  std::string key(const std::string& section, const std::string& k) {
    return base::ProfileFile(ini).readString(section, k, "<missing>");
  }
};

TEST_F(MacroStoreTest, LoadDropsEmptyAndMissingLinesAndSaveKeepsHigherOldKeys) {
  env.writeFile("kestrel20.ini",
                "[ScaleSet]\r\nMACRO_LINES=6\r\nMACRO0=limits\r\nMACRO1=\r\nMACRO2=#PUTLIMMIN\r\n"
                "MACRO4=#PUTLIMMAX\r\nMACRO5=save\r\n[PageSize]\r\nMACRO0=orphan\r\n");
  {
    AcadMacro m(ini, "ScaleSet");
    EXPECT_EQ(m.MacroLines, (Lines{"limits", "#PUTLIMMIN", "#PUTLIMMAX", "save"}));
    AcadMacro none(ini, "PageSize");  // no MACRO_LINES: empty
    EXPECT_TRUE(none.MacroLines.empty());
    m.MacroLines = {"zoom", ""};
  }
  EXPECT_EQ(key("ScaleSet", "MACRO_LINES"), "2");
  EXPECT_EQ(key("ScaleSet", "MACRO0"), "zoom");
  EXPECT_EQ(key("ScaleSet", "MACRO1"), "");
  EXPECT_EQ(key("ScaleSet", "MACRO4"), "#PUTLIMMAX");  // left over, never read
  EXPECT_EQ(key("PageSize", "MACRO_LINES"), "0");
  EXPECT_EQ(AcadMacro(ini, "ScaleSet").MacroLines, Lines{"zoom"});
}

TEST_F(MacroStoreTest, FirstStartLinesOnlyForASectionNeverStored) {
  env.writeFile("kestrel20.ini", "[ScaleSet]\r\nMACRO_LINES=0\r\n[PageSize]\r\nMACRO0=orphan\r\n");
  EXPECT_TRUE(AcadMacro(ini, "ScaleSet", {"limits"}).MacroLines.empty());  // emptied by the user
  EXPECT_EQ(AcadMacro(ini, "PageSize", {"-plot"}).MacroLines, Lines{"-plot"});
  // Once written back, the lines are the stored ones.
  EXPECT_EQ(key("PageSize", "MACRO_LINES"), "1");
  EXPECT_EQ(AcadMacro(ini, "PageSize", {"other"}).MacroLines, Lines{"-plot"});
}

struct ReplayTest : MacroStoreTest {
  FakeAcad acad{env.desktop, Release::R2004};
  AcadMacro macro{ini, "ScaleCheckFleld"};
  std::vector<std::int64_t> typedAt;
  ReplayTest() {
    macro.SetHandles(acad.handles());
    acad.react = [this](const std::string&) { typedAt.push_back(env.clock.nowMs()); };
  }
};

TEST_F(ReplayTest, OnlyWholeLinesInTheirCaseAreTokensAndEveryLineIsFollowedByTheWait) {
  macro.MacroLines = {"zoom", "#ENTER", "#enter", " #ESC", "#ESC", "#SCALECHECK"};
  EXPECT_TRUE(macro.ReplayMacroLines(acadlink::CommonMacroTokens(macro), 1000));
  EXPECT_EQ(acad.typed, (Lines{"zoom\n", "\n", "#enter\n", " #ESC\n", "\x1b", "#SCALECHECK\n"}));
  for (size_t i = 1; i < typedAt.size(); ++i) EXPECT_GE(typedAt[i] - typedAt[i - 1], 1000);

  // A context without the common tokens types them as text.
  acad.typed.clear();
  acadlink::ReplayMacro(macro, {"#ENTER"}, {}, 0);
  EXPECT_EQ(acad.typed, Lines{"#ENTER\n"});

  acad.typed.clear();
  macro.MacroLines.clear();
  EXPECT_TRUE(macro.ReplayMacroLines(acadlink::CommonMacroTokens(macro), 100));
  EXPECT_TRUE(acad.typed.empty());
}

TEST_F(ReplayTest, TokenActionsRunInPlaceAndCanEndTheReplay) {
  std::optional<std::int64_t> measuredAt;
  acadlink::MacroTokens tokens = {
      {"#SCALECHECK", [&] { measuredAt = env.clock.nowMs(); return true; }},
      {"#STOP", [] { return false; }}};
  // After "-plot" AutoCAD takes 700 ms to show its next question.
  acad.react = [this](const std::string& in) {
    acad.prompt("");
    if (in == "-plot\n") env.clock.schedule(700, [this] { acad.prompt("詳細な印刷構成を行いますか? <N>:"); });
    else acad.prompt(acad.idlePrompt());
  };
  EXPECT_FALSE(acadlink::ReplayMacro(macro, {"-plot", "#SCALECHECK", "#STOP", "never"}, tokens, 10,
                                     MacroWait::CommandWaitThenPrompt));
  EXPECT_EQ(acad.typed, Lines{"-plot\n"});
  ASSERT_TRUE(measuredAt);
  EXPECT_GE(*measuredAt, 700);
}

TEST_F(ReplayTest, APromptThatNeverComesOrAVanishedAutoCADEndsTheReplayInsteadOfHanging) {
  acad.react = [this](const std::string&) { acad.prompt(""); };  // stuck, no prompt ever again
  acadlink::WaitBounds limit;
  limit.limitMs = 30000;
  auto r = acadlink::ReplayMacro(macro, {"-plot", "never"}, {}, 10, MacroWait::CommandWaitThenPrompt, limit);
  EXPECT_EQ(r.end, acadlink::MacroEnd::TimedOut);
  EXPECT_EQ(acad.typed, Lines{"-plot\n"});
  EXPECT_GE(env.clock.nowMs(), 30000);
  EXPECT_LT(env.clock.nowMs(), 31000);

  acad.typed.clear();
  acad.react = [this](const std::string&) { acad.vanish(); };
  r = acadlink::ReplayMacro(macro, {"zoom", "never"}, {}, 10, MacroWait::CommandWaitThenPrompt);
  EXPECT_EQ(r.end, acadlink::MacroEnd::AcadGone);
  EXPECT_EQ(acad.typed, Lines{"zoom\n"});
}

TEST_F(ReplayTest, AStopRequestEndsTheReplayAfterTheLineBeforeItsWait) {
  int lines = 0;
  acad.react = [&](const std::string&) {
    typedAt.push_back(env.clock.nowMs());
    ++lines;
  };
  acadlink::WaitBounds b;
  b.stopRequested = [&] { return lines == 2; };
  const auto r = acadlink::ReplayMacro(macro, {"a", "#ENTER", "b"}, acadlink::CommonMacroTokens(macro), 1000,
                                       MacroWait::CommandWait, b);
  EXPECT_EQ(r.end, acadlink::MacroEnd::Stopped);
  EXPECT_FALSE(r);
  EXPECT_EQ(acad.typed, (Lines{"a\n", "\n"}));
  EXPECT_LT(typedAt.back(), 1200);  // the second line's pause was not made
  EXPECT_LT(env.clock.nowMs(), 1200);
}

}  // namespace
