// The spreadsheet stand-in's portable part: cells as the spreadsheet keeps
// them, its column names and addresses, its case-blind member names and
// the journal line of a written cell.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace excelsim {

constexpr int kMaxRow = 1048576;
constexpr int kMaxColumn = 16384;  // XFD
// A new cell's local number format on a Japanese system.
inline const std::string kGeneralFormat = "G/標準";
inline const std::string kTextFormat = "@";

// "a" -> 1, "Z" -> 26, "AA" -> 27, either case; nothing for anything that
// is not a column of a sheet.
std::optional<int> columnNumber(std::string_view letters);
std::string columnLetters(int column);

struct Address {
  int row = 0;
  int column = 0;
};
// An A1 reference ("B3", "$b$3"); nothing when it is none.
std::optional<Address> parseAddress(std::string_view a1);

struct Cell {
  enum class Kind { Empty, Text, Number, Boolean };
  std::string format = kGeneralFormat;
  Kind kind = Kind::Empty;
  std::string text;  // Text
  double number = 0;  // Number, Boolean (0 or 1)
};

// A text entered into a cell, read as the spreadsheet reads typing: in a
// text-formatted cell it stays a text; otherwise a plain decimal number
// becomes a number, and anything else stays a text (dates and fractions
// are not recognised here).
void enterText(Cell& cell, const std::string& text);
void enterNumber(Cell& cell, double number);
void enterBoolean(Cell& cell, bool value);
void clear(Cell& cell);
// What the cell shows.
std::string displayText(const Cell& cell);

class Sheet {
 public:
  explicit Sheet(std::string name = "Sheet1") : name_(std::move(name)) {}
  const std::string& name() const { return name_; }
  // The cell, created empty when it was never used.
  Cell& at(int row, int column) { return cells_[{row, column}]; }
  const Cell* find(int row, int column) const;
  int lastRow() const;
  int lastColumn() const;
  const std::map<std::pair<int, int>, Cell>& cells() const { return cells_; }

 private:
  std::string name_;
  std::map<std::pair<int, int>, Cell> cells_;  // by (row, column)
};

// One line of the journal for a cell whose value was put: book, row,
// column letters, number format, kind (s text, n number, b boolean, e
// empty), value; tab separated, tabs, line breaks and backslashes in the
// texts written as \t, \n, \r and \\.
std::string journalLine(const std::string& book, int row, int column, const Cell& cell);

// Member names of an automation object, found without regard to case as
// the spreadsheet finds them ("WorkBooks" is "Workbooks").
class MemberTable {
 public:
  struct Member {
    const char* name;  // ASCII
    long id;
  };
  explicit MemberTable(std::vector<Member> members) : members_(std::move(members)) {}
  std::optional<long> find(std::u16string_view name) const;
  const char* nameOf(long id) const;

 private:
  std::vector<Member> members_;
};

}  // namespace excelsim
