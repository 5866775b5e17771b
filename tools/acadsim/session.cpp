#include "acadsim/session.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "acadsim/typed.h"
#include "base/codec.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "base/text.h"

namespace acadsim {

namespace {

constexpr char kEsc = 0x1B;
constexpr char kBackspace = 0x08;

bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

using base::fileNameAnySep;
using typed::keyword;
using typed::unquote;

std::string folderOf(const std::string& path) { return path.substr(0, path.size() - fileNameAnySep(path).size()); }

std::string extension(const std::string& path) {
  const std::string name = fileNameAnySep(path);
  const auto dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

bool isAbsolute(const std::string& p) {
  if (p.empty()) return false;
  if (base::isAnySep(p[0])) return true;
  return p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':';
}

std::string fixed4(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.4f", v + 0.0);
  std::string s = buf;
  if (s == "-0.0000") s = "0.0000";
  return s;
}

std::optional<Point2> parsePoint(const std::string& text) {
  auto parts = base::split(text, ',');
  if (parts.size() != 2 && parts.size() != 3) return std::nullopt;
  auto x = base::tryParseNumber(parts[0]);
  auto y = base::tryParseNumber(parts[1]);
  if (!x || !y) return std::nullopt;
  if (parts.size() == 3 && !base::tryParseNumber(parts[2])) return std::nullopt;
  return Point2{*x, *y};
}

// Layout name patterns: "*", "?" and lists separated by ",", without
// regard to ASCII case.
bool wildMatch(const std::u16string& pat, size_t p, const std::u16string& s, size_t i) {
  auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
  while (p < pat.size()) {
    if (pat[p] == u'*') {
      for (size_t k = i; k <= s.size(); ++k)
        if (wildMatch(pat, p + 1, s, k)) return true;
      return false;
    }
    if (i >= s.size()) return false;
    if (pat[p] != u'?' && lower(pat[p]) != lower(s[i])) return false;
    ++p;
    ++i;
  }
  return i == s.size();
}

bool matchesPattern(const std::string& pattern, const std::string& name) {
  const std::u16string n = base::utf8ToUtf16(name);
  for (const std::string& part : base::split(pattern, ',')) {
    const std::string t = base::trim(part);
    if (!t.empty() && wildMatch(base::utf8ToUtf16(t), 0, n, 0)) return true;
  }
  return false;
}

// Commands may come with the prefixes of the international ("_"), the
// built-in (".") and the transparent ("'") form.
std::string commandName(const std::string& typed) {
  size_t i = 0;
  while (i < typed.size() && (typed[i] == '_' || typed[i] == '.' || typed[i] == '\'')) ++i;
  return base::asciiUpper(typed.substr(i));
}

bool isYes(const std::string& answer) {
  const std::string a = base::asciiUpper(base::trim(answer));
  return a == "Y" || a == "YES" || a == "_Y" || a == "_YES";
}

struct VarSpec {
  const char* name;
  enum Kind { Int, Real, Point } kind;
  int lo, hi;
  bool inDrawing;
};

const VarSpec kVariables[] = {
    {"FILEDIA", VarSpec::Int, 0, 1, false},     {"CMDDIA", VarSpec::Int, 0, 1, false},
    {"PROXYNOTICE", VarSpec::Int, 0, 1, false}, {"DYNMODE", VarSpec::Int, -3, 3, false},
    {"PSLTSCALE", VarSpec::Int, 0, 1, true},    {"LIMMIN", VarSpec::Point, 0, 0, true},
    {"LIMMAX", VarSpec::Point, 0, 0, true},     {"DIMSCALE", VarSpec::Real, 0, 0, true},
};

const VarSpec* findVariable(const std::string& upperName) {
  for (const VarSpec& v : kVariables)
    if (upperName == v.name) return &v;
  return nullptr;
}

}  // namespace

Session::Session(Options options, Journal* journal) : options_(std::move(options)), journal_(journal) {
  Files& f = options_.files;
  if (!f.read) f.read = [](const std::string& p, std::string& out) { return base::readFileBytes(p, out); };
  if (!f.write) f.write = [](const std::string& p, const std::string& b) { return base::writeFileAtomic(p, b); };
  if (!f.exists) f.exists = [](const std::string& p) { return base::fileExists(p); };
  settings_ = {{"FILEDIA", 1}, {"CMDDIA", 1}, {"PROXYNOTICE", 1}, {"DYNMODE", 3}};
  drawing_ = newDrawing();
}

void Session::start(const std::string& drawingPath) {
  say(w("AutoCAD ﾒﾆｭｰ ﾕｰﾃｨﾘﾃｨ をﾛｰﾄﾞしました。", "AutoCAD メニュー ユーティリティ をロードしました。"));
  if (drawingPath.empty()) return;
  const std::string path = resolve(unquote(drawingPath));
  if (auto d = load(path)) {
    opened(path, std::move(*d));
  } else {
    say(std::string(w("図面ﾌｧｲﾙ ", "図面ファイル ")) + path + " を開けません。");
  }
}

// ------------------------------------------------------------------ input

void Session::type(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (state_ != State::Running) return;  // the message box is modal; after quit nothing listens
    const char c = bytes[i];
    const auto u = static_cast<unsigned char>(c);
    if (c == '\0') return;
    if (c == kEsc) {
      cancel();
    } else if (c == '\r' || c == '\n') {
      enter();
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else if (c == kBackspace) {
      backspace();
    } else if (c == ' ' && (!question_ || question_->blankEnds)) {
      enter();
    } else if (isLeadByte(u) && i + 1 < bytes.size()) {
      pending_ += c;
      pending_ += bytes[++i];
    } else if (u >= 0x20 || c == '\t') {
      pending_ += c == '\t' ? ' ' : c;
    }
  }
}

void Session::typeText(std::string_view utf8) { type(base::utf8ToCp932(utf8)); }

void Session::backspace() {
  // The last character may be a double-byte one; find where it starts.
  size_t i = 0, last = 0;
  while (i < pending_.size()) {
    last = i;
    i += isLeadByte(static_cast<unsigned char>(pending_[i])) && i + 1 < pending_.size() ? 2 : 1;
  }
  pending_.resize(pending_.empty() ? 0 : last);
}

void Session::enter() {
  ++inputs_;
  const std::string answer = base::cp932ToUtf8(pending_);
  pending_.clear();
  if (!question_) {
    say(idlePrompt() + answer);
    runCommand(answer);
    return;
  }
  Question q = std::move(*question_);
  question_.reset();
  say(q.prompt + answer);
  q.onAnswer(answer);
}

void Session::cancel() {
  ++inputs_;
  const std::string prompt = question_ ? question_->prompt : idlePrompt();
  say(prompt + base::cp932ToUtf8(pending_) + w("*ｷｬﾝｾﾙ*", "*キャンセル*"));
  pending_.clear();
  question_.reset();
}

void Session::ask(std::string prompt, bool blankEnds, std::function<void(const std::string&)> onAnswer) {
  question_ = Question{std::move(prompt), blankEnds, std::move(onAnswer)};
}

std::string Session::idlePrompt() const { return w("ｺﾏﾝﾄﾞ: ", "コマンド: "); }

std::string Session::promptLine() const {
  if (state_ == State::Ended) return {};
  return (question_ ? question_->prompt : idlePrompt()) + base::cp932ToUtf8(pending_);
}

void Session::say(std::string line) {
  history_.push_back(std::move(line));
  // Trimmed a quarter at a time, so that a line costs the same on average.
  const size_t keep = static_cast<size_t>(std::max(1, options_.historyLines));
  if (history_.size() > keep + keep / 4)
    history_.erase(history_.begin(), history_.begin() + static_cast<std::ptrdiff_t>(history_.size() - keep));
}

std::string Session::historyText() const {
  std::string out;
  for (size_t i = 0; i < history_.size(); ++i) {
    if (i) out += "\r\n";
    out += history_[i];
  }
  return out;
}

void Session::runCommand(const std::string& typed) {
  std::string text = base::trim(typed);
  if (text.empty()) {
    // Enter at the command prompt repeats the last command, as AutoCAD does.
    if (lastCommand_.empty()) return;
    text = lastCommand_;
  }
  const std::string name = commandName(text);
  if (name.empty()) return;
  lastCommand_ = text;

  if (findVariable(name)) return variableCommand(name);
  if (name == "FILEOPEN" || name == "OPEN") return fileOpen();
  if (name == "SAVEAS") return saveAs();
  if (name == "SAVE" || name == "QSAVE") return save();
  if (name == "QUIT" || name == "EXIT") return quit();
  if (name == "-LAYOUT" || name == "LAYOUT") return layoutCommand();
  if (name == "LIMITS") return limits();
  if (name == "-PLOT") return plot();
  if (name == "ZOOM" || name == "Z") return zoom();
  if (name == "REGEN" || name == "REGENALL" || name == "REDRAW" || name == "RE") {
    say(w("ﾓﾃﾞﾙを再生成中。", "モデルを再生成中。"));
    return;
  }
  lastCommand_.clear();
  say(std::string(w("不明なｺﾏﾝﾄﾞ \"", "不明なコマンド \"")) + name +
      w("\"。  F1 ｷｰを押してﾍﾙﾌﾟを参照してください。", "\"。  F1 キーを押してヘルプを参照してください。"));
}

// -------------------------------------------------------------- variables

std::string Session::variable(std::string_view rawName) const {
  const VarSpec* v = findVariable(base::asciiUpper(rawName));
  if (!v) return {};
  const std::string name = v->name;
  if (name == "LIMMIN") return formatPoint(drawing_.limMin);
  if (name == "LIMMAX") return formatPoint(drawing_.limMax);
  if (name == "DIMSCALE") return fixed4(drawing_.dimScale);
  if (name == "PSLTSCALE") return std::to_string(drawing_.psltScale);
  return std::to_string(settings_.at(name));
}

std::string Session::formatPoint(const Point2& p) const { return fixed4(p.x) + "," + fixed4(p.y); }

void Session::variableCommand(const std::string& name) {
  const VarSpec* spec = findVariable(name);
  if (spec->kind == VarSpec::Point && inPaperSpace()) {
    // The limits belong to model space; on a layout the command ends at once.
    say(w("** ﾍﾟｰﾊﾟｰ空間では使用できません **", "** ペーパー空間では使用できません **"));
    return;
  }
  ask(name + " の新しい値を入力 <" + variable(name) + ">: ", true, [this, spec, name](const std::string& a) {
    const std::string text = base::trim(a);
    if (text.empty()) return;  // keeps the value shown
    auto reask = [this, name](const std::string& message) {
      say(message);
      variableCommand(name);
    };
    const std::string before = variable(name);
    switch (spec->kind) {
      case VarSpec::Int: {
        auto v = base::tryParseInt(text);
        if (!v) return reask("整数が必要です。");
        if (*v < spec->lo || *v > spec->hi)
          return reask(std::to_string(spec->lo) + " から " + std::to_string(spec->hi) + " までの値を入力してください。");
        if (name == "PSLTSCALE")
          drawing_.psltScale = static_cast<int>(*v);
        else
          settings_[name] = static_cast<int>(*v);
        break;
      }
      case VarSpec::Real: {
        auto v = base::tryParseNumber(text);
        if (!v) return reask("実数値が必要です。");
        if (*v < 0) return reask("値は 0 以上でなければなりません。");
        drawing_.dimScale = *v;
        break;
      }
      case VarSpec::Point: {
        auto p = parsePoint(text);
        if (!p) return reask(w("2D 点が必要です。", "2D 点が必要です。"));
        (name == "LIMMIN" ? drawing_.limMin : drawing_.limMax) = *p;
        break;
      }
    }
    if (spec->inDrawing && variable(name) != before) modified_ = true;
  });
}

void Session::limits() {
  if (inPaperSpace()) {
    say(w("** ﾍﾟｰﾊﾟｰ空間では使用できません **", "** ペーパー空間では使用できません **"));
    return;
  }
  say(w("ﾓﾃﾞﾙ空間の図面範囲をﾘｾｯﾄ:", "モデル空間の図面範囲をリセット:"));
  ask(std::string(w("左下ｺｰﾅｰを指定 または [ｵﾝ(ON)/ｵﾌ(OFF)] <", "左下コーナーを指定 または [オン(ON)/オフ(OFF)] <")) +
          formatPoint(drawing_.limMin) + ">: ",
      true, [this](const std::string& a) {
        const std::string t = base::asciiUpper(base::trim(a));
        if (t == "ON" || t == "OFF") return;
        if (!t.empty()) {
          auto p = parsePoint(t);
          if (!p) {
            say("2D 点が必要です。");
            return limits();
          }
          if (!(*p == drawing_.limMin)) modified_ = true;
          drawing_.limMin = *p;
        }
        ask(std::string(w("右上ｺｰﾅｰを指定 <", "右上コーナーを指定 <")) + formatPoint(drawing_.limMax) + ">: ", true,
            [this](const std::string& b) {
              const std::string u = base::trim(b);
              if (u.empty()) return;
              if (auto p = parsePoint(u)) {
                if (!(*p == drawing_.limMax)) modified_ = true;
                drawing_.limMax = *p;
              } else {
                say("2D 点が必要です。");
              }
            });
      });
}

void Session::zoom() {
  ask(w("窓の一方のｺｰﾅｰを指定、倍率を入力 (nX または nXP)、または "
        "[全体(A)/中心(C)/ﾀﾞｲﾅﾐｯｸ(D)/範囲(E)/前画面(P)/倍率(S)/窓(W)/ｵﾌﾞｼﾞｪｸﾄ(O)] <ﾘｱﾙﾀｲﾑ>: ",
        "窓の一方のコーナーを指定、倍率を入力 (nX または nXP)、または "
        "[全体(A)/中心(C)/ダイナミック(D)/範囲(E)/前画面(P)/倍率(S)/窓(W)/オブジェクト(O)] <リアルタイム>: "),
      true, [this](const std::string& a) {
        const std::string t = base::asciiUpper(base::trim(a));
        if (t == "W" || parsePoint(t)) ask(w("もう一方のｺｰﾅｰを指定: ", "もう一方のコーナーを指定: "), true, [](const std::string&) {});
      });
}

// ------------------------------------------------------------------ files

std::string Session::resolve(const std::string& name) const {
  if (name.empty() || isAbsolute(name)) return name;
  const std::string folder = !path_.empty() ? folderOf(path_) : options_.workFolder;
  return folder.empty() ? name : base::joinPath(folder, name);
}

bool Session::exists(const std::string& path) const { return !path.empty() && options_.files.exists(path); }

bool Session::readFile(const std::string& path, std::string& bytes) const {
  return !path.empty() && options_.files.read(path, bytes);
}

bool Session::fontExists(const std::string& raw) const {
  std::string name = fileNameAnySep(base::trim(raw));
  if (name.empty()) return true;
  std::string ext = base::asciiLower(extension(name));
  if (ext.empty()) {
    name += ".shx";
    ext = ".shx";
  }
  // TrueType fonts are the system's; AutoCAD substitutes them without asking.
  if (ext == ".ttf" || ext == ".ttc") return true;
  for (const std::string& f : options_.fonts) {
    std::string known = fileNameAnySep(f);
    if (extension(known).empty()) known += ".shx";
    if (base::equalsNoCase(known, name)) return true;
  }
  if (fileNameAnySep(raw) != raw && exists(raw)) return true;
  for (const std::string& folder : options_.fontFolders)
    if (exists(base::joinPath(folder, name))) return true;
  return false;
}

std::optional<Drawing> Session::load(const std::string& path) const {
  std::string bytes;
  if (!exists(path) || !readFile(path, bytes)) return std::nullopt;
  return parseDxf(bytes);
}

std::string Session::drawingName() const { return path_.empty() ? std::string("Drawing1.dwg") : fileNameAnySep(path_); }

std::string Session::drawingFile() const { return path_.empty() ? resolve(drawingName()) : path_; }

void Session::opened(const std::string& path, Drawing d) {
  drawing_ = std::move(d);
  path_ = path;
  modified_ = false;
  plotCurrent_.clear();
  say(std::string(w("再生成中 - ", "再生成中 - ")) +
      (drawing_.tileMode ? std::string(w("ﾓﾃﾞﾙ", "モデル")) : drawing_.currentLayout) + "。");
  if (!journal_) return;
  JournalEntry e;
  e.event = "open";
  e.drawing = path;
  std::vector<std::string> names;
  for (auto& l : drawing_.layouts) names.push_back(l.name);
  e.add("space", drawing_.tileMode ? "model" : "layout")
      .add("layout", drawing_.tileMode ? std::string("Model") : drawing_.currentLayout)
      .addList("layouts", names)
      .add("limmin", formatPoint(drawing_.limMin))
      .add("limmax", formatPoint(drawing_.limMax))
      .add("dimscale", fixed4(drawing_.dimScale));
  journal_->append(e);
}

// --------------------------------------------------------------- fileopen

void Session::fileOpen() {
  ask(std::string("開く図面のファイル名を入力 <") + (path_.empty() ? drawingName() : path_) + ">: ", false,
      [this](const std::string& a) { openAnswer(a); });
}

void Session::openAnswer(const std::string& answer) {
  std::string name = unquote(answer);
  if (name.empty()) name = path_.empty() ? drawingName() : path_;
  std::string path = resolve(name);
  if (!exists(path) && extension(path).empty()) path += ".dwg";
  auto d = load(path);
  if (!d) {
    say(std::string(w("図面ﾌｧｲﾙ ", "図面ファイル ")) + name + " を開けません。");
    return fileOpen();  // asks again, as AutoCAD does
  }
  opened(path, std::move(*d));

  // What the drawing needs and this machine lacks, asked in table order.
  // kind 0: a shape file; kind 1: a text style's font.
  std::vector<std::pair<int, std::string>> missing;
  for (const TextStyle& s : drawing_.styles) {
    if (s.isShapeFile()) {
      if (!fontExists(s.font)) missing.emplace_back(0, s.font);
      continue;
    }
    if (!fontExists(s.font)) missing.emplace_back(1, s.name + "\t" + s.font);
    if (!s.bigFont.empty() && !fontExists(s.bigFont)) missing.emplace_back(1, s.name + "\t" + s.bigFont);
  }
  askMissing(std::move(missing), 0);
}

void Session::askMissing(std::vector<std::pair<int, std::string>> missing, size_t i) {
  if (i >= missing.size()) return;
  const auto [kind, what] = missing[i];
  std::string prompt;
  std::string style, file = what;
  if (kind == 0) {
    prompt = std::string(w("ｼｪｲﾌﾟ ﾌｧｲﾙ ", "シェイプ ファイル ")) + file +
             w(" が見つかりません。ﾌｧｲﾙ名を入力 <ｽｷｯﾌﾟ>: ", " が見つかりません。ファイル名を入力 <スキップ>: ");
  } else {
    const auto tab = what.find('\t');
    style = what.substr(0, tab);
    file = what.substr(tab + 1);
    prompt = std::string(w("文字ｽﾀｲﾙ ", "文字スタイル ")) + style + w(" のﾌｫﾝﾄ ﾌｧｲﾙ ", " のフォント ファイル ") + file +
             w(" が見つかりません。代わりのﾌｫﾝﾄ ﾌｧｲﾙ名を入力 <ｽｷｯﾌﾟ>: ",
               " が見つかりません。代わりのフォント ファイル名を入力 <スキップ>: ");
  }
  ask(prompt, false, [this, missing, i, file](const std::string& a) {
    const std::string replacement = unquote(a);
    if (!replacement.empty()) {
      for (TextStyle& s : drawing_.styles) {
        if (s.font == file) s.font = replacement;
        if (s.bigFont == file) s.bigFont = replacement;
      }
    }
    askMissing(missing, i + 1);
  });
}

// ------------------------------------------------------------ save, saveas

std::string Session::defaultFormat() const { return options_.release >= 2004 ? "2004" : "2000"; }

void Session::saveAs() {
  const std::string prompt =
      options_.release >= 2004
          ? "ファイル形式を入力 [R14(LT98&LT97)/2000(LT2000)/2004(LT2004)/Standards(S)/DXF(D)/テンプレート(T)] <2004>: "
          : w("ﾌｧｲﾙ形式を入力 [R12(LT2)/R13(LT95)/R14(LT98&LT97)/2000(LT2000)/DXF(D)/ﾃﾝﾌﾟﾚｰﾄ(T)] <2000>: ",
              "ファイル形式を入力 [R12(LT2)/R13(LT95)/R14(LT98&LT97)/2000(LT2000)/DXF(D)/テンプレート(T)] <2000>: ");
  ask(prompt, true, [this](const std::string& a) {
    const std::string k = keyword(a);
    std::string format;
    if (k.empty()) format = defaultFormat();
    else if (k == "R14" || k == "LT98" || k == "LT97") format = "R14";
    else if (k == "2000" || k == "LT2000") format = "2000";
    else if ((k == "2004" || k == "LT2004") && options_.release >= 2004) format = "2004";
    else if ((k == "R12" || k == "LT2" || k == "R13" || k == "LT95") && options_.release < 2004) format = k == "LT2" ? "R12" : k == "LT95" ? "R13" : k;
    else if (k == "D" || k == "DXF") format = "DXF";
    else if (k == "T") format = "DWT";
    else if ((k == "S" || k == "STANDARDS") && options_.release >= 2004) format = "DWS";
    if (format.empty()) {
      say(w("ｷｰﾜｰﾄﾞが無効です。", "キーワードが無効です。"));
      return saveAs();
    }
    saveAsName(format);
  });
}

void Session::saveAsName(const std::string& format) {
  const std::string ext = format == "DXF" ? ".dxf" : format == "DWT" ? ".dwt" : format == "DWS" ? ".dws" : ".dwg";
  const std::string current = drawingFile();
  const std::string def = current.substr(0, current.size() - extension(current).size()) + ext;
  ask("図面のファイル名を入力 <" + def + ">: ", false, [this, format, ext, def](const std::string& a) {
    std::string name = unquote(a);
    std::string path = name.empty() ? def : resolve(name);
    if (extension(path).empty()) path += ext;
    if (!exists(path)) {
      writeDrawing(path, format);
      return;
    }
    say(std::string(w("図面 ", "図面 ")) + path + " は既に存在します。");
    ask(w("上書きしますか? <N> ", "置き換えますか? <N> "), true, [this, path, format](const std::string& y) {
      if (isYes(y)) writeDrawing(path, format);
    });
  });
}

void Session::save() {
  if (!path_.empty()) {
    writeDrawing(path_, defaultFormat());
    return;
  }
  ask("図面のファイル名を入力 <" + drawingName() + ">: ", false, [this](const std::string& a) {
    std::string name = unquote(a);
    std::string path = resolve(name.empty() ? drawingName() : name);
    if (extension(path).empty()) path += ".dwg";
    writeDrawing(path, defaultFormat());
  });
}

bool Session::writeDrawing(const std::string& path, const std::string& format) {
  if (!options_.files.write(path, writeDxf(drawing_))) {
    say(std::string(w("ﾌｧｲﾙ ", "ファイル ")) + path + " に書き込めません。");
    return false;
  }
  path_ = path;
  modified_ = false;
  if (journal_) {
    JournalEntry e;
    e.event = "save";
    e.drawing = path;
    e.add("format", format);
    journal_->append(e);
  }
  return true;
}

// ------------------------------------------------------------------- quit

void Session::quit() {
  if (modified_) {
    state_ = State::AskingToSave;
    return;
  }
  end();
}

void Session::end() {
  state_ = State::Ended;
  if (!journal_) return;
  JournalEntry e;
  e.event = "quit";
  e.drawing = path_;
  journal_->append(e);
}

std::string Session::saveQuestionTitle() const { return options_.lt ? "AutoCAD LT" : "AutoCAD"; }

std::string Session::saveQuestionText() const { return drawingName() + " への変更を保存しますか?"; }

void Session::answerSaveQuestion(SaveAnswer a) {
  if (state_ != State::AskingToSave) return;
  switch (a) {
    case SaveAnswer::Yes:
      writeDrawing(drawingFile(), defaultFormat());
      end();
      break;
    case SaveAnswer::No:
      end();
      break;
    case SaveAnswer::Cancel:
      state_ = State::Running;
      break;
  }
}

// ----------------------------------------------------------------- titles

std::string Session::mainTitle() const {
  return std::string("AutoCAD ") + (options_.lt ? "LT " : "") + std::to_string(options_.release) + " - [" +
         (path_.empty() ? drawingName() : path_) + "]";
}

std::string Session::textWindowTitle() const {
  return std::string("AutoCAD ") + (options_.lt ? "LT " : "") + w("ﾃｷｽﾄ ｳｨﾝﾄﾞｳ", "テキスト ウィンドウ") + " - " +
         drawingName();
}

// ---------------------------------------------------------------- layouts

std::string Session::defaultLayoutName() const {
  if (drawing_.findLayout(drawing_.currentLayout)) return drawing_.currentLayout;
  return drawing_.layouts.empty() ? std::string("Model") : drawing_.layouts.front().name;
}

void Session::layoutCommand() {
  ask(w("ﾚｲｱｳﾄ ｵﾌﾟｼｮﾝを入力 [ｺﾋﾟｰ(C)/削除(D)/新規作成(N)/ﾃﾝﾌﾟﾚｰﾄ(T)/名前変更(R)/名前を付けて保存(SA)/設定(S)/?(?)] <設定>: ",
        "レイアウト オプションを入力 [コピー(C)/削除(D)/新規作成(N)/テンプレート(T)/名前変更(R)/名前を付けて保存(SA)/設定(S)/?(?)] "
        "<設定>: "),
      true, [this](const std::string& a) {
        const std::string k = keyword(a);
        const std::string cur = defaultLayoutName();
        if (k == "?") {
          // Lists at once: the program reads the listing right after "?".
          layoutList("*");
        } else if (k.empty() || k == "S" || k == "SET" || k == "設定") {
          ask(std::string(w("設定するﾚｲｱｳﾄを入力 <", "設定するレイアウトを入力 <")) + cur + ">: ", false,
              [this, cur](const std::string& n) { setLayout(unquote(n).empty() ? cur : unquote(n)); });
        } else if (k == "N" || k == "NEW") {
          int i = 1;
          while (drawing_.findLayout("Layout" + std::to_string(i))) ++i;
          const std::string def = "Layout" + std::to_string(i);
          ask(std::string(w("新しいﾚｲｱｳﾄ名を入力 <", "新しいレイアウト名を入力 <")) + def + ">: ", false,
              [this, def](const std::string& n) {
                const std::string name = unquote(n).empty() ? def : unquote(n);
                if (drawing_.findLayout(name) || base::equalsNoCase(name, "Model")) {
                  say(std::string(w("ﾚｲｱｳﾄ ", "レイアウト ")) + name + " は既に存在します。");
                  return;
                }
                int tab = drawing_.layouts.empty() ? 1 : drawing_.layouts.back().tabOrder + 1;
                drawing_.layouts.push_back({name, tab});
                modified_ = true;
              });
        } else if (k == "D" || k == "DELETE") {
          ask(std::string(w("削除するﾚｲｱｳﾄを入力 <", "削除するレイアウトを入力 <")) + cur + ">: ", false,
              [this, cur](const std::string& n) {
                const std::string name = unquote(n).empty() ? cur : unquote(n);
                const Layout* l = drawing_.findLayout(name);
                if (!l) {
                  say(std::string(w("ﾚｲｱｳﾄ ", "レイアウト ")) + name + w(" が見つかりません。", " が見つかりません。"));
                  return;
                }
                if (drawing_.layouts.size() == 1) {
                  say(w("最後のﾚｲｱｳﾄは削除できません。", "最後のレイアウトは削除できません。"));
                  return;
                }
                const bool wasCurrent = base::equalsNoCase(l->name, drawing_.currentLayout);
                drawing_.layouts.erase(drawing_.layouts.begin() + (l - drawing_.layouts.data()));
                if (wasCurrent) drawing_.currentLayout = drawing_.layouts.front().name;
                modified_ = true;
              });
        } else if (k == "R" || k == "RENAME") {
          ask(std::string(w("名前変更するﾚｲｱｳﾄを入力 <", "名前変更するレイアウトを入力 <")) + cur + ">: ", false,
              [this, cur](const std::string& n) {
                const std::string old = unquote(n).empty() ? cur : unquote(n);
                if (!drawing_.findLayout(old)) {
                  say(std::string(w("ﾚｲｱｳﾄ ", "レイアウト ")) + old + " が見つかりません。");
                  return;
                }
                ask(std::string(w("新しいﾚｲｱｳﾄ名を入力 <", "新しいレイアウト名を入力 <")) + old + ">: ", false,
                    [this, old](const std::string& m) {
                      const std::string name = unquote(m);
                      if (name.empty() || name == old) return;
                      if (drawing_.findLayout(name)) {
                        say(std::string(w("ﾚｲｱｳﾄ ", "レイアウト ")) + name + " は既に存在します。");
                        return;
                      }
                      for (Layout& l : drawing_.layouts)
                        if (base::equalsNoCase(l.name, old)) {
                          if (base::equalsNoCase(drawing_.currentLayout, old)) drawing_.currentLayout = name;
                          l.name = name;
                        }
                      modified_ = true;
                    });
              });
        } else if (k == "C" || k == "COPY") {
          ask(std::string(w("ｺﾋﾟｰするﾚｲｱｳﾄを入力 <", "コピーするレイアウトを入力 <")) + cur + ">: ", false,
              [this, cur](const std::string& n) {
                const std::string from = unquote(n).empty() ? cur : unquote(n);
                if (!drawing_.findLayout(from)) {
                  say(std::string(w("ﾚｲｱｳﾄ ", "レイアウト ")) + from + " が見つかりません。");
                  return;
                }
                const std::string def = from + " (2)";
                ask(std::string(w("ｺﾋﾟｰしたﾚｲｱｳﾄの名前を入力 <", "コピーしたレイアウトの名前を入力 <")) + def + ">: ",
                    false, [this, def](const std::string& m) {
                      const std::string name = unquote(m).empty() ? def : unquote(m);
                      if (drawing_.findLayout(name)) {
                        say(std::string(w("ﾚｲｱｳﾄ ", "レイアウト ")) + name + " は既に存在します。");
                        return;
                      }
                      drawing_.layouts.push_back({name, drawing_.layouts.back().tabOrder + 1});
                      modified_ = true;
                    });
              });
        } else if (k == "T" || k == "SA" || k == "TEMPLATE" || k == "SAVEAS") {
          say(w("このｵﾌﾟｼｮﾝは使用できません。", "このオプションは使用できません。"));
        } else {
          say(w("ｷｰﾜｰﾄﾞが無効です。", "キーワードが無効です。"));
          layoutCommand();
        }
      });
}

void Session::layoutList(const std::string& pattern) {
  // Label of seven characters, the name, blanks, the block-name label and
  // the block: the shape the program cuts the names out of.
  say(std::string(w("現在のﾚｲｱｳﾄ: ", "現在のレイアウト: ")) +
      (drawing_.tileMode ? std::string("Model") : drawing_.currentLayout));
  int other = 0;
  bool any = false;
  for (const Layout& l : drawing_.layouts) {
    const bool current = base::equalsNoCase(l.name, drawing_.currentLayout);
    const std::string block = current ? std::string("*Paper_Space") : "*Paper_Space" + std::to_string(other++);
    if (!matchesPattern(pattern, l.name)) continue;
    any = true;
    say(std::string(w("ﾚｲｱｳﾄ: ", "レイアウト: ")) + l.name + "   " + w("ﾌﾞﾛｯｸ名: ", "ブロック名: ") + block + ".");
  }
  if (!any) say(w("一致するﾚｲｱｳﾄはありません。", "一致するレイアウトはありません。"));
}

void Session::setLayout(const std::string& name) {
  if (base::equalsNoCase(name, "Model") || name == "モデル" || name == "ﾓﾃﾞﾙ") {
    if (!drawing_.tileMode) modified_ = true;
    drawing_.tileMode = true;
    say(std::string(w("再生成中 - ", "再生成中 - ")) + w("ﾓﾃﾞﾙ", "モデル") + "。");
    return;
  }
  const Layout* l = drawing_.findLayout(name);
  if (!l) {
    say(std::string(w("ﾚｲｱｳﾄ ", "レイアウト ")) + name + " が見つかりません。");
    return;
  }
  drawing_.tileMode = false;
  drawing_.currentLayout = l->name;
  modified_ = true;
  say(std::string(w("再生成中 - ", "再生成中 - ")) + l->name + "。");
}

}  // namespace acadsim
