#include "plot/ploter.h"

#include "base/paths.h"
#include "base/profile.h"
#include "base/text.h"
#include "platform/context.h"

namespace plot {

namespace {

// An empty stored value falls back to a word that stands for "not set".
std::string orDefault(std::string v, const char* def) { return v.empty() ? std::string(def) : v; }

std::vector<std::string> readMacro(const base::ProfileFile& ini, const std::string& section,
                                   const std::string& prefix) {
  std::vector<std::string> lines;
  const int count = ini.readInt(section, prefix + "_LINES", 0);
  for (int i = 0; i < count; ++i) {
    std::string line = ini.readString(section, prefix + "-" + base::intToStr(i), "");
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

// Writes one key; a value with no form in the file's code page is written
// empty. Write failures are not reported.
void put(base::ProfileFile& ini, const std::string& section, const std::string& key,
         const std::string& value) {
  try {
    ini.writeString(section, key, value);
  } catch (const std::exception&) {
    ini.writeString(section, key, "");
  }
}

void writeMacro(base::ProfileFile& ini, const std::string& section, const std::string& prefix,
                const std::vector<std::string>& lines) {
  put(ini, section, prefix + "_LINES", base::intToStr(static_cast<long long>(lines.size())));
  // Empty lines are written too; loading skips them. Higher keys of a longer
  // macro stay and are never read.
  for (size_t i = 0; i < lines.size(); ++i)
    put(ini, section, prefix + "-" + base::intToStr(static_cast<long long>(i)), lines[i]);
}

}  // namespace

std::string ButtonSetPath(const std::string& setName) {
  return platform::programFolder() + "BottonSets" + base::kPathSep + setName + ".ini";
}

Ploter::Ploter(std::string settingsPath, std::string sectionName)
    : SettingsPath(std::move(settingsPath)),
      SectionName(std::move(sectionName)),
      TempDrawingPath(platform::programFolder() + "tmp.dwg") {}

void Ploter::LoadButton(const std::string& setName) {
  const base::ProfileFile ini(ButtonSetPath(setName));
  const std::string& s = SectionName;
  auto flag = [&](const char* key, int def) { return ini.readInt(s, key, def) == 1; };

  UserName = orDefault(ini.readString(s, "USERNAME", "PloterName"), "PloterName");
  PrintDevice = orDefault(ini.readString(s, "PrintDevice", "None"), "None");
  PrintStyle = orDefault(ini.readString(s, "PrintStyle", "None"), "None");
  PaperName = orDefault(ini.readString(s, "PaperName", "None"), "None");
  // The reader removes a matching pair; a lone quote at either end goes too.
  if (!PaperName.empty() && PaperName.front() == '"') PaperName.erase(0, 1);
  if (!PaperName.empty() && PaperName.back() == '"') PaperName.pop_back();
  Available = flag("AVAILABLE", 1);
  FilePlot = flag("FILEPLOT", 0);
  PageStop = flag("PAGESTOP", 0);
  CenterPrint = flag("CENTERPRINT", 0);
  PdfPrint = flag("PDFPRINT", 0);
  PaperSize = orDefault(ini.readString(s, "PAPERSIZE", "000x000"), "000x000");
  PaperDirection = ini.readInt(s, "PAPERDIRECTION", 0);
  OffsetX = ini.readString(s, "OffsetX", "0");
  OffsetY = ini.readString(s, "OffsetY", "0");

  std::vector<std::string> model = readMacro(ini, s, "MACRO1");
  std::vector<std::string> layout = readMacro(ini, s, "MACRO2");
  ModelMacro = std::move(model);
  LayoutMacro = std::move(layout);
}

void Ploter::SaveButton(const std::string& setName) {
  base::ProfileFile ini(ButtonSetPath(setName));
  const std::string& s = SectionName;
  auto flag = [&](const char* key, bool v) { put(ini, s, key, v ? "1" : "0"); };

  put(ini, s, "USERNAME", UserName);
  put(ini, s, "PrintDevice", PrintDevice);
  put(ini, s, "PrintStyle", PrintStyle);
  // Quoted, so that blanks at either end of the name survive the reader.
  put(ini, s, "PaperName", "\"" + PaperName + "\"");
  flag("AVAILABLE", Available);
  flag("FILEPLOT", FilePlot);
  flag("PAGESTOP", PageStop);
  flag("CENTERPRINT", CenterPrint);
  flag("PDFPRINT", PdfPrint);
  put(ini, s, "PAPERSIZE", PaperSize);
  put(ini, s, "PAPERDIRECTION", base::intToStr(PaperDirection));
  put(ini, s, "OffsetX", OffsetX);
  put(ini, s, "OffsetY", OffsetY);
  writeMacro(ini, s, "MACRO1", ModelMacro);
  writeMacro(ini, s, "MACRO2", LayoutMacro);
}

}  // namespace plot
