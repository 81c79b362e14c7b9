// Text helpers for the 8-bit Windows-1252 strings the whole program uses.
// Case mapping never depends on the build machine's locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace strevo {

// The system's ANSI mapping for Windows-1252: ASCII letters, the accented
// letters C0-DE/E0-FE (but not the signs D7 and F7), and the pairs
// 8A/9A, 8C/9C, 8E/9E, 9F/FF. Other bytes (DF, B5, AA, BA) are unchanged.
unsigned char ansi_upper_char(unsigned char c);
unsigned char ansi_lower_char(unsigned char c);
std::string ansi_upper(std::string_view text);
std::string ansi_lower(std::string_view text);

// A to Z only, as the places that deliberately ignore accented letters do.
inline unsigned char ascii_upper_char(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }
inline unsigned char ascii_lower_char(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }
std::string ascii_upper(std::string_view text);
std::string ascii_lower(std::string_view text);

// Comparison without regard to case under the ANSI mapping (how names of
// settings, users and files are matched).
bool same_text(std::string_view a, std::string_view b);
int compare_text(std::string_view a, std::string_view b);  // <0, 0, >0 on lower-cased bytes

bool starts_with_text(std::string_view text, std::string_view prefix);  // without regard to case
bool contains_text(std::string_view text, std::string_view part);       // without regard to case

// The character a Windows-1252 byte stands for. The five bytes the code page
// leaves unused (81, 8D, 8F, 90, 9D) stand for the C1 control characters of
// the same number, as the system's own conversion gives them.
uint32_t AnsiCodePoint(unsigned char c);
// The Windows-1252 byte of a character; false for one the code page cannot
// write (no near letter stands in for it).
bool AnsiFromCodePoint(uint32_t codePoint, unsigned char& c);

}  // namespace strevo
