#include "storage/Errors.h"

#include <map>
#include <vector>

#include "platform/Platform.h"
#include "storage/DateTime.h"
#include "storage/FileObj.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "storage/WholeFile.h"

namespace strevo {

std::string ErrorText(int32_t code) {
  static const std::map<int32_t, const char*> table = {
      {0, "(0)"},
      {-1, "File not found"},
      {-2, "File open failed"},
      {-3, "File already open"},
      {-4, "out of memory for file"},
      {-5, "File write error"},
      {-6, "File close failed / write failed"},
      {-10, "out of file request"},
      {-11, "textfile field error"},
      {-88, "textfile row over 255 char"},
      {-89, "wrong file version"},
      {-500, "Error in Main-procedure"},
      {-501, "Error in Event"},
      {-802, " Time out while opening for write-denied read mode"},
      {-901, "Database files not found"},
      {-910, "Username already exists, new was not be created"},
      {-1001, "User bookmark vs. Chapter data overflow"},
      {-1052, "Contents detected error"},
      {-1095, "Contents file description invalid"},
      {-1202, "User bookmark vs. exercise data overflow"},
      {-1505, "Cannot open User database"},
      {-1517, "Warning: Wrong Userbase file version, size mitsmatch"},
      {-2532, "Problems with network features"},
      {-3321, "Problems in Difficult Keys event"},
      {-4000, "AppFrame.Run.Initialize"},
      {-4001, "AppFrame.Run.DeInitialize"},
      {-5452, "WWW-browser/email software is not properly installed or file extension launch error"},
      {-5633, "The course selected earlier is no more available. Changing to Default course now."},
      {-5733, "Fatal Introduction file error"},
      {-6123, "Contents file(s) *.CNT not available, program halted"},
      {-6633, "Error when renaming default userbase to:"},
      {-6634, "Error when copying default userbase to:"},
      {-6635, "Error when setting default attributes to:"},
      {-8001, "Cannot open an html file, web browser is propably not properly installed"},
      {-9977, "Windows is currently using Large Fonts setting. Program requires small fonts."},
  };
  if (code == -801) return LangStr(126);
  auto it = table.find(code);
  if (it != table.end()) return it->second;
  return "Unknown error " + std::to_string(code);
}

int32_t ReportError(int32_t code, const std::string& message) {
  Dialogs().ShowMessage("#" + std::to_string(code) + " " + ErrorText(code) + "\n\r" + message, LangStr(1),
                        mb::kIconError);
  LogError(code, message);
  return 0;
}

void LogError(int32_t code, const std::string& message) {
  const double now = Now();
  if (!ProgramSettings) return;
  const TProgramSettings& settings = *ProgramSettings;
  const std::string path = settings.DatabasePath + "Errors.log";
  const WindowsVersion os = System().Version();
  std::vector<std::string> rows = {
      std::string(58, '-'),
      short_date_text(now) + " " + long_time_text(now) + " Build " + settings.BuildText + " (" +
          settings.BuildDetail + ") compiled " + settings.CompileDate + " - OS " + std::to_string(os.major) + "." +
          std::to_string(os.minor),
      "#" + std::to_string(code) + "  " + ErrorText(code),
      " - " + message,
  };
  // Each entry is added in one write and a failed one is cut off again: an
  // interrupted report never leaves half an entry for the next to run into.
  if (Files().FileExists(path)) {
    TTextFile log;
    if (log.Open(path, text_mode::Append) == FileStatus::Good) log.WriteRows(rows);
    return;
  }
  // A new log is written beside its name and put in place whole, so that it
  // never lacks its heading.
  rows.insert(rows.begin(), {LangStr(1) + " " + settings.VersionText + " error file.  ",
                             "Please send this file to technical support. "});
  WriteWholeFile(path, TTextFile::RowsText(rows));
}

}  // namespace strevo
