// Where the button sets live and which of them the user is offered.
#pragma once
#include <string>
#include <vector>

namespace printerconfig {

// Program folder + "BottonSets" + separator.
std::string ButtonSetFolder();

// The set names of a set folder: every entry whose name contains ".ini",
// without its last extension, except "base.ini", the template every new
// set is copied from, which is never offered. In the order the system
// lists them; sorted lists sort them themselves.
std::vector<std::string> ListButtonSets(const std::string& folder);

}  // namespace printerconfig
