// acadsim.exe: the AutoCAD stand-in in real windows.
//
//   acadsim.exe [--release 2000|2002|2004|2005|2006] [--lt] [--journal FILE]
//               [--journal-times] [--journal-inputs] [--history-lines N]
//               [--fonts DIR]... [--font NAME]... [--work DIR]
//               [--delay MS] [--startup-delay MS] [--hang-after N]
//               [--hang-at TEXT] [--vanish-after N] [--plotters FILE]
//               [--hang-on NAME] [--vanish-on NAME] [--once PREFIX]
//               [--latency SPEC] [DRAWING]
//
// --hang-on and --vanish-on hang or vanish right after an input that holds
// NAME (a drawing's path typed to open it). With --once, each of them
// happens only while the file PREFIX + ".hang" or ".vanish" does not exist,
// and creates it: a stand-in started again does not repeat the fault.
//
// --plotters names the devices, papers and style tables that "-plot"
// knows (lines "device=", "paper=", "style="); a file that cannot be read
// or holds another kind of line ends the stand-in with exit code 1.
// --journal-inputs journals every text typed, as it arrives ("typed",
// with the text), so that a benchmark can see where the time goes.
// --journal-times adds to every journal line "ms", the milliseconds since
// the stand-in started (for the benchmarks); --journal-clock the machine's
// counter in milliseconds instead, one time line for all stand-ins. Either
// also adds "busy", the milliseconds of latency applied so far.
//
// --latency makes the stand-in take its time as AutoCAD does: typed text is
// echoed at once; then, for each input, the stand-in's thread is busy and
// answers no message (a program reading its windows or typing waits) until
// the result shows. SPEC is comma-separated
// "answer=MS,open=MS,save=MS,plot=MS,jitter=MS,seed=N", any subset: open,
// save and plot for the inputs that open a drawing, write it, or make a
// plot, answer for all others, plus 0..jitter at random (repeatable for a
// seed). A bad SPEC ends the stand-in with exit code 1. --delay comes
// before it: the time until typed text reaches the command line at all.
//
// Windows: a main frame "AutoCAD 2004 - [...]" whose command-line bar holds
// a history and a prompt line of one class ("AcadCmdLine") among other
// children; a separate text window "AutoCAD テキスト ウィンドウ - ..." whose
// menu command 32781 copies the history to the clipboard; the save question
// of "quit" as a window "AutoCAD" owned by the main frame with the buttons
// "はい(&Y)", "いいえ(&N)", "キャンセル". Text typed with WM_COPYDATA
// (dwData 1) is taken after the sender's SendMessage has returned.
// The stand-in runs only where the tests run, never on XP: it may use the
// newer calls the product loads by hand.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "acadsim/session.h"
#include "acadsim/typist.h"
#include "base/codec.h"
#include "base/numbers.h"
#include "base/paths.h"

namespace {

constexpr UINT kInputMessage = WM_APP + 1;
constexpr UINT kBusyMessage = WM_APP + 2;
constexpr UINT_PTR kInputTimer = 1;
constexpr UINT_PTR kStartTimer = 2;
constexpr UINT_PTR kTextTimer = 3;
constexpr UINT kTextWindowDelayMs = 1000;
constexpr size_t kHistoryPaneLines = 8;
constexpr size_t kTextWindowLines = 100;
constexpr int kCopyHistoryCommand = 32781;
constexpr wchar_t kFrameClass[] = L"AfxMDIFrame70";
constexpr wchar_t kBarClass[] = L"AfxControlBar70";
constexpr wchar_t kLineClass[] = L"AcadCmdLine";
constexpr wchar_t kViewClass[] = L"AfxFrameOrView70";
constexpr wchar_t kTextClass[] = L"AcadTextWindow";
constexpr wchar_t kBoxClass[] = L"AcadMessageBox";
constexpr wchar_t kLoaderClass[] = L"AcadSimStart";

std::wstring W(std::string_view utf8) {
  const std::u16string w = base::utf8ToUtf16(utf8);
  return std::wstring(reinterpret_cast<const wchar_t*>(w.data()), w.size());
}

std::string U(const wchar_t* text) {
  const std::wstring_view v(text ? text : L"");
  return base::utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(v.data()), v.size()));
}

struct App {
  acadsim::Options options;
  acadsim::Behaviour behaviour;
  std::string journalPath;
  bool journalTimes = false;
  bool journalInputs = false;
  bool textPending = false;  // the text window's update is due
  bool journalClock = false;
  std::string drawing;
  int startupDelayMs = 0;
  std::string hangOn, vanishOn, once;

  std::unique_ptr<acadsim::Journal> journal;
  std::unique_ptr<acadsim::Session> session;
  std::unique_ptr<acadsim::Typist> typist;
  // The typist's waits by id: posted to the main frame, then spent busy.
  std::map<UINT_PTR, std::function<void()>> waits;
  std::map<UINT_PTR, int> waitMs;
  UINT_PTR nextWait = 100;
  HINSTANCE instance = nullptr;
  HFONT font = nullptr;
  HWND loader = nullptr, main = nullptr, document = nullptr, bar = nullptr, history = nullptr,
       prompt = nullptr, status = nullptr, text = nullptr, textEdit = nullptr, box = nullptr;
  struct Pending {
    std::string bytes;
    ULONGLONG due;
  };
  std::deque<Pending> queue;
};

App* appOf(HWND h) { return reinterpret_cast<App*>(GetWindowLongPtrW(h, GWLP_USERDATA)); }

void keepApp(HWND h, UINT msg, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
}

// A hung AutoCAD: the thread never comes back to its messages.
[[noreturn]] void hangForever() {
  HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  for (;;) WaitForSingleObject(never, INFINITE);
}

// ----------------------------------------------------------------- options

bool parseInt(const std::wstring& s, int& out) {
  auto v = base::tryParseInt(U(s.c_str()));
  if (!v) return false;
  out = static_cast<int>(*v);
  return true;
}

void parseArguments(App& app) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return;
  for (int i = 1; i < argc; ++i) {
    const std::wstring a = argv[i];
    const bool hasValue = i + 1 < argc;
    auto value = [&]() { return std::wstring(argv[++i]); };
    if (a == L"--lt") {
      app.options.lt = true;
    } else if (a == L"--release" && hasValue) {
      int r = 0;
      if (parseInt(value(), r) && r >= 2000 && r <= 2006) app.options.release = r;
    } else if (a == L"--history-lines" && hasValue) {
      parseInt(value(), app.options.historyLines);
    } else if (a == L"--journal-times") {
      app.journalTimes = true;
    } else if (a == L"--journal-inputs") {
      app.journalInputs = true;
    } else if (a == L"--journal-clock") {
      app.journalClock = true;
    } else if (a == L"--journal" && hasValue) {
      app.journalPath = U(value().c_str());
    } else if (a == L"--fonts" && hasValue) {
      app.options.fontFolders.push_back(U(value().c_str()));
    } else if (a == L"--font" && hasValue) {
      app.options.fonts.push_back(U(value().c_str()));
    } else if (a == L"--work" && hasValue) {
      app.options.workFolder = U(value().c_str());
    } else if (a == L"--delay" && hasValue) {
      parseInt(value(), app.behaviour.replyDelayMs);
    } else if (a == L"--startup-delay" && hasValue) {
      parseInt(value(), app.startupDelayMs);
    } else if (a == L"--hang-after" && hasValue) {
      parseInt(value(), app.behaviour.hangAfterInputs);
    } else if (a == L"--hang-at" && hasValue) {
      app.behaviour.hangAtPrompt = U(value().c_str());
    } else if (a == L"--vanish-after" && hasValue) {
      parseInt(value(), app.behaviour.vanishAfterInputs);
    } else if (a == L"--hang-on" && hasValue) {
      app.hangOn = U(value().c_str());
    } else if (a == L"--vanish-on" && hasValue) {
      app.vanishOn = U(value().c_str());
    } else if (a == L"--once" && hasValue) {
      app.once = U(value().c_str());
    } else if (a == L"--latency" && hasValue) {
      if (!acadsim::parseLatency(U(value().c_str()), app.behaviour.latency)) {
        LocalFree(argv);
        throw std::runtime_error("latency");
      }
    } else if (a == L"--plotters" && hasValue) {
      std::string bytes;
      if (!base::readFileBytes(U(value().c_str()), bytes) ||
          !acadsim::parsePlotters(bytes, app.options.plotDevices, app.options.plotStyles)) {
        LocalFree(argv);
        throw std::runtime_error("plotter configuration");
      }
    } else if (a.rfind(L"--", 0) != 0 && app.drawing.empty()) {
      app.drawing = U(a.c_str());
    }
  }
  LocalFree(argv);
}

// ----------------------------------------------------------------- windows

std::wstring windowText(HWND h) {
  const int n = GetWindowTextLengthW(h);
  std::wstring text(static_cast<size_t>(n > 0 ? n : 0) + 1, L'\0');
  const int got = GetWindowTextW(h, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

void setText(HWND h, const std::string& utf8) {
  if (!h) return;
  const std::wstring w = W(utf8);
  // Unchanged texts are not set again: no flicker, no needless repaint.
  if (GetWindowTextLengthW(h) == static_cast<int>(w.size()) && windowText(h) == w) return;
  SetWindowTextW(h, w.c_str());
  InvalidateRect(h, nullptr, TRUE);
}

void closeApp(App& app) {
  if (app.box) DestroyWindow(app.box);
  if (app.text) DestroyWindow(app.text);
  app.box = app.text = nullptr;
  if (app.main) DestroyWindow(app.main);  // WM_DESTROY ends the message loop
}

void showSaveQuestion(App& app);

// The last lines of the history: the pane shows a few, as the command-line
// bar does; the text window shows more (the copy command gives them all).
std::string historyTail(const acadsim::Session& s, size_t count) {
  const std::vector<std::string>& lines = s.history();
  std::string out;
  for (size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i) {
    if (!out.empty()) out += "\r\n";
    out += lines[i];
  }
  return out;
}

// The text window's copy of the history. Setting a long text costs
// time that is no part of the stand-in's work on an input, so it follows
// the command line a little later, at most every kTextWindowDelayMs.
void refreshTextWindow(App& app) {
  KillTimer(app.main, kTextTimer);
  app.textPending = false;
  if (!app.textEdit || !app.session) return;
  setText(app.textEdit, historyTail(*app.session, kTextWindowLines) + "\r\n" + app.session->promptLine());
  SendMessageW(app.textEdit, EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
  SendMessageW(app.textEdit, EM_SCROLLCARET, 0, 0);
}

void refresh(App& app) {
  acadsim::Session& s = *app.session;
  if (s.state() == acadsim::Session::State::Ended) {
    closeApp(app);
    return;
  }
  setText(app.main, s.mainTitle());
  setText(app.document, s.drawingName() + (s.inPaperSpace() ? "  [" + s.drawing().currentLayout + "]" : "  [モデル]"));
  setText(app.history, historyTail(s, kHistoryPaneLines));
  setText(app.prompt, s.promptLine());
  setText(app.text, s.textWindowTitle());
  if (app.main && !app.textPending) app.textPending = SetTimer(app.main, kTextTimer, kTextWindowDelayMs, nullptr) != 0;
  if (s.state() == acadsim::Session::State::AskingToSave) {
    showSaveQuestion(app);
  } else if (app.box) {
    EnableWindow(app.main, TRUE);
    DestroyWindow(app.box);
    app.box = nullptr;
  }
}

// After an input's latency: the windows show its result, then the faults
// that follow an input happen. False when nothing more is to be typed.
bool settle(App& app, std::string_view typed) {
  if (!app.main) return false;
  refresh(app);
  if (!app.main) return false;
  // A fault tied to a drawing, once across the stand-ins of a test when
  // so asked: creating the mark file is the test of whether it was made.
  auto faultFor = [&](const std::string& name, const wchar_t* tag) {
    if (name.empty() || typed.find(name) == std::string_view::npos) return false;
    if (app.once.empty()) return true;
    HANDLE mark = CreateFileW((W(app.once) + tag).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (mark == INVALID_HANDLE_VALUE) return false;
    CloseHandle(mark);
    return true;
  };
  if (faultFor(app.vanishOn, L".vanish")) {
    closeApp(app);
    return false;
  }
  if (faultFor(app.hangOn, L".hang")) {
    UpdateWindow(app.main);
    hangForever();
  }
  const acadsim::Behaviour& b = app.behaviour;
  const int n = app.session->inputCount();
  if (b.vanishAfterInputs >= 0 && n >= b.vanishAfterInputs) {
    closeApp(app);
    return false;
  }
  if ((b.hangAfterInputs >= 0 && n >= b.hangAfterInputs) ||
      (!b.hangAtPrompt.empty() && app.session->promptLine().find(b.hangAtPrompt) != std::string::npos)) {
    UpdateWindow(app.main);
    hangForever();
  }
  return true;
}

void makeTypist(App& app) {
  acadsim::Typist::Hooks hooks;
  hooks.show = [&app] {
    if (app.main) refresh(app);
  };
  hooks.settle = [&app](std::string_view typed) { return settle(app, typed); };
  hooks.schedule = [&app](int delayMs, std::function<void()> fn) {
    if (!app.main) return;  // gone: nothing is waited for
    const UINT_PTR id = app.nextWait++;
    app.waits[id] = std::move(fn);
    app.waitMs[id] = delayMs;
    // Posted: messages already waiting (a read of the echo) are answered
    // first, then the thread works without looking at its messages.
    PostMessageW(app.main, kBusyMessage, id, 0);
  };
  app.typist = std::make_unique<acadsim::Typist>(*app.session, app.behaviour.latency, std::move(hooks));
}

void endWait(App& app, UINT_PTR id) {
  auto it = app.waits.find(id);
  if (it == app.waits.end()) return;
  KillTimer(app.main, id);  // a window timer repeats
  const std::function<void()> fn = std::move(it->second);
  app.waits.erase(it);
  try {
    fn();
  } catch (...) {
    if (app.main) refresh(app);
  }
}

void processInputs(App& app) {
  KillTimer(app.main, kInputTimer);
  while (!app.queue.empty() && app.main) {
    const ULONGLONG now = GetTickCount64();
    if (app.queue.front().due > now) {
      SetTimer(app.main, kInputTimer, static_cast<UINT>(app.queue.front().due - now), nullptr);
      return;
    }
    const std::string bytes = std::move(app.queue.front().bytes);
    app.queue.pop_front();
    try {
      app.typist->receive(bytes);
    } catch (...) {
      // Whatever was typed, the stand-in stays up.
      if (app.main) refresh(app);
    }
  }
}

void copyHistory(App& app) {
  const std::wstring text = W(app.session->historyText());
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (!mem) return;
  if (void* p = GlobalLock(mem)) {
    memcpy(p, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(mem);
  }
  // Another program may hold the clipboard for a moment.
  bool open = false;
  for (int i = 0; i < 50 && !open; ++i) open = OpenClipboard(app.text) != FALSE;
  if (!open) {
    GlobalFree(mem);
    return;
  }
  EmptyClipboard();
  if (!SetClipboardData(CF_UNICODETEXT, mem)) GlobalFree(mem);
  CloseClipboard();
}

void layoutFrame(App& app) {
  RECT rc;
  GetClientRect(app.main, &rc);
  const int w = rc.right, h = rc.bottom;
  const int statusH = 22, barH = 86, toolH = 28;
  if (app.status) MoveWindow(app.status, 0, h - statusH, w, statusH, TRUE);
  MoveWindow(app.bar, 0, h - statusH - barH, w, barH, TRUE);
  MoveWindow(app.history, 2, 2, w - 4, barH - 26, TRUE);
  MoveWindow(app.prompt, 2, barH - 22, w - 4, 20, TRUE);
  MoveWindow(app.document, 0, toolH, w, h - statusH - barH - toolH, TRUE);
}

LRESULT CALLBACK frameProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  keepApp(h, msg, lParam);
  App* app = appOf(h);
  if (!app) return DefWindowProcW(h, msg, wParam, lParam);
  switch (msg) {
    case WM_COPYDATA: {
      const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (!cds || cds->dwData != 1) return FALSE;
      std::string bytes;
      if (cds->lpData && cds->cbData > 0) bytes.assign(static_cast<const char*>(cds->lpData), cds->cbData);
      if (app->journalInputs && app->journal) {
        acadsim::JournalEntry e;
        e.event = "typed";
        e.drawing = app->session->drawingPath();
        std::string text = bytes.substr(0, bytes.find('\0'));
        e.add("text", base::cp932ToUtf8(text));
        app->journal->append(std::move(e));
      }
      const ULONGLONG due = GetTickCount64() + static_cast<ULONGLONG>(app->behaviour.replyDelayMs > 0 ? app->behaviour.replyDelayMs : 0);
      app->queue.push_back({std::move(bytes), app->queue.empty() || due > app->queue.back().due ? due : app->queue.back().due});
      PostMessageW(h, kInputMessage, 0, 0);
      return TRUE;
    }
    case kInputMessage:
      processInputs(*app);
      return 0;
    case kBusyMessage: {
      auto it = app->waitMs.find(wParam);
      if (it != app->waitMs.end()) {
        if (it->second > 0) Sleep(static_cast<DWORD>(it->second));
        app->waitMs.erase(it);
      }
      endWait(*app, wParam);
      return 0;
    }
    case WM_TIMER:
      if (wParam == kInputTimer) processInputs(*app);
      else if (wParam == kTextTimer) refreshTextWindow(*app);
      else endWait(*app, wParam);
      return 0;
    case WM_SIZE:
      if (app->bar) layoutFrame(*app);
      if (app->status) SendMessageW(app->status, WM_SIZE, 0, 0);
      return 0;
    case WM_CLOSE:
      // The close box asks like "quit" does.
      app->queue.push_back({"\x1b" "quit\n", 0});
      PostMessageW(h, kInputMessage, 0, 0);
      return 0;
    case WM_DESTROY:
      app->main = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(h, msg, wParam, lParam);
}

// The history and the prompt line: their window text, the last lines that
// fit, drawn from the bottom up.
LRESULT CALLBACK lineProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT rc;
    GetClientRect(h, &rc);
    FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HFONT font = reinterpret_cast<HFONT>(GetWindowLongPtrW(GetParent(h), GWLP_USERDATA));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    const int lineH = tm.tmHeight > 0 ? tm.tmHeight : 14;
    const std::wstring text = windowText(h);
    std::vector<std::wstring> lines;
    size_t pos = 0;
    while (pos <= text.size()) {
      size_t end = text.find(L"\r\n", pos);
      if (end == std::wstring::npos) end = text.size();
      lines.push_back(text.substr(pos, end - pos));
      pos = end + 2;
    }
    int y = rc.bottom - lineH;
    for (size_t i = lines.size(); i-- > 0 && y + lineH > 0; y -= lineH)
      TextOutW(dc, 4, y, lines[i].c_str(), static_cast<int>(lines[i].size()));
    if (old) SelectObject(dc, old);
    EndPaint(h, &ps);
    return 0;
  }
  if (msg == WM_ERASEBKGND) return 1;
  return DefWindowProcW(h, msg, wParam, lParam);
}

// The command-line bar keeps the font for its two lines.
LRESULT CALLBACK barProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  keepApp(h, msg, lParam);
  return DefWindowProcW(h, msg, wParam, lParam);
}

LRESULT CALLBACK viewProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT rc;
    GetClientRect(h, &rc);
    FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    const std::wstring title = windowText(h);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    HFONT font = reinterpret_cast<HFONT>(GetWindowLongPtrW(h, GWLP_USERDATA));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    TextOutW(dc, 8, 8, title.c_str(), static_cast<int>(title.size()));
    if (old) SelectObject(dc, old);
    EndPaint(h, &ps);
    return 0;
  }
  return DefWindowProcW(h, msg, wParam, lParam);
}

LRESULT CALLBACK textProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  keepApp(h, msg, lParam);
  App* app = appOf(h);
  if (!app) return DefWindowProcW(h, msg, wParam, lParam);
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kCopyHistoryCommand && app->session) copyHistory(*app);
      return 0;
    case WM_SIZE:
      if (app->textEdit) MoveWindow(app->textEdit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_CLOSE:
      ShowWindow(h, SW_HIDE);  // AutoCAD's text window hides; it is not closed
      return 0;
    case WM_DESTROY:
      app->text = app->textEdit = nullptr;
      return 0;
  }
  return DefWindowProcW(h, msg, wParam, lParam);
}

LRESULT CALLBACK boxProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  keepApp(h, msg, lParam);
  App* app = appOf(h);
  if (!app) return DefWindowProcW(h, msg, wParam, lParam);
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        const int id = LOWORD(wParam);
        const acadsim::SaveAnswer a = id == IDYES  ? acadsim::SaveAnswer::Yes
                                      : id == IDNO ? acadsim::SaveAnswer::No
                                                   : acadsim::SaveAnswer::Cancel;
        try {
          app->session->answerSaveQuestion(a);
        } catch (...) {
        }
        // refresh may destroy this window; leave it now.
        PostMessageW(app->main, kInputMessage, 0, 0);
        if (app->session->state() != acadsim::Session::State::AskingToSave) {
          EnableWindow(app->main, TRUE);
          app->box = nullptr;
          DestroyWindow(h);
        }
        if (app->session->state() == acadsim::Session::State::Ended) closeApp(*app);
      }
      return 0;
    case WM_CLOSE:
      SendMessageW(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return 0;
  }
  return DefWindowProcW(h, msg, wParam, lParam);
}

void showSaveQuestion(App& app) {
  if (app.box) return;
  acadsim::Session& s = *app.session;
  RECT mr;
  GetWindowRect(app.main, &mr);
  const int bw = 360, bh = 150;
  app.box = CreateWindowExW(WS_EX_DLGMODALFRAME, kBoxClass, W(s.saveQuestionTitle()).c_str(),
                            WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, mr.left + 100, mr.top + 120, bw, bh,
                            app.main, nullptr, app.instance, &app);
  if (!app.box) return;
  HWND label = CreateWindowExW(0, L"STATIC", W(s.saveQuestionText()).c_str(), WS_CHILD | WS_VISIBLE, 20, 20, bw - 40,
                               40, app.box, nullptr, app.instance, nullptr);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(app.font), TRUE);
  const struct {
    const char* text;
    int id;
  } buttons[] = {{"はい(&Y)", IDYES}, {"いいえ(&N)", IDNO}, {"キャンセル", IDCANCEL}};
  int x = 30;
  for (auto& b : buttons) {
    HWND btn = CreateWindowExW(0, L"BUTTON", W(b.text).c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, x,
                               75, 90, 26, app.box, reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id)), app.instance,
                               nullptr);
    SendMessageW(btn, WM_SETFONT, reinterpret_cast<WPARAM>(app.font), TRUE);
    x += 100;
  }
  EnableWindow(app.main, FALSE);  // modal, as AutoCAD's is
  SetForegroundWindow(app.box);
}

bool registerClasses(HINSTANCE inst) {
  struct C {
    const wchar_t* name;
    WNDPROC proc;
    int brush;
  } classes[] = {{kFrameClass, frameProc, COLOR_APPWORKSPACE}, {kBarClass, barProc, COLOR_BTNFACE},
                 {kLineClass, lineProc, COLOR_WINDOW},         {kViewClass, viewProc, COLOR_WINDOW},
                 {kTextClass, textProc, COLOR_BTNFACE},        {kBoxClass, boxProc, COLOR_BTNFACE}};
  for (auto& c : classes) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = c.proc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(c.brush + 1));
    wc.lpszClassName = c.name;
    if (!RegisterClassExW(&wc)) return false;
  }
  return true;
}

HWND child(App& app, HWND parent, const wchar_t* cls, const std::string& text, DWORD style = 0, LPVOID param = nullptr) {
  HWND h = CreateWindowExW(0, cls, W(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent, nullptr,
                           app.instance, param);
  if (h) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(app.font), TRUE);
  return h;
}

void createWindows(App& app) {
  acadsim::Session& s = *app.session;
  app.main = CreateWindowExW(0, kFrameClass, W(s.mainTitle()).c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                             820, 560, nullptr, nullptr, app.instance, &app);
  if (!app.main) return;
  // A toolbar with a layer box, the drawing's view, the command-line bar
  // (history above the prompt line) and a status bar: the command line is
  // found among other children, as in AutoCAD.
  HWND tools = child(app, app.main, kBarClass, "標準", 0, nullptr);
  MoveWindow(tools, 0, 0, 820, 28, FALSE);
  HWND label = child(app, tools, L"STATIC", "画層:");
  MoveWindow(label, 6, 6, 40, 18, FALSE);
  HWND layer = child(app, tools, L"EDIT", "0", WS_BORDER | ES_READONLY);
  MoveWindow(layer, 50, 4, 120, 20, FALSE);
  app.document = child(app, app.main, kViewClass, s.drawingName());
  SetWindowLongPtrW(app.document, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(app.font));
  app.bar = child(app, app.main, kBarClass, "", 0, app.font);
  app.history = child(app, app.bar, kLineClass, s.historyText());
  app.prompt = child(app, app.bar, kLineClass, s.promptLine());
  app.status = child(app, app.main, STATUSCLASSNAMEW, "0.0000, 0.0000, 0.0000");
  layoutFrame(app);

  HMENU menu = CreateMenu();
  HMENU edit = CreatePopupMenu();
  AppendMenuW(edit, MF_STRING, kCopyHistoryCommand, W("ヒストリをコピー(&H)").c_str());
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), W("編集(&E)").c_str());
  app.text = CreateWindowExW(0, kTextClass, W(s.textWindowTitle()).c_str(), WS_OVERLAPPEDWINDOW, 300, 580, 640, 260,
                             nullptr, menu, app.instance, &app);
  if (app.text) {
    app.textEdit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                   WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0,
                                   0, 10, 10, app.text, nullptr, app.instance, nullptr);
    SendMessageW(app.textEdit, WM_SETFONT, reinterpret_cast<WPARAM>(app.font), TRUE);
    SendMessageW(app.textEdit, EM_LIMITTEXT, 0, 0);  // a long run has a long history
    RECT rc;
    GetClientRect(app.text, &rc);
    MoveWindow(app.textEdit, 0, 0, rc.right, rc.bottom, TRUE);
    ShowWindow(app.text, SW_SHOWNOACTIVATE);
  }
  ShowWindow(app.main, SW_SHOW);
  refresh(app);
  UpdateWindow(app.main);
}

LRESULT CALLBACK loaderProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  keepApp(h, msg, lParam);
  if (msg == WM_TIMER && wParam == kStartTimer) {
    KillTimer(h, kStartTimer);
    if (App* app = appOf(h)) {
      createWindows(*app);
      if (!app->main) PostQuitMessage(1);
    }
    return 0;
  }
  return DefWindowProcW(h, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  App app;
  app.instance = instance;
  try {
    parseArguments(app);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    if (!registerClasses(instance)) return 1;
    app.font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"MS Gothic");
    app.journal = std::make_unique<acadsim::Journal>(app.journalPath);
    if (app.journalClock) {
      // The machine's counter, not this process's start: stand-ins started
      // one after another stamp on one time line.
      LARGE_INTEGER frequency{};
      QueryPerformanceFrequency(&frequency);
      app.journal->setStamp([frequency]() -> std::int64_t {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        return now.QuadPart / frequency.QuadPart * 1000 + now.QuadPart % frequency.QuadPart * 1000 / frequency.QuadPart;
      });
    } else if (app.journalTimes) {
      LARGE_INTEGER frequency{}, start{};
      QueryPerformanceFrequency(&frequency);
      QueryPerformanceCounter(&start);
      app.journal->setStamp([frequency, start]() -> std::int64_t {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        return (now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart;
      });
    }
    if (app.journalClock || app.journalTimes)
      app.journal->setBusy([&app]() -> std::int64_t { return app.typist ? app.typist->busyMs() : 0; });
    app.session = std::make_unique<acadsim::Session>(app.options, app.journal.get());
    makeTypist(app);
    app.session->start(app.drawing);

    // The windows come after the start-up delay, as AutoCAD's take a while;
    // a message-only window (never listed among the top-level ones) holds
    // the timer.
    WNDCLASSEXW lc{};
    lc.cbSize = sizeof lc;
    lc.lpfnWndProc = loaderProc;
    lc.hInstance = instance;
    lc.lpszClassName = kLoaderClass;
    RegisterClassExW(&lc);
    app.loader = CreateWindowExW(0, kLoaderClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, &app);
    if (app.startupDelayMs > 0 && app.loader) {
      SetTimer(app.loader, kStartTimer, static_cast<UINT>(app.startupDelayMs), nullptr);
    } else {
      createWindows(app);
      if (!app.main) return 1;
    }
  } catch (...) {
    return 1;
  }

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    try {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } catch (...) {
      // An input the session could not take must not end the stand-in.
    }
  }
  if (app.loader) DestroyWindow(app.loader);
  if (app.font) DeleteObject(app.font);
  return 0;
}
