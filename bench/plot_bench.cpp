// Plot benchmark: a batch of drawings printed on the in-process AutoCAD
// stand-in, with the prescribed pauses on the virtual clock. Prints, per
// drawing, the virtual time the run spent (what the user would wait) and
// the CPU time the program itself spent, the stand-in's own work taken out.
//
//   plot_bench [drawings] [command wait ms]     (default 200 drawings, 100 ms)
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "plot/ploter.h"
#include "ui/headless/headless_backend.h"

int main(int argc, char** argv) {
  const int drawings = argc > 1 ? std::atoi(argv[1]) : 200;
  const int commandWait = argc > 2 ? std::atoi(argv[2]) : 100;

  const bench::ScratchFolder scratch("kestrel-plot-bench");
  const std::string folder = scratch.path();

  platform::SimPlatform sim(folder);
  ui::HeadlessBackend ui;
  ui::setBackend(&ui);
  const std::vector<std::string> paths = bench::writeDrawings(folder, drawings);
  {
    acadsim::SimHost acad(sim.desktop, sim.clock, sim.clipboard, sim.processes);
    acad.options().session.workFolder = folder;
    acad.start();
    plot::Ploter ploter(folder + "kestrel20.ini", "Ploter1Fleld");
    if (!ploter.FindAutoCADByCaptions("コマンド", "テキスト")) {
      std::fprintf(stderr, "stand-in not found\n");
      return 1;
    }
    // A macro of the length of a real plot command's answers.
    ploter.ModelMacro = {"-plot", "y", "Model", "#PRINTDEVICE", "#PAPERNAME", "m", "#PAPERDIRECTION", "n",
                         "#SCOPE", "#SCALE", "#OFFSET", "y", "monochrome.ctb", "y", "#MODIFYSAVE", "#FILEPLOT",
                         "y"};
    bench::DrawingClock timing(sim, acad);

    plot::PlotOptions o;
    o.CommandWait = commandWait;
    const std::int64_t v0 = sim.clock.nowMs();
    const double cpu0 = bench::cpuMs();
    ploter.PlotDrawings(paths, o);
    timing.mark();
    const double cpuTotal = bench::cpuMs() - cpu0;
    const double virtualTotal = static_cast<double>(sim.clock.nowMs() - v0);

    if (timing.drawings() != drawings) {
      std::fprintf(stderr, "expected %d drawings, saw %d\n", drawings, timing.drawings());
      return 1;
    }
    timing.report();
    std::printf("\n%d drawings, command wait %d ms, macro of %zu lines\n", drawings, commandWait,
                ploter.ModelMacro.size());
    std::printf("whole run: virtual %.1f s, CPU %.1f ms (stand-in %.1f ms, Kestrel %.1f ms)\n",
                virtualTotal / 1000, cpuTotal, timing.standInMs, cpuTotal - timing.standInMs);
    std::printf("messages shown: %zu (%s)\n", ui.messages.size(),
                ui.messages.empty() ? "" : ui.messages.back().text.c_str());
  }

  ui::setBackend(nullptr);
  return 0;
}
