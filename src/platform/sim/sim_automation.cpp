#include "platform/sim/sim_automation.h"

namespace platform {

std::string autoValueText(const AutoValue& v) {
  if (const auto* b = std::get_if<bool>(&v)) return *b ? "True" : "False";
  if (const auto* i = std::get_if<int>(&v)) return std::to_string(*i);
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  return {};
}

// One reference handed out by the simulated server.
class SimAutoObject : public AutoObject {
 public:
  SimAutoObject(SimAutomation& server, std::string path) : server_(server), path_(std::move(path)) { ++server_.live_; }
  ~SimAutoObject() override { --server_.live_; }

  AutoResult call(const std::string& member, const AutoArgs& args) override {
    server_.record({path_, member, AutoKind::Call, args});
    return AutoResult(child(member, args));
  }
  AutoResult get(const std::string& member, const AutoArgs& args) override {
    server_.record({path_, member, AutoKind::Get, args});
    if (args.empty()) {
      auto it = server_.properties_.find({path_, member});
      if (it != server_.properties_.end()) return AutoResult(it->second);
    }
    return AutoResult(child(member, args));
  }
  void put(const std::string& member, const AutoValue& value) override {
    server_.record({path_, member, AutoKind::Put, {value}});
    server_.properties_[{path_, member}] = value;
  }

 private:
  std::unique_ptr<AutoObject> child(const std::string& member, const AutoArgs& args) {
    std::string path = path_ + "." + member;
    if (!args.empty()) {
      path += "(";
      for (size_t i = 0; i < args.size(); ++i) path += (i ? "," : "") + autoValueText(args[i]);
      path += ")";
    }
    return std::make_unique<SimAutoObject>(server_, std::move(path));
  }
  SimAutomation& server_;
  std::string path_;
};

void SimAutomation::record(AutomationCall call) {
  calls.push_back(std::move(call));
  if (failAtCall > 0 && static_cast<int>(calls.size()) == failAtCall) throw AutomationError(failureMessage);
}

std::unique_ptr<AutoObject> SimAutomation::create(const std::string& progId) {
  record({"", progId, AutoKind::Create, {}});
  if (failCreation) throw AutomationError(failureMessage);
  return std::make_unique<SimAutoObject>(*this, progId);
}

const AutoValue* SimAutomation::property(const std::string& path, const std::string& member) const {
  auto it = properties_.find({path, member});
  return it == properties_.end() ? nullptr : &it->second;
}

}  // namespace platform
