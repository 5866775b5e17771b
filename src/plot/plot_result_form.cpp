#include "plot/plot_result_form.h"

#include "base/codec.h"
#include "base/paths.h"
#include "base/text.h"
#include "ui/application.h"

namespace plot {

namespace {

constexpr int kWidth = 760, kHeight = 480;
const int kColumnWidths[] = {180, 60, 40, 110, 300, 200};

}  // namespace

std::string ReportCsvBytes(const RunReport& report) {
  const std::string text = ReportCsv(report);
  if (auto whole = base::tryUtf8ToCp932(text)) return *whole;
  std::string out;
  for (size_t i = 0; i < text.size();) {
    // One UTF-8 character at a time: its lead byte tells its length.
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const auto one = base::tryUtf8ToCp932(std::string_view(text).substr(i, n));
    out += one ? *one : "?";
    i += n;
  }
  return out;
}

TPlotResultForm::TPlotResultForm() : ui::Form("TPlotResultForm") {
  setCaption("印刷結果");
  setBounds(0, 0, kWidth, kHeight);
  position = ui::FormPosition::ScreenCenter;
  onShow = [this] { FormShow(); };

  TimeLabel = make<ui::Label>(this);
  TimeLabel->setBounds(12, 10, 730, 16);
  CountLabel = make<ui::Label>(this);
  CountLabel->setBounds(12, 30, 730, 16);
  EndLabel = make<ui::Label>(this);
  EndLabel->setBounds(12, 50, 730, 16);

  ResultGrid = make<ui::StringGrid>(this);
  ResultGrid->setBounds(12, 72, 730, 330);
  ResultGrid->fixedCols = 0;
  ResultGrid->fixedRows = 1;
  ResultGrid->rowSelect = true;
  const std::vector<std::string> headers = ReportHeaders();
  ResultGrid->setColCount(static_cast<int>(headers.size()));
  ResultGrid->setRowCount(2);
  for (int c = 0; c < static_cast<int>(headers.size()); ++c) {
    ResultGrid->setColWidth(c, kColumnWidths[c]);
    ResultGrid->setCell(c, 0, headers[static_cast<size_t>(c)]);
  }

  RerunButton = make<ui::Button>(this);
  RerunButton->setCaption("失敗分を再印刷");
  RerunButton->setBounds(342, 412, 136, 28);
  RerunButton->onClick = [this] { RerunButtonClick(); };
  SaveButton = make<ui::Button>(this);
  SaveButton->setCaption("保存");
  SaveButton->setBounds(488, 412, 120, 28);
  SaveButton->onClick = [this] { SaveButtonClick(); };
  CloseButton = make<ui::Button>(this);
  CloseButton->setCaption("閉じる");
  CloseButton->setBounds(618, 412, 120, 28);
  CloseButton->isCancel = true;
  CloseButton->onClick = [this] { CloseButtonClick(); };
}

void TPlotResultForm::SetReport(const RunReport& report) {
  report_ = report;
  TimeLabel->setCaption("開始 " + report.Started + "    終了 " + report.Ended +
                        (report.Button.empty() ? std::string() : "    ボタン " + report.Button));
  CountLabel->setCaption("全 " + base::intToStr(static_cast<long long>(report.Drawings.size())) + " 図面:  印刷済 " +
                         base::intToStr(report.Count(DrawingOutcome::Printed)) + "  印刷せず " +
                         base::intToStr(report.Count(DrawingOutcome::Skipped)) + "  失敗 " +
                         base::intToStr(report.Count(DrawingOutcome::Failed)) + "  未処理 " +
                         base::intToStr(report.Count(DrawingOutcome::NotReached)) + "    AutoCAD 再起動 " +
                         base::intToStr(report.Restarts) + " 回");
  EndLabel->setCaption(report.EndNote.empty() ? (report.Stopped ? "印刷を中止しました。" : "印刷が終わりました。")
                                              : report.EndNote);
  // A grid keeps one row under its header even when there is nothing to list.
  ResultGrid->setRowCount(std::max<int>(2, static_cast<int>(report.Drawings.size()) + 1));
  for (size_t r = 0; r < report.Drawings.size(); ++r) {
    const std::vector<std::string> row = ReportRow(report.Drawings[r]);
    for (size_t c = 0; c < row.size(); ++c) ResultGrid->setCell(static_cast<int>(c), static_cast<int>(r) + 1, row[c]);
  }
  RerunButton->setEnabled(!report.FailedPaths().empty());
}

void TPlotResultForm::FormShow() { Rerun = false; }

void TPlotResultForm::RerunButtonClick() {
  Rerun = true;
  close();
}

void TPlotResultForm::SaveButtonClick() {
  const std::string initial = report_.Drawings.empty()
                                  ? std::string("印刷結果.csv")
                                  : base::folderAnySep(report_.Drawings.front().Path) + "\\印刷結果.csv";
  const auto path = ui::chooseFileToSave(this, "CSV ファイル (*.csv)|*.csv", initial, "csv");
  if (!path) return;
  if (!base::writeFileAtomic(*path, ReportCsvBytes(report_)))
    ui::messageBox(this, "印刷結果を保存できませんでした。\r\n" + *path);
}

void TPlotResultForm::CloseButtonClick() { close(); }

}  // namespace plot
