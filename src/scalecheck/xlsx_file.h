// A table of texts as an Excel workbook (.xlsx) of one sheet: where Excel
// itself cannot be started, the table can still be handed over as a file.
#pragma once
#include <string>
#include <vector>

namespace scalecheck {

struct XlsxTable {
  std::string SheetName;
  std::vector<std::vector<std::string>> Rows;  // the first row is the header, in bold
  std::vector<int> ColumnWidths;               // in pixels, as on screen; may be empty
};

// The workbook's bytes: every cell an inline text, so nothing is read as
// a number or a date.
std::string XlsxBytes(const XlsxTable& table);
// The column name of a 0-based column: A … Z, AA …
std::string XlsxColumnName(int column);

}  // namespace scalecheck
