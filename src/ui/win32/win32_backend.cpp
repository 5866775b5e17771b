// The Win32 backend: application state, forms, menus, the message loops and
// message boxes. Control peers are in win32_controls.cpp and the string grid
// in win32_grid.cpp.
#include "ui/win32/win32_backend.h"

#include <algorithm>
#include <stdexcept>

#include "base/codec.h"
#include "ui/win32/win32_internal.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

namespace ui::win32 {

namespace {
const wchar_t* const kPeerProp = L"KestrelPeer";
}  // namespace

// ---------------------------------------------------------------- text

std::wstring wide(const std::string& utf8) {
  std::u16string u = base::utf8ToUtf16(utf8);
  return std::wstring(u.begin(), u.end());
}

std::string narrow(const wchar_t* text, size_t length) {
  return base::utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

std::string narrow(const std::wstring& text) { return narrow(text.data(), text.size()); }

std::string windowText(HWND hwnd) {
  int len = GetWindowTextLengthW(hwnd);
  if (len <= 0) return {};
  std::wstring buf(static_cast<size_t>(len) + 1, L'\0');
  int got = GetWindowTextW(hwnd, buf.data(), len + 1);
  return narrow(buf.data(), static_cast<size_t>(std::max(got, 0)));
}

void setWindowText(HWND hwnd, const std::string& utf8) { SetWindowTextW(hwnd, wide(utf8).c_str()); }

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t nl = text.find('\n', start);
    size_t end = nl == std::string::npos ? text.size() : nl;
    size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    lines.push_back(text.substr(start, stop - start));
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return lines;
}

// ---------------------------------------------------------------- WinPeer

WinPeer::~WinPeer() { destroyWindow(); }

void WinPeer::destroyWindow() {
  if (!hwnd_) return;
  // Untag first: the notifications a dying window sends must find no peer.
  RemovePropW(hwnd_, kPeerProp);
  if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

void WinPeer::tag(HWND hwnd, WinPeer* peer) { SetPropW(hwnd, kPeerProp, peer); }
void WinPeer::untag(HWND hwnd) { RemovePropW(hwnd, kPeerProp); }

WinPeer* WinPeer::of(HWND hwnd) {
  return hwnd ? static_cast<WinPeer*>(GetPropW(hwnd, kPeerProp)) : nullptr;
}

void WinPeer::adopt(HWND hwnd, bool setFont) {
  hwnd_ = hwnd;
  tag(hwnd, this);
  if (setFont) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(app_.font()), FALSE);
}

HWND WinPeer::createChild(const wchar_t* cls, DWORD style, DWORD exStyle, HWND parent, const std::wstring& text) {
  Rect r = windowRect();
  style |= WS_CHILD;
  if (control_.visible()) style |= WS_VISIBLE;
  if (!control_.enabled()) style |= WS_DISABLED;
  HWND h = CreateWindowExW(exStyle, cls, text.c_str(), style, r.left, r.top, r.width, r.height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + control_.tabOrder())),
                           app_.instance(), this);
  if (!h) throw std::runtime_error("cannot create the window of control " + control_.name());
  if (!hwnd_) adopt(h);
  return h;
}

void WinPeer::applyCommon() {
  if (!control_.hint().empty()) sync(Prop::Hint);
}

FormPeer* WinPeer::formPeer() const {
  Form* f = control_.form();
  return f ? static_cast<FormPeer*>(static_cast<WinPeer*>(f->peer())) : nullptr;
}

void WinPeer::sync(Prop p) {
  if (!hwnd_) return;
  switch (p) {
    case Prop::Caption:
      ++suppress_;
      setWindowText(hwnd_, control_.caption());
      --suppress_;
      break;
    case Prop::Enabled:
      EnableWindow(hwnd_, control_.enabled());
      break;
    case Prop::Visible:
      ShowWindow(hwnd_, control_.visible() ? SW_SHOWNA : SW_HIDE);
      break;
    case Prop::Bounds: {
      Rect r = windowRect();
      SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    }
    case Prop::Hint:
      if (FormPeer* f = formPeer()) f->setToolTip(hwnd_, control_.hint());
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------- Backend32

namespace {

int CALLBACK fontExists(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool faceExists(HDC dc, const wchar_t* face) {
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  bool found = false;
  EnumFontFamiliesExW(dc, &lf, fontExists, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// A face that exists only as an alias of a Latin font (as "MS Shell Dlg 2"
// does under Wine) would draw every Japanese caption as boxes.
bool hasJapaneseGlyphs(HDC dc, HFONT font) {
  HGDIOBJ old = SelectObject(dc, font);
  const wchar_t sample[] = L"日本語あア";
  WORD glyphs[5] = {};
  DWORD n = GetGlyphIndicesW(dc, sample, 5, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(dc, old);
  if (n != 5) return false;
  for (WORD g : glyphs)
    if (g == 0xFFFF) return false;
  return true;
}

HFONT makeFont(const wchar_t* face, int dpi) {
  return CreateFontW(-MulDiv(9, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

void registerClass(HINSTANCE inst, const wchar_t* name, WNDPROC proc, UINT style, HBRUSH background) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  if (proc == FormPeer::proc) {
    // The program's icon when its resources have one.
    wc.hIcon = LoadIconW(inst, L"MAINICON");
    if (!wc.hIcon) wc.hIcon = LoadIconW(inst, MAKEINTRESOURCEW(1));
    if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  }
  RegisterClassExW(&wc);  // a second backend finds the class already there
}

}  // namespace

Backend32::Backend32() : instance_(GetModuleHandleW(nullptr)) {
  // The manifest asks for system DPI awareness too; the call covers a
  // loader that ignores it. XP has neither and scales nothing, so it goes
  // without.
  using SetAwareFn = BOOL(WINAPI*)();
  if (auto setAware = reinterpret_cast<SetAwareFn>(
          reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDPIAware"))))
    setAware();
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof icc;
  icc.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_TREEVIEW_CLASSES;
  InitCommonControlsEx(&icc);
  HBRUSH face = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  registerClass(instance_, kFormClass, FormPeer::proc, CS_DBLCLKS, face);
  registerClass(instance_, kContainerClass, containerProc, CS_HREDRAW | CS_VREDRAW, face);
  registerClass(instance_, kGridClass, gridProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, nullptr);
  chooseFont();
}

Backend32::~Backend32() {
  if (font_) DeleteObject(font_);
}

void Backend32::chooseFont() {
  static const wchar_t* const candidates[] = {L"Meiryo UI", L"MS UI Gothic", L"MS Shell Dlg 2", L"IPAGothic",
                                              L"IPAPGothic"};
  HDC dc = GetDC(nullptr);
  int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  const wchar_t* firstExisting = nullptr;
  for (const wchar_t* face : candidates) {
    if (!faceExists(dc, face)) continue;
    if (!firstExisting) firstExisting = face;
    HFONT f = makeFont(face, dpi);
    if (f && hasJapaneseGlyphs(dc, f)) {
      font_ = f;
      fontFace_ = face;
      break;
    }
    if (f) DeleteObject(f);
  }
  if (!font_) {
    // Nothing with Japanese glyphs: still a legible Latin font.
    fontFace_ = firstExisting ? firstExisting : L"MS Shell Dlg 2";
    font_ = makeFont(fontFace_.c_str(), dpi);
  }
  HGDIOBJ old = SelectObject(dc, font_);
  TEXTMETRICW tm{};
  if (GetTextMetricsW(dc, &tm)) fontHeight_ = tm.tmHeight;
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
}

SIZE Backend32::textExtent(const std::string& text) const {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font_);
  std::wstring w = wide(text);
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &r, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void Backend32::setTitle(const std::string& t) {
  title_ = t;
  for (FormPeer* f : forms_)
    if (f->form().caption().empty()) setWindowText(f->hwnd(), t);
}

void Backend32::realizeForm(Form& form) {
  if (!form.peer()) {
    auto peer = std::make_unique<FormPeer>(*this, form);
    FormPeer* raw = peer.get();
    form.attachPeer(std::move(peer));
    raw->create(nullptr);
    realizeChildren(form);
    return;
  }
  realizeChildren(form);  // controls made after the form got its window
}

void Backend32::realizeChildren(Control& control) {
  auto* parent = static_cast<WinPeer*>(control.peer());
  if (!parent) return;
  std::vector<Control*> children = control.children();
  for (Control* c : children) {
    if (!c->peer()) {
      std::unique_ptr<WinPeer> p = makeControlPeer(*this, *c);
      if (!p) continue;  // a kind without a window
      WinPeer* raw = p.get();
      c->attachPeer(std::move(p));
      raw->create(parent->containerHwnd());
    }
    realizeChildren(*c);
  }
}

void Backend32::registerForm(FormPeer* f) { forms_.push_back(f); }

void Backend32::unregisterForm(FormPeer* f) { forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end()); }

FormPeer* Backend32::formOfWindow(HWND hwnd) const {
  if (!hwnd) return nullptr;
  HWND root = GetAncestor(hwnd, GA_ROOT);
  for (FormPeer* f : forms_)
    if (f->hwnd() == root) return f;
  return nullptr;
}

bool Backend32::preTranslate(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  FormPeer* f = formOfWindow(msg.hwnd);
  if (!f) return false;
  if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE) && f->handleDialogKey(msg))
    return true;
  if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4) {
    // Alt+F4 closes the form whichever control has the focus (a tree view
    // under Wine swallows it).
    PostMessageW(f->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
  }
  // Tab, arrow keys between radio buttons, mnemonics.
  return IsDialogMessageW(f->hwnd(), &msg) != 0;
}

void Backend32::pump(MSG& msg) {
  if (preTranslate(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

HMENU Backend32::buildMenu(const std::vector<std::unique_ptr<MenuItem>>& items, bool popup,
                           std::map<UINT, MenuItem*>& ids, UINT& nextId) {
  HMENU m = popup ? CreatePopupMenu() : CreateMenu();
  for (auto& item : items) {
    if (item->caption == "-") {
      AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (item->enabled ? MF_ENABLED : MF_GRAYED);
    std::wstring text = wide(item->caption);
    if (!item->items.empty()) {
      HMENU sub = buildMenu(item->items, true, ids, nextId);
      AppendMenuW(m, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), text.c_str());
    } else {
      UINT id = nextId++;
      ids[id] = item.get();
      AppendMenuW(m, flags, id, text.c_str());
    }
  }
  return m;
}

void Backend32::trackPopup(HWND owner, Menu& menu) {
  std::map<UINT, MenuItem*> ids;
  // Apart from the menu bars' ids: the owner refreshes its bar's items by id
  // when any menu of it opens, this one included.
  UINT next = 40000;
  HMENU m = buildMenu(menu.items, true, ids, next);
  POINT pt{};
  GetCursorPos(&pt);
  // TPM_RETURNCMD: the choice comes back here rather than as WM_COMMAND, so
  // the items need not outlive this call in a map of the form's.
  UINT cmd = TrackPopupMenu(m, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, pt.x, pt.y, 0,
                            owner, nullptr);
  DestroyMenu(m);
  auto it = ids.find(cmd);
  if (cmd && it != ids.end()) {
    MenuItem* item = it->second;
    guarded([item] { item->click(); });
  }
}

// ---------------------------------------------------------------- FormPeer

FormPeer::FormPeer(Backend32& app, Form& form) : WinPeer(app, form), form_(form) { app.registerForm(this); }

FormPeer::~FormPeer() {
  app_.unregisterForm(this);
  if (app_.mainForm == &form_) app_.mainForm = nullptr;
}

void FormPeer::create(HWND) {
  Form& f = form_;
  DWORD style = WS_CLIPCHILDREN |
                (f.resizable ? WS_OVERLAPPEDWINDOW : (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
  if (!f.systemMenu) style &= ~(WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  DWORD ex = WS_EX_CONTROLPARENT | (f.acceptFiles ? WS_EX_ACCEPTFILES : 0) | (f.topMost() ? WS_EX_TOPMOST : 0);
  HWND owner = f.owner() ? reinterpret_cast<HWND>(f.owner()->handle()) : nullptr;
  if (f.menu) menu_ = app_.buildMenu(f.menu->items, false, menuIds_, nextMenuId_);

  const Rect& b = f.bounds();
  int w = b.width, h = b.height;
  if (f.clientWidth > 0 && f.clientHeight > 0) {
    // The designed client area holds the controls; the frame around it is
    // whatever this system's metrics make it.
    RECT rc{0, 0, f.clientWidth, f.clientHeight};
    AdjustWindowRectEx(&rc, style, menu_ != nullptr, ex);
    w = rc.right - rc.left;
    h = rc.bottom - rc.top;
  }
  if (w <= 0) w = 400;
  if (h <= 0) h = 300;
  int x = b.left, y = b.top;
  if (f.position == FormPosition::ScreenCenter) {
    RECT wa{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
    x = wa.left + std::max(0L, (wa.right - wa.left - w) / 2);
    y = wa.top + std::max(0L, (wa.bottom - wa.top - h) / 2);
  }
  std::wstring caption = wide(f.caption().empty() ? app_.title() : f.caption());
  HWND hwnd = CreateWindowExW(ex, kFormClass, caption.c_str(), style, x, y, w, h, owner, menu_, app_.instance(), this);
  if (!hwnd) throw std::runtime_error("cannot create the window of form " + f.className());
  if (f.acceptFiles) DragAcceptFiles(hwnd, TRUE);
  if (!f.enabled()) EnableWindow(hwnd, FALSE);
}

void FormPeer::applyAcceptFiles() {
  if (!hwnd_) return;
  LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
  bool has = (ex & WS_EX_ACCEPTFILES) != 0;
  if (has != form_.acceptFiles) DragAcceptFiles(hwnd_, form_.acceptFiles);
}

void FormPeer::sync(Prop p) {
  if (!hwnd_) return;
  switch (p) {
    case Prop::Caption:
      setWindowText(hwnd_, form_.caption().empty() ? app_.title() : form_.caption());
      break;
    case Prop::Bounds: {
      if (reflecting_) break;
      const Rect& b = form_.bounds();
      SetWindowPos(hwnd_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    }
    case Prop::Visible:
      if (form_.visible()) form_.show();
      else form_.hide();
      break;
    case Prop::Menu:
      rebuildMenu();
      break;
    case Prop::TopMost:
      SetWindowPos(hwnd_, form_.topMost() ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      break;
    case Prop::Enabled:
      EnableWindow(hwnd_, form_.enabled());
      break;
    default:
      break;
  }
}

void FormPeer::rebuildMenu() {
  HMENU old = menu_;
  menuIds_.clear();
  nextMenuId_ = 1000;
  menu_ = form_.menu ? app_.buildMenu(form_.menu->items, false, menuIds_, nextMenuId_) : nullptr;
  SetMenu(hwnd_, menu_);
  if (old) DestroyMenu(old);
  DrawMenuBar(hwnd_);
}

// Items may have been enabled or renamed since the menu was built.
void FormPeer::refreshMenu(HMENU menu) {
  int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    auto it = menuIds_.find(GetMenuItemID(menu, i));
    if (it == menuIds_.end()) continue;
    MenuItem* item = it->second;
    EnableMenuItem(menu, i, MF_BYPOSITION | (item->enabled ? MF_ENABLED : MF_GRAYED));
    std::wstring text = wide(item->caption);
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_STRING;
    mi.dwTypeData = text.data();
    SetMenuItemInfoW(menu, i, TRUE, &mi);
  }
}

void FormPeer::setToolTip(HWND control, const std::string& text) {
  if (!tooltip_) {
    if (text.empty()) return;
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               app_.instance(), nullptr);
    if (!tooltip_) return;
    SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(app_.font()), FALSE);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 480);
  }
  TOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = hwnd_;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  if (text.empty()) return;
  std::wstring w = wide(text);
  ti.lpszText = w.data();
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void FormPeer::focusFirst() {
  HWND next = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  SetFocus(next ? next : hwnd_);
}

namespace {

void collectButtons(Control& c, std::vector<Button*>& out) {
  for (Control* child : c.children()) {
    if (auto* b = dynamic_cast<Button*>(child)) out.push_back(b);
    collectButtons(*child, out);
  }
}

bool isClass(HWND h, const wchar_t* cls) {
  wchar_t name[32] = {};
  GetClassNameW(h, name, 32);
  return _wcsicmp(name, cls) == 0;
}

// The combo box whose list is open, if the focus is in one: it needs Enter
// and Escape to close its list.
bool inDroppedCombo(HWND focus) {
  for (HWND h = focus; h; h = GetParent(h)) {
    if (isClass(h, WC_COMBOBOXW)) return SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0) != 0;
    if (GetWindowLongPtrW(h, GWL_STYLE) & WS_POPUP) break;
  }
  return false;
}

}  // namespace

Button* FormPeer::findButton(bool cancel) const {
  std::vector<Button*> buttons;
  collectButtons(form_, buttons);
  for (Button* b : buttons) {
    if (!(cancel ? b->isCancel : b->isDefault())) continue;
    auto* p = static_cast<WinPeer*>(b->peer());
    if (!p || !IsWindowVisible(p->hwnd()) || !IsWindowEnabled(p->hwnd())) continue;
    return b;
  }
  return nullptr;
}

bool FormPeer::handleDialogKey(const MSG& msg) {
  HWND focus = GetFocus();
  if (focus && inDroppedCombo(focus)) return false;
  if (msg.wParam == VK_ESCAPE) {
    if (Button* b = findButton(true)) {
      guarded([b] { b->click(); });
      return true;
    }
    // A multi-line edit in dialog mode closes its parent on Escape; a form
    // without a cancel button does not close on Escape.
    return focus && isClass(focus, L"Edit") && (GetWindowLongPtrW(focus, GWL_STYLE) & ES_MULTILINE);
  }
  if (focus) {
    LRESULT code = SendMessageW(focus, WM_GETDLGCODE, msg.wParam, 0);
    if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
    // Enter on a focused button presses that button.
    WinPeer* p = WinPeer::of(focus);
    if (auto* b = p ? dynamic_cast<Button*>(&p->control()) : nullptr) {
      guarded([b] { b->click(); });
      return true;
    }
  }
  if (Button* b = findButton(false)) {
    guarded([b] { b->click(); });
    return true;
  }
  return false;
}

bool FormPeer::childMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND: {
      auto from = reinterpret_cast<HWND>(l);
      if (from) {
        WinPeer* p = WinPeer::of(from);
        if (!p) return false;
        p->command(HIWORD(w), from);
        result = 0;
        return true;
      }
      if (HIWORD(w) == 0) {
        auto it = menuIds_.find(LOWORD(w));
        if (it == menuIds_.end()) return false;
        MenuItem* item = it->second;
        guarded([item] { item->click(); });
        result = 0;
        return true;
      }
      return false;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(l);
      WinPeer* p = header ? WinPeer::of(header->hwndFrom) : nullptr;
      return p && p->notifyMsg(header, result);
    }
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(l);
      if (!item || item->CtlType == ODT_MENU) return false;
      WinPeer* p = WinPeer::of(item->hwndItem);
      if (p && p->drawItem(item)) {
        result = TRUE;
        return true;
      }
      return false;
    }
    case WM_CTLCOLORSTATIC: {
      WinPeer* p = WinPeer::of(reinterpret_cast<HWND>(l));
      return p && p->ctlColor(reinterpret_cast<HDC>(w), result);
    }
    default:
      return false;
  }
}

LRESULT CALLBACK FormPeer::proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  FormPeer* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<FormPeer*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    self->adopt(hwnd, false);
  } else {
    self = static_cast<FormPeer*>(WinPeer::of(hwnd));
  }
  if (!self) return DefWindowProcW(hwnd, msg, w, l);
  try {
    return self->handle(msg, w, l);
  } catch (const std::exception& e) {
    reportError(e);
  } catch (...) {
    reportUnknownError();
  }
  return 0;
}

LRESULT FormPeer::handle(UINT msg, WPARAM w, LPARAM l) {
  LRESULT result = 0;
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
      if (childMessage(msg, w, l, result)) return result;
      break;

    case WM_CLOSE:
      // The frame's close box: the form decides (onCloseQuery) and hides.
      guarded([this] { form_.close(); });
      return 0;

    case WM_DROPFILES: {
      auto drop = reinterpret_cast<HDROP>(w);
      UINT n = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
      std::vector<std::string> files;
      for (UINT i = 0; i < n; ++i) {
        // Ask for the length first: a path may be far longer than MAX_PATH.
        UINT len = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring buf(static_cast<size_t>(len) + 1, L'\0');
        UINT got = DragQueryFileW(drop, i, buf.data(), len + 1);
        files.push_back(narrow(buf.data(), std::min(got, len)));
      }
      DragFinish(drop);
      if (form_.onDropFiles) guarded([this, &files] { form_.onDropFiles(files); });
      return 0;
    }

    case WM_COPYDATA: {
      auto* cds = reinterpret_cast<COPYDATASTRUCT*>(l);
      std::string bytes;
      std::uintptr_t data = 0;
      if (cds) {
        data = cds->dwData;
        if (cds->lpData && cds->cbData) bytes.assign(static_cast<const char*>(cds->lpData), cds->cbData);
      }
      bool answer = false;
      // The sender waits in SendMessage: it gets the answer only now.
      if (form_.onCopyData) guarded([&] { answer = form_.onCopyData(data, bytes); });
      return answer ? TRUE : FALSE;
    }

    case WM_ACTIVATE:
      if (LOWORD(w) == WA_INACTIVE) {
        HWND f = GetFocus();
        if (f && IsChild(hwnd_, f)) lastFocus_ = f;
      } else if (!HIWORD(w)) {
        if (lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd_, lastFocus_) && IsWindowVisible(lastFocus_) &&
            IsWindowEnabled(lastFocus_))
          SetFocus(lastFocus_);
        else
          focusFirst();
      }
      return 0;

    case WM_NEXTDLGCTL: {
      // IsDialogMessage sends this to move the focus by arrow keys; only
      // dialogs handle it by default.
      HWND target = LOWORD(l) ? reinterpret_cast<HWND>(w) : GetNextDlgTabItem(hwnd_, GetFocus(), w != 0);
      if (target) {
        SetFocus(target);
        if (LOWORD(l))
          if (WinPeer* p = WinPeer::of(target)) p->keyFocus(target);
      }
      return 0;
    }

    case WM_INITMENUPOPUP:
      refreshMenu(reinterpret_cast<HMENU>(w));
      return 0;

    case WM_WINDOWPOSCHANGED: {
      // The user moved or sized the form: its bounds follow (a form may
      // save them).
      auto* wp = reinterpret_cast<WINDOWPOS*>(l);
      if (wp && !IsIconic(hwnd_) && (wp->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) {
        RECT r{};
        GetWindowRect(hwnd_, &r);
        Rect nb{r.left, r.top, r.right - r.left, r.bottom - r.top};
        const Rect& b = form_.bounds();
        if (nb.left != b.left || nb.top != b.top || nb.width != b.width || nb.height != b.height) {
          reflecting_ = true;
          form_.setBounds(nb);
          reflecting_ = false;
        }
      }
      break;
    }

    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, w, l);
}

}  // namespace ui::win32

// ---------------------------------------------------------------- Win32Backend

namespace ui {

using win32::FormPeer;
using win32::guarded;
using win32::WinPeer;

namespace {
FormPeer* formPeer(Form& f) { return static_cast<FormPeer*>(static_cast<WinPeer*>(f.peer())); }
}  // namespace

Win32Backend::Win32Backend() : impl_(std::make_unique<win32::Backend32>()) {}
Win32Backend::~Win32Backend() = default;

std::string Win32Backend::fontFace() const { return win32::narrow(impl_->fontFace()); }

void Win32Backend::realize(Form& form) { impl_->realizeForm(form); }

void Win32Backend::showForm(Form& form) {
  impl_->realizeForm(form);
  FormPeer* fp = formPeer(form);
  HWND h = fp->hwnd();
  bool wasShown = form.shown() && IsWindowVisible(h);
  form.setShownState(true);
  if (!wasShown) {
    // Before the window appears, so that the handler fills it first.
    guarded([&form] { form.fireShow(); });
    if (!form.shown()) return;  // the handler closed it
  }
  fp->applyAcceptFiles();
  ShowWindow(h, SW_SHOW);
  if (wasShown) BringWindowToTop(h);
  UpdateWindow(h);
}

void Win32Backend::hideForm(Form& form) {
  if (FormPeer* fp = formPeer(form)) ShowWindow(fp->hwnd(), SW_HIDE);
  form.setShownState(false);
}

int Win32Backend::showModal(Form& form) {
  impl_->realizeForm(form);
  FormPeer* fp = formPeer(form);
  HWND h = fp->hwnd();
  HWND previous = GetActiveWindow();
  std::vector<HWND> disabled;
  for (FormPeer* other : impl_->forms()) {
    HWND o = other->hwnd();
    if (o != h && IsWindowVisible(o) && IsWindowEnabled(o)) {
      EnableWindow(o, FALSE);
      disabled.push_back(o);
    }
  }
  form.setModalState(true);
  form.setShownState(true);
  guarded([&form] { form.fireShow(); });
  if (form.shown() && form.modalResult() == mrNone) {
    fp->applyAcceptFiles();
    ShowWindow(h, SW_SHOW);
    SetForegroundWindow(h);
    UpdateWindow(h);
    MSG msg;
    while (form.shown() && form.modalResult() == mrNone && IsWindow(h)) {
      BOOL got = GetMessageW(&msg, nullptr, 0, 0);
      if (got == 0) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
        break;
      }
      if (got == -1) break;
      impl_->pump(msg);
    }
  }
  // Enable the others before hiding, so that the activation goes back to
  // one of them rather than to another program.
  for (HWND o : disabled)
    if (IsWindow(o)) EnableWindow(o, TRUE);
  if (IsWindow(h)) ShowWindow(h, SW_HIDE);
  if (previous && previous != h && IsWindow(previous) && IsWindowVisible(previous)) SetActiveWindow(previous);
  form.setModalState(false);
  form.setShownState(false);
  return form.modalResult() == mrNone ? mrCancel : form.modalResult();
}

void Win32Backend::formClosed(Form& form) {
  // A modal form's loop ends by itself and hides the window after enabling
  // the others.
  if (form.isModal()) return;
  if (FormPeer* fp = formPeer(form)) ShowWindow(fp->hwnd(), SW_HIDE);
  form.setShownState(false);
  if (&form == impl_->mainForm) PostQuitMessage(0);
}

namespace {
// The filter's "|" become the NULs the file dialogs want; it ends with two.
std::wstring dialogFilter(const std::string& filter) {
  std::wstring f = win32::wide(filter);
  for (wchar_t& c : f)
    if (c == L'|') c = L'\0';
  f.push_back(L'\0');
  f.push_back(L'\0');
  return f;
}

// What the open and save dialogs share: the owner, the filter and the
// buffer that holds the proposed name and gets the chosen path.
struct FileDialog {
  std::wstring filter;
  std::vector<wchar_t> file = std::vector<wchar_t>(4096, L'\0');
  OPENFILENAMEW ofn{};
  FileDialog(HWND owner, const std::string& filterText, const std::wstring& proposed)
      : filter(dialogFilter(filterText)) {
    if (proposed.size() < file.size()) std::copy(proposed.begin(), proposed.end(), file.begin());
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
  }
  std::string chosen() const { return win32::narrow(std::wstring(file.data())); }
};
}  // namespace

std::optional<std::string> Win32Backend::openFileDialog(Form* owner, const std::string& filter,
                                                        const std::string& initialPath) {
  FileDialog d(owner && owner->peer() ? formPeer(*owner)->hwnd() : nullptr, filter, win32::wide(initialPath));
  d.ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&d.ofn)) return std::nullopt;
  return d.chosen();
}

std::optional<std::string> Win32Backend::saveFileDialog(Form* owner, const std::string& filter,
                                                        const std::string& initialPath,
                                                        const std::string& defaultExtension) {
  // The dialog takes the folder and the proposed name apart.
  std::wstring initial = win32::wide(initialPath);
  std::wstring folder;
  const size_t cut = initial.find_last_of(L"\\/");
  if (cut != std::wstring::npos) {
    folder = initial.substr(0, cut + 1);
    initial = initial.substr(cut + 1);
  }
  const std::wstring extension = win32::wide(defaultExtension);
  FileDialog d(owner && owner->peer() ? formPeer(*owner)->hwnd() : nullptr, filter, initial);
  d.ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  d.ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  d.ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&d.ofn)) return std::nullopt;
  return d.chosen();
}

namespace {
// Selects the initial folder once the browser has set itself up.
int CALLBACK selectInitialFolder(HWND browser, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}
}  // namespace

std::optional<std::string> Win32Backend::browseForFolder(Form* owner, const std::string& caption,
                                                         const std::string& rootName,
                                                         const std::string& initialFolder) {
  HWND ownerWindow = nullptr;
  if (owner && owner->peer()) ownerWindow = formPeer(*owner)->hwnd();
  else if (impl_->mainForm && impl_->mainForm->peer()) ownerWindow = formPeer(*impl_->mainForm)->hwnd();
  // The new dialog style needs COM on this thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  PIDLIST_ABSOLUTE root = nullptr;
  IShellFolder* desktop = nullptr;
  if (!rootName.empty() && SUCCEEDED(SHGetDesktopFolder(&desktop))) {
    std::wstring name = win32::wide(rootName);
    PIDLIST_RELATIVE parsed = nullptr;
    if (SUCCEEDED(desktop->ParseDisplayName(ownerWindow, nullptr, name.data(), nullptr, &parsed, nullptr)))
      root = reinterpret_cast<PIDLIST_ABSOLUTE>(parsed);
    desktop->Release();
  }

  const std::wstring title = win32::wide(caption);
  const std::wstring initial = win32::wide(initialFolder);
  BROWSEINFOW bi{};
  bi.hwndOwner = ownerWindow;
  bi.pidlRoot = root;
  bi.lpszTitle = title.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;  // 0x51
  if (!initial.empty()) {
    bi.lpfn = selectInitialFolder;
    bi.lParam = reinterpret_cast<LPARAM>(initial.c_str());
  }

  std::vector<HWND> disabled;
  for (FormPeer* other : impl_->forms()) {
    HWND o = other->hwnd();
    if (IsWindowEnabled(o)) {
      EnableWindow(o, FALSE);
      disabled.push_back(o);
    }
  }
  // A drive without a medium must not bring up the system's error box.
  const UINT oldErrorMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&bi);
  SetErrorMode(oldErrorMode);
  for (HWND o : disabled)
    if (IsWindow(o)) EnableWindow(o, TRUE);
  if (ownerWindow && IsWindow(ownerWindow)) SetActiveWindow(ownerWindow);

  std::optional<std::string> result;
  if (chosen) {
    // MAX_PATH is the browser's own limit for file-system folders.
    wchar_t path[MAX_PATH + 1] = {};
    if (SHGetPathFromIDListW(chosen, path)) result = win32::narrow(std::wstring(path));
    CoTaskMemFree(chosen);
  }
  if (root) CoTaskMemFree(root);
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}

MsgResult Win32Backend::messageBox(Form* owner, const std::string& text, const std::string& caption,
                                   MsgButtons buttons, MsgIcon icon) {
  HWND h = nullptr;
  if (owner && owner->peer()) {
    HWND o = formPeer(*owner)->hwnd();
    if (IsWindowVisible(o)) h = o;
  }
  if (!h) {
    HWND active = GetActiveWindow();
    if (active && impl_->formOfWindow(active)) h = active;
  }
  UINT flags = 0;
  switch (buttons) {
    case MsgButtons::Ok: flags = MB_OK; break;
    case MsgButtons::OkCancel: flags = MB_OKCANCEL; break;
    case MsgButtons::YesNo: flags = MB_YESNO; break;
    case MsgButtons::YesNoCancel: flags = MB_YESNOCANCEL; break;
  }
  switch (icon) {
    case MsgIcon::None: break;
    case MsgIcon::Information: flags |= MB_ICONINFORMATION; break;
    case MsgIcon::Warning: flags |= MB_ICONWARNING; break;
    case MsgIcon::Error: flags |= MB_ICONERROR; break;
    case MsgIcon::Question: flags |= MB_ICONQUESTION; break;
  }
  // Without an owner the box still blocks every window of the program.
  if (!h) flags |= MB_TASKMODAL;
  std::wstring t = win32::wide(text);
  std::wstring c = win32::wide(caption.empty() ? impl_->title() : caption);
  int r = MessageBoxW(h, t.c_str(), c.c_str(), flags);
  switch (r) {
    case IDYES: return MsgResult::Yes;
    case IDNO: return MsgResult::No;
    case IDOK: return MsgResult::Ok;
    default: return MsgResult::Cancel;
  }
}

void Win32Backend::processMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // the main loop's to see
      return;
    }
    impl_->pump(msg);
  }
}

void Win32Backend::run(Form& mainForm) {
  impl_->mainForm = &mainForm;
  showForm(mainForm);
  if (mainForm.onStarted && mainForm.shown()) dispatch(mainForm.onStarted);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) impl_->pump(msg);
  impl_->mainForm = nullptr;
}

void Win32Backend::setTitle(const std::string& title) { impl_->setTitle(title); }

void Win32Backend::popupMenu(Control& owner, Menu& menu) {
  HWND h = nullptr;
  if (Form* f = owner.form(); f && f->peer()) h = formPeer(*f)->hwnd();
  if (!h) h = GetActiveWindow();
  if (!h) return;
  impl_->trackPopup(h, menu);
}

}  // namespace ui
