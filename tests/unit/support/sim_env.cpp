#include "support/sim_env.h"

#include "base/codec.h"

#include <fstream>
#include <random>
#include <sstream>

namespace testing_support {

SimEnv::SimEnv() {
  std::random_device rd;
  auto dir = std::filesystem::temp_directory_path() /
             ("kestrel-test-" + std::to_string(rd()) + "-" + std::to_string(rd()));
  std::filesystem::create_directories(dir);
  folder_ = dir.string() + "/";
  setProgramFolder(folder_);
  ui::setBackend(&ui);
}

SimEnv::~SimEnv() {
  ui::setBackend(nullptr);
  std::error_code ec;
  std::filesystem::permissions(folder_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(folder_, ec);
}

void SimEnv::writeFile(const std::string& name, const std::string& bytes) const {
  std::filesystem::path p(folder_ + name);
  std::filesystem::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary);
  f << bytes;
}

std::string SimEnv::readFile(const std::string& name) const {
  std::ifstream f(folder_ + name, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

std::vector<std::string> SimEnv::typedInto(platform::WindowHandle window) const {
  std::vector<std::string> out;
  for (auto& [w, bytes] : desktop.copyDataLog) {
    if (w != window) continue;
    std::string b = bytes;
    if (!b.empty() && b.back() == '\0') b.pop_back();
    out.push_back(base::cp932ToUtf8(b));
  }
  return out;
}

}  // namespace testing_support
