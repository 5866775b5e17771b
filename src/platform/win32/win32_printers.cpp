#include <windows.h>
#include <winspool.h>

#include <vector>

#include "platform/win32/win32_backends.h"
#include "platform/win32/win32_text.h"

namespace platform {

std::vector<std::string> Win32Printers::installedPrinters() {
  std::vector<std::string> out;
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  DWORD needed = 0, count = 0;
  EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &count);
  if (needed == 0) return out;
  std::vector<BYTE> buf(needed);
  if (!EnumPrintersW(flags, nullptr, 4, buf.data(), needed, &needed, &count)) return out;
  const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buf.data());
  for (DWORD i = 0; i < count; ++i)
    if (info[i].pPrinterName) out.push_back(win32text::narrow(info[i].pPrinterName, wcslen(info[i].pPrinterName)));
  return out;
}

}  // namespace platform
