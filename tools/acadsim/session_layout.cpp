// "-layout": listing, setting, adding, renaming, copying and deleting the
// drawing's paper-space layouts.
#include "acadsim/session.h"
#include "acadsim/typed.h"
#include "base/codec.h"
#include "base/text.h"

namespace acadsim {

namespace {

using typed::keyword;
using typed::unquote;

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

}  // namespace

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
