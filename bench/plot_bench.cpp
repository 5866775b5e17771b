// Plot benchmark: a batch of drawings printed on the in-process AutoCAD
// stand-in, with the prescribed pauses on the virtual clock. Prints, per
// drawing, the virtual time the run spent (what the user would wait) and
// the CPU time the program itself spent, the stand-in's own work taken out.
//
//   plot_bench [drawings] [command wait ms]     (default 200 drawings, 100 ms)
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "acadsim/sim_host.h"
#include "platform/sim/sim_platform.h"
#include "plot/ploter.h"
#include "ui/headless/headless_backend.h"

namespace {

double cpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

std::string dxf(const std::vector<std::pair<int, std::string>>& pairs) {
  std::string out;
  for (auto& [c, v] : pairs) out += "  " + std::to_string(c) + "\r\n" + v + "\r\n";
  return out;
}

std::string modelDrawing(int i) {
  const std::string x = std::to_string(42000 + i * 10);
  return dxf({{0, "SECTION"}, {2, "HEADER"}, {9, "$LIMMIN"}, {10, "0.0"}, {20, "0.0"}, {9, "$LIMMAX"},
              {10, x}, {20, "29700.0"}, {9, "$DIMSCALE"}, {40, "100.0"}, {9, "$TILEMODE"}, {70, "1"},
              {0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"},
              {11, x}, {21, "29700"}, {0, "ENDSEC"}, {0, "EOF"}});
}

double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[static_cast<size_t>(p * (v.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
  const int drawings = argc > 1 ? std::atoi(argv[1]) : 200;
  const int commandWait = argc > 2 ? std::atoi(argv[2]) : 100;

  std::random_device rd;
  const auto dir = std::filesystem::temp_directory_path() / ("kestrel-plot-bench-" + std::to_string(rd()));
  std::filesystem::create_directories(dir);
  const std::string folder = dir.string() + "/";

  platform::SimPlatform sim(folder);
  auto& clock = sim.clock;
  auto& desktop = sim.desktop;
  ui::HeadlessBackend ui;
  ui::setBackend(&ui);

  std::vector<std::string> paths;
  for (int i = 0; i < drawings; ++i) {
    const std::string p = folder + "d" + std::to_string(i) + ".dxf";
    std::ofstream(p, std::ios::binary) << modelDrawing(i);
    paths.push_back(p);
  }

  double standInMs = 0;  // CPU spent inside the stand-in's message handling
  std::vector<std::int64_t> openedAtVirtual;
  std::vector<double> openedAtCpu, openedAtStandIn;
  {
    acadsim::SimHost acad(desktop, clock, sim.clipboard, sim.processes);
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
    // Time the stand-in's handling apart from the program's own work, and
    // mark where each drawing begins (its "fileopen").
    platform::SimWindow* frame = desktop.window(acad.instance()->mainFrame);
    auto inner = frame->onCopyData;
    frame->onCopyData = [&, inner](std::uintptr_t d, const std::string& bytes) {
      if (bytes == std::string("fileopen\n") + '\0') {
        openedAtVirtual.push_back(clock.nowMs());
        openedAtCpu.push_back(cpuMs());
        openedAtStandIn.push_back(standInMs);
      }
      const double t0 = cpuMs();
      const bool r = inner(d, bytes);
      standInMs += cpuMs() - t0;
      return r;
    };

    plot::PlotOptions o;
    o.CommandWait = commandWait;
    const std::int64_t v0 = clock.nowMs();
    const double cpu0 = cpuMs();
    ploter.PlotDrawings(paths, o);
    openedAtVirtual.push_back(clock.nowMs());
    openedAtCpu.push_back(cpuMs());
    openedAtStandIn.push_back(standInMs);
    const double cpuTotal = cpuMs() - cpu0;
    const double virtualTotal = static_cast<double>(clock.nowMs() - v0);

    if (static_cast<int>(openedAtVirtual.size()) != drawings + 1) {
      std::fprintf(stderr, "expected %d drawings, saw %zu\n", drawings, openedAtVirtual.size() - 1);
      return 1;
    }
    std::printf("drawing  virtual_ms  kestrel_cpu_ms  standin_cpu_ms\n");
    std::vector<double> virt, own;
    for (int i = 0; i < drawings; ++i) {
      const double v = static_cast<double>(openedAtVirtual[i + 1] - openedAtVirtual[i]);
      const double s = openedAtStandIn[i + 1] - openedAtStandIn[i];
      const double k = openedAtCpu[i + 1] - openedAtCpu[i] - s;
      virt.push_back(v);
      own.push_back(k);
      std::printf("%7d  %10.0f  %14.3f  %14.3f\n", i + 1, v, k, s);
    }
    std::printf("\n%d drawings, command wait %d ms, macro of %zu lines\n", drawings, commandWait,
                ploter.ModelMacro.size());
    std::printf("whole run: virtual %.1f s, CPU %.1f ms (stand-in %.1f ms, Kestrel %.1f ms)\n",
                virtualTotal / 1000, cpuTotal, standInMs, cpuTotal - standInMs);
    std::printf("per drawing virtual ms: median %.0f, p95 %.0f, max %.0f\n", percentile(virt, 0.5),
                percentile(virt, 0.95), percentile(virt, 1));
    std::printf("per drawing Kestrel CPU ms: median %.3f, p95 %.3f, max %.3f\n", percentile(own, 0.5),
                percentile(own, 0.95), percentile(own, 1));
    std::printf("messages shown: %zu (%s)\n", ui.messages.size(),
                ui.messages.empty() ? "" : ui.messages.back().text.c_str());
  }

  ui::setBackend(nullptr);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
