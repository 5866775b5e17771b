// Small icons for the gallery's tree, drawn at run time (HICON as a number).
#pragma once
#include <cstdint>

namespace gallery {
enum class IconKind { Folder, Drawing };
std::uintptr_t makeIcon(IconKind kind);
}  // namespace gallery
