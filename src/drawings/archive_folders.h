// Dropped archives: where each is unpacked (a folder below the temporary
// folder, and optionally a second copy the user keeps) and the choice of
// the kept folder.
#pragma once
#include <string>
#include <vector>

#include "ui/widgets.h"

namespace drawings {

// The main window's controls and fields the extraction works on; the main
// window owns them all.
struct ArchiveFolderParts {
  ui::Form& owner;                 // of the folder browser and the messages
  ui::CheckBox& keepBox;           // "解凍後ﾌｧｲﾙ保存"
  ui::CheckBox& fixedBox;          // "解凍ﾌｫﾙﾀﾞ固定"
  ui::CheckBox& withFoldersBox;    // "ﾌｫﾙﾀﾞ付解凍"
  ui::Button& fixedFolderButton;   // FolderFixSpeedButton; its hint shows the fixed folder
  const std::string& tempFolder;   // program folder + "tmp"
  std::string& fixedExtractFolder;  // "FIXARCHIVEOPENDIR"
  std::vector<std::string>& tempExtractFolders;
  std::vector<std::string>& keptExtractFolders;
};

// The display name the folder browsers are rooted at, and the fixed
// folder's value before one was ever chosen.
inline const std::string kMyComputer = "ﾏｲ ｺﾝﾋﾟｭｰﾀ";

class ArchiveFolders {
 public:
  explicit ArchiveFolders(const ArchiveFolderParts& parts) : p_(parts) {}

  // Unpacks the archive into tmp + its trimmed base name (and into the kept
  // folder when files are kept) and returns that folder, or "CANCEL" when
  // the archive is to be skipped. An archive that could not be unpacked
  // completely is told in one message naming it.
  std::string ExtractArchive(const std::string& archive);
  // FolderFixSpeedButton: asks for the fixed extraction folder.
  void ChooseFixedFolder();
  // The shell's folder browser; folder is the initial selection (cleared
  // when it is no folder) and receives the choice. False when cancelled.
  bool SelectFolder(const std::string& caption, const std::string& rootName, std::string& folder);

 private:
  ArchiveFolderParts p_;
};

// The folder name an archive is unpacked under: its file name without the
// extension and without blanks or control characters around it.
std::string ArchiveBaseName(const std::string& archive);

}  // namespace drawings
