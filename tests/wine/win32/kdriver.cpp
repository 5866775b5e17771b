// The end-to-end tests' driver: a console program run under Wine beside
// Kestrel.exe and acadsim.exe. It finds windows, reads them and sends them
// messages, and checks the settings writer against the system's own reader.
// Output is UTF-8; exit code 0 means success.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "acadlink/tf_control.h"
#include "base/codec.h"
#include "base/profile.h"
#include "drawings/archive_extract.h"
#include "platform/win32/win32_platform.h"

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

// A top-level window of the title, a visible one first: forms that are
// not showing (such as a second dialog of the same caption) exist too.
HWND findTop(const std::string& title, double seconds) {
  const std::wstring t = W(title);
  for (int i = 0; i <= static_cast<int>(seconds * 10); ++i) {
    HWND first = nullptr;
    for (HWND h = FindWindowExW(nullptr, nullptr, nullptr, t.c_str()); h;
         h = FindWindowExW(nullptr, h, nullptr, t.c_str())) {
      if (IsWindowVisible(h)) return h;
      if (!first) first = h;
    }
    if (first) return first;
    Sleep(100);
  }
  return nullptr;
}

BOOL CALLBACK collectAll(HWND h, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
  return TRUE;
}

std::vector<HWND> childrenOf(HWND h) {
  std::vector<HWND> v;
  EnumChildWindows(h, collectAll, reinterpret_cast<LPARAM>(&v));
  return v;
}

HWND findChild(HWND parent, const std::string& text, const std::string& cls = {}) {
  for (HWND h : childrenOf(parent))
    if (titleOf(h) == text && (cls.empty() || classOf(h) == cls)) return h;
  return nullptr;
}

int usage() {
  out("usage: kdriver find-window TITLE [SECONDS]\n"
      "       kdriver close-window TITLE [SECONDS]\n"
      "       kdriver children TITLE\n"
      "       kdriver click TITLE BUTTON-TEXT\n"
      "       kdriver profile-check FOLDER\n"
      "       kdriver cp932-check\n"
      "       kdriver link [folder DIR] STEP...   steps: start PATH ARG SECONDS | find 2000|2004 |\n"
      "                                           send TEXT | prompt | var NAME | quit | gone SECONDS\n"
      "       kdriver drop TITLE FILE...\n"
      "       kdriver wait-box TEXT [SECONDS [BUTTON]]   (BUTTON: the start of its text)\n"
      "       kdriver save-as PATH [SECONDS]\n"
      "       kdriver copy-grid TITLE\n"
      "       kdriver menu-command TITLE ID\n"
      "       kdriver click-nth TITLE BUTTON-TEXT N\n"
      "       kdriver choose TITLE COMBO-N ITEM-TEXT\n"
      "       kdriver grid-click TITLE ROW FIRST-COLUMN-WIDTH ROW-HEIGHT\n"
      "       kdriver tree TITLE [labels]   (the tree's items, two blanks of indent per level;\n"
      "                                     labels: read through label edits, not memory)\n"
      "       kdriver extract ARCHIVE DEST [flat]\n"
      "       kdriver excel-check [PROGID]\n"
      "       kdriver excel-fill ROWS [hidden]");
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
  for (HWND c : childrenOf(h))
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

// The Win32 code page table must answer like iconv does natively on what
// may be handed to AutoCAD: the NEC and IBM extensions and the full-width
// tilde pass, what has no code of its own is named.
int cmdCp932Check(const std::vector<std::string>&) {
  struct Case {
    std::string text, culprit;  // culprit empty: the text passes
  };
  const std::vector<Case> cases = {
      {"C:\\図面\\髙橋①\\t1.dxf", ""},
      {"ｱｲｳ\\a～b.dwg", ""},
      {"纊ⅰ≒", ""},
      {"C:\\図面_한글\\k1.dxf", "한"},
      {"C:\\b😀c.dwg", "😀"},
      {"C:\\か\xE3\x82\x99.dwg", "\xE3\x82\x99"},
      {"C:\\\xE3\x80\x9C.dwg", "\xE3\x80\x9C"},
      {"\xC2\xA5", "\xC2\xA5"},
  };
  int failures = 0;
  for (const Case& c : cases) {
    const std::string got = base::firstCharWithoutCp932(c.text).value_or("");
    bool ok = got == c.culprit;
    // What passes must come back the same from its bytes.
    if (ok && c.culprit.empty()) ok = base::cp932ToUtf8(base::utf8ToCp932(c.text)) == c.text;
    out(std::string(ok ? "ok   " : "FAIL ") + c.text + " culprit=\"" + got + "\" expected=\"" + c.culprit + "\"");
    if (!ok) ++failures;
  }
  out(failures ? "cp932-check: FAILED" : "cp932-check: passed");
  return failures ? 1 : 0;
}

// ---------------------------------------------------------------- the link

std::string hex(platform::WindowHandle h) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%llx", static_cast<unsigned long long>(h));
  return buf;
}

void printHandles(const acadlink::TfControl& link) {
  const acadlink::AutoCADHandles h = link.GetHandles();
  auto one = [](const char* name, platform::WindowHandle w) {
    out(std::string(name) + "=" + hex(w) + "\t" + (w ? classOf(reinterpret_cast<HWND>(w)) : "") + "\t" +
        (w ? titleOf(reinterpret_cast<HWND>(w)) : ""));
  };
  one("MainWindow", h.MainWindow);
  one("CommandLine", h.CommandLine);
  one("CommandHistory", h.CommandHistory);
  one("TextWindow", h.TextWindow);
}

// "\n" and "\e" in a typed text stand for Enter and Esc.
std::string unescape(const std::string& s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == 'n' || s[i + 1] == 'e')) {
      r += s[i + 1] == 'n' ? '\n' : '\x1b';
      ++i;
    } else {
      r += s[i];
    }
  }
  return r;
}

// Runs TfControl inside this Windows process, step by step, so that one
// call can start, type, read and quit with the same handles. Steps print
// what they saw; the script judges it.
int cmdLink(const std::vector<std::string>& a) {
  platform::win32::Win32Platform win;
  platform::Context ctx = win.context();
  size_t i = 0;
  if (a.size() >= 2 && a[0] == "folder") {
    ctx.programFolder = a[1];
    if (ctx.programFolder.empty() || ctx.programFolder.back() != '\\') ctx.programFolder += '\\';
    i = 2;
  }
  platform::setContext(ctx);
  acadlink::TfControl link;
  int status = 0;
  auto need = [&](size_t n) {
    if (i + n > a.size()) throw std::runtime_error("step " + a[i - 1] + " needs " + std::to_string(n) + " values");
  };
  try {
    while (i < a.size()) {
      const std::string step = a[i++];
      if (step == "start") {
        need(3);
        link.SetAcadExePath(a[i]);
        link.SetAcadArg(a[i + 1]);
        const int seconds = std::atoi(a[i + 2].c_str());
        i += 3;
        out("start: " + std::to_string(link.FindOrStartAutoCAD(seconds)));
        printHandles(link);
      } else if (step == "find") {
        need(1);
        const bool r2000 = a[i++] == "2000";
        const bool found = r2000 ? link.FindAutoCADByCaptions(acadlink::kPromptWord2000, acadlink::kTextWord2000)
                                 : link.FindAutoCADByCaptions(acadlink::kPromptWord2004, acadlink::kTextWord2004);
        out(std::string("find: ") + (found ? "found" : "not found"));
        printHandles(link);
        if (!found) status = 1;
      } else if (step == "send") {
        need(1);
        link.SendCommand(unescape(a[i++]));
        out("sent");
      } else if (step == "prompt") {
        // The stand-in answers shortly after a line: wait for a prompt to show.
        for (int n = 0; n < 50 && !link.IsPromptShown(); ++n) Sleep(50);
        out("prompt: " + link.ReadCommandLine());
      } else if (step == "var") {
        need(1);
        out("var " + a[i] + ": " + link.GetVariable(a[i]));
        ++i;
      } else if (step == "quit") {
        const acadlink::AutoCADHandles before = link.GetHandles();
        DWORD pid = 0;
        GetWindowThreadProcessId(reinterpret_cast<HWND>(before.MainWindow), &pid);
        link.QuitAutoCAD();
        out("quit: pid " + std::to_string(pid));
        printHandles(link);
      } else if (step == "gone") {
        // Waits for every AutoCAD text window to disappear.
        need(1);
        const int seconds = std::atoi(a[i++].c_str());
        bool gone = false;
        for (int n = 0; n <= seconds * 10 && !gone; ++n) {
          acadlink::TfControl probe;
          gone = !probe.FindAutoCADByCaptions(acadlink::kPromptWord2004, acadlink::kTextWord2004) &&
                 !probe.FindAutoCADByCaptions(acadlink::kPromptWord2000, acadlink::kTextWord2000);
          if (!gone) Sleep(100);
        }
        out(std::string("gone: ") + (gone ? "yes" : "no"));
        if (!gone) status = 1;
      } else {
        out("unknown step: " + step);
        return 2;
      }
    }
  } catch (const std::exception& e) {
    out(std::string("error: ") + e.what());
    return 1;
  }
  return status;
}

// ---------------------------------------------------------------- the drop

// Drops files onto a window of another process, as the shell does: a
// DROPFILES block written into the target's memory, posted as the HDROP.
// The process of a window, opened to read and write its memory; null
// (and said) when it cannot be.
HANDLE openWindowProcess(HWND h, DWORD& pid) {
  GetWindowThreadProcessId(h, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ |
                                   PROCESS_QUERY_LIMITED_INFORMATION,
                               FALSE, pid);
  if (!process) out("OpenProcess failed: " + std::to_string(GetLastError()));
  return process;
}

int cmdDrop(const std::vector<std::string>& a) {
  if (a.size() < 2) return usage();
  HWND h = findTop(a[0], 10);
  if (!h) {
    out("not found: " + a[0]);
    return 1;
  }
  std::wstring names;
  for (size_t i = 1; i < a.size(); ++i) {
    names += W(a[i]);
    names += L'\0';
  }
  names += L'\0';
  std::vector<char> block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  auto* df = reinterpret_cast<DROPFILES*>(block.data());
  df->pFiles = sizeof(DROPFILES);
  df->pt = POINT{40, 40};
  df->fNC = FALSE;
  df->fWide = TRUE;
  std::memcpy(block.data() + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));

  DWORD pid = 0;
  HANDLE process = openWindowProcess(h, pid);
  if (!process) return 1;
  void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  SIZE_T written = 0;
  const bool ok = remote && WriteProcessMemory(process, remote, block.data(), block.size(), &written) &&
                  written == block.size();
  CloseHandle(process);
  if (!ok) {
    out("writing the drop block failed: " + std::to_string(GetLastError()));
    return 1;
  }
  // The target frees the block with DragFinish; the pages stay committed,
  // which costs one page per drop in a test.
  if (!PostMessageW(h, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0)) {
    out("PostMessage failed: " + std::to_string(GetLastError()));
    return 1;
  }
  out("dropped " + std::to_string(a.size() - 1) + " into pid " + std::to_string(pid));
  return 0;
}

// ---------------------------------------------------------------- tree view

// Whether the process runs 32-bit code while this driver is 64-bit: its
// records then have 4-byte pointers and handles, and must be laid out so.
bool narrowerThanUs(HANDLE process) {
  if (sizeof(void*) == 4) return false;
  BOOL wow = FALSE;
  return IsWow64Process(process, &wow) && wow;
}

// TVITEMW as a 32-bit program lays it out.
struct TvItem32 {
  UINT mask;
  DWORD hItem;
  UINT state;
  UINT stateMask;
  DWORD pszText;
  int cchTextMax;
  int iImage;
  int iSelectedImage;
  int cChildren;
  DWORD lParam;
};
static_assert(sizeof(TvItem32) == 40, "the 32-bit TVITEMW is 40 bytes");

// The items of the window's tree view, depth first. The item records and
// their texts are read through a block in the tree's own process, laid out
// for that process's bitness (the 32-bit program is driven from here too).
// The items of a tree, depth first, each text given by textOf.
void walkTree(HWND tree, HTREEITEM first, int depth, const std::function<std::string(HTREEITEM)>& textOf) {
  for (HTREEITEM i = first; i;
       i = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(i)))) {
    out(std::string(2 * depth, ' ') + textOf(i));
    walkTree(tree,
             reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(i))),
             depth + 1, textOf);
  }
}

// The texts without touching the tree's memory, for a process whose memory
// cannot be reached from here (one run under qemu's emulation, whose guest
// addresses are not those of the host process): each label is opened for
// editing, its edit box read with WM_GETTEXT, which the system carries
// across processes, and the edit cancelled. The selection and the style
// are put back.
int treeByLabels(HWND tree) {
  const auto selected = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
  // The tree opens a label for editing only with TVS_EDITLABELS, which the
  // program's tree has not: given for the read, taken back after it.
  const LONG_PTR style = GetWindowLongPtrW(tree, GWL_STYLE);
  SetWindowLongPtrW(tree, GWL_STYLE, style | TVS_EDITLABELS);
  int status = 0;
  walkTree(tree, reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), 0,
           [&](HTREEITEM item) {
             HWND edit = reinterpret_cast<HWND>(SendMessageW(tree, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(item)));
             if (!edit) {
               out("TVM_EDITLABELW failed");
               status = 1;
               return std::string("?");
             }
             // WM_GETTEXT itself: GetWindowText gives another process's edit
             // box its caption, which is not its text.
             wchar_t buf[1024] = {};
             const auto n = SendMessageW(edit, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf));
             const std::string text = U(std::wstring(buf, n > 0 && n < 1024 ? static_cast<size_t>(n) : 0));
             SendMessageW(tree, TVM_ENDEDITLABELNOW, TRUE, 0);
             return text;
           });
  SetWindowLongPtrW(tree, GWL_STYLE, style);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, selected);
  return status;
}

int cmdTree(const std::vector<std::string>& a) {
  if (a.size() < 1) return usage();
  HWND h = findTop(a[0], 10);
  HWND tree = nullptr;
  if (h)
    for (HWND c : childrenOf(h))
      if (classOf(c) == "SysTreeView32") tree = c;
  if (!tree) {
    out("no tree in: " + a[0]);
    return 1;
  }
  if (a.size() > 1 && a[1] == "labels") return treeByLabels(tree);
  DWORD pid = 0;
  HANDLE process = openWindowProcess(tree, pid);
  if (!process) return 1;
  const bool narrow = narrowerThanUs(process);
  const size_t record = narrow ? sizeof(TvItem32) : sizeof(TVITEMW);
  const size_t textChars = 1024;
  const size_t size = record + textChars * sizeof(wchar_t);
  auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!remote) out("VirtualAllocEx failed: " + std::to_string(GetLastError()));
  if (narrow && reinterpret_cast<uintptr_t>(remote) > 0xffffffffu) {
    out("the block in the 32-bit process lies above 4 GB");
    remote = nullptr;
  }
  int status = remote ? 0 : 1;
  char* const remoteText = remote + record;
  auto textOf = [&](HTREEITEM item) {
    TVITEMW it{};
    TvItem32 it32{};
    const void* rec = &it;
    if (narrow) {
      it32.mask = TVIF_TEXT;
      it32.hItem = static_cast<DWORD>(reinterpret_cast<uintptr_t>(item));
      it32.pszText = static_cast<DWORD>(reinterpret_cast<uintptr_t>(remoteText));
      it32.cchTextMax = static_cast<int>(textChars);
      rec = &it32;
    } else {
      it.mask = TVIF_TEXT;
      it.hItem = item;
      it.pszText = reinterpret_cast<wchar_t*>(remoteText);
      it.cchTextMax = static_cast<int>(textChars);
    }
    std::vector<wchar_t> text(textChars, L'\0');
    SIZE_T n = 0;
    if (!WriteProcessMemory(process, remote, rec, record, &n) || n != record) {
      out("writing the item record failed: " + std::to_string(GetLastError()));
      status = 1;
      return std::string("?");
    }
    if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote))) {
      out("TVM_GETITEMW failed");
      status = 1;
      return std::string("?");
    }
    if (!ReadProcessMemory(process, remoteText, text.data(), textChars * sizeof(wchar_t), &n)) {
      out("reading the item text failed: " + std::to_string(GetLastError()));
      status = 1;
      return std::string("?");
    }
    text.back() = L'\0';
    return U(std::wstring(text.data()));
  };
  if (remote) {
    walkTree(tree, reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), 0, textOf);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return status;
}

// ---------------------------------------------------------------- message boxes

struct BoxSearch {
  std::string text;
  HWND box = nullptr;
  std::string allText;
};

BOOL CALLBACK findBox(HWND h, LPARAM p) {
  auto* s = reinterpret_cast<BoxSearch*>(p);
  if (classOf(h) != "#32770" || !IsWindowVisible(h)) return TRUE;
  for (HWND c : childrenOf(h)) {
    const std::string t = titleOf(c);
    if (classOf(c) == "Static" && t.find(s->text) != std::string::npos) {
      s->box = h;
      s->allText = t;
      return FALSE;
    }
  }
  return TRUE;
}

// Waits for a dialog box showing a text and presses the button whose text
// begins with BUTTON ("はい" finds "はい(&Y)"), or else its OK button (or its
// only button).
int cmdWaitBox(const std::vector<std::string>& a) {
  if (a.size() < 1) return usage();
  const double seconds = a.size() > 1 ? std::atof(a[1].c_str()) : 60;
  const std::string button = a.size() > 2 ? a[2] : std::string();
  BoxSearch s;
  s.text = a[0];
  for (int i = 0; i <= static_cast<int>(seconds * 10) && !s.box; ++i) {
    EnumWindows(findBox, reinterpret_cast<LPARAM>(&s));
    if (!s.box) Sleep(100);
  }
  if (!s.box) {
    out("no box: " + a[0]);
    return 1;
  }
  out("box: " + titleOf(s.box) + "\t" + s.allText);
  if (!button.empty()) {
    HWND chosen = nullptr;
    for (HWND c : childrenOf(s.box))
      if (classOf(c) == "Button" && titleOf(c).rfind(button, 0) == 0) chosen = c;
    if (!chosen) {
      out("no button: " + button);
      return 1;
    }
    out("pressing: " + titleOf(chosen));
    PostMessageW(chosen, BM_CLICK, 0, 0);
    for (int i = 0; i < 100 && IsWindow(s.box); ++i) Sleep(100);
    return IsWindow(s.box) ? 1 : 0;
  }
  HWND ok = GetDlgItem(s.box, IDOK);
  if (!ok) {
    for (HWND c : childrenOf(s.box))
      if (classOf(c) == "Button") {
        ok = c;
        break;
      }
  }
  if (!ok) {
    out("no button in the box");
    return 1;
  }
  out("pressing: " + titleOf(ok));
  PostMessageW(ok, BM_CLICK, 0, 0);
  for (int i = 0; i < 100 && IsWindow(s.box); ++i) Sleep(100);
  return IsWindow(s.box) ? 1 : 0;
}

// ---------------------------------------------------------------- the file dialogs

// The file name field of a common file dialog: the explorer style's combo
// box, or the older style's edit.
HWND fileNameField(HWND dialog) {
  if (HWND c = GetDlgItem(dialog, 0x47c)) return c;  // cmb13
  return GetDlgItem(dialog, 0x480);                   // edt1
}

struct FileDialogSearch {
  HWND dialog = nullptr;
};

BOOL CALLBACK findFileDialog(HWND h, LPARAM p) {
  if (classOf(h) != "#32770" || !IsWindowVisible(h) || !fileNameField(h) || !GetDlgItem(h, IDOK)) return TRUE;
  reinterpret_cast<FileDialogSearch*>(p)->dialog = h;
  return FALSE;
}

std::string fieldText(HWND field) {
  wchar_t buf[4096];
  const LRESULT n = SendMessageW(field, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf));
  return U(std::wstring(buf, n > 0 ? static_cast<size_t>(n) : 0));
}

// Waits for a file dialog, prints its title and the name it proposes,
// types PATH as the file name and presses its OK button ("保存").
int cmdSaveAs(const std::vector<std::string>& a) {
  if (a.size() < 1) return usage();
  const double seconds = a.size() > 1 ? std::atof(a[1].c_str()) : 30;
  FileDialogSearch s;
  for (int i = 0; i <= static_cast<int>(seconds * 10) && !s.dialog; ++i) {
    EnumWindows(findFileDialog, reinterpret_cast<LPARAM>(&s));
    if (!s.dialog) Sleep(100);
  }
  if (!s.dialog) {
    out("no file dialog");
    return 1;
  }
  HWND field = fileNameField(s.dialog);
  // The dialog fills its field once it has started.
  std::string proposed;
  for (int i = 0; i < 20 && (proposed = fieldText(field)).empty(); ++i) Sleep(100);
  out("dialog: " + titleOf(s.dialog) + "\tproposed: " + proposed);
  const std::wstring path = W(a[0]);
  SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageW(GetDlgItem(s.dialog, IDOK), BM_CLICK, 0, 0);
  for (int i = 0; i < 100 && IsWindow(s.dialog); ++i) Sleep(100);
  if (IsWindow(s.dialog)) {
    out("the dialog is still open");
    return 1;
  }
  out("saved as " + a[0]);
  return 0;
}

// ---------------------------------------------------------------- controls by position

// The n-th (0-based) child of a class, in the order the window lists them.
HWND nthChild(HWND parent, const std::string& cls, int n) {
  for (HWND c : childrenOf(parent))
    if (classOf(c) == cls && n-- == 0) return c;
  return nullptr;
}

// Clicks the n-th button (0-based) showing a text: forms with four columns
// repeat their captions.
int cmdClickNth(const std::vector<std::string>& a) {
  if (a.size() < 3) return usage();
  HWND h = findTop(a[0], 10);
  if (!h) return 1;
  int n = std::atoi(a[2].c_str());
  for (HWND c : childrenOf(h)) {
    if (classOf(c) != "Button" || titleOf(c) != a[1] || n-- != 0) continue;
    PostMessageW(c, BM_CLICK, 0, 0);
    return 0;
  }
  out("no button: " + a[1] + " #" + a[2]);
  return 1;
}

// Chooses an item of the n-th combo box (0-based) as the user's choice
// does: the selection, then the change notice to its parent.
int cmdChoose(const std::vector<std::string>& a) {
  if (a.size() < 3) return usage();
  HWND h = findTop(a[0], 10);
  if (!h) return 1;
  HWND combo = nthChild(h, "ComboBox", std::atoi(a[1].c_str()));
  if (!combo) {
    out("no combo box #" + a[1]);
    return 1;
  }
  const std::wstring item = W(a[2]);
  const LRESULT i = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item.c_str()));
  if (i == CB_ERR) {
    out("no item: " + a[2]);
    return 1;
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
  SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  out("chose " + a[2]);
  return 0;
}

// ---------------------------------------------------------------- menus

// Sends a window the command a click on one of its menu items sends
// (posted, so that a modal dialog it opens does not hold the driver). Wine
// does not let another process read a window's menu, so the caller names
// the command's number: the program numbers its menu items from 1000 in
// the order of the menu.
int cmdMenuCommand(const std::vector<std::string>& a) {
  if (a.size() < 2) return usage();
  HWND h = findTop(a[0], 10);
  if (!h) {
    out("not found: " + a[0]);
    return 1;
  }
  const UINT id = static_cast<UINT>(std::atoi(a[1].c_str()));
  PostMessageW(h, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  out("command " + a[1]);
  return 0;
}

// ---------------------------------------------------------------- grids

HWND findGrid(const std::string& title) {
  HWND h = findTop(title, 10);
  if (!h) return nullptr;
  for (HWND c : childrenOf(h))
    if (classOf(c) == "KestrelGrid") return c;
  return nullptr;
}

// Asks the grid of a window to copy its table (WM_COPY, as a program that
// reads the grid would) and prints the clipboard's text, one row a line.
int cmdCopyGrid(const std::vector<std::string>& a) {
  if (a.size() < 1) return usage();
  HWND grid = findGrid(a[0]);
  if (!grid) {
    out("no grid in: " + a[0]);
    return 1;
  }
  SendMessageW(grid, WM_COPY, 0, 0);
  std::string text;
  for (int i = 0; i < 20 && text.empty(); ++i) {
    if (OpenClipboard(nullptr)) {
      if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
          text = U(p);
          GlobalUnlock(data);
        }
      }
      CloseClipboard();
    }
    if (text.empty()) Sleep(100);
  }
  if (text.empty()) {
    out("the clipboard holds no text");
    return 1;
  }
  for (size_t p; (p = text.find("\r\n")) != std::string::npos;) text.replace(p, 2, "\n");
  out(text);
  return 0;
}

// Clicks a row of a window's grid, in its second column: the column widths
// and row height are the caller's (pixels).
int cmdGridClick(const std::vector<std::string>& a) {
  if (a.size() < 4) return usage();
  HWND grid = findGrid(a[0]);
  if (!grid) {
    out("no grid in: " + a[0]);
    return 1;
  }
  const int row = std::atoi(a[1].c_str()), firstColumn = std::atoi(a[2].c_str()), rowHeight = std::atoi(a[3].c_str());
  // Cells are separated by one-pixel lines.
  const int x = firstColumn + 1 + 5, y = row * (rowHeight + 1) + rowHeight / 2;
  const LPARAM at = MAKELPARAM(x, y);
  SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(grid, WM_LBUTTONUP, 0, at);
  out("clicked row " + a[1]);
  return 0;
}

// Unpacks an archive with the program's engine; prints the outcome, one
// line per written or refused file.
int cmdExtract(const std::vector<std::string>& a) {
  if (a.size() < 2) return usage();
  const drawings::ExtractOutcome r = drawings::ExtractAll(a[0], a[1], !(a.size() > 2 && a[2] == "flat"));
  // The code pages too: the names must not depend on them.
  out(std::string("complete=") + (r.complete ? "1" : "0") + "\treason=" + r.reason +
      "\tacp=" + std::to_string(GetACP()) + "\toemcp=" + std::to_string(GetOEMCP()));
  for (const std::string& w : r.written) out("written\t" + w);
  for (const std::string& f : r.refused) out("refused\t" + f);
  return r.complete ? 0 : 1;
}

// ---------------------------------------------------------------- automation

std::string valueText(const platform::AutoValue& v) {
  if (std::holds_alternative<std::monostate>(v)) return "(empty)";
  if (const bool* b = std::get_if<bool>(&v)) return *b ? "(true)" : "(false)";
  if (const int* i = std::get_if<int>(&v)) return "(int)" + std::to_string(*i);
  return std::get<std::string>(v);
}

// A member use on a bare IDispatch, the arguments given last first as
// IDispatch takes them; an AutomationError when it fails.
VARIANT rawInvoke(IDispatch* d, const wchar_t* member, WORD flags, std::vector<VARIANT> args = {}) {
  LPOLESTR names[1] = {const_cast<LPOLESTR>(member)};
  DISPID id = 0;
  HRESULT hr = d->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) throw platform::AutomationError(U(member) + ": GetIDsOfNames " + std::to_string(hr));
  DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(args.size()), 0};
  VARIANT result;
  VariantInit(&result);
  hr = d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, nullptr, nullptr);
  if (FAILED(hr)) throw platform::AutomationError(U(member) + ": Invoke " + std::to_string(hr));
  return result;
}

// Cells with both arguments passed by reference to variants, as some
// clients pass them: the server must look through the reference.
std::string byRefCellsAddress(const std::string& progId) {
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(W(progId).c_str(), &clsid))) throw platform::AutomationError("CLSIDFromProgID");
  IDispatch* app = nullptr;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(&app))))
    throw platform::AutomationError("CoCreateInstance");
  VARIANT sheet = rawInvoke(app, L"ActiveSheet", DISPATCH_PROPERTYGET);
  std::string text;
  if (sheet.vt == VT_DISPATCH && sheet.pdispVal) {
    VARIANT row, column;
    VariantInit(&row);
    VariantInit(&column);
    row.vt = VT_I4;
    row.lVal = 4;
    column.vt = VT_BSTR;
    column.bstrVal = SysAllocString(L"aa");
    std::vector<VARIANT> args(2);
    args[0].vt = VT_BYREF | VT_VARIANT;  // the column: last argument first
    args[0].pvarVal = &column;
    args[1].vt = VT_BYREF | VT_VARIANT;
    args[1].pvarVal = &row;
    try {
      VARIANT cell = rawInvoke(sheet.pdispVal, L"Cells", DISPATCH_PROPERTYGET | DISPATCH_METHOD, args);
      if (cell.vt == VT_DISPATCH && cell.pdispVal) {
        VARIANT address = rawInvoke(cell.pdispVal, L"Address", DISPATCH_PROPERTYGET);
        if (address.vt == VT_BSTR) text = U(std::wstring(address.bstrVal, SysStringLen(address.bstrVal)));
        VariantClear(&address);
      }
      VariantClear(&cell);
    } catch (...) {
      VariantClear(&column);
      VariantClear(&sheet);
      app->Release();
      throw;
    }
    VariantClear(&column);
  }
  VariantClear(&sheet);
  app->Release();
  return text;
}

// Drives a spreadsheet server through the program's own automation backend
// and prints what each use gave back, "use=result" a line; failures print
// their error text. The workbook stays invisible, so the server can go
// once the references are released.
int cmdExcelCheck(const std::vector<std::string>& a) {
  platform::win32::Win32Platform win;
  const std::string progId = a.empty() ? "Excel.Application" : a[0];
  auto attempt = [](const std::string& use, auto&& f) {
    try {
      out(use + "=" + f());
    } catch (const platform::AutomationError& e) {
      out(use + "!" + e.what());
    }
  };
  try {
    auto excel = win.automation.create(progId);
    auto app = excel->call("Application").object();
    excel.reset();
    attempt("Visible", [&] { return valueText(app->get("Visible").value()); });
    attempt("NoActiveSheet", [&] { return app->call("ActiveSheet").isObject() ? "object" : "nothing"; });
    auto book = app->call("WorkBooks").object()->call("Add").object();
    attempt("Name", [&] { return valueText(book->get("name").value()); });
    auto sheet = app->call("ActiveSheet").object();
    auto text = sheet->get("Cells", {1, std::string("a")}).object();
    text->put("NumberFormatLocal", std::string("@"));
    text->put("Value", std::string("1/100"));
    attempt("A1.Value", [&] { return valueText(text->get("Value").value()); });
    attempt("A1.NumberFormatLocal", [&] { return valueText(text->get("NumberFormatLocal").value()); });
    auto number = sheet->get("Cells", {2, 9}).object();
    number->put("Value", std::string("100"));
    attempt("I2.Value", [&] { return valueText(number->get("Value").value()); });
    attempt("I2.Address", [&] { return valueText(number->get("Address").value()); });
    auto japanese = sheet->get("Cells", {3, std::string("B")}).object();
    japanese->put("Value", std::string("図面名"));
    attempt("B3.Text", [&] { return valueText(japanese->get("Text").value()); });
    attempt("Unknown", [&] { return valueText(sheet->get("NoSuchMember").value()); });
    attempt("BadColumn", [&] { return valueText(sheet->get("Cells", {1, std::string("a1")}).value()); });
    attempt("BadCount", [&] { return valueText(sheet->get("Cells", {1}).value()); });
    attempt("ByRefCells", [&] { return byRefCellsAddress(progId); });
  } catch (const platform::AutomationError& e) {
    out(std::string("error: ") + e.what());
    return 1;
  }
  return 0;
}

// Fills ROWS rows of nine text cells as the scale check window does (a
// format put and a value put per cell, each on a fresh Cells object) and
// prints where the time went, in milliseconds: starting the server, each
// kind of use, and a bare name lookup and property read for comparison.
int cmdExcelFill(const std::vector<std::string>& a) {
  if (a.size() < 1) return usage();
  const int rows = std::atoi(a[0].c_str());
  platform::win32::Win32Platform win;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  auto now = [] {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
  };
  auto ms = [&](long long ticks) { return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency.QuadPart); };
  try {
    long long t = now();
    auto excel = win.automation.create("Excel.Application");
    const long long created = now() - t;
    t = now();
    auto app = excel->call("Application").object();
    // "hidden" leaves the book unshown, to tell the server's drawing apart.
    app->put("Visible", !(a.size() > 1 && a[1] == "hidden"));
    app->call("WorkBooks").object()->call("Add");
    auto sheet = app->call("ActiveSheet").object();
    const long long opened = now() - t;
    long long cells = 0, formats = 0, values = 0, releases = 0;
    const long long start = now();
    for (int r = 1; r <= rows; ++r) {
      for (int c = 0; c < 9; ++c) {
        const platform::AutoArgs at = {r, std::string(1, static_cast<char>('a' + c))};
        for (int use = 0; use < 2; ++use) {
          t = now();
          auto cell = sheet->get("Cells", at).object();
          cells += now() - t;
          t = now();
          if (use == 0) cell->put("NumberFormatLocal", std::string("@"));
          else cell->put("Value", "r" + std::to_string(r) + "c" + std::to_string(c));
          (use == 0 ? formats : values) += now() - t;
          t = now();
          cell.reset();
          releases += now() - t;
        }
      }
    }
    const long long total = now() - start;
    // The same number of bare reads of one property, for the cost of a
    // round trip with its name lookup.
    t = now();
    for (int i = 0; i < rows * 9; ++i) app->get("Visible");
    const long long reads = now() - t;
    char line[512];
    std::snprintf(line, sizeof line,
                  "rows=%d cells=%d\ncreate_ms=%.1f\nopen_book_ms=%.1f\ntransfer_ms=%.1f\n"
                  "  cells_get_ms=%.1f (%d uses, %.3f each)\n  format_put_ms=%.1f\n  value_put_ms=%.1f\n"
                  "  release_ms=%.1f\nsame_number_of_Visible_reads_ms=%.1f (%.3f each)",
                  rows, rows * 9, ms(created), ms(opened), ms(total), ms(cells), rows * 18,
                  ms(cells) / (rows * 18), ms(formats), ms(values), ms(releases), ms(reads), ms(reads) / (rows * 9));
    out(line);
  } catch (const platform::AutomationError& e) {
    out(std::string("error: ") + e.what());
    return 1;
  }
  return 0;
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
  if (cmd == "cp932-check") return cmdCp932Check(args);
  if (cmd == "link") return cmdLink(args);
  if (cmd == "drop") return cmdDrop(args);
  if (cmd == "wait-box") return cmdWaitBox(args);
  if (cmd == "copy-grid") return cmdCopyGrid(args);
  if (cmd == "menu-command") return cmdMenuCommand(args);
  if (cmd == "click-nth") return cmdClickNth(args);
  if (cmd == "choose") return cmdChoose(args);
  if (cmd == "grid-click") return cmdGridClick(args);
  if (cmd == "tree") return cmdTree(args);
  if (cmd == "extract") return cmdExtract(args);
  if (cmd == "excel-check") return cmdExcelCheck(args);
  if (cmd == "save-as") return cmdSaveAs(args);
  if (cmd == "excel-fill") return cmdExcelFill(args);
  return usage();
}
