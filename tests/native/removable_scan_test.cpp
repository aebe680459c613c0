// Pen Drive scan: which root entries go to which list, the attributes it fixes, rebuilds, failing listings.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "removable/frm_rd.h"
#include "removable/root_entries.h"
#include "shell/texts.h"
#include "tests/native/removable_fixture.h"

using namespace kestrive;
using namespace kestrive::test;

// ---- scan and classification ----------------------------------------------

TEST(RemovableScan, ClassifiesRootEntriesAndFixesTheirAttributes) {
  const uint32_t HS = attr::Hidden | attr::System;
  struct Case {
    const char* name;
    std::vector<RootEntry> root;
    std::vector<std::string> executables;
    std::vector<std::string> viruses;
    std::set<std::string> hiddenAfter;  // root entries that end hidden and system
    const char* message;
  };
  const std::vector<Case> cases = {
      {"typical infection",
       {{"autorun.inf", false, attr::Archive | HS},
        {"Photos.lnk"},
        {"Photos", true, HS},
        {"Photos\\inner.lnk", false, attr::Hidden},
        {"setup.exe"},
        {"run.vbs", false, attr::ReadOnly | attr::Hidden},
        {"System Volume Information", true, HS}},
       {"setup.exe"},
       {"autorun.inf", "Photos.lnk", "run.vbs"},
       {"System Volume Information"},
       msg::ScanFound},
      {"the .exe rule comes first",
       {{"holiday.exe.lnk"}, {"SETUP.EXE.scr"}, {"ok.txt"}},
       {"holiday.exe.lnk", "SETUP.EXE.scr"},
       {},
       {},
       msg::ScanFound},
      {"markers match anywhere in the name, ignoring case",
       {{"readme.info"},
        {"Setup.INF.bak"},
        {"report.comments.txt"},
        {"report.comments", true},
        {"notes.batch"},
        {"x.PIF"},
        {"go.cmd"},
        {"a.scr"},
        {"lnk"},
        {"info.txt"}},
       {},
       {"readme.info", "Setup.INF.bak", "report.comments.txt", "report.comments", "notes.batch", "x.PIF", "go.cmd",
        "a.scr"},
       {},
       msg::ScanFound},
      {"folders with markers are listed like files",
       {{"backup.com", true, HS}, {"Music.lnk", true}, {"Music", true, HS}},
       {},
       {"backup.com", "Music.lnk"},
       {},
       msg::ScanFound},
      {"protected names in any case, and near misses",
       {{"$RECYCLE.BIN", true, HS},
        {"DESKTOP.INI", false, attr::ReadOnly | attr::Archive},
        {"Folder Settings", true},
        {"recycler", true, attr::Hidden},
        {"config.msi", true},
        {"System Volume Information", true, HS},
        {"desktop.ini.lnk", false, HS},
        {"desktop.ini.bak", false, HS},
        {"RECYCLER2", true, HS}},
       {},
       {"desktop.ini.lnk"},
       {"$RECYCLE.BIN", "DESKTOP.INI", "Folder Settings", "recycler", "config.msi", "System Volume Information"},
       msg::ScanFound},
      {"own executable in another case is unhidden and not listed",
       {{"KESTRIVE.EXE", false, attr::ReadOnly | HS}, {"kestrive2.exe"}, {"kestrive.exe.lnk"}},
       {"kestrive2.exe", "kestrive.exe.lnk"},
       {},
       {},
       msg::ScanFound},
      {"only the own executable", {{"kestrive.exe", false, HS}}, {}, {}, {}, msg::ScanClean},
      {"empty root", {}, {}, {}, {}, msg::ScanClean},
      {"nothing suspicious",
       {{"Photos", true, HS}, {"readme.txt", false, attr::Hidden}, {"Photos\\a.txt", false, attr::Hidden}},
       {},
       {},
       {},
       msg::ScanClean},
      {"names outside the 8-bit code page",
       {{"Фото.lnk", false, HS},
        {"Фото", true, HS},
        {"照片.exe", false, attr::Hidden},
        {"😀party.vbs"},
        {"ОТЧЁТ.INF"},
        {"Ünïcode.SCR"},
        {"файл.txt", false, HS},
        {"DESKTOP.INI", false, attr::Archive}},
       {"照片.exe"},
       {"Фото.lnk", "😀party.vbs", "ОТЧЁТ.INF", "Ünïcode.SCR"},
       {"DESKTOP.INI"},
       msg::ScanFound},
      {"names are used exactly as listed",
       {{" lead.lnk", false, attr::Hidden},
        {"trail.lnk ", false, attr::Hidden},
        {"dots.lnk..", false, attr::Hidden},
        {"two  spaces.exe", false, attr::Hidden},
        {"plain ", true, HS}},
       {"two  spaces.exe"},
       {" lead.lnk", "trail.lnk ", "dots.lnk.."},
       {},
       msg::ScanFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PenDrive m;
    m.put("E:\\", c.root);
    FrmRd& rd = m.open();
    m.choose("E:\\");
    size_t boxes = m.boxCount();
    size_t log = m.logSize();
    m.app.click("frm_rd", "btn_scan");

    EXPECT_EQ(m.executables(), c.executables);
    EXPECT_EQ(m.viruses(), c.viruses);
    EXPECT_EQ(m.boxesSince(boxes), (std::vector<Box>{Question(msg::ConfirmScan), Information(c.message)}));
    EXPECT_TRUE(rd.btn_r.enabled);
    EXPECT_TRUE(rd.btn_r_dir2.enabled);
    EXPECT_EQ(m.logSince(log, "delete"), std::vector<std::string>{});
    std::vector<std::string> setattr = m.logSince(log, "setattr");
    for (const RootEntry& e : c.root) {
      SCOPED_TRACE(e.name);
      const std::string path = "E:\\" + e.name;
      if (e.name.find('\\') != std::string::npos) {
        // Nothing below the root is read or changed.
        EXPECT_EQ(m.f.fs.attrsOf(path), BaseAttributes(e) | e.attributes);
        continue;
      }
      const bool hidden = c.hiddenAfter.count(e.name) != 0;
      EXPECT_EQ(m.f.fs.attrsOf(path), BaseAttributes(e) | (hidden ? attr::Hidden | attr::System : 0));
      std::vector<std::string> expected{"setattr " + path + " 128"};
      if (hidden) expected.push_back("setattr " + path + " 6");
      std::vector<std::string> got;
      for (const std::string& line : setattr)
        if (line == "setattr " + path + " 128" || line == "setattr " + path + " 6") got.push_back(line);
      EXPECT_EQ(got, expected);
    }
  }
}

TEST(RemovableScan, ChoosingNoTouchesNeitherDeviceNorLists) {
  PenDrive m;
  m.put("E:\\", {{"autorun.inf", false, attr::Hidden}, {"setup.exe"}});
  FrmRd& rd = m.open();
  m.choose("E:\\");
  m.f.ui.answers = {mb::IdNo};
  size_t log = m.logSize();
  m.app.click("frm_rd", "btn_scan");
  EXPECT_EQ(m.boxesSince(0), std::vector<Box>{Question(msg::ConfirmScan)});
  EXPECT_EQ(m.logSince(log, "setattr"), std::vector<std::string>{});
  EXPECT_EQ(m.logSince(log, "list"), std::vector<std::string>{});
  EXPECT_EQ(m.f.fs.attrsOf("E:\\autorun.inf"), attr::Hidden);
  EXPECT_TRUE(rd.lst_dir.items.empty());
  EXPECT_FALSE(rd.btn_r.enabled);
  EXPECT_FALSE(rd.btn_r_dir2.enabled);
}

TEST(RemovableScan, NoDeviceChosenAsksForOne) {
  PenDrive m;
  m.put("E:\\", {{"autorun.inf"}});
  FrmRd& rd = m.open();
  m.tick();
  EXPECT_FALSE(m.app.click("frm_rd", "btn_scan"));  // disabled by the timer
  rd.btn_scan_Click();
  EXPECT_EQ(m.boxesSince(0), std::vector<Box>{Information(msg::SelectDevice)});
  EXPECT_TRUE(rd.lst_dir_2.items.empty());
  EXPECT_FALSE(rd.btn_r.enabled);
}

TEST(RemovableScan, OwnExecutableIgnoresCaseInScanButNotInRebuild) {
  struct Case {
    std::string exeBase;
    std::string onDrive;
    bool listedByRebuild;
  };
  const std::vector<Case> cases = {
      {"kestrive", "kestrive.exe", false}, {"kestrive", "Kestrive.EXE", true}, {"Kestrive", "kestrive.exe", true},
      {"Kestrive", "Kestrive.exe", false}, {"Чистка", "ЧИСТКА.EXE", true},     {"Чистка", "Чистка.exe", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exeBase + " / " + c.onDrive);
    PenDrive m;
    m.f.env.exe = c.exeBase;
    m.put("E:\\", {{c.onDrive, false, attr::Hidden | attr::System}, {"other.exe"}});
    FrmRd& rd = m.open();
    m.scan("E:\\");
    EXPECT_EQ(m.executables(), std::vector<std::string>{"other.exe"});
    EXPECT_EQ(m.f.fs.attrsOf("E:\\" + c.onDrive), 0u);

    m.app.click("frm_rd", "btn_r");
    std::vector<std::string> expected{c.onDrive, "other.exe"};
    if (!c.listedByRebuild) expected = {"other.exe"};
    EXPECT_EQ(m.executables(), expected);
    (void)rd;
  }
}

TEST(RemovableScan, RebuildsApplyOnlyTheirOwnRuleAndChangeNothing) {
  PenDrive m;
  m.put("E:\\", {{"autorun.inf"}, {"holiday.exe.lnk"}, {"setup.exe"}, {"desktop.ini", false, attr::Hidden}});
  FrmRd& rd = m.open();
  m.scan("E:\\");
  ASSERT_EQ(m.executables(), (std::vector<std::string>{"holiday.exe.lnk", "setup.exe"}));
  ASSERT_EQ(m.viruses(), std::vector<std::string>{"autorun.inf"});
  m.f.fs.addFile("E:\\new.exe", attr::Hidden);
  m.f.fs.addFile("E:\\new.vbs", attr::Hidden);
  rd.lst_dir.items[0].marked = true;

  size_t boxes = m.boxCount();
  size_t log = m.logSize();
  m.app.click("frm_rd", "btn_r_dir2");
  EXPECT_EQ(m.viruses(), (std::vector<std::string>{"autorun.inf", "holiday.exe.lnk", "new.vbs"}));
  EXPECT_EQ(m.executables(), (std::vector<std::string>{"holiday.exe.lnk", "setup.exe"}));
  m.app.click("frm_rd", "btn_r");
  EXPECT_EQ(m.executables(), (std::vector<std::string>{"holiday.exe.lnk", "setup.exe", "new.exe"}));
  // A rebuilt list starts unmarked.
  EXPECT_EQ(rd.lst_dir.markedCount(), 0);
  EXPECT_EQ(m.boxCount(), boxes);
  EXPECT_EQ(m.logSince(log, "setattr"), std::vector<std::string>{});
  EXPECT_EQ(m.f.fs.attrsOf("E:\\new.exe"), attr::Hidden);
}

TEST(RemovableScan, RebuildWithoutDeviceListsNothing) {
  PenDrive m;
  m.put("E:\\", {{"autorun.inf"}, {"setup.exe"}});
  FrmRd& rd = m.open();
  m.scan("E:\\");
  m.app.click("frm_rd", "btn_rsd");
  size_t log = m.logSize();
  // Disabled now; called directly, it must not fall back to the working folder.
  rd.btn_r_Click();
  rd.btn_r_dir2_Click();
  EXPECT_TRUE(rd.lst_dir.items.empty());
  EXPECT_TRUE(rd.lst_dir_2.items.empty());
  EXPECT_EQ(m.logSince(log, "list"), std::vector<std::string>{});
}

TEST(RemovableScan, ListingThatFailsPartWayEndsTheScan) {
  struct Case {
    int namesBeforeFailure;
    std::vector<std::string> executables;
    std::vector<std::string> viruses;
    const char* message;
  };
  const std::vector<Case> cases = {
      {0, {}, {}, msg::ScanClean},
      {1, {}, {"a.lnk"}, msg::ScanFound},
      {2, {"setup.exe"}, {"a.lnk"}, msg::ScanFound},
      {4, {"setup.exe"}, {"a.lnk", "b.vbs"}, msg::ScanFound},
  };
  const std::vector<std::string> root = {"a.lnk", "setup.exe", "readme.txt", "b.vbs", "desktop.ini"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.namesBeforeFailure);
    PenDrive m;
    for (const std::string& name : root) m.f.fs.addFile("E:\\" + name, attr::Hidden);
    m.f.fs.failListingAfter("E:\\", c.namesBeforeFailure);
    m.open();
    m.choose("E:\\");
    size_t log = m.logSize();
    m.app.click("frm_rd", "btn_scan");
    EXPECT_EQ(m.executables(), c.executables);
    EXPECT_EQ(m.viruses(), c.viruses);
    EXPECT_EQ(m.boxesSince(0), (std::vector<Box>{Question(msg::ConfirmScan), Information(c.message)}));
    EXPECT_EQ(m.logSince(log, "setattr").size(), static_cast<size_t>(c.namesBeforeFailure));
    for (size_t i = 0; i < root.size(); ++i)
      EXPECT_EQ(m.f.fs.attrsOf("E:\\" + root[i]), static_cast<int>(i) < c.namesBeforeFailure ? 0u : attr::Hidden)
          << root[i];
  }
}

TEST(RemovableScan, DrivePulledOutIsNoCleanDrive) {
  PenDrive m;
  m.put("E:\\", {{"a.lnk"}, {"setup.exe"}});
  FrmRd& rd = m.open();
  m.scan("E:\\");
  ASSERT_FALSE(rd.lst_dir.items.empty());
  m.f.fs.setDriveReady("E:\\", false);
  size_t boxes = m.boxCount();
  m.app.click("frm_rd", "btn_scan");
  EXPECT_TRUE(rd.lst_dir.items.empty());
  EXPECT_TRUE(rd.lst_dir_2.items.empty());
  EXPECT_EQ(m.boxesSince(boxes),
            (std::vector<Box>{Question(msg::ConfirmScan),
                              Error("Cannot read device E:\\. Check that it is still plugged in.")}));
}

TEST(RemovableScan, RebuildThatFailsPartWayKeepsWhatWasListed) {
  PenDrive m;
  m.put("E:\\", {{"a.lnk"}, {"one.exe"}, {"b.lnk"}, {"two.exe"}});
  FrmRd& rd = m.open();
  m.scan("E:\\");
  m.f.fs.failListingAfter("E:\\", 2);
  m.app.click("frm_rd", "btn_r_dir2");
  m.app.click("frm_rd", "btn_r");
  EXPECT_EQ(m.viruses(), std::vector<std::string>{"a.lnk"});
  EXPECT_EQ(m.executables(), std::vector<std::string>{"one.exe"});
  (void)rd;
}

namespace {

// A file system whose listings misbehave the way a failing drive can: after
// some names they repeat the last one, or yield an empty name.
class FlakyListingFs : public FileSystem {
 public:
  explicit FlakyListingFs(fake::FakeFs& fs) : fs_(fs) {}
  int goodNames = 0;
  bool emptyName = false;  // yield "" instead of repeating

  bool setAttributes(const std::string& p, uint32_t a) override { return fs_.setAttributes(p, a); }
  std::optional<uint32_t> attributes(const std::string& p) override { return fs_.attributes(p); }
  bool deleteFile(const std::string& p) override { return fs_.deleteFile(p); }
  bool deleteAsNormal(const std::string& p) override { return fs_.deleteAsNormal(p); }
  bool exists(const std::string& p) override { return fs_.exists(p); }
  std::vector<bool> gone(const std::string& f, const std::vector<std::string>& n) override { return fs_.gone(f, n); }
  bool driveReady(const std::string& r) override { return fs_.driveReady(r); }
  std::unique_ptr<DirListing> list(const std::string& pattern, uint32_t mask) override {
    auto inner = fs_.list(pattern, mask);
    std::vector<std::string> names;
    while (auto n = inner->next()) names.push_back(*n);
    return std::make_unique<Listing>(names, goodNames, emptyName);
  }
  std::optional<std::vector<uint8_t>> readFile(const std::string& p, size_t max) override {
    return fs_.readFile(p, max);
  }
  std::optional<std::vector<uint8_t>> readAndSetAttributes(const std::string& p, size_t max, uint32_t a) override {
    return fs_.readAndSetAttributes(p, max, a);
  }
  bool moveNoReplace(const std::string& from, const std::string& to) override { return fs_.moveNoReplace(from, to); }
  bool removeEmptyFolder(const std::string& p) override { return fs_.removeEmptyFolder(p); }

 private:
  class Listing : public DirListing {
   public:
    Listing(std::vector<std::string> names, int good, bool empty)
        : names_(std::move(names)), good_(good), empty_(empty) {}
    std::optional<std::string> next() override {
      if (at_ < good_ && at_ < static_cast<int>(names_.size())) return names_[at_++];
      if (bad_++ >= 3 || at_ == 0) return std::nullopt;  // gives up in the end, never hangs a test
      if (empty_) return std::string();
      return names_[at_ - 1];
    }

   private:
    std::vector<std::string> names_;
    int good_;
    bool empty_;
    int at_ = 0;
    int bad_ = 0;
  };
  fake::FakeFs& fs_;
};

struct FlakyMachine {
  fake::FakePlatform f;
  FlakyListingFs fs{f.fs};
  Platform platform{fs, f.reg, f.proc, f.ui, f.clock, f.env, f.host};
  Kestrive app{platform};
};

}  // namespace

TEST(RemovableScan, ListingThatRepeatsOrYieldsEmptyNamesTreatsNoNameTwice) {
  for (bool emptyName : {false, true}) {
    SCOPED_TRACE(emptyName ? "empty name" : "repeated name");
    FlakyMachine m;
    m.f.fs.addFile("E:\\a.lnk", attr::Hidden);
    m.f.fs.addFile("E:\\setup.exe", attr::Hidden);
    m.f.fs.addFile("E:\\b.vbs", attr::Hidden);
    m.fs.goodNames = 2;
    m.fs.emptyName = emptyName;
    m.app.start();
    m.app.click("frm_first", "btn_rd");
    FrmRd& rd = *m.app.find<FrmRd>("frm_rd");
    rd.cmb_rd.listIndex = 0;
    ASSERT_EQ(rd.deviceRoot(), "E:\\");
    size_t log = m.f.log.size();
    rd.btn_scan_Click();
    EXPECT_EQ(rd.lst_dir_2.items.size(), 1u);
    EXPECT_EQ(rd.lst_dir.items.size(), 1u);
    int setattrs = 0;
    for (size_t i = log; i < m.f.log.size(); ++i) setattrs += m.f.log[i].rfind("setattr", 0) == 0 ? 1 : 0;
    EXPECT_EQ(setattrs, 2);
    EXPECT_EQ(m.f.fs.attrsOf("E:\\b.vbs"), attr::Hidden);
    EXPECT_EQ(LastBox(m.f), Information(msg::ScanFound));

    rd.btn_r_dir2_Click();
    EXPECT_EQ(rd.lst_dir_2.items.size(), 1u);
  }
}

TEST(RemovableScan, FullListTakesNoMoreNamesButTheScanGoesOn) {
  PenDrive m;
  m.f.fs.addDrive("E:\\");
  const int total = kMaxListEntries + 3;
  char name[32];
  for (int i = 0; i < total; ++i) {
    std::snprintf(name, sizeof name, "v%05d.lnk", i);
    m.f.fs.addFile(std::string("E:\\") + name, attr::Hidden);
  }
  m.f.fs.addFile("E:\\late.exe", attr::Hidden);
  m.f.fs.addFile("E:\\desktop.ini", attr::ReadOnly | attr::Archive);
  m.f.fs.addFile("E:\\late.txt", attr::Hidden);
  FrmRd& rd = m.open();
  m.scan("E:\\");

  const Control& viruses = rd.lst_dir_2;
  ASSERT_EQ(static_cast<int>(viruses.items.size()), kMaxListEntries);
  EXPECT_EQ(viruses.items.front().text, "v00000.lnk");
  EXPECT_EQ(viruses.items.back().text, "v32766.lnk");
  EXPECT_EQ(m.executables(), std::vector<std::string>{"late.exe"});
  EXPECT_EQ(m.f.fs.attrsOf("E:\\v32769.lnk"), 0u);
  EXPECT_EQ(m.f.fs.attrsOf("E:\\desktop.ini"), attr::Hidden | attr::System);
  EXPECT_EQ(m.f.fs.attrsOf("E:\\late.txt"), 0u);
  EXPECT_EQ(m.lastBox(), Information(msg::ScanFound));

  m.app.click("frm_rd", "btn_r_dir2");
  EXPECT_EQ(static_cast<int>(rd.lst_dir_2.items.size()), kMaxListEntries);
}

// ---- the rules on their own ------------------------------------------------

TEST(RemovableRules, ClassifyTakesTheFirstRuleThatApplies) {
  struct Case {
    const char* name;
    rd::Verdict verdict;
  };
  const std::vector<Case> cases = {
      {"setup.exe", rd::Verdict::Executable},
      {"holiday.exe.lnk", rd::Verdict::Executable},
      {"KESTRIVE.exe", rd::Verdict::OwnProgram},
      {"autorun.inf", rd::Verdict::Virus},
      {"x.BAT", rd::Verdict::Virus},
      {"recycler", rd::Verdict::Protected},
      {"Folder Settings", rd::Verdict::Protected},
      {"Folder Settings.lnk", rd::Verdict::Virus},
      {"exe", rd::Verdict::Other},
      {"Photos", rd::Verdict::Other},
      {"", rd::Verdict::Other},
  };
  for (const Case& c : cases) EXPECT_EQ(rd::classify(c.name, "kestrive.exe"), c.verdict) << c.name;
}
