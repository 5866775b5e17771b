#include "excelsim/sheet.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace excelsim {

std::optional<int> columnNumber(std::string_view letters) {
  if (letters.empty() || letters.size() > 3) return std::nullopt;
  int n = 0;
  for (char ch : letters) {
    const int c = std::toupper(static_cast<unsigned char>(ch));
    if (c < 'A' || c > 'Z') return std::nullopt;
    n = n * 26 + (c - 'A' + 1);
  }
  if (n > kMaxColumn) return std::nullopt;
  return n;
}

std::string columnLetters(int column) {
  std::string s;
  for (; column > 0; column = (column - 1) / 26) s.insert(s.begin(), static_cast<char>('A' + (column - 1) % 26));
  return s;
}

std::optional<Address> parseAddress(std::string_view a1) {
  size_t i = 0;
  if (i < a1.size() && a1[i] == '$') ++i;
  const size_t letters = i;
  while (i < a1.size() && std::isalpha(static_cast<unsigned char>(a1[i]))) ++i;
  const auto column = columnNumber(a1.substr(letters, i - letters));
  if (!column) return std::nullopt;
  if (i < a1.size() && a1[i] == '$') ++i;
  if (i == a1.size() || a1[i] == '0') return std::nullopt;
  long row = 0;
  for (; i < a1.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(a1[i]))) return std::nullopt;
    row = row * 10 + (a1[i] - '0');
    if (row > kMaxRow) return std::nullopt;
  }
  return Address{static_cast<int>(row), *column};
}

namespace {

// A plain decimal number with optional sign, fraction and exponent, and
// blanks around it.
std::optional<double> plainNumber(const std::string& text) {
  size_t b = text.find_first_not_of(' '), e = text.find_last_not_of(' ');
  if (b == std::string::npos) return std::nullopt;
  const std::string t = text.substr(b, e - b + 1);
  size_t i = 0;
  if (t[i] == '+' || t[i] == '-') ++i;
  size_t digits = 0;
  while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t exp = 0;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++exp;
    if (exp == 0) return std::nullopt;
  }
  if (i != t.size()) return std::nullopt;
  errno = 0;
  const double v = std::strtod(t.c_str(), nullptr);
  if (errno == ERANGE) return std::nullopt;
  return v;
}

void escapeInto(std::string& out, const std::string& text) {
  for (char ch : text) {
    switch (ch) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\\': out += "\\\\"; break;
      default: out += ch;
    }
  }
}

}  // namespace

void enterText(Cell& cell, const std::string& text) {
  if (text.empty()) {
    clear(cell);
    return;
  }
  if (cell.format != kTextFormat) {
    if (const auto v = plainNumber(text)) {
      enterNumber(cell, *v);
      return;
    }
  }
  cell.kind = Cell::Kind::Text;
  cell.text = text;
  cell.number = 0;
}

void enterNumber(Cell& cell, double number) {
  cell.kind = Cell::Kind::Number;
  cell.number = number;
  cell.text.clear();
}

void enterBoolean(Cell& cell, bool value) {
  cell.kind = Cell::Kind::Boolean;
  cell.number = value ? 1 : 0;
  cell.text.clear();
}

void clear(Cell& cell) {
  cell.kind = Cell::Kind::Empty;
  cell.number = 0;
  cell.text.clear();
}

std::string displayText(const Cell& cell) {
  switch (cell.kind) {
    case Cell::Kind::Empty: return "";
    case Cell::Kind::Text: return cell.text;
    case Cell::Kind::Boolean: return cell.number != 0 ? "TRUE" : "FALSE";
    case Cell::Kind::Number: break;
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", cell.number);
  return buf;
}

const Cell* Sheet::find(int row, int column) const {
  const auto it = cells_.find({row, column});
  return it == cells_.end() ? nullptr : &it->second;
}

int Sheet::lastRow() const { return cells_.empty() ? 0 : cells_.rbegin()->first.first; }

int Sheet::lastColumn() const {
  int last = 0;
  for (const auto& [at, cell] : cells_) last = std::max(last, at.second);
  return last;
}

std::string journalLine(const std::string& book, int row, int column, const Cell& cell) {
  static const char kinds[] = {'e', 's', 'n', 'b'};
  std::string line;
  escapeInto(line, book);
  line += '\t' + std::to_string(row) + '\t' + columnLetters(column) + '\t';
  escapeInto(line, cell.format);
  line += '\t';
  line += kinds[static_cast<int>(cell.kind)];
  line += '\t';
  escapeInto(line, displayText(cell));
  return line;
}

std::optional<long> MemberTable::find(std::u16string_view name) const {
  for (const Member& m : members_) {
    const std::string_view n(m.name);
    if (n.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < n.size() && same; ++i) {
      const char16_t c = name[i];
      same = c < 0x80 && std::tolower(static_cast<unsigned char>(c)) == std::tolower(static_cast<unsigned char>(n[i]));
    }
    if (same) return m.id;
  }
  return std::nullopt;
}

const char* MemberTable::nameOf(long id) const {
  for (const Member& m : members_)
    if (m.id == id) return m.name;
  return nullptr;
}

}  // namespace excelsim
