#include "win32/Win32Platform.h"

#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>
#include <wininet.h>
#include <winnetwk.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdlib>
#include <memory>
#include <thread>
#include <type_traits>

#include "platform/Ansi.h"
#include "storage/DateTime.h"
#include "win32/Win32Handles.h"
#include "win32/Win32Libraries.h"

namespace strevo {

// ------------------------------------------------------------------ files --

namespace {

class Win32FileHandle : public IFileHandle {
 public:
  explicit Win32FileHandle(HANDLE handle) : handle_(handle) {}
  ~Win32FileHandle() override { Close(); }
  int64_t Read(void* buffer, int64_t count) override {
    DWORD done = 0;
    if (!::ReadFile(handle_, buffer, static_cast<DWORD>(count), &done, nullptr)) return -1;
    return done;
  }
  int64_t Write(const void* buffer, int64_t count) override {
    DWORD done = 0;
    if (!::WriteFile(handle_, buffer, static_cast<DWORD>(count), &done, nullptr)) return done > 0 ? done : -1;
    return done;
  }
  int64_t Seek(int64_t offset, SeekOrigin origin) override {
    LARGE_INTEGER distance, result;
    distance.QuadPart = offset;
    const DWORD method = origin == SeekOrigin::Begin ? FILE_BEGIN : origin == SeekOrigin::Current ? FILE_CURRENT : FILE_END;
    if (!::SetFilePointerEx(handle_, distance, &result, method)) return -1;
    return result.QuadPart;
  }
  int64_t Size() override {
    LARGE_INTEGER size;
    return ::GetFileSizeEx(handle_, &size) ? size.QuadPart : -1;
  }
  bool Truncate() override { return ::SetEndOfFile(handle_) != 0; }
  bool Flush() override { return ::FlushFileBuffers(handle_) != 0; }
  bool Close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return true;
    const BOOL ok = ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return ok != 0;
  }

 private:
  HANDLE handle_;
};

FileError FromLastError(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND: return FileError::NotFound;
    case ERROR_PATH_NOT_FOUND: return FileError::PathNotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return FileError::SharingViolation;
    case ERROR_ACCESS_DENIED: return FileError::AccessDenied;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return FileError::Exists;
    default: return FileError::Other;
  }
}

}  // namespace

std::unique_ptr<IFileHandle> Win32FileSystem::Open(const std::string& path, const FileOpenOptions& options,
                                                   FileError* error) {
  DWORD access = 0;
  if (options.access != FileAccess::Write) access |= GENERIC_READ;
  if (options.access != FileAccess::Read) access |= GENERIC_WRITE;
  DWORD share = 0;
  switch (options.share) {
    case FileShare::Read: share = FILE_SHARE_READ; break;
    case FileShare::Write: share = FILE_SHARE_WRITE; break;
    case FileShare::ReadWrite: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    case FileShare::None:
    case FileShare::Compat: share = 0; break;
  }
  DWORD disposition = OPEN_EXISTING;
  switch (options.create) {
    case FileCreate::OpenExisting: disposition = OPEN_EXISTING; break;
    case FileCreate::OpenAlways: disposition = OPEN_ALWAYS; break;
    case FileCreate::CreateAlways: disposition = CREATE_ALWAYS; break;
    case FileCreate::CreateNew: disposition = CREATE_NEW; break;
  }
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | (options.sequentialScan ? FILE_FLAG_SEQUENTIAL_SCAN : 0);
  HANDLE handle = ::CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    if (error) *error = FromLastError(::GetLastError());
    return nullptr;
  }
  if (error) *error = FileError::None;
  return std::make_unique<Win32FileHandle>(handle);
}

bool Win32FileSystem::FileExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::ModifiedTime(const std::string& path, int64_t& time) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  time = static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                              data.ftLastWriteTime.dwLowDateTime);
  return true;
}

bool Win32FileSystem::DirectoryExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::MakeDirectory(const std::string& path) { return ::CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool Win32FileSystem::RemoveFile(const std::string& path) { return ::DeleteFileA(path.c_str()) != 0; }

bool Win32FileSystem::RenameFile(const std::string& from, const std::string& to) {
  return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::vector<DirectoryEntry> Win32FileSystem::List(const std::string& folder, const std::string& mask) {
  std::vector<DirectoryEntry> entries;
  std::string pattern = folder;
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += mask;
  WIN32_FIND_DATAA data;
  const FindHandle find(::FindFirstFileA(pattern.c_str(), &data));
  if (!find.Valid()) return entries;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    const int64_t size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, size});
  } while (::FindNextFileA(find.Get(), &data));
  return entries;
}

namespace {

// The text in the ANSI code page; false when a character has none there.
bool ToAnsi(const std::wstring& wide, std::string& ansi) {
  if (wide.empty()) {
    ansi.clear();
    return true;
  }
  BOOL replaced = FALSE;
  const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, &replaced);
  if (n <= 0) return false;
  ansi.assign(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), ansi.data(), n,
                        nullptr, &replaced);
  return !replaced;
}

}  // namespace

// A path the program's 8-bit calls can use: as it is when the code page can
// write it, else its short form (8.3 names are plain ASCII), so that the
// program runs from a folder named in any script (a user profile named
// "Łukasz"). Only a volume without short names keeps the lossy form.
std::string AnsiPath(const std::wstring& wide) {
  std::string ansi;
  if (ToAnsi(wide, ansi)) return ansi;
  const DWORD size = ::GetShortPathNameW(wide.c_str(), nullptr, 0);
  if (size > 0) {
    std::wstring shortPath(size, L'\0');
    const DWORD n = ::GetShortPathNameW(wide.c_str(), shortPath.data(), size);
    shortPath.resize(n < size ? n : 0);
    std::string shortAnsi;
    if (!shortPath.empty() && ToAnsi(shortPath, shortAnsi)) return shortAnsi;
  }
  return ansi;
}

std::string Win32FileSystem::CurrentDirectory() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = ::GetCurrentDirectoryW(MAX_PATH + 1, buffer);
  std::string dir = AnsiPath(std::wstring(buffer, n <= MAX_PATH ? n : 0));
  if (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
  return dir;
}

bool Win32FileSystem::ChangeDirectory(const std::string& path) { return ::SetCurrentDirectoryA(path.c_str()) != 0; }

std::string Win32FileSystem::ExpandUncFileName(const std::string& path) {
  char full[MAX_PATH + 1];
  char* part = nullptr;
  const DWORD n = ::GetFullPathNameA(path.c_str(), sizeof full, full, &part);
  std::string expanded = (n > 0 && n < sizeof full) ? std::string(full, n) : path;
  if (expanded.size() >= 2 && expanded[1] == ':') {
    const std::string root = expanded.substr(0, 2) + "\\";
    if (::GetDriveTypeA(root.c_str()) == DRIVE_REMOTE) {
      char buffer[1024];
      DWORD size = sizeof buffer;
      static const auto universal_name =
          LibraryFunction<decltype(&::WNetGetUniversalNameA)>("mpr.dll", "WNetGetUniversalNameA");
      if (universal_name && universal_name(expanded.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buffer, &size) == NO_ERROR)
        expanded = reinterpret_cast<UNIVERSAL_NAME_INFOA*>(buffer)->lpUniversalName;
    }
  }
  return expanded;
}

// ------------------------------------------------------------------ clock --

double Win32Clock::Now() {
  SYSTEMTIME t;
  ::GetLocalTime(&t);
  return encode_date(t.wYear, t.wMonth, t.wDay) + encode_time(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

uint32_t Win32Clock::TickCount() { return ::GetTickCount(); }

void Win32Clock::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

// ----------------------------------------------------------------- system --

std::string Win32System::ComputerName() {
  char buffer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof buffer;
  return ::GetComputerNameA(buffer, &size) ? std::string(buffer, size) : std::string();
}

std::string Win32System::UserName() {
  char buffer[1024];
  DWORD size = sizeof buffer;
  if (!::GetUserNameA(buffer, &size)) return {};
  return std::string(buffer);
}

std::string Win32System::ExpandEnvironment(const std::string& text) {
  // Read wide and made a usable path: "%APPDATA%" under a profile named in
  // another script.
  const int size = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (size <= 0) return text;
  std::wstring wide(static_cast<size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), size);
  std::wstring buffer(32768, L'\0');
  const DWORD n = ::ExpandEnvironmentStringsW(wide.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n > buffer.size()) return text;
  buffer.resize(n - 1);
  return AnsiPath(buffer);
}

bool Win32System::GetEnvironment(const std::string& name, std::string& value) {
  std::string buffer(32768, '\0');
  const DWORD n = ::GetEnvironmentVariableA(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
  if (n >= buffer.size()) return false;
  value.assign(buffer.data(), n);
  return true;
}

bool Win32System::KeyboardLayoutName(std::string& name) {
  char buffer[KL_NAMELENGTH];
  if (!::GetKeyboardLayoutNameA(buffer)) return false;
  name = buffer;
  return true;
}

LocaleFormats Win32System::Formats() {
  auto info = [](LCTYPE type, const char* fallback) {
    char buffer[128];
    const int n = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    return n > 1 ? std::string(buffer, n - 1) : std::string(fallback);
  };
  LocaleFormats formats;
  formats.shortDate = info(LOCALE_SSHORTDATE, "M/d/yyyy");
  formats.longTime = info(LOCALE_STIMEFORMAT, "h:mm:ss tt");
  formats.timeAm = info(LOCALE_S1159, "AM");
  formats.timePm = info(LOCALE_S2359, "PM");
  formats.decimalSeparator = info(LOCALE_SDECIMAL, ".")[0];
  return formats;
}

std::string Win32System::SpecialFolder(int csidl) {
  LPITEMIDLIST items = nullptr;
  if (::SHGetSpecialFolderLocation(nullptr, csidl, &items) != S_OK || !items) return {};
  wchar_t buffer[MAX_PATH + 1] = {};
  const BOOL ok = ::SHGetPathFromIDListW(items, buffer);
  ::CoTaskMemFree(items);  // the shell allocator
  return ok ? AnsiPath(buffer) : std::string();
}

std::string Win32System::ExecutablePath() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH + 1);
  return AnsiPath(std::wstring(buffer, n <= MAX_PATH ? n : 0));
}

std::vector<std::string> Win32System::Arguments() {
  std::vector<std::string> args;
  for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);
  return args;
}

WindowsVersion Win32System::Version() {
  // GetVersionEx reports what the manifest allows; the kernel's own routine
  // reports the real version.
  WindowsVersion version;
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  if (HMODULE ntdll = ::GetModuleHandleA("ntdll.dll")) {
    if (auto fn = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")))) {
      OSVERSIONINFOW info{};
      info.dwOSVersionInfoSize = sizeof info;
      if (fn(&info) == 0) {
        version.major = static_cast<int>(info.dwMajorVersion);
        version.minor = static_cast<int>(info.dwMinorVersion);
        version.nt = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
      }
    }
  }
  return version;
}

bool Win32System::IsRemoteSession() { return ::GetSystemMetrics(SM_REMOTESESSION) != 0; }

void Win32System::OutputDebugText(const std::string& text) { ::OutputDebugStringA(text.c_str()); }

bool Win32System::ShellOpen(const std::string& target, int showMode) {
  const auto result = reinterpret_cast<intptr_t>(::ShellExecuteA(nullptr, nullptr, target.c_str(), nullptr, nullptr, showMode));
  return result > 32;
}

uint32_t Win32System::CurrentProcessId() { return ::GetCurrentProcessId(); }

// ---------------------------------------------------------------- windows --

uint32_t Win32Windows::RegisterMessage(const std::string& name) { return ::RegisterWindowMessageA(name.c_str()); }

void Win32Windows::AllowMessage(uint32_t message) {
  // Only from Windows Vista on; looked up at run time so older systems start.
  if (Win32System().Version().major < 6) return;
  using FilterFn = BOOL(WINAPI*)(UINT, DWORD);
  HMODULE user32 = ::GetModuleHandleA("USER32.DLL");
  if (!user32) return;
  if (auto fn = reinterpret_cast<FilterFn>(reinterpret_cast<void*>(::GetProcAddress(user32, "ChangeWindowMessageFilter"))))
    fn(message, 1 /* MSGFLT_ADD */);
}

WindowHandle Win32Windows::FindWindowByCaption(const std::string& caption) {
  return FromHwnd(::FindWindowA(nullptr, caption.c_str()));
}

bool Win32Windows::Post(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return ::PostMessageA(ToHwnd(window), message, wParam, lParam) != 0;
}

WindowHandle Win32Windows::ForegroundWindow() { return FromHwnd(::GetForegroundWindow()); }

bool Win32Windows::WatchForeground(std::function<void()> changed) {
  foregroundWatch_.reset();
  foregroundWatch_ = std::make_unique<Win32ForegroundWatch>(std::move(changed));
  if (!foregroundWatch_->Watching()) foregroundWatch_.reset();
  return foregroundWatch_ != nullptr;
}

void Win32Windows::StopWatchingForeground() { foregroundWatch_.reset(); }

std::string Win32Windows::WindowCaption(WindowHandle window) {
  char buffer[1024];
  const int n = ::GetWindowTextA(ToHwnd(window), buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

bool Win32Windows::ForceForeground(WindowHandle handle) {
  HWND window = ToHwnd(handle);
  if (!window) return false;
  if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
  if (::GetForegroundWindow() == window) return true;
  const WindowsVersion version = Win32System().Version();
  const bool modern = (version.nt && version.major > 4) || (!version.nt && (version.major > 4 || (version.major == 4 && version.minor > 0)));
  if (!modern) {
    ::BringWindowToTop(window);
    ::SetForegroundWindow(window);
    return ::GetForegroundWindow() == window;
  }
  auto attached_switch = [window]() {
    const DWORD foregroundThread = ::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr);
    const DWORD thisThread = ::GetWindowThreadProcessId(window, nullptr);
    if (::AttachThreadInput(thisThread, foregroundThread, TRUE)) {
      ::BringWindowToTop(window);
      ::SetForegroundWindow(window);
      ::AttachThreadInput(thisThread, foregroundThread, FALSE);
    } else {
      ::BringWindowToTop(window);
      ::SetForegroundWindow(window);
    }
  };
  attached_switch();
  if (::GetForegroundWindow() != window) {
    DWORD timeout = 0;
    ::SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
    ::SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_SENDCHANGE);
    ::BringWindowToTop(window);
    ::SetForegroundWindow(window);
    if (::GetForegroundWindow() != window) {
      ::ShowWindow(window, SW_HIDE);
      ::ShowWindow(window, SW_SHOWMINIMIZED);
      ::ShowWindow(window, SW_SHOWNORMAL);
      ::BringWindowToTop(window);
      ::SetForegroundWindow(window);
    }
    ::SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(timeout)),
                            SPIF_SENDCHANGE);
  }
  return ::GetForegroundWindow() == window;
}

void Win32Windows::SetWaitCursor(bool waiting) {
  if (waiting) {
    previousCursor_ = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
  } else {
    ::SetCursor(static_cast<HCURSOR>(previousCursor_));
    previousCursor_ = nullptr;
  }
}

// ---------------------------------------------------------------- mutexes --

// "Access denied" means the mutex exists: a process with higher rights (the
// tutor run as administrator, a copy of this program) created it.
KernelHandle Win32Mutexes::CreateNamedMutex(const std::string& name, bool initialOwner, bool& alreadyExisted) {
  HANDLE handle = ::CreateMutexA(nullptr, initialOwner ? TRUE : FALSE, name.c_str());
  const DWORD error = ::GetLastError();
  alreadyExisted = error == ERROR_ALREADY_EXISTS || (!handle && error == ERROR_ACCESS_DENIED);
  return reinterpret_cast<KernelHandle>(handle);
}

bool Win32Mutexes::MutexExists(const std::string& name) {
  const KernelObject mutex(::OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str()));
  return mutex.Valid() || ::GetLastError() == ERROR_ACCESS_DENIED;
}

void Win32Mutexes::CloseMutex(KernelHandle handle) {
  if (handle) ::CloseHandle(reinterpret_cast<HANDLE>(handle));
}

// ---------------------------------------------------------------- dialogs --

int Win32Dialogs::ShowMessage(const std::string& text, const std::string& caption, uint32_t flags) {
  return ::MessageBoxA(ToHwnd(owner), text.c_str(), caption.c_str(), flags);
}

// ------------------------------------------------------------------- http --

const WinInet& Inet() {
  static const WinInet api = [] {
    WinInet loaded{};
    loaded.all = true;
    const auto load = [&loaded](auto& function, const char* name) {
      function = LibraryFunction<std::remove_reference_t<decltype(function)>>("wininet.dll", name);
      loaded.all = loaded.all && function;
    };
    load(loaded.InternetCrackUrlA, "InternetCrackUrlA");
    load(loaded.InternetOpenA, "InternetOpenA");
    load(loaded.InternetSetOptionA, "InternetSetOptionA");
    load(loaded.InternetConnectA, "InternetConnectA");
    load(loaded.HttpOpenRequestA, "HttpOpenRequestA");
    load(loaded.HttpSendRequestA, "HttpSendRequestA");
    load(loaded.HttpQueryInfoA, "HttpQueryInfoA");
    load(loaded.InternetQueryDataAvailable, "InternetQueryDataAvailable");
    load(loaded.InternetReadFile, "InternetReadFile");
    load(loaded.InternetErrorDlg, "InternetErrorDlg");
    load(loaded.InternetCloseHandle, "InternetCloseHandle");
    return loaded;
  }();
  return api;
}

void CloseInternetHandle(HINTERNET handle) {
  if (Inet().InternetCloseHandle) Inet().InternetCloseHandle(handle);
}

bool Win32Http::CrackUrl(const std::string& url, TUrlInfo& info) {
  if (!Inet().Loaded()) return false;
  char host[257] = {}, path[2049] = {}, extra[256] = {}, scheme[33] = {};
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = sizeof host;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = sizeof path;
  parts.lpszExtraInfo = extra;
  parts.dwExtraInfoLength = sizeof extra;
  parts.lpszScheme = scheme;
  parts.dwSchemeLength = sizeof scheme;
  if (!Inet().InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), ICU_DECODE, &parts)) return false;
  info.Host = host;
  info.Port = parts.nPort;
  info.Path = std::string(path) + extra;
  info.Scheme = scheme;
  return true;
}

namespace {

// One request's WinINet handles and what its waits on the network need and
// give. WinINet may wait without end (under Wine a TLS handshake that gets
// no answer waits past every time-out, and a head sent a byte at a time
// resets them), so the waits run on a thread of their own: the caller waits
// for that thread until the deadline and then leaves the transfer to it,
// which closes the handles once its call has returned.
struct Transfer {
  InternetHandle session, connection, request;
  KernelObject done{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<bool> abandoned{false};
  std::string postData;
  size_t bodyLimit = 0;
  BOOL sent = FALSE;
  DWORD sendError = ERROR_SUCCESS;
  int bodyStatus = 0;
  std::string body;
};

// Runs wait on a thread of its own and waits for it until deadline (a tick
// count); false when the deadline passed, the transfer then the thread's.
bool wait_until(const std::shared_ptr<Transfer>& transfer, DWORD deadline, void (*wait)(Transfer&)) {
  ::ResetEvent(transfer->done.Get());
  std::thread thread([transfer, wait] {
    wait(*transfer);
    ::SetEvent(transfer->done.Get());
  });
  const auto left = static_cast<LONG>(deadline - ::GetTickCount());
  if (left > 0 && ::WaitForSingleObject(transfer->done.Get(), static_cast<DWORD>(left)) == WAIT_OBJECT_0) {
    thread.join();
    return true;
  }
  transfer->abandoned = true;
  thread.detach();
  return false;
}

void send_request(Transfer& transfer) {
  static const char kFormHeader[] = "Content-type: application/x-www-form-urlencoded";
  const bool post = !transfer.postData.empty();
  transfer.sent = Inet().HttpSendRequestA(transfer.request.Get(), post ? kFormHeader : nullptr, post ? DWORD(-1) : 0,
                                     post ? transfer.postData.data() : nullptr,
                                     static_cast<DWORD>(transfer.postData.size()));
  transfer.sendError = transfer.sent ? ERROR_SUCCESS : ::GetLastError();
}

// The length the server announced for its body; false when it announced none.
bool announced_length(HINTERNET request, uint64_t& length) {
  char text[32] = {};
  DWORD size = sizeof text;
  if (!Inet().HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return false;
  const auto [end, error] = std::from_chars(text, text + size, length);
  return error == std::errc() && end == text + size;
}

// The body of a 200 answer, whole or not at all: its end must come at its
// announced length. Data is asked for only when some has come (a read
// waits for all it asks for), and an abandoned transfer reads no more.
void read_body(Transfer& transfer) {
  uint64_t length = 0;
  const bool lengthKnown = announced_length(transfer.request.Get(), length);
  transfer.bodyStatus = kHttpTransferFailed;
  while (!transfer.abandoned) {
    DWORD available = 0;
    if (!Inet().InternetQueryDataAvailable(transfer.request.Get(), &available, 0, 0)) return;
    if (available == 0) break;
    char chunk[4096];
    DWORD read = 0;
    if (!Inet().InternetReadFile(transfer.request.Get(), chunk, std::min<DWORD>(available, sizeof chunk), &read)) return;
    if (read == 0) break;
    // One byte more than the limit shows the caller that the body was cut.
    transfer.body.append(chunk, std::min<size_t>(read, transfer.bodyLimit + 1 - transfer.body.size()));
    if (transfer.body.size() > transfer.bodyLimit) {
      transfer.bodyStatus = 200;
      return;
    }
  }
  if (!lengthKnown || transfer.body.size() == length) transfer.bodyStatus = 200;
}

}  // namespace

int Win32Http::Send(const TUrlInfo& info, const std::string& postData, bool reload, size_t bodyLimit,
                    std::string& body) {
  if (!Inet().Loaded()) return 0;
  DWORD deadline = ::GetTickCount() + deadlineMs;
  auto transfer = std::make_shared<Transfer>();
  transfer->postData = postData;
  transfer->bodyLimit = bodyLimit;
  transfer->session.Reset(Inet().InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!transfer->session.Valid() || !transfer->done.Valid()) return 0;
  DWORD timeout = receiveTimeoutMs;
  Inet().InternetSetOptionA(transfer->session.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
  Inet().InternetSetOptionA(transfer->session.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
  transfer->connection.Reset(Inet().InternetConnectA(transfer->session.Get(), info.Host.c_str(),
                                                static_cast<INTERNET_PORT>(info.Port), nullptr, nullptr,
                                                INTERNET_SERVICE_HTTP, 0, 0));
  if (!transfer->connection.Valid()) return 0;
  DWORD flags = INTERNET_FLAG_NO_UI;
  if (reload) flags |= INTERNET_FLAG_RELOAD;
  // WinINet takes TLS from the request's flag, not from the port.
  if (ansi_lower(info.Scheme) == "https") flags |= INTERNET_FLAG_SECURE;
  transfer->request.Reset(Inet().HttpOpenRequestA(transfer->connection.Get(), postData.empty() ? "GET" : "POST",
                                             info.Path.c_str(), "HTTP/1.0", nullptr, nullptr, flags, 0));
  if (!transfer->request.Valid()) return 0;
  // The time-out also on the request itself: not every implementation
  // passes the session's value on.
  Inet().InternetSetOptionA(transfer->request.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
  Inet().InternetSetOptionA(transfer->request.Get(), INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof timeout);
  for (;;) {
    if (!wait_until(transfer, deadline, send_request)) return 0;
    if (!interactive) break;
    const DWORD answer = Inet().InternetErrorDlg(ToHwnd(owner), transfer->request.Get(), transfer->sendError,
                                            FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS |
                                                FLAGS_ERROR_UI_FLAGS_GENERATE_DATA,
                                            nullptr);
    if (answer != ERROR_INTERNET_FORCE_RETRY) break;
    // The time the person took to answer is not the server's.
    deadline = ::GetTickCount() + deadlineMs;
  }
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!Inet().HttpQueryInfoA(transfer->request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr))
    status = 0;
  if (status != 200) return static_cast<int>(status);
  if (!wait_until(transfer, deadline, read_body)) return kHttpTransferFailed;
  if (transfer->bodyStatus == 200) body += transfer->body;
  return transfer->bodyStatus;
}

// --------------------------------------------------------------- platform --

Win32Platform::Win32Platform() {
  InstallPlatform(Platform{&files, &clock, &system, &windows, &mutexes, &dialogs, &http, &keyboard, &hooks, &registry,
                           &atoms, &processes, &progress, &focus, &application});
}

Win32Platform::~Win32Platform() { InstallPlatform(Platform{}); }

}  // namespace strevo
