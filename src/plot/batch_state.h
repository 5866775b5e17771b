// A plot batch as it stands, kept beside the program while it runs so that
// a batch cut short by the program's own end (killed, a restart of
// Windows, a power cut) can be continued at the next start.
//
// The file is UTF-8 text, one record a line, fields separated by tabs:
//   Kestrel batch 1
//   button <tab> 1..4 <tab> caption
//   started <tab> time         restarts <tab> n       current <tab> index
//   dynmode <tab> DYNMODE as the batch found it (empty: not turned off)
//   acad <tab> main <tab> command line <tab> history <tab> text window
//   option <tab> name <tab> value                      (the run's settings)
//   drawing <tab> outcome <tab> sheets <tab> path <tab> scale <tab> note
//   end
// Tabs, line breaks and "\" inside a field are written "\t", "\n", "\r",
// "\\". A file without its first or last line, with a line of another kind
// or a value that does not parse, is not a batch.
#pragma once
#include <optional>
#include <string>

#include "acadlink/tf_control.h"
#include "plot/plot_options.h"
#include "plot/run_report.h"

namespace plot {

struct BatchState {
  int Button = 0;           // 1 … 4
  PlotOptions Options;      // the settings only: no pointer, no callback
  RunReport Report;         // every drawing of the batch with its outcome so far
  int Current = -1;         // the drawing being printed when it was written; -1 between drawings
  acadlink::AutoCADHandles Acad;  // the windows of the AutoCAD printing it
};

std::string BatchStateText(const BatchState& state);
std::optional<BatchState> ParseBatchState(const std::string& text);

// The drawings of the batch not yet settled.
int DrawingsLeft(const RunReport& report);

}  // namespace plot
