// The folder choice dialog: a drive list coupled to a folder list.
#pragma once
#include <string>

#include "ui/widgets.h"

namespace shell {

class TGetDirDlg : public ui::Form {
 public:
  TGetDirDlg();
  ui::ComboBox* DriveComboBox1;
  ui::ListBox* DirectoryListBox1;
  ui::Label* FolderLabel;
  ui::Button* OKBtn;
  ui::Button* CancelBtn;

  // Returns the chosen folder; the start folder as given on cancel.
  std::string choose(const std::string& caption, const std::string& startFolder);

  // The folder the list shows.
  const std::string& folder() const { return folder_; }
  // Points the folder list at a folder; false when it cannot be read.
  bool setFolder(const std::string& folder);

  void DriveComboBox1Change();
  void DirectoryListBox1DblClick();

 private:
  std::string folder_;
  bool cancelPressed_ = false;
  // Full paths behind the list's items.
  std::vector<std::string> itemPaths_;
};

}  // namespace shell
