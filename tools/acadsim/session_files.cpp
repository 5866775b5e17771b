// The drawing's file: resolving names, opening (with the questions about
// missing fonts), save, saveas, and quit with its save question.
#include <cctype>

#include "acadsim/session.h"
#include "acadsim/typed.h"
#include "base/paths.h"
#include "base/text.h"

namespace acadsim {

namespace {

using base::fileNameAnySep;
using typed::fixed4;
using typed::unquote;
using typed::keyword;

std::string folderOf(const std::string& path) { return path.substr(0, path.size() - fileNameAnySep(path).size()); }

std::string extension(const std::string& path) {
  const std::string name = fileNameAnySep(path);
  const auto dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string withoutExtension(const std::string& path) { return path.substr(0, path.size() - extension(path).size()); }

bool isAbsolute(const std::string& p) {
  if (p.empty()) return false;
  if (base::isAnySep(p[0])) return true;
  return p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':';
}

bool isYes(const std::string& answer) {
  const std::string a = base::asciiUpper(base::trim(answer));
  return a == "Y" || a == "YES" || a == "_Y" || a == "_YES";
}

}  // namespace

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

std::optional<Drawing> Session::load(const std::string& path, std::string& text) const {
  if (!exists(path) || !readFile(path, text)) return std::nullopt;
  return parseDxf(text);
}

std::string Session::drawingName() const { return path_.empty() ? std::string("Drawing1.dwg") : fileNameAnySep(path_); }

std::string Session::drawingFile() const { return path_.empty() ? resolve(drawingName()) : path_; }

void Session::opened(const std::string& path, Drawing d, std::string text) {
  lastWork_ = Work::Open;
  drawing_ = std::move(d);
  path_ = path;
  text_ = std::move(text);
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
  std::string text;
  auto d = load(path, text);
  if (!d) {
    say(std::string(w("図面ﾌｧｲﾙ ", "図面ファイル ")) + name + " を開けません。");
    return fileOpen();  // asks again, as AutoCAD does
  }
  opened(path, std::move(*d), std::move(text));

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
  askFileName(withoutExtension(drawingFile()) + ext, ext, format);
}

void Session::askFileName(const std::string& def, const std::string& ext, const std::string& format) {
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
    // A drawing read from DXF is saved as a drawing: the name offered is
    // the .dwg beside it, and the DXF stays as it was.
    if (base::equalsNoCase(extension(path_), ".dxf"))
      return askFileName(withoutExtension(path_) + ".dwg", ".dwg", defaultFormat());
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

// The text the drawing came from with its header variables brought up to
// date, so that what the stand-in does not model (other variables, tables,
// blocks) stays byte for byte. A new drawing, or one whose layouts or page
// setups changed, which the header cannot carry, is written whole.
std::string Session::fileText() const {
  if (text_.empty()) return writeDxf(drawing_);
  const auto was = parseDxf(text_);
  if (!was || was->layouts != drawing_.layouts || was->currentLayout != drawing_.currentLayout ||
      was->modelSetup != drawing_.modelSetup)
    return writeDxf(drawing_);
  std::vector<HeaderVariable> changed;
  const auto before = headerVariables(*was);
  const auto now = headerVariables(drawing_);
  for (size_t i = 0; i < now.size(); ++i)
    if (before[i].groups != now[i].groups) changed.push_back(now[i]);
  if (changed.empty()) return text_;
  auto text = setHeaderVariables(text_, changed);
  return text ? *text : writeDxf(drawing_);
}

bool Session::writeDrawing(const std::string& path, const std::string& format) {
  lastWork_ = Work::Save;  // a write that fails takes its time too
  std::string text = fileText();
  if (!options_.files.write(path, text)) {
    say(std::string(w("ﾌｧｲﾙ ", "ファイル ")) + path + " に書き込めません。");
    return false;
  }
  path_ = path;
  text_ = std::move(text);
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

}  // namespace acadsim
