// What every fuzz target stands on: a fresh fake platform for each input,
// whose files cannot reach outside its own drive C: and which never
// connects anywhere, and the process-wide state the readers fill put back
// to the start before and after the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"
#include "platform/fake/FakePlatform.h"

namespace strevo::fuzz {

// Files of the fake drive C: only. A path that resolves anywhere else (another
// drive, a rooted path without a drive, a network path) is missing and cannot
// be made: an input never touches the host's own files.
class ConfinedFiles : public IFileSystem {
 public:
  ConfinedFiles(FakePlatform& fake) : fake_(fake) {}

  std::unique_ptr<IFileHandle> Open(const std::string& path, const FileOpenOptions& options,
                                    FileError* error = nullptr) override;
  bool FileExists(const std::string& path) override { return Inside(path) && fake_.files.FileExists(path); }
  bool DirectoryExists(const std::string& path) override { return Inside(path) && fake_.files.DirectoryExists(path); }
  bool ModifiedTime(const std::string& path, int64_t& time) override {
    return Inside(path) && fake_.files.ModifiedTime(path, time);
  }
  bool MakeDirectory(const std::string& path) override { return Inside(path) && fake_.files.MakeDirectory(path); }
  bool RemoveFile(const std::string& path) override { return Inside(path) && fake_.files.RemoveFile(path); }
  bool RenameFile(const std::string& from, const std::string& to) override {
    return Inside(from) && Inside(to) && fake_.files.RenameFile(from, to);
  }
  std::vector<DirectoryEntry> List(const std::string& folder, const std::string& mask) override;
  std::string CurrentDirectory() override { return fake_.files.CurrentDirectory(); }
  bool ChangeDirectory(const std::string& path) override { return Inside(path) && fake_.files.ChangeDirectory(path); }
  std::string ExpandUncFileName(const std::string& path) override { return fake_.files.ExpandUncFileName(path); }

 private:
  bool Inside(const std::string& path);
  FakePlatform& fake_;
};

// Answers no request: nothing an input says is ever fetched.
class OfflineHttp : public IHttp {
 public:
  bool CrackUrl(const std::string&, TUrlInfo&) override { return false; }
  int Send(const TUrlInfo&, const std::string&, bool, size_t, std::string&) override { return 0; }
};

// Installs fake's platform with the confined files and the offline HTTP
// client for as long as it lives; fake's own set afterwards.
class ConfinedPlatform {
 public:
  explicit ConfinedPlatform(FakePlatform& fake);
  ~ConfinedPlatform();
  ConfinedPlatform(const ConfinedPlatform&) = delete;
  ConfinedPlatform& operator=(const ConfinedPlatform&) = delete;

 private:
  FakePlatform& fake_;
  ConfinedFiles files_;
  OfflineHttp http_;
};

// Everything process-wide a reader fills (users, lists, settings, the
// string table, the analysis, the trace), back to the state of a new process.
void ResetProcessState();

// One input's machine.
class FuzzMachine {
 public:
  FuzzMachine();
  ~FuzzMachine();
  FuzzMachine(const FuzzMachine&) = delete;
  FuzzMachine& operator=(const FuzzMachine&) = delete;

  // An installation whose data root is C:\Root\ (an empty policy and group
  // 0) and whose user database is C:\Data\, the analysis up, the user blocks
  // registered and the letters of user names set, as the program has them
  // after its start.
  void UserDatabase();
  void Write(const std::string& windowsPath, std::string_view bytes);
  std::string Read(const std::string& windowsPath) { return fake.ReadHostFile(windowsPath); }

  FakePlatform fake;

 private:
  ConfinedPlatform confined_{fake};
};

// A property of the program that an input broke: printed, then the process
// aborts, which the fuzzer reports as a crash with the input.
[[noreturn]] void Fail(std::string_view what);
inline void Check(bool holds, std::string_view what) {
  if (!holds) Fail(what);
}

// The input as count parts, split at kPartSeparator; missing parts are empty
// and the last part takes the rest.
inline constexpr std::string_view kPartSeparator = "\n--part--\n";
std::vector<std::string_view> SplitParts(const uint8_t* data, size_t size, size_t count);

}  // namespace strevo::fuzz
