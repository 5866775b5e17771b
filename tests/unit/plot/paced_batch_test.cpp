// Paced typing must change when the program types, never what: the same
// batch, paced and unpaced, against a stand-in that takes its time, gives
// the same opens, answers, plots and saves in the same order, and the same
// messages.
#include <map>
#include <memory>

#include "acadsim/latency.h"
#include "heron/sim_heron.h"
#include "plot/run_support.h"

namespace {

using plot_test::kDone;

struct Profile {
  const char* name;
  acadsim::Latency latency;
};

// The command wait of these runs is 100 ms.
const Profile kProfiles[] = {
    {"AllFast", {.answerMs = 2, .openMs = 5, .saveMs = 5, .plotMs = 5}},
    {"OpenAndPlotSlowerThanTheCommandWait", {.answerMs = 10, .openMs = 700, .saveMs = 150, .plotMs = 1200}},
    {"EverythingSlowerThanTheCommandWait", {.answerMs = 150, .openMs = 900, .saveMs = 400, .plotMs = 2000}},
    {"Jitter7", {.answerMs = 5, .openMs = 300, .saveMs = 80, .plotMs = 500, .jitterMs = 120, .seed = 7}},
    {"Jitter12345", {.answerMs = 20, .openMs = 80, .saveMs = 60, .plotMs = 150, .jitterMs = 200, .seed = 12345}},
};

// The first button of the shipped set, plotting to PDF with the helper.
const std::vector<std::string> kModelMacro = {"-plot", "Y", "#ENTER", "#PRINTDEVICE", "#PAPERNAME", "M",
                                              "#PAPERDIRECTION", "N", "#SCOPE", "#SCALE", "#OFFSET", "Y",
                                              "#PRINTSTYLE", "Y", "#ENTER", "#FILEPLOT", "#MODIFYSAVE", "Y"};
const std::vector<std::string> kLayoutMacro = {"-plot", "Y", "#OUTPUTLAYOUT", "#PRINTDEVICE", "#PAPERNAME", "M",
                                               "#PAPERDIRECTION", "N", "#LAYOUTSCOPE", "#LAYOUTSCALE",
                                               "#LAYOUTOFFSET", "Y", "#PRINTSTYLE", "Y", "N", "Y", "N",
                                               "#FILEPLOT", "#MODIFYSAVE", "Y"};

// What a batch left behind, for comparison.
struct Outcome {
  std::vector<std::string> journal;  // one JSON line per thing the stand-in did
  std::vector<std::string> messages;
  std::vector<std::string> helperNotices;
  std::int64_t virtualMs = 0;
};

// One batch in its own simulated world.
Outcome runBatch(const acadsim::Latency& latency, bool paced, int printMode) {
  testing_support::SimEnv env;
  std::map<std::string, std::string> files;
  files["C:\\work\\model.dwg"] = plot_test::modelDxf();
  files["C:\\work\\layouts.dwg"] = acadsim_test::drawingDxf(
      "420,297", 0, {{"B", 2, "1F"}, {"A", 1, "1E"}}, {}, {{"1E", "*Paper_Space"}, {"1F", "*Paper_Space0"}});
  files["C:\\work\\font.dwg"] = acadsim_test::drawingDxf("841,594", 1, {{"Layout1", 1, "1E"}},
                                                         {{0, "STYLE"}, {2, "GOTHIC"}, {70, "0"}, {3, "gothic_jp.shx"}});
  files["C:\\work\\broken.dwg"] = "AC1015 binary";
  files["C:\\work\\図面 2.dwg"] = plot_test::modelDxf();

  acadsim::SimHost::Options options;
  options.session.workFolder = "C:\\work\\";
  options.session.files.read = [&files](const std::string& p, std::string& bytes) {
    auto it = files.find(p);
    if (it == files.end()) return false;
    bytes = it->second;
    return true;
  };
  options.session.files.write = [&files](const std::string& p, const std::string& bytes) {
    files[p] = bytes;
    return true;
  };
  options.session.files.exists = [&files](const std::string& p) { return files.count(p) > 0; };
  options.behaviour.latency = latency;
  acadsim::SimHost acad(env.desktop, env.clock, env.clipboard, env.processes, options);
  bool pdfDone = false;
  heron::SimHeron helper{env.desktop, env.clock, env.processes, env.path("TfHeron4"),
                         [&](platform::WindowHandle, const std::string&) {
                           env.ui.queueEvent(1, [&pdfDone] { pdfDone = true; });
                         }};
  acad.start();

  Outcome out;
  {
    plot::Ploter ploter(env.path("kestrel20.ini"), "Ploter1Fleld");
    EXPECT_TRUE(ploter.FindAutoCADByCaptions("コマンド", "テキスト"));
    ploter.ModelMacro = kModelMacro;
    ploter.LayoutMacro = kLayoutMacro;
    ploter.SetPrintDevice("DWG To PDF.pc3");
    ploter.SetPaperName("ISO A3 (420.00 x 297.00 mm)");
    ploter.SetPrintStyle("monochrome.ctb");
    ploter.SetPaperDirection(0);
    ploter.SetOffsetX("0");
    ploter.SetOffsetY("0");
    ploter.SetFilePlot(true);
    ploter.SetPdfPrint(true);
    plot::PlotOptions o;
    o.PdfDone = &pdfDone;
    o.CommandWait = 100;
    o.PrintMode = printMode;
    o.FontControl = 2;
    o.ReplaceFont = "extfont.shx";
    o.DynStop = true;
    o.PacedSend = paced;
    ploter.PlotDrawings({"C:\\work\\model.dwg", "C:\\work\\layouts.dwg", "C:\\work\\broken.dwg",
                         "C:\\work\\font.dwg", "C:\\work\\図面 2.dwg"},
                        o);
  }
  // Each world has its own program folder, where tmp.dwg is saved.
  for (const acadsim::JournalEntry& e : acad.journal().entries()) {
    std::string line = e.toJson();
    for (auto at = line.find(env.folder()); at != std::string::npos; at = line.find(env.folder()))
      line.replace(at, env.folder().size(), "<program>/");
    out.journal.push_back(line);
  }
  for (const auto& m : env.ui.messages) out.messages.push_back(m.text);
  out.helperNotices = helper.received;
  out.virtualMs = env.clock.nowMs();
  return out;
}

class PacedBatchTest : public ::testing::TestWithParam<Profile> {};

TEST_P(PacedBatchTest, PacedAndUnpacedDoTheSameInTheSameOrder) {
  for (int printMode : {0, 1}) {
    SCOPED_TRACE("PrintMode " + std::to_string(printMode));
    const Outcome unpaced = runBatch(GetParam().latency, false, printMode);
    const Outcome paced = runBatch(GetParam().latency, true, printMode);

    // The batch did what it is for, so that the comparison means something.
    EXPECT_GE(std::count_if(unpaced.journal.begin(), unpaced.journal.end(),
                            [](const std::string& j) { return j.find("\"event\":\"plot\"") != std::string::npos; }),
              printMode == 0 ? 4 : 5);
    ASSERT_FALSE(unpaced.messages.empty());
    EXPECT_EQ(kDone, unpaced.messages.back());
    EXPECT_NE(unpaced.messages.end(), std::find(unpaced.messages.begin(), unpaced.messages.end(),
                                                "broken.dwg は、開くことができません。\r\nこの図面の印刷はキャンセルされます。"));

    EXPECT_EQ(unpaced.journal, paced.journal);
    EXPECT_EQ(unpaced.messages, paced.messages);
    EXPECT_EQ(unpaced.helperNotices, paced.helperNotices);
  }
}

INSTANTIATE_TEST_SUITE_P(Profiles, PacedBatchTest, ::testing::ValuesIn(kProfiles),
                         [](const ::testing::TestParamInfo<Profile>& p) { return std::string(p.param.name); });

// Pacing is there to save the fixed pauses: with a quick AutoCAD the
// batch takes a fraction of the virtual time, and it never takes longer.
TEST(PacedBatch, SavesThePausesAndNeverTakesLonger) {
  for (const Profile& p : kProfiles) {
    SCOPED_TRACE(p.name);
    const Outcome unpaced = runBatch(p.latency, false, 1);
    const Outcome paced = runBatch(p.latency, true, 1);
    EXPECT_LE(paced.virtualMs, unpaced.virtualMs);
    if (std::string(p.name) == "AllFast") {
      EXPECT_LT(paced.virtualMs * 3, unpaced.virtualMs);
    }
  }
}

}  // namespace
