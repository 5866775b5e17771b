// Shared by the Win32 backend's files: the peer base class, the backend's
// state and small text helpers. Not for use outside src/ui/win32/.
#pragma once
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/application.h"
#include "ui/widgets.h"
#include "ui/win32/win32_backend.h"

namespace ui::win32 {

// ---------------------------------------------------------------- text

std::wstring wide(const std::string& utf8);
std::string narrow(const wchar_t* text, size_t length);
std::string narrow(const std::wstring& text);
std::string windowText(HWND hwnd);
void setWindowText(HWND hwnd, const std::string& utf8);

// Lines of an edit control's text: CR LF (or a lone LF) separates them; a
// final line break does not start another line.
std::vector<std::string> splitLines(const std::string& text);

// Runs a model call from inside a window procedure: no exception may cross
// back into the system's code.
template <typename F>
void guarded(F&& f) {
  dispatch(std::function<void()>(std::forward<F>(f)));
}

// ---------------------------------------------------------------- peers

class FormPeer;
class Backend32;

// The peer of one control: owns its window (and any helper windows).
class WinPeer : public Peer {
 public:
  WinPeer(Backend32& app, Control& control) : app_(app), control_(control) {}
  ~WinPeer() override;

  std::uintptr_t handle() const override { return reinterpret_cast<std::uintptr_t>(hwnd_); }
  HWND hwnd() const { return hwnd_; }
  Control& control() const { return control_; }

  // Creates the window(s) inside `parent`, hidden or shown as the control
  // says, and mirrors the whole state.
  virtual void create(HWND parent) = 0;
  // Where child controls go (the group box of a radio group, the panel).
  virtual HWND containerHwnd() const { return hwnd_; }

  void sync(Prop p) override;

  // Messages the parent receives on behalf of this control.
  virtual bool command(int code, HWND from) { return false; }
  virtual bool notifyMsg(NMHDR* header, LRESULT& result) { return false; }
  virtual bool drawItem(DRAWITEMSTRUCT* item) { return false; }
  // WM_CTLCOLORSTATIC: true with the background brush in `result` when the
  // control chose its own colours in `dc`.
  virtual bool ctlColor(HDC dc, LRESULT& result) { return false; }

  // A focus move by arrow keys between the windows of one control.
  virtual void keyFocus(HWND target) {}

  // The peer of a window created by this backend, or null.
  static WinPeer* of(HWND hwnd);
  // Takes ownership of the window: tags it, gives it the UI font. Own
  // window classes call it from WM_NCCREATE.
  void adopt(HWND hwnd, bool setFont = true);
  // Marks a helper window (a radio button of a group) as this peer's.
  static void tag(HWND hwnd, WinPeer* peer);
  static void untag(HWND hwnd);

 protected:
  // Window position for the control's bounds (hook for controls whose
  // window is taller than their design, like combo boxes).
  virtual Rect windowRect() const { return control_.bounds(); }
  void applyCommon();  // enabled, visible, hint
  HWND createChild(const wchar_t* cls, DWORD style, DWORD exStyle, HWND parent, const std::wstring& text = {});
  FormPeer* formPeer() const;
  // Untags and destroys the window now (before members it uses go).
  void destroyWindow();

  Backend32& app_;
  Control& control_;
  HWND hwnd_ = nullptr;
  int suppress_ = 0;  // >0 while the program itself changes the window
};

// Creates the peer for one control (not a form); null for unknown kinds.
std::unique_ptr<WinPeer> makeControlPeer(Backend32& app, Control& control);
std::unique_ptr<WinPeer> makeGridPeer(Backend32& app, StringGrid& grid);

// Window class names registered by the backend.
inline constexpr const wchar_t* kFormClass = L"KestrelForm";
inline constexpr const wchar_t* kContainerClass = L"KestrelPanel";
inline constexpr const wchar_t* kGridClass = L"KestrelGrid";

// ---------------------------------------------------------------- backend state

class Backend32 {
 public:
  Backend32();
  ~Backend32();

  HINSTANCE instance() const { return instance_; }
  HFONT font() const { return font_; }
  const std::wstring& fontFace() const { return fontFace_; }
  const std::string& title() const { return title_; }
  void setTitle(const std::string& t);

  // Creates the peers of every control under `control` that has none yet.
  void realizeChildren(Control& control);
  void realizeForm(Form& form);

  void registerForm(FormPeer* f);
  void unregisterForm(FormPeer* f);
  FormPeer* formOfWindow(HWND hwnd) const;  // the form the window is on
  const std::vector<FormPeer*>& forms() const { return forms_; }

  // One message through keyboard handling (Enter, Escape, Tab...) and
  // dispatch.
  void pump(MSG& msg);
  Form* mainForm = nullptr;

  // Builds a native menu; ids map to items in `ids`.
  HMENU buildMenu(const std::vector<std::unique_ptr<MenuItem>>& items, bool popup,
                  std::map<UINT, MenuItem*>& ids, UINT& nextId);
  void trackPopup(HWND owner, Menu& menu);

  // Text extent in the UI font (for controls that grow to their caption).
  SIZE textExtent(const std::string& text) const;
  int fontHeight() const { return fontHeight_; }

 private:
  bool preTranslate(MSG& msg);
  void chooseFont();

  HINSTANCE instance_;
  HFONT font_ = nullptr;
  std::wstring fontFace_;
  int fontHeight_ = 12;
  std::string title_;
  std::vector<FormPeer*> forms_;
};

// The form's own peer: the top-level window, its menu and tooltips.
class FormPeer : public WinPeer {
 public:
  FormPeer(Backend32& app, Form& form);
  ~FormPeer() override;
  void create(HWND parent) override;
  void sync(Prop p) override;
  Form& form() const { return form_; }

  // Dispatches the messages that controls send to their parent; containers
  // forward theirs here.
  bool childMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result);
  // Enter and Escape: the default and cancel buttons.
  bool handleDialogKey(const MSG& msg);
  void setToolTip(HWND control, const std::string& text);
  void focusFirst();
  void applyAcceptFiles();

  static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l);

 private:
  LRESULT handle(UINT msg, WPARAM w, LPARAM l);
  void rebuildMenu();
  void refreshMenu(HMENU menu);
  Button* findButton(bool cancel) const;

  Form& form_;
  HMENU menu_ = nullptr;
  std::map<UINT, MenuItem*> menuIds_;
  UINT nextMenuId_ = 1000;  // clear of IDOK/IDCANCEL that dialog keys send
  HWND tooltip_ = nullptr;
  HWND lastFocus_ = nullptr;
  bool reflecting_ = false;  // moving the model's bounds after the user moved the window
};

// Window procedure of panels, group boxes and radio groups.
LRESULT CALLBACK containerProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l);
LRESULT CALLBACK gridProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l);

}  // namespace ui::win32
