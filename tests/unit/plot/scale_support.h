// A button's record attached to hand-made AutoCAD windows whose prompt line
// answers variable queries from a table: each query shows the value as its
// default, ESC brings the command prompt back.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "acadlink/fake_acad.h"
#include "plot/ploter.h"
#include "plot/plotteing_form.h"
#include "plot/scale_dialogs.h"
#include "support/sim_env.h"

namespace plot_test {

class ScaleFixture : public ::testing::Test {
 protected:
  testing_support::SimEnv env;
  acadlink_test::FakeAcad acad{env.desktop, acadlink_test::Release::R2004};
  plot::Ploter p{env.path("kestrel20.ini"), "Ploter1Fleld"};
  // Variables answered by the prompt line; a name not listed leaves the
  // command prompt showing, as AutoCAD does for LIMMIN on a layout.
  std::map<std::string, std::string> vars;
  // What the prompt line shows after the next input, when set.
  std::vector<std::string> nextPrompts;

  void SetUp() override {
    p.SetHandles(acad.handles());
    p.SetPrintDevice("DWG To PDF.pc3");
    p.SetPaperSize("420x297");
    p.ScaleWarningOn = true;
    acad.react = [this](const std::string& in) {
      if (in == "\x1b") {
        acad.prompt(acad.idlePrompt());
        return;
      }
      if (!in.empty() && in.back() == '\n') {
        const auto it = vars.find(in.substr(0, in.size() - 1));
        if (it != vars.end()) {
          acad.prompt(it->first + " の新しい値を入力 <" + it->second + ">: ");
          return;
        }
      }
      if (!nextPrompts.empty()) {
        acad.prompt(nextPrompts.front());
        nextPrompts.erase(nextPrompts.begin());
      }
    };
  }

  void limits(const std::string& min, const std::string& max) {
    vars["LIMMIN"] = min;
    vars["LIMMAX"] = max;
  }

  // Installs what the user does in the doubtful-scale dialog.
  void onScaleDialog(std::function<void(plot::TScaleUnCorrectDlg&)> act) {
    env.ui.modalHandlers["TScaleUnCorrectDlg"] = [act](ui::Form& f) {
      act(static_cast<plot::TScaleUnCorrectDlg&>(f));
    };
  }
  void onUndefinedDialog(std::function<void(plot::TDwgAreaUndefinedDlg&)> act) {
    env.ui.modalHandlers["TDwgAreaUndefinedDlg"] = [act](ui::Form& f) {
      act(static_cast<plot::TDwgAreaUndefinedDlg&>(f));
    };
  }

  int shown(const std::string& formClass) const {
    int n = 0;
    for (const std::string& c : env.ui.modalShown) n += c == formClass;
    return n;
  }

  // Limits model scale with the usual options: scale printing on, one
  // drawing at a time, from the limits.
  std::string decide(const std::string& file = "plan.dwg") { return p.DecideModelScale(true, 0, 0, 1, file); }
  std::string decideByDimscale(double dimMag) { return p.DecideModelScale(true, 0, 1, dimMag, "plan.dwg"); }
};

}  // namespace plot_test
