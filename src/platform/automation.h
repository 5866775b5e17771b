// OLE automation, late bound by member name: the outside products the
// program hands results to (the spreadsheet) are reached through this.
#pragma once
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace platform {

// A failure of the automation server or of the link to it; the text is
// the server's description where it gave one.
class AutomationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An argument or a plain result: nothing, a boolean, a 32-bit integer or a text (UTF-8).
using AutoValue = std::variant<std::monostate, bool, int, std::string>;
using AutoArgs = std::vector<AutoValue>;

class AutoObject;

// What a member gave back: another object, or a plain value.
class AutoResult {
 public:
  AutoResult() = default;
  explicit AutoResult(std::unique_ptr<AutoObject> object) : object_(std::move(object)) {}
  explicit AutoResult(AutoValue value) : value_(std::move(value)) {}

  bool isObject() const { return object_ != nullptr; }
  // The object, handed over to the caller; an AutomationError when the
  // member gave none (or it was taken already).
  std::unique_ptr<AutoObject> object();
  const AutoValue& value() const { return value_; }

 private:
  std::unique_ptr<AutoObject> object_;
  AutoValue value_;
};

// One reference to an automation object; released when destroyed.
class AutoObject {
 public:
  virtual ~AutoObject() = default;
  // A method (a member that may as well be a property read, as late
  // binding allows).
  virtual AutoResult call(const std::string& member, const AutoArgs& args = {}) = 0;
  // A property read, with the property's index arguments.
  virtual AutoResult get(const std::string& member, const AutoArgs& args = {}) = 0;
  virtual void put(const std::string& member, const AutoValue& value) = 0;
};

class Automation {
 public:
  virtual ~Automation() = default;
  // A new object of the server registered under progId (started when it
  // is not running); an AutomationError when it cannot be had.
  virtual std::unique_ptr<AutoObject> create(const std::string& progId) = 0;
};

}  // namespace platform
