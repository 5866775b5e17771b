// A simulated shell: shortcuts are what a test defines, icons are distinct
// fake handles, every icon request is counted and every recycle-bin delete
// recorded.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace platform {

class SimShell : public Shell {
 public:
  // A link file and its target; a link not defined here cannot be resolved.
  void defineShortcut(const std::string& linkPath, const std::string& target);

  std::optional<std::string> resolveShortcut(const std::string& linkPath, WindowHandle owner) override;
  IconHandle smallFileIcon(const std::string& extension) override;
  IconHandle smallFolderIcon() override;
  // Removes the file from disk (the simulated recycle bin keeps nothing)
  // and records the path.
  bool deleteToRecycleBin(const std::string& path, WindowHandle owner) override;

  // The kinds asked for, in order ("folder" for the folder icon).
  std::vector<std::string> iconRequests;
  std::vector<std::string> resolved;  // link paths asked for, in order
  std::vector<std::string> recycled;  // paths sent to the recycle bin, in order

 private:
  std::map<std::string, std::string> shortcuts_;
  IconHandle next_ = 0x5000;
};

}  // namespace platform
