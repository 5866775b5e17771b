#include "printerconfig/paper_table.h"

#include "base/codec.h"
#include "base/numbers.h"
#include "base/profile.h"
#include "base/text.h"

namespace printerconfig {

std::string PairName(const std::string& line) {
  const auto eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

std::string PairValue(const std::string& line) {
  const auto eq = line.find('=');
  return eq == std::string::npos ? line : line.substr(eq + 1);
}

std::optional<PaperSides> SplitPaperSize(const std::string& size) {
  const auto x = size.find('x');
  if (x == std::string::npos) return std::nullopt;
  const auto a = base::tryParseNumber(std::string_view(size).substr(0, x));
  const auto b = base::tryParseNumber(std::string_view(size).substr(x + 1));
  if (!a || !b) return std::nullopt;
  return PaperSides{*a, *b};
}

std::vector<std::string> ReadPaperLines(const std::string& plotIniPath) {
  const base::ProfileFile ini(plotIniPath);
  std::vector<std::string> lines;
  const int pages = ini.readInt(kPaperSizeSection, "PAGE", 0);
  for (int i = 0; i < pages; ++i) {
    std::string line = ini.readString(kPaperSizeSection, "PageSize" + base::intToStr(i), "");
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

PaperTable ReadPaperTable(const std::string& plotIniPath) {
  PaperTable table;
  for (const std::string& line : ReadPaperLines(plotIniPath)) {
    table.names.push_back(PairName(line));
    table.sizes.push_back(PairValue(line));
  }
  return table;
}

void WritePaperTable(const std::string& plotIniPath, const std::vector<std::string>& lines) {
  // Every line is checked first: a table with its count written but half
  // its lines old would be worse than none written.
  for (const std::string& line : lines) base::utf8ToCp932(line);
  base::ProfileFile ini(plotIniPath);
  ini.writeInt(kPaperSizeSection, "PAGE", static_cast<int>(lines.size()));
  for (size_t i = 0; i < lines.size(); ++i)
    ini.writeString(kPaperSizeSection, "PageSize" + base::intToStr(static_cast<long long>(i)), lines[i]);
}

}  // namespace printerconfig
