// Real shortcuts written by the shell, hand-made byte links, and the file
// operations the pen-drive cleaner's payloads and restore need, on a real
// file system.
#include <gtest/gtest.h>

#include <map>

#include "platform/launch.h"
#include "platform/shell_link.h"
#include "platform/text.h"
#include "platform/win32/os.h"
#include "tests/support/link_bytes.h"
#include "tests/support/shell_link_writer.h"
#include "tests/wine/wine_support.h"

using namespace kestrive;
using namespace kestrive::wine_test;
using kestrive::win32::Win32Fs;

namespace {

std::wstring systemFolder() {
  wchar_t buf[MAX_PATH];
  const UINT n = GetSystemDirectoryW(buf, MAX_PATH);
  return std::wstring(buf, n);
}

}  // namespace

TEST(ShellLinkFiles, LinksWrittenByTheShellReadBack) {
  TempFolder tmp;
  makeFile(tmp / L"\u5de5\u5177.exe");
  struct Case {
    std::wstring target, arguments, workingDir;
    std::vector<std::string> handed;
  };
  const std::wstring cmd = systemFolder() + L"\\cmd.exe";
  const std::vector<Case> cases = {
      {cmd, L"/c start iTunesHelper.vbe&start Music&exit", L"", {"iTunesHelper.vbe", "Music"}},
      {cmd,
       L"/c \"start %cd%RECYCLER\\S-1-5-21-1\\0xd80a89c7.exe &&%windir%\\explorer.exe %cd%Docs\"",
       L"",
       {"%cd%RECYCLER\\S-1-5-21-1\\0xd80a89c7.exe", "%windir%\\explorer.exe"}},
      {systemFolder() + L"\\wscript.exe",
       L"//B \"\u0424\u043e\u0442\u043e\\\u3164.vbs\"",
       tmp.wpath(),
       {"\u0424\u043e\u0442\u043e\\\u3164.vbs"}},
      {tmp / L"\u5de5\u5177.exe", L"-x", L"", {}},
  };
  Win32Fs fs;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(utf8(c.target + L" " + c.arguments));
    const std::wstring link = tmp / (L"l" + std::to_wstring(++n) + L".lnk");
    ASSERT_EQ(test_support::WriteShellLink(link, c.target, c.arguments, c.workingDir), S_OK);
    std::optional<std::vector<uint8_t>> bytes = fs.readFile(utf8(link), 65536);
    ASSERT_TRUE(bytes);
    std::optional<kestrive::ShellLink> parsed = ParseShellLink(*bytes);
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(equalsNoCase(parsed->target, utf8(c.target))) << parsed->target;
    EXPECT_EQ(parsed->arguments, utf8(c.arguments));
    EXPECT_EQ(parsed->workingDir, utf8(c.workingDir));
    EXPECT_EQ(LaunchOf(parsed->target, parsed->arguments).handed, c.handed);
  }
}

TEST(ShellLinkFiles, EnvironmentBlockOnlyLinkReadBack) {
  TempFolder tmp;
  test::LinkSpec spec;
  spec.envTarget = "%hoMEdrive%\\WINDOWS\\System32\\rundll32.exe";
  spec.arguments = "~$WQHGV.FAT32,_ldr@16 desktop.ini RET TLB";
  const std::vector<uint8_t> made = test::LinkBytes(spec);
  ASSERT_TRUE(writeFileAtOnce(tmp / L"USB DISK.lnk", std::string(made.begin(), made.end())));
  Win32Fs fs;
  std::optional<std::vector<uint8_t>> bytes = fs.readFile(utf8(tmp / L"USB DISK.lnk"), 65536);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, made);
  std::optional<kestrive::ShellLink> link = ParseShellLink(*bytes);
  ASSERT_TRUE(link);
  EXPECT_EQ(link->target, "");
  EXPECT_EQ(link->envTarget, spec.envTarget);
  EXPECT_EQ(LaunchOf(link->envTarget, link->arguments).handed, std::vector<std::string>{"~$WQHGV.FAT32"});
}

TEST(ShellLinkFiles, ReadFileReadsOnlyRegularFilesWithinTheLimit) {
  TempFolder tmp;
  ASSERT_TRUE(writeFileAtOnce(tmp / L"ten.lnk", "0123456789"));
  makeDir(tmp / L"folder.lnk");
  Win32Fs fs;
  EXPECT_EQ(fs.readFile(utf8(tmp / L"ten.lnk"), 10),
            (std::vector<uint8_t>{'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'}));
  EXPECT_FALSE(fs.readFile(utf8(tmp / L"ten.lnk"), 9));
  EXPECT_FALSE(fs.readFile(utf8(tmp / L"folder.lnk"), 100));
  EXPECT_FALSE(fs.readFile(utf8(tmp / L"missing.lnk"), 100));
  EXPECT_FALSE(fs.readFile("\\\\.\\NUL", 100));
  EXPECT_FALSE(fs.readFile(utf8(tmp / L"CON"), 100));
  // Open in another program that lets others read and delete.
  HANDLE h = CreateFileW(longForm(tmp / L"ten.lnk").c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(fs.readFile(utf8(tmp / L"ten.lnk"), 10));
  CloseHandle(h);
}

TEST(ShellLinkFiles, MoveNeverReplacesAndRemoveTakesOnlyEmptyFolders) {
  TempFolder tmp;
  const std::wstring blank = tmp / L"\u00a0";
  makeDir(blank, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  ASSERT_TRUE(writeFileAtOnce(blank + L"\\thesis.docx", "the user's thesis"));
  ASSERT_TRUE(writeFileAtOnce(blank + L"\\taken.txt", "inside"));
  makeDir(blank + L"\\\u0424\u043e\u0442\u043e");
  ASSERT_TRUE(writeFileAtOnce(blank + L"\\\u0424\u043e\u0442\u043e\\cat.jpg", "cat"));
  ASSERT_TRUE(writeFileAtOnce(tmp / L"taken.txt", "outside"));
  Win32Fs fs;
  EXPECT_FALSE(fs.moveNoReplace(utf8(blank + L"\\taken.txt"), utf8(tmp / L"taken.txt")));
  EXPECT_EQ(readFile(blank + L"\\taken.txt"), "inside");
  EXPECT_EQ(readFile(tmp / L"taken.txt"), "outside");
  EXPECT_FALSE(fs.removeEmptyFolder(utf8(blank)));
  EXPECT_TRUE(fs.moveNoReplace(utf8(blank + L"\\thesis.docx"), utf8(tmp / L"thesis.docx")));
  EXPECT_EQ(readFile(tmp / L"thesis.docx"), "the user's thesis");
  EXPECT_TRUE(fs.moveNoReplace(utf8(blank + L"\\\u0424\u043e\u0442\u043e"), utf8(tmp / L"\u0424\u043e\u0442\u043e")));
  EXPECT_EQ(readFile(tmp / L"\u0424\u043e\u0442\u043e\\cat.jpg"), "cat");
  EXPECT_FALSE(fs.moveNoReplace(utf8(blank + L"\\gone.txt"), utf8(tmp / L"gone.txt")));
  ASSERT_TRUE(DeleteFileW(longForm(blank + L"\\taken.txt").c_str()));
  EXPECT_TRUE(fs.removeEmptyFolder(utf8(blank)));
  EXPECT_FALSE(present(blank));
}

TEST(ShellLinkFiles, ReadAndSetAttributesInOneOpenAndListedAttributes) {
  TempFolder tmp;
  constexpr DWORD HSR = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
  ASSERT_TRUE(writeFileAtOnce(tmp / L"\u0444\u043e\u0442\u043e.lnk", "link"));
  ASSERT_TRUE(SetFileAttributesW(longForm(tmp / L"\u0444\u043e\u0442\u043e.lnk").c_str(), HSR));
  makeDir(tmp / L"folder.lnk", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  Win32Fs fs;
  // The listing gives each name's attributes as they were before anything changed.
  std::map<std::string, uint32_t> listed;
  auto listing = fs.list(utf8(tmp.wpath() + L"\\*"), attr::AllEntries);
  while (auto name = listing->next()) listed[*name] = listing->attributes().value_or(0);
  EXPECT_EQ(listed["\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE.lnk"] & HSR, HSR);
  EXPECT_EQ(listed["folder.lnk"] & (HSR | FILE_ATTRIBUTE_DIRECTORY),
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(fs.readAndSetAttributes(utf8(tmp / L"\u0444\u043e\u0442\u043e.lnk"), 100, attr::Normal),
            (std::vector<uint8_t>{'l', 'i', 'n', 'k'}));
  EXPECT_EQ(rawAttributes(tmp / L"\u0444\u043e\u0442\u043e.lnk") & HSR, 0u);
  // A folder is not read, and still unhidden.
  EXPECT_FALSE(fs.readAndSetAttributes(utf8(tmp / L"folder.lnk"), 100, attr::Normal));
  EXPECT_EQ(rawAttributes(tmp / L"folder.lnk") & HSR, 0u);
  // Too large: not read, attributes set all the same.
  ASSERT_TRUE(SetFileAttributesW(longForm(tmp / L"\u0444\u043e\u0442\u043e.lnk").c_str(), HSR));
  EXPECT_FALSE(fs.readAndSetAttributes(utf8(tmp / L"\u0444\u043e\u0442\u043e.lnk"), 3, attr::Normal));
  EXPECT_EQ(rawAttributes(tmp / L"\u0444\u043e\u0442\u043e.lnk") & HSR, 0u);
}
