#include "acadsim/typist.h"

namespace acadsim {

Typist::Typist(Session& session, const Latency& latency, Hooks hooks)
    : session_(session),
      latency_(latency),
      hooks_(std::move(hooks)),
      random_(latency.seed),
      self_(std::make_shared<Typist*>(this)) {}

Typist::~Typist() { self_.reset(); }

void Typist::receive(std::string_view bytes) {
  if (stopped_) return;
  bytes = bytes.substr(0, bytes.find('\0'));
  if (!latency_.any()) {
    session_.type(bytes);
    typed_ += bytes;
    settle();
    return;
  }
  ahead_ += bytes;
  pump();
}

void Typist::stop() {
  stopped_ = true;
  ahead_.clear();
}

void Typist::pump() {
  // A hook may bring more text while this runs: it joins the type-ahead.
  if (pumping_) return;
  pumping_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{pumping_};  // also when the session throws
  while (!busy_ && !stopped_ && !ahead_.empty()) {
    if (session_.state() != Session::State::Running) {
      // A modal message box or the end: nobody reads the rest.
      ahead_.clear();
      break;
    }
    const size_t end = session_.inputEnd(ahead_);
    if (end == std::string::npos) {
      session_.type(ahead_);
      typed_ += ahead_;
      ahead_.clear();
      hooks_.show();
      break;
    }
    size_t len = end + 1;
    if (ahead_[end] == '\r' && len < ahead_.size() && ahead_[len] == '\n') ++len;  // one Enter
    if (end > 0) {
      session_.type(std::string_view(ahead_).substr(0, end));
      hooks_.show();
    }
    session_.type(std::string_view(ahead_).substr(end, len - end));
    typed_.append(ahead_, 0, len);
    ahead_.erase(0, len);

    const int ms = timeFor(session_.lastWork());
    busyMs_ += ms;
    if (ms <= 0) {
      if (!settle()) break;
      continue;
    }
    busy_ = true;
    std::weak_ptr<Typist*> token = self_;
    hooks_.schedule(ms, [token] {
      auto self = token.lock();
      if (!self) return;
      Typist& t = **self;
      t.busy_ = false;
      if (!t.stopped_ && t.settle()) t.pump();
    });
  }
}

bool Typist::settle() {
  std::string typed;
  typed.swap(typed_);
  if (hooks_.settle(typed)) return true;
  stop();
  return false;
}

int Typist::timeFor(Session::Work work) {
  int ms = latency_.answerMs;
  switch (work) {
    case Session::Work::Answer: break;
    case Session::Work::Open: ms = latency_.openMs; break;
    case Session::Work::Save: ms = latency_.saveMs; break;
    case Session::Work::Plot: ms = latency_.plotMs; break;
  }
  if (latency_.jitterMs > 0)
    ms += static_cast<int>(nextRandom() % (static_cast<std::uint64_t>(latency_.jitterMs) + 1));
  return ms;
}

// splitmix64: the same numbers on every compiler and standard library, so
// that the native and the Windows stand-ins wait alike for a seed.
std::uint64_t Typist::nextRandom() {
  std::uint64_t z = (random_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

}  // namespace acadsim
