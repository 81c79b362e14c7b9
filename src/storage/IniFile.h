// A reader of Windows ini files ("[Section]" headers and key=value rows), as
// the installation's path file "QVNPath.ini" uses. The file is read once,
// through the platform file layer, when the object is made. Section and key
// names are matched without regard to case; the first match wins.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace strevo {

class TIniFile {
 public:
  // A missing or unreadable file reads as an empty one.
  explicit TIniFile(const std::string& fileName);

  const std::string& FileName() const { return fileName_; }
  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  // The value with blanks trimmed and one pair of enclosing quotes removed,
  // cut to kMaxValueLength characters; the default when the key is missing.
  std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;

  // The system reads ini values into a buffer of this size (less the NUL).
  static constexpr size_t kMaxValueLength = 2047;
  // Bytes read at most; the rest of a larger file is ignored.
  static constexpr size_t kMaxFileSize = 16 * 1024 * 1024;

 private:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;
  };
  const Section* Find(const std::string& section) const;

  std::string fileName_;
  std::vector<Section> sections_;
};

}  // namespace strevo
