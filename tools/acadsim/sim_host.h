// The stand-in on the simulated desktop: it shows each session in windows
// shaped like AutoCAD's (main frame with a prompt line and a history of one
// class among other children, a separate text window, the save question of
// "quit" as a message box owned by the main frame) and answers what the
// program sends them.
//
//   platform::SimDesktop desktop; platform::SimClock clock; ...
//   acadsim::SimHost acad(desktop, clock, clipboard, processes);
//   acad.registerProgram("C:\\acad\\acad.exe");  // createProcess starts one
//   acad.associateDwg();                          // shellOpen of a .dwg starts one
//   clock.advance(3000);                          // its windows appear now
//   acad.session()->promptLine();                 // "コマンド: "
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "acadsim/journal.h"
#include "acadsim/session.h"
#include "acadsim/typist.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_desktop.h"

namespace acadsim {

// Window classes of the simulated AutoCAD.
inline constexpr const char* kMainFrameClass = "AfxMDIFrame70";
inline constexpr const char* kCommandLineClass = "AcadCmdLine";  // prompt line and history
inline constexpr const char* kTextWindowClass = "AcadTextWindow";
inline constexpr const char* kDialogClass = "#32770";
inline constexpr int kCopyHistoryCommand = 32781;

class SimHost {
 public:
  struct Options {
    acadsim::Options session;  // release, LT, fonts, work folder, plot devices and style tables
    Behaviour behaviour;       // reply delay, latency, hang, vanish
    int startupDelayMs = 3000;  // from createProcess / shellOpen to the windows
    std::string journalPath;    // empty: the journal is kept in memory only
  };

  // One running (or ended) stand-in and its windows; handles are 0 once gone.
  struct Instance {
    std::unique_ptr<Session> session;
    std::unique_ptr<Typist> typist;  // between the reply delay and the session
    Behaviour behaviour;
    bool alive = false;
    bool hung = false;
    platform::WindowHandle mainFrame = 0;
    platform::WindowHandle promptLine = 0;  // text: the prompt line
    platform::WindowHandle history = 0;     // text: the history; same class as promptLine
    platform::WindowHandle document = 0;    // the drawing's window in the MDI client
    platform::WindowHandle textWindow = 0;  // separate top-level window
    platform::WindowHandle textEdit = 0;    // its edit control with the history
    platform::WindowHandle messageBox = 0;  // the save question of "quit", while shown
    std::vector<std::string> queue;         // inputs waiting for the reply delay
    std::int64_t lastDue = 0;
    // An input's work: it starts when the null message wakes the command
    // loop (at once for further inputs of the same text), and until it is
    // done the windows answer no message.
    bool awake = true;
    std::pair<int, std::function<void()>> work;
    bool working = false;
    std::int64_t busyUntil = 0;
  };

  SimHost(platform::SimDesktop& desktop, platform::SimClock& clock, platform::SimClipboard& clipboard,
          platform::SimProcesses& processes);
  SimHost(platform::SimDesktop& desktop, platform::SimClock& clock, platform::SimClipboard& clipboard,
          platform::SimProcesses& processes, Options options);
  ~SimHost();
  SimHost(const SimHost&) = delete;
  SimHost& operator=(const SimHost&) = delete;

  // Applies to the stand-ins started afterwards.
  Options& options() { return options_; }

  // createProcess of this path (optionally followed by a blank and a
  // drawing path, which may be quoted) starts a stand-in after the start-up
  // delay.
  void registerProgram(const std::string& path);
  // shellOpen of a ".dwg" file starts one with that drawing, after the delay.
  void associateDwg();
  // Starts one at once (an AutoCAD that was running before the program).
  Instance& start(const std::string& drawing = {});

  bool running() const;        // some stand-in has its windows
  Session* session();          // the newest running one; null if none
  Instance* instance();        // likewise
  const std::vector<std::unique_ptr<Instance>>& instances() const { return instances_; }
  int startRequests() const { return startRequests_; }  // createProcess / shellOpen calls taken
  const Journal& journal() const { return journal_; }
  Journal& journal() { return journal_; }

  // Failure paths: stop answering messages; destroy the windows.
  void hang(Instance& in);
  void vanish(Instance& in);

 private:
  void scheduleStart(const std::string& drawing);
  void createWindows(Instance& in);
  void deliver(Instance& in, const std::string& bytes);
  void startWork(Instance& in);
  bool settle(Instance& in, std::string_view typed);
  void refresh(Instance& in);
  void showMessageBox(Instance& in);
  void closeMessageBox(Instance& in);
  void answer(Instance& in, SaveAnswer a);
  void destroyWindows(Instance& in);
  std::vector<platform::WindowHandle> windowsOf(const Instance& in);

  platform::SimDesktop& desktop_;
  platform::SimClock& clock_;
  platform::SimClipboard& clipboard_;
  platform::SimProcesses& processes_;
  Options options_;
  Journal journal_;
  std::vector<std::unique_ptr<Instance>> instances_;
  int startRequests_ = 0;
  // Scheduled actions and launchers outlive nothing: they check this token.
  std::shared_ptr<SimHost*> self_;
};

}  // namespace acadsim
