#include "printerconfig/setting_form.h"

#include "acadlink/connect_autocad.h"
#include "acadlink/tf_control.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "base/profile.h"
#include "base/text.h"
#include "platform/context.h"
#include "plot/ploter.h"
#include "printerconfig/add_setting_form.h"
#include "printerconfig/button_sets.h"
#include "printerconfig/page_size_class.h"
#include "printerconfig/paper_table.h"
#include "printerconfig/setting_save_load_dlg.h"
#include "ui/application.h"
#include "ui/placement.h"

namespace printerconfig {

namespace {

constexpr const char* kSection = "SettingWindow";
constexpr const char* kNone = "None";
const char* const kExeFilter = "AutoCAD実行ﾌｧｲﾙ|*.exe";
constexpr int kColumnWidth = 190;

// The selected item's text; empty when nothing is selected.
std::string selectedText(const ui::ComboBox& c) {
  const int i = c.itemIndex();
  return i >= 0 && i < c.count() ? c.items()[i] : std::string();
}

// A folder beside the executable ("Plotters", "Plot Styles").
std::string besideExe(const std::string& exe, const char* name) {
  return base::joinPath(base::folderAnySep(exe), name);
}

// Every entry of a folder that is not a folder and not a shortcut; nothing
// when the folder cannot be entered.
std::vector<std::string> configFiles(const std::string& folder) {
  std::vector<std::string> names;
  if (folder == kNone || !base::folderExists(folder)) return names;
  for (const base::DirEntry& e : base::listFolder(folder))
    if (!e.isFolder && base::extensionOf(e.name) != ".lnk") names.push_back(e.name);
  return names;
}

}  // namespace

TSetting::TSetting(std::string settingsPath, std::string plotIniPath)
    : ui::Form("TSetting"), SettingsPath(std::move(settingsPath)), PlotIniPath(std::move(plotIniPath)) {
  setCaption("Kestrel 環境設定");
  setBounds(kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight);
  onShow = [this] { FormShow(); };
  onClose = [this] { FormClose(); };
  for (int i = 0; i < 4; ++i) buildColumn(i);
  buildLowerPanel();

  auto button = [this](const char* caption, int x, int y, int w) {
    ui::Button* b = make<ui::Button>(this);
    b->setCaption(caption);
    b->setBounds(x, y, w, 28);
    return b;
  };
  const int y = 568;
  GetPageSizeBitBtn = button("ﾌﾟﾛｯﾀ用紙取得", 8, y, 110);
  PaperSizeBitBtn = button("用紙定義", 124, y, 90);
  SaveLoadBitBtn = button("追加 削除", 220, y, 90);
  AddSettingBitBtn = button("さらに詳細", 316, y, 90);
  CommandEditBitBtn = button("開く", 412, y, 80);
  OKBitBtn = button("終了", 600, y, 90);
  CancelBitBtn = button("ｷｬﾝｾﾙ", 696, y, 90);
  CancelBitBtn->isCancel = true;
  GetPageSizeBitBtn->onClick = [this] { GetPageSizeBitBtnClick(); };
  PaperSizeBitBtn->onClick = [this] { PaperSizeBitBtnClick(); };
  SaveLoadBitBtn->onClick = [this] { SaveLoadBitBtnClick(); };
  AddSettingBitBtn->onClick = [this] { AddSettingBitBtnClick(); };
  CommandEditBitBtn->onClick = [this] { CommandEditBitBtnClick(); };
  OKBitBtn->onClick = [this] { OKBitBtnClick(); };
  CancelBitBtn->onClick = [this] { CancelBitBtnClick(); };
}

TSetting::~TSetting() = default;

// ---------------------------------------------------------------- building

void TSetting::buildColumn(int i) {
  ButtonColumn& c = P[i];
  const std::string p = "P" + base::intToStr(i + 1);
  c.Group = make<ui::GroupBox>(this, p + "GroupBox");
  c.Group->setCaption("No." + base::intToStr(i + 1) + " ボタン");
  c.Group->setBounds(8 + i * (kColumnWidth + 6), 8, kColumnWidth, 552);
  ui::GroupBox* g = c.Group;
  int y = 18;
  auto label = [&](const std::string& caption, int x, int yy, int w) {
    ui::Label* l = make<ui::Label>(g);
    l->setCaption(caption);
    l->setBounds(x, yy, w, 16);
    return l;
  };
  auto check = [&](const std::string& name, const char* caption, int x, int yy, int w) {
    ui::CheckBox* b = make<ui::CheckBox>(g, p + name);
    b->setCaption(caption);
    b->setBounds(x, yy, w, 18);
    b->onClick = [this, i] { ButtonChange(i + 1); };
    return b;
  };
  auto combo = [&](const std::string& name, int yy) {
    ui::ComboBox* b = make<ui::ComboBox>(g, p + name);
    b->setBounds(8, yy, kColumnWidth - 16, 22);
    b->onChange = [this, i] { ButtonChange(i + 1); };
    return b;
  };
  c.ChkBox = check("ChkBox", "使用", 8, y, 50);
  c.FilePlotChkBox = check("FilePlotChkBox", "ﾌｧｲﾙ書出し", 60, y, 80);
  c.StopCheckBox = check("StopCheckBox", "1枚ずつ", 8, y += 20, 80);
  label("表示名", 8, y += 22, 80);
  c.NameEdit = make<ui::Edit>(g, p + "NameEdit");
  c.NameEdit->setBounds(8, y += 16, kColumnWidth - 16, 21);
  c.NameEdit->onChange = [this, i] { ButtonChange(i + 1); };
  label("印刷デバイス", 8, y += 26, 120);
  c.PrtDvCmbBx = combo("PrtDvCmbBx", y += 16);
  c.PrtDvCmbBx->onChange = [this, i] {
    PrtDvCmbBxChange(i + 1);
    ButtonChange(i + 1);
  };
  label("印刷スタイルテーブル", 8, y += 26, 150);
  c.PrtStlCmbBx = combo("PrtStlCmbBx", y += 16);
  label("用紙名", 8, y += 26, 80);
  c.PaperNameCmbBx = combo("PaperNameCmbBx", y += 16);
  label("ｻｲｽﾞ", 8, y += 28, 40);
  c.PaperComBox = make<ui::ComboBox>(g, p + "PaperComBox");
  c.PaperComBox->setBounds(48, y - 4, 80, 22);
  c.PaperComBox->onChange = [this, i] {
    PaperComBoxChange(i + 1);
    ButtonChange(i + 1);
  };
  c.PaperDirectionComBox = make<ui::ComboBox>(g, p + "PaperDirectionComBox");
  c.PaperDirectionComBox->setItems({"横", "縦"});
  c.PaperDirectionComBox->setBounds(132, y - 4, 50, 22);
  c.PaperDirectionComBox->onChange = [this, i] { ButtonChange(i + 1); };
  c.CenterPrintCheckBox = check("CenterPrintCheckBox", "印刷の中心", 8, y += 24, 90);
  c.CenterPrintCheckBox->onClick = [this, i] {
    CenterPrintCheckBoxClick(i + 1);
    ButtonChange(i + 1);
  };
  c.PDFCheckBox = check("PDFCheckBox", "PDF,DWF", 100, y, 80);
  c.OffsetXLabel = label("ｵﾌｾｯﾄ X", 8, y += 26, 56);
  c.OffsetXEdit = make<ui::Edit>(g, p + "OffsetXEdit");
  c.OffsetXEdit->setBounds(64, y - 4, 44, 21);
  c.OffsetXEdit->onChange = [this, i] { ButtonChange(i + 1); };
  c.OffsetYLabel = label("Y", 114, y, 12);
  c.OffsetYEdit = make<ui::Edit>(g, p + "OffsetYEdit");
  c.OffsetYEdit->setBounds(128, y - 4, 44, 21);
  c.OffsetYEdit->onChange = [this, i] { ButtonChange(i + 1); };
  label("No." + base::intToStr(i + 1) + "ボタンマクロ", 8, y += 26, 120);
  label("モデル", 8, y += 18, 60);
  c.MacroMemo1 = make<ui::Memo>(g, p + "MacroMemo1");
  c.MacroMemo1->setBounds(8, y += 16, kColumnWidth - 16, 90);
  label("レイアウト", 8, y += 94, 80);
  c.MacroMemo2 = make<ui::Memo>(g, p + "MacroMemo2");
  c.MacroMemo2->setBounds(8, y += 16, kColumnWidth - 16, 90);
}

void TSetting::buildLowerPanel() {
  LowerPanel = make<ui::Panel>(this);
  LowerPanel->setBounds(0, 604, kDesignWidth - 8, kLowerPanelHeight - 8);
  LowerPanel->setVisible(false);
  ui::Panel* g = LowerPanel;
  auto label = [this, g](const char* caption, int x, int y, int w) { return place<ui::Label>(g, caption, x, y, w, 16); };
  auto edit = [this, g](int x, int y, int w) { return place<ui::Edit>(g, "", x, y, w, 21); };
  auto check = [this, g](const char* caption, int x, int y, int w) {
    return place<ui::CheckBox>(g, caption, x, y, w, 18);
  };
  auto zeroOne = [this, g](int x, int y) {
    ui::ComboBox* b = make<ui::ComboBox>(g);
    b->setItems({"0", "1"});
    b->setBounds(x, y, 50, 22);
    return b;
  };
  label("詳細設定", 8, 4, 100);
  SetAcadPathBitBtn = make<ui::Button>(g);
  SetAcadPathBitBtn->setCaption("AutoCAD設定");
  SetAcadPathBitBtn->setBounds(8, 24, 110, 26);
  SetAcadPathBitBtn->onClick = [this] { SetAcadPathBitBtnClick(); };
  ACadPathLabel = label("指定なし", 126, 30, 200);
  label("コマンドラインスイッチ", 340, 30, 150);
  AcadArgEdit = edit(494, 26, 280);
  label("プリンタ設定検索パス", 8, 62, 150);
  PrtDvDirEdit = edit(160, 58, 520);
  PrtDvDirSetBitBtn = make<ui::Button>(g);
  PrtDvDirSetBitBtn->setCaption("設定");
  PrtDvDirSetBitBtn->setBounds(690, 56, 60, 24);
  PrtDvDirSetBitBtn->onClick = [this] { PrtDvDirSetBitBtnClick(); };
  label("印刷スタイル検索パス", 8, 92, 150);
  PrtStlDirEdit = edit(160, 88, 520);
  PrtStlDirSetBitBtn = make<ui::Button>(g);
  PrtStlDirSetBitBtn->setCaption("設定");
  PrtStlDirSetBitBtn->setBounds(690, 86, 60, 24);
  PrtStlDirSetBitBtn->onClick = [this] { PrtStlDirSetBitBtnClick(); };
  label("コマンド待ち時間", 8, 124, 110);
  CommandWaitEdit = edit(120, 120, 60);
  label("(mm sec)", 184, 124, 60);
  label("AutoCAD起動待ち", 256, 124, 110);
  AcadStartWaitEdit = edit(368, 120, 50);
  label("(sec)", 422, 124, 40);
  label("AutoCAD応答待ち上限", 476, 124, 140);
  AcadWaitLimitEdit = edit(620, 120, 60);
  label("(sec)", 684, 124, 40);
  label("FILEDIA", 8, 158, 60);
  FileDiaComboBox = zeroOne(72, 154);
  label("CMDDIA", 140, 158, 60);
  CmdDiaComboBox = zeroOne(204, 154);
  label("PROXYNOTICE", 272, 158, 90);
  ProcxyComboBox = zeroOne(364, 154);
  AcadCloseChkBox = check("AutoCAD自動終了", 8, 190, 130);
  DYNStopChkBox = check("DYN停止", 144, 190, 90);
  Psltscale1PutCheckBox = check("全てのﾚｲｱｳﾄのPSLTSCALEを1に設定", 240, 190, 260);
  ScaleWarningCheckBox = check("ｽｹｰﾙ警告", 8, 214, 100);
  FitOffset00CheckBox = check("尺度自動調整時オフセット0.0", 144, 214, 220);
  OnlyPc3CheckBox = check(".pc3のみ取得", 380, 214, 110);
  OnlyPc3CheckBox->onClick = [this] { OnlyPc3CheckBoxClick(); };
  PacedSendCheckBox = check("高速送信", 500, 214, 100);
  PacedSendCheckBox->setHint("AutoCAD の応答を確かめながら入力し、待ち時間を短くします");
  label("現在のボタンセット", 8, 250, 130);
  BottonSetComboBox = make<ui::ComboBox>(g);
  BottonSetComboBox->setSorted(true);
  BottonSetComboBox->setBounds(140, 246, 200, 22);
  BottonSetComboBox->onDropDown = [this] { BottonSetComboBoxDropDown(); };
  BottonSetComboBox->onChange = [this] { BottonSetComboBoxChange(); };
}

// ---------------------------------------------------------------- lists

void TSetting::FillDeviceLists() {
  std::vector<std::string> devices{kNone};
  if (!OnlyPc3CheckBox->checked())
    for (const std::string& printer : platform::printers().installedPrinters()) devices.push_back(printer);
  for (const std::string& f : configFiles(PrtDvDirEdit->text())) devices.push_back(f);
  for (ButtonColumn& c : P) {
    c.PrtDvCmbBx->setItems(devices);
    c.PrtDvCmbBx->setItemIndex(0);
  }
}

void TSetting::FillStyleLists() {
  std::vector<std::string> styles{kNone};
  for (const std::string& f : configFiles(PrtStlDirEdit->text())) styles.push_back(f);
  for (ButtonColumn& c : P) {
    c.PrtStlCmbBx->setItems(styles);
    c.PrtStlCmbBx->setItemIndex(0);
  }
}

void TSetting::FillPaperNames(ui::ComboBox& list, const std::string& device) {
  const base::ProfileFile ini(PlotIniPath);
  const int count = device.empty() ? 0 : ini.readInt(device, "PAGE", 0);
  std::vector<std::string> names;
  if (count == 0) {
    names.push_back(kNone);
  } else {
    for (int i = 0; i < count; ++i) {
      std::string v = ini.readString(device, "PageSize" + base::intToStr(i), "");
      if (v.empty()) continue;
      if (v.front() == '"') v.erase(0, 1);
      if (!v.empty() && v.back() == '"') v.pop_back();
      names.push_back(v);
    }
  }
  list.setItems(names);
}

void TSetting::FillPaperSizes() {
  const PaperTable table = ReadPaperTable(PlotIniPath);
  PaperSizeValues = table.sizes;
  for (ButtonColumn& c : P) {
    c.PaperComBox->setItems(table.names);
    int at = -1;
    for (size_t k = 0; k < PaperSizeValues.size(); ++k)
      if (PaperSizeValues[k] == c.PaperSize) {
        at = static_cast<int>(k);
        break;
      }
    c.PaperComBox->setItemIndex(at);
  }
}

void TSetting::ShowAcadFolder() {
  if (WorkingAcadPath == kNone) {
    ACadPathLabel->setCaption("指定なし");
    return;
  }
  // The folder that holds the executable: between the last two separators
  // of its folder path.
  const std::string folder = base::folderAnySep(WorkingAcadPath);
  const auto cut = folder.find_last_of("\\/");
  if (folder.empty() || cut == std::string::npos) ACadPathLabel->setCaption("再設定下さい");
  else ACadPathLabel->setCaption(folder.substr(cut + 1));
}

void TSetting::UpdateOffsetControls() {
  for (ButtonColumn& c : P) {
    const bool on = !c.CenterPrintCheckBox->checked();
    c.OffsetXEdit->setEnabled(on);
    c.OffsetYEdit->setEnabled(on);
    c.OffsetXLabel->setEnabled(on);
    c.OffsetYLabel->setEnabled(on);
  }
}

void TSetting::ListButtonSets(const std::string& setName) {
  BottonSetComboBox->setItems(printerconfig::ListButtonSets(ButtonSetFolder()));
  BottonSetComboBox->setItemIndex(BottonSetComboBox->indexOf(setName));
}

// ---------------------------------------------------------------- buttons

namespace {

// A button's record as the controls show it.
void showButton(TSetting& f, TSetting::ButtonColumn& c, const plot::Ploter& p) {
  c.NameEdit->setText(p.GetUserName());
  c.MacroMemo1->setLines(p.ModelMacro);
  c.MacroMemo2->setLines(p.LayoutMacro);
  c.ChkBox->setChecked(p.GetAvailable());
  c.FilePlotChkBox->setChecked(p.GetFilePlot());
  c.PrtDvCmbBx->setItemIndex(c.PrtDvCmbBx->indexOf(p.GetPrintDevice()));
  c.PrtStlCmbBx->setItemIndex(c.PrtStlCmbBx->indexOf(p.GetPrintStyle()));
  c.PaperDirectionComBox->setItemIndex(p.GetPaperDirection());
  f.FillPaperNames(*c.PaperNameCmbBx, selectedText(*c.PrtDvCmbBx));
  c.PaperNameCmbBx->setItemIndex(c.PaperNameCmbBx->indexOf(p.GetPaperName()));
  c.PaperSize = p.GetPaperSize();
  c.StopCheckBox->setChecked(p.GetPageStop());
  c.OffsetXEdit->setText(p.GetOffsetX());
  c.OffsetYEdit->setText(p.GetOffsetY());
  c.CenterPrintCheckBox->setChecked(p.GetCenterPrint());
  c.PDFCheckBox->setChecked(p.GetPdfPrint());
}

}  // namespace

void TSetting::StoreButton(int n) {
  ButtonColumn& c = P[n - 1];
  plot::Ploter* p = Links.Ploters[n - 1];
  if (!p) return;
  p->SetAcadExePath(WorkingAcadPath);
  p->SetAcadArg(AcadArgEdit->text());
  p->SetUserName(c.NameEdit->text());
  p->ModelMacro = c.MacroMemo1->lines();
  p->LayoutMacro = c.MacroMemo2->lines();
  p->SetAvailable(c.ChkBox->checked());
  p->SetFilePlot(c.FilePlotChkBox->checked());
  if (Links.ShowPlotButton) Links.ShowPlotButton(n, p->GetUserName(), p->GetAvailable());
  p->SetPrintDevice(selectedText(*c.PrtDvCmbBx));
  p->SetPrintStyle(selectedText(*c.PrtStlCmbBx));
  p->SetPaperName(selectedText(*c.PaperNameCmbBx));
  p->SetPaperDirection(c.PaperDirectionComBox->itemIndex());
  p->SetPaperSize(c.PaperSize);
  p->SetPageStop(c.StopCheckBox->checked());
  p->SetOffsetX(c.OffsetXEdit->text());
  p->SetOffsetY(c.OffsetYEdit->text());
  p->SetCenterPrint(c.CenterPrintCheckBox->checked());
  p->SetPdfPrint(c.PDFCheckBox->checked());
}

void TSetting::saveButtonToSet(int n) {
  if (plot::Ploter* p = Links.Ploters[n - 1]) p->SaveButton(CurrentSetName);
}

void TSetting::LoadButtonSet(const std::string& setName) {
  static const char* const sections[] = {"Ploter1Fleld", "Ploter2Fleld", "Ploter3Fleld", "Ploter4Fleld"};
  for (int i = 0; i < 4; ++i) {
    // The set file's reader, with its defaults, fills a record of its own.
    plot::Ploter record(SettingsPath, sections[i]);
    record.LoadButton(setName);
    showButton(*this, P[i], record);
  }
  FillPaperSizes();
  UpdateOffsetControls();
}

// ---------------------------------------------------------------- show / close

void TSetting::FormShow() {
  if (!FirstShown) {
    FirstShown = true;
    setBounds(ui::ReadPlacement(base::ProfileFile(SettingsPath), kSection,
                                {kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight}));
  }
  Committed = false;
  PaperSizeValues.clear();
  Acquisition = std::make_unique<PageSizeClass>(SettingsPath);
  WorkingAcadPath = Settings.AcadExePath.empty() ? std::string(kNone) : Settings.AcadExePath;
  AcadArgEdit->setText(Settings.AcadArg);
  ShowAcadFolder();
  FileDialogInitialPath = WorkingAcadPath == kNone ? std::string() : WorkingAcadPath;

  CommandWaitEdit->setText(base::intToStr(Settings.AcadCommandWait));
  AcadStartWaitEdit->setText(base::intToStr(Settings.StartWait));
  AcadWaitLimitEdit->setText(base::intToStr(Settings.AcadWaitLimit));
  AcadCloseChkBox->setChecked(Settings.AcadClose);
  DYNStopChkBox->setChecked(Settings.DynStop);
  PacedSendCheckBox->setChecked(Settings.PacedSend);
  Psltscale1PutCheckBox->setChecked(Settings.Psltscale);
  ScaleWarningCheckBox->setChecked(Settings.ScaleWarning);
  FitOffset00CheckBox->setChecked(Settings.FitOffset00);
  OnlyPc3CheckBox->setChecked(Settings.OnlyPc3);
  FileDiaComboBox->setItemIndex(Settings.FileDia);
  CmdDiaComboBox->setItemIndex(Settings.CmdDia);
  ProcxyComboBox->setItemIndex(Settings.Proxynotice);
  PrtDvDirEdit->setText(Settings.AcadPrtDvDir);
  PrtStlDirEdit->setText(Settings.AcadPrtStlDir);
  CurrentSetName = Settings.CurrentBtnSet;

  FillDeviceLists();
  FillStyleLists();
  for (int i = 0; i < 4; ++i)
    if (Links.Ploters[i]) showButton(*this, P[i], *Links.Ploters[i]);
  UpdateOffsetControls();
  if (LowerPanel->visible()) setLowerPanel(false);
  Acquisition->SetAcadExePath(WorkingAcadPath);
  Acquisition->SetAcadArg(AcadArgEdit->text());
  FillPaperSizes();
  ListButtonSets(CurrentSetName);
  for (ButtonColumn& c : P) c.Modified = false;
}

void TSetting::FormClose() {
  // The stored height is always the collapsed one.
  if (LowerPanel->visible()) setLowerPanel(false);
  base::ProfileFile ini(SettingsPath);
  ui::WritePlacement(ini, kSection, bounds());
  PaperSizeValues.clear();
  // The acquisition's macro is written back as it goes.
  Acquisition.reset();
}

void TSetting::setLowerPanel(bool shown) {
  const ui::Rect b = bounds();
  setBounds(b.left, b.top, b.width, b.height + (shown ? kLowerPanelHeight : -kLowerPanelHeight));
  LowerPanel->setVisible(shown);
  CommandEditBitBtn->setCaption(shown ? "閉じる" : "開く");
}

void TSetting::CommandEditBitBtnClick() { setLowerPanel(!LowerPanel->visible()); }

void TSetting::OKBitBtnClick() {
  // The waits are whole numbers: a text that is not one stops OK with the
  // conversion error and the dialog stays open.
  auto whole = [](const ui::Edit* e) {
    const auto v = base::tryParseInt(e->text());
    if (!v) throw base::ConversionError("'" + e->text() + "' は整数ではありません。");
    return static_cast<int>(*v);
  };
  const int commandWait = whole(CommandWaitEdit);
  const int startWait = whole(AcadStartWaitEdit);
  const int waitLimit = whole(AcadWaitLimitEdit);
  Settings.AcadCommandWait = commandWait;
  Settings.StartWait = startWait;
  Settings.AcadWaitLimit = waitLimit;
  Settings.AcadClose = AcadCloseChkBox->checked();
  Settings.AcadPrtDvDir = PrtDvDirEdit->text();
  Settings.AcadPrtStlDir = PrtStlDirEdit->text();
  Settings.FileDia = FileDiaComboBox->itemIndex();
  Settings.CmdDia = CmdDiaComboBox->itemIndex();
  Settings.Proxynotice = ProcxyComboBox->itemIndex();
  Settings.AcadExePath = WorkingAcadPath;
  Settings.AcadArg = AcadArgEdit->text();
  Settings.Psltscale = Psltscale1PutCheckBox->checked();
  Settings.ScaleWarning = ScaleWarningCheckBox->checked();
  Settings.FitOffset00 = FitOffset00CheckBox->checked();
  Settings.CurrentBtnSet = CurrentSetName;
  Settings.OnlyPc3 = OnlyPc3CheckBox->checked();
  Settings.DynStop = DYNStopChkBox->checked();
  Settings.PacedSend = PacedSendCheckBox->checked();
  for (int n = 1; n <= 4; ++n) StoreButton(n);
  for (int n = 1; n <= 4; ++n) saveButtonToSet(n);
  for (acadlink::TfControl* link : {Links.ScaleCheck, Links.ScaleSet}) {
    if (!link) continue;
    link->SetAcadExePath(WorkingAcadPath);
    link->SetAcadArg(AcadArgEdit->text());
  }
  Committed = true;
  setModalResult(ui::mrOk);
}

void TSetting::CancelBitBtnClick() { setModalResult(ui::mrCancel); }

// ---------------------------------------------------------------- folders and the executable

void TSetting::SetAcadPathBitBtnClick() {
  const std::string oldExe = WorkingAcadPath == kNone ? std::string() : WorkingAcadPath;
  const std::string oldPlotters = besideExe(oldExe, "Plotters"), oldStyles = besideExe(oldExe, "Plot Styles");
  const auto chosen = ui::chooseFileToOpen(this, kExeFilter, FileDialogInitialPath);
  if (!chosen) return;
  WorkingAcadPath = *chosen;
  FileDialogInitialPath = *chosen;
  // A folder edit still at "None" or at the old executable's default follows
  // the new executable; one the user chose elsewhere stays.
  auto follow = [&](ui::Edit* e, const std::string& oldDefault, const char* name) {
    if (e->text() != kNone && !base::equalsNoCase(e->text(), oldDefault)) return;
    const std::string next = besideExe(WorkingAcadPath, name);
    e->setText(base::folderExists(next) ? next : std::string(kNone));
  };
  follow(PrtDvDirEdit, oldPlotters, "Plotters");
  follow(PrtStlDirEdit, oldStyles, "Plot Styles");
  FillDeviceLists();
  FillStyleLists();
  ShowAcadFolder();
}

void TSetting::PrtDvDirSetBitBtnClick() {
  if (Links.ChooseFolder)
    PrtDvDirEdit->setText(Links.ChooseFolder("プリンタ環境設定検索パスの設定", PrtDvDirEdit->text()));
}

void TSetting::PrtStlDirSetBitBtnClick() {
  if (Links.ChooseFolder)
    PrtStlDirEdit->setText(Links.ChooseFolder("印刷スタイル検索パスの設定", PrtStlDirEdit->text()));
}

void TSetting::OnlyPc3CheckBoxClick() { FillDeviceLists(); }

// ---------------------------------------------------------------- per button

void TSetting::PrtDvCmbBxChange(int n) {
  ButtonColumn& c = P[n - 1];
  FillPaperNames(*c.PaperNameCmbBx, selectedText(*c.PrtDvCmbBx));
  c.PaperNameCmbBx->setItemIndex(0);
}

void TSetting::PaperComBoxChange(int n) {
  ButtonColumn& c = P[n - 1];
  const int i = c.PaperComBox->itemIndex();
  if (i >= 0 && i < static_cast<int>(PaperSizeValues.size())) c.PaperSize = PaperSizeValues[i];
}

void TSetting::CenterPrintCheckBoxClick(int) { UpdateOffsetControls(); }

void TSetting::ButtonChange(int n) { P[n - 1].Modified = true; }

// ---------------------------------------------------------------- sets and dialogs

void TSetting::BottonSetComboBoxDropDown() {
  // Edits stay with the set that was shown when they were made.
  for (int n = 1; n <= 4; ++n) {
    if (!P[n - 1].Modified) continue;
    StoreButton(n);
    saveButtonToSet(n);
    P[n - 1].Modified = false;
  }
}

void TSetting::BottonSetComboBoxChange() {
  CurrentSetName = BottonSetComboBox->text();
  LoadButtonSet(CurrentSetName);
}

void TSetting::SaveLoadBitBtnClick() {
  BottonSetComboBoxDropDown();
  if (Links.ButtonSetDialog) {
    Links.ButtonSetDialog->CurrentBtnSet = CurrentSetName;
    Links.ButtonSetDialog->showModal();
    CurrentSetName = Links.ButtonSetDialog->CurrentBtnSet;
  }
  ListButtonSets(CurrentSetName);
  LoadButtonSet(CurrentSetName);
}

void TSetting::PaperSizeBitBtnClick() {
  if (Links.PaperSizeDialog) Links.PaperSizeDialog->showModal();
  FillPaperSizes();
}

void TSetting::AddSettingBitBtnClick() {
  if (!Links.AddSettingDialog) return;
  // The acquisition macro is the one this dialog's acquisition object holds.
  Links.AddSettingDialog->PageSizeMacro = Acquisition.get();
  Links.AddSettingDialog->showModal();
  Links.AddSettingDialog->PageSizeMacro = nullptr;
}

void TSetting::GetPageSizeBitBtnClick() {
  FillDeviceLists();
  if (!Acquisition || !Links.RecognitionForm) return;
  Acquisition->SetAcadExePath(WorkingAcadPath);
  Acquisition->SetAcadArg(AcadArgEdit->text());
  // The dialog's values as they stand, not yet committed.
  const int startWait = base::tryParseInt(AcadStartWaitEdit->text()).value_or(Settings.StartWait);
  if (!acadlink::ConnectAutoCAD(*Acquisition, startWait, acadlink::kPaperCancelMessage,
                                acadlink::kPaperFailureMessage, *Links.RecognitionForm))
    return;
  Acquisition->AcadWaitLimit = base::tryParseInt(AcadWaitLimitEdit->text()).value_or(Settings.AcadWaitLimit);
  Acquisition->SetPacedSend(PacedSendCheckBox->checked());
  Acquisition->PlotterErrForm = Links.PlotterErrForm;
  Acquisition->AcquirePaperNames(P[0].PrtDvCmbBx->items(),
                                 base::tryParseInt(CommandWaitEdit->text()).value_or(Settings.AcadCommandWait),
                                 ProcxyComboBox->itemIndex(), CmdDiaComboBox->itemIndex(), FileDiaComboBox->itemIndex(),
                                 AcadCloseChkBox->checked());
}

}  // namespace printerconfig
