// Clock and process environment through Win32Clock and Win32Env.
#include <gtest/gtest.h>

#include "platform/text.h"
#include "platform/win32/os.h"
#include "tests/wine/wine_support.h"

using namespace kestrive;
using namespace kestrive::wine_test;
using kestrive::win32::Win32Env;

namespace {

std::wstring probeCommand(const std::wstring& file, int holdMs) {
  return quote(exePath()) + L" --instance-probe " + quote(file) + L" " + std::to_wstring(holdMs);
}

std::optional<DWORD> probeAlone(const TempFolder& tmp, const wchar_t* name) {
  Child probe(probeCommand(tmp / name, 0));
  return probe.waitExit(20000);
}

TEST(Win32Env, ExeBaseNameHasNoFolderNorExtension) {
  EXPECT_EQ(Win32Env().exeBaseName(), "win32_tests");

  TempFolder tmp;
  std::wstring copy = tmp / L"Kestrive v3.0 \u0416.exe";
  ASSERT_TRUE(CopyFileW(exePath().c_str(), copy.c_str(), TRUE));
  std::wstring report = tmp / L"name.txt";
  Child child(quote(copy) + L" --base-name-report " + quote(report));
  ASSERT_EQ(child.waitExit(20000), 0u);
  EXPECT_EQ(readFile(report), "Kestrive v3.0 \xD0\x96");
}

TEST(Win32Env, ProfileFolderIsTheUsersFolder) {
  std::string folder = Win32Env().profileFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  DWORD a = GetFileAttributesW(win32::widen(folder).c_str());
  ASSERT_NE(a, INVALID_FILE_ATTRIBUTES) << folder;
  EXPECT_TRUE(a & FILE_ATTRIBUTE_DIRECTORY) << folder;

  wchar_t env[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableW(L"USERPROFILE", env, MAX_PATH * 2);
  if (n > 0 && n < MAX_PATH * 2) {
    std::wstring expected(env, n);
    if (!expected.empty() && expected.back() == L'\\') expected.pop_back();
    EXPECT_TRUE(equalsNoCase(folder, utf8(expected))) << folder << " vs " << utf8(expected);
  }
}

// What the computer cleaner starts processes and reads Run values with.
TEST(Win32Env, SystemFolderWorkingFolderAndExpansion) {
  Win32Env env;
  const std::string system = env.systemFolder();
  ASSERT_FALSE(system.empty());
  EXPECT_NE(GetFileAttributesW(win32::widen(system + "\\cmd.exe").c_str()), INVALID_FILE_ATTRIBUTES) << system;

  const std::string work = env.workingFolder();
  ASSERT_FALSE(work.empty());
  EXPECT_NE(work.back(), '\\');
  wchar_t cwd[MAX_PATH * 2];
  GetCurrentDirectoryW(MAX_PATH * 2, cwd);
  EXPECT_TRUE(equalsNoCase(work + "\\", utf8(cwd)) || equalsNoCase(work, utf8(cwd))) << work;

  const std::string profile = env.profileFolder();
  EXPECT_TRUE(equalsNoCase(env.expand("%USERPROFILE%\\upd.exe"), profile + "\\upd.exe"))
      << env.expand("%USERPROFILE%\\upd.exe");
  EXPECT_TRUE(equalsNoCase(env.expand("\"%userprofile%\\a b.exe\" /s"), "\"" + profile + "\\a b.exe\" /s"));
  // Unknown variables and lone percent signs stay as written.
  EXPECT_EQ(env.expand("%NO_SUCH_VARIABLE_HERE%\\x.exe 100%"), "%NO_SUCH_VARIABLE_HERE%\\x.exe 100%");
  EXPECT_EQ(env.expand(""), "");
  // Longer than the first guess of the buffer, outside the code page.
  const std::string longText = std::string(20000, 'q') + "\xD0\x96%USERPROFILE%";
  EXPECT_EQ(env.expand(longText), std::string(20000, 'q') + "\xD0\x96" + profile);
}

TEST(Win32Clock, CountsMilliseconds) {
  win32::Win32Clock clock;
  uint32_t start = clock.tickCount();
  Sleep(200);
  uint32_t elapsed = clock.tickCount() - start;
  EXPECT_GE(elapsed, 150u);
  EXPECT_LT(elapsed, 60000u);
}

// Only this test asks this process's Win32Env about other instances: the
// answer is decided once per process.
TEST(Win32Env, PreviousInstanceAcrossRealProcesses) {
  TempFolder tmp;
  EXPECT_EQ(probeAlone(tmp, L"a"), kProbeFirstInstance);

  {
    Child holder(probeCommand(tmp / L"holder", 60000));
    ASSERT_TRUE(eventually([&] { return present(tmp / L"holder"); }, 20000));
    EXPECT_EQ(readFile(tmp / L"holder"), "0");
    EXPECT_EQ(probeAlone(tmp, L"b"), kProbeAnotherRuns);
    EXPECT_EQ(readFile(tmp / L"b"), "1");
  }  // the holder is ended here, not left to exit

  // The mutex goes with its process, however that process ended.
  EXPECT_EQ(probeAlone(tmp, L"c"), kProbeFirstInstance);

  EXPECT_FALSE(Win32Env().previousInstance());
  EXPECT_FALSE(Win32Env().previousInstance());
  EXPECT_EQ(probeAlone(tmp, L"d"), kProbeAnotherRuns);
}

}  // namespace
