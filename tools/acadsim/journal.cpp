#include "acadsim/journal.h"

#include <cstdio>

#include "base/codec.h"

namespace acadsim {

JournalEntry& JournalEntry::add(std::string key, std::string value) {
  fields.push_back({std::move(key), {std::move(value)}, false});
  return *this;
}

JournalEntry& JournalEntry::addList(std::string key, std::vector<std::string> values) {
  fields.push_back({std::move(key), std::move(values), true});
  return *this;
}

JournalEntry& JournalEntry::addNull(std::string key) {
  fields.push_back({std::move(key), {}, false, true});
  return *this;
}

std::string JournalEntry::get(const std::string& key) const {
  if (key == "event") return event;
  if (key == "drawing") return drawing;
  for (auto& f : fields)
    if (f.key == key && !f.isList && !f.values.empty()) return f.values.front();
  return {};
}

std::string jsonString(const std::string& raw) {
  const std::string text = base::sanitizeUtf8(raw);
  std::string out = "\"";
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (u < 0x20 || u == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", u);
          out += buf;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string JournalEntry::toJson() const {
  std::string out = "{\"event\":" + jsonString(event) + ",\"drawing\":" + jsonString(drawing);
  for (auto& f : fields) {
    out += "," + jsonString(f.key) + ":";
    if (f.isNull) {
      out += "null";
      continue;
    }
    if (!f.isList) {
      out += jsonString(f.values.empty() ? std::string() : f.values.front());
      continue;
    }
    out += "[";
    for (size_t i = 0; i < f.values.size(); ++i) out += (i ? "," : "") + jsonString(f.values[i]);
    out += "]";
  }
  return out + "}";
}

void Journal::append(JournalEntry e) {
  if (stamp_) e.add("ms", std::to_string(stamp_()));
  if (busy_) e.add("busy", std::to_string(busy_()));
  entries_.push_back(e);
  if (path_.empty()) return;
  const std::string line = e.toJson() + "\n";
  // Appended, not rewritten: several stand-ins may share one journal.
#ifdef _WIN32
  std::u16string wide = base::utf8ToUtf16(path_);
  FILE* f = _wfopen(reinterpret_cast<const wchar_t*>(wide.c_str()), L"ab");
#else
  FILE* f = std::fopen(path_.c_str(), "ab");
#endif
  if (!f) return;
  std::fwrite(line.data(), 1, line.size(), f);
  std::fclose(f);
}

}  // namespace acadsim
