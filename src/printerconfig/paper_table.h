// The table of named paper sizes in "plot.ini", section "PaperSize":
// "PAGE" lines, "PageSize0" … "PageSize<PAGE-1>", each "name=size" with the
// size written "AxB" (A the vertical side, B the horizontal one of the sheet
// lying in landscape; "000x000" is no size).
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace printerconfig {

inline constexpr const char* kPaperSizeSection = "PaperSize";

// One line split at its first "=": the name before it ("" when there is
// none), the size after it (the whole line when there is none). A second
// "=" belongs to the size; blanks stay.
std::string PairName(const std::string& line);
std::string PairValue(const std::string& line);

// A size "AxB" split at its first lowercase "x"; nullopt when there is no
// "x" or a side is not a number.
struct PaperSides {
  double A = 0, B = 0;
};
std::optional<PaperSides> SplitPaperSize(const std::string& size);

// The table's non-empty lines as written, in the file's order. A missing
// file or section is an empty table.
std::vector<std::string> ReadPaperLines(const std::string& plotIniPath);

// The same entries as two parallel lists.
struct PaperTable {
  std::vector<std::string> names, sizes;
};
PaperTable ReadPaperTable(const std::string& plotIniPath);

// The table as the dialog edits it: every line, empty ones included, as
// "PAGE" and "PageSize<i>". A line that cannot be written in CP932 raises
// base::EncodingError before anything is written.
void WritePaperTable(const std::string& plotIniPath, const std::vector<std::string>& lines);

}  // namespace printerconfig
