#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <objbase.h>

#include "platform/win32/win32_text.h"

namespace platform::win32 {

std::string executableFolder() {
  // Long paths: grow the buffer until the whole path fits.
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    buf.resize(buf.size() * 2);
  }
  const size_t cut = buf.find_last_of(L"\\/");
  if (cut == std::wstring::npos) return {};
  return win32text::narrow(buf.substr(0, cut + 1));
}

ComApartment::ComApartment() {
  // S_FALSE (already initialised on this thread) must be balanced as well.
  const HRESULT hr = CoInitialize(nullptr);
  owned_ = hr == S_OK || hr == S_FALSE;
}

ComApartment::~ComApartment() {
  if (owned_) CoUninitialize();
}

Win32Platform::Win32Platform() : programFolder(executableFolder()) {}

Context Win32Platform::context() {
  Context c;
  c.clock = &clock;
  c.desktop = &desktop;
  c.clipboard = &clipboard;
  c.processes = &processes;
  c.printers = &printers;
  c.shell = &shell;
  c.automation = &automation;
  c.programFolder = programFolder;
  return c;
}

}  // namespace platform::win32
