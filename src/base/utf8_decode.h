// One UTF-8 decoder for codec.cpp and text.cpp, so that both agree on what
// an invalid sequence is.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace base::detail {

struct Utf8Char {
  char32_t cp;  // U+FFFD when !valid
  size_t len;   // bytes consumed, at least 1
  bool valid;
};

// Decodes the character at text[i] (i < text.size()). An ill-formed
// sequence consumes its maximal well-formed prefix (at least one byte), the
// usual rule for where one U+FFFD ends and the next character begins.
inline Utf8Char decodeUtf8(std::string_view text, size_t i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char b0 = byte(i);
  if (b0 < 0x80) return {b0, 1, true};
  size_t need;
  char32_t cp;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2;
    cp = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;       // no overlong forms
    else if (b0 == 0xED) hi = 0x9F;  // no surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3;
    cp = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;
    else if (b0 == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
  } else {
    return {0xFFFD, 1, false};
  }
  size_t k = 1;
  for (; k <= need; ++k) {
    if (i + k >= text.size()) return {0xFFFD, k, false};
    const unsigned char b = byte(i + k);
    const unsigned char min = k == 1 ? lo : 0x80, max = k == 1 ? hi : 0xBF;
    if (b < min || b > max) return {0xFFFD, k, false};
    cp = (cp << 6) | (b & 0x3F);
  }
  return {cp, k, true};
}

inline void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

inline bool isAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace base::detail
