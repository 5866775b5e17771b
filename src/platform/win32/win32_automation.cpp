#include "platform/win32/win32_automation.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <map>

#include "platform/win32/win32_text.h"

namespace platform {

namespace {

std::string bstrText(BSTR b) { return b ? win32text::narrow(b, SysStringLen(b)) : std::string(); }

// The system's words for an HRESULT, or its number when it has none.
std::string resultText(HRESULT hr) {
  wchar_t* buf = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
  std::string text;
  if (n && buf) {
    std::wstring w(buf, n);
    while (!w.empty() && (w.back() == L'\r' || w.back() == L'\n' || w.back() == L' ')) w.pop_back();
    text = win32text::narrow(w);
  }
  if (buf) LocalFree(buf);
  if (text.empty()) {
    char num[32];
    std::snprintf(num, sizeof num, "OLE エラー %08lX", static_cast<unsigned long>(hr));
    text = num;
  }
  return text;
}

// Owns the VARIANTs of one call's arguments.
struct Variants {
  std::vector<VARIANT> v;
  explicit Variants(size_t n) : v(n) {
    for (VARIANT& x : v) VariantInit(&x);
  }
  ~Variants() {
    for (VARIANT& x : v) VariantClear(&x);
  }
};

void toVariant(const AutoValue& value, VARIANT& out) {
  if (const auto* b = std::get_if<bool>(&value)) {
    out.vt = VT_BOOL;
    out.boolVal = *b ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (const auto* i = std::get_if<int>(&value)) {
    out.vt = VT_I4;
    out.lVal = *i;
  } else if (const auto* s = std::get_if<std::string>(&value)) {
    const std::wstring w = win32text::wide(*s);
    out.vt = VT_BSTR;
    out.bstrVal = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
    if (!out.bstrVal) throw AutomationError(resultText(E_OUTOFMEMORY));
  } else {
    out.vt = VT_EMPTY;
  }
}

class Win32AutoObject : public AutoObject {
 public:
  // Takes over the reference.
  explicit Win32AutoObject(IDispatch* d) : d_(d) {}
  ~Win32AutoObject() override { d_->Release(); }
  Win32AutoObject(const Win32AutoObject&) = delete;
  Win32AutoObject& operator=(const Win32AutoObject&) = delete;

  AutoResult call(const std::string& member, const AutoArgs& args) override {
    // Late binding cannot tell a method from a property read; servers
    // accept both flags for either.
    return invoke(member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
  }
  AutoResult get(const std::string& member, const AutoArgs& args) override {
    return invoke(member, DISPATCH_PROPERTYGET, args);
  }
  void put(const std::string& member, const AutoValue& value) override {
    invoke(member, DISPATCH_PROPERTYPUT, {value});
  }

 private:
  // A member's number is fixed for the object's life; asking once saves a
  // round trip to an out-of-process server on every later use.
  DISPID memberId(const std::string& member) {
    if (const auto known = ids_.find(member); known != ids_.end()) return known->second;
    std::wstring name = win32text::wide(member);
    LPOLESTR names[1] = {name.data()};
    DISPID id = 0;
    const HRESULT hr = d_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) throw AutomationError(member + ": " + resultText(hr));
    ids_.emplace(member, id);
    return id;
  }

  AutoResult invoke(const std::string& member, WORD flags, const AutoArgs& args) {
    const DISPID id = memberId(member);
    // IDispatch takes the arguments last first.
    Variants in(args.size());
    for (size_t i = 0; i < args.size(); ++i) toVariant(args[i], in.v[args.size() - 1 - i]);
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = in.v.empty() ? nullptr : in.v.data();
    params.cArgs = static_cast<UINT>(in.v.size());
    if (flags == DISPATCH_PROPERTYPUT) {
      params.rgdispidNamedArgs = &putId;
      params.cNamedArgs = 1;
    }
    Variants result(1);
    EXCEPINFO info{};
    UINT argError = 0;
    const HRESULT hr = d_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                  flags == DISPATCH_PROPERTYPUT ? nullptr : &result.v[0], &info, &argError);
    if (FAILED(hr)) {
      std::string text;
      if (hr == DISP_E_EXCEPTION) {
        if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
        text = bstrText(info.bstrDescription);
        if (text.empty() && FAILED(info.scode)) text = resultText(info.scode);
      }
      SysFreeString(info.bstrSource);
      SysFreeString(info.bstrDescription);
      SysFreeString(info.bstrHelpFile);
      if (text.empty()) text = resultText(hr);
      throw AutomationError(member + ": " + text);
    }
    return fromVariant(result.v[0]);
  }

  static AutoResult fromVariant(VARIANT& r) {
    switch (r.vt) {
      case VT_EMPTY:
      case VT_NULL:
        return AutoResult();
      case VT_DISPATCH:
        if (!r.pdispVal) return AutoResult();
        {
          // The result's reference becomes the object's.
          IDispatch* d = r.pdispVal;
          r.vt = VT_EMPTY;
          r.pdispVal = nullptr;
          return AutoResult(std::make_unique<Win32AutoObject>(d));
        }
      case VT_BOOL:
        return AutoResult(AutoValue(r.boolVal != VARIANT_FALSE));
      case VT_BSTR:
        return AutoResult(AutoValue(bstrText(r.bstrVal)));
      case VT_I4:
        return AutoResult(AutoValue(static_cast<int>(r.lVal)));
      default:
        break;
    }
    VARIANT n;
    VariantInit(&n);
    switch (r.vt) {
      case VT_I1: case VT_I2: case VT_UI1: case VT_UI2: case VT_INT:
        if (SUCCEEDED(VariantChangeType(&n, &r, 0, VT_I4))) return AutoResult(AutoValue(static_cast<int>(n.lVal)));
        break;
      default:
        // Anything else (numbers with a fraction, dates, currency) as the
        // server writes it.
        if (SUCCEEDED(VariantChangeType(&n, &r, 0, VT_BSTR))) {
          AutoResult text(AutoValue(bstrText(n.bstrVal)));
          VariantClear(&n);
          return text;
        }
    }
    VariantClear(&n);
    return AutoResult();
  }

  IDispatch* d_;
  std::map<std::string, DISPID> ids_;
};

}  // namespace

std::unique_ptr<AutoObject> Win32Automation::create(const std::string& progId) {
  const std::wstring id = win32text::wide(progId);
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(id.c_str(), &clsid);
  if (FAILED(hr)) throw AutomationError(progId + ": " + resultText(hr));
  IDispatch* d = nullptr;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER, IID_IDispatch,
                        reinterpret_cast<void**>(&d));
  if (FAILED(hr) || !d) throw AutomationError(progId + ": " + resultText(FAILED(hr) ? hr : E_NOINTERFACE));
  return std::make_unique<Win32AutoObject>(d);
}

}  // namespace platform
