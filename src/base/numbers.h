// Numbers as the program reads and writes them.
#pragma once
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace base {

// Round to hundredths with halves to even: x*100 rounded to the nearest
// integer (ties to even), divided by 100.
double round2(double x);

// Shortest fixed-point decimal text with at most 15 significant digits,
// "." as separator, no trailing zeros, no point for whole numbers:
// 50 -> "50", 12.5 -> "12.5", 0.35 -> "0.35", -0 -> "0".
std::string fmt(double v);

// A floating-point number as the user types it: optional blanks around it,
// optional sign, digits with an optional "." and fraction, optional
// exponent. Full-width digits are not accepted. nullopt when the whole text
// is not a number.
std::optional<double> tryParseNumber(std::string_view text);

// Raised for text that should be a number and is not; the message names the
// text, in the user's language.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
double parseNumber(std::string_view text);  // throws ConversionError

// Whole decimal integer with optional sign and blanks; nullopt otherwise.
std::optional<long long> tryParseInt(std::string_view text);

}  // namespace base
