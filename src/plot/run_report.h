// What an unattended plot run did with each drawing, for the report window
// shown at its end and the CSV file saved from it.
#pragma once
#include <string>
#include <vector>

namespace plot {

enum class DrawingOutcome {
  NotReached,  // the run ended before it
  Printed,
  Skipped,     // AutoCAD was fine, the drawing could not or was not to be printed
  Failed,      // AutoCAD hung, vanished or stopped taking input on it
};

struct DrawingRecord {
  std::string Path;
  DrawingOutcome Outcome = DrawingOutcome::NotReached;
  int Sheets = 0;
  std::string Scale;  // how it was printed: "1=100", fitted, the layout's own
  std::string Note;   // why it was skipped or failed; a scale question's answer
};

struct RunReport {
  std::string Started, Ended;  // local time, "YYYY/MM/DD HH:MM:SS"
  std::string Button;          // the plot button's caption
  std::vector<DrawingRecord> Drawings;
  int Restarts = 0;            // of AutoCAD
  bool Stopped = false;        // by the stop button or too many restarts
  std::string EndNote;         // why the run ended early, when it did
  // DYNMODE as the batch found it (with the option to turn it off), to be
  // given back at its end, by a continuation of the batch too.
  std::string DynModeFound;

  int Count(DrawingOutcome o) const;
  // The drawings to print again: skipped, failed or not reached, in order.
  std::vector<std::string> FailedPaths() const;
};

// The outcome as the report's list shows it.
std::string OutcomeText(DrawingOutcome o);
// A message of the run as one line of the report: CR LF become a blank.
std::string OneLine(const std::string& message);

// The report's columns, headers first; the CSV file and the list share them.
std::vector<std::string> ReportHeaders();
std::vector<std::string> ReportRow(const DrawingRecord& r);
// The whole report as CSV text (UTF-8, CR LF lines): the run's times and
// counts first, then the header line and one line per drawing.
std::string ReportCsv(const RunReport& report);

}  // namespace plot
