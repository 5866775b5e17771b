#include "base/codec.h"

#include <cstdio>

#include "base/cp932_backend.h"
#include "base/utf8_decode.h"

namespace base {

namespace {

using detail::appendUtf8;
using detail::decodeUtf8;
using detail::isCp932LeadByte;
using detail::isAscii;

const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

bool isValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto c = decodeUtf8(text, i);
    if (!c.valid) return false;
    i += c.len;
  }
  return true;
}

bool isTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Bytes that are no character at all in CP932. The Windows table gives
// 0x80, 0xA0 and 0xFD-0xFF private code points of its own which iconv does
// not know; both builds treat them as invalid.
bool isStrayByte(unsigned char b) { return b == 0x80 || b == 0xA0 || b >= 0xFD; }

// CP932 length of one character: one byte for ASCII and half-width
// katakana, two for everything else (a character without a CP932 form
// counts as two, so a cut text never grows when it is written later).
size_t cp932Width(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F)) return 1;
  return 2;
}

}  // namespace

std::optional<std::string> tryUtf8ToCp932(std::string_view utf8) {
  if (isAscii(utf8)) return std::string(utf8);  // identical in CP932, "\" and "~" included
  if (!isValidUtf8(utf8)) return std::nullopt;
  auto bytes = detail::utf8ToCp932Strict(utf8);
  if (!bytes) return std::nullopt;
  // A character that only maps one way (U+00A5 yen or U+203E overline to
  // the ASCII bytes, U+2212 minus to the full-width hyphen-minus ...) would
  // come back as another character. The Windows table refuses those without
  // best fit; iconv accepts them. Reading back makes both builds refuse.
  if (cp932ToUtf8(*bytes) != utf8) return std::nullopt;
  return bytes;
}

std::optional<std::string> firstCharWithoutCp932(std::string_view utf8) {
  if (tryUtf8ToCp932(utf8)) return std::nullopt;
  for (size_t i = 0; i < utf8.size();) {
    const auto c = decodeUtf8(utf8, i);
    const std::string_view one = utf8.substr(i, c.len);
    if (!c.valid || !tryUtf8ToCp932(one)) return sanitizeUtf8(one);
    i += c.len;
  }
  // Each character alone has a form, only the whole does not come back the
  // same (not seen with either table): no one character is to blame.
  return std::string(kReplacement);
}

std::string describeChar(std::string_view utf8Char) {
  const std::string ch = sanitizeUtf8(utf8Char);
  char32_t cp = 0xFFFD;
  if (!ch.empty()) cp = decodeUtf8(ch, 0).cp;
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
  return "「" + ch + "」(" + code + ")";
}

std::string utf8ToCp932(std::string_view utf8) {
  if (auto bytes = tryUtf8ToCp932(utf8)) return *std::move(bytes);
  const std::string bad = firstCharWithoutCp932(utf8).value_or(std::string());
  const std::string text = sanitizeUtf8(utf8);
  throw EncodingError("'" + text + "' には CP932 で書けない文字 '" + bad + "' があります", text, bad);
}

std::string cp932ToUtf8(std::string_view cp932) {
  if (isAscii(cp932)) return std::string(cp932);
  std::string out;
  out.reserve(cp932.size() + cp932.size() / 2);
  // Runs of well-formed characters go to the table in one piece; stray
  // bytes and lone lead bytes are replaced here, the same way in both builds.
  size_t runStart = 0;
  auto flush = [&](size_t end) {
    if (end > runStart) out += detail::cp932ToUtf8Lenient(cp932.substr(runStart, end - runStart));
  };
  size_t i = 0;
  while (i < cp932.size()) {
    const auto b = static_cast<unsigned char>(cp932[i]);
    if (isCp932LeadByte(b)) {
      if (i + 1 < cp932.size() && isTrailByte(static_cast<unsigned char>(cp932[i + 1]))) {
        i += 2;
        continue;
      }
    } else if (!isStrayByte(b)) {
      ++i;
      continue;
    }
    flush(i);
    out += kReplacement;
    runStart = ++i;
  }
  flush(i);
  return out;
}

std::u16string utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const auto c = decodeUtf8(utf8, i);
    i += c.len;
    if (c.cp < 0x10000) {
      out += static_cast<char16_t>(c.cp);
    } else {
      const char32_t v = c.cp - 0x10000;
      out += static_cast<char16_t>(0xD800 + (v >> 10));
      out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
    }
  }
  return out;
}

std::string utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size() * 3);
  for (size_t i = 0; i < utf16.size(); ++i) {
    const char32_t u = utf16[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      appendUtf8(out, 0xFFFD);  // unpaired surrogate
    } else {
      appendUtf8(out, u);
    }
  }
  return out;
}

std::string sanitizeUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto c = decodeUtf8(text, i);
    if (c.valid) out.append(text.substr(i, c.len));
    else out += kReplacement;
    i += c.len;
  }
  return out;
}

std::string truncateToCp932Bytes(std::string_view utf8, size_t maxBytes) {
  const std::string text = sanitizeUtf8(utf8);
  size_t bytes = 0, i = 0;
  while (i < text.size()) {
    const auto c = decodeUtf8(text, i);
    const size_t w = cp932Width(c.cp);
    if (bytes + w > maxBytes) break;
    bytes += w;
    i += c.len;
  }
  return text.substr(0, i);
}

}  // namespace base
