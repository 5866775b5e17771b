#include "shell/tmain.h"

#include "acadlink/acad_macro.h"
#include "base/codec.h"
#include "base/paths.h"
#include "base/profile.h"
#include "base/text.h"
#include "drawings/archive_folders.h"
#include "drawings/drawing_list.h"
#include "platform/context.h"
#include "plot/batch_state.h"
#include "plot/ploter.h"
#include "printerconfig/button_sets.h"
#include "printerconfig/page_size_form.h"
#include "printerconfig/paper_table.h"
#include "printerconfig/setting_form.h"
#include "scalecheck/scale_check.h"
#include "shell/get_dir_dlg.h"
#include "shell/main_settings.h"
#include "ui/application.h"

namespace shell {

TMain::TMain() : ui::Form("TMain") {
  setCaption("Kestrel 2.30");
  setBounds(kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight);
  buildControls();
  buildMenu();
  // The settings' start values until they are read at the first show. No
  // link object exists yet to be given the AutoCAD path.
  for (const MainSetting& s : MainWindowSettings(*this)) s.set(s.defaultValue);
  onShow = [this] { FormShow(); };
  onStarted = [this] { OfferUnfinishedBatch(); };
  onClose = [this] { FormClose(); };
  onCopyData = [this](std::uintptr_t d, const std::string& b) { return OnHelperAnswer(d, b); };
  Drawings = std::make_unique<drawings::DrawingList>(drawings::DrawingListParts{
      *this, *TreeView1, ImageList1, *dwgNoLabel, *DwgCheckBox, *DxfCheckBox, *GetChildFolderCheckBox,
      *ModifySaveCheckBox, *FileSortRadioGroup, DroppedItems, RunList, TempExtractFolders, KeptExtractFolders,
      DwgIconIndex, DxfIconIndex, DrawingCount});
  Archives = std::make_unique<drawings::ArchiveFolders>(drawings::ArchiveFolderParts{
      *this, *UnLzhFolderCheckBox, *UnLzhFolderFixCheckBox, *UnLzhAddFolderCheckBox, *FolderFixSpeedButton,
      TempFolder, FixedExtractFolder, TempExtractFolders, KeptExtractFolders});
  Drawings->ExtractArchive = [this](const std::string& archive) { return ExtractArchive(archive); };
  FolderFixSpeedButton->onClick = [this] { FolderFixSpeedButtonClick(); };
  onDropFiles = [this](const std::vector<std::string>& paths) { FormDropFiles(paths); };
  DeletePop->onClick = [this] { DeletePopClick(); };
  ClearBtn->onClick = [this] { ClearBtnClick(); };
  Ploter1Btn->onClick = [this] { Ploter1BtnClick(); };
  Ploter2Btn->onClick = [this] { Ploter2BtnClick(); };
  Ploter3Btn->onClick = [this] { Ploter3BtnClick(); };
  Ploter4Btn->onClick = [this] { Ploter4BtnClick(); };

  // Creation, once.
  ShownOnce = false;
  acceptFiles = true;
  const std::string& folder = platform::programFolder();
  SettingsFilePath = folder + "kestrel20.ini";
  PaperTablePath = folder + "plot.ini";
  TempFolder = folder + "tmp";
  BatchStatePath = folder + "kestrel_batch.txt";
  static const char* const sections[] = {"Ploter1Fleld", "Ploter2Fleld", "Ploter3Fleld", "Ploter4Fleld"};
  for (int i = 0; i < 4; ++i) Ploters[i] = std::make_unique<plot::Ploter>(SettingsFilePath, sections[i]);
  ScaleCheck = std::make_unique<scalecheck::ScaleCheck>(SettingsFilePath);
  ScaleSet = std::make_unique<scalecheck::ScaleSet>(SettingsFilePath);
  // An unfinished batch may print drawings extracted into "tmp": then it is
  // emptied when the batch is dropped, or at a later start without one.
  if (base::fileExists(BatchStatePath)) base::createFolder(TempFolder);
  else EmptyTempFolder();
  SettingsDialogOpened = false;
}

TMain::~TMain() = default;

void TMain::buildControls() {
  // Top part: the drawing tree on the left, the commands on the right.
  TreeView1 = make<ui::TreeView>(this);
  TreeView1->setBounds(8, 8, 300, 250);
  TreeView1->images = &ImageList1;
  DeletePop = TreePopupMenu.add("取り消し");
  TreeView1->popupMenu = &TreePopupMenu;

  dwgNoTitleLabel = make<ui::Label>(this);
  dwgNoTitleLabel->setCaption("図面枚数");
  dwgNoTitleLabel->setBounds(318, 10, 60, 16);
  dwgNoLabel = make<ui::Label>(this);
  dwgNoLabel->setCaption("0");
  dwgNoLabel->setBounds(384, 10, 60, 16);

  BtnSetLabel = make<ui::Label>(this);
  BtnSetLabel->setCaption("印刷ボタンセット");
  BtnSetLabel->setBounds(318, 32, 120, 16);
  BtnSetComboBox = make<ui::ComboBox>(this);
  BtnSetComboBox->setSorted(true);
  BtnSetComboBox->setBounds(318, 50, 168, 22);
  BtnSetComboBox->onChange = [this] { BtnSetComboBoxChange(); };

  ui::Button** plotButtons[] = {&Ploter1Btn, &Ploter2Btn, &Ploter3Btn, &Ploter4Btn};
  for (int i = 0; i < 4; ++i) {
    ui::Button* b = make<ui::Button>(this);
    b->setBounds(318, 80 + i * 32, 168, 28);
    b->setCaption("PloterName");
    b->setVisible(false);
    *plotButtons[i] = b;
  }

  ClearBtn = make<ui::Button>(this);
  ClearBtn->setCaption("クリア");
  ClearBtn->setBounds(318, 210, 82, 24);
  ScaleCheckBitBtn = make<ui::Button>(this);
  ScaleCheckBitBtn->setCaption("尺度");
  ScaleCheckBitBtn->setBounds(404, 210, 82, 24);
  ScaleCheckBitBtn->onClick = [this] { ScaleCheckBitBtnClick(); };
  ModeOpenBitBtn = make<ui::Button>(this);  // caption: ShowModePanel
  ModeOpenBitBtn->setBounds(318, 238, 82, 24);
  ModeOpenBitBtn->onClick = [this] { ModeOpenBitBtnClick(); };
  QuitBtn = make<ui::Button>(this);
  QuitBtn->setCaption("終了");
  QuitBtn->setBounds(404, 238, 82, 24);
  QuitBtn->onClick = [this] { QuitBtnClick(); };

  // The options panel.
  Panel3 = make<ui::Panel>(this);
  Panel3->setBounds(0, 266, 497, kPanelHeight);

  ModelGroupBox = make<ui::GroupBox>(Panel3);
  ModelGroupBox->setCaption("モデル印刷設定");
  ModelGroupBox->setBounds(4, 2, 262, 132);
  PrintScopeRadioGroup = make<ui::RadioGroup>(ModelGroupBox);
  PrintScopeRadioGroup->setCaption("印刷範囲");
  PrintScopeRadioGroup->setItems({"オブジェクト範囲", "図面範囲", "窓"});
  PrintScopeRadioGroup->setBounds(6, 18, 124, 82);
  ModelScalePrintCheckBox = make<ui::CheckBox>(ModelGroupBox);
  ModelScalePrintCheckBox->setCaption("尺度計算印刷");
  ModelScalePrintCheckBox->setBounds(134, 18, 124, 18);
  ModelScalePrintCheckBox->onClick = [this] { ModelScalePrintCheckBoxClick(); };
  ScaleCalcRadioGroup = make<ui::RadioGroup>(ModelGroupBox);
  ScaleCalcRadioGroup->setCaption("印刷尺度計算");
  ScaleCalcRadioGroup->setItems({"図面範囲から計算", "DIMSCALE 倍率"});
  ScaleCalcRadioGroup->setBounds(134, 38, 124, 62);
  DimMagLabel = make<ui::Label>(ModelGroupBox);
  DimMagLabel->setCaption("倍率");
  DimMagLabel->setBounds(136, 108, 30, 16);
  DimMagEdit = make<ui::Edit>(ModelGroupBox);
  DimMagEdit->setBounds(170, 104, 60, 21);

  LayoutGroupBox = make<ui::GroupBox>(Panel3);
  LayoutGroupBox->setCaption("レイアウト印刷設定");
  LayoutGroupBox->setBounds(270, 2, 222, 132);
  LayoutScalePrintCheckBox = make<ui::CheckBox>(LayoutGroupBox);
  LayoutScalePrintCheckBox->setCaption("ﾚｲｱｳﾄ用紙合せ印刷");
  LayoutScalePrintCheckBox->setBounds(8, 18, 200, 18);
  LayoutScalePrintCheckBox->onClick = [this] { LayoutScalePrintCheckBoxClick(); };
  LayoutPrintGroupBox = make<ui::GroupBox>(LayoutGroupBox);
  LayoutPrintGroupBox->setCaption("ﾚｲｱｳﾄ印刷");
  LayoutPrintGroupBox->setBounds(6, 40, 210, 86);
  LayoutBaseLabel = make<ui::Label>(LayoutPrintGroupBox);
  LayoutBaseLabel->setCaption("ﾍﾞｰｽ用紙ｻｲｽﾞ");
  LayoutBaseLabel->setBounds(8, 24, 80, 16);
  LayoutSizeComboBox = make<ui::ComboBox>(LayoutPrintGroupBox);
  LayoutSizeComboBox->setBounds(90, 20, 112, 22);
  LayoutAdjustLabel = make<ui::Label>(LayoutPrintGroupBox);
  LayoutAdjustLabel->setCaption("微調整");
  LayoutAdjustLabel->setBounds(8, 56, 80, 16);
  LayoutAdjustEdit = make<ui::Edit>(LayoutPrintGroupBox);
  LayoutAdjustEdit->setBounds(90, 52, 60, 21);
  LayoutPercentLabel = make<ui::Label>(LayoutPrintGroupBox);
  LayoutPercentLabel->setCaption("%");
  LayoutPercentLabel->setBounds(154, 56, 20, 16);

  PrintModeRadioGroup = make<ui::RadioGroup>(Panel3);
  PrintModeRadioGroup->setCaption("印刷モード");
  PrintModeRadioGroup->setItems({"モデル,レイアウト混在", "レイアウトのみすべて"});
  PrintModeRadioGroup->setBounds(4, 138, 162, 66);
  FileSortRadioGroup = make<ui::RadioGroup>(Panel3);
  FileSortRadioGroup->setCaption("ファイル名ソート");
  FileSortRadioGroup->setItems({"昇順", "降順", "選択順"});
  FileSortRadioGroup->setBounds(170, 138, 150, 66);
  FileSortRadioGroup->columns = 1;
  FontControlRadioGroup = make<ui::RadioGroup>(Panel3);
  FontControlRadioGroup->setCaption("フォントないとき");
  FontControlRadioGroup->setItems({"何もしない", "なし", "置換"});
  FontControlRadioGroup->setBounds(324, 138, 168, 66);
  FontEdit = make<ui::Edit>(Panel3);
  FontEdit->setBounds(324, 208, 168, 21);
  UnattendedCheckBox = make<ui::CheckBox>(Panel3);
  UnattendedCheckBox->setCaption("無人運転");
  UnattendedCheckBox->setBounds(326, 236, 160, 18);
  UnattendedCheckBox->setHint("メッセージで止まらずに印刷し、最後に印刷結果を表示します");
  UnattendedScaleComboBox = make<ui::ComboBox>(Panel3);
  UnattendedScaleComboBox->setItems({"尺度合わせ印刷", "自動尺度印刷", "印刷しない"});
  UnattendedScaleComboBox->setBounds(324, 258, 168, 22);
  UnattendedScaleComboBox->setHint("無人運転で尺度が確かでない図面の扱い");

  CollectGroupBox = make<ui::GroupBox>(Panel3);
  CollectGroupBox->setCaption("ファイル選択");
  CollectGroupBox->setBounds(4, 206, 316, 84);
  struct Box {
    ui::CheckBox** box;
    const char* caption;
    int x, y, w;
  };
  Box boxes[] = {
      {&DwgCheckBox, "DWG選択", 6, 18, 74},
      {&DxfCheckBox, "Dxf選択", 80, 18, 74},
      {&LzhCheckBox, "LZH解凍", 154, 18, 74},
      {&ZipCheckBox, "Zip解凍", 228, 18, 74},
      {&GetChildFolderCheckBox, "子ﾌｫﾙﾀﾞも選択", 6, 39, 104},
      {&ModifySaveCheckBox, "印刷ﾃﾞﾊﾞｲｽを保存", 106, 39, 118},
      {&UnLzhAddFolderCheckBox, "ﾌｫﾙﾀﾞ付解凍", 226, 39, 86},
      {&UnLzhFolderCheckBox, "解凍後ﾌｧｲﾙ保存", 6, 60, 104},
      {&UnLzhFolderFixCheckBox, "解凍ﾌｫﾙﾀﾞ固定", 110, 60, 104},
  };
  for (const Box& b : boxes) {
    ui::CheckBox* c = make<ui::CheckBox>(CollectGroupBox);
    c->setCaption(b.caption);
    c->setBounds(b.x, b.y, b.w, 18);
    *b.box = c;
  }
  UnLzhFolderCheckBox->onClick = [this] { UnLzhFolderCheckBoxClick(); };
  FolderFixSpeedButton = make<ui::Button>(CollectGroupBox);
  FolderFixSpeedButton->setCaption("...");
  FolderFixSpeedButton->flat = true;
  FolderFixSpeedButton->setBounds(214, 59, 22, 20);
}

void TMain::buildMenu() {
  menu = std::make_unique<ui::Menu>();
  ui::MenuItem* file = menu->add("ファイル");
  file->add("終了", [this] { QuitBtnClick(); });
  ui::MenuItem* settings = menu->add("設定");
  settings->add("環境設定", [this] { SettingMenuClick(); });
  ui::MenuItem* help = menu->add("ヘルプ");
  help->add("ヘルプファイル表示", [this] { HelpMenuClick(); });
  help->add("バージョン情報", [this] { AboutMenuClick(); });
}

// ---------------------------------------------------------------- show / close

void TMain::FormShow() {
  LoadLayoutSizes();
  if (ShownOnce) return;
  ShownOnce = true;
  readSettings();
  DwgIconIndex = -1;
  DxfIconIndex = -1;
  dwgNoLabel->setCaption(base::intToStr(static_cast<long long>(RunList.size())));
  ApplyButtonSet(CurrentBtnSet);
  ModelScalePrintCheckBoxClick();
  LayoutScalePrintCheckBoxClick();
  FillButtonSetCombo(CurrentBtnSet);
  UnLzhFolderCheckBoxClick();
  FolderFixSpeedButton->setHint(FixedExtractFolder);
}

void TMain::readSettings() {
  const base::ProfileFile ini(SettingsFilePath);
  for (const MainSetting& s : MainWindowSettings(*this)) s.set(readMainSetting(ini, s));
}

void TMain::writeSettings() {
  base::ProfileFile ini(SettingsFilePath);
  // Each key is written on its own, so one value that cannot be stored does
  // not cost the others; what failed is told once at the end.
  std::vector<std::string> failed;
  bool unwritable = false;
  for (const MainSetting& s : MainWindowSettings(*this)) {
    const SettingValue v = s.get();
    try {
      if (!writeMainSetting(ini, s, v)) unwritable = true;
    } catch (const base::EncodingError&) {
      failed.push_back(std::string(s.key) + "=" + settingText(s, v));
    }
  }
  if (unwritable) {
    ui::showMessage(this, "設定ファイルに書き込めませんでした。\r\n" + SettingsFilePath);
  } else if (!failed.empty()) {
    std::string text = "次の設定は保存できない文字を含むため保存しませんでした。";
    for (const std::string& f : failed) text += "\r\n" + f;
    ui::showMessage(this, text);
  }
}

void TMain::FormClose() {
  if (destroyed_) return;
  destroyed_ = true;
  writeSettings();
  if (SettingsDialogOpened)
    for (auto& p : Ploters)
      if (p) p->SaveButton(CurrentBtnSet);
  RunList.clear();
  LayoutBaseSizes.clear();
  // The macro objects write their macros back as they go.
  for (auto& p : Ploters) p.reset();
  ScaleCheck.reset();
  ScaleSet.reset();
  DroppedItems.clear();
  TempExtractFolders.clear();
  KeptExtractFolders.clear();
}

// ---------------------------------------------------------------- operations

void TMain::LoadLayoutSizes() {
  const std::string remembered = LayoutSizeComboBox->text();
  LayoutBaseSizes.clear();
  LayoutSizeComboBox->clear();
  printerconfig::PaperTable table = printerconfig::ReadPaperTable(PaperTablePath);
  LayoutBaseSizes = std::move(table.sizes);
  LayoutSizeComboBox->setItems(std::move(table.names));
  int found = -1;
  for (int i = 0; i < LayoutSizeComboBox->count(); ++i)
    if (LayoutSizeComboBox->items()[i] == remembered) {
      found = i;
      break;
    }
  LayoutSizeComboBox->setItemIndex(found);
}

void TMain::FillButtonSetCombo(const std::string& setName) {
  BtnSetComboBox->clear();
  for (const std::string& name : printerconfig::ListButtonSets(printerconfig::ButtonSetFolder()))
    BtnSetComboBox->addItem(name);
  BtnSetComboBox->setItemIndex(BtnSetComboBox->indexOf(setName));
}

void TMain::ApplyButtonSet(const std::string& setName) {
  CurrentBtnSet = setName;
  for (auto& p : Ploters)
    if (p) p->LoadButton(setName);
  applyButtonCaptions();
}

void TMain::applyButtonCaptions() {
  ui::Button* const buttons[] = {Ploter1Btn, Ploter2Btn, Ploter3Btn, Ploter4Btn};
  for (int i = 0; i < 4; ++i) {
    if (!Ploters[i]) continue;
    buttons[i]->setCaption(Ploters[i]->GetUserName());
    buttons[i]->setVisible(Ploters[i]->GetAvailable());
  }
}

void TMain::forEachLink(const std::function<void(acadlink::TfControl&)>& fn) {
  for (auto& p : Ploters)
    if (p) fn(*p);
  if (ScaleCheck) fn(*ScaleCheck);
  if (ScaleSet) fn(*ScaleSet);
}

bool TMain::OnHelperAnswer(std::uintptr_t, const std::string& bytes) {
  // A zero-terminated text; at most 255 characters are looked at.
  std::string text = bytes.substr(0, bytes.find('\0'));
  if (text.size() > 255) text.resize(255);
  if (text == "success") {
    PdfDone = true;
  } else if (text == "failure") {
    // An unattended run notes it with the drawing instead of waiting on a box.
    plot::PlotRunState* unattended = nullptr;
    for (auto& p : Ploters)
      if (p && p->Run && p->Run->Unattended()) unattended = p->Run;
    if (unattended) plot::NoteDrawing(*unattended, "本図は変換できませんでした。");
    else ui::messageBox(this, "本図は変換できませんでした。", ui::kWrenlyCaption);
    PdfDone = true;
  }
  return true;
}

void TMain::ToggleModePanel() {
  const ui::Rect b = bounds();
  const bool on = !Panel3->visible();
  setBounds(b.left, b.top, b.width, b.height + (on ? kPanelHeight : -kPanelHeight));
  ShowModePanel(on);
}

void TMain::ShowModePanel(bool on) {
  Panel3->setVisible(on);
  ModeOpenBitBtn->setCaption(on ? "閉じる" : "開く");
}

void TMain::SetAcadExePath(const std::string& path) {
  AcadExePath = path;
  forEachLink([&](acadlink::TfControl& l) { l.SetAcadExePath(path); });
}

void TMain::SetAcadArg(const std::string& arg) {
  AcadArg = arg;
  forEachLink([&](acadlink::TfControl& l) { l.SetAcadArg(arg); });
}

// ---------------------------------------------------------------- handlers

void TMain::BtnSetComboBoxChange() { ApplyButtonSet(BtnSetComboBox->text()); }

printerconfig::AcadSettings TMain::acadSettings() const {
  printerconfig::AcadSettings s;
  s.AcadExePath = AcadExePath;
  s.AcadArg = AcadArg;
  s.AcadPrtDvDir = AcadPrtDvDir;
  s.AcadPrtStlDir = AcadPrtStlDir;
  s.AcadCommandWait = AcadCommandWait;
  s.StartWait = StartWait;
  s.AcadWaitLimit = AcadWaitLimit;
  s.FileDia = FileDia;
  s.CmdDia = CmdDia;
  s.Proxynotice = Proxynotice;
  s.AcadClose = AcadClose;
  s.DynStop = DynStop;
  s.PacedSend = PacedSend;
  s.Psltscale = Psltscale;
  s.ScaleWarning = ScaleWarning;
  s.FitOffset00 = FitOffset00;
  s.OnlyPc3 = OnlyPc3;
  s.CurrentBtnSet = CurrentBtnSet;
  return s;
}

void TMain::applyAcadSettings(const printerconfig::AcadSettings& s) {
  // The links got the path and switches from the dialog already.
  AcadExePath = s.AcadExePath;
  AcadArg = s.AcadArg;
  AcadPrtDvDir = s.AcadPrtDvDir;
  AcadPrtStlDir = s.AcadPrtStlDir;
  AcadCommandWait = s.AcadCommandWait;
  StartWait = s.StartWait;
  AcadWaitLimit = s.AcadWaitLimit;
  FileDia = s.FileDia;
  CmdDia = s.CmdDia;
  Proxynotice = s.Proxynotice;
  AcadClose = s.AcadClose;
  DynStop = s.DynStop;
  PacedSend = s.PacedSend;
  Psltscale = s.Psltscale;
  ScaleWarning = s.ScaleWarning;
  FitOffset00 = s.FitOffset00;
  OnlyPc3 = s.OnlyPc3;
  CurrentBtnSet = s.CurrentBtnSet;
}

void TMain::SettingMenuClick() {
  if (SettingForm) {
    printerconfig::SettingLinks& l = SettingForm->Links;
    for (int i = 0; i < 4; ++i) l.Ploters[i] = Ploters[i].get();
    l.ShowPlotButton = [this](int n, const std::string& caption, bool visible) {
      ui::Button* const buttons[] = {Ploter1Btn, Ploter2Btn, Ploter3Btn, Ploter4Btn};
      buttons[n - 1]->setCaption(caption);
      buttons[n - 1]->setVisible(visible);
    };
    l.ScaleCheck = ScaleCheck.get();
    l.ScaleSet = ScaleSet.get();
    if (GetDirDlg)
      l.ChooseFolder = [this](const std::string& caption, const std::string& start) {
        return GetDirDlg->choose(caption, start);
      };
    l.PaperSizeDialog = PageSizeForm;
    l.ButtonSetDialog = SettingSaveLoadDlg;
    l.AddSettingDialog = AddSettingForm;
    l.PlotterErrForm = PlotterErrForm;
    l.RecognitionForm = GetAutoCADHandleForm;
    SettingForm->Settings = acadSettings();
    SettingForm->showModal();
    if (SettingForm->Committed) applyAcadSettings(SettingForm->Settings);
  }
  LoadLayoutSizes();
  FillButtonSetCombo(CurrentBtnSet);
  SettingsDialogOpened = true;
}

void TMain::ModeOpenBitBtnClick() { ToggleModePanel(); }

void TMain::ModelScalePrintCheckBoxClick() {
  const bool on = ModelScalePrintCheckBox->checked();
  ScaleCalcRadioGroup->setEnabled(on);
  DimMagEdit->setEnabled(on);
}

void TMain::LayoutScalePrintCheckBoxClick() {
  const bool on = LayoutScalePrintCheckBox->checked();
  LayoutBaseLabel->setEnabled(on);
  LayoutSizeComboBox->setEnabled(on);
  LayoutAdjustLabel->setEnabled(on);
  LayoutAdjustEdit->setEnabled(on);
}

void TMain::UnLzhFolderCheckBoxClick() {
  const bool on = UnLzhFolderCheckBox->checked();
  UnLzhFolderFixCheckBox->setEnabled(on);
  FolderFixSpeedButton->setEnabled(on);
}

void TMain::HelpMenuClick() {
  platform::processes().shellOpen(platform::programFolder() + "help" + base::kPathSep + "Kestrelhelp.html",
                                  handle());
}

void TMain::AboutMenuClick() {
  if (AboutBox) AboutBox->showModal();
}

void TMain::QuitBtnClick() { close(); }

// ---------------------------------------------------------------- start-up

void TMain::EmptyTempFolder() {
  base::removeTree(TempFolder);
  base::createFolder(TempFolder);
}

void TMain::OfferUnfinishedBatch() {
  if (!base::fileExists(BatchStatePath)) return;
  std::string bytes;
  std::optional<plot::BatchState> state;
  if (base::readFileBytes(BatchStatePath, bytes)) state = plot::ParseBatchState(bytes);
  if (!state) {
    // Told once: set aside, it is not found again at the next start.
    const std::string aside = base::withoutExtension(BatchStatePath) + ".bad.txt";
    const bool setAside = base::moveFile(BatchStatePath, aside);
    if (!setAside) base::removeFile(BatchStatePath);
    ui::showMessage(this, "前回の印刷の記録\r\n" + BatchStatePath + "\r\nを読み取れませんでした。前回の印刷は続けられません。" +
                              (setAside ? "\r\n記録は " + aside + " に移しました。" : std::string()));
    EmptyTempFolder();
    return;
  }
  const plot::RunReport& report = state->Report;
  const int left = plot::DrawingsLeft(report);
  std::string text = "前回の印刷が最後まで終わっていません。\r\n\r\nボタン : " + report.Button + "\r\n開始 : " +
                     report.Started + "\r\n図面 " + base::intToStr(static_cast<long long>(report.Drawings.size())) +
                     " 枚のうち、残りは " + base::intToStr(left) + " 枚です。";
  if (state->Current >= 0)
    text += "\r\n（" + base::fileNameAnySep(report.Drawings[static_cast<size_t>(state->Current)].Path) +
            " の印刷中に終わったため、この図面は初めから印刷し直します）";
  text += "\r\n\r\n残りの図面を同じボタンと設定で印刷しますか？\r\n「いいえ」を選ぶと、この記録を破棄します。";
  if (left == 0 ||
      ui::messageBox(this, text, ui::kMessageCaption, ui::MsgButtons::YesNo) != ui::MsgResult::Yes) {
    base::removeFile(BatchStatePath);
    EmptyTempFolder();
    return;
  }
  plot::RunReport continued = report;
  if (state->Current >= 0) {
    plot::DrawingRecord& r = continued.Drawings[static_cast<size_t>(state->Current)];
    r = plot::DrawingRecord{r.Path, plot::DrawingOutcome::NotReached, 0, {}, "前回はこの図面の印刷中に終わったため、印刷し直し"};
  }
  std::vector<std::string> drawings;
  for (const plot::DrawingRecord& r : continued.Drawings) drawings.push_back(r.Path);
  const plot::PlotOptions options = state->Options;
  // The AutoCAD the batch was printing on may still be running, perhaps
  // halfway through a command: it goes on there rather than being refused
  // as one the program did not start.
  Ploters[state->Button - 1]->TakeOverAutoCAD(state->Acad);
  RunPlotBatch(state->Button, drawings, [&options] { return options; }, &continued);
}

void TMain::FormDropFiles(const std::vector<std::string>& paths) { Drawings->OnFilesDropped(paths); }

void TMain::DeletePopClick() { Drawings->DeletePopClick(); }

void TMain::ClearBtnClick() { Drawings->ClearBtnClick(); }

void TMain::CollectRunList() { Drawings->CollectRunList(); }

std::string TMain::ExtractArchive(const std::string& archive) { return Archives->ExtractArchive(archive); }

void TMain::FolderFixSpeedButtonClick() { Archives->ChooseFixedFolder(); }

}  // namespace shell
