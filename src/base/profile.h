// Profile (INI) files with the semantics of the platform's private-profile
// functions, CP932 on disk, UTF-8 at the interface.
//
// - sections and keys compare without regard to case (ASCII and full text);
// - a value is the text after the first "=" with surrounding blanks removed
//   and one pair of enclosing quotes (double or single) removed;
// - a missing file, section or key yields the caller's default;
// - an integer that does not parse yields the default;
// - writing replaces one key's value in place or appends the key to its
//   section (the section to the end of the file) and leaves every other line
//   as it was;
// - a write goes to a temporary file that then replaces the old one.
//
// Every call reads the file anew, as the platform functions do, so two
// objects naming the same file always agree.
#pragma once
#include <string>
#include <vector>

namespace base {

class ProfileFile {
 public:
  explicit ProfileFile(std::string path);  // path in UTF-8

  const std::string& path() const { return path_; }

  std::string readString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  // Like the platform's integer reader: optional blanks, optional sign,
  // decimal digits (or 0x hexadecimal); trailing text after digits is
  // ignored; no digits at all yields def.
  int readInt(const std::string& section, const std::string& key, int def) const;
  // True when the write reached the disk.
  bool writeString(const std::string& section, const std::string& key,
                   const std::string& value);
  bool writeInt(const std::string& section, const std::string& key, int value);
  // Removes one key; true when the file was written.
  bool deleteKey(const std::string& section, const std::string& key);
  // Removes a whole section with its keys.
  bool deleteSection(const std::string& section);

  std::vector<std::string> sectionNames() const;
  std::vector<std::string> keyNames(const std::string& section) const;

 private:
  std::string path_;
};

}  // namespace base
