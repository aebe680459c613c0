// Pen Drive window: the drives it offers, Refresh and Back, unhide, the marking buttons and the timer.
#include <gtest/gtest.h>

#include <functional>
#include <deque>
#include <string>
#include <vector>

#include "removable/frm_rd.h"
#include "removable/root_entries.h"
#include "shell/texts.h"
#include "tests/native/removable_fixture.h"

using namespace kestrive;
using namespace kestrive::test;

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
    PenDrive m;
    c.setup(m.f.fs);
    m.open();
    EXPECT_EQ(m.drives(), c.roots);
    EXPECT_EQ(m.rd().deviceRoot(), "");
    m.tick();
    EXPECT_FALSE(m.rd().btn_scan.enabled);
  }
}

TEST(RemovableDiscovery, WindowOpensWithNothingChosenAndAutomaticDeleteChecked) {
  PenDrive m;
  m.put("E:\\", {{"autorun.inf"}});
  FrmRd& rd = m.open();
  EXPECT_EQ(rd.title, "Pen Drive | Kestrive v3.0");
  EXPECT_TRUE(rd.visible);
  EXPECT_EQ(rd.cmb_rd.listIndex, -1);
  EXPECT_EQ(rd.chkAD.value, 1);
  EXPECT_FALSE(rd.btn_r.enabled);
  EXPECT_FALSE(rd.btn_r_dir2.enabled);
  EXPECT_TRUE(rd.lst_dir.items.empty());
  EXPECT_TRUE(rd.lst_dir_2.items.empty());
  EXPECT_TRUE(m.boxesSince(0).empty());
}

TEST(RemovableDiscovery, RefreshRebuildsDrivesResetsControlsAndEmptiesLists) {
  PenDrive m;
  m.put("E:\\", {{"autorun.inf"}, {"setup.exe"}});
  FrmRd& rd = m.open();
  rd.chkAD.value = 0;
  m.scan("E:\\");
  ASSERT_TRUE(rd.btn_r.enabled);
  m.f.fs.addDrive("K:\\");

  m.app.click("frm_rd", "btn_rsd");
  EXPECT_EQ(m.drives(), (std::vector<std::string>{"E:\\", "K:\\"}));
  EXPECT_EQ(rd.deviceRoot(), "");
  EXPECT_EQ(rd.chkAD.value, 1);
  EXPECT_FALSE(rd.btn_r.enabled);
  EXPECT_FALSE(rd.btn_r_dir2.enabled);
  // Listed from a device no longer chosen, they would be deleted elsewhere.
  EXPECT_TRUE(m.executables().empty());
  EXPECT_TRUE(m.viruses().empty());
  EXPECT_EQ(rd.focus, &rd.cmb_rd);
  m.tick();
  EXPECT_FALSE(rd.btn_scan.enabled);
}

TEST(RemovableDiscovery, BackEmptiesListsAndReopeningStartsAfresh) {
  PenDrive m;
  m.put("E:\\", {{"autorun.inf"}});
  FrmRd& rd = m.open();
  rd.chkAD.value = 0;
  m.scan("E:\\");
  m.app.click("frm_rd", "btn_x");
  EXPECT_EQ(m.app.find("frm_rd"), nullptr);
  Window* first = m.app.find("frm_first");
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->visible);
  EXPECT_TRUE(first->enabled);

  m.app.click("frm_first", "btn_rd");
  FrmRd& again = m.rd();
  EXPECT_TRUE(again.lst_dir_2.items.empty());
  EXPECT_EQ(again.chkAD.value, 1);
  EXPECT_EQ(again.deviceRoot(), "");
}

// ---- unhide command -------------------------------------------------------

TEST(RemovableUnhide, ClearsEveryRootEntryIncludingProtectedNames) {
  const uint32_t HS = attr::Hidden | attr::System;
  PenDrive m;
  m.put("E:\\", {{"System Volume Information", true, HS},
                 {"a.lnk", false, attr::ReadOnly | HS},
                 {"Photos", true, attr::Hidden},
                 {"Photos\\inner.txt", false, attr::Hidden},
                 {"Фото", true, HS}});
  FrmRd& rd = m.open();
  m.scan("E:\\");
  ASSERT_EQ(m.f.fs.attrsOf("E:\\System Volume Information"), attr::Directory | HS);
  rd.lst_dir_2.items[0].marked = true;
  size_t boxes = m.boxCount();

  m.app.click("frm_rd", "e_sa");
  EXPECT_EQ(m.boxesSince(boxes), std::vector<Box>{Question(msg::ConfirmShowAll)});
  EXPECT_EQ(m.f.fs.attrsOf("E:\\System Volume Information"), attr::Directory);
  EXPECT_EQ(m.f.fs.attrsOf("E:\\a.lnk"), 0u);
  EXPECT_EQ(m.f.fs.attrsOf("E:\\Photos"), attr::Directory);
  EXPECT_EQ(m.f.fs.attrsOf("E:\\Фото"), attr::Directory);
  EXPECT_EQ(m.f.fs.attrsOf("E:\\Photos\\inner.txt"), attr::Hidden);
  EXPECT_EQ(m.viruses(), std::vector<std::string>{"a.lnk"});
  EXPECT_TRUE(rd.lst_dir_2.items[0].marked);
}

TEST(RemovableUnhide, RefusalsAndUnreadableRootsChangeNothing) {
  struct Case {
    const char* name;
    std::function<void(PenDrive&)> before;  // after the drive was chosen
    std::deque<int> answers;
    std::vector<Box> shown;
    int changed;  // how many entries get their attributes set
  };
  const std::vector<Case> cases = {
      {"answered No", [](PenDrive&) {}, {mb::IdNo}, {Question(msg::ConfirmShowAll)}, 0},
      {"no device chosen", [](PenDrive& m) { m.rd().cmb_rd.listIndex = -1; }, {}, {Information(msg::SelectDevice)}, 0},
      {"drive pulled out",
       [](PenDrive& m) { m.f.fs.setDriveReady("E:\\", false); },
       {},
       {Question(msg::ConfirmShowAll)},
       0},
      {"listing fails after one name",
       [](PenDrive& m) { m.f.fs.failListingAfter("E:\\", 1); },
       {},
       {Question(msg::ConfirmShowAll)},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PenDrive m;
    m.put("E:\\", {{"a.lnk", false, attr::Hidden}, {"b", true, attr::Hidden}});
    m.open();
    m.choose("E:\\");
    c.before(m);
    m.f.ui.answers = c.answers;
    size_t log = m.logSize();
    m.rd().e_sa_Click();
    EXPECT_EQ(m.boxesSince(0), c.shown);
    EXPECT_EQ(static_cast<int>(m.logSince(log, "setattr").size()), c.changed);
    EXPECT_EQ(m.f.fs.attrsOf("E:\\b"), attr::Directory | attr::Hidden);
    ASSERT_NE(m.app.find("frm_rd"), nullptr);
  }
}

// ---- marking buttons ------------------------------------------------------

TEST(RemovableMarking, SelectAllAndDeselectAllWorkOnTheirOwnList) {
  struct Case {
    bool executables;  // lst_dir, else lst_dir_2
    void (FrmRd::*selectAll)();
    void (FrmRd::*deselectAll)();
  };
  const std::vector<Case> cases = {
      {true, &FrmRd::btn_dir_sa_Click, &FrmRd::btn_dir_usa_Click},
      {false, &FrmRd::btn_s2_Click, &FrmRd::btn_ds2_Click},
  };
  for (const Case& c : cases) {
    PenDrive m;
    FrmRd& rd = m.open();
    Control& list = c.executables ? rd.lst_dir : rd.lst_dir_2;
    Control& other = c.executables ? rd.lst_dir_2 : rd.lst_dir;
    SCOPED_TRACE(list.name);
    // Empty lists: nothing to do, nothing breaks.
    (rd.*c.selectAll)();
    (rd.*c.deselectAll)();
    EXPECT_TRUE(list.items.empty());

    for (const char* n : {"a", "b", "c"}) {
      list.add(n);
      other.add(n);
    }
    list.items[1].marked = true;
    (rd.*c.selectAll)();
    EXPECT_EQ(list.markedCount(), 3);
    EXPECT_EQ(other.markedCount(), 0);
    (rd.*c.deselectAll)();
    EXPECT_EQ(list.markedCount(), 0);
    EXPECT_TRUE(m.boxesSince(0).empty());
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
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE("case " + std::to_string(n++));
    PenDrive m;
    m.put("E:\\", {});
    FrmRd& rd = m.open();
    const std::vector<Control*> untouched = {&rd.cmb_rd,  &rd.btn_rsd, &rd.btn_r, &rd.btn_r_dir2,
                                             &rd.lst_dir, &rd.chkAD,   &rd.btn_x};
    if (c.device) rd.cmb_rd.listIndex = 0;
    for (int i = 0; i < c.executables; ++i) rd.lst_dir.add(std::to_string(i) + ".exe");
    for (int i = 0; i < c.viruses; ++i) rd.lst_dir_2.add(std::to_string(i) + ".lnk");
    rd.chkAD.value = c.chkAD;
    rd.lst_dir_2.enabled = c.listBefore;
    for (Control* control : untouched) control->enabled = false;

    m.tick();
    EXPECT_EQ(rd.btn_scan.enabled, c.scan);
    for (const Control* b : {&rd.btn_del, &rd.btn_dir_sa, &rd.btn_dir_usa})
      EXPECT_EQ(b->enabled, c.exeButtons) << b->name;
    EXPECT_EQ(rd.btn_d2.enabled, c.d2);
    for (const Control* b : {&rd.btn_s2, &rd.btn_ds2}) EXPECT_EQ(b->enabled, c.markButtons2) << b->name;
    EXPECT_EQ(rd.lst_dir_2.enabled, c.listAfter);
    for (const Control* control : untouched) EXPECT_FALSE(control->enabled) << control->name;
    EXPECT_EQ(rd.chkAD.value, c.chkAD);
  }
}

TEST(RemovableTimer, UncheckingAutomaticDeleteFreesTheVirusListAtTheNextTick) {
  PenDrive m;
  m.put("E:\\", {{"a.lnk"}});
  FrmRd& rd = m.open();
  m.scan("E:\\");
  m.tick();
  EXPECT_FALSE(rd.lst_dir_2.enabled);
  EXPECT_FALSE(rd.btn_s2.enabled);
  EXPECT_TRUE(rd.btn_d2.enabled);
  rd.chkAD.value = 0;
  m.tick();
  EXPECT_TRUE(rd.lst_dir_2.enabled);
  EXPECT_TRUE(rd.btn_s2.enabled);
  EXPECT_TRUE(rd.btn_ds2.enabled);
}
