#include "storage/Numbers.h"

#include <charconv>
#include <limits>

namespace strevo {

std::string float_to_text(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  char buffer[64];
  const char* end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15).ptr;
  const std::string_view text(buffer, static_cast<size_t>(end - buffer));
  const size_t e = text.find('e');
  if (e == std::string_view::npos) return std::string(text);
  // "1.5e-05" -> "1.5E-5", "1e+20" -> "1E20"
  std::string_view exponent = text.substr(e + 1);
  const bool negative = exponent[0] == '-';
  if (exponent[0] == '-' || exponent[0] == '+') exponent.remove_prefix(1);
  while (exponent.size() > 1 && exponent[0] == '0') exponent.remove_prefix(1);
  return std::string(text.substr(0, e)) + (negative ? "E-" : "E") + std::string(exponent);
}

bool text_to_float(std::string_view text, double& value) {
  if (text.empty() || text.size() > 200) return false;
  std::string copy(text);
  for (char& c : copy)
    if (c == ',') c = '.';
  for (char c : copy) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) return false;
  }
  const char* first = copy.data();
  const char* const last = first + copy.size();
  // One plus sign may lead, as in "+2.5"; from_chars reads none.
  if (first[0] == '+' && first[1] != '+' && first[1] != '-') ++first;
  double parsed = 0;
  const auto [end, error] = std::from_chars(first, last, parsed);
  if (end != last) return false;
  if (error == std::errc::result_out_of_range) {
    // With a negative exponent the number is too small for a double (200
    // characters cannot make one too large) and reads as zero. Too large is
    // no value: read as infinity it would be written as "INF", which no
    // reader takes back.
    const size_t exponent = copy.find_first_of("eE");
    if (exponent == std::string::npos || copy[exponent + 1] != '-') return false;
    parsed = copy[0] == '-' ? -0.0 : 0.0;
  } else if (error != std::errc()) {
    return false;
  }
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
