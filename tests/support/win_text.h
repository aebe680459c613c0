// Text and path helpers of the Win32 test programs, done with the Windows
// calls alone so that the tests never lean on the code they check.
#pragma once

#include <windows.h>

#include <string>

namespace kestrive::test_support {

// UTF-8 of a wide text.
inline std::string utf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

// The wide text of UTF-8.
inline std::wstring utf16(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

// The literal form of an absolute path: no length limit, and trailing dots
// and blanks stay part of the name.
inline std::wstring longForm(const std::wstring& path) { return L"\\\\?\\" + path; }

// A command-line word in double quotes, as a path with blanks needs.
inline std::wstring quote(const std::wstring& s) { return L"\"" + s + L"\""; }

// The running program's own file.
inline std::wstring exePath() {
  wchar_t buf[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 4);
  return std::wstring(buf, n);
}

// The folder of the running program, without a trailing backslash.
inline std::wstring exeDir() {
  std::wstring path = exePath();
  return path.substr(0, path.find_last_of(L'\\'));
}

}  // namespace kestrive::test_support
