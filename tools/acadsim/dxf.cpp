#include "acadsim/dxf.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>

#include "base/codec.h"
#include "base/numbers.h"
#include "base/text.h"

namespace acadsim {

namespace {

using Pair = std::pair<int, std::string>;

// Group code / value lines. A line that should be a code and is not is
// skipped, so that a stray line does not shift every pair after it.
std::vector<Pair> readPairs(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
      lines.emplace_back(text.substr(start, i - start));
      if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  std::vector<Pair> pairs;
  for (size_t i = 0; i + 1 < lines.size();) {
    auto code = base::tryParseInt(lines[i]);
    if (!code) {
      ++i;
      continue;
    }
    pairs.emplace_back(static_cast<int>(*code), base::trim(lines[i + 1]));
    i += 2;
  }
  return pairs;
}

struct Record {
  std::string type;
  std::vector<Pair> groups;
  const std::string* first(int code) const {
    for (auto& g : groups)
      if (g.first == code) return &g.second;
    return nullptr;
  }
};

double num(const std::string& s, double fallback) {
  auto v = base::tryParseNumber(s);
  return v ? *v : fallback;
}

int integer(const std::string& s, int fallback) {
  auto v = base::tryParseInt(s);
  if (v) return static_cast<int>(*v);
  auto d = base::tryParseNumber(s);  // "1.0" from a sloppy writer
  return d ? static_cast<int>(*d) : fallback;
}

void readHeader(const std::vector<Pair>& pairs, size_t& i, Drawing& d) {
  std::string var;
  for (; i < pairs.size(); ++i) {
    const auto& [code, value] = pairs[i];
    if (code == 0) return;  // ENDSEC
    if (code == 9) {
      var = base::asciiUpper(value);
      continue;
    }
    if (var == "$LIMMIN") {
      if (code == 10) d.limMin.x = num(value, d.limMin.x);
      if (code == 20) d.limMin.y = num(value, d.limMin.y);
    } else if (var == "$LIMMAX") {
      if (code == 10) d.limMax.x = num(value, d.limMax.x);
      if (code == 20) d.limMax.y = num(value, d.limMax.y);
    } else if (var == "$DIMSCALE" && code == 40) {
      d.dimScale = num(value, d.dimScale);
    } else if (var == "$TILEMODE" && code == 70) {
      d.tileMode = integer(value, 1) != 0;
    } else if (var == "$PSLTSCALE" && code == 70) {
      d.psltScale = integer(value, 1);
    }
  }
}

// Records of a section: from one group 0 to the next.
std::vector<Record> readRecords(const std::vector<Pair>& pairs, size_t& i) {
  std::vector<Record> out;
  for (; i < pairs.size(); ++i) {
    const auto& [code, value] = pairs[i];
    if (code == 0) {
      if (base::equalsNoCase(value, "ENDSEC")) return out;
      out.push_back(Record{base::asciiUpper(value), {}});
    } else if (!out.empty()) {
      out.back().groups.emplace_back(code, value);
    }
  }
  return out;
}

struct LayoutObject {
  std::string name;
  int tabOrder = 0;
  std::string blockRecord;
  PageSetup setup;
};

LayoutObject readLayout(const Record& r) {
  LayoutObject l;
  bool inLayout = false;  // after "100 AcDbLayout": the page setup also has a group 1
  std::string anyName;
  int plotFlags = 0, standardScale = -1;
  for (auto& [code, value] : r.groups) {
    if (code == 100) inLayout = base::equalsNoCase(value, "AcDbLayout");
    if (!inLayout) {
      if (code == 2) l.setup.device = value;
      if (code == 4) l.setup.paper = value;
      if (code == 7) l.setup.styleTable = value;
      if (code == 70) plotFlags = integer(value, 0);
      if (code == 73) l.setup.portrait = integer(value, 0) % 2 == 1;
      if (code == 75) standardScale = integer(value, -1);
      if (code == 142) l.setup.paperUnits = num(value, 1);
      if (code == 143) l.setup.drawingUnits = num(value, 1);
    }
    if (code == 1) {
      if (inLayout) l.name = value;
      anyName = value;
    }
    if (inLayout && code == 71) l.tabOrder = integer(value, 0);
    if (inLayout && code == 330) l.blockRecord = value;
  }
  if (l.name.empty()) l.name = anyName;
  l.setup.fit = (plotFlags & 16) != 0 && standardScale == 0;
  if (l.setup.paperUnits <= 0 || l.setup.drawingUnits <= 0) l.setup.paperUnits = l.setup.drawingUnits = 1;
  return l;
}

std::string toUtf8(std::string_view bytes) {
  if (base::sanitizeUtf8(bytes) == bytes) return std::string(bytes);
  return base::cp932ToUtf8(bytes);
}

std::string hex(unsigned v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", v);
  return buf;
}

}  // namespace

const Layout* Drawing::findLayout(std::string_view name) const {
  for (auto& l : layouts)
    if (base::equalsNoCase(l.name, name)) return &l;
  return nullptr;
}

void Drawing::sortLayouts() {
  std::stable_sort(layouts.begin(), layouts.end(),
                   [](const Layout& a, const Layout& b) { return a.tabOrder < b.tabOrder; });
}

Drawing newDrawing() {
  Drawing d;
  d.layouts = {{"Layout1", 1, {}}, {"Layout2", 2, {}}};
  d.currentLayout = "Layout1";
  d.styles = {{"Standard", 0, "txt", "bigfont.shx"}};
  return d;
}

std::optional<Drawing> parseDxf(std::string_view bytes) {
  const std::string text = toUtf8(bytes);
  const auto pairs = readPairs(text);
  Drawing d;
  d.limMax = {12, 9};  // what a drawing without limits of its own has
  bool sawSection = false;
  bool sawLayouts = false;
  std::vector<std::pair<std::string, std::string>> blockRecords;  // handle, name
  std::vector<LayoutObject> layouts;

  for (size_t i = 0; i < pairs.size(); ++i) {
    if (pairs[i].first != 0 || !base::equalsNoCase(pairs[i].second, "SECTION")) continue;
    if (i + 1 >= pairs.size() || pairs[i + 1].first != 2) continue;
    sawSection = true;
    const std::string name = base::asciiUpper(pairs[i + 1].second);
    i += 2;
    if (name == "HEADER") {
      readHeader(pairs, i, d);
      continue;
    }
    if (name == "ENTITIES") {
      for (; i < pairs.size(); ++i) {
        if (pairs[i].first == 0 && base::equalsNoCase(pairs[i].second, "ENDSEC")) break;
        d.entities.push_back(pairs[i]);
      }
      continue;
    }
    const auto records = readRecords(pairs, i);
    for (const Record& r : records) {
      if (r.type == "STYLE") {
        TextStyle s;
        if (auto v = r.first(2)) s.name = *v;
        if (auto v = r.first(70)) s.flags = integer(*v, 0);
        if (auto v = r.first(3)) s.font = *v;
        if (auto v = r.first(4)) s.bigFont = *v;
        d.styles.push_back(s);
      } else if (r.type == "BLOCK_RECORD") {
        auto h = r.first(5);
        auto n = r.first(2);
        if (h && n) blockRecords.emplace_back(*h, *n);
      } else if (r.type == "LAYOUT") {
        sawLayouts = true;
        layouts.push_back(readLayout(r));
      }
    }
  }
  if (!sawSection) return std::nullopt;

  auto blockName = [&](const std::string& handle) -> std::string {
    for (auto& [h, n] : blockRecords)
      if (base::equalsNoCase(h, handle)) return n;
    return {};
  };
  for (const LayoutObject& l : layouts) {
    const std::string block = blockName(l.blockRecord);
    if (base::equalsNoCase(l.name, "Model") || base::equalsNoCase(block, "*Model_Space")) {
      d.modelSetup = l.setup;
      d.modelSetup.fit = true;  // model space is offered fit whatever it was set to
      continue;
    }
    if (l.name.empty() || d.findLayout(l.name)) continue;
    d.layouts.push_back({l.name, l.tabOrder, l.setup});
    if (base::equalsNoCase(block, "*Paper_Space")) d.currentLayout = l.name;
  }
  if (!sawLayouts && d.layouts.empty()) d.layouts = {{"Layout1", 1, {}}, {"Layout2", 2, {}}};
  d.sortLayouts();
  if (d.currentLayout.empty() && !d.layouts.empty()) d.currentLayout = d.layouts.front().name;
  // Paper space with no layout to show is model space.
  if (d.layouts.empty()) d.tileMode = true;
  return d;
}

std::string writeDxf(const Drawing& d) {
  std::string out;
  auto g = [&out](int code, const std::string& value) {
    out += std::to_string(code);
    out += "\r\n";
    out += value;
    out += "\r\n";
  };
  auto n = [](double v) { return base::fmt(v); };

  g(0, "SECTION");
  g(2, "HEADER");
  g(9, "$ACADVER");
  g(1, "AC1018");
  g(9, "$DWGCODEPAGE");
  g(3, "ANSI_932");
  for (const HeaderVariable& v : headerVariables(d)) {
    g(9, v.name);
    for (auto& [code, value] : v.groups) g(code, value);
  }
  g(0, "ENDSEC");

  // Block records: model space, then one paper space per layout; the
  // current layout owns "*Paper_Space", which is how a reader finds it.
  unsigned handle = 0x20;
  std::vector<std::string> layoutRecord;
  g(0, "SECTION");
  g(2, "TABLES");
  g(0, "TABLE");
  g(2, "BLOCK_RECORD");
  g(70, std::to_string(d.layouts.size() + 1));
  const std::string modelRecord = hex(handle++);
  g(0, "BLOCK_RECORD");
  g(5, modelRecord);
  g(2, "*Model_Space");
  int other = 0;
  for (const Layout& l : d.layouts) {
    const bool current = base::equalsNoCase(l.name, d.currentLayout);
    layoutRecord.push_back(hex(handle++));
    g(0, "BLOCK_RECORD");
    g(5, layoutRecord.back());
    g(2, current ? std::string("*Paper_Space") : "*Paper_Space" + std::to_string(other++));
  }
  g(0, "ENDTAB");
  g(0, "TABLE");
  g(2, "STYLE");
  g(70, std::to_string(d.styles.size()));
  for (const TextStyle& s : d.styles) {
    g(0, "STYLE");
    g(5, hex(handle++));
    g(2, s.name);
    g(70, std::to_string(s.flags));
    g(40, "0");
    g(41, "1");
    g(3, s.font);
    g(4, s.bigFont);
  }
  g(0, "ENDTAB");
  g(0, "ENDSEC");

  g(0, "SECTION");
  g(2, "ENTITIES");
  for (auto& [code, value] : d.entities) g(code, value);
  g(0, "ENDSEC");

  g(0, "SECTION");
  g(2, "OBJECTS");
  auto layoutObject = [&](const std::string& name, int tab, const std::string& record, const PageSetup& ps) {
    g(0, "LAYOUT");
    g(5, hex(handle++));
    g(100, "AcDbPlotSettings");
    g(1, "");
    if (!ps.device.empty()) g(2, ps.device);
    if (!ps.paper.empty()) g(4, ps.paper);
    if (!ps.styleTable.empty()) g(7, ps.styleTable);
    g(142, n(ps.paperUnits));
    g(143, n(ps.drawingUnits));
    g(70, ps.fit ? "16" : "0");
    g(73, ps.portrait ? "1" : "0");
    g(75, ps.fit ? "0" : "16");
    g(100, "AcDbLayout");
    g(1, name);
    g(70, "1");
    g(71, std::to_string(tab));
    g(330, record);
  };
  layoutObject("Model", 0, modelRecord, d.modelSetup);
  for (size_t i = 0; i < d.layouts.size(); ++i)
    layoutObject(d.layouts[i].name, d.layouts[i].tabOrder, layoutRecord[i], d.layouts[i].setup);
  g(0, "ENDSEC");
  g(0, "EOF");

  if (auto cp = base::tryUtf8ToCp932(out)) return *cp;
  return out;
}

std::vector<HeaderVariable> headerVariables(const Drawing& d) {
  auto n = [](double v) { return base::fmt(v); };
  return {
      {"$LIMMIN", {{10, n(d.limMin.x)}, {20, n(d.limMin.y)}}},
      {"$LIMMAX", {{10, n(d.limMax.x)}, {20, n(d.limMax.y)}}},
      {"$DIMSCALE", {{40, n(d.dimScale)}}},
      {"$TILEMODE", {{70, d.tileMode ? "1" : "0"}}},
      {"$PSLTSCALE", {{70, std::to_string(d.psltScale)}}},
  };
}

std::optional<std::string> setHeaderVariables(std::string_view text, const std::vector<HeaderVariable>& vars) {
  // Lines with where they start and end, and the group codes among them
  // found as readPairs finds them.
  struct Line {
    size_t start, end, next;
  };
  std::vector<Line> lines;
  for (size_t start = 0, i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
      size_t next = i + 1;
      if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++next;
      lines.push_back({start, i, std::min(next, text.size())});
      i = next - 1;
      start = next;
    }
  }
  auto lineText = [&](size_t l) { return text.substr(lines[l].start, lines[l].end - lines[l].start); };
  struct Group {
    int code;
    std::string value;
    size_t line;  // of the code; the value is the next
  };
  std::vector<Group> groups;
  for (size_t l = 0; l + 1 < lines.size();) {
    auto code = base::tryParseInt(lineText(l));
    if (!code) {
      ++l;
      continue;
    }
    groups.push_back({static_cast<int>(*code), base::trim(lineText(l + 1)), l});
    l += 2;
  }
  auto isSection = [&](size_t i) {
    return groups[i].code == 0 && base::equalsNoCase(groups[i].value, "SECTION") && i + 1 < groups.size() &&
           groups[i + 1].code == 2;
  };
  size_t firstSection = groups.size(), header = groups.size();
  for (size_t i = 0; i < groups.size(); ++i) {
    if (!isSection(i)) continue;
    if (firstSection == groups.size()) firstSection = i;
    if (base::equalsNoCase(groups[i + 1].value, "HEADER")) {
      header = i;
      break;
    }
  }
  if (firstSection == groups.size()) return std::nullopt;

  // New lines end as the first line does, and a code is written as the
  // text writes it elsewhere, or right-aligned as wide as the section's.
  std::string eol(text.substr(lines.front().end, lines.front().next - lines.front().end));
  if (eol.empty()) eol = "\r\n";
  std::map<int, std::string_view> codeLines;
  for (const Group& g : groups) codeLines.emplace(g.code, lineText(g.line));
  const size_t codeWidth = lineText(groups[firstSection].line).size();
  auto groupText = [&](int code, const std::string& value) {
    std::string c = std::to_string(code);
    if (auto it = codeLines.find(code); it != codeLines.end()) c = it->second;
    else if (c.size() < codeWidth) c.insert(0, codeWidth - c.size(), ' ');
    return c + eol + value + eol;
  };
  auto variableText = [&](const HeaderVariable& v) {
    std::string out = groupText(9, v.name);
    for (auto& [code, value] : v.groups) out += groupText(code, value);
    return out;
  };

  if (header == groups.size()) {
    std::string added = groupText(0, "SECTION") + groupText(2, "HEADER");
    for (const HeaderVariable& v : vars) added += variableText(v);
    added += groupText(0, "ENDSEC");
    const size_t at = lines[groups[firstSection].line].start;
    return std::string(text.substr(0, at)) + added + std::string(text.substr(at));
  }

  // Replacements as (from, to, text), in the order of the text.
  std::vector<std::tuple<size_t, size_t, std::string>> edits;
  std::vector<bool> found(vars.size(), false);
  size_t i = header + 2;
  for (; i < groups.size() && groups[i].code != 0; ++i) {
    if (groups[i].code != 9) continue;
    size_t end = i + 1;
    while (end < groups.size() && groups[end].code != 9 && groups[end].code != 0) ++end;
    for (size_t k = 0; k < vars.size(); ++k) {
      if (!base::equalsNoCase(groups[i].value, vars[k].name)) continue;
      found[k] = true;
      std::string replaced;
      for (auto& [code, value] : vars[k].groups) replaced += groupText(code, value);
      // From after the name's line to the next variable (or ENDSEC).
      const size_t from = lines[groups[i].line + 1].next;
      const size_t to = end < groups.size() ? lines[groups[end].line].start : text.size();
      edits.emplace_back(from, to, replaced);
      break;
    }
    i = end - 1;
  }
  if (i >= groups.size()) return std::nullopt;  // the header never ends
  std::string added;
  for (size_t k = 0; k < vars.size(); ++k)
    if (!found[k]) added += variableText(vars[k]);
  if (!added.empty()) {
    const size_t at = lines[groups[i].line].start;
    edits.emplace_back(at, at, added);
  }

  std::string out;
  size_t at = 0;
  for (auto& [from, to, replacement] : edits) {
    out += text.substr(at, from - at);
    out += replacement;
    at = to;
  }
  out += text.substr(at);
  return out;
}

}  // namespace acadsim
