#include "acadsim/session.h"

#include <gtest/gtest.h>

#include "acadsim/dxf.h"
#include "acadsim_support.h"
#include "base/codec.h"
#include "base/paths.h"
#include "base/text.h"

using acadsim::Session;
using acadsim_test::cutDefault;
using acadsim_test::drawingDxf;
using acadsim_test::layoutNamesFromHistory;

namespace {

const std::vector<acadsim_test::LayoutDef> kThreeLayouts = {
    {"Model", 0, "1F"}, {"立面図", 2, "30"}, {"Sheet A", 1, "31"}, {"Plan", 3, "32"}};
const std::vector<std::pair<std::string, std::string>> kRecords = {
    {"1F", "*Model_Space"}, {"30", "*Paper_Space0"}, {"31", "*Paper_Space"}, {"32", "*Paper_Space1"}};

struct SessionTest : ::testing::Test {
  acadsim_test::ScratchFolder dir;
  acadsim::Journal journal;
  std::unique_ptr<Session> s;

  void SetUp() override { make(2004); }
  void make(int release, std::vector<std::string> fonts = {"txt.shx", "bigfont.shx"}) {
    acadsim::Options o;
    o.release = release;
    o.fonts = std::move(fonts);
    o.workFolder = dir.folder();
    s = std::make_unique<Session>(o, &journal);
    s->start();
  }
  void type(const std::string& utf8) { s->typeText(utf8); }
  std::string prompt() const { return s->promptLine(); }
  // What GetVariable reads: type the name, read the prompt, ESC.
  std::string getVariable(const std::string& name) {
    type(name + "\n");
    const std::string p = prompt();
    type("\x1b");
    return cutDefault(p);
  }
  std::string layoutDrawing(int tilemode = 0) {
    return dir.write("layouts.dwg", drawingDxf("42000,29700", tilemode, kThreeLayouts, {}, kRecords));
  }
};

TEST_F(SessionTest, VariablesAnswerInAnyCaseWithTheirCurrentValue) {
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_EQ(getVariable("FILEDIA"), "1");
  EXPECT_EQ(getVariable("dimscale"), "1.0000");
  EXPECT_EQ(getVariable("LimMax"), "420.0000,297.0000");
  EXPECT_EQ(prompt(), "コマンド: ");

  type("FiLeDiA\n");
  EXPECT_EQ(prompt(), "FILEDIA の新しい値を入力 <1>: ");
  type("0\n");
  type("limmin\n10,-5\n");
  type("DIMSCALE\n");
  type("2.5\n");
  EXPECT_EQ(getVariable("filedia"), "0");
  EXPECT_EQ(getVariable("LIMMIN"), "10.0000,-5.0000");
  EXPECT_EQ(getVariable("DIMSCALE"), "2.5000");
  EXPECT_EQ(prompt(), "コマンド: ");
}

TEST_F(SessionTest, OnlyDrawingVariablesMarkTheDrawingModified) {
  type("FILEDIA\n0\nCMDDIA\n0\nPROXYNOTICE\n0\nDYNMODE\n-2\n");
  EXPECT_EQ(s->variable("DYNMODE"), "-2");
  EXPECT_FALSE(s->modified());
  type("DIMSCALE\n\n");  // Enter keeps the value
  EXPECT_FALSE(s->modified());
  type("PSLTSCALE\n0\n");
  EXPECT_TRUE(s->modified());
}

TEST_F(SessionTest, EscapeAndInvalidValuesKeepTheValue) {
  type("DIMSCALE\n12");
  EXPECT_EQ(prompt(), "DIMSCALE の新しい値を入力 <1.0000>: 12");
  type("\x1b");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_EQ(s->history().back(), "DIMSCALE の新しい値を入力 <1.0000>: 12*キャンセル*");
  EXPECT_EQ(s->variable("DIMSCALE"), "1.0000");

  for (const char* bad : {"abc\n", "-1\n"}) {
    type(std::string("DIMSCALE\n") + bad);
    EXPECT_EQ(prompt(), "DIMSCALE の新しい値を入力 <1.0000>: ") << bad;
    type("\x1b");
  }
  type("FILEDIA\n2\n");
  EXPECT_EQ(prompt(), "FILEDIA の新しい値を入力 <1>: ");
  type("1.5\n");
  EXPECT_EQ(prompt(), "FILEDIA の新しい値を入力 <1>: ");
  type("\x1b");
  type("LIMMAX\n12\n");
  EXPECT_EQ(prompt(), "LIMMAX の新しい値を入力 <420.0000,297.0000>: ");
  type("\x1b");
  EXPECT_EQ(s->variable("FILEDIA"), "1");
  EXPECT_EQ(s->variable("LIMMAX"), "420.0000,297.0000");
  EXPECT_FALSE(s->modified());
}

TEST_F(SessionTest, BlankEndsACommandButNotAFileName) {
  type("FILEDIA 0 ");
  EXPECT_EQ(s->variable("FILEDIA"), "0");
  dir.write("with blank.dwg", drawingDxf("100,50", 1, {}));
  type("fileopen\n" + dir.path("with blank.dwg") + "\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_EQ(s->drawingPath(), dir.path("with blank.dwg"));
}

TEST_F(SessionTest, EnterAtTheCommandPromptRepeatsTheLastCommand) {
  type("DIMSCALE\n3\n\n");
  EXPECT_EQ(prompt(), "DIMSCALE の新しい値を入力 <3.0000>: ");
}

TEST_F(SessionTest, BackspaceRemovesAWholeDoubleByteCharacter) {
  type("fileopen\n");
  s->type(base::utf8ToCp932("ab図面") + "\x08");
  EXPECT_EQ(prompt(), "開く図面のファイル名を入力 <Drawing1.dwg>: ab図");
}

TEST_F(SessionTest, UnknownCommandsReturnToThePrompt) {
  type("-plotx\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_TRUE(base::contains(s->history().back(), "不明なコマンド \"-PLOTX\""));
}

TEST_F(SessionTest, HalfWidthFamilyHasItsOwnWords) {
  make(2000);
  EXPECT_EQ(prompt(), "ｺﾏﾝﾄﾞ: ");
  EXPECT_EQ(s->mainTitle(), "AutoCAD 2000 - [Drawing1.dwg]");
  EXPECT_EQ(s->textWindowTitle(), "AutoCAD ﾃｷｽﾄ ｳｨﾝﾄﾞｳ - Drawing1.dwg");
  type("DIMSCALE\n\x1b");
  EXPECT_TRUE(base::endsWith(s->history().back(), "*ｷｬﾝｾﾙ*"));
}

// ---------------------------------------------------------------- fileopen

TEST_F(SessionTest, OpensADrawingWhateverItsExtensionAndJournalsIt) {
  const std::string path = dir.write("a.dxf", drawingDxf("1000,700", 1, {}));
  type("fileopen\n");
  EXPECT_TRUE(base::contains(prompt(), "開く図面"));
  type(path + "\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_EQ(s->drawingPath(), path);
  EXPECT_EQ(s->variable("LIMMAX"), "1000.0000,700.0000");
  EXPECT_EQ(s->variable("DIMSCALE"), "100.0000");
  EXPECT_EQ(s->mainTitle(), "AutoCAD 2004 - [" + path + "]");
  EXPECT_EQ(s->textWindowTitle(), "AutoCAD テキスト ウィンドウ - a.dxf");
  ASSERT_EQ(journal.entries().size(), 1u);
  EXPECT_EQ(journal.entries()[0].event, "open");
  EXPECT_EQ(journal.entries()[0].drawing, path);
  EXPECT_EQ(journal.entries()[0].get("space"), "model");
}

TEST_F(SessionTest, AnUnreadableDrawingIsAskedForAgain) {
  dir.write("binary.dwg", std::string("AC1018\0\x01\x02", 9));
  dir.write("empty.dwg", "");
  for (std::string name : {dir.path("missing.dwg"), dir.path("binary.dwg"), dir.path("empty.dwg")}) {
    type("fileopen\n" + name + "\n");
    EXPECT_TRUE(base::contains(prompt(), "開く図面")) << name;
    type("\x1b");
    EXPECT_EQ(prompt(), "コマンド: ");
  }
  EXPECT_TRUE(s->drawingPath().empty());
  EXPECT_TRUE(journal.entries().empty());
}

TEST_F(SessionTest, ARelativeNameWithoutExtensionIsADrawingInTheFolder) {
  dir.write("b.dwg", drawingDxf("10,10", 1, {}));
  type("fileopen\nb\n");
  EXPECT_EQ(s->drawingPath(), dir.path("b.dwg"));
}

TEST_F(SessionTest, MissingShapeAndFontFilesAreAskedOneByOne) {
  const std::vector<std::pair<int, std::string>> styles = {
      {0, "STYLE"}, {2, "Standard"}, {70, "0"}, {3, "txt"},        {4, "bigfont.shx"},
      {0, "STYLE"}, {2, ""},         {70, "1"}, {3, "ltypeshp.shx"}, {0, "STYLE"},
      {2, "図面文字"}, {70, "0"},   {3, "romans.shx"}, {4, "jbig.shx"}};
  const std::string path = dir.write("fonts.dwg", drawingDxf("420,297", 1, {}, styles));
  type("fileopen\n" + path + "\n");
  EXPECT_TRUE(base::contains(prompt(), "シェイプ")) << prompt();
  EXPECT_TRUE(base::contains(prompt(), "ltypeshp.shx"));
  EXPECT_FALSE(base::contains(prompt(), "開く図面"));
  type("\n");
  EXPECT_TRUE(base::contains(prompt(), "文字スタイル")) << prompt();
  EXPECT_TRUE(base::contains(prompt(), "romans.shx"));
  type("txt.shx\n");
  EXPECT_TRUE(base::contains(prompt(), "文字スタイル"));
  EXPECT_TRUE(base::contains(prompt(), "jbig.shx"));
  type("\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_EQ(s->drawing().styles[2].font, "txt.shx");
  EXPECT_EQ(s->drawing().styles[2].bigFont, "jbig.shx");
}

TEST_F(SessionTest, FontsInAFontFolderAreFound) {
  const std::vector<std::pair<int, std::string>> styles = {{0, "STYLE"}, {2, "S"}, {70, "0"}, {3, "romans"}};
  const std::string path = dir.write("f.dwg", drawingDxf("420,297", 1, {}, styles));
  make(2000);
  type("fileopen\n" + path + "\n");
  EXPECT_TRUE(base::contains(prompt(), "文字ｽﾀｲﾙ")) << prompt();
  type("\x1b");

  acadsim::Options o;
  o.fonts = {};
  o.fontFolders = {dir.folder()};
  dir.write("romans.shx", "x");
  Session t(o);
  t.start();
  t.typeText("fileopen\n" + path + "\n");
  EXPECT_EQ(t.promptLine(), "コマンド: ");
}

TEST_F(SessionTest, StartUpOpensTheDrawingWithoutAskingAboutFonts) {
  const std::vector<std::pair<int, std::string>> styles = {{0, "STYLE"}, {2, "S"}, {70, "0"}, {3, "romans"}};
  const std::string path = dir.write("start.dwg", drawingDxf("420,297", 0, kThreeLayouts, styles, kRecords));
  acadsim::Options o;
  Session t(o);
  t.start("\"" + path + "\"");
  EXPECT_EQ(t.promptLine(), "コマンド: ");
  EXPECT_EQ(t.drawingPath(), path);
  EXPECT_TRUE(t.inPaperSpace());
}

// ----------------------------------------------------------- save, saveas

TEST_F(SessionTest, SaveAsWritesTheDrawingAndAsksBeforeReplacingAFile) {
  const std::string tmp = dir.path("tmp.dwg");
  type("saveas\n");
  EXPECT_TRUE(base::contains(prompt(), "ファイル形式")) << prompt();
  EXPECT_EQ(cutDefault(prompt()), "2004");
  type("\n");
  EXPECT_TRUE(base::contains(prompt(), ".dwg")) << prompt();
  type(tmp + "\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  ASSERT_TRUE(acadsim::parseDxf(dir.read("tmp.dwg")));
  EXPECT_EQ(s->drawingPath(), tmp);
  EXPECT_EQ(journal.entries().back().event, "save");
  EXPECT_EQ(journal.entries().back().drawing, tmp);

  type("DIMSCALE\n50\n");
  type("saveas\n\n" + tmp + "\n");
  EXPECT_EQ(prompt(), "置き換えますか? <N> ");
  type("n\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_DOUBLE_EQ(acadsim::parseDxf(dir.read("tmp.dwg"))->dimScale, 1);
  EXPECT_TRUE(s->modified());

  type("saveas\n\n" + tmp + "\n");
  type("y\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_DOUBLE_EQ(acadsim::parseDxf(dir.read("tmp.dwg"))->dimScale, 50);
  EXPECT_FALSE(s->modified());
}

TEST_F(SessionTest, TheOlderFamilyAsksToOverwrite) {
  make(2000);
  dir.write("tmp.dwg", "old");
  type("saveas\n\n" + dir.path("tmp.dwg") + "\n");
  EXPECT_EQ(prompt(), "上書きしますか? <N> ");
}

TEST_F(SessionTest, SaveAsTakesAFormatKeywordAndRefusesOthers) {
  type("saveas\nR2\n");
  EXPECT_TRUE(base::contains(prompt(), "ファイル形式"));
  type("dxf\n");
  EXPECT_TRUE(base::endsWith(cutDefault(prompt()), ".dxf")) << prompt();
  type("\n");
  EXPECT_TRUE(acadsim::parseDxf(dir.read("Drawing1.dxf")));
}

TEST_F(SessionTest, SaveAsksForANameOnlyWhileTheDrawingHasNone) {
  type("save\n");
  EXPECT_TRUE(base::contains(prompt(), ".dwg"));
  EXPECT_EQ(cutDefault(prompt()), "Drawing1.dwg");
  type("\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_EQ(s->drawingPath(), dir.path("Drawing1.dwg"));

  type("LIMMAX\n800,600\nsave\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_EQ(acadsim::parseDxf(dir.read("Drawing1.dwg"))->limMax, (acadsim::Point2{800, 600}));
  EXPECT_EQ(journal.entries().size(), 2u);
}

// -------------------------------------------------------------------- quit

TEST_F(SessionTest, QuitEndsAtOnceWithoutChangesAndIsJournalledWithTheStamp) {
  std::int64_t now = 1234;
  journal.setStamp([&] { return now++; });
  type("FILEDIA\n0\nquit\n");
  EXPECT_EQ(s->state(), Session::State::Ended);
  ASSERT_EQ(journal.entries().size(), 1u);
  EXPECT_EQ(journal.entries()[0].event, "quit");
  EXPECT_EQ(journal.entries()[0].get("ms"), "1234");
  EXPECT_EQ(journal.entries()[0].toJson(), "{\"event\":\"quit\",\"drawing\":\"\",\"ms\":\"1234\"}");
}

TEST_F(SessionTest, QuitWithChangesAsksAndNoEndsWithoutSaving) {
  type("LIMMIN\n5,5\nquit\n");
  ASSERT_EQ(s->state(), Session::State::AskingToSave);
  EXPECT_EQ(s->saveQuestionTitle(), "AutoCAD");
  EXPECT_TRUE(base::contains(s->saveQuestionText(), "Drawing1.dwg"));
  type("DIMSCALE\n");  // the message box is modal
  EXPECT_EQ(s->variable("DIMSCALE"), "1.0000");
  s->answerSaveQuestion(acadsim::SaveAnswer::Cancel);
  EXPECT_EQ(s->state(), Session::State::Running);
  type("quit\n");
  s->answerSaveQuestion(acadsim::SaveAnswer::No);
  EXPECT_EQ(s->state(), Session::State::Ended);
  // Ended without a save; no stamp was asked for.
  ASSERT_EQ(journal.entries().size(), 1u);
  EXPECT_EQ(journal.entries()[0].event, "quit");
  EXPECT_EQ(journal.entries()[0].get("ms"), "");
}

// ----------------------------------------------------------------- layouts

TEST_F(SessionTest, HistoryKeepsItsLastLinesAndTheLatestListing) {
  acadsim::Options o;
  o.workFolder = dir.folder();
  o.historyLines = 40;
  s = std::make_unique<Session>(o, &journal);
  s->start();
  for (int i = 0; i < 200; ++i) type("FILEDIA\n" + std::to_string(i % 2) + "\n");
  EXPECT_GE(s->history().size(), 40u);
  EXPECT_LE(s->history().size(), 50u);
  EXPECT_TRUE(base::contains(s->history().back(), "1")) << s->history().back();
  type("fileopen\n" + layoutDrawing() + "\n-Layout\n?\n");
  EXPECT_EQ(layoutNamesFromHistory(s->historyText()), (std::vector<std::string>{"Sheet A", "立面図", "Plan"}));
}

TEST_F(SessionTest, LayoutListingGivesTheNamesTheProgramCutsOut) {
  for (int release : {2004, 2000}) {
    make(release);
    type("fileopen\n" + layoutDrawing() + "\n");
    type("-Layout\n?\n");
    EXPECT_TRUE(base::contains(prompt(), release == 2004 ? "コマンド: " : "ｺﾏﾝﾄﾞ: "));
    EXPECT_EQ(layoutNamesFromHistory(s->historyText()),
              (std::vector<std::string>{"Sheet A", "立面図", "Plan"}))
        << s->historyText();
  }
}

TEST_F(SessionTest, LayoutCommandAcceptsItsSpellingsAndSetsALayout) {
  type("fileopen\n" + layoutDrawing(1) + "\n");
  EXPECT_FALSE(s->inPaperSpace());
  type("_-layout\n");
  EXPECT_TRUE(base::contains(prompt(), "レイアウト オプション"));
  type("S\n");
  EXPECT_EQ(prompt(), "設定するレイアウトを入力 <Sheet A>: ");
  type("plan\n");
  EXPECT_TRUE(s->inPaperSpace());
  EXPECT_EQ(s->drawing().currentLayout, "Plan");
  EXPECT_TRUE(s->modified());

  type("-LAYOUT\ns\nNoSuchLayout\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_EQ(s->drawing().currentLayout, "Plan");

  type("-Layout\nS\nModel\n");
  EXPECT_FALSE(s->inPaperSpace());
}

TEST_F(SessionTest, OnALayoutTheLimitsReadBackAsTheCommandPrompt) {
  type("fileopen\n" + layoutDrawing(0) + "\n");
  ASSERT_TRUE(s->inPaperSpace());
  EXPECT_EQ(s->drawing().currentLayout, "Sheet A");
  const std::string min = getVariable("LIMMIN");
  EXPECT_TRUE(base::contains(min, "コマンド")) << min;
  EXPECT_TRUE(base::contains(getVariable("LIMMAX"), "コマンド"));
  EXPECT_EQ(getVariable("DIMSCALE"), "100.0000");
  type("-Layout\nS\nModel\n");
  EXPECT_EQ(getVariable("LIMMAX"), "42000.0000,29700.0000");
}

TEST_F(SessionTest, LayoutsCanBeAddedRenamedAndDeleted) {
  type("-layout\nN\n\n");
  type("-layout\nR\nLayout1\n平面図\n");
  type("-layout\nD\nLayout2\n");
  type("-Layout\n?\n");
  EXPECT_EQ(layoutNamesFromHistory(s->historyText()), (std::vector<std::string>{"平面図", "Layout3"}));
  type("-layout\nD\n平面図\n-layout\nD\nLayout3\n");
  EXPECT_EQ(s->drawing().layouts.size(), 1u);  // the last one stays
}

// --------------------------------------------------------------------- DXF

TEST(DxfTest, ReadsLayoutsInTabOrderAndTheCurrentOne) {
  auto d = acadsim::parseDxf(drawingDxf("420,297", 0, kThreeLayouts, {}, kRecords));
  ASSERT_TRUE(d);
  ASSERT_EQ(d->layouts.size(), 3u);  // "Model" is no layout of paper space
  EXPECT_EQ(d->layouts[0].name, "Sheet A");
  EXPECT_EQ(d->layouts[1].name, "立面図");
  EXPECT_EQ(d->layouts[2].name, "Plan");
  EXPECT_EQ(d->currentLayout, "Sheet A");
  EXPECT_FALSE(d->tileMode);
}

TEST(DxfTest, ToleratesOddTextAndFillsWhatIsMissing) {
  // CP932 names, a stray line, no header, no layouts: AutoCAD's default limits
  // and two layouts.
  std::string text = base::utf8ToCp932(acadsim_test::dxf({{0, "SECTION"}, {2, "TABLES"}, {0, "STYLE"},
                                                          {2, "日本語"}, {3, "extfont.shx"}, {0, "ENDSEC"}}));
  text = "garbage\r\n" + text + "  0\r\nEOF\r\n";
  auto d = acadsim::parseDxf(text);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->limMax, (acadsim::Point2{12, 9}));
  ASSERT_EQ(d->styles.size(), 1u);
  EXPECT_EQ(d->styles[0].name, "日本語");
  EXPECT_EQ(d->layouts.size(), 2u);
  EXPECT_TRUE(d->tileMode);

  EXPECT_FALSE(acadsim::parseDxf("not a drawing at all"));
}

TEST(DxfTest, WrittenDrawingsReadBackTheSame) {
  auto d = acadsim::parseDxf(drawingDxf("841,594", 0, kThreeLayouts, {{0, "STYLE"}, {2, "S"}, {3, "txt"}}, kRecords));
  ASSERT_TRUE(d);
  d->currentLayout = "Plan";
  d->dimScale = 0.5;
  d->entities = {{0, "LINE"}, {8, "0"}, {10, "1.5"}};
  auto again = acadsim::parseDxf(acadsim::writeDxf(*d));
  ASSERT_TRUE(again);
  EXPECT_EQ(again->currentLayout, "Plan");
  EXPECT_EQ(again->layouts.size(), 3u);
  EXPECT_EQ(again->layouts[1].name, "立面図");
  EXPECT_EQ(again->limMax, (acadsim::Point2{841, 594}));
  EXPECT_DOUBLE_EQ(again->dimScale, 0.5);
  EXPECT_FALSE(again->tileMode);
  EXPECT_EQ(again->entities, d->entities);
  EXPECT_EQ(again->styles.size(), 1u);
}

TEST(DxfTest, TheShippedStartDrawingIsAnEmptyModelSpaceDrawing) {
  // Beside the sources: the tests run from the build folder.
  const auto file = std::filesystem::path(__FILE__).parent_path() / "../../../tools/acadsim/Drawing1.dwg";
  std::string bytes;
  ASSERT_TRUE(base::readFileBytes(file.string(), bytes)) << file;
  auto d = acadsim::parseDxf(bytes);
  ASSERT_TRUE(d);
  EXPECT_TRUE(d->tileMode);
  EXPECT_EQ(d->limMin, (acadsim::Point2{0, 0}));
  EXPECT_EQ(d->limMax, (acadsim::Point2{420, 297}));
  EXPECT_EQ(d->layouts.size(), 2u);
}

// ----------------------------------------------------------------- journal

TEST(JournalTest, WritesOneEscapedJsonObjectPerLine) {
  acadsim_test::ScratchFolder dir;
  acadsim::Journal j(dir.path("journal.jsonl"));
  acadsim::JournalEntry e;
  e.event = "save";
  e.drawing = "C:\\図面\\\"a\".dwg";
  e.add("note", std::string("tab\there\x01")).addList("layouts", {"L1", "L\"2"});
  j.append(e);
  acadsim::JournalEntry f;
  f.event = "open";
  f.drawing = "b";
  j.append(f);
  EXPECT_EQ(dir.read("journal.jsonl"),
            "{\"event\":\"save\",\"drawing\":\"C:\\\\図面\\\\\\\"a\\\".dwg\",\"note\":\"tab\\there\\u0001\","
            "\"layouts\":[\"L1\",\"L\\\"2\"]}\n"
            "{\"event\":\"open\",\"drawing\":\"b\"}\n");
  EXPECT_EQ(acadsim::jsonString("\xff"), "\"\xEF\xBF\xBD\"");
}

}  // namespace
