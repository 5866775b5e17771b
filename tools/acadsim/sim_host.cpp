#include "acadsim/sim_host.h"

#include <algorithm>

#include "base/text.h"

namespace acadsim {

using platform::WindowHandle;

SimHost::SimHost(platform::SimDesktop& desktop, platform::SimClock& clock, platform::SimClipboard& clipboard,
                 platform::SimProcesses& processes)
    : SimHost(desktop, clock, clipboard, processes, Options{}) {}

SimHost::SimHost(platform::SimDesktop& desktop, platform::SimClock& clock, platform::SimClipboard& clipboard,
                 platform::SimProcesses& processes, Options options)
    : desktop_(desktop),
      clock_(clock),
      clipboard_(clipboard),
      processes_(processes),
      options_(std::move(options)),
      journal_(options_.journalPath),
      self_(std::make_shared<SimHost*>(this)) {
  // Ending a stand-in's process takes all its windows, hung or not.
  std::weak_ptr<SimHost*> token = self_;
  processes_.ender = [token](WindowHandle w) {
    auto self = token.lock();
    if (!self) return false;
    for (auto& in : (*self)->instances_) {
      const std::vector<WindowHandle> own = (*self)->windowsOf(*in);
      if (std::find(own.begin(), own.end(), w) == own.end()) continue;
      (*self)->destroyWindows(*in);
      in->hung = false;
      in->queue.clear();
      in->typist->stop();
      return true;
    }
    return false;
  };
}

SimHost::~SimHost() {
  // The desktop may outlive us: its windows must not call back into a
  // host that is gone.
  self_.reset();
  for (auto& in : instances_)
    for (WindowHandle h : windowsOf(*in))
      if (platform::SimWindow* w = desktop_.window(h)) {
        w->onCopyData = nullptr;
        w->onCommand = nullptr;
        w->onPress = nullptr;
        w->onNull = nullptr;
        w->busy = nullptr;
      }
}

void SimHost::registerProgram(const std::string& path) {
  std::weak_ptr<SimHost*> token = self_;
  processes_.registerProgram(path, [token, path](const std::string& commandLine) {
    auto self = token.lock();
    if (!self) return false;
    std::string drawing = commandLine.size() > path.size() ? base::trim(commandLine.substr(path.size())) : "";
    (*self)->scheduleStart(drawing);
    return true;
  });
}

void SimHost::associateDwg() {
  std::weak_ptr<SimHost*> token = self_;
  processes_.associate(".dwg", [token](const std::string& file) {
    auto self = token.lock();
    if (!self) return false;
    (*self)->scheduleStart(file);
    return true;
  });
}

void SimHost::scheduleStart(const std::string& drawing) {
  ++startRequests_;
  std::weak_ptr<SimHost*> token = self_;
  clock_.schedule(options_.startupDelayMs, [token, drawing] {
    if (auto self = token.lock()) (*self)->start(drawing);
  });
}

SimHost::Instance& SimHost::start(const std::string& drawing) {
  if (journal_.path() != options_.journalPath) journal_.setPath(options_.journalPath);
  auto in = std::make_unique<Instance>();
  in->session = std::make_unique<Session>(options_.session, &journal_);
  in->behaviour = options_.behaviour;
  in->session->start(drawing);
  Instance* p = in.get();
  Typist::Hooks hooks;
  hooks.show = [this, p] {
    if (p->alive && !p->hung) refresh(*p);
  };
  hooks.settle = [this, p](std::string_view typed) { return settle(*p, typed); };
  hooks.schedule = [this, p](int delayMs, std::function<void()> fn) {
    p->work = {delayMs, std::move(fn)};
    if (p->awake) startWork(*p);
  };
  in->typist = std::make_unique<Typist>(*in->session, in->behaviour.latency, std::move(hooks));
  Instance& ref = *in;
  instances_.push_back(std::move(in));
  createWindows(ref);
  return ref;
}

void SimHost::createWindows(Instance& in) {
  Session& s = *in.session;
  in.alive = true;
  in.mainFrame = desktop_.createTopLevel(s.mainTitle(), kMainFrameClass);

  // Around the command line, other windows with other classes and texts, as
  // a real frame has: toolbars with an edit box, the MDI client, a status bar.
  WindowHandle toolbar = desktop_.createChild(in.mainFrame, "標準", "AfxControlBar70");
  desktop_.createChild(toolbar, "標準", "ToolbarWindow32");
  WindowHandle layers = desktop_.createChild(in.mainFrame, "オブジェクト プロパティ", "AfxControlBar70");
  WindowHandle combo = desktop_.createChild(layers, "", "ComboBox");
  desktop_.createChild(combo, "0", "Edit");
  WindowHandle mdi = desktop_.createChild(in.mainFrame, "", "MDIClient");
  in.document = desktop_.createChild(mdi, s.drawingName(), "AfxFrameOrView70");
  WindowHandle bar = desktop_.createChild(in.mainFrame, "", "AfxControlBar70");
  in.history = desktop_.createChild(bar, s.historyText(), kCommandLineClass);
  in.promptLine = desktop_.createChild(bar, s.promptLine(), kCommandLineClass);
  desktop_.createChild(in.mainFrame, "", "msctls_statusbar32");

  in.textWindow = desktop_.createTopLevel(s.textWindowTitle(), kTextWindowClass);
  in.textEdit = desktop_.createChild(in.textWindow, "", "Edit");

  Instance* p = &in;
  // Busy with an input, AutoCAD answers no message: whoever sends one
  // waits until it is done.
  for (WindowHandle h : windowsOf(in))
    desktop_.window(h)->busy = [this, p] {
      for (int guard = 0; p->alive && p->working && guard < 1000; ++guard)
        clock_.advance(std::max<std::int64_t>(0, p->busyUntil - clock_.nowMs()));
    };
  platform::SimWindow* main = desktop_.window(in.mainFrame);
  main->onCopyData = [this, p](std::uintptr_t dwData, const std::string& bytes) {
    if (dwData != 1 || !p->alive) return false;
    deliver(*p, bytes);
    return true;
  };
  // The null message wakes the command loop, which then works on the input.
  main->onNull = [this, p] {
    p->awake = true;
    startWork(*p);
  };
  desktop_.window(in.textWindow)->onCommand = [this, p](std::uintptr_t wParam, std::intptr_t) {
    if (p->alive && wParam == static_cast<std::uintptr_t>(kCopyHistoryCommand))
      clipboard_.setText(p->session->historyText());
  };
  refresh(in);
}

void SimHost::startWork(Instance& in) {
  if (!in.work.second) return;
  auto [ms, fn] = std::move(in.work);
  in.work = {};
  in.working = true;
  in.busyUntil = clock_.nowMs() + ms;
  std::weak_ptr<SimHost*> token = self_;
  Instance* p = &in;
  clock_.schedule(ms, [token, p, fn = std::move(fn)] {
    if (!token.lock()) return;
    p->working = false;
    fn();
  });
}

void SimHost::deliver(Instance& in, const std::string& bytes) {
  // Typed text is echoed; the input waits for the command loop's wake.
  in.awake = false;
  const std::int64_t now = clock_.nowMs();
  if (in.behaviour.replyDelayMs <= 0 && in.queue.empty()) {
    in.typist->receive(bytes);
    return;
  }
  // Inputs keep their order even when the delay changes between them.
  const std::int64_t due = std::max(now + std::max(in.behaviour.replyDelayMs, 0), in.lastDue);
  in.lastDue = due;
  in.queue.push_back(bytes);
  std::weak_ptr<SimHost*> token = self_;
  Instance* p = &in;
  clock_.schedule(due - now, [token, p] {
    auto self = token.lock();
    if (!self || p->queue.empty()) return;
    std::string next = std::move(p->queue.front());
    p->queue.erase(p->queue.begin());
    if (p->alive && !p->hung) p->typist->receive(next);
  });
}

// The result of what was typed is due: the windows show it, then the
// faults that follow an input happen.
bool SimHost::settle(Instance& in, std::string_view) {
  if (!in.alive || in.hung) return false;
  refresh(in);
  if (!in.alive) return false;
  const Behaviour& b = in.behaviour;
  const int n = in.session->inputCount();
  if (b.vanishAfterInputs >= 0 && n >= b.vanishAfterInputs) {
    vanish(in);
    return false;
  }
  if ((b.hangAfterInputs >= 0 && n >= b.hangAfterInputs) ||
      (!b.hangAtPrompt.empty() && base::contains(in.session->promptLine(), b.hangAtPrompt))) {
    hang(in);
    return false;
  }
  return true;
}

void SimHost::refresh(Instance& in) {
  if (!in.alive) return;
  Session& s = *in.session;
  if (s.state() == Session::State::Ended) {
    destroyWindows(in);
    return;
  }
  desktop_.setTitle(in.mainFrame, s.mainTitle());
  desktop_.setTitle(in.document, s.drawingName());
  desktop_.setTitle(in.history, s.historyText());
  desktop_.setTitle(in.promptLine, s.promptLine());
  desktop_.setTitle(in.textWindow, s.textWindowTitle());
  desktop_.setTitle(in.textEdit, s.historyText() + "\r\n" + s.promptLine());
  if (s.state() == Session::State::AskingToSave)
    showMessageBox(in);
  else
    closeMessageBox(in);
}

void SimHost::showMessageBox(Instance& in) {
  if (in.messageBox) return;
  Session& s = *in.session;
  in.messageBox = desktop_.createTopLevel(s.saveQuestionTitle(), kDialogClass, in.mainFrame);
  desktop_.createChild(in.messageBox, "", "Static");  // the icon
  desktop_.createChild(in.messageBox, s.saveQuestionText(), "Static");
  struct B {
    const char* text;
    SaveAnswer answer;
  };
  for (B b : {B{"はい(&Y)", SaveAnswer::Yes}, B{"いいえ(&N)", SaveAnswer::No}, B{"キャンセル", SaveAnswer::Cancel}}) {
    WindowHandle h = desktop_.createChild(in.messageBox, b.text, "Button");
    Instance* p = &in;
    desktop_.window(h)->onPress = [this, p, a = b.answer] { answer(*p, a); };
  }
}

void SimHost::closeMessageBox(Instance& in) {
  if (!in.messageBox) return;
  desktop_.destroyWindow(in.messageBox);
  in.messageBox = 0;
}

void SimHost::answer(Instance& in, SaveAnswer a) {
  if (!in.alive || in.hung) return;
  in.session->answerSaveQuestion(a);
  refresh(in);
}

void SimHost::destroyWindows(Instance& in) {
  for (WindowHandle h : {in.messageBox, in.textWindow, in.mainFrame})
    if (h) desktop_.destroyWindow(h);
  in.alive = false;
  in.mainFrame = in.promptLine = in.history = in.document = in.textWindow = in.textEdit = in.messageBox = 0;
}

std::vector<WindowHandle> SimHost::windowsOf(const Instance& in) {
  std::vector<WindowHandle> out;
  for (WindowHandle top : {in.mainFrame, in.textWindow, in.messageBox}) {
    if (!top || !desktop_.isWindow(top)) continue;
    out.push_back(top);
    for (WindowHandle d : desktop_.descendants(top)) out.push_back(d);
  }
  return out;
}

void SimHost::hang(Instance& in) {
  in.hung = true;
  for (WindowHandle h : windowsOf(in))
    if (platform::SimWindow* w = desktop_.window(h)) w->hung = true;
}

void SimHost::vanish(Instance& in) { destroyWindows(in); }

bool SimHost::running() const {
  return std::any_of(instances_.begin(), instances_.end(), [](const auto& in) { return in->alive; });
}

SimHost::Instance* SimHost::instance() {
  for (auto it = instances_.rbegin(); it != instances_.rend(); ++it)
    if ((*it)->alive) return it->get();
  return nullptr;
}

Session* SimHost::session() {
  Instance* in = instance();
  return in ? in->session.get() : nullptr;
}

}  // namespace acadsim
