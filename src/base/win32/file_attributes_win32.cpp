// What the system says about an entry: its kind and its hidden/system
// attributes.
#include <windows.h>

#include "base/file_system_backend.h"

namespace base::detail {

namespace fs = std::filesystem;

EntryKind entryKind(const fs::path& path) {
  const DWORD attr = GetFileAttributesW(path.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES) return EntryKind::None;
  return (attr & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder : EntryKind::File;
}

std::vector<DirEntry> listEntries(const fs::path& folder) {
  std::vector<DirEntry> entries;
  std::wstring pattern = folder.native();
  if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                 nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    DirEntry e;
    e.name = fromFsPath(fs::path(name));
    e.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    e.isHidden = (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
    entries.push_back(std::move(e));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return entries;
}

}  // namespace base::detail
