// "-plot" on the stand-in's command line: AutoCAD's detailed plot
// configuration, question by question, for model space and layouts.
//
// The words the program looks for stand only where it expects them: "出力"
// in the device question (so a device that is not found asks it again),
// "一覧" and "なし" only in a paper or style table question asked again
// after a name was not found, "窓" only in the area question and the
// window corners, "存在" only when the plot file exists.
#include <cstdio>

#include "acadsim/session.h"
#include "acadsim/typed.h"
#include "base/codec.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "base/text.h"

namespace acadsim {

namespace {

using base::fileNameAnySep;
using typed::keyword;
using typed::unquote;

bool hasExtension(const std::string& path) { return fileNameAnySep(path).find('.') != std::string::npos; }

std::string fixed(double v, int digits) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", digits, v + 0.0);
  std::string s = buf;
  if (s.size() > 1 && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s = s.substr(1);
  return s;
}

std::optional<std::pair<double, double>> parsePair(const std::string& text, char sep) {
  const auto at = text.find(sep);
  if (at == std::string::npos) return std::nullopt;
  auto a = base::tryParseNumber(base::trim(text.substr(0, at)));
  auto b = base::tryParseNumber(base::trim(text.substr(at + 1)));
  if (!a || !b) return std::nullopt;
  return std::make_pair(*a, *b);
}

std::string scaleText(const PageSetup& s) {
  return s.fit ? std::string("fit") : base::fmt(s.paperUnits) + ":" + base::fmt(s.drawingUnits);
}

std::string upperKey(const std::string& layout) { return base::asciiUpper(layout); }

}  // namespace

// ------------------------------------------------------- configuration

std::vector<PlotDevice> defaultPlotDevices() {
  const std::vector<std::string> iso = {"ISO A4 (297.00 x 210.00 mm)", "ISO A3 (420.00 x 297.00 mm)",
                                        "ISO A2 (594.00 x 420.00 mm)", "ISO A1 (841.00 x 594.00 mm)"};
  return {{"DWG To PDF.pc3", iso}, {"Default Windows System Printer.pc3", {iso[0], iso[1]}}};
}

std::vector<std::string> defaultPlotStyles() { return {"acad.ctb", "monochrome.ctb"}; }

bool parsePlotters(std::string_view text, std::vector<PlotDevice>& devices, std::vector<std::string>& styles,
                   std::string* error) {
  const std::string utf8 = base::sanitizeUtf8(text) == text ? std::string(text) : base::cp932ToUtf8(text);
  std::vector<PlotDevice> d;
  std::vector<std::string> s;
  int number = 0;
  for (std::string line : base::split(utf8, '\n')) {
    ++number;
    line = base::trim(line);
    if (number == 1 && base::startsWith(line, "\xEF\xBB\xBF")) line = base::trim(line.substr(3));
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    const auto eq = line.find('=');
    const std::string key = eq == std::string::npos ? std::string() : base::asciiLower(base::trim(line.substr(0, eq)));
    const std::string value = eq == std::string::npos ? std::string() : base::trim(line.substr(eq + 1));
    bool ok = !value.empty();
    if (ok && key == "device") {
      d.push_back({value, {}});
    } else if (ok && key == "paper" && !d.empty()) {
      d.back().papers.push_back(value);
    } else if (ok && key == "style") {
      s.push_back(value);
    } else {
      ok = false;
    }
    if (!ok) {
      if (error) *error = "line " + std::to_string(number) + ": " + line;
      return false;
    }
  }
  devices = std::move(d);
  styles = std::move(s);
  return true;
}

// ------------------------------------------------------------------ job

struct Session::PlotJob {
  std::string layout = "Model";
  bool model = true;
  PageSetup setup;  // device, paper, style table, orientation, scale as answered
  bool inches = false;
  bool upsideDown = false;
  std::string area;
  std::string offset = "0.00,0.00";
  bool withStyles = true;
  std::optional<std::string> file;
};

const PlotDevice* Session::findDevice(const std::string& name) const {
  for (const PlotDevice& d : options_.plotDevices)
    if (base::equalsNoCase(d.name, name)) return &d;
  return nullptr;
}

PageSetup* Session::setupOf(const std::string& layout) {
  if (base::equalsNoCase(layout, "Model")) return &drawing_.modelSetup;
  for (Layout& l : drawing_.layouts)
    if (base::equalsNoCase(l.name, layout)) return &l.setup;
  return nullptr;
}

void Session::askYesNo(const std::string& prompt, bool def, std::function<void(bool)> then) {
  ask(prompt, true, [this, prompt, def, then](const std::string& a) {
    const std::string k = keyword(a);
    if (k.empty()) return then(def);
    if (k == "Y" || k == "YES" || k == "はい") return then(true);
    if (k == "N" || k == "NO" || k == "いいえ") return then(false);
    say(w("ｷｰﾜｰﾄﾞが無効です。", "キーワードが無効です。"));
    askYesNo(prompt, def, then);
  });
}

void Session::plot() {
  auto j = std::make_shared<PlotJob>();
  askYesNo("詳細な印刷構成を行いますか? [はい(Y)/いいえ(N)] <いいえ>: ", false, [this, j](bool detailed) {
    if (detailed) return plotLayout(j);
    // The current page setup as it stands: straight to the file question.
    j->model = drawing_.tileMode;
    j->layout = j->model ? std::string("Model") : defaultLayoutName();
    auto it = plotCurrent_.find(upperKey(j->layout));
    const PageSetup* stored = setupOf(j->layout);
    j->setup = it != plotCurrent_.end() ? it->second : stored ? *stored : PageSetup{};
    if (j->setup.device.empty() && !options_.plotDevices.empty()) j->setup.device = options_.plotDevices.front().name;
    j->area = j->model ? "display" : "layout";
    if (j->model) j->setup.fit = true;
    if (!j->setup.styleTable.empty()) j->withStyles = true;
    plotToFile(j);
  });
}

void Session::plotLayout(Job j) {
  const std::string def = drawing_.tileMode ? std::string("Model") : defaultLayoutName();
  ask(std::string(w("ﾚｲｱｳﾄ名を入力 または [?] <", "レイアウト名を入力 または [?] <")) + def + ">: ", false,
      [this, j, def](const std::string& a) {
        std::string name = unquote(a);
        if (name == "?") {
          say("Model");
          for (const Layout& l : drawing_.layouts) say(l.name);
          return plotLayout(j);
        }
        if (name.empty()) name = def;
        if (base::equalsNoCase(name, "Model") || name == "モデル" || name == "ﾓﾃﾞﾙ") {
          j->layout = "Model";
          j->model = true;
        } else if (const Layout* l = drawing_.findLayout(name)) {
          j->layout = l->name;
          j->model = false;
        } else {
          say(std::string(w("ﾚｲｱｳﾄ \"", "レイアウト \"")) + name + "\" が見つかりません。");
          return plotLayout(j);
        }
        auto it = plotCurrent_.find(upperKey(j->layout));
        j->setup = it != plotCurrent_.end() ? it->second : *setupOf(j->layout);
        if (j->setup.device.empty() && !options_.plotDevices.empty()) j->setup.device = options_.plotDevices.front().name;
        if (j->setup.paper.empty())
          if (const PlotDevice* d = findDevice(j->setup.device); d && !d->papers.empty()) j->setup.paper = d->papers.front();
        plotDevice(j);
      });
}

void Session::plotDevice(Job j, const std::string& failure) {
  ask(failure + "出力デバイス名を入力 または [?] <" + j->setup.device + ">: ", false, [this, j](const std::string& a) {
    const std::string name = unquote(a);
    if (name == "?") {
      say("出力デバイス:");
      for (const PlotDevice& d : options_.plotDevices) say("  " + d.name);
      return plotDevice(j);
    }
    const std::string wanted = name.empty() ? j->setup.device : name;
    const PlotDevice* d = findDevice(wanted);
    if (!d) return plotDevice(j, "出力デバイス \"" + wanted + "\" が見つかりません。");
    if (!base::equalsNoCase(d->name, j->setup.device)) {
      // Another device: its own first paper unless it has the current one.
      bool has = false;
      for (const std::string& p : d->papers) has = has || base::equalsNoCase(p, j->setup.paper);
      if (!has) j->setup.paper = d->papers.empty() ? std::string() : d->papers.front();
    }
    j->setup.device = d->name;
    plotPaper(j);
  });
}

void Session::plotPaper(Job j, const std::string& failure) {
  ask(failure + w("用紙ｻｲｽﾞを入力 または [?] <", "用紙サイズを入力 または [?] <") + j->setup.paper + ">: ", false,
      [this, j](const std::string& a) {
        const std::string name = unquote(a);
        const PlotDevice* d = findDevice(j->setup.device);
        if (name == "?") {
          // The program reads a device's papers as the lines after this heading.
          say(w("使用可能な用紙ｻｲｽﾞ:", "使用可能な用紙サイズ:"));
          if (d)
            for (const std::string& p : d->papers) say(p);
          return plotPaper(j);
        }
        const std::string wanted = name.empty() ? j->setup.paper : name;
        if (d)
          for (const std::string& p : d->papers)
            if (base::equalsNoCase(p, wanted)) {
              j->setup.paper = p;
              return plotUnits(j);
            }
        plotPaper(j, std::string(w("用紙ｻｲｽﾞ \"", "用紙サイズ \"")) + wanted + "\" が一覧にありません。");
      });
}

void Session::plotUnits(Job j) {
  ask(w("用紙単位を入力 [ｲﾝﾁ(I)/ﾐﾘ(M)] <ﾐﾘ>: ", "用紙単位を入力 [インチ(I)/ミリ(M)] <ミリ>: "), true,
      [this, j](const std::string& a) {
        const std::string k = keyword(a);
        if (k.empty() || k == "M" || k == "MM" || k == "ミリ" || k == "ﾐﾘ") {
          j->inches = false;
        } else if (k == "I" || k == "INCHES" || k == "インチ" || k == "ｲﾝﾁ") {
          j->inches = true;
        } else {
          say(w("ｷｰﾜｰﾄﾞが無効です。", "キーワードが無効です。"));
          return plotUnits(j);
        }
        plotOrientation(j);
      });
}

void Session::plotOrientation(Job j) {
  ask(std::string("図面の方向を入力 [縦(P)/横(L)] <") + (j->setup.portrait ? "縦" : "横") + ">: ", true,
      [this, j](const std::string& a) {
        const std::string k = keyword(a);
        if (k == "P" || k == "PORTRAIT" || k == "縦") {
          j->setup.portrait = true;
        } else if (k == "L" || k == "LANDSCAPE" || k == "横") {
          j->setup.portrait = false;
        } else if (!k.empty()) {
          say(w("ｷｰﾜｰﾄﾞが無効です。", "キーワードが無効です。"));
          return plotOrientation(j);
        }
        plotUpsideDown(j);
      });
}

void Session::plotUpsideDown(Job j) {
  askYesNo("上下を反転して印刷しますか? [はい(Y)/いいえ(N)] <いいえ>: ", false, [this, j](bool yes) {
    j->upsideDown = yes;
    plotArea(j);
  });
}

void Session::plotArea(Job j) {
  const std::string prompt =
      j->model ? w("印刷領域を入力 [表示(D)/ｵﾌﾞｼﾞｪｸﾄ範囲(E)/図面範囲(L)/ﾋﾞｭｰ(V)/窓(W)] <表示>: ",
                   "印刷領域を入力 [表示(D)/オブジェクト範囲(E)/図面範囲(L)/ビュー(V)/窓(W)] <表示>: ")
               : w("印刷領域を入力 [表示(D)/ｵﾌﾞｼﾞｪｸﾄ範囲(E)/ﾚｲｱｳﾄ(L)/ﾋﾞｭｰ(V)/窓(W)] <ﾚｲｱｳﾄ>: ",
                   "印刷領域を入力 [表示(D)/オブジェクト範囲(E)/レイアウト(L)/ビュー(V)/窓(W)] <レイアウト>: ");
  ask(prompt, true, [this, j](const std::string& a) {
    const std::string k = keyword(a);
    if (k.empty()) {
      j->area = j->model ? "display" : "layout";
    } else if (k == "D" || k == "DISPLAY" || k == "表示") {
      j->area = "display";
    } else if (k == "E" || k == "EXTENTS") {
      j->area = "extents";
    } else if (k == "L") {
      j->area = j->model ? "limits" : "layout";
    } else if (k == "V" || k == "VIEW") {
      return ask(w("ﾋﾞｭｰ名を入力: ", "ビュー名を入力: "), false, [this, j](const std::string& v) {
        j->area = "view " + unquote(v);
        plotScale(j);
      });
    } else if (k == "W" || k == "WINDOW" || k == "窓") {
      return plotWindow(j);
    } else {
      say(w("ｷｰﾜｰﾄﾞが無効です。", "キーワードが無効です。"));
      return plotArea(j);
    }
    plotScale(j);
  });
}

void Session::plotWindow(Job j) {
  auto point = [this](const Point2& p) { return fixed(p.x, 6) + "," + fixed(p.y, 6); };
  const Point2 lower = drawing_.limMin, upper = drawing_.limMax;
  ask(std::string(w("窓の左下ｺｰﾅｰを入力 <", "窓の左下コーナーを入力 <")) + point(lower) + ">: ", true,
      [this, j, point, lower, upper](const std::string& a) {
        const std::string t = base::trim(a);
        auto p1 = t.empty() ? std::optional(std::make_pair(lower.x, lower.y)) : parsePair(t, ',');
        if (!p1) {
          say("2D 点が必要です。");
          return plotWindow(j);
        }
        const Point2 first{p1->first, p1->second};
        ask(std::string(w("窓の右上ｺｰﾅｰを入力 <", "窓の右上コーナーを入力 <")) + point(upper) + ">: ", true,
            [this, j, point, first, upper](const std::string& b) {
              const std::string u = base::trim(b);
              auto p2 = u.empty() ? std::optional(std::make_pair(upper.x, upper.y)) : parsePair(u, ',');
              if (!p2) {
                say("2D 点が必要です。");
                return plotWindow(j);
              }
              j->area = "window " + base::fmt(first.x) + "," + base::fmt(first.y) + "," + base::fmt(p2->first) + "," +
                        base::fmt(p2->second);
              plotScale(j);
            });
      });
}

void Session::plotScale(Job j) {
  const char* fit = w("ﾌｨｯﾄ", "フィット");
  // Model space is offered fit; a layout its page setup's scale.
  const std::string def = j->model || j->setup.fit ? std::string(fit)
                                                   : base::fmt(j->setup.paperUnits) + ":" + base::fmt(j->setup.drawingUnits);
  const std::string units = j->inches ? w("ｲﾝﾁ", "インチ") : "mm";
  ask("印刷尺度を入力 (印刷時の " + units + " = 図面単位) または [" + fit + "(F)] <" + def + ">: ", true,
      [this, j, fit](const std::string& a) {
        const std::string k = keyword(a);
        if (k.empty()) {
          if (j->model) j->setup.fit = true;
        } else if (k == "F" || k == "FIT" || k == fit) {
          j->setup.fit = true;
        } else {
          auto r = parsePair(k, k.find('=') != std::string::npos ? '=' : ':');
          if (!r || r->first <= 0 || r->second <= 0) {
            say("尺度が無効です。");
            return plotScale(j);
          }
          j->setup.fit = false;
          j->setup.paperUnits = r->first;
          j->setup.drawingUnits = r->second;
        }
        plotOffset(j);
      });
}

void Session::plotOffset(Job j) {
  ask(std::string(w("印刷ｵﾌｾｯﾄを入力 (x,y) または [中心(C)] <", "印刷オフセットを入力 (x,y) または [中心(C)] <")) +
          "0.00,0.00>: ",
      true, [this, j](const std::string& a) {
        const std::string k = keyword(a);
        if (k.empty()) {
          j->offset = "0.00,0.00";
        } else if (k == "C" || k == "CENTER" || k == "中心") {
          j->offset = "center";
        } else if (auto p = parsePair(k, ',')) {
          j->offset = fixed(p->first, 2) + "," + fixed(p->second, 2);
        } else {
          say("2D 点または C が必要です。");
          return plotOffset(j);
        }
        plotStyles(j);
      });
}

void Session::plotStyles(Job j) {
  askYesNo(w("印刷ｽﾀｲﾙを使用して印刷しますか? [はい(Y)/いいえ(N)] <はい>: ",
             "印刷スタイルを使用して印刷しますか? [はい(Y)/いいえ(N)] <はい>: "),
           true, [this, j](bool yes) {
             j->withStyles = yes;
             if (yes) return plotStyleTable(j);
             plotLineweights(j);
           });
}

void Session::plotStyleTable(Job j, const std::string& failure) {
  ask(failure + w("印刷ｽﾀｲﾙ ﾃｰﾌﾞﾙ名を入力 または [?] (. で解除) <", "印刷スタイル テーブル名を入力 または [?] (. で解除) <") +
          j->setup.styleTable + ">: ",
      false, [this, j](const std::string& a) {
        const std::string name = unquote(a);
        if (name == "?") {
          say(w("印刷ｽﾀｲﾙ ﾃｰﾌﾞﾙ:", "印刷スタイル テーブル:"));
          for (const std::string& s : options_.plotStyles) say("  " + s);
          return plotStyleTable(j);
        }
        if (name == ".") {
          j->setup.styleTable.clear();
          return plotLineweights(j);
        }
        const std::string wanted = name.empty() ? j->setup.styleTable : name;
        if (wanted.empty()) return plotLineweights(j);  // none set, none kept
        for (const std::string& s : options_.plotStyles)
          if (base::equalsNoCase(s, wanted)) {
            j->setup.styleTable = s;
            return plotLineweights(j);
          }
        plotStyleTable(j, "印刷スタイル テーブル \"" + wanted + "\" が見つかりません。なしにするには . を入力。");
      });
}

void Session::plotLineweights(Job j) {
  askYesNo("線の太さを使用して印刷しますか? [はい(Y)/いいえ(N)] <はい>: ", true, [this, j](bool) {
    if (j->model)
      return askYesNo("隠線処理をして印刷しますか? [はい(Y)/いいえ(N)] <いいえ>: ", false,
                      [this, j](bool) { plotToFile(j); });
    plotLayoutOptions(j);
  });
}

void Session::plotLayoutOptions(Job j) {
  askYesNo("印刷尺度に合わせて線の太さを尺度変更しますか? [はい(Y)/いいえ(N)] <いいえ>: ", false, [this, j](bool) {
    askYesNo(w("ﾍﾟｰﾊﾟｰ空間を最初に印刷しますか? [はい(Y)/いいえ(N)] <はい>: ",
               "ペーパー空間を最初に印刷しますか? [はい(Y)/いいえ(N)] <はい>: "),
             true, [this, j](bool) {
               askYesNo(w("ﾍﾟｰﾊﾟｰ空間のｵﾌﾞｼﾞｪｸﾄを隠線処理しますか? [はい(Y)/いいえ(N)] <いいえ>: ",
                          "ペーパー空間のオブジェクトを隠線処理しますか? [はい(Y)/いいえ(N)] <いいえ>: "),
                        false, [this, j](bool) { plotToFile(j); });
             });
  });
}

void Session::plotToFile(Job j) {
  askYesNo(w("ﾌｧｲﾙに書き出しますか? [はい(Y)/いいえ(N)] <いいえ>: ", "ファイルに書き出しますか? [はい(Y)/いいえ(N)] <いいえ>: "),
           false, [this, j](bool yes) {
             j->file.reset();
             if (yes) return plotFileName(j);
             plotSaveSetup(j);
           });
}

void Session::plotFileName(Job j) {
  // Next to the drawing, named after it and the layout. The prompt has no
  // "." before the name: the program cuts the offered name at the first one.
  const std::string drawing = drawingFile();
  const std::string def = base::withoutExtensionAnySep(drawing) + "-" + j->layout + ".plt";
  ask(std::string(w("印刷ﾌｧｲﾙ名を入力 <", "印刷ファイル名を入力 <")) + def + ">: ", false, [this, j, def](const std::string& a) {
    const std::string name = unquote(a);
    std::string path = name.empty() ? def : resolve(name);
    if (!hasExtension(path)) path += ".plt";
    j->file = path;
    if (!exists(path)) return plotSaveSetup(j);
    ask(w("ﾌｧｲﾙは既に存在します。上書きしますか? <N> ", "ファイルは既に存在します。上書きしますか? <N> "), true,
        [this, j](const std::string& y) {
          const std::string k = keyword(y);
          if (k == "Y" || k == "YES" || k == "はい") return plotSaveSetup(j);
          plotFileName(j);
        });
  });
}

void Session::plotSaveSetup(Job j) {
  askYesNo(w("ﾍﾟｰｼﾞ設定の変更を保存しますか? [はい(Y)/いいえ(N)] <いいえ>: ",
             "ページ設定の変更を保存しますか? [はい(Y)/いいえ(N)] <いいえ>: "),
           false, [this, j](bool yes) {
             if (yes) {
               if (PageSetup* s = setupOf(j->layout)) *s = j->setup;
               modified_ = true;
             }
             plotProceed(j);
           });
}

void Session::plotProceed(Job j) {
  askYesNo("印刷を続行しますか? [はい(Y)/いいえ(N)] <はい>: ", true, [this, j](bool yes) {
    if (!yes) return;
    plotDone(*j);
  });
}

void Session::plotDone(const PlotJob& j) {
  lastWork_ = Work::Plot;
  plotCurrent_[upperKey(j.layout)] = j.setup;
  const std::string style = j.withStyles ? j.setup.styleTable : std::string();
  const std::string orientation = j.setup.portrait ? "P" : "L";
  const std::string drawing = drawingFile();
  if (j.file) {
    const std::string body = "ACADSIM PLOT\r\ndrawing=" + drawing + "\r\nlayout=" + j.layout + "\r\ndevice=" +
                             j.setup.device + "\r\npaper=" + j.setup.paper + "\r\norientation=" + orientation +
                             "\r\narea=" + j.area + "\r\nscale=" + scaleText(j.setup) + "\r\noffset=" + j.offset +
                             "\r\nstyletable=" + style + "\r\n";
    if (!options_.files.write(*j.file, base::tryUtf8ToCp932(body).value_or(body))) {
      say(std::string(w("ﾌｧｲﾙ ", "ファイル ")) + *j.file + " に書き込めません。");
      return;
    }
  }
  say(std::string(w("ﾚｲｱｳﾄ ", "レイアウト ")) + j.layout + " を印刷しました。");
  if (!journal_) return;
  JournalEntry e;
  e.event = "plot";
  e.drawing = drawing;
  e.add("layout", j.layout)
      .add("device", j.setup.device)
      .add("paper", j.setup.paper)
      .add("orientation", orientation)
      .add("area", j.area)
      .add("scale", scaleText(j.setup))
      .add("offset", j.offset);
  if (style.empty()) e.addNull("styletable");
  else e.add("styletable", style);
  if (j.file) e.add("file", *j.file);
  else e.addNull("file");
  journal_->append(e);
}

}  // namespace acadsim
