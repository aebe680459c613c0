// Where the Computer window finds worms beyond the profile: drop folders, every start-up place, what is listed.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "computer/frm_c.h"
#include "computer/startup_places.h"
#include "computer/worm_removal.h"
#include "shell/texts.h"
#include "tests/native/computer_fixture.h"
#include "tests/support/link_bytes.h"

using namespace kestrive;
using namespace kestrive::test;

namespace {

std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

// ---- drop folders and places ----------------------------------------------------

TEST(ComputerPlaces, DropFoldersFromTheEnvironment) {
  struct Case {
    const char* what;
    std::string temp;  // %TEMP% as the environment has it
    std::vector<std::string> folders;
  };
  const std::vector<Case> cases = {
      {"the usual ones", Temp, {Profile, Roaming, Local, Temp, Startup}},
      {"a drive root is no drop folder", "C:\\", {Profile, Roaming, Local, Startup}},
      {"nor Windows' own folder", "C:\\Windows", {Profile, Roaming, Local, Startup}},
      {"written another way, once",
       "c:\\users\\user\\appdata\\local\\temp\\.\\",
       {Profile, Roaming, Local, "c:\\users\\user\\appdata\\local\\temp", Startup}},
      {"unset", "", {Profile, Roaming, Local, Startup}},
      {"the same as another", Local + "\\", {Profile, Roaming, Local, Startup}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Pc m;
    m.f.env.variables["TEMP"] = c.temp;
    const DropFolders drops = GetDropFolders(m.f.platform);
    EXPECT_EQ(drops.folders, c.folders);
    EXPECT_TRUE(drops.holds(Roaming + "\\x.exe"));
    EXPECT_TRUE(drops.holds("c:/users/USER/appdata/roaming/x.exe"));
    EXPECT_FALSE(drops.holds(Roaming + "\\Microsoft\\x.exe"));
    EXPECT_FALSE(drops.holds(Roaming));
    EXPECT_FALSE(drops.holds("x.exe"));
    EXPECT_FALSE(drops.holds(Roaming + "\\..\\..\\..\\..\\Windows\\x.exe"));
  }
}

TEST(ComputerPlaces, EveryStartupKeyInBothViews) {
  Pc m;
  std::vector<std::string> labels;
  for (const RunPlace& place : RunPlaces(m.f.platform)) labels.push_back(place.label);
  EXPECT_EQ(labels, (std::vector<std::string>{"HKCU\\" + RunKey, "HKCU\\" + RunOnce, "HKCU\\" + PolicyRun,
                                              "HKLM\\" + RunKey + " (64-bit)", "HKLM\\" + RunOnce + " (64-bit)",
                                              "HKLM\\" + PolicyRun + " (64-bit)", "HKLM\\" + RunKey + " (32-bit)",
                                              "HKLM\\" + RunOnce + " (32-bit)", "HKLM\\" + PolicyRun + " (32-bit)"}));
  m.f.env.twoViews = false;  // 32-bit Windows: one view, named by nothing
  labels.clear();
  for (const RunPlace& place : RunPlaces(m.f.platform)) labels.push_back(place.label);
  EXPECT_EQ(labels.size(), 6u);
  EXPECT_EQ(labels[3], "HKLM\\" + RunKey);
}

// ---- what is listed -----------------------------------------------------------------

struct EntryCase {
  const char* what;
  uint32_t root;
  std::string key;  // as stored; WOW6432Node for the 32-bit view
  std::string data;
  uint32_t type;
  std::vector<std::string> lines;  // what lst_V shows; empty: not listed
};

TEST(ComputerPlaces, StartupEntriesTimesDropFolders) {
  const std::string hklm = " | HKLM\\" + RunKey + " (64-bit)";
  const std::vector<EntryCase> cases = {
      {"quoted, with an argument, in the user's RunKey",
       HKCU,
       RunKey,
       "\"" + Roaming + "\\svc.exe\" /start",
       regtype::Sz,
       {"svc.exe | V | \"" + Roaming + "\\svc.exe\" /start"}},
      {"unquoted, in RunOnce",
       HKCU,
       RunOnce,
       Temp + "\\svc.exe -q",
       regtype::Sz,
       {"svc.exe | V | " + Temp + "\\svc.exe -q | HKCU\\" + RunOnce}},
      {"REG_EXPAND_SZ in the policy's RunKey",
       HKCU,
       PolicyRun,
       "%APPDATA%\\svc.exe",
       regtype::ExpandSz,
       {"svc.exe | V | %APPDATA%\\svc.exe | HKCU\\" + PolicyRun}},
      {"script host with //B, machine's RunKey",
       HKLM,
       RunKey,
       "wscript.exe //B \"" + Temp + "\\nfuzbk.vbs\"",
       regtype::Sz,
       {"nfuzbk.vbs | V | wscript.exe //B \"" + Temp + "\\nfuzbk.vbs\"" + hklm}},
      {"encoded script, 32-bit view",
       HKLM,
       Run32,
       "C:\\Windows\\SysWOW64\\wscript.exe /e:VBScript.Encode %TEMP%\\a.vbe",
       regtype::ExpandSz,
       {"a.vbe | V | C:\\Windows\\SysWOW64\\wscript.exe /e:VBScript.Encode %TEMP%\\a.vbe | HKLM\\" + RunKey +
        " (32-bit)"}},
      {"cscript with switches",
       HKLM,
       PolicyRun,
       "cscript //NoLogo //E:jscript " + Roaming + "\\svc.js",
       regtype::Sz,
       {"svc.js | V | cscript //NoLogo //E:jscript " + Roaming + "\\svc.js | HKLM\\" + PolicyRun + " (64-bit)"}},
      {"batch file through cmd",
       HKCU,
       RunKey,
       "cmd /c \"" + Profile + "\\svc.bat\"",
       regtype::Sz,
       {"svc.bat | V | cmd /c \"" + Profile + "\\svc.bat\""}},
      {"library through rundll32",
       HKCU,
       RunOnce,
       "rundll32.exe " + Temp + "\\svc.dll,Start",
       regtype::Sz,
       {"svc.dll | V | rundll32.exe " + Temp + "\\svc.dll,Start | HKCU\\" + RunOnce}},
      {"app installed per user",
       HKCU,
       RunKey,
       "\"" + Local + "\\Programs\\Notes\\notes.exe\" --hidden",
       regtype::Sz,
       {}},
      {"OneDrive", HKCU, RunKey, "\"" + Local + "\\Microsoft\\OneDrive\\OneDrive.exe\" /background", regtype::Sz, {}},
      {"logon script outside the profile", HKLM, RunKey, "wscript.exe //B C:\\Scripts\\logon.vbs", regtype::Sz, {}},
      {"script in a subfolder of the profile",
       HKCU,
       RunKey,
       "wscript.exe " + Profile + "\\Documents\\x.vbs",
       regtype::Sz,
       {}},
      {"the user's list opened at logon", HKCU, RunKey, "cmd /c start " + Profile + "\\todo.txt", regtype::Sz, {}},
      {"document as the program", HKCU, RunOnce, Roaming + "\\todo.txt", regtype::Sz, {}},
      {"relative script", HKCU, RunOnce, "wscript.exe svc.vbs", regtype::Sz, {}},
      {"file that is not there", HKCU, RunOnce, Temp + "\\gone.exe", regtype::Sz, {}},
      {"folder named like a program", HKCU, RunOnce, Temp + "\\dir.exe", regtype::Sz, {}},
      {"dots climbing out", HKCU, RunOnce, Roaming + "\\..\\..\\..\\..\\Windows\\explorer.exe", regtype::Sz, {}},
      {"Program Files", HKLM, RunKey, "\"C:\\Program Files\\tool\\svchost.exe\"", regtype::Sz, {}},
  };
  for (const EntryCase& c : cases) {
    SCOPED_TRACE(c.what);
    Pc m;
    for (const char* name : {"svc.exe", "nfuzbk.vbs", "a.vbe", "svc.js", "svc.dll", "todo.txt"}) {
      m.file(Roaming + "\\" + std::string(name));
      m.file(Temp + "\\" + name);
    }
    m.file(Profile + "\\svc.bat");
    m.file(Profile + "\\todo.txt");
    m.file(Profile + "\\Documents\\x.vbs");
    m.file(Local + "\\Programs\\Notes\\notes.exe");
    m.file(Local + "\\Microsoft\\OneDrive\\OneDrive.exe");
    m.file("C:\\Scripts\\logon.vbs");
    m.file("C:\\Windows\\explorer.exe");
    m.file("C:\\Program Files\\tool\\svchost.exe");
    m.f.fs.addDir(Temp + "\\dir.exe");
    m.value(c.root, c.key, "V", c.data, c.type);
    m.scan();
    EXPECT_EQ(m.lines(), c.lines);
    EXPECT_EQ(m.lastBox(), c.lines.empty() ? Information("Done. Virus shortcut not detect!")
                                           : Error("Done. Virus shortcut detect!"));
  }
}

TEST(ComputerPlaces, TheToolInADropFolderIsNoWorm) {
  Pc m;
  m.f.fs.cwd = Profile;  // Kestrive and the tool copied into the profile folder
  m.file(Profile + "\\pskill.exe");
  m.value(HKCU, RunOnce, "V", Profile + "\\pskill.exe");
  m.value(HKLM, RunKey, "W", "cmd /c " + Profile + "\\pskill.exe");
  m.scan();
  EXPECT_TRUE(m.lines().empty());
}

TEST(ComputerPlaces, OneWindowsViewListsTheMachineKeyOnce) {
  Pc m;
  m.f.env.twoViews = false;
  m.file(Temp + "\\svc.exe");
  m.value(HKLM, RunKey, "V", Temp + "\\svc.exe");
  m.scan();
  EXPECT_EQ(m.lines(), std::vector<std::string>{"svc.exe | V | " + Temp + "\\svc.exe | HKLM\\" + RunKey});
}

TEST(ComputerPlaces, OneValueInBothViewsIsOneLineRemovedFromBoth) {
  Pc m;
  m.file(Temp + "\\svc.exe");
  // The same value in each view (or in a key both views share), and one
  // of another name in the 32-bit view only.
  m.value(HKLM, PolicyRun, "V", Temp + "\\svc.exe");
  m.value(HKLM, "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run", "V",
          Temp + "\\svc.exe");
  m.value(HKLM, Run32, "W", Temp + "\\svc.exe");
  m.scan();
  EXPECT_EQ(m.lines(), (std::vector<std::string>{
                           "svc.exe | V | " + Temp + "\\svc.exe | HKLM\\" + PolicyRun + " (64-bit and 32-bit)",
                           "svc.exe | W | " + Temp + "\\svc.exe | HKLM\\" + RunKey + " (32-bit)",
                       }));
  m.w().lst_V.items.at(0).marked = true;
  m.app.click("frm_c", "btn_d");
  EXPECT_FALSE(m.f.reg.hasValue(HKLM, PolicyRun, "V"));
  EXPECT_FALSE(m.f.reg.hasValue(
      HKLM, "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run", "V"));
  EXPECT_TRUE(m.f.reg.hasValue(HKLM, Run32, "W"));
}

TEST(ComputerPlaces, ProfileRunLineIsShownOnceWithItsThreeFields) {
  Pc m;
  m.file(Profile + "\\svc.exe");
  m.value(HKCU, RunKey, "V", Profile + "\\svc.exe");
  m.value(HKLM, RunKey, "W", Profile + "\\svc.exe");
  m.scan();
  EXPECT_EQ(m.lines(),
            (std::vector<std::string>{"svc.exe | V | " + Profile + "\\svc.exe",
                                      "svc.exe | W | " + Profile + "\\svc.exe | HKLM\\" + RunKey + " (64-bit)"}));
}

TEST(ComputerPlaces, StartupFolderFilesAndLinks) {
  Pc m;
  m.file(Startup + "\\nfuzbk.vbs");
  m.file(Startup + "\\desktop.ini");
  m.file(Startup + "\\notes.txt");
  m.file(Roaming + "\\svc.exe");
  m.file(Temp + "\\x.vbs");
  m.file("C:\\Program Files\\App\\app.exe");
  auto link = [&](const std::string& name, test::LinkSpec spec) {
    m.f.fs.addFile(Startup + "\\" + name);
    m.f.fs.setBytes(Startup + "\\" + name, test::LinkBytes(spec));
  };
  link("svc.lnk", {.localPath = Roaming + "\\svc.exe"});
  link("x.lnk", {.localPath = Wscript, .arguments = "//B \"" + Temp + "\\x.vbs\""});
  link("app.lnk", {.localPath = "C:\\Program Files\\App\\app.exe"});
  link("env.lnk", {.localPath = "C:\\Program Files\\App\\app.exe", .envTarget = "%APPDATA%\\svc.exe"});
  m.f.fs.addFile(Startup + "\\broken.lnk");
  m.f.fs.setBytes(Startup + "\\broken.lnk", bytesOf("L\0\0\0junk"));
  m.scan();
  const std::string tail = " | Startup folder";
  std::vector<std::string> got = m.lines();
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, (std::vector<std::string>{
                     "nfuzbk.vbs | nfuzbk.vbs | " + Startup + "\\nfuzbk.vbs" + tail,
                     "svc.exe | env.lnk | %APPDATA%\\svc.exe" + tail,
                     "svc.exe | svc.lnk | " + Roaming + "\\svc.exe" + tail,
                     "x.vbs | x.lnk | " + Wscript + " //B \"" + Temp + "\\x.vbs\"" + tail,
                 }));
}

}  // namespace
