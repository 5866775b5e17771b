// What the stand-in did with drawings, one JSON object per line, so that
// a test can check which drawings were opened and saved (and later
// plotted) without reading the stand-in's windows.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace acadsim {

struct JournalEntry {
  std::string event;    // "open", "save", ...
  std::string drawing;  // full path
  // Further fields in the order written; a value is a string, or a list of
  // strings when isList.
  struct Field {
    std::string key;
    std::vector<std::string> values;
    bool isList = false;
    bool isNull = false;  // written as null
  };
  std::vector<Field> fields;

  JournalEntry& add(std::string key, std::string value);
  JournalEntry& addList(std::string key, std::vector<std::string> values);
  JournalEntry& addNull(std::string key);
  // The value of a string field, empty when there is none.
  std::string get(const std::string& key) const;
  std::string toJson() const;
};

// Escapes a UTF-8 text as a JSON string with its quotes; invalid UTF-8
// becomes U+FFFD.
std::string jsonString(const std::string& text);

class Journal {
 public:
  // path empty: kept in memory only.
  explicit Journal(std::string path = {}) : path_(std::move(path)) {}
  void setPath(std::string path) { path_ = std::move(path); }
  // When set, every entry gets a field "ms" with the stamp's value (the
  // stand-in's milliseconds), so that a benchmark can time the drawings.
  void setStamp(std::function<std::int64_t()> stamp) { stamp_ = std::move(stamp); }
  // When set, every entry also gets "busy": the milliseconds the stand-in
  // has spent on its inputs so far, so that a benchmark can tell AutoCAD's
  // share of a drawing's time from the program's.
  void setBusy(std::function<std::int64_t()> busy) { busy_ = std::move(busy); }
  const std::string& path() const { return path_; }

  // Keeps the entry and appends its line to the file (created if missing).
  void append(JournalEntry e);
  const std::vector<JournalEntry>& entries() const { return entries_; }

 private:
  std::string path_;
  std::vector<JournalEntry> entries_;
  std::function<std::int64_t()> stamp_;
  std::function<std::int64_t()> busy_;
};

}  // namespace acadsim
