// The real binding as a person meets it, with the windows made in this
// process (Wine keeps menus inside the process that made them):
// - every window shows, in each drop-down menu and in order, the entries its
//   window class declares: text entries with their captions, access keys and
//   grayed state, and separator lines only where the class has them;
// - the pointer shows the wait cursor while a click's handler works, and the
//   arrow again while a message box waits for an answer and once it is done.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/kestrive.h"
#include "platform/fake/fake_platform.h"
#include "platform/win32/control_ids.h"
#include "platform/win32/gui.h"
#include "platform/win32/os.h"
#include "shell/frm_first.h"

using namespace kestrive;

namespace {

constexpr WindowId kAll[] = {WindowId::First,           WindowId::Removable, WindowId::Computer,
                             WindowId::RegistryManager, WindowId::Help,      WindowId::History,
                             WindowId::About,           WindowId::Update,    WindowId::Options};

// This thread's dialog of a window, found by the id the binding stores on it.
HWND dialogOf(const std::string& window) {
  int dialog = 0;
  for (const auto& d : win32::kWindowIds)
    if (window == d.window) dialog = d.dialog;
  struct Search {
    int dialog;
    HWND found;
  } search{dialog, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM lp) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        if (reinterpret_cast<INT_PTR>(GetPropW(h, win32::kDialogProperty)) != s->dialog) return TRUE;
        s->found = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// One entry as the menu holds it.
struct Shown {
  bool separator = false;
  std::string text;  // with its '&' marks, as the menu draws it
  bool grayed = false;
  bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Shown& s) {
  if (s.separator) return os << "<separator>";
  return os << '"' << s.text << '"' << (s.grayed ? " (grayed)" : "");
}

Shown entryAt(HMENU menu, int at) {
  wchar_t text[256] = {};
  MENUITEMINFOW mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
  mi.dwTypeData = text;
  mi.cch = 256;
  Shown s;
  if (!GetMenuItemInfoW(menu, at, TRUE, &mi)) {
    s.text = "<unreadable>";
    return s;
  }
  s.separator = (mi.fType & MFT_SEPARATOR) != 0;
  if (s.separator) return s;  // a line, grayed or not, is no entry to choose
  s.text = win32::narrow(text);
  s.grayed = (mi.fState & MFS_GRAYED) != 0;
  return s;
}

// What the window class declares for a menu, in order.
std::vector<Shown> declared(const Window& w, const Control& menu) {
  std::vector<Shown> out;
  for (const Control* c : w.controls()) {
    if (c->parent != &menu) continue;
    if (c->kind == Kind::Separator)
      out.push_back({true, "", false});
    else if (c->kind == Kind::MenuEntry)
      out.push_back({false, MarkedCaption(*c), !c->enabled});
  }
  return out;
}

class Menus : public ::testing::Test {
 protected:
  fake::FakePlatform f;
  win32::Gui gui{GetModuleHandleW(nullptr)};
  // Real dialogs and menus; files, registry and message boxes stay in memory.
  Platform real{f.fs, f.reg, f.proc, f.ui, f.clock, f.env, gui};
  Kestrive app{real};
};

TEST_F(Menus, EveryEntryShowsItsCaptionAccessKeyAndStateInOrder) {
  int menusSeen = 0;
  for (WindowId id : kAll) {
    Window& w = app.load(id);
    gui.sync();
    SCOPED_TRACE(w.name());
    HWND dialog = dialogOf(w.name());
    ASSERT_NE(dialog, nullptr) << "no dialog made";
    HMENU bar = GetMenu(dialog);
    std::vector<const Control*> menus;
    for (const Control* c : w.controls())
      if (c->kind == Kind::Menu) menus.push_back(c);
    ASSERT_EQ(bar ? GetMenuItemCount(bar) : 0, static_cast<int>(menus.size()));
    for (size_t i = 0; i < menus.size(); ++i) {
      SCOPED_TRACE(menus[i]->name);
      ++menusSeen;
      Shown title = entryAt(bar, static_cast<int>(i));
      EXPECT_EQ(title, (Shown{false, MarkedCaption(*menus[i]), false}));
      HMENU popup = GetSubMenu(bar, static_cast<int>(i));
      ASSERT_NE(popup, nullptr);
      std::vector<Shown> got;
      for (int at = 0; at < GetMenuItemCount(popup); ++at) got.push_back(entryAt(popup, at));
      EXPECT_EQ(got, declared(w, *menus[i]));
    }
  }
  // The start-up window, both cleaners and the Registry Manager have two each.
  EXPECT_EQ(menusSeen, 8);
}

TEST_F(Menus, AGrayedEntryFollowsItsControl) {
  auto& first = dynamic_cast<FrmFirst&>(app.load(WindowId::First));
  gui.sync();
  HMENU help = GetSubMenu(GetMenu(dialogOf("frm_first")), 1);
  auto grayedAt = [&](const std::string& entry) {
    int at = 0;
    for (const Control* c : first.controls())
      if (c->parent == &first.help_0) {
        if (c->name == entry) return entryAt(help, at).grayed;
        ++at;
      }
    ADD_FAILURE() << entry << " not in the Help menu";
    return false;
  };
  EXPECT_TRUE(grayedAt("help_3"));  // "Update" is never enabled
  first.help_d.enabled = false;
  gui.sync();
  EXPECT_TRUE(grayedAt("help_d"));
  first.help_d.enabled = true;
  gui.sync();
  EXPECT_FALSE(grayedAt("help_d"));
}

TEST_F(Menus, TheWaitCursorShowsWhileAClickIsHandled) {
  f.fs.addFile("E:\\autorun.inf", attr::Hidden | attr::System);
  gui.attach(app);
  app.start();
  app.click("frm_first", "btn_rd");
  Window& rd = *app.find("frm_rd");
  Control& drives = rd.ctl("cmb_rd");
  for (size_t i = 0; i < drives.items.size(); ++i)
    if (drives.items[i].text == "E:\\") drives.listIndex = static_cast<int>(i);
  ASSERT_GE(drives.listIndex, 0);
  app.click("frm_rd", "cmb_rd");
  app.tick("frm_rd", "T1");
  gui.sync();
  HWND dialog = dialogOf("frm_rd");
  ASSERT_NE(dialog, nullptr);
  const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT), arrow = LoadCursorW(nullptr, IDC_ARROW);
  // What the pointer over the window would show now.
  auto pointed = [&] {
    SendMessageW(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  std::vector<std::string> seen;
  f.ui.onBox = [&](const fake::FakeUi::Box& box) { seen.push_back(box.text + (gui.busy() ? " busy" : " idle")); };
  int id = 0;
  for (const auto& c : win32::kControlIds)
    if (std::string("frm_rd") == c.window && std::string("btn_scan") == c.control) id = c.id;
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  // The fake boxes stand in for the real ones: the binding is busy around them.
  EXPECT_EQ(seen, (std::vector<std::string>{"Are you sure to scan this device? busy",
                                            "Scan complete. Delete file that you don't know. busy"}));
  EXPECT_FALSE(gui.busy());
  EXPECT_EQ(pointed(), arrow);
  EXPECT_EQ(f.fs.attrsOf("E:\\autorun.inf") & (attr::Hidden | attr::System), 0u);

  f.ui.onBox = [&](const fake::FakeUi::Box&) { seen.push_back(pointed() == wait ? "wait" : "other"); };
  seen.clear();
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  EXPECT_EQ(seen, (std::vector<std::string>{"wait", "wait"}));
  EXPECT_EQ(pointed(), arrow);
}

// The same click with the real message boxes, answered Yes (or OK) by a timer
// while each is up: each box shows the arrow, though the handler that asks
// is busy, and the wait cursor comes back when the box has gone.
std::vector<std::string> g_boxCursors;
void CALLBACK answerBox(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = FindWindowW(L"#32770", L"Kestrive");
  if (!box) return;
  g_boxCursors.push_back(GetCursor() == LoadCursorW(nullptr, IDC_ARROW) ? "arrow" : "other");
  PostMessageW(box, WM_COMMAND, GetDlgItem(box, IDYES) ? IDYES : IDOK, 0);
}

TEST(BusyCursor, AMessageBoxShowsTheArrowWhileTheHandlerWaitsOnIt) {
  fake::FakePlatform f;
  f.fs.addFile("E:\\autorun.inf", attr::Hidden | attr::System);
  win32::Gui gui{GetModuleHandleW(nullptr)};
  Platform real{f.fs, f.reg, f.proc, gui, f.clock, f.env, gui};
  Kestrive app{real};
  gui.attach(app);
  app.start();
  app.click("frm_first", "btn_rd");
  Control& drives = app.find("frm_rd")->ctl("cmb_rd");
  for (size_t i = 0; i < drives.items.size(); ++i)
    if (drives.items[i].text == "E:\\") drives.listIndex = static_cast<int>(i);
  app.click("frm_rd", "cmb_rd");
  app.tick("frm_rd", "T1");
  gui.sync();
  HWND dialog = dialogOf("frm_rd");
  ASSERT_NE(dialog, nullptr);
  int id = 0;
  for (const auto& c : win32::kControlIds)
    if (std::string("frm_rd") == c.window && std::string("btn_scan") == c.control) id = c.id;
  g_boxCursors.clear();
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, answerBox);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  KillTimer(nullptr, timer);
  EXPECT_EQ(g_boxCursors, (std::vector<std::string>{"arrow", "arrow"}));
  EXPECT_EQ(f.fs.attrsOf("E:\\autorun.inf") & (attr::Hidden | attr::System), 0u);
  EXPECT_FALSE(gui.busy());
}

}  // namespace
