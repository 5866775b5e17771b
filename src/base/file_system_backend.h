// The file-system calls that differ between Windows and POSIX. On Windows
// the C runtime's stat and directory functions fail on long
// ("\\?\"-prefixed) paths, so that backend uses the system calls only.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/paths.h"

namespace base::detail {

// A UTF-8 path as the system wants it (on Windows UTF-16, with the
// long-path prefix when it is long), and back.
std::filesystem::path toFsPath(const std::string& utf8);
std::string fromFsPath(const std::filesystem::path& path);

enum class EntryKind { None, File, Folder };
EntryKind entryKind(const std::filesystem::path& path);

bool makeFolder(const std::filesystem::path& path);         // one level
bool deleteFile(const std::filesystem::path& path);
bool deleteEmptyFolder(const std::filesystem::path& path);

// Entries without "." and ".."; hidden means the hidden or system
// attribute on Windows, a leading "." natively.
std::vector<DirEntry> listEntries(const std::filesystem::path& folder);

bool readWholeFile(const std::filesystem::path& path, std::string& out);
bool writeNewFile(const std::filesystem::path& path, std::string_view bytes);  // creates or truncates
// A file written in pieces (base::FileWriter): an open descriptor or
// handle as an integer, -1 when the create failed. createForWrite removes a
// file or link of that name first and then creates the file exclusively.
std::intptr_t createForWrite(const std::filesystem::path& path);
bool writeAll(std::intptr_t file, const char* data, size_t size);
// Closes; sets the modification time (seconds since 1970, UTC) first when given.
bool closeWritten(std::intptr_t file, const std::int64_t* modified);
bool isLink(const std::filesystem::path& path);  // symlink or reparse point, not followed
// Removes a link (symbolic link, junction, any reparse point) itself; its
// target is left alone.
bool removeLink(const std::filesystem::path& path);
// Takes away what would keep an entry from being deleted: the read-only
// attribute on Windows; natively a folder's missing write permission.
void makeDeletable(const std::filesystem::path& path);

// Moves from over to, replacing it, in one step.
bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace base::detail
