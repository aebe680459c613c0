// How Delete removes a worm found beyond the profile: the processes running it, its copies, one fighting back.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
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

TEST(ComputerPlacesDelete, VbsWormGoesWholeAndTheRestStays) {
  VbsPc m;
  m.scan();
  ASSERT_EQ(m.lines().size(), 3u);  // two values and the Startup folder's copy
  EXPECT_EQ(m.deleteAll(), (std::vector<Box>{kAsk, kComplete}));
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
  EXPECT_EQ(m.lastBox(), kComplete);
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
  EXPECT_EQ(m.deleteAll().back(), kToolMissing);
  EXPECT_TRUE(m.f.fs.has(m.script));
  EXPECT_TRUE(m.f.reg.hasValue(HKLM, RunKey, "nfuzbk"));
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
