// Every pause and every poll of the program goes through the clock. The
// simulated clock is virtual: a sleep advances time at once and lets the
// simulated programs act.
#pragma once
#include <cstdint>
#include <string>

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual void sleepMs(int ms) = 0;        // ms <= 0: returns at once
  virtual std::int64_t nowMs() const = 0;  // monotonic milliseconds
  // The local date and time, "YYYY/MM/DD HH:MM:SS", for what the user reads.
  virtual std::string localTimeText() const = 0;
};

}  // namespace platform
