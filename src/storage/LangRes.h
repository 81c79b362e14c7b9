// TLocalize: the process-wide table of user-interface strings, indexed by
// number. String 0 is the name of the loaded language file.
//
// String files ("language.eng", one per other language, and the optional
// supplement "language.icr") hold one row per string: the id, "=", the text.
// Empty rows and rows beginning with "/" or NUL are comments. The last row
// (or the one before it, when the last is empty) carries the highest id and
// so sizes the table. "\n" in a text becomes a CR, "\+" a blank.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace strevo {

inline constexpr const char* kMissingString = "(Localization error - string missing)";
// What an entry holds until a file sets it: one NUL character, so that an
// unset entry differs from an empty text.
inline const std::string kUnsetString(1, '\0');

class TLocalize {
 public:
  // ParseStringFile modes.
  static constexpr int kMainFile = 1;     // replaces the table
  static constexpr int kSupplement = 2;   // overwrites entries, string 0 excepted
  static constexpr int kEnglishFill = 3;  // sets only entries still unset, resizes the table
  // Ids are below this; a last row with a higher id makes the file invalid.
  static constexpr int kMaxCount = 100000;
  // Characters of a text kept at most.
  static constexpr size_t kMaxTextLength = 10000;

  // Loads the selected language (from "QVLangs.ini", or the one remembered
  // for the process), then the supplement and the English fill. 0 on
  // success, -1 when the language file is unusable. Throws EStrevoError when
  // a string file is malformed.
  int Load(const std::string& baseName, int mode);
  // One string file. 0 when string 0 names this file, else -1 (also when the
  // file is missing). Throws EStrevoError for a table below two entries or,
  // in the main file, a duplicate id.
  int ParseStringFile(const std::string& fileName, int mode);

  // The text of string id; ids outside the table give kMissingString, an id
  // that no file set gives kUnsetString.
  std::string GetString(int id) const;
  // The same text; the pointer stays valid while the table entry lives.
  const char* GetPChar(int id) const;
  // GetString, with the tutor's product names where the text is missing.
  std::string GetProductString(int id) const;
  // The code part (after "=") of row index of Languages; empty when there is
  // no such row.
  std::string GetLanguageCode(int index) const;

  int Count() const { return static_cast<int>(Strings.size()); }
  // Empties the table and forgets the language lists.
  void Clear();

  std::vector<std::string> Strings;
  int PreviousCount = 0;
  std::vector<std::string> Languages;      // "display name=code"
  std::vector<std::string> LanguageNames;  // display names

 private:
  void LoadLanguageList();
  bool listsLoaded_ = false;
  std::string listCode_;  // the "language" value of the language list
};

// The one table of the process.
TLocalize& Localize();
// Shorthand used throughout: the localized text of an id.
inline std::string LangStr(int id) { return Localize().GetString(id); }

// The language code chosen by the first Load of the process; later loads
// keep it. Empty until then.
const std::string& SelectedLanguageCode();
void ResetSelectedLanguageCode();

}  // namespace strevo
