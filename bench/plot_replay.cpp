// Replays a plot batch on the in-process AutoCAD stand-in with the virtual
// clock: the program folder's settings and button set, the drawings
// dropped, the button clicked. Since the stand-in answers at once, the
// virtual time a drawing takes is the sum of the pauses the program
// prescribes for it. Companion of the Wine benchmark, which times the same
// batch on the wall clock.
//
//   plot_replay PROGRAM_FOLDER BUTTON DRAWING...
//
// Prints one line per drawing, "name<TAB>ms", the time from its opening to
// the next drawing's (the last one: to the stand-in's quit, or to the end
// of the run), then "#end<TAB>ms" and the last message shown.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "acadsim/sim_host.h"
#include "platform/sim/sim_platform.h"
#include "plot/ploter.h"
#include "shell/tmain.h"
#include "ui/headless/headless_backend.h"

namespace {

std::string baseName(const std::string& path) {
  const auto cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: plot_replay PROGRAM_FOLDER BUTTON(1-4) DRAWING...\n");
    return 2;
  }
  const int button = std::atoi(argv[2]);
  if (button < 1 || button > 4) {
    std::fprintf(stderr, "the button is 1 to 4, not \"%s\"\n", argv[2]);
    return 2;
  }
  std::vector<std::string> drawings(argv + 3, argv + argc);

  // A copy of the program folder: the program writes its settings back.
  std::random_device rd;
  const auto copy = std::filesystem::temp_directory_path() / ("kestrel-replay-" + std::to_string(rd()));
  std::error_code ec;
  std::filesystem::copy(argv[1], copy, std::filesystem::copy_options::recursive, ec);
  if (ec) {
    std::fprintf(stderr, "cannot copy %s: %s\n", argv[1], ec.message().c_str());
    return 1;
  }

  int status = 0;
  {
    platform::SimPlatform sim(copy.string() + "/");
    ui::HeadlessBackend ui;
    ui::setBackend(&ui);
    acadsim::SimHost acad(sim.desktop, sim.clock, sim.clipboard, sim.processes);
    const std::string exe = "C:\\replay\\acad.exe";
    acad.registerProgram(exe);
    acad.options().session.workFolder = copy.string() + "/";
    acad.journal().setStamp([&sim] { return sim.clock.nowMs(); });
    {
      shell::TMain main;
      main.show();
      // The stand-in in place of the configured AutoCAD, with no arguments.
      main.AcadExePath = exe;
      main.AcadArg.clear();
      for (auto& p : main.Ploters) {
        p->SetAcadExePath(exe);
        p->SetAcadArg("");
      }
      main.FormDropFiles(drawings);
      ui::Button* buttons[] = {main.Ploter1Btn, main.Ploter2Btn, main.Ploter3Btn, main.Ploter4Btn};
      buttons[button - 1]->click();
    }
    const std::int64_t end = sim.clock.nowMs();

    // Opening to opening, per drawing of the batch.
    std::set<std::string> inBatch;
    for (auto& d : drawings) inBatch.insert(baseName(d));
    std::string current;
    std::int64_t since = 0;
    int timed = 0;
    auto close = [&](std::int64_t at) {
      if (current.empty()) return;
      std::printf("%s\t%lld\n", current.c_str(), static_cast<long long>(at - since));
      ++timed;
      current.clear();
    };
    for (auto& e : acad.journal().entries()) {
      const std::int64_t at = std::atoll(e.get("ms").c_str());
      if (e.event == "open" && inBatch.count(baseName(e.drawing))) {
        close(at);
        current = baseName(e.drawing);
        since = at;
      } else if (e.event == "quit") {
        close(at);
      }
    }
    close(end);
    std::printf("#end\t%lld\n", static_cast<long long>(end));
    std::printf("#message\t%s\n", ui.messages.empty() ? "" : ui.messages.back().text.c_str());
    if (timed == 0) {
      std::fprintf(stderr, "no drawing of the batch was opened\n");
      status = 1;
    }
    ui::setBackend(nullptr);
  }
  std::filesystem::remove_all(copy, ec);
  return status;
}
