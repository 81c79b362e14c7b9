// The Win32 adapter: the platform interfaces over the real API. This folder
// is the only place that includes <windows.h>.
#pragma once

#include "platform/Platform.h"

namespace strevo {

class Win32FileSystem : public IFileSystem {
 public:
  std::unique_ptr<IFileHandle> Open(const std::string& path, const FileOpenOptions& options,
                                    FileError* error = nullptr) override;
  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  bool MakeDirectory(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  bool RenameFile(const std::string& from, const std::string& to) override;
  std::vector<DirectoryEntry> List(const std::string& folder, const std::string& mask) override;
  std::string CurrentDirectory() override;
  bool ChangeDirectory(const std::string& path) override;
  std::string ExpandUncFileName(const std::string& path) override;
};

class Win32Clock : public IClock {
 public:
  double Now() override;
  uint32_t TickCount() override;
  void Sleep(uint32_t milliseconds) override;
};

class Win32System : public ISystem {
 public:
  std::string ComputerName() override;
  std::string UserName() override;
  std::string ExpandEnvironment(const std::string& text) override;
  bool GetEnvironment(const std::string& name, std::string& value) override;
  bool KeyboardLayoutName(std::string& name) override;
  LocaleFormats Formats() override;
  std::string SpecialFolder(int csidl) override;
  std::string ExecutablePath() override;
  std::vector<std::string> Arguments() override;
  WindowsVersion Version() override;
  bool IsRemoteSession() override;
  void OutputDebugText(const std::string& text) override;
  bool ShellOpen(const std::string& target, int showMode) override;
  uint32_t CurrentProcessId() override;
};

class Win32Windows : public IWindows {
 public:
  uint32_t RegisterMessage(const std::string& name) override;
  void AllowMessage(uint32_t message) override;
  WindowHandle FindWindowByCaption(const std::string& caption) override;
  bool Post(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  WindowHandle ForegroundWindow() override;
  std::string WindowCaption(WindowHandle window) override;
  bool ForceForeground(WindowHandle window) override;
};

class Win32Mutexes : public IMutexes {
 public:
  KernelHandle CreateNamedMutex(const std::string& name, bool initialOwner, bool& alreadyExisted) override;
  bool MutexExists(const std::string& name) override;
  void CloseMutex(KernelHandle handle) override;
};

class Win32Dialogs : public IDialogs {
 public:
  int ShowMessage(const std::string& text, const std::string& caption, uint32_t flags) override;
  // The owner of message boxes (the application window once it exists).
  WindowHandle owner = 0;
};

// WinINet. The system's internet error dialog (which can ask for a password
// on 401 and 407 answers) is shown only when interactive is set; the entry
// point clears it for headless runs (STREVO_HEADLESS) and tests never set it.
class Win32Http : public IHttp {
 public:
  bool CrackUrl(const std::string& url, TUrlInfo& info) override;
  int Send(const TUrlInfo& info, const std::string& postData, bool reload, std::string& body) override;
  bool interactive = false;
  WindowHandle owner = 0;
  unsigned long receiveTimeoutMs = 5000;
};

// All of the above, installed as the current platform while it lives.
class Win32Platform {
 public:
  Win32Platform();
  ~Win32Platform();
  Win32FileSystem files;
  Win32Clock clock;
  Win32System system;
  Win32Windows windows;
  Win32Mutexes mutexes;
  Win32Dialogs dialogs;
  Win32Http http;
};

}  // namespace strevo
