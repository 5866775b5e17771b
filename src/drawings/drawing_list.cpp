#include "drawings/drawing_list.h"

#include <algorithm>

#include "base/codec.h"
#include "base/paths.h"
#include "base/text.h"
#include "platform/context.h"
#include "ui/application.h"

namespace drawings {

namespace {

const char* const kRefusedText = "データがDropされていません。";
// AutoCAD 2000-2006 are given paths in CP932 only: at most this many of the
// paths they cannot be given are listed, then the count of the others.
const size_t kListedUnreachable = 10;

std::string lowerExtension(const std::string& path) { return base::asciiLower(base::extensionOf(path)); }

bool isArchive(const std::string& ext) { return ext == ".lzh" || ext == ".zip"; }

bool lessNoCase(const std::string& a, const std::string& b) { return base::compareTextNoCase(a, b) < 0; }

// Redraw stays suspended while the tree fills, also when the fill throws.
class TreeUpdate {
 public:
  explicit TreeUpdate(ui::TreeView& t) : tree_(t) { tree_.beginUpdate(); }
  ~TreeUpdate() { tree_.endUpdate(); }
  TreeUpdate(const TreeUpdate&) = delete;
  TreeUpdate& operator=(const TreeUpdate&) = delete;

 private:
  ui::TreeView& tree_;
};

// One entry of a drop's working list. Entries that come from a folder listing
// carry the listing's folder attribute, so that no entry is looked up twice.
struct WorkItem {
  enum class Kind { Unknown, Folder, File };
  std::string path;
  Kind kind;
};

// The message about drawings left out of the tree because AutoCAD could
// never be told their paths.
std::string unreachableMessage(const std::vector<std::pair<std::string, std::string>>& refused) {
  std::string text =
      "次の図面は、パスに AutoCAD で扱えない文字が含まれているため、AutoCAD で開くことができません。\r\n"
      "これらの図面は一覧に加えませんでした。\r\n\r\n";
  for (size_t i = 0; i < refused.size() && i < kListedUnreachable; ++i)
    text += refused[i].first + "\r\n      扱えない文字: " + base::describeChar(refused[i].second) + "\r\n";
  if (refused.size() > kListedUnreachable)
    text += "ほか " + base::intToStr(static_cast<long long>(refused.size() - kListedUnreachable)) + " 件\r\n";
  text += "\r\nフォルダ名やファイル名をこれらの文字を含まないものに変えてから、もう一度Dropしてください。";
  return text;
}

}  // namespace

DrawingList::DrawingList(const DrawingListParts& parts) : p_(parts) {
  if (p_.images.count() == 0) {
    platform::Shell* shell = platform::context().shell;
    p_.images.add(shell ? shell->smallFolderIcon() : 0);
  }
}

void DrawingList::OnFilesDropped(const std::vector<std::string>& paths) {
  p_.droppedItems.clear();
  // Paths are taken whole, however long.
  p_.droppedItems.assign(paths.begin(), paths.end());
  std::stable_sort(p_.droppedItems.begin(), p_.droppedItems.end(), lessNoCase);
  CollectDrop();
  UpdateDrawingCount();
}

void DrawingList::CollectDrop() {
  std::vector<WorkItem> work;
  work.reserve(p_.droppedItems.size());
  for (const std::string& d : p_.droppedItems) work.push_back({d, WorkItem::Kind::Unknown});

  const bool children = p_.childFolderBox.checked();
  // The list grows while it is examined; new entries are examined in turn.
  for (size_t i = 0; i < work.size(); ++i) {
    const std::string path = work[i].path;
    bool folder = false;
    if (work[i].kind == WorkItem::Kind::Unknown) folder = base::folderExists(path);
    else folder = work[i].kind == WorkItem::Kind::Folder;
    if (folder) {
      for (const base::DirEntry& e : base::listFolder(path)) {
        if (e.isFolder && !children) continue;
        work.push_back({base::joinPath(path, e.name), e.isFolder ? WorkItem::Kind::Folder : WorkItem::Kind::File});
      }
      continue;
    }
    const std::string ext = lowerExtension(path);
    if (ext == ".lnk") {
      const std::string target = ResolveShortcut(path);
      if (!target.empty() && base::fileExists(target)) {
        work.push_back({target, WorkItem::Kind::File});
        p_.droppedItems.push_back(target);
      }
    } else if (isArchive(ext) && ExtractArchive) {
      const std::string extracted = ExtractArchive(path);
      if (extracted != kExtractCancelled) {
        work.push_back({extracted, WorkItem::Kind::Unknown});
        p_.droppedItems.push_back(extracted);
      }
    }
  }

  // Drawings whose paths AutoCAD cannot be given are never listed: a run
  // could only fail on them. They do not count as drawings of the drop.
  std::vector<std::pair<std::string, std::string>> unreachable;
  bool hasDwg = false, hasDxf = false;
  for (const WorkItem& w : work) {
    const std::string ext = lowerExtension(w.path);
    if (ext != ".dwg" && ext != ".dxf") continue;
    if (accepts(w.path)) {
      if (auto bad = base::firstCharWithoutCp932(w.path)) {
        // A folder named like a drawing is walked, never listed.
        if (w.kind == WorkItem::Kind::File || !base::folderExists(w.path)) unreachable.emplace_back(w.path, *bad);
        continue;
      }
    }
    hasDwg = hasDwg || ext == ".dwg";
    hasDxf = hasDxf || ext == ".dxf";
  }
  const bool dwg = p_.dwgBox.checked(), dxf = p_.dxfBox.checked();
  bool refused = false;
  if (dwg && dxf) refused = !hasDwg && !hasDxf;
  else if (dwg) refused = !hasDwg;
  else if (dxf) refused = !hasDxf;
  if (refused) {
    if (unreachable.empty()) ui::messageBox(&p_.owner, kRefusedText, ui::kWrenlyCaption);
    else ui::messageBox(&p_.owner, unreachableMessage(unreachable));
    return;
  }

  {
    TreeUpdate update(p_.tree);
    // Index loop: the list is not changed here, but it is the field itself.
    for (size_t i = 0; i < p_.droppedItems.size(); ++i) {
      const std::string path = p_.droppedItems[i];
      if (base::folderExists(path)) {
        ui::TreeNode* node = AddNode(nullptr, path, true);
        WalkFolder(path);
        p_.tree.setSelected(node);
      } else {
        AddNode(nullptr, path, false);
      }
    }
  }
  // After the tree and its count are drawn, so that the user sees what was
  // listed beside the message.
  if (!unreachable.empty()) {
    UpdateDrawingCount();
    ui::messageBox(&p_.owner, unreachableMessage(unreachable));
  }
}

void DrawingList::WalkFolder(const std::string& folder) { walk(p_.tree.selected(), folder); }

void DrawingList::walk(ui::TreeNode* parent, const std::string& folder) {
  const bool children = p_.childFolderBox.checked();
  for (const base::DirEntry& e : base::listFolder(folder)) {
    if (e.isFolder) {
      // A folder is never listed as a drawing, whatever its name.
      if (!children) continue;
      ui::TreeNode* node = AddNode(parent, e.name, true);
      walk(node, base::joinPath(folder, e.name));
    } else {
      AddNode(parent, base::joinPath(folder, e.name), false);
    }
  }
}

bool DrawingList::accepts(const std::string& path) const {
  const std::string ext = lowerExtension(path);
  if (ext == ".dwg") return p_.dwgBox.checked();
  if (ext == ".dxf") return p_.dxfBox.checked();
  return false;
}

ui::TreeNode* DrawingList::AddNode(ui::TreeNode* parent, const std::string& path, bool isFolder) {
  if (!isFolder && !accepts(path)) return parent;
  // AutoCAD could not be given the path (the drop has said so).
  if (!isFolder && base::firstCharWithoutCp932(path)) return parent;
  std::string text = base::fileNameOf(path);
  if (text.empty()) text = path;  // a drive root has no name of its own
  const int image = isFolder ? 0 : DrawingIcon(path);
  ui::TreeNode* node = p_.tree.addChild(parent, text, image);
  if (!isFolder) {
    node->data = path;
    node->isDrawing = true;
  }
  p_.tree.setSelected(node);
  return node;
}

int DrawingList::DrawingIcon(const std::string& path) {
  const std::string ext = lowerExtension(path);
  int* cache = ext == ".dwg" ? &p_.dwgIconIndex : ext == ".dxf" ? &p_.dxfIconIndex : nullptr;
  if (cache && *cache != -1) return *cache;
  const int index = p_.images.add(platform::shell().smallFileIcon(ext));
  if (cache) *cache = index;
  return index;
}

std::string DrawingList::ResolveShortcut(const std::string& path) {
  std::optional<std::string> target = platform::shell().resolveShortcut(path, p_.owner.handle());
  return target ? *target : std::string();
}

void DrawingList::UpdateDrawingCount() {
  int count = 0;
  p_.tree.forEach([&](ui::TreeNode* n) {
    if (n->isDrawing) ++count;
  });
  p_.drawingCount = count;
  p_.countLabel.setCaption(base::intToStr(count));
}

void DrawingList::DeletePopClick() {
  if (ui::TreeNode* n = p_.tree.selected()) p_.tree.deleteNode(n);
  UpdateDrawingCount();
  if (p_.drawingCount == 0) {
    p_.dwgIconIndex = -1;
    p_.dxfIconIndex = -1;
  }
}

void DrawingList::ClearBtnClick() {
  p_.tree.clear();
  p_.drawingCount = 0;
  p_.countLabel.setCaption("0");
  p_.dwgIconIndex = -1;
  p_.dxfIconIndex = -1;
}

void DrawingList::CollectRunList() {
  p_.runList.clear();
  p_.tree.forEach([&](ui::TreeNode* n) {
    if (n->isDrawing) p_.runList.push_back(n->data);
  });
  SortRunList();
  if (p_.modifySaveBox.checked())
    for (std::string& path : p_.runList) path = MapToKeptCopy(path);
}

void DrawingList::SortRunList() {
  switch (p_.fileSort.itemIndex()) {
    case 0:
      std::stable_sort(p_.runList.begin(), p_.runList.end(), lessNoCase);
      break;
    case 1:
      std::stable_sort(p_.runList.begin(), p_.runList.end(), lessNoCase);
      std::reverse(p_.runList.begin(), p_.runList.end());
      break;
    default:  // 2 "選択順": the tree's order
      break;
  }
}

std::string DrawingList::MapToKeptCopy(const std::string& path) const {
  const size_t n = std::min(p_.tempExtractFolders.size(), p_.keptExtractFolders.size());
  for (size_t i = 0; i < n; ++i) {
    const std::string& temp = p_.tempExtractFolders[i];
    if (temp.empty() || !base::contains(path, temp)) continue;
    return p_.keptExtractFolders[i] + path.substr(temp.size());
  }
  return path;
}

}  // namespace drawings
