// The spreadsheet stand-in's cells, addresses and names: the end-to-end
// test reads its journal, so what it writes there must be what a
// spreadsheet would hold.
#include <gtest/gtest.h>

#include "excelsim/sheet.h"

namespace {

using excelsim::Cell;

TEST(ExcelSimColumns, LettersAndNumbersBothWays) {
  const std::pair<const char*, int> cases[] = {{"A", 1}, {"I", 9}, {"Z", 26}, {"AA", 27}, {"AZ", 52},
                                                {"BA", 53}, {"ZZ", 702}, {"AAA", 703}, {"XFD", 16384}};
  for (const auto& [letters, n] : cases) {
    EXPECT_EQ(excelsim::columnNumber(letters), n) << letters;
    EXPECT_EQ(excelsim::columnLetters(n), letters) << n;
  }
  // The program passes lower case.
  EXPECT_EQ(excelsim::columnNumber("a"), 1);
  EXPECT_EQ(excelsim::columnNumber("xfd"), 16384);
}

TEST(ExcelSimColumns, WhatIsNoColumn) {
  for (const char* bad : {"", "XFE", "AAAA", "a1", "1", " a", "Ａ", "-"})
    EXPECT_FALSE(excelsim::columnNumber(bad).has_value()) << bad;
}

TEST(ExcelSimAddresses, A1References) {
  auto a = excelsim::parseAddress("b3");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->row, 3);
  EXPECT_EQ(a->column, 2);
  a = excelsim::parseAddress("$AA$100");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->row, 100);
  EXPECT_EQ(a->column, 27);
  EXPECT_TRUE(excelsim::parseAddress("XFD1048576"));
  for (const char* bad : {"", "A", "3", "A0", "A01", "A1048577", "A1:B2", "A 1", "1A"})
    EXPECT_FALSE(excelsim::parseAddress(bad).has_value()) << bad;
}

TEST(ExcelSimCells, TextFormatKeepsWhatWasTyped) {
  for (const char* typed : {"1/100", "100", "0,0", "1.0000", "-3", "1e5"}) {
    Cell cell;
    cell.format = excelsim::kTextFormat;
    excelsim::enterText(cell, typed);
    EXPECT_EQ(cell.kind, Cell::Kind::Text) << typed;
    EXPECT_EQ(excelsim::displayText(cell), typed);
  }
}

TEST(ExcelSimCells, GeneralFormatTurnsPlainNumbersIntoNumbers) {
  const std::pair<const char*, const char*> numbers[] = {
      {"100", "100"}, {"1.0000", "1"}, {" -2.5 ", "-2.5"}, {"+7", "7"}, {"1e3", "1000"}, {".5", "0.5"}};
  for (const auto& [typed, shown] : numbers) {
    Cell cell;
    excelsim::enterText(cell, typed);
    EXPECT_EQ(cell.kind, Cell::Kind::Number) << typed;
    EXPECT_EQ(excelsim::displayText(cell), shown) << typed;
  }
  for (const char* text : {"1/100", "0,0", "図面名", "1.2.3", "e5", "1e", "-", "12000.0000,9000.0000"}) {
    Cell cell;
    excelsim::enterText(cell, text);
    EXPECT_EQ(cell.kind, Cell::Kind::Text) << text;
    EXPECT_EQ(excelsim::displayText(cell), text);
  }
}

TEST(ExcelSimCells, AnEmptyValueClearsTheCellButNotItsFormat) {
  Cell cell;
  cell.format = excelsim::kTextFormat;
  excelsim::enterText(cell, "x");
  excelsim::enterText(cell, "");
  EXPECT_EQ(cell.kind, Cell::Kind::Empty);
  EXPECT_EQ(cell.format, excelsim::kTextFormat);
  EXPECT_EQ(excelsim::displayText(cell), "");
}

TEST(ExcelSimSheet, CellsAndExtent) {
  excelsim::Sheet sheet;
  EXPECT_EQ(sheet.lastRow(), 0);
  EXPECT_EQ(sheet.find(1, 1), nullptr);
  excelsim::enterText(sheet.at(4, 2), "b4");
  excelsim::enterText(sheet.at(2, 9), "i2");
  EXPECT_EQ(sheet.lastRow(), 4);
  EXPECT_EQ(sheet.lastColumn(), 9);
  ASSERT_NE(sheet.find(4, 2), nullptr);
  EXPECT_EQ(sheet.find(4, 2)->text, "b4");
  EXPECT_EQ(sheet.find(2, 4), nullptr);
  // A new cell has the general format.
  EXPECT_EQ(sheet.at(7, 7).format, excelsim::kGeneralFormat);
}

TEST(ExcelSimJournal, OneLinePerCellWithTabsAndBreaksEscaped) {
  Cell cell;
  cell.format = excelsim::kTextFormat;
  excelsim::enterText(cell, "図面名");
  EXPECT_EQ(excelsim::journalLine("Book1", 1, 1, cell), "Book1\t1\tA\t@\ts\t図面名");
  excelsim::enterText(cell, "a\tb\nc\\d\r");
  EXPECT_EQ(excelsim::journalLine("Book1", 12, 28, cell), "Book1\t12\tAB\t@\ts\ta\\tb\\nc\\\\d\\r");

  Cell number;
  excelsim::enterText(number, "100");
  EXPECT_EQ(excelsim::journalLine("Book2", 2, 7, number), "Book2\t2\tG\tG/標準\tn\t100");
  Cell truth;
  excelsim::enterBoolean(truth, true);
  EXPECT_EQ(excelsim::journalLine("Book2", 1, 1, truth), "Book2\t1\tA\tG/標準\tb\tTRUE");
  EXPECT_EQ(excelsim::journalLine("Book2", 1, 1, Cell{}), "Book2\t1\tA\tG/標準\te\t");
}

TEST(ExcelSimMembers, NamesAreFoundWithoutRegardToCase) {
  const excelsim::MemberTable table({{"Workbooks", 3}, {"Visible", 2}, {"Value", 0}});
  EXPECT_EQ(table.find(u"WorkBooks"), 3);
  EXPECT_EQ(table.find(u"workbooks"), 3);
  EXPECT_EQ(table.find(u"VISIBLE"), 2);
  EXPECT_EQ(table.find(u"value"), 0);
  EXPECT_FALSE(table.find(u"Workbook"));
  EXPECT_FALSE(table.find(u"Workbooks2"));
  EXPECT_FALSE(table.find(u""));
  // Case folding is ASCII only: a full-width letter is another name.
  EXPECT_FALSE(table.find(u"Ｖalue"));
  EXPECT_STREQ(table.nameOf(2), "Visible");
  EXPECT_EQ(table.nameOf(9), nullptr);
}

}  // namespace
