// The removable-storage cleaner driven through the application: discovery,
// scan and rebuilds, deletion, the unhide command, marking and the
// control-state timer.
#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/native/machine.h"
#include "removable/frm_rd.h"
#include "removable/root_entries.h"
#include "shell/texts.h"

using namespace kestrive;

namespace {

const std::string Q = "Q: ";  // question, Yes/No
const std::string I = "I: ";  // information
const std::string E = "E: ";  // error

std::string tagged(const fake::FakeUi::Box& box) {
  switch (box.flags) {
    case 0x24: return Q + box.text;
    case 0x40: return I + box.text;
    case 0x10: return E + box.text;
    default: return std::to_string(box.flags) + ": " + box.text;
  }
}

struct RootEntry {
  std::string name;  // below the root; "Photos\inner.lnk" lies in a subfolder
  bool folder = false;
  uint32_t attributes = attr::Archive;
};

struct Machine : test::Machine {
  void put(const std::string& root, const std::vector<RootEntry>& entries) {
    f.fs.addDrive(root);
    for (const RootEntry& e : entries) {
      if (e.folder)
        f.fs.addDir(root + e.name, e.attributes);
      else
        f.fs.addFile(root + e.name, e.attributes);
    }
  }
  FrmRd& open() {
    app.start();
    app.click("frm_first", "btn_rd");
    return rd();
  }
  FrmRd& rd() { return *app.find<FrmRd>("frm_rd"); }
  void tick() { app.tick("frm_rd", "T1"); }
  void choose(const std::string& root) {
    Control& cmb = rd().ctl("cmb_rd");
    for (size_t i = 0; i < cmb.items.size(); ++i)
      if (cmb.items[i].text == root) cmb.listIndex = static_cast<int>(i);
    ASSERT_EQ(rd().deviceRoot(), root);
    app.click("frm_rd", "cmb_rd");  // as the binding does on a new selection
    tick();
  }
  // Chooses the root and scans it, answering Yes.
  void scan(const std::string& root) {
    choose(root);
    ASSERT_TRUE(rd().ctl("btn_scan").enabled);
    app.click("frm_rd", "btn_scan");
  }
  size_t boxes() const { return f.ui.boxes.size(); }
  std::vector<std::string> shownSince(size_t from) const {
    std::vector<std::string> out;
    for (size_t i = from; i < f.ui.boxes.size(); ++i) out.push_back(tagged(f.ui.boxes[i]));
    return out;
  }
  std::vector<std::string> list(const std::string& name) { return test::Texts(rd().ctl(name)); }
  std::vector<std::string> drives() { return test::Texts(rd().ctl("cmb_rd")); }
};

uint32_t base(const RootEntry& e) { return e.folder ? attr::Directory : 0; }

}  // namespace

// ---- device discovery -----------------------------------------------------

TEST(RemovableDiscovery, OffersReadyDrivesThatAreNotTheSystemDrive) {
  struct Case {
    const char* name;
    std::function<void(fake::FakeFs&)> setup;
    std::vector<std::string> roots;
  };
  const std::vector<Case> cases = {
      {"pen drive beside the system drive", [](fake::FakeFs& fs) { fs.addDrive("E:\\"); }, {"E:\\"}},
      {"only the system drive", [](fake::FakeFs&) {}, {}},
      {"Windows folder alone", [](fake::FakeFs& fs) { fs.addDir("D:\\Windows"); }, {"D:\\"}},
      {"Program Files folder alone", [](fake::FakeFs& fs) { fs.addDir("D:\\Program Files"); }, {"D:\\"}},
      {"pen drive holding both folders",
       [](fake::FakeFs& fs) {
         fs.addDir("G:\\Windows");
         fs.addDir("G:\\Program Files");
         fs.addFile("G:\\autorun.inf");
       },
       {}},
      {"drive without a medium",
       [](fake::FakeFs& fs) {
         fs.setDriveReady("A:\\", false);
         fs.addDrive("E:\\");
         fs.setDriveReady("H:\\", false);
       },
       {"E:\\"}},
      {"letter order",
       [](fake::FakeFs& fs) {
         fs.addDrive("Z:\\");
         fs.addDrive("B:\\");
         fs.addDrive("E:\\");
       },
       {"B:\\", "E:\\", "Z:\\"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m;
    c.setup(m.f.fs);
    m.open();
    EXPECT_EQ(m.drives(), c.roots);
    EXPECT_EQ(m.rd().deviceRoot(), "");
    m.tick();
    EXPECT_FALSE(m.rd().ctl("btn_scan").enabled);
  }
}

TEST(RemovableDiscovery, WindowOpensWithNothingChosenAndAutomaticDeleteChecked) {
  Machine m;
  m.put("E:\\", {{"autorun.inf"}});
  FrmRd& rd = m.open();
  EXPECT_EQ(rd.title, "Pen Drive | Kestrive v3.0");
  EXPECT_TRUE(rd.visible);
  EXPECT_EQ(rd.ctl("cmb_rd").listIndex, -1);
  EXPECT_EQ(rd.ctl("chkAD").value, 1);
  EXPECT_FALSE(rd.ctl("btn_r").enabled);
  EXPECT_FALSE(rd.ctl("btn_r_dir2").enabled);
  EXPECT_TRUE(rd.ctl("lst_dir").items.empty());
  EXPECT_TRUE(rd.ctl("lst_dir_2").items.empty());
  EXPECT_TRUE(m.f.ui.boxes.empty());
}

TEST(RemovableDiscovery, RefreshRebuildsDrivesResetsControlsAndEmptiesLists) {
  Machine m;
  m.put("E:\\", {{"autorun.inf"}, {"setup.exe"}});
  FrmRd& rd = m.open();
  rd.ctl("chkAD").value = 0;
  m.scan("E:\\");
  ASSERT_TRUE(rd.ctl("btn_r").enabled);
  m.f.fs.addDrive("K:\\");

  m.app.click("frm_rd", "btn_rsd");
  EXPECT_EQ(m.drives(), (std::vector<std::string>{"E:\\", "K:\\"}));
  EXPECT_EQ(rd.deviceRoot(), "");
  EXPECT_EQ(rd.ctl("chkAD").value, 1);
  EXPECT_FALSE(rd.ctl("btn_r").enabled);
  EXPECT_FALSE(rd.ctl("btn_r_dir2").enabled);
  // Listed from a device no longer chosen, they would be deleted elsewhere.
  EXPECT_TRUE(m.list("lst_dir").empty());
  EXPECT_TRUE(m.list("lst_dir_2").empty());
  EXPECT_EQ(rd.focus, &rd.cmb_rd);
  m.tick();
  EXPECT_FALSE(rd.ctl("btn_scan").enabled);
}

TEST(RemovableDiscovery, BackEmptiesListsAndReopeningStartsAfresh) {
  Machine m;
  m.put("E:\\", {{"autorun.inf"}});
  FrmRd& rd = m.open();
  rd.ctl("chkAD").value = 0;
  m.scan("E:\\");
  m.app.click("frm_rd", "btn_x");
  EXPECT_EQ(m.app.find("frm_rd"), nullptr);
  Window* first = m.app.find("frm_first");
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->visible);
  EXPECT_TRUE(first->enabled);

  m.app.click("frm_first", "btn_rd");
  FrmRd& again = m.rd();
  EXPECT_TRUE(again.ctl("lst_dir_2").items.empty());
  EXPECT_EQ(again.ctl("chkAD").value, 1);
  EXPECT_EQ(again.deviceRoot(), "");
}

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
    Machine m;
    m.put("E:\\", c.root);
    FrmRd& rd = m.open();
    m.choose("E:\\");
    size_t boxes = m.boxes();
    size_t log = m.logSize();
    m.app.click("frm_rd", "btn_scan");

    EXPECT_EQ(m.list("lst_dir"), c.executables);
    EXPECT_EQ(m.list("lst_dir_2"), c.viruses);
    EXPECT_EQ(m.shownSince(boxes), (std::vector<std::string>{Q + msg::ConfirmScan, I + c.message}));
    EXPECT_TRUE(rd.ctl("btn_r").enabled);
    EXPECT_TRUE(rd.ctl("btn_r_dir2").enabled);
    EXPECT_EQ(m.logSince(log, "delete"), std::vector<std::string>{});
    std::vector<std::string> setattr = m.logSince(log, "setattr");
    for (const RootEntry& e : c.root) {
      SCOPED_TRACE(e.name);
      const std::string path = "E:\\" + e.name;
      if (e.name.find('\\') != std::string::npos) {
        // Nothing below the root is read or changed.
        EXPECT_EQ(m.f.fs.attrsOf(path), base(e) | e.attributes);
        continue;
      }
      const bool hidden = c.hiddenAfter.count(e.name) != 0;
      EXPECT_EQ(m.f.fs.attrsOf(path), base(e) | (hidden ? attr::Hidden | attr::System : 0));
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
  Machine m;
  m.put("E:\\", {{"autorun.inf", false, attr::Hidden}, {"setup.exe"}});
  FrmRd& rd = m.open();
  m.choose("E:\\");
  m.f.ui.answers = {mb::IdNo};
  size_t log = m.logSize();
  m.app.click("frm_rd", "btn_scan");
  EXPECT_EQ(m.shownSince(0), std::vector<std::string>{Q + msg::ConfirmScan});
  EXPECT_EQ(m.logSince(log, "setattr"), std::vector<std::string>{});
  EXPECT_EQ(m.logSince(log, "list"), std::vector<std::string>{});
  EXPECT_EQ(m.f.fs.attrsOf("E:\\autorun.inf"), attr::Hidden);
  EXPECT_TRUE(rd.ctl("lst_dir").items.empty());
  EXPECT_FALSE(rd.ctl("btn_r").enabled);
  EXPECT_FALSE(rd.ctl("btn_r_dir2").enabled);
}

TEST(RemovableScan, NoDeviceChosenAsksForOne) {
  Machine m;
  m.put("E:\\", {{"autorun.inf"}});
  FrmRd& rd = m.open();
  m.tick();
  EXPECT_FALSE(m.app.click("frm_rd", "btn_scan"));  // disabled by the timer
  rd.btn_scan_Click();
  EXPECT_EQ(m.shownSince(0), std::vector<std::string>{I + msg::SelectDevice});
  EXPECT_TRUE(rd.ctl("lst_dir_2").items.empty());
  EXPECT_FALSE(rd.ctl("btn_r").enabled);
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
    Machine m;
    m.f.env.exe = c.exeBase;
    m.put("E:\\", {{c.onDrive, false, attr::Hidden | attr::System}, {"other.exe"}});
    FrmRd& rd = m.open();
    m.scan("E:\\");
    EXPECT_EQ(m.list("lst_dir"), std::vector<std::string>{"other.exe"});
    EXPECT_EQ(m.f.fs.attrsOf("E:\\" + c.onDrive), 0u);

    m.app.click("frm_rd", "btn_r");
    std::vector<std::string> expected{c.onDrive, "other.exe"};
    if (!c.listedByRebuild) expected = {"other.exe"};
    EXPECT_EQ(m.list("lst_dir"), expected);
    (void)rd;
  }
}

TEST(RemovableScan, RebuildsApplyOnlyTheirOwnRuleAndChangeNothing) {
  Machine m;
  m.put("E:\\", {{"autorun.inf"}, {"holiday.exe.lnk"}, {"setup.exe"}, {"desktop.ini", false, attr::Hidden}});
  FrmRd& rd = m.open();
  m.scan("E:\\");
  ASSERT_EQ(m.list("lst_dir"), (std::vector<std::string>{"holiday.exe.lnk", "setup.exe"}));
  ASSERT_EQ(m.list("lst_dir_2"), std::vector<std::string>{"autorun.inf"});
  m.f.fs.addFile("E:\\new.exe", attr::Hidden);
  m.f.fs.addFile("E:\\new.vbs", attr::Hidden);
  rd.ctl("lst_dir").items[0].marked = true;

  size_t boxes = m.boxes();
  size_t log = m.logSize();
  m.app.click("frm_rd", "btn_r_dir2");
  EXPECT_EQ(m.list("lst_dir_2"), (std::vector<std::string>{"autorun.inf", "holiday.exe.lnk", "new.vbs"}));
  EXPECT_EQ(m.list("lst_dir"), (std::vector<std::string>{"holiday.exe.lnk", "setup.exe"}));
  m.app.click("frm_rd", "btn_r");
  EXPECT_EQ(m.list("lst_dir"), (std::vector<std::string>{"holiday.exe.lnk", "setup.exe", "new.exe"}));
  // A rebuilt list starts unmarked.
  EXPECT_EQ(rd.ctl("lst_dir").markedCount(), 0);
  EXPECT_EQ(m.boxes(), boxes);
  EXPECT_EQ(m.logSince(log, "setattr"), std::vector<std::string>{});
  EXPECT_EQ(m.f.fs.attrsOf("E:\\new.exe"), attr::Hidden);
}

TEST(RemovableScan, RebuildWithoutDeviceListsNothing) {
  Machine m;
  m.put("E:\\", {{"autorun.inf"}, {"setup.exe"}});
  FrmRd& rd = m.open();
  m.scan("E:\\");
  m.app.click("frm_rd", "btn_rsd");
  size_t log = m.logSize();
  // Disabled now; called directly, it must not fall back to the working folder.
  rd.btn_r_Click();
  rd.btn_r_dir2_Click();
  EXPECT_TRUE(rd.ctl("lst_dir").items.empty());
  EXPECT_TRUE(rd.ctl("lst_dir_2").items.empty());
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
    Machine m;
    for (const std::string& name : root) m.f.fs.addFile("E:\\" + name, attr::Hidden);
    m.f.fs.failListingAfter("E:\\", c.namesBeforeFailure);
    m.open();
    m.choose("E:\\");
    size_t log = m.logSize();
    m.app.click("frm_rd", "btn_scan");
    EXPECT_EQ(m.list("lst_dir"), c.executables);
    EXPECT_EQ(m.list("lst_dir_2"), c.viruses);
    EXPECT_EQ(m.shownSince(0), (std::vector<std::string>{Q + msg::ConfirmScan, I + c.message}));
    EXPECT_EQ(m.logSince(log, "setattr").size(), static_cast<size_t>(c.namesBeforeFailure));
    for (size_t i = 0; i < root.size(); ++i)
      EXPECT_EQ(m.f.fs.attrsOf("E:\\" + root[i]), static_cast<int>(i) < c.namesBeforeFailure ? 0u : attr::Hidden)
          << root[i];
  }
}

TEST(RemovableScan, DrivePulledOutIsNoCleanDrive) {
  Machine m;
  m.put("E:\\", {{"a.lnk"}, {"setup.exe"}});
  FrmRd& rd = m.open();
  m.scan("E:\\");
  ASSERT_FALSE(rd.ctl("lst_dir").items.empty());
  m.f.fs.setDriveReady("E:\\", false);
  size_t boxes = m.boxes();
  m.app.click("frm_rd", "btn_scan");
  EXPECT_TRUE(rd.ctl("lst_dir").items.empty());
  EXPECT_TRUE(rd.ctl("lst_dir_2").items.empty());
  EXPECT_EQ(m.shownSince(boxes),
            (std::vector<std::string>{Q + msg::ConfirmScan,
                                      E + "Cannot read device E:\\. Check that it is still plugged in."}));
}

TEST(RemovableScan, RebuildThatFailsPartWayKeepsWhatWasListed) {
  Machine m;
  m.put("E:\\", {{"a.lnk"}, {"one.exe"}, {"b.lnk"}, {"two.exe"}});
  FrmRd& rd = m.open();
  m.scan("E:\\");
  m.f.fs.failListingAfter("E:\\", 2);
  m.app.click("frm_rd", "btn_r_dir2");
  m.app.click("frm_rd", "btn_r");
  EXPECT_EQ(m.list("lst_dir_2"), std::vector<std::string>{"a.lnk"});
  EXPECT_EQ(m.list("lst_dir"), std::vector<std::string>{"one.exe"});
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
    rd.ctl("cmb_rd").listIndex = 0;
    ASSERT_EQ(rd.deviceRoot(), "E:\\");
    size_t log = m.f.log.size();
    rd.btn_scan_Click();
    EXPECT_EQ(rd.ctl("lst_dir_2").items.size(), 1u);
    EXPECT_EQ(rd.ctl("lst_dir").items.size(), 1u);
    int setattrs = 0;
    for (size_t i = log; i < m.f.log.size(); ++i) setattrs += m.f.log[i].rfind("setattr", 0) == 0 ? 1 : 0;
    EXPECT_EQ(setattrs, 2);
    EXPECT_EQ(m.f.fs.attrsOf("E:\\b.vbs"), attr::Hidden);
    EXPECT_EQ(m.f.messages().back(), msg::ScanFound);

    rd.btn_r_dir2_Click();
    EXPECT_EQ(rd.ctl("lst_dir_2").items.size(), 1u);
  }
}

TEST(RemovableScan, FullListTakesNoMoreNamesButTheScanGoesOn) {
  Machine m;
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

  const Control& viruses = rd.ctl("lst_dir_2");
  ASSERT_EQ(static_cast<int>(viruses.items.size()), kMaxListEntries);
  EXPECT_EQ(viruses.items.front().text, "v00000.lnk");
  EXPECT_EQ(viruses.items.back().text, "v32766.lnk");
  EXPECT_EQ(m.list("lst_dir"), std::vector<std::string>{"late.exe"});
  EXPECT_EQ(m.f.fs.attrsOf("E:\\v32769.lnk"), 0u);
  EXPECT_EQ(m.f.fs.attrsOf("E:\\desktop.ini"), attr::Hidden | attr::System);
  EXPECT_EQ(m.f.fs.attrsOf("E:\\late.txt"), 0u);
  EXPECT_EQ(m.f.messages().back(), msg::ScanFound);

  m.app.click("frm_rd", "btn_r_dir2");
  EXPECT_EQ(static_cast<int>(rd.ctl("lst_dir_2").items.size()), kMaxListEntries);
}

// ---- unhide command -------------------------------------------------------

TEST(RemovableUnhide, ClearsEveryRootEntryIncludingProtectedNames) {
  const uint32_t HS = attr::Hidden | attr::System;
  Machine m;
  m.put("E:\\", {{"System Volume Information", true, HS},
                 {"a.lnk", false, attr::ReadOnly | HS},
                 {"Photos", true, attr::Hidden},
                 {"Photos\\inner.txt", false, attr::Hidden},
                 {"Фото", true, HS}});
  FrmRd& rd = m.open();
  m.scan("E:\\");
  ASSERT_EQ(m.f.fs.attrsOf("E:\\System Volume Information"), attr::Directory | HS);
  rd.ctl("lst_dir_2").items[0].marked = true;
  size_t boxes = m.boxes();

  m.app.click("frm_rd", "e_sa");
  EXPECT_EQ(m.shownSince(boxes), std::vector<std::string>{Q + msg::ConfirmShowAll});
  EXPECT_EQ(m.f.fs.attrsOf("E:\\System Volume Information"), attr::Directory);
  EXPECT_EQ(m.f.fs.attrsOf("E:\\a.lnk"), 0u);
  EXPECT_EQ(m.f.fs.attrsOf("E:\\Photos"), attr::Directory);
  EXPECT_EQ(m.f.fs.attrsOf("E:\\Фото"), attr::Directory);
  EXPECT_EQ(m.f.fs.attrsOf("E:\\Photos\\inner.txt"), attr::Hidden);
  EXPECT_EQ(m.list("lst_dir_2"), std::vector<std::string>{"a.lnk"});
  EXPECT_TRUE(rd.ctl("lst_dir_2").items[0].marked);
}

TEST(RemovableUnhide, RefusalsAndUnreadableRootsChangeNothing) {
  struct Case {
    const char* name;
    std::function<void(Machine&)> before;  // after the drive was chosen
    std::deque<int> answers;
    std::vector<std::string> shown;
    int changed;  // how many entries get their attributes set
  };
  const std::vector<Case> cases = {
      {"answered No", [](Machine&) {}, {mb::IdNo}, {Q + msg::ConfirmShowAll}, 0},
      {"no device chosen", [](Machine& m) { m.rd().ctl("cmb_rd").listIndex = -1; }, {}, {I + msg::SelectDevice}, 0},
      {"drive pulled out", [](Machine& m) { m.f.fs.setDriveReady("E:\\", false); }, {}, {Q + msg::ConfirmShowAll}, 0},
      {"listing fails after one name",
       [](Machine& m) { m.f.fs.failListingAfter("E:\\", 1); },
       {},
       {Q + msg::ConfirmShowAll},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m;
    m.put("E:\\", {{"a.lnk", false, attr::Hidden}, {"b", true, attr::Hidden}});
    m.open();
    m.choose("E:\\");
    c.before(m);
    m.f.ui.answers = c.answers;
    size_t log = m.logSize();
    m.rd().e_sa_Click();
    EXPECT_EQ(m.shownSince(0), c.shown);
    EXPECT_EQ(static_cast<int>(m.logSince(log, "setattr").size()), c.changed);
    EXPECT_EQ(m.f.fs.attrsOf("E:\\b"), attr::Directory | attr::Hidden);
    ASSERT_NE(m.app.find("frm_rd"), nullptr);
  }
}

// ---- marking buttons ------------------------------------------------------

TEST(RemovableMarking, SelectAllAndDeselectAllWorkOnTheirOwnList) {
  struct Case {
    const char* list;
    const char* other;
    void (FrmRd::*selectAll)();
    void (FrmRd::*deselectAll)();
  };
  const std::vector<Case> cases = {
      {"lst_dir", "lst_dir_2", &FrmRd::btn_dir_sa_Click, &FrmRd::btn_dir_usa_Click},
      {"lst_dir_2", "lst_dir", &FrmRd::btn_s2_Click, &FrmRd::btn_ds2_Click},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    Machine m;
    FrmRd& rd = m.open();
    // Empty lists: nothing to do, nothing breaks.
    (rd.*c.selectAll)();
    (rd.*c.deselectAll)();
    EXPECT_TRUE(rd.ctl(c.list).items.empty());

    for (const char* n : {"a", "b", "c"}) {
      rd.ctl(c.list).add(n);
      rd.ctl(c.other).add(n);
    }
    rd.ctl(c.list).items[1].marked = true;
    (rd.*c.selectAll)();
    EXPECT_EQ(rd.ctl(c.list).markedCount(), 3);
    EXPECT_EQ(rd.ctl(c.other).markedCount(), 0);
    (rd.*c.deselectAll)();
    EXPECT_EQ(rd.ctl(c.list).markedCount(), 0);
    EXPECT_TRUE(m.f.ui.boxes.empty());
  }
}

// ---- control-state timer --------------------------------------------------

TEST(RemovableTimer, EnabledStatesFollowDeviceListsAndAutomaticDelete) {
  struct Case {
    bool device;
    int executables;
    int viruses;
    int chkAD;
    bool listBefore;  // lst_dir_2 enabled before the tick
    bool scan, exeButtons, d2, markButtons2, listAfter;
  };
  const std::vector<Case> cases = {
      {false, 0, 0, 1, true, false, false, false, false, true},
      {false, 0, 0, 0, false, false, false, false, false, false},
      {true, 0, 0, 0, true, true, false, false, false, true},
      {true, 1, 0, 1, true, true, true, false, false, true},
      {true, 0, 2, 1, true, true, false, true, false, false},
      {true, 0, 2, 0, false, true, false, true, true, true},
      {true, 0, 1, 2, false, true, false, true, true, true},  // only 1 counts as checked
      {false, 3, 1, 0, false, false, true, true, true, true},
  };
  const std::vector<const char*> untouched = {"cmb_rd", "btn_rsd", "btn_r", "btn_r_dir2", "lst_dir", "chkAD", "btn_x"};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE("case " + std::to_string(n++));
    Machine m;
    m.put("E:\\", {});
    FrmRd& rd = m.open();
    if (c.device) rd.ctl("cmb_rd").listIndex = 0;
    for (int i = 0; i < c.executables; ++i) rd.ctl("lst_dir").add(std::to_string(i) + ".exe");
    for (int i = 0; i < c.viruses; ++i) rd.ctl("lst_dir_2").add(std::to_string(i) + ".lnk");
    rd.ctl("chkAD").value = c.chkAD;
    rd.ctl("lst_dir_2").enabled = c.listBefore;
    for (const char* name : untouched) rd.ctl(name).enabled = false;

    m.tick();
    EXPECT_EQ(rd.ctl("btn_scan").enabled, c.scan);
    for (const char* name : {"btn_del", "btn_dir_sa", "btn_dir_usa"})
      EXPECT_EQ(rd.ctl(name).enabled, c.exeButtons) << name;
    EXPECT_EQ(rd.ctl("btn_d2").enabled, c.d2);
    for (const char* name : {"btn_s2", "btn_ds2"}) EXPECT_EQ(rd.ctl(name).enabled, c.markButtons2) << name;
    EXPECT_EQ(rd.ctl("lst_dir_2").enabled, c.listAfter);
    for (const char* name : untouched) EXPECT_FALSE(rd.ctl(name).enabled) << name;
    EXPECT_EQ(rd.ctl("chkAD").value, c.chkAD);
  }
}

TEST(RemovableTimer, UncheckingAutomaticDeleteFreesTheVirusListAtTheNextTick) {
  Machine m;
  m.put("E:\\", {{"a.lnk"}});
  FrmRd& rd = m.open();
  m.scan("E:\\");
  m.tick();
  EXPECT_FALSE(rd.ctl("lst_dir_2").enabled);
  EXPECT_FALSE(rd.ctl("btn_s2").enabled);
  EXPECT_TRUE(rd.ctl("btn_d2").enabled);
  rd.ctl("chkAD").value = 0;
  m.tick();
  EXPECT_TRUE(rd.ctl("lst_dir_2").enabled);
  EXPECT_TRUE(rd.ctl("btn_s2").enabled);
  EXPECT_TRUE(rd.ctl("btn_ds2").enabled);
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

// ---- deletion -------------------------------------------------------------

namespace {

// A drive scanned with three virus entries and three executables.
struct Scanned : Machine {
  Scanned() {
    put("E:\\", {{"a.lnk"}, {"b.lnk"}, {"c.lnk"}, {"x.exe"}, {"y.exe"}, {"z.exe"}});
    open();
    scan("E:\\");
  }
  bool onDrive(const std::string& name) const { return f.fs.has("E:\\" + name); }
  std::vector<std::string> left(const std::vector<std::string>& names) const {
    std::vector<std::string> out;
    for (const std::string& n : names)
      if (onDrive(n)) out.push_back(n);
    return out;
  }
};

const std::vector<std::string> kViruses = {"a.lnk", "b.lnk", "c.lnk"};
const std::vector<std::string> kExecutables = {"x.exe", "y.exe", "z.exe"};

}  // namespace

TEST(RemovableDelete, ChecksComeInEachButtonsOrder) {
  struct Case {
    const char* name;
    bool virusList;  // btn_d2 on lst_dir_2, else btn_del on lst_dir
    bool device;
    int chkAD;
    std::vector<int> marks;
    int answer;
    std::vector<std::string> shown;
    std::vector<std::string> left;  // of the list's names, still on the drive
  };
  const std::string confirm = Q + msg::ConfirmDelete;
  const std::vector<Case> cases = {
      {"virus, automatic, nothing marked", true, true, 1, {}, mb::IdYes, {confirm, I + msg::DeleteComplete}, {}},
      {"virus, automatic ignores marks", true, true, 1, {1}, mb::IdYes, {confirm, I + msg::DeleteComplete}, {}},
      {"virus, marked mode, nothing marked", true, true, 0, {}, mb::IdYes, {confirm, I + msg::SelectFile}, kViruses},
      {"virus, marked mode, two marked",
       true,
       true,
       0,
       {0, 2},
       mb::IdYes,
       {confirm, I + msg::DeleteLeftRemovable},
       {"b.lnk"}},
      {"virus, no device", true, false, 1, {}, mb::IdYes, {I + msg::SelectDevice}, kViruses},
      {"virus, no device, marked mode", true, false, 0, {}, mb::IdYes, {I + msg::SelectDevice}, kViruses},
      {"virus, answered No", true, true, 1, {}, mb::IdNo, {confirm}, kViruses},
      {"exe, nothing marked", false, true, 1, {}, mb::IdYes, {I + msg::SelectFile}, kExecutables},
      {"exe, nothing marked, no device", false, false, 1, {}, mb::IdYes, {I + msg::SelectFile}, kExecutables},
      {"exe, marked, no device", false, false, 1, {0}, mb::IdYes, {I + msg::SelectDevice}, kExecutables},
      {"exe, answered No", false, true, 1, {0, 1}, mb::IdNo, {confirm}, kExecutables},
      {"exe, one marked", false, true, 1, {1}, mb::IdYes, {confirm, I + msg::DeleteLeftRemovable}, {"x.exe", "z.exe"}},
      {"exe, all marked", false, true, 0, {0, 1, 2}, mb::IdYes, {confirm, I + msg::DeleteComplete}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scanned m;
    FrmRd& rd = m.rd();
    // No device shown beside listed entries: the window never gets there
    // itself (Refresh and a new device empty the lists), but the check stays.
    if (!c.device) rd.ctl("cmb_rd").listIndex = -1;
    rd.ctl("chkAD").value = c.chkAD;
    Control& list = rd.ctl(c.virusList ? "lst_dir_2" : "lst_dir");
    for (int i : c.marks) list.items[i].marked = true;
    const std::vector<std::string>& names = c.virusList ? kViruses : kExecutables;
    const std::vector<std::string> before = m.list(list.name);
    m.f.ui.answers = {c.answer};
    size_t boxes = m.boxes();
    size_t log = m.logSize();

    if (c.virusList)
      rd.btn_d2_Click();
    else
      rd.btn_del_Click();

    EXPECT_EQ(m.shownSince(boxes), c.shown);
    EXPECT_EQ(m.left(names), c.left);
    if (c.left == names) {
      EXPECT_EQ(m.logSince(log, "delete"), std::vector<std::string>{});
      EXPECT_EQ(m.logSince(log, "setattr"), std::vector<std::string>{});
      EXPECT_EQ(m.list(list.name), before);
    } else {
      EXPECT_EQ(m.list(list.name), c.left);
    }
    // The other list is never touched.
    EXPECT_EQ(m.left(c.virusList ? kExecutables : kViruses), c.virusList ? kExecutables : kViruses);
    if (!c.shown.empty() && c.shown.back() == I + msg::DeleteComplete) {
      const std::vector<const char*> buttons = c.virusList
                                                   ? std::vector<const char*>{"btn_d2", "btn_s2", "btn_ds2"}
                                                   : std::vector<const char*>{"btn_del", "btn_dir_sa", "btn_dir_usa"};
      for (const char* b : buttons) EXPECT_FALSE(rd.ctl(b).enabled) << b;
    }
  }
}

TEST(RemovableDelete, WalksFromTheLastEntryToTheFirst) {
  Scanned m;
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
  Machine m;
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
  size_t boxes = m.boxes();
  size_t log = m.logSize();
  const int lookups = m.f.fs.lookups;
  m.app.click("frm_rd", "btn_d2");
  EXPECT_EQ(m.shownSince(boxes),
            (std::vector<std::string>{
                Q + msg::ConfirmDelete, E + "Cannot delete file 'E:\\w150.lnk' because file is being used.",
                E + "Cannot delete file 'E:\\w020.lnk' because file is being used.", I + msg::DeleteLeftRemovable}));
  // Those above each box, then the rest: never one lookup per entry.
  EXPECT_EQ(m.logSince(log, "gone"), (std::vector<std::string>{"gone E:\\ 49", "gone E:\\ 129", "gone E:\\ 20"}));
  EXPECT_EQ(m.f.fs.lookups - lookups, 2);
  EXPECT_EQ(m.logSince(log, "delete").size(), 200u);
  EXPECT_EQ(m.f.fs.namesIn("E:\\"), (std::vector<std::string>{"w020.lnk", "w150.lnk"}));
  EXPECT_EQ(m.list("lst_dir_2"), (std::vector<std::string>{"w020.lnk", "w150.lnk"}));
}

TEST(RemovableDelete, HiddenSystemReadOnlyEntryIsDeleted) {
  Machine m;
  m.put("E:\\", {{"evil.lnk", false, attr::ReadOnly | attr::Hidden | attr::System}});
  m.open();
  m.scan("E:\\");
  // The scan already cleared it; the virus may set the bits again meanwhile.
  m.f.fs.setAttributes("E:\\evil.lnk", attr::ReadOnly | attr::Hidden | attr::System);
  m.app.tick("frm_rd", "T1");
  m.app.click("frm_rd", "btn_d2");
  EXPECT_FALSE(m.f.fs.has("E:\\evil.lnk"));
  EXPECT_EQ(m.f.messages().back(), msg::DeleteComplete);
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
    Machine m;
    m.put("E:\\", {{"first.lnk"}, c.entry, {"last.vbs"}});
    FrmRd& rd = m.open();
    m.scan("E:\\");
    // The virus hides the folder again after the scan.
    if (c.entry.folder) m.f.fs.setAttributes("E:\\" + c.entry.name, c.entry.attributes);
    c.block(m.f.fs);
    size_t boxes = m.boxes();
    m.tick();
    m.app.click("frm_rd", "btn_d2");

    const std::string path = "E:\\" + c.entry.name;
    std::vector<std::string> shown{Q + msg::ConfirmDelete};
    const bool mediumLocked = std::string(c.name) == "write-protected medium";
    if (mediumLocked) shown.push_back(E + "Cannot delete file 'E:\\last.vbs' because file is being used.");
    shown.push_back(E + "Cannot delete file '" + path + "' because file is being used.");
    if (mediumLocked) shown.push_back(E + "Cannot delete file 'E:\\first.lnk' because file is being used.");
    shown.push_back(I + msg::DeleteLeftRemovable);
    EXPECT_EQ(m.shownSince(boxes), shown);
    EXPECT_TRUE(m.f.fs.has(path));
    EXPECT_EQ(m.f.fs.attrsOf(path), c.attributesAfter);
    if (mediumLocked) {
      EXPECT_EQ(m.list("lst_dir_2"), (std::vector<std::string>{"first.lnk", "ro.lnk", "last.vbs"}));
    } else {
      EXPECT_EQ(m.list("lst_dir_2"), std::vector<std::string>{c.entry.name});
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
  rd.ctl("cmb_rd").listIndex = 0;
  rd.btn_scan_Click();
  size_t boxes = f.ui.boxes.size();
  rd.btn_d2_Click();
  std::vector<std::string> shown;
  for (size_t i = boxes; i < f.ui.boxes.size(); ++i) shown.push_back(tagged(f.ui.boxes[i]));
  EXPECT_EQ(shown, (std::vector<std::string>{Q + msg::ConfirmDelete,
                                             E + "Cannot delete file 'E:\\a.lnk' because file is being used.",
                                             I + msg::DeleteLeftRemovable}));
  ASSERT_EQ(rd.ctl("lst_dir_2").items.size(), 1u);
}

TEST(RemovableDelete, NamesOutsideTheCodePageAndOddSpacingAreDeletedExactly) {
  Machine m;
  const std::vector<std::string> names = {"Фото.lnk",  "照片.scr",   "😀.vbs",     "ОТЧЁТ.INF",
                                          " lead.lnk", "trail.lnk ", "dots.lnk.."};
  for (const std::string& n : names) m.f.fs.addFile("E:\\" + n, attr::Hidden | attr::System | attr::ReadOnly);
  m.f.fs.addFile("E:\\файл.exe", attr::Hidden);
  FrmRd& rd = m.open();
  m.scan("E:\\");
  ASSERT_EQ(m.list("lst_dir_2"), names);
  ASSERT_EQ(m.list("lst_dir"), std::vector<std::string>{"файл.exe"});
  // Twins that a trimmed name would hit instead.
  const std::vector<std::string> twins = {"lead.lnk", "trail.lnk", "dots.lnk"};
  for (const std::string& n : twins) m.f.fs.addFile("E:\\" + n);
  m.tick();
  size_t log = m.logSize();
  m.app.click("frm_rd", "btn_d2");
  for (const std::string& n : names) EXPECT_FALSE(m.f.fs.has("E:\\" + n)) << n;
  for (const std::string& n : twins) EXPECT_TRUE(m.f.fs.has("E:\\" + n)) << n;
  EXPECT_EQ(m.logSince(log, "delete E:\\trail.lnk "), std::vector<std::string>{"delete E:\\trail.lnk "});
  EXPECT_EQ(m.list("lst_dir_2"), twins);
  EXPECT_EQ(m.f.messages().back(), msg::DeleteLeftRemovable);

  rd.ctl("lst_dir").items[0].marked = true;
  m.tick();
  m.app.click("frm_rd", "btn_del");
  EXPECT_FALSE(m.f.fs.has("E:\\файл.exe"));
  EXPECT_EQ(m.f.messages().back(), msg::DeleteComplete);
}

TEST(RemovableDelete, RebuildMovesAnExeShortcutIntoTheVirusList) {
  Machine m;
  m.put("E:\\", {{"autorun.inf"}, {"holiday.exe.lnk"}});
  FrmRd& rd = m.open();
  m.scan("E:\\");
  ASSERT_EQ(m.list("lst_dir"), std::vector<std::string>{"holiday.exe.lnk"});
  ASSERT_EQ(m.list("lst_dir_2"), std::vector<std::string>{"autorun.inf"});
  m.tick();
  size_t boxes = m.boxes();
  m.app.click("frm_rd", "btn_d2");
  EXPECT_FALSE(m.f.fs.has("E:\\autorun.inf"));
  EXPECT_TRUE(m.f.fs.has("E:\\holiday.exe.lnk"));
  EXPECT_EQ(m.list("lst_dir_2"), std::vector<std::string>{"holiday.exe.lnk"});
  EXPECT_EQ(m.list("lst_dir"), std::vector<std::string>{"holiday.exe.lnk"});
  EXPECT_EQ(m.shownSince(boxes), (std::vector<std::string>{Q + msg::ConfirmDelete, I + msg::DeleteLeftRemovable}));
  EXPECT_TRUE(rd.ctl("btn_d2").enabled);
}

// Names listed from E:\ are deleted on E:\ or nowhere: choosing F:\ empties
// the lists, and Delete then works on what that drive itself holds.
TEST(RemovableDelete, NamesAreNeverDeletedOnAnotherDevice) {
  Machine m;
  m.put("E:\\", {{"a.lnk"}, {"b.lnk"}, {"x.exe"}});
  m.put("F:\\", {{"a.lnk"}, {"x.exe"}, {"keep.txt"}});
  FrmRd& rd = m.open();
  m.scan("E:\\");
  ASSERT_FALSE(m.list("lst_dir_2").empty());
  m.choose("E:\\");  // the same device again keeps them
  EXPECT_EQ(m.list("lst_dir_2").size(), 2u);
  m.choose("F:\\");
  EXPECT_TRUE(m.list("lst_dir").empty());
  EXPECT_TRUE(m.list("lst_dir_2").empty());
  size_t log = m.logSize();
  rd.btn_d2_Click();  // straight to the handlers, whatever the buttons show
  rd.btn_del_Click();
  EXPECT_EQ(m.logSince(log, "delete"), std::vector<std::string>{});
  for (const char* path : {"E:\\a.lnk", "E:\\b.lnk", "E:\\x.exe", "F:\\a.lnk", "F:\\x.exe", "F:\\keep.txt"})
    EXPECT_TRUE(m.f.fs.has(path)) << path;
  // What Delete rebuilt is F:\'s own.
  EXPECT_EQ(m.list("lst_dir_2"), std::vector<std::string>{"a.lnk"});

  // A selection that changes without the event still never reaches F:\.
  m.scan("E:\\");
  Control& cmb = rd.ctl("cmb_rd");
  for (size_t i = 0; i < cmb.items.size(); ++i)
    if (cmb.items[i].text == "F:\\") cmb.listIndex = static_cast<int>(i);
  log = m.logSize();
  rd.btn_d2_Click();
  EXPECT_EQ(m.logSince(log, "delete"), std::vector<std::string>{});
  EXPECT_TRUE(m.f.fs.has("F:\\a.lnk"));
}

TEST(RemovableDelete, ListingFailingDuringTheRebuildStillReportsByContents) {
  Machine m;
  m.put("E:\\", {{"a.lnk"}, {"b.lnk"}, {"c.lnk"}});
  m.f.fs.lock("E:\\a.lnk");
  m.f.fs.lock("E:\\b.lnk");
  m.open();
  m.scan("E:\\");
  m.f.fs.failListingAfter("E:\\", 1);
  size_t boxes = m.boxes();
  m.tick();
  m.app.click("frm_rd", "btn_d2");
  EXPECT_EQ(m.list("lst_dir_2"), std::vector<std::string>{"a.lnk"});
  EXPECT_EQ(m.shownSince(boxes).back(), I + msg::DeleteLeftRemovable);

  // The drive pulled out before the deletion: nothing is deleted, so the
  // entry stays listed and is reported, though its path is gone with the drive.
  m.f.fs.lock("E:\\a.lnk", false);
  m.f.fs.setDriveReady("E:\\", false);
  m.tick();
  boxes = m.boxes();
  m.app.click("frm_rd", "btn_d2");
  EXPECT_EQ(m.list("lst_dir_2"), std::vector<std::string>{"a.lnk"});
  EXPECT_EQ(m.shownSince(boxes),
            (std::vector<std::string>{Q + msg::ConfirmDelete,
                                      E + "Cannot delete file 'E:\\a.lnk' because file is being used.",
                                      I + msg::DeleteLeftRemovable}));
}

TEST(RemovableDelete, DrivePulledOutClaimsNoDeletion) {
  struct Case {
    const char* name;
    bool virusList;
    bool duringQuestion;  // pulled while the confirmation is open, else before the click
    std::vector<std::string> left;
  };
  const std::vector<Case> cases = {
      {"virus list, before the click", true, false, kViruses},
      {"virus list, while the question is open", true, true, kViruses},
      {"executable list, before the click", false, false, kExecutables},
      {"executable list, while the question is open", false, true, kExecutables},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scanned m;
    m.tick();
    if (!c.virusList) m.app.click("frm_rd", "btn_dir_sa");
    auto pull = [&] { m.f.fs.setDriveReady("E:\\", false); };
    if (c.duringQuestion)
      m.f.ui.onBox = [&](const fake::FakeUi::Box& box) {
        if (box.text == msg::ConfirmDelete) pull();
      };
    else
      pull();
    m.tick();
    size_t boxes = m.boxes();
    m.app.click("frm_rd", c.virusList ? "btn_d2" : "btn_del");
    // Every entry is still on the medium: each is reported, stays listed,
    // and the end is the message that says some are left.
    std::vector<std::string> shown{Q + msg::ConfirmDelete};
    for (auto it = c.left.rbegin(); it != c.left.rend(); ++it)
      shown.push_back(E + "Cannot delete file 'E:\\" + *it + "' because file is being used.");
    shown.push_back(I + msg::DeleteLeftRemovable);
    EXPECT_EQ(m.shownSince(boxes), shown);
    EXPECT_EQ(m.list(c.virusList ? "lst_dir_2" : "lst_dir"), c.left);
    m.f.fs.setDriveReady("E:\\", true);
    EXPECT_EQ(m.left(c.left), c.left);
  }
}

TEST(RemovableDelete, TimerTickWhileAnInUseBoxIsOpenLeavesTheWalkIntact) {
  Scanned m;
  m.f.fs.lock("E:\\b.lnk");
  std::vector<bool> d2DuringBox;
  m.f.ui.onBox = [&](const fake::FakeUi::Box& box) {
    if (box.flags != static_cast<uint32_t>(MsgKind::Error)) return;
    m.app.tick("frm_rd", "T1");
    d2DuringBox.push_back(m.rd().ctl("btn_d2").enabled);
  };
  m.rd().btn_d2_Click();
  EXPECT_EQ(d2DuringBox, std::vector<bool>{true});
  EXPECT_EQ(m.left(kViruses), std::vector<std::string>{"b.lnk"});
  EXPECT_EQ(m.list("lst_dir_2"), std::vector<std::string>{"b.lnk"});
  EXPECT_EQ(m.f.messages().back(), msg::DeleteLeftRemovable);
}

TEST(RemovableDelete, WindowClosedWhileAnInUseBoxIsOpenStopsTheWalk) {
  Scanned m;
  m.f.fs.lock("E:\\b.lnk");
  m.f.ui.onBox = [&](const fake::FakeUi::Box& box) {
    if (box.flags == static_cast<uint32_t>(MsgKind::Error)) m.app.close("frm_rd");
  };
  size_t boxes = m.boxes();
  size_t log = m.logSize();
  m.tick();
  m.app.click("frm_rd", "btn_d2");
  EXPECT_EQ(m.app.find("frm_rd"), nullptr);
  EXPECT_EQ(m.logSince(log, "delete"), (std::vector<std::string>{"delete E:\\c.lnk", "delete E:\\b.lnk"}));
  EXPECT_TRUE(m.f.fs.has("E:\\a.lnk"));
  EXPECT_EQ(m.shownSince(boxes),
            (std::vector<std::string>{Q + msg::ConfirmDelete,
                                      E + "Cannot delete file 'E:\\b.lnk' because file is being used."}));
  Window* first = m.app.find("frm_first");
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->visible);
  EXPECT_TRUE(first->enabled);
}

TEST(RemovableDelete, WindowClosedDuringTheConfirmationDeletesNothing) {
  for (bool virusList : {true, false}) {
    SCOPED_TRACE(virusList ? "btn_d2" : "btn_del");
    Scanned m;
    m.rd().ctl("lst_dir").items[0].marked = true;
    m.f.ui.onBox = [&](const fake::FakeUi::Box&) { m.app.close("frm_rd"); };
    size_t log = m.logSize();
    m.tick();
    m.app.click("frm_rd", virusList ? "btn_d2" : "btn_del");
    EXPECT_EQ(m.app.find("frm_rd"), nullptr);
    EXPECT_EQ(m.logSince(log, "delete"), std::vector<std::string>{});
    EXPECT_EQ(m.f.ui.boxes.back().text, msg::ConfirmDelete);
  }
}

TEST(RemovableDelete, ListEmptiedWhileABoxIsOpenEndsTheWalkSafely) {
  Scanned m;
  m.f.fs.lock("E:\\b.lnk");
  m.f.ui.onBox = [&](const fake::FakeUi::Box& box) {
    if (box.flags == static_cast<uint32_t>(MsgKind::Error)) m.rd().ctl("lst_dir_2").clear();
  };
  size_t log = m.logSize();
  m.rd().btn_d2_Click();
  EXPECT_EQ(m.logSince(log, "delete"), (std::vector<std::string>{"delete E:\\c.lnk", "delete E:\\b.lnk"}));
  EXPECT_TRUE(m.f.fs.has("E:\\a.lnk"));
  // The rebuild lists what the drive still holds.
  EXPECT_EQ(m.list("lst_dir_2"), (std::vector<std::string>{"a.lnk", "b.lnk"}));
}

TEST(RemovableDelete, DeviceDeselectedWhileABoxIsOpenNeverFallsBackToTheWorkingFolder) {
  Scanned m;
  m.f.fs.lock("E:\\b.lnk");
  m.f.fs.addFile("C:\\Kestrive\\a.lnk");
  m.f.ui.onBox = [&](const fake::FakeUi::Box& box) {
    if (box.flags == static_cast<uint32_t>(MsgKind::Error)) m.rd().btn_rsd_Click();
  };
  size_t boxes = m.boxes();
  size_t log = m.logSize();
  m.rd().btn_d2_Click();
  EXPECT_TRUE(m.f.fs.has("C:\\Kestrive\\a.lnk"));
  EXPECT_TRUE(m.f.fs.has("E:\\a.lnk"));
  EXPECT_EQ(m.logSince(log, "delete"), (std::vector<std::string>{"delete E:\\c.lnk", "delete E:\\b.lnk"}));
  // No device to rebuild from, so no outcome is claimed.
  EXPECT_EQ(m.shownSince(boxes).size(), 2u);
}

TEST(RemovableDelete, TypicalRequestFromPenDriveToDeleteComplete) {
  Machine m;
  m.put("E:\\", {{"autorun.inf", false, attr::Hidden | attr::System},
                 {"Photos", true, attr::Hidden | attr::System},
                 {"Photos.lnk"},
                 {"System Volume Information", true, attr::Hidden | attr::System}});
  m.open();
  m.scan("E:\\");
  m.tick();
  m.app.click("frm_rd", "btn_d2");
  EXPECT_EQ(m.shownSince(0), (std::vector<std::string>{Q + msg::ConfirmScan, I + msg::ScanFound, Q + msg::ConfirmDelete,
                                                       I + msg::DeleteComplete}));
  EXPECT_EQ(m.f.fs.namesIn("E:\\"), (std::vector<std::string>{"Photos", "System Volume Information"}));
  EXPECT_EQ(m.f.fs.attrsOf("E:\\Photos"), attr::Directory);
  m.tick();
  EXPECT_FALSE(m.rd().ctl("btn_d2").enabled);
  m.app.click("frm_rd", "btn_x");
  EXPECT_EQ(m.app.find("frm_rd"), nullptr);
}
