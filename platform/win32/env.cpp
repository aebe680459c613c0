#include "platform/win32/env.h"

#include "platform/win32/wide.h"

#include <windows.h>

#include <shlobj.h>
#include <userenv.h>

#include <algorithm>
#include <cstring>

namespace kestrive::win32 {

namespace {

// Folders are handed on without the backslash Windows may end them with.
std::wstring withoutTrailingBackslashes(std::wstring folder) {
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

}  // namespace

std::wstring systemFolder() {
  // Under WOW64 "System32" is redirected to SysWOW64, the 32-bit copies;
  // "Sysnative" is the name by which a 32-bit process reaches the real one.
  BOOL wow64 = FALSE;
  const bool redirected = IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
  wchar_t folder[MAX_PATH + 1];
  const UINT n =
      redirected ? GetSystemWindowsDirectoryW(folder, MAX_PATH + 1) : GetSystemDirectoryW(folder, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return {};
  const std::wstring found = withoutTrailingBackslashes(std::wstring(folder, n));
  return redirected ? found + L"\\Sysnative" : found;
}

uint32_t Win32Clock::tickCount() { return GetTickCount(); }

bool Win32Env::previousInstance() {
  // Decided once per process; the first instance keeps the mutex until it ends.
  static const bool previous = [] {
    HANDLE m = CreateMutexW(nullptr, FALSE, L"Local\\Kestrive.SingleInstance");
    DWORD error = GetLastError();
    // Access denied: the mutex exists, made by an instance running with other rights.
    bool exists = m ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
    if (exists && m) CloseHandle(m);
    return exists;
  }();
  return previous;
}

std::string Win32Env::exeBaseName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  return narrow(name);
}

// The folder of the system's own 64-bit command interpreter even for the
// 32-bit build (see systemFolder()).
std::string Win32Env::systemFolder() { return narrow(win32::systemFolder()); }

std::string Win32Env::workingFolder() {
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return {};
  std::wstring folder(n, L'\0');
  n = GetCurrentDirectoryW(n, folder.data());
  if (n == 0 || n >= folder.size()) return {};
  folder.resize(n);
  return narrow(withoutTrailingBackslashes(folder));
}

std::string Win32Env::expand(const std::string& text) {
  const std::wstring in = widen(text);
  std::wstring out(in.size() + 64, L'\0');
  for (int tries = 0; tries < 4; ++tries) {
    DWORD n = ExpandEnvironmentStringsW(in.c_str(), out.data(), static_cast<DWORD>(out.size()));
    if (n == 0) return text;
    if (n <= out.size()) {
      out.resize(n - 1);  // n counts the NUL
      return narrow(out);
    }
    out.resize(n);
  }
  return text;
}

std::string Win32Env::variable(const std::string& name) {
  const std::wstring wname = widen(name);
  std::wstring value(256, L'\0');
  for (int tries = 0; tries < 4; ++tries) {
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetEnvironmentVariableW(wname.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) return {};
    if (n < value.size()) {
      value.resize(n);
      return narrow(value);
    }
    value.resize(n);  // n counts the NUL when the buffer was short
  }
  return {};
}

std::string Win32Env::startupFolder() {
  PWSTR path = nullptr;
  std::string out;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Startup, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path) {
    out = narrow(withoutTrailingBackslashes(path));
  }
  CoTaskMemFree(path);
  return out;
}

bool Win32Env::twoRegistryViews() {
  if (sizeof(void*) == 8) return true;
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::string Win32Env::profileFolder() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetUserProfileDirectoryW(token, nullptr, &size);
  std::wstring folder(std::max<DWORD>(size, MAX_PATH), L'\0');
  size = static_cast<DWORD>(folder.size());
  BOOL ok = GetUserProfileDirectoryW(token, folder.data(), &size);
  CloseHandle(token);
  if (!ok) return {};
  folder.resize(wcsnlen(folder.c_str(), folder.size()));
  return narrow(withoutTrailingBackslashes(folder));
}

}  // namespace kestrive::win32
