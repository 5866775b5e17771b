// The platform context: set up once by the entry point (or a test fixture),
// then read everywhere. The only global state of the program.
#pragma once
#include <string>

#include "platform/automation.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/printers.h"
#include "platform/processes.h"
#include "platform/shell.h"

namespace platform {

struct Context {
  Clock* clock = nullptr;
  Desktop* desktop = nullptr;
  Clipboard* clipboard = nullptr;
  Processes* processes = nullptr;
  Printers* printers = nullptr;
  Shell* shell = nullptr;
  Automation* automation = nullptr;
  std::string programFolder;  // with a trailing separator
};

Context& context();
void setContext(const Context& c);

inline Clock& clock() { return *context().clock; }
inline Desktop& desktop() { return *context().desktop; }
inline Clipboard& clipboard() { return *context().clipboard; }
inline Processes& processes() { return *context().processes; }
inline Printers& printers() { return *context().printers; }
inline Shell& shell() { return *context().shell; }
inline Automation& automation() { return *context().automation; }
inline const std::string& programFolder() { return context().programFolder; }

}  // namespace platform
