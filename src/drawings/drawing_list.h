// The drawing list: files, folders and shortcuts dropped on the main window
// become nodes of its tree; the tree is flattened into the run list before a
// print or a scale check.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "ui/widgets.h"

namespace drawings {

// The main window's controls and fields that the drawing list works on. The
// main window owns them all; they outlive the list.
struct DrawingListParts {
  ui::Form& owner;             // of the message boxes and shell questions
  ui::TreeView& tree;          // TreeView1
  ui::ImageList& images;       // ImageList1; image 0 is the folder picture
  ui::Label& countLabel;       // dwgNoLabel
  ui::CheckBox& dwgBox;        // "DWG選択"
  ui::CheckBox& dxfBox;        // "Dxf選択"
  ui::CheckBox& childFolderBox;  // "子ﾌｫﾙﾀﾞも選択"
  ui::CheckBox& modifySaveBox;   // "印刷ﾃﾞﾊﾞｲｽを保存"
  ui::RadioGroup& fileSort;    // "ファイル名ソート": 0 昇順, 1 降順, 2 選択順
  std::vector<std::string>& droppedItems;
  std::vector<std::string>& runList;
  std::vector<std::string>& tempExtractFolders;
  std::vector<std::string>& keptExtractFolders;
  int& dwgIconIndex;
  int& dxfIconIndex;
  int& drawingCount;
};

// The answer of an archive extraction that the user cancelled.
inline const std::string kExtractCancelled = "CANCEL";

class DrawingList {
 public:
  // Puts the folder picture at image 0 when the image list is still empty.
  explicit DrawingList(const DrawingListParts& parts);

  // Unpacks an archive and returns its extraction folder, or
  // kExtractCancelled. Until it is set, an archive is passed over like any
  // file the program cannot use. What it throws ends the drop.
  std::function<std::string(const std::string& archive)> ExtractArchive;

  // The paths of one drop, whole, as the shell delivered them.
  void OnFilesDropped(const std::vector<std::string>& paths);
  // Expands DroppedItems and fills the tree, or refuses the drop.
  void CollectDrop();
  // Adds the contents of a folder below the tree's selected node.
  void WalkFolder(const std::string& folder);
  // A folder node, or a drawing node when the kind is accepted; the new node
  // is selected. Returns parent when nothing was added.
  ui::TreeNode* AddNode(ui::TreeNode* parent, const std::string& path, bool isFolder);
  // The image of a drawing's kind, fetched from the shell once per kind.
  int DrawingIcon(const std::string& path);
  // The target of a shortcut, or empty.
  std::string ResolveShortcut(const std::string& path);
  void UpdateDrawingCount();
  void DeletePopClick();  // "取り消し"
  void ClearBtnClick();   // "クリア"
  // RunList := the drawings of the tree in the chosen order.
  void CollectRunList();
  void SortRunList();
  // A path inside a temporary extraction folder mapped to the kept copy of
  // the same archive; other paths unchanged.
  std::string MapToKeptCopy(const std::string& path) const;

 private:
  void walk(ui::TreeNode* parent, const std::string& folder);
  bool accepts(const std::string& path) const;
  DrawingListParts p_;
};

}  // namespace drawings
