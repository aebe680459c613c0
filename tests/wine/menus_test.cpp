// The menus as a person sees them: every window made through the real
// binding shows, in each drop-down menu and in order, the entries its window
// class declares: text entries with their captions, access keys and grayed
// state, and separator lines only where the class has them. Wine keeps menus
// inside the process that made them, so the test makes the windows itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/kestrive.h"
#include "platform/fake/fake_platform.h"
#include "platform/win32/control_ids.h"
#include "platform/win32/gui.h"
#include "platform/win32/os.h"

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
      [](HWND h, LPARAM lp) -> BOOL {
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
    if (c->parent != menu.name) continue;
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
  Window& first = app.load(WindowId::First);
  gui.sync();
  HMENU help = GetSubMenu(GetMenu(dialogOf("frm_first")), 1);
  auto grayedAt = [&](const std::string& entry) {
    int at = 0;
    for (const Control* c : first.controls())
      if (c->parent == "help_0") {
        if (c->name == entry) return entryAt(help, at).grayed;
        ++at;
      }
    ADD_FAILURE() << entry << " not in the Help menu";
    return false;
  };
  EXPECT_TRUE(grayedAt("help_3"));  // "Update" is never enabled
  first.ctl("help_d").enabled = false;
  gui.sync();
  EXPECT_TRUE(grayedAt("help_d"));
  first.ctl("help_d").enabled = true;
  gui.sync();
  EXPECT_FALSE(grayedAt("help_d"));
}

}  // namespace
