// Values under HKEY_CURRENT_USER over the real API.
#include <windows.h>

#include "win32/Win32Handles.h"
#include "win32/Win32Platform.h"

namespace strevo {

namespace {
std::string relative_key(const std::string& path) {
  size_t start = 0;
  while (start < path.size() && path[start] == '\\') ++start;
  return path.substr(start);
}
}  // namespace

bool Win32Registry::OpenKey(const std::string& path) {
  RegistryKey key;
  return ::RegCreateKeyExA(HKEY_CURRENT_USER, relative_key(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                           key.Receive(), nullptr) == ERROR_SUCCESS;
}

bool Win32Registry::WriteString(const std::string& path, const std::string& name, const std::string& value) {
  RegistryKey key;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, relative_key(path).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS)
    return false;
  return ::RegSetValueExA(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool Win32Registry::ReadString(const std::string& path, const std::string& name, std::string& value) {
  RegistryKey key;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, relative_key(path).c_str(), 0, KEY_QUERY_VALUE, key.Receive()) !=
      ERROR_SUCCESS)
    return false;
  char buffer[2048];
  DWORD size = sizeof buffer - 1, type = 0;
  const LONG rc = ::RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  buffer[size] = '\0';
  value = buffer;
  return true;
}

bool Win32Registry::DeleteValue(const std::string& path, const std::string& name) {
  RegistryKey key;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, relative_key(path).c_str(), 0, KEY_SET_VALUE, key.Receive()) != ERROR_SUCCESS)
    return false;
  return ::RegDeleteValueA(key.Get(), name.c_str()) == ERROR_SUCCESS;
}

}  // namespace strevo
