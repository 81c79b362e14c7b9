#include "platform/Ansi.h"

#include <algorithm>
#include <array>

namespace strevo {

namespace {

struct CaseTables {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};
  CaseTables() {
    for (int c = 0; c < 256; ++c) upper[c] = lower[c] = static_cast<unsigned char>(c);
    auto pair = [this](int big, int small) {
      upper[small] = static_cast<unsigned char>(big);
      lower[big] = static_cast<unsigned char>(small);
    };
    for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
    for (int c = 0xC0; c <= 0xDE; ++c)
      if (c != 0xD7) pair(c, c + 32);
    pair(0x8A, 0x9A);
    pair(0x8C, 0x9C);
    pair(0x8E, 0x9E);
    pair(0x9F, 0xFF);
  }
};

const CaseTables& tables() {
  static const CaseTables t;
  return t;
}

}  // namespace

unsigned char ansi_upper_char(unsigned char c) { return tables().upper[c]; }
unsigned char ansi_lower_char(unsigned char c) { return tables().lower[c]; }

std::string ansi_upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(ansi_upper_char(static_cast<unsigned char>(c)));
  return out;
}

std::string ansi_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(ansi_lower_char(static_cast<unsigned char>(c)));
  return out;
}

std::string ascii_upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(ascii_upper_char(static_cast<unsigned char>(c)));
  return out;
}

std::string ascii_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(ascii_lower_char(static_cast<unsigned char>(c)));
  return out;
}

int compare_text(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int x = ansi_lower_char(static_cast<unsigned char>(a[i]));
    const int y = ansi_lower_char(static_cast<unsigned char>(b[i]));
    if (x != y) return x - y;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool same_text(std::string_view a, std::string_view b) { return a.size() == b.size() && compare_text(a, b) == 0; }

bool starts_with_text(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && same_text(text.substr(0, prefix.size()), prefix);
}

bool contains_text(std::string_view text, std::string_view part) {
  if (part.empty()) return true;
  if (part.size() > text.size()) return false;
  for (size_t i = 0; i + part.size() <= text.size(); ++i)
    if (same_text(text.substr(i, part.size()), part)) return true;
  return false;
}

// ------------------------------------------------------------ code page --

namespace {

// Bytes 80-9F of Windows-1252; 0 marks the five unused ones.
constexpr uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

uint32_t AnsiCodePoint(unsigned char c) {
  if (c < 0x80 || c > 0x9F) return c;
  const uint16_t mapped = kHighControls[c - 0x80];
  return mapped ? mapped : c;
}

bool AnsiFromCodePoint(uint32_t codePoint, unsigned char& c) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    c = static_cast<unsigned char>(codePoint);
    return true;
  }
  for (unsigned i = 0; i < 32; ++i) {
    if (AnsiCodePoint(static_cast<unsigned char>(0x80 + i)) == codePoint) {
      c = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

}  // namespace strevo
