// The computer cleaner driven through the application: the profile-folder
// executables, the Run entry scan, removing entries and executables, the
// selection buttons, the timer, and clicks that arrive during its waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "computer/cleaner.h"
#include "computer/processes.h"
#include "computer/command_line.h"
#include "computer/frm_c.h"
#include "tests/native/machine.h"
#include "shell/texts.h"

using namespace kestrive;

namespace {

const std::string Profile = "C:\\Users\\user";
const std::string RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string RunLog = std::to_string(HKCU) + ":software\\microsoft\\windows\\currentversion\\run";

const std::string kAsk = "msg 36 Are you sure to delete this file(s)?";
const std::string kComplete = "msg 64 Delete complete!";
const std::string kLeft = "msg 64 Delete complete. If that unknown file still exist, please login in Safe Mode!";
const std::string kToolMissing = "msg 48 File 'pskill.exe' not found. Please redownload this program.";
const std::string kSafeMode = "msg 16 Error! Please login in safe mode.";

// The system's interpreter, the working folder's tool by its full path.
std::string run(uint32_t pid) {
  return "run \"C:\\Windows\\system32\\cmd.exe\" /d /s /c \"\"C:\\Kestrive\\pskill.exe\" " + std::to_string(pid) +
         "\" style 7";
}
std::string setattr(const std::string& path) { return "setattr " + path + " 128"; }
std::string del(const std::string& path) { return "delete " + path; }
std::string delValue(const std::string& name) { return "RegDeleteValue " + RunLog + " [" + name + "]"; }
std::string inUse(const std::string& path) {
  return "msg 16 Cannot delete file '" + path + "' because file is being used. Try again.";
}

class ComputerBase : public ::testing::Test, protected test::Machine {
 protected:
  void SetUp() override {
    // One yield per one-second wait, so waits show up in the log.
    f.clock.step = 500;
    f.ui.onYield = [this] {
      f.log.push_back("yield");
      if (duringYield) duringYield();
    };
  }

  std::function<void()> duringYield;

  void file(const std::string& name, uint32_t attributes = attr::Archive) {
    f.fs.addFile(Profile + "\\" + name, attributes);
  }
  void value(const std::string& name, const std::string& data, uint32_t type = regtype::Sz) {
    f.reg.setString(HKCU, RunKey, name, data, type);
  }
  FrmC& open() {
    app.start();
    app.click("frm_first", "btn_c");
    return c();
  }
  FrmC& c() { return *app.find<FrmC>("frm_c"); }
  Control& lst(const char* name) { return c().ctl(name); }
  std::vector<std::string> texts(const char* list) { return test::Texts(lst(list)); }
  void scan() { app.click("frm_c", "btn_scan"); }
  void mark(const char* list, std::vector<int> indices) {
    for (int i : indices) lst(list).items.at(i).marked = true;
  }
  void tick() { app.tick("frm_c", "T2"); }

  // What happened since `from`: end requests, file changes, value removals,
  // the settings restore, waits and yields, and messages.
  std::vector<std::string> events(size_t from) const {
    std::vector<std::string> out;
    for (size_t i = from; i < f.log.size(); ++i) {
      const std::string& e = f.log[i];
      for (const char* keep : {"run ", "setattr ", "delete ", "RegDeleteValue ", "msg ", "yield"})
        if (e.rfind(keep, 0) == 0) out.push_back(e);
      if (e.rfind("RegSetDword ", 0) == 0 && e.find(" CheckedValue ") != std::string::npos) out.push_back("restore");
    }
    return out;
  }
  std::vector<std::string> messages(size_t from) const {
    std::vector<std::string> out;
    for (const std::string& e : events(from))
      if (e.rfind("msg ", 0) == 0) out.push_back(e);
    return out;
  }
};

// A machine of its own for each row of a table.
struct Fresh : test::Machine {
  Fresh() { f.clock.step = 500; }
  void file(const std::string& path) { f.fs.addFile(path); }
  void value(const std::string& name, const std::string& data, uint32_t type = regtype::Sz) {
    f.reg.setString(HKCU, RunKey, name, data, type);
  }
  FrmC& scan() {
    app.start();
    app.click("frm_first", "btn_c");
    app.click("frm_c", "btn_scan");
    return *app.find<FrmC>("frm_c");
  }
  std::vector<std::string> lines() { return test::Texts(app.find<FrmC>("frm_c")->ctl("lst_V")); }
};

// ---- the program a Run value starts ------------------------------------------

struct CommandCase {
  const char* data;
  const char* program;  // as Windows takes it from the command line
};

TEST(ComputerCommandLine, ProgramOfTheData) {
  const std::vector<CommandCase> cases = {
      {"C:\\Users\\user\\x.exe", "C:\\Users\\user\\x.exe"},
      {"\"C:\\Users\\user\\x.exe\"", "C:\\Users\\user\\x.exe"},
      {"\"C:\\Program Files\\x.exe\" /min", "C:\\Program Files\\x.exe"},
      {"  \"C:\\x.exe\"/s", "C:\\x.exe"},
      {"\"C:\\no close.exe", "C:\\no close.exe"},
      {"C:\\Users\\user\\x.EXE /s", "C:\\Users\\user\\x.EXE"},
      {"C:\\Program Files\\a b\\x.exe -k run", "C:\\Program Files\\a b\\x.exe"},
      {"\tC:\\x.exe", "C:\\x.exe"},
      // The first ".exe" that ends a token: x.exe.bat is a batch file.
      {"C:\\x.exe.bat", ""},
      {"C:\\x.exe.bat C:\\y.exe", "C:\\x.exe.bat C:\\y.exe"},
      // Trailing dots are dropped from a name, so this starts x.exe.
      {"C:\\x.exe. /s", "C:\\x.exe."},
      {"C:\\x.exe..", "C:\\x.exe.."},
      {"C:\\Windows\\rundll32.exe C:\\Users\\user\\x.exe", "C:\\Windows\\rundll32.exe"},
      {"C:\\Users\\user\\notes.txt", ""},
      {"", ""},
  };
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(c.data);
    EXPECT_EQ(ExecutableOfCommand(c.data), c.program);
  }
}

TEST(ComputerCommandLine, PathsAsWindowsResolvesThem) {
  const std::vector<CommandCase> cases = {
      {"C:\\Users\\user\\x.exe", "C:\\Users\\user\\x.exe"},
      {"C:/Users//user\\.\\x.exe", "C:\\Users\\user\\x.exe"},
      {"C:\\Users\\other\\..\\user\\x.exe", "C:\\Users\\user\\x.exe"},
      {"C:\\..\\..\\x.exe", "C:\\x.exe"},
      {"C:\\Users\\user\\x.exe. . ", "C:\\Users\\user\\x.exe"},
      {"\\\\server\\share\\..\\..\\x.exe", "\\\\server\\share\\x.exe"},
      {"\\\\?\\C:\\odd.exe.", "\\\\?\\C:\\odd.exe."},
      // Relative paths would be looked up in our own working folder.
      {"x.exe", ""},
      {"C:x.exe", ""},
      {"\\x.exe", ""},
      {"\\\\server", ""},
      {"%USERPROFILE%\\x.exe", ""},
  };
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(c.data);
    EXPECT_EQ(NormalizeWinPath(c.data), c.program);
  }
  EXPECT_TRUE(SameFilePath("\\\\?\\C:\\Users\\USER\\X.exe", "c:\\users\\user\\x.exe"));
  EXPECT_TRUE(SameFilePath("\\\\?\\UNC\\srv\\s\\x.exe", "\\\\srv\\s\\x.exe"));
  EXPECT_FALSE(SameFilePath("C:\\Windows\\System32\\svchost.exe", "C:\\Users\\user\\svchost.exe"));
  EXPECT_FALSE(SameFilePath("svchost.exe", "svchost.exe"));
}

// ---- the profile folder -------------------------------------------------------

class ComputerProfile : public ComputerBase {};

TEST_F(ComputerProfile, FolderIsCutAtItsFirstNul) {
  f.env.profile = std::string("C:\\Users\\user\0\0\0", 16);
  EXPECT_EQ(GetProfileFolder(f.platform), "C:\\Users\\user");
  f.env.profile = std::string(255, '\0');
  EXPECT_EQ(GetProfileFolder(f.platform), "");
}

TEST_F(ComputerProfile, ExecutableNamesInListingOrder) {
  file("Setup.EXE");
  file("readme.txt");
  file("notes.exe.txt");
  f.fs.addDir(Profile + "\\game.exe");
  file("myexe");
  file("exe");
  file("svchost.exe", attr::Hidden | attr::System);
  f.fs.addFile(Profile + "\\sub\\inner.exe");
  EXPECT_EQ(ListExecutableNames(f.platform),
            (std::vector<std::string>{"Setup.EXE", "notes.exe.txt", "game.exe", "svchost.exe"}));
}

TEST_F(ComputerProfile, ScanAndRefreshFillTheList) {
  file("a.exe");
  open();
  EXPECT_FALSE(lst("btn_Er").enabled);
  EXPECT_FALSE(lst("btn_c_r").enabled);
  scan();
  EXPECT_EQ(texts("lst_P"), std::vector<std::string>{"a.exe"});
  EXPECT_TRUE(lst("btn_Er").enabled);
  EXPECT_TRUE(lst("btn_c_r").enabled);
  file("b.exe");
  mark("lst_P", {0});
  size_t from = f.log.size();
  app.click("frm_c", "btn_Er");
  EXPECT_EQ(texts("lst_P"), (std::vector<std::string>{"a.exe", "b.exe"}));
  EXPECT_EQ(lst("lst_P").markedCount(), 0);
  EXPECT_TRUE(messages(from).empty());
}

TEST_F(ComputerProfile, UnknownFolderListsAndDeletesNothing) {
  // The drive root holds an executable named by a Run value.
  f.fs.addFile("C:\\evil.exe");
  value("Evil", "C:\\evil.exe");
  f.env.profile = "";
  f.env.startup = "";  // nor the folders inside it
  open();
  int before = f.fs.listings;
  size_t from = f.log.size();
  scan();
  EXPECT_EQ(f.fs.listings, before);
  EXPECT_TRUE(texts("lst_P").empty());
  EXPECT_TRUE(texts("lst_V").empty());
  EXPECT_EQ(messages(from), std::vector<std::string>{"msg 64 Done. Virus shortcut not detect!"});
  app.click("frm_c", "btn_Er");
  EXPECT_TRUE(texts("lst_P").empty());
  EXPECT_TRUE(f.fs.has("C:\\evil.exe"));
}

// ---- the start-up entry scan ---------------------------------------------------

class ComputerScan : public ComputerBase {};

TEST_F(ComputerScan, LinesGroupedByFileThenValueOrder) {
  file("x.exe");
  file("a.exe");
  file("ba.exe");
  value("One", "C:\\Users\\user\\AppData\\x.EXE /s");
  value("Two", "C:\\Users\\user\\ba.exe");
  value("Expand", "C:\\Users\\user\\x.exe", regtype::ExpandSz);
  value("Elsewhere", "C:\\Program Files\\tool\\x.exe");
  f.reg.setDwordValue(HKCU, RunKey, "Number", 1);
  open();
  scan();
  EXPECT_EQ(texts("lst_V"), (std::vector<std::string>{
                                "x.exe | One | C:\\Users\\user\\AppData\\x.EXE /s",
                                "x.exe | Expand | C:\\Users\\user\\x.exe",
                                "x.exe | Elsewhere | C:\\Program Files\\tool\\x.exe",
                                "a.exe | Two | C:\\Users\\user\\ba.exe",
                                "ba.exe | Two | C:\\Users\\user\\ba.exe",
                            }));
  ASSERT_FALSE(lst("lst_V").items.empty());
  EXPECT_EQ(lst("lst_V").items[0].data, "One");
  EXPECT_EQ(f.ui.boxes.back().text, "Done. Virus shortcut detect!");
  EXPECT_EQ(f.ui.boxes.back().flags, 0x10u);
  for (const char* b : {"btn_c_ma", "btn_c_uma", "btn_d"}) EXPECT_TRUE(lst(b).enabled) << b;
  EXPECT_EQ(f.reg.openHandles(), 0);
}

TEST_F(ComputerScan, NothingFoundDisablesItsButtons) {
  file("a.exe");
  value("Other", "C:\\Windows\\explorer.exe");
  open();
  scan();
  EXPECT_TRUE(texts("lst_V").empty());
  EXPECT_EQ(texts("lst_P"), std::vector<std::string>{"a.exe"});
  EXPECT_EQ(f.ui.boxes.back().text, "Done. Virus shortcut not detect!");
  EXPECT_EQ(f.ui.boxes.back().flags, 0x40u);
  for (const char* b : {"btn_c_ma", "btn_c_uma", "btn_d"}) EXPECT_FALSE(lst(b).enabled) << b;
  EXPECT_TRUE(lst("btn_c_r").enabled);
}

TEST_F(ComputerScan, UnnamedValueShowsAsDefaultAndKeepsItsRealName) {
  file("v.exe");
  value("", "C:\\Users\\user\\v.exe");
  value("[Default]", "C:\\Users\\user\\v.exe");
  open();
  scan();
  ASSERT_EQ(texts("lst_V"), (std::vector<std::string>{"v.exe | [Default] | C:\\Users\\user\\v.exe",
                                                      "v.exe | [Default] | C:\\Users\\user\\v.exe"}));
  EXPECT_EQ(lst("lst_V").items[0].data, "");
  EXPECT_EQ(lst("lst_V").items[1].data, "[Default]");
}

TEST_F(ComputerScan, LongValuesDoNotEndTheEnumeration) {
  file("x.exe");
  value("Big", std::string(1025, 'q'));
  value("Huge", "C:\\" + std::string(70000, 'w') + "\\x.exe");
  value("After", "C:\\Users\\user\\x.exe");
  f.reg.setString(HKCU, RunKey, std::string(2000, 'n'), "C:\\x.exe");
  open();
  scan();
  ASSERT_EQ(lst("lst_V").items.size(), 3u);
  EXPECT_EQ(lst("lst_V").items[0].data, "Huge");
  EXPECT_EQ(lst("lst_V").items[1].text, "x.exe | After | C:\\Users\\user\\x.exe");
  EXPECT_EQ(lst("lst_V").items[2].data, std::string(2000, 'n'));
}

TEST_F(ComputerScan, DataWithoutNulOrWithInnerNul) {
  file("x.exe");
  std::string raw = "C:\\Users\\user\\x.exe";
  f.reg.setValue(HKCU, RunKey, "NoNul", regtype::Sz, std::vector<uint8_t>(raw.begin(), raw.end()));
  std::string inner = std::string("C:\\x.exe\0junk", 13) + '\0';
  f.reg.setValue(HKCU, RunKey, "Inner", regtype::Sz, std::vector<uint8_t>(inner.begin(), inner.end()));
  f.reg.setValue(HKCU, RunKey, "Empty", regtype::Sz, {});
  open();
  scan();
  EXPECT_EQ(texts("lst_V"),
            (std::vector<std::string>{"x.exe | NoNul | C:\\Users\\user\\x.exe", "x.exe | Inner | C:\\x.exe"}));
}

// A file name is looked for in the data as plain text, ignoring case: the
// worm picks its own name, so no character in it may mean anything else.
struct NameCase {
  const char* name;
  const char* file;
  const char* data;
  uint32_t type;
  bool listed;
};

TEST_F(ComputerScan, NamesAreFoundAsPlainTextInStringValues) {
  const std::vector<NameCase> cases = {
      {"outside the code page", "вирус.exe", "C:\\Users\\user\\ВИРУС.EXE", regtype::Sz, true},
      {"letter case", "Upd.Exe", "c:\\users\\user\\UPD.EXE", regtype::Sz, true},
      {"bracket pair", "svc[1].exe", "C:\\Users\\user\\svc[1].exe", regtype::Sz, true},
      {"bracket pair is no class", "svc[1].exe", "C:\\Users\\user\\svc1.exe", regtype::Sz, false},
      {"unclosed bracket", "a[b.exe", "\"C:\\Users\\user\\a[b.exe\" /s", regtype::Sz, true},
      {"hash", "a#.exe", "C:\\Users\\user\\a#.exe", regtype::Sz, true},
      {"hash is no digit", "a#.exe", "C:\\Users\\user\\a7.exe", regtype::Sz, false},
      {"question mark is no letter", "a?.exe", "C:\\Users\\user\\ab.exe", regtype::Sz, false},
      {"star is no run of letters", "*.exe", "C:\\Users\\user\\x.exe", regtype::Sz, false},
      {"star as itself", "*.exe", "C:\\Users\\user\\*.exe", regtype::Sz, true},
      {"part of another name", "a.exe", "C:\\Users\\user\\ba.exe", regtype::Sz, true},
      {"expandable, as stored", "upd.exe", "%USERPROFILE%\\upd.exe", regtype::ExpandSz, true},
      {"expandable, only once expanded", "upd.exe", "%DROP% /s", regtype::ExpandSz, true},
      {"expandable, unknown variable", "upd.exe", "%NOPE%\\upd.exe", regtype::ExpandSz, true},
      {"string, not expanded", "upd.exe", "%DROP% /s", regtype::Sz, false},
      {"expandable, quoted, arguments", "upd.exe", "\"%APPDATA%\\..\\..\\upd.exe\" -s", regtype::ExpandSz, true},
      {"multi-string", "upd.exe", "C:\\Users\\user\\upd.exe", regtype::MultiSz, false},
      {"binary", "upd.exe", "C:\\Users\\user\\upd.exe", regtype::Binary, false},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh m;
    m.file(Profile + "\\" + c.file);
    m.file(Profile + "\\z.exe");  // listed after it: the walk goes on
    m.f.env.variables["DROP"] = Profile + "\\upd.exe";
    m.value("V", c.data, c.type);
    m.value("Z", "C:\\z.exe");
    m.scan();
    std::vector<std::string> want;
    if (c.listed) want.push_back(std::string(c.file) + " | V | " + c.data);
    want.push_back("z.exe | Z | C:\\z.exe");
    EXPECT_EQ(m.lines(), want);
  }
}

TEST_F(ComputerScan, KeyThatWontOpenIsReportedOncePerName) {
  file("a.exe");
  file("b.exe");
  value("A", "C:\\Users\\user\\a.exe");
  f.reg.denyOpen(HKCU, RunKey);
  open();
  size_t from = f.log.size();
  scan();
  EXPECT_EQ(messages(from), (std::vector<std::string>{"msg 0 Unable to open a subkey", "msg 0 Unable to open a subkey",
                                                      "msg 64 Done. Virus shortcut not detect!"}));
}

TEST_F(ComputerScan, SecondOpenFailingIsReportedWithTheKeyPath) {
  file("a.exe");
  file("b.exe");
  file("c.exe");
  value("A", "C:\\Users\\user\\a.exe");
  value("C", "C:\\Users\\user\\c.exe");
  open();
  // a.exe opens twice, b.exe once, c.exe not at all.
  f.reg.allowOpenExTimes(HKCU, RunKey, 3);
  size_t from = f.log.size();
  scan();
  EXPECT_EQ(texts("lst_V"), std::vector<std::string>{"a.exe | A | C:\\Users\\user\\a.exe"});
  EXPECT_EQ(messages(from), (std::vector<std::string>{
                                "msg 0 Error RegOpenKeyEx for Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                "msg 0 Unable to open a subkey",
                                "msg 16 Done. Virus shortcut detect!",
                            }));
  EXPECT_EQ(f.reg.openHandles(), 0);
  // The other start-up keys are opened too; this one always as the scan says.
  for (const std::string& e : f.log) {
    if (e.rfind("RegOpenKeyEx " + std::to_string(HKCU) + " " + RunKey + " ", 0) == 0) {
      EXPECT_EQ(e, "RegOpenKeyEx " + std::to_string(HKCU) + " " + RunKey + " 63");
    }
  }
}

TEST_F(ComputerScan, RefreshRescansOnlyTheEntriesWithoutAWord) {
  file("a.exe");
  value("A", "C:\\Users\\user\\a.exe");
  open();
  scan();
  value("A2", "C:\\Users\\user\\a.exe");
  file("b.exe");
  mark("lst_V", {0});
  size_t from = f.log.size();
  app.click("frm_c", "btn_c_r");
  EXPECT_EQ(texts("lst_V"),
            (std::vector<std::string>{"a.exe | A | C:\\Users\\user\\a.exe", "a.exe | A2 | C:\\Users\\user\\a.exe"}));
  EXPECT_EQ(lst("lst_V").markedCount(), 0);
  EXPECT_EQ(texts("lst_P"), std::vector<std::string>{"a.exe"});
  EXPECT_TRUE(messages(from).empty());
}

// ---- removing start-up entries ---------------------------------------------------

class ComputerDeleteEntries : public ComputerBase {};

TEST_F(ComputerDeleteEntries, NothingMarkedOrNoChangesNothing) {
  file("c.exe");
  value("C", "C:\\Users\\user\\c.exe");
  open();
  scan();
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from), std::vector<std::string>{"msg 64 Please select file to delete!"});
  mark("lst_V", {0});
  from = f.log.size();
  f.ui.answers = {mb::IdNo};
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from), std::vector<std::string>{kAsk});
  EXPECT_TRUE(f.fs.has(Profile + "\\c.exe"));
}

TEST_F(ComputerDeleteEntries, EndsEveryListedProgramThenTheMarkedLine) {
  file("a.exe");
  file("b.exe");
  file("c.exe");
  value("C", "C:\\Users\\user\\c.exe");
  uint32_t a = f.proc.start("a.exe");
  uint32_t b = f.proc.start("B.EXE");
  uint32_t c1 = f.proc.start("c.exe");
  f.proc.start("c.exe");
  f.proc.onRun = nullptr;  // a slow tool: nothing ends meanwhile
  open();
  scan();
  mark("lst_V", {0});
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from), (std::vector<std::string>{kAsk, run(a), run(b), run(c1),  // every lst_P entry, marked or not
                                                    run(c1), "yield",               // field 1, then the wait
                                                    setattr(Profile + "\\c.exe"), del(Profile + "\\c.exe"),
                                                    delValue("C"), "restore", "yield", kComplete}));
  EXPECT_FALSE(f.fs.has(Profile + "\\c.exe"));
  EXPECT_FALSE(f.reg.hasValue(HKCU, RunKey, "C"));
  EXPECT_TRUE(texts("lst_V").empty());
  // lst_P is not relisted.
  EXPECT_EQ(texts("lst_P"), (std::vector<std::string>{"a.exe", "b.exe", "c.exe"}));
}

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
                     run(pid),
                 }));
  EXPECT_FALSE(f.proc.running(pid));
  // No such process, or no full path to compare images with: nothing at all.
  from = f.log.size();
  EndProcessByName(f.platform, Profile + "\\c.exe");
  EndProcessByName(f.platform, "c.exe");
  EndProcessByName(f.platform, "\\c.exe");
  EXPECT_EQ(f.log.size(), from);
}

TEST_F(ComputerDeleteEntries, ToolMissingBeforeTheListedPrograms) {
  file("c.exe");
  value("C", "C:\\Users\\user\\c.exe");
  f.proc.start("c.exe");
  open();
  scan();
  mark("lst_V", {0});
  f.fs.remove("C:\\Kestrive\\pskill.exe");
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from), (std::vector<std::string>{kAsk, kToolMissing}));
  EXPECT_EQ(texts("lst_V"), std::vector<std::string>{"c.exe | C | C:\\Users\\user\\c.exe"});
  EXPECT_TRUE(lst("lst_V").items[0].marked);
}

TEST_F(ComputerDeleteEntries, ToolMissingAtTheFirstLine) {
  file("c.exe");
  file("a.exe");
  value("C", "C:\\Users\\user\\c.exe");
  uint32_t a = f.proc.start("a.exe");
  open();
  scan();
  mark("lst_V", {0});
  // The tool goes away once it has been started for the listed program.
  f.proc.onRun = [&](const std::string&, const std::string&) { f.fs.remove("C:\\Kestrive\\pskill.exe"); };
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from), (std::vector<std::string>{kAsk, run(a), kToolMissing}));
  EXPECT_TRUE(f.fs.has(Profile + "\\c.exe"));
  EXPECT_TRUE(f.reg.hasValue(HKCU, RunKey, "C"));
}

TEST_F(ComputerDeleteEntries, ToolMissingWithAnEmptyProgramList) {
  file("c.exe");
  value("C", "C:\\Users\\user\\c.exe");
  open();
  scan();
  f.fs.remove(Profile + "\\c.exe");
  app.click("frm_c", "btn_Er");
  ASSERT_TRUE(texts("lst_P").empty());
  mark("lst_V", {0});
  f.fs.remove("C:\\Kestrive\\pskill.exe");
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from), (std::vector<std::string>{kAsk, kToolMissing}));
  EXPECT_TRUE(f.reg.hasValue(HKCU, RunKey, "C"));
}

TEST_F(ComputerDeleteEntries, ToolGoneAtTheSecondLineKeepsTheList) {
  file("c.exe");
  file("d.exe");
  value("C", "C:\\Users\\user\\c.exe");
  value("D", "C:\\Users\\user\\d.exe");
  open();
  scan();
  app.click("frm_c", "btn_c_ma");
  duringYield = [&] { f.fs.remove("C:\\Kestrive\\pskill.exe"); };
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from),
            (std::vector<std::string>{kAsk, "yield", setattr(Profile + "\\c.exe"), del(Profile + "\\c.exe"),
                                      delValue("C"), "restore", "yield", kToolMissing}));
  // Stopped before the rescan: the list still shows both lines.
  EXPECT_EQ(texts("lst_V").size(), 2u);
  EXPECT_TRUE(f.fs.has(Profile + "\\d.exe"));
}

TEST_F(ComputerDeleteEntries, TwoLinesForOneValue) {
  file("a.exe");
  file("ba.exe");
  value("V", "C:\\Users\\user\\ba.exe");
  open();
  scan();
  ASSERT_EQ(texts("lst_V").size(), 2u);
  app.click("frm_c", "btn_c_ma");
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  const std::string path = Profile + "\\ba.exe";
  EXPECT_EQ(events(from),
            (std::vector<std::string>{// a.exe only appears inside the path: the value starts ba.exe, not a.exe.
                                      kAsk, "yield", delValue("V"), "restore", "yield", "yield", setattr(path),
                                      del(path), delValue("V"), "restore", "yield", kComplete}));
  EXPECT_TRUE(f.fs.has(Profile + "\\a.exe"));
}

// The file deleted for a line is the program its value starts, and only
// when that program is the line's file; nothing else the data names.
struct DataCase {
  const char* name;
  const char* data;
  uint32_t type;
  const char* deleted;  // "" when no file is deleted for the line
};

TEST_F(ComputerDeleteEntries, OnlyTheProgramTheValueStartsIsDeleted) {
  const std::string x = Profile + "\\x.exe";
  const std::vector<DataCase> cases = {
      {"plain", "C:\\Users\\user\\x.exe", regtype::Sz, "C:\\Users\\user\\x.exe"},
      {"quoted", "\"C:\\Users\\user\\x.exe\"", regtype::Sz, "C:\\Users\\user\\x.exe"},
      {"quoted, arguments", "\"C:\\Users\\user\\x.exe\" /start", regtype::Sz, "C:\\Users\\user\\x.exe"},
      {"unquoted, arguments", "C:\\Users\\user\\X.EXE /s -k", regtype::Sz, "C:\\Users\\user\\X.EXE"},
      {"expandable", "%USERPROFILE%\\x.exe", regtype::ExpandSz, "C:\\Users\\user\\x.exe"},
      {"expandable, quoted, arguments", "\"%userprofile%\\x.exe\" -a", regtype::ExpandSz, "C:\\Users\\user\\x.exe"},
      {"expandable without variables", "C:\\Users\\user\\x.exe", regtype::ExpandSz, "C:\\Users\\user\\x.exe"},
      {"slashes and dots", "C:/Users/user/./AppData/../x.exe", regtype::Sz, "C:\\Users\\user\\x.exe"},
      // Named like the file but elsewhere: the data's own program is deleted.
      {"same name, other folder", "\"C:\\Users\\user\\AppData\\x.exe\" /s", regtype::Sz,
       "C:\\Users\\user\\AppData\\x.exe"},
      {"only inside another name", "C:\\Users\\user\\AppData\\ax.exe", regtype::Sz, ""},
      {"only an argument", "C:\\Windows\\notepad.exe C:\\Users\\user\\x.exe", regtype::Sz, ""},
      {"quoted argument", "\"C:\\Windows\\notepad.exe\" \"C:\\Users\\user\\x.exe\"", regtype::Sz, ""},
      {"relative", "x.exe /s", regtype::Sz, ""},
      {"batch file", "C:\\Users\\user\\AppData\\x.exe.bat", regtype::Sz, ""},
      {"trailing dot", "C:\\Users\\user\\x.exe. /s", regtype::Sz, "C:\\Users\\user\\x.exe"},
  };
  for (const DataCase& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh m;
    for (const char* path :
         {"C:\\Users\\user\\x.exe", "C:\\Users\\user\\AppData\\ax.exe", "C:\\Users\\user\\AppData\\x.exe",
          "C:\\Windows\\notepad.exe", "C:\\Kestrive\\x.exe", "C:\\Users\\user\\AppData\\x.exe.bat"})
      m.file(path);
    m.value("V", c.data, c.type);
    FrmC& w = m.scan();
    // Field 3 shows the data as stored.
    ASSERT_EQ(m.lines(), std::vector<std::string>{std::string("x.exe | V | ") + c.data});
    w.ctl("lst_V").items[0].marked = true;
    size_t from = m.f.log.size();
    m.app.click("frm_c", "btn_d");
    const std::string want = c.deleted;
    EXPECT_EQ(m.logSince(from, "delete "),
              want.empty() ? std::vector<std::string>{} : std::vector<std::string>{del(want)});
    EXPECT_FALSE(m.f.reg.hasValue(HKCU, RunKey, "V"));
    EXPECT_EQ(m.f.ui.boxes.back().text, "Delete complete!");
    for (const char* kept : {"C:\\Users\\user\\AppData\\ax.exe", "C:\\Windows\\notepad.exe", "C:\\Kestrive\\x.exe",
                             "C:\\Users\\user\\AppData\\x.exe.bat"})
      EXPECT_TRUE(m.f.fs.has(kept)) << kept;
  }
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
    w.ctl("lst_V").items[0].marked = true;
    size_t from = m.f.log.size();
    m.app.click("frm_c", "btn_d");
    const std::vector<std::string> runs = m.logSince(from, "run ");
    EXPECT_EQ(std::count(runs.begin(), runs.end(), run(decoy)), c.ended ? 1 : 0);
    EXPECT_GE(std::count(runs.begin(), runs.end(), run(real)), 1);
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
  ASSERT_EQ(m.app.find<FrmC>("frm_c")->ctl("lst_P").items.size(), 1u);
  size_t from = m.f.log.size();
  EndProcessByName(m.f.platform, Profile + "\\pskill.exe");
  EXPECT_EQ(m.logSince(from, "run "), std::vector<std::string>{});
  EXPECT_TRUE(m.f.proc.running(tool));
}

TEST_F(ComputerDeleteEntries, SeparatorInsideFieldsNamesNoOtherValueOrFile) {
  // Split at every separator, these lines would name the value "A", the
  // file "B" in the working folder and the innocent notes.txt.
  file("x.exe");
  file("notes.txt");
  f.fs.addFile("C:\\Kestrive\\B");
  value("A | B", "C:\\Users\\user\\x.exe");
  value("A", "C:\\Program Files\\a\\a.exe");
  value("N", "C:\\Users\\user\\notes.txt | x.exe");
  open();
  scan();
  ASSERT_EQ(texts("lst_V"), (std::vector<std::string>{"x.exe | A | B | C:\\Users\\user\\x.exe",
                                                      "x.exe | N | C:\\Users\\user\\notes.txt | x.exe"}));
  app.click("frm_c", "btn_c_ma");
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  const std::string path = Profile + "\\x.exe";
  // The second value starts "notes.txt | x.exe", a file of another name.
  EXPECT_EQ(events(from),
            (std::vector<std::string>{kAsk, "yield", setattr(path), del(path), delValue("A | B"), "restore", "yield",
                                      "yield", delValue("N"), "restore", "yield", kComplete}));
  EXPECT_EQ(f.reg.valueNames(HKCU, RunKey), std::vector<std::string>{"A"});
  EXPECT_TRUE(f.fs.has(Profile + "\\notes.txt"));
  EXPECT_TRUE(f.fs.has("C:\\Kestrive\\B"));
}

TEST_F(ComputerDeleteEntries, LineNotMadeByTheScanIsSplitAtEverySeparator) {
  // Only a line that starts with the pieces it was made of is taken apart
  // by them; anything else falls back to the plain split.
  file("x.exe");
  value("V", "C:\\Users\\user\\x.exe");
  open();
  scan();
  lst("lst_V").items[0].text = "x.exe | W | C:\\Users\\user\\x.exe | more";
  mark("lst_V", {0});
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  const std::string path = Profile + "\\x.exe";
  EXPECT_EQ(events(from), (std::vector<std::string>{kAsk, "yield", setattr(path), del(path), delValue("W"), "restore",
                                                    "yield", kComplete}));
}

TEST_F(ComputerDeleteEntries, UnnamedValueIsRemovedByItsRealName) {
  file("v.exe");
  file("w.exe");
  value("", "C:\\Users\\user\\v.exe");
  value("[Default]", "C:\\Users\\user\\w.exe");
  open();
  scan();
  ASSERT_EQ(texts("lst_V"), (std::vector<std::string>{"v.exe | [Default] | C:\\Users\\user\\v.exe",
                                                      "w.exe | [Default] | C:\\Users\\user\\w.exe"}));
  mark("lst_V", {0});
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from),
            (std::vector<std::string>{kAsk, "yield", setattr(Profile + "\\v.exe"), del(Profile + "\\v.exe"),
                                      delValue(""), "restore", "yield", kLeft}));
  EXPECT_EQ(f.reg.valueNames(HKCU, RunKey), std::vector<std::string>{"[Default]"});
  EXPECT_EQ(texts("lst_V"), std::vector<std::string>{"w.exe | [Default] | C:\\Users\\user\\w.exe"});

  mark("lst_V", {0});
  from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from),
            (std::vector<std::string>{kAsk, "yield", setattr(Profile + "\\w.exe"), del(Profile + "\\w.exe"),
                                      delValue("[Default]"), "restore", "yield", kComplete}));
  EXPECT_TRUE(f.reg.valueNames(HKCU, RunKey).empty());
}

TEST_F(ComputerDeleteEntries, FileThatStaysEndsInSafeModeAfterABoundedRetry) {
  file("c.exe");
  value("C", "C:\\Users\\user\\c.exe");
  open();
  scan();
  mark("lst_V", {0});
  f.fs.lock(Profile + "\\c.exe");
  f.clock.step = 1;  // attempts, not time, run out
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  std::vector<std::string> got = events(from);
  int deletes = 0;
  for (const std::string& e : got) deletes += e == del(Profile + "\\c.exe") ? 1 : 0;
  EXPECT_EQ(deletes, 1 + kDeleteRetryAttempts);
  ASSERT_GE(got.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(got.end() - 4, got.end()),
            (std::vector<std::string>{delValue("C"), "restore", "yield", kSafeMode}));
  EXPECT_FALSE(f.reg.hasValue(HKCU, RunKey, "C"));
  // No rescan: the line stays.
  EXPECT_EQ(texts("lst_V").size(), 1u);
}

TEST_F(ComputerDeleteEntries, RetryAlsoEndsOnTime) {
  f.fs.addFile(Profile + "\\c.exe");
  f.fs.lock(Profile + "\\c.exe");
  f.clock.step = 1000;
  size_t from = f.log.size();
  EXPECT_FALSE(RetryDeleteWhileExists(f.platform, Profile + "\\c.exe"));
  int deletes = 0;
  for (const std::string& e : events(from)) deletes += e.rfind("delete ", 0) == 0 ? 1 : 0;
  EXPECT_EQ(deletes, static_cast<int>(kDeleteRetryMs / 1000) - 1);
}

TEST_F(ComputerDeleteEntries, RetryEndsTheProgramAgainUntilTheFileGoes) {
  file("c.exe");
  value("C", "C:\\Users\\user\\c.exe");
  uint32_t pid = f.proc.start("c.exe");
  open();
  scan();
  mark("lst_V", {0});
  f.fs.lock(Profile + "\\c.exe");
  // The tool ends the program only at its third request; the file is free then.
  int requests = 0;
  f.proc.onRun = [&](const std::string&, const std::string&) {
    if (++requests == 3) {
      f.proc.stop(pid);
      f.fs.lock(Profile + "\\c.exe", false);
    }
  };
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  const std::string path = Profile + "\\c.exe";
  EXPECT_EQ(events(from), (std::vector<std::string>{kAsk, run(pid), run(pid), "yield", setattr(path), del(path),
                                                    setattr(path), del(path), run(pid), setattr(path), del(path),
                                                    delValue("C"), "restore", "yield", kComplete}));
}

TEST_F(ComputerDeleteEntries, LinesLeftAfterTheRescan) {
  file("c.exe");
  file("d.exe");
  value("C", "C:\\Users\\user\\c.exe");
  value("D", "C:\\Users\\user\\d.exe");
  value("Gone", "C:\\Users\\user\\c.exe");
  open();
  scan();
  mark("lst_V", {0});
  // A value name that does not exist: the removal fails silently.
  lst("lst_V").items[0].text = "c.exe | Missing | C:\\Users\\user\\c.exe";
  lst("lst_V").items[0].data = "Missing";
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(messages(from), (std::vector<std::string>{kAsk, kLeft}));
  EXPECT_EQ(texts("lst_V"), std::vector<std::string>{"d.exe | D | C:\\Users\\user\\d.exe"});
}

// ---- deleting profile executables ------------------------------------------------

class ComputerDeleteFiles : public ComputerBase {};

TEST_F(ComputerDeleteFiles, AdjacentMarkedEntriesAreEachDeletedOnce) {
  file("a.exe");
  file("b.exe");
  file("c.exe");
  value("A", "C:\\Users\\user\\a.exe");
  uint32_t a = f.proc.start("a.exe");
  open();
  scan();
  auto linesBefore = texts("lst_V");
  mark("lst_P", {0, 1});
  size_t from = f.log.size();
  app.click("frm_c", "btn_Ed");
  EXPECT_EQ(events(from),
            (std::vector<std::string>{kAsk, run(a), "yield", setattr(Profile + "\\a.exe"), del(Profile + "\\a.exe"),
                                      "yield", setattr(Profile + "\\b.exe"), del(Profile + "\\b.exe"), kLeft}));
  EXPECT_EQ(texts("lst_P"), std::vector<std::string>{"c.exe"});
  // Neither the Run key nor the entry list is touched.
  EXPECT_TRUE(f.reg.hasValue(HKCU, RunKey, "A"));
  EXPECT_EQ(texts("lst_V"), linesBefore);
  for (size_t i = from; i < f.log.size(); ++i) EXPECT_EQ(f.log[i].find("CheckedValue"), std::string::npos);
}

TEST_F(ComputerDeleteFiles, FolderNamedLikeAnExecutableIsReported) {
  f.fs.addDir(Profile + "\\game.exe");
  file("x.exe");
  open();
  scan();
  app.click("frm_c", "btn_Esa");
  size_t from = f.log.size();
  app.click("frm_c", "btn_Ed");
  EXPECT_EQ(events(from), (std::vector<std::string>{kAsk, "yield", setattr(Profile + "\\game.exe"),
                                                    del(Profile + "\\game.exe"), inUse(Profile + "\\game.exe"), "yield",
                                                    setattr(Profile + "\\x.exe"), del(Profile + "\\x.exe"), kLeft}));
  EXPECT_EQ(texts("lst_P"), std::vector<std::string>{"game.exe"});
}

TEST_F(ComputerDeleteFiles, FileVanishedBeforeDeletionPassesQuietly) {
  file("x.exe");
  open();
  scan();
  mark("lst_P", {0});
  f.fs.remove(Profile + "\\x.exe");
  size_t from = f.log.size();
  app.click("frm_c", "btn_Ed");
  EXPECT_EQ(messages(from), (std::vector<std::string>{kAsk, kComplete}));
  EXPECT_TRUE(texts("lst_P").empty());
  tick();
  for (const char* b : {"btn_Esa", "btn_Edsa", "btn_Ed"}) EXPECT_FALSE(lst(b).enabled) << b;
}

TEST_F(ComputerDeleteFiles, ToolMissingStopsWithoutRelisting) {
  file("a.exe");
  file("b.exe");
  open();
  scan();
  app.click("frm_c", "btn_Esa");
  duringYield = [&] { f.fs.remove("C:\\Kestrive\\pskill.exe"); };
  int listings = f.fs.listings;
  size_t from = f.log.size();
  app.click("frm_c", "btn_Ed");
  EXPECT_EQ(events(from), (std::vector<std::string>{kAsk, "yield", setattr(Profile + "\\a.exe"),
                                                    del(Profile + "\\a.exe"), kToolMissing}));
  EXPECT_EQ(f.fs.listings, listings);
  EXPECT_EQ(texts("lst_P"), std::vector<std::string>{"b.exe"});
  EXPECT_TRUE(f.fs.has(Profile + "\\b.exe"));
}

TEST_F(ComputerDeleteFiles, NothingMarkedOrNo) {
  file("a.exe");
  open();
  scan();
  size_t from = f.log.size();
  app.click("frm_c", "btn_Ed");
  EXPECT_EQ(events(from), std::vector<std::string>{"msg 64 Please select file to delete!"});
  mark("lst_P", {0});
  f.ui.answers = {mb::IdNo};
  from = f.log.size();
  app.click("frm_c", "btn_Ed");
  EXPECT_EQ(events(from), std::vector<std::string>{kAsk});
  EXPECT_TRUE(f.fs.has(Profile + "\\a.exe"));
}

// Between the scan and Delete the profile folder can no longer be found (or
// the file will not go): a rescan would list nothing and look clean, so
// neither Delete may call it complete.
struct LostCase {
  const char* name;
  const char* button;
  const char* list;
  bool lock;  // the file stays; otherwise the folder is lost
  std::vector<std::string> shown;
};

TEST(ComputerNoFalseSuccess, LeftWhateverTheRescanShows) {
  const std::string x = Profile + "\\x.exe";
  const std::vector<LostCase> cases = {
      {"line, folder lost", "btn_d", "lst_V", false, {kAsk, kLeft}},
      {"line, file stays", "btn_d", "lst_V", true, {kAsk, kSafeMode}},
      {"file, folder lost", "btn_Ed", "lst_P", false, {kAsk, inUse("x.exe"), kLeft}},
      {"file, file stays", "btn_Ed", "lst_P", true, {kAsk, inUse(x), kLeft}},
  };
  for (const LostCase& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh m;
    m.file(x);
    m.value("X", x);
    FrmC& w = m.scan();
    w.ctl(c.list).items.at(0).marked = true;
    if (c.lock) {
      m.f.fs.lock(x);
    } else {
      m.f.env.profile = "";
    }
    size_t from = m.f.log.size();
    m.app.click("frm_c", c.button);
    EXPECT_EQ(m.logSince(from, "msg "), c.shown);
  }
}

// ---- selection buttons and the timer ----------------------------------------------

class ComputerControls : public ComputerBase {};

TEST_F(ComputerControls, SelectionButtonsMarkTheirOwnList) {
  file("a.exe");
  file("b.exe");
  value("A", "C:\\Users\\user\\a.exe");
  value("B", "C:\\Users\\user\\b.exe");
  open();
  scan();
  struct Step {
    const char* button;
    int marksV, marksP;
  };
  for (const Step& s :
       {Step{"btn_c_ma", 2, 0}, Step{"btn_Esa", 2, 2}, Step{"btn_c_uma", 0, 2}, Step{"btn_Edsa", 0, 0}}) {
    SCOPED_TRACE(s.button);
    app.click("frm_c", s.button);
    EXPECT_EQ(lst("lst_V").markedCount(), s.marksV);
    EXPECT_EQ(lst("lst_P").markedCount(), s.marksP);
  }
}

TEST_F(ComputerControls, OpensWithRefreshDisabled) {
  open();
  EXPECT_EQ(c().title, "Computer | Kestrive v3.0");
  EXPECT_FALSE(lst("btn_c_r").enabled);
  EXPECT_FALSE(lst("btn_Er").enabled);
  EXPECT_EQ(lst("T2").interval, 1);
  EXPECT_TRUE(texts("lst_V").empty());
  EXPECT_TRUE(texts("lst_P").empty());
}

TEST_F(ComputerControls, TimerFollowsTheLists) {
  open();
  struct State {
    bool lines, names;
  };
  for (const State& s :
       {State{false, false}, State{true, false}, State{false, true}, State{true, true}, State{false, false}}) {
    SCOPED_TRACE(std::to_string(s.lines) + std::to_string(s.names));
    lst("lst_V").clear();
    lst("lst_P").clear();
    if (s.lines) lst("lst_V").add("a.exe | A | C:\\a.exe", "A");
    if (s.names) lst("lst_P").add("a.exe");
    // Scan, Back and the Refresh buttons are not the timer's.
    lst("btn_c_r").enabled = false;
    lst("btn_Er").enabled = true;
    lst("btn_scan").enabled = false;
    tick();
    for (const char* b : {"btn_c_ma", "btn_c_uma", "btn_d"}) EXPECT_EQ(lst(b).enabled, s.lines) << b;
    for (const char* b : {"btn_Esa", "btn_Edsa", "btn_Ed"}) EXPECT_EQ(lst(b).enabled, s.names) << b;
    EXPECT_FALSE(lst("btn_c_r").enabled);
    EXPECT_TRUE(lst("btn_Er").enabled);
    EXPECT_FALSE(lst("btn_scan").enabled);
    EXPECT_TRUE(lst("btn_x").enabled);
  }
}

// ---- waits, and clicks during them ---------------------------------------------------

struct WaitCase {
  uint32_t now, step, ms, slice;
  std::vector<uint32_t> waits;  // what each wait for events asked for
};

// Each wait for events asks only for what is left, measured across a wrap of
// the tick counter, and the waiting goes on when events end one early.
TEST(ComputerWait, AsksForWhatIsLeftAcrossTheTickWrap) {
  for (const WaitCase& w :
       {WaitCase{0, 500, 1000, 0, {500}}, WaitCase{0, 1, 1000, 0, {999}}, WaitCase{0, 1000, 1000, 0, {}},
        WaitCase{0xFFFFFF00u, 100, 1000, 0, {900}}, WaitCase{0xFFFFFFFFu, 1, 3, 0, {2}},
        WaitCase{0xFFFFFC18u, 0, 1000, 300, {1000, 700, 400, 100}}, WaitCase{0xFFFFFFF0u, 10, 100, 40, {90, 40}},
        WaitCase{5, 1, 0, 0, {}}}) {
    SCOPED_TRACE(std::to_string(w.now) + " step " + std::to_string(w.step) + " slice " + std::to_string(w.slice));
    fake::FakePlatform f;
    f.clock.now = w.now;
    f.clock.step = w.step;
    f.ui.waitSlice = w.slice;
    WaitMilliseconds(f.platform, w.ms);
    EXPECT_EQ(f.ui.waits, w.waits);
    EXPECT_EQ(f.ui.yields, static_cast<int>(w.waits.size()));
  }
}

TEST(ComputerRegistry, KeyTestAndValueRemoval) {
  fake::FakePlatform f;
  EXPECT_TRUE(RegKeyExists(f.platform, HKCU, RunKey));
  EXPECT_FALSE(RegKeyExists(f.platform, HKCU, RunKey + "Once"));
  f.reg.setString(HKCU, RunKey, "V", "x");
  f.reg.setString(HKCU, RunKey, "W", "x");
  DeleteRegValue(f.platform, HKCU, RunKey, "v");
  EXPECT_EQ(f.reg.valueNames(HKCU, RunKey), std::vector<std::string>{"W"});
  size_t from = f.log.size();
  DeleteRegValue(f.platform, HKCU, "Software\\Nowhere", "W");
  for (size_t i = from; i < f.log.size(); ++i) EXPECT_EQ(f.log[i].rfind("RegDeleteValue", 0), std::string::npos);
  EXPECT_EQ(f.reg.openHandles(), 0);
}

class ComputerReentry : public ComputerBase {};

TEST_F(ComputerReentry, BackDuringTheWaitOfADeletion) {
  file("c.exe");
  value("C", "C:\\Users\\user\\c.exe");
  open();
  scan();
  mark("lst_V", {0});
  duringYield = [&] {
    duringYield = nullptr;
    app.click("frm_c", "btn_x");
  };
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from), (std::vector<std::string>{kAsk, "yield"}));
  EXPECT_EQ(app.find("frm_c"), nullptr);
  EXPECT_TRUE(app.find("frm_first")->visible);
  EXPECT_TRUE(f.fs.has(Profile + "\\c.exe"));
  EXPECT_TRUE(f.reg.hasValue(HKCU, RunKey, "C"));
}

TEST_F(ComputerReentry, BackDuringTheSettingsYield) {
  file("c.exe");
  value("C", "C:\\Users\\user\\c.exe");
  open();
  scan();
  mark("lst_V", {0});
  f.fs.lock(Profile + "\\c.exe");  // would end in the safe-mode message
  int yields = 0;
  duringYield = [&] {
    if (++yields == 2) app.click("frm_c", "f2_Back");
  };
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  std::vector<std::string> got = events(from);
  EXPECT_EQ(got.back(), "yield");
  EXPECT_EQ(messages(from), std::vector<std::string>{kAsk});
  EXPECT_EQ(app.find("frm_c"), nullptr);
}

TEST_F(ComputerReentry, DeleteAgainDuringTheWait) {
  file("c.exe");
  file("d.exe");
  value("C", "C:\\Users\\user\\c.exe");
  value("D", "C:\\Users\\user\\d.exe");
  open();
  scan();
  app.click("frm_c", "btn_c_ma");
  duringYield = [&] {
    duringYield = nullptr;
    app.click("frm_c", "btn_d");  // both lines again, then a rescan that empties the list
  };
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(messages(from), (std::vector<std::string>{kAsk, kAsk, kComplete, kComplete}));
  EXPECT_TRUE(f.reg.valueNames(HKCU, RunKey).empty());
  EXPECT_FALSE(f.fs.has(Profile + "\\c.exe"));
  EXPECT_FALSE(f.fs.has(Profile + "\\d.exe"));
  EXPECT_TRUE(texts("lst_V").empty());
}

TEST_F(ComputerReentry, ScanDuringTheWaitClearsTheRemainingMarks) {
  file("c.exe");
  file("d.exe");
  value("C", "C:\\Users\\user\\c.exe");
  value("D", "C:\\Users\\user\\d.exe");
  open();
  scan();
  app.click("frm_c", "btn_c_ma");
  duringYield = [&] {
    duringYield = nullptr;
    app.click("frm_c", "btn_scan");
  };
  app.click("frm_c", "btn_d");
  EXPECT_FALSE(f.reg.hasValue(HKCU, RunKey, "C"));
  EXPECT_TRUE(f.reg.hasValue(HKCU, RunKey, "D"));
  EXPECT_EQ(texts("lst_V"), std::vector<std::string>{"d.exe | D | C:\\Users\\user\\d.exe"});
  EXPECT_EQ(f.ui.boxes.back().text, "Delete complete. If that unknown file still exist, please login in Safe Mode!");
}

TEST_F(ComputerReentry, ListEmptiedDuringTheWait) {
  file("c.exe");
  file("d.exe");
  value("C", "C:\\Users\\user\\c.exe");
  value("D", "C:\\Users\\user\\d.exe");
  open();
  scan();
  app.click("frm_c", "btn_c_ma");
  duringYield = [&] {
    duringYield = nullptr;
    lst("lst_V").clear();
    lst("lst_P").clear();
  };
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from),
            (std::vector<std::string>{kAsk, "yield", setattr(Profile + "\\c.exe"), del(Profile + "\\c.exe"),
                                      delValue("C"), "restore", "yield", kLeft}));
}

TEST_F(ComputerReentry, BackOrRefreshDuringAFileDeletion) {
  file("a.exe");
  file("b.exe");
  open();
  scan();
  app.click("frm_c", "btn_Esa");
  // Refresh clears the marks meanwhile; both marked files still go, once each.
  duringYield = [&] {
    duringYield = nullptr;
    app.click("frm_c", "btn_Er");
  };
  size_t from = f.log.size();
  app.click("frm_c", "btn_Ed");
  EXPECT_EQ(events(from),
            (std::vector<std::string>{kAsk, "yield", setattr(Profile + "\\a.exe"), del(Profile + "\\a.exe"), "yield",
                                      setattr(Profile + "\\b.exe"), del(Profile + "\\b.exe"), kComplete}));

  file("a.exe");
  app.click("frm_c", "btn_Er");
  app.click("frm_c", "btn_Esa");
  duringYield = [&] {
    duringYield = nullptr;
    app.click("frm_c", "btn_x");
  };
  from = f.log.size();
  app.click("frm_c", "btn_Ed");
  EXPECT_EQ(events(from), (std::vector<std::string>{kAsk, "yield"}));
  EXPECT_TRUE(f.fs.has(Profile + "\\a.exe"));
  EXPECT_EQ(app.find("frm_c"), nullptr);
}

TEST_F(ComputerReentry, ExitDuringTheWaitEndsAtOnce) {
  file("c.exe");
  value("C", "C:\\Users\\user\\c.exe");
  open();
  scan();
  mark("lst_V", {0});
  duringYield = [&] { app.click("frm_c", "f2_Exit"); };
  EXPECT_THROW(app.click("frm_c", "btn_d"), ProcessEnded);
  EXPECT_TRUE(f.ui.ended);
  EXPECT_TRUE(f.fs.has(Profile + "\\c.exe"));
}

}  // namespace
