#include <windows.h>

#include <algorithm>

#include "base/codec.h"
#include "platform/win32/win32_backends.h"
#include "platform/win32/win32_text.h"

namespace platform {

namespace {

using win32text::cp932Length;
using win32text::narrow;
using win32text::wide;

HWND hwnd(WindowHandle w) { return reinterpret_cast<HWND>(w); }
WindowHandle handleOf(HWND h) { return reinterpret_cast<WindowHandle>(h); }

// A hung program must not hang ours: it counts as gone.
bool sendTimed(WindowHandle w, UINT msg, WPARAM wParam, LPARAM lParam, DWORD_PTR* result = nullptr) {
  if (w == 0) return false;
  DWORD_PTR r = 0;
  const LRESULT ok = SendMessageTimeoutW(hwnd(w), msg, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                         Win32Desktop::kSendTimeoutMs, &r);
  if (result) *result = r;
  return ok != 0;
}

BOOL CALLBACK collectWindow(HWND h, LPARAM out) {
  reinterpret_cast<std::vector<WindowHandle>*>(out)->push_back(handleOf(h));
  return TRUE;
}

// WM_GETTEXT with room for `units` UTF-16 units; empty when the window is
// gone or does not answer.
std::wstring fetchText(WindowHandle w, size_t units) {
  std::wstring buf(units + 1, L'\0');
  if (!sendTimed(w, WM_GETTEXT, static_cast<WPARAM>(buf.size()), reinterpret_cast<LPARAM>(buf.data())))
    return {};
  // Up to the NUL: some windows answer a count that is not the text's.
  buf.resize(std::min<size_t>(wcsnlen(buf.data(), buf.size()), units));
  return buf;
}

}  // namespace

std::vector<WindowHandle> Win32Desktop::topLevelWindows() {
  std::vector<WindowHandle> out;
  EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&out));
  return out;
}

std::vector<WindowHandle> Win32Desktop::descendants(WindowHandle w) {
  std::vector<WindowHandle> out;
  // EnumChildWindows(NULL) would list the top-level windows instead.
  if (w == 0 || !IsWindow(hwnd(w))) return out;
  EnumChildWindows(hwnd(w), collectWindow, reinterpret_cast<LPARAM>(&out));
  return out;
}

bool Win32Desktop::isWindow(WindowHandle w) { return w != 0 && IsWindow(hwnd(w)); }

std::string Win32Desktop::windowTitle(WindowHandle w, int maxBytes) {
  if (w == 0 || maxBytes <= 0) return {};
  // maxBytes - 1 CP932 bytes never need more UTF-16 units than that.
  std::wstring buf(static_cast<size_t>(maxBytes) + 1, L'\0');
  const int n = GetWindowTextW(hwnd(w), buf.data(), static_cast<int>(buf.size()));
  if (n <= 0) return {};
  return base::truncateToCp932Bytes(narrow(buf.data(), static_cast<size_t>(n)), static_cast<size_t>(maxBytes - 1));
}

std::string Win32Desktop::className(WindowHandle w) {
  if (w == 0) return {};
  wchar_t buf[257];
  const int n = GetClassNameW(hwnd(w), buf, 257);
  return n > 0 ? narrow(buf, static_cast<size_t>(n)) : std::string();
}

WindowHandle Win32Desktop::parentOrOwner(WindowHandle w) {
  return w == 0 ? 0 : handleOf(GetParent(hwnd(w)));
}

WindowHandle Win32Desktop::findWindowByTitle(const std::string& title) {
  return handleOf(FindWindowW(nullptr, wide(title).c_str()));
}

int Win32Desktop::textLength(WindowHandle w) {
  DWORD_PTR units = 0;
  if (!sendTimed(w, WM_GETTEXTLENGTH, 0, 0, &units) || units == 0) return 0;
  // The system counts UTF-16 units; the callers count CP932 bytes.
  return static_cast<int>(cp932Length(fetchText(w, units)));
}

std::string Win32Desktop::getText(WindowHandle w, int bufferBytes) {
  if (bufferBytes <= 0) return {};
  const std::wstring text = fetchText(w, static_cast<size_t>(bufferBytes));
  return base::truncateToCp932Bytes(narrow(text), static_cast<size_t>(bufferBytes - 1));
}

bool Win32Desktop::sendCopyData(WindowHandle w, std::uintptr_t dwData, const std::string& bytes) {
  COPYDATASTRUCT cds{};
  cds.dwData = static_cast<ULONG_PTR>(dwData);
  cds.cbData = static_cast<DWORD>(bytes.size());
  cds.lpData = const_cast<char*>(bytes.data());
  // Delivered is what counts: what the receiver answers is its own affair.
  return sendTimed(w, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
}

bool Win32Desktop::postNull(WindowHandle w) {
  // PostMessage(NULL) would post to our own thread.
  return w != 0 && PostMessageW(hwnd(w), WM_NULL, 0, 0) != 0;
}

bool Win32Desktop::sendCommand(WindowHandle w, std::uintptr_t wParam, std::intptr_t lParam) {
  return sendTimed(w, WM_COMMAND, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

void Win32Desktop::pressButton(WindowHandle button) {
  if (!isWindow(button)) return;
  SetForegroundWindow(hwnd(button));
  if (sendTimed(button, WM_LBUTTONDOWN, 0, 0)) sendTimed(button, WM_LBUTTONUP, 0, 0);
}

bool Win32Desktop::postAtomMessage(WindowHandle w, const std::string& messageName, const std::string& text) {
  if (w == 0) return false;
  const std::wstring name = wide(messageName);
  const std::wstring value = wide(text);
  // An atom holds at most 255 bytes; a longer text is refused, not cut.
  if (name.empty() || cp932Length(name) > 255 || cp932Length(value) > 255) return false;
  const UINT message = RegisterWindowMessageW(name.c_str());
  if (message == 0) return false;
  const ATOM atom = GlobalAddAtomW(value.c_str());
  if (atom == 0) return false;
  // Once posted the receiver owns the atom; only an undelivered one is ours to free.
  if (!PostMessageW(hwnd(w), message, static_cast<WPARAM>(atom), 0)) {
    GlobalDeleteAtom(atom);
    return false;
  }
  return true;
}

}  // namespace platform
