#include "scalecheck/scale_form.h"

#include <cmath>
#include <memory>
#include <stdexcept>

#include "acadlink/timings.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "base/profile.h"
#include "base/text.h"
#include "platform/automation.h"
#include "platform/context.h"
#include "printerconfig/paper_table.h"
#include "scalecheck/xlsx_file.h"
#include "ui/application.h"
#include "ui/placement.h"

namespace scalecheck {

namespace {

constexpr const char* kSection = "ScaleCheckWindow";
const std::string kAcadClosed = "Auto CADが閉じられています。このｳｲﾝﾄﾞｳを閉じて[？尺度]からやり直して下さい。";
constexpr int kColumnWidths[9] = {120, 50, 50, 50, 50, 50, 60, 100, 100};
const char* const kHeaders[9] = {"図面名", "A0", "A1", "A2", "A3", "A4", "DIMSCALE", "LIMMIN", "LIMMAX"};
const std::string kNoExcel = "Excelを起動することができません。 ";
// The sheet columns of the grid's columns, as Excel is given them.
const char* const kSheetColumns[9] = {"a", "b", "c", "d", "e", "f", "g", "h", "i"};
const std::string kAskWorkbook = "表をExcelブックのファイルとして保存しますか？";
const std::string kWorkbookName = "尺度チェック.xlsx";

}  // namespace

TScaleForm::TScaleForm(ScaleFormLinks links) : ui::Form("TScaleForm"), Links(std::move(links)) {
  setCaption("尺度チェック");
  setBounds(kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight);
  onShow = [this] { FormShow(); };
  onCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  onClose = [this] { FormClose(); };

  StringGrid1 = make<ui::StringGrid>(this);
  StringGrid1->setBounds(8, 8, 636, 250);
  StringGrid1->setColCount(9);
  StringGrid1->setRowCount(2);
  StringGrid1->fixedCols = 1;
  StringGrid1->fixedRows = 1;
  StringGrid1->defaultRowHeight = 16;
  StringGrid1->horizontalScrollBar = false;
  for (int c = 0; c < 9; ++c) {
    StringGrid1->setColWidth(c, kColumnWidths[c]);
    StringGrid1->setCell(c, 0, kHeaders[c]);
  }
  StringGrid1->onClick = [this] { StringGrid1Click(); };

  LimitsGroupBox = make<ui::GroupBox>(this);
  LimitsGroupBox->setCaption("図面範囲の設定（上の図面名をクリック）");
  LimitsGroupBox->setBounds(8, 266, 520, 160);
  ui::GroupBox* g = LimitsGroupBox;
  auto label = [this, g](const char* caption, int x, int y, int w) { return place<ui::Label>(g, caption, x, y, w, 16); };
  auto edit = [this, g](int x, int y, int w) { return place<ui::Edit>(g, "", x, y, w, 21); };
  FileTitleLabel = label("図面名", 12, 24, 60);
  FileNameLabel = label("", 80, 24, 420);
  SizeLabel = label("用紙サイズ", 12, 54, 70);
  SizeComboBox = make<ui::ComboBox>(g);
  SizeComboBox->setBounds(86, 50, 150, 22);
  LandscapeRdBtn = make<ui::RadioButton>(g);
  LandscapeRdBtn->setCaption("横書き");
  LandscapeRdBtn->setBounds(252, 52, 80, 18);
  LandscapeRdBtn->setChecked(true);
  VerticalRdBtn = make<ui::RadioButton>(g);
  VerticalRdBtn->setCaption("縦書き");
  VerticalRdBtn->setBounds(340, 52, 80, 18);
  StartPointLabel = label("図面範囲原点 X :", 12, 88, 110);
  MIN_X_Edit = edit(124, 84, 70);
  Y_Label = label("Y :", 202, 88, 24);
  MIN_Y_Edit = edit(228, 84, 70);
  ScaleLabel = label("尺度", 12, 122, 40);
  NumeratorEdit = edit(56, 118, 50);
  SR_Label = label("/", 112, 122, 10);
  DenominatorEdit = edit(126, 118, 70);
  CancelBtn = make<ui::Button>(g);
  CancelBtn->setCaption("キャンセル");
  CancelBtn->setBounds(322, 116, 88, 28);
  CancelBtn->onClick = [this] { CancelBtnClick(); };
  ScaleSetBtn = make<ui::Button>(g);
  ScaleSetBtn->setCaption("設定");
  ScaleSetBtn->setBounds(420, 116, 88, 28);
  ScaleSetBtn->onClick = [this] { ScaleSetBtnClick(); };

  ExcelBitBtn = make<ui::Button>(this);
  ExcelBitBtn->setCaption("Excel転送");
  ExcelBitBtn->setBounds(540, 300, 104, 30);
  ExcelBitBtn->onClick = [this] { ExcelBitBtnClick(); };
  CloseBtn = make<ui::Button>(this);
  CloseBtn->setCaption("閉じる");
  CloseBtn->setBounds(540, 390, 104, 30);
  CloseBtn->onClick = [this] { CloseBtnClick(); };

  MIN_X_Edit->setText("0");
  MIN_Y_Edit->setText("0");
  NumeratorEdit->setText("1");
  DenominatorEdit->setText("1");
}

// ---------------------------------------------------------------- the table

void TScaleForm::FillScaleGrid(ScaleArr& scales, int count) {
  Scales = &scales;
  StringGrid1->setRowCount(count + 1);
  for (int row = 1; row <= count; ++row) {
    StringGrid1->setCell(0, row, base::fileNameAnySep(scales[row - 1].FileName));
    fillRow(row);
  }
}

void TScaleForm::fillRow(int row) {
  const ScaleStruct& s = (*Scales)[row - 1];
  const std::string cells[8] = {s.A0, s.A1, s.A2, s.A3, s.A4, s.DimScale, s.LimMin, s.LimMax};
  for (int c = 1; c <= 8; ++c) StringGrid1->setCell(c, row, cells[c - 1]);
  // Drawings that need attention stand out: every cell but the fixed name.
  for (int c = 1; c <= 8; ++c) StringGrid1->setCellColor(c, row, s.ScaleOk ? ui::kDefaultColor : kAttentionColor);
}

// ---------------------------------------------------------------- show / close

void TScaleForm::FormShow() {
  FillSizeList();
  if (!FirstShown) {
    FirstShown = true;
    const base::ProfileFile ini(Links.SettingsPath);
    setBounds(ui::ReadPlacement(ini, kSection, {kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight}));
    SizeComboBox->setItemIndex(ini.readInt(kSection, "PaperSize", 0));
    MIN_X_Edit->setText(base::intToStr(ini.readInt(kSection, "MIN_X", 0)));
    MIN_Y_Edit->setText(base::intToStr(ini.readInt(kSection, "MIN_Y", 0)));
    NumeratorEdit->setText(base::intToStr(ini.readInt(kSection, "Numerator", 1)));
    DenominatorEdit->setText(base::intToStr(ini.readInt(kSection, "Denominator", 1)));
    const bool landscape = ini.readInt(kSection, "PaperDirection", 0) == 0;
    (landscape ? LandscapeRdBtn : VerticalRdBtn)->setChecked(true);
  }
  DisableLimitsPanel();
}

void TScaleForm::FillSizeList() {
  SizeList.clear();
  SizeComboBox->clear();
  const printerconfig::PaperTable table = printerconfig::ReadPaperTable(Links.PaperTablePath);
  SizeList = table.sizes;
  SizeComboBox->setItems(table.names);
  if (!table.names.empty()) SizeComboBox->setItemIndex(0);
}

namespace {
// The edits are stored as whole numbers.
long long wholeNumber(const ui::Edit* e) {
  const auto v = base::tryParseInt(e->text());
  if (!v) throw base::ConversionError("'" + e->text() + "' は整数ではありません。");
  return *v;
}
}  // namespace

void TScaleForm::FormCloseQuery(bool& canClose) {
  // A text that is not a whole number stops the closing with the
  // conversion error, so that the user can correct it.
  try {
    for (const ui::Edit* e : {MIN_X_Edit, MIN_Y_Edit, NumeratorEdit, DenominatorEdit}) wholeNumber(e);
  } catch (const base::ConversionError& e) {
    canClose = false;
    ui::reportError(e);
  }
}

void TScaleForm::FormClose() {
  base::ProfileFile ini(Links.SettingsPath);
  ui::WritePlacement(ini, kSection, bounds());
  ini.writeInt(kSection, "PaperSize", SizeComboBox->itemIndex());
  ini.writeString(kSection, "MIN_X", base::intToStr(wholeNumber(MIN_X_Edit)));
  ini.writeString(kSection, "MIN_Y", base::intToStr(wholeNumber(MIN_Y_Edit)));
  ini.writeString(kSection, "Numerator", base::intToStr(wholeNumber(NumeratorEdit)));
  ini.writeString(kSection, "Denominator", base::intToStr(wholeNumber(DenominatorEdit)));
  ini.writeInt(kSection, "PaperDirection", LandscapeRdBtn->checked() ? 0 : 1);
  SizeList.clear();
}

// ---------------------------------------------------------------- the limits panel

void TScaleForm::setLimitsPanel(bool on) {
  for (ui::Control* c : std::initializer_list<ui::Control*>{
           FileTitleLabel, StartPointLabel, MIN_X_Edit, Y_Label, MIN_Y_Edit, SizeLabel, SizeComboBox, ScaleLabel,
           NumeratorEdit, SR_Label, DenominatorEdit, LandscapeRdBtn, VerticalRdBtn, CancelBtn, ScaleSetBtn})
    c->setEnabled(on);
}

void TScaleForm::EnableLimitsPanel() { setLimitsPanel(true); }

void TScaleForm::DisableLimitsPanel() {
  setLimitsPanel(false);
  FileNameLabel->setCaption("");
}

void TScaleForm::StringGrid1Click() {
  const int row = StringGrid1->row();
  if (!Scales || row < 1 || row > static_cast<int>(Scales->size())) return;
  FileNameLabel->setCaption(base::fileNameAnySep((*Scales)[row - 1].FileName));
  EnableLimitsPanel();
}

void TScaleForm::CancelBtnClick() { DisableLimitsPanel(); }

void TScaleForm::ScaleSetBtnClick() {
  const int row = StringGrid1->row();
  if (!Scales || row < 1 || row > static_cast<int>(Scales->size()) || !Links.Check || !Links.Setter) return;
  if (!Links.Check->IsSameAutoCAD()) {
    hide();
    ui::showMessage(nullptr, kAcadClosed);
    show();
    return;
  }
  // Nothing is typed unless every value reads: a size, four numbers, a
  // numerator that is not 0.
  const int size = SizeComboBox->itemIndex();
  if (size < 0 || size >= static_cast<int>(SizeList.size())) return;
  const auto sides = printerconfig::SplitPaperSize(SizeList[size]);
  if (!sides) throw base::ConversionError("用紙サイズ '" + SizeList[size] + "' を読めません。");
  const double width = LandscapeRdBtn->checked() ? sides->B : sides->A;
  const double height = LandscapeRdBtn->checked() ? sides->A : sides->B;
  const double minX = base::parseNumber(MIN_X_Edit->text());
  const double minY = base::parseNumber(MIN_Y_Edit->text());
  const double numerator = base::parseNumber(NumeratorEdit->text());
  const double denominator = base::parseNumber(DenominatorEdit->text());
  if (numerator == 0) throw std::domain_error("0 で割ることはできません。");
  const double maxX = width * denominator / numerator + minX;
  const double maxY = height * denominator / numerator + minY;

  Links.Setter->SetHandles(Links.Check->GetHandles());
  const bool set = Links.Setter->RunScaleSet((*Scales)[row - 1].FileName, Links.CommandWait, minX, minY, maxX, maxY,
                                             Links.AcadClose, Links.FileDia, Links.CmdDia, Links.Proxynotice);
  DisableLimitsPanel();
  // A setting that did not reach the drawing must not show as done.
  if (!set) return;
  ScaleStruct& s = (*Scales)[row - 1];
  FillScales(s, std::hypot(maxX - minX, maxY - minY));
  s.LimMin = base::fmt(minX) + "," + base::fmt(minY);
  s.LimMax = base::fmt(maxX) + "," + base::fmt(maxY);
  s.ScaleOk = true;
  fillRow(row);
}

void TScaleForm::CloseBtnClick() {
  // The window will not close with an edit it cannot store: AutoCAD is
  // not ended for a window that stays.
  bool canClose = true;
  FormCloseQuery(canClose);
  if (!canClose) return;
  if (Links.Check && Links.Check->IsSameAutoCAD()) {
    Links.Check->QuitAutoCAD();
    platform::clock().sleepMs(acadlink::timing::kAfterQuitAutoCADMs);
  }
  close();
}

// ---------------------------------------------------------------- Excel

void TScaleForm::ExcelBitBtnClick() {
  std::unique_ptr<platform::AutoObject> excel;
  try {
    excel = platform::automation().create("Excel.Application");
  } catch (const platform::AutomationError&) {
    ui::showMessage(nullptr, kNoExcel);
    OfferWorkbookFile();
    return;
  }
  // Any failure from here on is reported by the event dispatch; what was
  // written stays in the workbook, and the references go with the scope.
  const std::unique_ptr<platform::AutoObject> app = excel->call("Application").object();
  app->put("Visible", true);
  app->call("WorkBooks").object()->call("Add");
  const std::unique_ptr<platform::AutoObject> sheet = app->call("ActiveSheet").object();
  const int rows = StringGrid1->rowCount();
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < 9; ++c) {
      const platform::AutoArgs at = {r + 1, std::string(kSheetColumns[c])};
      // Text format first, so that 1/100 or 0,0 stay texts.
      sheet->get("Cells", at).object()->put("NumberFormatLocal", std::string("@"));
      sheet->get("Cells", at).object()->put("Value", StringGrid1->cell(c, r));
    }
  }
}

void TScaleForm::OfferWorkbookFile() {
  if (ui::messageBox(nullptr, kAskWorkbook, ui::kMessageCaption, ui::MsgButtons::YesNo) != ui::MsgResult::Yes) return;
  // Beside the drawings, where the user will look for it.
  std::string folder = Scales && !Scales->empty() ? base::dirNameOf((*Scales)[0].FileName) : std::string();
  if (folder.empty()) folder = platform::programFolder();
  const auto path = ui::chooseFileToSave(this, "Excel ブック (*.xlsx)|*.xlsx", folder + kWorkbookName, "xlsx");
  if (!path) return;
  XlsxTable table;
  table.SheetName = "尺度チェック";
  for (int r = 0; r < StringGrid1->rowCount(); ++r) {
    std::vector<std::string> row;
    for (int c = 0; c < 9; ++c) row.push_back(StringGrid1->cell(c, r));
    table.Rows.push_back(std::move(row));
  }
  table.ColumnWidths.assign(std::begin(kColumnWidths), std::end(kColumnWidths));
  if (!base::writeFileAtomic(*path, XlsxBytes(table))) {
    ui::showMessage(nullptr, *path + " に書き込めません。");
    return;
  }
  platform::processes().shellOpen(*path, handle());
}

}  // namespace scalecheck
