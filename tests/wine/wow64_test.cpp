// What a 32-bit build must see on 64-bit Windows as the 64-bit build does:
// the registry in the system's own view, not the WOW6432Node copies kept
// for 32-bit programs, and the real system folder, not SysWOW64 under its
// name. Every test holds for both builds; in the 32-bit one it fails
// without the view flag and the Sysnative folder.
//
// win32_tests.exe also serves tests/wine/registry-views.sh:
//   --settings-places <file>  writes the places the settings writes reach,
//       one "ROOT\key<TAB>name" a line, and writes nothing to the registry;
//   --settings-writes <file>  the same list, after making those writes
//       through the binding: the catalogue's checked values, then
//       EnableCommandPrompt, then RestoreDefaultSettings;
//   --setting-read <ROOT> <key> <name> <file>  writes what GetRegValue reads.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/fake/fake_platform.h"
#include "platform/text.h"
#include "platform/win32/os.h"
#include "policy/function.h"
#include "tests/wine/wine_support.h"

using namespace kestrive;
using namespace kestrive::wine_test;
using kestrive::win32::Win32Registry;

namespace {

bool runsUnderWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// Only 64-bit Windows has two views and two system folders.
bool systemIs64Bit() { return sizeof(void*) == 8 || runsUnderWow64(); }

// ---------------------------------------------------------------- registry

const wchar_t* const kTestsKey = L"Software\\Kestrive Tests";

// A text value written straight into one view, bypassing the binding.
void setInView(REGSAM view, const std::wstring& path, const std::wstring& name, const std::wstring& text) {
  HKEY k = nullptr;
  ASSERT_EQ(
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &k, nullptr),
      ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  RegCloseKey(k);
}

// The value as one view holds it: its text, its number, or "-" when absent.
std::string inView(REGSAM view, const std::wstring& path, const std::wstring& name) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | view, &k) != ERROR_SUCCESS) return "-";
  BYTE data[512] = {};
  DWORD size = sizeof data - sizeof(wchar_t), type = 0;
  LSTATUS s = RegQueryValueExW(k, name.c_str(), nullptr, &type, data, &size);
  RegCloseKey(k);
  if (s != ERROR_SUCCESS) return "-";
  if (type == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(data));
  return utf8(reinterpret_cast<const wchar_t*>(data));
}

void deleteInView(REGSAM view, const std::wstring& path) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS | view, &k) == ERROR_SUCCESS) {
    RegDeleteTreeW(k, nullptr);
    RegCloseKey(k);
  }
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), view, 0);
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kTestsKey, view, 0);  // once the last test's key is gone
}

std::string text(const RegValue& v) {
  std::string s(v.data.begin(), v.data.end());
  return s.substr(0, s.find('\0'));
}

// HKLM\Software is redirected for 32-bit programs: a test key there exists
// once in each view.
class RegistryViews : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!systemIs64Bit()) GTEST_SKIP() << "32-bit Windows has one view only";
    wpath = std::wstring(kTestsKey) + L"\\views-" + std::to_wstring(GetCurrentProcessId());
    path = utf8(wpath);
    TearDown();
    setInView(KEY_WOW64_64KEY, wpath, L"where", L"64-bit view");
    setInView(KEY_WOW64_32KEY, wpath, L"where", L"32-bit view");
    // The two are different keys: the test can tell which one is reached.
    ASSERT_EQ(inView(KEY_WOW64_64KEY, wpath, L"where"), "64-bit view");
    ASSERT_EQ(inView(KEY_WOW64_32KEY, wpath, L"where"), "32-bit view");
  }
  void TearDown() override {
    if (wpath.empty()) return;
    deleteInView(KEY_WOW64_64KEY, wpath);
    deleteInView(KEY_WOW64_32KEY, wpath);
  }

  std::wstring wpath;
  std::string path;
  Win32Registry reg;
};

TEST_F(RegistryViews, ReadsComeFromTheSystemsOwnView) {
  // As the Run-entry scan reads: opened with access 63, values enumerated.
  HKey k = 0;
  ASSERT_EQ(reg.openKeyEx(HKLM, path, 0x3F, &k), kErrorSuccess);
  RegValue first = reg.enumValue(k, 0);
  EXPECT_EQ(first.status, kErrorSuccess);
  EXPECT_EQ(first.name, "where");
  EXPECT_EQ(text(first), "64-bit view");
  EXPECT_EQ(reg.enumValue(k, 1).status, kErrorNoMoreItems);
  reg.closeKey(k);

  // As GetRegValue and the start-up entry removal read: opened, then queried.
  ASSERT_EQ(reg.openKey(HKLM, path, &k), kErrorSuccess);
  EXPECT_EQ(text(reg.queryValue(k, "where")), "64-bit view");
  reg.closeKey(k);
}

TEST_F(RegistryViews, WritesAndDeletionsReachTheSystemsOwnView) {
  // As SetDwordValue writes, with the trailing "\" of the key texts.
  HKey k = 0;
  ASSERT_EQ(reg.createKey(HKLM, path + "\\Policies\\System\\", &k), kErrorSuccess);
  EXPECT_EQ(reg.setDword(k, "DisableTaskMgr", 7), kErrorSuccess);
  reg.closeKey(k);
  EXPECT_EQ(inView(KEY_WOW64_64KEY, wpath + L"\\Policies\\System", L"DisableTaskMgr"), "7");
  EXPECT_EQ(inView(KEY_WOW64_32KEY, wpath + L"\\Policies\\System", L"DisableTaskMgr"), "-");

  // As the start-up entry removal deletes.
  ASSERT_EQ(reg.openKey(HKLM, path, &k), kErrorSuccess);
  EXPECT_EQ(reg.deleteValue(k, "where"), kErrorSuccess);
  reg.closeKey(k);
  EXPECT_EQ(inView(KEY_WOW64_64KEY, wpath, L"where"), "-");
  EXPECT_EQ(inView(KEY_WOW64_32KEY, wpath, L"where"), "32-bit view");
}

TEST_F(RegistryViews, TheProceduresReachTheSystemsOwnView) {
  fake::FakePlatform fp;
  Platform p{fp.fs, reg, fp.proc, fp.ui, fp.clock, fp.env, fp.host};
  EXPECT_EQ(SetDwordValue(p, HKLM, path + "\\Folder\\", "HideFileExt", 1), kErrorSuccess);
  EXPECT_EQ(inView(KEY_WOW64_64KEY, wpath + L"\\Folder", L"HideFileExt"), "1");
  EXPECT_EQ(inView(KEY_WOW64_32KEY, wpath + L"\\Folder", L"HideFileExt"), "-");
  EXPECT_EQ(GetRegValue(p, HKLM, path, "where"), RegRead::of(std::string("64-bit view")));
}

// ---------------------------------------------------------------- system folder

// The machine a program file is built for, from its PE header; 0 when unreadable.
WORD machineOf(const std::wstring& exe) {
  HANDLE h = CreateFileW(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  IMAGE_DOS_HEADER dos{};
  DWORD n = 0;
  WORD machine = 0;
  if (ReadFile(h, &dos, sizeof dos, &n, nullptr) && n == sizeof dos && dos.e_magic == IMAGE_DOS_SIGNATURE &&
      SetFilePointer(h, dos.e_lfanew, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER) {
    struct {
      DWORD signature;
      IMAGE_FILE_HEADER file;
    } pe{};
    if (ReadFile(h, &pe, sizeof pe, &n, nullptr) && n == sizeof pe && pe.signature == IMAGE_NT_SIGNATURE)
      machine = pe.file.Machine;
  }
  CloseHandle(h);
  return machine;
}

TEST(SystemFolder, HoldsTheSystemsOwnCommandInterpreter) {
  std::wstring folder = win32::systemFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), L'\\');
  std::wstring cmd = folder + L"\\cmd.exe";
  ASSERT_NE(GetFileAttributesW(cmd.c_str()), INVALID_FILE_ATTRIBUTES) << utf8(cmd);

  wchar_t system[MAX_PATH + 1];
  UINT n = GetSystemDirectoryW(system, MAX_PATH + 1);
  ASSERT_GT(n, 0u);
  std::wstring redirected = std::wstring(system, n) + L"\\cmd.exe";
  if (runsUnderWow64()) {
    // What this process finds under the System32 name is the 32-bit copy;
    // the folder given holds the 64-bit one.
    EXPECT_EQ(machineOf(redirected), IMAGE_FILE_MACHINE_I386);
    EXPECT_NE(machineOf(cmd), IMAGE_FILE_MACHINE_I386);
    EXPECT_NE(machineOf(cmd), 0);
  } else {
    EXPECT_TRUE(equalsNoCase(utf8(folder), utf8(std::wstring(system, n))));
    EXPECT_EQ(machineOf(cmd), sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
  }

  // It starts, runs and reports back from there.
  Child child(quote(cmd) + L" /c exit 7");
  EXPECT_EQ(child.waitExit(20000), 7u);
}

// ---------------------------------------------------------------- helper modes

const char* rootName(uint32_t root) { return root == HKLM ? "HKLM" : "HKCU"; }

// Every place the settings writes reach, in a fixed order, without the
// trailing "\" of the key texts.
std::string settingsPlaces() {
  std::set<std::string> places;
  auto add = [&](const RegPlace& at) {
    std::string key = at.key;
    while (!key.empty() && key.back() == '\\') key.pop_back();
    places.insert(std::string(rootName(at.root)) + "\\" + key + "\t" + at.name);
  };
  for (const Setting& s : kSettings)
    for (const SettingWrite& w : s.writes) add(w.at);
  add(place::DisableCMD_CU);
  add(place::DisableCMD_LM);
  for (const DefaultWrite& d : kDefaultSettings) add(d.at);
  std::string out;
  for (const std::string& line : places) out += line + "\n";
  return out;
}

int helperMode(int argc, wchar_t** argv) {
  std::wstring mode = argv[1];
  if (mode == L"--settings-places" && argc == 3) return writeFileAtOnce(argv[2], settingsPlaces()) ? 0 : 1;
  if (mode != L"--settings-writes" && mode != L"--setting-read") return -1;
  Win32Registry reg;
  fake::FakePlatform fp;
  Platform p{fp.fs, reg, fp.proc, fp.ui, fp.clock, fp.env, fp.host};
  if (mode == L"--settings-writes" && argc == 3) {
    // The writes the Registry Manager's Ok makes with every box checked,
    // then the cleaner's, which put the defaults back.
    for (const Setting& s : kSettings)
      for (const SettingWrite& w : s.writes) SetDwordValue(p, w.at, w.checked);
    EnableCommandPrompt(p);
    RestoreDefaultSettings(p);
    return writeFileAtOnce(argv[2], settingsPlaces()) ? 0 : 1;
  }
  if (mode == L"--setting-read" && argc == 6) {
    uint32_t root = std::wstring(argv[2]) == L"HKLM" ? HKLM : HKCU;
    RegRead r = GetRegValue(p, root, utf8(argv[3]), utf8(argv[4]));
    std::string out = r.kind == RegRead::Kind::Number ? "number " + std::to_string(r.number)
                      : r.kind == RegRead::Kind::Text ? "text " + r.text
                                                      : "empty";
    return writeFileAtOnce(argv[5], out) ? 0 : 1;
  }
  return -1;
}

const bool helperModeRan = [] {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2) return false;
  int code = helperMode(argc, argv);
  if (code < 0) return false;
  ExitProcess(static_cast<UINT>(code));
}();

}  // namespace
