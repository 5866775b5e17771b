#include "platform/sim/sim_desktop.h"

#include <algorithm>

#include "base/codec.h"
#include "base/text.h"

namespace platform {

WindowHandle SimDesktop::addWindow(const std::string& title, const std::string& cls, WindowHandle parent,
                                   bool topLevel) {
  auto w = std::make_unique<SimWindow>();
  const WindowHandle h = next_;
  next_ += 0x10;
  w->handle = h;
  w->title = title;
  w->className = cls;
  w->parent = parent;
  w->topLevel = topLevel;
  windows_[h] = std::move(w);
  return h;
}

WindowHandle SimDesktop::createTopLevel(const std::string& title, const std::string& cls, WindowHandle owner) {
  const WindowHandle h = addWindow(title, cls, owner, true);
  zorder_.insert(zorder_.begin(), h);
  return h;
}

WindowHandle SimDesktop::createChild(WindowHandle parent, const std::string& title, const std::string& cls) {
  SimWindow* p = window(parent);
  if (!p) return 0;
  const WindowHandle h = addWindow(title, cls, parent, false);
  p->children.push_back(h);
  return h;
}

void SimDesktop::destroyWindow(WindowHandle h) {
  SimWindow* w = window(h);
  if (!w) return;
  std::vector<WindowHandle> kids = w->children;
  for (WindowHandle k : kids) destroyWindow(k);
  if (!w->topLevel) {
    if (SimWindow* p = window(w->parent)) {
      auto& c = p->children;
      c.erase(std::remove(c.begin(), c.end(), h), c.end());
    }
  }
  zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), h), zorder_.end());
  windows_.erase(h);
}

void SimDesktop::setTitle(WindowHandle h, const std::string& title) {
  if (SimWindow* w = window(h)) w->title = title;
}

SimWindow* SimDesktop::window(WindowHandle h) {
  auto it = windows_.find(h);
  return it == windows_.end() ? nullptr : it->second.get();
}

std::vector<WindowHandle> SimDesktop::topLevelWindows() { return zorder_; }

void SimDesktop::collect(WindowHandle h, std::vector<WindowHandle>& out) {
  SimWindow* w = window(h);
  if (!w) return;
  for (WindowHandle k : w->children) {
    out.push_back(k);
    collect(k, out);
  }
}

std::vector<WindowHandle> SimDesktop::descendants(WindowHandle h) {
  std::vector<WindowHandle> out;
  collect(h, out);
  return out;
}

bool SimDesktop::isWindow(WindowHandle h) { return window(h) != nullptr; }

std::string SimDesktop::windowTitle(WindowHandle h, int maxBytes) {
  SimWindow* w = window(h);
  if (!w || maxBytes <= 0) return {};
  return base::truncateToCp932Bytes(w->title, static_cast<size_t>(maxBytes - 1));
}

std::string SimDesktop::className(WindowHandle h) {
  SimWindow* w = window(h);
  return w ? w->className : std::string();
}

WindowHandle SimDesktop::parentOrOwner(WindowHandle h) {
  SimWindow* w = window(h);
  return w ? w->parent : 0;
}

WindowHandle SimDesktop::findWindowByTitle(const std::string& title) {
  for (WindowHandle h : zorder_)
    if (window(h)->title == title) return h;
  return 0;
}

SimWindow* SimDesktop::waitUntilFree(WindowHandle h) {
  SimWindow* w = window(h);
  if (w && w->busy && !w->hung) {
    auto wait = w->busy;
    wait();
    w = window(h);  // the wait may have taken the window away
  }
  return w;
}

int SimDesktop::textLength(WindowHandle h) {
  SimWindow* w = waitUntilFree(h);
  if (!w || w->hung) return 0;
  auto bytes = base::tryUtf8ToCp932(w->title);
  return bytes ? static_cast<int>(bytes->size()) : static_cast<int>(w->title.size());
}

std::string SimDesktop::getText(WindowHandle h, int bufferBytes) {
  SimWindow* w = waitUntilFree(h);
  if (!w || w->hung || bufferBytes <= 0) return {};
  return base::truncateToCp932Bytes(w->title, static_cast<size_t>(bufferBytes - 1));
}

bool SimDesktop::sendCopyData(WindowHandle h, std::uintptr_t dwData, const std::string& bytes) {
  SimWindow* w = waitUntilFree(h);
  if (!w || w->hung) {
    ++refusedCopyData;
    return false;
  }
  copyDataLog.emplace_back(h, bytes);
  if (!w->onCopyData) return false;
  // The handler may destroy windows; keep a copy of it.
  auto handler = w->onCopyData;
  return handler(dwData, bytes);
}

bool SimDesktop::postNull(WindowHandle h) {
  SimWindow* w = window(h);
  if (!w) return false;
  if (w->onNull && !w->hung) {
    auto handler = w->onNull;
    handler();
  }
  return true;
}

bool SimDesktop::sendCommand(WindowHandle h, std::uintptr_t wParam, std::intptr_t lParam) {
  SimWindow* w = waitUntilFree(h);
  if (!w || w->hung) return false;
  if (w->onCommand) {
    auto handler = w->onCommand;
    handler(wParam, lParam);
  }
  return true;
}

void SimDesktop::pressButton(WindowHandle h) {
  SimWindow* w = waitUntilFree(h);
  if (!w || w->hung || !w->onPress) return;
  auto handler = w->onPress;
  handler();
}

bool SimDesktop::postAtomMessage(WindowHandle h, const std::string& name, const std::string& text) {
  SimWindow* w = window(h);
  if (!w) return false;
  if (w->onAtomMessage) {
    auto handler = w->onAtomMessage;
    handler(name, text);
  }
  return true;
}

// ---------------------------------------------------------------- processes

void SimProcesses::registerProgram(const std::string& path, Launcher launch) {
  programs_.emplace_back(path, std::move(launch));
}

void SimProcesses::associate(const std::string& ext, std::function<bool(const std::string&)> open) {
  associations_[base::asciiLower(ext)] = std::move(open);
}

SimProcesses::Launcher SimProcesses::find(const std::string& commandLine) {
  // The longest registered path that begins the command line.
  const Launcher* best = nullptr;
  size_t bestLen = 0;
  for (auto& [path, launch] : programs_) {
    if (path.size() > commandLine.size() || path.size() < bestLen) continue;
    if (base::equalsNoCase(commandLine.substr(0, path.size()), path) &&
        (commandLine.size() == path.size() || commandLine[path.size()] == ' ')) {
      best = &launch;
      bestLen = path.size();
    }
  }
  return best ? *best : Launcher();
}

bool SimProcesses::createProcess(const std::string& commandLine, bool) {
  created.push_back(commandLine);
  Launcher l = find(commandLine);
  return l ? l(commandLine) : false;
}

bool SimProcesses::createProcessAndWaitIdle(const std::string& commandLine, int, const std::function<void()>& pump) {
  if (!createProcess(commandLine, true)) return false;
  for (int i = 0; i < idleWaitSteps; ++i)
    if (pump) pump();
  return true;
}

bool SimProcesses::shellOpen(const std::string& file, WindowHandle) {
  opened.push_back(file);
  auto dot = file.find_last_of('.');
  if (dot == std::string::npos) return false;
  auto it = associations_.find(base::asciiLower(file.substr(dot)));
  return it != associations_.end() && it->second(file);
}

bool SimProcesses::runHidden(const std::string& commandLine) {
  hidden.push_back(commandLine);
  return true;
}

bool SimProcesses::endProcessOfWindow(WindowHandle w, int) {
  if (w == 0 || !ender || !ender(w)) return false;
  endedByWindow.push_back(w);
  return true;
}

}  // namespace platform
