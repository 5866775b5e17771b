#include <windows.h>
#include <shellapi.h>

#include "platform/win32/win32_backends.h"
#include "platform/win32/win32_text.h"

namespace platform {

namespace {

// CreateProcessW may write into the command line, so it gets its own copy.
// showCommand < 0: default start-up settings.
bool startProcess(const std::string& commandLine, int showCommand, PROCESS_INFORMATION& pi) {
  std::wstring buffer = win32text::wide(commandLine);
  buffer.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (showCommand >= 0) {
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(showCommand);
  }
  pi = PROCESS_INFORMATION{};
  return CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != 0;
}

void closeHandles(PROCESS_INFORMATION& pi) {
  if (pi.hThread) CloseHandle(pi.hThread);
  if (pi.hProcess) CloseHandle(pi.hProcess);
  pi = PROCESS_INFORMATION{};
}

}  // namespace

bool Win32Processes::createProcess(const std::string& commandLine, bool showWindow) {
  PROCESS_INFORMATION pi;
  if (!startProcess(commandLine, showWindow ? SW_SHOW : -1, pi)) return false;
  closeHandles(pi);
  return true;
}

bool Win32Processes::createProcessAndWaitIdle(const std::string& commandLine, int stepMs,
                                              const std::function<void()>& pump) {
  PROCESS_INFORMATION pi;
  if (!startProcess(commandLine, SW_SHOW, pi)) return false;
  // Our own windows stay responsive while the program comes up.
  DWORD r;
  do {
    r = WaitForInputIdle(pi.hProcess, static_cast<DWORD>(stepMs > 0 ? stepMs : 0));
    if (pump) pump();
  } while (r == WAIT_TIMEOUT);
  closeHandles(pi);
  return true;
}

bool Win32Processes::shellOpen(const std::string& file, WindowHandle owner) {
  const std::wstring w = win32text::wide(file);
  const HINSTANCE r = ShellExecuteW(reinterpret_cast<HWND>(owner), L"open", w.c_str(), L"", L"", SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(r) > 32;
}

bool Win32Processes::runHidden(const std::string& commandLine) {
  PROCESS_INFORMATION pi;
  if (!startProcess(commandLine, SW_HIDE, pi)) return false;
  closeHandles(pi);
  return true;
}

std::optional<int> Win32Processes::osPlatformId() {
  OSVERSIONINFOW vi{};
  vi.dwOSVersionInfoSize = sizeof vi;
  if (!GetVersionExW(&vi)) return std::nullopt;
  return static_cast<int>(vi.dwPlatformId);
}

bool Win32Processes::endProcessOfWindow(WindowHandle w, int waitMs) {
  const HWND h = reinterpret_cast<HWND>(w);
  if (w == 0 || !IsWindow(h)) return false;
  DWORD id = 0;
  GetWindowThreadProcessId(h, &id);
  // Never our own process, whatever window we were handed.
  if (id == 0 || id == GetCurrentProcessId()) return false;
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
  if (!process) return false;
  bool ended = TerminateProcess(process, 1) != 0;
  // Its windows go with it; a new AutoCAD is looked for only after that.
  if (ended) ended = WaitForSingleObject(process, static_cast<DWORD>(waitMs > 0 ? waitMs : 0)) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

}  // namespace platform
