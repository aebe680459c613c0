// Pen Drive deletion: each button's checks, the walk from the last entry, what is left, names deleted exactly.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "removable/frm_rd.h"
#include "removable/root_entries.h"
#include "shell/texts.h"
#include "tests/native/removable_fixture.h"

using namespace kestrive;
using namespace kestrive::test;

TEST(RemovableDelete, ChecksComeInEachButtonsOrder) {
  struct Case {
    const char* name;
    bool virusList;  // btn_d2 on lst_dir_2, else btn_del on lst_dir
    bool device;
    int chkAD;
    std::vector<int> marks;
    int answer;
    std::vector<Box> shown;
    std::vector<std::string> left;  // of the list's names, still on the drive
  };
  const Box confirm = Question(msg::ConfirmDelete);
  const std::vector<Case> cases = {
      {"virus, automatic, nothing marked",
       true,
       true,
       1,
       {},
       mb::IdYes,
       {confirm, Information(msg::DeleteComplete)},
       {}},
      {"virus, automatic ignores marks",
       true,
       true,
       1,
       {1},
       mb::IdYes,
       {confirm, Information(msg::DeleteComplete)},
       {}},
      {"virus, marked mode, nothing marked",
       true,
       true,
       0,
       {},
       mb::IdYes,
       {confirm, Information(msg::SelectFile)},
       kViruses},
      {"virus, marked mode, two marked",
       true,
       true,
       0,
       {0, 2},
       mb::IdYes,
       {confirm, Information(msg::DeleteLeftRemovable)},
       {"b.lnk"}},
      {"virus, no device", true, false, 1, {}, mb::IdYes, {Information(msg::SelectDevice)}, kViruses},
      {"virus, no device, marked mode", true, false, 0, {}, mb::IdYes, {Information(msg::SelectDevice)}, kViruses},
      {"virus, answered No", true, true, 1, {}, mb::IdNo, {confirm}, kViruses},
      {"exe, nothing marked", false, true, 1, {}, mb::IdYes, {Information(msg::SelectFile)}, kExecutables},
      {"exe, nothing marked, no device", false, false, 1, {}, mb::IdYes, {Information(msg::SelectFile)}, kExecutables},
      {"exe, marked, no device", false, false, 1, {0}, mb::IdYes, {Information(msg::SelectDevice)}, kExecutables},
      {"exe, answered No", false, true, 1, {0, 1}, mb::IdNo, {confirm}, kExecutables},
      {"exe, one marked",
       false,
       true,
       1,
       {1},
       mb::IdYes,
       {confirm, Information(msg::DeleteLeftRemovable)},
       {"x.exe", "z.exe"}},
      {"exe, all marked", false, true, 0, {0, 1, 2}, mb::IdYes, {confirm, Information(msg::DeleteComplete)}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScannedDrive m;
    FrmRd& rd = m.rd();
    // No device shown beside listed entries: the window never gets there
    // itself (Refresh and a new device empty the lists), but the check stays.
    if (!c.device) rd.cmb_rd.listIndex = -1;
    rd.chkAD.value = c.chkAD;
    Control& list = c.virusList ? rd.lst_dir_2 : rd.lst_dir;
    for (int i : c.marks) list.items[i].marked = true;
    const std::vector<std::string>& names = c.virusList ? kViruses : kExecutables;
    const std::vector<std::string> before = Texts(list);
    m.f.ui.answers = {c.answer};
    size_t boxes = m.boxCount();
    size_t log = m.logSize();

    if (c.virusList)
      rd.btn_d2_Click();
    else
      rd.btn_del_Click();

    EXPECT_EQ(m.boxesSince(boxes), c.shown);
    EXPECT_EQ(m.left(names), c.left);
    if (c.left == names) {
      EXPECT_EQ(m.logSince(log, "delete"), std::vector<std::string>{});
      EXPECT_EQ(m.logSince(log, "setattr"), std::vector<std::string>{});
      EXPECT_EQ(Texts(list), before);
    } else {
      EXPECT_EQ(Texts(list), c.left);
    }
    // The other list is never touched.
    EXPECT_EQ(m.left(c.virusList ? kExecutables : kViruses), c.virusList ? kExecutables : kViruses);
    if (!c.shown.empty() && c.shown.back() == Information(msg::DeleteComplete)) {
      const std::vector<Control*> buttons = c.virusList
                                                ? std::vector<Control*>{&rd.btn_d2, &rd.btn_s2, &rd.btn_ds2}
                                                : std::vector<Control*>{&rd.btn_del, &rd.btn_dir_sa, &rd.btn_dir_usa};
      for (const Control* b : buttons) EXPECT_FALSE(b->enabled) << b->name;
    }
  }
}

TEST(RemovableDelete, WalksFromTheLastEntryToTheFirst) {
  ScannedDrive m;
  size_t log = m.logSize();
  m.rd().btn_d2_Click();
  EXPECT_EQ(m.logSince(log, "delete"),
            (std::vector<std::string>{"delete E:\\c.lnk", "delete E:\\b.lnk", "delete E:\\a.lnk"}));
  EXPECT_EQ(m.logSince(log, "setattr"),
            (std::vector<std::string>{"setattr E:\\c.lnk 128", "setattr E:\\b.lnk 128", "setattr E:\\a.lnk 128"}));
}

// Looking up a deleted name on its own costs a walk of the whole root under
// Wine; the deleted entries are judged by one listing between the boxes.
TEST(RemovableDelete, OneListingJudgesWhatWentBetweenTheBoxes) {
  PenDrive m;
  std::vector<RootEntry> entries;
  for (int i = 0; i < 200; ++i) {
    std::string number = std::to_string(i);
    entries.push_back({"w" + std::string(3 - number.size(), '0') + number + ".lnk"});
  }
  m.put("E:\\", entries);
  m.open();
  m.scan("E:\\");
  m.f.fs.lock("E:\\w150.lnk");
  m.f.fs.lock("E:\\w020.lnk");
  m.tick();
  size_t boxes = m.boxCount();
  size_t log = m.logSize();
  const int lookups = m.f.fs.lookups;
  m.app.click("frm_rd", "btn_d2");
  EXPECT_EQ(m.boxesSince(boxes),
            (std::vector<Box>{Question(msg::ConfirmDelete),
                              Error("Cannot delete file 'E:\\w150.lnk' because file is being used."),
                              Error("Cannot delete file 'E:\\w020.lnk' because file is being used."),
                              Information(msg::DeleteLeftRemovable)}));
  // Those above each box, then the rest: never one lookup per entry.
  EXPECT_EQ(m.logSince(log, "gone"), (std::vector<std::string>{"gone E:\\ 49", "gone E:\\ 129", "gone E:\\ 20"}));
  EXPECT_EQ(m.f.fs.lookups - lookups, 2);
  EXPECT_EQ(m.logSince(log, "delete").size(), 200u);
  EXPECT_EQ(m.f.fs.namesIn("E:\\"), (std::vector<std::string>{"w020.lnk", "w150.lnk"}));
  EXPECT_EQ(m.viruses(), (std::vector<std::string>{"w020.lnk", "w150.lnk"}));
}

TEST(RemovableDelete, HiddenSystemReadOnlyEntryIsDeleted) {
  PenDrive m;
  m.put("E:\\", {{"evil.lnk", false, attr::ReadOnly | attr::Hidden | attr::System}});
  m.open();
  m.scan("E:\\");
  // The scan already cleared it; the virus may set the bits again meanwhile.
  m.f.fs.setAttributes("E:\\evil.lnk", attr::ReadOnly | attr::Hidden | attr::System);
  m.app.tick("frm_rd", "T1");
  m.app.click("frm_rd", "btn_d2");
  EXPECT_FALSE(m.f.fs.has("E:\\evil.lnk"));
  EXPECT_EQ(m.lastBox(), Information(msg::DeleteComplete));
}

TEST(RemovableDelete, SurvivorIsReportedInUseWithItsFullPath) {
  struct Case {
    const char* name;
    RootEntry entry;
    std::function<void(fake::FakeFs&)> block;
    uint32_t attributesAfter;
  };
  const std::vector<Case> cases = {
      {"file open in another program", {"autorun.inf"}, [](fake::FakeFs& fs) { fs.lock("E:\\autorun.inf"); }, 0},
      {"folder with a marker",
       {"backup.com", true, attr::Hidden | attr::System},
       [](fake::FakeFs&) {},
       attr::Directory},
      {"name outside the code page", {"Ünïcode.inf"}, [](fake::FakeFs& fs) { fs.lock("E:\\Ünïcode.inf"); }, 0},
      {"write-protected medium",
       {"ro.lnk", false, attr::Hidden},
       [](fake::FakeFs& fs) { fs.setReadOnlyMedium("E:\\"); },
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PenDrive m;
    m.put("E:\\", {{"first.lnk"}, c.entry, {"last.vbs"}});
    FrmRd& rd = m.open();
    m.scan("E:\\");
    // The virus hides the folder again after the scan.
    if (c.entry.folder) m.f.fs.setAttributes("E:\\" + c.entry.name, c.entry.attributes);
    c.block(m.f.fs);
    size_t boxes = m.boxCount();
    m.tick();
    m.app.click("frm_rd", "btn_d2");

    const std::string path = "E:\\" + c.entry.name;
    std::vector<Box> shown{Question(msg::ConfirmDelete)};
    const bool mediumLocked = std::string(c.name) == "write-protected medium";
    if (mediumLocked) shown.push_back(Error("Cannot delete file 'E:\\last.vbs' because file is being used."));
    shown.push_back(Error("Cannot delete file '" + path + "' because file is being used."));
    if (mediumLocked) shown.push_back(Error("Cannot delete file 'E:\\first.lnk' because file is being used."));
    shown.push_back(Information(msg::DeleteLeftRemovable));
    EXPECT_EQ(m.boxesSince(boxes), shown);
    EXPECT_TRUE(m.f.fs.has(path));
    EXPECT_EQ(m.f.fs.attrsOf(path), c.attributesAfter);
    if (mediumLocked) {
      EXPECT_EQ(m.viruses(), (std::vector<std::string>{"first.lnk", "ro.lnk", "last.vbs"}));
    } else {
      EXPECT_EQ(m.viruses(), std::vector<std::string>{c.entry.name});
      EXPECT_FALSE(m.f.fs.has("E:\\first.lnk"));
      EXPECT_FALSE(m.f.fs.has("E:\\last.vbs"));
    }
    EXPECT_TRUE(rd.loaded());
  }
}

namespace {

// Reports every deletion as done and deletes nothing; anything else it
// leaves to the fake.
class LyingDeleteFs : public FileSystem {
 public:
  explicit LyingDeleteFs(fake::FakeFs& fs) : fs_(fs) {}
  bool setAttributes(const std::string& p, uint32_t a) override { return fs_.setAttributes(p, a); }
  std::optional<uint32_t> attributes(const std::string& p) override { return fs_.attributes(p); }
  bool deleteFile(const std::string&) override { return true; }
  bool deleteAsNormal(const std::string& p) override {
    fs_.setAttributes(p, attr::Normal);
    return true;
  }
  bool exists(const std::string& p) override { return fs_.exists(p); }
  std::vector<bool> gone(const std::string& f, const std::vector<std::string>& n) override { return fs_.gone(f, n); }
  bool driveReady(const std::string& r) override { return fs_.driveReady(r); }
  std::unique_ptr<DirListing> list(const std::string& pattern, uint32_t mask) override {
    return fs_.list(pattern, mask);
  }
  std::optional<std::vector<uint8_t>> readFile(const std::string& p, size_t max) override {
    return fs_.readFile(p, max);
  }
  std::optional<std::vector<uint8_t>> readAndSetAttributes(const std::string& p, size_t max, uint32_t a) override {
    return fs_.readAndSetAttributes(p, max, a);
  }
  bool moveNoReplace(const std::string& from, const std::string& to) override { return fs_.moveNoReplace(from, to); }
  bool removeEmptyFolder(const std::string&) override { return true; }

 private:
  fake::FakeFs& fs_;
};

}  // namespace

TEST(RemovableDelete, SuccessIsJudgedByThePathBeingGoneNotByTheCall) {
  fake::FakePlatform f;
  LyingDeleteFs fs{f.fs};
  Platform platform{fs, f.reg, f.proc, f.ui, f.clock, f.env, f.host};
  Kestrive app{platform};
  f.fs.addFile("E:\\a.lnk");
  app.start();
  app.click("frm_first", "btn_rd");
  FrmRd& rd = *app.find<FrmRd>("frm_rd");
  rd.cmb_rd.listIndex = 0;
  rd.btn_scan_Click();
  size_t boxes = f.ui.boxes.size();
  rd.btn_d2_Click();
  EXPECT_EQ(BoxesSince(f, boxes), (std::vector<Box>{Question(msg::ConfirmDelete),
                                                    Error("Cannot delete file 'E:\\a.lnk' because file is being used."),
                                                    Information(msg::DeleteLeftRemovable)}));
  ASSERT_EQ(rd.lst_dir_2.items.size(), 1u);
}

TEST(RemovableDelete, NamesOutsideTheCodePageAndOddSpacingAreDeletedExactly) {
  PenDrive m;
  const std::vector<std::string> names = {"Фото.lnk",  "照片.scr",   "😀.vbs",     "ОТЧЁТ.INF",
                                          " lead.lnk", "trail.lnk ", "dots.lnk.."};
  for (const std::string& n : names) m.f.fs.addFile("E:\\" + n, attr::Hidden | attr::System | attr::ReadOnly);
  m.f.fs.addFile("E:\\файл.exe", attr::Hidden);
  FrmRd& rd = m.open();
  m.scan("E:\\");
  ASSERT_EQ(m.viruses(), names);
  ASSERT_EQ(m.executables(), std::vector<std::string>{"файл.exe"});
  // Twins that a trimmed name would hit instead.
  const std::vector<std::string> twins = {"lead.lnk", "trail.lnk", "dots.lnk"};
  for (const std::string& n : twins) m.f.fs.addFile("E:\\" + n);
  m.tick();
  size_t log = m.logSize();
  m.app.click("frm_rd", "btn_d2");
  for (const std::string& n : names) EXPECT_FALSE(m.f.fs.has("E:\\" + n)) << n;
  for (const std::string& n : twins) EXPECT_TRUE(m.f.fs.has("E:\\" + n)) << n;
  EXPECT_EQ(m.logSince(log, "delete E:\\trail.lnk "), std::vector<std::string>{"delete E:\\trail.lnk "});
  EXPECT_EQ(m.viruses(), twins);
  EXPECT_EQ(m.lastBox(), Information(msg::DeleteLeftRemovable));

  rd.lst_dir.items[0].marked = true;
  m.tick();
  m.app.click("frm_rd", "btn_del");
  EXPECT_FALSE(m.f.fs.has("E:\\файл.exe"));
  EXPECT_EQ(m.lastBox(), Information(msg::DeleteComplete));
}

TEST(RemovableDelete, RebuildMovesAnExeShortcutIntoTheVirusList) {
  PenDrive m;
  m.put("E:\\", {{"autorun.inf"}, {"holiday.exe.lnk"}});
  FrmRd& rd = m.open();
  m.scan("E:\\");
  ASSERT_EQ(m.executables(), std::vector<std::string>{"holiday.exe.lnk"});
  ASSERT_EQ(m.viruses(), std::vector<std::string>{"autorun.inf"});
  m.tick();
  size_t boxes = m.boxCount();
  m.app.click("frm_rd", "btn_d2");
  EXPECT_FALSE(m.f.fs.has("E:\\autorun.inf"));
  EXPECT_TRUE(m.f.fs.has("E:\\holiday.exe.lnk"));
  EXPECT_EQ(m.viruses(), std::vector<std::string>{"holiday.exe.lnk"});
  EXPECT_EQ(m.executables(), std::vector<std::string>{"holiday.exe.lnk"});
  EXPECT_EQ(m.boxesSince(boxes),
            (std::vector<Box>{Question(msg::ConfirmDelete), Information(msg::DeleteLeftRemovable)}));
  EXPECT_TRUE(rd.btn_d2.enabled);
}

// Names listed from E:\ are deleted on E:\ or nowhere: choosing F:\ empties
// the lists, and Delete then works on what that drive itself holds.
TEST(RemovableDelete, NamesAreNeverDeletedOnAnotherDevice) {
  PenDrive m;
  m.put("E:\\", {{"a.lnk"}, {"b.lnk"}, {"x.exe"}});
  m.put("F:\\", {{"a.lnk"}, {"x.exe"}, {"keep.txt"}});
  FrmRd& rd = m.open();
  m.scan("E:\\");
  ASSERT_FALSE(m.viruses().empty());
  m.choose("E:\\");  // the same device again keeps them
  EXPECT_EQ(m.viruses().size(), 2u);
  m.choose("F:\\");
  EXPECT_TRUE(m.executables().empty());
  EXPECT_TRUE(m.viruses().empty());
  size_t log = m.logSize();
  rd.btn_d2_Click();  // straight to the handlers, whatever the buttons show
  rd.btn_del_Click();
  EXPECT_EQ(m.logSince(log, "delete"), std::vector<std::string>{});
  for (const char* path : {"E:\\a.lnk", "E:\\b.lnk", "E:\\x.exe", "F:\\a.lnk", "F:\\x.exe", "F:\\keep.txt"})
    EXPECT_TRUE(m.f.fs.has(path)) << path;
  // What Delete rebuilt is F:\'s own.
  EXPECT_EQ(m.viruses(), std::vector<std::string>{"a.lnk"});

  // A selection that changes without the event still never reaches F:\.
  m.scan("E:\\");
  Control& cmb = rd.cmb_rd;
  for (size_t i = 0; i < cmb.items.size(); ++i)
    if (cmb.items[i].text == "F:\\") cmb.listIndex = static_cast<int>(i);
  log = m.logSize();
  rd.btn_d2_Click();
  EXPECT_EQ(m.logSince(log, "delete"), std::vector<std::string>{});
  EXPECT_TRUE(m.f.fs.has("F:\\a.lnk"));
}

TEST(RemovableDelete, ListingFailingDuringTheRebuildStillReportsByContents) {
  PenDrive m;
  m.put("E:\\", {{"a.lnk"}, {"b.lnk"}, {"c.lnk"}});
  m.f.fs.lock("E:\\a.lnk");
  m.f.fs.lock("E:\\b.lnk");
  m.open();
  m.scan("E:\\");
  m.f.fs.failListingAfter("E:\\", 1);
  size_t boxes = m.boxCount();
  m.tick();
  m.app.click("frm_rd", "btn_d2");
  EXPECT_EQ(m.viruses(), std::vector<std::string>{"a.lnk"});
  EXPECT_EQ(m.boxesSince(boxes).back(), Information(msg::DeleteLeftRemovable));

  // The drive pulled out before the deletion: nothing is deleted, so the
  // entry stays listed and is reported, though its path is gone with the drive.
  m.f.fs.lock("E:\\a.lnk", false);
  m.f.fs.setDriveReady("E:\\", false);
  m.tick();
  boxes = m.boxCount();
  m.app.click("frm_rd", "btn_d2");
  EXPECT_EQ(m.viruses(), std::vector<std::string>{"a.lnk"});
  EXPECT_EQ(m.boxesSince(boxes), (std::vector<Box>{Question(msg::ConfirmDelete),
                                                   Error("Cannot delete file 'E:\\a.lnk' because file is being used."),
                                                   Information(msg::DeleteLeftRemovable)}));
}

TEST(RemovableDelete, TypicalRequestFromPenDriveToDeleteComplete) {
  PenDrive m;
  m.put("E:\\", {{"autorun.inf", false, attr::Hidden | attr::System},
                 {"Photos", true, attr::Hidden | attr::System},
                 {"Photos.lnk"},
                 {"System Volume Information", true, attr::Hidden | attr::System}});
  m.open();
  m.scan("E:\\");
  m.tick();
  m.app.click("frm_rd", "btn_d2");
  EXPECT_EQ(m.boxesSince(0), (std::vector<Box>{Question(msg::ConfirmScan), Information(msg::ScanFound),
                                               Question(msg::ConfirmDelete), Information(msg::DeleteComplete)}));
  EXPECT_EQ(m.f.fs.namesIn("E:\\"), (std::vector<std::string>{"Photos", "System Volume Information"}));
  EXPECT_EQ(m.f.fs.attrsOf("E:\\Photos"), attr::Directory);
  m.tick();
  EXPECT_FALSE(m.rd().btn_d2.enabled);
  m.app.click("frm_rd", "btn_x");
  EXPECT_EQ(m.app.find("frm_rd"), nullptr);
}
