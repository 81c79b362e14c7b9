// TLocalize: the process-wide table of user-interface strings, indexed by
// number. String 0 is the name of the loaded language file.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace strevo {

inline constexpr const char* kMissingString = "(Localization error - string missing)";

class TLocalize {
 public:
  // The text of string id; ids outside the table give kMissingString, an id
  // that no file set gives the one-character NUL marker.
  std::string GetString(int id) const;
  const char* GetPChar(int id) const;
  // GetString, with the tutor's product names where the text is missing.
  std::string GetProductString(int id) const;

  int Count() const { return static_cast<int>(Strings.size()); }
  std::vector<std::string> Strings;
};

// The one table of the process.
TLocalize& Localize();
// Shorthand used throughout: the localized text of an id.
inline std::string LangStr(int id) { return Localize().GetString(id); }

}  // namespace strevo
