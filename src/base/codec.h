// UTF-8 inside the program, code page 932 (Shift-JIS) at the boundaries.
#pragma once
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace base {

// Raised when a text cannot be written in CP932; typing "?" garbage into
// AutoCAD or a settings file would silently corrupt the data. Carries the
// text and its first unwritable character, so that a message can say both
// in the user's words.
class EncodingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  EncodingError(const std::string& what, std::string text, std::string character)
      : std::runtime_error(what), text_(std::move(text)), character_(std::move(character)) {}
  const std::string& text() const { return text_; }
  const std::string& character() const { return character_; }

 private:
  std::string text_, character_;
};

// Strict: nullopt when some character has no CP932 form.
std::optional<std::string> tryUtf8ToCp932(std::string_view utf8);
// Strict: throws EncodingError naming the text.
std::string utf8ToCp932(std::string_view utf8);
// The first character (UTF-8; U+FFFD for a broken sequence) that keeps the
// text from being written in CP932, or nullopt when the whole text can be.
// The one test of whether a path can be handed to AutoCAD.
std::optional<std::string> firstCharWithoutCp932(std::string_view utf8);
// A character for a message: the character in brackets and its code point,
// 「한」(U+D55C), so that invisible ones (combining marks) can be found too.
std::string describeChar(std::string_view utf8Char);
// Lenient: bytes that are not valid CP932 become U+FFFD, never an exception,
// so that a damaged settings file or window text can still be read.
std::string cp932ToUtf8(std::string_view cp932);

// UTF-8 <-> UTF-16 (wchar_t on Windows, char16_t elsewhere); invalid input
// becomes U+FFFD.
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

// Replaces invalid UTF-8 sequences with U+FFFD.
std::string sanitizeUtf8(std::string_view text);

// Cuts a UTF-8 text so that its CP932 form has at most maxBytes bytes,
// never in the middle of a character.
std::string truncateToCp932Bytes(std::string_view utf8, size_t maxBytes);

}  // namespace base
