#include "JsonValue.h"

#include <cstdlib>
#include <stdexcept>

namespace strevo::test {

namespace {

const JsonValue kNull;

// Length of the UTF-8 sequence at text[i], 0 when it is not well-formed.
size_t utf8_length(const std::string& text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char c = byte(i);
  if (c < 0x80) return 1;
  size_t n = 0;
  uint32_t cp = 0;
  if (c >= 0xC2 && c <= 0xDF) n = 2, cp = c & 0x1F;
  else if (c >= 0xE0 && c <= 0xEF) n = 3, cp = c & 0x0F;
  else if (c >= 0xF0 && c <= 0xF4) n = 4, cp = c & 0x07;
  else return 0;
  if (i + n > text.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

void append_utf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

class Parser {
 public:
  explicit Parser(const std::string& text) : text_(text) {}

  JsonValue Document() {
    JsonValue value = Value(0);
    Blanks();
    if (at_ != text_.size()) Fail("text after the value");
    return value;
  }
  size_t At() const { return at_; }

 private:
  [[noreturn]] void Fail(const std::string& why) { throw std::runtime_error(why); }
  char Peek() { return at_ < text_.size() ? text_[at_] : '\0'; }
  void Blanks() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
      ++at_;
  }
  void Expect(char c) {
    if (Peek() != c) Fail(std::string("expected '") + c + "'");
    ++at_;
  }
  void Word(const char* word) {
    for (const char* p = word; *p; ++p) Expect(*p);
  }

  JsonValue Value(int depth) {
    if (depth > 64) Fail("nested too deep");
    Blanks();
    JsonValue v;
    switch (Peek()) {
      case '{': Object(v, depth); break;
      case '[': Array(v, depth); break;
      case '"': v.kind = JsonValue::Kind::String; v.text = String(); break;
      case 't': Word("true"); v.kind = JsonValue::Kind::Bool; v.boolean = true; break;
      case 'f': Word("false"); v.kind = JsonValue::Kind::Bool; break;
      case 'n': Word("null"); break;
      default: Number(v);
    }
    return v;
  }

  void Object(JsonValue& v, int depth) {
    v.kind = JsonValue::Kind::Object;
    Expect('{');
    Blanks();
    if (Peek() == '}') {
      ++at_;
      return;
    }
    for (;;) {
      Blanks();
      if (Peek() != '"') Fail("expected a member name");
      std::string name = String();
      Blanks();
      Expect(':');
      v.members.emplace_back(std::move(name), Value(depth + 1));
      Blanks();
      if (Peek() == ',') {
        ++at_;
        continue;
      }
      Expect('}');
      return;
    }
  }

  void Array(JsonValue& v, int depth) {
    v.kind = JsonValue::Kind::Array;
    Expect('[');
    Blanks();
    if (Peek() == ']') {
      ++at_;
      return;
    }
    for (;;) {
      v.items.push_back(Value(depth + 1));
      Blanks();
      if (Peek() == ',') {
        ++at_;
        continue;
      }
      Expect(']');
      return;
    }
  }

  uint32_t Hex4() {
    if (at_ + 4 > text_.size()) Fail("short \\u escape");
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      value <<= 4;
      if (c >= '0' && c <= '9') value |= static_cast<uint32_t>(c - '0');
      else if (c >= 'a' && c <= 'f') value |= static_cast<uint32_t>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F') value |= static_cast<uint32_t>(c - 'A' + 10);
      else Fail("bad \\u escape");
    }
    return value;
  }

  std::string String() {
    Expect('"');
    std::string out;
    for (;;) {
      if (at_ >= text_.size()) Fail("unclosed string");
      const auto c = static_cast<unsigned char>(text_[at_]);
      if (c == '"') {
        ++at_;
        return out;
      }
      if (c < 0x20) Fail("bare control character in a string");
      if (c == '\\') {
        ++at_;
        const char e = Peek();
        ++at_;
        switch (e) {
          case '"': out += '"'; break;
          case '\\': out += '\\'; break;
          case '/': out += '/'; break;
          case 'b': out += '\b'; break;
          case 'f': out += '\f'; break;
          case 'n': out += '\n'; break;
          case 'r': out += '\r'; break;
          case 't': out += '\t'; break;
          case 'u': {
            uint32_t cp = Hex4();
            if (cp >= 0xDC00 && cp <= 0xDFFF) Fail("lone low surrogate");
            if (cp >= 0xD800 && cp <= 0xDBFF) {
              Expect('\\');
              Expect('u');
              const uint32_t low = Hex4();
              if (low < 0xDC00 || low > 0xDFFF) Fail("lone high surrogate");
              cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            }
            append_utf8(out, cp);
            break;
          }
          default: Fail("bad escape");
        }
        continue;
      }
      const size_t n = utf8_length(text_, at_);
      if (n == 0) Fail("not UTF-8");
      out.append(text_, at_, n);
      at_ += n;
    }
  }

  void Number(JsonValue& v) {
    const size_t start = at_;
    if (Peek() == '-') ++at_;
    if (Peek() == '0') {
      ++at_;
    } else if (Peek() >= '1' && Peek() <= '9') {
      while (Peek() >= '0' && Peek() <= '9') ++at_;
    } else {
      Fail("expected a value");
    }
    if (Peek() == '.') {
      ++at_;
      if (!(Peek() >= '0' && Peek() <= '9')) Fail("digits after '.'");
      while (Peek() >= '0' && Peek() <= '9') ++at_;
    }
    if (Peek() == 'e' || Peek() == 'E') {
      ++at_;
      if (Peek() == '+' || Peek() == '-') ++at_;
      if (!(Peek() >= '0' && Peek() <= '9')) Fail("digits in the exponent");
      while (Peek() >= '0' && Peek() <= '9') ++at_;
    }
    v.kind = JsonValue::Kind::Number;
    v.number = std::strtod(text_.substr(start, at_ - start).c_str(), nullptr);
  }

  const std::string& text_;
  size_t at_ = 0;
};

}  // namespace

const JsonValue& JsonValue::operator[](const std::string& name) const {
  for (const auto& [key, value] : members)
    if (key == name) return value;
  return kNull;
}

const JsonValue& JsonValue::operator[](size_t index) const { return index < items.size() ? items[index] : kNull; }

bool JsonValue::Has(const std::string& name) const {
  for (const auto& member : members)
    if (member.first == name) return true;
  return false;
}

bool ParseJson(const std::string& text, JsonValue& value, std::string& error) {
  Parser parser(text);
  try {
    value = parser.Document();
    return true;
  } catch (const std::exception& e) {
    error = std::string(e.what()) + " at byte " + std::to_string(parser.At());
    return false;
  }
}

bool IsUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const size_t n = utf8_length(text, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

}  // namespace strevo::test
