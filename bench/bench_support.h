// Shared by the benchmarks that run a batch on the in-process stand-in:
// CPU time, the batch's drawings, and the stand-in's own work timed apart
// from the program's, drawing by drawing.
#pragma once
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "acadsim/sim_host.h"
#include "platform/sim/sim_platform.h"

namespace bench {

inline double cpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

inline std::string dxf(const std::vector<std::pair<int, std::string>>& pairs) {
  std::string out;
  for (auto& [c, v] : pairs) out += "  " + std::to_string(c) + "\r\n" + v + "\r\n";
  return out;
}

// A model-space drawing with limits of its own, a little wider each time.
inline std::string modelDrawing(int i) {
  const std::string x = std::to_string(42000 + i * 10);
  return dxf({{0, "SECTION"}, {2, "HEADER"}, {9, "$LIMMIN"}, {10, "0.0"}, {20, "0.0"}, {9, "$LIMMAX"},
              {10, x}, {20, "29700.0"}, {9, "$DIMSCALE"}, {40, "100.0"}, {9, "$TILEMODE"}, {70, "1"},
              {0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"},
              {11, x}, {21, "29700"}, {0, "ENDSEC"}, {0, "EOF"}});
}

// Writes n drawings into folder; their paths.
inline std::vector<std::string> writeDrawings(const std::string& folder, int n) {
  std::vector<std::string> paths;
  for (int i = 0; i < n; ++i) {
    const std::string p = folder + "d" + std::to_string(i) + ".dxf";
    std::ofstream(p, std::ios::binary) << modelDrawing(i);
    paths.push_back(p);
  }
  return paths;
}

// A scratch folder of its own for a benchmark's drawings, removed at the end.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name) {
    std::random_device rd;
    dir_ = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(rd()));
    std::filesystem::create_directories(dir_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  // With a trailing separator.
  std::string path() const { return dir_.string() + "/"; }

 private:
  std::filesystem::path dir_;
};

inline double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[static_cast<size_t>(p * (v.size() - 1))];
}

// Times the stand-in's handling of every typed text apart from the
// program's own work, and marks where each drawing begins (its "fileopen").
class DrawingClock {
 public:
  DrawingClock(platform::SimPlatform& sim, acadsim::SimHost& acad) : clock_(sim.clock) {
    platform::SimWindow* frame = sim.desktop.window(acad.instance()->mainFrame);
    auto inner = frame->onCopyData;
    frame->onCopyData = [this, inner](std::uintptr_t d, const std::string& bytes) {
      if (bytes == std::string("fileopen\n") + '\0') mark();
      const double t0 = cpuMs();
      const bool r = inner(d, bytes);
      standInMs += cpuMs() - t0;
      return r;
    };
  }
  void mark() {
    virtualAt.push_back(clock_.nowMs());
    cpuAt.push_back(cpuMs());
    standInAt.push_back(standInMs);
  }
  int drawings() const { return static_cast<int>(virtualAt.size()) - 1; }

  // One line per drawing, then the medians and worst cases; the share of
  // Kestrel's own CPU in the virtual time it waited.
  void report() const {
    std::printf("drawing  virtual_ms  kestrel_cpu_ms  standin_cpu_ms\n");
    std::vector<double> virt, own;
    for (int i = 0; i < drawings(); ++i) {
      const double v = static_cast<double>(virtualAt[i + 1] - virtualAt[i]);
      const double s = standInAt[i + 1] - standInAt[i];
      const double k = cpuAt[i + 1] - cpuAt[i] - s;
      virt.push_back(v);
      own.push_back(k);
      std::printf("%7d  %10.0f  %14.3f  %14.3f\n", i + 1, v, k, s);
    }
    std::printf("per drawing virtual ms: median %.0f, p95 %.0f, max %.0f\n", percentile(virt, 0.5),
                percentile(virt, 0.95), percentile(virt, 1));
    std::printf("per drawing Kestrel CPU ms: median %.3f, p95 %.3f, max %.3f\n", percentile(own, 0.5),
                percentile(own, 0.95), percentile(own, 1));
    const double medianVirt = percentile(virt, 0.5);
    if (medianVirt > 0)
      std::printf("Kestrel CPU in the waits' time, medians: %.4f %%\n", 100 * percentile(own, 0.5) / medianVirt);
  }

  double standInMs = 0;
  std::vector<std::int64_t> virtualAt;
  std::vector<double> cpuAt, standInAt;

 private:
  platform::SimClock& clock_;
};

}  // namespace bench
