#include "shell/main_settings.h"

#include "base/profile.h"
#include "base/text.h"
#include "plot/plot_options.h"
#include "shell/tmain.h"

namespace shell {

namespace {

// The placeholder of a path or folder not chosen yet.
const std::string kNone = "None";

// Where a value lives: a field of the window, or the state of a control.

MainSetting number(const char* key, int& field, int def) {
  return {key, SettingKind::Number, def, [&field] { return SettingValue(field); },
          [&field](const SettingValue& v) { field = std::get<int>(v); }};
}

MainSetting flag(const char* key, bool& field, bool def) {
  return {key, SettingKind::Flag, def, [&field] { return SettingValue(field); },
          [&field](const SettingValue& v) { field = std::get<bool>(v); }};
}

MainSetting text(const char* key, std::string& field, const std::string& def) {
  return {key, SettingKind::Text, def, [&field] { return SettingValue(field); },
          [&field](const SettingValue& v) { field = std::get<std::string>(v); }};
}

MainSetting checkBox(const char* key, ui::CheckBox& box, bool def) {
  return {key, SettingKind::Flag, def, [&box] { return SettingValue(box.checked()); },
          [&box](const SettingValue& v) { box.setChecked(std::get<bool>(v)); }};
}

MainSetting radioIndex(const char* key, ui::RadioGroup& group, int def) {
  return {key, SettingKind::Number, def, [&group] { return SettingValue(group.itemIndex()); },
          [&group](const SettingValue& v) { group.setItemIndex(std::get<int>(v)); }};
}

MainSetting comboIndex(const char* key, ui::ComboBox& combo, int def) {
  return {key, SettingKind::Number, def, [&combo] { return SettingValue(combo.itemIndex()); },
          [&combo](const SettingValue& v) { combo.setItemIndex(std::get<int>(v)); }};
}

MainSetting editText(const char* key, ui::Edit& edit, const std::string& def) {
  return {key, SettingKind::Text, def, [&edit] { return SettingValue(edit.text()); },
          [&edit](const SettingValue& v) { edit.setText(std::get<std::string>(v)); }};
}

// One side of the window's bounds. Its default is where the window is, so
// that a missing key leaves the window there.
MainSetting windowSide(const char* key, ui::Form& form, int ui::Rect::*side) {
  return {key, SettingKind::Number, form.bounds().*side, [&form, side] { return SettingValue(form.bounds().*side); },
          [&form, side](const SettingValue& v) {
            ui::Rect r = form.bounds();
            r.*side = std::get<int>(v);
            form.setBounds(r);
          }};
}

}  // namespace

std::vector<MainSetting> MainWindowSettings(TMain& m) {
  return {
      windowSide("Top", m, &ui::Rect::top),
      windowSide("Left", m, &ui::Rect::left),
      windowSide("Width", m, &ui::Rect::width),
      windowSide("Height", m, &ui::Rect::height),
      // The link objects get the AutoCAD path and arguments with the window.
      {"AcadExePath", SettingKind::PathOrNone, kNone, [&m] { return SettingValue(m.AcadExePath); },
       [&m](const SettingValue& v) { m.SetAcadExePath(std::get<std::string>(v)); }},
      {"AcadArg", SettingKind::Text, std::string(), [&m] { return SettingValue(m.AcadArg); },
       [&m](const SettingValue& v) { m.SetAcadArg(std::get<std::string>(v)); }},
      text("AcadPrtDvDir", m.AcadPrtDvDir, kNone),
      text("AcadPrtStlDir", m.AcadPrtStlDir, kNone),
      number("AcadCommandWait", m.AcadCommandWait, plot::kDefaultCommandWait),
      number("FileDia", m.FileDia, plot::kDefaultFileDia),
      number("CmdDia", m.CmdDia, plot::kDefaultCmdDia),
      number("Proxynotice", m.Proxynotice, plot::kDefaultProxynotice),
      radioIndex("PrintMode", *m.PrintModeRadioGroup, 1),
      radioIndex("PrintArea", *m.PrintScopeRadioGroup, 0),
      radioIndex("ScaleCalc", *m.ScaleCalcRadioGroup, 1),
      comboIndex("LayoutSizeIndex", *m.LayoutSizeComboBox, 0),
      editText("LayoutAdjust", *m.LayoutAdjustEdit, "100"),
      editText("DimMag", *m.DimMagEdit, "1"),
      text("CurrentBtnSet", m.CurrentBtnSet, "Base"),
      flag("AcadClose", m.AcadClose, true),
      checkBox("ModelScalePrint", *m.ModelScalePrintCheckBox, false),
      checkBox("LayoutScalePrint", *m.LayoutScalePrintCheckBox, false),
      radioIndex("FileSort", *m.FileSortRadioGroup, 0),
      checkBox("ModifySave", *m.ModifySaveCheckBox, false),
      // The options panel, with the caption of the button that opens and closes it.
      {"ModeVisible", SettingKind::Flag, true, [&m] { return SettingValue(m.Panel3->visible()); },
       [&m](const SettingValue& v) { m.ShowModePanel(std::get<bool>(v)); }},
      flag("Psltscale", m.Psltscale, false),
      number("StartWait", m.StartWait, 15),
      checkBox("GetChildFolder", *m.GetChildFolderCheckBox, false),
      checkBox("DwgChoose", *m.DwgCheckBox, true),
      checkBox("DxfChoose", *m.DxfCheckBox, true),
      flag("ScaleWarning", m.ScaleWarning, plot::kDefaultScaleWarning),
      flag("FITOFFSET00", m.FitOffset00, plot::kDefaultFitOffset00),
      flag("ONLYPC3", m.OnlyPc3, true),
      checkBox("LZH", *m.LzhCheckBox, true),
      checkBox("ZIP", *m.ZipCheckBox, false),
      checkBox("UNLZHFOLDER", *m.UnLzhFolderCheckBox, false),
      checkBox("UNLZHFOLDERFIX", *m.UnLzhFolderFixCheckBox, false),
      checkBox("UNLZHADDFOLDER", *m.UnLzhAddFolderCheckBox, false),
      flag("DYNSTOP", m.DynStop, false),
      radioIndex("FONTCONTROL", *m.FontControlRadioGroup, 0),
      editText("REPLASEFONT", *m.FontEdit, plot::kDefaultReplaceFont),
      number("AcadWaitLimit", m.AcadWaitLimit, plot::kDefaultAcadWaitLimit),
      checkBox("UNATTENDED", *m.UnattendedCheckBox, false),
      comboIndex("UNATTENDEDSCALE", *m.UnattendedScaleComboBox, plot::kDefaultUnattendedScale),
      flag("PACEDSEND", m.PacedSend, false),
      text("FIXARCHIVEOPENDIR", m.FixedExtractFolder, "ﾏｲ ｺﾝﾋﾟｭｰﾀ"),
  };
}

SettingValue readMainSetting(const base::ProfileFile& ini, const MainSetting& s) {
  switch (s.kind) {
    case SettingKind::Number:
      return ini.readInt(kMainSection, s.key, std::get<int>(s.defaultValue));
    case SettingKind::Flag:
      return ini.readInt(kMainSection, s.key, std::get<bool>(s.defaultValue) ? 1 : 0) == 1;
    case SettingKind::Text:
    case SettingKind::PathOrNone:
      break;
  }
  return ini.readString(kMainSection, s.key, std::get<std::string>(s.defaultValue));
}

std::string settingText(const MainSetting& s, const SettingValue& v) {
  switch (s.kind) {
    case SettingKind::Number:
      return base::intToStr(std::get<int>(v));
    case SettingKind::Flag:
      return std::get<bool>(v) ? "1" : "0";
    case SettingKind::PathOrNone:
      if (std::get<std::string>(v) == kNone) return std::string();
      break;
    case SettingKind::Text:
      break;
  }
  return std::get<std::string>(v);
}

bool writeMainSetting(base::ProfileFile& ini, const MainSetting& s, const SettingValue& v) {
  return ini.writeString(kMainSection, s.key, settingText(s, v));
}

}  // namespace shell
