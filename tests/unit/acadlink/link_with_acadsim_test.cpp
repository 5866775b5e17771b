// The link against the AutoCAD stand-in on the simulated desktop.
#include <gtest/gtest.h>

#include "acadlink/connect_autocad.h"
#include "acadsim/sim_host.h"
#include "base/paths.h"
#include "support/sim_env.h"

namespace {

using acadlink::AutoCADHandles;
using acadlink::TfControl;
using acadlink::TGetAutoCADHandleForm;
using acadsim::SimHost;

const std::string kAcadPath = "C:\\Program Files\\AutoCAD 2004\\acad.exe";

class LinkWithAcadsimTest : public ::testing::Test {
 protected:
  testing_support::SimEnv env;
  SimHost host{env.desktop, env.clock, env.clipboard, env.processes};
  TfControl link;
  TGetAutoCADHandleForm form;

  LinkWithAcadsimTest() {
    host.options().startupDelayMs = 3000;
    host.options().session.workFolder = env.folder();
    host.registerProgram(kAcadPath);
    host.associateDwg();
  }
  void useRelease(int release, bool lt = false) {
    host.options().session.release = release;
    host.options().session.lt = lt;
  }
  AutoCADHandles hostHandles() {
    SimHost::Instance* in = host.instance();
    if (!in) return {};
    return {in->mainFrame, in->promptLine, in->history, in->textWindow};
  }
  // The user waits for AutoCAD's prompt, then tells its release.
  void userAnswers(ui::Button* TGetAutoCADHandleForm::*button) {
    env.ui.modalHandlers["TGetAutoCADHandleForm"] = [this, button](ui::Form&) {
      env.clock.advance(5000);
      (form.*button)->click();
    };
  }
  void connectByPath() {
    link.SetAcadExePath(kAcadPath);
    ASSERT_EQ(2, link.FindOrStartAutoCAD(10));
  }
};

TEST_F(LinkWithAcadsimTest, StartsByPathAndConnectsToItsFourWindows) {
  useRelease(2004);
  link.SetAcadExePath(kAcadPath);
  EXPECT_EQ(2, link.FindOrStartAutoCAD(10));
  EXPECT_EQ(hostHandles(), link.GetHandles());
  EXPECT_EQ(100 + 3000, env.clock.nowMs());  // found by the poll that follows the windows
  EXPECT_TRUE(link.IsCommandPrompt());
  EXPECT_TRUE(link.IsSameAutoCAD());
  // Started once; asking again finds it connected.
  EXPECT_EQ(2, link.FindOrStartAutoCAD(10));
  EXPECT_EQ(1, host.startRequests());
  // Another link object sees an AutoCAD it did not start.
  TfControl other;
  EXPECT_EQ(1, other.FindOrStartAutoCAD(10));
}

TEST_F(LinkWithAcadsimTest, StartsThroughTheDrawingAssociation) {
  useRelease(2002);
  EXPECT_EQ(2, link.FindOrStartAutoCAD(10));
  EXPECT_EQ(std::vector<std::string>{env.folder() + "Drawing1.dwg"}, env.processes.opened);
  EXPECT_EQ(hostHandles(), link.GetHandles());
  EXPECT_TRUE(link.IsCommandPrompt());
}

TEST_F(LinkWithAcadsimTest, RecognitionByReleaseAfterASlowStart) {
  for (auto [release, lt, button] : {std::tuple{2002, true, &TGetAutoCADHandleForm::GetAcad2000Button},
                                     std::tuple{2006, false, &TGetAutoCADHandleForm::GetAcad2004Button}}) {
    SCOPED_TRACE(release);
    useRelease(release, lt);
    userAnswers(button);
    link.SetAcadExePath(kAcadPath);
    EXPECT_TRUE(acadlink::ConnectAutoCAD(link, 1, acadlink::kPrintCancelMessage, acadlink::kPrintFailureMessage, form));
    EXPECT_EQ(hostHandles(), link.GetHandles());
    EXPECT_TRUE(env.ui.messages.empty());
    link.QuitAutoCAD();
    ASSERT_FALSE(host.running());
  }
}



TEST_F(LinkWithAcadsimTest, QuitAnswersTheSaveQuestionWithNo) {
  for (bool lt : {false, true}) {
    SCOPED_TRACE(lt);
    useRelease(2002, lt);
    connectByPath();
    link.SetVariable("DIMSCALE", "100");  // unsaved change: AutoCAD will ask
    ASSERT_TRUE(host.session()->modified());
    link.QuitAutoCAD();
    EXPECT_FALSE(host.running());
    EXPECT_EQ(AutoCADHandles{}, link.GetHandles());
    EXPECT_TRUE(env.desktop.topLevelWindows().empty());
    EXPECT_FALSE(base::fileExists(env.path("Drawing1.dwg")));  // "No" saves nothing
  }
}


TEST_F(LinkWithAcadsimTest, HungOrVanishedAutoCADReadsEmpty) {
  useRelease(2004);
  host.options().behaviour.hangAfterInputs = 1;
  connectByPath();
  link.SendCommand("LIMMIN\n");
  EXPECT_EQ("", link.ReadCommandLine());
  EXPECT_FALSE(link.IsPromptShown());
  EXPECT_EQ("", link.GetVariable("LIMMIN"));
  host.vanish(*host.instance());
  EXPECT_FALSE(link.IsSameAutoCAD());
  EXPECT_NO_THROW(link.QuitAutoCAD());
  // With the windows gone, the next start is a fresh one.
  host.options().behaviour.hangAfterInputs = -1;
  EXPECT_EQ(2, link.FindOrStartAutoCAD(10));
  EXPECT_EQ(2, host.startRequests());
}

}  // namespace
