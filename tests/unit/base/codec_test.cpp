#include "base/codec.h"

#include <gtest/gtest.h>

namespace {

struct Vector {
  const char* utf8;
  const char* cp932;
};

// Both builds must agree on these; the Win32 one is checked against the
// same list.
const Vector kVectors[] = {
    {"\xEF\xBD\xBA\xEF\xBE\x8F\xEF\xBE\x9D\xEF\xBE\x84\xEF\xBE\x9E", "\xBA\xCF\xDD\xC4\xDE"},  // ｺﾏﾝﾄﾞ
    {"コマンド", "\x83\x52\x83\x7D\x83\x93\x83\x68"},
    {"ﾏｲ ｺﾝﾋﾟｭｰﾀ", "\xCF\xB2\x20\xBA\xDD\xCB\xDF\xAD\xB0\xC0"},
    {"C:\\acad\\plot~1.dwg", "C:\\acad\\plot~1.dwg"},
    {"表ソ", "\x95\x5C\x83\x5C"},  // trail byte 0x5C
    {"①≒ⅰ纊～", "\x87\x40\x81\xE0\xFA\x40\xFA\x5C\x81\x60"},  // NEC and IBM extensions
    {"\xEE\x80\x80", "\xF0\x40"},                                // user-defined area
    {"印刷中止", "\x88\xF3\x8D\xFC\x92\x86\x8E\x7E"},
};

TEST(CodecTest, ConvertsVectorsBothWays) {
  for (const auto& v : kVectors) {
    EXPECT_EQ(base::tryUtf8ToCp932(v.utf8), std::string(v.cp932)) << v.utf8;
    EXPECT_EQ(base::cp932ToUtf8(v.cp932), v.utf8) << v.utf8;
  }
}

TEST(CodecTest, DuplicateCodesReadAsTheSameCharacter) {
  EXPECT_EQ(base::cp932ToUtf8("\x87\x90"), "≒");  // NEC row 13 copy of 0x81E0
  EXPECT_EQ(base::cp932ToUtf8("\xED\x40"), "纊");  // NEC-selected copy of 0xFA5C
  EXPECT_EQ(base::cp932ToUtf8("\xEE\xEF"), "ⅰ");
}

TEST(CodecTest, StrictConversionRefusesWhatHasNoExactForm) {
  const char* refused[] = {
      "\xC2\xA5",      // yen sign: 0x5C is the backslash
      "\xE2\x80\xBE",  // overline: 0x7E is the tilde
      "\xE3\x80\x9C",  // wave dash (only the full-width tilde is in the table)
      "\xE2\x88\x92",  // minus sign
      "\xC2\xAC",      // not sign
      "\xC2\x80",      // 0x80 is no character
      "é",
      "😀",
      "\xEF\xBF\xBD",  // U+FFFD itself
      "\xFF",          // not UTF-8
  };
  for (const char* s : refused) {
    EXPECT_EQ(base::tryUtf8ToCp932(std::string("a") + s + "b"), std::nullopt) << s;
    EXPECT_THROW(base::utf8ToCp932(s), base::EncodingError) << s;
  }
}

TEST(CodecTest, EncodingErrorNamesTheText) {
  try {
    base::utf8ToCp932("図面\xC2\xA5");
    FAIL();
  } catch (const base::EncodingError& e) {
    EXPECT_NE(std::string(e.what()).find("'図面\xC2\xA5'"), std::string::npos) << e.what();
  }
}

TEST(CodecTest, EncodingErrorCarriesTheTextAndItsFirstUnwritableCharacter) {
  try {
    base::utf8ToCp932("C:\\図面_한글\\k1😀.dxf");
    FAIL();
  } catch (const base::EncodingError& e) {
    EXPECT_EQ("C:\\図面_한글\\k1😀.dxf", e.text());
    EXPECT_EQ("한", e.character());
  }
}

// The test that decides whether AutoCAD can be given a path. The extension
// characters (NEC, IBM) and the full-width tilde are ordinary in Japanese
// folder names and must pass; what has no code of its own must not.
TEST(CodecTest, FirstCharWithoutCp932NamesTheCulpritOrNothing) {
  for (const char* ok : {"C:\\図面\\髙橋①\\t1.dxf", "ｱｲｳ\\a～b.dwg", "plot~1.dwg", "", "纊ⅰ≒"}) {
    EXPECT_EQ(std::nullopt, base::firstCharWithoutCp932(ok)) << ok;
    // Both ways: what passes comes back the same from its bytes.
    EXPECT_EQ(ok, base::cp932ToUtf8(base::utf8ToCp932(ok))) << ok;
  }
  struct Refused {
    const char* text;
    const char* culprit;
  };
  const Refused refused[] = {
      {"C:\\図面_한글\\k1.dxf", "한"},
      {"C:\\a\\b😀c.dwg", "😀"},
      {"C:\\か\xE3\x82\x99.dwg", "\xE3\x82\x99"},  // combining voiced mark: not composed
      {"e\xCC\x81\xC2\xA5", "\xCC\x81"},             // the first of two
      {"C:\\\xE3\x80\x9C.dwg", "\xE3\x80\x9C"},    // wave dash reads back as the tilde
      {"a\xFF", "\xEF\xBF\xBD"},                       // broken UTF-8
  };
  for (const Refused& r : refused) EXPECT_EQ(std::string(r.culprit), base::firstCharWithoutCp932(r.text)) << r.text;
}

TEST(CodecTest, InvalidCp932BecomesReplacementCharacters) {
  EXPECT_EQ(base::cp932ToUtf8("a\x80" "b\xA0" "c\xFD\xFE\xFF"), "a\uFFFDb\uFFFDc\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(base::cp932ToUtf8("ab\x83"), "ab\uFFFD");             // lead byte at the end
  EXPECT_EQ(base::cp932ToUtf8("\x83\x20" "x"), "\uFFFD x");        // lead byte without trail
  EXPECT_EQ(base::cp932ToUtf8("\x85\x40\x83\x52"), "\uFFFDコ");   // unassigned code, one U+FFFD
  EXPECT_EQ(base::cp932ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(CodecTest, Utf16RoundTripAndInvalidInput) {
  EXPECT_EQ(base::utf8ToUtf16("aコ😀"), (std::u16string{u'a', u'コ', 0xD83D, 0xDE00}));
  EXPECT_EQ(base::utf16ToUtf8(u"aコ\U0001F600"), "aコ😀");
  EXPECT_EQ(base::utf16ToUtf8(std::u16string{u'a', 0xD800, u'b', 0xDC00}), "a\uFFFDb\uFFFD");
  EXPECT_EQ(base::utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
}

TEST(CodecTest, SanitizeReplacesEachBrokenSequence) {
  EXPECT_EQ(base::sanitizeUtf8("図面.dwg"), "図面.dwg");
  EXPECT_EQ(base::sanitizeUtf8("a\xE3\x81" "b"), "a\uFFFDb");             // cut character
  EXPECT_EQ(base::sanitizeUtf8("\xC0\xAF"), "\uFFFD\uFFFD");              // overlong
  EXPECT_EQ(base::sanitizeUtf8("\xED\xA0\x80"), "\uFFFD\uFFFD\uFFFD");    // surrogate
  EXPECT_EQ(base::sanitizeUtf8("\xF4\x90\x80\x80"), "\uFFFD\uFFFD\uFFFD\uFFFD");  // > U+10FFFF
}

TEST(CodecTest, TruncateCountsCp932BytesAndKeepsWholeCharacters) {
  EXPECT_EQ(base::truncateToCp932Bytes("アイウ", 5), "アイ");
  EXPECT_EQ(base::truncateToCp932Bytes("ｱｲｳ", 2), "ｱｲ");
  EXPECT_EQ(base::truncateToCp932Bytes("aア", 2), "a");
  EXPECT_EQ(base::truncateToCp932Bytes("aア", 3), "aア");
  EXPECT_EQ(base::truncateToCp932Bytes("abc", 0), "");
  EXPECT_EQ(base::truncateToCp932Bytes("abc", 255), "abc");
  const std::string longText(300, 'x');
  EXPECT_EQ(base::truncateToCp932Bytes(longText, 255).size(), 255u);
}

}  // namespace
