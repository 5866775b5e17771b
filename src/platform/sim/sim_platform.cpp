#include "platform/sim/sim_platform.h"

#include <utility>

namespace platform {

SimPlatform::SimPlatform(std::string programFolder) { install(std::move(programFolder)); }

SimPlatform::~SimPlatform() { setContext(Context{}); }

void SimPlatform::setProgramFolder(std::string folder) { install(std::move(folder)); }

void SimPlatform::install(std::string folder) {
  Context c;
  c.clock = &clock;
  c.desktop = &desktop;
  c.clipboard = &clipboard;
  c.processes = &processes;
  c.printers = &printers;
  c.shell = &shell;
  c.automation = &automation;
  c.programFolder = std::move(folder);
  setContext(c);
}

}  // namespace platform
