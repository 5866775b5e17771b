#include <windows.h>

#include <cstdio>

#include "platform/win32/win32_backends.h"

namespace platform {

namespace {

// GetTickCount64 where Windows has it (Vista on); on XP the 32-bit count,
// widened here, since it wraps after 49.7 days of uptime. It is read far
// more often than that, so one wrap between two readings is the most there
// can be. Only the user-interface thread reads it.
ULONGLONG WINAPI tickCount64() {
  using Tick64Fn = ULONGLONG(WINAPI*)();
  static const auto system = reinterpret_cast<Tick64Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
  if (system) return system();
  static DWORD last = 0;
  static ULONGLONG wraps = 0;
  const DWORD now = GetTickCount();
  if (now < last) wraps += 1;
  last = now;
  return (wraps << 32) | now;
}

}  // namespace

void Win32Clock::sleepMs(int ms) {
  if (ms > 0) Sleep(static_cast<DWORD>(ms));
}

std::int64_t Win32Clock::nowMs() const { return static_cast<std::int64_t>(tickCount64()); }

std::string Win32Clock::localTimeText() const {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char text[32];
  std::snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return text;
}

}  // namespace platform

// The threads library the static C++ runtime brings along (winpthreads)
// imports GetTickCount64 for its timed waits, which would keep the program
// from loading on XP. Its import slot is defined here instead, pointing at
// the lookup above, so the linker takes no import from kernel32 for it.
extern "C" {
#if defined(__i386__)
ULONGLONG(WINAPI* kestrelTick64Slot)() __asm__("__imp__GetTickCount64@0") = platform::tickCount64;
#else
ULONGLONG(WINAPI* kestrelTick64Slot)() __asm__("__imp_GetTickCount64") = platform::tickCount64;
#endif
}
