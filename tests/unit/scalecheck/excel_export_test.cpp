// The scale check window's table sent to Excel on the simulated automation
// server: the exact members in their order, the message when Excel cannot
// be started, and a failure in the middle of the transfer.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/paths.h"
#include "platform/sim/sim_automation.h"
#include "scalecheck/xlsx_file.h"
#include "scalecheck/scale_form.h"
#include "support/sim_env.h"
#include "support/unzip.h"

namespace {

using platform::AutoKind;
using platform::AutomationCall;
using scalecheck::ScaleStruct;
using scalecheck::TScaleForm;
using Texts = std::vector<std::string>;

const std::string kSheet = "Excel.Application.Application.ActiveSheet";
const Texts kHeader = {"図面名", "A0", "A1", "A2", "A3", "A4", "DIMSCALE", "LIMMIN", "LIMMAX"};
const Texts kColumns = {"a", "b", "c", "d", "e", "f", "g", "h", "i"};

class ExcelExportTest : public ::testing::Test {
 protected:
  testing_support::SimEnv env;
  platform::SimAutomation& server = env.automation;
  scalecheck::ScaleArr scales;
  TScaleForm form{scalecheck::ScaleFormLinks{}};

  void SetUp() override {
    scales.push_back({"C:\\図面\\a3.dwg", "1/35.32", "1/49.96", "1/70.71", "1/100", "1/141.42", "0,0", "42000,29700",
                      "100.0000", true});
    scales.push_back({"C:\\図面\\unset.dwg", "図面範囲", "設定され", "ず", "", "", "0.0000,0.0000", "12.0000,9.0000",
                      "1.0000", false});
    scales.push_back({"C:\\図面\\sheet.dwg", "レイアウ", "トが印刷", "されます", "", "", "", "", "100.0000", true});
    form.FillScaleGrid(scales, 3);
  }
  // What the sheet's cell holds for a property, "(none)" when never put.
  std::string cell(int row, const std::string& column, const std::string& member) const {
    const platform::AutoValue* v = server.property(kSheet + ".Cells(" + std::to_string(row) + "," + column + ")", member);
    return v ? platform::autoValueText(*v) : "(none)";
  }
  Texts messages() const {
    Texts out;
    for (auto& m : env.ui.messages) out.push_back(m.text);
    return out;
  }
};

TEST_F(ExcelExportTest, TheButtonIsEnabledAndSendsTheWholeTableCellByCellAsText) {
  ASSERT_TRUE(form.ExcelBitBtn->enabled());
  form.ExcelBitBtn->click();
  EXPECT_TRUE(messages().empty());

  // The start, in the order Excel is driven.
  const std::vector<AutomationCall>& calls = server.calls;
  ASSERT_EQ(calls.size(), 6u + 4 * 9 * 4);
  auto is = [](const AutomationCall& c, const std::string& path, const std::string& member, AutoKind kind) {
    return c.path == path && c.member == member && c.kind == kind;
  };
  EXPECT_TRUE(is(calls[0], "", "Excel.Application", AutoKind::Create));
  EXPECT_TRUE(is(calls[1], "Excel.Application", "Application", AutoKind::Call));
  EXPECT_TRUE(is(calls[2], "Excel.Application.Application", "Visible", AutoKind::Put));
  EXPECT_EQ(calls[2].args, (platform::AutoArgs{true}));
  EXPECT_TRUE(is(calls[3], "Excel.Application.Application", "WorkBooks", AutoKind::Call));
  EXPECT_TRUE(is(calls[4], "Excel.Application.Application.WorkBooks", "Add", AutoKind::Call));
  EXPECT_TRUE(is(calls[5], "Excel.Application.Application", "ActiveSheet", AutoKind::Call));
  for (const AutomationCall& c : std::vector<AutomationCall>(calls.begin(), calls.begin() + 6)) EXPECT_TRUE(c.args.empty() || c.member == "Visible");

  // Then per cell, row by row and "a" to "i": the cell, its text format,
  // the cell again, its value.
  size_t i = 6;
  for (int row = 1; row <= 4; ++row) {
    for (int c = 0; c < 9; ++c) {
      const std::string at = kSheet + ".Cells(" + std::to_string(row) + "," + kColumns[c] + ")";
      const platform::AutoArgs index = {row, kColumns[c]};
      SCOPED_TRACE(at);
      EXPECT_TRUE(is(calls[i], kSheet, "Cells", AutoKind::Get));
      EXPECT_EQ(calls[i].args, index);
      EXPECT_TRUE(is(calls[i + 1], at, "NumberFormatLocal", AutoKind::Put));
      EXPECT_EQ(calls[i + 1].args, (platform::AutoArgs{std::string("@")}));
      EXPECT_TRUE(is(calls[i + 2], kSheet, "Cells", AutoKind::Get));
      EXPECT_EQ(calls[i + 2].args, index);
      EXPECT_TRUE(is(calls[i + 3], at, "Value", AutoKind::Put));
      ASSERT_EQ(calls[i + 3].args.size(), 1u);
      EXPECT_EQ(calls[i + 3].args[0], platform::AutoValue(form.StringGrid1->cell(c, row - 1)));
      i += 4;
    }
  }

  // The sheet as the user sees it: header row, file names without folder,
  // scale texts untouched.
  Texts header, first, second;
  for (int c = 0; c < 9; ++c) {
    header.push_back(cell(1, kColumns[c], "Value"));
    first.push_back(cell(2, kColumns[c], "Value"));
    EXPECT_EQ(cell(4, kColumns[c], "NumberFormatLocal"), "@");
  }
  EXPECT_EQ(header, kHeader);
  EXPECT_EQ(first, (Texts{"a3.dwg", "1/35.32", "1/49.96", "1/70.71", "1/100", "1/141.42", "100.0000", "0,0",
                          "42000,29700"}));
  EXPECT_EQ(cell(3, "b", "Value"), "図面範囲");
  EXPECT_EQ(cell(5, "a", "Value"), "(none)");  // no row beyond the table
  // Every reference is given back; Excel is not told to quit or save.
  EXPECT_EQ(server.liveObjects(), 0);
}

TEST_F(ExcelExportTest, EachClickFillsANewWorkbookAgain) {
  form.ExcelBitBtn->click();
  const size_t once = server.calls.size();
  form.ExcelBitBtn->click();
  ASSERT_EQ(server.calls.size(), 2 * once);
  EXPECT_EQ(server.calls[once].kind, AutoKind::Create);
  EXPECT_EQ(server.calls[once + 4].member, "Add");
}

TEST_F(ExcelExportTest, WithoutExcelTheUserIsToldAndNothingElseHappens) {
  server.failCreation = true;
  env.ui.answers = {ui::MsgResult::Ok, ui::MsgResult::No};  // and no file instead
  form.ExcelBitBtn->click();
  ASSERT_FALSE(env.ui.messages.empty());
  EXPECT_EQ(env.ui.messages[0].text, "Excelを起動することができません。 ");
  EXPECT_EQ(env.ui.messages[0].caption, "Kestrel メッセージ");
  EXPECT_EQ(env.ui.messages[0].buttons, ui::MsgButtons::Ok);
  EXPECT_EQ(server.calls.size(), 1u);
  EXPECT_EQ(server.liveObjects(), 0);
  EXPECT_EQ(form.StringGrid1->rowCount(), 4);
}

TEST_F(ExcelExportTest, AFailureDuringTheTransferIsReportedAndKeepsWhatWasWritten) {
  // The 6 opening uses, then row 1 (36 uses) and the first two cells of
  // row 2 (8 uses); the next use, the third cell of row 2, fails.
  server.failAtCall = 6 + 36 + 8 + 1;
  server.failureMessage = "Cells: サーバーが見つかりません。";
  form.ExcelBitBtn->click();

  ASSERT_EQ(env.ui.messages.size(), 1u);
  EXPECT_EQ(env.ui.messages[0].text, "Cells: サーバーが見つかりません。");
  EXPECT_NE(env.ui.messages[0].text, "Excelを起動することができません。 ");
  EXPECT_EQ(server.calls.size(), static_cast<size_t>(server.failAtCall));
  EXPECT_EQ(cell(1, "i", "Value"), "LIMMAX");
  EXPECT_EQ(cell(2, "b", "Value"), "1/35.32");
  EXPECT_EQ(cell(2, "c", "NumberFormatLocal"), "(none)");
  EXPECT_EQ(cell(2, "c", "Value"), "(none)");
  EXPECT_EQ(server.liveObjects(), 0);
}

TEST_F(ExcelExportTest, AFailureOfTheFirstMemberStopsBeforeAnyCell) {
  server.failAtCall = 2;  // "Application"
  form.ExcelBitBtn->click();
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], server.failureMessage);
  EXPECT_EQ(server.calls.size(), 2u);
  EXPECT_EQ(server.liveObjects(), 0);
}

// ---------------------------------------------------------------- the workbook file instead

class WorkbookFileTest : public ExcelExportTest {
 protected:
  std::string folder, proposed;
  void SetUp() override {
    ExcelExportTest::SetUp();
    folder = env.folder() + "図面/";
    std::filesystem::create_directories(folder);
    scales[0].FileName = folder + "a3.dwg";
    form.FillScaleGrid(scales, 3);
    proposed = folder + "尺度チェック.xlsx";
    server.failCreation = true;
  }
};

TEST_F(WorkbookFileTest, WithoutExcelTheTableIsSavedBesideTheFirstDrawingAndOpened) {
  env.ui.answers = {ui::MsgResult::Ok, ui::MsgResult::Yes};
  env.ui.saveAnswers = {proposed};
  form.ExcelBitBtn->click();

  ASSERT_EQ(env.ui.messages.size(), 2u);
  EXPECT_EQ(env.ui.messages[0].text, "Excelを起動することができません。 ");
  EXPECT_EQ(env.ui.messages[1].caption, "Kestrel メッセージ");
  EXPECT_EQ(env.ui.messages[1].buttons, ui::MsgButtons::YesNo);
  ASSERT_EQ(env.ui.saveDialogs.size(), 1u);
  EXPECT_EQ(env.ui.saveDialogs[0].initialPath, proposed);
  EXPECT_EQ(env.ui.saveDialogs[0].filter, "Excel ブック (*.xlsx)|*.xlsx");
  EXPECT_EQ(env.processes.opened, (Texts{proposed}));

  ASSERT_TRUE(testing_support::unzipTests(proposed));
  const std::string sheet = testing_support::unzipEntry(proposed, "xl/worksheets/sheet1.xml");
  // The header in bold (style 1), the rest plain, all as texts.
  EXPECT_NE(sheet.find("<c r=\"A1\" s=\"1\" t=\"inlineStr\"><is><t xml:space=\"preserve\">図面名</t></is></c>"),
            std::string::npos);
  EXPECT_NE(sheet.find("<c r=\"I1\" s=\"1\" t=\"inlineStr\"><is><t xml:space=\"preserve\">LIMMAX</t></is></c>"),
            std::string::npos);
  EXPECT_NE(sheet.find("<c r=\"A2\" s=\"0\" t=\"inlineStr\"><is><t xml:space=\"preserve\">a3.dwg</t></is></c>"),
            std::string::npos);
  EXPECT_NE(sheet.find("<c r=\"E2\" s=\"0\" t=\"inlineStr\"><is><t xml:space=\"preserve\">1/100</t></is></c>"),
            std::string::npos);
  EXPECT_NE(sheet.find("<c r=\"B3\" s=\"0\" t=\"inlineStr\"><is><t xml:space=\"preserve\">図面範囲</t></is></c>"),
            std::string::npos);
  EXPECT_NE(sheet.find("<row r=\"4\">"), std::string::npos);
  EXPECT_EQ(sheet.find("<row r=\"5\">"), std::string::npos);
  EXPECT_NE(testing_support::unzipEntry(proposed, "xl/workbook.xml").find("<sheet name=\"尺度チェック\""),
            std::string::npos);
  const std::string styles = testing_support::unzipEntry(proposed, "xl/styles.xml");
  EXPECT_NE(styles.find("<font><b/>"), std::string::npos);
  EXPECT_NE(testing_support::unzipEntry(proposed, "[[]Content_Types].xml").find("/xl/worksheets/sheet1.xml"),
            std::string::npos);
  EXPECT_NE(testing_support::unzipEntry(proposed, "_rels/.rels").find("Target=\"xl/workbook.xml\""),
            std::string::npos);
}

TEST_F(WorkbookFileTest, NoOrACancelledDialogWritesNothing) {
  env.ui.answers = {ui::MsgResult::Ok, ui::MsgResult::No};
  form.ExcelBitBtn->click();
  EXPECT_TRUE(env.ui.saveDialogs.empty());

  env.ui.answers = {ui::MsgResult::Ok, ui::MsgResult::Yes};
  env.ui.saveAnswers = {std::nullopt};
  form.ExcelBitBtn->click();
  EXPECT_EQ(env.ui.saveDialogs.size(), 1u);

  EXPECT_FALSE(std::filesystem::exists(proposed));
  EXPECT_TRUE(env.processes.opened.empty());
  EXPECT_EQ(env.ui.messages.size(), 4u);
}

TEST_F(WorkbookFileTest, AFileThatCannotBeWrittenIsToldAndNotOpened) {
  env.ui.answers = {ui::MsgResult::Ok, ui::MsgResult::Yes};
  const std::string nowhere = env.folder() + "無い/尺度チェック.xlsx";
  env.ui.saveAnswers = {nowhere};
  form.ExcelBitBtn->click();
  ASSERT_EQ(env.ui.messages.size(), 3u);
  EXPECT_NE(env.ui.messages[2].text.find(nowhere), std::string::npos);
  EXPECT_TRUE(env.processes.opened.empty());
}

TEST(XlsxFile, TextsAreEscapedAndColumnsNamedPastZ) {
  scalecheck::XlsxTable t;
  t.SheetName = "a&b";
  t.Rows = {{"<x>", "a & \"b\"", std::string("c\x01" "d"), " lead", ""}};
  const std::string archive = testing::TempDir() + "escaped.xlsx";
  ASSERT_TRUE(base::writeFileAtomic(archive, scalecheck::XlsxBytes(t)));
  const std::string sheet = testing_support::unzipEntry(archive, "xl/worksheets/sheet1.xml");
  EXPECT_NE(sheet.find(">&lt;x&gt;</t>"), std::string::npos);
  EXPECT_NE(sheet.find(">a &amp; &quot;b&quot;</t>"), std::string::npos);
  EXPECT_NE(sheet.find(">cd</t>"), std::string::npos);  // no control characters in XML
  EXPECT_NE(sheet.find("<t xml:space=\"preserve\"> lead</t>"), std::string::npos);
  // An empty text is a blank cell that keeps its text format.
  EXPECT_NE(sheet.find("<c r=\"E1\" s=\"1\"/>"), std::string::npos);
  EXPECT_EQ(sheet.find("<t xml:space=\"preserve\"></t>"), std::string::npos);
  EXPECT_NE(testing_support::unzipEntry(archive, "xl/workbook.xml").find("name=\"a&amp;b\""), std::string::npos);
  std::remove(archive.c_str());

  EXPECT_EQ(scalecheck::XlsxColumnName(0), "A");
  EXPECT_EQ(scalecheck::XlsxColumnName(8), "I");
  EXPECT_EQ(scalecheck::XlsxColumnName(25), "Z");
  EXPECT_EQ(scalecheck::XlsxColumnName(26), "AA");
  EXPECT_EQ(scalecheck::XlsxColumnName(701), "ZZ");
  EXPECT_EQ(scalecheck::XlsxColumnName(702), "AAA");
}

}  // namespace
