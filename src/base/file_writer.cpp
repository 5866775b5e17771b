#include "base/file_writer.h"

#include "base/file_system_backend.h"

namespace base {

namespace {
constexpr size_t kBufferSize = size_t{1} << 20;
constexpr size_t kDirectSize = size_t{1} << 16;
}

FileWriter::FileWriter() = default;

FileWriter::~FileWriter() { close(); }

bool FileWriter::create(const std::string& path) {
  close();
  failed_ = false;
  buffer_.clear();
  buffer_.reserve(kBufferSize);
  handle_ = detail::createForWrite(detail::toFsPath(path));
  return isOpen();
}

bool FileWriter::write(std::string_view bytes) {
  if (!isOpen() || failed_) return false;
  if (buffer_.empty() && bytes.size() >= kDirectSize) {  // big enough already: no copy
    failed_ = !detail::writeAll(handle_, bytes.data(), bytes.size());
    return !failed_;
  }
  if (buffer_.size() + bytes.size() <= kBufferSize) {
    buffer_.append(bytes);
    return true;
  }
  if (!flush()) return false;
  if (bytes.size() >= kBufferSize) {  // large pieces go straight through
    failed_ = !detail::writeAll(handle_, bytes.data(), bytes.size());
    return !failed_;
  }
  buffer_.append(bytes);
  return true;
}

bool FileWriter::flush() {
  if (!buffer_.empty() && !failed_) failed_ = !detail::writeAll(handle_, buffer_.data(), buffer_.size());
  buffer_.clear();
  return !failed_;
}

bool FileWriter::close(std::optional<std::int64_t> modified) {
  if (!isOpen()) return false;
  flush();
  const bool closed = detail::closeWritten(handle_, failed_ ? nullptr : (modified ? &*modified : nullptr));
  handle_ = kNone;
  return closed && !failed_;
}

bool isLink(const std::string& path) { return detail::isLink(detail::toFsPath(path)); }

}  // namespace base
