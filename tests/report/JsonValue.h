// A strict JSON reader for the report's tests: the grammar of RFC 8259 and
// nothing more (no trailing commas, no comments, no bare control characters,
// no lone surrogates), with every byte checked to be UTF-8. Strings come
// back as UTF-8 with their escapes resolved.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace strevo::test {

struct JsonValue {
  enum class Kind { Null, Bool, Number, String, Array, Object };
  Kind kind = Kind::Null;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<JsonValue> items;
  std::vector<std::pair<std::string, JsonValue>> members;

  bool IsNull() const { return kind == Kind::Null; }
  // The member of that name, or a null value when there is none.
  const JsonValue& operator[](const std::string& name) const;
  // The item, or a null value past the end.
  const JsonValue& operator[](size_t index) const;
  bool Has(const std::string& name) const;
};

// False with the reason and the byte offset in error.
bool ParseJson(const std::string& text, JsonValue& value, std::string& error);

// Every byte sequence is well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool IsUtf8(const std::string& text);

}  // namespace strevo::test
