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

}  // namespace strevo
