#include "base/profile.h"

#include <cctype>
#include <cstdint>
#include <optional>

#include "base/codec.h"
#include "base/paths.h"
#include "base/text.h"

namespace base {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trimBlanks(std::string_view t) {
  while (!t.empty() && isBlank(t.front())) t.remove_prefix(1);
  while (!t.empty() && isBlank(t.back())) t.remove_suffix(1);
  return t;
}

std::string unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return std::string(v);
}

enum class Kind { Other, Section, Key };

struct Line {
  size_t begin = 0;       // offset of the line in the file
  size_t contentEnd = 0;  // before "\r\n" or "\n"
  size_t end = 0;         // after the line end, if any
  Kind kind = Kind::Other;
  std::string name;   // section or key, UTF-8, trimmed
  std::string value;  // after the first "=", UTF-8, trimmed, quotes kept
};

// The file as its lines. Unchanged lines are written back from the bytes
// read, so a line that cannot be decoded still survives a write.
//
// Markers are searched in the decoded text: a CP932 trail byte can be "]"
// or "\", but never "=", ";", "[" at the start of a line, or a blank.
class Document {
 public:
  // False when the file exists and cannot be read; a missing file is empty.
  bool load(const std::string& path) {
    bytes_.clear();
    lines_.clear();
    if (!fileExists(path)) return !folderExists(path);
    if (!readFileBytes(path, bytes_)) return false;
    for (size_t pos = 0; pos < bytes_.size();) {
      Line line;
      line.begin = pos;
      const size_t nl = bytes_.find('\n', pos);
      line.end = nl == std::string::npos ? bytes_.size() : nl + 1;
      line.contentEnd = nl == std::string::npos ? bytes_.size() : nl;
      if (line.contentEnd > line.begin && bytes_[line.contentEnd - 1] == '\r') --line.contentEnd;
      parse(line);
      pos = line.end;
      lines_.push_back(std::move(line));
    }
    return true;
  }

  bool empty() const { return bytes_.empty(); }
  const std::vector<Line>& lines() const { return lines_; }

  // First section of that name (later ones of the same name are never
  // seen); npos when none. The range of its keys is (index, sectionEnd).
  size_t findSection(std::string_view name) const {
    const std::string_view want = trimBlanks(name);
    for (size_t i = 0; i < lines_.size(); ++i)
      if (lines_[i].kind == Kind::Section && equalsNoCase(lines_[i].name, want)) return i;
    return npos;
  }
  size_t sectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
    return i;
  }
  size_t findKey(size_t header, std::string_view key) const {
    const std::string_view want = trimBlanks(key);
    for (size_t i = header + 1, end = sectionEnd(header); i < end; ++i)
      if (lines_[i].kind == Kind::Key && equalsNoCase(lines_[i].name, want)) return i;
    return npos;
  }

  std::string_view raw(size_t from, size_t to) const {
    return std::string_view(bytes_).substr(from, to - from);
  }
  // The key as it is spelt in the file, in the file's bytes.
  std::string_view rawKey(const Line& line) const {
    const std::string_view content = raw(line.begin, line.contentEnd);
    return trimBlanks(content.substr(0, content.find('=')));
  }
  bool isBlankLine(const Line& line) const {
    return trimBlanks(raw(line.begin, line.contentEnd)).empty();
  }
  bool lastLineUnterminated() const { return !lines_.empty() && lines_.back().contentEnd == lines_.back().end; }

  static constexpr size_t npos = static_cast<size_t>(-1);

 private:
  void parse(Line& line) const {
    const std::string text = cp932ToUtf8(raw(line.begin, line.contentEnd));
    const std::string_view t = trimBlanks(text);
    if (t.empty() || t.front() == ';') return;  // blank or comment
    if (t.front() == '[') {
      const size_t close = t.rfind(']');
      if (close == std::string_view::npos) return;
      line.kind = Kind::Section;
      line.name = std::string(trimBlanks(t.substr(1, close - 1)));
      return;
    }
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos) return;  // kept, but no key
    const std::string_view key = trimBlanks(t.substr(0, eq));
    if (key.empty()) return;
    line.kind = Kind::Key;
    line.name = std::string(key);
    line.value = std::string(trimBlanks(t.substr(eq + 1)));
  }

  std::string bytes_;
  std::vector<Line> lines_;
};

constexpr const char* kNewLine = "\r\n";

bool hasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// Parses like the platform's integer reader: blanks, sign, then decimal
// digits or "0x" and hexadecimal digits, up to the first other character.
std::optional<int> parseProfileInt(std::string_view t) {
  size_t i = 0;
  while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  int base = 10;
  if (i + 2 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X') &&
      std::isxdigit(static_cast<unsigned char>(t[i + 2]))) {
    base = 16;
    i += 2;
  }
  long long v = 0;
  size_t digits = 0;
  for (; i < t.size(); ++i, ++digits) {
    const char c = t[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else break;
    if (v <= 0xFFFFFFFFLL) v = v * base + d;  // past 32 bits it is clamped below anyway
  }
  if (digits == 0) return std::nullopt;
  if (negative) v = -v;
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int>(v);
}

}  // namespace

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {}

std::string ProfileFile::readString(const std::string& section, const std::string& key,
                                    const std::string& def) const {
  Document doc;
  if (!doc.load(path_)) return def;
  const size_t s = doc.findSection(section);
  if (s == Document::npos) return def;
  const size_t k = doc.findKey(s, key);
  if (k == Document::npos) return def;
  return unquote(doc.lines()[k].value);
}

int ProfileFile::readInt(const std::string& section, const std::string& key, int def) const {
  const std::string text = readString(section, key, "");
  return parseProfileInt(text).value_or(def);
}

bool ProfileFile::writeString(const std::string& section, const std::string& key,
                              const std::string& value) {
  const std::string_view keyName = trimBlanks(key);
  // A line break, or a key that would read as a comment or a section,
  // would change the file's structure.
  if (keyName.empty() || keyName.front() == ';' || keyName.front() == '[' ||
      keyName.find('=') != std::string_view::npos || hasLineBreak(section) || hasLineBreak(key) ||
      hasLineBreak(value))
    return false;
  const std::string sectionBytes = utf8ToCp932(trimBlanks(section));
  const std::string keyBytes = utf8ToCp932(keyName);
  const std::string valueBytes = utf8ToCp932(value);

  Document doc;
  if (!doc.load(path_)) return false;
  const auto& lines = doc.lines();
  std::string out;
  const size_t s = doc.findSection(section);
  if (s == Document::npos) {
    out = doc.raw(0, lines.empty() ? 0 : lines.back().end);
    if (!doc.empty()) {
      if (doc.lastLineUnterminated()) out += kNewLine;
      if (!doc.isBlankLine(lines.back())) out += kNewLine;
    }
    out += "[" + sectionBytes + "]" + kNewLine + keyBytes + "=" + valueBytes + kNewLine;
    return writeFileAtomic(path_, out);
  }

  const size_t k = doc.findKey(s, key);
  if (k != Document::npos) {
    const Line& line = lines[k];
    out += doc.raw(0, line.begin);
    out += doc.rawKey(line);
    out += "=";
    out += valueBytes;
    out += doc.raw(line.contentEnd, lines.back().end);
    return writeFileAtomic(path_, out);
  }

  // After the section's last non-blank line, so that the blank line before
  // the next section stays where it is.
  size_t after = s;
  for (size_t i = s + 1, end = doc.sectionEnd(s); i < end; ++i)
    if (!doc.isBlankLine(lines[i])) after = i;
  const Line& prev = lines[after];
  out += doc.raw(0, prev.end);
  if (prev.contentEnd == prev.end) out += kNewLine;  // the file's last line had no line end
  out += keyBytes + "=" + valueBytes + kNewLine;
  out += doc.raw(prev.end, lines.back().end);
  return writeFileAtomic(path_, out);
}

bool ProfileFile::writeInt(const std::string& section, const std::string& key, int value) {
  return writeString(section, key, std::to_string(value));
}

bool ProfileFile::deleteKey(const std::string& section, const std::string& key) {
  Document doc;
  if (!doc.load(path_)) return false;
  const size_t s = doc.findSection(section);
  if (s == Document::npos) return true;  // nothing to remove
  // Every line of that key in the section, so that no duplicate shows
  // through afterwards.
  const auto& lines = doc.lines();
  const size_t end = doc.sectionEnd(s);
  const std::string_view want = trimBlanks(key);
  std::string out;
  bool removed = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > s && i < end && lines[i].kind == Kind::Key && equalsNoCase(lines[i].name, want)) {
      removed = true;
      continue;
    }
    out += doc.raw(lines[i].begin, lines[i].end);
  }
  return !removed || writeFileAtomic(path_, out);
}

bool ProfileFile::deleteSection(const std::string& section) {
  Document doc;
  if (!doc.load(path_)) return false;
  // Every section of that name, or a later duplicate would show through.
  const auto& lines = doc.lines();
  const std::string_view want = trimBlanks(section);
  std::string out;
  bool removed = false, inside = false;
  for (const Line& line : lines) {
    if (line.kind == Kind::Section) inside = equalsNoCase(line.name, want);
    if (inside) {
      removed = true;
      continue;
    }
    out += doc.raw(line.begin, line.end);
  }
  return !removed || writeFileAtomic(path_, out);
}

std::vector<std::string> ProfileFile::sectionNames() const {
  std::vector<std::string> names;
  Document doc;
  if (!doc.load(path_)) return names;
  for (const Line& line : doc.lines()) {
    if (line.kind != Kind::Section) continue;
    bool seen = false;
    for (const auto& n : names) seen = seen || equalsNoCase(n, line.name);
    if (!seen) names.push_back(line.name);
  }
  return names;
}

std::vector<std::string> ProfileFile::keyNames(const std::string& section) const {
  std::vector<std::string> names;
  Document doc;
  if (!doc.load(path_)) return names;
  const size_t s = doc.findSection(section);
  if (s == Document::npos) return names;
  const auto& lines = doc.lines();
  for (size_t i = s + 1, end = doc.sectionEnd(s); i < end; ++i) {
    if (lines[i].kind != Kind::Key) continue;
    bool seen = false;
    for (const auto& n : names) seen = seen || equalsNoCase(n, lines[i].name);
    if (!seen) names.push_back(lines[i].name);
  }
  return names;
}

}  // namespace base
