// kauto: drives a running Kestrive from the outside, as a user would, for the
// end-to-end tests, the demo and the benchmarks: one command a line, from a
// script or standard input. `kauto --help` lists the commands; each has one
// entry in kVerbs below, which both runs it and gives its usage.
#include <windows.h>
#include <commctrl.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <algorithm>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <tlhelp32.h>

#include "app/kestrive.h"
#include "platform/fake/fake_platform.h"
#include "platform/win32/control_ids.h"
#include "tests/support/win_text.h"

namespace {

using kestrive::win32::kControlIds;

using kestrive::test_support::longForm;
using kestrive::test_support::quote;
using kestrive::test_support::utf16;
using kestrive::test_support::utf8;

struct Failure {
  std::string what;
};

[[noreturn]] void fail(const std::string& what) { throw Failure{what}; }

DWORD g_pid = 0;
HANDLE g_process = nullptr;
LARGE_INTEGER g_stopwatch{};

// A caption as the user reads it: access-key marks removed.
std::wstring shownText(const std::wstring& t) {
  std::wstring out;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == L'&' && i + 1 < t.size()) ++i;
    out += t[i];
  }
  return out;
}

// The underlined letter of a caption, or 0.
wchar_t accessKeyOf(const std::wstring& t) {
  for (size_t i = 0; i + 1 < t.size(); ++i)
    if (t[i] == L'&') {
      if (t[i + 1] != L'&') return t[i + 1];
      ++i;
    }
  return 0;
}

std::wstring textOf(HWND h) {
  wchar_t buf[4096];
  buf[0] = 0;
  SendMessageTimeoutW(h, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, nullptr);
  return buf;
}

std::wstring classOf(HWND h) {
  wchar_t buf[256];
  GetClassNameW(h, buf, 256);
  return buf;
}

bool ours(HWND h) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  return g_pid == 0 || pid == g_pid;
}

std::vector<HWND> topWindows() {
  std::vector<HWND> out;
  EnumWindows(
      [](HWND h, LPARAM lp) CALLBACK -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&out));
  return out;
}

int dialogOf(const std::string& win) {
  for (const auto& d : kestrive::win32::kWindowIds)
    if (win == d.window) return d.dialog;
  fail("unknown window " + win);
}

// The dialog of that window name, by the dialog id the binding gives it;
// prefers a visible one.
HWND findWindow(const std::string& win) {
  const int dialog = dialogOf(win);
  HWND hidden = nullptr;
  bool settled = false;
  for (HWND h : topWindows()) {
    if (!ours(h) || classOf(h) != L"#32770") continue;
    // A window answers a sent message only between the program's steps
    // (Wine may take seconds to hide one): what is read next is after it.
    if (!settled) settled = SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr) != 0;
    if (reinterpret_cast<INT_PTR>(GetPropW(h, kestrive::win32::kDialogProperty)) != dialog) continue;
    if (IsWindowVisible(h)) return h;
    hidden = h;
  }
  return hidden;
}

HWND needWindow(const std::string& win) {
  HWND h = findWindow(win);
  if (!h) fail("no window " + win);
  return h;
}

int controlId(const std::string& win, const std::string& control) {
  for (const auto& c : kControlIds)
    if (win == c.window && control == c.control) return c.id;
  fail("unknown control " + win + "." + control);
}

HWND needControl(const std::string& win, const std::string& control) {
  HWND w = needWindow(win);
  HWND c = GetDlgItem(w, controlId(win, control));
  if (!c) fail("window " + win + " has no control " + control);
  return c;
}

template <class F>
bool waitFor(double seconds, F ok) {
  DWORD until = GetTickCount() + static_cast<DWORD>(seconds * 1000);
  for (;;) {
    if (ok()) return true;
    if (static_cast<int>(until - GetTickCount()) <= 0) return false;
    Sleep(50);
  }
}

// ---- list views in the other process ---------------------------------------

struct Remote {
  HANDLE process = nullptr;
  void* mem = nullptr;
  explicit Remote(size_t size) {
    process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, g_pid);
    if (!process) fail("cannot open the process");
    mem = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    if (!mem) fail("cannot allocate in the process");
  }
  ~Remote() {
    VirtualFreeEx(process, mem, 0, MEM_RELEASE);
    CloseHandle(process);
  }
  void write(const void* data, size_t n, size_t offset = 0) {
    WriteProcessMemory(process, static_cast<char*>(mem) + offset, data, n, nullptr);
  }
  void read(void* data, size_t n, size_t offset = 0) {
    ReadProcessMemory(process, static_cast<char*>(mem) + offset, data, n, nullptr);
  }
  LPARAM at(size_t offset = 0) { return reinterpret_cast<LPARAM>(static_cast<char*>(mem) + offset); }
};

std::vector<std::string> listItems(HWND lv) {
  int n = static_cast<int>(SendMessageW(lv, LVM_GETITEMCOUNT, 0, 0));
  std::vector<std::string> out;
  const size_t textOffset = sizeof(LVITEMW);
  const int cch = 2048;
  Remote r(sizeof(LVITEMW) + cch * sizeof(wchar_t));
  for (int i = 0; i < n; ++i) {
    LVITEMW item{};
    item.iSubItem = 0;
    item.cchTextMax = cch;
    item.pszText = reinterpret_cast<LPWSTR>(r.at(textOffset));
    r.write(&item, sizeof(item));
    SendMessageW(lv, LVM_GETITEMTEXTW, i, r.at());
    std::vector<wchar_t> buf(cch);
    r.read(buf.data(), cch * sizeof(wchar_t), textOffset);
    buf[cch - 1] = 0;
    out.push_back(utf8(buf.data()));
  }
  return out;
}

int itemIndex(HWND lv, const std::string& text) {
  auto items = listItems(lv);
  auto it = std::find(items.begin(), items.end(), text);
  if (it == items.end()) fail("no entry '" + text + "'");
  return static_cast<int>(it - items.begin());
}

bool itemMarked(HWND lv, int i) {
  UINT state = static_cast<UINT>(SendMessageW(lv, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK));
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

// ---- message boxes ---------------------------------------------------------

HWND findBox() {
  for (HWND h : topWindows())
    if (ours(h) && IsWindowVisible(h) && classOf(h) == L"#32770" && textOf(h) == L"Kestrive") return h;
  return nullptr;
}

std::wstring boxText(HWND box) {
  std::wstring best;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (classOf(c) == L"Static") {
      std::wstring t = textOf(c);
      if (t.size() > best.size()) best = t;
    }
  return best;
}

// The kind of a message box, told by its buttons and by the colour of its
// icon as the screen shows it (icon handles mean nothing in another process).
std::string boxKind(HWND box) {
  if (GetDlgItem(box, IDYES)) return "question";
  HWND icon = nullptr;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (classOf(c) == L"Static" && (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(c))
      icon = c;
  if (!icon) return "plain";
  RECT rc;
  GetWindowRect(icon, &rc);
  HDC screen = GetDC(nullptr);
  int red = 0, yellow = 0, blue = 0;
  for (int y = rc.top; y < rc.bottom; ++y)
    for (int x = rc.left; x < rc.right; ++x) {
      COLORREF c = GetPixel(screen, x, y);
      int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
      if (r > 170 && g < 110 && b < 110)
        ++red;
      else if (r > 170 && g > 140 && b < 110)
        ++yellow;
      else if (b > 150 && r < 130)
        ++blue;
    }
  ReleaseDC(nullptr, screen);
  if (red == 0 && yellow == 0 && blue == 0) return "plain";
  if (red >= yellow && red >= blue) return "error";
  if (yellow >= blue) return "warning";
  return "information";
}

std::wstring longPath(const std::string& p) {
  std::wstring path = utf16(p);
  if (path.size() > 2 && path[1] == L':') path = longForm(path);
  return path;
}

// A 24-bit BMP of what the screen shows inside the window.
// The window's rectangle, with the drop-down menus it has open: they are
// part of what the person sees of it.
RECT shownRect(HWND win) {
  RECT rc;
  GetWindowRect(win, &rc);
  for (HWND h : topWindows())
    if (ours(h) && IsWindowVisible(h) && classOf(h) == L"#32768") {
      RECT m;
      GetWindowRect(h, &m);
      UnionRect(&rc, &rc, &m);
    }
  return rc;
}

void saveShot(HWND win, const std::string& file) {
  SetForegroundWindow(win);
  Sleep(300);
  RECT rc = shownRect(win);
  int w = rc.right - rc.left, h = rc.bottom - rc.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = ((w * 3 + 3) / 4) * 4;
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
  fh.bfSize = fh.bfOffBits + stride * h;
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&fh), sizeof(fh));
  out.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof(bi.bmiHeader));
  out.write(static_cast<const char*>(bits), stride * h);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  if (!out) fail("cannot write " + file);
}

// ---- keyboard ---------------------------------------------------------------

// The control that has the keyboard focus in the window's thread.
HWND focusOf(HWND win) {
  GUITHREADINFO gti{};
  gti.cbSize = sizeof(gti);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(win, nullptr), &gti)) return nullptr;
  return gti.hwndFocus;
}

// The name of a control of the window, for expectations and messages.
std::string controlName(const std::string& win, HWND dlg, HWND c) {
  if (!c) return "-";
  if (c == dlg) return "(the window itself)";
  while (c && GetAncestor(c, GA_PARENT) != dlg) {
    if (!(GetWindowLongW(c, GWL_STYLE) & WS_CHILD)) return "(another window)";
    c = GetAncestor(c, GA_PARENT);  // e.g. the edit box inside a combo box
  }
  if (!c) return "(another window)";
  int id = GetDlgCtrlID(c);
  for (const auto& k : kControlIds)
    if (win == k.window && id == k.id) return k.control;
  return "(control " + std::to_string(id) + ")";
}

std::string joined(const std::vector<std::string>& v) {
  std::string s;
  for (const auto& x : v) s += " " + x;
  return s.empty() ? " nothing" : s;
}

// ---- layout -------------------------------------------------------------------

INT_PTR CALLBACK quietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

std::wstring exeOfProcess() {
  HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, g_pid);
  if (!p) fail("cannot open the process");
  wchar_t buf[MAX_PATH * 2];
  DWORD n = MAX_PATH * 2;
  BOOL ok = QueryFullProcessImageNameW(p, 0, buf, &n);
  CloseHandle(p);
  if (!ok) fail("cannot tell the process's executable");
  return std::wstring(buf, n);
}

// The caption of a control, or the text of a menu entry of the window's menu
// bar; prefixed tells whether '&' marks an access key in it.
std::wstring captionOf(const std::string& win, const std::string& control, bool& prefixed) {
  HWND w = needWindow(win);
  int id = controlId(win, control);
  if (HWND c = GetDlgItem(w, id)) {
    prefixed = classOf(c) == L"Button" || (classOf(c) == L"Static" && !(GetWindowLongW(c, GWL_STYLE) & SS_NOPREFIX));
    return textOf(c);
  }
  wchar_t buf[1024] = {0};
  prefixed = true;
  if (GetMenuStringW(GetMenu(w), id, buf, 1024, MF_BYCOMMAND)) return buf;
  // Wine keeps a menu inside its process: read the text the binding gives
  // the entry, from the window class that the exe shows.
  kestrive::fake::FakePlatform f;
  kestrive::Kestrive app{f.platform};
  std::shared_ptr<kestrive::Window> model = kestrive::MakeWindow(app, kestrive::windowIdOf(win));
  if (!model || !model->has(control) || model->ctl(control).kind != kestrive::Kind::MenuEntry)
    fail("no control or menu entry " + control);
  return utf16(kestrive::MarkedCaption(model->ctl(control)));
}

SIZE textSize(HDC dc, HFONT font, const std::wstring& text, UINT flags, int width) {
  HGDIOBJ old = SelectObject(dc, font);
  RECT rc{0, 0, width, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, flags | DT_CALCRECT);
  SelectObject(dc, old);
  return {rc.right - rc.left, rc.bottom - rc.top};
}

RECT rectIn(HWND dlg, HWND c) {
  RECT r;
  GetWindowRect(c, &r);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::string rectText(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

bool inside(const RECT& in, const RECT& out) {
  return in.left >= out.left && in.top >= out.top && in.right <= out.right && in.bottom <= out.bottom;
}

// Fonts cannot be read across processes, so the texts the window shows are
// measured with the font of a copy of its dialog made here from the same
// resources, at the same DPI; the copy must come out the same size.
void expectFits(const std::string& win) {
  HWND real = needWindow(win);
  HMODULE module = LoadLibraryExW(exeOfProcess().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) fail("cannot read the resources of the executable");
  HWND copy = CreateDialogParamW(module, MAKEINTRESOURCEW(dialogOf(win)), nullptr, quietDialog, 0);
  if (!copy) {
    FreeLibrary(module);
    fail("cannot make a copy of the dialog of " + win);
  }
  std::vector<std::string> faults;
  RECT realClient, copyClient;
  GetClientRect(real, &realClient);
  GetClientRect(copy, &copyClient);
  if (std::abs(realClient.right - copyClient.right) > 1 || std::abs(realClient.bottom - copyClient.bottom) > 1)
    faults.push_back("the copy of the dialog is " + std::to_string(copyClient.right) + "x" +
                     std::to_string(copyClient.bottom) + ", the window " + std::to_string(realClient.right) + "x" +
                     std::to_string(realClient.bottom) + ", so nothing can be measured");
  HDC dc = GetDC(copy);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  auto px = [&](int n) { return MulDiv(n, dpi, 96); };
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(copy, WM_GETFONT, 0, 0));
  TEXTMETRICW tm{};
  HGDIOBJ oldFont = SelectObject(dc, font);
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, oldFont);
  auto tooSmall = [&](const std::string& name, const std::wstring& text, int need, int room) {
    faults.push_back(name + ": '" + utf8(text) + "' needs " + std::to_string(need) + " px, has " +
                     std::to_string(room));
  };

  for (HWND c = GetWindow(real, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c)) continue;
    const std::string name = controlName(win, real, c);
    RECT r = rectIn(real, c);
    if (!inside(r, realClient))
      faults.push_back(name + " at " + rectText(r) + " reaches outside the window's " + rectText(realClient));
    RECT cr;
    GetClientRect(c, &cr);
    const std::wstring cls = classOf(c);
    const LONG style = GetWindowLongW(c, GWL_STYLE);
    const std::wstring text = textOf(c);
    if (cls == L"Button" && !text.empty()) {
      const LONG type = style & BS_TYPEMASK;
      SIZE t = textSize(dc, font, text, DT_SINGLELINE, 0);
      int room;
      if (type == BS_GROUPBOX)
        room = cr.right - px(2 * 8);
      else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
               type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)
        room = cr.right - (px(12) + 1) - tm.tmAveCharWidth / 2 - 1;
      else
        room = cr.right - px(2 * 4);
      if (t.cx > room) tooSmall(name, shownText(text), t.cx, room);
      if (type != BS_GROUPBOX && t.cy > cr.bottom) tooSmall(name + " (height)", shownText(text), t.cy, cr.bottom);
    } else if (cls == L"Static" && !text.empty()) {
      const LONG type = style & SS_TYPEMASK;
      if (type == SS_BITMAP || type == SS_ICON || type == SS_ENHMETAFILE || type == SS_OWNERDRAW) continue;
      UINT flags = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
      flags |= (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) ? DT_SINGLELINE : DT_WORDBREAK;
      SIZE t = textSize(dc, font, text, flags, cr.right);
      if (t.cx > cr.right) tooSmall(name, text, t.cx, cr.right);
      if (t.cy > cr.bottom) tooSmall(name + " (height)", text, t.cy, cr.bottom);
    } else if (cls == WC_LISTVIEWW) {
      int column = static_cast<int>(SendMessageW(c, LVM_GETCOLUMNWIDTH, 0, 0));
      if (column > cr.right) faults.push_back(name + ": its column is wider than the list");
    }
  }
  // What the template puts inside a frame stays inside it (pictures resized for the DPI too).
  for (HWND g = GetWindow(copy, GW_CHILD); g; g = GetWindow(g, GW_HWNDNEXT)) {
    if (classOf(g) != L"Button" || (GetWindowLongW(g, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX) continue;
    RECT frameCopy = rectIn(copy, g);
    HWND realFrame = GetDlgItem(real, GetDlgCtrlID(g));
    if (!realFrame) continue;
    RECT frameReal = rectIn(real, realFrame);
    for (HWND c = GetWindow(copy, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (c == g || !inside(rectIn(copy, c), frameCopy)) continue;
      HWND realC = GetDlgItem(real, GetDlgCtrlID(c));
      if (realC && IsWindowVisible(realC) && !inside(rectIn(real, realC), frameReal))
        faults.push_back(controlName(win, real, realC) + " at " + rectText(rectIn(real, realC)) +
                         " reaches outside its frame " + controlName(win, real, realFrame) + " at " +
                         rectText(frameReal));
    }
  }
  // The title beside the icon and the caption buttons.
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof(ncm);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
  HFONT caption = CreateFontIndirectW(&ncm.lfCaptionFont);
  const std::wstring title = textOf(real);
  SIZE t = textSize(dc, caption, title, DT_SINGLELINE | DT_NOPREFIX, 0);
  DeleteObject(caption);
  RECT wr;
  GetWindowRect(real, &wr);
  const int room = (wr.right - wr.left) - 3 * GetSystemMetrics(SM_CXSIZE) - GetSystemMetrics(SM_CXSMICON) - px(12);
  if (t.cx > room) tooSmall("the title", title, t.cx, room);
  ReleaseDC(copy, dc);
  DestroyWindow(copy);
  FreeLibrary(module);
  if (!faults.empty()) {
    std::string all;
    for (const auto& f : faults) all += (all.empty() ? "" : "; ") + f;
    fail(all);
  }
}

// ---- registry and processes ---------------------------------------------------

HKEY rootOf(const std::string& key, std::wstring& path) {
  size_t at = key.find('\\');
  std::string root = key.substr(0, at);
  path = at == std::string::npos ? L"" : utf16(key.substr(at + 1));
  if (root == "HKCU") return HKEY_CURRENT_USER;
  if (root == "HKLM") return HKEY_LOCAL_MACHINE;
  fail("unknown root " + root);
}

std::string readValue(const std::string& key, const std::string& name) {
  std::wstring path;
  HKEY root = rootOf(key, path);
  HKEY h = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return "-";
  DWORD type = 0, size = 0;
  std::wstring wname = utf16(name);
  std::string out = "-";
  if (RegQueryValueExW(h, wname.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    std::vector<BYTE> data(size + 2, 0);
    RegQueryValueExW(h, wname.c_str(), nullptr, &type, data.data(), &size);
    if (type == REG_DWORD)
      out = std::to_string(*reinterpret_cast<DWORD*>(data.data()));
    else if (type == REG_SZ || type == REG_EXPAND_SZ)
      out = utf8(reinterpret_cast<wchar_t*>(data.data()));
    else
      out = "type " + std::to_string(type);
  }
  RegCloseKey(h);
  return out;
}

// By executable name, or by full image path when given a path: Windows runs
// processes of the same name from other folders too.
bool processRuns(const std::string& exe) {
  const std::wstring wanted = utf16(exe);
  const bool byPath = wanted.find(L'\\') != std::wstring::npos;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W pe{};
  pe.dwSize = sizeof(pe);
  bool found = false;
  for (BOOL ok = Process32FirstW(snap, &pe); ok && !found; ok = Process32NextW(snap, &pe)) {
    if (!byPath) {
      found = _wcsicmp(pe.szExeFile, wanted.c_str()) == 0;
      continue;
    }
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pe.th32ProcessID);
    if (!h) continue;
    wchar_t image[MAX_PATH * 4];
    DWORD n = MAX_PATH * 4;
    found = QueryFullProcessImageNameW(h, 0, image, &n) && _wcsicmp(image, wanted.c_str()) == 0;
    CloseHandle(h);
  }
  CloseHandle(snap);
  return found;
}

// ---- commands --------------------------------------------------------------

std::vector<std::string> words(const std::string& line) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false, any = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char ch = line[i];
    if (quoted) {
      // No backslash escapes: Windows paths end in backslashes. A doubled
      // quote stands for one, as in """C:\x.exe"" /s".
      if (ch == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        cur += ch;
        ++i;
      } else if (ch == '"') {
        quoted = false;
      } else {
        cur += ch;
      }
    } else if (ch == '"') {
      quoted = true;
      any = true;
    } else if (ch == ' ' || ch == '\t') {
      if (any || !cur.empty()) out.push_back(cur);
      cur.clear();
      any = false;
    } else {
      cur += ch;
    }
  }
  if (any || !cur.empty()) out.push_back(cur);
  return out;
}

double num(const std::vector<std::string>& w, size_t i, double dflt) { return w.size() > i ? std::stod(w[i]) : dflt; }

using Words = std::vector<std::string>;

void post(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (!PostMessageW(h, msg, wp, lp)) fail("cannot post to the window");
}

namespace verbs {

void launch(const Words& w) {
  std::wstring cmd = quote(utf16(w[1]));
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, utf16(w[2]).c_str(), &si, &pi))
    fail("cannot start " + w[1]);
  CloseHandle(pi.hThread);
  g_process = pi.hProcess;
  g_pid = pi.dwProcessId;
  WaitForInputIdle(g_process, 10000);
}

void attach(const Words& w) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W pe{};
  pe.dwSize = sizeof(pe);
  g_pid = 0;
  for (BOOL ok = Process32FirstW(snap, &pe); ok && !g_pid; ok = Process32NextW(snap, &pe))
    if (_wcsicmp(pe.szExeFile, utf16(w[1]).c_str()) == 0) g_pid = pe.th32ProcessID;
  CloseHandle(snap);
  if (!g_pid) fail("no process " + w[1]);
  g_process = OpenProcess(SYNCHRONIZE, FALSE, g_pid);
}

void spawn(const Words& w) {
  std::wstring cmd = quote(utf16(w[1]));
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    fail("cannot start " + w[1]);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

void waitWindow(const Words& w) {
  if (!waitFor(num(w, 2, 20), [&] {
        HWND h = findWindow(w[1]);
        return h && IsWindowVisible(h);
      }))
    fail("window " + w[1] + " did not show");
}

void waitHidden(const Words& w) {
  if (!waitFor(num(w, 2, 20), [&] {
        HWND h = findWindow(w[1]);
        return !h || !IsWindowVisible(h);
      }))
    fail("window " + w[1] + " is still shown");
}

void noWindow(const Words& w) {
  if (waitFor(num(w, 2, 3), [&] {
        HWND h = findWindow(w[1]);
        return h && IsWindowVisible(h);
      }))
    fail("window " + w[1] + " showed");
}

void click(const Words& w) {
  HWND c = needControl(w[1], w[2]);
  post(GetParent(c), WM_COMMAND, MAKEWPARAM(controlId(w[1], w[2]), BN_CLICKED), reinterpret_cast<LPARAM>(c));
}

void menu(const Words& w) { post(needWindow(w[1]), WM_COMMAND, MAKEWPARAM(controlId(w[1], w[2]), 0), 0); }

void close(const Words& w) { post(needWindow(w[1]), WM_CLOSE, 0, 0); }

void select(const Words& w) {
  HWND c = needControl(w[1], w[2]);
  int n = static_cast<int>(SendMessageW(c, CB_GETCOUNT, 0, 0));
  int found = -1;
  for (int i = 0; i < n && found < 0; ++i) {
    wchar_t buf[1024] = {0};
    SendMessageW(c, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
    if (utf8(buf) == w[3]) found = i;
  }
  if (found < 0) fail("drop-down list has no entry " + w[3]);
  SendMessageW(c, CB_SETCURSEL, found, 0);
  post(GetParent(c), WM_COMMAND, MAKEWPARAM(controlId(w[1], w[2]), CBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
}

void check(const Words& w) {
  HWND c = needControl(w[1], w[2]);
  SendMessageW(c, BM_SETCHECK, w[3] == "1" ? BST_CHECKED : BST_UNCHECKED, 0);
  post(GetParent(c), WM_COMMAND, MAKEWPARAM(controlId(w[1], w[2]), BN_CLICKED), reinterpret_cast<LPARAM>(c));
}

void mark(const Words& w) {
  HWND lv = needControl(w[1], w[2]);
  int i = itemIndex(lv, w[3]);
  Remote r(sizeof(LVITEMW));
  LVITEMW clear{};
  clear.stateMask = LVIS_SELECTED;
  r.write(&clear, sizeof(clear));
  SendMessageW(lv, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), r.at());
  LVITEMW sel{};
  sel.state = LVIS_SELECTED | LVIS_FOCUSED;
  sel.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  r.write(&sel, sizeof(sel));
  SendMessageW(lv, LVM_SETITEMSTATE, i, r.at());
  post(lv, WM_KEYDOWN, VK_SPACE, 0x00390001);
  post(lv, WM_KEYUP, VK_SPACE, 0xC0390001);
}

void expectEnabled(const Words& w) {
  bool want = w[3] == "1";
  bool got;
  HWND win = needWindow(w[1]);
  int id = controlId(w[1], w[2]);
  if (HWND c = GetDlgItem(win, id)) {
    got = IsWindowEnabled(c) != 0;
  } else {
    HMENU menu = GetMenu(win);
    UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
    if (state == static_cast<UINT>(-1)) fail("no control or menu entry " + w[2]);
    got = (state & (MF_GRAYED | MF_DISABLED)) == 0;
  }
  if (got != want) fail(w[1] + "." + w[2] + (got ? " is enabled" : " is disabled"));
}

void expectVisible(const Words& w) {
  HWND h = findWindow(w[1]);
  bool got = h && IsWindowVisible(h);
  if (got != (w[2] == "1")) fail(w[1] + (got ? " is visible" : " is not visible"));
}

void expectWindowEnabled(const Words& w) {
  bool got = IsWindowEnabled(needWindow(w[1])) != 0;
  if (got != (w[2] == "1")) fail(w[1] + (got ? " is enabled" : " is disabled"));
}

void expectText(const Words& w) {
  bool prefixed = false;
  std::wstring text = captionOf(w[1], w[2], prefixed);
  // Buttons, check boxes, frames and menu entries show an access key as an underline, not as '&'.
  if (prefixed) text = shownText(text);
  std::string got = utf8(text);
  if (got != w[3]) fail(w[1] + "." + w[2] + " reads '" + got + "'");
}

void expectChecked(const Words& w) {
  bool got = SendMessageW(needControl(w[1], w[2]), BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (got != (w[3] == "1")) fail(w[1] + "." + w[2] + (got ? " is checked" : " is not checked"));
}

void expectItems(const Words& w) {
  auto got = listItems(needControl(w[1], w[2]));
  std::vector<std::string> want(w.begin() + 3, w.end());
  std::sort(got.begin(), got.end());
  std::sort(want.begin(), want.end());
  if (got != want) {
    std::string s;
    for (auto& g : got) s += " [" + g + "]";
    fail(w[1] + "." + w[2] + " holds" + (s.empty() ? " nothing" : s));
  }
}

void expectMarked(const Words& w) {
  HWND lv = needControl(w[1], w[2]);
  bool got = itemMarked(lv, itemIndex(lv, w[3]));
  if (got != (w[4] == "1")) fail(w[3] + (got ? " is marked" : " is not marked"));
}

void expectCurrent(const Words& w) {
  std::string got;
  // The list draws its focus where a click or key put it, in its own time.
  if (!waitFor(5, [&] {
        HWND lv = needControl(w[1], w[2]);
        const int at = static_cast<int>(SendMessageW(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        const std::vector<std::string> all = listItems(lv);
        got = at >= 0 && at < static_cast<int>(all.size()) ? all[at] : "-";
        return got == w[3];
      }))
    fail("the entry with the focus is " + got);
}

void items(const Words& w) {
  for (const auto& item : listItems(needControl(w[1], w[2]))) std::cout << "  " << item << "\n";
}

void box(const Words& w) {
  HWND box = nullptr;
  if (!waitFor(20, [&] { return (box = findBox()) != nullptr; })) fail("no message box '" + w[1] + "'");
  Sleep(100);  // let the box finish laying out
  std::string got = utf8(boxText(box));
  if (got != w[1]) fail("message box reads '" + got + "'");
  if (w.size() > 3 && boxKind(box) != w[3]) fail("message box is of kind " + boxKind(box));
  std::string answer = w.size() > 2 ? w[2] : "ok";
  int id = answer == "yes" ? IDYES : answer == "no" ? IDNO : IDOK;
  post(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
  if (!waitFor(10, [&] { return !IsWindow(box) || !IsWindowVisible(box); })) fail("message box did not close");
}

void boxes(const Words& w) {
  std::vector<std::string> pending(w.begin() + 2, w.end());
  int id = w[1] == "yes" ? IDYES : w[1] == "no" ? IDNO : IDOK;
  while (!pending.empty()) {
    HWND box = nullptr;
    if (!waitFor(20, [&] { return (box = findBox()) != nullptr; })) fail("no message box '" + pending[0] + "'");
    Sleep(100);
    std::string got = utf8(boxText(box));
    auto it = std::find(pending.begin(), pending.end(), got);
    if (it == pending.end()) fail("message box reads '" + got + "'");
    pending.erase(it);
    post(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
    if (!waitFor(10, [&] { return !IsWindow(box) || !IsWindowVisible(box); })) fail("message box did not close");
  }
}

void noBox(const Words& w) {
  HWND box = nullptr;
  if (waitFor(num(w, 1, 2), [&] { return (box = findBox()) != nullptr; }))
    fail("unexpected message box '" + utf8(boxText(box)) + "'");
}

void waitBox(const Words& w) {
  HWND box = nullptr;
  if (!waitFor(num(w, 2, 20), [&] { return (box = findBox()) != nullptr && utf8(boxText(box)) == w[1]; }))
    fail(box ? "message box reads '" + utf8(boxText(box)) + "'" : "no message box '" + w[1] + "'");
}

void waitExit(const Words& w) {
  if (!g_process) fail("nothing launched");
  if (WaitForSingleObject(g_process, static_cast<DWORD>(num(w, 1, 20) * 1000)) != WAIT_OBJECT_0)
    fail("the process did not end");
}

void expectRunning(const Words& w) {
  bool got = g_process && WaitForSingleObject(g_process, 0) == WAIT_TIMEOUT;
  if (got != (w[1] == "1")) fail(got ? "the process runs" : "the process has ended");
}

void rect(const Words& w) {
  RECT rc;
  GetWindowRect(needWindow(w[1]), &rc);
  std::cout << rc.left << " " << rc.top << " " << rc.right - rc.left << " " << rc.bottom - rc.top << "\n";
}

void expectAttr(const Words& w) {
  std::wstring path = longPath(w[1]);
  DWORD a = GetFileAttributesW(path.c_str());
  long got = a == INVALID_FILE_ATTRIBUTES ? -1 : static_cast<long>(a & 23);
  if (got != std::stol(w[2])) fail(w[1] + " has attributes " + std::to_string(got));
}

void makeEntry(const Words& w) {
  std::wstring path = longPath(w[1]);
  if (w[0] == "make-dir") {
    if (!CreateDirectoryW(path.c_str(), nullptr)) fail("cannot create " + w[1]);
  } else {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) fail("cannot create " + w[1]);
    DWORD n = 0;
    WriteFile(f, "x", 1, &n, nullptr);
    CloseHandle(f);
  }
  if (w.size() > 2 && !SetFileAttributesW(path.c_str(), static_cast<DWORD>(std::stoul(w[2]))))
    fail("cannot set the attributes of " + w[1]);
}

void hold(const Words& w) {
  HANDLE f = CreateFileW(longPath(w[1]).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (f == INVALID_HANDLE_VALUE) fail("cannot open " + w[1]);
  // Left open on purpose until kauto ends.
}

void expectExists(const Words& w) {
  bool got = GetFileAttributesW(longPath(w[1]).c_str()) != INVALID_FILE_ATTRIBUTES;
  if (got != (w[2] == "1")) fail(w[1] + (got ? " exists" : " does not exist"));
}

void shotBox(const Words& w) {
  HWND box = nullptr;
  if (!waitFor(20, [&] { return (box = findBox()) != nullptr; })) fail("no message box");
  Sleep(100);
  saveShot(box, w[1]);
}

void key(const Words& w) {
  HWND win = needWindow(w[1]);
  HWND f = focusOf(win);
  if (!f || (f != win && !IsChild(win, f))) fail("no control of " + w[1] + " has the keyboard focus");
  const std::string& k = w[2];
  auto press = [&](UINT vk, UINT scan) {
    post(f, WM_KEYDOWN, vk, 1 | (scan << 16));
    post(f, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000u);
  };
  if (k == "tab")
    press(VK_TAB, 0x0F);
  else if (k == "enter")
    press(VK_RETURN, 0x1C);
  else if (k == "esc")
    press(VK_ESCAPE, 0x01);
  else if (k == "space")
    press(VK_SPACE, 0x39);
  else if (k.size() == 5 && k.rfind("alt+", 0) == 0)
    post(f, WM_SYSCHAR, static_cast<WPARAM>(std::tolower(static_cast<unsigned char>(k[4]))), 1 | (1u << 29));
  else
    fail("unknown key " + k);
}

// Real input, as the keyboard and the mouse give it: to the window in
// front, which is made the one named first. Keys and clicks then go the way
// a person's do (menus, access keys, the list under the pointer), unlike a
// command sent straight to a window.
HWND toFront(const std::string& win) {
  HWND h = needWindow(win);
  SetForegroundWindow(h);
  if (!waitFor(5, [&] { return GetForegroundWindow() == h; })) fail(win + " does not come to the front");
  return h;
}

void sendKey(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  if (vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN) in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  SendInput(1, &in, sizeof in);
}

WORD keyCode(const std::string& k) {
  static const std::map<std::string, WORD> named = {
      {"f10", VK_F10},   {"enter", VK_RETURN}, {"esc", VK_ESCAPE}, {"tab", VK_TAB},     {"space", VK_SPACE},
      {"down", VK_DOWN}, {"up", VK_UP},        {"left", VK_LEFT},  {"right", VK_RIGHT}, {"alt", VK_MENU}};
  if (auto it = named.find(k); it != named.end()) return it->second;
  if (k.size() == 1 && std::isalnum(static_cast<unsigned char>(k[0])))
    return static_cast<WORD>(std::toupper(static_cast<unsigned char>(k[0])));
  fail("unknown key " + k);
}

void keys(const Words& w) {
  toFront(w[1]);
  for (size_t i = 2; i < w.size(); ++i) {
    const std::string& k = w[i];
    const bool alt = k.rfind("alt+", 0) == 0 && k.size() > 4;
    const WORD vk = keyCode(alt ? k.substr(4) : k);
    if (alt) sendKey(VK_MENU, false);
    sendKey(vk, false);
    sendKey(vk, true);
    if (alt) sendKey(VK_MENU, true);
    // A menu opens or moves in the program's own time.
    Sleep(250);
  }
}

void mouseMark(const Words& w) {
  HWND lv = needControl(w[1], w[2]);
  const int i = itemIndex(lv, w[3]);
  Remote r(sizeof(RECT));
  RECT rc{};
  rc.left = LVIR_BOUNDS;
  r.write(&rc, sizeof rc);
  if (!SendMessageW(lv, LVM_GETITEMRECT, i, r.at())) fail("entry " + w[3] + " is not shown");
  r.read(&rc, sizeof rc);
  // The check box stands at the left end of the entry's row.
  POINT pt{rc.left + 8, (rc.top + rc.bottom) / 2};
  ClientToScreen(lv, &pt);
  toFront(w[1]);
  SetCursorPos(pt.x, pt.y);
  Sleep(100);
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof in[0]);
  Sleep(250);
}

void minimize(const Words& w) { ShowWindow(needWindow(w[1]), SW_MINIMIZE); }

void expectFront(const Words& w) {
  HWND h = nullptr;
  if (!waitFor(5, [&] {
        h = findWindow(w[1]);
        return h && GetForegroundWindow() == h && !IsIconic(h) && IsWindowVisible(h);
      }))
    fail(w[1] + (h && IsIconic(h) ? " is minimised" : " is not in front"));
}

void expectFocus(const Words& w) {
  std::string got;
  // The keys before it may still be on their way.
  if (!waitFor(5, [&] {
        HWND win = needWindow(w[1]);
        got = controlName(w[1], win, focusOf(win));
        return got == w[2];
      }))
    fail("the focus is on " + got);
}

void expectTabOrder(const Words& w) {
  HWND win = needWindow(w[1]);
  std::vector<std::string> got;
  for (HWND c = GetWindow(win, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP) got.push_back(controlName(w[1], win, c));
  std::vector<std::string> want(w.begin() + 2, w.end());
  if (got != want) fail("Tab stops at" + joined(got));
}

void expectDefault(const Words& w) {
  HWND win = needWindow(w[1]);
  DWORD_PTR r = 0;
  SendMessageTimeoutW(win, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
  std::string got = HIWORD(r) == DC_HASDEFID ? controlName(w[1], win, GetDlgItem(win, LOWORD(r))) : "-";
  if (got != w[2]) fail("Enter presses " + got);
}

void expectAccessKey(const Words& w) {
  bool prefixed = false;
  std::wstring text = captionOf(w[1], w[2], prefixed);
  wchar_t k = prefixed ? accessKeyOf(text) : 0;
  std::string got = k ? utf8(std::wstring(1, k)) : "-";
  if (got != w[3]) fail(w[1] + "." + w[2] + " has the access key " + got);
}

void expectBoxOwner(const Words& w) {
  HWND box = nullptr;
  if (!waitFor(20, [&] { return (box = findBox()) != nullptr; })) fail("no message box");
  HWND owner = GetWindow(box, GW_OWNER);
  HWND want = w[1] == "-" ? nullptr : needWindow(w[1]);
  if (owner != want)
    fail(owner ? "the message box is owned by '" + utf8(textOf(owner)) + "'" : "the message box has no owner");
}

void expectFits(const Words& w) { ::expectFits(w[1]); }

void shot(const Words& w) { saveShot(needWindow(w[1]), w[2]); }

void regSet(const Words& w) {
  std::wstring path;
  HKEY root = rootOf(w[1], path);
  HKEY h = nullptr;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) != ERROR_SUCCESS)
    fail("cannot create " + w[1]);
  std::wstring name = utf16(w[2]);
  LONG r;
  if (w[3] == "dword") {
    DWORD v = static_cast<DWORD>(std::stoul(w[4]));
    r = RegSetValueExW(h, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), sizeof(v));
  } else {
    std::wstring v = utf16(w[4]);
    r = RegSetValueExW(h, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                       static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
  }
  RegCloseKey(h);
  if (r != ERROR_SUCCESS) fail("cannot write " + w[2]);
}

void regDelete(const Words& w) {
  std::wstring path;
  HKEY root = rootOf(w[1], path);
  HKEY h = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_SET_VALUE, &h) == ERROR_SUCCESS) {
    RegDeleteValueW(h, utf16(w[2]).c_str());
    RegCloseKey(h);
  }
}

void expectReg(const Words& w) {
  std::string got = readValue(w[1], w[2]);
  if (got != w[3]) fail(w[1] + " " + w[2] + " is " + got);
}

void expectProcess(const Words& w) {
  bool got = false;
  // An ended process may take a moment to leave the table.
  waitFor(w[2] == "1" ? 0 : 5, [&] {
    got = processRuns(w[1]);
    return got == (w[2] == "1");
  });
  if (got != (w[2] == "1")) fail(w[1] + (got ? " runs" : " does not run"));
}

void sleep(const Words& w) { Sleep(static_cast<DWORD>(std::stoul(w[1]))); }

void stopwatch(const Words& w) {
  if (w[1] == "start") {
    QueryPerformanceCounter(&g_stopwatch);
  } else if (w[1] == "print" && w.size() > 2) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    std::cout << w[2] << ": " << (now.QuadPart - g_stopwatch.QuadPart) * 1000 / frequency.QuadPart << " ms\n";
  } else {
    fail("stopwatch start, or stopwatch print <label>");
  }
}

void echo(const Words& w) {
  for (size_t i = 1; i < w.size(); ++i) std::cout << (i > 1 ? " " : "") << w[i];
  std::cout << "\n";
}

}  // namespace verbs

// ---- the table of commands -------------------------------------------------

constexpr size_t kAny = static_cast<size_t>(-1);

// A command: how it is called and the code that runs it. kVerbs is the only
// list of them, so the usage --help prints cannot drift from what runs.
struct Verb {
  const char* name;
  const char* args;  // as the usage shows them
  size_t least;      // words after the verb, at least
  size_t most;       // and at most; kAny: no limit
  const char* what;  // one line: what it does or checks
  void (*run)(const Words&);
};

// clang-format off
const Verb kVerbs[] = {
  {"launch", "<exe> <working folder>", 2, 2, "start Kestrive; later commands act on it", verbs::launch},
  {"attach", "<exe name>", 1, 1, "act on a running process of that name (a launch of an earlier run)", verbs::attach},
  {"spawn", "<exe>", 1, 1, "start another program (not tracked), e.g. a test worm", verbs::spawn},
  {"wait-window", "<win> [seconds]", 1, 2, "until the window is visible (20 s)", verbs::waitWindow},
  {"wait-hidden", "<win> [seconds]", 1, 2, "until it is hidden or gone (20 s)", verbs::waitHidden},
  {"no-window", "<win> [seconds]", 1, 2, "it does not become visible meanwhile (3 s)", verbs::noWindow},
  {"click", "<win> <control>", 2, 2, "press a button or label", verbs::click},
  {"menu", "<win> <entry>", 2, 2, "choose a menu entry", verbs::menu},
  {"close", "<win>", 1, 1, "the close box", verbs::close},
  {"select", "<win> <combo> <text>", 3, 3, "pick an entry of a drop-down list", verbs::select},
  {"check", "<win> <box> 0|1", 3, 3, "set a check box as the user would", verbs::check},
  {"mark", "<win> <list> <item>", 3, 3, "toggle an entry's mark with the space bar", verbs::mark},
  {"expect-enabled", "<win> <control> 0|1", 3, 3, "the control or menu entry is enabled, or not", verbs::expectEnabled},
  {"expect-visible", "<win> 0|1", 2, 2, "the window is visible, or not", verbs::expectVisible},
  {"expect-window-enabled", "<win> 0|1", 2, 2, "the window takes input, or not", verbs::expectWindowEnabled},
  {"expect-text", "<win> <control> <text>", 3, 3, "as the user reads it (a control or a menu entry)", verbs::expectText},
  {"expect-checked", "<win> <box> 0|1", 3, 3, "the check box is checked, or not", verbs::expectChecked},
  {"expect-items", "<win> <list> [item ...]", 2, kAny, "the entries, in any order", verbs::expectItems},
  {"expect-marked", "<win> <list> <item> 0|1", 4, 4, "the entry is marked, or not", verbs::expectMarked},
  {"expect-current", "<win> <list> <item>|-", 3, 3, "the entry the list's keyboard focus is on, or none", verbs::expectCurrent},
  {"items", "<win> <list>", 2, 2, "print the entries", verbs::items},
  {"box", "<text> [yes|no|ok] [kind]", 1, 3, "a message box with exactly this text, answered (ok by default); kind: question, information, error, warning, plain", verbs::box},
  {"boxes", "<answer> <text> [text ...]", 2, kAny, "these message boxes, each once, in any order", verbs::boxes},
  {"no-box", "[seconds]", 0, 1, "no message box shows meanwhile (2 s)", verbs::noBox},
  {"wait-box", "<text> [seconds]", 1, 2, "until a message box with exactly this text shows (20 s); leaves it open", verbs::waitBox},
  {"wait-exit", "[seconds]", 0, 1, "the launched process has ended (20 s)", verbs::waitExit},
  {"expect-running", "0|1", 1, 1, "the launched process runs, or not", verbs::expectRunning},
  {"rect", "<win>", 1, 1, "print the window's screen rectangle", verbs::rect},
  {"expect-attr", "<path> <attributes>", 2, 2, "read-only, hidden, system and directory bits (1|2|4|16) of GetFileAttributes (-1: absent); not the archive bit, which Wine reports on every file", verbs::expectAttr},
  {"make-file", "<path> [attributes]", 1, 2, "create a file (with content \"x\")", verbs::makeEntry},
  {"make-dir", "<path> [attributes]", 1, 2, "create a folder", verbs::makeEntry},
  {"hold", "<path>", 1, 1, "keep the file open, not shareable for deletion, until kauto ends", verbs::hold},
  {"expect-exists", "<path> 0|1", 2, 2, "the file or folder exists, or not", verbs::expectExists},
  {"shot", "<win> <file.bmp>", 2, 2, "save a picture of the window", verbs::shot},
  {"shot-box", "<file.bmp>", 1, 1, "save a picture of the message box that is shown", verbs::shotBox},
  {"key", "<win> <key>", 2, 2, "a key to the control of the window that has the focus: tab, enter, esc, space or alt+<letter>", verbs::key},
  {"keys", "<win> <key> [key ...]", 2, kAny, "real key presses to that window, brought to the front: f10, enter, esc, tab, space, up, down, left, right, alt, a letter, or alt+<key>", verbs::keys},
  {"mouse-mark", "<win> <list> <item>", 3, 3, "a real mouse click on the entry's check box", verbs::mouseMark},
  {"minimize", "<win>", 1, 1, "minimise the window", verbs::minimize},
  {"expect-front", "<win>", 1, 1, "the window is shown, not minimised, and in front", verbs::expectFront},
  {"expect-focus", "<win> <control>", 2, 2, "that control has the keyboard focus", verbs::expectFocus},
  {"expect-tab-order", "<win> [control ...]", 1, kAny, "the controls Tab stops at, in order, enabled or not", verbs::expectTabOrder},
  {"expect-default", "<win> <control>|-", 2, 2, "the button Enter presses, or none", verbs::expectDefault},
  {"expect-access-key", "<win> <control> <letter>|-", 3, 3, "the underlined letter of a caption or menu entry", verbs::expectAccessKey},
  {"expect-box-owner", "<win>|-", 1, 1, "the shown message box is owned by that window, or by none", verbs::expectBoxOwner},
  {"expect-fits", "<win>", 1, 1, "no caption, label or title of the window is cut off, and every control lies inside the window and its frame", verbs::expectFits},
  {"reg-set", "<key> <name> sz|dword <value>", 4, 4, "e.g. reg-set HKCU\\Software\\X Name dword 1", verbs::regSet},
  {"reg-delete", "<key> <name>", 2, 2, "remove the value", verbs::regDelete},
  {"expect-reg", "<key> <name> <value>", 3, 3, "REG_SZ text or REG_DWORD number; \"-\" for no such value", verbs::expectReg},
  {"expect-process", "<exe name>|<path> 0|1", 2, 2, "a process of that executable name (or image path) runs, or not", verbs::expectProcess},
  {"sleep", "<milliseconds>", 1, 1, "wait", verbs::sleep},
  {"stopwatch", "start|print <label>", 1, 2, "(re)start the clock, or print \"<label>: <milliseconds since start> ms\"", verbs::stopwatch},
  {"echo", "[text ...]", 0, kAny, "print the text", verbs::echo},
};
// clang-format on

// The verb, its arguments and what it does, the text padded to a column.
std::string usageOf(const Verb& v, size_t column = 0) {
  std::string head = std::string(v.name) + " " + v.args;
  if (head.size() < column) head.resize(column, ' ');
  return head + "   " + v.what;
}

void run(const Words& w) {
  auto v = std::find_if(std::begin(kVerbs), std::end(kVerbs), [&](const Verb& e) { return w[0] == e.name; });
  if (v == std::end(kVerbs)) fail("unknown command " + w[0] + " (kauto --help lists them)");
  size_t n = w.size() - 1;
  if (n < v->least || n > v->most) fail("usage: " + usageOf(*v));
  v->run(w);
}

void printUsage(std::ostream& out) {
  out << "usage: kauto [<script> | -]\n"
         "Drives a running Kestrive from the outside, as a user would. Reads one command a line from the\n"
         "script (standard input without one, or with -); a line that starts with # is skipped. Stops with\n"
         "exit code 1 at the first expectation that does not hold. Words with blanks go in double quotes,\n"
         "a doubled quote inside stands for one. <win> is a window's name, <control> one of its controls'.\n"
         "Commands; a number of seconds in parentheses is how long one waits by default:\n";
  for (const Verb& v : kVerbs) out << "  " << usageOf(v, 38) << "\n";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Real pixels, whatever the screen's DPI, for rectangles, pictures and measures.
  SetProcessDPIAware();
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  std::ifstream file;
  std::istream* in = &std::cin;
  const std::wstring first = argc > 1 ? argv[1] : L"-";
  if (first == L"--help" || first == L"-h" || first == L"/?") {
    printUsage(std::cout);
    return 0;
  }
  if (argc > 2 || (first.size() > 1 && first[0] == L'-')) {
    printUsage(std::cerr);
    return 2;
  }
  if (first != L"-") {
    file.open(utf8(first));
    if (!file) {
      std::cerr << "kauto: cannot read " << utf8(first) << "\n";
      return 2;
    }
    in = &file;
  }
  std::string line;
  int number = 0;
  while (std::getline(*in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    auto w = words(line);
    if (w.empty() || w[0][0] == '#') continue;
    try {
      run(w);
    } catch (const Failure& f) {
      std::cout << "FAIL line " << number << ": " << line << "\n  " << f.what << std::endl;
      return 1;
    } catch (const std::exception& e) {
      std::cout << "FAIL line " << number << ": " << line << "\n  " << e.what() << std::endl;
      return 1;
    }
    std::cout.flush();
  }
  return 0;
}
