// Peers of the standard controls: each mirrors its control's state into a
// system window and turns the window's notifications into the control's
// user-input operations.
#include <algorithm>

#include "ui/win32/win32_internal.h"

namespace ui::win32 {

namespace {

// Texts in windows are set by the program; controls other than labels,
// buttons and containers have no caption in their window.
class NoCaptionPeer : public WinPeer {
 public:
  using WinPeer::WinPeer;
  void sync(Prop p) override {
    if (p != Prop::Caption) WinPeer::sync(p);
  }
};

// ---------------------------------------------------------------- Label

class LabelPeer : public WinPeer {
 public:
  LabelPeer(Backend32& app, Label& l) : WinPeer(app, l), label_(l) {}
  void create(HWND parent) override {
    // "&" marks the mnemonic, as in the designed captions ("図面名(&N):").
    createChild(L"STATIC", SS_LEFT, 0, parent, wide(control_.caption()));
    applyCommon();
  }
  void sync(Prop p) override {
    if (p == Prop::Font) {
      if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
      return;
    }
    WinPeer::sync(p);
    if (p == Prop::Caption) WinPeer::sync(Prop::Bounds);
  }
  bool ctlColor(HDC dc, LRESULT& result) override {
    // A disabled label keeps the system's grey.
    if (label_.fontColor() == kDefaultColor || !IsWindowEnabled(hwnd_)) return false;
    SetTextColor(dc, label_.fontColor());
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    return true;
  }

 protected:
  // One-line labels grow to their text, as auto-sized labels do: the design
  // was measured in another font.
  Rect windowRect() const override {
    Rect r = control_.bounds();
    const std::string& text = control_.caption();
    if (text.empty() || text.find('\n') != std::string::npos) return r;
    if (r.height > 2 * app_.fontHeight()) return r;  // a wrapping label
    SIZE s = app_.textExtent(text);
    r.width = std::max<int>(r.width, s.cx);
    r.height = std::max<int>(r.height, s.cy);
    return r;
  }

 private:
  Label& label_;
};

// ---------------------------------------------------------------- Button, CheckBox

class ButtonPeer : public WinPeer {
 public:
  ButtonPeer(Backend32& app, Button& b) : WinPeer(app, b), button_(b) {}
  void create(HWND parent) override {
    DWORD style = WS_TABSTOP | WS_GROUP | (button_.isDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    createChild(L"BUTTON", style, 0, parent, wide(control_.caption()));
    applyCommon();
  }
  void sync(Prop p) override {
    if (p == Prop::Default) {
      SendMessageW(hwnd_, BM_SETSTYLE, button_.isDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
      return;
    }
    WinPeer::sync(p);
  }
  bool command(int code, HWND) override {
    if (code != BN_CLICKED) return false;
    Button& b = button_;
    guarded([&b] { b.click(); });
    return true;
  }

 private:
  Button& button_;
};

class CheckBoxPeer : public WinPeer {
 public:
  CheckBoxPeer(Backend32& app, CheckBox& c) : WinPeer(app, c), box_(c) {}
  void create(HWND parent) override {
    // Not BS_AUTOCHECKBOX: CheckBox::click toggles, and the window follows.
    createChild(L"BUTTON", WS_TABSTOP | WS_GROUP | BS_CHECKBOX, 0, parent, wide(control_.caption()));
    sync(Prop::Checked);
    applyCommon();
  }
  void sync(Prop p) override {
    if (p == Prop::Checked) {
      SendMessageW(hwnd_, BM_SETCHECK, box_.checked() ? BST_CHECKED : BST_UNCHECKED, 0);
      return;
    }
    WinPeer::sync(p);
    if (p == Prop::Caption) WinPeer::sync(Prop::Bounds);
  }
  bool command(int code, HWND) override {
    if (code != BN_CLICKED && code != BN_DOUBLECLICKED) return false;
    CheckBox& c = box_;
    guarded([&c] { c.click(); });
    return true;
  }

 protected:
  Rect windowRect() const override {
    Rect r = control_.bounds();
    if (!control_.caption().empty()) {
      int needed = app_.textExtent(control_.caption()).cx + GetSystemMetrics(SM_CXMENUCHECK) + 8;
      r.width = std::max(r.width, needed);
    }
    return r;
  }

 private:
  CheckBox& box_;
};

class RadioButtonPeer : public WinPeer {
 public:
  RadioButtonPeer(Backend32& app, RadioButton& r) : WinPeer(app, r), radio_(r) {}
  void create(HWND parent) override {
    // Not BS_AUTORADIOBUTTON: RadioButton keeps its group's state and the
    // windows follow.
    createChild(L"BUTTON", WS_TABSTOP | BS_RADIOBUTTON, 0, parent, wide(control_.caption()));
    sync(Prop::Checked);
    applyCommon();
  }
  void sync(Prop p) override {
    if (p == Prop::Checked) {
      SendMessageW(hwnd_, BM_SETCHECK, radio_.checked() ? BST_CHECKED : BST_UNCHECKED, 0);
      return;
    }
    WinPeer::sync(p);
  }
  bool command(int code, HWND) override {
    if (code != BN_CLICKED && code != BN_DOUBLECLICKED) return false;
    RadioButton& r = radio_;
    guarded([&r] { r.click(); });
    return true;
  }

 private:
  RadioButton& radio_;
};

// ---------------------------------------------------------------- containers

class ContainerPeer : public WinPeer {
 public:
  ContainerPeer(Backend32& app, Control& c, bool group) : WinPeer(app, c), group_(group) {}
  void create(HWND parent) override {
    createChild(kContainerClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, parent, wide(control_.caption()));
    applyCommon();
  }
  void sync(Prop p) override {
    WinPeer::sync(p);
    if (p == Prop::Caption || p == Prop::Enabled) InvalidateRect(hwnd_, nullptr, TRUE);
  }

  virtual void paint(HDC dc) {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ old = SelectObject(dc, app_.font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd_) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    std::wstring text = wide(control_.caption());
    if (group_) {
      RECT frame = rc;
      frame.top += app_.fontHeight() / 2;
      DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
      if (!text.empty()) {
        RECT tr{8, 0, rc.right - 8, app_.fontHeight()};
        DrawTextW(dc, text.c_str(), -1, &tr, DT_SINGLELINE | DT_LEFT | DT_CALCRECT);
        RECT back{tr.left - 2, tr.top, tr.right + 2, tr.bottom};
        FillRect(dc, &back, GetSysColorBrush(COLOR_BTNFACE));
        DrawTextW(dc, text.c_str(), -1, &tr, DT_SINGLELINE | DT_LEFT);
      }
    } else {
      auto& panel = static_cast<Panel&>(control_);
      if (panel.bevel) DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
      if (!text.empty()) DrawTextW(dc, text.c_str(), -1, &rc, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }
    SelectObject(dc, old);
  }

 protected:
  bool group_;
};

// A group box with one radio button per item, laid out in columns.
class RadioGroupPeer : public ContainerPeer {
 public:
  RadioGroupPeer(Backend32& app, RadioGroup& g) : ContainerPeer(app, g, true), radio_(g) {}
  ~RadioGroupPeer() override {
    for (HWND b : buttons_) untag(b);
  }
  void create(HWND parent) override {
    ContainerPeer::create(parent);
    makeButtons();
  }
  void sync(Prop p) override {
    switch (p) {
      case Prop::Items:
        makeButtons();
        return;
      case Prop::ItemIndex:
        check();
        return;
      case Prop::Enabled:
        for (HWND b : buttons_) EnableWindow(b, control_.enabled());
        break;
      case Prop::Bounds:
        ContainerPeer::sync(p);
        layout();
        return;
      default:
        break;
    }
    ContainerPeer::sync(p);
  }
  bool command(int code, HWND from) override {
    if (code != BN_CLICKED) return false;
    choose(from);
    return true;
  }
  void keyFocus(HWND target) override { choose(target); }

 private:
  void choose(HWND button) {
    auto it = std::find(buttons_.begin(), buttons_.end(), button);
    if (it == buttons_.end()) return;
    int i = static_cast<int>(it - buttons_.begin());
    if (i == radio_.itemIndex()) return;  // no change, no event
    RadioGroup& g = radio_;
    guarded([&g, i] { g.click(i); });
  }
  void makeButtons() {
    for (HWND b : buttons_) {
      untag(b);
      DestroyWindow(b);
    }
    buttons_.clear();
    const auto& items = radio_.items();
    for (size_t i = 0; i < items.size(); ++i) {
      DWORD style = WS_CHILD | WS_VISIBLE | BS_RADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
      if (!control_.enabled()) style |= WS_DISABLED;
      HWND b = CreateWindowExW(0, L"BUTTON", wide(items[i]).c_str(), style, 0, 0, 10, 10, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(i + 1)), app_.instance(), nullptr);
      if (!b) continue;
      SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(app_.font()), FALSE);
      tag(b, this);
      buttons_.push_back(b);
    }
    layout();
    check();
  }
  void layout() {
    int n = static_cast<int>(buttons_.size());
    if (n == 0) return;
    int columns = std::max(1, radio_.columns);
    int perColumn = (n + columns - 1) / columns;
    const Rect& r = control_.bounds();
    int width = (r.width - 10) / columns;
    int space = r.height - app_.fontHeight() - 5;
    int height = std::max(1, space / perColumn);
    int top = app_.fontHeight() + 1 + (space % perColumn) / 2;
    for (int i = 0; i < n; ++i)
      SetWindowPos(buttons_[i], nullptr, (i / perColumn) * width + 8, (i % perColumn) * height + top, width - 2,
                   height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void check() {
    for (size_t i = 0; i < buttons_.size(); ++i)
      SendMessageW(buttons_[i], BM_SETCHECK,
                   static_cast<int>(i) == radio_.itemIndex() ? BST_CHECKED : BST_UNCHECKED, 0);
  }

  RadioGroup& radio_;
  std::vector<HWND> buttons_;
};

// ---------------------------------------------------------------- ComboBox

class ComboPeer : public NoCaptionPeer {
 public:
  ComboPeer(Backend32& app, ComboBox& c) : NoCaptionPeer(app, c), combo_(c) {}
  void create(HWND parent) override {
    DWORD style = WS_TABSTOP | WS_GROUP | WS_VSCROLL |
                  (combo_.dropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL);
    createChild(WC_COMBOBOXW, style, 0, parent);
    fill();
    applyCommon();
  }
  void sync(Prop p) override {
    switch (p) {
      case Prop::Items:
        fill();
        return;
      case Prop::ItemIndex:
      case Prop::Text:
        select();
        return;
      default:
        NoCaptionPeer::sync(p);
    }
  }
  bool command(int code, HWND) override {
    ComboBox& c = combo_;
    switch (code) {
      case CBN_SELCHANGE: {
        if (suppress_) return true;
        int i = static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0));
        if (i >= 0) guarded([&c, i] { c.choose(i); });
        return true;
      }
      case CBN_DROPDOWN:
        guarded([&c] { c.dropDown(); });  // may refill the list
        return true;
      case CBN_EDITCHANGE: {
        if (suppress_) return true;
        std::string t = windowText(hwnd_);
        guarded([&c, t] { c.userEdit(t); });
        return true;
      }
      default:
        return false;
    }
  }

 protected:
  // The window's height includes the open list.
  Rect windowRect() const override {
    Rect r = control_.bounds();
    r.height = std::max(r.height, app_.fontHeight() + 8) + 16 * (app_.fontHeight() + 4);
    return r;
  }

 private:
  void fill() {
    ++suppress_;
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
    // Never CBS_SORT: the control keeps its own order, the window mirrors it.
    for (const std::string& s : combo_.items()) SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(s).c_str()));
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    --suppress_;
    select();
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
  void select() {
    ++suppress_;
    SendMessageW(hwnd_, CB_SETCURSEL, combo_.itemIndex(), 0);
    if (!combo_.dropDownList && windowText(hwnd_) != combo_.text()) setWindowText(hwnd_, combo_.text());
    --suppress_;
  }

  ComboBox& combo_;
};

// ---------------------------------------------------------------- Edit, Memo

class EditPeer : public NoCaptionPeer {
 public:
  EditPeer(Backend32& app, Edit& e) : NoCaptionPeer(app, e), edit_(e) {}
  void create(HWND parent) override {
    DWORD style = WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL | (edit_.readOnly() ? ES_READONLY : 0);
    ++suppress_;
    createChild(L"EDIT", style, WS_EX_CLIENTEDGE, parent, wide(edit_.text()));
    --suppress_;
    applyCommon();
  }
  void sync(Prop p) override {
    switch (p) {
      case Prop::Text:
        if (windowText(hwnd_) == edit_.text()) return;
        ++suppress_;
        setWindowText(hwnd_, edit_.text());
        --suppress_;
        return;
      case Prop::ReadOnly:
        SendMessageW(hwnd_, EM_SETREADONLY, edit_.readOnly(), 0);
        return;
      default:
        NoCaptionPeer::sync(p);
    }
  }
  bool command(int code, HWND) override {
    if (code != EN_CHANGE) return false;
    // EN_CHANGE also follows the program's own SetWindowText: only a text
    // the control does not hold yet is the user's.
    if (suppress_) return true;
    std::string t = windowText(hwnd_);
    if (t == edit_.text()) return true;
    Edit& e = edit_;
    guarded([&e, t] { e.userEdit(t); });
    return true;
  }

 private:
  Edit& edit_;
};

class MemoPeer : public NoCaptionPeer {
 public:
  MemoPeer(Backend32& app, Memo& m) : NoCaptionPeer(app, m), memo_(m) {}
  void create(HWND parent) override {
    DWORD style = WS_TABSTOP | WS_GROUP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL |
                  (memo_.readOnly() ? ES_READONLY : 0);
    createChild(L"EDIT", style, WS_EX_CLIENTEDGE, parent);
    SendMessageW(hwnd_, EM_SETLIMITTEXT, 0, 0);
    syncLines();
    applyCommon();
  }
  void sync(Prop p) override {
    switch (p) {
      case Prop::Lines:
        syncLines();
        return;
      case Prop::ReadOnly:
        SendMessageW(hwnd_, EM_SETREADONLY, memo_.readOnly(), 0);
        return;
      default:
        NoCaptionPeer::sync(p);
    }
  }
  bool command(int code, HWND) override {
    if (code != EN_CHANGE) return false;
    if (suppress_) return true;
    std::vector<std::string> lines = splitLines(windowText(hwnd_));
    if (lines == memo_.lines()) return true;
    mirror_ = lines;
    Memo& m = memo_;
    guarded([&m, lines] { m.userEdit(lines); });
    return true;
  }

 private:
  // A log that grows by addLine is appended to, not rewritten: rewriting
  // the whole text per line would make a long log quadratic.
  void syncLines() {
    const auto& lines = memo_.lines();
    ++suppress_;
    bool appended = lines.size() > mirror_.size() && std::equal(mirror_.begin(), mirror_.end(), lines.begin());
    if (appended) {
      std::string tail;
      for (size_t i = mirror_.size(); i < lines.size(); ++i) {
        if (i) tail += "\r\n";
        tail += lines[i];
      }
      int len = GetWindowTextLengthW(hwnd_);
      SendMessageW(hwnd_, EM_SETSEL, len, len);
      SendMessageW(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide(tail).c_str()));
      SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
    } else {
      setWindowText(hwnd_, memo_.text());
    }
    mirror_ = lines;
    --suppress_;
  }

  Memo& memo_;
  std::vector<std::string> mirror_;  // the lines the window holds
};

// ---------------------------------------------------------------- ListBox

class ListBoxPeer : public NoCaptionPeer {
 public:
  ListBoxPeer(Backend32& app, ListBox& l) : NoCaptionPeer(app, l), list_(l) {}
  void create(HWND parent) override {
    createChild(L"LISTBOX", WS_TABSTOP | WS_GROUP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                WS_EX_CLIENTEDGE, parent);
    fill();
    applyCommon();
  }
  void sync(Prop p) override {
    switch (p) {
      case Prop::Items:
        if (!insertOrDeleteOne()) fill();
        return;
      case Prop::ItemIndex:
        ++suppress_;
        SendMessageW(hwnd_, LB_SETCURSEL, list_.itemIndex(), 0);
        --suppress_;
        return;
      default:
        NoCaptionPeer::sync(p);
    }
  }
  bool command(int code, HWND) override {
    ListBox& l = list_;
    if (code == LBN_SELCHANGE) {
      if (suppress_) return true;
      int i = static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0));
      guarded([&l, i] { l.click(i); });
      return true;
    }
    if (code == LBN_DBLCLK) {
      if (l.onDoubleClick) guarded([&l] { l.onDoubleClick(); });
      return true;
    }
    return false;
  }

 private:
  void fill() {
    ++suppress_;
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
    for (const std::string& s : list_.items()) SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(s).c_str()));
    SendMessageW(hwnd_, LB_SETCURSEL, list_.itemIndex(), 0);
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
    --suppress_;
    mirror_ = list_.items();
  }
  // addItem and deleteItem change one item: refilling a long list for each
  // would make filling it quadratic in window calls.
  bool insertOrDeleteOne() {
    const auto& items = list_.items();
    size_t n = items.size(), m = mirror_.size();
    if (n != m + 1 && n + 1 != m) return false;
    size_t i = 0;
    while (i < std::min(n, m) && items[i] == mirror_[i]) ++i;
    bool inserted = n == m + 1;
    bool restSame = inserted ? std::equal(items.begin() + i + 1, items.end(), mirror_.begin() + i)
                             : std::equal(mirror_.begin() + i + 1, mirror_.end(), items.begin() + i);
    if (!restSame) return false;
    ++suppress_;
    if (inserted) {
      SendMessageW(hwnd_, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(wide(items[i]).c_str()));
      mirror_.insert(mirror_.begin() + i, items[i]);
    } else {
      SendMessageW(hwnd_, LB_DELETESTRING, i, 0);
      mirror_.erase(mirror_.begin() + i);
    }
    SendMessageW(hwnd_, LB_SETCURSEL, list_.itemIndex(), 0);
    --suppress_;
    return true;
  }

  ListBox& list_;
  std::vector<std::string> mirror_;  // the items the window holds
};

// ---------------------------------------------------------------- ProgressBar

class ProgressPeer : public NoCaptionPeer {
 public:
  ProgressPeer(Backend32& app, ProgressBar& b) : NoCaptionPeer(app, b), bar_(b) {}
  void create(HWND parent) override {
    createChild(PROGRESS_CLASSW, 0, 0, parent);
    sync(Prop::Range);
    applyCommon();
  }
  void sync(Prop p) override {
    switch (p) {
      case Prop::Range:
        SendMessageW(hwnd_, PBM_SETRANGE32, bar_.min(), bar_.max());
        SendMessageW(hwnd_, PBM_SETPOS, bar_.position(), 0);
        return;
      case Prop::Position:
        SendMessageW(hwnd_, PBM_SETPOS, bar_.position(), 0);
        return;
      default:
        NoCaptionPeer::sync(p);
    }
  }

 private:
  ProgressBar& bar_;
};

// ---------------------------------------------------------------- TreeView

class TreeViewPeer : public NoCaptionPeer {
 public:
  TreeViewPeer(Backend32& app, TreeView& t) : NoCaptionPeer(app, t), tree_(t) {}
  ~TreeViewPeer() override {
    // The window goes first: the image list is not its to destroy.
    ++suppress_;
    destroyWindow();
    if (images_) ImageList_Destroy(images_);
  }
  void create(HWND parent) override {
    createChild(WC_TREEVIEWW,
                WS_TABSTOP | WS_GROUP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                WS_EX_CLIENTEDGE, parent);
    applyImages();
    if (tree_.nodeCount() > 0) rebuild();
    setRedraw(!tree_.updating());
    applyCommon();
  }
  void sync(Prop p) override {
    switch (p) {
      case Prop::Nodes:
        // clear(), beginUpdate() and endUpdate(): nodes were added and
        // removed one by one, so a rebuild is needed only when the window
        // lost count (a clear).
        if (tree_.nodeCount() == 0) {
          ++suppress_;
          SendMessageW(hwnd_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
          --suppress_;
        } else if (static_cast<int>(SendMessageW(hwnd_, TVM_GETCOUNT, 0, 0)) != tree_.nodeCount()) {
          rebuild();
        }
        setRedraw(!tree_.updating());
        return;
      case Prop::Selection:
        select();
        return;
      case Prop::Images:
        applyImages();
        return;
      default:
        NoCaptionPeer::sync(p);
    }
  }
  void nodeAdded(TreeNode* node) override {
    if (!hwnd_) return;
    applyImages();
    ++suppress_;
    insert(node);
    --suppress_;
  }
  void nodeRemoving(TreeNode* node) override {
    if (!hwnd_ || !node->peerData) return;
    bool losesSelection = false;
    for (TreeNode* n = tree_.selected(); n; n = n->parent())
      if (n == node) losesSelection = true;
    ++suppress_;
    SendMessageW(hwnd_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node->peerData));
    node->peerData = nullptr;
    // The window may have moved the selection to a neighbour; the control
    // has none then.
    if (losesSelection) SendMessageW(hwnd_, TVM_SELECTITEM, TVGN_CARET, 0);
    --suppress_;
  }
  bool notifyMsg(NMHDR* h, LRESULT& result) override {
    result = 0;
    switch (h->code) {
      case TVN_SELCHANGEDW:
      case TVN_SELCHANGEDA: {
        if (suppress_) return true;
        auto* nm = reinterpret_cast<NMTREEVIEWW*>(h);
        TreeNode* n = nm->itemNew.hItem ? reinterpret_cast<TreeNode*>(nm->itemNew.lParam) : nullptr;
        TreeView& t = tree_;
        guarded([&t, n] { t.userSelect(n); });
        return true;
      }
      case NM_RCLICK: {
        // The node under the cursor becomes the selection, then the menu.
        POINT pt{};
        GetCursorPos(&pt);
        TVHITTESTINFO ht{};
        ht.pt = pt;
        ScreenToClient(hwnd_, &ht.pt);
        auto hit = reinterpret_cast<HTREEITEM>(SendMessageW(hwnd_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht)));
        if (hit && (ht.flags & TVHT_ONITEM)) SendMessageW(hwnd_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hit));
        if (tree_.popupMenu) {
          Menu* menu = tree_.popupMenu;
          HWND owner = GetAncestor(hwnd_, GA_ROOT);
          app_.trackPopup(owner, *menu);
        }
        result = TRUE;  // no WM_CONTEXTMENU as well
        return true;
      }
      default:
        return false;
    }
  }

 private:
  void insert(TreeNode* node) {
    HTREEITEM parent = TVI_ROOT;
    if (node->parent()) {
      parent = static_cast<HTREEITEM>(node->parent()->peerData);
      if (!parent) return;  // the window lost its parent; a rebuild will follow
    }
    std::wstring text = wide(node->text());
    TVINSERTSTRUCTW is{};
    is.hParent = parent;
    is.hInsertAfter = TVI_LAST;
    is.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
    is.item.pszText = text.data();
    is.item.lParam = reinterpret_cast<LPARAM>(node);
    // Shown open: what was dropped is in view at once.
    is.item.state = TVIS_EXPANDED;
    is.item.stateMask = TVIS_EXPANDED;
    if (images_) {
      is.item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
      // -1 would ask for the image by callback.
      int image = node->imageIndex() >= 0 ? node->imageIndex() : I_IMAGENONE;
      is.item.iImage = is.item.iSelectedImage = image;
    }
    node->peerData = reinterpret_cast<void*>(SendMessageW(hwnd_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&is)));
  }
  void rebuild() {
    ++suppress_;
    bool wasOff = redrawOff_;
    setRedraw(false);
    SendMessageW(hwnd_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    tree_.forEach([this](TreeNode* n) { insert(n); });
    --suppress_;
    select();
    setRedraw(wasOff ? false : !tree_.updating());
  }
  void select() {
    ++suppress_;
    TreeNode* s = tree_.selected();
    auto item = s ? static_cast<HTREEITEM>(s->peerData) : nullptr;
    SendMessageW(hwnd_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    if (item) SendMessageW(hwnd_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    --suppress_;
  }
  void setRedraw(bool on) {
    if (on != redrawOff_) return;  // already so
    SendMessageW(hwnd_, WM_SETREDRAW, on, 0);
    redrawOff_ = !on;
    if (on) InvalidateRect(hwnd_, nullptr, TRUE);
  }
  void applyImages() {
    const ImageList* list = tree_.images;
    if (list == source_ && (!list || list->count() == sourceCount_)) return;
    HIMAGELIST next = nullptr;
    if (list) {
      next = ImageList_Create(list->width, list->height, ILC_COLOR32 | ILC_MASK, list->count(), 4);
      for (std::uintptr_t icon : list->icons) ImageList_AddIcon(next, reinterpret_cast<HICON>(icon));
    }
    SendMessageW(hwnd_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(next));
    if (images_) ImageList_Destroy(images_);
    images_ = next;
    source_ = list;
    sourceCount_ = list ? list->count() : 0;
  }

  TreeView& tree_;
  HIMAGELIST images_ = nullptr;
  const ImageList* source_ = nullptr;
  int sourceCount_ = 0;
  bool redrawOff_ = false;
};

}  // namespace

// ---------------------------------------------------------------- factory

std::unique_ptr<WinPeer> makeControlPeer(Backend32& app, Control& c) {
  if (auto* x = dynamic_cast<Label*>(&c)) return std::make_unique<LabelPeer>(app, *x);
  if (auto* x = dynamic_cast<Button*>(&c)) return std::make_unique<ButtonPeer>(app, *x);
  if (auto* x = dynamic_cast<CheckBox*>(&c)) return std::make_unique<CheckBoxPeer>(app, *x);
  if (auto* x = dynamic_cast<RadioButton*>(&c)) return std::make_unique<RadioButtonPeer>(app, *x);
  if (auto* x = dynamic_cast<RadioGroup*>(&c)) return std::make_unique<RadioGroupPeer>(app, *x);
  if (auto* x = dynamic_cast<ComboBox*>(&c)) return std::make_unique<ComboPeer>(app, *x);
  if (auto* x = dynamic_cast<Edit*>(&c)) return std::make_unique<EditPeer>(app, *x);
  if (auto* x = dynamic_cast<Memo*>(&c)) return std::make_unique<MemoPeer>(app, *x);
  if (auto* x = dynamic_cast<ListBox*>(&c)) return std::make_unique<ListBoxPeer>(app, *x);
  if (auto* x = dynamic_cast<ProgressBar*>(&c)) return std::make_unique<ProgressPeer>(app, *x);
  if (auto* x = dynamic_cast<TreeView*>(&c)) return std::make_unique<TreeViewPeer>(app, *x);
  if (auto* x = dynamic_cast<StringGrid*>(&c)) return makeGridPeer(app, *x);
  if (auto* x = dynamic_cast<Panel*>(&c)) return std::make_unique<ContainerPeer>(app, *x, false);
  if (auto* x = dynamic_cast<GroupBox*>(&c)) return std::make_unique<ContainerPeer>(app, *x, true);
  return nullptr;
}

// ---------------------------------------------------------------- container window

LRESULT CALLBACK containerProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  WinPeer* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<WinPeer*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    if (self && !self->hwnd()) self->adopt(hwnd, false);
  } else {
    self = WinPeer::of(hwnd);
  }
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
      // The form dispatches for the controls inside panels and groups.
      HWND root = GetAncestor(hwnd, GA_ROOT);
      if (root && root != hwnd) return SendMessageW(root, msg, w, l);
      break;
    }
    case WM_PAINT: {
      auto* c = dynamic_cast<ContainerPeer*>(self);
      if (!c) break;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      try {
        c->paint(dc);
      } catch (...) {
        // Painting reads only the control's state; nothing to report.
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, w, l);
}

}  // namespace ui::win32
