// A simulated desktop: windows of other programs as plain records, with
// handlers standing for what those programs do with the messages they get.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/desktop.h"
#include "platform/printers.h"
#include "platform/processes.h"

namespace platform {

struct SimWindow {
  WindowHandle handle = 0;
  std::string title;  // window text
  std::string className;
  WindowHandle parent = 0;  // child windows: the parent; top-level: the owner
  bool topLevel = true;
  std::vector<WindowHandle> children;
  // A hung program: every message to it times out.
  bool hung = false;
  // A program busy with other work answers a sent message only once it is
  // done: called first, it lets the simulated time run until then.
  std::function<void()> busy;
  std::function<bool(std::uintptr_t dwData, const std::string& bytes)> onCopyData;
  std::function<void()> onNull;
  std::function<void(std::uintptr_t wParam, std::intptr_t lParam)> onCommand;
  std::function<void()> onPress;
  std::function<void(const std::string& messageName, const std::string& text)> onAtomMessage;
};

class SimDesktop : public Desktop {
 public:
  // Top-level windows are listed newest first, as the system lists the
  // z-order after a window has been created and activated.
  WindowHandle createTopLevel(const std::string& title, const std::string& className, WindowHandle owner = 0);
  WindowHandle createChild(WindowHandle parent, const std::string& title, const std::string& className);
  void destroyWindow(WindowHandle w);  // with its descendants
  void setTitle(WindowHandle w, const std::string& title);
  SimWindow* window(WindowHandle w);  // null when gone

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

  // Every copy-data message sent, for tests: (window, bytes).
  std::vector<std::pair<WindowHandle, std::string>> copyDataLog;
  // Copy-data messages to a window that is gone or hung: on Windows each
  // costs a message time-out.
  int refusedCopyData = 0;

 private:
  // The window, once its program is free to answer (see SimWindow::busy).
  SimWindow* waitUntilFree(WindowHandle h);
  // A new window record under the next handle; the caller links it in.
  WindowHandle addWindow(const std::string& title, const std::string& className, WindowHandle parent,
                         bool topLevel);
  void collect(WindowHandle w, std::vector<WindowHandle>& out);
  WindowHandle next_ = 0x10010;
  std::map<WindowHandle, std::unique_ptr<SimWindow>> windows_;
  std::vector<WindowHandle> zorder_;  // top-level, first = top
};

class SimClipboard : public Clipboard {
 public:
  void clear() override { text_.clear(); }
  std::string getText() override { return text_; }
  void setText(const std::string& t) override { text_ = t; }

 private:
  std::string text_;
};

class SimProcesses : public Processes {
 public:
  using Launcher = std::function<bool(const std::string& commandLine)>;
  // A program path (compared without regard to case) and what starting it does.
  void registerProgram(const std::string& path, Launcher launch);
  // What opening a file with this extension (".dwg") through the shell does.
  void associate(const std::string& extension, std::function<bool(const std::string& file)> open);

  bool createProcess(const std::string& commandLine, bool showWindow) override;
  bool createProcessAndWaitIdle(const std::string& commandLine, int stepMs,
                                const std::function<void()>& pump) override;
  bool shellOpen(const std::string& file, WindowHandle owner) override;
  bool runHidden(const std::string& commandLine) override;
  std::optional<int> osPlatformId() override { return platformId; }
  // Asks the program owning the window (its ender, set by whoever shows
  // the window) to end.
  bool endProcessOfWindow(WindowHandle w, int waitMs) override;
  // What ending the process of a window does; false: no process of its.
  std::function<bool(WindowHandle)> ender;
  std::vector<WindowHandle> endedByWindow;  // windows whose process was ended, in order

  std::optional<int> platformId = 2;
  std::vector<std::string> created;  // command lines, in order
  std::vector<std::string> opened;   // files opened through the shell
  std::vector<std::string> hidden;   // hidden command lines
  int idleWaitSteps = 1;             // how many idle waits a start takes

 private:
  Launcher find(const std::string& commandLine);
  std::vector<std::pair<std::string, Launcher>> programs_;
  std::map<std::string, std::function<bool(const std::string&)>> associations_;
};

class SimPrinters : public Printers {
 public:
  std::vector<std::string> installedPrinters() override { return printers; }
  std::vector<std::string> printers;
};

}  // namespace platform
