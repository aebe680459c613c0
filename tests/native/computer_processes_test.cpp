// Ending the programs a line names: only processes running the very file, never the tool, CMD enabled first.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "computer/cleaner.h"
#include "computer/command_line.h"
#include "computer/frm_c.h"
#include "computer/processes.h"
#include "shell/texts.h"
#include "tests/native/computer_fixture.h"

using namespace kestrive;
using namespace kestrive::test;

namespace {

TEST_F(ComputerDeleteEntries, CommandPromptIsEnabledBeforeEachEndRequest) {
  uint32_t pid = f.proc.start("c.exe");
  size_t from = f.log.size();
  EndProcessByName(f.platform, Profile + "\\C.exe");
  const std::string cu = std::to_string(HKCU), lm = std::to_string(HKLM);
  const std::string w1 = "Software\\Policies\\Microsoft\\Windows\\System\\";
  std::vector<std::string> got(f.log.begin() + from, f.log.end());
  EXPECT_EQ(got, (std::vector<std::string>{
                     "RegCreateKey " + cu + " " + w1,
                     "RegSetDword " + cu + ":software\\policies\\microsoft\\windows\\system DisableCMD 0",
                     "RegCreateKey " + lm + " " + w1,
                     "RegSetDword " + lm + ":software\\policies\\microsoft\\windows\\system DisableCMD 0",
                     ToolRun(pid),
                 }));
  EXPECT_FALSE(f.proc.running(pid));
  // No such process, or no full path to compare images with: nothing at all.
  from = f.log.size();
  EndProcessByName(f.platform, Profile + "\\c.exe");
  EndProcessByName(f.platform, "c.exe");
  EndProcessByName(f.platform, "\\c.exe");
  EXPECT_EQ(f.log.size(), from);
}

// A worm named like a Windows process: only a process running the very file
// is sent to the tool. The decoy starts first, so a match by name would hit it.
struct DecoyCase {
  const char* name;
  std::function<uint32_t(fake::FakeProcesses&)> decoy;
  bool ended;
};

TEST(ComputerEndProcess, OnlyTheProcessOfTheFileIsEnded) {
  const std::string worm = Profile + "\\svchost.exe";
  const std::vector<DecoyCase> cases = {
      {"Windows' own", [](fake::FakeProcesses& p) { return p.start("C:\\Windows\\System32\\svchost.exe"); }, false},
      {"same name, other profile folder",
       [](fake::FakeProcesses& p) { return p.start("C:\\Users\\user\\AppData\\svchost.exe"); }, false},
      {"image that cannot be read", [](fake::FakeProcesses& p) { return p.startUnreadable("svchost.exe"); }, false},
      {"our own process",
       [&](fake::FakeProcesses& p) {
         p.table.push_back(ProcessInfo{p.self, "svchost.exe", worm});
         return p.self;
       },
       false},
      {"the file, other letter case", [](fake::FakeProcesses& p) { return p.start("c:\\users\\USER\\SVCHOST.EXE"); },
       true},
      {"the file, long path form",
       [](fake::FakeProcesses& p) { return p.start("\\\\?\\C:\\Users\\user\\svchost.exe"); }, true},
  };
  for (const DecoyCase& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh m;
    m.file(worm);
    m.value("Svc", "\"" + worm + "\" -k netsvcs");
    const uint32_t decoy = c.decoy(m.f.proc);
    const uint32_t real = m.f.proc.start(worm);
    FrmC& w = m.scan();
    ASSERT_EQ(m.lines(), std::vector<std::string>{"svchost.exe | Svc | \"" + worm + "\" -k netsvcs"});
    w.lst_V.items[0].marked = true;
    size_t from = m.f.log.size();
    m.app.click("frm_c", "btn_d");
    const std::vector<std::string> runs = m.logSince(from, "run ");
    EXPECT_EQ(std::count(runs.begin(), runs.end(), ToolRun(decoy)), c.ended ? 1 : 0);
    EXPECT_GE(std::count(runs.begin(), runs.end(), ToolRun(real)), 1);
    EXPECT_EQ(m.f.proc.running(decoy), !c.ended);
    EXPECT_FALSE(m.f.fs.has(worm));
  }
}

TEST(ComputerEndProcess, TheToolIsNeverEnded) {
  // Run from the profile folder: its pskill.exe is listed there too.
  Fresh m;
  m.f.fs.cwd = Profile;
  m.file(Profile + "\\pskill.exe");
  const uint32_t tool = m.f.proc.start(Profile + "\\pskill.exe");
  m.scan();
  ASSERT_EQ(m.app.find<FrmC>("frm_c")->lst_P.items.size(), 1u);
  size_t from = m.f.log.size();
  EndProcessByName(m.f.platform, Profile + "\\pskill.exe");
  EXPECT_EQ(m.logSince(from, "run "), std::vector<std::string>{});
  EXPECT_TRUE(m.f.proc.running(tool));
}

}  // namespace
