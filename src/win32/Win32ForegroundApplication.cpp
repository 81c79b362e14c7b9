#include "win32/Win32ForegroundApplication.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "win32/Win32Handles.h"

namespace strevo {

namespace {

constexpr size_t kKeptDescriptions = 64;

// The full path of the process's executable; empty when the process cannot
// be asked (it ended, or belongs to a more privileged account).
std::string ImagePath(DWORD processId) {
  const KernelObject process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  char path[MAX_PATH * 2];
  DWORD size = sizeof path;
  if (!::QueryFullProcessImageNameA(process.Get(), 0, path, &size)) return {};
  return std::string(path, size);
}

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string Win32ForegroundApplication::FileDescription(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> info(size);
  if (!::GetFileVersionInfoA(path.c_str(), 0, size, info.data())) return {};
  // The first language of the translation table; without a table, US
  // English in the two code pages executables use most.
  std::vector<std::string> languages;
  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* table = nullptr;
  UINT length = 0;
  if (::VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&table), &length) &&
      length >= sizeof(Translation)) {
    char name[16];
    std::snprintf(name, sizeof name, "%04x%04x", table[0].language, table[0].codePage);
    languages.push_back(name);
  }
  languages.push_back("040904b0");
  languages.push_back("040904e4");
  for (const std::string& language : languages) {
    char* text = nullptr;
    UINT chars = 0;
    const std::string query = "\\StringFileInfo\\" + language + "\\FileDescription";
    if (!::VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&text), &chars) || !text) continue;
    std::string description(text, ::strnlen(text, chars));
    while (!description.empty() && static_cast<unsigned char>(description.back()) <= ' ') description.pop_back();
    if (!description.empty()) return description;
  }
  return {};
}

ApplicationIdentity Win32ForegroundApplication::Current() {
  ApplicationIdentity identity;
  const HWND window = ::GetForegroundWindow();
  DWORD processId = 0;
  if (!window || !::GetWindowThreadProcessId(window, &processId) || processId == 0) return identity;
  identity.processId = processId;
  const std::string path = ImagePath(processId);
  if (path.empty()) return identity;
  identity.executable = FileName(path);
  auto known = descriptions_.find(path);
  if (known == descriptions_.end()) {
    if (descriptions_.size() >= kKeptDescriptions) descriptions_.clear();
    known = descriptions_.emplace(path, FileDescription(path)).first;
  }
  identity.description = known->second;
  return identity;
}

}  // namespace strevo
