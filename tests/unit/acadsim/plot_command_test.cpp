#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "acadsim/session.h"
#include "acadsim_support.h"
#include "base/codec.h"
#include "base/text.h"

using acadsim::Session;
using acadsim_test::cutDefault;
using acadsim_test::dxf;

namespace {

constexpr const char* kA3 = "ISO A3 (420.00 x 297.00 mm)";
constexpr const char* kA4 = "ISO A4 (297.00 x 210.00 mm)";
constexpr const char* kPdf = "DWG To PDF.pc3";
constexpr const char* kPrinter = "Default Windows System Printer.pc3";

struct SheetDef {
  std::string name;  // "Model" for model space's layout object
  std::string record;
  std::string device, paper, style;
  bool fit = false;
  std::string num = "1", den = "1";
};

// A drawing whose layout objects carry page setups.
std::string sheetsDxf(int tilemode, const std::vector<SheetDef>& sheets) {
  std::vector<std::pair<int, std::string>> p = {
      {0, "SECTION"}, {2, "HEADER"}, {9, "$LIMMIN"}, {10, "0.0"}, {20, "0.0"}, {9, "$LIMMAX"}, {10, "42000.0"},
      {20, "29700.0"}, {9, "$TILEMODE"}, {70, std::to_string(tilemode)}, {0, "ENDSEC"},
      {0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "BLOCK_RECORD"}};
  int other = 0;
  for (size_t i = 0; i < sheets.size(); ++i) {
    const std::string block = sheets[i].name == "Model" ? "*Model_Space"
                              : other++ == 0           ? "*Paper_Space"
                                                       : "*Paper_Space" + std::to_string(other - 2);
    p.insert(p.end(), {{0, "BLOCK_RECORD"}, {5, sheets[i].record}, {2, block}});
  }
  p.insert(p.end(), {{0, "ENDTAB"}, {0, "ENDSEC"}, {0, "SECTION"}, {2, "OBJECTS"}});
  int tab = 0;
  for (const SheetDef& s : sheets) {
    p.insert(p.end(), {{0, "LAYOUT"}, {5, "A" + s.record}, {100, "AcDbPlotSettings"}, {1, ""}});
    if (!s.device.empty()) p.push_back({2, s.device});
    if (!s.paper.empty()) p.push_back({4, s.paper});
    if (!s.style.empty()) p.push_back({7, s.style});
    p.insert(p.end(), {{70, s.fit ? "16" : "0"}, {75, s.fit ? "0" : "16"}, {142, s.num}, {143, s.den},
                       {100, "AcDbLayout"}, {1, s.name}, {70, "1"}, {71, std::to_string(tab++)}, {330, s.record}});
  }
  p.insert(p.end(), {{0, "ENDSEC"}, {0, "EOF"}});
  return dxf(p);
}

const std::vector<SheetDef> kSheets = {{"Model", "1F"},
                                       {"Plan", "30", kPdf, kA3, "monochrome.ctb", false, "1", "50"},
                                       {"Fitted", "31", kPrinter, kA4, "", true}};

struct PlotCommandTest : ::testing::Test {
  acadsim_test::ScratchFolder dir;
  acadsim::Journal journal;
  std::unique_ptr<Session> s;
  std::vector<std::string> prompts;  // every prompt an input answered

  void open(int release, int tilemode, const std::vector<SheetDef>& sheets = kSheets) {
    acadsim::Options o;
    o.release = release;
    o.workFolder = dir.folder();
    s = std::make_unique<Session>(o, &journal);
    s->start(dir.write("plan.dwg", sheetsDxf(tilemode, sheets)));
  }
  std::string prompt() const { return s->promptLine(); }
  // Types each answer followed by Enter, noting the prompt it answered.
  void answer(const std::vector<std::string>& answers) {
    for (const std::string& a : answers) {
      prompts.push_back(prompt());
      s->typeText(a + "\n");
    }
  }
  std::vector<acadsim::JournalEntry> plots() const {
    std::vector<acadsim::JournalEntry> out;
    for (auto& e : journal.entries())
      if (e.event == "plot") out.push_back(e);
    return out;
  }
  // Checks that the prompts answered hold these words in this order.
  void expectOrder(const std::vector<std::string>& words) {
    ASSERT_EQ(words.size(), prompts.size());
    for (size_t i = 0; i < words.size(); ++i)
      EXPECT_TRUE(base::contains(prompts[i], words[i])) << i << ": " << prompts[i] << " lacks " << words[i];
  }
};

TEST_F(PlotCommandTest, ModelSpaceAsksInAutoCADsOrderAndPlotsWithTheDefaults) {
  open(2004, 1);
  answer({"-plot", "Y", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", ""});
  expectOrder({"コマンド", "詳細な印刷構成", "レイアウト名", "出力デバイス名", "用紙サイズ", "用紙単位", "図面の方向",
               "上下を反転", "印刷領域", "印刷尺度", "印刷オフセット", "印刷スタイルを使用", "印刷スタイル テーブル名",
               "線の太さ", "隠線処理", "ファイルに書き出し", "ページ設定の変更", "印刷を続行"});
  EXPECT_EQ("Model", cutDefault(prompts[2]));
  EXPECT_EQ(kPdf, cutDefault(prompts[3]));  // no device in the model's page setup: the first one
  EXPECT_EQ(kA4, cutDefault(prompts[4]));
  EXPECT_EQ("表示", cutDefault(prompts[8]));
  EXPECT_EQ("フィット", cutDefault(prompts[9]));
  EXPECT_EQ("コマンド: ", prompt());
  ASSERT_EQ(1u, plots().size());
  EXPECT_FALSE(s->modified());
  EXPECT_EQ("{\"event\":\"plot\",\"drawing\":" + acadsim::jsonString(dir.path("plan.dwg")) +
                ",\"layout\":\"Model\",\"device\":\"DWG To PDF.pc3\",\"paper\":\"ISO A4 (297.00 x 210.00 mm)\","
                "\"orientation\":\"L\",\"area\":\"display\",\"scale\":\"fit\",\"offset\":\"0.00,0.00\","
                "\"styletable\":null,\"file\":null}",
            plots()[0].toJson());
}

TEST_F(PlotCommandTest, LayoutAsksItsOwnQuestionsWithItsPageSetupAsDefaults) {
  open(2004, 0);
  answer({"_-PLOT", "y", "", "", "", "", "P", "", "", "", "", "", "", "", "", "", "", "", "Y", ""});
  expectOrder({"コマンド", "詳細な印刷構成", "レイアウト名", "出力デバイス名", "用紙サイズ", "用紙単位", "図面の方向",
               "上下を反転", "印刷領域", "印刷尺度", "印刷オフセット", "印刷スタイルを使用", "印刷スタイル テーブル名",
               "線の太さ", "線の太さを尺度変更", "ペーパー空間を最初に", "ペーパー空間のオブジェクト", "ファイルに書き出し",
               "ページ設定の変更", "印刷を続行"});
  EXPECT_EQ("Plan", cutDefault(prompts[2]));
  EXPECT_EQ(kA3, cutDefault(prompts[4]));
  EXPECT_EQ("レイアウト", cutDefault(prompts[8]));
  EXPECT_EQ("1:50", cutDefault(prompts[9]));
  EXPECT_EQ("monochrome.ctb", cutDefault(prompts[12]));
  ASSERT_EQ(1u, plots().size());
  const auto e = plots()[0];
  EXPECT_EQ("Plan", e.get("layout"));
  EXPECT_EQ("P", e.get("orientation"));
  EXPECT_EQ("layout", e.get("area"));
  EXPECT_EQ("1:50", e.get("scale"));
  EXPECT_EQ("monochrome.ctb", e.get("styletable"));
  EXPECT_TRUE(s->modified());  // the page setup was saved

  // A fitted layout offers fit; the 2000 family writes it half-width.
  open(2000, 0);
  prompts.clear();
  answer({"-plot", "Y", "Fitted", "", "", "", "", "", "", ""});
  EXPECT_EQ("ﾚｲｱｳﾄ", cutDefault(prompts[8]));
  EXPECT_EQ("ﾌｨｯﾄ", cutDefault(prompts[9]));
  EXPECT_EQ(kPrinter, cutDefault(prompts[3]));
}

TEST_F(PlotCommandTest, NamesNotFoundAskAgainShowingTheWordTheProgramLooksFor) {
  open(2004, 0,
       {{"Model", "1F"}, {"Plan", "30", "Gone Plotter.pc3", "Letter", "gone.ctb"}, {"Two", "31", kPdf, "Letter"}});
  s->typeText("-plot\nY\nNoSuchLayout\n");
  EXPECT_TRUE(base::contains(prompt(), "レイアウト名を入力"));

  // The drawing's own device, paper and table kept with Enter, as the
  // program does for a button without a device: each one is refused.
  s->typeText("Plan\n\n");
  EXPECT_TRUE(base::contains(prompt(), "出力"));
  EXPECT_EQ("Gone Plotter.pc3", cutDefault(prompt()));
  s->typeText("Nowhere.pc3\n");
  EXPECT_TRUE(base::contains(prompt(), "出力デバイス名を入力"));
  s->typeText("dwg to pdf.pc3\n");  // names compare without regard to case
  EXPECT_FALSE(base::contains(prompt(), "出力"));
  EXPECT_FALSE(base::contains(prompt(), "一覧"));
  EXPECT_EQ(kA4, cutDefault(prompt()));  // Letter is none of this device's: its first paper

  s->typeText("B0\n");
  EXPECT_TRUE(base::contains(prompt(), "一覧"));
  s->typeText(std::string(kA3) + "\n");
  EXPECT_TRUE(base::contains(prompt(), "用紙単位"));
  s->typeText("\n\n\n\n\n\n\n");
  EXPECT_TRUE(base::contains(prompt(), "印刷スタイル テーブル名"));
  EXPECT_FALSE(base::contains(prompt(), "なし"));
  s->typeText("\n");
  EXPECT_TRUE(base::contains(prompt(), "なし"));
  s->typeText(".\n");
  EXPECT_TRUE(base::contains(prompt(), "線の太さ"));
  EXPECT_FALSE(base::contains(prompt(), "なし"));

  // The paper of another layout's stored device is not on its list.
  s->typeText("\x1b-plot\nY\nTwo\n\n\n");
  EXPECT_TRUE(base::contains(prompt(), "一覧"));
  s->typeText("\x1b");
  EXPECT_EQ("コマンド: ", prompt());
  EXPECT_TRUE(plots().empty());
}

TEST_F(PlotCommandTest, PaperListingIsWhatThePaperAcquisitionReads) {
  open(2004, 1);
  s->typeText("-plot\nY\n\n" + std::string(kPrinter) + "\n?\n");
  EXPECT_TRUE(base::contains(prompt(), "用紙サイズを入力"));  // asked again after the list
  EXPECT_FALSE(base::contains(prompt(), "出力デバ"));
  // The lines after the last heading, as the acquisition walks them.
  const auto& h = s->history();
  std::vector<std::string> papers;
  for (size_t i = h.size(); i-- > 0 && !base::contains(h[i], "可能な用紙");) papers.insert(papers.begin(), h[i]);
  EXPECT_EQ((std::vector<std::string>{kA4, kA3}), papers);

  // A device the stand-in does not know keeps asking for the device.
  s->typeText("\x1b-plot\nY\n\nPlotter X.pc3\n");
  EXPECT_TRUE(base::contains(prompt(), "出力デバ"));
  s->typeText("?\n");
  EXPECT_TRUE(base::contains(s->historyText(), "  " + std::string(kPrinter)));
  s->typeText("\x1b");
}

TEST_F(PlotCommandTest, PlotFileGoesNextToTheDrawingAndAnExistingOneIsAskedAbout) {
  open(2004, 1);
  auto toFile = [&] {
    s->typeText("-plot\nY\n\n\n\n\n\n\nW\n\n10,20\n1=100\nC\nN\n\n\nY\n");
    return prompt();
  };
  const std::string offered = toFile();
  EXPECT_EQ(dir.path("plan-Model.plt"), cutDefault(offered));
  // The program types the drawing's folder and the offered name without
  // its extension; the stand-in adds it.
  s->typeText(dir.path("plan-Model") + "\n\nY\n");
  EXPECT_EQ("コマンド: ", prompt());
  ASSERT_EQ(1u, plots().size());
  EXPECT_EQ(dir.path("plan-Model.plt"), plots()[0].get("file"));
  EXPECT_EQ("window 0,0,10,20", plots()[0].get("area"));
  EXPECT_EQ("1:100", plots()[0].get("scale"));
  EXPECT_EQ("center", plots()[0].get("offset"));
  EXPECT_EQ("", plots()[0].get("styletable"));
  EXPECT_TRUE(base::contains(dir.read("plan-Model.plt"), "scale=1:100"));

  toFile();
  s->typeText("\n");
  EXPECT_TRUE(base::contains(prompt(), "存在"));
  s->typeText("N\n");  // not over it: the name is asked again
  EXPECT_TRUE(base::contains(prompt(), "印刷ファイル名を入力"));
  s->typeText("\nY\n");
  EXPECT_FALSE(base::contains(prompt(), "存在"));
  s->typeText("\n\n");
  EXPECT_EQ(2u, plots().size());
}

TEST_F(PlotCommandTest, EscapeCancelsAnywhereAndTheLastAnswersBecomeTheLayoutsDefaults) {
  open(2004, 0);
  s->typeText("-plot\nY\nPlan\n" + std::string(kPrinter) + "\n" + kA4 + "\n\nL\n\n\x1b");
  EXPECT_EQ("コマンド: ", prompt());
  EXPECT_TRUE(plots().empty());
  s->typeText("-plot\nY\nPlan\n");
  EXPECT_EQ(kPdf, cutDefault(prompt()));  // a cancelled plot changes nothing

  s->typeText(std::string(kPrinter) + "\n" + kA4 + "\n\n\n\n\n1:20\n\n\nacad.ctb\n\n\n\n\nN\nN\nY\n");
  ASSERT_EQ(1u, plots().size());
  EXPECT_FALSE(s->modified());
  prompts.clear();
  answer({"-plot", "Y", "Plan", "", "", "", "", "", "", "", "", "", ""});
  EXPECT_EQ(kPrinter, cutDefault(prompts[3]));
  EXPECT_EQ(kA4, cutDefault(prompts[4]));
  EXPECT_EQ("1:20", cutDefault(prompts[9]));
  EXPECT_EQ("acad.ctb", cutDefault(prompts[12]));
  s->typeText("\x1b-plot\nY\nModel\n");
  EXPECT_EQ(kPdf, cutDefault(prompt()));  // model space keeps its own
  s->typeText("\x1b");

  // No detailed configuration: the current page setup, from the file question on.
  prompts.clear();
  answer({"-plot", "N", "", "", ""});
  expectOrder({"コマンド", "詳細な印刷構成", "ファイルに書き出し", "ページ設定の変更", "印刷を続行"});
  ASSERT_EQ(2u, plots().size());
  EXPECT_EQ("Plan", plots()[1].get("layout"));
  EXPECT_EQ(kPrinter, plots()[1].get("device"));
}

TEST(PlotConfigTest, PlottersFileNamesDevicesPapersAndTables) {
  std::vector<acadsim::PlotDevice> devices = acadsim::defaultPlotDevices();
  std::vector<std::string> styles = acadsim::defaultPlotStyles();
  const std::string text = base::utf8ToCp932(
      "# devices\r\ndevice = 複合機 A\r\npaper=A4\r\npaper=A3 横\r\n\r\n; none\r\ndevice=Empty.pc3\r\nstyle=色.ctb\r\n");
  ASSERT_TRUE(acadsim::parsePlotters(text, devices, styles));
  ASSERT_EQ(2u, devices.size());
  EXPECT_EQ("複合機 A", devices[0].name);
  EXPECT_EQ((std::vector<std::string>{"A4", "A3 横"}), devices[0].papers);
  EXPECT_TRUE(devices[1].papers.empty());
  EXPECT_EQ(std::vector<std::string>{"色.ctb"}, styles);

  std::string error;
  EXPECT_FALSE(acadsim::parsePlotters("paper=A4\n", devices, styles, &error));
  EXPECT_EQ("line 1: paper=A4", error);
  EXPECT_FALSE(acadsim::parsePlotters("device=X\nprinter=Y\n", devices, styles, &error));
  EXPECT_EQ("line 2: printer=Y", error);
  EXPECT_EQ("複合機 A", devices[0].name);  // left as they were

  // The configured ones are what the command offers.
  acadsim::Options o;
  o.plotDevices = {{"Plotter Z.pc3", {"Z1"}}};
  o.plotStyles = {};
  Session z(o);
  z.start();
  z.typeText("-plot\ny\n\n");
  EXPECT_EQ("Plotter Z.pc3", cutDefault(z.promptLine()));
  z.typeText("\n");
  EXPECT_EQ("Z1", cutDefault(z.promptLine()));
}

// ------------------------------------------------------------------ shipped macros

// The macros of every button in a shipped set file (CP932), by key prefix.
std::vector<std::vector<std::string>> shippedMacros(const std::string& file, const std::string& macro) {
  const auto path = std::filesystem::path(__FILE__).parent_path() / "../../../data/BottonSets" / file;
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  std::vector<std::vector<std::string>> out;
  std::map<int, std::string> lines;
  auto flush = [&] {
    if (lines.empty()) return;
    std::vector<std::string> m;
    for (auto& [i, l] : lines) m.push_back(l);
    out.push_back(m);
    lines.clear();
  };
  for (std::string line : base::split(base::cp932ToUtf8(ss.str()), '\n')) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (base::startsWith(line, "[")) flush();
    const std::string key = macro + "-";
    if (!base::startsWith(line, key)) continue;
    const auto eq = line.find('=');
    lines[std::stoi(line.substr(key.size(), eq - key.size()))] = line.substr(eq + 1);
  }
  flush();
  return out;
}

struct ShippedMacroTest : PlotCommandTest {
  // What the plot run types for a token, written out by hand for a button
  // with its own device and paper, or for one that keeps the drawing's.
  std::map<std::string, std::function<void()>> tokens;
  void typeIn(const std::string& t) { s->typeText(t); }
  void replay(const std::vector<std::string>& macro) {
    for (const std::string& line : macro) {
      auto it = tokens.find(line);
      if (it != tokens.end()) it->second();
      else typeIn(line + "\n");
    }
  }
  void ownDevice(bool window, bool toFile) {
    tokens = {
        {"#ENTER", [&] { typeIn("\n"); }},
        {"#PRINTDEVICE", [&] { typeIn(std::string(kPdf) + "\n"); }},
        {"#PAPERNAME", [&] { typeIn(std::string(kA3) + "\n"); }},
        {"#PAPERDIRECTION", [&] { typeIn("P\n"); }},
        {"#SCOPE", [&, window] { typeIn(window ? "w\n" : "E\n"); if (window) typeIn("\n"), typeIn("\n"); }},
        {"#SCALE", [&] { typeIn("1=100\n"); }},
        {"#OFFSET", [&] { typeIn("0,0\n"); }},
        {"#PRINTSTYLE", [&] { typeIn("monochrome.ctb\n"); }},
        {"#OUTPUTLAYOUT", [&] { typeIn("\n"); }},
        {"#LAYOUTSCOPE",
         [&] {
           typeIn("\n");
           while (base::contains(prompt(), "窓")) typeIn("\n");
         }},
        {"#LAYOUTSCALE", [&] { typeIn("1:100.08\n"); }},
        {"#LAYOUTOFFSET", [&] { typeIn("C\n"); }},
        {"#MODIFYSAVE", [&] { typeIn("n\n"); }},
        {"#FILEPLOT",
         [&, toFile] {
           if (!toFile) return typeIn("n\n");
           typeIn("y\n");
           // The offered name without folder and extension, put next to the drawing.
           std::string p = prompt();
           p = p.substr(0, p.find('.'));
           p = p.substr(p.find_last_of("/\\") + 1);
           typeIn(dir.folder() + p + "\n");
           if (base::contains(prompt(), "存在")) typeIn("y\n");
         }},
    };
  }
};

TEST_F(ShippedMacroTest, EveryShippedModelAndLayoutMacroCompletesAPlot) {
  for (const char* file : {"base.ini"}) {
    const auto models = shippedMacros(file, "MACRO1");
    const auto layouts = shippedMacros(file, "MACRO2");
    ASSERT_FALSE(models.empty()) << file;
    ASSERT_EQ(models.size(), layouts.size()) << file;
    for (size_t b = 0; b < models.size(); ++b) {
      SCOPED_TRACE(std::string(file) + " button " + std::to_string(b + 1));
      journal = acadsim::Journal();
      open(2004, 1);
      ownDevice(b % 2 == 0, true);
      replay(models[b]);
      ASSERT_EQ("コマンド: ", prompt());
      ASSERT_EQ(1u, plots().size());
      EXPECT_EQ("Model", plots()[0].get("layout"));
      EXPECT_EQ(kA3, plots()[0].get("paper"));
      EXPECT_EQ("P", plots()[0].get("orientation"));
      EXPECT_EQ(b % 2 == 0 ? "window 0,0,42000,29700" : "extents", plots()[0].get("area"));
      EXPECT_EQ("1:100", plots()[0].get("scale"));
      EXPECT_EQ("monochrome.ctb", plots()[0].get("styletable"));
      EXPECT_EQ(dir.path("plan-Model.plt"), plots()[0].get("file"));

      open(2000, 0);
      ownDevice(false, b % 2 == 1);
      replay(layouts[b]);
      replay(layouts[b]);  // the second time over its own plot file
      ASSERT_EQ("ｺﾏﾝﾄﾞ: ", prompt());
      ASSERT_EQ(3u, plots().size());
      EXPECT_EQ("Plan", plots()[2].get("layout"));
      EXPECT_EQ("layout", plots()[2].get("area"));
      EXPECT_EQ("1:100.08", plots()[2].get("scale"));
      EXPECT_EQ("center", plots()[2].get("offset"));
    }
  }
}

TEST_F(ShippedMacroTest, ShippedMacrosKeepTheDrawingsOwnSetupWithoutADevice) {
  const auto model = shippedMacros("base.ini", "MACRO1").at(0);
  const auto layout = shippedMacros("base.ini", "MACRO2").at(0);
  // A button without a device: Enter keeps the drawing's device, paper and table.
  ownDevice(false, false);
  for (const char* t : {"#PRINTDEVICE", "#PAPERNAME", "#PAPERDIRECTION", "#SCALE", "#OFFSET", "#PRINTSTYLE",
                        "#LAYOUTSCALE", "#LAYOUTOFFSET"})
    tokens[t] = [&] { typeIn("\n"); };
  open(2004, 0);
  replay(layout);
  ASSERT_EQ("コマンド: ", prompt());
  ASSERT_EQ(1u, plots().size());
  EXPECT_EQ(kPdf, plots()[0].get("device"));
  EXPECT_EQ(kA3, plots()[0].get("paper"));
  EXPECT_EQ("1:50", plots()[0].get("scale"));
  EXPECT_EQ("monochrome.ctb", plots()[0].get("styletable"));
  open(2004, 1);
  replay(model);
  ASSERT_EQ("コマンド: ", prompt());
  ASSERT_EQ(2u, plots().size());
  EXPECT_EQ("Model", plots()[1].get("layout"));
  EXPECT_EQ(kPdf, plots()[1].get("device"));
  EXPECT_EQ(kA4, plots()[1].get("paper"));
  EXPECT_EQ("fit", plots()[1].get("scale"));
  EXPECT_EQ("extents", plots()[1].get("area"));
}

}  // namespace
