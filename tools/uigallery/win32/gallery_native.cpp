#include "uigallery/gallery_native.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

namespace gallery {

namespace {
void fill(HDC dc, int l, int t, int r, int b, COLORREF c) {
  RECT rc{l, t, r, b};
  HBRUSH br = CreateSolidBrush(c);
  FillRect(dc, &rc, br);
  DeleteObject(br);
}
}  // namespace

std::uintptr_t makeIcon(IconKind kind) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP color = CreateCompatibleBitmap(screen, 16, 16);
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
  // Colour: black where transparent; mask: white where transparent.
  for (int pass = 0; pass < 2; ++pass) {
    bool isMask = pass == 1;
    HGDIOBJ old = SelectObject(dc, isMask ? mask : color);
    fill(dc, 0, 0, 16, 16, isMask ? RGB(255, 255, 255) : RGB(0, 0, 0));
    auto paint = [&](int l, int t, int r, int b, COLORREF c) { fill(dc, l, t, r, b, isMask ? RGB(0, 0, 0) : c); };
    if (kind == IconKind::Folder) {
      paint(1, 3, 7, 5, RGB(200, 150, 30));
      paint(1, 5, 15, 14, RGB(150, 110, 20));
      paint(2, 6, 14, 13, RGB(250, 210, 80));
    } else {
      paint(3, 1, 13, 15, RGB(60, 60, 60));
      paint(4, 2, 12, 14, RGB(255, 255, 255));
      paint(5, 4, 11, 5, RGB(40, 90, 200));
      paint(5, 7, 11, 8, RGB(40, 90, 200));
      paint(5, 10, 9, 11, RGB(40, 90, 200));
    }
    SelectObject(dc, old);
  }
  ICONINFO ii{};
  ii.fIcon = TRUE;
  ii.hbmMask = mask;
  ii.hbmColor = color;
  HICON icon = CreateIconIndirect(&ii);
  DeleteObject(mask);
  DeleteObject(color);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return reinterpret_cast<std::uintptr_t>(icon);
}

void postDrop(std::uintptr_t hwnd, const std::vector<std::u16string>& paths) {
  size_t chars = 1;  // the list ends with an empty name
  for (auto& p : paths) chars += p.size() + 1;
  HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(mem));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES));
  for (auto& p : paths) {
    std::memcpy(out, p.data(), p.size() * sizeof(wchar_t));
    out += p.size() + 1;
  }
  GlobalUnlock(mem);
  PostMessageW(reinterpret_cast<HWND>(hwnd), WM_DROPFILES, reinterpret_cast<WPARAM>(mem), 0);
}

}  // namespace gallery
