// What the Computer window lists: a Run value's program, the profile's executables, the scan's lines, key helpers.
#include <gtest/gtest.h>

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
  EXPECT_FALSE(w().btn_Er.enabled);
  EXPECT_FALSE(w().btn_c_r.enabled);
  scan();
  EXPECT_EQ(Texts(w().lst_P), std::vector<std::string>{"a.exe"});
  EXPECT_TRUE(w().btn_Er.enabled);
  EXPECT_TRUE(w().btn_c_r.enabled);
  file("b.exe");
  mark(w().lst_P, {0});
  size_t from = f.log.size();
  app.click("frm_c", "btn_Er");
  EXPECT_EQ(Texts(w().lst_P), (std::vector<std::string>{"a.exe", "b.exe"}));
  EXPECT_EQ(w().lst_P.markedCount(), 0);
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
  EXPECT_TRUE(Texts(w().lst_P).empty());
  EXPECT_TRUE(Texts(w().lst_V).empty());
  EXPECT_EQ(messages(from), std::vector<Box>{Information("Done. Virus shortcut not detect!")});
  app.click("frm_c", "btn_Er");
  EXPECT_TRUE(Texts(w().lst_P).empty());
  EXPECT_TRUE(f.fs.has("C:\\evil.exe"));
}

// ---- the start-up entry scan ---------------------------------------------------

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
  EXPECT_EQ(Texts(w().lst_V), (std::vector<std::string>{
                                  "x.exe | One | C:\\Users\\user\\AppData\\x.EXE /s",
                                  "x.exe | Expand | C:\\Users\\user\\x.exe",
                                  "x.exe | Elsewhere | C:\\Program Files\\tool\\x.exe",
                                  "a.exe | Two | C:\\Users\\user\\ba.exe",
                                  "ba.exe | Two | C:\\Users\\user\\ba.exe",
                              }));
  ASSERT_FALSE(w().lst_V.items.empty());
  EXPECT_EQ(w().lst_V.items[0].data, "One");
  EXPECT_EQ(lastBox(), Error("Done. Virus shortcut detect!"));
  for (const Control* b : {&w().btn_c_ma, &w().btn_c_uma, &w().btn_d}) EXPECT_TRUE(b->enabled) << b->name;
  EXPECT_EQ(f.reg.openHandles(), 0);
}

TEST_F(ComputerScan, NothingFoundDisablesItsButtons) {
  file("a.exe");
  value("Other", "C:\\Windows\\explorer.exe");
  open();
  scan();
  EXPECT_TRUE(Texts(w().lst_V).empty());
  EXPECT_EQ(Texts(w().lst_P), std::vector<std::string>{"a.exe"});
  EXPECT_EQ(lastBox(), Information("Done. Virus shortcut not detect!"));
  for (const Control* b : {&w().btn_c_ma, &w().btn_c_uma, &w().btn_d}) EXPECT_FALSE(b->enabled) << b->name;
  EXPECT_TRUE(w().btn_c_r.enabled);
}

TEST_F(ComputerScan, UnnamedValueShowsAsDefaultAndKeepsItsRealName) {
  file("v.exe");
  value("", "C:\\Users\\user\\v.exe");
  value("[Default]", "C:\\Users\\user\\v.exe");
  open();
  scan();
  ASSERT_EQ(Texts(w().lst_V), (std::vector<std::string>{"v.exe | [Default] | C:\\Users\\user\\v.exe",
                                                        "v.exe | [Default] | C:\\Users\\user\\v.exe"}));
  EXPECT_EQ(w().lst_V.items[0].data, "");
  EXPECT_EQ(w().lst_V.items[1].data, "[Default]");
}

TEST_F(ComputerScan, LongValuesDoNotEndTheEnumeration) {
  file("x.exe");
  value("Big", std::string(1025, 'q'));
  value("Huge", "C:\\" + std::string(70000, 'w') + "\\x.exe");
  value("After", "C:\\Users\\user\\x.exe");
  f.reg.setString(HKCU, RunKey, std::string(2000, 'n'), "C:\\x.exe");
  open();
  scan();
  ASSERT_EQ(w().lst_V.items.size(), 3u);
  EXPECT_EQ(w().lst_V.items[0].data, "Huge");
  EXPECT_EQ(w().lst_V.items[1].text, "x.exe | After | C:\\Users\\user\\x.exe");
  EXPECT_EQ(w().lst_V.items[2].data, std::string(2000, 'n'));
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
  EXPECT_EQ(Texts(w().lst_V),
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
  EXPECT_EQ(messages(from), (std::vector<Box>{Plain("Unable to open a subkey"), Plain("Unable to open a subkey"),
                                              Information("Done. Virus shortcut not detect!")}));
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
  EXPECT_EQ(Texts(w().lst_V), std::vector<std::string>{"a.exe | A | C:\\Users\\user\\a.exe"});
  EXPECT_EQ(messages(from), (std::vector<Box>{
                                Plain("Error RegOpenKeyEx for Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
                                Plain("Unable to open a subkey"),
                                Error("Done. Virus shortcut detect!"),
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
  mark(w().lst_V, {0});
  size_t from = f.log.size();
  app.click("frm_c", "btn_c_r");
  EXPECT_EQ(Texts(w().lst_V),
            (std::vector<std::string>{"a.exe | A | C:\\Users\\user\\a.exe", "a.exe | A2 | C:\\Users\\user\\a.exe"}));
  EXPECT_EQ(w().lst_V.markedCount(), 0);
  EXPECT_EQ(Texts(w().lst_P), std::vector<std::string>{"a.exe"});
  EXPECT_TRUE(messages(from).empty());
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

}  // namespace
