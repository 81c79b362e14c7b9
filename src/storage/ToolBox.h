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
// Opens a web address, or a file of the installation's settings folder,
// with the shell.
bool OpenUrl(const std::string& target);
// A source to download rather than to open as a file: the text contains
// "http:/" or "https:/", without regard to case.
bool IsWebAddress(std::string_view text);
// A file name that the system opens as a device: CON, PRN, AUX, NUL,
// COM1-COM9 or LPT1-LPT9 (the superscript digits 1-3 count as the digits),
// whatever extension follows and whatever blanks end the name.
bool IsReservedDeviceName(std::string_view name);
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
