// The plot buttons: check the request, connect the button's record to
// AutoCAD, hand the run list and the options to the plot run.
#include <memory>

#include "acadlink/connect_autocad.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "plot/batch_state.h"
#include "plot/plot_result_form.h"
#include "plot/ploter.h"
#include "plot/run_report.h"
#include "shell/tmain.h"
#include "ui/application.h"

namespace shell {

namespace {

const std::string kNoDrawings = "印刷するファイルを指定してください   ";
const std::string kNoButtonPaper = "このボタンの用紙サイズが設定されていません。\r\n尺度計算のために設定して下さい。 ";
const std::string kNoBasePaper = "レイアウトのベース用紙サイズを設定して下さい。";
const std::string kSaveQuestion = "本当に印刷デバイスを保存しますか？";
const char* const kNoPaper = "000x000";

}  // namespace

void TMain::PlotButtonClick(int n) {
  if (Plotting || Checking) return;
  if (n < 1 || n > 4 || !Ploters[n - 1]) return;
  plot::Ploter& ploter = *Ploters[n - 1];

  CollectRunList();
  if (RunList.empty()) return ui::showMessage(this, kNoDrawings);
  // Before AutoCAD is started for nothing: it could not save into this folder.
  if (auto refusal = plot::ProgramFolderRefusal(ploter.TempDrawingPath)) return ui::showMessage(this, *refusal);

  const bool scalePrint = ModelScalePrintCheckBox->checked() || LayoutScalePrintCheckBox->checked();
  if (scalePrint && ploter.GetPaperSize() == kNoPaper) return ui::showMessage(this, kNoButtonPaper);

  const int base = LayoutSizeComboBox->itemIndex();
  auto basePaperMissing = [&] {
    if (base < 0 || base >= static_cast<int>(LayoutBaseSizes.size())) return true;
    return LayoutScalePrintCheckBox->checked() && LayoutBaseSizes[base] == kNoPaper;
  };
  // The answer counts for this run only; the check box keeps its state.
  bool modifySave = ModifySaveCheckBox->checked();
  auto confirmSave = [&] {
    if (!modifySave) return true;
    switch (ui::messageBox(this, kSaveQuestion, ui::kMessageCaption, ui::MsgButtons::YesNoCancel)) {
      case ui::MsgResult::Cancel: return false;
      case ui::MsgResult::No: modifySave = false; return true;
      default: modifySave = true; return true;
    }
  };
  // Button 4 asks before it checks the base paper.
  if (n == 4) {
    if (!confirmSave()) return;
    if (basePaperMissing()) return ui::showMessage(this, kNoBasePaper);
  } else {
    if (basePaperMissing()) return ui::showMessage(this, kNoBasePaper);
    if (!confirmSave()) return;
  }

  // A copy of the list: drops and clicks on the tree are still handled
  // during the run.
  RunPlotBatch(n, RunList, [&] { return PlotOptionsNow(modifySave); });
}

void TMain::RunPlotBatch(int n, std::vector<std::string> drawings, const std::function<plot::PlotOptions()>& takeOptions,
                         const plot::RunReport* continues) {
  plot::Ploter& ploter = *Ploters[n - 1];
  // Messages are processed while connecting too: no second run may begin.
  BusyMark mark(Plotting);
  std::unique_ptr<acadlink::TGetAutoCADHandleForm> ownForm;
  acadlink::TGetAutoCADHandleForm* form = GetAutoCADHandleForm;
  if (!form) form = (ownForm = std::make_unique<acadlink::TGetAutoCADHandleForm>()).get();
  if (!acadlink::ConnectAutoCAD(ploter, StartWait, acadlink::kPrintCancelMessage, acadlink::kPrintFailureMessage,
                                *form))
    return;
  // Taken now, after the connection: the run works on these copies. A
  // number field that does not parse throws to the default error report.
  plot::PlotOptions o = takeOptions();
  o.PdfDone = &PdfDone;
  o.MainWindowHandle = handle();
  o.Report = &LastPlotReport;
  o.Continues = continues;
  // Kept on disk after every step, so that a batch cut short by the
  // program's own end can be continued; removed when the run ends.
  plot::BatchState state;
  state.Button = n;
  state.Options = o;
  o.OnProgress = [this, state, &ploter](const plot::RunReport& report, int current) mutable {
    state.Report = report;
    state.Current = current;
    state.Acad = ploter.GetHandles();
    base::writeFileAtomic(BatchStatePath, plot::BatchStateText(state));
  };

  ploter.ProgressForm = PlotteingForm;
  for (;;) {
    ploter.PlotDrawings(drawings, o);
    base::removeFile(BatchStatePath);
    o.Continues = nullptr;
    if (!o.Unattended) return;
    // Unattended, the report stands in for the final message; from it the
    // failed drawings go round again with the same button and options.
    plot::TPlotResultForm result;
    result.SetReport(LastPlotReport);
    result.showModal();
    if (!result.Rerun) return;
    drawings = LastPlotReport.FailedPaths();
    if (drawings.empty() ||
        !acadlink::ConnectAutoCAD(ploter, StartWait, acadlink::kPrintCancelMessage, acadlink::kPrintFailureMessage,
                                  *form))
      return;
  }
}

plot::PlotOptions TMain::PlotOptionsNow(bool modifySave) {
  const int base = LayoutSizeComboBox->itemIndex();
  plot::PlotOptions o;
  o.PrintScope = PrintScopeRadioGroup->itemIndex();
  o.PrintMode = PrintModeRadioGroup->itemIndex();
  o.ScaleCalc = ScaleCalcRadioGroup->itemIndex();
  o.CommandWait = AcadCommandWait;
  o.AcadClose = AcadClose;
  o.ModelScalePrint = ModelScalePrintCheckBox->checked();
  o.LayoutScalePrint = LayoutScalePrintCheckBox->checked();
  o.LayoutBaseSize = LayoutBaseSizes[base];
  o.LayoutAdjust = base::parseNumber(LayoutAdjustEdit->text());
  o.ModifySave = modifySave;
  o.DimMag = base::parseNumber(DimMagEdit->text());
  o.FileSort = FileSortRadioGroup->itemIndex();
  o.FileDia = FileDia;
  o.CmdDia = CmdDia;
  o.Proxynotice = Proxynotice;
  o.Psltscale = Psltscale;
  o.ScaleWarning = ScaleWarning;
  o.FitOffset00 = FitOffset00;
  o.FontControl = FontControlRadioGroup->itemIndex();
  o.ReplaceFont = FontEdit->text();
  o.DynStop = DynStop;
  o.PacedSend = PacedSend;
  o.AcadWaitLimit = AcadWaitLimit;
  o.Unattended = UnattendedCheckBox->checked();
  const int answer = UnattendedScaleComboBox->itemIndex();
  o.ScaleAnswer = static_cast<plot::UnattendedScale>(answer >= 0 && answer <= 2 ? answer : plot::kDefaultUnattendedScale);
  o.StartWait = StartWait;
  return o;
}

}  // namespace shell
