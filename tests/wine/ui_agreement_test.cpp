// The three descriptions of the windows agree: the window classes (their
// controls, captions and access keys), the control ids made from resource.h,
// and the dialogs and menus of the resources (built into these tests from the
// same script as kestrive.exe).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "app/kestrive.h"
#include "platform/fake/fake_platform.h"
#include "platform/win32/control_ids.h"
#include "platform/win32/os.h"
#include "tests/wine/wine_support.h"

using namespace kestrive;
using namespace kestrive::wine_test;

namespace {

constexpr WindowId kAll[] = {WindowId::First,           WindowId::Removable, WindowId::Computer,
                             WindowId::RegistryManager, WindowId::Help,      WindowId::History,
                             WindowId::About,           WindowId::Update,    WindowId::Options};

// A control that Windows shows as a child window of the dialog.
bool inDialog(Kind k) { return k != Kind::Menu && k != Kind::MenuEntry && k != Kind::Separator && k != Kind::Timer; }

// A dialog template as the resource script made it: its title, menu and
// controls (id and text). Read from the resource itself, so no display is
// needed.
struct Template {
  std::wstring title;
  int menu = 0;
  std::map<int, std::wstring> texts;  // control id -> text ("" for a picture)
};

// Reads a name-or-ordinal field; returns the text (empty for an ordinal).
const WORD* nameOrOrdinal(const WORD* at, std::wstring* text, int* ordinal) {
  if (*at == 0) return at + 1;
  if (*at == 0xFFFF) {
    if (ordinal) *ordinal = at[1];
    return at + 2;
  }
  const wchar_t* s = reinterpret_cast<const wchar_t*>(at);
  if (text) *text = s;
  return at + wcslen(s) + 1;
}

const WORD* alignDword(const WORD* at) {
  return reinterpret_cast<const WORD*>((reinterpret_cast<uintptr_t>(at) + 3) & ~uintptr_t{3});
}

std::optional<Template> readTemplate(HMODULE module, int dialog) {
  HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(dialog), RT_DIALOG);
  HGLOBAL data = res ? LoadResource(module, res) : nullptr;
  const auto* at = data ? static_cast<const WORD*>(LockResource(data)) : nullptr;
  if (!at || at[0] != 1 || at[1] != 0xFFFF) return std::nullopt;  // DIALOGEX only
  Template t;
  DWORD style;
  memcpy(&style, at + 6, sizeof style);
  const WORD count = at[8];
  at += 13;  // version, signature, help id, extended style, style, count, x, y, cx, cy
  at = nameOrOrdinal(at, nullptr, &t.menu);
  at = nameOrOrdinal(at, nullptr, nullptr);  // class
  at = nameOrOrdinal(at, &t.title, nullptr);
  if (style & DS_SETFONT) at = nameOrOrdinal(at + 3, nullptr, nullptr);  // size, weight, italic+charset, face
  for (WORD i = 0; i < count; ++i) {
    at = alignDword(at);
    DWORD id;
    memcpy(&id, at + 10, sizeof id);  // help id, extended style, style, x, y, cx, cy
    at += 12;
    at = nameOrOrdinal(at, nullptr, nullptr);  // class
    std::wstring text;
    at = nameOrOrdinal(at, &text, nullptr);
    at = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(at + 1) + *at);  // extra data
    t.texts[static_cast<int>(id)] = text;
  }
  return t;
}

class UiAgreement : public ::testing::Test {
 protected:
  fake::FakePlatform f;
  Kestrive app{f.platform};
  HMODULE exe_ = GetModuleHandleW(nullptr);
};

TEST_F(UiAgreement, WindowClassesIdsAndResourcesAgree) {
  std::set<std::string> dialogs;
  for (const auto& d : win32::kWindowIds) dialogs.insert(d.window);
  for (WindowId id : kAll) {
    std::shared_ptr<Window> w = MakeWindow(app, id);
    ASSERT_TRUE(w);
    const std::string name = w->name();
    SCOPED_TRACE(name);
    ASSERT_TRUE(dialogs.count(name)) << "no dialog id";
    int dialog = 0;
    for (const auto& d : win32::kWindowIds)
      if (name == d.window) dialog = d.dialog;

    // Every id of the window names one of its controls.
    std::set<std::string> withId;
    for (const auto& c : win32::kControlIds) {
      if (name != c.window) continue;
      withId.insert(c.control);
      EXPECT_TRUE(w->has(c.control)) << c.control << " has an id but no control";
    }

    std::optional<Template> t = readTemplate(exe_, dialog);
    ASSERT_TRUE(t) << "no dialog template";
    HMENU menu = t->menu ? LoadMenuW(exe_, MAKEINTRESOURCEW(t->menu)) : nullptr;
    for (const Control* c : w->controls()) {
      SCOPED_TRACE(c->name);
      if (c->kind == Kind::Menu || c->kind == Kind::Separator) continue;
      ASSERT_TRUE(withId.count(c->name)) << "no id";
      int cid = 0;
      for (const auto& e : win32::kControlIds)
        if (name == e.window && c->name == e.control) cid = e.id;
      if (c->kind == Kind::MenuEntry) {
        ASSERT_NE(menu, nullptr);
        ASSERT_NE(GetMenuState(menu, cid, MF_BYCOMMAND), static_cast<UINT>(-1)) << "not in the menu";
        wchar_t text[256] = {};
        GetMenuStringW(menu, cid, text, 256, MF_BYCOMMAND);
        EXPECT_EQ(std::wstring(text), L"") << "the menu has a text of its own";
        continue;
      }
      if (!inDialog(c->kind)) continue;
      auto item = t->texts.find(cid);
      ASSERT_NE(item, t->texts.end()) << "not in the dialog";
      // The window class gives the caption; the dialog has none of its own
      // that could say something else.
      EXPECT_EQ(item->second, L"") << "the dialog has a caption of its own";
      if (c->accessKey) {
        EXPECT_NE(c->caption.find(c->accessKey), std::string::npos) << "access key not in the caption";
      }
    }
    // The menu bar has one entry per menu of the window class, in order.
    int menus = 0;
    for (const Control* c : w->controls()) menus += c->kind == Kind::Menu;
    EXPECT_EQ(menu ? GetMenuItemCount(menu) : 0, menus);
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
      wchar_t text[256] = {};
      GetMenuStringW(menu, i, text, 256, MF_BYPOSITION);
      EXPECT_EQ(std::wstring(text), L"") << "the menu bar has a text of its own";
    }
    EXPECT_EQ(t->title, L"") << "the dialog has a title of its own";
    if (w->escape) {
      EXPECT_EQ(w->escape->kind, Kind::Button);
    }
    if (menu) DestroyMenu(menu);
  }
}

}  // namespace
