// The drawing as the stand-in knows it, and the small ASCII DXF reader and
// writer behind it. Only what the stand-in answers about is kept: limits,
// DIMSCALE, PSLTSCALE, model or paper space, layouts, text styles. The
// entities are carried along untouched so that a saved drawing keeps them.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace acadsim {

struct TextStyle {
  std::string name;
  int flags = 0;         // bit 1: the "style" is a shape file
  std::string font;      // group 3: font or shape file name
  std::string bigFont;   // group 4: big font file name, may be empty
  bool isShapeFile() const { return (flags & 1) != 0; }
};

// What a layout's page setup (its PLOTSETTINGS groups) tells the plot
// command as its current answers. Empty texts: the first configured
// device, that device's first paper, no style table.
struct PageSetup {
  std::string device;       // group 2
  std::string paper;        // group 4
  std::string styleTable;   // group 7
  bool fit = false;         // flags 16 with standard scale type 0
  double paperUnits = 1;    // group 142: plotted mm ...
  double drawingUnits = 1;  // group 143: ... per these drawing units
  bool portrait = false;    // group 73: rotation 1 or 3
  bool operator==(const PageSetup&) const = default;
};

struct Layout {
  std::string name;
  int tabOrder = 0;
  PageSetup setup;
  bool operator==(const Layout&) const = default;
};

struct Point2 {
  double x = 0;
  double y = 0;
  bool operator==(const Point2&) const = default;
};

struct Drawing {
  Point2 limMin{0, 0};
  Point2 limMax{420, 297};
  double dimScale = 1;
  int psltScale = 1;
  bool tileMode = true;             // true: model space is current
  std::vector<Layout> layouts;      // paper-space layouts in tab order ("Model" excluded)
  std::string currentLayout;        // the layout that paper space shows
  PageSetup modelSetup{{}, {}, {}, true};  // the "Model" layout object's
  std::vector<TextStyle> styles;
  std::vector<std::pair<int, std::string>> entities;  // ENTITIES section as read

  const Layout* findLayout(std::string_view name) const;  // without regard to case
  void sortLayouts();
};

// A new drawing as the stand-in starts it: metric limits, two layouts.
Drawing newDrawing();

// Reads ASCII DXF text (CP932 or UTF-8). nullopt when the text is no DXF
// at all (no SECTION), e.g. a binary DWG or an empty file.
std::optional<Drawing> parseDxf(std::string_view bytes);

// Writes the drawing as ASCII DXF, CP932 where the texts allow it.
std::string writeDxf(const Drawing& d);

// A variable of the HEADER section: its name ("$LIMMIN") and the groups
// after the name.
struct HeaderVariable {
  std::string name;
  std::vector<std::pair<int, std::string>> groups;
};

// The header variables the stand-in keeps (limits, DIMSCALE, TILEMODE,
// PSLTSCALE), as writeDxf writes them.
std::vector<HeaderVariable> headerVariables(const Drawing& d);

// The DXF text with the variables set and every other byte as it was: the
// groups of a variable the header has are replaced, a variable it lacks is
// added at the end of the header, and a text without a header gets one
// before its first section. New lines end and indent their codes as the
// text's own do. nullopt when the text is no DXF or its header never ends.
std::optional<std::string> setHeaderVariables(std::string_view text, const std::vector<HeaderVariable>& vars);

}  // namespace acadsim
