// AutoCAD's own time for an input, as the stand-in's hosts apply it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace acadsim {

// How long AutoCAD works on an input after its Enter: typed characters
// are echoed at once, but the result shows only after this time, and what
// is typed meanwhile waits unechoed. A kind's time replaces answerMs for
// the inputs of that kind. All zero: every input is taken at once.
struct Latency {
  int answerMs = 0;  // any other input: a command, a simple answer, ESC
  int openMs = 0;    // an input that opened a drawing
  int saveMs = 0;    // an input that wrote the drawing file (saveas, save, qsave)
  int plotMs = 0;    // -plot's last answer, the one that makes the plot
  int jitterMs = 0;  // each time gets an extra 0..jitterMs, evenly spread
  std::uint32_t seed = 1;  // the same seed gives the same extras

  bool any() const { return answerMs > 0 || openMs > 0 || saveMs > 0 || plotMs > 0 || jitterMs > 0; }
};

// Reads "answer=MS,open=MS,save=MS,plot=MS,jitter=MS,seed=N" (any subset,
// in any order) into l. False, with the reason in *error, on an unknown
// key, a missing or negative number; l is then left as it was.
bool parseLatency(std::string_view spec, Latency& l, std::string* error = nullptr);

}  // namespace acadsim
