#include "base/numbers.h"

#include <cfenv>
#include <charconv>
#include <cmath>
#include <system_error>

#include "base/codec.h"

namespace base {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view stripBlanks(std::string_view t) {
  while (!t.empty() && isBlank(t.front())) t.remove_prefix(1);
  while (!t.empty() && isBlank(t.back())) t.remove_suffix(1);
  return t;
}

}  // namespace

double round2(double x) {
  if (!std::isfinite(x)) return x;
  // nearbyint follows the current rounding mode; make sure it is the
  // ties-to-even one and leave the mode as it was found.
  const int mode = std::fegetround();
  if (mode != FE_TONEAREST) std::fesetround(FE_TONEAREST);
  const double r = std::nearbyint(x * 100.0) / 100.0;
  if (mode != FE_TONEAREST) std::fesetround(mode);
  return r;
}

std::string fmt(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  if (v == 0) return "0";  // -0 too
  // Rounding to 15 significant digits and dropping trailing zeros gives the
  // shortest text: any shorter decimal that reads back as v is this one
  // with its zeros cut.
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
  const std::string_view sci(buf, static_cast<size_t>(res.ptr - buf));  // "-d.dddddddddddddde+XX"
  const size_t ePos = sci.find('e');
  const bool negative = sci.front() == '-';
  std::string digits;
  for (char c : sci.substr(0, ePos))
    if (isDigit(c)) digits += c;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  int exp = 0;
  std::string_view e = sci.substr(ePos + 1);
  if (!e.empty() && e.front() == '+') e.remove_prefix(1);
  std::from_chars(e.data(), e.data() + e.size(), exp);

  // The first digit stands for 10^exp.
  std::string out = negative ? "-" : "";
  const int nd = static_cast<int>(digits.size());
  if (exp < 0) {
    out += "0.";
    out.append(static_cast<size_t>(-exp - 1), '0');
    out += digits;
  } else if (exp + 1 >= nd) {
    out += digits;
    out.append(static_cast<size_t>(exp + 1 - nd), '0');
  } else {
    out += digits.substr(0, static_cast<size_t>(exp + 1));
    out += '.';
    out += digits.substr(static_cast<size_t>(exp + 1));
  }
  return out;
}

std::optional<double> tryParseNumber(std::string_view text) {
  std::string_view t = stripBlanks(text);
  bool negative = false;
  if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  // Check the grammar here: from_chars would also take "inf", "nan" and
  // hexadecimal forms.
  size_t i = 0, mantissaDigits = 0;
  while (i < t.size() && isDigit(t[i])) ++i, ++mantissaDigits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && isDigit(t[i])) ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return std::nullopt;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < t.size() && isDigit(t[i])) ++i, ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  if (i != t.size()) return std::nullopt;
  double v = 0;
  const auto res = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
  if (res.ec != std::errc() || res.ptr != t.data() + t.size()) return std::nullopt;
  return negative ? -v : v;
}

double parseNumber(std::string_view text) {
  if (auto v = tryParseNumber(text)) return *v;
  throw ConversionError("'" + sanitizeUtf8(text) + "' は浮動小数点数ではありません");
}

std::optional<long long> tryParseInt(std::string_view text) {
  std::string_view t = stripBlanks(text);
  size_t digitsFrom = 0;
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);  // from_chars takes "-" only
  else if (!t.empty() && t.front() == '-') digitsFrom = 1;
  if (t.size() == digitsFrom) return std::nullopt;
  for (size_t i = digitsFrom; i < t.size(); ++i)
    if (!isDigit(t[i])) return std::nullopt;
  long long v = 0;
  const auto res = std::from_chars(t.data(), t.data() + t.size(), v);
  if (res.ec != std::errc() || res.ptr != t.data() + t.size()) return std::nullopt;
  return v;
}

}  // namespace base
