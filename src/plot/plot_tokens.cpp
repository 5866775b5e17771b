// The tokens of the plot macros: a macro line that is exactly a token is
// replaced by the button's, the options' or the drawing's answer to the
// plot command question it stands in for.
#include <array>
#include <string_view>

#include "acadlink/tf_control.h"
#include "base/text.h"
#include "platform/context.h"
#include "plot/ploter.h"
#include "plot/plotteing_form.h"
#include "ui/application.h"

namespace plot {

namespace {

constexpr std::array<std::string_view, 16> kTokens = {
    "#PRINTDEVICE", "#PRINTSTYLE", "#PAPERNAME",  "#PAPERDIRECTION", "#SCALE",        "#LAYOUTSCALE",
    "#OUTPUTLAYOUT", "#ENTER",     "#ESC",        "#SCOPE",          "#MODIFYSAVE",   "#FILEPLOT",
    "#OFFSET",      "#LAYOUTOFFSET", "#LAYOUTSCOPE", "#SAVEFILE"};

const std::string kCaption = "Kestrel メッセージ";
const std::string kDeviceMissing = "図面に設定されている印刷デバイスが見つかりません。\r\nこの図面の印刷はキャンセルされます。";
const std::string kStyleMissing = "図面に設定されている印刷スタイルが見つかりません。\r\nこの図面の印刷はキャンセルされます。";
const std::string kPaperMissing = "図面に設定されている用紙が見つかりません。\r\nこの図面の印刷はキャンセルされます。";

constexpr const char* kNone = "None";

void pause(int ms) { platform::clock().sleepMs(ms); }

int commandWait(const PlotRunState& run) { return run.Options ? run.Options->CommandWait : 100; }

// The drawing's own setting was kept with Enter; AutoCAD asking again
// (its prompt showing word) means the drawing has none it can use.
bool keptOrCancel(Ploter& p, const PlotRunState& run, const char* word, const std::string& message) {
  p.SendCommand("\n");
  if (!base::contains(p.ReadCommandLine(), word)) return true;
  p.SendCommand(acadlink::kEsc);
  ui::messageBox(run.Progress, message, kCaption);
  return false;
}

// The folder part of a drawing path, without its trailing separator.
std::string folderOf(const std::string& path) {
  const auto p = path.find_last_of("\\/");
  return p == std::string::npos ? std::string() : path.substr(0, p);
}

// The plot file goes next to the drawing, under the name and extension
// AutoCAD offers.
void filePlot(Ploter& p, PlotRunState& run) {
  if (!p.GetFilePlot()) {
    p.SendCommand("n\n");
  } else {
    p.SendCommand("y\n");
    std::string name = p.ReadCommandLine();
    if (const auto dot = name.find('.'); dot != std::string::npos) name.erase(dot);
    // UTF-8 never hides a "\" in a double-byte character, so bytes will do.
    for (auto bs = name.find('\\'); bs != std::string::npos; bs = name.find('\\')) name.erase(0, bs + 1);
    p.SendCommand(folderOf(run.DrawingPath) + "\\" + name + "\n");
    p.AnswerYesIf("存在");
  }
  if (p.GetPdfPrint()) {
    if (run.Options && run.Options->PdfDone) *run.Options->PdfDone = false;
    p.NotifyPdfHelper(run.PdfBaseName);
  }
}

void layoutScope(Ploter& p, PlotRunState& run) {
  run.LayoutScope = p.IsLayoutScopeDefault();
  p.SendCommand("\n");
  // A window area asks for its corners: Enter takes AutoCAD's offers. A
  // stop lets the run end instead of answering for ever.
  while (base::contains(p.ReadCommandLine(), "窓")) {
    if (run.Progress && !run.Progress->ContinueFlag) break;
    p.SendCommand("\n");
    pause(commandWait(run));
  }
}

}  // namespace

bool IsPlotToken(const std::string& line) {
  for (std::string_view t : kTokens)
    if (line == t) return true;
  return false;
}

bool Ploter::ExpandMacroLine(const std::string& line, PlotRunState& run) {
  const bool noDevice = GetPrintDevice() == kNone;
  const PlotOptions* o = run.Options;

  if (line == "#PRINTDEVICE") {
    if (noDevice) return keptOrCancel(*this, run, "出力", kDeviceMissing);
    SendCommand(GetPrintDevice() + "\n");
  } else if (line == "#PRINTSTYLE") {
    if (GetPrintStyle() == kNone) return keptOrCancel(*this, run, "なし", kStyleMissing);
    SendCommand(GetPrintStyle() + "\n");
  } else if (line == "#PAPERNAME") {
    // A paper name belongs to the button's device: with the drawing's own
    // device it might not exist.
    if (noDevice) return keptOrCancel(*this, run, "一覧", kPaperMissing);
    SendCommand(GetPaperName() + "\n");
  } else if (line == "#PAPERDIRECTION") {
    if (noDevice) SendCommand("\n");
    else if (GetPaperDirection() == 0) SendCommand("L\n");
    else if (GetPaperDirection() == 1) SendCommand("P\n");
  } else if (line == "#SCALE") {
    SendCommand(run.ScaleAnswer + "\n");
  } else if (line == "#LAYOUTSCALE") {
    SendCommand(LayoutScaleAnswer(o && o->LayoutScalePrint));
  } else if (line == "#OUTPUTLAYOUT") {
    SendCommand(run.Mode == PrintModeKind::AllLayouts ? run.LayoutName + "\n" : std::string("\n"));
  } else if (line == "#ENTER") {
    SendCommand("\n");
  } else if (line == "#ESC") {
    SendCommand(acadlink::kEsc);
  } else if (line == "#SCOPE") {
    switch (o ? o->PrintScope : 0) {
      case 0: SendCommand("E\n"); break;
      case 1: SendCommand("L\n"); break;
      case 2: {
        // A window with AutoCAD's offered corners.
        const int w = commandWait(run);
        SendCommand("w\n");
        pause(w);
        SendCommand("\n");
        pause(w);
        SendCommand("\n");
        pause(w);
        break;
      }
      default: break;
    }
  } else if (line == "#MODIFYSAVE") {
    SendCommand(o && o->ModifySave ? "y\n" : "n\n");
  } else if (line == "#FILEPLOT") {
    filePlot(*this, run);
  } else if (line == "#OFFSET") {
    AnswerOffset(run.ScaleAnswer);
  } else if (line == "#LAYOUTOFFSET") {
    AnswerLayoutOffset(run.LayoutScope);
  } else if (line == "#LAYOUTSCOPE") {
    layoutScope(*this, run);
  } else if (line == "#SAVEFILE") {
    SendCommand(run.DrawingPath + "\n");
  } else {
    SendCommand(line + "\n");
  }
  return true;
}

}  // namespace plot
