// A window's placement kept in a section of a settings file: "Top",
// "Left", "Width" and "Height", in pixels.
#pragma once
#include <string>

#include "base/profile.h"
#include "ui/widgets.h"

namespace ui {

// A missing or unreadable key keeps that side of the design placement.
Rect ReadPlacement(const base::ProfileFile& ini, const std::string& section, const Rect& design);
// Writes the four keys in the order above.
void WritePlacement(base::ProfileFile& ini, const std::string& section, const Rect& placement);

}  // namespace ui
