#include "ui/widgets.h"

#include <algorithm>

#include "base/text.h"
#include "platform/context.h"
#include "ui/application.h"

namespace ui {

// ---------------------------------------------------------------- Control

Control::Control(Control* parent, std::string name) : name_(std::move(name)), parent_(parent) {
  if (parent_) parent_->children_.push_back(this);
}

Control::~Control() {
  peer_.reset();
  if (parent_) {
    auto& c = parent_->children_;
    c.erase(std::remove(c.begin(), c.end(), this), c.end());
  }
  for (Control* child : children_) child->parent_ = nullptr;
}

Form* Control::form() {
  Control* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<Form*>(c);
}

void Control::setCaption(const std::string& c) {
  if (caption_ == c) return;
  caption_ = c;
  notify(Prop::Caption);
}
void Control::setEnabled(bool e) {
  if (enabled_ == e) return;
  enabled_ = e;
  notify(Prop::Enabled);
}
void Control::setVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  notify(Prop::Visible);
}
void Control::setBounds(int left, int top, int width, int height) {
  bounds_ = {left, top, width, height};
  notify(Prop::Bounds);
}
void Control::setHint(const std::string& h) {
  hint_ = h;
  notify(Prop::Hint);
}

// ---------------------------------------------------------------- menus

MenuItem::MenuItem(std::string c, std::function<void()> f) : caption(std::move(c)), onClick(std::move(f)) {}

MenuItem* MenuItem::add(std::string c, std::function<void()> f) {
  items.push_back(std::make_unique<MenuItem>(std::move(c), std::move(f)));
  return items.back().get();
}

MenuItem* Menu::add(std::string c, std::function<void()> f) {
  items.push_back(std::make_unique<MenuItem>(std::move(c), std::move(f)));
  return items.back().get();
}

namespace {
MenuItem* findIn(const std::vector<std::unique_ptr<MenuItem>>& items, const std::string& caption) {
  for (auto& i : items) {
    if (i->caption == caption) return i.get();
    if (MenuItem* m = findIn(i->items, caption)) return m;
  }
  return nullptr;
}
}  // namespace

MenuItem* Menu::find(const std::string& caption) { return findIn(items, caption); }

// ---------------------------------------------------------------- Label

void Label::setFontColor(Color c) {
  if (fontColor_ == c) return;
  fontColor_ = c;
  notify(Prop::Font);
}

// ---------------------------------------------------------------- Button, CheckBox

void Button::setDefault(bool d) {
  default_ = d;
  notify(Prop::Default);
}

void Button::click() {
  if (!enabled() || !visible()) return;
  if (onClick) dispatch(onClick);
  if (modalResult != mrNone) {
    if (Form* f = form()) f->setModalResult(modalResult);
  }
}

void CheckBox::setChecked(bool c) {
  if (checked_ == c) return;
  checked_ = c;
  notify(Prop::Checked);
}

void CheckBox::click() {
  if (!enabled()) return;
  setChecked(!checked_);
  if (onClick) dispatch(onClick);
}

void RadioButton::setChecked(bool c) {
  if (checked_ == c) return;
  checked_ = c;
  notify(Prop::Checked);
  if (!c || !parent()) return;
  for (Control* sibling : parent()->children())
    if (auto* r = dynamic_cast<RadioButton*>(sibling); r && r != this) r->setChecked(false);
}

void RadioButton::click() {
  if (!enabled()) return;
  setChecked(true);
  if (onClick) dispatch(onClick);
}

// ---------------------------------------------------------------- sorted lists

namespace {
// The order of sorted combo and list boxes.
bool lessNoCase(const std::string& a, const std::string& b) { return base::compareTextNoCase(a, b) < 0; }

// The last item that equals the text exactly, or -1.
int lastExactIndex(const std::vector<std::string>& items, const std::string& t) {
  int found = -1;
  for (int i = 0; i < static_cast<int>(items.size()); ++i)
    if (items[i] == t) found = i;
  return found;
}
}  // namespace

// ---------------------------------------------------------------- RadioGroup

void RadioGroup::setItems(std::vector<std::string> items) {
  items_ = std::move(items);
  if (itemIndex_ >= static_cast<int>(items_.size())) itemIndex_ = -1;
  notify(Prop::Items);
}

void RadioGroup::setItemIndex(int i) {
  if (i < 0 || i >= static_cast<int>(items_.size())) i = -1;
  if (itemIndex_ == i) return;
  itemIndex_ = i;
  notify(Prop::ItemIndex);
}

void RadioGroup::click(int index) {
  if (!enabled()) return;
  setItemIndex(index);
  if (onClick) dispatch(onClick);
}

// ---------------------------------------------------------------- ComboBox

void ComboBox::setSorted(bool s) {
  sorted_ = s;
  if (s) {
    std::string current = itemIndex_ >= 0 ? items_[itemIndex_] : std::string();
    std::stable_sort(items_.begin(), items_.end(), lessNoCase);
    if (itemIndex_ >= 0) itemIndex_ = indexOf(current);
    notify(Prop::Items);
  }
}

int ComboBox::addItem(const std::string& s) {
  int at = static_cast<int>(items_.size());
  if (sorted_) {
    auto it = std::upper_bound(items_.begin(), items_.end(), s, lessNoCase);
    at = static_cast<int>(it - items_.begin());
    if (itemIndex_ >= at) ++itemIndex_;
  }
  items_.insert(items_.begin() + at, s);
  notify(Prop::Items);
  return at;
}

void ComboBox::setItems(std::vector<std::string> items) {
  items_.clear();
  itemIndex_ = -1;
  if (sorted_) {
    std::stable_sort(items.begin(), items.end(), lessNoCase);
  }
  items_ = std::move(items);
  notify(Prop::Items);
}

void ComboBox::clear() {
  items_.clear();
  itemIndex_ = -1;
  editText_.clear();
  notify(Prop::Items);
}

void ComboBox::setItemIndex(int i) {
  if (i < 0 || i >= count()) i = -1;
  itemIndex_ = i;
  if (i >= 0) editText_ = items_[i];
  notify(Prop::ItemIndex);
}

std::string ComboBox::text() const {
  if (dropDownList) return itemIndex_ >= 0 ? items_[itemIndex_] : std::string();
  return editText_;
}

void ComboBox::setText(const std::string& t) {
  if (dropDownList) {
    setItemIndex(indexOf(t));
    return;
  }
  editText_ = t;
  itemIndex_ = lastExactIndex(items_, t);
  notify(Prop::Text);
}

int ComboBox::indexOf(const std::string& s) const {
  for (int i = 0; i < count(); ++i)
    if (base::equalsNoCase(items_[i], s)) return i;
  return -1;
}

void ComboBox::choose(int index) {
  if (!enabled()) return;
  setItemIndex(index);
  if (onChange) dispatch(onChange);
}

void ComboBox::userEdit(const std::string& t) {
  editText_ = t;
  itemIndex_ = lastExactIndex(items_, t);
  if (onChange) dispatch(onChange);
}

void ComboBox::dropDown() {
  if (onDropDown) dispatch(onDropDown);
}

// ---------------------------------------------------------------- Edit, Memo

void Edit::setText(const std::string& t) {
  if (text_ == t) return;
  text_ = t;
  notify(Prop::Text);
}

void Edit::setReadOnly(bool r) {
  readOnly_ = r;
  notify(Prop::ReadOnly);
}

void Edit::userEdit(const std::string& t) {
  text_ = t;
  if (onChange) dispatch(onChange);
}

void Memo::setLines(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  notify(Prop::Lines);
}
void Memo::addLine(const std::string& line) {
  lines_.push_back(line);
  notify(Prop::Lines);
}
void Memo::clear() {
  lines_.clear();
  notify(Prop::Lines);
}
std::string Memo::text() const {
  std::string s;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i) s += "\r\n";
    s += lines_[i];
  }
  return s;
}
void Memo::setReadOnly(bool r) {
  readOnly_ = r;
  notify(Prop::ReadOnly);
}

// ---------------------------------------------------------------- ListBox

int ListBox::addItem(const std::string& s) {
  int at = static_cast<int>(items_.size());
  if (sorted) {
    auto it = std::upper_bound(items_.begin(), items_.end(), s, lessNoCase);
    at = static_cast<int>(it - items_.begin());
  }
  items_.insert(items_.begin() + at, s);
  notify(Prop::Items);
  return at;
}
void ListBox::setItems(std::vector<std::string> items) {
  items_ = std::move(items);
  itemIndex_ = -1;
  notify(Prop::Items);
}
void ListBox::deleteItem(int index) {
  if (index < 0 || index >= count()) return;
  items_.erase(items_.begin() + index);
  if (itemIndex_ >= count()) itemIndex_ = count() - 1;
  notify(Prop::Items);
}
void ListBox::clear() {
  items_.clear();
  itemIndex_ = -1;
  notify(Prop::Items);
}
void ListBox::setItemIndex(int i) {
  if (i < 0 || i >= count()) i = -1;
  itemIndex_ = i;
  notify(Prop::ItemIndex);
}
void ListBox::click(int index) {
  setItemIndex(index);
  if (onClick) dispatch(onClick);
}

// ---------------------------------------------------------------- TreeView

int TreeNode::level() const {
  int n = 0;
  for (TreeNode* p = parent_; p; p = p->parent_) ++n;
  return n;
}

TreeNode* TreeView::addChild(TreeNode* parent, const std::string& text, int imageIndex) {
  auto node = std::make_unique<TreeNode>();
  node->text_ = text;
  node->imageIndex_ = imageIndex;
  node->parent_ = parent;
  TreeNode* raw = node.get();
  (parent ? parent->children_ : roots_).push_back(std::move(node));
  ++nodeCount_;
  if (peer()) peer()->nodeAdded(raw);
  return raw;
}

namespace {
int subtreeSize(const TreeNode* n) {
  int s = 1;
  for (auto& c : n->children()) s += subtreeSize(c.get());
  return s;
}
bool inSubtree(const TreeNode* root, const TreeNode* n) {
  for (; n; n = n->parent())
    if (n == root) return true;
  return false;
}
}  // namespace

void TreeView::deleteNode(TreeNode* node) {
  if (!node) return;
  if (peer()) peer()->nodeRemoving(node);
  if (inSubtree(node, selected_)) selected_ = nullptr;
  nodeCount_ -= subtreeSize(node);
  auto& list = node->parent_ ? node->parent_->children_ : roots_;
  auto it = std::find_if(list.begin(), list.end(), [&](auto& p) { return p.get() == node; });
  if (it != list.end()) list.erase(it);
}

void TreeView::clear() {
  roots_.clear();
  nodeCount_ = 0;
  selected_ = nullptr;
  notify(Prop::Nodes);
}

void TreeView::setSelected(TreeNode* n) {
  selected_ = n;
  notify(Prop::Selection);
}

void TreeView::userSelect(TreeNode* n) {
  selected_ = n;
  if (onChange) dispatch(onChange);
}

namespace {
void walk(const std::vector<std::unique_ptr<TreeNode>>& list, const std::function<void(TreeNode*)>& fn) {
  for (auto& n : list) {
    fn(n.get());
    walk(n->children(), fn);
  }
}
}  // namespace

void TreeView::forEach(const std::function<void(TreeNode*)>& fn) const { walk(roots_, fn); }

void TreeView::beginUpdate() {
  if (updateDepth_++ == 0) notify(Prop::Nodes);
}
void TreeView::endUpdate() {
  if (updateDepth_ > 0 && --updateDepth_ == 0) notify(Prop::Nodes);
}

// ---------------------------------------------------------------- StringGrid

void StringGrid::setColCount(int n) {
  if (n < 0) n = 0;
  std::vector<Cell> next(static_cast<size_t>(n) * rows_);
  for (int r = 0; r < rows_; ++r)
    for (int c = 0; c < std::min(n, cols_); ++c) next[r * n + c] = std::move(cells_[r * cols_ + c]);
  cols_ = n;
  cells_ = std::move(next);
  notify(Prop::GridShape);
}

void StringGrid::setRowCount(int n) {
  if (n < 0) n = 0;
  rows_ = n;
  cells_.resize(static_cast<size_t>(rows_) * cols_);
  notify(Prop::GridShape);
}

int StringGrid::colWidth(int c) const {
  if (c >= 0 && c < static_cast<int>(colWidths.size()) && colWidths[c] > 0) return colWidths[c];
  return defaultColWidth;
}

void StringGrid::setColWidth(int c, int w) {
  if (c < 0) return;
  if (static_cast<int>(colWidths.size()) <= c) colWidths.resize(c + 1, 0);
  colWidths[c] = w;
  notify(Prop::GridShape);
}

StringGrid::Cell& StringGrid::at(int col, int row) {
  // Reading or writing outside the grid grows it, as a grid user expects
  // when it fills rows ahead of setting the count.
  if (col >= cols_) setColCount(col + 1);
  if (row >= rows_) setRowCount(row + 1);
  return cells_[static_cast<size_t>(row) * cols_ + col];
}

std::string StringGrid::tableText() const {
  std::string out;
  for (int r = 0; r < rows_; ++r) {
    if (r > 0) out += "\r\n";
    for (int c = 0; c < cols_; ++c) {
      if (c > 0) out += '\t';
      out += cell(c, r);
    }
  }
  return out;
}

void StringGrid::copyToClipboard() const {
  // A program without the platform's services (the widget gallery) has no
  // clipboard to copy to.
  if (platform::context().clipboard) platform::clipboard().setText(tableText());
}

const std::string& StringGrid::cell(int col, int row) const {
  static const std::string empty;
  if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return empty;
  return cells_[static_cast<size_t>(row) * cols_ + col].text;
}

void StringGrid::setCell(int col, int row, const std::string& text) {
  if (col < 0 || row < 0) return;
  at(col, row).text = text;
  if (peer()) peer()->cellChanged(col, row);
}

Color StringGrid::cellColor(int col, int row) const {
  if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return kDefaultColor;
  return cells_[static_cast<size_t>(row) * cols_ + col].back;
}

void StringGrid::setCellColor(int col, int row, Color c) {
  if (col < 0 || row < 0) return;
  at(col, row).back = c;
  if (peer()) peer()->cellChanged(col, row);
}

Color StringGrid::cellFontColor(int col, int row) const {
  if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return kDefaultColor;
  return cells_[static_cast<size_t>(row) * cols_ + col].fore;
}

void StringGrid::setCellFontColor(int col, int row, Color c) {
  if (col < 0 || row < 0) return;
  at(col, row).fore = c;
  if (peer()) peer()->cellChanged(col, row);
}

void StringGrid::setSelection(int col, int row) {
  selCol_ = col;
  selRow_ = row;
  notify(Prop::Selection);
}

void StringGrid::userSelect(int col, int row) {
  bool can = true;
  if (onSelectCell) onSelectCell(col, row, can);
  if (!can) return;
  setSelection(col, row);
  if (onClick) dispatch(onClick);
}

// ---------------------------------------------------------------- ProgressBar

void ProgressBar::setRange(int mn, int mx) {
  min_ = mn;
  max_ = std::max(mn, mx);
  pos_ = std::clamp(pos_, min_, max_);
  notify(Prop::Range);
}

void ProgressBar::setPosition(int p) {
  pos_ = std::clamp(p, min_, max_);
  notify(Prop::Position);
}

// ---------------------------------------------------------------- Form

namespace {
std::vector<Form*>& formRegistry() {
  static std::vector<Form*> forms;
  return forms;
}
}  // namespace

const std::vector<Form*>& Form::allForms() { return formRegistry(); }

Form::Form(std::string className, Form* owner)
    : Control(nullptr, className), className_(std::move(className)), owner_(owner) {
  formRegistry().push_back(this);
}

Form::~Form() {
  std::erase(formRegistry(), this);
  // Peers of children go before the form's own window.
  for (auto& c : owned_) c->detachPeer();
  detachPeer();
}

void Form::setTopMost(bool t) {
  topMost_ = t;
  notify(Prop::TopMost);
}

void Form::show() {
  if (hasBackend()) backend().showForm(*this);
  else shown_ = true;
}

void Form::hide() {
  if (hasBackend()) backend().hideForm(*this);
  else shown_ = false;
}

int Form::showModal() {
  modalResult_ = mrNone;
  if (!hasBackend()) return mrCancel;
  return backend().showModal(*this);
}

void Form::close() {
  bool can = true;
  if (onCloseQuery) onCloseQuery(can);
  if (!can) return;
  if (onClose) dispatch(onClose);
  if (modal_ && modalResult_ == mrNone) modalResult_ = mrCancel;
  if (hasBackend()) backend().formClosed(*this);
  shown_ = false;
}

void Form::setModalResult(int r) {
  modalResult_ = r;
  if (r != mrNone && modal_) close();
}

std::uintptr_t Form::handle() {
  if (!peer() && hasBackend()) backend().realize(*this);
  return peer() ? peer()->handle() : 0;
}

}  // namespace ui
