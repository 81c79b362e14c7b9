// The small string and system utilities that many parts of the program share.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace strevo {

inline constexpr const char* kDefaultDelimiters = " ,\r\n";

std::string TrimBlanks(std::string_view text);  // blanks and tabs at both ends
// Fields separated by any of the delimiters; runs of delimiters make no empty
// field; "%" directly before a delimiter keeps the delimiter in the field.
std::vector<std::string> SplitFields(std::string_view text, std::string_view delimiters = kDefaultDelimiters);
std::string CapitalizeWord(std::string_view word);
std::string NormalizeName(std::string_view name);
std::string LeftStr(std::string_view text, int count);
std::string RightStr(std::string_view text, int count);
std::string KeepAllowedChars(std::string_view text);
float Interpolate(float yHigh, float yLow, float xHigh, float xLow, float x);
bool OpenUrl(const std::string& target);
std::string WindowsUserName();
std::string LocalAppDataFolder();
std::string AppDataFolder();

struct KeyboardLayout {
  std::string sublanguage;  // characters 7-8 of the layout name
  std::string language;     // characters 4-6
  std::string prefix;       // characters 1-6
};
// True when the layout name cannot be read (the parts are then empty).
bool KeyboardLayoutParts(KeyboardLayout& parts);

int WeekNumber(double now);
bool ForceForeground(WindowHandle window);

}  // namespace strevo
