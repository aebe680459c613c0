// Start-up, the window graph, the return steps and the message convention.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/native/machine.h"
#include "shell/texts.h"
#include "shell/frm_first.h"
#include "shell/info_windows.h"
#include "shell/frm_first.h"
#include "removable/frm_rd.h"
#include "computer/frm_c.h"

using namespace kestrive;

namespace {

struct ShellWindows : ::testing::Test, test::Machine {
  Window& win(const std::string& name) {
    Window* w = app.find(name);
    if (!w) throw std::runtime_error(name + " is not loaded");
    return *w;
  }
  template <class W>
  W& win(const std::string& name) {
    W* w = app.find<W>(name);
    if (!w) throw std::runtime_error(name + " is not loaded");
    return *w;
  }
  bool ends(const std::function<void()>& action) {
    try {
      action();
    } catch (const ProcessEnded&) {
      return true;
    }
    return false;
  }
  int creations(const std::string& name) const {
    return static_cast<int>(std::count(f.host.events.begin(), f.host.events.end(), "create " + name));
  }
};

}  // namespace

TEST_F(ShellWindows, StartUpWithToolShowsNoMessageAndBothCleaners) {
  app.start();
  FrmFirst& first = win<FrmFirst>("frm_first");
  EXPECT_EQ(first.title, "Kestrive v3.0");
  EXPECT_EQ(first.lbl_V.caption, "v3.0");
  EXPECT_TRUE(first.visible);
  EXPECT_TRUE(first.btn_c.enabled);
  EXPECT_TRUE(first.btn_rd.enabled);
  EXPECT_FALSE(first.help_3.enabled);
  EXPECT_EQ(boxCount(), 0u);
}

struct ToolCase {
  const char* name;
  bool toolInCwd;
  int answer;
  bool opensDownload;
};

// Named rows instead of byte dumps in the test listing.
void PrintTo(const ToolCase& c, std::ostream* os) { *os << c.name; }

class ShellToolTest : public ShellWindows, public ::testing::WithParamInterface<ToolCase> {};

TEST_P(ShellToolTest, MissingToolAsksAndDisablesComputer) {
  const ToolCase& c = GetParam();
  if (!c.toolInCwd) {
    f.fs.remove("C:\\Kestrive\\pskill.exe");
    // Beside the exe elsewhere, or on the search path, does not count.
    f.fs.addFile("C:\\Windows\\pskill.exe");
  }
  f.ui.answers = {c.answer};
  bool boxBeforeVisible = false;
  f.ui.onBox = [&](const fake::FakeUi::Box&) { boxBeforeVisible = !win("frm_first").visible; };
  app.start();
  FrmFirst& first = win<FrmFirst>("frm_first");
  ASSERT_EQ(boxesSince(0), std::vector<test::Box>{test::Question(
                               "Some file not found. Button 'computer' has been disable. Are you sure to download "
                               "new version?")});
  EXPECT_EQ(f.ui.boxes[0].title, "Kestrive");
  EXPECT_TRUE(boxBeforeVisible);
  EXPECT_FALSE(first.btn_c.enabled);
  EXPECT_TRUE(first.btn_rd.enabled);
  EXPECT_TRUE(first.visible);
  EXPECT_EQ(f.ui.urls, c.opensDownload ? std::vector<std::string>{url_download} : std::vector<std::string>{});

  // A disabled Computer takes no click; copying the tool now does not enable it.
  f.fs.addFile("C:\\Kestrive\\pskill.exe");
  EXPECT_FALSE(app.click("frm_first", "btn_c"));
  EXPECT_EQ(app.find("frm_c"), nullptr);
  app.click("frm_first", "btn_rd");
  app.click("frm_rd", "btn_x");
  EXPECT_FALSE(win<FrmFirst>("frm_first").btn_c.enabled);
}

INSTANTIATE_TEST_SUITE_P(Cases, ShellToolTest,
                         ::testing::Values(ToolCase{"ToolElsewhereNo", false, mb::IdNo, false},
                                           ToolCase{"ToolElsewhereYes", false, mb::IdYes, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShellWindows, SecondInstanceEndsSilentlyWithoutToolTest) {
  f.env.previous = true;
  f.fs.remove("C:\\Kestrive\\pskill.exe");
  EXPECT_TRUE(ends([&] { app.start(); }));
  EXPECT_EQ(boxCount(), 0u);
  EXPECT_TRUE(f.ui.urls.empty());
  EXPECT_EQ(std::count(f.log.begin(), f.log.end(), "show other instance"), 1);
  Window* first = app.find("frm_first");
  EXPECT_TRUE(first == nullptr || !first->visible);
}

TEST_F(ShellWindows, MenusHoldTheirEntriesInOrder) {
  app.start();
  std::vector<std::pair<std::string, std::string>> help;
  auto& first = dynamic_cast<FrmFirst&>(win("frm_first"));
  for (const auto& c : first.controls())
    if (c->parent == &first.help_0) help.emplace_back(c->name, c->caption);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"h_iii", "Infomation About 'Virus Shortcut'"},
      {"frmfist_htraa", "How To 'Run As Administrator'?"},
      {"h_1xxx", "How To Use This Program?"},
      {"help_0a", "-"},
      {"help_his", "History"},
      {"help_3", "Update"},
      {"help_d", "Download new version"},
      {"help_0b", "-"},
      {"help_comment", "Comment About This Program"},
      {"help_2", "About"}};
  EXPECT_EQ(help, expected);
  EXPECT_EQ(win<FrmFirst>("frm_first").help_0a.kind, Kind::Separator);
  EXPECT_EQ(win<FrmFirst>("frm_first").file_1.caption, "Exit");
}

TEST_F(ShellWindows, ControlsCarryTheirTips) {
  app.start();
  FrmFirst& first = win<FrmFirst>("frm_first");
  EXPECT_EQ(first.btn_c.tip, "For computer only");
  EXPECT_EQ(first.btn_rd.tip, "Example: pen drive, thum drive, etc");
  EXPECT_EQ(first.lbl_V.tip, "Click to download new version");
  EXPECT_EQ(first.Label1.tip, "Press it");
  EXPECT_EQ(first.Label1.caption.rfind("Created by", 0), 0u);
}

// A caption's '&' marks its access key; the key is a letter, so the one
// marked must be the first of its kind, or another would be underlined.
struct MarkedWindow : Window {
  MarkedWindow(Shell& shell, const std::string& caption)
      : Window(shell, WindowId::Options), b(add(Kind::Button, "b", caption)) {}
  Control& b;
};

TEST_F(ShellWindows, CaptionsMarkTheirAccessKeys) {
  struct Case {
    const char* declared;
    const char* caption;
    char key;
    const char* shown;
  };
  for (const Case& c : {Case{"E&xit", "Exit", 'x', "E&xit"}, Case{"&Back", "Back", 'B', "&Back"},
                        Case{"Save && go", "Save & go", 0, "Save && go"}, Case{"No key", "No key", 0, "No key"}}) {
    SCOPED_TRACE(c.declared);
    MarkedWindow w(app, c.declared);
    EXPECT_EQ(w.b.caption, c.caption);
    EXPECT_EQ(w.b.accessKey, c.key);
    EXPECT_EQ(MarkedCaption(w.b), c.shown);
  }
  EXPECT_THROW(MarkedWindow(app, "Sel&ect"), std::logic_error);
}

TEST_F(ShellWindows, EveryWindowTitleFollowsTheRule) {
  app.start();
  const std::vector<std::pair<std::string, std::string>> titles = {
      {"frm_rd", "Pen Drive | Kestrive v3.0"},        {"frm_c", "Computer | Kestrive v3.0"},
      {"frm_RM", "Registry Manager | Kestrive v3.0"}, {"frm_help", "How To 'Run As Administrator'? | Kestrive v3.0"},
      {"frm_h", "History | Kestrive v3.0"},           {"frm_about", "About"}};
  for (const auto& [name, title] : titles) EXPECT_EQ(app.load(name).title, title) << name;
}

struct ChildCase {
  const char* opener;  // control of frm_first
  const char* child;
  const char* way;  // control of the child, or "close"
  bool childUnloaded;
};

void PrintTo(const ChildCase& c, std::ostream* os) { *os << c.opener << " -> " << c.child << " -> " << c.way; }

class ShellChildTest : public ShellWindows, public ::testing::WithParamInterface<ChildCase> {};

TEST_P(ShellChildTest, ChildReturnsToAnEnabledStartUpWindow) {
  const ChildCase& c = GetParam();
  app.start();
  app.click("frm_first", c.opener);
  FrmFirst& first = win<FrmFirst>("frm_first");
  EXPECT_FALSE(first.visible);
  EXPECT_FALSE(first.enabled);
  ASSERT_NE(app.find(c.child), nullptr);
  EXPECT_TRUE(win(c.child).visible);
  if (std::string(c.way) == "close")
    app.close(c.child);
  else
    app.click(c.child, c.way);
  EXPECT_TRUE(first.visible);
  EXPECT_TRUE(first.enabled);
  Window* child = app.find(c.child);
  if (c.childUnloaded) {
    EXPECT_EQ(child, nullptr);
  } else {
    ASSERT_NE(child, nullptr);
    EXPECT_FALSE(child->visible);
  }
  // The next opening runs the load steps again only for an unloaded window.
  app.click("frm_first", c.opener);
  EXPECT_EQ(creations(c.child), c.childUnloaded ? 2 : 1);
  EXPECT_TRUE(win(c.child).visible);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ShellChildTest,
    ::testing::Values(ChildCase{"btn_rd", "frm_rd", "btn_x", true}, ChildCase{"btn_rd", "frm_rd", "f_Back", true},
                      ChildCase{"btn_rd", "frm_rd", "close", true}, ChildCase{"btn_c", "frm_c", "btn_x", true},
                      ChildCase{"btn_c", "frm_c", "f2_Back", true}, ChildCase{"btn_c", "frm_c", "close", true},
                      ChildCase{"help_his", "frm_h", "btn_k", false}, ChildCase{"help_his", "frm_h", "close", true},
                      ChildCase{"help_2", "frm_about", "btn_ok", false},
                      ChildCase{"help_2", "frm_about", "close", true}),
    [](const auto& info) {
      return std::string(info.param.child) + "_" +
             (std::string(info.param.way) == "close" ? "closebox" : info.param.way);
    });

TEST_F(ShellWindows, CleanerReturnEmptiesItsListsAndUnloads) {
  app.start();
  app.click("frm_first", "btn_rd");
  win<FrmRd>("frm_rd").lst_dir.add("setup.exe");
  win<FrmRd>("frm_rd").lst_dir_2.add("a.lnk");
  app.click("frm_rd", "btn_x");
  EXPECT_EQ(app.find("frm_rd"), nullptr);
  app.click("frm_first", "btn_rd");
  EXPECT_TRUE(win<FrmRd>("frm_rd").lst_dir.items.empty());
  EXPECT_TRUE(win<FrmRd>("frm_rd").lst_dir_2.items.empty());
}

TEST_F(ShellWindows, RegistryManagerReturnsToComputerAsItWasLeft) {
  app.start();
  app.click("frm_first", "btn_c");
  FrmC& c = win<FrmC>("frm_c");
  c.lst_P.add("svchost.exe");
  c.lst_P.items[0].marked = true;
  for (const char* way : {"btn_zx", "RM_f_back", "close"}) {
    f.ui.answers.clear();
    app.click("frm_c", "ex_fReg");
    EXPECT_FALSE(c.visible);
    EXPECT_FALSE(c.enabled);
    ASSERT_NE(app.find("frm_RM"), nullptr);
    if (std::string(way) == "close")
      app.close("frm_RM");
    else
      app.click("frm_RM", way);
    EXPECT_EQ(app.find("frm_RM"), nullptr) << way;
    EXPECT_TRUE(c.visible);
    EXPECT_TRUE(c.enabled);
    ASSERT_EQ(c.lst_P.items.size(), 1u);
    EXPECT_TRUE(c.lst_P.items[0].marked);
    EXPECT_FALSE(win("frm_first").visible);
  }
  EXPECT_EQ(creations("frm_RM"), 3);
}

TEST_F(ShellWindows, ExitEndsTheProcessFromEveryWindow) {
  const std::vector<std::pair<std::vector<std::pair<std::string, std::string>>, std::pair<std::string, std::string>>>
      cases = {
          {{}, {"frm_first", "file_1"}},
          {{{"frm_first", "btn_rd"}}, {"frm_rd", "f_Exit"}},
          {{{"frm_first", "btn_c"}}, {"frm_c", "f2_Exit"}},
          {{{"frm_first", "btn_c"}, {"frm_c", "ex_fReg"}}, {"frm_RM", "RM_f_exit"}},
      };
  for (const auto& [steps, exit] : cases) {
    fake::FakePlatform fp;
    Kestrive a(fp.platform);
    a.start();
    for (const auto& [w, c] : steps) a.click(w, c);
    try {
      a.click(exit.first, exit.second);
      ADD_FAILURE() << exit.second << " did not end the process";
    } catch (const ProcessEnded&) {
    }
    EXPECT_TRUE(fp.ui.ended);
    // Nothing else ran on the way out: a hidden start-up window was not shown again.
    if (!steps.empty()) {
      EXPECT_FALSE(a.find("frm_first")->visible) << exit.second;
    }
  }
}

TEST_F(ShellWindows, ClosingStartUpWindowEndsEvenWithHelpOpen) {
  app.start();
  app.click("frm_first", "frmfist_htraa");
  EXPECT_TRUE(win("frm_help").visible);
  EXPECT_TRUE(ends([&] { app.close("frm_first"); }));
}

TEST_F(ShellWindows, HelpWindowShownAlongsideOnceAndOnlyHiddenByBack) {
  app.start();
  app.click("frm_first", "frmfist_htraa");
  app.click("frm_first", "frmfist_htraa");
  EXPECT_EQ(creations("frm_help"), 1);
  EXPECT_TRUE(win("frm_help").visible);
  EXPECT_TRUE(win("frm_first").visible);
  EXPECT_TRUE(win("frm_first").enabled);
  app.click("frm_help", "btn_ok");
  EXPECT_FALSE(win("frm_help").visible);
  EXPECT_TRUE(win("frm_first").visible);
}

TEST_F(ShellWindows, HelpFromRegistryManagerOutlivesIt) {
  app.start();
  app.click("frm_first", "btn_c");
  app.click("frm_c", "ex_fReg");
  app.click("frm_RM", "RM_h_htraa");
  EXPECT_TRUE(win("frm_RM").visible);
  app.click("frm_RM", "btn_zx");
  ASSERT_NE(app.find("frm_help"), nullptr);
  EXPECT_TRUE(win("frm_help").visible);
  app.click("frm_help", "btn_ok");
  EXPECT_FALSE(win("frm_help").visible);
  EXPECT_TRUE(win("frm_c").visible);
}

TEST_F(ShellWindows, LinksOpenTheirAddresses) {
  app.start();
  const std::vector<std::pair<std::string, std::string>> links = {
      {"h_iii", url_site + "/x/index.php?option=com_content&view=article&id=5&Itemid=12"},
      {"h_1xxx", url_guide},
      {"help_d", url_download},
      {"help_comment", url_site + "/x/index.php?option=com_content&view=article&id=3:kestrive&catid=1:sfwr&Itemid=9"},
      {"lbl_V", url_download},
      {"Label1", url_social}};
  for (const auto& [control, url] : links) {
    f.ui.urls.clear();
    app.click("frm_first", control);
    EXPECT_EQ(f.ui.urls, std::vector<std::string>{url}) << control;
    EXPECT_TRUE(win("frm_first").visible);
  }
  app.click("frm_first", "help_2");
  const std::vector<std::pair<std::string, std::string>> about = {
      {"Label1", url_social}, {"Label2", url_social}, {"lbl_0", url_site}, {"lbl_version", url_download}};
  for (const auto& [control, url] : about) {
    f.ui.urls.clear();
    app.click("frm_about", control);
    EXPECT_EQ(f.ui.urls, std::vector<std::string>{url}) << control;
  }
  EXPECT_EQ(url_site.back() == '/', false);
}

TEST_F(ShellWindows, AboutWindowSetsItsLabelsAtLoad) {
  app.start();
  app.click("frm_first", "help_2");
  EXPECT_EQ(win<FrmAbout>("frm_about").lbl_version.caption, "v3.0");
  EXPECT_EQ(win<FrmAbout>("frm_about").lbl_0.caption, "Kestrive");
  EXPECT_EQ(win("frm_about").title, "About");
}

TEST_F(ShellWindows, NeverOpenedWindowsExist) {
  EXPECT_EQ(app.load("frm_u").title, "Update");
  EXPECT_EQ(win<FrmU>("frm_u").btn_k.caption, "Done");
  EXPECT_EQ(app.load("frm_op").title, "");
  EXPECT_TRUE(win("frm_op").controls().empty());
}

TEST(ShellHistory, TextByteForByte) {
  const std::string expected =
      "[3.0]\r\n-Computer\r\n  add new list (personal folder).\r\n  add 'File' at menu.\r\n  change design.\r\n"
      "  and more.\r\n\r\n-Pen Drive\r\n  add 'Extra' at menu.\r\n  add 'File' at menu.\r\n  fix scan.\r\n"
      "  change design.\r\n  and more.\r\n\r\n"
      "[2.4]\r\n-Computer\r\n  fix 'pskill' file (REG).\r\n  fix 'scan'.\r\n\r\n-Pen Drive\r\n  fix 'scan'.\r\n\r\n\r\n"
      "[2.3]\r\n-Computer\r\n  fix kill VIRUS in task manager.\r\n  change design.\r\n\r\n-Other\r\n"
      "  standalone (Portable).\r\n\r\n\r\n"
      "[2.2]\r\n-Pen Drive\r\n  fix show all hidden files and folders.\r\n\r\n-Computer\r\n"
      "  add 'Fix Registry' at menu.\r\n\r\n-Other\r\n  add title at button.\r\n  add 'Download' at menu.\r\n"
      "  add 'Comment About This Program' at menu.\r\n  add 'Help' at menu.\r\n  fix 'pskill' file.\r\n\r\n\r\n"
      "[2.1]\r\n-Pen Drive\r\n  fix app.exename can't in the list box.\r\n"
      "  fix combo box only active Pen Drive are in list.\r\n  add refresh for combo box.\r\n"
      "  add msgbox to confirm process.\r\n\r\n-Computer\r\n  add new button.\r\n\r\n-Other\r\n"
      "  add 'History' at menu.\r\n";
  EXPECT_EQ(releaseHistory(), expected);
}

TEST_F(ShellWindows, MessagesCarryTheTitleAndTheKindsFlags) {
  const std::vector<std::pair<MsgKind, uint32_t>> kinds = {{MsgKind::Question, 0x24},
                                                           {MsgKind::Information, 0x40},
                                                           {MsgKind::Error, 0x10},
                                                           {MsgKind::Warning, 0x30},
                                                           {MsgKind::Plain, 0x00}};
  for (const auto& [kind, flags] : kinds) app.message("text", kind);
  // The flags themselves: what every other test reads as a test::Box kind.
  ASSERT_EQ(f.ui.boxes.size(), kinds.size());
  for (size_t i = 0; i < kinds.size(); ++i) {
    EXPECT_EQ(f.ui.boxes[i].title, "Kestrive");
    EXPECT_EQ(f.ui.boxes[i].flags, kinds[i].second);
  }
  f.ui.answers = {mb::IdNo, mb::IdYes};
  EXPECT_FALSE(app.ask("q"));
  EXPECT_TRUE(app.ask("q"));
}

TEST_F(ShellWindows, WindowUnloadedByItsOwnHandlerStaysUsableUntilTheEventEnds) {
  app.start();
  app.click("frm_first", "btn_rd");
  // While a message box of frm_rd is open the user goes Back.
  f.ui.onBox = [&](const fake::FakeUi::Box&) {
    f.ui.onBox = nullptr;
    app.click("frm_rd", "btn_x");
  };
  app.click("frm_rd", "btn_scan");  // no device: "Select device first!"
  EXPECT_EQ(app.find("frm_rd"), nullptr);
  EXPECT_TRUE(win("frm_first").visible);
  EXPECT_TRUE(win("frm_first").enabled);
}
