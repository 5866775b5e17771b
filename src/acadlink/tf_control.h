// The link to a running AutoCAD: finds (or starts) it among the top-level
// windows, types text into its main window and reads its prompt line back.
// Every object that drives AutoCAD derives from TfControl and keeps its own
// set of window handles.
#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "platform/desktop.h"

namespace acadlink {

using platform::WindowHandle;

// The words AutoCAD's windows are recognised by. The 2000-2002 releases
// write half-width katakana, the 2004-2006 releases full-width.
inline constexpr const char* kTextWord2000 = "ﾃｷｽﾄ";
inline constexpr const char* kTextWord2004 = "テキスト";
inline constexpr const char* kPromptStart2000 = "ｺﾏﾝﾄﾞ";       // automatic search
inline constexpr const char* kPromptStart2004 = "コマンド:";    // automatic search
inline constexpr const char* kPromptWord2000 = "ｺﾏﾝﾄﾞ";        // search by release
inline constexpr const char* kPromptWord2004 = "コマンド";      // search by release
inline constexpr const char* kIdlePrompt2000 = "ｺﾏﾝﾄﾞ:";
inline constexpr const char* kIdlePrompt2004 = "コマンド:";

// Typed by callers: cancels AutoCAD's current command or prompt.
inline constexpr const char* kEsc = "\x1b";

// The four windows of a connection, handed from one link object to another.
struct AutoCADHandles {
  WindowHandle MainWindow = 0;
  WindowHandle CommandLine = 0;
  WindowHandle CommandHistory = 0;
  WindowHandle TextWindow = 0;

  bool operator==(const AutoCADHandles&) const = default;
};

// Why a wait for AutoCAD ended.
enum class WaitEnd {
  Met,        // the condition holds
  Abandoned,  // the caller's step between polls gave up
  Stopped,    // the caller's stop request
  AcadGone,   // AutoCAD's prompt line or text window vanished
  TimedOut,   // the limit passed
};

// What bounds a wait besides AutoCAD itself vanishing, which ends every one.
struct WaitBounds {
  std::int64_t limitMs = 0;             // 0 or less: no limit
  std::function<bool()> stopRequested;  // empty: nothing can stop the wait
  // Off only while AutoCAD is being started and has no windows yet.
  bool endIfAcadGone = true;
};

// Why a wait gave up, in the words the runs tell the user: AutoCAD gone,
// or not back at its prompt within limitMs. Empty for the other ends.
std::string WaitFailureText(WaitEnd why, std::int64_t limitMs);
// The same for a typed text AutoCAD did not take.
inline constexpr const char* kInputRefusedText = "AutoCAD が入力を受け付けなくなりました。";

// An unexpected error of a run in the user's words: what could not be done
// and, for a text AutoCAD could not be given, which text and character. The
// error's own text only ever follows as a detail.
std::string RunErrorText(const std::exception& e);

class TfControl {
 public:
  TfControl() = default;
  virtual ~TfControl() = default;

  // 2: connected (already, or AutoCAD was started and its four windows
  // found); 1: an AutoCAD this object is not connected to is running
  // (nothing started, handles kept); 0: not started or not all windows
  // found in time (handles cleared).
  // stopRequested, when given, ends the look for the new windows early
  // (result 0).
  int FindOrStartAutoCAD(int startWaitSeconds, const std::function<bool()>& stopRequested = {});
  // Attaches to a running AutoCAD by the words of its release; false keeps
  // the handles as they were.
  bool FindAutoCADByCaptions(const std::string& promptWord, const std::string& textWord);
  // An AutoCAD text window exists now and it is this object's.
  bool IsSameAutoCAD();
  // Takes over the AutoCAD whose windows these were, when it still runs
  // and is the AutoCAD FindOrStartAutoCAD would find: a batch continued
  // after the program's own end goes on with the AutoCAD it started. False
  // keeps the handles as they were.
  bool TakeOverAutoCAD(const AutoCADHandles& windows);
  // Quits AutoCAD, answering its save question with No; clears the handles.
  void QuitAutoCAD();

  // Types text (UTF-8, written in CP932) into AutoCAD. Throws
  // base::EncodingError, sending nothing, when the text has no CP932 form.
  // Paced, it returns once AutoCAD shows its answer, at the latest when the
  // unpaced pauses would have ended.
  void SendCommand(const std::string& text);
  // The pause of ms after a typed text ("AcadCommandWait"). Paced, it ends
  // as soon as AutoCAD's prompt line shows its answer to the last text
  // typed (at once when it shows already), with ms as the ceiling.
  void AwaitAnswer(int ms);
  // Paced typing ("高速送信"): the pauses after typing end when AutoCAD has
  // visibly taken the text instead of after a fixed time.
  void SetPacedSend(bool on) { pacedSend_ = on; answer_ = {}; }
  bool PacedSend() const { return pacedSend_; }
  // The pause before the prompt line is read to test what it shows. Paced,
  // it awaits the answer still due, and is no pause at all right after one.
  void PauseBeforeRead(int ms);
  std::string ReadCommandLine();
  std::string ReadWindowText(WindowHandle window);
  bool IsCommandPrompt();
  bool IsPromptShown();

  // AutoCAD's prompt line or its text window has vanished: it crashed or
  // was closed.
  bool IsAcadGone();
  // A typed text was not taken: AutoCAD's main window is gone or did not
  // answer in time. From then on nothing more is typed (each text would
  // cost another time-out) and every wait that ends when AutoCAD is gone
  // ends at once, until the next connection.
  bool InputRefused() const { return inputRefused_; }
  // WaitFailureText, except that an AutoCAD which is still there but took
  // no input is told as such rather than as gone.
  std::string WaitFailureReason(WaitEnd why, std::int64_t limitMs);
  // The one wait for AutoCAD. Ends at once, as AutoCAD gone, when a typed
  // text was refused. Otherwise polls condition until it holds; between two
  // polls it pauses pollMs, processes the program's messages and ends the
  // wait when the caller asks to stop, AutoCAD is gone or the limit has
  // passed, in that order; then runs step, which may give up by returning
  // false. Conditions that pause themselves (IsCommandPrompt) take pollMs 0.
  WaitEnd WaitUntil(const std::function<bool()>& condition, const WaitBounds& bounds, int pollMs = 0,
                    const std::function<bool()>& step = {});

  // FILEDIA, CMDDIA and PROXYNOTICE to 0, so that AutoCAD asks on its
  // command line; and back to the user's values. wait: the pause after
  // each input (ms).
  void TypeDialogVariablesOff(int wait);
  void TypeDialogVariablesBack(int wait, int fileDia, int cmdDia, int proxyNotice);

  std::string GetVariable(const std::string& name);
  void SetVariable(const std::string& name, const std::string& value);
  std::string ReadPromptDefault();

  // "saveas" with the file format's default, then path; a question whether
  // to replace the file there is answered yes. The caller waits for the
  // prompt after it its own way. wait: the pause after each input (ms).
  void SaveDrawingAs(const std::string& path, int wait);

  bool AnswerEnterIf(const std::string& text);
  bool AnswerYesIf(const std::string& text);
  bool CancelIf(const std::string& text);

  // A top-level window owned by MainWindow whose title contains titlePart;
  // 0 when there is none.
  WindowHandle FindAutoCADDialog(const std::string& titlePart);
  bool ClickNoButton(const std::string& titlePart);

  void RunStartHelper();
  void CopyHistoryToClipboard();

  void SetAcadExePath(const std::string& path) { AcadExePath = path; }
  const std::string& GetAcadExePath() const { return AcadExePath; }
  void SetAcadArg(const std::string& arg) { AcadArg = arg; }
  const std::string& GetAcadArg() const { return AcadArg; }
  void SetHandles(const AutoCADHandles& h);
  AutoCADHandles GetHandles() const;

 protected:
  WindowHandle MainWindow = 0;
  WindowHandle CommandLine = 0;
  WindowHandle CommandHistory = 0;
  WindowHandle TextWindow = 0;
  std::string AcadExePath;
  std::string AcadArg;

 private:
  // The answer awaited to the last text typed while paced.
  struct PendingAnswer {
    bool pending = false;     // typed, answer not yet seen
    // The prompt line can tell when it comes; if not, the pauses after the
    // text are the fixed ones, as unpaced.
    bool verifiable = false;
    bool fresh = false;       // seen, and the prompt line not tested since
    bool cancel = false;      // the text was ESC
    bool sawEcho = false;
    std::string before;       // the prompt line before the text was typed
    std::string echo;         // what AutoCAD echoes of it
    // Typed at the command prompt, a command may end at it again: then the
    // history pane, which gains the command's line, tells that it was taken.
    bool watchHistory = false;
    std::string historyBefore;
  };
  bool inputRefused_ = false;
  bool pacedSend_ = false;
  PendingAnswer answer_;
  void expectAnswer(const std::string& text);
  bool answerShown(const std::string& line);
  void pollAnswer(int ceilingMs);
  void clearHandles();
  bool startAutoCAD();
};

// The link carries AutoCAD's history over the clipboard. This keeps the
// text the user had there and puts it back when it goes out of scope (an
// empty clipboard stays empty; what is not text cannot be kept).
class ClipboardKeeper {
 public:
  ClipboardKeeper();
  ~ClipboardKeeper();
  ClipboardKeeper(const ClipboardKeeper&) = delete;
  ClipboardKeeper& operator=(const ClipboardKeeper&) = delete;

 private:
  std::string text_;
};

// The default shown in a prompt line: between "<" and ">", without the
// quotes of a text value; the whole line when it shows neither.
std::string CutPromptDefault(const std::string& promptLine);

// Starts a helper program and returns its top-level window, found by exact
// title after it has become idle; 0 when it could not be started or shows
// no such window.
WindowHandle StartHelperProgram(const std::string& programPath, const std::string& argument,
                                const std::string& windowTitle);
// Posts text to a helper window as a global atom with a registered message.
bool PostHelperMessage(WindowHandle window, const std::string& messageName, const std::string& text);

}  // namespace acadlink
