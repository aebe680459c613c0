// The computer cleaner beyond the profile folder and the user's RunKey key: the
// folders worms drop their copies in, every start-up place (the machine's
// keys in both views, RunOnce, the policy's RunKey, the Startup folder), which
// entries are listed, and how Delete removes a worm that runs and fights back.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "computer/frm_c.h"
#include "computer/startup_places.h"
#include "computer/worm_removal.h"
#include "shell/texts.h"
#include "tests/native/machine.h"
#include "tests/support/link_bytes.h"

using namespace kestrive;

namespace {

const std::string Profile = "C:\\Users\\user";
const std::string Roaming = Profile + "\\AppData\\Roaming";
const std::string Local = Profile + "\\AppData\\Local";
const std::string Temp = Local + "\\Temp";
const std::string Startup = Roaming + "\\Microsoft\\Windows\\Start Menu\\Programs\\Startup";
const std::string RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string RunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const std::string PolicyRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
const std::string Run32 = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string Wscript = "C:\\Windows\\System32\\wscript.exe";

const std::string kComplete = "Delete complete!";
const std::string kLeft = "Delete complete. If that unknown file still exist, please login in Safe Mode!";

std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

// A machine with the program on it, the drop folders made, one second per
// two clock reads.
struct Pc : test::Machine {
  Pc() {
    f.clock.step = 500;
    for (const std::string& folder : {Roaming, Local, Temp, Startup, std::string("C:\\Windows\\System32")})
      f.fs.addDir(folder);
    f.fs.addFile(Wscript);
  }
  // A file with content, so that copies can be told by it.
  void file(const std::string& path, const std::string& content = "worm") {
    f.fs.addFile(path);
    f.fs.setBytes(path, bytesOf(content));
  }
  void value(uint32_t root, const std::string& key, const std::string& name, const std::string& data,
             uint32_t type = regtype::Sz) {
    f.reg.setString(root, key, name, data, type);
  }
  FrmC& scan() {
    if (!app.find("frm_c")) {
      app.start();
      app.click("frm_first", "btn_c");
    }
    app.click("frm_c", "btn_scan");
    return w();
  }
  FrmC& w() { return *app.find<FrmC>("frm_c"); }
  std::vector<std::string> lines() { return test::Texts(w().lst_V); }
  // Select All, Delete; the messages shown meanwhile.
  std::vector<std::string> deleteAll() {
    const size_t shown = f.ui.boxes.size();
    app.click("frm_c", "btn_c_ma");
    app.click("frm_c", "btn_d");
    std::vector<std::string> out;
    for (size_t i = shown; i < f.ui.boxes.size(); ++i) out.push_back(f.ui.boxes[i].text);
    return out;
  }
  size_t firstLog(const std::string& prefix) const {
    for (size_t i = 0; i < f.log.size(); ++i)
      if (f.log[i].rfind(prefix, 0) == 0) return i;
    return f.log.size();
  }
  size_t lastLog(const std::string& prefix) const {
    for (size_t i = f.log.size(); i-- > 0;)
      if (f.log[i].rfind(prefix, 0) == 0) return i;
    return f.log.size();
  }
};

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
    EXPECT_EQ(m.f.ui.boxes.back().text,
              c.lines.empty() ? "Done. Virus shortcut not detect!" : "Done. Virus shortcut detect!");
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

// ---- processes ------------------------------------------------------------------------

TEST(ComputerPlaces, WhichProcessesRunTheWorm) {
  struct Case {
    const char* what;
    std::string image, commandLine;
    bool ended;
  };
  const std::string script = Temp + "\\nfuzbk.vbs";
  const std::vector<Case> cases = {
      {"host running the script", Wscript, "\"" + Wscript + "\" //B \"" + script + "\"", true},
      {"host with the path in another case and form", Wscript,
       "wscript //B //NoLogo c:/users/USER/appdata/local/temp/NFUZBK.vbs", true},
      {"interpreter given the path through a variable", "C:\\Windows\\System32\\cmd.exe", "cmd /c %TEMP%\\nfuzbk.vbs",
       true},
      {"host given a variable it does not expand", Wscript, "wscript.exe %TEMP%\\nfuzbk.vbs", false},
      {"host running another script", Wscript, "wscript.exe //B C:\\Scripts\\logon.vbs", false},
      {"host running a script of the same name elsewhere", Wscript, "wscript.exe //B C:\\Scripts\\nfuzbk.vbs", false},
      {"host running a longer name", Wscript, "wscript.exe \"" + script + ".vbs\"", false},
      {"host given the script relatively", Wscript, "wscript.exe nfuzbk.vbs", false},
      {"host whose command line cannot be read", Wscript, "", false},
      {"no host, the path in its arguments", "C:\\Program Files\\Editor\\edit.exe", "edit.exe \"" + script + "\"",
       false},
      {"image is the file", Temp + "\\svc.exe", "svc.exe", true},
      {"same name in another folder", "C:\\Program Files\\svc.exe", "svc.exe", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Pc m;
    const uint32_t pid = m.f.proc.startWith(c.image, c.commandLine);
    EXPECT_EQ(EndProcessesRunning(m.f.platform, {script, Temp + "\\svc.exe"}), c.ended ? 1 : 0);
    EXPECT_EQ(m.f.proc.running(pid), !c.ended);
  }
}

TEST(ComputerPlaces, NeverOurselvesNorTheTool) {
  Pc m;
  m.f.proc.self = m.f.proc.startWith("C:\\Kestrive\\kestrive.exe", "kestrive.exe");
  const uint32_t tool = m.f.proc.startWith("C:\\Kestrive\\pskill.exe", "pskill C:\\Kestrive\\kestrive.exe");
  EXPECT_EQ(EndProcessesRunning(m.f.platform, {"C:\\Kestrive\\kestrive.exe", "C:\\Kestrive\\pskill.exe"}), 0);
  EXPECT_TRUE(m.f.proc.running(tool));
}

TEST(ComputerPlaces, CopiesAreTheSameNameAndTheSameContent) {
  Pc m;
  m.file(Temp + "\\nfuzbk.vbs", "worm");
  m.file(Roaming + "\\nfuzbk.vbs", "worm");
  m.file(Startup + "\\nfuzbk.vbs", "worm");
  m.file(Local + "\\nfuzbk.vbs", "the user's own");
  m.file(Profile + "\\Documents\\nfuzbk.vbs", "worm");
  m.f.fs.addDir(Profile + "\\nfuzbk.vbs");
  EXPECT_EQ(CopiesOf(m.f.platform, GetDropFolders(m.f.platform), Temp + "\\nfuzbk.vbs"),
            (std::vector<std::string>{Roaming + "\\nfuzbk.vbs", Startup + "\\nfuzbk.vbs"}));
}

// ---- delete -----------------------------------------------------------------------------

// The VBS worm as it lies on a PC: three copies, values in the user's and
// the machine's RunKey keys, its host running; beside it a host running the
// user's logon script and an app installed per user.
struct VbsPc : Pc {
  const std::string script = Temp + "\\nfuzbk.vbs";
  uint32_t worm = 0, logon = 0;
  VbsPc() {
    for (const std::string& folder : {Temp, Roaming, Startup}) file(folder + "\\nfuzbk.vbs");
    value(HKCU, RunKey, "nfuzbk", "wscript.exe //B \"" + script + "\"");
    value(HKLM, RunKey, "nfuzbk", "wscript.exe //B \"" + script + "\"");
    file("C:\\Scripts\\logon.vbs", "logon");
    value(HKLM, RunKey, "Logon", "wscript.exe //B C:\\Scripts\\logon.vbs");
    file(Local + "\\Programs\\Notes\\notes.exe", "notes");
    value(HKCU, RunKey, "Notes", "\"" + Local + "\\Programs\\Notes\\notes.exe\"");
    worm = f.proc.startWith(Wscript, "\"" + Wscript + "\" //B \"" + script + "\"");
    logon = f.proc.startWith(Wscript, "\"" + Wscript + "\" //B C:\\Scripts\\logon.vbs");
  }
};

TEST(ComputerPlacesDelete, VbsWormGoesWholeAndTheRestStays) {
  VbsPc m;
  m.scan();
  ASSERT_EQ(m.lines().size(), 3u);  // two values and the Startup folder's copy
  EXPECT_EQ(m.deleteAll(), (std::vector<std::string>{"Are you sure to delete this file(s)?", kComplete}));
  EXPECT_FALSE(m.f.proc.running(m.worm));
  EXPECT_TRUE(m.f.proc.running(m.logon));
  for (const std::string& folder : {Temp, Roaming, Startup}) EXPECT_FALSE(m.f.fs.has(folder + "\\nfuzbk.vbs"));
  EXPECT_EQ(m.f.reg.valueNames(HKCU, RunKey), std::vector<std::string>{"Notes"});
  EXPECT_EQ(m.f.reg.valueNames(HKLM, RunKey), std::vector<std::string>{"Logon"});
  EXPECT_TRUE(m.f.fs.has("C:\\Scripts\\logon.vbs"));
  EXPECT_TRUE(m.f.fs.has(Local + "\\Programs\\Notes\\notes.exe"));
  // Every process is ended before any file or value is touched, and the
  // settings are put back.
  EXPECT_LT(m.lastLog("run "), m.firstLog("delete "));
  EXPECT_LT(m.lastLog("run "), m.firstLog("RegDeleteValue "));
  EXPECT_EQ(
      m.f.reg.dword(HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\Folder\\Hidden\\SHOWALL",
                    "CheckedValue"),
      1u);
  EXPECT_TRUE(m.lines().empty());
}

TEST(ComputerPlacesDelete, OnlyTheMarkedPlaceLosesItsValue) {
  VbsPc m;
  m.scan();
  const std::vector<std::string> lines = m.lines();
  const auto machine = std::find_if(lines.begin(), lines.end(),
                                    [](const std::string& l) { return l.find("| HKLM\\") != std::string::npos; });
  ASSERT_NE(machine, lines.end());
  m.w().lst_V.items.at(static_cast<size_t>(machine - lines.begin())).marked = true;
  m.app.click("frm_c", "btn_d");
  EXPECT_FALSE(m.f.reg.hasValue(HKLM, RunKey, "nfuzbk"));
  EXPECT_TRUE(m.f.reg.hasValue(HKCU, RunKey, "nfuzbk"));
  EXPECT_TRUE(m.f.reg.hasValue(HKLM, RunKey, "Logon"));
  // The file and its copies go with any of its lines.
  EXPECT_FALSE(m.f.fs.has(m.script));
  EXPECT_FALSE(m.f.fs.has(Roaming + "\\nfuzbk.vbs"));
  // The user's value now starts nothing: no line is left.
  EXPECT_EQ(m.f.ui.boxes.back().text, kComplete);
}

TEST(ComputerPlacesDelete, WhatStaysIsReportedAsLeft) {
  struct Case {
    const char* what;
    std::function<void(VbsPc&)> arrange;
  };
  const std::vector<Case> cases = {
      {"machine's keys refused without administrator rights", [](VbsPc& m) { m.f.reg.denyWrites(HKLM); }},
      {"file in use", [](VbsPc& m) { m.f.fs.lock(m.script); }},
      {"host whose command line cannot be read rewrites its value",
       [](VbsPc& m) {
         m.f.proc.commandLines[m.worm] = "";
         m.f.ui.onYield = [&m] {
           if (m.f.proc.running(m.worm)) m.value(HKCU, RunKey, "nfuzbk", "wscript.exe //B \"" + m.script + "\"");
         };
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VbsPc m;
    m.scan();
    c.arrange(m);
    EXPECT_EQ(m.deleteAll().back(), kLeft);
  }
}

TEST(ComputerPlacesDelete, AWormEndedFirstCannotWriteItselfBack) {
  VbsPc m;
  // While its host runs, the worm writes its values and files back at
  // every chance it gets.
  m.f.ui.onYield = [&m] {
    if (!m.f.proc.running(m.worm)) return;
    m.value(HKCU, RunKey, "nfuzbk", "wscript.exe //B \"" + m.script + "\"");
    m.file(m.script);
  };
  m.scan();
  EXPECT_EQ(m.deleteAll().back(), kComplete);
  EXPECT_FALSE(m.f.fs.has(m.script));
  EXPECT_FALSE(m.f.reg.hasValue(HKCU, RunKey, "nfuzbk"));
}

TEST(ComputerPlacesDelete, AppDataExeWithQuotedValueAndArgument) {
  Pc m;
  const std::string exe = Roaming + "\\svchost.exe";
  m.file(exe);
  m.file(Temp + "\\svchost.exe", "another program");
  m.value(HKCU, PolicyRun, "svc", "\"" + exe + "\" -autorun");
  const uint32_t worm = m.f.proc.start(exe);
  const uint32_t other = m.f.proc.start(Temp + "\\svchost.exe");
  m.scan();
  EXPECT_EQ(m.deleteAll().back(), kComplete);
  EXPECT_FALSE(m.f.proc.running(worm));
  EXPECT_TRUE(m.f.proc.running(other));
  EXPECT_FALSE(m.f.fs.has(exe));
  EXPECT_TRUE(m.f.fs.has(Temp + "\\svchost.exe"));  // same name, other content
  EXPECT_FALSE(m.f.reg.hasValue(HKCU, PolicyRun, "svc"));
}

TEST(ComputerPlacesDelete, StartupLinkGoesWithItsTarget) {
  Pc m;
  m.file(Roaming + "\\svc.exe");
  m.f.fs.addFile(Startup + "\\svc.lnk");
  m.f.fs.setBytes(Startup + "\\svc.lnk", test::LinkBytes({.localPath = Roaming + "\\svc.exe"}));
  m.scan();
  EXPECT_EQ(m.deleteAll().back(), kComplete);
  EXPECT_FALSE(m.f.fs.has(Roaming + "\\svc.exe"));
  EXPECT_FALSE(m.f.fs.has(Startup + "\\svc.lnk"));
}

TEST(ComputerPlacesDelete, ToolMissingStopsBeforeAnythingIsTouched) {
  VbsPc m;
  m.scan();
  m.f.fs.remove("C:\\Kestrive\\pskill.exe");
  EXPECT_EQ(m.deleteAll().back(), "File 'pskill.exe' not found. Please redownload this program.");
  EXPECT_TRUE(m.f.fs.has(m.script));
  EXPECT_TRUE(m.f.reg.hasValue(HKLM, RunKey, "nfuzbk"));
}

TEST(ComputerPlacesDelete, BackDuringTheWaitTouchesNothing) {
  VbsPc m;
  m.scan();
  m.f.ui.onYield = [&m] {
    m.f.ui.onYield = nullptr;
    m.app.click("frm_c", "btn_x");
  };
  m.deleteAll();
  EXPECT_EQ(m.app.find("frm_c"), nullptr);
  EXPECT_TRUE(m.f.fs.has(m.script));
  EXPECT_TRUE(m.f.reg.hasValue(HKLM, RunKey, "nfuzbk"));
}

TEST(ComputerPlacesDelete, ClicksDuringTheWaitLeaveTheMarkedWormsToBeRemoved) {
  // The worms marked when Delete was confirmed go, once each, whatever the
  // clicks of the wait do to the list; what the user is told is what is left.
  for (const char* button : {"btn_scan", "btn_c_r", "btn_c_uma", "btn_d"}) {
    SCOPED_TRACE(button);
    VbsPc m;
    m.scan();
    m.f.ui.onYield = [&m, button] {
      m.f.ui.onYield = nullptr;
      m.app.click("frm_c", button);
    };
    EXPECT_EQ(m.deleteAll().back(), kComplete);
    EXPECT_FALSE(m.f.proc.running(m.worm));
    EXPECT_TRUE(m.f.proc.running(m.logon));
    EXPECT_FALSE(m.f.fs.has(m.script));
    EXPECT_FALSE(m.f.reg.hasValue(HKLM, RunKey, "nfuzbk"));
    EXPECT_TRUE(m.f.reg.hasValue(HKLM, RunKey, "Logon"));
  }
}

TEST(ComputerPlacesDelete, ProfileLinesKeepTheirStepsBesideTheWorms) {
  VbsPc m;
  m.file(Profile + "\\svchost.exe");
  m.value(HKCU, RunKey, "Svc", Profile + "\\svchost.exe");
  const uint32_t svc = m.f.proc.start(Profile + "\\svchost.exe");
  m.scan();
  ASSERT_EQ(m.lines().front(), "svchost.exe | Svc | " + Profile + "\\svchost.exe");
  const size_t from = m.f.log.size();
  EXPECT_EQ(m.deleteAll().back(), kComplete);
  EXPECT_FALSE(m.f.proc.running(svc));
  EXPECT_FALSE(m.f.fs.has(Profile + "\\svchost.exe"));
  EXPECT_FALSE(m.f.reg.hasValue(HKCU, RunKey, "Svc"));
  EXPECT_FALSE(m.f.fs.has(m.script));
  // The profile executable is asked to end first (lst_P), then the worm's
  // host, before any file goes.
  std::vector<std::string> runs;
  for (size_t i = from; i < m.f.log.size(); ++i)
    if (m.f.log[i].rfind("run ", 0) == 0) runs.push_back(m.f.log[i]);
  ASSERT_GE(runs.size(), 2u);
  EXPECT_NE(runs[0].find(" " + std::to_string(svc) + "\""), std::string::npos) << runs[0];
  EXPECT_NE(runs[1].find(" " + std::to_string(m.worm) + "\""), std::string::npos) << runs[1];
}

TEST(ComputerPlacesDelete, ALineNotMadeByTheScanRemovesNothing) {
  VbsPc m;
  m.scan();
  for (Item& item : m.w().lst_V.items) item.text += " ";
  m.deleteAll();
  EXPECT_TRUE(m.f.fs.has(m.script));
  EXPECT_TRUE(m.f.reg.hasValue(HKCU, RunKey, "nfuzbk"));
  EXPECT_TRUE(m.f.reg.hasValue(HKLM, RunKey, "nfuzbk"));
}

}  // namespace
