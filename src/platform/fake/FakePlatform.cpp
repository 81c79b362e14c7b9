#include "platform/fake/FakePlatform.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Ansi.h"

namespace strevo {

// ------------------------------------------------------------------ system --

std::string FakeSystem::ExpandEnvironment(const std::string& text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '%') {
      const size_t end = text.find('%', i + 1);
      if (end != std::string::npos) {
        std::string value;
        if (GetEnvironment(text.substr(i + 1, end - i - 1), value)) {
          out += value;
          i = end + 1;
          continue;
        }
      }
    }
    out += text[i++];
  }
  return out;
}

bool FakeSystem::GetEnvironment(const std::string& name, std::string& value) {
  for (const auto& [key, v] : environment) {
    if (same_text(key, name)) {
      value = v;
      return true;
    }
  }
  return false;
}

bool FakeSystem::KeyboardLayoutName(std::string& name) {
  name = layoutName;
  return layoutAvailable;
}

std::string FakeSystem::SpecialFolder(int csidl) {
  auto it = specialFolders.find(csidl);
  return it == specialFolders.end() ? std::string() : it->second;
}

bool FakeSystem::ShellOpen(const std::string& target, int showMode) {
  shellOpened.emplace_back(target, showMode);
  return shellOpenSucceeds;
}

// ----------------------------------------------------------------- windows --

uint32_t FakeWindows::RegisterMessage(const std::string& name) {
  const std::string key = ansi_upper(name);
  auto it = registered_.find(key);
  if (it != registered_.end()) return it->second;
  registered_[key] = nextMessage_;
  return nextMessage_++;
}

uint32_t FakeWindows::MessageId(const std::string& name) const {
  auto it = registered_.find(ansi_upper(name));
  return it == registered_.end() ? 0 : it->second;
}

WindowHandle FakeWindows::FindWindowByCaption(const std::string& caption) {
  // The system compares window captions without regard to case.
  for (const auto& [handle, text] : captions)
    if (same_text(text, caption)) return handle;
  return 0;
}

bool FakeWindows::Post(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!captions.count(window)) return false;
  const PostedMessage m{window, message, wParam, lParam, Clock().TickCount()};
  if (recordPosts) posted.push_back(m);
  queue.push_back(m);
  return true;
}

std::string FakeWindows::WindowCaption(WindowHandle window) {
  auto it = captions.find(window);
  return it == captions.end() ? std::string() : it->second;
}

bool FakeWindows::ForceForeground(WindowHandle window) {
  if (!captions.count(window)) return false;
  BringToFront(window);
  return true;
}

void FakeWindows::BringToFront(WindowHandle window) {
  foreground = window;
  ForegroundChanged();
}

void FakeWindows::SetCaption(WindowHandle window, const std::string& caption) {
  captions[window] = caption;
  if (window == foreground) ForegroundChanged();
}

void FakeWindows::RemoveWindow(WindowHandle window) {
  captions.erase(window);
  if (window == foreground) ForegroundChanged();
}

WindowHandle FakeWindows::AddWindow(const std::string& caption) {
  const WindowHandle handle = nextWindow_;
  nextWindow_ += 0x10;
  captions[handle] = caption;
  return handle;
}

// ----------------------------------------------------------------- mutexes --

KernelHandle FakeMutexes::CreateNamedMutex(const std::string& name, bool, bool& alreadyExisted) {
  alreadyExisted = counts_[name]++ > 0;
  const KernelHandle handle = next_;
  next_ += 4;
  handles_[handle] = name;
  return handle;
}

void FakeMutexes::CloseMutex(KernelHandle handle) {
  auto it = handles_.find(handle);
  if (it == handles_.end()) return;
  if (--counts_[it->second] <= 0) counts_.erase(it->second);
  handles_.erase(it);
}

// ----------------------------------------------------------------- dialogs --

int FakeDialogs::ShowMessage(const std::string& text, const std::string& caption, uint32_t flags) {
  shown.push_back({text, caption, flags});
  if (whileShowing) whileShowing();
  if (answers.empty()) return defaultAnswer;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

// ------------------------------------------------------------ file faults --

namespace {

class FaultyHandle : public IFileHandle {
 public:
  FaultyHandle(std::unique_ptr<IFileHandle> inner, std::vector<FileFault> faults, FaultyFileSystem& files,
               std::string path)
      : inner_(std::move(inner)), faults_(std::move(faults)), files_(files), path_(std::move(path)) {}

  int64_t Read(void* buffer, int64_t count) override {
    for (const FileFault& f : faults_) {
      if (f.kind != FileFault::ShortRead && f.kind != FileFault::FailRead) continue;
      const int64_t room = f.afterBytes - read_;
      if (room <= 0) {
        if (f.kind == FileFault::FailRead) return -1;
        return 0;
      }
      count = std::min(count, room);
    }
    const int64_t n = inner_->Read(buffer, count);
    if (n > 0) read_ += n;
    return n;
  }
  int64_t Write(const void* buffer, int64_t count) override {
    if (!files_.AllowChange(path_, true)) return -1;
    for (const FileFault& f : faults_) {
      if (f.kind != FileFault::FailWrite) continue;
      const int64_t room = f.afterBytes - written_;
      if (room <= 0) return -1;
      if (count > room) {
        const int64_t n = inner_->Write(buffer, room);
        if (n > 0) written_ += n;
        return n;  // a short write, as a full disk gives
      }
    }
    const int64_t n = inner_->Write(buffer, count);
    if (n > 0) written_ += n;
    return n;
  }
  int64_t Seek(int64_t offset, SeekOrigin origin) override { return inner_->Seek(offset, origin); }
  int64_t Size() override { return inner_->Size(); }
  bool Truncate() override { return files_.AllowChange(path_, true) && inner_->Truncate(); }
  bool Flush() override { return inner_->Flush(); }
  bool Close() override {
    const bool ok = inner_->Close();
    for (const FileFault& f : faults_)
      if (f.kind == FileFault::FailClose) return false;
    return ok;
  }

 private:
  std::unique_ptr<IFileHandle> inner_;
  std::vector<FileFault> faults_;
  FaultyFileSystem& files_;
  std::string path_;
  int64_t read_ = 0;
  int64_t written_ = 0;
};

}  // namespace

bool FaultyFileSystem::Refused(const std::string& path, bool throughOpenHandle) const {
  for (const FileFault& f : faults_) {
    if (!contains_text(path, f.pathPart)) continue;
    if (f.kind == FileFault::Stop && changes_ >= f.afterBytes) return true;
    // Files the program already holds open for writing stay writable.
    if (f.kind == FileFault::FailOpenForWrite && !throughOpenHandle) return true;
  }
  return false;
}

bool FaultyFileSystem::AllowChange(const std::string& path, bool throughOpenHandle) {
  if (Refused(path, throughOpenHandle)) return false;
  ++changes_;
  return true;
}

std::unique_ptr<IFileHandle> FaultyFileSystem::Open(const std::string& path, const FileOpenOptions& options,
                                                    FileError* error) {
  std::vector<FileFault> matching;
  for (const FileFault& f : faults_) {
    if (!contains_text(path, f.pathPart)) continue;
    if (f.kind == FileFault::FailOpen) {
      if (error) *error = FileError::AccessDenied;
      return nullptr;
    }
    matching.push_back(f);
  }
  if (options.access != FileAccess::Read && !AllowChange(path)) {
    if (error) *error = FileError::AccessDenied;
    return nullptr;
  }
  auto handle = inner_.Open(path, options, error);
  if (!handle) return handle;
  return std::make_unique<FaultyHandle>(std::move(handle), std::move(matching), *this, path);
}

// ---------------------------------------------------------------- platform --

FakePlatform::FakePlatform() {
  std::string pattern = (std::filesystem::temp_directory_path() / "strevo-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!::mkdtemp(buffer.data())) std::abort();
  root_ = buffer.data();
  Install();
}

FakePlatform::FakePlatform(const std::string& root) : root_(root), keepRoot_(true) {
  std::filesystem::create_directories(root_);
  registry.Load(RegistryFile());
  Install();
}

// Beside the drive's folder, not on the drive.
std::string FakePlatform::RegistryFile() const {
  std::string folder = root_;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder + ".registry";
}

void FakePlatform::Install() {
  posix.SetDriveRoot('C', root_);
  posix.ChangeDirectory("C:\\");
  if (PlatformInstalled()) {
    previous_ = CurrentPlatform();
    hadPrevious_ = true;
  }
  InstallPlatform(Platform{&files, &clock, &system, &windows, &mutexes, &dialogs, &http, &keyboard, &hooks, &registry,
                           &atoms, &processes, &progress, &focus, &application});
}

FakePlatform::~FakePlatform() {
  InstallPlatform(hadPrevious_ ? previous_ : Platform{});
  if (keepRoot_) {
    registry.Save(RegistryFile());
    return;
  }
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
}

std::string FakePlatform::ReadHostFile(const std::string& windowsPath) {
  std::ifstream in(HostPath(windowsPath), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void FakePlatform::WriteHostFile(const std::string& windowsPath, const std::string& bytes) {
  const std::filesystem::path host = HostPath(windowsPath);
  std::filesystem::create_directories(host.parent_path());
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace strevo
