// The widget layer. A control is a small object that holds its own state;
// when a backend has given it a peer, the peer mirrors that state into a real
// window and reports the user's input back by calling the same setters and
// the `fire…`/`click` operations. Getters read the control's own state, so a
// form behaves the same with or without a peer.
//
// Bounds are in pixels relative to the parent control's client area (for a
// form: its client area), as designed.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
};

// What changed, for a peer to mirror.
enum class Prop {
  Caption, Enabled, Visible, Bounds, Hint, Checked, Items, ItemIndex, Text, ReadOnly,
  Lines, Range, Position, Nodes, Selection, Cells, GridShape, Menu, TopMost, Default,
  Images, Font
};

class Control;
class TreeNode;

class Peer {
 public:
  virtual ~Peer() = default;
  virtual void sync(Prop p) = 0;
  // Tree views: one node added at the end of its parent's children, or one
  // node (with its subtree) about to be removed.
  virtual void nodeAdded(TreeNode* node) {}
  virtual void nodeRemoving(TreeNode* node) {}
  // String grids: one cell's text or colour changed.
  virtual void cellChanged(int col, int row) {}
  // The native handle (HWND) or 0.
  virtual std::uintptr_t handle() const { return 0; }
};

class Form;

class Control {
 public:
  explicit Control(Control* parent, std::string name = {});
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  virtual const char* kind() const = 0;

  const std::string& name() const { return name_; }
  Control* parent() const { return parent_; }
  const std::vector<Control*>& children() const { return children_; }
  Form* form();  // the form this control is on (itself for a form)

  const std::string& caption() const { return caption_; }
  void setCaption(const std::string& c);
  bool enabled() const { return enabled_; }
  void setEnabled(bool e);
  bool visible() const { return visible_; }
  void setVisible(bool v);
  const Rect& bounds() const { return bounds_; }
  void setBounds(int left, int top, int width, int height);
  void setBounds(const Rect& r) { setBounds(r.left, r.top, r.width, r.height); }
  const std::string& hint() const { return hint_; }
  void setHint(const std::string& h);
  int tabOrder() const { return tabOrder_; }

  Peer* peer() const { return peer_.get(); }
  void attachPeer(std::unique_ptr<Peer> p) { peer_ = std::move(p); }
  void detachPeer() { peer_.reset(); }

 protected:
  void notify(Prop p) {
    if (peer_) peer_->sync(p);
  }

 private:
  friend class Form;
  std::string name_;
  Control* parent_;
  std::vector<Control*> children_;
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  Rect bounds_;
  std::string hint_;
  int tabOrder_ = 0;
  std::unique_ptr<Peer> peer_;
};

// ---------------------------------------------------------------- menus

class MenuItem {
 public:
  explicit MenuItem(std::string caption = {}, std::function<void()> onClick = {});
  std::string caption;  // "-" draws a separator
  bool enabled = true;
  std::function<void()> onClick;
  std::vector<std::unique_ptr<MenuItem>> items;
  MenuItem* add(std::string caption, std::function<void()> onClick = {});
  void click() {
    if (enabled && onClick) onClick();
  }
};

class Menu {
 public:
  std::vector<std::unique_ptr<MenuItem>> items;
  MenuItem* add(std::string caption, std::function<void()> onClick = {});
  MenuItem* find(const std::string& caption);  // depth-first by caption
};

// ---------------------------------------------------------------- controls

// Colours are 0x00BBGGRR as the user's system writes them.
using Color = std::uint32_t;
inline constexpr Color kDefaultColor = 0xFFFFFFFFu;

class Label : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "Label"; }
  // The text colour; kDefaultColor is the system's.
  Color fontColor() const { return fontColor_; }
  void setFontColor(Color c);

 private:
  Color fontColor_ = kDefaultColor;
};

// Modal results, with the values the user's system uses.
enum ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrYes = 6, mrNo = 7 };

class Button : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "Button"; }
  std::function<void()> onClick;
  // A click on a button with a modal result closes its form with it.
  int modalResult = mrNone;
  bool isDefault() const { return default_; }
  void setDefault(bool d);
  bool isCancel = false;  // Escape presses it
  bool flat = false;      // drawn as a speed button
  // The user's click: fires onClick, then applies modalResult.
  void click();

 private:
  bool default_ = false;
};

class CheckBox : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "CheckBox"; }
  bool checked() const { return checked_; }
  void setChecked(bool c);  // by the program: no event
  std::function<void()> onClick;
  void click();  // the user's click: toggles, then onClick

 private:
  bool checked_ = false;
};

// A single radio button; the buttons with the same parent form one group:
// checking one unchecks the others.
class RadioButton : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "RadioButton"; }
  bool checked() const { return checked_; }
  void setChecked(bool c);  // by the program: no event
  std::function<void()> onClick;
  void click();  // the user's click: checks it, then onClick

 private:
  bool checked_ = false;
};

class RadioGroup : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "RadioGroup"; }
  const std::vector<std::string>& items() const { return items_; }
  void setItems(std::vector<std::string> items);
  int itemIndex() const { return itemIndex_; }
  void setItemIndex(int i);  // out of range: -1
  int columns = 1;
  std::function<void()> onClick;
  void click(int index);  // the user's choice

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

class ComboBox : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "ComboBox"; }
  bool dropDownList = true;  // false: editable
  bool sorted() const { return sorted_; }
  void setSorted(bool s);
  const std::vector<std::string>& items() const { return items_; }
  int addItem(const std::string& s);  // returns its index (sorted position when sorted)
  void setItems(std::vector<std::string> items);
  void clear();
  int count() const { return static_cast<int>(items_.size()); }
  int itemIndex() const { return itemIndex_; }
  void setItemIndex(int i);  // out of range: -1
  // The selected item's text, or the edited text of an editable box.
  std::string text() const;
  void setText(const std::string& t);
  // Case-insensitive exact search; -1 when absent.
  int indexOf(const std::string& s) const;
  std::function<void()> onChange;
  std::function<void()> onDropDown;
  void choose(int index);      // the user's choice: select, then onChange
  void userEdit(const std::string& t);
  void dropDown();             // the user opens the list

 private:
  bool sorted_ = false;
  std::vector<std::string> items_;
  int itemIndex_ = -1;
  std::string editText_;
};

class Edit : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "Edit"; }
  const std::string& text() const { return text_; }
  void setText(const std::string& t);
  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool r);
  std::function<void()> onChange;
  void userEdit(const std::string& t);  // sets text, then onChange

 private:
  std::string text_;
  bool readOnly_ = false;
};

class Memo : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "Memo"; }
  const std::vector<std::string>& lines() const { return lines_; }
  void setLines(std::vector<std::string> lines);
  void addLine(const std::string& line);
  void clear();
  std::string text() const;  // lines joined with CR LF
  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool r);
  void userEdit(std::vector<std::string> lines) { lines_ = std::move(lines); }

 private:
  std::vector<std::string> lines_;
  bool readOnly_ = false;
};

class ListBox : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "ListBox"; }
  bool sorted = false;
  const std::vector<std::string>& items() const { return items_; }
  int addItem(const std::string& s);
  void setItems(std::vector<std::string> items);
  void deleteItem(int index);
  void clear();
  int count() const { return static_cast<int>(items_.size()); }
  int itemIndex() const { return itemIndex_; }
  void setItemIndex(int i);
  std::function<void()> onClick;
  std::function<void()> onDoubleClick;
  void click(int index);

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

class ImageList {
 public:
  // Native icon handles (HICON) owned by the list; the headless backend
  // stores whatever number it is given.
  int add(std::uintptr_t icon) {
    icons.push_back(icon);
    return static_cast<int>(icons.size()) - 1;
  }
  int count() const { return static_cast<int>(icons.size()); }
  std::vector<std::uintptr_t> icons;
  int width = 16, height = 16;
};

class TreeNode {
 public:
  const std::string& text() const { return text_; }
  int imageIndex() const { return imageIndex_; }
  TreeNode* parent() const { return parent_; }
  const std::vector<std::unique_ptr<TreeNode>>& children() const { return children_; }
  int level() const;  // 0 for a top-level node
  std::string data;   // what the node stands for (a path)
  bool isDrawing = false;
  void* peerData = nullptr;  // for the backend (HTREEITEM)

 private:
  friend class TreeView;
  std::string text_;
  int imageIndex_ = -1;
  TreeNode* parent_ = nullptr;
  std::vector<std::unique_ptr<TreeNode>> children_;
};

class TreeView : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "TreeView"; }
  // Appends a node at the end of parent's children (parent null: top level).
  TreeNode* addChild(TreeNode* parent, const std::string& text, int imageIndex = -1);
  void deleteNode(TreeNode* node);  // with its subtree
  void clear();
  const std::vector<std::unique_ptr<TreeNode>>& roots() const { return roots_; }
  int nodeCount() const { return nodeCount_; }
  TreeNode* selected() const { return selected_; }
  void setSelected(TreeNode* n);
  // Depth-first, pre-order: every node in display order.
  void forEach(const std::function<void(TreeNode*)>& fn) const;
  // Redraw suspended while a large fill runs.
  void beginUpdate();
  void endUpdate();
  bool updating() const { return updateDepth_ > 0; }
  ImageList* images = nullptr;
  Menu* popupMenu = nullptr;
  std::function<void()> onChange;  // selection changed by the user
  void userSelect(TreeNode* n);

 private:
  std::vector<std::unique_ptr<TreeNode>> roots_;
  int nodeCount_ = 0;
  TreeNode* selected_ = nullptr;
  int updateDepth_ = 0;
};

class StringGrid : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "StringGrid"; }
  int colCount() const { return cols_; }
  int rowCount() const { return rows_; }
  void setColCount(int n);
  void setRowCount(int n);
  int fixedCols = 1, fixedRows = 1;
  int defaultColWidth = 64, defaultRowHeight = 20;
  std::vector<int> colWidths;  // per column; missing entries use the default
  int colWidth(int c) const;
  void setColWidth(int c, int w);
  const std::string& cell(int col, int row) const;
  void setCell(int col, int row, const std::string& text);
  Color cellColor(int col, int row) const;      // background, kDefaultColor = normal
  void setCellColor(int col, int row, Color c);
  Color cellFontColor(int col, int row) const;  // text, kDefaultColor = normal
  void setCellFontColor(int col, int row, Color c);
  int col() const { return selCol_; }
  int row() const { return selRow_; }
  void setSelection(int col, int row);
  bool rowSelect = false;
  bool horizontalScrollBar = true;  // set before the grid gets its window
  std::function<void(int col, int row, bool& canSelect)> onSelectCell;
  std::function<void()> onClick;
  std::function<void()> onDoubleClick;
  void userSelect(int col, int row);  // asks onSelectCell, then selects and onClick
  // The whole table, header rows included: cells separated by tabs, rows
  // by CR LF, as spreadsheets and mail programs paste it.
  std::string tableText() const;
  // Ctrl+C or a copy message to the grid: the table onto the clipboard.
  void copyToClipboard() const;

 private:
  struct Cell {
    std::string text;
    Color back = kDefaultColor, fore = kDefaultColor;
  };
  Cell& at(int col, int row);
  int cols_ = 5, rows_ = 5;
  std::vector<Cell> cells_ = std::vector<Cell>(5 * 5);  // rows_ * cols_, row-major
  int selCol_ = 1, selRow_ = 1;
};

class ProgressBar : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "ProgressBar"; }
  int min() const { return min_; }
  int max() const { return max_; }
  void setRange(int min, int max);
  int position() const { return pos_; }
  void setPosition(int p);  // clamped into the range

 private:
  int min_ = 0, max_ = 100, pos_ = 0;
};

class Panel : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "Panel"; }
  bool bevel = true;
};

class GroupBox : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "GroupBox"; }
};

// ---------------------------------------------------------------- forms

enum class FormPosition { Designed, ScreenCenter };

class Form : public Control {
 public:
  Form(std::string className, Form* owner = nullptr);
  ~Form() override;
  const char* kind() const override { return "Form"; }
  // The form's class name ("TMain"), which tests use to script modal forms.
  const std::string& className() const { return className_; }
  Form* owner() const { return owner_; }

  FormPosition position = FormPosition::Designed;
  bool topMost() const { return topMost_; }
  void setTopMost(bool t);
  bool resizable = true;
  // False: the title bar has no buttons (no system menu, no close box).
  bool systemMenu = true;
  // Every form that exists, in creation order.
  static const std::vector<Form*>& allForms();
  // Size of the client area when the form's bounds are the outer frame.
  int clientWidth = 0, clientHeight = 0;
  // The main menu, if any.
  std::unique_ptr<Menu> menu;
  // Accepts files dropped from the shell.
  bool acceptFiles = false;
  // Controls of this form in creation order (the form owns them).
  template <typename T, typename... A>
  T* make(Control* parent, A&&... args) {
    auto p = std::make_unique<T>(parent ? parent : this, std::forward<A>(args)...);
    T* raw = p.get();
    p->tabOrder_ = static_cast<int>(owned_.size());
    owned_.push_back(std::move(p));
    return raw;
  }

  // A control with its caption and bounds, in one step.
  template <typename T>
  T* place(Control* parent, const std::string& caption, int x, int y, int w, int h) {
    T* c = make<T>(parent);
    c->setCaption(caption);
    c->setBounds(x, y, w, h);
    return c;
  }

  // Showing and closing.
  void show();
  void hide();
  int showModal();  // the modal result
  bool isModal() const { return modal_; }
  // Close: onCloseQuery may refuse; onClose runs; the form hides (a modal
  // form ends with its modal result, mrCancel when none was set).
  void close();
  int modalResult() const { return modalResult_; }
  void setModalResult(int r);  // non-zero on a modal form closes it

  std::function<void()> onShow;
  // The main form only: once, after it has appeared and before the program
  // waits for the user's first input.
  std::function<void()> onStarted;
  std::function<void(bool& canClose)> onCloseQuery;
  std::function<void()> onClose;
  std::function<void(const std::vector<std::string>&)> onDropFiles;
  // Copy-data message (dwData, bytes as sent). The answer is returned to the
  // sender only after the handler returns.
  std::function<bool(std::uintptr_t, const std::string&)> onCopyData;

  // The native window handle (HWND), created on demand; 0 in headless runs.
  std::uintptr_t handle();
  bool shown() const { return shown_; }

  // Called by backends.
  void setShownState(bool s) { shown_ = s; }
  void setModalState(bool m) { modal_ = m; }
  void fireShow() {
    if (onShow) onShow();
  }

 private:
  std::string className_;
  Form* owner_;
  bool topMost_ = false;
  bool shown_ = false;
  bool modal_ = false;
  int modalResult_ = mrNone;
  std::vector<std::unique_ptr<Control>> owned_;
};

}  // namespace ui
