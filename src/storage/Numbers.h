// Rounding and number text as the program's figures and files need them.
// Number text never follows the decimal separator of the C locale.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace strevo {

// Round: to the nearest integer, halves to the even neighbour.
inline int64_t round_half_even(double value) {
  const double floor = std::floor(value);
  const double diff = value - floor;
  int64_t result = static_cast<int64_t>(floor);
  if (diff > 0.5 || (diff == 0.5 && (result % 2 != 0))) ++result;
  return result;
}

// Round of the exact ratio numerator / denominator (denominator > 0), halves
// to the even neighbour: no binary fraction can move a half.
inline int64_t round_ratio_half_even(int64_t numerator, int64_t denominator) {
  int64_t quotient = numerator / denominator;
  const int64_t twice = 2 * (numerator % denominator);  // the remainder has the numerator's sign
  if (twice > denominator || (twice == denominator && quotient % 2 != 0)) ++quotient;
  if (-twice > denominator || (-twice == denominator && quotient % 2 != 0)) --quotient;
  return quotient;
}

// Trunc: drops the fraction.
inline int64_t trunc_toward_zero(double value) { return static_cast<int64_t>(std::trunc(value)); }

// Decimal text of a double with 15 significant digits, "." as separator,
// exponent written as "E-5" (the class library's general float format).
std::string float_to_text(double value);
// Reads "." or "," as the decimal separator; false for text that is not a
// number (surrounding blanks are not accepted) or too large for a double.
bool text_to_float(std::string_view text, double& value);
// Whole decimal numbers with optional sign (and "$" hexadecimal, as the class
// library reads); false on anything else or on overflow.
bool text_to_int32(std::string_view text, int32_t& value);
bool text_to_int64(std::string_view text, int64_t& value);

}  // namespace strevo
