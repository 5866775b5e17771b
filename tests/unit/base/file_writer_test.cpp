#include "base/file_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using FileWriterTest = base_test::TempFolderTest;

std::string readAll(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(FileWriterTest, PiecesOfEverySizeArriveInOrder) {
  // Small pieces collect in the buffer; large ones go straight through,
  // after what was buffered before them.
  std::string expected;
  base::FileWriter w;
  ASSERT_TRUE(w.create(path("a.bin")));
  for (size_t size : {size_t{100000}, size_t{1}, size_t{700}, size_t{70000}, size_t{3} << 20, size_t{5}, (size_t{1} << 20) - 3, size_t{9}}) {
    std::string piece(size, static_cast<char>('a' + expected.size() % 26));
    piece[0] = '#';
    ASSERT_TRUE(w.write(piece));
    expected += piece;
  }
  EXPECT_TRUE(w.close());
  EXPECT_FALSE(w.isOpen());
  EXPECT_TRUE(readAll(path("a.bin")) == expected);
}

TEST_F(FileWriterTest, ReplacesAFileAndALinkWithoutFollowingIt) {
  std::ofstream(path("old.txt")) << "old contents, longer than the new";
  std::ofstream(path("target.txt")) << "target";
  fs::create_symlink(path("target.txt"), path("link.txt"));
  EXPECT_TRUE(base::isLink(path("link.txt")));
  EXPECT_FALSE(base::isLink(path("target.txt")));

  base::FileWriter w;
  ASSERT_TRUE(w.create(path("old.txt")));
  ASSERT_TRUE(w.write("new"));
  ASSERT_TRUE(w.close());
  EXPECT_EQ(readAll(path("old.txt")), "new");

  ASSERT_TRUE(w.create(path("link.txt")));
  ASSERT_TRUE(w.write("own"));
  ASSERT_TRUE(w.close());
  EXPECT_FALSE(base::isLink(path("link.txt")));
  EXPECT_EQ(readAll(path("link.txt")), "own");
  EXPECT_EQ(readAll(path("target.txt")), "target");
}

TEST_F(FileWriterTest, SetsTheModificationTimeOnClose) {
  base::FileWriter w;
  ASSERT_TRUE(w.create(path("t.dwg")));
  ASSERT_TRUE(w.write(std::string(3000000, 'x')));  // still buffered when the time is given
  ASSERT_TRUE(w.close(1700000000));
  struct stat st {};
  ASSERT_EQ(stat(path("t.dwg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1700000000);
  EXPECT_EQ(st.st_size, 3000000);
}

TEST_F(FileWriterTest, FailsWhereNoFileCanBeMade) {
  base::FileWriter w;
  EXPECT_FALSE(w.create(path("missing/x.dwg")));
  EXPECT_FALSE(w.write("x"));
  fs::create_directory(path("folder"));
  EXPECT_FALSE(w.create(path("folder")));
  EXPECT_TRUE(fs::is_directory(path("folder")));
}

TEST_F(FileWriterTest, DestructionClosesAndKeepsTheContents) {
  {
    base::FileWriter w;
    ASSERT_TRUE(w.create(path("d.txt")));
    ASSERT_TRUE(w.write("kept"));
  }
  EXPECT_EQ(readAll(path("d.txt")), "kept");
}

}  // namespace
