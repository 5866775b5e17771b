#include "acadlink/tf_control.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

#include "acadlink/timings.h"
#include "base/codec.h"
#include "base/numbers.h"
#include "base/text.h"
#include "platform/context.h"
#include "ui/application.h"

namespace acadlink {

namespace {

// Window texts are read into a 255-byte buffer: at most 254 bytes count.
constexpr int kTitleBuffer = 255;
constexpr std::uintptr_t kCopyHistoryCommand = 32781;  // 0x800D, the text window's menu

// One entry of a window snapshot: a key text and the window behind it.
struct Entry {
  std::string key;
  WindowHandle window;
};
using Snapshot = std::vector<Entry>;

// A search for an empty text finds nothing, as the system's search does.
bool has(const std::string& text, const std::string& part) {
  return !part.empty() && base::contains(text, part);
}
bool begins(const std::string& text, const std::string& prefix) {
  return !prefix.empty() && base::startsWith(text, prefix);
}

std::string title(WindowHandle w) { return platform::desktop().windowTitle(w, kTitleBuffer); }

// All top-level windows, keyed by their handle in hexadecimal, so that the
// windows of one moment can be told from those that appeared later.
Snapshot topLevelSnapshot() {
  Snapshot s;
  for (WindowHandle w : platform::desktop().topLevelWindows()) {
    char key[32];
    std::snprintf(key, sizeof key, " %10llx", static_cast<unsigned long long>(w));
    s.push_back({key, w});
  }
  return s;
}

// Every descendant of a window at any depth, keyed by its text.
Snapshot descendantSnapshot(WindowHandle parent) {
  Snapshot s;
  for (WindowHandle w : platform::desktop().descendants(parent)) s.push_back({title(w), w});
  return s;
}

bool isTextWindowTitle(const std::string& t, const std::string& word) {
  return begins(t, "Auto") && has(t, word);
}
bool isAnyTextWindowTitle(const std::string& t) {
  return isTextWindowTitle(t, kTextWord2000) || isTextWindowTitle(t, kTextWord2004);
}

// The last AutoCAD text window of a snapshot; 0 when there is none.
WindowHandle lastTextWindow(const Snapshot& windows) {
  WindowHandle found = 0;
  for (const Entry& e : windows)
    if (isAnyTextWindowTitle(title(e.window))) found = e.window;
  return found;
}

// The first other descendant of main with the same class as commandLine:
// the command history pane.
WindowHandle findHistory(WindowHandle main, WindowHandle commandLine) {
  const std::string cls = platform::desktop().className(commandLine);
  if (cls.empty()) return 0;
  for (const Entry& e : descendantSnapshot(main))
    if (e.window != commandLine && platform::desktop().className(e.window) == cls) return e.window;
  return 0;
}

}  // namespace

std::string CutPromptDefault(const std::string& promptLine) {
  std::string s = promptLine;
  if (auto p = s.find('<'); p != std::string::npos) s.erase(0, p + 1);
  if (auto p = s.find('>'); p != std::string::npos) s.erase(p);
  if (auto p = s.find('"'); p != std::string::npos) s.erase(0, p + 1);
  if (auto p = s.find('"'); p != std::string::npos) s.erase(p);
  return s;
}

// ---------------------------------------------------------------- handles

void TfControl::clearHandles() { SetHandles(AutoCADHandles{}); }

void TfControl::SetHandles(const AutoCADHandles& h) {
  inputRefused_ = false;
  answer_ = {};
  MainWindow = h.MainWindow;
  CommandLine = h.CommandLine;
  CommandHistory = h.CommandHistory;
  TextWindow = h.TextWindow;
}

AutoCADHandles TfControl::GetHandles() const { return {MainWindow, CommandLine, CommandHistory, TextWindow}; }

// ---------------------------------------------------------------- finding AutoCAD

int TfControl::FindOrStartAutoCAD(int startWaitSeconds, const std::function<bool()>& stopRequested) {
  // A new command gives an AutoCAD that was only slow another chance.
  inputRefused_ = false;
  const Snapshot before = topLevelSnapshot();
  const WindowHandle running = lastTextWindow(before);
  if (running != 0) return TextWindow != 0 && TextWindow == running ? 2 : 1;

  RunStartHelper();
  clearHandles();
  if (!startAutoCAD()) {
    clearHandles();
    return 0;
  }

  std::set<std::string> old;
  for (const Entry& e : before) old.insert(e.key);
  // Each look waits a step first: AutoCAD's windows take seconds to appear.
  const int looks = startWaitSeconds * (1000 / timing::kStartPollMs) + 1;
  int looked = 0;
  auto lookForWindows = [&] {
    platform::clock().sleepMs(timing::kStartPollMs);
    for (const Entry& e : topLevelSnapshot()) {
      if (old.count(e.key)) continue;
      if (isAnyTextWindowTitle(title(e.window))) {
        TextWindow = e.window;
        continue;
      }
      for (const Entry& d : descendantSnapshot(e.window)) {
        if (begins(d.key, kPromptStart2000) || begins(d.key, kPromptStart2004)) {
          CommandLine = d.window;
          MainWindow = e.window;
        }
      }
    }
    return TextWindow != 0 && MainWindow != 0;
  };
  WaitBounds starting;
  starting.endIfAcadGone = false;
  starting.stopRequested = stopRequested;
  const bool found =
      looks > 0 && WaitUntil(lookForWindows, starting, 0, [&] { return ++looked < looks; }) == WaitEnd::Met;

  if (found) CommandHistory = findHistory(MainWindow, CommandLine);
  if (MainWindow && CommandLine && CommandHistory && TextWindow) return 2;
  clearHandles();
  return 0;
}

bool TfControl::startAutoCAD() {
  auto& processes = platform::processes();
  if (!AcadExePath.empty()) {
    const std::string commandLine = AcadArg.empty() ? AcadExePath : AcadExePath + " " + AcadArg;
    return processes.createProcess(commandLine, false);
  }
  // Without a path, the program registered for drawings starts with the
  // empty start drawing.
  return processes.shellOpen(platform::programFolder() + "Drawing1.dwg", 0);
}

bool TfControl::FindAutoCADByCaptions(const std::string& promptWord, const std::string& textWord) {
  WindowHandle text = 0, main = 0, command = 0, history = 0;
  for (const Entry& e : topLevelSnapshot()) {
    const std::string t = title(e.window);
    if (isTextWindowTitle(t, textWord)) {
      text = e.window;
    } else if (begins(t, "AutoCAD")) {
      for (const Entry& d : descendantSnapshot(e.window)) {
        if (begins(d.key, promptWord)) {
          command = d.window;
          main = e.window;
          break;
        }
      }
    }
    if (text && command) break;
  }
  if (text && command) history = findHistory(main, command);
  if (!(main && command && history && text)) return false;
  SetHandles({main, command, history, text});
  return true;
}

bool TfControl::TakeOverAutoCAD(const AutoCADHandles& w) {
  auto& desktop = platform::desktop();
  for (WindowHandle h : {w.MainWindow, w.CommandLine, w.CommandHistory, w.TextWindow})
    if (h == 0 || !desktop.isWindow(h)) return false;
  if (!begins(title(w.MainWindow), "AutoCAD") || lastTextWindow(topLevelSnapshot()) != w.TextWindow) return false;
  SetHandles(w);
  return true;
}

bool TfControl::IsSameAutoCAD() {
  const WindowHandle candidate = lastTextWindow(topLevelSnapshot());
  return candidate != 0 && TextWindow != 0 && TextWindow == candidate;
}

// ---------------------------------------------------------------- typing

void TfControl::SendCommand(const std::string& text) {
  if (!text.empty() && !inputRefused_) {
    // AutoCAD reads the bytes as typed, up to the NUL.
    std::string bytes = base::utf8ToCp932(text);
    bytes.push_back('\0');
    auto& desktop = platform::desktop();
    if (pacedSend_) expectAnswer(text);
    if (!desktop.sendCopyData(MainWindow, 1, bytes)) {
      inputRefused_ = true;
      answer_ = {};
    } else if (pacedSend_) {
      // AutoCAD has the bytes once the copy returns: the wake can follow at
      // once, and the two pauses become one wait for the answer.
      desktop.postNull(MainWindow);
      pollAnswer(timing::kAfterCopyDataMs + timing::kAfterWakeMs);
    } else {
      platform::clock().sleepMs(timing::kAfterCopyDataMs);
      desktop.postNull(MainWindow);
      platform::clock().sleepMs(timing::kAfterWakeMs);
    }
  }
  // Keeps the program's own windows painted while AutoCAD works.
  ui::processMessages();
}

// ---------------------------------------------------------------- paced typing

namespace {

bool isIdlePrompt(const std::string& line) { return has(line, kIdlePrompt2000) || has(line, kIdlePrompt2004); }

// A prompt line that asks something: AutoCAD's questions end in ":", "?"
// or a default in "<>" (either width), followed by blanks.
bool asksSomething(const std::string& line) {
  std::string t = line;
  while (!t.empty() && t.back() == ' ') t.pop_back();
  while (base::endsWith(t, "\u3000")) t.erase(t.size() - 3);
  if (t.empty()) return false;
  const char last = t.back();
  return last == ':' || last == '?' || last == '>' || last == ']' || base::endsWith(t, "\uff1a") ||
         base::endsWith(t, "\uff1f");
}

}  // namespace

void TfControl::expectAnswer(const std::string& text) {
  PendingAnswer a;
  a.pending = true;
  a.cancel = text == kEsc;
  // One input, ended by one Enter or an ESC, is what the prompt line can
  // answer for; what AutoCAD shows while still busy with the previous text
  // cannot tell whether this one has been taken.
  const size_t enter = text.find('\n');
  const bool oneInput = a.cancel || (enter == text.size() - 1 && text.find('\x1b') == std::string::npos);
  // A watched answer still due: the prompt line may yet show that one.
  const bool previousDue = answer_.pending && answer_.verifiable;
  if (oneInput && !previousDue) {
    a.before = ReadCommandLine();
    a.verifiable = asksSomething(a.before);
    if (a.verifiable && !a.cancel && isIdlePrompt(a.before) && CommandHistory != 0) {
      a.watchHistory = true;
      a.historyBefore = ReadWindowText(CommandHistory);
    }
  }
  if (!a.cancel && enter != std::string::npos) a.echo = text.substr(0, enter);
  answer_ = std::move(a);
}

bool TfControl::answerShown(const std::string& line) {
  PendingAnswer& a = answer_;
  // An ESC always ends at the command prompt; there it has nothing to cancel.
  if (a.cancel && isIdlePrompt(line)) return true;
  if (base::startsWith(line, a.before)) {
    const std::string typed = line.substr(a.before.size());
    if (base::startsWith(a.echo, typed)) {
      // Still the question with the text being typed; the same question
      // back without it, once the echo was seen, is the answer.
      if (!typed.empty()) a.sawEcho = true;
      if (!typed.empty()) return false;
      return a.sawEcho || (a.watchHistory && ReadWindowText(CommandHistory) != a.historyBefore);
    }
  }
  return asksSomething(line);
}

void TfControl::pollAnswer(int ceilingMs) {
  if (!answer_.pending) return;
  if (!answer_.verifiable) {
    // Nothing to watch for: every pause after this text is the fixed one.
    platform::clock().sleepMs(ceilingMs);
    return;
  }
  WaitBounds bounds;
  bounds.limitMs = ceilingMs;
  // The ceiling is short; a vanished AutoCAD shows no answer and is told
  // by the next wait for its prompt.
  bounds.endIfAcadGone = false;
  if (ceilingMs > 0 && WaitUntil([this] { return answerShown(ReadCommandLine()); }, bounds, timing::kPacedPollMs) ==
                           WaitEnd::Met) {
    answer_ = {};
    answer_.fresh = true;
  }
}

void TfControl::AwaitAnswer(int ms) {
  if (pacedSend_) pollAnswer(ms);
  else platform::clock().sleepMs(ms);
}

void TfControl::PauseBeforeRead(int ms) {
  if (!pacedSend_) return platform::clock().sleepMs(ms);
  if (answer_.pending) return pollAnswer(ms);  // fixed, or up to ms for the answer
  // The first look after an answer needs no pause; later looks poll.
  if (answer_.fresh) answer_.fresh = false;
  else platform::clock().sleepMs(std::min(ms, timing::kPacedPollMs));
}

// ---------------------------------------------------------------- reading

std::string TfControl::ReadWindowText(WindowHandle window) {
  auto& desktop = platform::desktop();
  const int length = desktop.textLength(window);
  if (length <= 0) return {};
  return desktop.getText(window, length + 1);
}

std::string TfControl::ReadCommandLine() { return ReadWindowText(CommandLine); }

bool TfControl::IsCommandPrompt() {
  PauseBeforeRead(timing::kBeforePromptTestMs);
  return isIdlePrompt(ReadCommandLine());
}

bool TfControl::IsPromptShown() {
  PauseBeforeRead(timing::kBeforePromptTestMs);
  return has(ReadCommandLine(), ":");
}

// ---------------------------------------------------------------- waiting

std::string WaitFailureText(WaitEnd why, std::int64_t limitMs) {
  switch (why) {
    case WaitEnd::AcadGone: return "AutoCAD が見つからなくなりました。";
    case WaitEnd::TimedOut:
      return "AutoCAD が " + base::intToStr(limitMs / 1000) + " 秒待ってもコマンド待ちに戻りませんでした。";
    default: return {};
  }
}

std::string RunErrorText(const std::exception& e) {
  if (const auto* enc = dynamic_cast<const base::EncodingError*>(&e)) {
    // The Enter that ends a typed text is no part of what the user knows.
    std::string text = enc->text();
    while (!text.empty() && static_cast<unsigned char>(text.back()) < 0x20) text.pop_back();
    return "AutoCAD に入力する文字列 \"" + text + "\" に AutoCAD で扱えない文字 " +
           base::describeChar(enc->character()) + " があるため、入力できませんでした。";
  }
  if (dynamic_cast<const base::ConversionError*>(&e))
    return "数値であるべき値が数値として読めませんでした。(" + base::sanitizeUtf8(e.what()) + ")";
  return "予期しないエラーが発生しました。(" + base::sanitizeUtf8(e.what()) + ")";
}

std::string TfControl::WaitFailureReason(WaitEnd why, std::int64_t limitMs) {
  if (why == WaitEnd::AcadGone && inputRefused_ && !IsAcadGone()) return kInputRefusedText;
  return WaitFailureText(why, limitMs);
}

bool TfControl::IsAcadGone() { return !platform::desktop().isWindow(CommandLine) || !IsSameAutoCAD(); }

WaitEnd TfControl::WaitUntil(const std::function<bool()>& condition, const WaitBounds& bounds, int pollMs,
                             const std::function<bool()>& step) {
  auto& clock = platform::clock();
  const std::int64_t start = clock.nowMs();
  if (bounds.endIfAcadGone && inputRefused_) return WaitEnd::AcadGone;
  while (!condition()) {
    // The last step ends at the limit, not past it.
    int stepMs = pollMs;
    if (bounds.limitMs > 0) stepMs = static_cast<int>(std::min<std::int64_t>(pollMs, bounds.limitMs - (clock.nowMs() - start)));
    clock.sleepMs(stepMs);
    // The stop button and the helpers' answers arrive as messages.
    ui::processMessages();
    if (bounds.stopRequested && bounds.stopRequested()) return WaitEnd::Stopped;
    if (bounds.endIfAcadGone && (inputRefused_ || IsAcadGone())) return WaitEnd::AcadGone;
    if (bounds.limitMs > 0 && clock.nowMs() - start >= bounds.limitMs) return WaitEnd::TimedOut;
    if (step && !step()) return WaitEnd::Abandoned;
  }
  return WaitEnd::Met;
}

std::string TfControl::ReadPromptDefault() { return CutPromptDefault(ReadCommandLine()); }

namespace {

// Polls the prompt line until AutoCAD asks for a value (a ":" shows) or
// the polls run out; the last line read.
std::string awaitValuePrompt(TfControl& link) {
  std::string line;
  int polls = 0;
  link.WaitUntil(
      [&] {
        link.PauseBeforeRead(timing::kValuePromptPollMs);
        line = link.ReadCommandLine();
        return has(line, ":");
      },
      WaitBounds{}, 0, [&] { return ++polls < timing::kValuePromptPolls; });
  return line;
}

}  // namespace

std::string TfControl::GetVariable(const std::string& name) {
  SendCommand(name + "\n");
  const std::string line = awaitValuePrompt(*this);
  // Cancelling keeps the variable's value and returns to the command prompt.
  SendCommand(kEsc);
  return CutPromptDefault(line);
}

void TfControl::SetVariable(const std::string& name, const std::string& value) {
  SendCommand(name + "\n");
  awaitValuePrompt(*this);
  SendCommand(value + "\n");
}

void TfControl::TypeDialogVariablesOff(int wait) {
  for (const char* name : {"FILEDIA\n", "CMDDIA\n", "PROXYNOTICE\n"}) {
    SendCommand(name);
    AwaitAnswer(wait);
    SendCommand("0\n");
    AwaitAnswer(wait);
  }
}

void TfControl::TypeDialogVariablesBack(int wait, int fileDia, int cmdDia, int proxyNotice) {
  SendCommand("FILEDIA\n"), AwaitAnswer(wait), SendCommand(base::intToStr(fileDia) + "\n");
  SendCommand("CMDDIA\n"), AwaitAnswer(wait), SendCommand(base::intToStr(cmdDia) + "\n"), AwaitAnswer(wait);
  SendCommand("PROXYNOTICE\n"), SendCommand(base::intToStr(proxyNotice) + "\n");
}

// ---------------------------------------------------------------- answers

void TfControl::SaveDrawingAs(const std::string& path, int wait) {
  SendCommand("saveas\n");
  AwaitAnswer(wait);
  SendCommand("\n");  // the file format keeps its default
  AwaitAnswer(wait);
  SendCommand(path + "\n");
  AwaitAnswer(wait);
  // The two releases' words for the question, each ending in one blank.
  const std::string line = ReadCommandLine();
  if (line == "上書きしますか? <N> " || line == "置き換えますか? <N> ") SendCommand("y\n");
}

bool TfControl::AnswerEnterIf(const std::string& text) {
  if (!has(ReadCommandLine(), text)) return false;
  SendCommand("\n");
  return true;
}

bool TfControl::AnswerYesIf(const std::string& text) {
  if (!has(ReadCommandLine(), text)) return false;
  SendCommand("y\n");
  return true;
}

bool TfControl::CancelIf(const std::string& text) {
  if (!has(ReadCommandLine(), text)) return false;
  SendCommand(kEsc);
  return true;
}

// ---------------------------------------------------------------- dialogs and quitting

WindowHandle TfControl::FindAutoCADDialog(const std::string& titlePart) {
  // Unowned windows report owner 0: without a main window nothing is AutoCAD's.
  if (MainWindow == 0) return 0;
  auto& desktop = platform::desktop();
  for (const Entry& e : topLevelSnapshot())
    if (desktop.parentOrOwner(e.window) == MainWindow && has(title(e.window), titlePart)) return e.window;
  return 0;
}

bool TfControl::ClickNoButton(const std::string& titlePart) {
  const WindowHandle dialog = FindAutoCADDialog(titlePart);
  if (dialog == 0) return false;
  auto& desktop = platform::desktop();
  // Class and text compare without regard to case, as the system's window
  // search does.
  auto findButton = [&](const std::string& text) -> WindowHandle {
    for (WindowHandle w : desktop.descendants(dialog))
      if (desktop.parentOrOwner(w) == dialog && base::equalsNoCase(desktop.className(w), "Button") &&
          base::equalsNoCase(title(w), text))
        return w;
    return 0;
  };
  WindowHandle button = findButton("NO");
  if (button == 0) button = findButton("いいえ(&N)");
  platform::clock().sleepMs(timing::kBeforeButtonPressMs);
  if (button != 0) desktop.pressButton(button);
  return true;
}

void TfControl::QuitAutoCAD() {
  SendCommand("quit\n");
  platform::clock().sleepMs(timing::kAfterQuitCommandMs);
  // AutoCAD asks whether to save the drawing: the answer is No.
  ClickNoButton("AutoCAD LT");
  ClickNoButton("AutoCAD");
  clearHandles();
}

// ---------------------------------------------------------------- helpers

void TfControl::RunStartHelper() {
  const std::string path = platform::programFolder() + "TfGrebe";
  auto& processes = platform::processes();
  const std::optional<int> id = processes.osPlatformId();
  if (!id) return;
  if (*id == 2) processes.runHidden("CMD.EXE /c " + path);
  else if (*id == 1) processes.runHidden("COMMAND.COM /c " + path);
  else return;
  platform::clock().sleepMs(timing::kAfterStartHelperMs);
}

void TfControl::CopyHistoryToClipboard() {
  platform::clipboard().clear();
  platform::desktop().sendCommand(TextWindow, kCopyHistoryCommand, 0);
}

ClipboardKeeper::ClipboardKeeper() : text_(platform::clipboard().getText()) {}

ClipboardKeeper::~ClipboardKeeper() {
  try {
    if (text_.empty()) platform::clipboard().clear();
    else platform::clipboard().setText(text_);
  } catch (...) {
    // Not worth ending the program for: the user's text is lost, as it
    // would have been without the keeper.
  }
}

WindowHandle StartHelperProgram(const std::string& programPath, const std::string& argument,
                                const std::string& windowTitle) {
  const std::string commandLine = argument.empty() ? programPath : programPath + " " + argument;
  if (!platform::processes().createProcessAndWaitIdle(commandLine, timing::kHelperIdlePollMs,
                                                      [] { ui::processMessages(); }))
    return 0;
  platform::clock().sleepMs(timing::kAfterHelperIdleMs);
  return platform::desktop().findWindowByTitle(windowTitle);
}

bool PostHelperMessage(WindowHandle window, const std::string& messageName, const std::string& text) {
  return platform::desktop().postAtomMessage(window, messageName, text);
}

}  // namespace acadlink
