// Message boxes, the message loop and the waits of the Win32 binding, and
// the second start's way to the instance that runs.
#include "platform/win32/gui.h"

#include <shellapi.h>

#include <utility>

#include "platform/win32/control_ids.h"
#include "platform/win32/os.h"

namespace kestrive::win32 {

// The window a message box belongs to, so that it always stands in front of
// it: the window whose handler asks, else the active one, else the frontmost
// of ours; none while no window of ours is shown (the start-up question).
HWND Gui::boxOwner() {
  for (auto it = asking_.rbegin(); it != asking_.rend(); ++it)
    for (auto& [w, s] : shown_)
      if (w == *it && IsWindowVisible(s.hwnd)) return s.hwnd;
  HWND active = GetActiveWindow();
  if (byHwnd(active) && IsWindowVisible(active)) return active;
  for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
    if (byHwnd(h) && IsWindowVisible(h)) return h;
  return nullptr;
}

int Gui::messageBox(const std::string& text, const std::string& title, uint32_t flags) {
  sync();
  HWND owner = boxOwner();
  HWND had = GetFocus();
  // Modal for all of our windows, not only the owner.
  ++modal_;
  for (auto& [w, s] : shown_) {
    EnableWindow(s.hwnd, FALSE);
    s.enabled = false;
  }
  // The box's own loop runs the timers; each of their events shows at once.
  const int pumping = std::exchange(pumping_, 0);
  // The box waits for the person, not the other way round.
  if (busy_ > 0) SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  int answer = MessageBoxW(owner, widen(text).c_str(), widen(title).c_str(), flags | MB_SETFOREGROUND);
  pumping_ = pumping;
  --modal_;
  if (busy_ > 0) SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  for (auto& [w, s] : shown_) s.enabled.reset();
  sync();
  // The owner was still disabled when the box went, so the system may have
  // activated some other window: the user goes on where the box was asked,
  // and a control that went grey while the box was up passes the focus on.
  if (Shown* s = byHwnd(owner); s && IsWindowVisible(owner) && IsWindowEnabled(owner)) {
    SetForegroundWindow(owner);
    keepFocus(*s, had);
  }
  return answer;
}

bool Gui::isDialogMessage(MSG& m) {
  for (auto& [w, s] : shown_)
    if (s.hwnd && (m.hwnd == s.hwnd || IsChild(s.hwnd, m.hwnd))) return IsDialogMessageW(s.hwnd, &m) != 0;
  return false;
}

void Gui::pumpMessages() {
  ++pumping_;
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    if (!isDialogMessage(m)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  }
  --pumping_;
}

void Gui::doEvents() {
  sync();
  pumpMessages();
  sync();
}

void Gui::waitEvents(uint32_t ms) {
  // What the waiting handler changed shows while it waits.
  sync();
  // Wakes for input, a timer or a posted message; MWMO_INPUTAVAILABLE also
  // for input an earlier peek saw but left in the queue.
  MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  pumpMessages();
  sync();
}

void Gui::openUrl(const std::string& address) {
  ShellExecuteW(nullptr, nullptr, widen(address).c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

// The instance that runs is the process of a dialog that carries our
// property; its front window is its first visible dialog or message box in
// the system's front-to-back order.
void Gui::showOtherInstance() {
  struct Search {
    DWORD self = GetCurrentProcessId();
    DWORD other = 0;
    HWND front = nullptr;
  } search;
  auto pidOf = [](HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return pid;
  };
  EnumWindows(
      [](HWND h, LPARAM lp) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid != s->self && GetPropW(h, kDialogProperty)) s->other = pid;
        return s->other == 0;
      },
      reinterpret_cast<LPARAM>(&search));
  if (!search.other) return;
  for (HWND h = GetTopWindow(nullptr); h && !search.front; h = GetWindow(h, GW_HWNDNEXT)) {
    wchar_t cls[16] = {};
    GetClassNameW(h, cls, 16);
    if (pidOf(h) == search.other && IsWindowVisible(h) && wcscmp(cls, L"#32770") == 0) search.front = h;
  }
  if (!search.front) return;
  if (IsIconic(search.front)) ShowWindow(search.front, SW_RESTORE);
  SetForegroundWindow(search.front);
}

void Gui::endProcess() { ExitProcess(0); }

int Gui::run() {
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    if (!isDialogMessage(m)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  }
  return static_cast<int>(m.wParam);
}

}  // namespace kestrive::win32
