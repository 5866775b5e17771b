#include "acadlink/acad_macro.h"

#include "base/profile.h"
#include "base/text.h"
#include "platform/context.h"

namespace acadlink {

namespace {
constexpr const char* kLinesKey = "MACRO_LINES";
std::string lineKey(size_t i) { return "MACRO" + base::intToStr(static_cast<long long>(i)); }
}  // namespace

MacroTokens CommonMacroTokens(TfControl& link) {
  return {
      {"#ENTER", [&link] { link.SendCommand("\n"); return true; }},
      {"#ESC", [&link] { link.SendCommand(kEsc); return true; }},
  };
}

ReplayResult ReplayMacro(TfControl& link, const std::vector<std::string>& lines, const MacroTokens& tokens,
                         int commandWait, MacroWait wait, const WaitBounds& bounds) {
  for (const std::string& line : lines) {
    if (auto it = tokens.find(line); it != tokens.end()) {
      if (!it->second()) return {MacroEnd::TokenEnded};
    } else {
      link.SendCommand(line + "\n");
    }
    // The rest of the macro would only be refused line by line.
    if (bounds.endIfAcadGone && link.InputRefused()) return {MacroEnd::AcadGone};
    if (bounds.stopRequested && bounds.stopRequested()) return {MacroEnd::Stopped};
    link.AwaitAnswer(commandWait);
    if (wait == MacroWait::CommandWaitThenPrompt) {
      switch (link.WaitUntil([&] { return link.IsPromptShown(); }, bounds)) {
        case WaitEnd::Stopped: return {MacroEnd::Stopped};
        case WaitEnd::AcadGone: return {MacroEnd::AcadGone};
        case WaitEnd::TimedOut: return {MacroEnd::TimedOut};
        default: break;
      }
    }
  }
  return {};
}

AcadMacro::AcadMacro(std::string settingsFilePath, std::string sectionName, std::vector<std::string> firstStart)
    : MacroFile(std::move(settingsFilePath)), MacroSection(std::move(sectionName)) {
  load(std::move(firstStart));
}

AcadMacro::~AcadMacro() {
  // A destructor must not throw; a failed write only costs the file update.
  try {
    save();
  } catch (...) {
  }
}

void AcadMacro::load(std::vector<std::string> firstStart) {
  base::ProfileFile ini(MacroFile);
  // No count at all: the macro was never stored.
  if (ini.readString(MacroSection, kLinesKey, "-") == "-" && ini.readString(MacroSection, kLinesKey, "+") == "+") {
    MacroLines = std::move(firstStart);
    return;
  }
  const int count = ini.readInt(MacroSection, kLinesKey, 0);
  for (int i = 0; i < count; ++i) {
    std::string line = ini.readString(MacroSection, lineKey(static_cast<size_t>(i)), "");
    // Empty lines (or keys missing under the count) are dropped.
    if (!line.empty()) MacroLines.push_back(std::move(line));
  }
}

void AcadMacro::save() {
  base::ProfileFile ini(MacroFile);
  ini.writeInt(MacroSection, kLinesKey, static_cast<int>(MacroLines.size()));
  // Keys of higher indexes from a longer macro stay: loading stops at the count.
  for (size_t i = 0; i < MacroLines.size(); ++i) {
    try {
      ini.writeString(MacroSection, lineKey(i), MacroLines[i]);
    } catch (const std::exception&) {
      // A line with no form in the file's code page is stored empty, so a
      // stale line from before does not come back in its place.
      ini.writeString(MacroSection, lineKey(i), "");
    }
  }
}

}  // namespace acadlink
