// A stand-in for the PDF/DWF helper "TfHeron4" on the simulated desktop.
// Started with the main window's handle on its command line, it shows a
// top-level window titled "TfHeron4"; every "TfKestrel" notice but
// "finish" is answered after a delay with copy data "success" (or
// "failure") to that main window. The tests decide how the answer reaches
// the program's window (the headless main window has no desktop window).
#pragma once
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_desktop.h"

namespace heron {

inline constexpr const char* kWindowTitle = "TfHeron4";
inline constexpr const char* kMessageName = "TfKestrel";

class SimHeron {
 public:
  using Deliver = std::function<void(platform::WindowHandle mainWindow, const std::string& bytes)>;

  SimHeron(platform::SimDesktop& desktop, platform::SimClock& clock, platform::SimProcesses& processes,
           const std::string& programPath, Deliver deliver)
      : desktop_(desktop), clock_(clock), deliver_(std::move(deliver)), alive_(std::make_shared<bool>(true)) {
    std::weak_ptr<bool> alive = alive_;
    processes.registerProgram(programPath, [this, alive](const std::string& commandLine) {
      if (alive.expired()) return false;
      start(commandLine);
      return true;
    });
  }
  ~SimHeron() {
    alive_.reset();
    if (platform::SimWindow* w = desktop_.window(window)) w->onAtomMessage = nullptr;
  }
  SimHeron(const SimHeron&) = delete;
  SimHeron& operator=(const SimHeron&) = delete;

  // ---- behaviour
  int answerDelayMs = 200;
  bool answerFailure = false;
  bool silent = false;  // never answers

  // ---- what happened
  int starts = 0;
  platform::WindowHandle window = 0;
  platform::WindowHandle mainWindow = 0;  // as read from the command line
  std::vector<std::string> received;      // the notices, in order
  int answers = 0;

 private:
  void start(const std::string& commandLine) {
    ++starts;
    const auto blank = commandLine.rfind(' ');
    mainWindow = blank == std::string::npos
                     ? 0
                     : static_cast<platform::WindowHandle>(std::strtoull(commandLine.c_str() + blank + 1, nullptr, 10));
    window = desktop_.createTopLevel(kWindowTitle, "TfHeron4Class");
    std::weak_ptr<bool> alive = alive_;
    desktop_.window(window)->onAtomMessage = [this, alive](const std::string& name, const std::string& text) {
      if (alive.expired() || name != kMessageName) return;
      received.push_back(text);
      if (text == "finish" || silent) return;
      clock_.schedule(answerDelayMs, [this, alive] {
        if (alive.expired()) return;
        ++answers;
        deliver_(mainWindow, std::string(answerFailure ? "failure" : "success") + '\0');
      });
    };
  }

  platform::SimDesktop& desktop_;
  platform::SimClock& clock_;
  Deliver deliver_;
  std::shared_ptr<bool> alive_;
};

}  // namespace heron
