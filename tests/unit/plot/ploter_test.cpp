#include "plot/ploter.h"

#include <gtest/gtest.h>


#include "base/codec.h"
#include "base/profile.h"
#include "support/sim_env.h"

namespace {

using Lines = std::vector<std::string>;

struct PloterTest : ::testing::Test {
  testing_support::SimEnv env;
  plot::Ploter p{env.path("kestrel20.ini"), "Ploter2Fleld"};
  std::string setFile() const { return env.path("BottonSets/Work.ini"); }
  void writeSet(const std::string& utf8) const { env.writeFile("BottonSets/Work.ini", base::utf8ToCp932(utf8)); }
  std::string key(const std::string& k) const {
    return base::ProfileFile(setFile()).readString("Ploter2Fleld", k, "<missing>");
  }
};

TEST_F(PloterTest, AMissingSectionLoadsTheDefaultsOverWhatWasThere) {
  EXPECT_EQ(p.TempDrawingPath, env.path("tmp.dwg"));
  p.ModelMacro = {"old"};
  p.LoadButton("Missing");
  EXPECT_EQ(p.GetUserName(), "PloterName");
  EXPECT_EQ(p.GetPrintDevice(), "None");
  EXPECT_EQ(p.GetPrintStyle(), "None");
  EXPECT_EQ(p.GetPaperName(), "None");
  EXPECT_TRUE(p.GetAvailable());
  EXPECT_FALSE(p.GetFilePlot() || p.GetPageStop() || p.GetCenterPrint() || p.GetPdfPrint());
  EXPECT_EQ(p.GetPaperSize(), "000x000");
  EXPECT_EQ(p.GetPaperDirection(), 0);
  EXPECT_EQ(p.GetOffsetX(), "0");
  EXPECT_EQ(p.GetOffsetY(), "0");
  EXPECT_TRUE(p.ModelMacro.empty());
  EXPECT_TRUE(p.LayoutMacro.empty());
}

TEST_F(PloterTest, AFreshSaveWritesEveryKeyInOrderWithThePaperNameQuoted) {
  env.writeFile("BottonSets/Work.ini", "");
  p.LoadButton("Work");
  p.SaveButton("Work");
  EXPECT_EQ(base::cp932ToUtf8(env.readFile("BottonSets/Work.ini")),
            "[Ploter2Fleld]\r\nUSERNAME=PloterName\r\nPrintDevice=None\r\nPrintStyle=None\r\n"
            "PaperName=\"None\"\r\nAVAILABLE=1\r\nFILEPLOT=0\r\nPAGESTOP=0\r\nCENTERPRINT=0\r\nPDFPRINT=0\r\n"
            "PAPERSIZE=000x000\r\nPAPERDIRECTION=0\r\nOffsetX=0\r\nOffsetY=0\r\nMACRO1_LINES=0\r\n"
            "MACRO2_LINES=0\r\n");
}

TEST_F(PloterTest, SaveThenLoadKeepsEveryFieldAndLeavesOtherSectionsAlone) {
  writeSet("[Ploter1Fleld]\r\nUSERNAME=first\r\n[Notes]\r\nwho=me\r\n");
  p.SetUserName("A3 横 図面");
  p.SetAvailable(false);
  p.SetPrintDevice("DWF6 ePlot.pc3");
  p.SetPrintStyle("monochrome.ctb");
  p.SetPaperName("  ISO A3 (420.00 x 297.00 ミリ)  ");
  p.SetPaperSize("420x297");
  p.SetPaperDirection(1);
  p.SetFilePlot(true);
  p.SetPageStop(true);
  p.SetCenterPrint(true);
  p.SetPdfPrint(true);
  p.SetOffsetX("10.5");
  p.SetOffsetY("");
  p.ModelMacro = {"-plot", "", "#SCALE"};
  p.LayoutMacro = {"#LAYOUTSCALE"};
  p.SaveButton("Work");

  plot::Ploter q(env.path("kestrel20.ini"), "Ploter2Fleld");
  q.LoadButton("Work");
  EXPECT_EQ(q.GetUserName(), "A3 横 図面");
  EXPECT_FALSE(q.GetAvailable());
  EXPECT_EQ(q.GetPrintDevice(), "DWF6 ePlot.pc3");
  EXPECT_EQ(q.GetPrintStyle(), "monochrome.ctb");
  EXPECT_EQ(q.GetPaperName(), "  ISO A3 (420.00 x 297.00 ミリ)  ");
  EXPECT_EQ(q.GetPaperSize(), "420x297");
  EXPECT_EQ(q.GetPaperDirection(), 1);
  EXPECT_TRUE(q.GetFilePlot() && q.GetPageStop() && q.GetCenterPrint() && q.GetPdfPrint());
  EXPECT_EQ(q.GetOffsetX(), "10.5");
  EXPECT_EQ(q.GetOffsetY(), "");
  EXPECT_EQ(key("MACRO1-1"), "");  // written, but dropped on reload
  EXPECT_EQ(q.ModelMacro, (Lines{"-plot", "#SCALE"}));
  EXPECT_EQ(q.LayoutMacro, Lines{"#LAYOUTSCALE"});
  base::ProfileFile f(setFile());
  EXPECT_EQ(f.readString("Ploter1Fleld", "USERNAME", ""), "first");
  EXPECT_EQ(f.readString("Notes", "who", ""), "me");
}

TEST_F(PloterTest, LoadRulesForEmptyQuotedAndBadValues) {
  auto load = [&](const std::string& lines) {
    writeSet("[Ploter2Fleld]\r\n" + lines);
    p.LoadButton("Work");
  };
  load("USERNAME=\r\nPrintDevice=\r\nPrintStyle= \r\nPaperName=\r\nPAPERSIZE=\r\nOffsetX=\r\n"
       "AVAILABLE=2\r\nFILEPLOT=2\r\nPAPERDIRECTION=abc\r\n");
  EXPECT_EQ(p.GetUserName(), "PloterName");
  EXPECT_EQ(p.GetPrintDevice(), "None");
  EXPECT_EQ(p.GetPrintStyle(), "None");
  EXPECT_EQ(p.GetPaperName(), "None");
  EXPECT_EQ(p.GetPaperSize(), "000x000");
  EXPECT_EQ(p.GetOffsetX(), "");  // taken as read
  EXPECT_EQ(p.GetOffsetY(), "0");
  EXPECT_FALSE(p.GetAvailable());
  EXPECT_FALSE(p.GetFilePlot());
  EXPECT_EQ(p.GetPaperDirection(), 0);

  load("PaperName=\"A4\r\nPAPERDIRECTION=2\r\n");
  EXPECT_EQ(p.GetPaperName(), "A4");  // only the first character goes
  EXPECT_EQ(p.GetPaperDirection(), 2);
  load("PaperName=A4 \"\r\n");
  EXPECT_EQ(p.GetPaperName(), "A4 ");
  load("PaperName=\"\"B5\"\"\r\n");  // the reader takes one pair, the load the next
  EXPECT_EQ(p.GetPaperName(), "B5");
  load("PaperName=\"\"\r\n");
  EXPECT_EQ(p.GetPaperName(), "None");
}

TEST_F(PloterTest, EmptyMacroLinesAreSkippedAndAShorterSaveLeavesTheOldHigherKeys) {
  writeSet("[Ploter2Fleld]\r\nMACRO1_LINES=4\r\nMACRO1-0=a\r\nMACRO1-1=b\r\nMACRO1-2=\r\nMACRO1-3=d\r\n"
           "MACRO2_LINES=5\r\nMACRO2-0=x\r\n");
  p.LoadButton("Work");
  EXPECT_EQ(p.ModelMacro, (Lines{"a", "b", "d"}));
  EXPECT_EQ(p.LayoutMacro, Lines{"x"});

  p.ModelMacro = {"1", "2", "3", "4", "5"};
  p.SaveButton("Work");
  p.ModelMacro = {"one", "two"};
  p.SaveButton("Work");
  EXPECT_EQ(key("MACRO1_LINES"), "2");
  EXPECT_EQ(key("MACRO1-1"), "two");
  EXPECT_EQ(key("MACRO1-2"), "3");
  EXPECT_EQ(key("MACRO1-4"), "5");
  p.LoadButton("Work");
  EXPECT_EQ(p.ModelMacro, (Lines{"one", "two"}));
}

}  // namespace
