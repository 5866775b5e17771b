#include "base/zip_writer.h"

#include <array>
#include <stdexcept>

namespace base {

namespace {

const std::array<std::uint32_t, 256>& crcTable() {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

void put16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void put32(std::string& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

constexpr std::uint32_t kVersion = 20;  // 2.0: stored entries and folders
// Names are UTF-8 (general purpose bit 11).
constexpr std::uint32_t kUtf8Names = 0x0800;
// 1980-01-01 00:00, the earliest DOS date: the archive does not depend on
// when it was written.
constexpr std::uint32_t kDosTime = 0, kDosDate = (0 << 9) | (1 << 5) | 1;

bool isAscii(const std::string& s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

std::uint32_t crc32(std::string_view bytes, std::uint32_t crc) {
  const auto& t = crcTable();
  crc = ~crc;
  for (unsigned char b : bytes) crc = t[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void ZipWriter::add(const std::string& name, std::string_view bytes) {
  // Without the 64-bit extensions sizes and offsets stay below 4 GiB.
  if (bytes.size() >= 0xFFFFFFFFu || data_.size() + bytes.size() + name.size() + 30 >= 0xFFFFFFFFu ||
      entries_.size() >= 0xFFFF || name.size() > 0xFFFF)
    throw std::length_error("ZIP 書庫が大きすぎます。");
  Entry e{name, crc32(bytes), static_cast<std::uint32_t>(bytes.size()), static_cast<std::uint32_t>(data_.size())};
  put32(data_, 0x04034B50);
  put16(data_, kVersion);
  put16(data_, isAscii(name) ? 0 : kUtf8Names);
  put16(data_, 0);  // stored
  put16(data_, kDosTime);
  put16(data_, kDosDate);
  put32(data_, e.crc);
  put32(data_, e.size);  // compressed
  put32(data_, e.size);
  put16(data_, static_cast<std::uint32_t>(name.size()));
  put16(data_, 0);  // no extra field
  data_ += name;
  data_.append(bytes.data(), bytes.size());
  entries_.push_back(std::move(e));
}

std::string ZipWriter::finish() const {
  std::string out = data_;
  const std::uint32_t directoryStart = static_cast<std::uint32_t>(out.size());
  for (const Entry& e : entries_) {
    put32(out, 0x02014B50);
    put16(out, kVersion);  // made by: MS-DOS attributes
    put16(out, kVersion);
    put16(out, isAscii(e.name) ? 0 : kUtf8Names);
    put16(out, 0);
    put16(out, kDosTime);
    put16(out, kDosDate);
    put32(out, e.crc);
    put32(out, e.size);
    put32(out, e.size);
    put16(out, static_cast<std::uint32_t>(e.name.size()));
    put16(out, 0);  // extra
    put16(out, 0);  // comment
    put16(out, 0);  // disk
    put16(out, 0);  // internal attributes
    put32(out, 0);  // external attributes
    put32(out, e.offset);
    out += e.name;
  }
  const std::uint32_t directorySize = static_cast<std::uint32_t>(out.size()) - directoryStart;
  put32(out, 0x06054B50);
  put16(out, 0);
  put16(out, 0);
  put16(out, static_cast<std::uint32_t>(entries_.size()));
  put16(out, static_cast<std::uint32_t>(entries_.size()));
  put32(out, directorySize);
  put32(out, directoryStart);
  put16(out, 0);  // no comment
  return out;
}

}  // namespace base
