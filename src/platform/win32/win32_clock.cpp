#include <windows.h>

#include "platform/win32/win32_backends.h"

namespace platform {

void Win32Clock::sleepMs(int ms) {
  if (ms > 0) Sleep(static_cast<DWORD>(ms));
}

std::int64_t Win32Clock::nowMs() const { return static_cast<std::int64_t>(GetTickCount64()); }

}  // namespace platform
