#include "acadsim/latency.h"

#include <limits>
#include <vector>

#include "base/numbers.h"
#include "base/text.h"

namespace acadsim {

bool parseLatency(std::string_view spec, Latency& l, std::string* error) {
  auto fail = [error](std::string why) {
    if (error) *error = std::move(why);
    return false;
  };
  Latency out = l;
  const std::vector<std::string> items = base::split(spec, ',');
  for (const std::string& raw : items) {
    const std::string item = base::trim(raw);
    const size_t eq = item.find('=');
    if (eq == std::string::npos) return fail("\"" + item + "\": no \"=\"");
    const std::string key = base::asciiLower(base::trim(item.substr(0, eq)));
    const std::string text = base::trim(item.substr(eq + 1));
    const auto v = base::tryParseInt(text);
    if (!v || *v < 0 || text.find_first_not_of("0123456789") != std::string::npos)
      return fail("\"" + item + "\": not a number of 0 or more");
    const long long limit = key == "seed" ? std::numeric_limits<std::uint32_t>::max() : std::numeric_limits<int>::max();
    if (*v > limit) return fail("\"" + item + "\": too large");
    const int ms = static_cast<int>(key == "seed" ? 0 : *v);
    if (key == "answer") out.answerMs = ms;
    else if (key == "open") out.openMs = ms;
    else if (key == "save") out.saveMs = ms;
    else if (key == "plot") out.plotMs = ms;
    else if (key == "jitter") out.jitterMs = ms;
    else if (key == "seed") out.seed = static_cast<std::uint32_t>(*v);
    else return fail("\"" + key + "\": not a kind of time");
  }
  l = out;
  return true;
}

}  // namespace acadsim
