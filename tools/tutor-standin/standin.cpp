// tutor-standin: stands in for the tutor in the end-to-end tests. Installed
// as "Quorvel.exe" in the program folder, it does what the monitor relies on
// the tutor doing: it holds the mutex "QV2004Mutex" while it runs, posts
// DISABLE to the monitor when it starts and ENABLE when it ends. It writes
// its command line and the "DraxelLogon" value it finds in the workstation
// file into the file named by STREVO_TUTOR_RECORD (one line each, appended),
// and ends when its window "Quorvel stand-in" is closed, or after
// STREVO_TUTOR_SECONDS (default 60).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

void PostToMonitor(const char* name) {
  if (HWND monitor = FindWindowA(nullptr, "Strevo 11")) PostMessageA(monitor, RegisterWindowMessageA(name), 0, 0);
}

std::string Environment(const char* name) {
  char value[MAX_PATH * 2] = {};
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

// "DraxelLogon" of this computer's workstation file, in the user database
// folder beside the program ("Database\" without a path file).
std::string DraxelLogon() {
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof computer;
  GetComputerNameA(computer, &size);
  std::string path = Environment("STREVO_TUTOR_WORKSTATION");
  if (path.empty()) path = std::string("Database\\") + computer + ".wk10";
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("DraxelLogon=", 0) == 0) return line.substr(12);
  }
  return "(none)";
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, "QV2004Mutex");
  const std::string record = Environment("STREVO_TUTOR_RECORD");
  if (!record.empty()) {
    std::ofstream out(record, std::ios::app);
    out << "command " << GetCommandLineA() << "\n" << "DraxelLogon " << DraxelLogon() << "\n";
  }
  PostToMonitor("QVWayfen1999.DISABLE");
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "StrevoTutorStandIn";
  RegisterClassA(&wc);
  CreateWindowA(wc.lpszClassName, "Quorvel stand-in", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120, 120, 320, 120, nullptr,
                nullptr, instance, nullptr);
  const std::string seconds = Environment("STREVO_TUTOR_SECONDS");
  SetTimer(nullptr, 0, static_cast<UINT>((seconds.empty() ? 60 : std::atoi(seconds.c_str())) * 1000), nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == nullptr) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (!record.empty()) std::ofstream(record, std::ios::app) << "ended\n";
  PostToMonitor("QVWayfen1999.ENABLE");
  if (mutex) CloseHandle(mutex);
  return 0;
}
