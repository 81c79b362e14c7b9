// strevo-report: writes one user's statistics report (a self-contained HTML
// page, a CSV file and a JSON file) from the user database. See README.md.
//
//   strevo-report [--data FOLDER] [--out FOLDER] [--language FILE] USER
//   strevo-report [--data FOLDER] [--language FILE] --forget USER
//
// Natively FOLDER is a host folder, read through the POSIX file layer (the
// host's "/" is drive C: of the fake platform, so the core sees the Windows
// paths it always builds); on Windows it is an ordinary folder. Exit status:
// 0 when the page was written (notes on what could not be read go to the
// error output), 1 when no page was written, 2 for a wrong command line.
#include <cstdio>
#include <ctime>
#include <exception>
#include <iostream>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "report/ForgetUser.h"
#include "report/UserReport.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"

#ifdef _WIN32
#include "win32/Win32Platform.h"
#else
#include <filesystem>

#include "platform/fake/FakePlatform.h"
#include "storage/DateTime.h"
#endif

using namespace strevo;

namespace {

void Usage() {
  std::cerr << "usage: strevo-report [--data FOLDER] [--out FOLDER] [--language FILE] USER\n"
               "       strevo-report [--data FOLDER] [--language FILE] --forget USER\n"
               "  --data      the user database folder (default: the current folder)\n"
               "  --out       where the report goes (default: the current folder)\n"
               "  --language  a language file of the program, for its rules of user file names\n"
               "              (default: the English ones)\n"
               "  --forget    removes the user and all the user's files, and prints what it removed\n";
}

// The texts of the English language file the report needs: the letters a
// user's file name may keep (12) and the letters it capitalises (13), and
// the reasons a profile cannot be opened.
void EnglishTexts() {
  Localize().Clear();
  Localize().Strings.assign(2000, kUnsetString);
  Localize().Strings[12] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ\x9A\x9C\x9E\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA"
      "\xEB\xEC\xED\xEE\xEF\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xFF\x8A\x8C\x8E\x9F\xC0\xC1\xC2"
      "\xC3\xC4\xC5\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD8\xD9\xDA\xDB\xDC\xDD\xDE"
      "\xDF"
      "0123456789- ";
  Localize().Strings[13] =
      "abcdefghijklmnopqrstuvwxyz\x9A\x9C\x9E\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF0\xF1"
      "\xF2\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xFF";
  Localize().Strings[528] = "The user file could not be opened.";
  Localize().Strings[1376] = "This user file belongs to another user:";
  Localize().Strings[1377] = "The user name is not valid. Please use letters and digits.";
}

#ifdef _WIN32

// A folder or file as the program names it: relative ones against the
// current folder.
std::string ProgramPath(const std::string& path) {
  if (IsAbsoluteFolder(path)) return path;
  return IncludeTrailingBackslash(Files().CurrentDirectory()) + path;
}
std::string HostPath(const std::string& programPath) { return programPath; }

#else

FakePlatform* g_platform = nullptr;

// A host path as a Windows path on drive C:, which stands for the host's "/".
std::string ProgramPath(const std::string& path) {
  std::string absolute = std::filesystem::absolute(path).lexically_normal().string();
  for (char& c : absolute)
    if (c == '/') c = '\\';
  return "C:" + absolute;
}
std::string HostPath(const std::string& programPath) { return g_platform->HostPath(programPath); }

#endif

int Run(int argc, char** argv) {
  std::string data = ".", out = ".", language, user;
  bool haveUser = false, forget = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--data" || arg == "--out" || arg == "--language") && i + 1 < argc) {
      (arg == "--data" ? data : arg == "--out" ? out : language) = argv[++i];
    } else if (arg == "--forget") {
      forget = true;
    } else if (arg == "--help" || arg == "-h") {
      Usage();
      return 0;
    } else if (!haveUser && (arg.empty() || arg[0] != '-')) {
      user = arg;
      haveUser = true;
    } else {
      Usage();
      return 2;
    }
  }
  if (!haveUser) {
    Usage();
    return 2;
  }

  EnglishTexts();
  if (!language.empty()) {
    try {
      if (Localize().ParseStringFile(ProgramPath(language), TLocalize::kMainFile) != 0)
        std::cerr << "strevo-report: " << language << " is not a language file of the program; English rules used\n";
    } catch (const std::exception& e) {
      std::cerr << "strevo-report: cannot read " << language << ": " << e.what() << "\n";
      return 2;
    }
  }
  ProgramSettings = std::make_unique<TProgramSettings>();
  ProgramSettings->DatabasePath = IncludeTrailingBackslash(ProgramPath(data));
  ProgramSettings->RootPath = ProgramSettings->DatabasePath;
  if (!Files().DirectoryExists(ProgramSettings->DatabasePath)) {
    std::cerr << "strevo-report: no such folder: " << data << "\n";
    return 1;
  }

  if (forget) {
    const TForgetResult result = ForgetUser(user);
    for (const std::string& path : result.removed) std::cout << "removed " << HostPath(path) << "\n";
    if (!result.error.empty()) std::cerr << "strevo-report: " << result.error << "\n";
    return result.error.empty() ? 0 : 1;
  }
#ifndef _WIN32
  // Made here so that a failure names the host folder.
  std::error_code failure;
  std::filesystem::create_directories(out, failure);
  if (!std::filesystem::is_directory(out, failure)) {
    std::cerr << "strevo-report: cannot create the folder " << out << "\n";
    return 1;
  }
#endif
  std::string page, error;
  const bool written = WriteUserReport(user, ProgramPath(out), page, error);
  if (!error.empty()) std::cerr << (written ? "strevo-report: not everything could be read:\n" : "strevo-report: ")
                                << error << "\n";
  if (!written) return 1;
  std::cout << HostPath(page) << "\n";
  const std::string stem = page.substr(0, page.size() - 5);  // without ".html"
  for (const char* extension : {".csv", ".json"})
    if (Files().FileExists(stem + extension)) std::cout << HostPath(stem + extension) << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  Win32Platform platform;
#else
  FakePlatform platform("/");
  g_platform = &platform;
  // The fake clock would date the report in its own fixed past.
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  platform.clock.SetNow(encode_date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
                        encode_time(local.tm_hour, local.tm_min, local.tm_sec));
#endif
  int status = 1;
  try {
    status = Run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "strevo-report: " << e.what() << "\n";
  }
  ProgramSettings.reset();
  return status;
}
