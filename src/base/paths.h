// Paths are UTF-8 text. On Windows they use "\", natively "/"; code that
// builds paths uses these helpers so the same logic runs on both.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace base {

#ifdef _WIN32
inline constexpr char kPathSep = '\\';
#else
inline constexpr char kPathSep = '/';
#endif

bool isPathSep(char c);  // "\" or "/" on Windows, "/" natively
// a + sep + b, with exactly one separator between them.
std::string joinPath(std::string_view a, std::string_view b);
// The folder with a trailing separator.
std::string withTrailingSep(std::string_view folder);
std::string fileNameOf(std::string_view path);   // after the last separator
std::string dirNameOf(std::string_view path);    // up to and including the last separator
std::string extensionOf(std::string_view path);  // ".dwg", with the dot; empty when none
std::string withoutExtension(std::string_view name);

// Drawing paths handed to AutoCAD are Windows paths even where the program
// runs natively (the tests), and what a user types may use either
// separator: these take "\" and "/" alike on every platform.
bool isAnySep(char c);
std::string fileNameAnySep(std::string_view path);  // after the last separator; all of it when none
// Before the last separator, without it; empty when there is none.
std::string folderAnySep(std::string_view path);
// The path without its file name's extension (the last "." of the name).
std::string withoutExtensionAnySep(std::string_view path);

// File system, UTF-8 paths of any length. None of these throw.
bool fileExists(const std::string& path);     // a regular file
bool folderExists(const std::string& path);   // a folder
bool createFolder(const std::string& path);   // one level; true when it exists afterwards
bool createFolders(const std::string& path);  // with parents
bool removeFile(const std::string& path);
bool removeEmptyFolder(const std::string& path);
// Removes a file, or a folder with everything in it, hidden and read-only
// entries included. A link (symbolic link, junction, any reparse point),
// at the top or anywhere inside, is removed as a link and never followed:
// what it points to stays. True when nothing of path is left.
bool removeTree(const std::string& path);
// Renames a file, replacing one of the new name, in one step.
bool moveFile(const std::string& from, const std::string& to);

struct DirEntry {
  std::string name;  // UTF-8, without folder
  bool isFolder = false;
  bool isHidden = false;  // hidden or system (Windows attributes; a leading "." natively)
};
// Entries of a folder, "." and ".." excluded, in the order the system lists
// them; empty when the folder cannot be read.
std::vector<DirEntry> listFolder(const std::string& folder);

// Reads/writes a whole file as bytes; false/nullopt on failure. The write
// goes to a temporary file beside it which then replaces the old one.
bool readFileBytes(const std::string& path, std::string& out);
bool writeFileAtomic(const std::string& path, std::string_view bytes);

}  // namespace base
