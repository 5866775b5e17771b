// The main window: drawing tree, plot buttons, options panel, settings.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "plot/plot_options.h"
#include "plot/run_report.h"
#include "scalecheck/scale_check.h"
#include "ui/widgets.h"

namespace drawings {
class DrawingList;
class ArchiveFolders;
}

namespace acadlink {
class AcadMacro;
class TfControl;
class TGetAutoCADHandleForm;
}

namespace plot {
class Ploter;
class TPlotteingForm;
}

namespace scalecheck {
class TScaleCheckProgressForm;
}

namespace printerconfig {
class TPageSizeForm;
class TSetting;
struct AcadSettings;
class TSettingSaveLoadDlg;
class TAddSettingForm;
class TPlotterErrForm;
}

namespace shell {

class TGetDirDlg;

class TMain : public ui::Form {
 public:
  TMain();
  ~TMain() override;

  // Design placement and the options panel's height.
  static constexpr int kDesignTop = 114, kDesignLeft = 194, kDesignWidth = 505, kDesignHeight = 618;
  static constexpr int kPanelHeight = 293;

  // ---- controls
  ui::TreeView* TreeView1;
  ui::ImageList ImageList1;
  ui::Menu TreePopupMenu;
  ui::MenuItem* DeletePop;
  ui::Label* dwgNoTitleLabel;
  ui::Label* dwgNoLabel;
  ui::Label* BtnSetLabel;
  ui::ComboBox* BtnSetComboBox;
  ui::Button* Ploter1Btn;
  ui::Button* Ploter2Btn;
  ui::Button* Ploter3Btn;
  ui::Button* Ploter4Btn;
  ui::Button* ClearBtn;
  ui::Button* ScaleCheckBitBtn;
  ui::Button* ModeOpenBitBtn;
  ui::Button* QuitBtn;
  ui::Panel* Panel3;
  ui::GroupBox* ModelGroupBox;
  ui::RadioGroup* PrintScopeRadioGroup;
  ui::CheckBox* ModelScalePrintCheckBox;
  ui::RadioGroup* ScaleCalcRadioGroup;
  ui::Label* DimMagLabel;
  ui::Edit* DimMagEdit;
  ui::GroupBox* LayoutGroupBox;
  ui::CheckBox* LayoutScalePrintCheckBox;
  ui::GroupBox* LayoutPrintGroupBox;
  ui::Label* LayoutBaseLabel;
  ui::ComboBox* LayoutSizeComboBox;
  ui::Label* LayoutAdjustLabel;
  ui::Edit* LayoutAdjustEdit;
  ui::Label* LayoutPercentLabel;
  ui::RadioGroup* PrintModeRadioGroup;
  ui::RadioGroup* FileSortRadioGroup;
  ui::RadioGroup* FontControlRadioGroup;
  ui::Edit* FontEdit;
  ui::GroupBox* CollectGroupBox;
  ui::CheckBox* DwgCheckBox;
  ui::CheckBox* DxfCheckBox;
  ui::CheckBox* LzhCheckBox;
  ui::CheckBox* ZipCheckBox;
  ui::CheckBox* GetChildFolderCheckBox;
  ui::CheckBox* ModifySaveCheckBox;
  ui::CheckBox* UnLzhFolderCheckBox;
  ui::CheckBox* UnLzhFolderFixCheckBox;
  ui::Button* FolderFixSpeedButton;
  ui::CheckBox* UnLzhAddFolderCheckBox;
  // "無人運転": the run goes through the batch by itself; beside it the
  // answer its scale questions take, in the order of plot::UnattendedScale.
  ui::CheckBox* UnattendedCheckBox;
  ui::ComboBox* UnattendedScaleComboBox;

  // ---- state
  bool ShownOnce = false;
  std::vector<std::string> RunList;
  std::vector<std::string> LayoutBaseSizes;
  std::vector<std::string> DroppedItems;
  int DwgIconIndex = -1, DxfIconIndex = -1;
  int DrawingCount = 0;
  std::string TempFolder;
  std::string FixedExtractFolder;  // "FIXARCHIVEOPENDIR"
  std::vector<std::string> TempExtractFolders, KeptExtractFolders;
  bool SettingsDialogOpened = false;
  std::string SettingsFilePath, PaperTablePath;
  // The plot batch in progress, kept beside the program (plot::BatchState).
  std::string BatchStatePath;
  bool PdfDone = false;
  // The plot buttons' records (buttons 1 to 4) and the scale check's two
  // macro link objects: created with the window, destroyed at its close.
  std::unique_ptr<plot::Ploter> Ploters[4];
  std::unique_ptr<scalecheck::ScaleCheck> ScaleCheck;
  std::unique_ptr<scalecheck::ScaleSet> ScaleSet;

  // ---- settings held in fields
  // They start with the defaults of the settings table (main_settings.cpp),
  // given by the constructor, as the controls' settings do.
  std::string AcadExePath;
  std::string AcadArg;
  std::string AcadPrtDvDir;
  std::string AcadPrtStlDir;
  int AcadCommandWait{};
  int FileDia{}, CmdDia{}, Proxynotice{};
  std::string CurrentBtnSet;
  bool AcadClose{};
  bool Psltscale{};
  int StartWait{};
  bool ScaleWarning{};
  bool FitOffset00{};
  bool OnlyPc3{};
  bool DynStop{};
  bool PacedSend{};  // "高速送信"
  // Seconds a plot run waits for AutoCAD's prompt or the PDF/DWF helper
  // before it gives up ("AcadWaitLimit").
  int AcadWaitLimit{};
  // What the last plot run did with each drawing.
  plot::RunReport LastPlotReport;
  // The AutoCAD path ("None": not chosen) and its arguments, for the window
  // and every link object.
  void SetAcadExePath(const std::string& path);
  void SetAcadArg(const std::string& arg);

  // ---- print dispatch (plot_dispatch.cpp)
  // Checks the request, connects button n's record (1 to 4) to AutoCAD and
  // runs the plot. Ignored while a run is in progress: the run processes
  // messages, and a second run on the same AutoCAD must not nest in it.
  void PlotButtonClick(int n);
  // Connects button n's record and prints drawings with the options
  // takeOptions gives once connected, the report window and its re-runs
  // after an unattended run included. The batch is kept in BatchStatePath
  // while it runs. continues: an earlier batch's report, whose settled
  // drawings are not printed again.
  void RunPlotBatch(int n, std::vector<std::string> drawings, const std::function<plot::PlotOptions()>& takeOptions,
                    const plot::RunReport* continues = nullptr);
  // The plot options as the main window's settings give them now.
  plot::PlotOptions PlotOptionsNow(bool modifySave);
  // At start-up: a batch that did not end is offered, to continue or drop.
  void OfferUnfinishedBatch();
  // Empties the temporary folder "tmp".
  void EmptyTempFolder();
  void Ploter1BtnClick() { PlotButtonClick(1); }
  void Ploter2BtnClick() { PlotButtonClick(2); }
  void Ploter3BtnClick() { PlotButtonClick(3); }
  void Ploter4BtnClick() { PlotButtonClick(4); }
  // True from the connection of a plot run until it has ended.
  bool Plotting = false;

  // ---- scale check dispatch (scale_dispatch.cpp)
  // Checks the request, connects ScaleCheck to AutoCAD and runs the check;
  // ignored while a plot run or a check is in progress.
  void ScaleCheckBitBtnClick();
  // True from the connection of a check until its window has closed.
  bool Checking = false;

  // ---- operations
  void LoadLayoutSizes();
  void FillButtonSetCombo(const std::string& setName);
  void ApplyButtonSet(const std::string& setName);
  // The PDF/DWF helper's copy-data answer; true answers the sender.
  bool OnHelperAnswer(std::uintptr_t dwData, const std::string& bytes);
  void ToggleModePanel();
  // Shows or hides the options panel, with the caption of its button; the
  // window keeps its size.
  void ShowModePanel(bool on);

  // ---- handlers
  void FormShow();
  void FormClose();
  void BtnSetComboBoxChange();
  void SettingMenuClick();
  // The settings the settings dialog edits, from and into the fields.
  printerconfig::AcadSettings acadSettings() const;
  void applyAcadSettings(const printerconfig::AcadSettings& s);
  void ModeOpenBitBtnClick();
  void ModelScalePrintCheckBoxClick();
  void LayoutScalePrintCheckBoxClick();
  void UnLzhFolderCheckBoxClick();
  void HelpMenuClick();
  void AboutMenuClick();
  void QuitBtnClick();
  void FormDropFiles(const std::vector<std::string>& paths);
  void DeletePopClick();
  void ClearBtnClick();

  // The drawing tree's operations (drop, removal, run list).
  std::unique_ptr<drawings::DrawingList> Drawings;
  // RunList := the tree's drawings in the chosen order.
  void CollectRunList();
  // Dropped archives: their extraction folders and the kept copies.
  std::unique_ptr<drawings::ArchiveFolders> Archives;
  std::string ExtractArchive(const std::string& archive);
  void FolderFixSpeedButtonClick();  // chooses the fixed extraction folder

  // Forms the main window opens; set by the program entry after creating them.
  ui::Form* AboutBox = nullptr;
  printerconfig::TSetting* SettingForm = nullptr;
  TGetDirDlg* GetDirDlg = nullptr;
  printerconfig::TPageSizeForm* PageSizeForm = nullptr;
  plot::TPlotteingForm* PlotteingForm = nullptr;
  scalecheck::TScaleCheckProgressForm* ScaleCheckProgressForm = nullptr;
  printerconfig::TAddSettingForm* AddSettingForm = nullptr;
  printerconfig::TPlotterErrForm* PlotterErrForm = nullptr;
  printerconfig::TSettingSaveLoadDlg* SettingSaveLoadDlg = nullptr;
  acadlink::TGetAutoCADHandleForm* GetAutoCADHandleForm = nullptr;

 private:
  void buildControls();
  void buildMenu();
  void readSettings();
  void writeSettings();
  void applyButtonCaptions();
  void forEachLink(const std::function<void(acadlink::TfControl&)>& fn);
  bool destroyed_ = false;
};

// Marks a run of the main window (Plotting, Checking) for the time of a
// click handler, however it leaves.
struct BusyMark {
  bool& flag;
  explicit BusyMark(bool& f) : flag(f) { flag = true; }
  ~BusyMark() { flag = false; }
  BusyMark(const BusyMark&) = delete;
  BusyMark& operator=(const BusyMark&) = delete;
};

}  // namespace shell
