#include "base/profile.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <random>

#include "base/codec.h"
#include "base/paths.h"
#include "temp_folder.h"

namespace {

class ProfileFileTest : public base_test::TempFolderTest {
 protected:
  void SetUp() override {
    base_test::TempFolderTest::SetUp();
    file_ = path("kestrel20.ini");
  }
  void put(const std::string& bytes) { ASSERT_TRUE(base::writeFileAtomic(file_, bytes)); }
  std::string contents() const {
    std::string bytes;
    EXPECT_TRUE(base::readFileBytes(file_, bytes));
    return bytes;
  }
  base::ProfileFile ini() const { return base::ProfileFile(file_); }

  std::string file_;
};

TEST_F(ProfileFileTest, ValuesAreTrimmedAndUnquotedOnce) {
  put("; Name=comment\r\n"
      "[Main]\r\n"
      "Name =  \"  quoted  \" \r\n"
      "Single='x'\r\n"
      "Mixed=\"x'\r\n"
      "Twice=\"\"x\"\"\r\n"
      "Eq=a=b\r\n"
      "Empty=\r\n"
      "  Indented\t=\tv w  \n"
      "no equals line\r\n"
      ";Commented=1\r\n"
      "[ Spaced ]\r\n"
      "k=v");
  const auto p = ini();
  EXPECT_EQ(p.readString("Main", "Name", "d"), "  quoted  ");
  EXPECT_EQ(p.readString("Main", "Single", "d"), "x");
  EXPECT_EQ(p.readString("Main", "Mixed", "d"), "\"x'");
  EXPECT_EQ(p.readString("Main", "Twice", "d"), "\"x\"");
  EXPECT_EQ(p.readString("Main", "Eq", "d"), "a=b");
  EXPECT_EQ(p.readString("Main", "Empty", "d"), "");
  EXPECT_EQ(p.readString("Main", "Indented", "d"), "v w");
  EXPECT_EQ(p.readString("Main", "no equals line", "d"), "d");
  EXPECT_EQ(p.readString("Main", ";Commented", "d"), "d");
  EXPECT_EQ(p.readString("Spaced", "k", "d"), "v");
  EXPECT_EQ(p.keyNames("Main"),
            (std::vector<std::string>{"Name", "Single", "Mixed", "Twice", "Eq", "Empty", "Indented"}));
  EXPECT_EQ(p.sectionNames(), (std::vector<std::string>{"Main", "Spaced"}));
}

TEST_F(ProfileFileTest, MissingFileSectionOrKeyYieldsTheDefault) {
  EXPECT_EQ(ini().readString("Main", "Name", "def"), "def");
  EXPECT_EQ(ini().readInt("Main", "Top", 7), 7);
  EXPECT_TRUE(ini().sectionNames().empty());
  put("Top=1\r\n[Main]\r\nLeft=2\r\n");
  EXPECT_EQ(ini().readInt("Main", "Top", 7), 7);   // a key before any section belongs to none
  EXPECT_EQ(ini().readInt("Other", "Left", 7), 7);
  EXPECT_EQ(ini().readInt("Main", "Left", 7), 2);
}

TEST_F(ProfileFileTest, IntegersReadLikeThePlatform) {
  put("[S]\r\na=12abc\r\nb=abc\r\nc=\r\nd= -5\r\ne=0x1F\r\nf=\"7\"\r\ng=+3\r\nh=99999999999\r\n"
      "i=-\r\nj=0x\r\n");
  const auto p = ini();
  EXPECT_EQ(p.readInt("S", "a", -1), 12);
  EXPECT_EQ(p.readInt("S", "b", -1), -1);
  EXPECT_EQ(p.readInt("S", "c", -1), -1);
  EXPECT_EQ(p.readInt("S", "d", -1), -5);
  EXPECT_EQ(p.readInt("S", "e", -1), 31);
  EXPECT_EQ(p.readInt("S", "f", -1), 7);
  EXPECT_EQ(p.readInt("S", "g", -1), 3);
  EXPECT_EQ(p.readInt("S", "h", -1), INT_MAX);
  EXPECT_EQ(p.readInt("S", "i", -1), -1);
  EXPECT_EQ(p.readInt("S", "j", -1), 0);  // the "0" is a digit
}

TEST_F(ProfileFileTest, NamesCompareWithoutCaseAndJapaneseNamesWork) {
  // "ゾ" ends in 0x5D ("]") and "表" in 0x5C: markers must not be found
  // inside a character.
  put(base::utf8ToCp932("[MainWindow]\r\nTOP=10\r\n[ゾ]\r\n表=値\r\n[ＡＢＣ]\r\nx=1\r\n"));
  const auto p = ini();
  EXPECT_EQ(p.readInt("mainwindow", "Top", 0), 10);
  EXPECT_EQ(p.readString("ゾ", "表", ""), "値");
  EXPECT_EQ(p.readString("ａｂｃ", "X", ""), "1");
  EXPECT_EQ(p.sectionNames(), (std::vector<std::string>{"MainWindow", "ゾ", "ＡＢＣ"}));
  auto w = ini();
  ASSERT_TRUE(w.writeString("MAINWINDOW", "top", "11"));
  EXPECT_EQ(contents(), base::utf8ToCp932("[MainWindow]\r\nTOP=11\r\n[ゾ]\r\n表=値\r\n[ＡＢＣ]\r\nx=1\r\n"));
}

TEST_F(ProfileFileTest, FirstDuplicateWinsForReadAndWrite) {
  put("[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\nj=4\r\n");
  auto p = ini();
  EXPECT_EQ(p.readString("A", "k", ""), "1");
  EXPECT_EQ(p.readString("A", "j", "none"), "none");  // the second [a] is never seen
  EXPECT_EQ(p.sectionNames(), (std::vector<std::string>{"A"}));
  EXPECT_EQ(p.keyNames("a"), (std::vector<std::string>{"k"}));
  ASSERT_TRUE(p.writeString("a", "K", "9"));
  EXPECT_EQ(contents(), "[A]\r\nk=9\r\nk=2\r\n[a]\r\nk=3\r\nj=4\r\n");
}

TEST_F(ProfileFileTest, ReplaceInPlaceKeepsEveryOtherByte) {
  const std::string before =
      "; settings\n"
      "[Main]   \r\n"
      "  Top = 1   \r\n"
      "Left=2\n"
      "odd line \xFF\x83\r\n"
      "\r\n"
      "[Next]\t\n"
      "x=\"y\"";
  put(before);
  auto p = ini();
  ASSERT_TRUE(p.writeString("Main", "top", "図面"));
  const std::string after =
      "; settings\n"
      "[Main]   \r\n"
      "Top=" + base::utf8ToCp932("図面") + "\r\n"
      "Left=2\n"
      "odd line \xFF\x83\r\n"
      "\r\n"
      "[Next]\t\n"
      "x=\"y\"";
  EXPECT_EQ(contents(), after);
  EXPECT_EQ(p.readString("Main", "Top", ""), "図面");
  ASSERT_TRUE(p.writeString("Next", "x", "z"));  // the last line has no line end
  EXPECT_EQ(contents().substr(after.size() - 5), "x=z");
}

TEST_F(ProfileFileTest, NewKeyGoesAfterTheSectionsLastLine) {
  put("[Main]\r\nTop=1\r\n\r\n[Next]\r\nx=1\r\n");
  auto p = ini();
  ASSERT_TRUE(p.writeString("Main", "Left", "2"));
  EXPECT_EQ(contents(), "[Main]\r\nTop=1\r\nLeft=2\r\n\r\n[Next]\r\nx=1\r\n");
  ASSERT_TRUE(p.writeInt("Next", "y", -3));
  EXPECT_EQ(contents(), "[Main]\r\nTop=1\r\nLeft=2\r\n\r\n[Next]\r\nx=1\r\ny=-3\r\n");
  EXPECT_EQ(p.readInt("Next", "y", 0), -3);

  put("[Main]\nTop=1");  // no line end at the end of the file
  ASSERT_TRUE(p.writeString("Main", "Left", "2"));
  EXPECT_EQ(contents(), "[Main]\nTop=1\r\nLeft=2\r\n");
  put("[Empty]\r\n[Other]\r\n");
  ASSERT_TRUE(p.writeString("Empty", "k", "v"));
  EXPECT_EQ(contents(), "[Empty]\r\nk=v\r\n[Other]\r\n");
}

TEST_F(ProfileFileTest, NewSectionGoesAtTheEndAfterABlankLine) {
  auto p = ini();
  ASSERT_TRUE(p.writeString("Main", "Top", "1"));  // creates the file
  EXPECT_EQ(contents(), "[Main]\r\nTop=1\r\n");
  ASSERT_TRUE(p.writeString("Next", "x", "2"));
  EXPECT_EQ(contents(), "[Main]\r\nTop=1\r\n\r\n[Next]\r\nx=2\r\n");

  put("[A]\nk=1");
  ASSERT_TRUE(p.writeString("B", "k", "2"));
  EXPECT_EQ(contents(), "[A]\nk=1\r\n\r\n[B]\r\nk=2\r\n");
  put("[A]\r\nk=1\r\n\r\n");  // ends with a blank line already
  ASSERT_TRUE(p.writeString("B", "k", "2"));
  EXPECT_EQ(contents(), "[A]\r\nk=1\r\n\r\n[B]\r\nk=2\r\n");
  put("");
  ASSERT_TRUE(p.writeString("B", "k", "2"));
  EXPECT_EQ(contents(), "[B]\r\nk=2\r\n");
}

TEST_F(ProfileFileTest, RefusedWritesLeaveTheFileAlone) {
  const std::string before = "[Main]\r\nTop=1\r\n";
  put(before);
  auto p = ini();
  EXPECT_THROW(p.writeString("Main", "Top", "\xC2\xA5" "100"), base::EncodingError);
  EXPECT_THROW(p.writeString("Main", "\xE2\x88\x92", "1"), base::EncodingError);
  EXPECT_FALSE(p.writeString("Main", "Top", "1\r\n[Evil]"));
  EXPECT_FALSE(p.writeString("Main", "a=b", "1"));
  EXPECT_FALSE(p.writeString("Main", " ", "1"));
  EXPECT_FALSE(p.writeString("Main", ";x", "1"));
  EXPECT_EQ(contents(), before);
  EXPECT_FALSE(base::ProfileFile(path("no/such/folder.ini")).writeString("A", "k", "v"));
}

TEST_F(ProfileFileTest, DeleteKeyAndSection) {
  put("[A]\r\nk=1\r\nj=2\r\nK=3\r\n\r\n[B]\r\nx=1\r\n[a]\r\nk=4\r\n");
  auto p = ini();
  ASSERT_TRUE(p.deleteKey("a", "k"));
  EXPECT_EQ(contents(), "[A]\r\nj=2\r\n\r\n[B]\r\nx=1\r\n[a]\r\nk=4\r\n");
  EXPECT_EQ(p.readString("A", "k", "gone"), "gone");
  EXPECT_TRUE(p.deleteKey("A", "missing"));
  EXPECT_TRUE(p.deleteKey("Missing", "k"));
  ASSERT_TRUE(p.deleteSection("A"));  // both copies
  EXPECT_EQ(contents(), "[B]\r\nx=1\r\n");
  EXPECT_TRUE(p.deleteSection("A"));
  EXPECT_EQ(contents(), "[B]\r\nx=1\r\n");
}

TEST_F(ProfileFileTest, TwoObjectsOnOneFileAgree) {
  auto a = ini();
  const auto b = ini();
  ASSERT_TRUE(a.writeInt("Main", "Top", 5));
  EXPECT_EQ(b.readInt("Main", "Top", 0), 5);
  ASSERT_TRUE(a.writeInt("Main", "Top", 6));
  EXPECT_EQ(b.readInt("Main", "Top", 0), 6);
}

TEST_F(ProfileFileTest, AWriteLeavesNoTemporaryFile) {
  auto p = ini();
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(p.writeInt("Main", "n" + std::to_string(i), i));
  ASSERT_TRUE(p.deleteKey("Main", "n0"));
  const auto entries = base::listFolder(dir());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "kestrel20.ini");
}

TEST_F(ProfileFileTest, DamagedFilesNeverCrash) {
  // Random bytes (no "[" so that no section appears by chance), then a
  // normal section.
  std::mt19937 rng(42);
  std::string garbage;
  for (int i = 0; i < 20000; ++i) {
    char c = static_cast<char>(rng() & 0xFF);
    garbage += c == '[' ? '\0' : c;
  }
  put(garbage + "\r\n[S]\r\nk=v\x83\r\nbad=\x85\x40\xFF\r\n");
  auto p = ini();
  EXPECT_EQ(p.readString("S", "k", ""), "v\uFFFD");
  EXPECT_EQ(p.readString("S", "bad", ""), "\uFFFD\uFFFD");
  ASSERT_TRUE(p.writeString("S", "k", "w"));
  EXPECT_EQ(contents(), garbage + "\r\n[S]\r\nk=w\r\nbad=\x85\x40\xFF\r\n");
}

TEST_F(ProfileFileTest, TenMegabyteLine) {
  const std::string big(10 * 1024 * 1024, 'x');
  put("[S]\r\nbig=" + big + "\r\n" + big + "\r\nk=v\r\n");
  auto p = ini();
  EXPECT_EQ(p.readString("S", "k", ""), "v");
  EXPECT_EQ(p.readString("S", "big", "").size(), big.size());
  ASSERT_TRUE(p.writeString("S", "k", "w"));
  EXPECT_EQ(contents(), "[S]\r\nbig=" + big + "\r\n" + big + "\r\nk=w\r\n");
}

}  // namespace
