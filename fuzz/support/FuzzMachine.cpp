#include "support/FuzzMachine.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/Application.h"
#include "storage/DebugLog.h"
#include "storage/DynamicSettings.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "storage/User.h"
#include "support/Installation.h"

namespace strevo::fuzz {

bool ConfinedFiles::Inside(const std::string& path) {
  const std::filesystem::path host = std::filesystem::path(fake_.HostPath(path)).lexically_normal();
  const std::filesystem::path relative = host.lexically_relative(fake_.Root());
  return !relative.empty() && *relative.begin() != "..";
}

std::unique_ptr<IFileHandle> ConfinedFiles::Open(const std::string& path, const FileOpenOptions& options,
                                                 FileError* error) {
  if (!Inside(path)) {
    if (error) *error = FileError::PathNotFound;
    return nullptr;
  }
  return fake_.files.Open(path, options, error);
}

std::vector<DirectoryEntry> ConfinedFiles::List(const std::string& folder, const std::string& mask) {
  if (!Inside(folder)) return {};
  return fake_.files.List(folder, mask);
}

ConfinedPlatform::ConfinedPlatform(FakePlatform& fake) : fake_(fake), files_(fake) {
  Platform platform = CurrentPlatform();
  platform.files = &files_;
  platform.http = &http_;
  InstallPlatform(platform);
}

ConfinedPlatform::~ConfinedPlatform() {
  Platform platform = CurrentPlatform();
  platform.files = &fake_.files;
  platform.http = &fake_.http;
  InstallPlatform(platform);
}

void ResetProcessState() {
  CurrentUser.reset();
  ResetPolicy();
  WorkstationSettings.reset();
  ProgramSettings.reset();
  Localize().Clear();
  ResetSelectedLanguageCode();
  Application().Reset();
  SetDebugLog("");
}

FuzzMachine::FuzzMachine() { ResetProcessState(); }

FuzzMachine::~FuzzMachine() { ResetProcessState(); }

void FuzzMachine::UserDatabase() {
  test::InstallUserDatabase(fake, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-");
  Write("C:\\Root\\0.grp", "");
}

void FuzzMachine::Write(const std::string& windowsPath, std::string_view bytes) {
  fake.WriteHostFile(windowsPath, std::string(bytes));
}

void Fail(std::string_view what) {
  std::fprintf(stderr, "strevo fuzz: property broken: %.*s\n", static_cast<int>(what.size()), what.data());
  std::abort();
}

std::vector<std::string_view> SplitParts(const uint8_t* data, size_t size, size_t count) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  while (parts.size() + 1 < count) {
    const size_t at = rest.find(kPartSeparator);
    if (at == std::string_view::npos) break;
    parts.push_back(rest.substr(0, at));
    rest.remove_prefix(at + kPartSeparator.size());
  }
  parts.push_back(rest);
  parts.resize(count);
  return parts;
}

}  // namespace strevo::fuzz
