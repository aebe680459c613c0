// Computer window's two Delete buttons: Run entries and their files, profile executables, retries, what is left.
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

// ---- removing start-up entries ---------------------------------------------------

TEST_F(ComputerDeleteEntries, NothingMarkedOrNoChangesNothing) {
  file("c.exe");
  value("C", "C:\\Users\\user\\c.exe");
  open();
  scan();
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from), std::vector<Step>{Information("Please select file to delete!")});
  mark(w().lst_V, {0});
  from = f.log.size();
  f.ui.answers = {mb::IdNo};
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from), std::vector<Step>{kAsk});
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
  mark(w().lst_V, {0});
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from),
            (std::vector<Step>{kAsk, ToolRun(a), ToolRun(b), ToolRun(c1),  // every lst_P entry, marked or not
                               ToolRun(c1), "yield",                       // field 1, then the wait
                               SetAttr(Profile + "\\c.exe"), Del(Profile + "\\c.exe"), DelValue("C"), "restore",
                               "yield", kComplete}));
  EXPECT_FALSE(f.fs.has(Profile + "\\c.exe"));
  EXPECT_FALSE(f.reg.hasValue(HKCU, RunKey, "C"));
  EXPECT_TRUE(Texts(w().lst_V).empty());
  // lst_P is not relisted.
  EXPECT_EQ(Texts(w().lst_P), (std::vector<std::string>{"a.exe", "b.exe", "c.exe"}));
}

TEST_F(ComputerDeleteEntries, ToolMissingBeforeTheListedPrograms) {
  file("c.exe");
  value("C", "C:\\Users\\user\\c.exe");
  f.proc.start("c.exe");
  open();
  scan();
  mark(w().lst_V, {0});
  f.fs.remove("C:\\Kestrive\\pskill.exe");
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from), (std::vector<Step>{kAsk, kToolMissing}));
  EXPECT_EQ(Texts(w().lst_V), std::vector<std::string>{"c.exe | C | C:\\Users\\user\\c.exe"});
  EXPECT_TRUE(w().lst_V.items[0].marked);
}

TEST_F(ComputerDeleteEntries, ToolMissingAtTheFirstLine) {
  file("c.exe");
  file("a.exe");
  value("C", "C:\\Users\\user\\c.exe");
  uint32_t a = f.proc.start("a.exe");
  open();
  scan();
  mark(w().lst_V, {0});
  // The tool goes away once it has been started for the listed program.
  f.proc.onRun = [&](const std::string&, const std::string&) { f.fs.remove("C:\\Kestrive\\pskill.exe"); };
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from), (std::vector<Step>{kAsk, ToolRun(a), kToolMissing}));
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
  ASSERT_TRUE(Texts(w().lst_P).empty());
  mark(w().lst_V, {0});
  f.fs.remove("C:\\Kestrive\\pskill.exe");
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from), (std::vector<Step>{kAsk, kToolMissing}));
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
  EXPECT_EQ(events(from), (std::vector<Step>{kAsk, "yield", SetAttr(Profile + "\\c.exe"), Del(Profile + "\\c.exe"),
                                             DelValue("C"), "restore", "yield", kToolMissing}));
  // Stopped before the rescan: the list still shows both lines.
  EXPECT_EQ(Texts(w().lst_V).size(), 2u);
  EXPECT_TRUE(f.fs.has(Profile + "\\d.exe"));
}

TEST_F(ComputerDeleteEntries, TwoLinesForOneValue) {
  file("a.exe");
  file("ba.exe");
  value("V", "C:\\Users\\user\\ba.exe");
  open();
  scan();
  ASSERT_EQ(Texts(w().lst_V).size(), 2u);
  app.click("frm_c", "btn_c_ma");
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  const std::string path = Profile + "\\ba.exe";
  EXPECT_EQ(events(from),
            (std::vector<Step>{// a.exe only appears inside the path: the value starts ba.exe, not a.exe.
                               kAsk, "yield", DelValue("V"), "restore", "yield", "yield", SetAttr(path), Del(path),
                               DelValue("V"), "restore", "yield", kComplete}));
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
    w.lst_V.items[0].marked = true;
    size_t from = m.f.log.size();
    m.app.click("frm_c", "btn_d");
    const std::string want = c.deleted;
    EXPECT_EQ(m.logSince(from, "delete "),
              want.empty() ? std::vector<std::string>{} : std::vector<std::string>{Del(want)});
    EXPECT_FALSE(m.f.reg.hasValue(HKCU, RunKey, "V"));
    EXPECT_EQ(m.lastBox(), kComplete);
    for (const char* kept : {"C:\\Users\\user\\AppData\\ax.exe", "C:\\Windows\\notepad.exe", "C:\\Kestrive\\x.exe",
                             "C:\\Users\\user\\AppData\\x.exe.bat"})
      EXPECT_TRUE(m.f.fs.has(kept)) << kept;
  }
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
  ASSERT_EQ(Texts(w().lst_V), (std::vector<std::string>{"x.exe | A | B | C:\\Users\\user\\x.exe",
                                                        "x.exe | N | C:\\Users\\user\\notes.txt | x.exe"}));
  app.click("frm_c", "btn_c_ma");
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  const std::string path = Profile + "\\x.exe";
  // The second value starts "notes.txt | x.exe", a file of another name.
  EXPECT_EQ(events(from), (std::vector<Step>{kAsk, "yield", SetAttr(path), Del(path), DelValue("A | B"), "restore",
                                             "yield", "yield", DelValue("N"), "restore", "yield", kComplete}));
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
  w().lst_V.items[0].text = "x.exe | W | C:\\Users\\user\\x.exe | more";
  mark(w().lst_V, {0});
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  const std::string path = Profile + "\\x.exe";
  EXPECT_EQ(events(from),
            (std::vector<Step>{kAsk, "yield", SetAttr(path), Del(path), DelValue("W"), "restore", "yield", kComplete}));
}

TEST_F(ComputerDeleteEntries, UnnamedValueIsRemovedByItsRealName) {
  file("v.exe");
  file("w.exe");
  value("", "C:\\Users\\user\\v.exe");
  value("[Default]", "C:\\Users\\user\\w.exe");
  open();
  scan();
  ASSERT_EQ(Texts(w().lst_V), (std::vector<std::string>{"v.exe | [Default] | C:\\Users\\user\\v.exe",
                                                        "w.exe | [Default] | C:\\Users\\user\\w.exe"}));
  mark(w().lst_V, {0});
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from), (std::vector<Step>{kAsk, "yield", SetAttr(Profile + "\\v.exe"), Del(Profile + "\\v.exe"),
                                             DelValue(""), "restore", "yield", kLeft}));
  EXPECT_EQ(f.reg.valueNames(HKCU, RunKey), std::vector<std::string>{"[Default]"});
  EXPECT_EQ(Texts(w().lst_V), std::vector<std::string>{"w.exe | [Default] | C:\\Users\\user\\w.exe"});

  mark(w().lst_V, {0});
  from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(events(from), (std::vector<Step>{kAsk, "yield", SetAttr(Profile + "\\w.exe"), Del(Profile + "\\w.exe"),
                                             DelValue("[Default]"), "restore", "yield", kComplete}));
  EXPECT_TRUE(f.reg.valueNames(HKCU, RunKey).empty());
}

TEST_F(ComputerDeleteEntries, FileThatStaysEndsInSafeModeAfterABoundedRetry) {
  file("c.exe");
  value("C", "C:\\Users\\user\\c.exe");
  open();
  scan();
  mark(w().lst_V, {0});
  f.fs.lock(Profile + "\\c.exe");
  f.clock.step = 1;  // attempts, not time, run out
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  std::vector<Step> got = events(from);
  int deletes = 0;
  for (const Step& e : got) deletes += e == Del(Profile + "\\c.exe") ? 1 : 0;
  EXPECT_EQ(deletes, 1 + kDeleteRetryAttempts);
  ASSERT_GE(got.size(), 4u);
  EXPECT_EQ(std::vector<Step>(got.end() - 4, got.end()),
            (std::vector<Step>{DelValue("C"), "restore", "yield", kSafeMode}));
  EXPECT_FALSE(f.reg.hasValue(HKCU, RunKey, "C"));
  // No rescan: the line stays.
  EXPECT_EQ(Texts(w().lst_V).size(), 1u);
}

TEST_F(ComputerDeleteEntries, RetryAlsoEndsOnTime) {
  f.fs.addFile(Profile + "\\c.exe");
  f.fs.lock(Profile + "\\c.exe");
  f.clock.step = 1000;
  size_t from = f.log.size();
  EXPECT_FALSE(RetryDeleteWhileExists(f.platform, Profile + "\\c.exe"));
  int deletes = 0;
  for (const Step& e : events(from)) deletes += e.text.rfind("delete ", 0) == 0 ? 1 : 0;
  EXPECT_EQ(deletes, static_cast<int>(kDeleteRetryMs / 1000) - 1);
}

TEST_F(ComputerDeleteEntries, RetryEndsTheProgramAgainUntilTheFileGoes) {
  file("c.exe");
  value("C", "C:\\Users\\user\\c.exe");
  uint32_t pid = f.proc.start("c.exe");
  open();
  scan();
  mark(w().lst_V, {0});
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
  EXPECT_EQ(events(from), (std::vector<Step>{kAsk, ToolRun(pid), ToolRun(pid), "yield", SetAttr(path), Del(path),
                                             SetAttr(path), Del(path), ToolRun(pid), SetAttr(path), Del(path),
                                             DelValue("C"), "restore", "yield", kComplete}));
}

TEST_F(ComputerDeleteEntries, LinesLeftAfterTheRescan) {
  file("c.exe");
  file("d.exe");
  value("C", "C:\\Users\\user\\c.exe");
  value("D", "C:\\Users\\user\\d.exe");
  value("Gone", "C:\\Users\\user\\c.exe");
  open();
  scan();
  mark(w().lst_V, {0});
  // A value name that does not exist: the removal fails silently.
  w().lst_V.items[0].text = "c.exe | Missing | C:\\Users\\user\\c.exe";
  w().lst_V.items[0].data = "Missing";
  size_t from = f.log.size();
  app.click("frm_c", "btn_d");
  EXPECT_EQ(messages(from), (std::vector<Box>{kAsk, kLeft}));
  EXPECT_EQ(Texts(w().lst_V), std::vector<std::string>{"d.exe | D | C:\\Users\\user\\d.exe"});
}

// ---- deleting profile executables ------------------------------------------------

TEST_F(ComputerDeleteFiles, AdjacentMarkedEntriesAreEachDeletedOnce) {
  file("a.exe");
  file("b.exe");
  file("c.exe");
  value("A", "C:\\Users\\user\\a.exe");
  uint32_t a = f.proc.start("a.exe");
  open();
  scan();
  auto linesBefore = Texts(w().lst_V);
  mark(w().lst_P, {0, 1});
  size_t from = f.log.size();
  app.click("frm_c", "btn_Ed");
  EXPECT_EQ(events(from),
            (std::vector<Step>{kAsk, ToolRun(a), "yield", SetAttr(Profile + "\\a.exe"), Del(Profile + "\\a.exe"),
                               "yield", SetAttr(Profile + "\\b.exe"), Del(Profile + "\\b.exe"), kLeft}));
  EXPECT_EQ(Texts(w().lst_P), std::vector<std::string>{"c.exe"});
  // Neither the Run key nor the entry list is touched.
  EXPECT_TRUE(f.reg.hasValue(HKCU, RunKey, "A"));
  EXPECT_EQ(Texts(w().lst_V), linesBefore);
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
  EXPECT_EQ(events(from), (std::vector<Step>{kAsk, "yield", SetAttr(Profile + "\\game.exe"),
                                             Del(Profile + "\\game.exe"), InUse(Profile + "\\game.exe"), "yield",
                                             SetAttr(Profile + "\\x.exe"), Del(Profile + "\\x.exe"), kLeft}));
  EXPECT_EQ(Texts(w().lst_P), std::vector<std::string>{"game.exe"});
}

TEST_F(ComputerDeleteFiles, FileVanishedBeforeDeletionPassesQuietly) {
  file("x.exe");
  open();
  scan();
  mark(w().lst_P, {0});
  f.fs.remove(Profile + "\\x.exe");
  size_t from = f.log.size();
  app.click("frm_c", "btn_Ed");
  EXPECT_EQ(messages(from), (std::vector<Box>{kAsk, kComplete}));
  EXPECT_TRUE(Texts(w().lst_P).empty());
  tick();
  for (const Control* b : {&w().btn_Esa, &w().btn_Edsa, &w().btn_Ed}) EXPECT_FALSE(b->enabled) << b->name;
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
  EXPECT_EQ(events(from),
            (std::vector<Step>{kAsk, "yield", SetAttr(Profile + "\\a.exe"), Del(Profile + "\\a.exe"), kToolMissing}));
  EXPECT_EQ(f.fs.listings, listings);
  EXPECT_EQ(Texts(w().lst_P), std::vector<std::string>{"b.exe"});
  EXPECT_TRUE(f.fs.has(Profile + "\\b.exe"));
}

TEST_F(ComputerDeleteFiles, NothingMarkedOrNo) {
  file("a.exe");
  open();
  scan();
  size_t from = f.log.size();
  app.click("frm_c", "btn_Ed");
  EXPECT_EQ(events(from), std::vector<Step>{Information("Please select file to delete!")});
  mark(w().lst_P, {0});
  f.ui.answers = {mb::IdNo};
  from = f.log.size();
  app.click("frm_c", "btn_Ed");
  EXPECT_EQ(events(from), std::vector<Step>{kAsk});
  EXPECT_TRUE(f.fs.has(Profile + "\\a.exe"));
}

// Between the scan and Delete the profile folder can no longer be found (or
// the file will not go): a rescan would list nothing and look clean, so
// neither Delete may call it complete.
struct LostCase {
  const char* name;
  const char* button;
  bool lines;  // marked in lst_V, else in lst_P
  bool lock;   // the file stays; otherwise the folder is lost
  std::vector<Box> shown;
};

TEST(ComputerNoFalseSuccess, LeftWhateverTheRescanShows) {
  const std::string x = Profile + "\\x.exe";
  const std::vector<LostCase> cases = {
      {"line, folder lost", "btn_d", true, false, {kAsk, kLeft}},
      {"line, file stays", "btn_d", true, true, {kAsk, kSafeMode}},
      {"file, folder lost", "btn_Ed", false, false, {kAsk, InUse("x.exe"), kLeft}},
      {"file, file stays", "btn_Ed", false, true, {kAsk, InUse(x), kLeft}},
  };
  for (const LostCase& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh m;
    m.file(x);
    m.value("X", x);
    FrmC& w = m.scan();
    (c.lines ? w.lst_V : w.lst_P).items.at(0).marked = true;
    if (c.lock) {
      m.f.fs.lock(x);
    } else {
      m.f.env.profile = "";
    }
    size_t from = m.boxCount();
    m.app.click("frm_c", c.button);
    EXPECT_EQ(m.boxesSince(from), c.shown);
  }
}

}  // namespace
