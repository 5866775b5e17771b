// Shared by the stand-in's tests: a scratch folder, DXF texts, and the two
// ways the program reads the stand-in back (a prompt's default, the layout
// names of a listing), written out here the way the program does them.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/codec.h"
#include "base/text.h"

namespace acadsim_test {

class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device rd;
    dir_ = std::filesystem::temp_directory_path() / ("acadsim-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(dir_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string folder() const { return dir_.string() + "/"; }
  std::string path(const std::string& name) const { return folder() + name; }
  std::string write(const std::string& name, const std::string& bytes) const {
    std::ofstream f(path(name), std::ios::binary);
    f << bytes;
    return path(name);
  }
  std::string read(const std::string& name) const {
    std::ifstream f(path(name), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }

 private:
  std::filesystem::path dir_;
};

// A DXF text from group code / value pairs.
inline std::string dxf(const std::vector<std::pair<int, std::string>>& pairs) {
  std::string out;
  for (auto& [c, v] : pairs) out += "  " + std::to_string(c) + "\r\n" + v + "\r\n";
  return out;
}

struct LayoutDef {
  std::string name;
  int tab;
  std::string record;  // block record handle
};

// A drawing with limits, TILEMODE, block records, text styles and layouts.
inline std::string drawingDxf(const std::string& limmax, int tilemode, const std::vector<LayoutDef>& layouts,
                              const std::vector<std::pair<int, std::string>>& styleGroups = {},
                              const std::vector<std::pair<std::string, std::string>>& records = {}) {
  auto comma = limmax.find(',');
  std::vector<std::pair<int, std::string>> p = {
      {0, "SECTION"}, {2, "HEADER"},   {9, "$LIMMIN"},   {10, "0.0"},      {20, "0.0"},
      {9, "$LIMMAX"}, {10, limmax.substr(0, comma)}, {20, limmax.substr(comma + 1)}, {9, "$DIMSCALE"},
      {40, "100.0"},  {9, "$TILEMODE"}, {70, std::to_string(tilemode)}, {0, "ENDSEC"},
      {0, "SECTION"}, {2, "TABLES"},   {0, "TABLE"},     {2, "BLOCK_RECORD"}};
  for (auto& [h, n] : records) {
    p.push_back({0, "BLOCK_RECORD"});
    p.push_back({5, h});
    p.push_back({2, n});
  }
  p.push_back({0, "ENDTAB"});
  p.push_back({0, "TABLE"});
  p.push_back({2, "STYLE"});
  p.insert(p.end(), styleGroups.begin(), styleGroups.end());
  p.push_back({0, "ENDTAB"});
  p.push_back({0, "ENDSEC"});
  p.push_back({0, "SECTION"});
  p.push_back({2, "OBJECTS"});
  for (auto& l : layouts) {
    for (std::pair<int, std::string> g : std::vector<std::pair<int, std::string>>{
             {0, "LAYOUT"}, {5, "A" + l.record}, {100, "AcDbPlotSettings"}, {1, "PageSetupName"},
             {100, "AcDbLayout"}, {1, l.name}, {70, "1"}, {71, std::to_string(l.tab)}, {330, l.record}})
      p.push_back(g);
  }
  p.push_back({0, "ENDSEC"});
  p.push_back({0, "EOF"});
  return dxf(p);
}

// The default shown in a prompt, cut out in the program's four steps.
inline std::string cutDefault(std::string s) {
  if (auto i = s.find('<'); i != std::string::npos) s = s.substr(i + 1);
  if (auto i = s.find('>'); i != std::string::npos) s = s.substr(0, i);
  if (auto i = s.find('"'); i != std::string::npos) s = s.substr(i + 1);
  if (auto i = s.find('"'); i != std::string::npos) s = s.substr(0, i);
  return s;
}

// The layout names the program takes from a copied history: lines from
// the end while they contain "名" (never the first line), the 7-character
// label and the block-name part cut off, counted in characters.
inline std::vector<std::string> layoutNamesFromHistory(const std::string& clipboard) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos <= clipboard.size()) {
    size_t end = clipboard.find("\r\n", pos);
    if (end == std::string::npos) end = clipboard.size();
    lines.push_back(clipboard.substr(pos, end - pos));
    pos = end + 2;
  }
  std::vector<std::string> names;
  for (size_t i = lines.size(); i-- > 1;) {
    if (!base::contains(lines[i], "名")) break;
    std::u16string t = base::utf8ToUtf16(lines[i]);
    t = t.size() > 7 ? t.substr(7) : std::u16string();
    auto strip = [&t](const char* label, size_t more) {
      const std::u16string l = base::utf8ToUtf16(label);
      if (t.find(l) == std::u16string::npos) return false;
      while (t.find(l) != std::u16string::npos) t.pop_back();
      t = t.substr(0, t.size() > more ? t.size() - more : 0);
      return true;
    };
    if (!strip("ﾌﾞﾛｯｸ名:", 6)) strip("ブロック名:", 5);
    names.insert(names.begin(), base::trim(base::utf16ToUtf8(t)));
  }
  return names;
}

}  // namespace acadsim_test
