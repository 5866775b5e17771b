// The string grid: a window of our own that draws the control's cells
// (fixed rows and columns, grid lines, per-cell colours) and scrolls by
// whole cells. The cells stay in the control; the window keeps only the
// scroll position.
#include <algorithm>
#include <utility>

#include "ui/win32/win32_internal.h"

namespace ui::win32 {

namespace {

constexpr COLORREF kLineColor = RGB(192, 192, 192);

class GridPeer : public WinPeer {
 public:
  GridPeer(Backend32& app, StringGrid& g) : WinPeer(app, g), grid_(g) {}

  void create(HWND parent) override {
    topRow_ = grid_.fixedRows;
    leftCol_ = grid_.fixedCols;
    createChild(kGridClass, WS_TABSTOP | WS_GROUP | (grid_.horizontalScrollBar ? WS_HSCROLL : 0) | WS_VSCROLL,
                WS_EX_CLIENTEDGE, parent);
    updateScrollBars();
    applyCommon();
  }

  void sync(Prop p) override {
    switch (p) {
      case Prop::Caption:
        return;
      case Prop::GridShape:
        clampScroll();
        updateScrollBars();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return;
      case Prop::Cells:
        InvalidateRect(hwnd_, nullptr, FALSE);
        return;
      case Prop::Selection:
        ensureVisible();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return;
      default:
        WinPeer::sync(p);
    }
  }

  void cellChanged(int col, int row) override {
    if (!hwnd_) return;
    RECT rc;
    if (cellRect(col, row, rc)) {
      InflateRect(&rc, 1, 1);
      InvalidateRect(hwnd_, &rc, FALSE);
    }
  }

  LRESULT proc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
      case WM_PAINT:
        paint();
        return 0;
      case WM_ERASEBKGND:
        return 1;  // paint() covers everything
      case WM_SIZE:
        if (!sizing_) {
          sizing_ = true;
          clampScroll();
          updateScrollBars();
          sizing_ = false;
        }
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
        focused_ = msg == WM_SETFOCUS;
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: {
        SetFocus(hwnd_);
        int c, r;
        if (!hit(static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l)), c, r)) return 0;
        if (c < grid_.fixedCols || r < grid_.fixedRows) return 0;
        StringGrid& g = grid_;
        if (msg == WM_LBUTTONDOWN)
          guarded([&g, c, r] { g.userSelect(c, r); });
        else if (g.onDoubleClick)
          guarded([&g] { g.onDoubleClick(); });
        return 0;
      }
      case WM_KEYDOWN:
        if (w == 'C' && GetKeyState(VK_CONTROL) < 0) {
          copy();
          return 0;
        }
        if (key(static_cast<int>(w))) return 0;
        break;
      case WM_COPY:
        copy();
        return 0;
      case WM_VSCROLL:
        scroll(SB_VERT, LOWORD(w));
        return 0;
      case WM_HSCROLL:
        scroll(SB_HORZ, LOWORD(w));
        return 0;
      case WM_MOUSEWHEEL: {
        int notches = GET_WHEEL_DELTA_WPARAM(w) / WHEEL_DELTA;
        setTopRow(topRow_ - 3 * notches);
        return 0;
      }
      case WM_ENABLE:
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      default:
        break;
    }
    return DefWindowProcW(hwnd_, msg, w, l);
  }

 private:
  void copy() {
    const StringGrid& g = grid_;
    guarded([&g] { g.copyToClipboard(); });
  }
  int rowHeight() const { return grid_.defaultRowHeight > 0 ? grid_.defaultRowHeight : 20; }
  int fixedCols() const { return std::min(grid_.fixedCols, grid_.colCount()); }
  int fixedRows() const { return std::min(grid_.fixedRows, grid_.rowCount()); }
  int fixedWidth() const {
    int x = 0;
    for (int c = 0; c < fixedCols(); ++c) x += grid_.colWidth(c) + 1;
    return x;
  }
  int fixedHeight() const { return fixedRows() * (rowHeight() + 1); }
  SIZE clientSize() const {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    return SIZE{rc.right, rc.bottom};
  }
  // Rows that fit whole below the fixed ones (at least one).
  int pageRows() const {
    int avail = clientSize().cy - fixedHeight();
    return std::max(1, avail / (rowHeight() + 1));
  }
  int pageCols() const {
    int avail = clientSize().cx - fixedWidth();
    int n = 0, x = 0;
    for (int c = leftCol_; c < grid_.colCount(); ++c) {
      x += grid_.colWidth(c) + 1;
      if (x > avail) break;
      ++n;
    }
    return std::max(1, n);
  }
  int maxTopRow() const { return std::max(fixedRows(), grid_.rowCount() - pageRows()); }
  // The leftmost first column that still shows the last column whole.
  int maxLeftCol() const {
    int avail = clientSize().cx - fixedWidth();
    int c = grid_.colCount() - 1;
    if (c < fixedCols()) return fixedCols();
    int x = grid_.colWidth(c) + 1;
    while (c - 1 >= fixedCols() && x + grid_.colWidth(c - 1) + 1 <= avail) {
      --c;
      x += grid_.colWidth(c) + 1;
    }
    return std::max(fixedCols(), c);
  }
  void clampScroll() {
    topRow_ = std::clamp(topRow_, fixedRows(), maxTopRow());
    leftCol_ = std::clamp(leftCol_, fixedCols(), maxLeftCol());
  }

  // Left edge of a column on screen, or false when scrolled away.
  bool colLeft(int col, int& x) const {
    if (col < 0 || col >= grid_.colCount()) return false;
    x = 0;
    if (col < fixedCols()) {
      for (int c = 0; c < col; ++c) x += grid_.colWidth(c) + 1;
      return true;
    }
    if (col < leftCol_) return false;
    x = fixedWidth();
    for (int c = leftCol_; c < col; ++c) x += grid_.colWidth(c) + 1;
    return true;
  }
  bool rowTop(int row, int& y) const {
    if (row < 0 || row >= grid_.rowCount()) return false;
    if (row < fixedRows()) {
      y = row * (rowHeight() + 1);
      return true;
    }
    if (row < topRow_) return false;
    y = fixedHeight() + (row - topRow_) * (rowHeight() + 1);
    return true;
  }
  bool cellRect(int col, int row, RECT& rc) const {
    int x, y;
    if (!colLeft(col, x) || !rowTop(row, y)) return false;
    SIZE cs = clientSize();
    if (x >= cs.cx || y >= cs.cy) return false;
    rc = RECT{x, y, x + grid_.colWidth(col), y + rowHeight()};
    return true;
  }

  // The visible columns (rows) with their left (top) edges, in order.
  std::vector<std::pair<int, int>> visibleCols() const {
    std::vector<std::pair<int, int>> out;
    int limit = clientSize().cx, x = 0;
    for (int c = 0; c < fixedCols() && x < limit; ++c) {
      out.emplace_back(c, x);
      x += grid_.colWidth(c) + 1;
    }
    for (int c = leftCol_; c < grid_.colCount() && x < limit; ++c) {
      out.emplace_back(c, x);
      x += grid_.colWidth(c) + 1;
    }
    return out;
  }
  std::vector<std::pair<int, int>> visibleRows() const {
    std::vector<std::pair<int, int>> out;
    int limit = clientSize().cy, y = 0, h = rowHeight() + 1;
    for (int r = 0; r < fixedRows() && y < limit; ++r, y += h) out.emplace_back(r, y);
    for (int r = topRow_; r < grid_.rowCount() && y < limit; ++r, y += h) out.emplace_back(r, y);
    return out;
  }

  bool hit(int px, int py, int& col, int& row) const {
    col = row = -1;
    for (auto [c, x] : visibleCols())
      if (px >= x && px <= x + grid_.colWidth(c)) col = c;
    for (auto [r, y] : visibleRows())
      if (py >= y && py <= y + rowHeight()) row = r;
    return col >= 0 && row >= 0;
  }

  void paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    SIZE cs = clientSize();
    if (cs.cx > 0 && cs.cy > 0) {
      // Drawn off screen first: a grid repainted while it fills must not
      // flicker.
      HDC mem = CreateCompatibleDC(dc);
      HBITMAP bmp = CreateCompatibleBitmap(dc, cs.cx, cs.cy);
      HGDIOBJ oldBmp = SelectObject(mem, bmp);
      RECT all{0, 0, cs.cx, cs.cy};
      FillRect(mem, &all, GetSysColorBrush(COLOR_WINDOW));
      HGDIOBJ oldFont = SelectObject(mem, app_.font());
      SetBkMode(mem, TRANSPARENT);
      HPEN fixedPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
      HPEN normalPen = CreatePen(PS_SOLID, 1, kLineColor);
      HGDIOBJ oldPen = SelectObject(mem, normalPen);
      auto cols = visibleCols();
      for (auto [r, y] : visibleRows())
        for (auto [c, x] : cols) drawCell(mem, c, r, x, y, fixedPen, normalPen);
      SelectObject(mem, oldPen);
      DeleteObject(fixedPen);
      DeleteObject(normalPen);
      SelectObject(mem, oldFont);
      BitBlt(dc, 0, 0, cs.cx, cs.cy, mem, 0, 0, SRCCOPY);
      SelectObject(mem, oldBmp);
      DeleteObject(bmp);
      DeleteDC(mem);
    }
    EndPaint(hwnd_, &ps);
  }

  void drawCell(HDC dc, int c, int r, int x, int y, HPEN fixedPen, HPEN normalPen) {
    int w = grid_.colWidth(c), h = rowHeight();
    bool fixed = c < grid_.fixedCols || r < grid_.fixedRows;
    bool selected = !fixed && r == grid_.row() && (grid_.rowSelect || c == grid_.col());
    Color back = grid_.cellColor(c, r), fore = grid_.cellFontColor(c, r);
    COLORREF bg, fg;
    if (fixed) {
      bg = back != kDefaultColor ? back : GetSysColor(COLOR_BTNFACE);
      fg = fore != kDefaultColor ? fore : GetSysColor(COLOR_BTNTEXT);
    } else if (selected && back == kDefaultColor) {
      bg = GetSysColor(COLOR_HIGHLIGHT);
      fg = GetSysColor(COLOR_HIGHLIGHTTEXT);
    } else {
      bg = back != kDefaultColor ? back : GetSysColor(COLOR_WINDOW);
      fg = fore != kDefaultColor ? fore : GetSysColor(COLOR_WINDOWTEXT);
    }
    if (!IsWindowEnabled(hwnd_) && !fixed) fg = GetSysColor(COLOR_GRAYTEXT);
    RECT rc{x, y, x + w, y + h};
    HBRUSH brush = CreateSolidBrush(bg);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    if (fixed) DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
    if (selected && back != kDefaultColor) {
      // A coloured cell keeps its colour when selected: the colour is the
      // information.
      HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));
      FrameRect(dc, &rc, frame);
      RECT inner = rc;
      InflateRect(&inner, -1, -1);
      FrameRect(dc, &inner, frame);
      DeleteObject(frame);
    }
    const std::string& text = grid_.cell(c, r);
    if (!text.empty()) {
      std::wstring t = wide(text);
      // 2 pixels in from the cell's corner and cut at its edge, as the grids
      // users know draw: a narrow column still shows every character that
      // fits instead of giving two of them to an ellipsis.
      RECT tr{x + 2, y + 2, x + w, y + h};
      SetTextColor(dc, fg);
      DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &tr, DT_SINGLELINE | DT_TOP | DT_LEFT | DT_NOPREFIX);
    }
    if (selected && focused_ && !grid_.rowSelect) {
      RECT fr = rc;
      InflateRect(&fr, -2, -2);
      SetTextColor(dc, RGB(0, 0, 0));
      DrawFocusRect(dc, &fr);
    }
    SelectObject(dc, fixed ? fixedPen : normalPen);
    MoveToEx(dc, x + w, y, nullptr);
    LineTo(dc, x + w, y + h + 1);
    MoveToEx(dc, x, y + h, nullptr);
    LineTo(dc, x + w + 1, y + h);
  }

  void updateScrollBars() {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    int rows = grid_.rowCount() - fixedRows();
    si.nMin = 0;
    si.nMax = std::max(0, rows - 1);
    si.nPage = rows > pageRows() ? pageRows() : std::max(1, rows) + 1;  // a page past the end hides the bar
    si.nPos = topRow_ - fixedRows();
    SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
    // Setting a range would give the window the bar it was made without.
    if (!grid_.horizontalScrollBar) return;
    int cols = grid_.colCount() - fixedCols();
    bool colsFit = maxLeftCol() <= fixedCols() && leftCol_ <= fixedCols();
    si.nMax = std::max(0, cols - 1);
    si.nPage = colsFit ? std::max(1, cols) + 1 : pageCols();
    si.nPos = leftCol_ - fixedCols();
    SetScrollInfo(hwnd_, SB_HORZ, &si, TRUE);
  }

  void setTopRow(int r) {
    r = std::clamp(r, fixedRows(), maxTopRow());
    if (r == topRow_) return;
    topRow_ = r;
    updateScrollBars();
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  void setLeftCol(int c) {
    c = std::clamp(c, fixedCols(), maxLeftCol());
    if (c == leftCol_) return;
    leftCol_ = c;
    updateScrollBars();
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  void scroll(int bar, int code) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(hwnd_, bar, &si);
    bool vert = bar == SB_VERT;
    int pos = vert ? topRow_ : leftCol_;
    int page = vert ? pageRows() : pageCols();
    int base = vert ? fixedRows() : fixedCols();
    switch (code) {
      case SB_LINEUP: --pos; break;
      case SB_LINEDOWN: ++pos; break;
      case SB_PAGEUP: pos -= page; break;
      case SB_PAGEDOWN: pos += page; break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: pos = base + si.nTrackPos; break;
      case SB_TOP: pos = base; break;
      case SB_BOTTOM: pos = vert ? grid_.rowCount() : grid_.colCount(); break;
      default: return;
    }
    if (vert) setTopRow(pos);
    else setLeftCol(pos);
  }

  void ensureVisible() {
    int r = grid_.row(), c = grid_.col();
    if (r >= fixedRows() && r < grid_.rowCount()) {
      if (r < topRow_) topRow_ = r;
      else if (r >= topRow_ + pageRows()) topRow_ = r - pageRows() + 1;
    }
    if (c >= fixedCols() && c < grid_.colCount()) {
      if (c < leftCol_) {
        leftCol_ = c;
      } else {
        int avail = clientSize().cx - fixedWidth();
        auto rightEdge = [&] {
          int x = 0;
          for (int i = leftCol_; i <= c; ++i) x += grid_.colWidth(i) + 1;
          return x;
        };
        while (leftCol_ < c && rightEdge() > avail) ++leftCol_;
      }
    }
    clampScroll();
    updateScrollBars();
  }

  bool key(int vk) {
    int rows = grid_.rowCount(), cols = grid_.colCount();
    if (rows <= fixedRows() || cols <= fixedCols()) return false;
    int c = grid_.col(), r = grid_.row();
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (vk) {
      case VK_UP: --r; break;
      case VK_DOWN: ++r; break;
      case VK_LEFT: --c; break;
      case VK_RIGHT: ++c; break;
      case VK_PRIOR: r -= pageRows(); break;
      case VK_NEXT: r += pageRows(); break;
      case VK_HOME:
        if (ctrl) r = fixedRows();
        else c = fixedCols();
        break;
      case VK_END:
        if (ctrl) r = rows - 1;
        else c = cols - 1;
        break;
      default:
        return false;
    }
    c = std::clamp(c, fixedCols(), cols - 1);
    r = std::clamp(r, fixedRows(), rows - 1);
    if (c != grid_.col() || r != grid_.row()) {
      StringGrid& g = grid_;
      guarded([&g, c, r] { g.userSelect(c, r); });
    }
    ensureVisible();
    InvalidateRect(hwnd_, nullptr, FALSE);
    return true;
  }

  StringGrid& grid_;
  int topRow_ = 1, leftCol_ = 1;  // first scrolled row and column shown
  bool focused_ = false;
  bool sizing_ = false;
};

}  // namespace

std::unique_ptr<WinPeer> makeGridPeer(Backend32& app, StringGrid& grid) { return std::make_unique<GridPeer>(app, grid); }

LRESULT CALLBACK gridProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  GridPeer* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<GridPeer*>(static_cast<WinPeer*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
    if (self) self->adopt(hwnd, false);
  } else {
    self = static_cast<GridPeer*>(WinPeer::of(hwnd));
  }
  if (!self) return DefWindowProcW(hwnd, msg, w, l);
  try {
    return self->proc(msg, w, l);
  } catch (const std::exception& e) {
    reportError(e);
  } catch (...) {
    reportUnknownError();
  }
  return 0;
}

}  // namespace ui::win32
