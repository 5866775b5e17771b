#pragma once
#include <string>
#include <vector>

namespace platform {

class Printers {
 public:
  virtual ~Printers() = default;
  virtual std::vector<std::string> installedPrinters() = 0;
};

}  // namespace platform
