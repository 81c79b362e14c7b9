#include "storage/Numbers.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace strevo {

std::string float_to_text(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string text = buffer;
  const size_t e = text.find('E');
  if (e == std::string::npos) return text;
  // "1.5E-05" -> "1.5E-5", "1E+20" -> "1E20"
  std::string mantissa = text.substr(0, e);
  std::string exponent = text.substr(e + 1);
  std::string sign;
  if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
    if (exponent[0] == '-') sign = "-";
    exponent.erase(0, 1);
  }
  while (exponent.size() > 1 && exponent[0] == '0') exponent.erase(0, 1);
  return mantissa + "E" + sign + exponent;
}

bool text_to_float(std::string_view text, double& value) {
  if (text.empty() || text.size() > 200) return false;
  std::string copy(text);
  for (char& c : copy)
    if (c == ',') c = '.';
  for (char c : copy) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) return false;
  }
  char* end = nullptr;
  const double parsed = std::strtod(copy.c_str(), &end);
  // A number too large for a double is no value: read as infinity it would
  // be written as "INF", which no reader takes back.
  if (end != copy.c_str() + copy.size() || std::isinf(parsed)) return false;
  value = parsed;
  return true;
}

namespace {

template <typename T>
bool parse_integer(std::string_view text, T& value) {
  if (text.empty()) return false;
  bool negative = false;
  size_t i = 0;
  if (text[0] == '-' || text[0] == '+') {
    negative = text[0] == '-';
    i = 1;
  }
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return false;
  uint64_t magnitude = 0;
  auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + text.size(), magnitude, base);
  if (ec != std::errc() || ptr != text.data() + text.size()) return false;
  using Limits = std::numeric_limits<T>;
  if (negative) {
    if (magnitude > static_cast<uint64_t>(Limits::max()) + 1) return false;
    value = static_cast<T>(0 - magnitude);
  } else {
    if (base == 16 && magnitude <= static_cast<uint64_t>(std::numeric_limits<std::make_unsigned_t<T>>::max())) {
      value = static_cast<T>(magnitude);  // "$FFFFFFFF" reads as -1, as the class library does
    } else {
      if (magnitude > static_cast<uint64_t>(Limits::max())) return false;
      value = static_cast<T>(magnitude);
    }
  }
  return true;
}

}  // namespace

bool text_to_int32(std::string_view text, int32_t& value) { return parse_integer(text, value); }
bool text_to_int64(std::string_view text, int64_t& value) { return parse_integer(text, value); }

}  // namespace strevo
