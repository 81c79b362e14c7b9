#include "storage/ToolBox.h"

#include <algorithm>
#include <chrono>

#include "platform/Ansi.h"
#include "storage/DateTime.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"

namespace strevo {

namespace {
bool is_blank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::string TrimBlanks(std::string_view text) {
  size_t first = 0, last = text.size();
  while (first < last && is_blank(text[first])) ++first;
  while (last > first && is_blank(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

std::vector<std::string> SplitFields(std::string_view text, std::string_view delimiters) {
  std::vector<std::string> fields;
  std::string field;
  const bool escapes = text.find('%') != std::string_view::npos;
  for (char c : text) {
    if (delimiters.find(c) != std::string_view::npos) {
      if (escapes && !field.empty() && field.back() == '%') {
        field.back() = c;  // "%," keeps the comma and drops the "%"
        continue;
      }
      if (!field.empty()) fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  if (!field.empty()) fields.push_back(field);
  return fields;
}

std::string CapitalizeWord(std::string_view word) {
  std::string out = ansi_lower(word);
  const std::string letters = LangStr(13);
  auto capitalize_at = [&](size_t i) {
    if (i < out.size() && letters.find(out[i]) != std::string::npos)
      out[i] = static_cast<char>(ansi_upper_char(static_cast<unsigned char>(out[i])));
  };
  capitalize_at(0);
  // After the first "-" and the first blank, when at least two characters follow.
  for (char separator : {'-', ' '}) {
    const size_t at = out.find(separator);
    if (at != std::string::npos && out.size() - at - 1 >= 2) capitalize_at(at + 1);
  }
  return out;
}

std::string NormalizeName(std::string_view name) {
  std::string text(name.substr(0, 50));
  if (text.empty()) return text;
  const unsigned char first = static_cast<unsigned char>(text[0]);
  if (ansi_upper_char(first) == first && ascii_upper(text) != text) return text;
  std::string joined;
  for (const std::string& part : SplitFields(text, " ")) {
    if (!joined.empty()) joined += ' ';
    joined += CapitalizeWord(part);
  }
  return TrimBlanks(joined);
}

std::string LeftStr(std::string_view text, int count) {
  if (count <= 0) return {};
  return std::string(text.substr(0, std::min<size_t>(static_cast<size_t>(count), 255)));
}

std::string RightStr(std::string_view text, int count) {
  if (count <= 0) return {};
  const size_t n = std::min<size_t>({static_cast<size_t>(count), text.size(), 255});
  return std::string(text.substr(text.size() - n));
}

std::string KeepAllowedChars(std::string_view text) {
  const std::string allowed = LangStr(12) + ".,";
  std::string out;
  for (char c : text)
    if (allowed.find(c) != std::string::npos) out += c;
  return out;
}

float Interpolate(float yHigh, float yLow, float xHigh, float xLow, float x) {
  return yLow + (yHigh - yLow) * (x - xLow) / (xHigh - xLow);
}

bool OpenUrl(const std::string& target) {
  std::string full = target;
  if (!IsWebAddress(target) && !IsAbsoluteFolder(target) && ProgramSettings) full = ProgramSettings->RootPath + target;
  return System().ShellOpen(full, 10);
}

bool IsWebAddress(std::string_view text) { return contains_text(text, "http:/") || contains_text(text, "https:/"); }

bool IsReservedDeviceName(std::string_view name) {
  std::string base(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  base = ascii_upper(base);
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
  if (base.size() != 4 || !(base.starts_with("COM") || base.starts_with("LPT"))) return false;
  const auto digit = static_cast<unsigned char>(base[3]);
  return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

std::string WindowsUserName() { return System().UserName(); }

std::string LocalAppDataFolder() { return LeftStr(System().ExpandEnvironment("%LOCALAPPDATA%"), 199); }

std::string AppDataFolder() { return System().SpecialFolder(kCsidlAppData); }

bool KeyboardLayoutParts(KeyboardLayout& parts) {
  std::string name;
  parts = {};
  if (!System().KeyboardLayoutName(name) || name.size() < 8) return true;
  name = ascii_upper(name);
  parts.sublanguage = name.substr(6, 2);
  parts.language = name.substr(3, 3);
  parts.prefix = name.substr(0, 6);
  return false;
}

int WeekNumber(double now) {
  using namespace std::chrono;
  const sys_days today = calendar_day(now);
  const sys_days newYear{year_month_day{today}.year() / January / 1};
  const int d = static_cast<int>((today - newYear).count()) + 1;
  const int a = weekday{today} == Sunday ? 0 : 1;
  const weekday newYearDay{newYear};
  const int b = newYearDay == Sunday ? 1 : 8 - static_cast<int>(newYearDay.c_encoding());
  int week = d / 7 + a;
  if (d % 7 >= b) ++week;
  return week;
}

bool ForceForeground(WindowHandle window) { return Windows().ForceForeground(window); }

}  // namespace strevo
