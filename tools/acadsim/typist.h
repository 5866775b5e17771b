// Between a host's typed text and its session: AutoCAD echoes typed
// characters on its prompt line at once, then works on each Enter for a
// while (the session's Latency), during which the windows still show the
// old question with the echo and further typed text waits, unechoed, in
// the input buffer. Both hosts use it: the simulated desktop on its virtual
// clock, acadsim.exe on window timers.
//
//   Typist t(session, behaviour.latency,
//            {.show = ..., .settle = ..., .schedule = ...});
//   t.receive(bytes);  // from WM_COPYDATA, after the reply delay
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "acadsim/latency.h"
#include "acadsim/session.h"

namespace acadsim {

class Typist {
 public:
  struct Hooks {
    // The windows show the session as it is now: the echo of typed text.
    std::function<void()> show;
    // An input's result is due: the host shows it and applies its
    // after-input faults. typed: the bytes typed since the last time.
    // False when the host no longer takes input (hung, vanished, ended).
    std::function<bool(std::string_view typed)> settle;
    // Runs fn after delayMs, later, from the host's message loop or clock.
    std::function<void(int delayMs, std::function<void()> fn)> schedule;
  };

  Typist(Session& session, const Latency& latency, Hooks hooks);
  ~Typist();
  Typist(const Typist&) = delete;
  Typist& operator=(const Typist&) = delete;

  // Typed bytes, cut at the first NUL. Without a latency they are typed at
  // once as a whole and settled once, as the session takes them.
  void receive(std::string_view bytes);
  // Nothing more is typed: the host is gone or hung. A wait under way ends
  // without effect.
  void stop();

  bool busy() const { return busy_ && !stopped_; }
  const std::string& typeAhead() const { return ahead_; }
  // All the processing time applied so far (for the benchmarks' journal).
  std::int64_t busyMs() const { return busyMs_; }

 private:
  void pump();
  bool settle();
  int timeFor(Session::Work work);
  std::uint64_t nextRandom();

  Session& session_;
  Latency latency_;
  Hooks hooks_;
  std::string ahead_;  // typed, not yet given to the session
  std::string typed_;  // given to the session since the last settle
  std::uint64_t random_;
  std::int64_t busyMs_ = 0;
  bool busy_ = false;
  bool pumping_ = false;
  bool stopped_ = false;
  // Scheduled waits check it: they may come after the typist is gone.
  std::shared_ptr<Typist*> self_;
};

}  // namespace acadsim
