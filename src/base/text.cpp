#include "base/text.h"

#include "base/utf8_decode.h"

namespace base {

namespace {

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// A match may neither begin nor end inside a character.
bool onBoundaries(std::string_view text, size_t pos, size_t len) {
  if (len == 0) return true;
  if (pos < text.size() && isContinuation(text[pos])) return false;
  const size_t end = pos + len;
  return end >= text.size() || !isContinuation(text[end]);
}

// Ordering key of one character. Invalid bytes sort after every character
// and stay distinct from each other and from U+FFFD.
char32_t foldedAt(std::string_view text, size_t i, size_t& len) {
  const auto c = detail::decodeUtf8(text, i);
  len = c.len;
  if (!c.valid) return 0x110000 + static_cast<unsigned char>(text[i]);
  char32_t cp = c.cp;
  if (cp >= 'A' && cp <= 'Z') cp += 'a' - 'A';
  else if (cp >= 0xFF21 && cp <= 0xFF3A) cp += 0x20;  // full-width Ａ-Ｚ
  return cp;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool contains(std::string_view haystack, std::string_view needle) {
  for (size_t pos = haystack.find(needle); pos != std::string_view::npos;
       pos = haystack.find(needle, pos + 1)) {
    if (onBoundaries(haystack, pos, needle.size())) return true;
  }
  return false;
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix && onBoundaries(text, 0, prefix.size());
}

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix &&
         onBoundaries(text, text.size() - suffix.size(), suffix.size());
}

int compareTextNoCase(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    size_t la, lb;
    const char32_t ca = foldedAt(a, i, la), cb = foldedAt(b, j, lb);
    if (ca != cb) return ca < cb ? -1 : 1;
    i += la;
    j += lb;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

bool equalsNoCase(std::string_view a, std::string_view b) { return compareTextNoCase(a, b) == 0; }

std::string asciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  return out;
}

std::string asciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - ('a' - 'A'));
  return out;
}

std::string trim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && isBlank(text[b])) ++b;
  while (e > b && isBlank(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

std::vector<std::string> split(std::string_view text, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t pos; (pos = text.find(sep, start)) != std::string_view::npos; start = pos + 1)
    parts.emplace_back(text.substr(start, pos - start));
  parts.emplace_back(text.substr(start));
  return parts;
}

std::string intToStr(long long v) { return std::to_string(v); }

}  // namespace base
