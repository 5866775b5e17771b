// The shell services on the real system: shell links through COM, small
// icons through the shell's file information.
#pragma once
#include "platform/shell.h"

namespace platform {

class Win32Shell : public Shell {
 public:
  Win32Shell() = default;
  ~Win32Shell() override;
  Win32Shell(const Win32Shell&) = delete;
  Win32Shell& operator=(const Win32Shell&) = delete;

  std::optional<std::string> resolveShortcut(const std::string& linkPath, WindowHandle owner) override;
  IconHandle smallFileIcon(const std::string& extension) override;
  IconHandle smallFolderIcon() override;
  bool deleteToRecycleBin(const std::string& path, WindowHandle owner) override;

 private:
  // COM is initialised on the user-interface thread at the first link and
  // stays so until the program ends.
  void ensureCom();
  bool comTried_ = false;
  bool comOwned_ = false;
};

}  // namespace platform
