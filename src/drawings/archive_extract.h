// The extraction engine behind dropped LZH and ZIP archives: unpacks every
// member into a folder, with or without the members' folder paths. Built on
// libarchive, so no archiver library has to be installed on the user's PC.
#pragma once
#include <string>
#include <vector>

namespace drawings {

struct ExtractOutcome {
  // False when the archive could not be read to its end (damaged, truncated,
  // not an archive at all) or a member could not be written (disk full).
  bool complete = true;
  std::vector<std::string> written;  // full paths of the files written, in archive order
  std::vector<std::string> refused;  // member names never written: unsafe paths, links
  std::string reason;                // why it is incomplete, for the user
};

// Unpacks archive (UTF-8 path) into dest, creating dest and its parents.
// keepFolders: recreate the members' folders below dest; otherwise every
// file lands directly in dest. Member names are UTF-8 whatever the archive
// stored (CP932 in LZH headers and in ZIP entries without the UTF-8 flag).
// Nothing is ever written outside dest: members with absolute paths, drive
// letters or ".." are refused, links are never created. Existing files are
// replaced.
ExtractOutcome ExtractAll(const std::string& archive, const std::string& dest, bool keepFolders);

}  // namespace drawings
