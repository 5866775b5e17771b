#include "printerconfig/page_size_class.h"

#include <algorithm>
#include <memory>

#include "acadlink/timings.h"
#include "base/codec.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "base/profile.h"
#include "base/text.h"
#include "platform/context.h"
#include "plot/plot_options.h"
#include "printerconfig/plotter_err_form.h"
#include "ui/application.h"

namespace printerconfig {

namespace {

using acadlink::WaitEnd;

constexpr const char* kHeading = "可能な用紙";

void pause(int ms) { platform::clock().sleepMs(ms); }

bool has(const std::string& text, const char* part) { return base::contains(text, part); }

// Blanks and control characters: what AutoCAD pads its listing with.
std::string trimBlanksAndControls(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20) --e;
  return s.substr(b, e - b);
}

// The clipboard's text as lines; a final line break ends the last line
// and starts none.
std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines = base::split(text, '\n');
  for (std::string& l : lines)
    if (!l.empty() && l.back() == '\r') l.pop_back();
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

}  // namespace

std::vector<std::string> DefaultPaperMacro() {
  // "-plot" asks first whether to configure in detail, then for the layout
  // (Enter keeps the current one), then for the device and the paper.
  return {"-plot", "y", "#ENTER", "#PRINTDEVICE", "#GETPAGESIZE", "#ESC"};
}

PageSizeClass::PageSizeClass(const std::string& settingsFilePath)
    : acadlink::AcadMacro(settingsFilePath, "PageSize", DefaultPaperMacro()) {
  PlotIniPath = base::dirNameOf(settingsFilePath) + "plot.ini";
  TempDrawingPath = platform::programFolder() + "tmp.dwg";
}

acadlink::WaitBounds PageSizeClass::bounds() const {
  acadlink::WaitBounds b;
  b.limitMs = (AcadWaitLimit > 0 ? AcadWaitLimit : plot::kDefaultAcadWaitLimit) * 1000LL;
  return b;
}

std::string PageSizeClass::ListDevicePapers(const std::string& device) {
  // Back at the command prompt, or still asked for the device: AutoCAD did
  // not take it.
  const std::string line = ReadCommandLine();
  if (has(line, "ｺﾏﾝﾄ") || has(line, "コマンド") || has(line, "出力デバ")) return device;
  PaperNames.clear();
  HistoryLines.clear();

  SendCommand("?\n");
  {
    const acadlink::ClipboardKeeper keep;
    CopyHistoryToClipboard();
    pause(acadlink::timing::kClipboardMs);
    HistoryLines = splitLines(platform::clipboard().getText());
    pause(acadlink::timing::kClipboardMs);
    platform::clipboard().clear();
    pause(acadlink::timing::kClipboardMs);
  }

  // Only what follows the last listing's heading counts; without a heading
  // there is no listing at all, and the device's old names stay.
  bool headed = false;
  for (size_t i = HistoryLines.size(); i-- > 0;) {
    if (has(HistoryLines[i], kHeading)) {
      headed = true;
      break;
    }
    PaperNames.insert(PaperNames.begin(), HistoryLines[i]);
  }
  if (!headed) {
    PaperNames.clear();
    return device;
  }

  std::vector<std::string> names;
  for (const std::string& n : PaperNames) {
    names.push_back(trimBlanksAndControls(n));
    // A name the file cannot hold would leave the section half written.
    if (!base::tryUtf8ToCp932(names.back())) return device;
  }
  base::ProfileFile ini(PlotIniPath);
  // Keys of a longer earlier list stay; readers stop at the count.
  bool written = ini.writeInt(device, "PAGE", static_cast<int>(names.size()));
  for (size_t i = 0; i < names.size() && written; ++i)
    written = ini.writeString(device, "PageSize" + base::intToStr(static_cast<long long>(i)), names[i]);
  return written ? "OK" : device;
}

bool PageSizeClass::SaveAsTempDrawing(int commandWait) {
  // A question whether to replace the file is answered only when the whole
  // prompt line is that question.
  SaveDrawingAs(TempDrawingPath, commandWait);
  lastWaitEnd_ = WaitUntil([this] { return IsCommandPrompt(); }, bounds());
  return lastWaitEnd_ == WaitEnd::Met;
}

void PageSizeClass::AcquirePaperNames(const std::vector<std::string>& devices, int commandWait, int proxyNotice,
                                      int cmdDia, int fileDia, bool closeAutoCAD) {
  const int W = commandWait;
  RunStartHelper();
  std::vector<std::string> failed;
  auto fail = [&failed](const std::string& d) {
    if (std::find(failed.begin(), failed.end(), d) == failed.end()) failed.push_back(d);
  };

  // Typed at once, even right after AutoCAD was started: with the dialogs
  // off, AutoCAD asks its questions on the command line.
  TypeDialogVariablesOff(W);

  bool gone = false;  // AutoCAD vanished: nothing more is typed
  for (size_t k = 0; k < devices.size() && !gone; ++k) {
    const std::string& d = devices[k];
    if (d == "None") continue;
    acadlink::MacroTokens tokens = acadlink::CommonMacroTokens(*this);
    tokens["#PRINTDEVICE"] = [&, this] {
      try {
        SendCommand(d + "\n");
        return true;
      } catch (const base::EncodingError&) {
        return false;  // a name AutoCAD cannot be given: failed below
      }
    };
    tokens["#GETPAGESIZE"] = [&, this] {
      const std::string r = ListDevicePapers(d);
      if (r != "OK") fail(r);
      return true;
    };
    const acadlink::ReplayResult r =
        ReplayMacroLines(tokens, W, acadlink::MacroWait::CommandWaitThenPrompt, bounds());
    if (r.end == acadlink::MacroEnd::AcadGone) {
      gone = true;
    } else if (r.end == acadlink::MacroEnd::TimedOut || r.end == acadlink::MacroEnd::TokenEnded) {
      // This device is given up; AutoCAD is called back to its prompt for
      // the next one.
      fail(d);
      SendCommand(acadlink::kEsc);
      if (WaitUntil([this] { return IsCommandPrompt(); }, bounds()) == WaitEnd::AcadGone) gone = true;
    }
    if (gone) {
      // Neither this device nor those after it got their papers.
      fail(d);
      for (size_t m = k + 1; m < devices.size(); ++m)
        if (devices[m] != "None") fail(devices[m]);
    }
  }

  bool saved = true;
  if (!gone && !SaveAsTempDrawing(W)) {
    saved = false;
    if (lastWaitEnd_ == WaitEnd::AcadGone) gone = true;
    else SendCommand(acadlink::kEsc);  // not saved; the settings still go back
  }
  if (!gone) {
    TypeDialogVariablesBack(W, fileDia, cmdDia, proxyNotice);
    if (closeAutoCAD) SendCommand("quit\n");
    if (!saved)
      ui::showMessage(nullptr, "図面の保存中に" + acadlink::WaitFailureText(lastWaitEnd_, bounds().limitMs) +
                                   "\r\n図面は保存されていません。");
  } else {
    ui::showMessage(nullptr, "用紙取得中に" + acadlink::WaitFailureText(WaitEnd::AcadGone, 0) +
                                 "\r\n用紙取得を中止しました。");
  }

  if (failed.empty()) {
    if (!gone) ui::showMessage(nullptr, "各プリンタの用紙サイズを取得しました。！！");
    return;
  }
  std::unique_ptr<TPlotterErrForm> own;
  TPlotterErrForm* form = PlotterErrForm;
  if (!form) form = (own = std::make_unique<TPlotterErrForm>()).get();
  form->ShowDevices(failed);
}

}  // namespace printerconfig
