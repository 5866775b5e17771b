#include "platform/drives.h"

namespace platform {
std::vector<std::string> logicalDrives() { return {"/"}; }
}  // namespace platform
