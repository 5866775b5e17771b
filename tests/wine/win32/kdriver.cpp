// The end-to-end tests' driver: a console program run under Wine beside
// Kestrel.exe and acadsim.exe. It finds windows, reads them and sends them
// messages, and checks the settings writer against the system's own reader.
// Output is UTF-8; exit code 0 means success.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/codec.h"
#include "base/profile.h"

namespace {

std::wstring W(const std::string& s) {
  std::u16string u = base::utf8ToUtf16(s);
  return std::wstring(u.begin(), u.end());
}
std::string U(const std::wstring& w) { return base::utf16ToUtf8(std::u16string(w.begin(), w.end())); }

void out(const std::string& s) {
  std::fwrite(s.data(), 1, s.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

std::string titleOf(HWND h) {
  wchar_t buf[1024];
  int n = GetWindowTextW(h, buf, 1024);
  return U(std::wstring(buf, n > 0 ? n : 0));
}

std::string classOf(HWND h) {
  wchar_t buf[256];
  int n = GetClassNameW(h, buf, 256);
  return U(std::wstring(buf, n > 0 ? n : 0));
}

HWND findTop(const std::string& title, double seconds) {
  const std::wstring t = W(title);
  for (int i = 0; i <= static_cast<int>(seconds * 10); ++i) {
    if (HWND h = FindWindowW(nullptr, t.c_str())) return h;
    Sleep(100);
  }
  return nullptr;
}

struct ChildSearch {
  std::string text;
  std::string cls;
  HWND found = nullptr;
  std::vector<HWND> all;
};

BOOL CALLBACK collectChild(HWND h, LPARAM p) {
  auto* s = reinterpret_cast<ChildSearch*>(p);
  s->all.push_back(h);
  if (!s->found && titleOf(h) == s->text && (s->cls.empty() || classOf(h) == s->cls)) s->found = h;
  return TRUE;
}

HWND findChild(HWND parent, const std::string& text, const std::string& cls = {}) {
  ChildSearch s{text, cls};
  EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

int usage() {
  out("usage: kdriver find-window TITLE [SECONDS]\n"
      "       kdriver close-window TITLE [SECONDS]\n"
      "       kdriver children TITLE\n"
      "       kdriver click TITLE BUTTON-TEXT\n"
      "       kdriver profile-check FOLDER");
  return 2;
}

int cmdFind(const std::vector<std::string>& a) {
  if (a.size() < 1) return usage();
  HWND h = findTop(a[0], a.size() > 1 ? std::atof(a[1].c_str()) : 30);
  if (!h) {
    out("not found: " + a[0]);
    return 1;
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(h)));
  out(buf);
  return 0;
}

int cmdClose(const std::vector<std::string>& a) {
  if (a.size() < 1) return usage();
  HWND h = findTop(a[0], 10);
  if (!h) {
    out("not found: " + a[0]);
    return 1;
  }
  PostMessageW(h, WM_CLOSE, 0, 0);
  const double seconds = a.size() > 1 ? std::atof(a[1].c_str()) : 30;
  for (int i = 0; i <= static_cast<int>(seconds * 10); ++i) {
    if (!IsWindow(h)) {
      out("closed");
      return 0;
    }
    Sleep(100);
  }
  out("still open: " + a[0]);
  return 1;
}

int cmdChildren(const std::vector<std::string>& a) {
  if (a.size() < 1) return usage();
  HWND h = findTop(a[0], 10);
  if (!h) return 1;
  ChildSearch s{"\x01"};
  EnumChildWindows(h, collectChild, reinterpret_cast<LPARAM>(&s));
  for (HWND c : s.all)
    out(classOf(c) + "\t" + (IsWindowVisible(c) ? "visible" : "hidden") + "\t" +
        (IsWindowEnabled(c) ? "enabled" : "disabled") + "\t" + titleOf(c));
  return 0;
}

int cmdClick(const std::vector<std::string>& a) {
  if (a.size() < 2) return usage();
  HWND h = findTop(a[0], 10);
  if (!h) return 1;
  HWND b = findChild(h, a[1], "Button");
  if (!b) {
    out("no button: " + a[1]);
    return 1;
  }
  PostMessageW(b, BM_CLICK, 0, 0);
  return 0;
}

// Writes values with the program's own profile writer and reads them back
// with the system's reader: both must agree on every key.
int cmdProfileCheck(const std::vector<std::string>& a) {
  if (a.size() < 1) return usage();
  const std::string path = a[0] + "\\profile-check.ini";
  DeleteFileW(W(path).c_str());
  struct Case {
    std::string section, key, value, expected;
  };
  const std::vector<Case> cases = {
      {"MainWindow", "AcadExePath", "", ""},
      {"MainWindow", "FIXARCHIVEOPENDIR", "ﾏｲ ｺﾝﾋﾟｭｰﾀ", "ﾏｲ ｺﾝﾋﾟｭｰﾀ"},
      {"MainWindow", "CurrentBtnSet", "図面セット", "図面セット"},
      {"Ploter1Fleld", "PaperName", "\"ISO A3 (420.00 x 297.00 mm)\"", "ISO A3 (420.00 x 297.00 mm)"},
      {"Ploter1Fleld", "USERNAME", "  A3 横  ", "A3 横"},
      {"PaperSize", "PageSize0", "A3=420x297", "A3=420x297"},
      {"ﾚｲｱｳﾄ", "表示", "ｺﾏﾝﾄﾞ: ", "ｺﾏﾝﾄﾞ:"},
  };
  base::ProfileFile ini(path);
  for (const Case& c : cases) ini.writeString(c.section, c.key, c.value);
  // Overwrite one in place: the system must see the new value only.
  ini.writeString("MainWindow", "CurrentBtnSet", "Base");
  int failures = 0;
  for (Case c : cases) {
    if (c.key == "CurrentBtnSet") c.expected = "Base";
    wchar_t buf[4096];
    DWORD n = GetPrivateProfileStringW(W(c.section).c_str(), W(c.key).c_str(), L"<missing>", buf, 4096,
                                       W(path).c_str());
    std::string got = U(std::wstring(buf, n));
    std::string mine = ini.readString(c.section, c.key, "<missing>");
    bool ok = got == c.expected && mine == c.expected;
    out(std::string(ok ? "ok   " : "FAIL ") + "[" + c.section + "] " + c.key + " system=\"" + got + "\" own=\"" +
        mine + "\" expected=\"" + c.expected + "\"");
    if (!ok) ++failures;
  }
  // And the other way: a file the system wrote reads back the same.
  const std::string sysPath = a[0] + "\\profile-check-system.ini";
  DeleteFileW(W(sysPath).c_str());
  WritePrivateProfileStringW(L"MainWindow", L"FIXARCHIVEOPENDIR", W("ﾏｲ ｺﾝﾋﾟｭｰﾀ").c_str(), W(sysPath).c_str());
  WritePrivateProfileStringW(L"MainWindow", L"Top", L"114", W(sysPath).c_str());
  base::ProfileFile sys(sysPath);
  bool okSys = sys.readString("mainwindow", "fixarchiveopendir", "") == "ﾏｲ ｺﾝﾋﾟｭｰﾀ" &&
               sys.readInt("MainWindow", "TOP", 0) == 114;
  out(std::string(okSys ? "ok   " : "FAIL ") + "system-written file read by the program");
  if (!okSys) ++failures;
  out(failures ? "profile-check: FAILED" : "profile-check: passed");
  return failures ? 1 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 2; i < argc; ++i) args.push_back(U(argv[i]));
  if (argc < 2) return usage();
  const std::string cmd = U(argv[1]);
  if (cmd == "find-window") return cmdFind(args);
  if (cmd == "close-window") return cmdClose(args);
  if (cmd == "children") return cmdChildren(args);
  if (cmd == "click") return cmdClick(args);
  if (cmd == "profile-check") return cmdProfileCheck(args);
  return usage();
}
