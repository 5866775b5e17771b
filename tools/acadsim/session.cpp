// The stand-in's command line: typed bytes become inputs, inputs answer the
// question on the prompt line or start a command, and every finished line
// goes to the history. The commands themselves live beside this file by
// family (files, variables and limits, layouts, -plot).
#include "acadsim/session.h"

#include <algorithm>

#include "acadsim/typed.h"
#include "base/codec.h"
#include "base/paths.h"
#include "base/text.h"

namespace acadsim {

namespace {

constexpr char kEsc = 0x1B;
constexpr char kBackspace = 0x08;

bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

using typed::parsePoint;
using typed::unquote;

// Commands may come with the prefixes of the international ("_"), the
// built-in (".") and the transparent ("'") form.
std::string commandName(const std::string& typed) {
  size_t i = 0;
  while (i < typed.size() && (typed[i] == '_' || typed[i] == '.' || typed[i] == '\'')) ++i;
  return base::asciiUpper(typed.substr(i));
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
  std::string text;
  if (auto d = load(path, text)) {
    opened(path, std::move(*d), std::move(text));
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

// Mirrors type(): what ends an input there ends it here.
size_t Session::inputEnd(std::string_view bytes) const {
  const bool blankEnds = !question_ || question_->blankEnds;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == kEsc || c == '\r' || c == '\n' || (c == ' ' && blankEnds)) return i;
    if (isLeadByte(static_cast<unsigned char>(c)) && i + 1 < bytes.size()) ++i;
  }
  return std::string_view::npos;
}

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
  lastWork_ = Work::Answer;
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
  lastWork_ = Work::Answer;
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

  if (knownVariable(name)) return variableCommand(name);
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

// ---------------------------------------------------------------- display

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

// ----------------------------------------------------------------- titles

std::string Session::mainTitle() const {
  return std::string("AutoCAD ") + (options_.lt ? "LT " : "") + std::to_string(options_.release) + " - [" +
         (path_.empty() ? drawingName() : path_) + "]";
}

std::string Session::textWindowTitle() const {
  return std::string("AutoCAD ") + (options_.lt ? "LT " : "") + w("ﾃｷｽﾄ ｳｨﾝﾄﾞｳ", "テキスト ウィンドウ") + " - " +
         drawingName();
}

}  // namespace acadsim
