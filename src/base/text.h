// Text helpers on UTF-8 strings. Searches work on whole characters: a UTF-8
// needle can only match at a character boundary of a valid UTF-8 haystack.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace base {

bool contains(std::string_view haystack, std::string_view needle);
bool startsWith(std::string_view text, std::string_view prefix);
bool endsWith(std::string_view text, std::string_view suffix);

// Case-insensitive comparison for sorts and look-ups: ASCII letters and the
// full-width Latin letters fold to one case; other characters compare by
// code point. <0, 0, >0 like strcmp.
int compareTextNoCase(std::string_view a, std::string_view b);
bool equalsNoCase(std::string_view a, std::string_view b);
std::string asciiLower(std::string_view text);
std::string asciiUpper(std::string_view text);

// Removes blanks (space, tab, CR, LF) at both ends.
std::string trim(std::string_view text);

std::vector<std::string> split(std::string_view text, char sep);

// Number as decimal text.
std::string intToStr(long long v);

}  // namespace base
