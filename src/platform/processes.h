// Starting programs and asking the shell to open files.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/desktop.h"

namespace platform {

class Processes {
 public:
  virtual ~Processes() = default;

  // CreateProcess with the command line (no module name, no inheritance, no
  // flags, own environment and current folder). showWindow: start-up info asks
  // for SW_SHOW. False when the process could not be created. The handles are
  // closed; the process is not tracked.
  virtual bool createProcess(const std::string& commandLine, bool showWindow) = 0;
  // CreateProcess as above, then WaitForInputIdle in steps of stepMs while it
  // times out, calling pump between steps. False when it could not start.
  virtual bool createProcessAndWaitIdle(const std::string& commandLine, int stepMs,
                                        const std::function<void()>& pump) = 0;
  // ShellExecute "open" on a file; true when the shell reports success.
  virtual bool shellOpen(const std::string& file, WindowHandle owner) = 0;
  // WinExec of a command line with its window hidden; no wait.
  virtual bool runHidden(const std::string& commandLine) = 0;
  // GetVersionEx's platform identifier (1 = 95/98/Me, 2 = NT); nullopt when
  // it cannot be read.
  virtual std::optional<int> osPlatformId() = 0;
  // Ends the process that owns a window, at once (no question to save), and
  // waits up to waitMs for it to be gone. False when the window or its
  // process cannot be found or the process could not be ended in time.
  virtual bool endProcessOfWindow(WindowHandle w, int waitMs) = 0;
};

}  // namespace platform
