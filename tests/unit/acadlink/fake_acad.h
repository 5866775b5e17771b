// Hand-made AutoCAD windows on the simulated desktop: a main frame with a
// prompt line and a history pane of the same class, and a text window.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "acadlink/tf_control.h"
#include "base/codec.h"
#include "platform/sim/sim_desktop.h"

namespace acadlink_test {

using platform::WindowHandle;

enum class Release { R2000, R2004 };

struct FakeAcad {
  platform::SimDesktop& desk;
  Release release;
  WindowHandle main = 0, bar = 0, command = 0, history = 0, text = 0;
  std::vector<std::string> typed;  // UTF-8, without the NUL
  // What AutoCAD does with one input; by default nothing.
  std::function<void(const std::string&)> react;

  FakeAcad(const FakeAcad&) = delete;
  FakeAcad& operator=(const FakeAcad&) = delete;
  FakeAcad(platform::SimDesktop& d, Release r, bool lt = false) : desk(d), release(r) {
    const bool r2000 = r == Release::R2000;
    main = desk.createTopLevel(std::string(lt ? "AutoCAD LT " : "AutoCAD ") + (r2000 ? "2002" : "2004") +
                                   " - [Drawing1.dwg]",
                               "Afx:400000:8");
    desk.createChild(main, "", "MDIClient");
    bar = desk.createChild(main, "", "AfxControlBar70");
    command = desk.createChild(bar, idlePrompt(), "Edit");
    history = desk.createChild(bar, "", "Edit");
    text = desk.createTopLevel(r2000 ? "AutoCAD ﾃｷｽﾄ ｳｨﾝﾄﾞｳ - Drawing1.dwg" : "AutoCAD テキスト ウィンドウ - Drawing1.dwg",
                               "AfxTextWnd");
    desk.window(main)->onCopyData = [this](std::uintptr_t dwData, const std::string& bytes) {
      if (dwData != 1 || bytes.empty() || bytes.back() != '\0') return false;
      const std::string input = base::cp932ToUtf8(bytes.substr(0, bytes.size() - 1));
      typed.push_back(input);
      if (react) react(input);
      return true;
    };
  }

  std::string idlePrompt() const { return release == Release::R2000 ? "ｺﾏﾝﾄﾞ: " : "コマンド: "; }
  void prompt(const std::string& line) { desk.setTitle(command, line); }
  std::string promptLine() { return desk.window(command) ? desk.window(command)->title : std::string(); }
  // The link's view of these windows.
  acadlink::AutoCADHandles handles() const { return {main, command, history, text}; }
  void vanish() {
    desk.destroyWindow(text);
    desk.destroyWindow(main);
  }
};

}  // namespace acadlink_test
