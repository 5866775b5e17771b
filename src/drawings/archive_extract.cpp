#include "drawings/archive_extract.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cwchar>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <unordered_set>

#ifndef _WIN32
#include <locale.h>
#endif

#include "base/codec.h"
#include "base/file_system_backend.h"
#include "base/file_writer.h"
#include "base/paths.h"

namespace drawings {

namespace {

const char kNotAnArchive[] = "LZH・ZIP の書庫として読めません";
const char kDamaged[] = "書庫が壊れています";
const char kCannotOpen[] = "書庫を開けません";
const char kCannotWrite[] = "ファイルを書き込めません（ディスクの空きが足りないなど）";
const char kEncrypted[] = "パスワード付きの書庫には対応していません";
const char kUnreadableName[] = "（名前を読めない項目）";

// Large reads: the archive is read once, front to back.
constexpr size_t kReadBlock = size_t{1} << 20;

#ifndef _WIN32
// libarchive turns header names into the locale's charset (and through
// wchar_t, for LZH), so in the C locale Japanese names would be lost. A
// UTF-8 locale for this thread only, while the archive is read, makes its
// output UTF-8 whatever the process locale is.
class Utf8Locale {
 public:
  Utf8Locale() {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8", "ja_JP.UTF-8"}) {
      loc_ = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr));
      if (loc_) break;
    }
    if (loc_) old_ = uselocale(loc_);
  }
  ~Utf8Locale() {
    if (!loc_) return;
    uselocale(old_);
    freelocale(loc_);
  }
  Utf8Locale(const Utf8Locale&) = delete;
  Utf8Locale& operator=(const Utf8Locale&) = delete;

 private:
  locale_t loc_ = static_cast<locale_t>(nullptr);
  locale_t old_ = static_cast<locale_t>(nullptr);
};
#endif

struct ArchiveCloser {
  void operator()(archive* a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveCloser>;

// The member's name as UTF-8; nullopt when libarchive could not convert it.
std::optional<std::string> memberName(archive_entry* entry) {
#ifdef _WIN32
  // The wide form is converted with the header's own code page (932, or
  // UTF-8 for flagged ZIP entries), whatever the system's code pages are.
  const wchar_t* w = archive_entry_pathname_w(entry);
  if (!w) return std::nullopt;
  return base::utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(w), std::wcslen(w)));
#else
  const char* name = archive_entry_pathname(entry);
  if (!name) return std::nullopt;
  return base::sanitizeUtf8(name);
#endif
}

bool isReservedDeviceName(std::string_view part) {
  const size_t dot = part.find('.');
  std::string stem(part.substr(0, dot));
  for (char& c : stem) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
  return stem.size() == 4 && (stem.rfind("COM", 0) == 0 || stem.rfind("LPT", 0) == 0) && stem[3] >= '1' &&
         stem[3] <= '9';
}

// A name part Windows can create as written: none of its forbidden
// characters, no trailing dot or blank (Windows would drop them and the
// file would land under another name), no device name.
bool isPlainPart(std::string_view part) {
  for (unsigned char c : part)
    if (c < 0x20 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' || c == '*')
      return false;
  if (part.back() == '.' || part.back() == ' ') return false;
  return !isReservedDeviceName(part);
}

// The member's path below the destination as its parts, or nullopt when it
// must not be extracted: absolute ("/x", "\\server\share"), a drive ("C:"),
// "..", or a part Windows could not hold. Both "/" and "\" separate: the
// name is already Unicode here, so a CP932 trail byte 0x5C can no longer be
// taken for "\".
std::optional<std::vector<std::string>> safeParts(const std::string& name) {
  if (name.empty() || base::isAnySep(name[0])) return std::nullopt;
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = start;
    while (end < name.size() && !base::isAnySep(name[end])) ++end;
    const std::string_view part(name.data() + start, end - start);
    if (part == "..") return std::nullopt;
    if (!part.empty() && part != ".") {
      if (!isPlainPart(part)) return std::nullopt;  // also "C:" and "C:x"
      parts.emplace_back(part);
    }
    start = end + 1;
  }
  return parts;
}

class Extractor {
 public:
  Extractor(std::string dest, bool keepFolders) : dest_(std::move(dest)), keepFolders_(keepFolders) {}

  ExtractOutcome run(const std::string& path);

 private:
  enum class Step { Next, Stop };
  Step member(archive* a, archive_entry* entry);
  Step writeFile(archive* a, archive_entry* entry, const std::string& target);
  // The folder (dest_ or below it) exists as a real folder, not a link.
  bool ensureFolder(const std::vector<std::string>& parts, size_t count, std::string& folder);
  void fail(const char* reason) {
    out_.complete = false;
    if (out_.reason.empty()) out_.reason = reason;
  }

  std::string dest_;
  bool keepFolders_;
  bool destReady_ = false;
  ExtractOutcome out_;
  std::unordered_set<std::string> readyFolders_;
  std::unordered_set<std::string> writtenSet_;
  base::FileWriter writer_;
};

ExtractOutcome Extractor::run(const std::string& path) {
#ifndef _WIN32
  Utf8Locale utf8;
#endif
  ArchivePtr a(archive_read_new());
  if (!a) throw std::bad_alloc();
  archive_read_support_filter_none(a.get());
  archive_read_support_format_lha(a.get());
  archive_read_support_format_zip(a.get());
  // Names without the ZIP UTF-8 flag, and all LZH names, are CP932.
  if (archive_read_set_options(a.get(), "hdrcharset=CP932") != ARCHIVE_OK)
    throw std::runtime_error(std::string("libarchive cannot read CP932 names: ") + archive_error_string(a.get()));

  const std::filesystem::path fsPath = base::detail::toFsPath(path);
#ifdef _WIN32
  const int opened = archive_read_open_filename_w(a.get(), fsPath.c_str(), kReadBlock);
#else
  const int opened = archive_read_open_filename(a.get(), fsPath.c_str(), kReadBlock);
#endif
  if (opened != ARCHIVE_OK) {
    // Opening already looks for a format it knows; libarchive reports
    // finding none as EILSEQ (its "file format" error on Linux and Windows).
    fail(archive_errno(a.get()) == EILSEQ ? kNotAnArchive : kCannotOpen);
    return std::move(out_);
  }

  int headers = 0, failedInARow = 0;
  for (;;) {
    archive_entry* entry = nullptr;
    const int r = archive_read_next_header(a.get(), &entry);
    if (r == ARCHIVE_EOF) break;
    if (r == ARCHIVE_RETRY) continue;
    if (r == ARCHIVE_FATAL) {
      fail(kDamaged);
      break;
    }
    if (r == ARCHIVE_FAILED) {  // this header is bad; the next one may be fine
      fail(kDamaged);
      if (++failedInARow > 16) break;
      continue;
    }
    failedInARow = 0;
    ++headers;
    if (member(a.get(), entry) == Step::Stop) break;
  }
  return std::move(out_);
}

bool Extractor::ensureFolder(const std::vector<std::string>& parts, size_t count, std::string& folder) {
  if (!destReady_) {
    if (!base::createFolders(dest_)) return false;
    destReady_ = true;
  }
  folder = dest_;
  for (size_t i = 0; i < count; ++i) {
    folder = base::joinPath(folder, parts[i]);
    if (readyFolders_.count(folder)) continue;
    // A link planted inside the destination would lead the files elsewhere.
    if (base::isLink(folder) || !base::createFolder(folder)) return false;
    readyFolders_.insert(folder);
  }
  return true;
}

Extractor::Step Extractor::member(archive* a, archive_entry* entry) {
  const std::optional<std::string> name = memberName(entry);
  if (!name) {
    out_.refused.push_back(kUnreadableName);
    return Step::Next;
  }
  const auto type = archive_entry_filetype(entry);
  const bool isFolder = type == AE_IFDIR;
  // Links are never made: one could lead a later member out of dest.
  // Devices, pipes and the like are no drawings either.
  if ((type != AE_IFREG && !isFolder) || archive_entry_hardlink(entry) || archive_entry_symlink(entry)) {
    out_.refused.push_back(*name);
    return Step::Next;
  }
  const std::optional<std::vector<std::string>> parts = safeParts(*name);
  if (!parts) {
    out_.refused.push_back(*name);
    return Step::Next;
  }
  std::string folder;
  if (isFolder) {
    if (keepFolders_ && !ensureFolder(*parts, parts->size(), folder)) fail(kCannotWrite);
    return Step::Next;
  }
  if (parts->empty()) {  // "./" and the like: nothing to name the file by
    out_.refused.push_back(*name);
    return Step::Next;
  }
  if (archive_entry_is_data_encrypted(entry)) {  // no password to ask for
    fail(kEncrypted);
    return Step::Next;
  }
  if (!ensureFolder(*parts, keepFolders_ ? parts->size() - 1 : 0, folder)) {
    fail(kCannotWrite);
    return Step::Next;
  }
  return writeFile(a, entry, base::joinPath(folder, parts->back()));
}

Extractor::Step Extractor::writeFile(archive* a, archive_entry* entry, const std::string& target) {
  if (!writer_.create(target)) {
    fail(kCannotWrite);
    return Step::Next;
  }
  // A member cut short or failing its check is removed: half a drawing is
  // worse than none.
  auto discard = [&](const char* reason) {
    writer_.close();
    base::removeFile(target);
    fail(reason);
  };
  std::int64_t at = 0;
  for (;;) {
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    const int r = archive_read_data_block(a, &block, &size, &offset);
    if (r == ARCHIVE_EOF) break;
    if (r != ARCHIVE_OK) {  // WARN is a bad check sum: the archive goes on, this member is lost
      discard(kDamaged);
      return r == ARCHIVE_FATAL ? Step::Stop : Step::Next;
    }
    bool ok = true;
    static const std::string zeros(size_t{1} << 16, '\0');
    while (ok && offset > at) {  // a hole in a sparse member
      const auto n = static_cast<size_t>(std::min<std::int64_t>(offset - at, zeros.size()));
      ok = writer_.write(std::string_view(zeros.data(), n));
      at += static_cast<std::int64_t>(n);
    }
    if (ok && size > 0) ok = writer_.write(std::string_view(static_cast<const char*>(block), size));
    if (!ok) {
      discard(kCannotWrite);
      return Step::Stop;  // a full disk stays full
    }
    at += static_cast<std::int64_t>(size);
  }
  std::optional<std::int64_t> modified;
  if (archive_entry_mtime_is_set(entry)) modified = static_cast<std::int64_t>(archive_entry_mtime(entry));
  if (!writer_.close(modified)) {
    base::removeFile(target);
    fail(kCannotWrite);
    return Step::Stop;
  }
  if (writtenSet_.insert(target).second) out_.written.push_back(target);
  return Step::Next;
}

}  // namespace

ExtractOutcome ExtractAll(const std::string& archive, const std::string& dest, bool keepFolders) {
  return Extractor(dest, keepFolders).run(archive);
}

}  // namespace drawings
