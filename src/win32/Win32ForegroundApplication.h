// The foreground window's application over the real API: its process, the
// file name of the process's executable and the FileDescription of the
// executable's version information. The description is read from the file
// once per executable and kept.
#pragma once

#include <map>
#include <string>

#include "platform/ForegroundApplication.h"

namespace strevo {

class Win32ForegroundApplication : public IForegroundApplication {
 public:
  ApplicationIdentity Current() override;

  // The FileDescription of an executable's version information in its first
  // language; empty when it has none.
  static std::string FileDescription(const std::string& path);

 private:
  std::map<std::string, std::string> descriptions_;  // by full path
};

}  // namespace strevo
