#include "printerconfig/page_size_form.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/codec.h"
#include "base/profile.h"
#include "printerconfig/paper_table.h"
#include "support/sim_env.h"

namespace {

using printerconfig::TPageSizeForm;
using Lines = std::vector<std::string>;

struct PageSizeFormTest : ::testing::Test {
  testing_support::SimEnv env;
  std::string plotIni = env.path("plot.ini");
  std::string settings = env.path("kestrel20.ini");
  TPageSizeForm form{plotIni, settings};

  // Opens the dialog modally; `user` acts on it while it is open and sees
  // the lines it was shown with.
  int open(const std::function<void(TPageSizeForm&)>& user) {
    env.ui.modalHandlers["TPageSizeForm"] = [user](ui::Form& f) { user(static_cast<TPageSizeForm&>(f)); };
    return form.showModal();
  }
  Lines shownLines() {
    Lines seen;
    open([&](TPageSizeForm& f) {
      seen = f.Memo1->lines();
      f.CloseBitBtn->click();
    });
    return seen;
  }
  std::string plotIniText() const { return base::cp932ToUtf8(env.readFile("plot.ini")); }
  ui::Rect savedPlacement() const {
    const base::ProfileFile ini(settings);
    return {ini.readInt("PageSizeWindow", "Left", -1), ini.readInt("PageSizeWindow", "Top", -1),
            ini.readInt("PageSizeWindow", "Width", -1), ini.readInt("PageSizeWindow", "Height", -1)};
  }
};

void expectBounds(const ui::Rect& r, int left, int top, int width, int height) {
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.width, width);
  EXPECT_EQ(r.height, height);
}

TEST_F(PageSizeFormTest, ShowsTheNonEmptyLinesAndOkWritesThemRenumbered) {
  env.writeFile("plot.ini", base::utf8ToCp932("[PaperSize]\r\nPAGE=5\r\nPageSize0=A3=420x297\r\nPageSize2=\r\n"
                                              "PageSize3= A1 横=841x594\r\nPageSize4=594x420\r\n"));
  int result = open([](TPageSizeForm& f) {
    EXPECT_EQ(f.Memo1->lines(), (Lines{"A3=420x297", "A1 横=841x594", "594x420"}));
    f.Memo1->userEdit({"A4=297x210", "", "A1 横=841x594", "B=1=2"});
    f.OKBitBtn->click();
  });
  EXPECT_EQ(result, ui::mrOk);
  EXPECT_FALSE(form.shown());
  // Empty lines count and are written; every line keeps its typed text.
  EXPECT_EQ(plotIniText(), "[PaperSize]\r\nPAGE=4\r\nPageSize0=A4=297x210\r\nPageSize2=A1 横=841x594\r\n"
                           "PageSize3=B=1=2\r\nPageSize4=594x420\r\nPageSize1=\r\n");
  // Reopened: exactly the non-empty saved lines, not added to what was shown.
  EXPECT_EQ(shownLines(), (Lines{"A4=297x210", "A1 横=841x594", "B=1=2"}));
  auto table = printerconfig::ReadPaperTable(plotIni);
  EXPECT_EQ(table.names, (Lines{"A4", "A1 横", "B"}));
}

TEST_F(PageSizeFormTest, AnEmptyTableIsNoLinesAndOkOnNothingWritesACountOfZero) {
  EXPECT_EQ(shownLines(), Lines{});
  open([](TPageSizeForm& f) { f.OKBitBtn->click(); });
  EXPECT_EQ(plotIniText(), "[PaperSize]\r\nPAGE=0\r\n");
}

TEST_F(PageSizeFormTest, CancelAndTheFrameWriteNoTable) {
  const std::string before = base::utf8ToCp932("[PaperSize]\r\nPAGE=1\r\nPageSize0=A3=420x297\r\n");
  env.writeFile("plot.ini", before);
  int result = open([](TPageSizeForm& f) {
    f.Memo1->userEdit({"A4=297x210"});
    f.CloseBitBtn->click();
  });
  EXPECT_EQ(result, ui::mrCancel);
  result = open([](TPageSizeForm& f) {
    f.Memo1->userEdit({"A4=297x210"});
    f.close();
  });
  EXPECT_EQ(result, ui::mrCancel);
  EXPECT_EQ(env.readFile("plot.ini"), before);
  // The next show drops the abandoned edit.
  EXPECT_EQ(shownLines(), (Lines{"A3=420x297"}));
}

TEST_F(PageSizeFormTest, ALineThatCannotBeStoredKeepsTheDialogOpen) {
  const std::string before = base::utf8ToCp932("[PaperSize]\r\nPAGE=1\r\nPageSize0=A3=420x297\r\n");
  env.writeFile("plot.ini", before);
  int result = open([](TPageSizeForm& f) {
    f.Memo1->userEdit({"A4=297x210", "😀=1x1"});
    f.OKBitBtn->click();
    EXPECT_TRUE(f.shown());
    EXPECT_EQ(f.Memo1->lines(), (Lines{"A4=297x210", "😀=1x1"}));
    f.CloseBitBtn->click();
  });
  EXPECT_EQ(result, ui::mrCancel);
  ASSERT_EQ(env.ui.messages.size(), 1u);
  EXPECT_NE(env.ui.messages[0].text.find("😀"), std::string::npos);
  EXPECT_EQ(env.readFile("plot.ini"), before);
}

TEST_F(PageSizeFormTest, PlacementIsRestoredOnTheFirstShowOnlyAndSavedOnEveryClose) {
  shownLines();
  expectBounds(form.bounds(), 300, 200, 380, 300);  // nothing saved yet: the design
  expectBounds(savedPlacement(), 300, 200, 380, 300);

  base::ProfileFile ini(settings);
  ini.writeInt("PageSizeWindow", "Left", 10);
  ini.writeInt("PageSizeWindow", "Top", 20);
  ini.writeInt("PageSizeWindow", "Width", 400);
  ini.writeInt("PageSizeWindow", "Height", 320);
  TPageSizeForm again(plotIni, settings);
  env.ui.modalHandlers["TPageSizeForm"] = [](ui::Form& f) {
    static_cast<TPageSizeForm&>(f).OKBitBtn->click();
  };
  again.showModal();
  expectBounds(again.bounds(), 10, 20, 400, 320);
  expectBounds(savedPlacement(), 10, 20, 400, 320);

  // Moved by the user: the move is saved, and a later show does not read
  // the file again.
  env.ui.modalHandlers["TPageSizeForm"] = [](ui::Form& f) {
    f.setBounds(50, 60, 390, 310);
    f.close();
  };
  again.showModal();
  expectBounds(savedPlacement(), 50, 60, 390, 310);
  ini.writeInt("PageSizeWindow", "Left", 999);
  env.ui.modalHandlers["TPageSizeForm"] = [](ui::Form& f) {
    static_cast<TPageSizeForm&>(f).CloseBitBtn->click();
  };
  again.showModal();
  expectBounds(again.bounds(), 50, 60, 390, 310);
}

}  // namespace
