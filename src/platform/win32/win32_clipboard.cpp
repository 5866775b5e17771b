#include <windows.h>

#include <cstring>

#include "platform/win32/win32_backends.h"
#include "platform/win32/win32_text.h"

namespace platform {

namespace {
constexpr int kOpenTries = 10;
constexpr DWORD kRetryPauseMs = 20;
}  // namespace

Win32Clipboard::~Win32Clipboard() {
  if (owner_) DestroyWindow(reinterpret_cast<HWND>(owner_));
}

// Another program may hold the clipboard for a moment: try a few times.
bool Win32Clipboard::open() {
  // Data set while the clipboard is opened without an owner is refused, so
  // a message-only window of ours owns it.
  if (!owner_)
    owner_ = reinterpret_cast<std::uintptr_t>(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                                              nullptr, GetModuleHandleW(nullptr), nullptr));
  for (int i = 0; i < kOpenTries; ++i) {
    if (OpenClipboard(reinterpret_cast<HWND>(owner_))) return true;
    Sleep(kRetryPauseMs);
  }
  return false;
}

void Win32Clipboard::clear() {
  if (!open()) return;
  EmptyClipboard();
  CloseClipboard();
}

std::string Win32Clipboard::getText() {
  if (!open()) return {};
  std::string out;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
      const size_t units = GlobalSize(data) / sizeof(wchar_t);
      out = win32text::narrow(text, wcsnlen(text, units));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return out;
}

void Win32Clipboard::setText(const std::string& text) {
  const std::wstring w = win32text::wide(text);
  if (!open()) return;
  EmptyClipboard();
  const size_t bytes = (w.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* p = GlobalLock(mem)) {
      std::memcpy(p, w.c_str(), bytes);
      GlobalUnlock(mem);
      // On success the system owns the memory.
      if (!SetClipboardData(CF_UNICODETEXT, mem)) GlobalFree(mem);
    } else {
      GlobalFree(mem);
    }
  }
  CloseClipboard();
}

}  // namespace platform
