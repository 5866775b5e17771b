// A file written piece by piece, for contents too large to hold whole (the
// members of an archive). Buffered: few, large writes to the system.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace base {

class FileWriter {
 public:
  FileWriter();
  ~FileWriter();  // closes what is open, keeping what was written
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  // Creates path (UTF-8) anew. A file or link already there is removed
  // first, so a link planted at the name is never followed.
  bool create(const std::string& path);
  // All of bytes or false (disk full); after a false, only close is useful.
  bool write(std::string_view bytes);
  // Flushes and closes; the file's modification time becomes modified
  // (seconds since 1970, UTC) when given. False when something could not be
  // written.
  bool close(std::optional<std::int64_t> modified = std::nullopt);
  bool isOpen() const { return handle_ != kNone; }

 private:
  bool flush();
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t handle_ = kNone;  // the backend's file descriptor or handle
  bool failed_ = false;
  std::string buffer_;
};

// True when path is a symbolic link or another reparse point (a junction):
// something that would lead elsewhere when followed.
bool isLink(const std::string& path);

}  // namespace base
