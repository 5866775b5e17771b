#include "platform/sim/sim_shell.h"

#include "base/paths.h"

namespace platform {

void SimShell::defineShortcut(const std::string& linkPath, const std::string& target) {
  shortcuts_[linkPath] = target;
}

std::optional<std::string> SimShell::resolveShortcut(const std::string& linkPath, WindowHandle) {
  resolved.push_back(linkPath);
  auto it = shortcuts_.find(linkPath);
  if (it == shortcuts_.end()) return std::nullopt;
  return it->second;
}

IconHandle SimShell::smallFileIcon(const std::string& extension) {
  iconRequests.push_back(extension);
  return next_++;
}

IconHandle SimShell::smallFolderIcon() {
  iconRequests.push_back("folder");
  return next_++;
}

bool SimShell::deleteToRecycleBin(const std::string& path, WindowHandle) {
  recycled.push_back(path);
  return base::removeFile(path);
}

}  // namespace platform
