// A deterministic platform for native tests and the simulator: a virtual
// clock that only moves when told to, message boxes answered from a script
// (and recorded), an in-process table of windows, messages and mutexes, fixed
// English locale formats, and real files under a temporary root that stands
// for drive C:.
#pragma once

#include <cmath>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/fake/FakeForegroundApplication.h"
#include "platform/fake/FakeInput.h"
#include "platform/fake/FakeKeyboardFocus.h"
#include "platform/posix/NativeHttp.h"
#include "platform/posix/PosixFileSystem.h"

namespace strevo {

// The virtual clock. The date-time is kept as whole milliseconds (the start
// and the time elapsed since) and turned into days on every read, with one
// rounding: it never drifts, however many small steps it takes, and
// midnight reads as the new day.
class FakeClock : public IClock {
 public:
  double Now() override { return static_cast<double>(milliseconds_) / kMillisecondsPerDay; }
  uint32_t TickCount() override { return tick_; }
  void Sleep(uint32_t milliseconds) override { Advance(milliseconds); }

  void SetNow(double dateTime) { milliseconds_ = std::llround(dateTime * kMillisecondsPerDay); }
  void SetTick(uint32_t tick) { tick_ = tick; }
  // The date and time set forward or back; the tick count goes on.
  void Shift(int64_t milliseconds) { milliseconds_ += milliseconds; }
  // Moves both the date-time and the tick counter (which wraps at 2^32).
  void Advance(uint64_t milliseconds) {
    tick_ = static_cast<uint32_t>(tick_ + milliseconds);
    milliseconds_ += static_cast<int64_t>(milliseconds);
  }
  // Milliseconds since the start of the current day.
  int64_t MillisecondsOfDay() const {
    return ((milliseconds_ % kMillisecondsPerDay) + kMillisecondsPerDay) % kMillisecondsPerDay;
  }

  static constexpr int64_t kMillisecondsPerDay = 86400000;

 private:
  int64_t milliseconds_ = 46000 * kMillisecondsPerDay + kMillisecondsPerDay / 2;  // 2025-12-09 12:00
  uint32_t tick_ = 1000000;
};

class FakeSystem : public ISystem {
 public:
  std::string ComputerName() override { return computerName; }
  std::string UserName() override { return userName; }
  std::string ExpandEnvironment(const std::string& text) override;
  bool GetEnvironment(const std::string& name, std::string& value) override;
  bool KeyboardLayoutName(std::string& name) override;
  LocaleFormats Formats() override { return formats; }
  std::string SpecialFolder(int csidl) override;
  std::string ExecutablePath() override { return executablePath; }
  std::vector<std::string> Arguments() override { return arguments; }
  WindowsVersion Version() override { return version; }
  bool IsRemoteSession() override { return remoteSession; }
  void OutputDebugText(const std::string& text) override { debugOutput.push_back(text); }
  bool ShellOpen(const std::string& target, int showMode) override;
  uint32_t CurrentProcessId() override { return processId; }

  std::string computerName = "TESTPC";
  std::string userName = "tester";
  std::map<std::string, std::string> environment;  // names compared without regard to case
  std::string layoutName = "00000409";
  bool layoutAvailable = true;
  LocaleFormats formats{"M/d/yyyy", "h:mm:ss tt", "AM", "PM"};
  std::map<int, std::string> specialFolders;
  std::string executablePath = "C:\\Strevo\\strevo.exe";
  std::vector<std::string> arguments;
  WindowsVersion version;
  bool remoteSession = false;
  uint32_t processId = 4242;
  std::vector<std::string> debugOutput;
  std::vector<std::pair<std::string, int>> shellOpened;
  bool shellOpenSucceeds = true;
};

class FakeWindows : public IWindows {
 public:
  uint32_t RegisterMessage(const std::string& name) override;
  void AllowMessage(uint32_t message) override { allowed.insert(message); }
  WindowHandle FindWindowByCaption(const std::string& caption) override;
  bool Post(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  WindowHandle ForegroundWindow() override { return foreground; }
  std::string WindowCaption(WindowHandle window) override;
  bool ForceForeground(WindowHandle window) override;
  void SetWaitCursor(bool waiting) override {
    waitCursor = waiting;
    waitCursorShows += waiting;
  }

  bool WatchForeground(std::function<void()> changed) override {
    foregroundWatch_ = std::move(changed);
    return true;
  }
  void StopWatchingForeground() override { foregroundWatch_ = nullptr; }

  WindowHandle AddWindow(const std::string& caption);
  // Changes to the window in front and its caption, reported to the watch.
  void BringToFront(WindowHandle window);
  void SetCaption(WindowHandle window, const std::string& caption);
  void RemoveWindow(WindowHandle window);
  // The registered id of a name, 0 when it was never registered.
  uint32_t MessageId(const std::string& name) const;

  std::map<WindowHandle, std::string> captions;  // changed through the calls above
  std::vector<PostedMessage> posted;  // every successful post, in order (when recordPosts)
  std::deque<PostedMessage> queue;    // posted and not yet taken by a message loop
  bool recordPosts = true;
  std::set<uint32_t> allowed;
  WindowHandle foreground = 0;  // changed through BringToFront
  bool waitCursor = false;
  int waitCursorShows = 0;

 private:
  void ForegroundChanged() {
    if (foregroundWatch_) foregroundWatch_();
  }
  std::function<void()> foregroundWatch_;
  std::map<std::string, uint32_t> registered_;  // upper-cased names
  uint32_t nextMessage_ = 0xC000;
  WindowHandle nextWindow_ = 0x10010;
};

class FakeMutexes : public IMutexes {
 public:
  KernelHandle CreateNamedMutex(const std::string& name, bool initialOwner, bool& alreadyExisted) override;
  bool MutexExists(const std::string& name) override { return counts_.count(name) > 0; }
  void CloseMutex(KernelHandle handle) override;

 private:
  std::map<std::string, int> counts_;
  std::map<KernelHandle, std::string> handles_;
  KernelHandle next_ = 0x100;
};

// Records what the progress window was asked to show.
class FakeProgressWindow : public IProgressWindow {
 public:
  void Show() override { visible = true; ++shows; }
  void ShowProgress(int lo, int hi, const std::string& text, const std::string&, int at) override {
    min = lo;
    max = hi;
    if (!text.empty()) message = text;
    position = at;
    barVisible = true;
  }
  void SetProgress(int at) override {
    position = at;
    positions.push_back(at);
  }
  void Hide() override {
    if (barVisible) position = max;
    barVisible = false;
    visible = false;
  }
  bool visible = false, barVisible = false;
  int shows = 0, min = 0, max = 0, position = 0;
  std::string message;
  std::vector<int> positions;
};

struct ShownMessage {
  std::string text;
  std::string caption;
  uint32_t flags = 0;
};

class FakeDialogs : public IDialogs {
 public:
  int ShowMessage(const std::string& text, const std::string& caption, uint32_t flags) override;

  std::deque<int> answers;  // taken in order; empty: defaultAnswer
  int defaultAnswer = mb::kIdOk;
  // Runs while a box is up, before it takes its answer (what happens
  // meanwhile; it may put the answer in front).
  std::function<void()> whileShowing;
  std::vector<ShownMessage> shown;
};

// Injected file failures, for the paths whose text contains `pathPart`
// (compared without regard to case; an empty part matches every path).
struct FileFault {
  enum Kind {
    FailOpen, ShortRead, FailRead, FailWrite, FailClose,
    // A folder the program may not write to: opens with write access,
    // renames and removals fail.
    FailOpenForWrite,
    // The program stops part way: after afterBytes more changes (see
    // Changes) none reaches the disk any more, whatever the program does.
    Stop,
  };
  Kind kind;
  std::string pathPart;
  int64_t afterBytes = 0;  // ShortRead/FailRead/FailWrite: bytes that still succeed; Stop: changes
};

class FaultyFileSystem : public IFileSystem {
 public:
  explicit FaultyFileSystem(IFileSystem& inner) : inner_(inner) {}
  void Add(FileFault fault) {
    if (fault.kind == FileFault::Stop) fault.afterBytes += changes_;
    faults_.push_back(fault);
  }
  void ClearFaults() { faults_.clear(); }
  // The calls so far that may change the disk: opens with write access,
  // writes, truncations, renames, removals and new folders.
  int64_t Changes() const { return changes_; }
  // Counts one change to path; false (and not counted) when a fault holds
  // it back. The handles it opens ask before every write and truncation.
  bool AllowChange(const std::string& path, bool throughOpenHandle = false);

  std::unique_ptr<IFileHandle> Open(const std::string& path, const FileOpenOptions& options,
                                    FileError* error = nullptr) override;
  bool FileExists(const std::string& path) override { return inner_.FileExists(path); }
  bool DirectoryExists(const std::string& path) override { return inner_.DirectoryExists(path); }
  bool ModifiedTime(const std::string& path, int64_t& time) override { return inner_.ModifiedTime(path, time); }
  bool MakeDirectory(const std::string& path) override { return AllowChange(path) && inner_.MakeDirectory(path); }
  bool RemoveFile(const std::string& path) override { return AllowChange(path) && inner_.RemoveFile(path); }
  bool RenameFile(const std::string& from, const std::string& to) override {
    return !Refused(to, false) && AllowChange(from) && inner_.RenameFile(from, to);
  }
  std::vector<DirectoryEntry> List(const std::string& folder, const std::string& mask) override {
    return inner_.List(folder, mask);
  }
  std::string CurrentDirectory() override { return inner_.CurrentDirectory(); }
  bool ChangeDirectory(const std::string& path) override { return inner_.ChangeDirectory(path); }
  std::string ExpandUncFileName(const std::string& path) override { return inner_.ExpandUncFileName(path); }

 private:
  bool Refused(const std::string& path, bool throughOpenHandle) const;

  IFileSystem& inner_;
  std::vector<FileFault> faults_;
  int64_t changes_ = 0;
};

// Everything together, installed as the current platform while it lives.
// Drive C: is a fresh temporary folder, removed again at destruction.
class FakePlatform {
 public:
  FakePlatform();
  // Drive C: is the given host folder, kept after the run, and the
  // registry is kept beside it ("<folder>.registry").
  explicit FakePlatform(const std::string& root);
  ~FakePlatform();
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  // The Linux folder that stands for "C:\".
  const std::string& Root() const { return root_; }
  // Linux path of a Windows path on the fake drive.
  std::string HostPath(const std::string& windowsPath) { return posix.Resolve(windowsPath); }
  // Convenience for tests: whole-file read and write through host paths.
  std::string ReadHostFile(const std::string& windowsPath);
  void WriteHostFile(const std::string& windowsPath, const std::string& bytes);

  PosixFileSystem posix;
  FaultyFileSystem files{posix};
  FakeClock clock;
  FakeSystem system;
  FakeWindows windows;
  FakeMutexes mutexes;
  FakeDialogs dialogs;
  NativeHttp http;  // real requests: tests serve them from loopback
  FakeKeyboard keyboard;
  FakeHooks hooks{windows, clock};
  FakeRegistry registry;
  FakeAtoms atoms;
  FakeProcesses processes;
  FakeProgressWindow progress;
  FakeKeyboardFocus focus;
  FakeForegroundApplication application;

 private:
  void Install();
  std::string RegistryFile() const;
  std::string root_;
  bool keepRoot_ = false;
  Platform previous_{};
  bool hadPrevious_ = false;
};

}  // namespace strevo
