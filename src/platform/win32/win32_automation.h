// OLE automation on the real system: objects created by programmatic
// identifier and driven through IDispatch by member name. COM must be
// initialised on the calling thread (Win32Platform does so).
#pragma once
#include "platform/automation.h"

namespace platform {

class Win32Automation : public Automation {
 public:
  std::unique_ptr<AutoObject> create(const std::string& progId) override;
};

}  // namespace platform
