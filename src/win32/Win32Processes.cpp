// Process liveness and creation over the real API.
#include <windows.h>

#include "win32/Win32Handles.h"
#include "win32/Win32Platform.h"

namespace strevo {

bool Win32Processes::IsRunning(uint32_t processId) { return processId != 0 && ::GetProcessVersion(processId) != 0; }

bool Win32Processes::Start(const std::string& commandLine, const std::string& currentDirectory) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string command = commandLine;
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup, &info))
    return false;
  const KernelObject thread(info.hThread), process(info.hProcess);
  return true;
}

}  // namespace strevo
