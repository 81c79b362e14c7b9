// The Win32 adapter: the platform interfaces over the real API. This folder
// is the only place that includes <windows.h>.
#pragma once

#include <vector>

#include "platform/Platform.h"
#include "win32/Win32ForegroundApplication.h"
#include "win32/Win32KeyboardFocus.h"
#include "win32/Win32ForegroundWatch.h"
#include "win32/Win32ProgressWindow.h"

namespace strevo {

class Win32FileSystem : public IFileSystem {
 public:
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
  void SetWaitCursor(bool waiting) override;
  bool WatchForeground(std::function<void()> changed) override;
  void StopWatchingForeground() override;

 private:
  void* previousCursor_ = nullptr;
  std::unique_ptr<Win32ForegroundWatch> foregroundWatch_;
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
// The whole request ends at the deadline; each wait for the server also
// after the receive time-out, where WinINet keeps to it.
class Win32Http : public IHttp {
 public:
  bool CrackUrl(const std::string& url, TUrlInfo& info) override;
  int Send(const TUrlInfo& info, const std::string& postData, bool reload, size_t bodyLimit,
           std::string& body) override;
  bool interactive = false;
  WindowHandle owner = 0;
  unsigned long receiveTimeoutMs = 5000;
  unsigned long deadlineMs = 30000;
};

class Win32Keyboard : public IKeyboard {
 public:
  bool ToCodePage(char16_t character, unsigned char& ansi) override;
  int TranslateKey(uint32_t virtualKey, const uint8_t keyState[256], char16_t out[2]) override;
};

// The hook thread: installs the low-level mouse and keyboard hooks for the
// whole desktop and pumps its queue so that the system can call them. The
// hook procedures only read the key state (for a modifier that is down)
// and post.
class Win32Hooks : public IInputHooks {
 public:
  ~Win32Hooks() override;
  void Start(WindowHandle target, uint32_t keyMessage, uint32_t clickMessage, const HookRules& rules) override;
  void Stop() override;
  bool Active() override;
  uint32_t LastEventTime() override;
  uint32_t LastInputTime() override;
  // For measurements: microseconds spent inside the keyboard procedure for
  // each of the last events (up to 1024), and since the start of the
  // process the key events it considered, the key-state reads and the posts
  // it made for them. Only a build with STREVO_HOOK_TIMING measures and
  // defines them (the adapter's tests); strevo.exe keeps no measurements.
  static std::vector<double> HookTimings();
  static void HookCallCounts(int64_t& keyEvents, int64_t& stateReads, int64_t& posts);
};

class Win32Registry : public IRegistry {
 public:
  bool OpenKey(const std::string& path) override;
  bool WriteString(const std::string& path, const std::string& name, const std::string& value) override;
  bool ReadString(const std::string& path, const std::string& name, std::string& value) override;
  bool DeleteValue(const std::string& path, const std::string& name) override;
};

class Win32Atoms : public IAtoms {
 public:
  uint16_t AddAtom(const std::string& name) override;
  uint16_t FindAtom(const std::string& name) override;
  void DeleteAtom(uint16_t atom) override;
};

class Win32Processes : public IProcesses {
 public:
  bool IsRunning(uint32_t processId) override;
  bool Start(const std::string& commandLine, const std::string& currentDirectory) override;
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
  Win32Keyboard keyboard;
  Win32Hooks hooks;
  Win32Registry registry;
  Win32Atoms atoms;
  Win32Processes processes;
  Win32ProgressWindow progress;
  Win32KeyboardFocus focus;
  Win32ForegroundApplication application;
};

}  // namespace strevo
