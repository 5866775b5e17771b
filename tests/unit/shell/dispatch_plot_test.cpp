// The plot buttons of the main window: the checks in their order, the save
// question, the connection, the options the run receives, no nested run.
#include <gtest/gtest.h>

#include "acadsim/acadsim_support.h"
#include "acadsim/sim_host.h"
#include "base/codec.h"
#include "base/paths.h"
#include "base/text.h"
#include "plot/batch_state.h"
#include "plot/plot_result_form.h"
#include "plot/ploter.h"
#include "plot/plotteing_form.h"
#include "scalecheck/scale_form.h"
#include "shell/tmain.h"
#include "support/sim_env.h"

namespace {

const std::string kAcad = "C:\\ACAD\\acad.exe";
const std::string kNoDrawings = "印刷するファイルを指定してください   ";
const std::string kNoButtonPaper = "このボタンの用紙サイズが設定されていません。\r\n尺度計算のために設定して下さい。 ";
const std::string kNoBasePaper = "レイアウトのベース用紙サイズを設定して下さい。";
const std::string kSaveQuestion = "本当に印刷デバイスを保存しますか？";
const std::string kDone = "   印刷が終わりました      ";

class PlotDispatchTest : public ::testing::Test {
 protected:
  testing_support::SimEnv env;
  acadsim::SimHost acad{env.desktop, env.clock, env.clipboard, env.processes};
  std::unique_ptr<shell::TMain> main;

  void SetUp() override {
    env.writeFile("plot.ini", "[PaperSize]\r\nPAGE=2\r\nPageSize0=A3=420x297\r\nPageSize1=なし=000x000\r\n");
    acad.registerProgram(kAcad);
    acad.options().session.workFolder = env.folder();
    main = std::make_unique<shell::TMain>();
    main->show();
    for (auto& p : main->Ploters) {
      p->SetAcadExePath(kAcad);
      p->SetPaperSize("420x297");
      p->ModelMacro = {"modelline"};
    }
    main->LayoutSizeComboBox->setItemIndex(0);
    main->PrintModeRadioGroup->setItemIndex(0);
  }

  std::string addDrawing(const std::string& name) {
    env.writeFile(name, acadsim_test::drawingDxf("420,297", 1, {{"Layout1", 1, "1E"}}));
    main->FormDropFiles({env.path(name)});
    return env.path(name);
  }
  std::vector<std::string> messageTexts() const {
    std::vector<std::string> out;
    for (auto& m : env.ui.messages) out.push_back(m.text);
    return out;
  }
  std::vector<std::string> saves() const {
    std::vector<std::string> out;
    for (auto& e : acad.journal().entries())
      if (e.event == "save") out.push_back(e.drawing);
    return out;
  }
  int opens() const {
    int n = 0;
    for (auto& e : acad.journal().entries()) n += e.event == "open";
    return n;
  }
  bool connectionTried() const { return !env.processes.created.empty(); }
};

TEST_F(PlotDispatchTest, EmptyTreeIsRefusedBeforeAnythingElse) {
  main->ModelScalePrintCheckBox->setChecked(true);
  main->Ploters[0]->SetPaperSize("000x000");
  main->Ploter1Btn->click();
  EXPECT_EQ(std::vector<std::string>{kNoDrawings}, messageTexts());
  EXPECT_EQ("Kestrel メッセージ", env.ui.messages[0].caption);
  EXPECT_FALSE(connectionTried());
}

TEST_F(PlotDispatchTest, ButtonPaperIsCheckedOnlyWhenAScaleOptionIsOn) {
  addDrawing("a.dxf");
  main->Ploters[1]->SetPaperSize("000x000");
  main->LayoutSizeComboBox->setItemIndex(-1);  // the base paper would fail too: the paper comes first
  main->LayoutScalePrintCheckBox->setChecked(true);
  main->Ploter2Btn->click();
  EXPECT_EQ(std::vector<std::string>{kNoButtonPaper}, messageTexts());
  EXPECT_FALSE(connectionTried());

  // Both off: a button without paper still prints.
  env.ui.messages.clear();
  main->LayoutScalePrintCheckBox->setChecked(false);
  main->LayoutSizeComboBox->setItemIndex(0);
  main->Ploter2Btn->click();
  EXPECT_EQ(std::vector<std::string>{kDone}, messageTexts());
  EXPECT_EQ(1, opens());
}

TEST_F(PlotDispatchTest, BasePaperMustBeChosenAndSetWhenLayoutsAreFitted) {
  addDrawing("a.dxf");
  main->LayoutSizeComboBox->setItemIndex(-1);
  main->Ploter1Btn->click();
  EXPECT_EQ(std::vector<std::string>{kNoBasePaper}, messageTexts());

  env.ui.messages.clear();
  main->LayoutSizeComboBox->setItemIndex(1);  // "000x000"
  main->LayoutScalePrintCheckBox->setChecked(true);
  main->Ploter3Btn->click();
  EXPECT_EQ(std::vector<std::string>{kNoBasePaper}, messageTexts());
  EXPECT_FALSE(connectionTried());
}

TEST_F(PlotDispatchTest, ButtonFourAsksTheSaveQuestionBeforeTheBasePaperCheck) {
  addDrawing("a.dxf");
  main->ModifySaveCheckBox->setChecked(true);
  main->LayoutSizeComboBox->setItemIndex(-1);
  main->Ploter1Btn->click();
  EXPECT_EQ(std::vector<std::string>{kNoBasePaper}, messageTexts());

  env.ui.messages.clear();
  main->Ploter4Btn->click();
  ASSERT_EQ((std::vector<std::string>{kSaveQuestion, kNoBasePaper}), messageTexts());
  EXPECT_EQ(ui::MsgButtons::YesNoCancel, env.ui.messages[0].buttons);
  EXPECT_FALSE(connectionTried());
}

TEST_F(PlotDispatchTest, NoToTheSaveQuestionPrintsWithoutSavingAndKeepsTheBoxChecked) {
  const std::string a = addDrawing("a.dxf");
  addDrawing("b.dxf");
  main->ModifySaveCheckBox->setChecked(true);
  env.ui.answers = {ui::MsgResult::No};
  main->Ploter1Btn->click();
  EXPECT_EQ((std::vector<std::string>{kSaveQuestion, kDone}), messageTexts());
  // Every save goes over tmp.dwg, none into a drawing.
  for (const std::string& s : saves()) EXPECT_EQ(env.path("tmp.dwg"), s);
  EXPECT_EQ(3u, saves().size());
  EXPECT_TRUE(main->ModifySaveCheckBox->checked());
}

TEST_F(PlotDispatchTest, YesSavesTheDrawingsAndCancelStartsNothing) {
  // Named .dwg: AutoCAD saves a drawing read from DXF as the .dwg beside it.
  const std::string a = addDrawing("a.dwg");
  main->ModifySaveCheckBox->setChecked(true);
  env.ui.answers = {ui::MsgResult::Cancel};
  main->Ploter1Btn->click();
  EXPECT_EQ(std::vector<std::string>{kSaveQuestion}, messageTexts());
  EXPECT_FALSE(connectionTried());

  env.ui.answers = {ui::MsgResult::Yes};
  main->Ploter1Btn->click();
  EXPECT_EQ((std::vector<std::string>{env.path("tmp.dwg"), a}), saves());
}

TEST_F(PlotDispatchTest, NonNumberInTheAdjustmentIsReportedAndNoRunStarts) {
  addDrawing("a.dxf");
  main->LayoutAdjustEdit->setText("９５ｘ");
  main->Ploter1Btn->click();
  ASSERT_EQ(1u, env.ui.messages.size());
  EXPECT_NE(std::string::npos, env.ui.messages[0].text.find("９５ｘ"));
  EXPECT_TRUE(connectionTried());  // AutoCAD stays connected
  EXPECT_EQ(0, opens());
  EXPECT_FALSE(main->Plotting);

  env.ui.messages.clear();
  main->LayoutAdjustEdit->setText("100");
  main->DimMagEdit->setText("abc");
  main->Ploter1Btn->click();
  ASSERT_EQ(1u, env.ui.messages.size());
  EXPECT_NE(std::string::npos, env.ui.messages[0].text.find("abc"));
  EXPECT_EQ(0, opens());
}

TEST_F(PlotDispatchTest, ClickDuringARunIsIgnored) {
  addDrawing("a.dxf");
  addDrawing("b.dxf");
  bool clicked = false;
  env.clock.onTick = [&](std::int64_t) {
    if (clicked || opens() != 1) return;
    clicked = true;
    env.ui.queueEvent(1, [&] { main->Ploter2Btn->click(); });
    env.ui.queueEvent(2, [&] { main->Ploter1Btn->click(); });
  };
  main->Ploter1Btn->click();
  env.clock.onTick = nullptr;
  EXPECT_TRUE(clicked);
  EXPECT_EQ(std::vector<std::string>{kDone}, messageTexts());
  EXPECT_EQ(2, opens());
  EXPECT_FALSE(main->Plotting);
}

TEST_F(PlotDispatchTest, RunReceivesTheOptionsOfTheMomentAndTheWaitLimit) {
  addDrawing("a.dxf");
  main->FontControlRadioGroup->setItemIndex(2);
  main->DynStop = true;
  main->FileDia = 0;
  main->AcadClose = false;
  main->Ploters[0]->ModelMacro = {"#SCOPE-free line"};
  plot::PlotOptions seen;
  env.clock.onTick = [&](std::int64_t) {
    if (main->Ploters[0] && main->Ploters[0]->Run) seen = *main->Ploters[0]->Run->Options;
  };
  main->AcadWaitLimit = 42;
  main->StartWait = 25;
  main->UnattendedScaleComboBox->setItemIndex(2);
  main->Ploter1Btn->click();
  env.clock.onTick = nullptr;
  EXPECT_FALSE(seen.Unattended);
  EXPECT_EQ(plot::UnattendedScale::Skip, seen.ScaleAnswer);
  EXPECT_EQ(25, seen.StartWait);
  EXPECT_EQ(&main->LastPlotReport, seen.Report);
  EXPECT_EQ(2, seen.FontControl);
  EXPECT_TRUE(seen.DynStop);
  EXPECT_EQ(0, seen.FileDia);
  EXPECT_EQ("420x297", seen.LayoutBaseSize);
  EXPECT_EQ(42, seen.AcadWaitLimit);
  EXPECT_EQ(&main->PdfDone, seen.PdfDone);
  EXPECT_EQ("0", acad.session()->variable("FILEDIA"));
}

// ---------------------------------------------------------------- the scale check

TEST_F(PlotDispatchTest, ScaleCheckOfAnEmptyTreeIsRefusedWithItsOwnWords) {
  main->ScaleCheckBitBtn->click();
  EXPECT_EQ(std::vector<std::string>{"ファイルを指定してください   "}, messageTexts());
  EXPECT_FALSE(connectionTried());
}

TEST_F(PlotDispatchTest, ScaleCheckConnectsMeasuresAndNoPlotStartsWhileItsWindowIsOpen) {
  addDrawing("a.dxf");
  addDrawing("b.dxf");
  main->ScaleCheck->SetAcadExePath(kAcad);
  int rows = -1;
  env.ui.modalHandlers["TScaleForm"] = [&](ui::Form& f) {
    rows = static_cast<scalecheck::TScaleForm&>(f).StringGrid1->rowCount() - 1;
    EXPECT_TRUE(main->Checking);
    main->Ploter1Btn->click();         // ignored: the check's AutoCAD is busy
    main->ScaleCheckBitBtn->click();   // ignored too
  };
  main->ScaleCheckBitBtn->click();
  EXPECT_TRUE(connectionTried());
  EXPECT_EQ(2, rows);
  EXPECT_EQ(2, opens());  // each drawing once, by the check
  EXPECT_TRUE(messageTexts().empty());
  EXPECT_FALSE(main->Checking);
  EXPECT_EQ(main->ScaleCheck->Scales.size(), 2u);
  EXPECT_EQ(main->ScaleCheck->Scales[0].A3, "1/1");  // limits of an A3 sheet
}

// The drop lets only paths AutoCAD can be given into the tree, but saving
// prints an archive's drawing from its kept copy, in a folder the user chose:
// the run checks the path again, skips that drawing and prints the next.
TEST_F(PlotDispatchTest, AKeptCopyInAFolderAutoCADCannotBeGivenIsSkippedByTheRun) {
  addDrawing("arc/p.dwg");
  const std::string other = addDrawing("z.dwg");
  main->TempExtractFolders = {env.path("arc")};
  main->KeptExtractFolders = {env.path("保管_한")};
  main->ModifySaveCheckBox->setChecked(true);
  main->FileSortRadioGroup->setItemIndex(2);
  env.ui.answers = {ui::MsgResult::Yes};
  main->Ploter1Btn->click();
  const std::string kept = env.path("保管_한") + "/p.dwg";
  EXPECT_EQ((std::vector<std::string>{kSaveQuestion,
                                      kept + "\r\nこの図面のパスには AutoCAD で扱えない文字 「한」(U+D55C) が含まれているため、"
                                             "開くことができません。\r\nこの図面の印刷はキャンセルされます。",
                                      kDone}),
            messageTexts());
  EXPECT_EQ(1, opens());  // z.dwg only
  EXPECT_EQ(other, saves().back());
}

// ---------------------------------------------------------------- the program folder

TEST_F(PlotDispatchTest, AProgramFolderAutoCADCannotSaveIntoRefusesBothCommandsBeforeConnecting) {
  // The program as it would be installed in a folder with a Korean name.
  const std::string folder = env.folder() + "Kestrel_한/";
  base::createFolders(folder);
  main.reset();
  env.setProgramFolder(folder);
  main = std::make_unique<shell::TMain>();
  main->show();
  main->Ploters[0]->SetAcadExePath(kAcad);
  main->ScaleCheck->SetAcadExePath(kAcad);
  main->Ploter1Btn->click();
  // An empty tree is still told first.
  EXPECT_EQ(std::vector<std::string>{kNoDrawings}, messageTexts());
  addDrawing("a.dxf");
  main->Ploter1Btn->click();
  main->ScaleCheckBitBtn->click();
  ASSERT_EQ(3u, env.ui.messages.size());
  const std::string refusal = "Kestrel のフォルダ\r\n" + env.folder() + "Kestrel_한\r\nのパスには AutoCAD で扱えない文字 "
                              "「한」(U+D55C) が含まれているため、AutoCAD に作業用の図面 tmp.dwg を保存させることが"
                              "できません。\r\nKestrel を、パスに AutoCAD で扱える文字だけを含むフォルダに移してから"
                              "使ってください。";
  EXPECT_EQ(refusal, env.ui.messages[1].text);
  EXPECT_EQ(refusal, env.ui.messages[2].text);
  EXPECT_EQ("TMain", env.ui.messages[2].ownerClass);
  EXPECT_FALSE(connectionTried());
  EXPECT_FALSE(main->Plotting);
  EXPECT_FALSE(main->Checking);
}

}  // namespace

namespace {

class UnattendedDispatchTest : public PlotDispatchTest {};

TEST_F(UnattendedDispatchTest, TheReportReplacesTheFinalMessageSavesItsCsvAndPrintsTheFailedAgain) {
  const std::string good = addDrawing("a.dxf");
  env.writeFile("bad.dwg", "AC1015 binary");
  main->FormDropFiles({env.path("bad.dwg")});
  main->UnattendedCheckBox->setChecked(true);
  env.ui.saveAnswers.push_back(env.path("report.csv"));
  int shown = 0;
  std::vector<std::string> listed;
  env.ui.modalHandlers["TPlotResultForm"] = [&](ui::Form& f) {
    auto& r = static_cast<plot::TPlotResultForm&>(f);
    ++shown;
    listed.clear();
    for (int row = 1; row < r.ResultGrid->rowCount(); ++row) listed.push_back(r.ResultGrid->cell(0, row) + ":" + r.ResultGrid->cell(1, row));
    if (shown == 1) {
      EXPECT_TRUE(r.RerunButton->enabled());
      r.SaveButton->click();
      r.RerunButton->click();
    } else {
      r.CloseButton->click();
    }
  };
  main->Ploter1Btn->click();

  EXPECT_TRUE(messageTexts().empty());
  EXPECT_EQ(2, shown);
  // The second round had the unreadable drawing alone.
  EXPECT_EQ(std::vector<std::string>{"bad.dwg:印刷せず"}, listed);
  int typedBad = 0;
  for (auto& [w, bytes] : env.desktop.copyDataLog) typedBad += bytes == env.path("bad.dwg") + "\n" + std::string(1, '\0');
  EXPECT_EQ(2, typedBad);
  const std::string csv = base::cp932ToUtf8(env.readFile("report.csv"));
  EXPECT_TRUE(base::contains(csv, "\r\na.dxf,印刷済,1,図面の設定,,")) << csv;
  EXPECT_TRUE(base::contains(csv, "\r\nbad.dwg,印刷せず,,,bad.dwg は、開くことができません。 この図面の印刷はキャンセルされます。,"))
      << csv;
  EXPECT_FALSE(main->Plotting);
}

}  // namespace

namespace {

// A batch that did not end is offered at the next start.
class UnfinishedBatchTest : public PlotDispatchTest {
 protected:
  void SetUp() override {}  // the program starts in each test, after the file is there
  void startProgram() {
    PlotDispatchTest::SetUp();
    main->onStarted();
  }
  std::string dxf(const std::string& name) {
    env.writeFile(name, acadsim_test::drawingDxf("420,297", 1, {{"Layout1", 1, "1E"}}));
    return env.path(name);
  }
  int opensOf(const std::string& path) const {
    int n = 0;
    for (auto& e : acad.journal().entries()) n += e.event == "open" && e.drawing == path;
    return n;
  }
};

// The AutoCAD the ended program was printing on still runs, halfway
// through a plot command: the batch goes on there.
TEST_F(UnfinishedBatchTest, YesContinuesWithWhatIsLeftOnTheSameAutoCADAndTheFileGoesWhenItEnds) {
  acad.options().session.workFolder = env.folder();
  acad.start();
  plot::Ploter before(env.path("kestrel20.ini"), "Ploter2Fleld");
  ASSERT_TRUE(before.FindAutoCADByCaptions("コマンド", "テキスト"));
  before.SendCommand("-plot\n");
  ASSERT_FALSE(before.IsCommandPrompt());
  plot::BatchState s;
  s.Acad = before.GetHandles();
  s.Button = 2;
  s.Options.PrintMode = 0;
  s.Report.Button = "前のボタン";
  s.Report.Started = "2026/12/08 22:00:00";
  s.Report.Drawings = {{dxf("a.dxf"), plot::DrawingOutcome::Printed, 1, "図面の設定", ""},
                       {dxf("b.dxf"), plot::DrawingOutcome::NotReached, 0, "", ""},
                       {dxf("c.dxf"), plot::DrawingOutcome::NotReached, 0, "", ""}};
  s.Current = 1;
  env.writeFile("kestrel_batch.txt", plot::BatchStateText(s));
  env.writeFile("tmp/from-archive/b2.dwg", "x");  // what the batch may still print
  env.ui.answers.push_back(ui::MsgResult::Yes);
  startProgram();

  ASSERT_EQ(2u, env.ui.messages.size());
  EXPECT_EQ("前回の印刷が最後まで終わっていません。\r\n\r\nボタン : 前のボタン\r\n開始 : 2026/12/08 22:00:00\r\n"
            "図面 3 枚のうち、残りは 2 枚です。\r\n（b.dxf の印刷中に終わったため、この図面は初めから印刷し直します）"
            "\r\n\r\n残りの図面を同じボタンと設定で印刷しますか？\r\n「いいえ」を選ぶと、この記録を破棄します。",
            env.ui.messages[0].text);
  EXPECT_EQ(kDone, env.ui.messages[1].text);
  EXPECT_EQ(0, acad.startRequests());
  EXPECT_EQ(0, opensOf(env.path("a.dxf")));
  EXPECT_EQ(1, opensOf(env.path("b.dxf")));
  EXPECT_EQ(1, opensOf(env.path("c.dxf")));
  // The report covers the whole batch.
  ASSERT_EQ(3u, main->LastPlotReport.Drawings.size());
  EXPECT_EQ("2026/12/08 22:00:00", main->LastPlotReport.Started);
  EXPECT_EQ(3, main->LastPlotReport.Count(plot::DrawingOutcome::Printed));
  EXPECT_FALSE(base::fileExists(env.path("kestrel_batch.txt")));
  EXPECT_TRUE(base::fileExists(env.path("tmp/from-archive/b2.dwg")));
}

TEST_F(UnfinishedBatchTest, ADamagedFileIsToldOnceAndSetAsideAndNoDropsTheBatch) {
  env.writeFile("kestrel_batch.txt", "Kestrel batch 1\r\nbutton\t1\tx\r\ndrawing\tprinted\t1\tC:\\a.dwg");  // cut short
  env.writeFile("tmp/old.dwg", "x");
  startProgram();
  ASSERT_EQ(1u, env.ui.messages.size());
  EXPECT_TRUE(base::contains(env.ui.messages[0].text, "を読み取れませんでした。前回の印刷は続けられません。"));
  EXPECT_FALSE(base::fileExists(env.path("kestrel_batch.txt")));
  EXPECT_TRUE(base::fileExists(env.path("kestrel_batch.bad.txt")));
  EXPECT_FALSE(base::fileExists(env.path("tmp/old.dwg")));
  EXPECT_FALSE(connectionTried());

  main.reset();
  env.ui.messages.clear();
  plot::BatchState s;
  s.Button = 1;
  s.Report.Drawings = {{dxf("a.dxf"), plot::DrawingOutcome::NotReached, 0, "", ""}};
  env.writeFile("kestrel_batch.txt", plot::BatchStateText(s));
  env.ui.answers.push_back(ui::MsgResult::No);
  startProgram();
  EXPECT_EQ(1u, env.ui.messages.size());
  EXPECT_FALSE(base::fileExists(env.path("kestrel_batch.txt")));
  EXPECT_FALSE(connectionTried());
}

// While a batch runs its state is on disk; when it ends, it is gone.
TEST_F(UnfinishedBatchTest, TheRunKeepsItsStateWhileItGoesAndLeavesNoneWhenItEnds) {
  startProgram();
  addDrawing("a.dxf");
  addDrawing("b.dxf");
  std::vector<std::string> seen;
  env.clock.onTick = [&](std::int64_t) {
    std::string bytes;
    if (base::readFileBytes(env.path("kestrel_batch.txt"), bytes) && (seen.empty() || seen.back() != bytes))
      seen.push_back(bytes);
  };
  main->Ploter1Btn->click();
  env.clock.onTick = nullptr;
  // Each drawing begun, then settled.
  std::vector<std::pair<int, int>> steps;  // drawings left, the one in flight
  for (const std::string& text : seen) {
    const auto s = plot::ParseBatchState(text);
    ASSERT_TRUE(s) << text;
    EXPECT_EQ(1, s->Button);
    EXPECT_EQ(2u, s->Report.Drawings.size());
    steps.emplace_back(plot::DrawingsLeft(s->Report), s->Current);
  }
  EXPECT_EQ((std::vector<std::pair<int, int>>{{2, 0}, {1, -1}, {1, 1}, {0, -1}}), steps);
  EXPECT_FALSE(base::fileExists(env.path("kestrel_batch.txt")));
}

}  // namespace
