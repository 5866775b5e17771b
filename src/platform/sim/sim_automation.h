// A simulated automation server: every object of every server answers
// every member. Each creation and member use is recorded with the path of
// the object it was made on; a property put is kept, so that a later read
// of the same member on the same path gives it back, and any other read or
// call gives a new object. It can be told to refuse creation or to fail
// at the n-th recorded use.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/automation.h"

namespace platform {

enum class AutoKind { Create, Call, Get, Put };

class SimAutoObject;

struct AutomationCall {
  std::string path;    // the object: "Excel.Application.Application.ActiveSheet.Cells(1,a)"
  std::string member;  // for Create, the programmatic identifier
  AutoKind kind;
  AutoArgs args;       // for Put, the one value
};

class SimAutomation : public Automation {
 public:
  std::unique_ptr<AutoObject> create(const std::string& progId) override;

  // Creation fails, with message failureMessage, for every identifier.
  bool failCreation = false;
  // The use with this 1-based number (creations included) fails with
  // failureMessage after being recorded; 0: none fails.
  int failAtCall = 0;
  std::string failureMessage = "リモート プロシージャ コールに失敗しました。";

  std::vector<AutomationCall> calls;
  // The value last put to member on the object at path, if any.
  const AutoValue* property(const std::string& path, const std::string& member) const;
  // Objects handed out and not yet released.
  int liveObjects() const { return live_; }

 private:
  friend class SimAutoObject;
  void record(AutomationCall call);
  std::map<std::pair<std::string, std::string>, AutoValue> properties_;  // by (path, member)
  int live_ = 0;
};

// The text of a value in a path: texts as they are, booleans as True/False.
std::string autoValueText(const AutoValue& v);

}  // namespace platform
