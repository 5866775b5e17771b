// Scale check benchmark: a batch of drawings measured on the in-process
// AutoCAD stand-in, with the prescribed pauses on the virtual clock. Prints,
// per drawing, the virtual time the check spent and the CPU time the
// program itself spent, the stand-in's own work taken out.
//
//   scale_check_bench [drawings] [command wait ms]     (default 300 drawings, 100 ms)
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "scalecheck/scale_check.h"
#include "scalecheck/scale_form.h"
#include "ui/headless/headless_backend.h"

int main(int argc, char** argv) {
  const int drawings = argc > 1 ? std::atoi(argv[1]) : 300;
  const int commandWait = argc > 2 ? std::atoi(argv[2]) : 100;

  const bench::ScratchFolder scratch("kestrel-check-bench");
  const std::string folder = scratch.path();

  platform::SimPlatform sim(folder);
  ui::HeadlessBackend ui;
  ui::setBackend(&ui);
  const std::vector<std::string> paths = bench::writeDrawings(folder, drawings);
  int rows = -1;
  ui.modalHandlers["TScaleForm"] = [&rows](ui::Form& f) {
    rows = dynamic_cast<scalecheck::TScaleForm&>(f).StringGrid1->rowCount() - 1;
  };
  {
    acadsim::SimHost acad(sim.desktop, sim.clock, sim.clipboard, sim.processes);
    acad.options().session.workFolder = folder;
    acad.start();
    scalecheck::ScaleCheck check(folder + "kestrel20.ini");
    if (!check.FindAutoCADByCaptions("コマンド", "テキスト")) {
      std::fprintf(stderr, "stand-in not found\n");
      return 1;
    }
    bench::DrawingClock timing(sim, acad);
    const std::int64_t v0 = sim.clock.nowMs();
    const double cpu0 = bench::cpuMs();
    check.RunScaleCheck(paths, commandWait, false, 1, 1, 1);
    timing.mark();
    const double cpuTotal = bench::cpuMs() - cpu0;
    const double virtualTotal = static_cast<double>(sim.clock.nowMs() - v0);

    if (timing.drawings() != drawings || rows != drawings) {
      std::fprintf(stderr, "expected %d drawings, saw %d opened and %d rows\n", drawings, timing.drawings(), rows);
      return 1;
    }
    timing.report();
    std::printf("\n%d drawings, command wait %d ms, check macro of %zu lines\n", drawings, commandWait,
                check.MacroLines.size());
    std::printf("whole run: virtual %.1f s, CPU %.1f ms (stand-in %.1f ms, Kestrel %.1f ms)\n",
                virtualTotal / 1000, cpuTotal, timing.standInMs, cpuTotal - timing.standInMs);
    std::printf("messages shown: %zu\n", ui.messages.size());
  }

  ui::setBackend(nullptr);
  return 0;
}
