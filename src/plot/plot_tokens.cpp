// The tokens of the plot macros: a macro line that is exactly a token is
// replaced by the button's, the options' or the drawing's answer to the
// plot command question it stands in for.
#include <array>
#include <string_view>

#include "acadlink/tf_control.h"
#include "base/paths.h"
#include "base/text.h"
#include "platform/context.h"
#include "plot/ploter.h"
#include "plot/plotteing_form.h"
#include "ui/application.h"

namespace plot {

namespace {

const std::string kDeviceMissing = "図面に設定されている印刷デバイスが見つかりません。\r\nこの図面の印刷はキャンセルされます。";
const std::string kStyleMissing = "図面に設定されている印刷スタイルが見つかりません。\r\nこの図面の印刷はキャンセルされます。";
const std::string kPaperMissing = "図面に設定されている用紙が見つかりません。\r\nこの図面の印刷はキャンセルされます。";

constexpr const char* kNone = "None";

int commandWait(const PlotRunState& run) { return run.Options ? run.Options->CommandWait : kDefaultCommandWait; }

// The drawing's own setting was kept with Enter; AutoCAD asking again
// (its prompt showing word) means the drawing has none it can use.
bool keptOrCancel(Ploter& p, PlotRunState& run, const char* word, const std::string& message) {
  p.SendCommand("\n");
  if (!base::contains(p.ReadCommandLine(), word)) return true;
  p.SendCommand(acadlink::kEsc);
  TellDrawingProblem(run, message);
  return false;
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
    p.SendCommand(base::folderAnySep(run.DrawingPath) + "\\" + name + "\n");
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
  acadlink::WaitBounds bounds = RunWaitBounds(&run);
  bounds.stopRequested = [&run] { return run.Progress && !run.Progress->ContinueFlag; };
  const auto end = p.WaitUntil([&] { return !base::contains(p.ReadCommandLine(), "窓"); }, bounds, 0, [&] {
    p.SendCommand("\n");
    p.AwaitAnswer(commandWait(run));
    return true;
  });
  if (end == acadlink::WaitEnd::AcadGone) throw RunHalted{p.GoneHalt()};
  if (end == acadlink::WaitEnd::TimedOut) throw RunHalted{RunHalt::TimedOut};
}

// A token and what it types; false gives up on the drawing.
struct PlotToken {
  std::string_view name;
  bool (*act)(Ploter& p, PlotRunState& run);
};

bool typed(Ploter& p, const std::string& text) {
  p.SendCommand(text);
  return true;
}

const PlotToken kTokens[] = {
    {"#PRINTDEVICE",
     [](Ploter& p, PlotRunState& run) {
       if (p.GetPrintDevice() == kNone) return keptOrCancel(p, run, "出力", kDeviceMissing);
       return typed(p, p.GetPrintDevice() + "\n");
     }},
    {"#PRINTSTYLE",
     [](Ploter& p, PlotRunState& run) {
       if (p.GetPrintStyle() == kNone) return keptOrCancel(p, run, "なし", kStyleMissing);
       return typed(p, p.GetPrintStyle() + "\n");
     }},
    {"#PAPERNAME",
     [](Ploter& p, PlotRunState& run) {
       // A paper name belongs to the button's device: with the drawing's own
       // device it might not exist.
       if (p.GetPrintDevice() == kNone) return keptOrCancel(p, run, "一覧", kPaperMissing);
       return typed(p, p.GetPaperName() + "\n");
     }},
    {"#PAPERDIRECTION",
     [](Ploter& p, PlotRunState&) {
       if (p.GetPrintDevice() == kNone) p.SendCommand("\n");
       else if (p.GetPaperDirection() == 0) p.SendCommand("L\n");
       else if (p.GetPaperDirection() == 1) p.SendCommand("P\n");
       return true;
     }},
    {"#SCALE", [](Ploter& p, PlotRunState& run) { return typed(p, run.ScaleAnswer + "\n"); }},
    {"#LAYOUTSCALE",
     [](Ploter& p, PlotRunState& run) {
       return typed(p, p.LayoutScaleAnswer(run.Options && run.Options->LayoutScalePrint));
     }},
    {"#OUTPUTLAYOUT",
     [](Ploter& p, PlotRunState& run) {
       return typed(p, run.Mode == PrintModeKind::AllLayouts ? run.LayoutName + "\n" : std::string("\n"));
     }},
    {"#ENTER", [](Ploter& p, PlotRunState&) { return typed(p, "\n"); }},
    {"#ESC", [](Ploter& p, PlotRunState&) { return typed(p, acadlink::kEsc); }},
    {"#SCOPE",
     [](Ploter& p, PlotRunState& run) {
       switch (run.Options ? run.Options->PrintScope : 0) {
         case 0: p.SendCommand("E\n"); break;
         case 1: p.SendCommand("L\n"); break;
         case 2: {
           // A window with AutoCAD's offered corners.
           const int w = commandWait(run);
           p.SendCommand("w\n");
           p.AwaitAnswer(w);
           p.SendCommand("\n");
           p.AwaitAnswer(w);
           p.SendCommand("\n");
           p.AwaitAnswer(w);
           break;
         }
         default: break;
       }
       return true;
     }},
    {"#MODIFYSAVE",
     [](Ploter& p, PlotRunState& run) {
       return typed(p, run.Options && run.Options->ModifySave ? "y\n" : "n\n");
     }},
    {"#FILEPLOT", [](Ploter& p, PlotRunState& run) { return filePlot(p, run), true; }},
    {"#OFFSET", [](Ploter& p, PlotRunState& run) { return p.AnswerOffset(run.ScaleAnswer), true; }},
    {"#LAYOUTOFFSET", [](Ploter& p, PlotRunState& run) { return p.AnswerLayoutOffset(run.LayoutScope), true; }},
    {"#LAYOUTSCOPE", [](Ploter& p, PlotRunState& run) { return layoutScope(p, run), true; }},
    {"#SAVEFILE", [](Ploter& p, PlotRunState& run) { return typed(p, run.DrawingPath + "\n"); }},
};

}  // namespace

bool IsPlotToken(const std::string& line) {
  for (const PlotToken& t : kTokens)
    if (line == t.name) return true;
  return false;
}

acadlink::MacroTokens Ploter::PlotTokens(PlotRunState& run) {
  acadlink::MacroTokens tokens;
  for (const PlotToken& t : kTokens) tokens.emplace(std::string(t.name), [this, &run, act = t.act] { return act(*this, run); });
  return tokens;
}

bool Ploter::ExpandMacroLine(const std::string& line, PlotRunState& run) {
  for (const PlotToken& t : kTokens)
    if (line == t.name) return t.act(*this, run);
  SendCommand(line + "\n");
  return true;
}

}  // namespace plot
