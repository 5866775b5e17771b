#include "uigallery/gallery_icons.h"

#include <windows.h>

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

}  // namespace gallery
