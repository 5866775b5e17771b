// Widget behaviour that the forms rely on: the grid's copy and radio
// buttons that form a group with their siblings.
#include <gtest/gtest.h>

#include "support/sim_env.h"
#include "ui/widgets.h"

namespace {

class Sheet : public ui::Form {
 public:
  Sheet() : ui::Form("Sheet") {}
};

TEST(GridCopy, TheWholeTableWithItsHeaderTabSeparatedWithCrLfBetweenRows) {
  testing_support::SimEnv env;
  Sheet form;
  ui::StringGrid* g = form.make<ui::StringGrid>(&form);
  g->setColCount(3);
  g->setRowCount(3);
  g->setCell(0, 0, "図面名");
  g->setCell(1, 0, "A0");
  g->setCell(2, 0, "LIMMIN");
  g->setCell(0, 1, "a.dwg");
  g->setCell(2, 1, "0,0");  // an empty cell keeps its place
  g->setCell(0, 2, "b.dwg");
  const std::string table = "図面名\tA0\tLIMMIN\r\na.dwg\t\t0,0\r\nb.dwg\t\t";
  EXPECT_EQ(g->tableText(), table);
  g->copyToClipboard();
  EXPECT_EQ(env.clipboard.getText(), table);
}

TEST(RadioButtons, CheckingOneUnchecksItsSiblingsOnly) {
  testing_support::SimEnv env;
  Sheet form;
  ui::GroupBox* left = form.make<ui::GroupBox>(&form);
  ui::GroupBox* right = form.make<ui::GroupBox>(&form);
  auto* a = form.make<ui::RadioButton>(left);
  auto* b = form.make<ui::RadioButton>(left);
  auto* c = form.make<ui::RadioButton>(right);
  int clicks = 0;
  b->onClick = [&] { ++clicks; };
  a->setChecked(true);
  c->setChecked(true);
  b->click();
  EXPECT_FALSE(a->checked());
  EXPECT_TRUE(b->checked());
  EXPECT_TRUE(c->checked());  // another group
  EXPECT_EQ(clicks, 1);
  a->setEnabled(false);
  a->click();
  EXPECT_TRUE(b->checked());
}

}  // namespace
