// UTF-8 <-> UTF-16 for the W functions (wchar_t is 16 bits on Windows).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "base/codec.h"

namespace platform::win32text {

inline std::wstring wide(std::string_view utf8) {
  const std::u16string w = base::utf8ToUtf16(utf8);
  return std::wstring(reinterpret_cast<const wchar_t*>(w.data()), w.size());
}

inline std::string narrow(const wchar_t* text, std::size_t length) {
  return base::utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}
inline std::string narrow(const std::wstring& text) { return narrow(text.data(), text.size()); }

// Bytes of the CP932 form: one for ASCII and half-width katakana, two for
// everything else (as base counts a character without a CP932 form).
inline std::size_t cp932Length(std::wstring_view text) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      n += 2;
      ++i;
    } else {
      n += (c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F)) ? 1 : 2;
    }
  }
  return n;
}

}  // namespace platform::win32text
