// The model-space decision of a drawing: mode, scale from the limits or from
// DIMSCALE, and the two scale questions.
#include <gtest/gtest.h>

#include <cmath>

#include "plot/plot_scale.h"
#include "plot/scale_support.h"

namespace {

using plot_test::ScaleFixture;

TEST(PlotScaleArithmetic, DiagonalsAndPlausibility) {
  EXPECT_NEAR(plot::PaperSizeDiagonal("420x297"), 514.4016, 1e-4);
  EXPECT_EQ(plot::PaperSizeDiagonal("000x000"), 0);
  // The stored table, not a recomputation: A2's sides give 727.4860823...
  EXPECT_EQ(plot::kASeriesDiagonals[2], 727.4860823);
  EXPECT_EQ(plot::kASeriesDiagonals[4], 363.7430412);

  EXPECT_TRUE(plot::IsWholeOrHalf(100));
  EXPECT_TRUE(plot::IsWholeOrHalf(2.5));
  EXPECT_FALSE(plot::IsWholeOrHalf(2.37));
  EXPECT_FALSE(plot::IsWholeOrHalf(-2.5));  // the fraction keeps its sign

  // 1000 x 700 limits: 2.37 on A3 and 0.84, 1.19, 1.68, 2.37, 3.36 on A0..A4.
  const double d = std::hypot(1000.0, 700.0);
  EXPECT_EQ(plot::LimitsScale(d, plot::PaperSizeDiagonal("420x297")), 2.37);
  EXPECT_FALSE(plot::IsPlausibleLimitsScale(d, 2.37));
  // Not round on the button's paper but exactly A1-sized twice over.
  EXPECT_TRUE(plot::IsPlausibleLimitsScale(2 * 1029.619833, 3.33));

  EXPECT_FALSE(plot::ParsePoint("12.5").has_value());
  EXPECT_EQ(plot::ParsePoint("0.0000,9.5000")->y, 9.5);
}

TEST_F(ScaleFixture, RunStartDiagonalsTakeTheLayoutAdjustment) {
  p.ComputeDiagonals("594x841", 95);
  EXPECT_NEAR(p.PaperDiagonal, 514.4016, 1e-4);
  EXPECT_NEAR(p.LayoutPaperDiagonal, 1029.6198 / 0.95, 1e-3);
}

TEST_F(ScaleFixture, LimitsOnA3GiveOneToHundredWithoutQuestion) {
  p.ComputeDiagonals("594x841", 100);
  limits("0.0000,0.0000", "42000.0000,29700.0000");
  EXPECT_EQ(decide(), "1=100");
  EXPECT_TRUE(env.ui.modalShown.empty());
  // Both limits were asked, each left with ESC.
  EXPECT_EQ(acad.typed, (std::vector<std::string>{"LIMMIN\n", "\x1b", "LIMMAX\n", "\x1b"}));
}

TEST_F(ScaleFixture, DoubtfulLimitsScaleAsksOnlyWhenWarningIsOn) {
  p.ComputeDiagonals("594x841", 100);
  limits("0,0", "1000,700");
  std::string label, name;
  onScaleDialog([&](plot::TScaleUnCorrectDlg& d) {
    label = d.ScaleLabel->caption();
    name = d.DwgNameLabel->caption();
    d.ScaleBtnClick();
  });
  EXPECT_EQ(decide("kita.dwg"), "1=2.37");
  EXPECT_EQ(shown("TScaleUnCorrectDlg"), 1);
  EXPECT_EQ(label, "1=2.37");
  EXPECT_EQ(name, "kita.dwg");

  p.ScaleWarningOn = false;
  EXPECT_EQ(decide(), "1=2.37");
  EXPECT_EQ(shown("TScaleUnCorrectDlg"), 1);
}

TEST_F(ScaleFixture, DoubtfulScaleDialogChoices) {
  p.ComputeDiagonals("594x841", 100);
  limits("0,0", "1000,700");
  onScaleDialog([](plot::TScaleUnCorrectDlg& d) { d.FreeScaleBtnClick(); });
  EXPECT_EQ(decide(), "F");
  onScaleDialog([](plot::TScaleUnCorrectDlg& d) { d.PrintCancelBtnClick(); });
  EXPECT_EQ(decide(), "Cancel");
  // Closed without a button: the same as stopping.
  env.ui.modalHandlers.clear();
  EXPECT_EQ(decide(), "Cancel");
  EXPECT_EQ(shown("TScaleUnCorrectDlg"), 3);
  EXPECT_FALSE(p.ScaleDecisionForAll);
}

TEST_F(ScaleFixture, ChoiceForAllDrawingsIsRemembered) {
  p.ComputeDiagonals("594x841", 100);
  limits("0,0", "1000,700");
  onScaleDialog([](plot::TScaleUnCorrectDlg& d) {
    d.AnotherCheckBox->setChecked(true);
    d.FreeScaleBtnClick();
  });
  EXPECT_EQ(decide("a.dwg"), "F");
  limits("0,0", "1100,800");  // another doubtful drawing
  EXPECT_EQ(decide("b.dwg"), "F");
  EXPECT_EQ(shown("TScaleUnCorrectDlg"), 1);
  // A plausible drawing keeps its computed scale.
  limits("0,0", "42000,29700");
  EXPECT_EQ(decide("c.dwg"), "1=100");
}

TEST_F(ScaleFixture, ScaleForAllDrawingsPrintsEachAtItsOwnScale) {
  p.ComputeDiagonals("594x841", 100);
  limits("0,0", "1000,700");
  onScaleDialog([](plot::TScaleUnCorrectDlg& d) {
    d.AnotherCheckBox->setChecked(true);
    d.ScaleBtnClick();
  });
  EXPECT_EQ(decide(), "1=2.37");
  limits("0,0", "2000,1400");
  EXPECT_EQ(decide(), "1=4.75");
  EXPECT_EQ(shown("TScaleUnCorrectDlg"), 1);
}

TEST_F(ScaleFixture, TheRunsOwnDialogIsTheOneShown) {
  p.ComputeDiagonals("594x841", 100);
  limits("0,0", "1000,700");
  plot::TScaleUnCorrectDlg dlg;
  p.ScaleUnCorrectDlg = &dlg;
  const ui::Form* seen = nullptr;
  env.ui.modalHandlers["TScaleUnCorrectDlg"] = [&](ui::Form& f) {
    seen = &f;
    dlg.ScaleBtnClick();
  };
  EXPECT_EQ(decide(), "1=2.37");
  EXPECT_EQ(seen, &dlg);
  EXPECT_EQ(dlg.ScaleLabel->caption(), "1=2.37");
}

TEST_F(ScaleFixture, DefaultLimitsAlwaysAskEvenWithoutWarning) {
  p.ComputeDiagonals("594x841", 100);
  p.ScaleWarningOn = false;
  p.ScaleDecisionForAll = true;
  p.ScaleDecision = 2;
  limits("0.0000,0.0000", "12.0000,9.0000");
  std::string name;
  onUndefinedDialog([&](plot::TDwgAreaUndefinedDlg& d) {
    name = d.DwgNameLabel->caption();
    d.FreeScaleBtnClick();
  });
  EXPECT_EQ(decide("old.dwg"), "F");
  EXPECT_EQ(name, "old.dwg");
  onUndefinedDialog([](plot::TDwgAreaUndefinedDlg& d) { d.PrintCancelBtnClick(); });
  EXPECT_EQ(decide(), "Cancel");
  EXPECT_EQ(shown("TDwgAreaUndefinedDlg"), 2);

  // Only exactly AutoCAD's defaults count as undefined.
  limits("0,0", "12,9.5");
  EXPECT_EQ(decide(), "1=0.03");
  EXPECT_EQ(shown("TDwgAreaUndefinedDlg"), 2);
}

TEST_F(ScaleFixture, DimscaleDividedByMagnification) {
  vars["LIMMIN"] = "0.0000,0.0000";
  vars["dimscale"] = "100.0000";
  EXPECT_EQ(decideByDimscale(1), "1=100");
  EXPECT_TRUE(env.ui.modalShown.empty());
  // LIMMIN is still read, to tell a layout; DIMSCALE is asked instead of LIMMAX.
  EXPECT_EQ(acad.typed, (std::vector<std::string>{"LIMMIN\n", "\x1b", "dimscale\n", "\x1b"}));

  vars["dimscale"] = "30";
  p.ScaleWarningOn = false;
  EXPECT_EQ(decideByDimscale(0.7), "1=42.86");
  p.ScaleWarningOn = true;
  onScaleDialog([](plot::TScaleUnCorrectDlg& d) { d.ScaleBtnClick(); });
  EXPECT_EQ(decideByDimscale(0.7), "1=42.86");
  EXPECT_EQ(shown("TScaleUnCorrectDlg"), 1);
  // A magnification of 0 cannot be divided by: fitted.
  EXPECT_EQ(decideByDimscale(0), "F");
}

TEST_F(ScaleFixture, ModeAndDeviceComeBeforeTheScale) {
  limits("0,0", "12,9");  // would ask if the scale were computed

  EXPECT_EQ(p.DecideModelScale(true, 1, 0, 1, "plan.dwg"), "AllLayout");
  EXPECT_TRUE(acad.typed.empty());

  vars.erase("LIMMIN");  // on a layout the command prompt comes back
  EXPECT_EQ(decide(), "CurrentLayout");
  EXPECT_EQ(acad.typed, (std::vector<std::string>{"LIMMIN\n", "\x1b"}));

  limits("0,0", "12,9");
  p.SetPrintDevice("None");
  EXPECT_EQ(decide(), "");
  p.SetPrintDevice("DWG To PDF.pc3");
  EXPECT_EQ(p.DecideModelScale(false, 0, 0, 1, "plan.dwg"), "F");
  EXPECT_TRUE(env.ui.modalShown.empty());
}

TEST_F(ScaleFixture, HalfWidthCommandPromptAlsoMeansLayout) {
  acadlink_test::FakeAcad old{env.desktop, acadlink_test::Release::R2000};
  p.SetHandles(old.handles());
  EXPECT_EQ(decide(), "CurrentLayout");
}

}  // namespace
