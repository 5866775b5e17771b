// excelsim.exe: the spreadsheet stand-in, an out-of-process automation
// server registered as "Excel.Application", as the spreadsheet is.
//
//   excelsim.exe [-Embedding | /Automation]   started by COM for a client
//   excelsim.exe /regserver | /unregserver    (un)registers this exe under
//                                              HKCU and HKLM Software\Classes
//   excelsim.exe                               a window with an empty book
//
// Objects: Application, Workbooks, Workbook, Worksheet and Range, each an
// IDispatch written by hand (no type library), so clients reach them by
// name only. Names are found without regard to case. Application.Visible
// shows or hides the window, which lists the active book's cells.
//
// Every put of a cell's value appends the cell to the journal (one line,
// excelsim::journalLine, UTF-8): the file named by KESTREL_EXCELSIM_JOURNAL,
// or excelsim-journal.txt beside the exe. With KESTREL_EXCELSIM_TIMES set,
// each line ends with a tab and the system time in milliseconds since 1970.
//
// Lifetime: the process ends once no object is held and its window is not
// showing; a window the user closes while a client holds objects is hidden
// and the process goes with the last release.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <oleauto.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <memory>
#include <string>
#include <vector>

#include "base/codec.h"
#include "excelsim/sheet.h"

namespace {

// {6B1E5C2A-3F47-4D8E-9A1B-52C7E0D4F913}
constexpr CLSID kClsid = {0x6b1e5c2a, 0x3f47, 0x4d8e, {0x9a, 0x1b, 0x52, 0xc7, 0xe0, 0xd4, 0xf9, 0x13}};
constexpr wchar_t kClsidText[] = L"{6B1E5C2A-3F47-4D8E-9A1B-52C7E0D4F913}";
constexpr wchar_t kProgId[] = L"Excel.Application";
constexpr wchar_t kWindowClass[] = L"KestrelExcelSim";
// The spreadsheet's own error for a reference or argument it refuses.
constexpr HRESULT kSheetError = static_cast<HRESULT>(0x800A03EC);

std::wstring W(std::string_view utf8) {
  const std::u16string w = base::utf8ToUtf16(utf8);
  return std::wstring(reinterpret_cast<const wchar_t*>(w.data()), w.size());
}

std::string U(const wchar_t* text, size_t n) {
  return base::utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), n));
}

std::u16string u16(const wchar_t* text) {
  const std::wstring_view v(text ? text : L"");
  return std::u16string(reinterpret_cast<const char16_t*>(v.data()), v.size());
}

struct Book {
  std::string name;
  excelsim::Sheet sheet;
};

struct Server {
  HINSTANCE instance = nullptr;
  HWND window = nullptr, list = nullptr;
  HFONT font = nullptr;
  std::vector<std::shared_ptr<Book>> books;
  std::shared_ptr<Book> active;
  int nextBook = 1;
  int shownColumns = 0;  // grid columns A.. the list has
  LONG live = 0;         // automation objects alive
  LONG locks = 0;        // IClassFactory::LockServer
  bool quitting = false;
  HANDLE journal = INVALID_HANDLE_VALUE;
  bool journalTimes = false;
};
Server g;

// ---------------------------------------------------------------- the window

void quitWhenUnused() {
  if (g.quitting || g.live > 0 || g.locks > 0 || (g.window && IsWindowVisible(g.window))) return;
  g.quitting = true;
  PostQuitMessage(0);
}

void setTitle() {
  const std::string title = (g.active ? g.active->name + " - " : std::string()) + "excelsim";
  SetWindowTextW(g.window, W(title).c_str());
}

void ensureColumns(int columns) {
  for (; g.shownColumns < columns; ++g.shownColumns) {
    std::wstring name = W(excelsim::columnLetters(g.shownColumns + 1));
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    c.fmt = LVCFMT_LEFT;
    c.cx = 96;
    c.pszText = name.data();
    SendMessageW(g.list, LVM_INSERTCOLUMNW, g.shownColumns + 1, reinterpret_cast<LPARAM>(&c));
  }
}

void ensureRows(int rows) {
  for (int n = static_cast<int>(SendMessageW(g.list, LVM_GETITEMCOUNT, 0, 0)); n < rows; ++n) {
    std::wstring number = std::to_wstring(n + 1);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = n;
    item.pszText = number.data();
    SendMessageW(g.list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
}

void showCell(const Book& book, int row, int column) {
  if (g.active.get() != &book || !g.list) return;
  ensureColumns(column);
  ensureRows(row);
  const excelsim::Cell* cell = book.sheet.find(row, column);
  std::wstring text = W(cell ? excelsim::displayText(*cell) : std::string());
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text.data();
  SendMessageW(g.list, LVM_SETITEMTEXTW, row - 1, reinterpret_cast<LPARAM>(&item));
}

void showActiveBook() {
  if (!g.list) return;
  SendMessageW(g.list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(g.list, LVM_DELETEALLITEMS, 0, 0);
  // A fresh book shows the first columns and rows, as the spreadsheet's grid does.
  ensureColumns(9);
  ensureRows(20);
  if (g.active)
    for (const auto& [at, cell] : g.active->sheet.cells()) showCell(*g.active, at.first, at.second);
  SendMessageW(g.list, WM_SETREDRAW, TRUE, 0);
  setTitle();
}

LRESULT CALLBACK windowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      if (g.list) MoveWindow(g.list, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      return 0;
    case WM_CLOSE:
      // Closed by the user: gone from the screen at once, gone from memory
      // when no client holds it any more.
      ShowWindow(h, SW_HIDE);
      quitWhenUnused();
      return 0;
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

bool createWindow() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = windowProc;
  wc.hInstance = g.instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&wc)) return false;
  g.window = CreateWindowExW(0, kWindowClass, L"excelsim", WS_OVERLAPPEDWINDOW, 60, 60, 1000, 560, nullptr, nullptr,
                             g.instance, nullptr);
  if (!g.window) return false;
  RECT rc;
  GetClientRect(g.window, &rc);
  g.list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOSORTHEADER, 0, 0,
                           rc.right, rc.bottom, g.window, nullptr, g.instance, nullptr);
  if (!g.list) return false;
  SendMessageW(g.list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  g.font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS UI Gothic");
  if (g.font) SendMessageW(g.list, WM_SETFONT, reinterpret_cast<WPARAM>(g.font), FALSE);
  // The row numbers' column.
  LVCOLUMNW c{};
  c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  c.fmt = LVCFMT_RIGHT;
  c.cx = 44;
  c.pszText = const_cast<wchar_t*>(L"");
  SendMessageW(g.list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&c));
  return true;
}

// ---------------------------------------------------------------- the model

std::shared_ptr<Book> addBook() {
  auto book = std::make_shared<Book>();
  book->name = "Book" + std::to_string(g.nextBook++);
  g.books.push_back(book);
  g.active = book;
  showActiveBook();
  return book;
}

void journalCell(const Book& book, int row, int column) {
  if (g.journal == INVALID_HANDLE_VALUE) return;
  std::string line = excelsim::journalLine(book.name, row, column, *book.sheet.find(row, column));
  if (g.journalTimes) {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const unsigned long long t = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    line += '\t' + std::to_string((t - 116444736000000000ULL) / 10000);
  }
  line += '\n';
  DWORD written = 0;
  WriteFile(g.journal, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void openJournal() {
  wchar_t path[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableW(L"KESTREL_EXCELSIM_JOURNAL", path, MAX_PATH * 2);
  std::wstring file;
  if (n > 0 && n < MAX_PATH * 2) {
    file.assign(path, n);
  } else {
    n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    file.assign(path, n);
    file = file.substr(0, file.find_last_of(L"\\/") + 1) + L"excelsim-journal.txt";
  }
  g.journal = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  g.journalTimes = GetEnvironmentVariableW(L"KESTREL_EXCELSIM_TIMES", path, 4) > 0;
}

// ---------------------------------------------------------------- IDispatch

// What a member gives back or is given.
class Args {
 public:
  explicit Args(DISPPARAMS* p) : p_(p) {}
  // Positional arguments, in the caller's order (DISPPARAMS holds them last first, after the named ones).
  UINT count() const { return p_ ? p_->cArgs - p_->cNamedArgs : 0; }
  VARIANT* at(UINT i) const { return deref(&p_->rgvarg[p_->cArgs - 1 - i]); }
  // The value of a property put: the named argument DISPID_PROPERTYPUT.
  VARIANT* putValue() const {
    if (!p_) return nullptr;
    for (UINT i = 0; i < p_->cNamedArgs; ++i)
      if (p_->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT) return deref(&p_->rgvarg[i]);
    return nullptr;
  }
  // Where argument i is in rgvarg, for puArgErr.
  UINT slot(UINT i) const { return p_->cArgs - 1 - i; }

 private:
  static VARIANT* deref(VARIANT* v) {
    while (v && v->vt == (VT_BYREF | VT_VARIANT)) v = v->pvarVal;
    return v;
  }
  DISPPARAMS* p_;
};

// A failed member use, turned into Invoke's result.
struct Failure {
  HRESULT hr;
  std::string description;  // for DISP_E_EXCEPTION
  UINT argError = 0;
};

Failure sheetError(const std::string& text) { return {DISP_E_EXCEPTION, text}; }

long intArg(const Args& args, UINT i) {
  VARIANT v;
  VariantInit(&v);
  if (FAILED(VariantChangeType(&v, args.at(i), 0, VT_I4))) throw Failure{DISP_E_TYPEMISMATCH, {}, args.slot(i)};
  return v.lVal;
}

std::string textArg(VARIANT* in, UINT slot) {
  VARIANT v;
  VariantInit(&v);
  if (!in || FAILED(VariantChangeType(&v, in, 0, VT_BSTR))) throw Failure{DISP_E_TYPEMISMATCH, {}, slot};
  std::string text = v.bstrVal ? U(v.bstrVal, SysStringLen(v.bstrVal)) : std::string();
  VariantClear(&v);
  return text;
}

bool boolArg(VARIANT* in, UINT slot) {
  VARIANT v;
  VariantInit(&v);
  if (!in || FAILED(VariantChangeType(&v, in, 0, VT_BOOL))) throw Failure{DISP_E_TYPEMISMATCH, {}, slot};
  return v.boolVal != VARIANT_FALSE;
}

void setText(VARIANT* out, const std::string& text) {
  if (!out) return;
  const std::wstring w = W(text);
  out->vt = VT_BSTR;
  out->bstrVal = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
}

void setBool(VARIANT* out, bool b) {
  if (!out) return;
  out->vt = VT_BOOL;
  out->boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
}

void setInt(VARIANT* out, long n) {
  if (!out) return;
  out->vt = VT_I4;
  out->lVal = n;
}

// Hands over the object's only reference to the result (or drops it).
void setObject(VARIANT* out, IDispatch* object) {
  if (!out) {
    object->Release();
    return;
  }
  out->vt = VT_DISPATCH;
  out->pdispVal = object;
}

enum Use { Get = 1, Call = 2, Put = 4 };

class Object : public IDispatch {
 public:
  explicit Object(const excelsim::MemberTable& members) : members_(members) { ++g.live; }
  virtual ~Object() {
    --g.live;
    quitWhenUnused();
  }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0) return E_INVALIDARG;
    // No member takes named arguments.
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
      const auto id = i == 0 ? members_.find(u16(names[0])) : std::nullopt;
      ids[i] = id ? static_cast<DISPID>(*id) : DISPID_UNKNOWN;
      if (!id) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* excep, UINT* argError) override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!members_.nameOf(id)) return DISP_E_MEMBERNOTFOUND;
    if (result) VariantInit(result);
    int use = 0;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
      use = Put;
    } else {
      if (flags & DISPATCH_PROPERTYGET) use |= Get;
      if (flags & DISPATCH_METHOD) use |= Call;
    }
    if (use == 0) return E_INVALIDARG;
    const Args args(params);
    if (use == Put && !args.putValue()) return DISP_E_PARAMNOTOPTIONAL;
    if (use != Put && params && params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
    try {
      return invoke(id, use, args, result);
    } catch (const Failure& f) {
      if (result) VariantClear(result);
      if (f.hr == DISP_E_TYPEMISMATCH || f.hr == DISP_E_PARAMNOTFOUND) {
        if (argError) *argError = f.argError;
      } else if (f.hr == DISP_E_EXCEPTION && excep) {
        *excep = EXCEPINFO{};
        excep->bstrSource = SysAllocString(L"excelsim");
        const std::wstring d = W(f.description);
        excep->bstrDescription = SysAllocStringLen(d.data(), static_cast<UINT>(d.size()));
        excep->scode = kSheetError;
      }
      return f.hr;
    } catch (...) {
      // Nothing may leave a COM method.
      if (result) VariantClear(result);
      return E_UNEXPECTED;
    }
  }

 protected:
  // S_OK, or DISP_E_MEMBERNOTFOUND for a use the member has not.
  virtual HRESULT invoke(DISPID id, int use, const Args& args, VARIANT* result) = 0;

  static void needArgs(const Args& args, UINT least, UINT most) {
    if (args.count() < least || args.count() > most) throw Failure{DISP_E_BADPARAMCOUNT, {}, 0};
  }

 private:
  LONG refs_ = 1;
  const excelsim::MemberTable& members_;
};

IDispatch* newApplication();

// ---------------------------------------------------------------- Range

const excelsim::MemberTable kRangeMembers({{"Value", DISPID_VALUE},
                                          {"NumberFormatLocal", 1},
                                          {"NumberFormat", 2},
                                          {"Text", 3},
                                          {"Row", 4},
                                          {"Column", 5},
                                          {"Address", 6},
                                          {"Application", 7}});

class Range : public Object {
 public:
  Range(std::shared_ptr<Book> book, int row, int column)
      : Object(kRangeMembers), book_(std::move(book)), row_(row), column_(column) {}

 protected:
  HRESULT invoke(DISPID id, int use, const Args& args, VARIANT* result) override {
    const excelsim::Cell* cell = book_->sheet.find(row_, column_);
    switch (id) {
      case DISPID_VALUE:
        if (use == Put) {
          putValue(args.putValue());
          return S_OK;
        }
        needArgs(args, 0, 1);  // Value(RangeValueDataType)
        if (!cell || cell->kind == excelsim::Cell::Kind::Empty || !result) return S_OK;
        if (cell->kind == excelsim::Cell::Kind::Text) {
          setText(result, cell->text);
        } else if (cell->kind == excelsim::Cell::Kind::Boolean) {
          setBool(result, cell->number != 0);
        } else {
          result->vt = VT_R8;
          result->dblVal = cell->number;
        }
        return S_OK;
      case 1:
      case 2:
        if (use == Put) {
          book_->sheet.at(row_, column_).format = textArg(args.putValue(), 0);
          return S_OK;
        }
        setText(result, cell ? cell->format : excelsim::kGeneralFormat);
        return S_OK;
      case 3:
        if (use == Put) return DISP_E_MEMBERNOTFOUND;
        setText(result, cell ? excelsim::displayText(*cell) : std::string());
        return S_OK;
      case 4:
      case 5:
        if (use == Put) return DISP_E_MEMBERNOTFOUND;
        setInt(result, id == 4 ? row_ : column_);
        return S_OK;
      case 6:
        if (use == Put) return DISP_E_MEMBERNOTFOUND;
        setText(result, "$" + excelsim::columnLetters(column_) + "$" + std::to_string(row_));
        return S_OK;
      case 7:
        if (use == Put) return DISP_E_MEMBERNOTFOUND;
        setObject(result, newApplication());
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  void putValue(VARIANT* v) {
    excelsim::Cell& cell = book_->sheet.at(row_, column_);
    switch (v->vt) {
      case VT_EMPTY:
      case VT_NULL:
        excelsim::clear(cell);
        break;
      case VT_BOOL:
        excelsim::enterBoolean(cell, v->boolVal != VARIANT_FALSE);
        break;
      case VT_BSTR:
        excelsim::enterText(cell, textArg(v, 0));
        break;
      default: {
        VARIANT n;
        VariantInit(&n);
        if (FAILED(VariantChangeType(&n, v, 0, VT_R8))) throw Failure{DISP_E_TYPEMISMATCH, {}, 0};
        excelsim::enterNumber(cell, n.dblVal);
      }
    }
    showCell(*book_, row_, column_);
    journalCell(*book_, row_, column_);
  }

  std::shared_ptr<Book> book_;
  int row_, column_;
};

// ---------------------------------------------------------------- Worksheet

const excelsim::MemberTable kSheetMembers({{"Name", 1}, {"Cells", 2}, {"Range", 3}, {"Application", 4}});

class Worksheet : public Object {
 public:
  explicit Worksheet(std::shared_ptr<Book> book) : Object(kSheetMembers), book_(std::move(book)) {}

 protected:
  HRESULT invoke(DISPID id, int use, const Args& args, VARIANT* result) override {
    if (use == Put) return DISP_E_MEMBERNOTFOUND;
    switch (id) {
      case 1:
        setText(result, book_->sheet.name());
        return S_OK;
      case 2: {
        // Cells(row, column): the column as a number or as its letters.
        needArgs(args, 2, 2);
        const long row = intArg(args, 0);
        long column = 0;
        VARIANT* c = args.at(1);
        if (c->vt == VT_BSTR || c->vt == (VT_BYREF | VT_BSTR)) {
          const std::string letters = textArg(c, args.slot(1));
          const auto n = excelsim::columnNumber(letters);
          if (!n) throw sheetError("列 \"" + letters + "\" はありません。");
          column = *n;
        } else {
          column = intArg(args, 1);
        }
        if (row < 1 || row > excelsim::kMaxRow || column < 1 || column > excelsim::kMaxColumn)
          throw sheetError("セル (" + std::to_string(row) + ", " + std::to_string(column) + ") はシートの外です。");
        setObject(result, new Range(book_, static_cast<int>(row), static_cast<int>(column)));
        return S_OK;
      }
      case 3: {
        needArgs(args, 1, 1);
        const std::string a1 = textArg(args.at(0), args.slot(0));
        const auto at = excelsim::parseAddress(a1);
        if (!at) throw sheetError("参照 \"" + a1 + "\" が正しくありません。");
        setObject(result, new Range(book_, at->row, at->column));
        return S_OK;
      }
      case 4:
        setObject(result, newApplication());
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  std::shared_ptr<Book> book_;
};

// ---------------------------------------------------------------- Workbook

const excelsim::MemberTable kBookMembers({{"Name", 1}, {"ActiveSheet", 2}, {"Application", 3}});

class Workbook : public Object {
 public:
  explicit Workbook(std::shared_ptr<Book> book) : Object(kBookMembers), book_(std::move(book)) {}

 protected:
  HRESULT invoke(DISPID id, int use, const Args& args, VARIANT* result) override {
    if (use == Put) return DISP_E_MEMBERNOTFOUND;
    switch (id) {
      case 1:
        setText(result, book_->name);
        return S_OK;
      case 2:
        setObject(result, new Worksheet(book_));
        return S_OK;
      case 3:
        setObject(result, newApplication());
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  std::shared_ptr<Book> book_;
};

// ---------------------------------------------------------------- Workbooks

const excelsim::MemberTable kBooksMembers({{"Item", DISPID_VALUE}, {"Add", 1}, {"Count", 2}, {"Application", 3}});

class Workbooks : public Object {
 public:
  Workbooks() : Object(kBooksMembers) {}

 protected:
  HRESULT invoke(DISPID id, int use, const Args& args, VARIANT* result) override {
    if (use == Put) return DISP_E_MEMBERNOTFOUND;
    switch (id) {
      case DISPID_VALUE: {
        needArgs(args, 1, 1);
        const long i = intArg(args, 0);
        if (i < 1 || i > static_cast<long>(g.books.size())) throw sheetError("ブックの番号が範囲外です。");
        setObject(result, new Workbook(g.books[i - 1]));
        return S_OK;
      }
      case 1:
        // Add([Template]): a template is not known here.
        needArgs(args, 0, 1);
        if (args.count() == 1 && args.at(0)->vt != VT_ERROR && args.at(0)->vt != VT_EMPTY)
          throw sheetError("テンプレートからのブックは作れません。");
        setObject(result, new Workbook(addBook()));
        return S_OK;
      case 2:
        setInt(result, static_cast<long>(g.books.size()));
        return S_OK;
      case 3:
        setObject(result, newApplication());
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }
};

// ---------------------------------------------------------------- Application

const excelsim::MemberTable kAppMembers({{"Application", 1},
                                        {"Visible", 2},
                                        {"Workbooks", 3},
                                        {"ActiveSheet", 4},
                                        {"ActiveWorkbook", 5},
                                        {"Name", 6},
                                        {"Quit", 7}});

class Application : public Object {
 public:
  Application() : Object(kAppMembers) {}

 protected:
  HRESULT invoke(DISPID id, int use, const Args& args, VARIANT* result) override {
    if (id == 2) {
      if (use == Put) {
        const bool visible = boolArg(args.putValue(), 0);
        ShowWindow(g.window, visible ? SW_SHOWNORMAL : SW_HIDE);
        if (visible) SetForegroundWindow(g.window);
        else quitWhenUnused();
        return S_OK;
      }
      setBool(result, IsWindowVisible(g.window) != FALSE);
      return S_OK;
    }
    if (use == Put) return DISP_E_MEMBERNOTFOUND;
    switch (id) {
      case 1:
        AddRef();
        setObject(result, this);
        return S_OK;
      case 3:
        setObject(result, new Workbooks());
        return S_OK;
      case 4:
      case 5:
        // Nothing while no book is open, as the spreadsheet gives.
        if (!g.active) return S_OK;
        setObject(result, id == 4 ? static_cast<IDispatch*>(new Worksheet(g.active)) : new Workbook(g.active));
        return S_OK;
      case 6:
        setText(result, "excelsim");
        return S_OK;
      case 7:
        // Quit: the window goes; the process with the last reference.
        ShowWindow(g.window, SW_HIDE);
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }
};

IDispatch* newApplication() { return new Application(); }

// ---------------------------------------------------------------- the class factory

class Factory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // One static factory for the process's life.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    IDispatch* app = newApplication();
    const HRESULT hr = app->QueryInterface(riid, out);
    app->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      ++g.locks;
    } else {
      --g.locks;
      quitWhenUnused();
    }
    return S_OK;
  }
};

// ---------------------------------------------------------------- registration

bool setKey(HKEY root, const std::wstring& path, const std::wstring& value) {
  HKEY key;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const LONG r = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return r == ERROR_SUCCESS;
}

// Under the user's classes and the machine's: the machine's need an
// administrator on Windows, and Wine's class lookup reads only those.
int registerServer(bool on) {
  wchar_t exe[MAX_PATH * 2];
  const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH * 2);
  const std::wstring command = L"\"" + std::wstring(exe, n) + L"\"";
  const std::wstring clsidKey = std::wstring(L"Software\\Classes\\CLSID\\") + kClsidText;
  const std::wstring progKey = std::wstring(L"Software\\Classes\\") + kProgId;
  bool any = false;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    if (on) {
      any |= setKey(root, progKey, L"excelsim") && setKey(root, progKey + L"\\CLSID", kClsidText) &&
             setKey(root, clsidKey, L"excelsim Application") &&
             setKey(root, clsidKey + L"\\LocalServer32", command) && setKey(root, clsidKey + L"\\ProgID", kProgId);
    } else {
      const LONG a = SHDeleteKeyW(root, progKey.c_str());
      const LONG b = SHDeleteKeyW(root, clsidKey.c_str());
      any |= (a == ERROR_SUCCESS || a == ERROR_FILE_NOT_FOUND) && (b == ERROR_SUCCESS || b == ERROR_FILE_NOT_FOUND);
    }
  }
  return any ? 0 : 1;
}

bool hasSwitch(const wchar_t* commandLine, const wchar_t* name) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(commandLine, &argc);
  bool found = false;
  for (int i = 1; argv && i < argc && !found; ++i) {
    const wchar_t* a = argv[i];
    if (*a == L'-' || *a == L'/') found = lstrcmpiW(a + 1, name) == 0;
  }
  LocalFree(argv);
  return found;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  const wchar_t* commandLine = GetCommandLineW();
  if (hasSwitch(commandLine, L"regserver")) return registerServer(true);
  if (hasSwitch(commandLine, L"unregserver")) return registerServer(false);
  const bool embedded = hasSwitch(commandLine, L"Embedding") || hasSwitch(commandLine, L"Automation");

  g.instance = instance;
  if (FAILED(CoInitialize(nullptr))) return 1;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  if (!createWindow()) return 1;
  openJournal();

  static Factory factory;
  DWORD cookie = 0;
  if (embedded) {
    // Started for a client: no book and no window until it asks, as the
    // spreadsheet does.
    if (FAILED(CoRegisterClassObject(kClsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie))) return 1;
    setTitle();
  } else {
    addBook();
    ShowWindow(g.window, show);
  }

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (cookie) CoRevokeClassObject(cookie);
  DestroyWindow(g.window);
  g.books.clear();
  g.active.reset();
  if (g.journal != INVALID_HANDLE_VALUE) CloseHandle(g.journal);
  if (g.font) DeleteObject(g.font);
  CoUninitialize();
  return 0;
}
