// The limits command, and save writing the drawing's new limits back into
// the text it came from; the shipped limits macro replayed on a sample.
#include <gtest/gtest.h>

#include <filesystem>

#include "acadsim/dxf.h"
#include "acadsim/session.h"
#include "scalecheck/scale_check.h"
#include "acadsim_support.h"
#include "base/paths.h"
#include "base/text.h"

using acadsim::Session;
using acadsim_test::cutDefault;

namespace {

// Beside the sources: the tests run from the build folder.
const std::filesystem::path kRoot = std::filesystem::path(__FILE__).parent_path() / "../../..";

std::string sourceFile(const std::string& relative) {
  std::string bytes;
  EXPECT_TRUE(base::readFileBytes((kRoot / relative).string(), bytes)) << relative;
  return bytes;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

struct LimitsTest : ::testing::Test {
  acadsim_test::ScratchFolder dir;
  acadsim::Journal journal;
  std::unique_ptr<Session> s;
  const std::string original = sourceFile("data/samples/default_limits.dxf");  // limits 0,0 - 12,9

  // A copy of the sample under the name given, opened.
  std::string open(const std::string& name, int release = 2004) {
    acadsim::Options o;
    o.release = release;
    o.workFolder = dir.folder();
    s = std::make_unique<Session>(o, &journal);
    s->start();
    type("fileopen\n" + dir.write(name, original) + "\n");
    EXPECT_EQ(s->drawingPath(), dir.path(name));
    return dir.path(name);
  }
  void type(const std::string& utf8) { s->typeText(utf8); }
  std::string prompt() const { return s->promptLine(); }
  std::string last() const { return s->history().back(); }
  std::string getVariable(const std::string& name) {
    type(name + "\n");
    const std::string p = prompt();
    type("\x1b");
    return cutDefault(p);
  }
};

TEST_F(LimitsTest, AsksBothCornersWithTheCurrentLimitsInEitherFamily) {
  open("a.dwg");
  type("_Limits\n");
  EXPECT_EQ(last(), "モデル空間の図面範囲をリセット:");
  EXPECT_EQ(prompt(), "左下コーナーを指定 または [オン(ON)/オフ(OFF)] <0.0000,0.0000>: ");
  type("-10,5\n");
  EXPECT_EQ(prompt(), "右上コーナーを指定 <12.0000,9.0000>: ");
  type("420,297\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_EQ(getVariable("LIMMIN"), "-10.0000,5.0000");
  EXPECT_EQ(getVariable("LIMMAX"), "420.0000,297.0000");
  EXPECT_TRUE(s->modified());

  open("b.dwg", 2000);
  type("LIMITS\n");
  EXPECT_EQ(prompt(), "左下ｺｰﾅｰを指定 または [ｵﾝ(ON)/ｵﾌ(OFF)] <0.0000,0.0000>: ");
  type("?\n");
  EXPECT_EQ(last(), "2D 点またはｵﾌﾟｼｮﾝ ｷｰﾜｰﾄﾞが必要です。");
  type("\n");
  EXPECT_EQ(prompt(), "右上ｺｰﾅｰを指定 <12.0000,9.0000>: ");
}

TEST_F(LimitsTest, EnterOnOffGarbageAndEscape) {
  open("a.dwg");
  type("limits\n\n\n");  // Enter keeps both
  type("limits\nON\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  type("limits\n_off\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_FALSE(s->modified());

  // Unreadable answers ask the same question again; ESC on the second
  // question leaves the first corner as it was too.
  type("limits\nabc\n");
  EXPECT_EQ(last(), "2D 点またはオプション キーワードが必要です。");
  EXPECT_EQ(prompt(), "左下コーナーを指定 または [オン(ON)/オフ(OFF)] <0.0000,0.0000>: ");
  type("5,5\n1,2,3,4\n");
  EXPECT_EQ(last(), "2D 点が必要です。");
  EXPECT_EQ(prompt(), "右上コーナーを指定 <12.0000,9.0000>: ");
  type("\x1b");
  // Corners that enclose nothing are refused.
  type("limits\n20,20\n10,30\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_EQ(s->variable("LIMMIN"), "0.0000,0.0000");
  EXPECT_EQ(s->variable("LIMMAX"), "12.0000,9.0000");
  EXPECT_FALSE(s->modified());

  type("limits\n\n100,50\n");  // Enter keeps the first corner only
  EXPECT_EQ(s->variable("LIMMIN"), "0.0000,0.0000");
  EXPECT_EQ(s->variable("LIMMAX"), "100.0000,50.0000");
}

TEST_F(LimitsTest, SaveOfADwgRewritesOnlyWhatChangedInPlace) {
  const std::string path = open("a.dwg");
  type("limits\n\n42000,29700\nDIMSCALE\n50\nsave\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_EQ(dir.read("a.dwg"), replaced(replaced(original, "$LIMMAX\r\n  10\r\n12.0\r\n  20\r\n9.0\r\n",
                                                 "$LIMMAX\r\n  10\r\n42000\r\n  20\r\n29700\r\n"),
                                        "$DIMSCALE\r\n  40\r\n1.0\r\n", "$DIMSCALE\r\n  40\r\n50\r\n"));
  EXPECT_EQ(journal.entries().back().event, "save");
  EXPECT_EQ(journal.entries().back().drawing, path);
  EXPECT_FALSE(s->modified());

  // A new layout is no header variable: the drawing is written whole.
  type("-layout\nN\nSheet\nsave\n");
  auto d = acadsim::parseDxf(dir.read("a.dwg"));
  ASSERT_TRUE(d);
  EXPECT_TRUE(d->findLayout("Sheet"));
  EXPECT_EQ(d->limMax, (acadsim::Point2{42000, 29700}));
}

TEST_F(LimitsTest, SaveOfADxfGoesToTheDwgBesideItAfterItsQuestion) {
  const std::string dxf = open("s.dxf");
  const std::string dwg = dir.path("s.dwg");
  type("limits\n1,1\n\nsave\n");
  EXPECT_EQ(prompt(), "図面のファイル名を入力 <" + dwg + ">: ");
  type("\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_EQ(dir.read("s.dxf"), original);
  EXPECT_EQ(acadsim::parseDxf(dir.read("s.dwg"))->limMin, (acadsim::Point2{1, 1}));
  EXPECT_EQ(journal.entries().back().drawing, dwg);
  EXPECT_EQ(s->drawingPath(), dwg);
  type("limits\n2,2\n\nsave\n");  // now a drawing: saved in place
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_EQ(acadsim::parseDxf(dir.read("s.dwg"))->limMin, (acadsim::Point2{2, 2}));

  // A .dwg already there is replaced only when the user agrees.
  open("s.dxf", 2000);
  type("save\n\n");
  EXPECT_EQ(prompt(), "上書きしますか? <N> ");
  type("\n");
  EXPECT_EQ(acadsim::parseDxf(dir.read("s.dwg"))->limMin, (acadsim::Point2{2, 2}));
  EXPECT_EQ(s->drawingPath(), dxf);
}

TEST_F(LimitsTest, TheShippedLimitsMacroSetsLimitsThatADxfSampleReopensWith) {
  // The program's first-start macro, as a settings file without one gives it.
  const std::vector<std::string> lines = scalecheck::ScaleSet(dir.path("kestrel20.ini")).MacroLines;
  ASSERT_EQ(lines, (std::vector<std::string>{"limits", "#PUTLIMMIN", "#PUTLIMMAX", "save"}));

  const std::string dxf = open("sample.dxf");
  for (const std::string& line : lines) {
    if (line == "#PUTLIMMIN") type("0,0\n");
    else if (line == "#PUTLIMMAX") type("42000,29700\n");
    else type(line + "\n");
    for (int i = 0; i < 5 && base::contains(prompt(), ".dwg"); ++i) type("\n");
    EXPECT_FALSE(base::contains(prompt(), ".dwg")) << line;
  }
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_EQ(dir.read("sample.dxf"), original);

  open("other.dwg");
  type("fileopen\n" + dir.path("sample.dwg") + "\n");
  EXPECT_EQ(getVariable("LIMMIN"), "0.0000,0.0000");
  EXPECT_EQ(getVariable("LIMMAX"), "42000.0000,29700.0000");
}

// ------------------------------------------------------------ header rewrite

TEST(DxfHeaderTest, AddsWhatTheHeaderLacksInTheTextsOwnLineShape) {
  const std::vector<acadsim::HeaderVariable> limits = {{"$LIMMIN", {{10, "1"}, {20, "2"}}},
                                                       {"$LIMMAX", {{10, "30"}, {20, "40"}}}};
  // "\n" line ends, codes without blanks, $LIMMIN written in lower case.
  const std::string lf = "0\nSECTION\n2\nHEADER\n9\n$limmin\n10\n0.0\n20\n0.0\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n0\nEOF\n";
  EXPECT_EQ(acadsim::setHeaderVariables(lf, limits),
            "0\nSECTION\n2\nHEADER\n9\n$limmin\n10\n1\n20\n2\n9\n$ACADVER\n1\nAC1015\n9\n$LIMMAX\n10\n30\n20\n40\n"
            "0\nENDSEC\n0\nEOF\n");

  const std::string noHeader = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
  auto withHeader = acadsim::setHeaderVariables(noHeader, limits);
  ASSERT_TRUE(withHeader);
  EXPECT_TRUE(base::endsWith(*withHeader, noHeader));
  auto d = acadsim::parseDxf(*withHeader);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->limMin, (acadsim::Point2{1, 2}));
  EXPECT_EQ(d->limMax, (acadsim::Point2{30, 40}));

  EXPECT_FALSE(acadsim::setHeaderVariables("not a drawing", limits));
  EXPECT_FALSE(acadsim::setHeaderVariables("0\nSECTION\n2\nHEADER\n9\n$LIMMIN\n10\n0\n", limits));
}

}  // namespace
