#include "platform/posix/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <vector>

#include "platform/Ansi.h"

namespace strevo {

struct PosixFileSystem::OpenRecord {
  std::pair<uint64_t, uint64_t> id;
  FileAccess access;
  FileShare share;
};

namespace {

bool Reads(FileAccess a) { return a != FileAccess::Write; }
bool Writes(FileAccess a) { return a != FileAccess::Read; }
bool SharesRead(FileShare s) { return s == FileShare::Read || s == FileShare::ReadWrite; }
bool SharesWrite(FileShare s) { return s == FileShare::Write || s == FileShare::ReadWrite; }

// Windows rule: each side's access must be allowed by the other side's share.
bool Compatible(const PosixFileSystem::OpenRecord& held, FileAccess access, FileShare share) {
  if (Reads(access) && !SharesRead(held.share)) return false;
  if (Writes(access) && !SharesWrite(held.share)) return false;
  if (Reads(held.access) && !SharesRead(share)) return false;
  if (Writes(held.access) && !SharesWrite(share)) return false;
  return true;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

// The full form of a drive path, as Windows makes it: "." and ".." parts are
// taken away by their text (never above the drive's root), separators become
// backslashes, a trailing separator stays ("C:/a/./b/../c/" gives "C:\a\c\").
// Paths without a drive letter are left as they are.
std::string NormalizeDrivePath(const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return path;
  std::vector<std::string> parts;
  std::string part;
  auto flush = [&] {
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (size_t i = 2; i < path.size(); ++i) {
    if (path[i] == '\\' || path[i] == '/') flush();
    else part += path[i];
  }
  flush();
  std::string out = path.substr(0, 2);
  for (const std::string& p : parts) out += "\\" + p;
  const bool trailing = path.back() == '\\' || path.back() == '/';
  if (parts.empty() || trailing) out += '\\';
  return out;
}

FileError FromErrno(int e) {
  switch (e) {
    case ENOENT: return FileError::NotFound;
    case ENOTDIR: return FileError::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return FileError::AccessDenied;
    case EEXIST: return FileError::Exists;
    default: return FileError::Other;
  }
}

}  // namespace

class PosixFileHandle : public IFileHandle {
 public:
  PosixFileHandle(PosixFileSystem* owner, int fd, PosixFileSystem::OpenRecord* record)
      : owner_(owner), fd_(fd), record_(record) {}
  ~PosixFileHandle() override { Close(); }

  int64_t Read(void* buffer, int64_t count) override {
    if (fd_ < 0) return -1;
    int64_t total = 0;
    auto* p = static_cast<char*>(buffer);
    while (total < count) {
      const ssize_t n = ::read(fd_, p + total, static_cast<size_t>(count - total));
      if (n < 0) {
        if (errno == EINTR) continue;
        return total > 0 ? total : -1;
      }
      if (n == 0) break;
      total += n;
    }
    return total;
  }
  int64_t Write(const void* buffer, int64_t count) override {
    if (fd_ < 0) return -1;
    int64_t total = 0;
    auto* p = static_cast<const char*>(buffer);
    while (total < count) {
      const ssize_t n = ::write(fd_, p + total, static_cast<size_t>(count - total));
      if (n < 0) {
        if (errno == EINTR) continue;
        return total > 0 ? total : -1;
      }
      total += n;
    }
    return total;
  }
  int64_t Seek(int64_t offset, SeekOrigin origin) override {
    if (fd_ < 0) return -1;
    const int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
    return ::lseek(fd_, offset, whence);
  }
  int64_t Size() override {
    struct stat st{};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
    return st.st_size;
  }
  bool Truncate() override {
    if (fd_ < 0) return false;
    const off_t at = ::lseek(fd_, 0, SEEK_CUR);
    return at >= 0 && ::ftruncate(fd_, at) == 0;
  }
  bool Flush() override { return fd_ >= 0 && ::fsync(fd_) == 0; }
  bool Close() override {
    if (fd_ < 0) return true;
    const int rc = ::close(fd_);
    fd_ = -1;
    owner_->Forget(record_);
    record_ = nullptr;
    return rc == 0;
  }

 private:
  PosixFileSystem* owner_;
  int fd_;
  PosixFileSystem::OpenRecord* record_;
};

PosixFileSystem::PosixFileSystem() {
  char buffer[PATH_MAX];
  current_ = ::getcwd(buffer, sizeof buffer) ? buffer : "/";
}

PosixFileSystem::~PosixFileSystem() {
  for (auto& [id, record] : open_) delete record;
}

void PosixFileSystem::SetDriveRoot(char drive, const std::string& root) {
  std::lock_guard lock(mutex_);
  driveRoots_[static_cast<char>(ascii_upper_char(static_cast<unsigned char>(drive)))] = root;
}

void PosixFileSystem::SetUncPrefix(char drive, const std::string& prefix) {
  std::lock_guard lock(mutex_);
  uncPrefixes_[static_cast<char>(ascii_upper_char(static_cast<unsigned char>(drive)))] = prefix;
}

std::string PosixFileSystem::Absolute(const std::string& path) {
  const bool hasDrive = path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
  const bool rooted = !path.empty() && (path[0] == '\\' || path[0] == '/');
  if (rooted && !hasDrive) return path;
  std::string joined = path;
  if (!hasDrive) {
    std::lock_guard lock(mutex_);
    joined = current_;
    if (joined.empty() || (joined.back() != '\\' && joined.back() != '/')) joined += '\\';
    joined += path;
  }
  return NormalizeDrivePath(joined);
}

std::string PosixFileSystem::Resolve(const std::string& windowsPath) {
  std::string path = Absolute(windowsPath);
  for (char& c : path)
    if (c == '\\') c = '/';
  std::string base = "/";
  if (path.size() >= 2 && path[1] == ':') {
    const char drive = static_cast<char>(ascii_upper_char(static_cast<unsigned char>(path[0])));
    std::lock_guard lock(mutex_);
    auto it = driveRoots_.find(drive);
    base = it != driveRoots_.end() ? it->second : std::string("/") + static_cast<char>(drive);
    path = path.substr(2);
  }
  std::string resolved = base;
  for (const std::string& part : SplitPath(path)) {
    if (resolved.empty() || resolved.back() != '/') resolved += '/';
    struct stat st{};
    if (part == "." || part == ".." || ::lstat((resolved + part).c_str(), &st) == 0) {
      resolved += part;
      continue;
    }
    std::string match = part;
    if (DIR* dir = ::opendir(resolved.c_str())) {
      while (dirent* entry = ::readdir(dir)) {
        if (same_text(entry->d_name, part)) {
          match = entry->d_name;
          break;
        }
      }
      ::closedir(dir);
    }
    resolved += match;
  }
  return resolved;
}

std::unique_ptr<IFileHandle> PosixFileSystem::Open(const std::string& path, const FileOpenOptions& options,
                                                   FileError* error) {
  auto fail = [&](FileError e) -> std::unique_ptr<IFileHandle> {
    if (error) *error = e;
    return nullptr;
  };
  if (error) *error = FileError::None;
  const std::string real = Resolve(path);
  if (path.empty() || real.empty() || real.back() == '/') return fail(FileError::NotFound);

  int flags = options.access == FileAccess::Read ? O_RDONLY : options.access == FileAccess::Write ? O_WRONLY : O_RDWR;
  flags |= O_CLOEXEC;
  struct stat st{};
  const bool exists = ::stat(real.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return fail(FileError::AccessDenied);
  switch (options.create) {
    case FileCreate::OpenExisting:
      if (!exists) return fail(FileError::NotFound);
      break;
    case FileCreate::OpenAlways:
      flags |= O_CREAT;
      break;
    case FileCreate::CreateAlways:
      flags |= O_CREAT;
      break;
    case FileCreate::CreateNew:
      if (exists) return fail(FileError::Exists);
      flags |= O_CREAT | O_EXCL;
      break;
  }
  const FileShare share = options.share == FileShare::Compat ? FileShare::None : options.share;

  std::lock_guard lock(mutex_);
  if (exists) {
    const std::pair<uint64_t, uint64_t> id{st.st_dev, st.st_ino};
    auto [first, last] = open_.equal_range(id);
    for (auto it = first; it != last; ++it)
      if (!Compatible(*it->second, options.access, share)) return fail(FileError::SharingViolation);
  }
  // Creating or truncating writes to the file, so it needs write access.
  if (options.create == FileCreate::CreateAlways && options.access == FileAccess::Read) flags = (flags & ~O_ACCMODE) | O_RDWR;
  const int fd = ::open(real.c_str(), flags, 0666);
  if (fd < 0) return fail(FromErrno(errno));
  if (options.create == FileCreate::CreateAlways && ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return fail(FromErrno(errno));
  }
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return fail(FileError::Other);
  }
  auto* record = new OpenRecord{{st.st_dev, st.st_ino}, options.access, share};
  open_.emplace(record->id, record);
  if (options.sequentialScan) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return std::make_unique<PosixFileHandle>(this, fd, record);
}

void PosixFileSystem::Forget(OpenRecord* record) {
  if (!record) return;
  std::lock_guard lock(mutex_);
  auto [first, last] = open_.equal_range(record->id);
  for (auto it = first; it != last; ++it) {
    if (it->second == record) {
      open_.erase(it);
      break;
    }
  }
  delete record;
}

bool PosixFileSystem::IsOpen(const std::string& realPath) {
  struct stat st{};
  if (::stat(realPath.c_str(), &st) != 0) return false;
  std::lock_guard lock(mutex_);
  return open_.count({st.st_dev, st.st_ino}) > 0;
}

bool PosixFileSystem::FileExists(const std::string& path) {
  struct stat st{};
  return !path.empty() && ::stat(Resolve(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PosixFileSystem::DirectoryExists(const std::string& path) {
  struct stat st{};
  return !path.empty() && ::stat(Resolve(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFileSystem::ModifiedTime(const std::string& path, int64_t& time) {
  struct stat st{};
  if (path.empty() || ::stat(Resolve(path).c_str(), &st) != 0) return false;
  time = static_cast<int64_t>(st.st_mtim.tv_sec) * 10000000 + st.st_mtim.tv_nsec / 100;
  return true;
}

bool PosixFileSystem::MakeDirectory(const std::string& path) {
  return !path.empty() && ::mkdir(Resolve(path).c_str(), 0777) == 0;
}

bool PosixFileSystem::RemoveFile(const std::string& path) {
  const std::string real = Resolve(path);
  if (IsOpen(real)) return false;  // Windows refuses to delete an open file
  return ::unlink(real.c_str()) == 0;
}

bool PosixFileSystem::RenameFile(const std::string& from, const std::string& to) {
  const std::string source = Resolve(from);
  const std::string target = Resolve(to);
  if (IsOpen(source) || IsOpen(target)) return false;
  return ::rename(source.c_str(), target.c_str()) == 0;
}

bool MatchesMask(const std::string& name, const std::string& mask) {
  // Iterative wildcard match with * and ?, without regard to case.
  size_t n = 0, m = 0, star = std::string::npos, mark = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || ansi_lower_char(static_cast<unsigned char>(mask[m])) ==
                                                  ansi_lower_char(static_cast<unsigned char>(name[n])))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      star = m++;
      mark = n;
    } else if (star != std::string::npos) {
      m = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

std::vector<DirectoryEntry> PosixFileSystem::List(const std::string& folder, const std::string& mask) {
  std::vector<DirectoryEntry> entries;
  const std::string real = Resolve(folder);
  DIR* dir = ::opendir(real.c_str());
  if (!dir) return entries;
  while (dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || !MatchesMask(name, mask)) continue;
    struct stat st{};
    if (::stat((real + "/" + name).c_str(), &st) != 0) continue;
    entries.push_back({name, S_ISDIR(st.st_mode), static_cast<int64_t>(st.st_size)});
  }
  ::closedir(dir);
  return entries;
}

std::string PosixFileSystem::CurrentDirectory() {
  std::lock_guard lock(mutex_);
  return current_;
}

bool PosixFileSystem::ChangeDirectory(const std::string& path) {
  if (!DirectoryExists(path)) return false;
  std::string absolute = Absolute(path);
  while (absolute.size() > 1 && (absolute.back() == '\\' || absolute.back() == '/') &&
         !(absolute.size() == 3 && absolute[1] == ':'))
    absolute.pop_back();
  std::lock_guard lock(mutex_);
  current_ = absolute;
  return true;
}

std::string PosixFileSystem::ExpandUncFileName(const std::string& path) {
  const std::string absolute = Absolute(path);
  if (absolute.size() >= 2 && absolute[1] == ':') {
    std::lock_guard lock(mutex_);
    auto it = uncPrefixes_.find(static_cast<char>(ascii_upper_char(static_cast<unsigned char>(absolute[0]))));
    if (it != uncPrefixes_.end()) return it->second + absolute.substr(2);
  }
  return absolute;
}

}  // namespace strevo
