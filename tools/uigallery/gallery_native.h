// What the gallery needs from the system itself: icons for its tree, drawn at
// run time (HICON as a number), and a drop of files posted to its own window
// to try the drop handling without a file manager.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace gallery {
enum class IconKind { Folder, Drawing };
std::uintptr_t makeIcon(IconKind kind);
// Posts WM_DROPFILES with these paths (UTF-16) to the window.
void postDrop(std::uintptr_t hwnd, const std::vector<std::u16string>& paths);
}  // namespace gallery
