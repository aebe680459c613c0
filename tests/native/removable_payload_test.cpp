// The stick's shortcuts followed to what they run, and the user's files
// moved back out of the folder with no name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "removable/blank_folder.h"
#include "removable/frm_rd.h"
#include "removable/payloads.h"
#include "shell/texts.h"
#include "tests/native/removable_fixture.h"
#include "tests/support/link_bytes.h"

using namespace kestrive;
using test::LinkBytes;
using test::LinkSpec;

namespace {

constexpr uint32_t HS = attr::Hidden | attr::System;
const std::string NBSP = "\u00A0";

LinkSpec Cmd(const std::string& arguments, const std::string& workingDir = "") {
  return {.localPath = "C:\\Windows\\system32\\cmd.exe", .workingDir = workingDir, .arguments = arguments};
}
const LinkSpec VbsWorm = Cmd("/c start iTunesHelper.vbe&start Music&exit");
const LinkSpec RecyclerWorm =
    Cmd("/c \"start %cd%RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe &&%windir%\\explorer.exe %cd%Docs\"");
const LinkSpec DllWorm = {.arguments = "~$WQHGV.FAT32,_ldr@16 desktop.ini RET TLB",
                          .envTarget = "%hoMEdrive%\\WINDOWS\\System32\\rundll32.exe"};

struct Entry {
  std::string name;  // below E:\; a trailing "\" makes a folder
  uint32_t attributes = attr::Archive;
  std::optional<LinkSpec> link{};
};

// A pen drive at E:\ whose entries may be shortcuts.
struct Stick : test::PenDrive {
  void put(const std::vector<Entry>& entries) {
    f.fs.addDrive("E:\\");
    for (const Entry& e : entries) {
      if (!e.name.empty() && e.name.back() == '\\') {
        f.fs.addDir("E:\\" + e.name.substr(0, e.name.size() - 1), e.attributes);
      } else {
        f.fs.addFile("E:\\" + e.name, e.attributes);
        if (e.link) f.fs.setBytes("E:\\" + e.name, LinkBytes(*e.link));
      }
    }
  }
  // Opens the window, chooses E:\ and scans it, answering Yes; then a tick.
  void scan() {
    open();
    PenDrive::scan("E:\\");
    tick();
  }
  // The texts of the boxes shown since `from`.
  std::vector<std::string> texts(size_t from = 0) const {
    std::vector<std::string> out;
    for (const test::Box& box : boxesSince(from)) out.push_back(box.text);
    return out;
  }
};

}  // namespace

TEST(RemovablePayloads, RootLayoutsToPayloads) {
  struct Case {
    const char* what;
    std::vector<Entry> root;
    std::vector<std::string> viruses;
  };
  const std::vector<Case> cases = {
      {"VBS worm: a hidden script at the root; start Music opens a folder",
       {{"Music\\", HS}, {"iTunesHelper.vbe", HS}, {"Music.lnk", 0, VbsWorm}},
       {"Music.lnk", "iTunesHelper.vbe"}},
      {"program below the root in a hidden RECYCLER folder",
       {{"Docs\\", HS},
        {"RECYCLER\\", HS},
        {"RECYCLER\\S-1-5-21-1234\\", 0},
        {"RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe"},
        {"Docs.lnk", HS, RecyclerWorm}},
       {"Docs.lnk", "RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe"}},
      {"DLL named like a temp file, target only in the environment block",
       {{"desktop.ini", HS}, {"~$WQHGV.FAT32", HS}, {"USB DISK.lnk", HS, DllWorm}},
       {"USB DISK.lnk", "~$WQHGV.FAT32"}},
      {"a visible portable app the shortcut starts is the user's",
       {{"PortableApps\\"},
        {"PortableApps\\app.exe"},
        {"App.lnk", 0, LinkSpec{.localPath = "E:\\PortableApps\\app.exe"}}},
       {"App.lnk"}},
      {"a portable app in a folder the worm hid is the user's",
       {{"PortableApps\\", HS},
        {"PortableApps\\app.exe"},
        {"App.lnk", 0, LinkSpec{.localPath = "E:\\PortableApps\\app.exe"}}},
       {"App.lnk"}},
      {"a hidden program the link starts itself is a payload",
       {{"x.exe", HS},
        {"x.lnk", 0, LinkSpec{.localPath = "E:\\x.exe"}},
        {"y.lnk", 0, LinkSpec{.localPath = "E:\\x.exe"}}},
       {"x.lnk", "y.lnk", "x.exe"}},
      {"the user's program a shortcut is named after is opened, not the worm",
       {{"tool.exe", HS},
        {"w.vbe", HS},
        {"tool.exe.lnk", 0, Cmd("/c start w.vbe&start tool.exe&exit")},
        {"Tool.lnk", 0, Cmd("/c start w.vbe&start tool.exe&exit")}},
       {"Tool.lnk", "w.vbe"}},  // tool.exe.lnk lists with the executables
      {"a hidden document the shortcut opens is the user's",
       {{"report.docx", HS}, {"w.vbe", HS}, {"report.docx.lnk", 0, Cmd("/c start w.vbe&start report.docx&exit")}},
       {"report.docx.lnk", "w.vbe"}},
      {"a hidden document as the link's own target is the user's",
       {{"report.docx", HS}, {"report.lnk", 0, LinkSpec{.localPath = "E:\\report.docx"}}},
       {"report.lnk"}},
      {"files elsewhere, up and out, on shares or behind variables are never the device's",
       {{"x.vbe", HS},
        {"a.lnk", 0, Cmd("/c start C:\\x.vbe&start F:\\x.vbe&start %windir%\\x.vbe&start \\\\srv\\s\\x.vbe")},
        {"b.lnk", 0, Cmd("/c start ..\\x.vbe&start .\\x.vbe&start E:x.vbe&start x.vbe:ads")}},
       {"a.lnk", "b.lnk"}},
      {"the working folder on the device holds the relative names",
       {{"Sub\\", HS},
        {"Sub\\x.js"},
        {"x.js"},
        {"a.lnk", 0,
         LinkSpec{
             .localPath = "C:\\Windows\\system32\\wscript.exe", .workingDir = "E:\\Sub", .arguments = "//B x.js"}}},
       {"a.lnk", "Sub\\x.js"}},
      {"a working folder on another drive keeps relative names off the device",
       {{"x.vbe", HS}, {"a.lnk", 0, Cmd("/c start x.vbe", "C:\\Windows")}},
       {"a.lnk"}},
      {"a folder that is a link elsewhere is never followed",
       {{"RECYCLER\\", HS | attr::ReparsePoint},
        {"RECYCLER\\x.exe", HS},
        {"a.lnk", 0, Cmd("/c start RECYCLER\\x.exe")}},
       {"a.lnk"}},
      {"a folder handed as a program is no file", {{"w.exe\\", HS}, {"a.lnk", 0, Cmd("/c start w.exe")}}, {"a.lnk"}},
      {"a visible file handed to a script host is the user's",
       {{"notes.txt"}, {"a.lnk", 0, LinkSpec{.localPath = "C:\\w\\wscript.exe", .arguments = "notes.txt"}}},
       {"a.lnk"}},
      {"Windows' own names and our own program stay",
       {{"desktop.ini", HS},
        {"kestrive.exe", HS},
        {"a.lnk", 0, Cmd("/c start kestrive.exe&start desktop.ini")},
        {"b.lnk", 0, LinkSpec{.localPath = "C:\\w\\rundll32.exe", .arguments = "desktop.ini,x"}}},
       {"a.lnk", "b.lnk"}},
      {"a malformed or empty shortcut adds nothing and the scan goes on",
       {{"x.vbe", HS}, {"bad.lnk", HS}, {"ok.lnk", 0, VbsWorm}},
       {"bad.lnk", "ok.lnk"}},
      {"a payload the name rules list already, and one named twice, appear once",
       {{"w.vbs", HS}, {"a.lnk", 0, Cmd("/c start w.vbs & start W.VBS")}, {"b.lnk", 0, Cmd("/c start w.vbs")}},
       {"w.vbs", "a.lnk", "b.lnk"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Stick m;
    m.put(c.root);
    m.f.env.exe = "kestrive";
    m.scan();
    EXPECT_EQ(m.viruses(), c.viruses);
  }
}

TEST(RemovablePayloads, APayloadUnhiddenBeforeItsShortcutIsReadIsJudgedAsListed) {
  Stick m;
  // The payload comes first in the listing: unhidden before its shortcut is read.
  m.put({{"iTunesHelper.vbe", HS}, {"Music.lnk", HS, VbsWorm}});
  m.scan();
  EXPECT_EQ(m.viruses(), (std::vector<std::string>{"Music.lnk", "iTunesHelper.vbe"}));
  EXPECT_EQ(m.f.fs.attrsOf("E:\\iTunesHelper.vbe"), 0u);
}

TEST(RemovablePayloads, AutomaticDeleteRemovesShortcutsAndPayloadsOnly) {
  Stick m;
  m.put({{"Docs\\", HS},
         {"Docs\\letter.doc"},
         {"RECYCLER\\", HS},
         {"RECYCLER\\S-1-5-21-1234\\", HS},
         {"RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe"},
         {"RECYCLER\\S-1-5-21-1234\\keep.txt", HS},
         {"Docs.lnk", HS, RecyclerWorm},
         {"~$WQHGV.FAT32", HS},
         {"USB DISK.lnk", HS, DllWorm}});
  m.scan();
  const size_t log = m.logSize();
  const size_t boxes = m.boxCount();
  m.app.click("frm_rd", "btn_d2");
  EXPECT_EQ(m.texts(boxes), (std::vector<std::string>{msg::ConfirmDelete, msg::DeleteComplete}));
  EXPECT_TRUE(m.viruses().empty());
  // Below the root only the payload was touched.
  for (const std::string& line : m.logSince(log)) {
    if (line.rfind("setattr ", 0) != 0 && line.rfind("delete ", 0) != 0) continue;
    const std::string path = line.substr(line.find(' ') + 1);
    if (path.rfind("E:\\RECYCLER", 0) == 0) {
      EXPECT_EQ(path.rfind("E:\\RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe", 0), 0u) << line;
    }
  }
  EXPECT_FALSE(m.f.fs.has("E:\\RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe"));
  EXPECT_FALSE(m.f.fs.has("E:\\~$WQHGV.FAT32"));
  EXPECT_TRUE(m.f.fs.has("E:\\RECYCLER\\S-1-5-21-1234\\keep.txt"));
  EXPECT_EQ(m.f.fs.attrsOf("E:\\RECYCLER\\S-1-5-21-1234\\keep.txt"), HS);
  EXPECT_TRUE(m.f.fs.has("E:\\Docs\\letter.doc"));
  EXPECT_EQ(m.f.fs.namesIn("E:\\"), (std::vector<std::string>{"Docs", "RECYCLER"}));
}

// A stick with the recycler worm's shortcut and its payload, and nothing else.
std::vector<Entry> RecyclerPayloadOnly() {
  return {{"RECYCLER\\", HS},
          {"RECYCLER\\S-1-5-21-1234\\", HS},
          {"RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe"},
          {"Docs.lnk", HS, RecyclerWorm}};
}

TEST(RemovablePayloads, APayloadThatStaysIsReportedAndStaysListed) {
  Stick m;
  m.put(RecyclerPayloadOnly());
  m.scan();
  m.f.fs.lock("E:\\RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe");
  const size_t boxes = m.boxCount();
  m.app.click("frm_rd", "btn_d2");
  EXPECT_EQ(m.texts(boxes),
            (std::vector<std::string>{msg::ConfirmDelete,
                                      "Cannot delete file 'E:\\RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe' because file "
                                      "is being used.",
                                      msg::DeleteLeftRemovable}));
  EXPECT_EQ(m.viruses(), std::vector<std::string>{"RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe"});
  EXPECT_FALSE(m.f.fs.has("E:\\Docs.lnk"));
}

TEST(RemovablePayloads, AFolderTurnedIntoALinkSinceTheScanStopsTheDeletion) {
  Stick m;
  m.put(RecyclerPayloadOnly());
  m.scan();
  m.f.fs.addDir("E:\\RECYCLER\\S-1-5-21-1234", attr::ReparsePoint);
  m.f.fs.addFile("E:\\RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe");
  const size_t log = m.logSize();
  m.app.click("frm_rd", "btn_d2");
  EXPECT_EQ(m.logSince(log, "delete E:\\RECYCLER"), std::vector<std::string>{});
  EXPECT_TRUE(m.f.fs.has("E:\\RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe"));
  EXPECT_EQ(m.viruses(), std::vector<std::string>{"RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe"});
}

TEST(RemovableBlankFolder, BlankNames) {
  for (const char* yes : {"\u00A0", " ", "\u2000\u200B\u200F", "\u3000", "\u3164", "\u2800", "\u00A0 \u00A0"})
    EXPECT_TRUE(rd::isBlankName(yes)) << yes;
  for (const char* no : {"", "a", "\u00A0a", ".", "\u3164x", "_"}) EXPECT_FALSE(rd::isBlankName(no)) << no;
}

TEST(RemovableBlankFolder, YesMovesEverythingBackAndRemovesTheFolder) {
  Stick m;
  m.put({{NBSP + "\\", HS},
         {NBSP + "\\Photos\\", HS},
         {NBSP + "\\Photos\\cat.jpg"},
         {NBSP + "\\report.docx", HS | attr::ReadOnly},
         {"Photos.lnk", HS, VbsWorm}});
  m.scan();
  EXPECT_EQ(m.texts(), (std::vector<std::string>{msg::ConfirmScan, msg::ScanFound,
                                                 "The virus moved your files into a folder without a name. Move them "
                                                 "back to E:\\ now?",
                                                 "Moved 2 entries back to E:\\."}));
  EXPECT_EQ(m.lastBox().kind, MsgKind::Information);
  EXPECT_FALSE(m.f.fs.has("E:\\" + NBSP));
  EXPECT_TRUE(m.f.fs.has("E:\\Photos\\cat.jpg"));
  EXPECT_EQ(m.f.fs.attrsOf("E:\\Photos"), attr::Directory);
  EXPECT_EQ(m.f.fs.attrsOf("E:\\report.docx"), attr::ReadOnly);
  EXPECT_EQ(m.logSince(0, "delete"), std::vector<std::string>{});
}

TEST(RemovableBlankFolder, NoLeavesTheFolderAlone) {
  Stick m;
  m.put({{NBSP + "\\"}, {NBSP + "\\a.txt"}});
  m.f.ui.answers = {mb::IdYes, mb::IdNo};
  m.scan();
  EXPECT_EQ(m.texts().size(), 3u);
  EXPECT_TRUE(m.f.fs.has("E:\\" + NBSP + "\\a.txt"));
  EXPECT_EQ(m.logSince(0, "move"), std::vector<std::string>{});
}

TEST(RemovableBlankFolder, ANameClashStaysInTheFolderAndIsNamed) {
  Stick m;
  m.put({{"\u3164\\", HS}, {"\u3164\\a.txt"}, {"\u3164\\b.txt"}, {"a.txt"}});
  m.scan();
  EXPECT_EQ(m.texts().back(),
            "Moved 1 entry back to E:\\.\n\nThese stay in the folder without a name, as E:\\ already holds an "
            "entry of the same name: a.txt.");
  EXPECT_EQ(m.lastBox().kind, MsgKind::Error);
  EXPECT_TRUE(m.f.fs.has("E:\\\u3164\\a.txt"));
  EXPECT_TRUE(m.f.fs.has("E:\\b.txt"));
  EXPECT_EQ(m.logSince(0, "rmdir"), std::vector<std::string>{});
}

TEST(RemovableBlankFolder, ADrivePulledOutLosesNothing) {
  Stick m;
  m.put({{NBSP + "\\", HS}, {NBSP + "\\a.txt"}, {NBSP + "\\b.txt"}});
  // The drive goes while the question is open.
  m.f.ui.onBox = [&](const fake::FakeUi::Box& box) {
    if (box.text.rfind(rd::RestoreQuestionPrefix, 0) == 0) m.f.fs.setDriveReady("E:\\", false);
  };
  m.scan();
  m.f.fs.setDriveReady("E:\\", true);
  EXPECT_EQ(m.texts().back(),
            "Moved 0 entries back to E:\\.\n\nThe folder without a name could not be read to its end. Check that the "
            "device is still plugged in.");
  EXPECT_EQ(m.lastBox().kind, MsgKind::Error);
  EXPECT_TRUE(m.f.fs.has("E:\\" + NBSP + "\\a.txt"));
  EXPECT_TRUE(m.f.fs.has("E:\\" + NBSP + "\\b.txt"));
}

TEST(RemovableBlankFolder, AnEntryInUseStaysAndIsNamed) {
  Stick m;
  m.put({{NBSP + "\\", HS}, {NBSP + "\\a.txt"}, {NBSP + "\\b.txt"}});
  m.f.fs.lock("E:\\" + NBSP + "\\a.txt");
  m.scan();
  EXPECT_EQ(m.texts().back(),
            "Moved 1 entry back to E:\\.\n\nThese could not be moved and stay in the folder without a name: a.txt.");
  EXPECT_TRUE(m.f.fs.has("E:\\" + NBSP + "\\a.txt"));
  EXPECT_TRUE(m.f.fs.has("E:\\b.txt"));
}

TEST(RemovableBlankFolder, ALinkedBlankFolderIsNotOffered) {
  Stick m;
  m.put({{NBSP + "\\", HS | attr::ReparsePoint}, {NBSP + "\\a.txt"}});
  m.scan();
  EXPECT_EQ(m.texts(), (std::vector<std::string>{msg::ConfirmScan, msg::ScanClean}));
}
