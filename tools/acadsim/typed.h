// How the stand-in's commands read what was typed: quoted names, keywords
// and points, and the four decimals values are shown back with. File names
// typed with either separator are read with base's helpers (fileNameAnySep
// and the like).
#pragma once
#include <cstdio>
#include <optional>
#include <string>

#include "acadsim/dxf.h"
#include "base/numbers.h"
#include "base/text.h"

namespace acadsim::typed {

inline std::string unquote(const std::string& text) {
  std::string t = base::trim(text);
  if (t.size() >= 2 && t.front() == '"' && t.back() == '"') t = t.substr(1, t.size() - 2);
  return t;
}

// A keyword as typed: upper case, without the international "_".
inline std::string keyword(const std::string& answer) {
  std::string k = base::asciiUpper(base::trim(answer));
  if (!k.empty() && k[0] == '_') k = k.substr(1);
  return k;
}

inline std::string fixed4(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.4f", v + 0.0);
  std::string s = buf;
  if (s == "-0.0000") s = "0.0000";
  return s;
}

inline std::optional<Point2> parsePoint(const std::string& text) {
  auto parts = base::split(text, ',');
  if (parts.size() != 2 && parts.size() != 3) return std::nullopt;
  auto x = base::tryParseNumber(parts[0]);
  auto y = base::tryParseNumber(parts[1]);
  if (!x || !y) return std::nullopt;
  if (parts.size() == 3 && !base::tryParseNumber(parts[2])) return std::nullopt;
  return Point2{*x, *y};
}

}  // namespace acadsim::typed
