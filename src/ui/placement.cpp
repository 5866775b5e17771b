#include "ui/placement.h"

namespace ui {

Rect ReadPlacement(const base::ProfileFile& ini, const std::string& section, const Rect& design) {
  Rect r;
  r.top = ini.readInt(section, "Top", design.top);
  r.left = ini.readInt(section, "Left", design.left);
  r.width = ini.readInt(section, "Width", design.width);
  r.height = ini.readInt(section, "Height", design.height);
  return r;
}

void WritePlacement(base::ProfileFile& ini, const std::string& section, const Rect& placement) {
  ini.writeInt(section, "Top", placement.top);
  ini.writeInt(section, "Left", placement.left);
  ini.writeInt(section, "Width", placement.width);
  ini.writeInt(section, "Height", placement.height);
}

}  // namespace ui
