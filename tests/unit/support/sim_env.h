// A complete simulated environment for a test: virtual clock, simulated
// desktop, clipboard, processes and printers, the headless widget backend,
// and a fresh program folder on disk.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "ui/headless/headless_backend.h"

namespace testing_support {

class SimEnv : public platform::SimPlatform {
 public:
  SimEnv();
  ~SimEnv();

  ui::HeadlessBackend ui;

  // The program folder, with a trailing separator.
  const std::string& folder() const { return folder_; }
  std::string path(const std::string& name) const { return folder_ + name; }
  // Writes a file below the program folder (bytes as given).
  void writeFile(const std::string& name, const std::string& bytes) const;
  std::string readFile(const std::string& name) const;
  // Every text typed into a window (copy-data without its NUL), in order,
  // as UTF-8.
  std::vector<std::string> typedInto(platform::WindowHandle window) const;

 private:
  std::string folder_;
};

}  // namespace testing_support
