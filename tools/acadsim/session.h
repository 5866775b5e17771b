// The AutoCAD stand-in's command line: fed with the bytes that are typed
// into it (CP932, as WM_COPYDATA brings them), it keeps a prompt line, a
// history, system variables and one open drawing, and writes a journal.
// Hosts (the simulated desktop, the Win32 program) show it in windows.
//
// Words by release family:
//   2000-2002: half-width katakana ("ｺﾏﾝﾄﾞ: ", "ﾃｷｽﾄ", "ｼｪｲﾌﾟ", "文字ｽﾀｲﾙ",
//              "ﾚｲｱｳﾄ", "ﾌﾞﾛｯｸ名:"); saveas asks "上書きしますか? <N> ".
//   2004-2006: full-width ("コマンド: ", "テキスト", "シェイプ", "文字スタイル",
//              "レイアウト", "ブロック名:"); saveas asks "置き換えますか? <N> ".
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "acadsim/dxf.h"
#include "acadsim/journal.h"
#include "acadsim/latency.h"

namespace acadsim {

// How the stand-in reaches files. Empty members mean the real file system.
struct Files {
  std::function<bool(const std::string& path, std::string& bytes)> read;
  std::function<bool(const std::string& path, const std::string& bytes)> write;
  std::function<bool(const std::string& path)> exists;
};

// A plot device as "-plot" offers it, with the papers its "?" lists.
struct PlotDevice {
  std::string name;  // "DWG To PDF.pc3", a printer name
  std::vector<std::string> papers;
};

// Two devices with ISO papers; the style tables "acad.ctb", "monochrome.ctb".
std::vector<PlotDevice> defaultPlotDevices();
std::vector<std::string> defaultPlotStyles();

// Reads a plotter configuration: one entry a line, UTF-8 or CP932,
//   device=DWG To PDF.pc3
//   paper=ISO A3 (420.00 x 297.00 mm)     (a paper of the device above it)
//   style=monochrome.ctb
// Blank lines and lines starting with "#" or ";" are skipped. False, with
// the line number in *error, on a line of no known kind or a paper before
// any device; the lists are then left as they were.
bool parsePlotters(std::string_view text, std::vector<PlotDevice>& devices, std::vector<std::string>& styles,
                   std::string* error = nullptr);

struct Options {
  int release = 2004;  // 2000, 2002: half-width family; 2004, 2005, 2006: full-width
  bool lt = false;
  // Font and shape files that exist (file names, compared without regard
  // to case; ".shx" is assumed when a name has no extension) ...
  std::vector<std::string> fonts = {"txt.shx", "bigfont.shx", "extfont.shx", "ltypeshp.shx"};
  // ... and folders in which a file of the name also makes it exist.
  std::vector<std::string> fontFolders;
  // Where an unnamed drawing is saved and relative file names are looked
  // up when the drawing has no folder of its own; empty: the current folder.
  std::string workFolder;
  // What "-plot" can plot to, and the plot style tables it knows.
  std::vector<PlotDevice> plotDevices = defaultPlotDevices();
  std::vector<std::string> plotStyles = defaultPlotStyles();
  Files files;
  // The history keeps this many of its last lines, as AutoCAD's text
  // window keeps a bounded history: a long batch must not make every
  // input slower than the one before.
  int historyLines = 1000;
};

// Knobs for the failure paths of the tests, applied by the hosts.
struct Behaviour {
  int replyDelayMs = 0;        // before the windows show the result of an input
  int hangAfterInputs = -1;    // stop answering messages after this many inputs
  std::string hangAtPrompt;    // ... or when the prompt line contains this text
  int vanishAfterInputs = -1;  // destroy the windows after this many inputs
  Latency latency;             // AutoCAD's own time for each input
};

enum class SaveAnswer { Yes, No, Cancel };

class Session {
 public:
  // What the last input made AutoCAD do, for the hosts' latency.
  enum class Work { Answer, Open, Save, Plot };

  enum class State {
    Running,
    AskingToSave,  // "quit" with unsaved changes: the host shows the message box
    Ended,
  };

  explicit Session(Options options = {}, Journal* journal = nullptr);

  // Opens the drawing (a missing or unreadable one leaves a new drawing
  // "Drawing1.dwg" without a file). Questions about missing fonts are not
  // asked at start-up: the stand-in must come up at its command prompt.
  void start(const std::string& drawingPath = {});

  // Bytes as typed (CP932): "\n" (or "\r") ends an input, a blank ends one
  // where AutoCAD takes it as Enter (commands, keywords, values), ESC (0x1B)
  // cancels, backspace removes a character. A NUL ends the data.
  void type(std::string_view cp932);
  void typeText(std::string_view utf8);  // the same, from UTF-8 (tests)
  // Where an input would end if bytes were typed now: the index of the
  // first "\r", "\n", ESC, or blank taken as Enter at the current question;
  // npos when there is none. Double-byte characters are stepped over as
  // type() does.
  size_t inputEnd(std::string_view bytes) const;
  Work lastWork() const { return lastWork_; }

  // What the prompt-line window shows: the prompt and what was typed so far.
  std::string promptLine() const;
  // Finished lines, oldest first: every prompt with the answer typed, and
  // the messages. The current prompt is not part of it.
  const std::vector<std::string>& history() const { return history_; }
  std::string historyText() const;  // the lines joined with "\r\n"

  State state() const { return state_; }
  // The save question of "quit": the message box's title and text.
  std::string saveQuestionTitle() const;
  std::string saveQuestionText() const;
  void answerSaveQuestion(SaveAnswer a);

  std::string mainTitle() const;        // "AutoCAD 2004 - [C:\a\b.dwg]"
  std::string textWindowTitle() const;  // "AutoCAD テキスト ウィンドウ - b.dwg"
  bool halfWidth() const { return options_.release < 2004; }
  const Options& options() const { return options_; }

  const Drawing& drawing() const { return drawing_; }
  const std::string& drawingPath() const { return path_; }  // empty: never saved
  std::string drawingName() const;                          // "Drawing1.dwg" or the file name
  bool modified() const { return modified_; }
  bool inPaperSpace() const { return !drawing_.tileMode; }
  // The value a variable's prompt shows between "<" and ">"; empty when the
  // stand-in does not know the name.
  std::string variable(std::string_view name) const;
  int inputCount() const { return inputs_; }

 private:
  struct Question {
    std::string prompt;
    bool blankEnds = true;  // false for names that may hold blanks (files, layouts)
    std::function<void(const std::string& answer)> onAnswer;
  };

  const char* w(const char* half, const char* full) const { return halfWidth() ? half : full; }
  std::string idlePrompt() const;
  void ask(std::string prompt, bool blankEnds, std::function<void(const std::string&)> onAnswer);
  void say(std::string line);
  void enter();
  void cancel();
  void backspace();
  void runCommand(const std::string& typed);

  // Commands.
  static bool knownVariable(const std::string& upperName);
  void variableCommand(const std::string& name);
  void fileOpen();
  void openAnswer(const std::string& answer);
  void askMissing(std::vector<std::pair<int, std::string>> missing, size_t i);
  void saveAs();
  void saveAsName(const std::string& format);
  void askFileName(const std::string& def, const std::string& ext, const std::string& format);
  void save();
  std::string fileText() const;
  bool writeDrawing(const std::string& path, const std::string& format);
  void quit();
  void end();  // the stand-in ends: journalled as "quit"
  void layoutCommand();
  void layoutList(const std::string& pattern);
  void setLayout(const std::string& name);
  void limits();
  void limitsLowerLeft();
  void limitsUpperRight(Point2 lowerLeft);
  void zoom();

  // "-plot": one job carried through the questions; ESC drops it.
  struct PlotJob;
  using Job = std::shared_ptr<PlotJob>;
  void plot();
  void askYesNo(const std::string& prompt, bool def, std::function<void(bool)> then);
  void plotLayout(Job j);
  void plotDevice(Job j, const std::string& failure = {});
  void plotPaper(Job j, const std::string& failure = {});
  void plotUnits(Job j);
  void plotOrientation(Job j);
  void plotUpsideDown(Job j);
  void plotArea(Job j);
  void plotWindow(Job j);
  void plotScale(Job j);
  void plotOffset(Job j);
  void plotStyles(Job j);
  void plotStyleTable(Job j, const std::string& failure = {});
  void plotLineweights(Job j);
  void plotLayoutOptions(Job j);
  void plotToFile(Job j);
  void plotFileName(Job j);
  void plotSaveSetup(Job j);
  void plotProceed(Job j);
  void plotDone(const PlotJob& j);
  const PlotDevice* findDevice(const std::string& name) const;
  PageSetup* setupOf(const std::string& layout);

  // Files.
  std::string resolve(const std::string& name) const;
  bool exists(const std::string& path) const;
  bool readFile(const std::string& path, std::string& bytes) const;
  bool fontExists(const std::string& name) const;
  std::optional<Drawing> load(const std::string& path, std::string& text) const;
  std::string drawingFile() const;  // the drawing's path, or where an unnamed one is saved
  void opened(const std::string& path, Drawing d, std::string text);

  std::string formatPoint(const Point2& p) const;
  std::string defaultLayoutName() const;
  std::string defaultFormat() const;

  Options options_;
  Journal* journal_;
  State state_ = State::Running;
  Drawing drawing_;
  std::string path_;
  std::string text_;  // the DXF text the drawing was read from or last saved as; empty: a new drawing
  bool modified_ = false;
  std::map<std::string, PageSetup> plotCurrent_;  // by upper-case layout name: last plot's answers
  std::map<std::string, int> settings_;  // FILEDIA and the others kept by the program, not the drawing
  std::optional<Question> question_;
  std::string pending_;  // typed bytes of the current input, CP932
  std::vector<std::string> history_;
  std::string lastCommand_;
  int inputs_ = 0;
  Work lastWork_ = Work::Answer;
};

}  // namespace acadsim
