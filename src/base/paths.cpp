#include "base/paths.h"

#include <cstdint>

#include "base/file_system_backend.h"

namespace base {

namespace fs = std::filesystem;
using detail::toFsPath;

namespace {

size_t lastSep(std::string_view path) {
  for (size_t i = path.size(); i-- > 0;)
    if (isPathSep(path[i])) return i;
  return std::string_view::npos;
}

// Beside the file, named so that no folder listing of the program mistakes
// a left-over for one of its files (no ".ini" in it).
std::string tempNameFor(const std::string& path) {
  uint32_t h = 2166136261u;  // FNV-1a of the file name
  for (char c : fileNameOf(path)) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  static const char hex[] = "0123456789abcdef";
  std::string name = "~kestrel-";
  for (int shift = 28; shift >= 0; shift -= 4) name += hex[(h >> shift) & 0xF];
  return dirNameOf(path) + name + ".tmp";
}

}  // namespace

bool isPathSep(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

bool isAnySep(char c) { return c == '\\' || c == '/'; }

namespace {
size_t lastAnySep(std::string_view path) {
  for (size_t i = path.size(); i-- > 0;)
    if (isAnySep(path[i])) return i;
  return std::string_view::npos;
}
}  // namespace

std::string fileNameAnySep(std::string_view path) {
  const size_t p = lastAnySep(path);
  return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string folderAnySep(std::string_view path) {
  const size_t p = lastAnySep(path);
  return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p));
}

std::string withoutExtensionAnySep(std::string_view path) {
  const size_t nameStart = lastAnySep(path) + 1;  // npos + 1 == 0
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < nameStart) return std::string(path);
  return std::string(path.substr(0, dot));
}

std::string joinPath(std::string_view a, std::string_view b) {
  if (a.empty()) return std::string(b);
  size_t end = a.size();
  while (end > 0 && isPathSep(a[end - 1])) --end;
  size_t begin = 0;
  while (begin < b.size() && isPathSep(b[begin])) ++begin;
  // A root ("/") keeps its separator.
  std::string out(a.substr(0, end == 0 ? 1 : end));
  if (end != 0) out += kPathSep;
  out.append(b.substr(begin));
  return out;
}

std::string withTrailingSep(std::string_view folder) {
  std::string out(folder);
  if (!out.empty() && !isPathSep(out.back())) out += kPathSep;
  return out;
}

std::string fileNameOf(std::string_view path) {
  const size_t sep = lastSep(path);
  return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string dirNameOf(std::string_view path) {
  const size_t sep = lastSep(path);
  return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

std::string extensionOf(std::string_view path) {
  const std::string name = fileNameOf(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string withoutExtension(std::string_view name) {
  const std::string ext = extensionOf(name);
  return std::string(name.substr(0, name.size() - ext.size()));
}

bool fileExists(const std::string& path) {
  return !path.empty() && detail::entryKind(toFsPath(path)) == detail::EntryKind::File;
}

bool folderExists(const std::string& path) {
  return !path.empty() && detail::entryKind(toFsPath(path)) == detail::EntryKind::Folder;
}

bool createFolder(const std::string& path) { return !path.empty() && detail::makeFolder(toFsPath(path)); }

bool createFolders(const std::string& path) {
  if (path.empty()) return false;
  if (folderExists(path)) return true;
  std::string_view folder = path;
  while (folder.size() > 1 && isPathSep(folder.back())) folder.remove_suffix(1);
  const std::string parent = dirNameOf(folder);
  if (!parent.empty() && parent.size() < folder.size() && !folderExists(parent) &&
      !createFolders(parent))
    return false;
  return createFolder(std::string(folder));
}

bool removeFile(const std::string& path) { return !path.empty() && detail::deleteFile(toFsPath(path)); }

bool removeEmptyFolder(const std::string& path) {
  return !path.empty() && detail::deleteEmptyFolder(toFsPath(path));
}

bool moveFile(const std::string& from, const std::string& to) {
  return fileExists(from) && !to.empty() && detail::replaceFile(toFsPath(from), toFsPath(to));
}

bool removeTree(const std::string& path) {
  if (path.empty()) return false;
  const auto p = toFsPath(path);
  if (detail::isLink(p)) return detail::removeLink(p);
  const auto kind = detail::entryKind(p);
  if (kind == detail::EntryKind::None) return true;
  detail::makeDeletable(p);
  if (kind == detail::EntryKind::File) return detail::deleteFile(p);
  bool all = true;
  for (const DirEntry& e : detail::listEntries(p)) all = removeTree(joinPath(path, e.name)) && all;
  return detail::deleteEmptyFolder(p) && all;
}

std::vector<DirEntry> listFolder(const std::string& folder) {
  if (folder.empty()) return {};
  return detail::listEntries(toFsPath(folder));
}

bool readFileBytes(const std::string& path, std::string& out) {
  return fileExists(path) && detail::readWholeFile(toFsPath(path), out);
}

bool writeFileAtomic(const std::string& path, std::string_view bytes) {
  if (path.empty() || folderExists(path)) return false;
  const fs::path temp = toFsPath(tempNameFor(path));
  if (detail::writeNewFile(temp, bytes) && detail::replaceFile(temp, toFsPath(path))) return true;
  detail::deleteFile(temp);
  return false;
}

}  // namespace base
