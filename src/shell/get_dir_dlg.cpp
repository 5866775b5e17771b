#include "shell/get_dir_dlg.h"

#include <algorithm>

#include "base/paths.h"
#include "base/text.h"
#include "platform/context.h"
#include "platform/drives.h"

namespace shell {

namespace {

// "C:\a\b" -> "C:\", "C:\a", "C:\a\b"; "/a/b" -> "/", "/a", "/a/b".
std::vector<std::string> ancestors(const std::string& folder) {
  std::vector<std::string> out;
  std::string f = folder;
  while (f.size() > 1 && base::isPathSep(f.back()) && !(f.size() == 3 && f[1] == ':')) f.pop_back();
  size_t rootLen = 0;
  if (f.size() >= 2 && f[1] == ':') rootLen = f.size() >= 3 ? 3 : 2;
  else if (!f.empty() && base::isPathSep(f[0])) rootLen = 1;
  std::string root = f.substr(0, rootLen);
  if (root.size() == 2) root += base::kPathSep;
  out.push_back(root);
  size_t pos = rootLen;
  while (pos < f.size()) {
    size_t next = pos;
    while (next < f.size() && !base::isPathSep(f[next])) ++next;
    out.push_back(f.substr(0, next));
    pos = next + 1;
  }
  return out;
}

std::string driveOf(const std::string& folder) { return ancestors(folder).front(); }

}  // namespace

TGetDirDlg::TGetDirDlg() : ui::Form("TGetDirDlg") {
  setCaption("ダイアログ");
  setBounds(0, 0, 360, 380);
  position = ui::FormPosition::ScreenCenter;
  DriveComboBox1 = make<ui::ComboBox>(this);
  DriveComboBox1->setBounds(12, 12, 328, 22);
  DriveComboBox1->onChange = [this] { DriveComboBox1Change(); };
  FolderLabel = make<ui::Label>(this);
  FolderLabel->setBounds(12, 40, 328, 16);
  DirectoryListBox1 = make<ui::ListBox>(this);
  DirectoryListBox1->setBounds(12, 60, 328, 240);
  DirectoryListBox1->onDoubleClick = [this] { DirectoryListBox1DblClick(); };
  OKBtn = make<ui::Button>(this);
  OKBtn->setCaption("OK");
  OKBtn->setBounds(176, 312, 78, 26);
  OKBtn->modalResult = ui::mrOk;
  OKBtn->setDefault(true);
  CancelBtn = make<ui::Button>(this);
  CancelBtn->setCaption("キャンセル");
  CancelBtn->setBounds(262, 312, 78, 26);
  CancelBtn->modalResult = ui::mrCancel;
  CancelBtn->isCancel = true;
  CancelBtn->onClick = [this] { cancelPressed_ = true; };
}

bool TGetDirDlg::setFolder(const std::string& folder) {
  if (!base::folderExists(folder)) return false;
  folder_ = folder;
  std::vector<std::string> items;
  itemPaths_.clear();
  std::vector<std::string> chain = ancestors(folder);
  for (size_t i = 0; i < chain.size(); ++i) {
    std::string label = i == 0 ? chain[i] : base::fileNameOf(chain[i]);
    items.push_back(std::string(i * 2, ' ') + label);
    itemPaths_.push_back(chain[i]);
  }
  std::vector<std::string> subs;
  for (const base::DirEntry& e : base::listFolder(folder))
    if (e.isFolder) subs.push_back(e.name);
  std::sort(subs.begin(), subs.end(), [](const std::string& a, const std::string& b) {
    return base::compareTextNoCase(a, b) < 0;
  });
  for (const std::string& s : subs) {
    items.push_back(std::string(chain.size() * 2, ' ') + s);
    itemPaths_.push_back(base::joinPath(chain.back(), s));
  }
  DirectoryListBox1->setItems(items);
  DirectoryListBox1->setItemIndex(static_cast<int>(chain.size()) - 1);
  FolderLabel->setCaption(folder);

  std::vector<std::string> drives = platform::logicalDrives();
  DriveComboBox1->setItems(drives);
  const std::string drive = driveOf(folder);
  for (int i = 0; i < DriveComboBox1->count(); ++i)
    if (base::equalsNoCase(DriveComboBox1->items()[i], drive)) DriveComboBox1->setItemIndex(i);
  return true;
}

void TGetDirDlg::DriveComboBox1Change() {
  const std::string drive = DriveComboBox1->text();
  if (!setFolder(drive)) setFolder(folder_);  // a drive without a medium keeps the list as it was
}

void TGetDirDlg::DirectoryListBox1DblClick() {
  const int i = DirectoryListBox1->itemIndex();
  if (i >= 0 && i < static_cast<int>(itemPaths_.size())) setFolder(itemPaths_[i]);
}

std::string TGetDirDlg::choose(const std::string& caption, const std::string& startFolder) {
  setCaption(caption);
  std::string current = base::folderExists(startFolder) ? startFolder : platform::programFolder();
  if (!setFolder(current)) setFolder(platform::programFolder());
  cancelPressed_ = false;
  const int r = showModal();
  // Closing by the window frame keeps the folder of step 2.
  if (r == ui::mrOk) current = folder_;
  else if (cancelPressed_) current = startFolder;
  return current;
}

}  // namespace shell
