// The platform context of the real program: the Win32 backends and the
// folder of the program's own executable. The entry point keeps one
// Win32Platform for the whole run and hands its context to setContext.
#pragma once
#include <string>

#include "platform/context.h"
#include "platform/win32/win32_automation.h"
#include "platform/win32/win32_backends.h"
#include "platform/win32/win32_shell.h"

namespace platform::win32 {

// The folder of the running executable, with a trailing "\".
std::string executableFolder();

// COM on the user-interface thread, for the program's whole run: the
// automation objects need it on the thread that uses them.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool owned_ = false;
};

class Win32Platform {
 public:
  Win32Platform();
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // Points at this object's backends: valid while it lives.
  Context context();

  // First, so that it is initialised before and ended after every backend.
  ComApartment com;
  Win32Clock clock;
  Win32Desktop desktop;
  Win32Clipboard clipboard;
  Win32Processes processes;
  Win32Printers printers;
  Win32Shell shell;
  Win32Automation automation;
  std::string programFolder;
};

}  // namespace platform::win32
