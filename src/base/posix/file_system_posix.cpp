#include <cstdio>
#include <fstream>
#include <iterator>

#include "base/file_system_backend.h"

namespace base::detail {

namespace fs = std::filesystem;

// Native paths are bytes, and the program's bytes are UTF-8 already.
fs::path toFsPath(const std::string& utf8) { return fs::path(utf8); }
std::string fromFsPath(const fs::path& path) { return path.native(); }

bool makeFolder(const fs::path& path) {
  std::error_code ec;
  fs::create_directory(path, ec);
  return entryKind(path) == EntryKind::Folder;
}

bool deleteFile(const fs::path& path) {
  std::error_code ec;
  return entryKind(path) == EntryKind::File && fs::remove(path, ec);
}

bool deleteEmptyFolder(const fs::path& path) {
  std::error_code ec;
  return entryKind(path) == EntryKind::Folder && fs::remove(path, ec);  // refuses a full one
}

bool readWholeFile(const fs::path& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  out = std::move(bytes);
  return true;
}

bool writeNewFile(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

bool replaceFile(const fs::path& from, const fs::path& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace base::detail
