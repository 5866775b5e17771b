#include <windows.h>

#include <algorithm>

#include "base/file_system_backend.h"

namespace base::detail {

namespace fs = std::filesystem;

std::intptr_t createForWrite(const fs::path& path) {
  // A read-only file is replaced too; a link goes, not what it points at.
  const DWORD attrs = GetFileAttributesW(path.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
    if (attrs & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
    DeleteFileW(path.c_str());
  }
  // CREATE_NEW: should something reappear at the name meanwhile, fail
  // rather than write through it.
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  return h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(h);
}

bool writeAll(std::intptr_t file, const char* data, size_t size) {
  HANDLE h = reinterpret_cast<HANDLE>(file);
  while (size > 0) {
    DWORD put = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    if (!WriteFile(h, data, want, &put, nullptr) || put == 0) return false;
    data += put;
    size -= put;
  }
  return true;
}

bool closeWritten(std::intptr_t file, const std::int64_t* modified) {
  HANDLE h = reinterpret_cast<HANDLE>(file);
  if (modified) {
    // FILETIME: 100 ns steps since 1601.
    const ULONGLONG ticks = static_cast<ULONGLONG>(*modified + 11644473600LL) * 10000000ULL;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    SetFileTime(h, nullptr, nullptr, &ft);  // a time that cannot be set is not worth failing the file for
  }
  return CloseHandle(h) != 0;
}

bool isLink(const fs::path& path) {
  const DWORD attrs = GetFileAttributesW(path.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A junction or a link to a folder is removed as a folder, which takes the
// link away and leaves the target; a link to a file as a file. Wine shows
// a Unix link to a folder as such a link but removes it only as a file.
// Neither call ever goes inside.
bool removeLink(const fs::path& path) {
  const DWORD attrs = GetFileAttributesW(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  if (attrs & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
  if ((attrs & FILE_ATTRIBUTE_DIRECTORY) && RemoveDirectoryW(path.c_str())) return true;
  return DeleteFileW(path.c_str()) != 0;
}

void makeDeletable(const fs::path& path) {
  const DWORD attrs = GetFileAttributesW(path.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
    SetFileAttributesW(path.c_str(), attrs & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

}  // namespace base::detail
