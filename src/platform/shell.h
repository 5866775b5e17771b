// The shell services the program needs: shortcut targets and the small
// icons shown in the drawing tree, and deleting a file to the recycle bin.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/desktop.h"

namespace platform {

// A native icon handle (HICON); 0 when none could be had.
using IconHandle = std::uintptr_t;

class Shell {
 public:
  virtual ~Shell() = default;
  // The target of a shell link (.lnk), in its short form where the system
  // has one; nullopt when the link cannot be loaded or resolved or has no
  // file-system target. owner is the window any question of the shell
  // belongs to.
  virtual std::optional<std::string> resolveShortcut(const std::string& linkPath, WindowHandle owner) = 0;
  // The small icon of a file kind (".dwg"), as the shell shows it; the caller
  // owns the handle.
  virtual IconHandle smallFileIcon(const std::string& extension) = 0;
  // The small icon of a folder; the caller owns the handle.
  virtual IconHandle smallFolderIcon() = 0;
  // Moves a file to the recycle bin without asking for confirmation; the
  // shell reports a failure to the user itself. True when the file went.
  virtual bool deleteToRecycleBin(const std::string& path, WindowHandle owner) = 0;
};

}  // namespace platform
