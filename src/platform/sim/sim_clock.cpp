#include "platform/sim/sim_clock.h"

#include <cstdio>

namespace platform {

void SimClock::schedule(std::int64_t delayMs, std::function<void()> fn) {
  due_.emplace(std::make_pair(now_ + (delayMs < 0 ? 0 : delayMs), seq_++), std::move(fn));
}

void SimClock::sleepMs(int ms) {
  ++sleeps_;
  if (ms < 0) ms = 0;
  slept_ += ms;
  const std::int64_t end = now_ + ms;
  while (!due_.empty() && due_.begin()->first.first <= end) {
    auto it = due_.begin();
    if (it->first.first > now_) now_ = it->first.first;
    auto fn = std::move(it->second);
    due_.erase(it);
    fn();
  }
  now_ = end;
  if (onTick) onTick(now_);
}

std::string SimClock::localTimeText() const {
  // Days past the first one stay within January: no test runs for weeks.
  const std::int64_t seconds = now_ / 1000 + 9 * 3600;
  char text[32];
  std::snprintf(text, sizeof text, "2026/01/%02d %02d:%02d:%02d", static_cast<int>(5 + seconds / 86400),
                static_cast<int>(seconds / 3600 % 24), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return text;
}

}  // namespace platform
