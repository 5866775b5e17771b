#pragma once
#include <string>
#include <vector>

namespace platform {

// The roots the folder choice offers: the logical drives ("C:\") on
// Windows, "/" natively.
std::vector<std::string> logicalDrives();

}  // namespace platform
