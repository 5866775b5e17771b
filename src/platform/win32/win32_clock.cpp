#include <windows.h>

#include <cstdio>

#include "platform/win32/win32_backends.h"

namespace platform {

void Win32Clock::sleepMs(int ms) {
  if (ms > 0) Sleep(static_cast<DWORD>(ms));
}

std::int64_t Win32Clock::nowMs() const { return static_cast<std::int64_t>(GetTickCount64()); }

std::string Win32Clock::localTimeText() const {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char text[32];
  std::snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return text;
}

}  // namespace platform
