// The computer cleaner's start-up places on the real system: the drop
// folders and the Startup folder from Win32Env, both registry views of the
// machine's Run key, other processes' command lines, and a running script
// worm: the stand-in host installed as the system's wscript.exe.
#include <gtest/gtest.h>

#include <algorithm>

#include "computer/command_line.h"
#include "computer/startup_places.h"
#include "computer/worm_removal.h"
#include "platform/fake/fake_platform.h"
#include "platform/text.h"
#include "platform/win32/os.h"
#include "tests/support/link_bytes.h"
#include "tests/wine/wine_support.h"

using namespace kestrive;
using namespace kestrive::wine_test;
using kestrive::win32::Win32Env;
using kestrive::win32::Win32Fs;
using kestrive::win32::Win32Processes;
using kestrive::win32::Win32Registry;

namespace {

std::wstring tool(const wchar_t* name) { return exeDir() + L"\\" + name; }

std::wstring envOf(const wchar_t* name) {
  wchar_t value[4096];
  const DWORD n = GetEnvironmentVariableW(name, value, 4096);
  return n > 0 && n < 4096 ? std::wstring(value, n) : std::wstring();
}

TEST(Win32Env, DropFoldersAndTheStartupFolder) {
  Win32Env env;
  EXPECT_EQ(env.variable("APPDATA"), utf8(envOf(L"APPDATA")));
  EXPECT_EQ(env.variable("localappdata"), utf8(envOf(L"LOCALAPPDATA")));
  EXPECT_EQ(env.variable("KESTRIVE_NEVER_SET"), "");
  SetEnvironmentVariableW(L"KESTRIVE_WIDE", L"C:\\\u0447\u0435\u0440\u0432\u044c");
  EXPECT_EQ(env.variable("KESTRIVE_WIDE"), "C:\\\xD1\x87\xD0\xB5\xD1\x80\xD0\xB2\xD1\x8C");
  SetEnvironmentVariableW(L"KESTRIVE_WIDE", nullptr);

  const std::string startup = env.startupFolder();
  ASSERT_FALSE(startup.empty());
  EXPECT_NE(startup.back(), '\\');
  EXPECT_TRUE(equalsNoCase(FileNameOf(startup), "Startup")) << startup;  // Wine spells it StartUp
  EXPECT_TRUE(equalsNoCase(startup.substr(0, env.variable("APPDATA").size()), env.variable("APPDATA"))) << startup;
  EXPECT_EQ(env.twoRegistryViews(), sizeof(void*) == 8);
}

// A value in each view of the machine's Run key, taken away again.
class MachineRunViews : public ::testing::Test {
 protected:
  const std::wstring run = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::wstring name32 = L"Kestrive test 32-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring name64 = L"Kestrive test 64-" + std::to_wstring(GetCurrentProcessId());
  void set(REGSAM view, const std::wstring& name) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, run.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    const std::wstring data = L"C:\\x.exe";
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  void TearDown() override {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
      HKEY key = nullptr;
      if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, run.c_str(), 0, KEY_SET_VALUE | view, &key) != ERROR_SUCCESS) continue;
      RegDeleteValueW(key, name32.c_str());
      RegDeleteValueW(key, name64.c_str());
      RegCloseKey(key);
    }
  }
  std::vector<std::string> names(uint32_t view) {
    Win32Registry reg;
    HKey key = 0;
    std::vector<std::string> out;
    if (reg.openKeyEx(HKLM, utf8(run), kKeyRead | view, &key) != kErrorSuccess) return out;
    for (uint32_t i = 0;; ++i) {
      RegValue v = reg.enumValue(key, i);
      if (v.status != kErrorSuccess) break;
      if (v.name == utf8(name32) || v.name == utf8(name64)) out.push_back(v.name);
    }
    reg.closeKey(key);
    return out;
  }
};

TEST_F(MachineRunViews, EachViewReadAndRemovedOnItsOwn) {
  set(KEY_WOW64_32KEY, name32);
  set(KEY_WOW64_64KEY, name64);
  EXPECT_EQ(names(regview::Native), std::vector<std::string>{utf8(name64)});
  EXPECT_EQ(names(regview::Wow64_32), std::vector<std::string>{utf8(name32)});

  fake::FakePlatform f;
  Win32Registry reg;
  Win32Env env;
  Platform p{f.fs, reg, f.proc, f.ui, f.clock, env, f.host};
  std::vector<RunPlace> places = RunPlaces(p);
  ASSERT_EQ(places.size(), 9u);
  Finding finding;
  finding.place = places[6];  // the machine's Run key, 32-bit view
  ASSERT_EQ(finding.place.label, "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run (32-bit)");
  finding.valueName = utf8(name32);
  EXPECT_TRUE(StartupEntryPresent(p, finding));
  RemoveStartupEntry(p, finding);
  EXPECT_FALSE(StartupEntryPresent(p, finding));
  EXPECT_TRUE(names(regview::Wow64_32).empty());
  EXPECT_EQ(names(regview::Native), std::vector<std::string>{utf8(name64)});
}

TEST(Win32Env, TheRealStartupFolderIsScanned) {
  Win32Env env;
  Win32Fs fs;
  Win32Registry reg;
  fake::FakePlatform f;
  Platform p{fs, reg, f.proc, f.ui, f.clock, env, f.host};
  const std::wstring startup = win32::widen(env.startupFolder()), appdata = win32::widen(env.variable("APPDATA"));
  ASSERT_FALSE(startup.empty());
  CreateDirectoryW(startup.c_str(), nullptr);
  const std::wstring tag = std::to_wstring(GetCurrentProcessId());
  const std::wstring script = startup + L"\\kestrive-test-" + tag + L".vbs";
  const std::wstring target = appdata + L"\\kestrive-test-" + tag + L".exe";
  const std::wstring link = startup + L"\\kestrive-test-" + tag + L".lnk";
  const std::wstring note = startup + L"\\kestrive-test-" + tag + L".txt";
  ASSERT_TRUE(writeFileAtOnce(script, "' worm"));
  ASSERT_TRUE(writeFileAtOnce(target, "program"));
  ASSERT_TRUE(writeFileAtOnce(note, "a note"));
  const std::vector<uint8_t> bytes = test::LinkBytes({.localPath = utf8(target), .arguments = "-x"});
  ASSERT_TRUE(writeFileAtOnce(link, std::string(bytes.begin(), bytes.end())));

  std::vector<std::string> ours;
  for (const Finding& finding : FindWorms(p, GetDropFolders(p)))
    if (finding.line.find("kestrive-test-" + utf8(tag)) != std::string::npos) ours.push_back(finding.line);
  for (const std::wstring& path : {script, target, link, note}) DeleteFileW(path.c_str());
  std::sort(ours.begin(), ours.end());
  const std::string name = "kestrive-test-" + utf8(tag);
  EXPECT_EQ(ours, (std::vector<std::string>{
                      name + ".exe | " + name + ".lnk | " + utf8(target) + " -x | Startup folder",
                      name + ".vbs | " + name + ".vbs | " + utf8(script) + " | Startup folder",
                  }));
}

TEST(Win32Processes, CommandLineFromTheProcessParameters) {
  Win32Processes proc;
  EXPECT_EQ(proc.commandLineOf(GetCurrentProcessId()), utf8(GetCommandLineW()));

  TempFolder tmp;
  const std::wstring script = tmp / L"\u0447\u0435\u0440\u0432\u044c & co.vbs";
  const std::wstring line = quote(tool(L"scripthost.exe")) + L" //B //NoLogo " + quote(script) + L" \U0001F600";
  Child host(line);
  ASSERT_TRUE(host.started());
  EXPECT_TRUE(eventually([&] { return proc.commandLineOf(host.pid()) == utf8(line); }))
      << proc.commandLineOf(host.pid());
  TerminateProcess(host.handle(), 1);
  ASSERT_TRUE(host.waitExit(10000));
  EXPECT_EQ(proc.commandLineOf(host.pid()), "");
  EXPECT_EQ(proc.commandLineOf(0xFFFFFFF0u), "");
}

// The stand-in host as the system's wscript.exe, loaded instead of Wine's
// own (which ends at once) for the processes started meanwhile: the override
// wscript.exe=n, given in the registry, as a process reads it there when it
// starts. The original file and override come back after.
class InstalledHost {
 public:
  InstalledHost() {
    wchar_t system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    path_ = std::wstring(system, n) + L"\\wscript.exe";
    saved_ = path_ + L".kestrive-saved";
    if (GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES) MoveFileExW(path_.c_str(), saved_.c_str(), 0);
    installed_ = CopyFileW(tool(L"scripthost.exe").c_str(), path_.c_str(), FALSE) != 0;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &overrides_, nullptr) != ERROR_SUCCESS) {
      installed_ = false;
      return;
    }
    wchar_t before[64];
    DWORD size = sizeof before;
    hadOverride_ = RegQueryValueExW(overrides_, L"wscript.exe", nullptr, nullptr, reinterpret_cast<BYTE*>(before),
                                    &size) == ERROR_SUCCESS;
    if (hadOverride_) before_.assign(before, size / sizeof(wchar_t));
    const wchar_t native[] = L"native";
    installed_ = installed_ && RegSetValueExW(overrides_, L"wscript.exe", 0, REG_SZ,
                                              reinterpret_cast<const BYTE*>(native), sizeof native) == ERROR_SUCCESS;
  }
  ~InstalledHost() {
    if (overrides_) {
      if (hadOverride_)
        RegSetValueExW(overrides_, L"wscript.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(before_.data()),
                       static_cast<DWORD>(before_.size() * sizeof(wchar_t)));
      else
        RegDeleteValueW(overrides_, L"wscript.exe");
      RegCloseKey(overrides_);
    }
    DeleteFileW(path_.c_str());
    if (GetFileAttributesW(saved_.c_str()) != INVALID_FILE_ATTRIBUTES) MoveFileExW(saved_.c_str(), path_.c_str(), 0);
  }
  InstalledHost(const InstalledHost&) = delete;
  InstalledHost& operator=(const InstalledHost&) = delete;
  bool installed() const { return installed_; }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_, saved_, before_;
  HKEY overrides_ = nullptr;
  bool hadOverride_ = false;
  bool installed_ = false;
};

TEST(ScriptWorm, OnlyTheHostRunningTheWormsScriptIsEnded) {
  InstalledHost host;
  ASSERT_TRUE(host.installed());
  TempFolder drop, elsewhere;
  const std::wstring script = drop / L"nfuzbk.vbs";
  makeFile(script);
  makeFile(elsewhere / L"nfuzbk.vbs");
  makeFile(elsewhere / L"logon.vbs");
  Child worm(L"wscript.exe //B " + quote(script));
  Child sameName(L"wscript.exe //B " + quote(elsewhere / L"nfuzbk.vbs"));
  Child logon(L"wscript.exe //B //NoLogo " + quote(elsewhere / L"logon.vbs"));
  ASSERT_TRUE(worm.started() && sameName.started() && logon.started());

  Win32Processes proc;
  // It is our stand-in that runs, under the system's name, and it keeps running.
  ASSERT_TRUE(eventually([&] {
    for (const ProcessInfo& p : proc.snapshot())
      if (p.pid == worm.pid()) return SameFilePath(p.image, utf8(host.path()));
    return false;
  }));
  EXPECT_FALSE(worm.waitExit(500));

  InFolder in(exeDir());  // where the tool is looked for
  fake::FakePlatform f;
  Win32Fs fs;
  Win32Registry reg;
  Win32Env env;
  Platform p{fs, reg, proc, f.ui, f.clock, env, f.host};
  EXPECT_EQ(EndProcessesRunning(p, {utf8(script)}), 1);
  EXPECT_TRUE(worm.waitExit(10000));
  EXPECT_FALSE(sameName.waitExit(500));
  EXPECT_FALSE(logon.waitExit(0));

  // With its host gone the script goes at the first try.
  EXPECT_TRUE(DeleteWormFile(p, utf8(script)));
  EXPECT_FALSE(present(script));
  EXPECT_TRUE(present(elsewhere / L"nfuzbk.vbs"));
}

TEST(ScriptWorm, CopiesAreToldByTheirBytes) {
  TempFolder a, b, c;
  ASSERT_TRUE(writeFileAtOnce(a / L"w.vbs", "worm"));
  ASSERT_TRUE(writeFileAtOnce(b / L"w.vbs", "worm"));
  ASSERT_TRUE(writeFileAtOnce(c / L"w.vbs", "user"));
  fake::FakePlatform f;
  Win32Fs fs;
  Platform p{fs, f.reg, f.proc, f.ui, f.clock, f.env, f.host};
  DropFolders drops;
  drops.folders = {utf8(a.wpath()), utf8(b.wpath()), utf8(c.wpath())};
  EXPECT_EQ(CopiesOf(p, drops, utf8(a / L"w.vbs")), std::vector<std::string>{utf8(b / L"w.vbs")});
}

}  // namespace
