// How the stand-in's commands read what was typed: file names, quoted
// names, keywords. One copy for session.cpp and session_plot.cpp.
#pragma once
#include <string>

#include "base/text.h"

namespace acadsim::typed {

inline bool isSep(char c) { return c == '/' || c == '\\'; }

// Either separator: drawings typed by the program have Windows paths, the
// native tests have POSIX ones.
inline std::string fileName(const std::string& path) {
  size_t i = path.size();
  while (i > 0 && !isSep(path[i - 1])) --i;
  return path.substr(i);
}

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
