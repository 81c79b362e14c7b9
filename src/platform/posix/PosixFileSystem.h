// The native file layer: Windows paths as the core builds them, mapped onto
// the Linux file system. "\" becomes "/", a drive letter becomes a
// configurable root, and every path component is looked up without regard to
// letter case, as Windows does. Sharing modes are enforced between the opens
// of this process (a table of open files), which POSIX itself cannot do
// between processes.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "platform/Platform.h"

namespace strevo {

class PosixFileSystem : public IFileSystem {
 public:
  PosixFileSystem();
  ~PosixFileSystem() override;

  // Drive "C" maps to root ("/tmp/x" makes "C:\a" the file "/tmp/x/a").
  void SetDriveRoot(char drive, const std::string& root);
  // What ExpandUncFileName gives for paths on a drive (a mapped network drive).
  void SetUncPrefix(char drive, const std::string& prefix);
  // The Linux path a Windows path resolves to (existing components matched
  // without regard to case).
  std::string Resolve(const std::string& path);

  std::unique_ptr<IFileHandle> Open(const std::string& path, const FileOpenOptions& options,
                                    FileError* error = nullptr) override;
  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  bool ModifiedTime(const std::string& path, int64_t& time) override;
  bool MakeDirectory(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  bool RenameFile(const std::string& from, const std::string& to) override;
  std::vector<DirectoryEntry> List(const std::string& folder, const std::string& mask) override;
  std::string CurrentDirectory() override;
  bool ChangeDirectory(const std::string& path) override;
  std::string ExpandUncFileName(const std::string& path) override;

  struct OpenRecord;

 private:
  friend class PosixFileHandle;
  void Forget(OpenRecord* record);
  bool IsOpen(const std::string& realPath);
  std::string Absolute(const std::string& path);  // Windows-style absolute path

  std::mutex mutex_;
  std::map<char, std::string> driveRoots_;
  std::map<char, std::string> uncPrefixes_;
  std::string current_;  // Windows-style current directory
  std::multimap<std::pair<uint64_t, uint64_t>, OpenRecord*> open_;
};

// Matches a file name against a "*.ext" style mask without regard to case.
bool MatchesMask(const std::string& name, const std::string& mask);

}  // namespace strevo
