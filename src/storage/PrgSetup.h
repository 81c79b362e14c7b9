// TProgramSettings: where the installation's shared data and user database
// live. One instance exists once the tray core has created it.
#pragma once

#include <memory>
#include <string>

namespace strevo {

class TProgramSettings {
 public:
  std::string VersionText;
  std::string BuildText;
  std::string CompileDate;
  std::string BuildDetail;
  std::string DatabasePath;  // ends in "\"
  std::string RootPath;      // ends in "\"
};

// The program-wide instance; null until created.
extern std::unique_ptr<TProgramSettings> ProgramSettings;

}  // namespace strevo
