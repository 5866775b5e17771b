#include "base/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "temp_folder.h"

namespace {

TEST(PathsTest, JoinWithExactlyOneSeparator) {
  EXPECT_EQ(base::joinPath("a", "b"), "a/b");
  EXPECT_EQ(base::joinPath("a/", "/b"), "a/b");
  EXPECT_EQ(base::joinPath("a//", "b/c"), "a/b/c");
  EXPECT_EQ(base::joinPath("/", "x"), "/x");
  EXPECT_EQ(base::joinPath("", "x"), "x");
  EXPECT_EQ(base::withTrailingSep("/tmp/a"), "/tmp/a/");
  EXPECT_EQ(base::withTrailingSep("/tmp/a/"), "/tmp/a/");
  EXPECT_FALSE(base::isPathSep('\\'));  // a file-name character natively
}

TEST(PathsTest, PartsOfAPath) {
  EXPECT_EQ(base::fileNameOf("/d/図面.dwg"), "図面.dwg");
  EXPECT_EQ(base::fileNameOf("x.dwg"), "x.dwg");
  EXPECT_EQ(base::fileNameOf("/d/"), "");
  EXPECT_EQ(base::dirNameOf("/d/図面.dwg"), "/d/");
  EXPECT_EQ(base::dirNameOf("x.dwg"), "");
  EXPECT_EQ(base::extensionOf("/d/a.tar.gz"), ".gz");
  EXPECT_EQ(base::extensionOf("/d.v1/readme"), "");  // a dot in the folder only
  EXPECT_EQ(base::extensionOf("Set1.ini"), ".ini");
  EXPECT_EQ(base::withoutExtension("Set1.ini"), "Set1");
  EXPECT_EQ(base::withoutExtension("README"), "README");
}

using FileSystemTest = base_test::TempFolderTest;

TEST_F(FileSystemTest, FoldersAndListing) {
  const std::string nested = path("図面/sub/deeper");
  EXPECT_FALSE(base::createFolder(nested));  // one level only
  EXPECT_TRUE(base::createFolders(nested));
  EXPECT_TRUE(base::folderExists(nested));
  EXPECT_FALSE(base::fileExists(nested));
  EXPECT_TRUE(base::createFolder(nested));  // exists afterwards
  ASSERT_TRUE(base::writeFileAtomic(path("図面/a.dwg"), "x"));
  ASSERT_TRUE(base::writeFileAtomic(path("図面/.hidden"), "x"));

  auto entries = base::listFolder(path("図面"));
  std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, ".hidden");
  EXPECT_TRUE(entries[0].isHidden);
  EXPECT_EQ(entries[1].name, "a.dwg");
  EXPECT_FALSE(entries[1].isHidden || entries[1].isFolder);
  EXPECT_EQ(entries[2].name, "sub");
  EXPECT_TRUE(entries[2].isFolder);
  EXPECT_TRUE(base::listFolder(path("missing")).empty());

  EXPECT_FALSE(base::removeEmptyFolder(path("図面/sub")));  // not empty
  EXPECT_TRUE(base::removeEmptyFolder(nested));
  EXPECT_FALSE(base::removeFile(path("図面/sub")));  // a folder is no file
  EXPECT_TRUE(base::removeFile(path("図面/a.dwg")));
  EXPECT_FALSE(base::removeFile(path("図面/a.dwg")));
}

TEST_F(FileSystemTest, AtomicWriteReplacesAndLeavesNothingBehind) {
  const std::string file = path("Set1.ini");
  ASSERT_TRUE(base::writeFileAtomic(file, "old contents"));
  ASSERT_TRUE(base::writeFileAtomic(file, std::string("n\0ew\r\n", 6)));
  std::string bytes;
  ASSERT_TRUE(base::readFileBytes(file, bytes));
  EXPECT_EQ(bytes, std::string("n\0ew\r\n", 6));
  const auto entries = base::listFolder(dir());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "Set1.ini");

  EXPECT_FALSE(base::writeFileAtomic(path("missing/x.ini"), "x"));
  EXPECT_FALSE(base::writeFileAtomic(dir(), "x"));  // a folder
  EXPECT_FALSE(base::readFileBytes(path("none"), bytes));
  EXPECT_FALSE(base::readFileBytes(dir(), bytes));
}

TEST_F(FileSystemTest, LongPathsWork) {
  std::string folder = dir();
  for (int i = 0; i < 6; ++i) folder = base::joinPath(folder, std::string(60, 'a' + i));
  ASSERT_GT(folder.size(), 300u);
  ASSERT_TRUE(base::createFolders(folder));
  const std::string file = base::joinPath(folder, "長い名前の図面.dwg");
  ASSERT_TRUE(base::writeFileAtomic(file, "dwg"));
  EXPECT_TRUE(base::fileExists(file));
  std::string bytes;
  EXPECT_TRUE(base::readFileBytes(file, bytes));
  EXPECT_EQ(bytes, "dwg");
}

}  // namespace

TEST(AnySeparatorPaths, WindowsAndPosixSeparatorsAlikeOnEveryPlatform) {
  EXPECT_EQ(base::fileNameAnySep("D:\\work\\plan.dwg"), "plan.dwg");
  EXPECT_EQ(base::fileNameAnySep("/tmp/x/plan.dwg"), "plan.dwg");
  EXPECT_EQ(base::fileNameAnySep("D:\\work/mixed\\a.dxf"), "a.dxf");
  EXPECT_EQ(base::fileNameAnySep("plan.dwg"), "plan.dwg");
  EXPECT_EQ(base::folderAnySep("D:\\work\\plan.dwg"), "D:\\work");
  EXPECT_EQ(base::folderAnySep("plan.dwg"), "");
  // The extension is the file name's: a dot in a folder name is not one.
  EXPECT_EQ(base::withoutExtensionAnySep("D:\\v1.2\\plan.dwg"), "D:\\v1.2\\plan");
  EXPECT_EQ(base::withoutExtensionAnySep("D:\\v1.2\\plan"), "D:\\v1.2\\plan");
  EXPECT_EQ(base::withoutExtensionAnySep("/a.b/c.tar.gz"), "/a.b/c.tar");
  // Japanese names: CP932's trail bytes never show up in UTF-8 as "\".
  EXPECT_EQ(base::fileNameAnySep("C:\\図面\\表.dwg"), "表.dwg");
}

namespace {

// The program names files as on Windows, where "Base.ini" opens "base.ini":
// the native build looks names up the same way.
TEST_F(FileSystemTest, NamesMatchWithoutRegardToCaseAsOnWindows) {
  ASSERT_TRUE(base::createFolder(path("BottonSets")));
  ASSERT_TRUE(base::writeFileAtomic(path("BottonSets/base.ini"), "template"));
  std::string bytes;
  ASSERT_TRUE(base::readFileBytes(path("BottonSets/Base.ini"), bytes));
  EXPECT_EQ(bytes, "template");
  EXPECT_TRUE(base::readFileBytes(path("bottonsets/BASE.INI"), bytes));
  EXPECT_TRUE(base::fileExists(path("BOTTONSETS/Base.ini")));
  EXPECT_TRUE(base::folderExists(path("bottonsets")));

  // Writing through another case replaces the one file; it does not add one.
  ASSERT_TRUE(base::writeFileAtomic(path("BottonSets/Base.ini"), "changed"));
  auto entries = base::listFolder(path("BottonSets"));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "base.ini");
  ASSERT_TRUE(base::readFileBytes(path("BottonSets/base.ini"), bytes));
  EXPECT_EQ(bytes, "changed");

  // A new file keeps the name it was given, inside the folder found.
  ASSERT_TRUE(base::writeFileAtomic(path("bottonsets/Site A.ini"), "x"));
  EXPECT_TRUE(std::filesystem::exists(path("BottonSets/Site A.ini")));
  EXPECT_FALSE(base::fileExists(path("BottonSets/Site B.ini")));
  EXPECT_TRUE(base::removeFile(path("BOTTONSETS/site a.INI")));
  EXPECT_FALSE(std::filesystem::exists(path("BottonSets/Site A.ini")));
}

TEST_F(FileSystemTest, AnExactNameWinsAndTwoOthersMatchNone) {
  // Only a native folder can hold both; Windows could not tell them apart.
  std::ofstream(path("A.txt")) << "upper";
  std::ofstream(path("a.txt")) << "lower";
  std::string bytes;
  ASSERT_TRUE(base::readFileBytes(path("A.txt"), bytes));
  EXPECT_EQ(bytes, "upper");
  ASSERT_TRUE(base::readFileBytes(path("a.txt"), bytes));
  EXPECT_EQ(bytes, "lower");
  EXPECT_FALSE(base::readFileBytes(path("A.TXT"), bytes));
}

}  // namespace
