#pragma once
#include <string>

namespace platform {

// The clipboard as text (UTF-8 at the interface).
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual void clear() = 0;
  virtual std::string getText() = 0;  // empty when it holds no text
  virtual void setText(const std::string& text) = 0;
};

}  // namespace platform
