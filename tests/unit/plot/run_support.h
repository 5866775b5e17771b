// A plot run against the in-process AutoCAD stand-in: the simulated
// environment, a running stand-in the button's record is attached to, and
// readers for what was typed, shown and saved.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acadsim/acadsim_support.h"
#include "acadsim/sim_host.h"
#include "base/codec.h"
#include "plot/ploter.h"
#include "plot/plotteing_form.h"
#include "support/sim_env.h"

namespace plot_test {

inline const std::string kCaption = "Kestrel メッセージ";
inline const std::string kDone = "   印刷が終わりました      ";
inline const std::string kStopped = "   印刷を中止しました      ";
inline const std::string kNext = "   次のデータを印刷しますか？      ";

// A model-space drawing with its own limits and two layouts.
inline std::string modelDxf() {
  return acadsim_test::drawingDxf("420,297", 1, {{"Layout1", 1, "1E"}, {"Layout2", 2, "1F"}});
}

// The progress window while it lives; null otherwise.
inline plot::TPlotteingForm* progressForm() {
  for (ui::Form* f : ui::Form::allForms())
    if (auto* p = dynamic_cast<plot::TPlotteingForm*>(f)) return p;
  return nullptr;
}

class RunFixture : public ::testing::Test {
 protected:
  testing_support::SimEnv env;
  acadsim::SimHost acad{env.desktop, env.clock, env.clipboard, env.processes};
  plot::Ploter ploter{env.path("kestrel20.ini"), "Ploter1Fleld"};
  plot::PlotOptions o;
  bool pdfDone = false;
  platform::WindowHandle mainFrame = 0;

  void SetUp() override {
    acad.options().session.workFolder = env.folder();
    acad.start();
    mainFrame = acad.instance()->mainFrame;
    ASSERT_TRUE(ploter.FindAutoCADByCaptions("コマンド", "テキスト"));
    ploter.ModelMacro = {"modelline1", "modelline2"};
    ploter.LayoutMacro = {"layoutline1"};
    o.PdfDone = &pdfDone;
  }

  std::string drawing(const std::string& name, const std::string& bytes) {
    env.writeFile(name, bytes);
    return env.path(name);
  }

  void run(const std::vector<std::string>& drawings) { ploter.PlotDrawings(drawings, o); }

  // Every text typed into AutoCAD's main window, in order, as UTF-8.
  std::vector<std::string> typed() const { return env.typedInto(mainFrame); }
  int count(const std::string& text) const {
    int n = 0;
    for (auto& t : typed()) n += t == text;
    return n;
  }
  // Position of the k-th (0-based) occurrence of text in typed(); -1 if none.
  int indexOf(const std::string& text, int k = 0) const {
    auto t = typed();
    for (int i = 0; i < static_cast<int>(t.size()); ++i)
      if (t[i] == text && k-- == 0) return i;
    return -1;
  }

  std::vector<std::string> saves() const {
    std::vector<std::string> out;
    for (auto& e : acad.journal().entries())
      if (e.event == "save") out.push_back(e.drawing);
    return out;
  }
  std::vector<std::string> opens() const {
    std::vector<std::string> out;
    for (auto& e : acad.journal().entries())
      if (e.event == "open") out.push_back(e.drawing);
    return out;
  }
  std::vector<std::string> messageTexts() const {
    std::vector<std::string> out;
    for (auto& m : env.ui.messages) out.push_back(m.text);
    return out;
  }

  // Runs action once, at the (skip+1)-th tick at which the last typed text
  // is `text`. Typing takes two ticks (the text, then the nudge), so skip 2
  // reaches the pause that follows it.
  void whenTyped(const std::string& text, std::function<void()> action, int skip = 0) {
    env.clock.onTick = [this, text, action, skip, done = false](std::int64_t) mutable {
      if (done) return;
      auto t = typed();
      if (!t.empty() && t.back() == text && skip-- == 0) {
        done = true;
        action();
      }
    };
  }
  void clickStop() {
    env.ui.queueEvent(1, [] {
      if (auto* f = progressForm()) f->StopBitBtn->click();
    });
  }
};

}  // namespace plot_test
