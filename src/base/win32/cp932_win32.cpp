// CP932 through the Win32 conversion functions, code page 932.
#include <windows.h>

#include "base/codec.h"
#include "base/cp932_backend.h"

namespace base::detail {

namespace {

constexpr UINT kCp932 = 932;
constexpr wchar_t kMiddleDot = 0x30FB;  // what the table answers for a code it lacks

const wchar_t* wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.data()); }

std::string toUtf8(const wchar_t* w, int n) {
  return utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(w), static_cast<size_t>(n)));
}

// Converts one piece; false when the system reports an invalid character or
// answers a code it lacks with the default character.
bool convertExact(std::string_view bytes, std::wstring& out) {
  const int n = static_cast<int>(bytes.size());
  out.resize(bytes.size());
  const int len = MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, bytes.data(), n, out.data(), n);
  if (len <= 0) return false;
  out.resize(static_cast<size_t>(len));
  if (out.find(kMiddleDot) != std::wstring::npos) {
    // Genuine only where the text holds the middle dot itself (0x81 0x45).
    size_t dots = 0;
    for (wchar_t c : out) dots += c == kMiddleDot;
    size_t encoded = 0;
    for (size_t i = 0; i + 1 < bytes.size(); ++i) {
      const auto b = static_cast<unsigned char>(bytes[i]);
      if (b == 0x81 && static_cast<unsigned char>(bytes[i + 1]) == 0x45) {
        ++encoded;
        ++i;
      } else if (isCp932LeadByte(b)) {
        ++i;
      }
    }
    if (dots != encoded) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> utf8ToCp932Strict(std::string_view utf8) {
  const std::u16string w = utf8ToUtf16(utf8);
  if (w.empty()) return std::string();
  const int n = static_cast<int>(w.size());
  BOOL usedDefault = FALSE;
  const int len = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide(w), n, nullptr, 0, nullptr,
                                      &usedDefault);
  if (len <= 0 || usedDefault) return std::nullopt;
  std::string out(static_cast<size_t>(len), '\0');
  usedDefault = FALSE;
  if (WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide(w), n, out.data(), len, nullptr,
                          &usedDefault) != len ||
      usedDefault)
    return std::nullopt;
  return out;
}

std::string cp932ToUtf8Lenient(std::string_view cp932) {
  std::wstring w;
  if (convertExact(cp932, w)) return toUtf8(w.data(), static_cast<int>(w.size()));
  // Some code is missing from the table: go character by character so that
  // only that one becomes U+FFFD.
  std::string out;
  for (size_t i = 0; i < cp932.size();) {
    const auto b = static_cast<unsigned char>(cp932[i]);
    const size_t len = isCp932LeadByte(b) && i + 1 < cp932.size() ? 2 : 1;
    if (convertExact(cp932.substr(i, len), w)) out += toUtf8(w.data(), static_cast<int>(w.size()));
    else out += "\xEF\xBF\xBD";
    i += len;
  }
  return out;
}

}  // namespace base::detail
