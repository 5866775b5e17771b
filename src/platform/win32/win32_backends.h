// The platform interfaces on the real system. Texts at the interfaces are
// UTF-8; the backends talk to the system with the W functions.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/printers.h"
#include "platform/processes.h"

namespace platform {

class Win32Clock : public Clock {
 public:
  void sleepMs(int ms) override;
  std::int64_t nowMs() const override;
  std::string localTimeText() const override;
};

// Messages to other programs' windows are sent with a time limit: a window
// that does not answer within it counts as gone.
class Win32Desktop : public Desktop {
 public:
  static constexpr unsigned kSendTimeoutMs = 5000;

  std::vector<WindowHandle> topLevelWindows() override;
  std::vector<WindowHandle> descendants(WindowHandle w) override;
  bool isWindow(WindowHandle w) override;
  std::string windowTitle(WindowHandle w, int maxBytes) override;
  std::string className(WindowHandle w) override;
  WindowHandle parentOrOwner(WindowHandle w) override;
  WindowHandle findWindowByTitle(const std::string& title) override;
  int textLength(WindowHandle w) override;
  std::string getText(WindowHandle w, int bufferBytes) override;
  bool sendCopyData(WindowHandle w, std::uintptr_t dwData, const std::string& bytes) override;
  bool postNull(WindowHandle w) override;
  bool sendCommand(WindowHandle w, std::uintptr_t wParam, std::intptr_t lParam) override;
  void pressButton(WindowHandle button) override;
  bool postAtomMessage(WindowHandle w, const std::string& messageName, const std::string& text) override;
};

class Win32Clipboard : public Clipboard {
 public:
  ~Win32Clipboard() override;
  void clear() override;
  std::string getText() override;
  void setText(const std::string& text) override;

 private:
  bool open();
  std::uintptr_t owner_ = 0;  // a message-only window that owns what we put there
};

class Win32Processes : public Processes {
 public:
  bool createProcess(const std::string& commandLine, bool showWindow) override;
  bool createProcessAndWaitIdle(const std::string& commandLine, int stepMs,
                                const std::function<void()>& pump) override;
  bool shellOpen(const std::string& file, WindowHandle owner) override;
  bool runHidden(const std::string& commandLine) override;
  std::optional<int> osPlatformId() override;
  bool endProcessOfWindow(WindowHandle w, int waitMs) override;
};

class Win32Printers : public Printers {
 public:
  std::vector<std::string> installedPrinters() override;
};

}  // namespace platform
