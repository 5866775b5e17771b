#include "acadlink/connect_autocad.h"

#include <gtest/gtest.h>

#include <optional>

#include "fake_acad.h"
#include "support/sim_env.h"

namespace {

using acadlink::AutoCADHandles;
using acadlink::ConnectAutoCAD;
using acadlink::TfControl;
using acadlink::TGetAutoCADHandleForm;
using acadlink_test::FakeAcad;
using acadlink_test::Release;

const std::string kAcadPath = "C:\\ACAD\\acad.exe";

class ConnectTest : public ::testing::Test {
 protected:
  testing_support::SimEnv env;
  TfControl link;
  TGetAutoCADHandleForm form;
  std::optional<FakeAcad> acad;

  ConnectTest() { link.SetAcadExePath(kAcadPath); }

  // An AutoCAD that takes longer to come up than the start wait.
  void installSlowAcad(Release r) {
    env.processes.registerProgram(kAcadPath, [this, r](const std::string&) {
      env.clock.schedule(5000, [this, r] { acad.emplace(env.desktop, r); });
      return true;
    });
  }
  // The user waits until AutoCAD shows its prompt, then clicks.
  void userClicks(ui::Button* TGetAutoCADHandleForm::*button) {
    env.ui.modalHandlers["TGetAutoCADHandleForm"] = [this, button](ui::Form&) {
      env.clock.advance(10000);
      (form.*button)->click();
    };
  }
  bool connect() {
    return ConnectAutoCAD(link, 1, acadlink::kPrintCancelMessage, acadlink::kPrintFailureMessage, form);
  }
  std::vector<std::string> messages() const {
    std::vector<std::string> out;
    for (const auto& m : env.ui.messages) {
      EXPECT_EQ("Kestrel メッセージ", m.caption);
      EXPECT_EQ(ui::MsgButtons::Ok, m.buttons);
      out.push_back(m.text);
    }
    return out;
  }
};

TEST_F(ConnectTest, StartedAutoCADConnectsSilently) {
  env.processes.registerProgram(kAcadPath, [this](const std::string&) {
    acad.emplace(env.desktop, Release::R2004);
    return true;
  });
  EXPECT_TRUE(connect());
  EXPECT_EQ(acad->handles(), link.GetHandles());
  EXPECT_TRUE(env.ui.messages.empty());
  EXPECT_TRUE(env.ui.modalShown.empty());
}

TEST_F(ConnectTest, ForeignAutoCADIsRefusedWithoutDialog) {
  FakeAcad other(env.desktop, Release::R2000);
  EXPECT_FALSE(connect());
  EXPECT_EQ(std::vector<std::string>{"起動中のAuto CADを終了させてください。"}, messages());
  EXPECT_TRUE(env.ui.modalShown.empty());
  EXPECT_TRUE(env.processes.created.empty());
}

TEST_F(ConnectTest, DialogAnswer2000SearchesHalfWidthWords) {
  installSlowAcad(Release::R2000);
  userClicks(&TGetAutoCADHandleForm::GetAcad2000Button);
  EXPECT_TRUE(connect());
  EXPECT_EQ(std::vector<std::string>{"TGetAutoCADHandleForm"}, env.ui.modalShown);
  EXPECT_EQ("2000", form.Answer);
  EXPECT_EQ(acad->handles(), link.GetHandles());
  EXPECT_TRUE(env.ui.messages.empty());
}


TEST_F(ConnectTest, WrongReleaseShowsTheFailureMessage) {
  installSlowAcad(Release::R2004);
  userClicks(&TGetAutoCADHandleForm::GetAcad2000Button);
  EXPECT_FALSE(connect());
  EXPECT_EQ(std::vector<std::string>{"KestrelにてAutoCADが認識できません。\r印刷を終了します。"}, messages());
  EXPECT_EQ(AutoCADHandles{}, link.GetHandles());
}

TEST_F(ConnectTest, CancelShowsTheCommandsCancelMessage) {
  installSlowAcad(Release::R2004);
  userClicks(&TGetAutoCADHandleForm::CancelButton);
  EXPECT_FALSE(ConnectAutoCAD(link, 1, acadlink::kPaperCancelMessage, acadlink::kPaperFailureMessage, form));
  EXPECT_EQ(std::vector<std::string>{"用紙取得を中止します。"}, messages());
  EXPECT_EQ(AutoCADHandles{}, link.GetHandles());
}

TEST_F(ConnectTest, ClosingTheDialogOtherwiseAnswersCancel) {
  installSlowAcad(Release::R2004);
  form.Answer = "2004";  // left over from an earlier run
  EXPECT_FALSE(ConnectAutoCAD(link, 1, acadlink::kScaleCheckCancelMessage, acadlink::kScaleCheckFailureMessage, form));
  EXPECT_EQ("Cancel", form.Answer);
  EXPECT_EQ(std::vector<std::string>{"尺度チェックを中止します。"}, messages());
}

TEST(GetAutoCADHandleForm, LayoutAndWording) {
  testing_support::SimEnv env;
  TGetAutoCADHandleForm form;
  EXPECT_EQ("AutoCAD再取得", form.caption());
  EXPECT_TRUE(form.topMost());
  EXPECT_EQ(ui::FormPosition::ScreenCenter, form.position);
  EXPECT_TRUE(form.Memo1->readOnly());
  EXPECT_EQ((std::vector<std::string>{"AutoCADの認識に失敗しました。", "AuotCADが起動中で",
                                      "コマンドラインに「コマンド：」", "と表示している状態で",
                                      "AutoCADのバージョンに合わせて", "下のボタンをクリックしてください。"}),
            form.Memo1->lines());
  EXPECT_EQ("AutoCAD（LT)2000-2002", form.GetAcad2000Button->caption());
  EXPECT_EQ("AutoCAD（LT)2004-2006", form.GetAcad2004Button->caption());
  EXPECT_EQ("印刷中止", form.CancelButton->caption());
  EXPECT_LT(form.Memo1->bounds().top, form.GetAcad2000Button->bounds().top);
  EXPECT_LT(form.GetAcad2000Button->bounds().top, form.GetAcad2004Button->bounds().top);
  EXPECT_LT(form.GetAcad2004Button->bounds().top, form.CancelButton->bounds().top);
}

}  // namespace
