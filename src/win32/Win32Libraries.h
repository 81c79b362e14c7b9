// Functions of system libraries loaded at their first use rather than with
// the program: a run that never calls them never maps the library, nor what
// the library brings along (WinINet the system's sockets, for one).
#pragma once

#include <windows.h>
#include <wininet.h>

namespace strevo {

// Null when the library or the function is missing.
template <typename Function>
Function LibraryFunction(const char* library, const char* name) {
  HMODULE module = ::LoadLibraryA(library);
  if (!module) return nullptr;
  // Through the generic function type, which the compiler takes as any.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// The WinINet functions the HTTP requests use, loaded together at the first
// request. Loaded() is false when any is missing.
struct WinInet {
  decltype(&::InternetCrackUrlA) InternetCrackUrlA;
  decltype(&::InternetOpenA) InternetOpenA;
  decltype(&::InternetSetOptionA) InternetSetOptionA;
  decltype(&::InternetConnectA) InternetConnectA;
  decltype(&::HttpOpenRequestA) HttpOpenRequestA;
  decltype(&::HttpSendRequestA) HttpSendRequestA;
  decltype(&::HttpQueryInfoA) HttpQueryInfoA;
  decltype(&::InternetQueryDataAvailable) InternetQueryDataAvailable;
  decltype(&::InternetReadFile) InternetReadFile;
  decltype(&::InternetErrorDlg) InternetErrorDlg;
  decltype(&::InternetCloseHandle) InternetCloseHandle;
  bool all;  // every one of them was found
  bool Loaded() const { return all; }
};
const WinInet& Inet();

}  // namespace strevo
