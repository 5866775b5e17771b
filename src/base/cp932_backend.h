// The two conversions that need the code page table. One implementation
// per build: iconv natively, the Win32 conversion functions on Windows.
// codec.cpp wraps them so that both builds give the same results.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace base::detail {

// A byte that begins a double-byte CP932 character.
inline bool isCp932LeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// utf8 is valid UTF-8. nullopt when some character has no CP932 form; no
// best-fit substitutes ("?" or look-alikes) are ever produced.
std::optional<std::string> utf8ToCp932Strict(std::string_view utf8);

// cp932 is made of whole characters (codec.cpp has already replaced bytes
// that cannot begin or end a character); a double-byte code the table lacks
// becomes U+FFFD.
std::string cp932ToUtf8Lenient(std::string_view cp932);

}  // namespace base::detail
