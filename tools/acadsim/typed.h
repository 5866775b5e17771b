// How the stand-in's commands read what was typed: quoted names and
// keywords. File names typed with either separator are read with base's
// helpers (fileNameAnySep and the like).
#pragma once
#include <string>

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

}  // namespace acadsim::typed
