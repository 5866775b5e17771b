#include "base/file_system_backend.h"

namespace base::detail {

namespace fs = std::filesystem;

EntryKind entryKind(const fs::path& path) {
  std::error_code ec;
  const auto st = fs::status(path, ec);
  if (fs::is_regular_file(st)) return EntryKind::File;
  if (fs::is_directory(st)) return EntryKind::Folder;
  return EntryKind::None;
}

std::vector<DirEntry> listEntries(const fs::path& folder) {
  std::vector<DirEntry> entries;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    DirEntry e;
    e.name = it->path().filename().native();
    std::error_code typeEc;
    e.isFolder = it->is_directory(typeEc);
    e.isHidden = e.name.front() == '.';
    entries.push_back(std::move(e));
  }
  return entries;
}

}  // namespace base::detail
