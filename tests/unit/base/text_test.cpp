#include "base/text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(TextTest, SearchesMatchWholeCharactersOnly) {
  EXPECT_TRUE(base::contains("コマンド:", "マン"));
  EXPECT_TRUE(base::contains("abc", ""));
  EXPECT_FALSE(base::contains("abc", "abcd"));
  // "ア" is E3 82 A2: its last two bytes are no character of their own.
  EXPECT_FALSE(base::contains("アイ", "\x82\xA2"));
  EXPECT_FALSE(base::contains("アイ", "\xE3\x82"));
  EXPECT_TRUE(base::contains("\x82\xA2" "ア", "ア"));  // a later match still counts
  EXPECT_TRUE(base::startsWith("図面.dwg", "図面"));
  EXPECT_FALSE(base::startsWith("ア", "\xE3\x82"));
  EXPECT_TRUE(base::endsWith("図面.dwg", ".dwg"));
  EXPECT_FALSE(base::endsWith("ア", "\xA2"));
  EXPECT_FALSE(base::endsWith("g", ".dwg"));
}

TEST(TextTest, CompareNoCaseSortsFileNames) {
  std::vector<std::string> names = {"c", "b.dwg", "A.dxf", "B.DWG2"};
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return base::compareTextNoCase(a, b) < 0; });
  EXPECT_EQ(names, (std::vector<std::string>{"A.dxf", "b.dwg", "B.DWG2", "c"}));
  EXPECT_LT(base::compareTextNoCase("_x", "ax"), 0);  // letters fold to lower case
  EXPECT_GT(base::compareTextNoCase("abc", "ab"), 0);
  EXPECT_LT(base::compareTextNoCase("ab", "abc"), 0);
  EXPECT_LT(base::compareTextNoCase("z", "あ"), 0);  // by code point
}

TEST(TextTest, EqualsNoCaseFoldsAsciiAndFullWidthLatin) {
  EXPECT_TRUE(base::equalsNoCase("MainWindow", "MAINWINDOW"));
  EXPECT_TRUE(base::equalsNoCase("ＡＢＣ", "ａｂｃ"));
  EXPECT_FALSE(base::equalsNoCase("Ａ", "a"));  // full-width is not ASCII
  EXPECT_FALSE(base::equalsNoCase("É", "é"));
  EXPECT_FALSE(base::equalsNoCase("\xFF", "\xFE"));  // invalid bytes stay distinct
  EXPECT_FALSE(base::equalsNoCase("\xFF", "\uFFFD"));
}

TEST(TextTest, CaseTrimSplit) {
  EXPECT_EQ(base::asciiLower("ABC.Dwg ｱＡ"), "abc.dwg ｱＡ");
  EXPECT_EQ(base::asciiUpper("abc.dwg ｱａ"), "ABC.DWG ｱａ");
  EXPECT_EQ(base::trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(base::trim("　a"), "　a");  // the full-width space is no blank
  EXPECT_EQ(base::trim(" \r\n"), "");
  EXPECT_EQ(base::split("420x297", 'x'), (std::vector<std::string>{"420", "297"}));
  EXPECT_EQ(base::split("a,,b,", ','), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(base::split("", ','), (std::vector<std::string>{""}));
  EXPECT_EQ(base::intToStr(-42), "-42");
}

}  // namespace
