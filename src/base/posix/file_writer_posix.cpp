#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/file_system_backend.h"

namespace base::detail {

namespace fs = std::filesystem;

std::intptr_t createForWrite(const fs::path& path) {
  ::unlink(path.c_str());  // a link goes, not what it points at
  // O_EXCL: should something reappear at the name meanwhile, fail rather
  // than write through it.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  return fd < 0 ? -1 : fd;
}

bool writeAll(std::intptr_t file, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(static_cast<int>(file), data, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}

bool closeWritten(std::intptr_t file, const std::int64_t* modified) {
  const int fd = static_cast<int>(file);
  if (modified) {
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(*modified);
    times[1].tv_nsec = 0;
    ::futimens(fd, times);  // a time that cannot be set is not worth failing the file for
  }
  return ::close(fd) == 0;
}

bool isLink(const fs::path& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool removeLink(const fs::path& path) { return isLink(path) && ::unlink(path.c_str()) == 0; }

void makeDeletable(const fs::path& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && !(st.st_mode & S_IWUSR))
    ::chmod(path.c_str(), (st.st_mode & 07777) | S_IRWXU);
}

}  // namespace base::detail
