#include "platform/context.h"

namespace platform {
namespace {
Context g_context;
}
Context& context() { return g_context; }
void setContext(const Context& c) { g_context = c; }
}  // namespace platform
