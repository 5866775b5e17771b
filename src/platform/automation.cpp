#include "platform/automation.h"

namespace platform {

std::unique_ptr<AutoObject> AutoResult::object() {
  if (!object_) throw AutomationError("オートメーションの結果がオブジェクトではありません。");
  return std::move(object_);
}

}  // namespace platform
