// CP932 through glibc's iconv ("CP932" is the Windows variant: 0x5C is "\",
// NEC and IBM extensions, the user-defined area).
#include <iconv.h>

#include <cerrno>

#include "base/cp932_backend.h"

namespace base::detail {

namespace {

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

}  // namespace

std::optional<std::string> utf8ToCp932Strict(std::string_view utf8) {
  Iconv cd("CP932", "UTF-8");
  if (!cd.ok()) return std::nullopt;
  // A CP932 character is never longer than its UTF-8 form.
  std::string out(utf8.size(), '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* dst = out.data();
  size_t outLeft = out.size();
  if (iconv(cd.get(), &in, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1)) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

std::string cp932ToUtf8Lenient(std::string_view cp932) {
  Iconv cd("UTF-8", "CP932");
  std::string out;
  if (!cd.ok()) return out;
  // Every input byte yields at most three output bytes, U+FFFD included.
  out.resize(cp932.size() * 3 + 3);
  char* in = const_cast<char*>(cp932.data());
  size_t inLeft = cp932.size();
  char* dst = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(cd.get(), &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1)) break;
    // EILSEQ: a double-byte code without a character; EINVAL: a cut one.
    const bool pair = isCp932LeadByte(static_cast<unsigned char>(*in));
    const size_t skip = (errno == EILSEQ && pair && inLeft >= 2) ? 2 : 1;
    in += skip;
    inLeft -= skip;
    for (char c : {'\xEF', '\xBF', '\xBD'}) *dst++ = c;
    outLeft -= 3;
  }
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace base::detail
