// Processes through Win32Processes, with worm.exe as the process to find and
// pskill.exe as the tool that ends it.
#include <gtest/gtest.h>

#include "platform/win32/os.h"
#include "tests/wine/wine_support.h"

using namespace kestrive;
using namespace kestrive::wine_test;
using kestrive::win32::Win32Processes;

namespace {

std::wstring tool(const wchar_t* name) { return exeDir() + L"\\" + name; }

std::optional<std::string> exeOf(Win32Processes& proc, DWORD pid) {
  for (const ProcessInfo& p : proc.snapshot())
    if (p.pid == pid) return p.exe;
  return std::nullopt;
}

std::optional<uint32_t> pidOf(Win32Processes& proc, const std::string& exe) {
  for (const ProcessInfo& p : proc.snapshot())
    if (p.exe == exe) return p.pid;
  return std::nullopt;
}

// Ends a process known only by its ID, should a test stop half-way.
struct EndOnExit {
  std::optional<uint32_t> pid;
  ~EndOnExit() {
    if (!pid) return;
    HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, *pid);
    if (!h) return;
    TerminateProcess(h, 1);
    WaitForSingleObject(h, 10000);
    CloseHandle(h);
  }
};

TEST(Win32Processes, SnapshotNamesEveryRunningExecutable) {
  TempFolder tmp;
  std::wstring renamed = tmp / L"\u0447\u0435\u0440\u0432\u044c.exe";  // червь.exe
  ASSERT_TRUE(CopyFileW(tool(L"worm.exe").c_str(), renamed.c_str(), TRUE));
  Child worm(quote(tool(L"worm.exe")));
  Child other(quote(renamed));
  ASSERT_TRUE(worm.started() && other.started());

  Win32Processes proc;
  EXPECT_EQ(exeOf(proc, worm.pid()), "worm.exe");
  EXPECT_EQ(exeOf(proc, other.pid()), "\xD1\x87\xD0\xB5\xD1\x80\xD0\xB2\xD1\x8C.exe");
  EXPECT_EQ(exeOf(proc, GetCurrentProcessId()), "win32_tests.exe");

  // The walk keeps no handle (Wine counts no handles, so there it proves nothing).
  DWORD before = 0, after = 0;
  GetProcessHandleCount(GetCurrentProcess(), &before);
  for (int i = 0; i < 20; ++i) proc.snapshot();
  GetProcessHandleCount(GetCurrentProcess(), &after);
  EXPECT_EQ(after, before);
}

TEST(Win32Processes, RunPassesTheWindowStyle) {
  TempFolder tmp;
  std::wstring report = tmp / L"startup.txt";
  Win32Processes proc;
  ASSERT_TRUE(proc.run(utf8(quote(exePath()) + L" --startup-report " + quote(report)),
                       kShowMinNoActive));
  ASSERT_TRUE(eventually([&] { return present(report); }));
  EXPECT_EQ(readFile(report), "useshowwindow=1 show=6");
}

TEST(Win32Processes, RunDoesNotWaitAndCmdPskillEndsTheProcess) {
  TempFolder tmp;
  std::wstring name = L"kestrive-worm-" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  ASSERT_TRUE(CopyFileW(tool(L"worm.exe").c_str(), (tmp / name).c_str(), TRUE));
  Win32Processes proc;
  EndOnExit guard;

  // The worm sleeps for minutes: run() returning at all shows it did not wait.
  ASSERT_TRUE(proc.run(utf8(quote(tmp / name)), kShowMinNoActive));
  ASSERT_TRUE(eventually([&] { return (guard.pid = pidOf(proc, utf8(name))).has_value(); }));

  // The way the cleaner ends a process: pskill.exe found in the current folder.
  InFolder in(exeDir());
  ASSERT_TRUE(proc.run("cmd /c pskill " + std::to_string(*guard.pid), kShowMinNoActive));
  EXPECT_TRUE(eventually([&] { return !exeOf(proc, *guard.pid); }));
}

TEST(Win32Processes, RunReportsAProgramThatCannotStart) {
  TempFolder tmp;
  Win32Processes proc;
  EXPECT_FALSE(proc.run(utf8(quote(tmp / L"missing.exe")), kShowMinNoActive));
  EXPECT_FALSE(proc.run("", kShowMinNoActive));
}

TEST(Pskill, EndsTheGivenProcess) {
  Child worm(quote(tool(L"worm.exe")));
  ASSERT_TRUE(worm.started());
  Child kill(quote(tool(L"pskill.exe")) + L" " + std::to_wstring(worm.pid()));
  EXPECT_EQ(kill.waitExit(10000), 0u);
  EXPECT_TRUE(worm.waitExit(5000).has_value());
}

TEST(Pskill, FailsWhenNothingIsEnded) {
  const std::wstring arguments[] = {L"", L"abc", L"12x", L"-8", L"0", L"99999999999",
                                    L"4294967292", L"1 2"};
  for (const std::wstring& a : arguments) {
    Child kill(quote(tool(L"pskill.exe")) + L" " + a);
    EXPECT_EQ(kill.waitExit(10000), 1u) << utf8(a);
  }
}

}  // namespace
