// Shortcut bytes to fields, and command lines to what they hand their hosts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "platform/launch.h"
#include "platform/shell_link.h"
#include "tests/support/link_bytes.h"

using namespace kestrive;
using test::LinkBytes;
using test::LinkSpec;

TEST(ShellLink, FieldsOfEachForm) {
  struct Case {
    const char* what;
    LinkSpec spec;
    std::string target, envTarget, arguments, workingDir;
  };
  const std::string tilde = "~$WQHGV.FAT32,_ldr@16 desktop.ini RET TLB";
  const std::vector<Case> cases = {
      {"link info in the code page",
       {.localPath = "C:\\Windows\\system32\\cmd.exe", .arguments = "/c start iTunesHelper.vbe&start Music&exit"},
       "C:\\Windows\\system32\\cmd.exe",
       "",
       "/c start iTunesHelper.vbe&start Music&exit",
       ""},
      {"link info in Unicode",
       {.localPath = "C:\\Программы\\工具.exe",
        .infoUnicode = true,
        .idListPath = "C:\\x.exe",
        .workingDir = "E:\\",
        .arguments = "-x"},
       "C:\\Программы\\工具.exe",
       "",
       "-x",
       "E:\\"},
      {"id list only", {.idListPath = "C:\\Windows\\system32\\cmd.exe"}, "C:\\Windows\\system32\\cmd.exe", "", "", ""},
      {"id list before link info in the code page",
       {.localPath = "C:\\a\\b.exe", .idListPath = "C:\\other\\c.exe"},
       "C:\\other\\c.exe",
       "",
       "",
       ""},
      {"relative path only", {.relativePath = ".\\RECYCLER\\x.exe"}, ".\\RECYCLER\\x.exe", "", "", ""},
      {"environment block only, odd case",
       {.arguments = tilde, .envTarget = "%hoMEdrive%\\WINDOWS\\System32\\rundll32.exe"},
       "",
       "%hoMEdrive%\\WINDOWS\\System32\\rundll32.exe",
       tilde,
       ""},
      {"code-page strings",
       {.workingDir = "E:\\Café", .arguments = "/c start résumé.vbs", .unicode = false},
       "",
       "",
       "/c start résumé.vbs",
       "E:\\Café"},
      {"Unicode strings beyond the code page",
       {.workingDir = "E:\\\u3164", .arguments = "/c start \u0645\u0644\u0641.vbs \U0001F600"},
       "",
       "",
       "/c start \u0645\u0644\u0641.vbs \U0001F600",
       "E:\\\u3164"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::optional<ShellLink> link = ParseShellLink(LinkBytes(c.spec));
    ASSERT_TRUE(link);
    EXPECT_EQ(link->target, c.target);
    EXPECT_EQ(link->envTarget, c.envTarget);
    EXPECT_EQ(link->arguments, c.arguments);
    EXPECT_EQ(link->workingDir, c.workingDir);
  }
}

TEST(ShellLink, CodePageBytesOfTheUpperHalf) {
  LinkSpec spec;
  spec.unicode = false;
  spec.arguments = "x";
  std::vector<uint8_t> bytes = LinkBytes(spec);
  // The one argument character: 0x80 is the euro sign in Windows-1252.
  const size_t at = 0x4C + 2;
  ASSERT_EQ(bytes[at], 'x');
  bytes[at] = 0x80;
  ASSERT_TRUE(ParseShellLink(bytes));
  EXPECT_EQ(ParseShellLink(bytes)->arguments, "\u20AC");
}

// Every cut of a link is refused or read within its bytes; none crashes
// (the sanitisers watch the reads).
TEST(ShellLink, TruncatedAndMalformedLinksAreRefused) {
  LinkSpec spec{.localPath = "C:\\Windows\\system32\\cmd.exe",
                .infoUnicode = true,
                .idListPath = "C:\\Windows\\system32\\cmd.exe",
                .relativePath = "..\\x",
                .workingDir = "E:\\",
                .arguments = "/c start x.vbs",
                .envTarget = "%windir%\\system32\\cmd.exe"};
  const std::vector<uint8_t> whole = LinkBytes(spec);
  ASSERT_TRUE(ParseShellLink(whole));
  for (size_t n = 0; n + 4 < whole.size(); ++n) {
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + n);
    std::optional<ShellLink> link = ParseShellLink(cut);
    // Cut inside the strings or the id list: refused. Only a cut that drops
    // part of the extra data after the strings may still read.
    if (link) {
      EXPECT_EQ(link->arguments, "/c start x.vbs") << n;
    }
  }
  struct Bad {
    const char* what;
    size_t at;
    std::vector<uint8_t> bytes;
  };
  const std::vector<Bad> bad = {
      {"header size", 0, {0x4D}},
      {"class id", 4, {0x02}},
      {"id list longer than the file", 0x4C, {0xFF, 0xFF}},
      {"link info longer than the file",
       static_cast<size_t>(0x4C + 2 + whole[0x4C] + (whole[0x4D] << 8)),
       {0xFF, 0xFF, 0xFF, 0x7F}},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.what);
    std::vector<uint8_t> bytes = whole;
    for (size_t i = 0; i < b.bytes.size(); ++i) bytes[b.at + i] = b.bytes[i];
    EXPECT_FALSE(ParseShellLink(bytes));
  }
  EXPECT_FALSE(ParseShellLink({}));
  // A string count far past the end is refused, not read.
  LinkSpec args;
  args.arguments = "ab";
  std::vector<uint8_t> bytes = LinkBytes(args);
  bytes[0x4C] = 0xFF;
  bytes[0x4D] = 0xFF;
  EXPECT_FALSE(ParseShellLink(bytes));
}

TEST(ShellLink, StringsWithoutTerminatorInLinkInfoAreRefusedNotOverread) {
  LinkSpec spec{.localPath = "C:\\a.exe"};
  std::vector<uint8_t> bytes = LinkBytes(spec);
  // The link info's last byte is the suffix's NUL; make every byte of it non-NUL.
  const size_t infoAt = 0x4C;
  const size_t infoSize = bytes[infoAt] | (bytes[infoAt + 1] << 8);
  for (size_t i = infoAt + 0x1C; i < infoAt + infoSize; ++i) bytes[i] = 'A';
  std::optional<ShellLink> link = ParseShellLink(bytes);
  if (link) {
    EXPECT_EQ(link->target, "");
  }
}

TEST(Launch, WhatEachHostIsHanded) {
  struct Case {
    std::string program, arguments;
    std::string host;
    std::vector<std::string> handed;
  };
  const std::vector<Case> cases = {
      // The three families.
      {"%windir%\\system32\\cmd.exe",
       "/c start iTunesHelper.vbe&start Music&exit",
       "cmd",
       {"iTunesHelper.vbe", "Music"}},
      {"C:\\Windows\\system32\\cmd.exe",
       "/c \"start %cd%RECYCLER\\S-1-5-21-1\\0xd80a89c7.exe &&%windir%\\explorer.exe %cd%Docs\"",
       "cmd",
       {"%cd%RECYCLER\\S-1-5-21-1\\0xd80a89c7.exe", "%windir%\\explorer.exe"}},
      {"%hoMEdrive%\\WINDOWS\\System32\\rundll32.exe",
       "~$WQHGV.FAT32,_ldr@16 desktop.ini RET TLB",
       "rundll32",
       {"~$WQHGV.FAT32"}},
      // cmd: start's title and switches, chains, builtins, switches before /c, nested hosts.
      {"cmd", "/c start \"\" /min /d E:\\ \"my x.vbs\" arg", "cmd", {"my x.vbs"}},
      {"CMD.EXE", "/q /d /K (start a.js || echo x) | type b.txt", "cmd", {"a.js"}},
      {"cmd.exe", "/c start /b wscript //B //E:VBScript.Encode e.vbe & exit", "cmd", {"wscript", "e.vbe"}},
      {"cmd.exe", "/c cmd /c start inner.bat", "cmd", {"cmd", "inner.bat"}},
      {"cmd.exe", "/c x.bat ^& y.bat", "cmd", {"x.bat"}},
      {"cmd.exe", "", "cmd", {}},
      {"cmd.exe", "start x.vbs", "cmd", {}},
      // Script, HTML and DLL hosts.
      {"wscript.exe", "//B //NoLogo \"E:\\a b\\x.vbs\" arg", "wscript", {"E:\\a b\\x.vbs"}},
      {"C:\\Windows\\cscript", "/e:VBScript.Encode y.txt", "cscript", {"y.txt"}},
      {"mshta.exe", "E:\\x.hta", "mshta", {"E:\\x.hta"}},
      {"rundll32", "\"E:\\a b.dll\",Entry", "rundll32", {"E:\\a b.dll"}},
      {"regsvr32.exe", "/s /u /i:\"x y\" a.dll b.ocx", "regsvr32", {"a.dll", "b.ocx"}},
      {"powershell.exe", "-ExecutionPolicy Bypass -File \"C:\\t\\x.ps1\"", "powershell", {"C:\\t\\x.ps1"}},
      {"powershell", "-w hidden -f x.ps1", "powershell", {"x.ps1"}},
      {"powershell", "-Command x.ps1", "powershell", {}},
      {"pwsh.exe", "x.ps1 -a", "pwsh", {"x.ps1"}},
      // No host: nothing handed.
      {"E:\\PortableApps\\app.exe", "/c start x.vbs", "", {}},
      {"C:\\Windows\\explorer.exe", "E:\\Music", "", {}},
      {"cmd.exe.lnk", "/c start x.vbs", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program + " " + c.arguments);
    Launch l = LaunchOf(c.program, c.arguments);
    EXPECT_EQ(l.program, c.program);
    EXPECT_EQ(l.host, c.host);
    EXPECT_EQ(l.handed, c.handed);
  }
}

TEST(Launch, CommandLines) {
  struct Case {
    std::string line, program;
    std::vector<std::string> handed;
  };
  const std::vector<Case> cases = {
      {"\"C:\\Program Files\\x\\cmd.exe\" /c start a.vbs", "C:\\Program Files\\x\\cmd.exe", {"a.vbs"}},
      {"C:\\Windows\\System32\\WScript.exe \"C:\\Users\\u\\AppData\\Local\\Temp\\nfuzbk.vbs\"",
       "C:\\Windows\\System32\\WScript.exe",
       {"C:\\Users\\u\\AppData\\Local\\Temp\\nfuzbk.vbs"}},
      {"  wscript.exe //B x.js", "wscript.exe", {"x.js"}},
      {"rundll32 shell32.dll,Control_RunDLL", "rundll32", {"shell32.dll"}},
      {"C:\\a b\\tool.exe -x", "C:\\a b\\tool.exe", {}},
      {"\"unclosed cmd.exe /c start a.vbs", "unclosed cmd.exe /c start a.vbs", {}},
      {"", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Launch l = LaunchOfCommandLine(c.line);
    EXPECT_EQ(l.program, c.program);
    EXPECT_EQ(l.handed, c.handed);
  }
}

TEST(Launch, WhatWindowsRunsAsAProgram) {
  for (const char* yes : {"x.exe", "E:\\a\\B.VBE", "x.exe.", "x.js ", "a.b.cmd", "y.hta", "s.scr", "p.PIF"})
    EXPECT_TRUE(RunsAsProgram(yes)) << yes;
  for (const char* no : {"Music", "report.docx", "x.exe.txt", "E:\\a.exe\\b", "~$WQHGV.FAT32", "x.ps1", ""})
    EXPECT_FALSE(RunsAsProgram(no)) << no;
}

TEST(FakeFs, ReadFileAndMoveNoReplace) {
  fake::Log log;
  fake::FakeFs fs(log);
  fs.addDrive("E:\\");
  fs.setBytes("E:\\a.lnk", {1, 2, 3});
  fs.addDir("E:\\d");
  fs.addFile("E:\\d\\in.txt");
  fs.addFile("E:\\taken");
  EXPECT_EQ(fs.readFile("E:\\a.lnk", 3), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_FALSE(fs.readFile("E:\\a.lnk", 2));
  EXPECT_FALSE(fs.readFile("E:\\d", 100));
  EXPECT_FALSE(fs.readFile("E:\\none", 100));
  EXPECT_FALSE(fs.moveNoReplace("E:\\d\\in.txt", "E:\\taken"));
  EXPECT_FALSE(fs.moveNoReplace("E:\\d\\in.txt", "F:\\in.txt"));
  EXPECT_FALSE(fs.moveNoReplace("E:\\d", "E:\\d\\inner"));
  EXPECT_TRUE(fs.moveNoReplace("E:\\d", "E:\\e"));
  EXPECT_TRUE(fs.has("E:\\e\\in.txt"));
  EXPECT_FALSE(fs.has("E:\\d\\in.txt"));
  EXPECT_TRUE(fs.moveNoReplace("E:\\e\\in.txt", "E:\\in.txt"));
  EXPECT_EQ(fs.namesIn("E:\\e"), std::vector<std::string>{});
  fs.setDriveReady("E:\\", false);
  EXPECT_FALSE(fs.readFile("E:\\a.lnk", 3));
  EXPECT_FALSE(fs.moveNoReplace("E:\\in.txt", "E:\\e\\in.txt"));
}
