// The paper-name acquisition, on the stand-in (what is stored, what the
// user is told, AutoCAD vanishing) and on hand-made windows whose history
// and prompts each test writes (the walk of the listing, the save
// question, a device that does not come back).
#include "printerconfig/page_size_class.h"

#include <gtest/gtest.h>

#include <map>

#include "acadlink/fake_acad.h"
#include "acadsim/sim_host.h"
#include "base/codec.h"
#include "base/paths.h"
#include "base/profile.h"
#include "base/text.h"
#include "printerconfig/plotter_err_form.h"
#include "support/sim_env.h"

namespace {

using printerconfig::PageSizeClass;
using Texts = std::vector<std::string>;

const char* kPdf = "DWG To PDF.pc3";
const char* kOffice = "Office Printer";

struct AcquisitionBase : ::testing::Test {
  testing_support::SimEnv env;
  std::string settings = env.path("kestrel20.ini");
  printerconfig::TPlotterErrForm errForm;
  PageSizeClass paper{settings};
  Texts failedShown;  // the error dialog's list, when it was shown

  AcquisitionBase() {
    paper.PlotterErrForm = &errForm;
    env.ui.modalHandlers["TPlotterErrForm"] = [this](ui::Form& f) {
      auto& form = static_cast<printerconfig::TPlotterErrForm&>(f);
      failedShown = form.ListBox1->items();
      form.Button1->click();
    };
  }
  Texts messages() const {
    Texts out;
    for (auto& m : env.ui.messages) out.push_back(m.text);
    return out;
  }
  std::string plotIni() const { return base::cp932ToUtf8(env.readFile("plot.ini")); }
  std::string section(const std::string& name) const {
    const std::string text = plotIni();
    const auto at = text.find("[" + name + "]\r\n");
    if (at == std::string::npos) return {};
    const auto end = text.find("\n[", at);
    std::string body = text.substr(at, end == std::string::npos ? std::string::npos : end + 1 - at);
    while (base::endsWith(body, "\r\n\r\n")) body.resize(body.size() - 2);  // the blank line between sections
    return body;
  }
};

// ---------------------------------------------------------------- on the stand-in

struct AcquisitionTest : AcquisitionBase {
  acadsim::SimHost acad{env.desktop, env.clock, env.clipboard, env.processes};
  platform::WindowHandle mainFrame = 0;

  void SetUp() override {
    acad.options().session.workFolder = env.folder();
    acad.options().session.plotDevices = {{kPdf, {"  ISO A4 (297.00 x 210.00 mm) ", "ISO A3 (420.00 x 297.00 mm)"}},
                                          {kOffice, {"A4", "\"Letter 8 1/2 x 11\""}}};
    acad.start();
    mainFrame = acad.instance()->mainFrame;
    ASSERT_TRUE(paper.FindAutoCADByCaptions("コマンド", "テキスト"));
  }
  // PROXYNOTICE 1, CMDDIA 0, FILEDIA 1 to be given back.
  void run(const Texts& devices, bool close = false) { paper.AcquirePaperNames(devices, 100, 1, 0, 1, close); }
  int count(const std::string& text) const {
    int n = 0;
    for (auto& t : env.typedInto(mainFrame)) n += t == text;
    return n;
  }
};

TEST_F(AcquisitionTest, EachDevicesPapersAreStoredTrimmedWithNoneSkipped) {
  EXPECT_EQ(paper.MacroLines, printerconfig::DefaultPaperMacro());  // never stored: the first-start macro
  run({"None", kPdf, kOffice});
  EXPECT_EQ(section(kPdf), std::string("[") + kPdf +
                               "]\r\nPAGE=2\r\nPageSize0=ISO A4 (297.00 x 210.00 mm)\r\n"
                               "PageSize1=ISO A3 (420.00 x 297.00 mm)\r\n");
  // Quotes are kept in the file; the readers take them off.
  EXPECT_EQ(section(kOffice), std::string("[") + kOffice + "]\r\nPAGE=2\r\nPageSize0=A4\r\nPageSize1=\"Letter 8 1/2 x 11\"\r\n");
  EXPECT_EQ(section("None"), "");
  EXPECT_EQ(count("-plot\n"), 2);
  EXPECT_EQ(count("None\n"), 0);
  EXPECT_EQ(messages(), (Texts{"各プリンタの用紙サイズを取得しました。！！"}));
  EXPECT_TRUE(failedShown.empty());
  // Left saved as tmp.dwg, with the settings given back, and still running.
  EXPECT_EQ(acad.session()->drawingPath(), env.path("tmp.dwg"));
  EXPECT_EQ(acad.session()->variable("PROXYNOTICE"), "1");
  EXPECT_EQ(acad.session()->variable("CMDDIA"), "0");
  EXPECT_EQ(acad.session()->variable("FILEDIA"), "1");
  EXPECT_TRUE(acad.running());
}

TEST_F(AcquisitionTest, ADeviceAutoCADDoesNotKnowKeepsItsOldSectionAndIsListed) {
  const std::string old = "[Gone.pc3]\r\nPAGE=1\r\nPageSize0=A0\r\n[DWG To PDF.pc3]\r\nPAGE=4\r\nPageSize0=a\r\n"
                          "PageSize1=b\r\nPageSize2=c\r\nPageSize3=d\r\n";
  env.writeFile("plot.ini", old);
  run({kPdf, "Gone.pc3", kOffice, "Other.pc3"}, true);
  EXPECT_EQ(failedShown, (Texts{"Gone.pc3", "Other.pc3"}));
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(section("Gone.pc3"), "[Gone.pc3]\r\nPAGE=1\r\nPageSize0=A0\r\n");
  EXPECT_EQ(section("Other.pc3"), "");
  // Rewritten in place; the keys of the longer old list stay.
  const base::ProfileFile ini(env.path("plot.ini"));
  EXPECT_EQ(ini.readInt(kPdf, "PAGE", -1), 2);
  EXPECT_EQ(ini.readString(kPdf, "PageSize1", ""), "ISO A3 (420.00 x 297.00 mm)");
  EXPECT_EQ(ini.readString(kPdf, "PageSize3", ""), "d");
  EXPECT_EQ(ini.readInt(kOffice, "PAGE", -1), 2);
  // Asked to, AutoCAD is quit after the save: it asks nothing.
  EXPECT_FALSE(acad.running());
}

TEST_F(AcquisitionTest, TheUsersClipboardTextSurvives) {
  env.clipboard.setText("図面番号 A-101");
  run({kPdf, kOffice});
  EXPECT_EQ(env.clipboard.getText(), "図面番号 A-101");
  EXPECT_EQ(base::ProfileFile(env.path("plot.ini")).readInt(kOffice, "PAGE", -1), 2);
}

TEST_F(AcquisitionTest, AutoCADVanishingEndsTheRunAndListsTheDevicesLeft) {
  env.clock.onTick = [&, done = false](std::int64_t) mutable {
    if (!done && count(std::string(kOffice) + "\n") == 1) {
      done = true;
      acad.vanish(*acad.instance());
    }
  };
  run({kPdf, kOffice, "None", "Third.pc3"}, true);
  EXPECT_EQ(messages(), (Texts{"用紙取得中にAutoCAD が見つからなくなりました。\r\n用紙取得を中止しました。"}));
  EXPECT_EQ(failedShown, (Texts{kOffice, "Third.pc3"}));
  EXPECT_EQ(base::ProfileFile(env.path("plot.ini")).readInt(kPdf, "PAGE", -1), 2);
  EXPECT_EQ(count("Third.pc3\n"), 0);
}

TEST_F(AcquisitionTest, AnEmptyMacroTypesNothingPerDeviceAndSucceeds) {
  paper.MacroLines.clear();
  run({kPdf, kOffice});
  EXPECT_EQ(count("-plot\n"), 0);
  EXPECT_EQ(messages(), (Texts{"各プリンタの用紙サイズを取得しました。！！"}));
  EXPECT_EQ(plotIni(), "");
}

// ---------------------------------------------------------------- on hand-made windows

// A plot command that asks for the device, then the paper; "?" at the paper
// question makes the text window's history whatever the test set for the
// device.
struct ScriptedAcquisitionTest : AcquisitionBase {
  acadlink_test::FakeAcad acad{env.desktop, acadlink_test::Release::R2004};
  std::map<std::string, std::string> histories;  // per device
  std::string saveQuestion = "置き換えますか? <N> ";
  std::string stuckDevice;  // never answers after this device's name
  std::string device;

  void SetUp() override {
    paper.SetHandles(acad.handles());
    paper.MacroLines = {"-plot", "#PRINTDEVICE", "#GETPAGESIZE", "#ESC"};
    paper.AcadWaitLimit = 5;
    acad.react = [this](const std::string& in) {
      const std::string line = acad.promptLine();
      if (in == "\x1b" || in == "y\n") return acad.prompt(acad.idlePrompt());
      if (in == "-plot\n") return acad.prompt("出力デバイス名を入力 または [?] <なし>: ");
      if (base::contains(line, "出力デバイス")) {
        device = in.substr(0, in.size() - 1);
        if (device == stuckDevice) return acad.prompt("お待ちください...");
        return acad.prompt("用紙サイズを入力 または [?] <A4>: ");
      }
      if (in == "saveas\n") return acad.prompt("ファイル形式を入力 <2004>: ");
      if (base::contains(line, "ファイル形式")) return acad.prompt("図面ファイル名を入力 <Drawing1.dwg>: ");
      if (base::contains(line, "図面ファイル名"))
        return acad.prompt(saveQuestion.empty() ? acad.idlePrompt() : saveQuestion);
      if (base::contains(line, "コマンド") && in != "\n") acad.prompt(acad.idlePrompt());
    };
    env.desktop.window(acad.text)->onCommand = [this](std::uintptr_t cmd, std::intptr_t) {
      if (cmd == 32781) env.clipboard.setText(histories[device]);
    };
  }
  void run(const Texts& devices) { paper.AcquirePaperNames(devices, 100, 1, 1, 1, false); }
  int typedCount(const std::string& text) const {
    int n = 0;
    for (auto& t : acad.typed) n += t == text;
    return n;
  }
};

TEST_F(ScriptedAcquisitionTest, OnlyTheLinesAfterTheLastHeadingCountAndAHeadingAtTheEndIsNone) {
  histories["P1"] = "使用可能な用紙サイズ:\r\nOld A\r\nOld B\r\nコマンド: -plot\r\n使用可能な用紙サイズ:\r\n  A3  \r\n\tB4\r\n";
  histories["P2"] = "使用可能な用紙サイズ:\r\nX\r\n用紙サイズを入力 または [?] <A4>: ?\r\n使用可能な用紙サイズ:";
  run({"P1", "P2"});
  EXPECT_EQ(paper.HistoryLines.back(), "使用可能な用紙サイズ:");
  EXPECT_EQ(section("P1"), "[P1]\r\nPAGE=2\r\nPageSize0=A3\r\nPageSize1=B4\r\n");
  EXPECT_EQ(section("P2"), "[P2]\r\nPAGE=0\r\n");
  EXPECT_EQ(messages(), (Texts{"各プリンタの用紙サイズを取得しました。！！"}));
}

TEST_F(ScriptedAcquisitionTest, AHistoryWithoutAHeadingFailsTheDeviceAndKeepsItsSection) {
  env.writeFile("plot.ini", "[P1]\r\nPAGE=1\r\nPageSize0=Kept\r\n");
  histories["P1"] = "コマンド: -plot\r\nA3\r\nA4";
  histories["P2"] = "使用可能な用紙サイズ:\r\nA2";
  run({"P1", "P2"});
  EXPECT_EQ(failedShown, (Texts{"P1"}));
  EXPECT_EQ(section("P1"), "[P1]\r\nPAGE=1\r\nPageSize0=Kept\r\n");
  EXPECT_EQ(section("P2"), "[P2]\r\nPAGE=1\r\nPageSize0=A2\r\n");
}

TEST_F(ScriptedAcquisitionTest, ADeviceThatDoesNotComeBackFailsAtTheLimitAndTheNextIsAcquired) {
  stuckDevice = "Stuck";
  histories["P2"] = "使用可能な用紙サイズ:\r\nA1";
  const std::int64_t start = env.clock.nowMs();
  run({"Stuck", "P2"});
  EXPECT_EQ(failedShown, (Texts{"Stuck"}));
  EXPECT_EQ(section("P2"), "[P2]\r\nPAGE=1\r\nPageSize0=A1\r\n");
  // One limit for the stuck device, not one per macro line.
  EXPECT_GE(env.clock.nowMs() - start, 5000);
  EXPECT_LT(env.clock.nowMs() - start, 10000);
  EXPECT_EQ(typedCount("P2\n"), 1);
  EXPECT_TRUE(messages().empty());
}

TEST_F(ScriptedAcquisitionTest, OnlyTheWholeSaveQuestionWithItsTrailingBlankIsAnsweredYes) {
  run({});
  EXPECT_EQ(typedCount("y\n"), 1);
  EXPECT_EQ(typedCount(env.path("tmp.dwg") + "\n"), 1);

  acad.typed.clear();
  saveQuestion = "上書きしますか? <N>";  // no trailing blank
  run({});
  EXPECT_EQ(typedCount("y\n"), 0);
  // Left unanswered until the limit, then cancelled; the settings go back.
  EXPECT_EQ(typedCount("\x1b"), 1);
  ASSERT_FALSE(acad.typed.empty());
  EXPECT_EQ(acad.typed.back(), "1\n");
  const std::string done = "各プリンタの用紙サイズを取得しました。！！";
  EXPECT_EQ(messages(), (Texts{done, "図面の保存中にAutoCAD が 5 秒待ってもコマンド待ちに戻りませんでした。\r\n図面は保存されていません。", done}));
}

}  // namespace
