// The settings dialog "Kestrel 環境設定": the four plot buttons of the
// current set (one column each) and, in the lower panel, the program-wide
// AutoCAD settings. OK commits both; Cancel commits nothing of its own.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/widgets.h"

namespace acadlink {
class TfControl;
class TGetAutoCADHandleForm;
}
namespace plot {
class Ploter;
}

namespace printerconfig {

class PageSizeClass;
class TAddSettingForm;
class TPlotterErrForm;
class TSettingSaveLoadDlg;

// The main window's settings that the dialog edits; a copy goes in at show,
// and OK hands the edited copy back.
struct AcadSettings {
  std::string AcadExePath = "None";
  std::string AcadArg;
  std::string AcadPrtDvDir = "None";
  std::string AcadPrtStlDir = "None";
  int AcadCommandWait = 100;
  int StartWait = 15;
  int AcadWaitLimit = 300;
  int FileDia = 1, CmdDia = 1, Proxynotice = 1;
  bool AcadClose = true;
  bool DynStop = false;
  bool PacedSend = false;
  bool Psltscale = false;
  bool ScaleWarning = true;
  bool FitOffset00 = true;
  bool OnlyPc3 = true;
  std::string CurrentBtnSet = "Base";
};

// What the dialog reaches of the rest of the program.
struct SettingLinks {
  plot::Ploter* Ploters[4] = {};
  // Shows plot button n (1 to 4) of the main window with this caption.
  std::function<void(int n, const std::string& caption, bool visible)> ShowPlotButton;
  acadlink::TfControl* ScaleCheck = nullptr;
  acadlink::TfControl* ScaleSet = nullptr;
  // The folder choice: caption and start folder in, the chosen folder out
  // (the start folder on cancel).
  std::function<std::string(const std::string& caption, const std::string& start)> ChooseFolder;
  ui::Form* PaperSizeDialog = nullptr;                  // "用紙定義"
  TSettingSaveLoadDlg* ButtonSetDialog = nullptr;      // "追加 削除"
  TAddSettingForm* AddSettingDialog = nullptr;         // "さらに詳細"
  TPlotterErrForm* PlotterErrForm = nullptr;           // the acquisition's failures
  acadlink::TGetAutoCADHandleForm* RecognitionForm = nullptr;  // for the connection
};

class TSetting : public ui::Form {
 public:
  TSetting(std::string settingsPath, std::string plotIniPath);
  ~TSetting() override;

  static constexpr int kDesignLeft = 120, kDesignTop = 40, kDesignWidth = 800, kDesignHeight = 640;
  // The lower panel adds this much to the window's height while it shows.
  static constexpr int kLowerPanelHeight = 329;

  // One plot button's column; the controls are named "P1NameEdit" …
  // "P4NameEdit" and so on.
  struct ButtonColumn {
    ui::GroupBox* Group;
    ui::CheckBox* ChkBox;             // 使用
    ui::CheckBox* FilePlotChkBox;     // ﾌｧｲﾙ書出し
    ui::CheckBox* StopCheckBox;       // 1枚ずつ
    ui::Edit* NameEdit;               // 表示名
    ui::ComboBox* PrtDvCmbBx;         // 印刷デバイス
    ui::ComboBox* PrtStlCmbBx;        // 印刷スタイルテーブル
    ui::ComboBox* PaperNameCmbBx;     // 用紙名
    ui::ComboBox* PaperComBox;        // ｻｲｽﾞ
    ui::ComboBox* PaperDirectionComBox;  // 横 / 縦
    ui::CheckBox* CenterPrintCheckBox;   // 印刷の中心
    ui::CheckBox* PDFCheckBox;           // PDF,DWF
    ui::Label* OffsetXLabel;
    ui::Edit* OffsetXEdit;
    ui::Label* OffsetYLabel;
    ui::Edit* OffsetYEdit;
    ui::Memo* MacroMemo1;  // モデル
    ui::Memo* MacroMemo2;  // レイアウト
    std::string PaperSize = "000x000";
    bool Modified = false;
  };
  ButtonColumn P[4];

  // Lower panel.
  ui::Panel* LowerPanel;
  ui::Button* SetAcadPathBitBtn;
  ui::Label* ACadPathLabel;
  ui::Edit* AcadArgEdit;
  ui::Edit* PrtDvDirEdit;
  ui::Button* PrtDvDirSetBitBtn;
  ui::Edit* PrtStlDirEdit;
  ui::Button* PrtStlDirSetBitBtn;
  ui::Edit* CommandWaitEdit;
  ui::Edit* AcadStartWaitEdit;
  ui::Edit* AcadWaitLimitEdit;
  ui::ComboBox* FileDiaComboBox;
  ui::ComboBox* CmdDiaComboBox;
  ui::ComboBox* ProcxyComboBox;
  ui::CheckBox* AcadCloseChkBox;
  ui::CheckBox* DYNStopChkBox;
  ui::CheckBox* Psltscale1PutCheckBox;
  ui::CheckBox* ScaleWarningCheckBox;
  ui::CheckBox* FitOffset00CheckBox;
  ui::CheckBox* OnlyPc3CheckBox;
  ui::CheckBox* PacedSendCheckBox;  // 高速送信
  ui::ComboBox* BottonSetComboBox;

  // Buttons.
  ui::Button* OKBitBtn;
  ui::Button* CancelBitBtn;
  ui::Button* CommandEditBitBtn;
  ui::Button* SaveLoadBitBtn;
  ui::Button* PaperSizeBitBtn;
  ui::Button* GetPageSizeBitBtn;
  ui::Button* AddSettingBitBtn;

  // State.
  std::string SettingsPath, PlotIniPath;
  AcadSettings Settings;   // in at show, out at OK
  bool Committed = false;  // OK was pressed at the last show
  std::string WorkingAcadPath = "None";
  std::string CurrentSetName;
  std::vector<std::string> PaperSizeValues;
  std::string FileDialogInitialPath;
  bool FirstShown = false;
  SettingLinks Links;
  // The paper-name acquisition: made at each show over the main settings
  // file (its macro lives there), gone at close.
  std::unique_ptr<PageSizeClass> Acquisition;

  // Routines.
  void FillDeviceLists();
  void FillStyleLists();
  void FillPaperNames(ui::ComboBox& list, const std::string& device);
  void FillPaperSizes();
  void ShowAcadFolder();
  void UpdateOffsetControls();
  void StoreButton(int n);
  void LoadButtonSet(const std::string& setName);
  void ListButtonSets(const std::string& setName);

  // Handlers.
  void FormShow();
  void FormClose();
  void OKBitBtnClick();
  void CancelBitBtnClick();
  void CommandEditBitBtnClick();
  void SetAcadPathBitBtnClick();
  void PrtDvDirSetBitBtnClick();
  void PrtStlDirSetBitBtnClick();
  void GetPageSizeBitBtnClick();
  void PaperSizeBitBtnClick();
  void AddSettingBitBtnClick();
  void SaveLoadBitBtnClick();
  void BottonSetComboBoxDropDown();
  void BottonSetComboBoxChange();
  void OnlyPc3CheckBoxClick();
  void PrtDvCmbBxChange(int n);
  void PaperComBoxChange(int n);
  void CenterPrintCheckBoxClick(int n);
  void ButtonChange(int n);  // any per-button control of button n was edited

 private:
  void buildColumn(int i);
  void buildLowerPanel();
  void setLowerPanel(bool shown);
  // The current set's file gets button n's section.
  void saveButtonToSet(int n);
};

}  // namespace printerconfig
