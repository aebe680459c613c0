// Helpers of the Win32 layer's tests: a private temp folder per test,
// raw file creation that bypasses the code under test, and child processes
// that cannot outlive the test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

#include "platform/platform.h"
#include "tests/support/win_text.h"

namespace kestrive::wine_test {

using test_support::exeDir;
using test_support::exePath;
using test_support::longForm;
using test_support::quote;
using test_support::utf16;
using test_support::utf8;

// Removes a folder with everything in it, whatever the attributes or names.
inline void removeTree(const std::wstring& folder) {
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW(longForm(folder + L"\\*").c_str(), &d);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = d.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(longForm(path).c_str(), FILE_ATTRIBUTE_NORMAL);
      if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        removeTree(path);
      else
        DeleteFileW(longForm(path).c_str());
    } while (FindNextFileW(h, &d));
    FindClose(h);
  }
  SetFileAttributesW(longForm(folder).c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(longForm(folder).c_str());
}

// A fresh folder under %TEMP%, removed with its contents afterwards.
class TempFolder {
 public:
  TempFolder() {
    static int counter = 0;
    wchar_t temp[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    std::wstring base(temp, n);
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    wpath_ = base + L"\\kestrive-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    removeTree(wpath_);
    if (!CreateDirectoryW(wpath_.c_str(), nullptr))
      ADD_FAILURE() << "cannot create the temp folder, error " << GetLastError();
  }
  ~TempFolder() { removeTree(wpath_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::wstring& wpath() const { return wpath_; }
  std::wstring operator/(const std::wstring& name) const { return wpath_ + L"\\" + name; }

 private:
  std::wstring wpath_;
};

// Creates a file by its literal name (the \\?\ form keeps trailing dots and
// blanks), with the given attributes.
inline void makeFile(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_ARCHIVE) {
  HANDLE h = CreateFileW(longForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << utf8(path) << " error " << GetLastError();
  DWORD written = 0;
  WriteFile(h, "x", 1, &written, nullptr);
  CloseHandle(h);
  ASSERT_TRUE(SetFileAttributesW(longForm(path).c_str(), attributes)) << utf8(path);
}

inline void makeDir(const std::wstring& path, DWORD attributes = 0) {
  ASSERT_TRUE(CreateDirectoryW(longForm(path).c_str(), nullptr)) << utf8(path) << " error " << GetLastError();
  if (attributes) {
    ASSERT_TRUE(SetFileAttributesW(longForm(path).c_str(), attributes));
  }
}

inline bool present(const std::wstring& path) {
  return GetFileAttributesW(longForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline DWORD rawAttributes(const std::wstring& path) { return GetFileAttributesW(longForm(path).c_str()); }

// Every name a listing yields, checking on the way that none comes twice.
inline std::set<std::string> namesOf(DirListing& listing) {
  std::set<std::string> names;
  while (auto name = listing.next()) {
    if (!names.insert(*name).second) {
      ADD_FAILURE() << "listed twice: " << *name;
      break;
    }
  }
  return names;
}

// A process started for a test and ended with it.
class Child {
 public:
  explicit Child(const std::wstring& commandLine) {
    std::wstring cmd = commandLine;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_))
      ADD_FAILURE() << "cannot start " << utf8(commandLine) << ", error " << GetLastError();
    else
      CloseHandle(pi_.hThread);
  }
  ~Child() {
    if (!pi_.hProcess) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(pi_.hProcess, 1);
      WaitForSingleObject(pi_.hProcess, 10000);
    }
    CloseHandle(pi_.hProcess);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return pi_.hProcess != nullptr; }
  DWORD pid() const { return pi_.dwProcessId; }
  HANDLE handle() const { return pi_.hProcess; }
  // The exit code once it ended within the time, else nothing.
  std::optional<DWORD> waitExit(DWORD ms) const {
    if (!pi_.hProcess || WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION pi_{};
};

// Polls a condition for up to the given time.
template <typename F>
bool eventually(F condition, DWORD ms = 10000) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= ms) return false;
    Sleep(20);
  }
}

// Sets the current directory for one scope.
class InFolder {
 public:
  explicit InFolder(const std::wstring& folder) {
    wchar_t buf[MAX_PATH * 4];
    previous_.assign(buf, GetCurrentDirectoryW(MAX_PATH * 4, buf));
    EXPECT_TRUE(SetCurrentDirectoryW(folder.c_str()));
  }
  ~InFolder() { SetCurrentDirectoryW(previous_.c_str()); }

 private:
  std::wstring previous_;
};

}  // namespace kestrive::wine_test

namespace kestrive::wine_test {

inline std::string readFile(const std::wstring& path) {
  HANDLE h =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string text(4096, '\0');
  DWORD got = 0;
  ReadFile(h, text.data(), (DWORD)text.size(), &got, nullptr);
  CloseHandle(h);
  text.resize(got);
  return text;
}

// Writes a small file so that a reader polling for it never sees it half
// written: the text goes to a side file that is then renamed.
inline bool writeFileAtOnce(const std::wstring& path, const std::string& text) {
  std::wstring side = path + L".part";
  HANDLE h = CreateFileW(side.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(h, text.data(), (DWORD)text.size(), &written, nullptr);
  CloseHandle(h);
  return MoveFileExW(side.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

// Exit codes of the --instance-probe mode of win32_tests.exe.
constexpr DWORD kProbeFirstInstance = 10;
constexpr DWORD kProbeAnotherRuns = 11;

}  // namespace kestrive::wine_test
