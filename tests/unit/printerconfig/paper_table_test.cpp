#include "printerconfig/paper_table.h"

#include <gtest/gtest.h>

#include "base/codec.h"
#include "support/sim_env.h"

namespace {

using printerconfig::PairName;
using printerconfig::PairValue;
using printerconfig::ReadPaperTable;
using printerconfig::SplitPaperSize;
using printerconfig::WritePaperTable;

struct PaperTableTest : ::testing::Test {
  testing_support::SimEnv env;
  std::string plotIni = env.path("plot.ini");
  // plot.ini as the user's editor leaves it: CP932 bytes.
  void writePlotIni(const std::string& utf8) { env.writeFile("plot.ini", base::utf8ToCp932(utf8)); }
};

TEST(PaperLine, SplitsAtTheFirstEqualsSignAndKeepsBlanks) {
  struct Case {
    const char* line;
    const char* name;
    const char* size;
  } cases[] = {
      {"A3=420x297", "A3", "420x297"},
      {"420x297", "", "420x297"},        // no "=": all of it is the size
      {"特殊=1=2x3", "特殊", "1=2x3"},    // a second "=" stays in the size
      {" A4 横 = 297x210 ", " A4 横 ", " 297x210 "},
      {"=594x420", "", "594x420"},
      {"A2=", "A2", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PairName(c.line), c.name) << c.line;
    EXPECT_EQ(PairValue(c.line), c.size) << c.line;
  }
}

TEST(PaperLine, SizeSplitsAtTheFirstLowercaseX) {
  auto sides = SplitPaperSize("420x297");
  ASSERT_TRUE(sides);
  EXPECT_EQ(sides->A, 420);
  EXPECT_EQ(sides->B, 297);
  sides = SplitPaperSize("841.5x594.25");
  ASSERT_TRUE(sides);
  EXPECT_EQ(sides->A, 841.5);
  EXPECT_EQ(sides->B, 594.25);
  sides = SplitPaperSize("000x000");  // no size chosen, still two numbers
  ASSERT_TRUE(sides);
  EXPECT_EQ(sides->A, 0);
  EXPECT_EQ(sides->B, 0);

  for (const char* bad : {"420", "420X297", "420ｘ297", "x297", "420x", "420x297x10", "420,5x297", "A3x297", ""})
    EXPECT_FALSE(SplitPaperSize(bad)) << bad;
}

TEST_F(PaperTableTest, ReadersKeepTheFileOrderAndSkipEmptyEntries) {
  EXPECT_TRUE(ReadPaperTable(plotIni).names.empty());  // no file
  writePlotIni("[PaperSize]\r\nPageSize0=A3=420x297\r\n");
  EXPECT_TRUE(ReadPaperTable(plotIni).names.empty());  // no count
  writePlotIni(
      "[PaperSize]\r\n"
      "PAGE=7\r\n"
      "PageSize0=A3=420x297\r\n"
      "PageSize1=\r\n"
      "PageSize2=594x420\r\n"
      "PageSize3= A4 横 = 297x210 \r\n"
      "PageSize5=A3=420x297\r\n"
      "PageSize6=B=1=2\r\n"
      "PageSize4=Z=1x1\r\n"
      "PageSize7=beyond PAGE=1x1\r\n");
  auto t = ReadPaperTable(plotIni);
  // Not sorted, duplicates kept, the key's number decides, not the line's
  // place in the file; the file's own outer blanks go, inner ones stay.
  EXPECT_EQ(t.names, (std::vector<std::string>{"A3", "", "A4 横 ", "Z", "A3", "B"}));
  EXPECT_EQ(t.sizes, (std::vector<std::string>{"420x297", "594x420", " 297x210", "1x1", "420x297", "1=2"}));
  EXPECT_EQ(printerconfig::ReadPaperLines(plotIni),
            (std::vector<std::string>{"A3=420x297", "594x420", "A4 横 = 297x210", "Z=1x1", "A3=420x297", "B=1=2"}));
}

TEST_F(PaperTableTest, WritingCountsEmptyLinesAndReadersSkipThem) {
  writePlotIni("[PaperSize]\r\nPAGE=4\r\nPageSize0=old\r\nPageSize3=old3\r\n");
  WritePaperTable(plotIni, {"A1=841x594", "", "A3=420x297"});
  EXPECT_EQ(base::cp932ToUtf8(env.readFile("plot.ini")),
            "[PaperSize]\r\nPAGE=3\r\nPageSize0=A1=841x594\r\nPageSize3=old3\r\nPageSize1=\r\nPageSize2=A3=420x297\r\n");
  auto t = ReadPaperTable(plotIni);
  EXPECT_EQ(t.names, (std::vector<std::string>{"A1", "A3"}));
  EXPECT_EQ(t.sizes, (std::vector<std::string>{"841x594", "420x297"}));
}

TEST_F(PaperTableTest, ALineThatCannotBeStoredLeavesTheFileAsItWas) {
  const std::string before = base::utf8ToCp932("[PaperSize]\r\nPAGE=1\r\nPageSize0=A3=420x297\r\n");
  env.writeFile("plot.ini", before);
  EXPECT_THROW(WritePaperTable(plotIni, {"A4=297x210", "😀=1x1"}), base::EncodingError);
  EXPECT_EQ(env.readFile("plot.ini"), before);
}

}  // namespace
