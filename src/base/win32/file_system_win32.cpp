#include <windows.h>

#include <algorithm>

#include "base/codec.h"
#include "base/file_system_backend.h"

namespace base::detail {

namespace fs = std::filesystem;

namespace {

// Below this length every call works without the prefix (a folder needs
// room for an 8.3 name inside MAX_PATH).
constexpr size_t kShortPath = 240;
const std::wstring kLongPrefix = L"\\\\?\\";
const std::wstring kUncPrefix = L"\\\\?\\UNC\\";

class File {
 public:
  explicit File(HANDLE h) : h_(h) {}
  ~File() {
    if (ok()) CloseHandle(h_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

}  // namespace

fs::path toFsPath(const std::string& utf8) {
  const std::u16string u = utf8ToUtf16(utf8);
  std::wstring w(u.begin(), u.end());
  if (w.size() < kShortPath || w.rfind(kLongPrefix, 0) == 0) return fs::path(w);
  // The prefix turns off the system's own clean-up of the path, so do it
  // here: absolute, "\" only, no "." or "..".
  wchar_t probe[1];
  const DWORD need = GetFullPathNameW(w.c_str(), 1, probe, nullptr);
  if (need == 0) return fs::path(w);
  std::wstring full(need, L'\0');
  const DWORD len = GetFullPathNameW(w.c_str(), need, full.data(), nullptr);
  if (len == 0 || len >= need) return fs::path(w);
  full.resize(len);
  if (full.rfind(L"\\\\", 0) == 0) return fs::path(kUncPrefix + full.substr(2));
  return fs::path(kLongPrefix + full);
}

std::string fromFsPath(const fs::path& path) {
  const std::wstring& w = path.native();
  return utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(w.data()), w.size()));
}

bool makeFolder(const fs::path& path) {
  CreateDirectoryW(path.c_str(), nullptr);
  return entryKind(path) == EntryKind::Folder;
}

bool deleteFile(const fs::path& path) {
  return entryKind(path) == EntryKind::File && DeleteFileW(path.c_str());
}

bool deleteEmptyFolder(const fs::path& path) {
  return entryKind(path) == EntryKind::Folder && RemoveDirectoryW(path.c_str());
}

bool readWholeFile(const fs::path& path, std::string& out) {
  File f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.ok()) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(f.get(), &size)) return false;
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    if (!ReadFile(f.get(), bytes.data() + done, want, &got, nullptr)) return false;
    if (got == 0) break;  // the file shrank meanwhile
    done += got;
  }
  bytes.resize(done);
  out = std::move(bytes);
  return true;
}

bool writeNewFile(const fs::path& path, std::string_view bytes) {
  File f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                     nullptr));
  if (!f.ok()) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD put = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    if (!WriteFile(f.get(), bytes.data() + done, want, &put, nullptr) || put == 0) return false;
    done += put;
  }
  return true;
}

bool replaceFile(const fs::path& from, const fs::path& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace base::detail
