// The windows of other programs, as the link to AutoCAD sees them. Texts are
// UTF-8; the Win32 backend reads them with the W functions. Every call on a
// window that has vanished (or does not answer in time) gives an empty text,
// zero or false, never an error.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

using WindowHandle = std::uintptr_t;  // 0 = none

class Desktop {
 public:
  virtual ~Desktop() = default;

  // All top-level windows, visible or hidden, in the system's order.
  virtual std::vector<WindowHandle> topLevelWindows() = 0;
  // All descendants at every depth, in the system's order.
  virtual std::vector<WindowHandle> descendants(WindowHandle w) = 0;
  virtual bool isWindow(WindowHandle w) = 0;
  // Title / text read with a buffer of maxBytes CP932 bytes (the result is
  // cut to maxBytes-1 bytes of its CP932 form, as the system does).
  virtual std::string windowTitle(WindowHandle w, int maxBytes = 255) = 0;
  virtual std::string className(WindowHandle w) = 0;
  // GetParent: the parent of a child window, the owner of a top-level one.
  virtual WindowHandle parentOrOwner(WindowHandle w) = 0;
  // FindWindow with an exact title, any class.
  virtual WindowHandle findWindowByTitle(const std::string& title) = 0;

  // WM_GETTEXTLENGTH / WM_GETTEXT. textLength counts CP932 bytes.
  virtual int textLength(WindowHandle w) = 0;
  virtual std::string getText(WindowHandle w, int bufferBytes) = 0;

  // WM_COPYDATA, wParam 0, synchronously; data is sent as given (the caller
  // adds the NUL). False when the window is gone or did not answer in time.
  virtual bool sendCopyData(WindowHandle w, std::uintptr_t dwData, const std::string& bytes) = 0;
  // PostMessage WM_NULL.
  virtual bool postNull(WindowHandle w) = 0;
  // SendMessage WM_COMMAND.
  virtual bool sendCommand(WindowHandle w, std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // Brings a button to the foreground, then WM_LBUTTONDOWN and WM_LBUTTONUP.
  virtual void pressButton(WindowHandle button) = 0;
  // RegisterWindowMessage(messageName), GlobalAddAtom(text), PostMessage
  // (message, atom, 0). Both texts are at most 255 bytes in CP932.
  virtual bool postAtomMessage(WindowHandle w, const std::string& messageName,
                               const std::string& text) = 0;
};

}  // namespace platform
