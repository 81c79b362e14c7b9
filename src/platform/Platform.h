// The small interfaces through which the portable core reaches the operating
// system. The Win32 adapter implements them with the real API; natively the
// POSIX file layer and the fake platform do. Nothing in the core includes
// <windows.h>: every window, file, mutex, clock or dialog goes through here.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace strevo {

using WindowHandle = std::uintptr_t;  // 0 = no window
using KernelHandle = std::uintptr_t;  // 0 = no object

// ---------------------------------------------------------------- files ----

enum class FileAccess { Read, Write, ReadWrite };
// What other opens of the same file may do while this handle is open.
// Compat is the class library's compatibility mode, which the system treats
// as no sharing.
enum class FileShare { None, Read, Write, ReadWrite, Compat };
enum class FileCreate {
  OpenExisting,  // fail when missing
  OpenAlways,    // create when missing
  CreateAlways,  // create or truncate
  CreateNew,     // fail when present
};
enum class SeekOrigin { Begin, Current, End };

enum class FileError { None, NotFound, PathNotFound, SharingViolation, AccessDenied, Exists, Other };

class IFileHandle {
 public:
  virtual ~IFileHandle() = default;
  // Bytes transferred, or -1 when the system call failed.
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  // New absolute position, or -1.
  virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
  virtual int64_t Size() = 0;
  // Makes the current position the end of the file.
  virtual bool Truncate() = 0;
  virtual bool Flush() = 0;
  // False when the system reported a failure; the handle is released anyway.
  virtual bool Close() = 0;
};

struct FileOpenOptions {
  FileAccess access = FileAccess::Read;
  FileShare share = FileShare::ReadWrite;
  FileCreate create = FileCreate::OpenExisting;
  bool sequentialScan = false;
};

struct DirectoryEntry {
  std::string name;
  bool isDirectory = false;
  int64_t size = 0;
};

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  // Paths are Windows paths as the core builds them ("C:\Data\Ann.usr",
  // relative names resolve against the current directory).
  virtual std::unique_ptr<IFileHandle> Open(const std::string& path, const FileOpenOptions& options,
                                            FileError* error = nullptr) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;
  // When the file was last written, in 100-nanosecond units; only ever
  // compared with another file's time. False when it cannot be read.
  virtual bool ModifiedTime(const std::string& path, int64_t& time) = 0;
  virtual bool MakeDirectory(const std::string& path) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  // Replaces an existing target.
  virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
  // Names (not paths) of the entries of folder matching a "*.ext"-style mask,
  // compared without regard to case.
  virtual std::vector<DirectoryEntry> List(const std::string& folder, const std::string& mask) = 0;
  virtual std::string CurrentDirectory() = 0;  // ends without "\"
  virtual bool ChangeDirectory(const std::string& path) = 0;
  // The UNC form of a path (a mapped network drive expands to "\\server\...").
  virtual std::string ExpandUncFileName(const std::string& path) = 0;
};

// ---------------------------------------------------------------- clock ----

class IClock {
 public:
  virtual ~IClock() = default;
  // Local date-time: days since 1899-12-30 with the time as fraction.
  virtual double Now() = 0;
  // The system's 32-bit millisecond counter; wraps after about 49.7 days.
  virtual uint32_t TickCount() = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
};

// --------------------------------------------------------------- system ----

struct LocaleFormats {
  std::string shortDate;  // Windows picture, e.g. "M/d/yyyy"
  std::string longTime;   // e.g. "h:mm:ss tt"
  std::string timeAm = "AM";
  std::string timePm = "PM";
  char decimalSeparator = '.';
};

struct WindowsVersion {
  int major = 6;
  int minor = 1;
  bool nt = true;
};

// Folder ids of the shell (CSIDL values).
constexpr int kCsidlAppData = 26;
constexpr int kCsidlLocalAppData = 28;

class ISystem {
 public:
  virtual ~ISystem() = default;
  virtual std::string ComputerName() = 0;             // empty when unavailable
  virtual std::string UserName() = 0;                 // the logged-on account; empty on failure
  virtual std::string ExpandEnvironment(const std::string& text) = 0;
  virtual bool GetEnvironment(const std::string& name, std::string& value) = 0;
  // The active keyboard layout name: eight hexadecimal digits.
  virtual bool KeyboardLayoutName(std::string& name) = 0;
  virtual LocaleFormats Formats() = 0;
  virtual std::string SpecialFolder(int csidl) = 0;   // empty when unavailable
  virtual std::string ExecutablePath() = 0;           // full path of the running program
  virtual std::vector<std::string> Arguments() = 0;   // command-line arguments after the program
  virtual WindowsVersion Version() = 0;
  virtual bool IsRemoteSession() = 0;
  virtual void OutputDebugText(const std::string& text) = 0;
  // Opens a document or address with the shell's default verb.
  virtual bool ShellOpen(const std::string& target, int showMode) = 0;
  virtual uint32_t CurrentProcessId() = 0;
};

// -------------------------------------------------------------- windows ----

struct PostedMessage {
  WindowHandle window = 0;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  uint32_t time = 0;  // the message time: tick count when it was posted
};

class IWindows {
 public:
  virtual ~IWindows() = default;
  virtual uint32_t RegisterMessage(const std::string& name) = 0;
  // Lets a registered message through the privilege-isolation filter.
  virtual void AllowMessage(uint32_t message) = 0;
  virtual WindowHandle FindWindowByCaption(const std::string& caption) = 0;
  virtual bool Post(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
  virtual WindowHandle ForegroundWindow() = 0;
  virtual std::string WindowCaption(WindowHandle window) = 0;
  // Brings a window in front, with every trick the system allows.
  virtual bool ForceForeground(WindowHandle window) = 0;
  // The hourglass while the program works (shown, or the cursor before it
  // back).
  virtual void SetWaitCursor(bool waiting) = 0;
  // Calls changed, on any thread, when another window comes in front or the
  // window in front changes its caption, until StopWatchingForeground.
  // False where the system cannot report it.
  virtual bool WatchForeground(std::function<void()> changed) = 0;
  virtual void StopWatchingForeground() = 0;
};

// -------------------------------------------------------------- mutexes ----

class IMutexes {
 public:
  virtual ~IMutexes() = default;
  // Creates (or opens) a named mutex; alreadyExisted reports that another
  // process or handle had created it first. Returns 0 on failure.
  virtual KernelHandle CreateNamedMutex(const std::string& name, bool initialOwner, bool& alreadyExisted) = 0;
  // True when a mutex of that name exists (opened and closed again).
  virtual bool MutexExists(const std::string& name) = 0;
  virtual void CloseMutex(KernelHandle handle) = 0;
};

// ---------------------------------------------------------- message box ----

// Flags and answers use the system's numbers.
namespace mb {
constexpr uint32_t kOk = 0x0;
constexpr uint32_t kOkCancel = 0x1;
constexpr uint32_t kYesNo = 0x4;
constexpr uint32_t kIconError = 0x10;  // also "stop"
constexpr uint32_t kIconQuestion = 0x20;
constexpr uint32_t kIconExclamation = 0x30;
constexpr uint32_t kIconInformation = 0x40;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
}  // namespace mb

class IDialogs {
 public:
  virtual ~IDialogs() = default;
  virtual int ShowMessage(const std::string& text, const std::string& caption, uint32_t flags) = 0;
};

// ----------------------------------------------------------------- http ----

struct TUrlInfo {
  std::string Host;    // at most 256 characters
  int Port = 0;        // the scheme's default when the address names none
  std::string Path;    // path (at most 2048) followed by query and fragment (at most 255)
  std::string Scheme;  // at most 32 characters
};

// Send's status for an answer of status 200 whose body did not arrive
// whole: the connection ended before its length, the server stalled past
// the receive time-out, or the request's deadline passed. Never 200, so no
// caller takes what came for the document.
inline constexpr int kHttpTransferFailed = -1;

class IHttp {
 public:
  virtual ~IHttp() = default;
  // Splits an address into its parts, decoding escapes.
  virtual bool CrackUrl(const std::string& url, TUrlInfo& info) = 0;
  // One synchronous request: POST with the form content type when postData
  // is not empty, else GET; TLS for "https". Returns the HTTP status, 0 when
  // no answer came back, kHttpTransferFailed when the body of a 200 answer
  // did not come whole. One deadline bounds the whole request. The body is
  // filled only on status 200, with at most bodyLimit + 1 bytes: a longer
  // body ends the transfer there, and the caller, which decides what is too
  // long, sees that it was cut. Never opens a dialog.
  virtual int Send(const TUrlInfo& info, const std::string& postData, bool reload, size_t bodyLimit,
                   std::string& body) = 0;
};

// ------------------------------------------------------------- keyboard ----

class IKeyboard {
 public:
  virtual ~IKeyboard() = default;
  // A character in the system's ANSI code page; false when the code page
  // cannot write it (no near letter stands in for it).
  virtual bool ToCodePage(char16_t character, unsigned char& ansi) = 0;
  // Translates a key with the keyboard layout of the thread that owns the
  // foreground window (or the calling thread when there is none) and the
  // given key-state table (entries 16, 17, 18 with the top bit for Shift,
  // Ctrl, Alt). Returns the number of UTF-16 units written to out (at most
  // 2), negative for a dead key, 0 for none.
  virtual int TranslateKey(uint32_t virtualKey, const uint8_t keyState[256], char16_t out[2]) = 0;
};

// ---------------------------------------------------------------- hooks ----

// Which events the hook procedures post, and as what: decided by the input
// side and handed over when the hooks start, so that the real and the
// simulated hooks decide alike.
struct HookRules {
  // Whether a key event can be posted at all; the key state is read only
  // for those.
  bool (*considers)(uint32_t message, uint32_t virtualKey) = nullptr;
  // The key-information word of a key event; false when it is not posted.
  bool (*keyWord)(uint32_t message, uint32_t virtualKey, uint32_t flags, bool ctrlDown, bool shiftDown,
                  bool altDown, uint32_t& word) = nullptr;
  // Whether a mouse message is posted.
  bool (*clickPosted)(uint32_t message) = nullptr;
};

// The low-level keyboard and mouse hooks, installed by a thread of their
// own. While active, each event the rules accept is posted to target: key
// downs as keyMessage with the key-information word, button presses as
// clickMessage with the mouse message number.
class IInputHooks {
 public:
  virtual ~IInputHooks() = default;
  virtual void Start(WindowHandle target, uint32_t keyMessage, uint32_t clickMessage, const HookRules& rules) = 0;
  virtual void Stop() = 0;
  // Both hooks are installed and the procedures post.
  virtual bool Active() = 0;
  // The time (in the tick count's milliseconds) of the last event the
  // procedures received, of any kind, or of the start when none came since.
  virtual uint32_t LastEventTime() = 0;
  // The system's time of the session's last keyboard or mouse input. Later
  // than the last event by more than a moment: the system removed the hooks
  // without a word (it does so with a procedure it finds too slow).
  virtual uint32_t LastInputTime() = 0;
};

// ------------------------------------------------------------- registry ----

// Values under HKEY_CURRENT_USER.
class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // Opens the key, creating it when missing; false when that fails.
  virtual bool OpenKey(const std::string& path) = 0;
  virtual bool WriteString(const std::string& path, const std::string& name, const std::string& value) = 0;
  virtual bool ReadString(const std::string& path, const std::string& name, std::string& value) = 0;
  virtual bool DeleteValue(const std::string& path, const std::string& name) = 0;
};

// ---------------------------------------------------------------- atoms ----

class IAtoms {
 public:
  virtual ~IAtoms() = default;
  virtual uint16_t AddAtom(const std::string& name) = 0;   // 0 on failure
  virtual uint16_t FindAtom(const std::string& name) = 0;  // 0 when absent
  virtual void DeleteAtom(uint16_t atom) = 0;
};

// ------------------------------------------------------------ processes ----

class IProcesses {
 public:
  virtual ~IProcesses() = default;
  // The process with this id is running.
  virtual bool IsRunning(uint32_t processId) = 0;
  // Starts a program from its command line (no application name, so the
  // system searches the current directory first); false when that fails.
  virtual bool Start(const std::string& commandLine, const std::string& currentDirectory) = 0;
};

// ------------------------------------------------------ progress window ----

// The "please wait" window with a progress bar, shown while long work runs
// through the user files.
class IProgressWindow {
 public:
  virtual ~IProgressWindow() = default;
  virtual void Show() = 0;
  // Sets the bar's range and position and makes it visible; the message,
  // when not empty, replaces the text.
  virtual void ShowProgress(int min, int max, const std::string& message, const std::string& title, int position) = 0;
  virtual void SetProgress(int position) = 0;
  // Hiding leaves the bar at its maximum.
  virtual void Hide() = 0;
};

// ------------------------------------------------------------ the set ----

class IKeyboardFocus;          // platform/KeyboardFocus.h
class IForegroundApplication;  // platform/ForegroundApplication.h

struct Platform {
  IFileSystem* files = nullptr;
  IClock* clock = nullptr;
  ISystem* system = nullptr;
  IWindows* windows = nullptr;
  IMutexes* mutexes = nullptr;
  IDialogs* dialogs = nullptr;
  IHttp* http = nullptr;
  IKeyboard* keyboard = nullptr;
  IInputHooks* hooks = nullptr;
  IRegistry* registry = nullptr;
  IAtoms* atoms = nullptr;
  IProcesses* processes = nullptr;
  IProgressWindow* progress = nullptr;
  IKeyboardFocus* focus = nullptr;
  IForegroundApplication* application = nullptr;
};

// The platform the process runs on; installed once by the entry point (or a
// test fixture) before anything else runs.
void InstallPlatform(const Platform& platform);
const Platform& CurrentPlatform();
bool PlatformInstalled();

inline IFileSystem& Files() { return *CurrentPlatform().files; }
inline IClock& Clock() { return *CurrentPlatform().clock; }
inline ISystem& System() { return *CurrentPlatform().system; }
inline IWindows& Windows() { return *CurrentPlatform().windows; }
inline IMutexes& Mutexes() { return *CurrentPlatform().mutexes; }
inline IDialogs& Dialogs() { return *CurrentPlatform().dialogs; }
inline IHttp& Http() { return *CurrentPlatform().http; }
inline IKeyboard& Keyboard() { return *CurrentPlatform().keyboard; }
inline IInputHooks& Hooks() { return *CurrentPlatform().hooks; }
inline IRegistry& Registry() { return *CurrentPlatform().registry; }
inline IAtoms& Atoms() { return *CurrentPlatform().atoms; }
inline IProcesses& Processes() { return *CurrentPlatform().processes; }
inline IProgressWindow& ProgressWindow() { return *CurrentPlatform().progress; }

}  // namespace strevo
