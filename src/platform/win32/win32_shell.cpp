#include "platform/win32/win32_shell.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win32/win32_text.h"

namespace platform {

namespace {

// Releases a COM interface at the end of its scope.
template <typename T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
  T* operator->() const { return p; }
  void** out() { return reinterpret_cast<void**>(&p); }
};

// Room for the longest path the system allows, so that long targets arrive
// whole.
constexpr int kLongPathChars = 32768;

IconHandle smallIcon(const std::wstring& name, DWORD attributes) {
  SHFILEINFOW info{};
  const UINT flags = SHGFI_ICON | SHGFI_SMALLICON | SHGFI_DISPLAYNAME | SHGFI_USEFILEATTRIBUTES;
  if (!SHGetFileInfoW(name.c_str(), attributes, &info, sizeof info, flags)) return 0;
  return reinterpret_cast<IconHandle>(info.hIcon);
}

}  // namespace

Win32Shell::~Win32Shell() {
  if (comOwned_) CoUninitialize();
}

void Win32Shell::ensureCom() {
  if (comTried_) return;
  comTried_ = true;
  // S_FALSE (already initialised here) must be balanced as well.
  const HRESULT hr = CoInitialize(nullptr);
  comOwned_ = hr == S_OK || hr == S_FALSE;
}

std::optional<std::string> Win32Shell::resolveShortcut(const std::string& linkPath, WindowHandle owner) {
  ensureCom();
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.out())))
    return std::nullopt;
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.out()))) return std::nullopt;
  const std::wstring widePath = win32text::wide(linkPath);
  if (FAILED(file->Load(widePath.c_str(), STGM_READ))) return std::nullopt;
  if (FAILED(link->Resolve(reinterpret_cast<HWND>(owner), SLR_ANY_MATCH))) return std::nullopt;
  std::wstring target(kLongPathChars, L'\0');
  // S_FALSE: the link has no file-system target.
  if (link->GetPath(target.data(), kLongPathChars, nullptr, SLGP_SHORTPATH) != S_OK) return std::nullopt;
  target.resize(wcsnlen(target.c_str(), target.size()));
  if (target.empty()) return std::nullopt;
  return win32text::narrow(target);
}

IconHandle Win32Shell::smallFileIcon(const std::string& extension) {
  // The file need not exist: the shell answers by the kind alone.
  return smallIcon(L"drawing" + win32text::wide(extension), 0);
}

IconHandle Win32Shell::smallFolderIcon() { return smallIcon(L"folder", FILE_ATTRIBUTE_DIRECTORY); }

bool Win32Shell::deleteToRecycleBin(const std::string& path, WindowHandle owner) {
  // The operation takes a list of names, each ended by a NUL, the list by a
  // second one.
  std::wstring from = win32text::wide(path);
  from.push_back(L'\0');
  from.push_back(L'\0');
  SHFILEOPSTRUCTW op{};
  op.hwnd = reinterpret_cast<HWND>(owner);
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION;
  return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted;
}

}  // namespace platform
