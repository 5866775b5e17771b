#include <cstdio>
#include <fstream>
#include <iterator>

#include "base/file_system_backend.h"

namespace base::detail {

namespace fs = std::filesystem;

namespace {

bool sameIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The entry of folder whose name is name but for the case of its letters, if
// there is exactly one; otherwise name itself.
std::string entryNamed(const fs::path& folder, const std::string& name) {
  std::error_code ec;
  std::string found;
  int matches = 0;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string entry = it->path().filename().native();
    if (sameIgnoringAsciiCase(entry, name)) {
      found = entry;
      ++matches;
    }
  }
  return matches == 1 ? found : name;
}

}  // namespace

// Native paths are bytes, and the program's bytes are UTF-8 already. Names
// are looked up as Windows does, without regard to the case of Latin
// letters, so that the program finds "BottonSets\Base.ini" in "base.ini"
// here as it does there: an exact name wins, then the one entry that
// differs only in case. A name nothing matches stays as written, so a new
// file is created under the name the program gave.
fs::path toFsPath(const std::string& utf8) {
  fs::path exact(utf8);
  std::error_code ec;
  if (utf8.empty() || fs::symlink_status(exact, ec).type() != fs::file_type::not_found) return exact;
  fs::path resolved = exact.root_path();
  bool searching = true;  // while the folder so far exists
  for (const auto& part : exact.relative_path()) {
    const std::string name = part.native();
    fs::path next = resolved / name;
    if (searching && name != "." && name != "..") {
      if (fs::symlink_status(next, ec).type() == fs::file_type::not_found) {
        next = resolved / entryNamed(resolved.empty() ? fs::path(".") : resolved, name);
        if (fs::symlink_status(next, ec).type() == fs::file_type::not_found) searching = false;
      }
    }
    resolved = std::move(next);
  }
  return resolved;
}
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
