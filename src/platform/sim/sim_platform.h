// Every simulated platform service in one place, installed as the platform
// context for as long as it lives: what a test fixture, a benchmark or a
// replay needs to run the program without Windows.
#pragma once
#include <string>

#include "platform/context.h"
#include "platform/sim/sim_automation.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_shell.h"

namespace platform {

class SimPlatform {
 public:
  // programFolder with a trailing separator; may be set later.
  explicit SimPlatform(std::string programFolder = {});
  ~SimPlatform();
  SimPlatform(const SimPlatform&) = delete;
  SimPlatform& operator=(const SimPlatform&) = delete;

  void setProgramFolder(std::string folder);

  SimClock clock;
  SimDesktop desktop;
  SimClipboard clipboard;
  SimProcesses processes;
  SimPrinters printers;
  SimShell shell;
  SimAutomation automation;

 private:
  void install(std::string folder);
};

}  // namespace platform
