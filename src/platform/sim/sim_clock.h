// A virtual clock: a sleep advances time at once and runs, in time order,
// whatever the simulated programs scheduled meanwhile.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/clock.h"

namespace platform {

class SimClock : public Clock {
 public:
  void sleepMs(int ms) override;
  std::int64_t nowMs() const override { return now_; }
  // Virtual time 0 is 2026/01/05 09:00:00.
  std::string localTimeText() const override;
  // Runs fn when virtual time reaches now + delayMs (during a later sleep).
  void schedule(std::int64_t delayMs, std::function<void()> fn);
  // Moves time forward without a sleep of the program's (for test set-up).
  void advance(std::int64_t ms) { sleepMs(static_cast<int>(ms)); }
  std::int64_t totalSleptMs() const { return slept_; }
  int sleepCalls() const { return sleeps_; }
  // Called after every sleep, with the time reached (e.g. a stand-in's idle work).
  std::function<void(std::int64_t)> onTick;

 private:
  std::int64_t now_ = 0;
  std::int64_t slept_ = 0;
  int sleeps_ = 0;
  std::uint64_t seq_ = 0;
  std::multimap<std::pair<std::int64_t, std::uint64_t>, std::function<void()>> due_;
};

}  // namespace platform
