// Reading an archive back with the system's unzip, so that what the
// program writes is judged by another implementation than its own.
#pragma once
#include <cstdio>
#include <string>

namespace testing_support {

// The standard output of a shell command and its exit status.
inline std::string commandOutput(const std::string& command, int* status = nullptr) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int rc = pclose(p);
    if (status) *status = rc;
  } else if (status) {
    *status = -1;
  }
  return out;
}

inline std::string quoted(const std::string& path) { return "'" + path + "'"; }

// One entry's bytes ("unzip -p"); empty when it is missing.
inline std::string unzipEntry(const std::string& archive, const std::string& entry) {
  return commandOutput("unzip -p " + quoted(archive) + " " + quoted(entry) + " 2>/dev/null");
}

// True when unzip finds every entry sound (CRCs and headers).
inline bool unzipTests(const std::string& archive) {
  int status = -1;
  commandOutput("unzip -tq " + quoted(archive) + " >/dev/null 2>&1", &status);
  return status == 0;
}

}  // namespace testing_support
