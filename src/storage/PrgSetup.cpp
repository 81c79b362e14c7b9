#include "storage/PrgSetup.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/Ansi.h"
#include "platform/Application.h"
#include "platform/Platform.h"
#include "storage/DebugLog.h"
#include "storage/Errors.h"
#include "storage/LangRes.h"
#include "storage/ToolBox.h"

#ifndef STREVO_VERSION_TEXT
#define STREVO_VERSION_TEXT "0.0.0"
#endif

namespace strevo {

std::unique_ptr<TProgramSettings> ProgramSettings;

namespace {

// "Dec  9 2025" -> "2025-12-09".
std::string CompileDateText() {
  static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::string date = __DATE__;
  int month = 0;
  for (int i = 0; i < 12; ++i)
    if (date.compare(0, 3, months[i]) == 0) month = i + 1;
  const int day = std::atoi(date.substr(4, 2).c_str());
  char text[16];
  std::snprintf(text, sizeof text, "%s-%02d-%02d", date.substr(7, 4).c_str(), month, day);
  return text;
}

std::string BuildDetailText() {
#ifdef _WIN32
  std::string detail = "Windows";
#else
  std::string detail = "native";
#endif
#ifdef NDEBUG
  detail += ", release";
#else
  detail += ", debug";
#endif
  return detail;
}

const char* const kSection = "Path";

void ShowStop(const std::string& text, const std::string& caption) {
  Dialogs().ShowMessage(text, caption, mb::kIconError);
  Application().Terminate();
}

}  // namespace

std::string ExtractFilePath(const std::string& path) {
  const size_t at = path.find_last_of("\\/:");
  return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

bool IsAbsoluteFolder(const std::string& folder) {
  if (folder.find('%') != std::string::npos) return false;
  const bool drive = folder.size() >= 3 && std::isalpha(static_cast<unsigned char>(folder[0])) && folder[1] == ':' &&
                     (folder[2] == '\\' || folder[2] == '/');
  return drive || folder.starts_with("\\\\");
}

std::string IncludeTrailingBackslash(const std::string& folder) {
  if (folder.empty() || folder.back() == '\\') return folder;
  return folder + "\\";
}

bool ForceDirectories(const std::string& folder) {
  if (folder.empty()) return false;
  if (Files().DirectoryExists(folder)) return true;
  std::string path = folder;
  while (path.size() > 1 && path.back() == '\\') path.pop_back();
  // Each prefix ending before a "\" is a parent; the drive and the server
  // of a network path cannot be made and are passed over.
  for (size_t at = path.find('\\', 1);; at = path.find('\\', at + 1)) {
    const std::string prefix = at == std::string::npos ? path : path.substr(0, at);
    if (!prefix.empty() && prefix.back() != ':' && prefix.back() != '\\' && !Files().DirectoryExists(prefix))
      Files().MakeDirectory(prefix);
    if (at == std::string::npos) break;
  }
  return Files().DirectoryExists(folder);
}

TProgramSettings::TProgramSettings()
    : VersionText(STREVO_VERSION_TEXT),
      BuildText(STREVO_VERSION_TEXT),
      CompileDate(CompileDateText()),
      BuildDetail(BuildDetailText()) {}

std::unique_ptr<TProgramSettings> TProgramSettings::Create(const std::string& dataDir) {
  auto settings = std::make_unique<TProgramSettings>();
  settings->Resolve(dataDir);
  settings->PathIni.reset();
  return settings;
}

bool TProgramSettings::ReadPathFile(const std::string& file, std::string& dataDir, PathFileValues& values) {
  PathIni = std::make_unique<TIniFile>(file);
  const TIniFile& ini = *PathIni;
  dataDir = System().ExpandEnvironment(ini.ReadString(kSection, "DataPath", ""));
  if (dataDir.size() > 250) dataDir.resize(250);
  std::string databaseRoot = ini.ReadString(kSection, "DataBase", "");
  const std::string syncMode = ini.ReadString(kSection, "Syncmode", "");
  const std::string syncTeacherPath = ini.ReadString(kSection, "SyncInpath", "");
  const std::string syncStudentPath = ini.ReadString(kSection, "SyncOutpath", "");

  if (!syncMode.empty()) {
    values.syncOn = true;
    // An empty "SyncIn=" counts as missing, so that the folder never
    // becomes the database folder itself.
    const std::string syncIn = ini.ReadString(kSection, "SyncIn", "");
    values.inboundFolder = (syncIn.empty() ? std::string("inbound") : syncIn) + "\\";
    // The file has no key of its own for the outbound folder: it shares
    // the "SyncIn" name (without the "\"), or is "outbound".
    values.outboundFolder = syncIn.empty() ? std::string("outbound\\") : syncIn;
    if (same_text(syncMode, "file")) {
      if (!Files().DirectoryExists(syncTeacherPath)) {
        ShowStop(
            "Quorvel user data cannot be accessed. Please reinstall the software with a valid teacher synd "
            "data path.",
            LangStr(360));
        return false;
      }
      if (!Files().DirectoryExists(syncStudentPath)) {
        ShowStop(
            "Quorvel user data cannot be accessed. Please reinstall the software with a valid student synd "
            "data path.",
            LangStr(360));
        return false;
      }
    }
  }
  databaseRoot = IncludeTrailingBackslash(databaseRoot);

  const std::string appData = TrimBlanks(ini.ReadString(kSection, "AppData", ""));
  if (appData == "2" || appData == "1") {
    const std::string folder = appData == "2" ? LocalAppDataFolder() : AppDataFolder();
    // Without an application-data folder (none, a variable left unexpanded,
    // a relative path) the user database stays where the other keys put it,
    // rather than somewhere under the current folder.
    if (IsAbsoluteFolder(folder)) databaseRoot = folder + "\\Quorvel11\\";
  }
  values.databaseRoot = databaseRoot;
  return true;
}

void TProgramSettings::Resolve(std::string dataDir) {
  PathFileValues values;
  const std::string exeName = System().ExecutablePath();
  const std::string exeFolder = ExtractFilePath(exeName);

  DebugLog(0, "DDir: " + dataDir);
  const std::string iniFolder = IncludeTrailingBackslash(dataDir.empty() ? exeFolder : dataDir);
  DebugLog(0, "Checking for: " + iniFolder + "QVNPath.ini");
  if (Files().FileExists(iniFolder + "QVNPath.ini") && !ReadPathFile(iniFolder + "QVNPath.ini", dataDir, values))
    return;

  DebugLog(0, "DDir updated: " + dataDir);
  DebugLog(0, "Application.Exename: " + exeName);
  DebugLog(0, "Path of Application.Exename: " + exeFolder);

  RootPath = IncludeTrailingBackslash(dataDir.empty() ? exeFolder : dataDir);
  if (values.syncOn && !values.inboundFolder.empty()) {
    // Without "DataBase" the inbound folder lies under the data root.
    RootPath = (values.databaseRoot.empty() ? RootPath : values.databaseRoot) + values.inboundFolder;
    if (!Files().DirectoryExists(RootPath)) ForceDirectories(RootPath);
  }
  if (!values.databaseRoot.empty()) {
    DatabasePath = IncludeTrailingBackslash(values.databaseRoot + values.outboundFolder);
    if (!Files().DirectoryExists(DatabasePath)) ForceDirectories(DatabasePath);
  } else {
    DatabasePath = RootPath + "Database\\";
  }
  DebugLog(0, "RootPath: " + RootPath);

  if (Files().DirectoryExists(RootPath)) {
    DebugLog(0, "Checking if policy.dyn is present in RootPath " + RootPath);
    if (!Files().FileExists(RootPath + "Policy.dyn")) {
      ShowStop(LangStr(361) + "\r" + LangStr(362) + ansi_upper(RootPath) + LangStr(363) + "\r\r" + LangStr(364),
               LangStr(1));
      return;
    }
    if (!Files().DirectoryExists(DatabasePath)) ReportError(0, "Database directory not found");
  } else {
    ShowStop(LangStr(358) + "\r" + LangStr(359), LangStr(360));
  }
}

}  // namespace strevo
