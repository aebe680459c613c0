// Pen Drive deletion while its boxes are open: a pulled drive, a tick, the window closed, the list emptied.
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
    ScannedDrive m;
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
    size_t boxes = m.boxCount();
    m.app.click("frm_rd", c.virusList ? "btn_d2" : "btn_del");
    // Every entry is still on the medium: each is reported, stays listed,
    // and the end is the message that says some are left.
    std::vector<Box> shown{Question(msg::ConfirmDelete)};
    for (auto it = c.left.rbegin(); it != c.left.rend(); ++it)
      shown.push_back(Error("Cannot delete file 'E:\\" + *it + "' because file is being used."));
    shown.push_back(Information(msg::DeleteLeftRemovable));
    EXPECT_EQ(m.boxesSince(boxes), shown);
    EXPECT_EQ(c.virusList ? m.viruses() : m.executables(), c.left);
    m.f.fs.setDriveReady("E:\\", true);
    EXPECT_EQ(m.left(c.left), c.left);
  }
}

TEST(RemovableDelete, TimerTickWhileAnInUseBoxIsOpenLeavesTheWalkIntact) {
  ScannedDrive m;
  m.f.fs.lock("E:\\b.lnk");
  std::vector<bool> d2DuringBox;
  m.f.ui.onBox = [&](const fake::FakeUi::Box& box) {
    if (BoxOf(box).kind != MsgKind::Error) return;
    m.app.tick("frm_rd", "T1");
    d2DuringBox.push_back(m.rd().btn_d2.enabled);
  };
  m.rd().btn_d2_Click();
  EXPECT_EQ(d2DuringBox, std::vector<bool>{true});
  EXPECT_EQ(m.left(kViruses), std::vector<std::string>{"b.lnk"});
  EXPECT_EQ(m.viruses(), std::vector<std::string>{"b.lnk"});
  EXPECT_EQ(m.lastBox(), Information(msg::DeleteLeftRemovable));
}

TEST(RemovableDelete, WindowClosedWhileAnInUseBoxIsOpenStopsTheWalk) {
  ScannedDrive m;
  m.f.fs.lock("E:\\b.lnk");
  m.f.ui.onBox = [&](const fake::FakeUi::Box& box) {
    if (BoxOf(box).kind == MsgKind::Error) m.app.close("frm_rd");
  };
  size_t boxes = m.boxCount();
  size_t log = m.logSize();
  m.tick();
  m.app.click("frm_rd", "btn_d2");
  EXPECT_EQ(m.app.find("frm_rd"), nullptr);
  EXPECT_EQ(m.logSince(log, "delete"), (std::vector<std::string>{"delete E:\\c.lnk", "delete E:\\b.lnk"}));
  EXPECT_TRUE(m.f.fs.has("E:\\a.lnk"));
  EXPECT_EQ(m.boxesSince(boxes),
            (std::vector<Box>{Question(msg::ConfirmDelete),
                              Error("Cannot delete file 'E:\\b.lnk' because file is being used.")}));
  Window* first = m.app.find("frm_first");
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->visible);
  EXPECT_TRUE(first->enabled);
}

TEST(RemovableDelete, WindowClosedDuringTheConfirmationDeletesNothing) {
  for (bool virusList : {true, false}) {
    SCOPED_TRACE(virusList ? "btn_d2" : "btn_del");
    ScannedDrive m;
    m.rd().lst_dir.items[0].marked = true;
    m.f.ui.onBox = [&](const fake::FakeUi::Box&) { m.app.close("frm_rd"); };
    size_t log = m.logSize();
    m.tick();
    m.app.click("frm_rd", virusList ? "btn_d2" : "btn_del");
    EXPECT_EQ(m.app.find("frm_rd"), nullptr);
    EXPECT_EQ(m.logSince(log, "delete"), std::vector<std::string>{});
    EXPECT_EQ(m.lastBox(), Question(msg::ConfirmDelete));
  }
}

TEST(RemovableDelete, ListEmptiedWhileABoxIsOpenEndsTheWalkSafely) {
  ScannedDrive m;
  m.f.fs.lock("E:\\b.lnk");
  m.f.ui.onBox = [&](const fake::FakeUi::Box& box) {
    if (BoxOf(box).kind == MsgKind::Error) m.rd().lst_dir_2.clear();
  };
  size_t log = m.logSize();
  m.rd().btn_d2_Click();
  EXPECT_EQ(m.logSince(log, "delete"), (std::vector<std::string>{"delete E:\\c.lnk", "delete E:\\b.lnk"}));
  EXPECT_TRUE(m.f.fs.has("E:\\a.lnk"));
  // The rebuild lists what the drive still holds.
  EXPECT_EQ(m.viruses(), (std::vector<std::string>{"a.lnk", "b.lnk"}));
}

TEST(RemovableDelete, DeviceDeselectedWhileABoxIsOpenNeverFallsBackToTheWorkingFolder) {
  ScannedDrive m;
  m.f.fs.lock("E:\\b.lnk");
  m.f.fs.addFile("C:\\Kestrive\\a.lnk");
  m.f.ui.onBox = [&](const fake::FakeUi::Box& box) {
    if (BoxOf(box).kind == MsgKind::Error) m.rd().btn_rsd_Click();
  };
  size_t boxes = m.boxCount();
  size_t log = m.logSize();
  m.rd().btn_d2_Click();
  EXPECT_TRUE(m.f.fs.has("C:\\Kestrive\\a.lnk"));
  EXPECT_TRUE(m.f.fs.has("E:\\a.lnk"));
  EXPECT_EQ(m.logSince(log, "delete"), (std::vector<std::string>{"delete E:\\c.lnk", "delete E:\\b.lnk"}));
  // No device to rebuild from, so no outcome is claimed.
  EXPECT_EQ(m.boxesSince(boxes).size(), 2u);
}
