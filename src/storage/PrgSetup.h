// TProgramSettings: where the installation's shared data (RootPath: policy
// file, group files, word lists) and the user database (DatabasePath) live,
// worked out once at start from the path file "QVNPath.ini" in the program's
// folder. One instance exists once the tray core has created it.
#pragma once

#include <memory>
#include <string>

#include "storage/IniFile.h"

namespace strevo {

class TProgramSettings {
 public:
  // Empty settings with the build description filled in.
  TProgramSettings();

  // Resolves the paths. dataDir is the folder searched for "QVNPath.ini"
  // (empty: the program's folder). Never throws; on an installation whose
  // data folders are missing it shows a message and asks the application to
  // terminate, and returns the settings as far as they were resolved.
  static std::unique_ptr<TProgramSettings> Create(const std::string& dataDir);

  // Build description for the error log header.
  std::string VersionText;  // "12.0.974"
  std::string BuildText;    // "12.0.974"
  std::string CompileDate;  // "2025-12-09"
  std::string BuildDetail;  // "Windows, release"
  // "QVNPath.ini" while it is being read.
  std::unique_ptr<TIniFile> PathIni;
  std::string DatabasePath;  // ends in "\"
  std::string RootPath;      // ends in "\"

 private:
  // What the path file says, before the folders are put together.
  struct PathFileValues {
    std::string databaseRoot, inboundFolder, outboundFolder;
    bool syncOn = false;
  };
  void Resolve(std::string dataDir);
  // Reads "QVNPath.ini"; false after a message that stops the program.
  bool ReadPathFile(const std::string& file, std::string& dataDir, PathFileValues& values);
};

// The program-wide instance; null until created.
extern std::unique_ptr<TProgramSettings> ProgramSettings;

// The folder part of a path, up to and including its last "\" (or "/").
std::string ExtractFilePath(const std::string& path);
// A folder given with its drive ("C:\...") or server ("\\server\..."), with
// no environment variable left unexpanded in it.
bool IsAbsoluteFolder(const std::string& folder);
// Adds a trailing "\" to a non-empty folder path that has none.
std::string IncludeTrailingBackslash(const std::string& folder);
// Creates a folder with all its missing parents; true when it exists after.
bool ForceDirectories(const std::string& folder);

}  // namespace strevo
