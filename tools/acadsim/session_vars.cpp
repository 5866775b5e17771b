// System variables as their prompts ask them ("FILEDIA の新しい値を入力 <1>: ")
// and the limits command, which sets two of them.
#include "acadsim/session.h"
#include "acadsim/typed.h"
#include "base/numbers.h"
#include "base/text.h"

namespace acadsim {

namespace {

using typed::fixed4;
using typed::parsePoint;

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

bool Session::knownVariable(const std::string& upperName) { return findVariable(upperName) != nullptr; }

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
  limitsLowerLeft();
}

void Session::limitsLowerLeft() {
  ask(std::string(w("左下ｺｰﾅｰを指定 または [ｵﾝ(ON)/ｵﾌ(OFF)] <", "左下コーナーを指定 または [オン(ON)/オフ(OFF)] <")) +
          formatPoint(drawing_.limMin) + ">: ",
      true, [this](const std::string& a) {
        const std::string k = typed::keyword(a);
        // The limits check has no variable here: the keywords only end the command.
        if (k == "ON" || k == "OFF") return;
        if (k.empty()) return limitsUpperRight(drawing_.limMin);
        if (auto p = parsePoint(k)) return limitsUpperRight(*p);
        say(w("2D 点またはｵﾌﾟｼｮﾝ ｷｰﾜｰﾄﾞが必要です。", "2D 点またはオプション キーワードが必要です。"));
        limitsLowerLeft();
      });
}

void Session::limitsUpperRight(Point2 lowerLeft) {
  ask(std::string(w("右上ｺｰﾅｰを指定 <", "右上コーナーを指定 <")) + formatPoint(drawing_.limMax) + ">: ", true,
      [this, lowerLeft](const std::string& b) {
        const std::string t = base::trim(b);
        Point2 upperRight = drawing_.limMax;
        if (!t.empty()) {
          auto p = parsePoint(t);
          if (!p) {
            say("2D 点が必要です。");
            return limitsUpperRight(lowerLeft);
          }
          upperRight = *p;
        }
        // Both corners change together at the end, so ESC on the second
        // question leaves the first as it was.
        if (upperRight.x <= lowerLeft.x || upperRight.y <= lowerLeft.y) {
          say("** 図面範囲が無効です **");
          return;
        }
        if (lowerLeft != drawing_.limMin || upperRight != drawing_.limMax) modified_ = true;
        drawing_.limMin = lowerLeft;
        drawing_.limMax = upperRight;
      });
}

}  // namespace acadsim
