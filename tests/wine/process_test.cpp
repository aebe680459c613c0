// Processes through Win32Processes, with worm.exe as the process to find and
// pskill.exe as the tool that ends it.
#include <gtest/gtest.h>

#include "computer/cleaner.h"
#include "computer/processes.h"
#include "computer/command_line.h"
#include "platform/fake/fake_platform.h"
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

std::string imageOf(Win32Processes& proc, DWORD pid) {
  for (const ProcessInfo& p : proc.snapshot())
    if (p.pid == pid) return p.image;
  return "?";
}

TEST(Win32Processes, SnapshotReadsTheFullImagePath) {
  // Two processes of one name in two folders: only the path tells them apart.
  TempFolder a, b;
  for (const TempFolder* f : {&a, &b})
    ASSERT_TRUE(CopyFileW(tool(L"worm.exe").c_str(), (*f / L"svchost.exe").c_str(), TRUE));
  Child first(quote(a / L"svchost.exe"));
  Child second(quote(b / L"svchost.exe"));
  ASSERT_TRUE(first.started() && second.started());
  Win32Processes proc;
  EXPECT_TRUE(SameFilePath(imageOf(proc, first.pid()), utf8(a / L"svchost.exe"))) << imageOf(proc, first.pid());
  EXPECT_TRUE(SameFilePath(imageOf(proc, second.pid()), utf8(b / L"svchost.exe")));
  EXPECT_FALSE(SameFilePath(imageOf(proc, first.pid()), utf8(b / L"svchost.exe")));
  EXPECT_TRUE(SameFilePath(imageOf(proc, GetCurrentProcessId()), utf8(exePath())));
  EXPECT_EQ(proc.currentPid(), GetCurrentProcessId());
}

TEST(Win32Processes, RunPassesTheWindowStyle) {
  TempFolder tmp;
  std::wstring report = tmp / L"startup.txt";
  Win32Processes proc;
  ASSERT_TRUE(
      proc.run(utf8(exePath()), utf8(quote(exePath()) + L" --startup-report " + quote(report)), kShowMinNoActive));
  ASSERT_TRUE(eventually([&] { return present(report); }));
  // Minimised without taking the focus from the window in front.
  EXPECT_EQ(readFile(report), "useshowwindow=1 show=" + std::to_string(SW_SHOWMINNOACTIVE));
}

TEST(Win32Processes, EndRequestEndsTheProcessThroughTheSystemsInterpreter) {
  TempFolder tmp;
  std::wstring name = L"kestrive-worm-" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  ASSERT_TRUE(CopyFileW(tool(L"worm.exe").c_str(), (tmp / name).c_str(), TRUE));
  Win32Processes proc;
  EndOnExit guard;

  // The worm sleeps for minutes: run() returning at all shows it did not wait.
  ASSERT_TRUE(proc.run(utf8(tmp / name), utf8(quote(tmp / name)), kShowMinNoActive));
  ASSERT_TRUE(eventually([&] { return (guard.pid = pidOf(proc, utf8(name))).has_value(); }));

  // The way the cleaner ends a process: the tool found in the working folder,
  // here one whose path holds a blank, "&" and "%" that cmd must not read.
  TempFolder work;
  const std::wstring odd = work / L"a b&c%PATH%";
  makeDir(odd);
  ASSERT_TRUE(CopyFileW(tool(L"pskill.exe").c_str(), (odd + L"\\pskill.exe").c_str(), TRUE));
  // A cmd.exe planted there (Kestrive is run from infected sticks) never runs.
  const std::wstring planted = odd + L"\\cmd.exe";
  ASSERT_TRUE(CopyFileW(tool(L"worm.exe").c_str(), planted.c_str(), TRUE));
  InFolder in(odd);
  fake::FakePlatform f;
  win32::Win32Env env;
  std::optional<EndRequest> request = [&] {
    Platform p{f.fs, f.reg, proc, f.ui, f.clock, env, f.host};
    return EndRequestFor(p, *guard.pid);
  }();
  ASSERT_TRUE(request);
  EXPECT_TRUE(SameFilePath(request->program, env.systemFolder() + "\\cmd.exe"));
  ASSERT_TRUE(proc.run(request->program, request->commandLine, kShowMinNoActive));
  EXPECT_TRUE(eventually([&] { return !exeOf(proc, *guard.pid); })) << request->commandLine;
  for (const ProcessInfo& p : proc.snapshot()) {
    EXPECT_FALSE(SameFilePath(p.image, utf8(planted))) << "the planted cmd.exe ran";
    if (SameFilePath(p.image, utf8(planted))) EndOnExit{p.pid};
  }
}

TEST(Win32Processes, RunReportsAProgramThatCannotStart) {
  TempFolder tmp;
  Win32Processes proc;
  EXPECT_FALSE(proc.run(utf8(tmp / L"missing.exe"), utf8(quote(tmp / L"missing.exe")), kShowMinNoActive));
  EXPECT_FALSE(proc.run("", "", kShowMinNoActive));
}

TEST(Pskill, EndsTheGivenProcess) {
  Child worm(quote(tool(L"worm.exe")));
  ASSERT_TRUE(worm.started());
  Child kill(quote(tool(L"pskill.exe")) + L" " + std::to_wstring(worm.pid()));
  EXPECT_EQ(kill.waitExit(10000), 0u);
  EXPECT_TRUE(worm.waitExit(5000).has_value());
}

TEST(Pskill, FailsWhenNothingIsEnded) {
  const std::wstring arguments[] = {L"", L"abc", L"12x", L"-8", L"0", L"99999999999", L"4294967292", L"1 2"};
  for (const std::wstring& a : arguments) {
    Child kill(quote(tool(L"pskill.exe")) + L" " + a);
    EXPECT_EQ(kill.waitExit(10000), 1u) << utf8(a);
  }
}

}  // namespace
