// A ZIP archive written whole in memory: stored (uncompressed) entries,
// enough for the containers of office documents.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace base {

// The CRC-32 of ZIP (polynomial 0xEDB88320), continued from crc.
std::uint32_t crc32(std::string_view bytes, std::uint32_t crc = 0);

class ZipWriter {
 public:
  // name: the path inside the archive, "/" between folders, UTF-8.
  void add(const std::string& name, std::string_view bytes);
  // The archive: the entries in the order added, then the central directory.
  std::string finish() const;

 private:
  struct Entry {
    std::string name;
    std::uint32_t crc, size, offset;
  };
  std::vector<Entry> entries_;
  std::string data_;  // the local headers and contents so far
};

}  // namespace base
