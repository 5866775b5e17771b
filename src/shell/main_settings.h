// The keys of section "MainWindow" of the settings file, in one table: each
// key's text, kind, default and where its value lives in the main window.
// The window reads the table at its first show and writes it at its close,
// in table order, which is the order of the keys in the file.
#pragma once
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace base {
class ProfileFile;
}

namespace shell {

class TMain;

inline constexpr const char* kMainSection = "MainWindow";

enum class SettingKind {
  Number,      // an integer
  Flag,        // written 1 or 0; only 1 reads as on
  Text,        // written as it is
  PathOrNone,  // text that is "None" while nothing is chosen, written then as an empty value
};

// Number: int, Flag: bool, Text and PathOrNone: std::string.
using SettingValue = std::variant<int, bool, std::string>;

struct MainSetting {
  const char* key;
  SettingKind kind;
  // What a missing key, or a number that does not parse, reads as. The
  // window's sides have the window's place when the table was made.
  SettingValue defaultValue;
  // The value as the window holds it, and the way to give it one.
  std::function<SettingValue()> get;
  std::function<void(const SettingValue&)> set;
};

// The table bound to one main window; its controls must exist.
std::vector<MainSetting> MainWindowSettings(TMain& main);

// One key's value in the file, or the key's default.
SettingValue readMainSetting(const base::ProfileFile& ini, const MainSetting& setting);
// The text the file holds for a value.
std::string settingText(const MainSetting& setting, const SettingValue& value);
// Writes one key. False: the file could not be written. Throws
// base::EncodingError for a text the file's code page cannot hold.
bool writeMainSetting(base::ProfileFile& ini, const MainSetting& setting, const SettingValue& value);

}  // namespace shell
