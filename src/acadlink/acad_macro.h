// Link objects that carry user-editable command macros: lists of lines that
// a feature types into AutoCAD one input per line, with a few lines reserved
// as tokens that the feature replaces by its own actions.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "acadlink/tf_control.h"

namespace acadlink {

// The tokens of one macro context and what each does. A token matches a
// whole line exactly (case as written, no trimming). An action returns false
// to end the replay early.
using MacroTokens = std::map<std::string, std::function<bool()>>;

// "#ENTER" (Enter) and "#ESC" (cancel), which most contexts share.
MacroTokens CommonMacroTokens(TfControl& link);

// How the owner waits after each line.
enum class MacroWait {
  CommandWait,              // the configured command wait only
  CommandWaitThenPrompt,    // then until AutoCAD shows a prompt again
};

// How a replay ended.
enum class MacroEnd {
  Done,        // every line typed
  TokenEnded,  // a token's action ended it
  Stopped,     // the caller's stop request, seen after a line
  AcadGone,    // AutoCAD vanished while a prompt was awaited
  TimedOut,    // a prompt did not come within the limit
};
struct ReplayResult {
  MacroEnd end = MacroEnd::Done;
  explicit operator bool() const { return end == MacroEnd::Done; }
};

// Types lines in order on link: a token line runs its action instead of
// being typed; every other line is typed followed by Enter. After each line
// the caller's stop request is tested, then the owner's wait follows; the
// wait for a prompt is bounded like every wait for AutoCAD.
ReplayResult ReplayMacro(TfControl& link, const std::vector<std::string>& lines, const MacroTokens& tokens,
                         int commandWait, MacroWait wait = MacroWait::CommandWait, const WaitBounds& bounds = {});

// One macro stored by itself in a section of the main settings file:
// "MACRO_LINES" and "MACRO0" … ; loaded at creation, written back at
// destruction.
class AcadMacro : public TfControl {
 public:
  // firstStart: the macro of a section that has never been stored (no
  // "MACRO_LINES" in the file); a stored empty macro stays empty.
  AcadMacro(std::string settingsFilePath, std::string sectionName, std::vector<std::string> firstStart = {});
  ~AcadMacro() override;
  AcadMacro(const AcadMacro&) = delete;
  AcadMacro& operator=(const AcadMacro&) = delete;

  const std::string& GetMacroFile() const { return MacroFile; }
  const std::string& GetMacroSection() const { return MacroSection; }

 protected:
  std::string MacroFile;
  std::string MacroSection;

 public:
  // The live macro, first line first; callers read and replace it in place.
  std::vector<std::string> MacroLines;

  // Replays MacroLines with the owner's tokens.
  ReplayResult ReplayMacroLines(const MacroTokens& tokens, int commandWait,
                                MacroWait wait = MacroWait::CommandWait, const WaitBounds& bounds = {}) {
    return ReplayMacro(*this, MacroLines, tokens, commandWait, wait, bounds);
  }

 private:
  void load(std::vector<std::string> firstStart);
  void save();
};

// Two macros, one for model space and one for layouts; the plot button
// record loads and saves them in the button-set file.
class AcadMacroTwo : public TfControl {
 public:
  AcadMacroTwo() = default;
  ~AcadMacroTwo() override = default;
  AcadMacroTwo(const AcadMacroTwo&) = delete;
  AcadMacroTwo& operator=(const AcadMacroTwo&) = delete;

  std::vector<std::string> ModelMacro;
  std::vector<std::string> LayoutMacro;
};

}  // namespace acadlink
