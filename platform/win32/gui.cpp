#include "platform/win32/gui.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "platform/win32/control_ids.h"
#include "platform/win32/os.h"

namespace kestrive::win32 {

namespace {

const DialogId* dialogOf(const std::string& name) {
  for (const DialogId& w : kWindowIds)
    if (name == w.window) return &w;
  return nullptr;
}

// A picture drawn for 96 dots per inch, grown with the screen's DPI as the
// dialog font is, but never past the box that the dialog gives it (dialog
// units follow the font, whose size is not quite in step with the DPI).
// Returns the copy to show, or null when the picture fits as it is.
HBITMAP pictureForBox(HBITMAP source, SIZE box, SIZE& shown) {
  BITMAP bm{};
  if (!source || !GetObjectW(source, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return nullptr;
  HDC screen = GetDC(nullptr);
  double scale = GetDeviceCaps(screen, LOGPIXELSX) / 96.0;
  scale = std::min({scale, static_cast<double>(box.cx) / bm.bmWidth, static_cast<double>(box.cy) / bm.bmHeight});
  shown = {std::max(1L, std::lround(bm.bmWidth * scale)), std::max(1L, std::lround(bm.bmHeight * scale))};
  HBITMAP out = nullptr;
  if (shown.cx != bm.bmWidth || shown.cy != bm.bmHeight) {
    HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
    out = CreateCompatibleBitmap(screen, shown.cx, shown.cy);
    if (from && to && out) {
      HGDIOBJ oldFrom = SelectObject(from, source), oldTo = SelectObject(to, out);
      SetStretchBltMode(to, HALFTONE);
      SetBrushOrgEx(to, 0, 0, nullptr);
      StretchBlt(to, 0, 0, shown.cx, shown.cy, from, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
      SelectObject(from, oldFrom);
      SelectObject(to, oldTo);
    }
    if (from) DeleteDC(from);
    if (to) DeleteDC(to);
  }
  ReleaseDC(nullptr, screen);
  return out;
}

constexpr UINT kCheckFocus = WM_APP + 1;

}  // namespace

Gui::Gui(HINSTANCE instance) : instance_(instance) {}

Gui::~Gui() {
  for (auto& [w, s] : shown_) {
    SetWindowLongPtrW(s.hwnd, GWLP_USERDATA, 0);
    RemovePropW(s.hwnd, kDialogProperty);
    DestroyWindow(s.hwnd);
    for (HBITMAP image : s.images) DeleteObject(image);
  }
}

Gui::Shown* Gui::byHwnd(HWND h) {
  for (auto& [w, s] : shown_)
    if (s.hwnd == h) return &s;
  return nullptr;
}

void Gui::created(Window& w) {
  const DialogId* ids = dialogOf(w.name());
  if (!ids) return;
  HWND hwnd =
      CreateDialogParamW(instance_, MAKEINTRESOURCEW(ids->dialog), nullptr, dialogProc, reinterpret_cast<LPARAM>(this));
  if (!hwnd) return;
  Shown& s = shown_[&w];
  s.model = &w;
  s.hwnd = hwnd;
  SetPropW(hwnd, kDialogProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(ids->dialog)));
  // The dialog template names its menu, so the window is sized for it.
  s.menu = GetMenu(hwnd);
  HICON icon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_KESTRIVE));
  SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));

  s.tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr, instance_, nullptr);
  for (const ControlId& c : kControlIds) {
    if (w.name() != c.window) continue;
    if (!w.has(c.control)) {
#ifndef NDEBUG
      // A resource id that names no control of the window class is a typo in
      // one of the two: loud in a debug build, never a dead control.
      throw std::logic_error(w.name() + " has no control " + c.control + " for its resource id");
#endif
      continue;
    }
    Control& ctl = w.ctl(c.control);
    s.byId[c.id] = &ctl;
    s.ids[&ctl] = c.id;
    HWND h = GetDlgItem(hwnd, c.id);
    if (!h) continue;
    if (ctl.kind == Kind::Picture) {
      // The control has the size of its box in the dialog and stretches its
      // picture to itself: it is made as large as the picture to show.
      RECT box;
      GetClientRect(h, &box);
      SIZE shown{};
      auto* image = reinterpret_cast<HBITMAP>(SendMessageW(h, STM_GETIMAGE, IMAGE_BITMAP, 0));
      if (HBITMAP copy = pictureForBox(image, {box.right, box.bottom}, shown)) {
        if (HGDIOBJ old =
                reinterpret_cast<HGDIOBJ>(SendMessageW(h, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(copy))))
          DeleteObject(old);
        s.images.push_back(copy);
      }
      if (shown.cx > 0) SetWindowPos(h, nullptr, 0, 0, shown.cx, shown.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (ctl.kind == Kind::CheckList) {
      ListView_SetExtendedListViewStyle(h, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
      RECT rc;
      GetClientRect(h, &rc);
      LVCOLUMNW col{};
      col.mask = LVCF_WIDTH;
      col.cx = rc.right - rc.left - GetSystemMetrics(SM_CXVSCROLL);
      ListView_InsertColumn(h, 0, &col);
      ListView_SetCallbackMask(h, LVIS_STATEIMAGEMASK);
    }
    if (!ctl.tip.empty() && s.tips) {
      std::wstring tip = widen(ctl.tip);
      TOOLINFOW ti{};
      ti.cbSize = sizeof(ti);
      ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
      ti.hwnd = hwnd;
      ti.uId = reinterpret_cast<UINT_PTR>(h);
      ti.lpszText = tip.data();
      SendMessageW(s.tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
  }
  // The menu's texts, as every caption, come from the window class; menus
  // by their place in the bar, entries by their ids.
  if (s.menu) {
    UINT popup = 0;
    for (const Control* c : w.controls()) {
      if (c->kind != Kind::Menu && c->kind != Kind::MenuEntry) continue;
      auto id = s.ids.find(c);
      if (c->kind == Kind::MenuEntry && id == s.ids.end()) continue;
      std::wstring text = widen(MarkedCaption(*c));
      MENUITEMINFOW mi{};
      mi.cbSize = sizeof mi;
      // The loader made each entry with an empty text a separator: the type
      // is written too, or the entry stays a line without text.
      mi.fMask = MIIM_FTYPE | MIIM_STRING;
      mi.fType = MFT_STRING;
      mi.dwTypeData = text.data();
      if (c->kind == Kind::Menu)
        SetMenuItemInfoW(s.menu, popup++, TRUE, &mi);
      else
        SetMenuItemInfoW(s.menu, id->second, FALSE, &mi);
    }
    DrawMenuBar(hwnd);
  }
}

void Gui::destroyed(Window& w) {
  auto it = shown_.find(&w);
  if (it == shown_.end()) return;
  HWND hwnd = it->second.hwnd;
  std::vector<HBITMAP> images = std::move(it->second.images);
  shown_.erase(it);
  // Our handler may still be on this window's stack; it no longer touches it.
  RemovePropW(hwnd, kDialogProperty);
  DestroyWindow(hwnd);
  for (HBITMAP image : images) DeleteObject(image);
}

void Gui::toggleMarks(Shown& s, Control& list, HWND lv, const std::vector<int>& rows) {
  if (!list.enabled || !s.model->enabled) return;
  for (int row : rows)
    if (row >= 0 && row < static_cast<int>(list.items.size())) {
      list.items[row].marked = !list.items[row].marked;
      ListView_RedrawItems(lv, row, row);
    }
  sync();
}

void Gui::dispatch(Shown& s, Control& control, Event event) {
  if (!sink_) return;
  // s may be gone once the handler ran; the window lives on until the event returns.
  Window& window = *s.model;
  // What the person started shows as work under way until it ends; the
  // timers' ticks are no such thing.
  const bool work = event != Event::Timer;
  if (work && busy_++ == 0) SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  // Message boxes of this handler belong to this window.
  asking_.push_back(&window);
  sink_->event(window, control, event);
  asking_.pop_back();
  if (pumping_ == 0) sync();
  if (work && --busy_ == 0) restoreCursor();
}

bool Gui::busy() const { return busy_ > 0 && modal_ == 0; }

// The cursor that the window under the pointer asks for, now that the work is done.
void Gui::restoreCursor() {
  POINT pt;
  if (!GetCursorPos(&pt)) return;
  HWND under = WindowFromPoint(pt);
  if (!under || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) return;
  const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
  SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

INT_PTR CALLBACK Gui::dialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, lp);
    return TRUE;
  }
  auto* gui = reinterpret_cast<Gui*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!gui) return FALSE;
  Shown* s = gui->byHwnd(hwnd);
  if (!s) return FALSE;
  return gui->handle(*s, msg, wp, lp);
}

INT_PTR Gui::handle(Shown& s, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE: {
      if (sink_) sink_->close(*s.model);
      sync();
      return TRUE;
    }
    case WM_TIMER: {
      auto it = s.byId.find(static_cast<int>(wp));
      if (it != s.byId.end()) dispatch(s, *it->second, Event::Timer);
      return TRUE;
    }
    case WM_ACTIVATE:
      // The dialog manager puts the focus back where it was, which may be a
      // control disabled meanwhile; look again once it is done.
      if (LOWORD(wp) != WA_INACTIVE) {
        PostMessageW(s.hwnd, kCheckFocus, 0, 0);
      } else if (HWND f = GetFocus(); f && IsChild(s.hwnd, f)) {
        s.lastFocus = f;
      }
      return FALSE;
    case kCheckFocus:
      if (GetActiveWindow() == s.hwnd) keepFocus(s, s.lastFocus);
      return TRUE;
    case WM_SETCURSOR:
      if (!busy()) return FALSE;
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      SetWindowLongPtrW(s.hwnd, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      const int code = HIWORD(wp);
      if (id == IDCANCEL && lp == 0) {
        // Esc: exactly what the window's Back, Cancel or Ok button does.
        if (Control* way = s.model->escape) dispatch(s, *way, Event::Click);
        return TRUE;
      }
      if (id == IDOK && lp == 0) {
        // Enter in a window without a default button presses the focused button, if any.
        HWND f = GetFocus();
        auto focused = s.byId.find(f && IsChild(s.hwnd, f) ? GetDlgCtrlID(f) : 0);
        if (focused != s.byId.end() && focused->second->kind == Kind::Button &&
            (SendMessageW(f, WM_GETDLGCODE, 0, 0) & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON)))
          dispatch(s, *focused->second, Event::Click);
        return TRUE;
      }
      auto it = s.byId.find(id);
      if (it == s.byId.end()) return FALSE;
      Control& c = *it->second;
      switch (c.kind) {
        case Kind::MenuEntry:
          if (lp == 0) dispatch(s, c, Event::Click);
          return TRUE;
        case Kind::Button:
        case Kind::Label:
          if (code == BN_CLICKED) dispatch(s, c, Event::Click);
          return TRUE;
        case Kind::Check:
          if (code == BN_CLICKED) {
            c.value = SendMessageW(reinterpret_cast<HWND>(lp), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
            s.mirrors[&c].value = c.value;
            dispatch(s, c, Event::Click);
          }
          return TRUE;
        case Kind::Combo:
          if (code == CBN_SELCHANGE) {
            int sel = static_cast<int>(SendMessageW(reinterpret_cast<HWND>(lp), CB_GETCURSEL, 0, 0));
            c.listIndex = sel;
            s.mirrors[&c].listIndex = sel;
            dispatch(s, c, Event::Click);
          }
          return TRUE;
        default: return FALSE;
      }
    }
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      auto it = s.byId.find(static_cast<int>(hdr->idFrom));
      if (it == s.byId.end() || it->second->kind != Kind::CheckList) return FALSE;
      Control& list = *it->second;
      if (hdr->code == LVN_GETDISPINFOW) {
        auto* di = reinterpret_cast<NMLVDISPINFOW*>(lp);
        int row = di->item.iItem;
        if (row < 0 || row >= static_cast<int>(list.items.size())) return TRUE;
        if ((di->item.mask & LVIF_TEXT) && di->item.pszText && di->item.cchTextMax > 0) {
          std::wstring text = widen(list.items[row].text);
          size_t n = std::min<size_t>(text.size(), static_cast<size_t>(di->item.cchTextMax - 1));
          std::copy_n(text.data(), n, di->item.pszText);
          di->item.pszText[n] = L'\0';
        }
        if (di->item.mask & LVIF_STATE) {
          di->item.state = INDEXTOSTATEIMAGEMASK(list.items[row].marked ? 2 : 1);
          di->item.stateMask = LVIS_STATEIMAGEMASK;
        }
        return TRUE;
      }
      if (hdr->code == NM_CLICK || hdr->code == NM_DBLCLK) {
        auto* ia = reinterpret_cast<NMITEMACTIVATE*>(lp);
        LVHITTESTINFO hit{};
        hit.pt = ia->ptAction;
        int row = ListView_HitTest(hdr->hwndFrom, &hit);
        if (row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON)) {
          // The list that was clicked takes the keyboard, at the entry clicked,
          // so that Space goes on where the mouse was.
          if (GetFocus() != hdr->hwndFrom)
            SendMessageW(s.hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hdr->hwndFrom), TRUE);
          ListView_SetItemState(hdr->hwndFrom, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
          ListView_SetItemState(hdr->hwndFrom, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
          toggleMarks(s, list, hdr->hwndFrom, {row});
        }
        return TRUE;
      }
      if (hdr->code == NM_SETFOCUS && !list.items.empty() &&
          ListView_GetNextItem(hdr->hwndFrom, -1, LVNI_FOCUSED) < 0) {
        // Reached by Tab: an entry shows that it has the keyboard.
        ListView_SetItemState(hdr->hwndFrom, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        return TRUE;
      }
      if (hdr->code == LVN_KEYDOWN && reinterpret_cast<NMLVKEYDOWN*>(lp)->wVKey == VK_SPACE) {
        std::vector<int> rows;
        for (int row = ListView_GetNextItem(hdr->hwndFrom, -1, LVNI_SELECTED); row >= 0;
             row = ListView_GetNextItem(hdr->hwndFrom, row, LVNI_SELECTED))
          rows.push_back(row);
        toggleMarks(s, list, hdr->hwndFrom, rows);
        return TRUE;
      }
      return FALSE;
    }
    default: return FALSE;
  }
}

}  // namespace kestrive::win32
