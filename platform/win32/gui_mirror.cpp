// Bringing the real windows in step with their models, and keeping the
// keyboard focus on a control that can take it.
#include "platform/win32/gui.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/os.h"

namespace kestrive::win32 {

namespace {

// A line longer than the list is (a computer cleaner's line ends in the
// place it comes from) widens the column, so that it can be scrolled to
// rather than cut off. Only the longest lines by length are measured, so a
// list of 32,767 names costs no more than one of ten.
void fitColumn(HWND lv, const std::vector<Item>& items) {
  size_t longest = 0;
  for (const Item& item : items) longest = std::max(longest, item.text.size());
  // As wide as the list leaves beside a vertical scroll bar, shown or not.
  RECT rc;
  GetClientRect(lv, &rc);
  const bool vertical = (GetWindowLongW(lv, GWL_STYLE) & WS_VSCROLL) != 0;
  int width = rc.right - rc.left - (vertical ? 0 : GetSystemMetrics(SM_CXVSCROLL));
  const int margin = GetSystemMetrics(SM_CXMENUCHECK) + 4 * GetSystemMetrics(SM_CXEDGE) + 8;
  int measured = 0;
  for (const Item& item : items) {
    if (item.text.size() + 8 < longest || ++measured > 32) continue;
    width = std::max(width, ListView_GetStringWidth(lv, widen(item.text).c_str()) + margin);
  }
  if (ListView_GetColumnWidth(lv, 0) != width) ListView_SetColumnWidth(lv, 0, width);
}

}  // namespace

void Gui::sync() {
  if (syncing_) return;
  syncing_ = true;
  std::vector<Shown*> all;
  for (auto& [w, s] : shown_) all.push_back(&s);
  for (Shown* s : all) syncWindow(*s);
  syncing_ = false;
  if (Shown* active = byHwnd(GetActiveWindow())) keepFocus(*active);
}

// The keyboard acts only on the control that has the focus. When that is
// none of the active window's, or the control that had it when the window was
// left (for a message box, say) has gone grey or hidden meanwhile, the focus
// goes where Tab would take it from there.
void Gui::keepFocus(Shown& s, HWND had) {
  if (modal_ != 0 || !IsWindowVisible(s.hwnd) || !IsWindowEnabled(s.hwnd)) return;
  HWND f = GetFocus();
  const bool usable = f && IsChild(s.hwnd, f) && IsWindowVisible(f) && IsWindowEnabled(f);
  const bool lost = had && IsChild(s.hwnd, had) && (!IsWindowVisible(had) || !IsWindowEnabled(had));
  if (usable && !lost) return;
  HWND next = lost ? focusAfter(s, had) : GetNextDlgTabItem(s.hwnd, nullptr, FALSE);
  if (next) SendMessageW(s.hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
}

// Moves the focus on from a control about to be disabled or hidden.
void Gui::passFocus(Shown& s, HWND h) {
  if (GetFocus() != h) return;
  if (HWND next = focusAfter(s, h))
    SendMessageW(s.hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
  else
    SetFocus(s.hwnd);
}

// Where the focus goes from a control that can no longer take it: the
// window's main button, else a list that still holds entries, else the next
// control Tab reaches, but never the window's way back, where the next Enter
// would leave the window and throw away what its lists still hold.
HWND Gui::focusAfter(Shown& s, HWND from) {
  auto usable = [from](HWND h) { return h && h != from && IsWindowVisible(h) && IsWindowEnabled(h); };
  const LRESULT def = SendMessageW(s.hwnd, DM_GETDEFID, 0, 0);
  if (HIWORD(def) == DC_HASDEFID)
    if (HWND main = GetDlgItem(s.hwnd, LOWORD(def)); usable(main)) return main;
  HWND back = nullptr;
  for (const Control* c : s.model->controls()) {
    auto id = s.ids.find(c);
    if (id == s.ids.end()) continue;
    if (c == s.model->escape) back = GetDlgItem(s.hwnd, id->second);
    if (c->kind == Kind::CheckList && !c->items.empty())
      if (HWND list = GetDlgItem(s.hwnd, id->second); usable(list)) return list;
  }
  HWND first = GetNextDlgTabItem(s.hwnd, from, FALSE);
  for (HWND h = first; usable(h); h = GetNextDlgTabItem(s.hwnd, h, FALSE)) {
    if (h != back) return h;
    if (GetNextDlgTabItem(s.hwnd, h, FALSE) == first) break;
  }
  return nullptr;
}

void Gui::syncWindow(Shown& s) {
  Window& w = *s.model;
  if (!s.title || *s.title != w.title) {
    SetWindowTextW(s.hwnd, widen(w.title).c_str());
    s.title = w.title;
  }
  for (const auto& c : w.controls()) {
    auto id = s.ids.find(c);
    if (id == s.ids.end()) continue;
    syncControl(s, *c, id->second, s.mirrors[c]);
  }
  // While a message box is up every window stays disabled.
  if (modal_ == 0 && (!s.enabled || *s.enabled != w.enabled)) {
    EnableWindow(s.hwnd, w.enabled);
    s.enabled = w.enabled;
  }
  if (!s.visible || *s.visible != w.visible) {
    ShowWindow(s.hwnd, w.visible ? SW_SHOW : SW_HIDE);
    if (w.visible) SetForegroundWindow(s.hwnd);
    s.visible = w.visible;
  }
  if (w.focus) {
    auto id = s.ids.find(w.focus);
    HWND h = id == s.ids.end() ? nullptr : GetDlgItem(s.hwnd, id->second);
    if (h && IsWindowVisible(h) && IsWindowEnabled(h)) {
      SendMessageW(s.hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(h), TRUE);
      s.lastFocus = h;
    }
  }
  w.focus = nullptr;
}

void Gui::syncControl(Shown& s, Control& c, int id, Mirror& m) {
  const bool first = !m.known;
  m.known = true;
  if (c.kind == Kind::Menu || c.kind == Kind::Separator) return;
  if (c.kind == Kind::MenuEntry) {
    if (s.menu && (first || m.enabled != c.enabled)) {
      EnableMenuItem(s.menu, id, MF_BYCOMMAND | (c.enabled ? MF_ENABLED : MF_GRAYED));
      m.enabled = c.enabled;
    }
    return;
  }
  if (c.kind == Kind::Timer) {
    if (first || m.interval != c.interval) {
      if (c.interval > 0)
        SetTimer(s.hwnd, id, std::max<UINT>(USER_TIMER_MINIMUM, c.interval), nullptr);
      else if (!first)
        KillTimer(s.hwnd, id);
      m.interval = c.interval;
    }
    return;
  }
  if (first) m.hwnd = GetDlgItem(s.hwnd, id);
  HWND h = m.hwnd;
  if (!h) return;
  const bool hasCaption = c.kind == Kind::Button || c.kind == Kind::Label || c.kind == Kind::Check ||
                          c.kind == Kind::Frame || c.kind == Kind::Text;
  if (hasCaption && (first || m.caption != c.caption)) {
    // An empty model caption keeps the resource's own text (pictures, frames without one).
    if (!c.caption.empty() || !first) {
      const bool prefixed = c.kind == Kind::Button || c.kind == Kind::Check || c.kind == Kind::Frame;
      SetWindowTextW(h, widen(prefixed ? MarkedCaption(c) : c.caption).c_str());
    }
    m.caption = c.caption;
  }
  if (first || m.enabled != c.enabled) {
    if (!c.enabled) passFocus(s, h);
    EnableWindow(h, c.enabled);
    m.enabled = c.enabled;
  }
  if (first || m.visible != c.visible) {
    if (!c.visible) passFocus(s, h);
    ShowWindow(h, c.visible ? SW_SHOWNA : SW_HIDE);
    m.visible = c.visible;
  }
  if (c.kind == Kind::Check && (first || m.value != c.value)) {
    SendMessageW(h, BM_SETCHECK, c.value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
    m.value = c.value;
  }
  if (c.kind == Kind::Combo || c.kind == Kind::CheckList) {
    bool same = m.texts.size() == c.items.size();
    for (size_t i = 0; same && i < c.items.size(); ++i)
      same = m.texts[i] == c.items[i].text && m.marks[i] == c.items[i].marked;
    if (!same) {
      m.texts.clear();
      m.marks.clear();
      for (const Item& item : c.items) {
        m.texts.push_back(item.text);
        m.marks.push_back(item.marked);
      }
      if (c.kind == Kind::Combo) {
        SendMessageW(h, CB_RESETCONTENT, 0, 0);
        for (const Item& item : c.items)
          SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item.text).c_str()));
        m.listIndex = -2;
      } else {
        ListView_SetItemCountEx(h, static_cast<int>(c.items.size()), LVSICF_NOSCROLL);
        fitColumn(h, c.items);
        InvalidateRect(h, nullptr, TRUE);
      }
    }
    if (c.kind == Kind::Combo && m.listIndex != c.listIndex) {
      SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(c.listIndex), 0);
      m.listIndex = c.listIndex;
    }
  }
}

}  // namespace kestrive::win32
