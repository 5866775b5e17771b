// "印刷結果": what an unattended plot run did with each drawing, shown when
// it ends. The failed drawings can be printed again from here, and the
// report saved as a CSV file.
#pragma once
#include <string>

#include "plot/run_report.h"
#include "ui/widgets.h"

namespace plot {

class TPlotResultForm : public ui::Form {
 public:
  TPlotResultForm();

  ui::Label* TimeLabel;
  ui::Label* CountLabel;
  ui::Label* EndLabel;
  ui::StringGrid* ResultGrid;
  ui::Button* RerunButton;
  ui::Button* SaveButton;
  ui::Button* CloseButton;

  // Fills the labels and the list; the report is kept for the CSV file.
  void SetReport(const RunReport& report);
  // Set by "失敗分を再印刷" before the window closes.
  bool Rerun = false;

  void FormShow();
  void RerunButtonClick();
  void SaveButtonClick();
  void CloseButtonClick();

 private:
  RunReport report_;
};

// The CSV text in CP932; a character without a CP932 form becomes "?", so
// that one odd path does not cost the whole file.
std::string ReportCsvBytes(const RunReport& report);

}  // namespace plot
