#include "printerconfig/button_sets.h"

#include "base/paths.h"
#include "platform/context.h"

namespace printerconfig {

std::string ButtonSetFolder() { return platform::programFolder() + "BottonSets" + base::kPathSep; }

std::vector<std::string> ListButtonSets(const std::string& folder) {
  std::vector<std::string> names;
  for (const base::DirEntry& e : base::listFolder(folder)) {
    // The template is matched exactly: a "Base.ini" written by hand is a set.
    if (e.name == "." || e.name == ".." || e.name == "base.ini") continue;
    if (e.name.find(".ini") == std::string::npos) continue;
    names.push_back(base::withoutExtension(e.name));
  }
  return names;
}

}  // namespace printerconfig
