#include "drawings/archive_folders.h"

#include "base/paths.h"
#include "drawings/archive_extract.h"
#include "drawings/drawing_list.h"
#include "ui/application.h"

namespace drawings {

namespace {

// At most this many refused members are named in the message.
const size_t kListedRefused = 10;

bool blankOrControl(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// The one message for an archive whose extraction fell short, or empty.
std::string shortfallMessage(const std::string& archive, const ExtractOutcome& temp, const ExtractOutcome* kept,
                             const std::string& keptFolder) {
  std::string text;
  auto incomplete = [&](const ExtractOutcome& o, const std::string& where) {
    text += where + "に最後まで解凍できませんでした。";
    if (!o.reason.empty()) text += "\r\n（" + o.reason + "）";
    text += "\r\n";
  };
  if (!temp.complete) incomplete(temp, "作業フォルダ");
  if (kept && !kept->complete) incomplete(*kept, "保存先のフォルダ " + keptFolder + " ");
  if (!temp.refused.empty()) {
    text += "次のファイルは書庫の外や絶対パスを指しているか、リンクのため解凍しませんでした。\r\n";
    for (size_t i = 0; i < temp.refused.size() && i < kListedRefused; ++i) text += "      " + temp.refused[i] + "\r\n";
    if (temp.refused.size() > kListedRefused)
      text += "      ほか " + std::to_string(temp.refused.size() - kListedRefused) + " 件\r\n";
  }
  if (text.empty()) return text;
  return "書庫を完全には解凍できませんでした。\r\n" + archive + "\r\n\r\n" + text +
         "\r\n解凍できた図面だけを一覧に加えます。";
}

}  // namespace

std::string ArchiveBaseName(const std::string& archive) {
  const std::string stem = base::withoutExtension(base::fileNameOf(archive));
  size_t b = 0, e = stem.size();
  while (b < e && blankOrControl(stem[b])) ++b;
  while (e > b && blankOrControl(stem[e - 1])) --e;
  return stem.substr(b, e - b);
}

std::string ArchiveFolders::ExtractArchive(const std::string& archive) {
  const std::string name = base::fileNameOf(archive);
  const bool keep = p_.keepBox.checked();
  std::string kept;
  if (keep) {
    if (!p_.fixedBox.checked()) {
      SelectFolder("解凍先のフォルダ : " + name, kMyComputer, kept);
    } else {
      if (!base::folderExists(p_.fixedExtractFolder)) ChooseFixedFolder();
      kept = p_.fixedExtractFolder;
    }
    // Without a kept folder there is nowhere for the second copy: the
    // archive is skipped, whichever question was cancelled.
    if (kept.empty()) return kExtractCancelled;
  }

  const std::string temp = base::joinPath(p_.tempFolder, ArchiveBaseName(archive));
  const bool withFolders = p_.withFoldersBox.checked();
  const bool tempExisted = base::folderExists(temp);
  const ExtractOutcome first = ExtractAll(archive, temp, withFolders);
  ExtractOutcome second;
  if (keep) {
    second = ExtractAll(archive, kept, withFolders);
    p_.tempExtractFolders.push_back(temp);
    p_.keptExtractFolders.push_back(kept);
  }
  const std::string message = shortfallMessage(archive, first, keep ? &second : nullptr, kept);
  if (!message.empty()) ui::showMessage(&p_.owner, message);
  // Not an archive at all: no empty folder node for it.
  if (!first.complete && first.written.empty() && !tempExisted) {
    base::removeEmptyFolder(temp);
    if (!base::folderExists(temp)) return kExtractCancelled;
  }
  return temp;
}

void ArchiveFolders::ChooseFixedFolder() {
  std::string start = base::folderExists(p_.fixedExtractFolder) ? p_.fixedExtractFolder : kMyComputer;
  SelectFolder("固定解凍先のフォルダ", kMyComputer, start);
  p_.fixedExtractFolder = start;
  p_.fixedFolderButton.setHint(p_.fixedExtractFolder);
}

bool ArchiveFolders::SelectFolder(const std::string& caption, const std::string& rootName, std::string& folder) {
  if (!base::folderExists(folder)) folder.clear();
  const std::optional<std::string> chosen = ui::chooseFolder(&p_.owner, caption, rootName, folder);
  if (!chosen || chosen->empty()) return false;
  folder = *chosen;
  return true;
}

}  // namespace drawings
