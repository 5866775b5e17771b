#include <windows.h>

#include "base/codec.h"
#include "platform/drives.h"

namespace platform {

std::vector<std::string> logicalDrives() {
  std::vector<std::string> out;
  wchar_t buf[512];
  DWORD n = GetLogicalDriveStringsW(511, buf);
  if (n == 0 || n > 511) return out;
  for (const wchar_t* p = buf; *p; p += wcslen(p) + 1)
    out.push_back(base::utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(p))));
  return out;
}

}  // namespace platform
