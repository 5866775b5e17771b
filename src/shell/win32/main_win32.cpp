// The program entry of Kestrel.exe: the real platform and widget backends,
// then the portable program.
#include <windows.h>

#include "platform/win32/win32_platform.h"
#include "shell/program.h"
#include "ui/application.h"
#include "ui/win32/win32_backend.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  platform::win32::Win32Platform os;
  platform::setContext(os.context());
  ui::Win32Backend backend;
  ui::setBackend(&backend);
  ui::dispatch([&] {
    shell::Program program;
    program.run();
  });
  ui::setBackend(nullptr);
  return 0;
}
