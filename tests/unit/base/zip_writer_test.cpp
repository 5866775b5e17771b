// The ZIP writer, judged by the system's unzip.
#include "base/zip_writer.h"

#include <gtest/gtest.h>

#include "base/paths.h"
#include "support/unzip.h"
#include "temp_folder.h"

namespace {

using testing_support::commandOutput;
using testing_support::unzipEntry;
using testing_support::unzipTests;

TEST(Crc32, KnownValues) {
  EXPECT_EQ(base::crc32(""), 0u);
  EXPECT_EQ(base::crc32("123456789"), 0xCBF43926u);
  EXPECT_EQ(base::crc32("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
  // Continued over pieces as over the whole.
  EXPECT_EQ(base::crc32("56789", base::crc32("1234")), 0xCBF43926u);
}

class ZipWriterTest : public base_test::TempFolderTest {};

TEST_F(ZipWriterTest, EntriesReadBackWholeAndInOrder) {
  std::string binary;
  for (int i = 0; i < 256; ++i) binary.push_back(static_cast<char>(i));
  binary += std::string(5000, '\0');
  base::ZipWriter zip;
  zip.add("[Content_Types].xml", "<Types/>");
  zip.add("xl/worksheets/sheet1.xml", "<worksheet>尺度</worksheet>");
  zip.add("empty.txt", "");
  zip.add("bin/data", binary);
  const std::string archive = path("t.zip");
  ASSERT_TRUE(base::writeFileAtomic(archive, zip.finish()));

  EXPECT_TRUE(unzipTests(archive));
  EXPECT_EQ(unzipEntry(archive, "[[]Content_Types].xml"), "<Types/>");
  EXPECT_EQ(unzipEntry(archive, "xl/worksheets/sheet1.xml"), "<worksheet>尺度</worksheet>");
  EXPECT_EQ(unzipEntry(archive, "empty.txt"), "");
  EXPECT_EQ(unzipEntry(archive, "bin/data"), binary);
  // "unzip -Z1" lists the central directory's names.
  EXPECT_EQ(commandOutput("unzip -Z1 '" + archive + "'"),
            "[Content_Types].xml\nxl/worksheets/sheet1.xml\nempty.txt\nbin/data\n");
}

TEST_F(ZipWriterTest, AnEmptyArchiveIsOnlyTheEndRecord) {
  const std::string bytes = base::ZipWriter().finish();
  ASSERT_EQ(bytes.size(), 22u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("PK\x05\x06", 4));
}

TEST_F(ZipWriterTest, NonAsciiNamesAreMarkedUtf8) {
  const std::string name = "図面/一覧.txt";
  base::ZipWriter zip;
  zip.add(name, "x");
  const std::string bytes = zip.finish();
  // General purpose flags, bit 11, in the local header and in the
  // directory entry; the name follows each header unchanged.
  EXPECT_EQ(static_cast<unsigned char>(bytes[7]) & 0x08, 0x08);
  EXPECT_EQ(bytes.substr(30, name.size()), name);
  const size_t directory = 30 + name.size() + 1;
  ASSERT_EQ(bytes.substr(directory, 4), std::string("PK\x01\x02", 4));
  EXPECT_EQ(static_cast<unsigned char>(bytes[directory + 9]) & 0x08, 0x08);
  EXPECT_EQ(bytes.substr(directory + 46, name.size()), name);
  const std::string archive = path("u.zip");
  ASSERT_TRUE(base::writeFileAtomic(archive, bytes));
  EXPECT_TRUE(unzipTests(archive));
  EXPECT_EQ(commandOutput("unzip -p '" + archive + "'"), "x");
}

}  // namespace
