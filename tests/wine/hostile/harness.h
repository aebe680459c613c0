// The hostile-input suite's harness: text helpers, the host (Unix) side that
// maps drives and makes what Windows cannot, snapshots of trees and the Run
// key, the child's record of what it saw, and the child's platform.
#pragma once

#include <windows.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "computer/frm_c.h"
#include "platform/platform.h"
#include "platform/win32/os.h"
#include "removable/frm_rd.h"
#include "removable/payloads.h"
#include "app/kestrive.h"
#include "shell/texts.h"

#include "tests/support/link_bytes.h"
#include "tests/support/shell_link_writer.h"
#include "tests/support/win_text.h"

using namespace kestrive;

namespace {

// ---------------------------------------------------------------- texts

// The shared text and path helpers, by the short names the rows use.
std::string u8(const std::wstring& w) { return test_support::utf8(w); }
std::wstring w16(const std::string& s) { return test_support::utf16(s); }
using test_support::exeDir;
using test_support::exePath;
using test_support::longForm;
using test_support::quote;

std::string lowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

bool containsNoCaseAscii(const std::string& text, const std::string& part) {
  return lowerAscii(text).find(lowerAscii(part)) != std::string::npos;
}

// ---------------------------------------------------------------- what the product looks for

const char* const kVirusMarkers[] = {".bat", ".lnk", ".inf", ".scr", ".vbs", ".com", ".pif", ".cmd"};
const char* const kProtected[] = {"$RECYCLE.BIN", "desktop.ini", "Folder Settings",
                                  "RECYCLER",     "Config.Msi",  "System Volume Information"};
const std::string kOwnProgram = "hostile_tests.exe";

bool virusName(const std::string& n) {
  for (const char* m : kVirusMarkers)
    if (containsNoCaseAscii(n, m)) return true;
  return false;
}
bool exeName(const std::string& n) { return containsNoCaseAscii(n, ".exe"); }
bool protectedName(const std::string& n) {
  for (const char* p : kProtected)
    if (lowerAscii(n) == lowerAscii(p)) return true;
  return false;
}
// A name no Windows path can address (made on a foreign file system).
bool unaddressable(const std::wstring& n) {
  for (wchar_t c : n)
    if (c < 32 || wcschr(L"<>:\"|?*\\/", c)) return true;
  return false;
}

const std::string kDeleteComplete = "Delete complete!";
const std::string kScanClean = "Scan complete. No virus detect.";
const std::string kComputerClean = "Done. Virus shortcut not detect!";

// ---------------------------------------------------------------- the host (Unix) side

std::string unixPathOf(const std::wstring& winPath) {
  using Fn = char*(CDECL*)(LPCWSTR);
  static Fn fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!fn) return {};
  char* p = fn(winPath.c_str());
  if (!p) return {};
  std::string out = p;
  HeapFree(GetProcessHeap(), 0, p);
  return out;
}

std::string shq(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// A name as a printf %b argument, so that any byte passes the shell.
std::string shName(const std::wstring& name) {
  std::string out = "\"$(printf '%b' '";
  char buf[8];
  for (unsigned char c : u8(name)) {
    snprintf(buf, sizeof buf, "\\0%03o", c);
    out += buf;
  }
  return out + "')\"";
}

const std::wstring kWork = L"C:\\hostile";

// Runs a shell script on the host and waits for it; its exit status, or -1.
int host(const std::string& script) {
  static int serial = 0;
  std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
  std::wstring scriptPath = kWork + L"\\host-" + tag + L".sh";
  std::wstring donePath = kWork + L"\\host-" + tag + L".done";
  std::string done = unixPathOf(donePath);
  if (done.empty()) return -1;
  FILE* f = _wfopen(scriptPath.c_str(), L"wb");
  if (!f) return -1;
  fprintf(f, "(\n%s\n) >/dev/null 2>&1\necho $? > %s.part && mv %s.part %s\n", script.c_str(), shq(done).c_str(),
          shq(done).c_str(), shq(done).c_str());
  fclose(f);
  std::wstring cmd = L"\\\\?\\unix\\bin\\sh " + w16(unixPathOf(scriptPath));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(L"\\\\?\\unix\\bin\\sh", cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return -1;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  // A Unix child cannot be waited for through its handle; it leaves a file.
  int rc = -1;
  for (int i = 0; i < 24000; ++i) {
    if (FILE* d = _wfopen(donePath.c_str(), L"rb")) {
      if (fscanf(d, "%d", &rc) != 1) rc = -1;
      fclose(d);
      break;
    }
    Sleep(5);
  }
  DeleteFileW(donePath.c_str());
  DeleteFileW(scriptPath.c_str());
  return rc;
}

// Opens (or makes) a key of a row's start-up place. HKEY_CURRENT_USER is
// reached through a handle of its own: the process-wide one has been seen
// to go stale in this long-running parent under Wine (error 6), and a row
// must never read "no such value" only because the key could not be opened.
LSTATUS openPlaceKey(HKEY root, const std::wstring& key, REGSAM access, bool create, HKEY* out) {
  HKEY base = root, user = nullptr;
  if (root == HKEY_CURRENT_USER) {
    if (LSTATUS e = RegOpenCurrentUser(KEY_ALL_ACCESS, &user); e != ERROR_SUCCESS) return e;
    base = user;
  }
  const LSTATUS e = create ? RegCreateKeyExW(base, key.c_str(), 0, nullptr, 0, access, nullptr, out, nullptr)
                           : RegOpenKeyExW(base, key.c_str(), 0, access, out);
  if (user) RegCloseKey(user);
  return e;
}

std::string dosdevices() {
  std::string c = unixPathOf(L"C:\\");  // ".../dosdevices/c:/"
  while (!c.empty() && c.back() == '/') c.pop_back();
  return c.substr(0, c.find_last_of('/'));
}

const wchar_t kLetter = L'H';
const std::string kRoot = "H:\\";

bool mapDrive(const std::wstring& folder, char letter = 'h') {
  return host("ln -sfn " + shq(unixPathOf(folder)) + " " + shq(dosdevices() + "/" + letter + ":")) == 0;
}
bool unmapDrive(char letter = 'h') { return host("rm -f " + shq(dosdevices() + "/" + letter + ":")) == 0; }

// The processes running a file, by their full image path.
std::vector<DWORD> processesOf(const std::wstring& image) {
  std::vector<DWORD> out;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return out;
  PROCESSENTRY32W e{};
  e.dwSize = sizeof e;
  for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e)) {
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, e.th32ProcessID);
    if (!h) continue;
    wchar_t buf[MAX_PATH * 4];
    DWORD n = MAX_PATH * 4;
    if (QueryFullProcessImageNameW(h, 0, buf, &n) && lstrcmpiW(buf, image.c_str()) == 0) out.push_back(e.th32ProcessID);
    CloseHandle(h);
  }
  CloseHandle(snap);
  return out;
}

// ---------------------------------------------------------------- snapshots

struct Node {
  DWORD attrs = 0;  // read-only, hidden, system, directory
  uint64_t size = 0;
  std::string content;
};
// Relative paths joined by "/", which no entry name can hold.
using Tree = std::map<std::wstring, Node>;

constexpr DWORD kAttrBits =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
constexpr DWORD kFlagBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The file's whole content; nullopt when it cannot be opened.
std::optional<std::string> contentOf(const std::wstring& path) {
  HANDLE h = CreateFileW(longForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string out;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
  CloseHandle(h);
  return out;
}

std::string readAll(const std::wstring& path) { return contentOf(path).value_or("<unreadable>"); }

void walk(const std::wstring& folder, const std::wstring& rel, Tree& tree, const std::set<std::wstring>& skip) {
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileExW(longForm(folder + L"\\*").c_str(), FindExInfoBasic, &d, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = d.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring r = rel.empty() ? name : rel + L"/" + name;
    if (skip.count(r)) continue;
    Node n;
    n.attrs = d.dwFileAttributes & kAttrBits;
    n.size = (uint64_t(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
    bool dir = d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    if (!dir) n.content = unaddressable(name) ? "<unaddressable>" : readAll(folder + L"\\" + name);
    tree[r] = n;
    if (dir && !unaddressable(name)) walk(folder + L"\\" + name, r, tree, skip);
  } while (FindNextFileW(h, &d));
  FindClose(h);
}

Tree snapshot(const std::wstring& folder, const std::set<std::wstring>& skip = {}) {
  Tree t;
  walk(folder, L"", t, skip);
  return t;
}

bool rootLevel(const std::wstring& rel) { return rel.find(L'/') == std::wstring::npos; }

// The Run key's values: name, then type and raw bytes.
using Values = std::map<std::wstring, std::pair<DWORD, std::string>>;
const wchar_t* const kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

Values runValues() {
  Values out;
  HKEY k;
  if (openPlaceKey(HKEY_CURRENT_USER, kRunKey, KEY_READ, false, &k) != ERROR_SUCCESS) return out;
  DWORD maxName = 0, maxData = 0;
  RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData, nullptr,
                   nullptr);
  std::wstring name(maxName + 2, L'\0');
  std::string data(maxData + 2, '\0');
  for (DWORD i = 0;; ++i) {
    DWORD nl = (DWORD)name.size(), dl = (DWORD)data.size(), type = 0;
    if (RegEnumValueW(k, i, name.data(), &nl, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &dl) !=
        ERROR_SUCCESS)
      break;
    out[name.substr(0, nl)] = {type, data.substr(0, dl)};
  }
  RegCloseKey(k);
  return out;
}

void clearRunKey() {
  HKEY k;
  if (openPlaceKey(HKEY_CURRENT_USER, kRunKey, KEY_ALL_ACCESS, true, &k) != ERROR_SUCCESS) return;
  for (const auto& [name, v] : runValues()) RegDeleteValueW(k, name.c_str());
  RegCloseKey(k);
}

void putRunValues(const Values& values) {
  HKEY k;
  if (openPlaceKey(HKEY_CURRENT_USER, kRunKey, KEY_ALL_ACCESS, true, &k) != ERROR_SUCCESS) return;
  for (const auto& [name, v] : values)
    RegSetValueExW(k, name.c_str(), 0, v.first, reinterpret_cast<const BYTE*>(v.second.data()), (DWORD)v.second.size());
  RegCloseKey(k);
}

// ---------------------------------------------------------------- the child's record

std::string escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out;
}

std::string unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    char c = s[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

class Report {
 public:
  explicit Report(const std::wstring& path) : f_(_wfopen(path.c_str(), L"wb")) {}
  ~Report() {
    if (f_) fclose(f_);
  }
  void put(std::initializer_list<std::string> fields) {
    if (!f_) return;
    std::string line;
    bool first = true;
    for (const std::string& field : fields) {
      if (!first) line += '\t';
      first = false;
      line += escape(field);
    }
    line += "\n";
    fwrite(line.data(), 1, line.size(), f_);
    fflush(f_);
  }

 private:
  FILE* f_;
};

// ---------------------------------------------------------------- the child's platform

// The real file system, with a place to act at a chosen moment (the drive
// pulled out part-way).
class HookFs : public FileSystem {
 public:
  std::function<void(const std::string& path)> beforeSetAttributes;
  bool setAttributes(const std::string& path, uint32_t a) override {
    if (beforeSetAttributes) beforeSetAttributes(path);
    return real_.setAttributes(path, a);
  }
  std::optional<uint32_t> attributes(const std::string& path) override { return real_.attributes(path); }
  bool deleteFile(const std::string& path) override { return real_.deleteFile(path); }
  bool deleteAsNormal(const std::string& path) override {
    if (beforeSetAttributes) beforeSetAttributes(path);
    return real_.deleteAsNormal(path);
  }
  bool exists(const std::string& path) override { return real_.exists(path); }
  std::vector<bool> gone(const std::string& folder, const std::vector<std::string>& names) override {
    return real_.gone(folder, names);
  }
  bool driveReady(const std::string& root) override { return real_.driveReady(root); }
  std::unique_ptr<DirListing> list(const std::string& pattern, uint32_t mask) override {
    return real_.list(pattern, mask);
  }
  std::optional<std::vector<uint8_t>> readFile(const std::string& path, size_t maxBytes) override {
    return real_.readFile(path, maxBytes);
  }
  std::optional<std::vector<uint8_t>> readAndSetAttributes(const std::string& path, size_t maxBytes,
                                                           uint32_t a) override {
    if (beforeSetAttributes) beforeSetAttributes(path);
    return real_.readAndSetAttributes(path, maxBytes, a);
  }
  bool moveNoReplace(const std::string& from, const std::string& to) override {
    if (beforeSetAttributes) beforeSetAttributes(from);
    return real_.moveNoReplace(from, to);
  }
  bool removeEmptyFolder(const std::string& path) override { return real_.removeEmptyFolder(path); }

 private:
  win32::Win32Fs real_;
};

class ScriptUi : public Ui {
 public:
  explicit ScriptUi(Report& r) : r_(r) {}
  std::function<void(const std::string& text)> onBox;
  int messageBox(const std::string& text, const std::string& title, uint32_t flags) override {
    r_.put({"box", std::to_string(flags), text, title});
    if (onBox) onBox(text);
    return (flags & 0xF) == mb::YesNo ? mb::IdYes : mb::IdOk;
  }
  void doEvents() override { Sleep(1); }
  void waitEvents(uint32_t ms) override { Sleep(ms); }
  void openUrl(const std::string& address) override { r_.put({"url", address}); }
  void showOtherInstance() override {}
  [[noreturn]] void endProcess() override {
    r_.put({"ended"});
    ExitProcess(7);
  }

 private:
  Report& r_;
};

class NoHost : public WindowHost {};

// What a row does in the child: the windows driven as a user would.
struct Drive {
  App& app;
  Report& r;
  HookFs& fs;
  ScriptUi& ui;

  Window& w(const char* name) {
    Window* win = app.find(name);
    if (!win) {
      r.put({"missing-window", name});
      ExitProcess(8);
    }
    return *win;
  }
  void lists(const char* window, std::initializer_list<const char*> names) {
    for (const char* list : names)
      for (const Item& item : w(window).ctl(list).items) r.put({"list", list, item.text, item.data});
  }

  // ---- removable
  void openRd() {
    app.start();
    app.click("frm_first", "btn_rd");
    Control& cmb = w("frm_rd").ctl("cmb_rd");
    for (size_t i = 0; i < cmb.items.size(); ++i)
      if (cmb.items[i].text == kRoot) cmb.listIndex = (int)i;
    if (cmb.text() != kRoot) {
      r.put({"no-drive"});
      ExitProcess(9);
    }
    tickRd();
  }
  void tickRd() { app.tick("frm_rd", "T1"); }
  // Another device picked in the combo box, as the binding reports it.
  void choose(const std::string& root) {
    r.put({"step", "choose", std::to_string(GetTickCount())});
    Control& cmb = w("frm_rd").ctl("cmb_rd");
    for (size_t i = 0; i < cmb.items.size(); ++i)
      if (cmb.items[i].text == root) cmb.listIndex = (int)i;
    if (cmb.text() != root) r.put({"expect", "no drive " + root + " to choose"});
    app.click("frm_rd", "cmb_rd");
    tickRd();
    lists("frm_rd", {"lst_dir", "lst_dir_2"});
  }
  void scan() {
    r.put({"step", "scan", std::to_string(GetTickCount())});
    app.click("frm_rd", "btn_scan");
    lists("frm_rd", {"lst_dir", "lst_dir_2"});
  }
  void deleteViruses() {
    r.put({"step", "delete-virus", std::to_string(GetTickCount())});
    for (const Item& item : w("frm_rd").ctl("lst_dir_2").items) r.put({"target", item.text});
    tickRd();
    app.click("frm_rd", "btn_d2");
    lists("frm_rd", {"lst_dir_2"});
  }
  void deleteVirusesMarked(const std::function<bool(const std::string&)>& pick) {
    r.put({"step", "delete-virus", std::to_string(GetTickCount())});
    FrmRd& rd = static_cast<FrmRd&>(w("frm_rd"));
    rd.ctl("chkAD").value = 0;
    for (Item& item : rd.ctl("lst_dir_2").items) {
      item.marked = pick(item.text);
      if (item.marked) r.put({"target", item.text});
    }
    tickRd();
    app.click("frm_rd", "btn_d2");
    lists("frm_rd", {"lst_dir_2"});
  }
  void deleteExecutables() {
    r.put({"step", "delete-exe", std::to_string(GetTickCount())});
    tickRd();
    app.click("frm_rd", "btn_dir_sa");
    for (const Item& item : w("frm_rd").ctl("lst_dir").items) r.put({"target", item.text});
    app.click("frm_rd", "btn_del");
    lists("frm_rd", {"lst_dir"});
  }
  void unhide() {
    r.put({"step", "unhide", std::to_string(GetTickCount())});
    app.click("frm_rd", "e_sa");
  }

  // ---- computer
  void openC() {
    app.start();
    app.click("frm_first", "btn_c");
    w("frm_c");
  }
  void scanC() {
    r.put({"step", "c-scan", std::to_string(GetTickCount())});
    app.click("frm_c", "btn_scan");
    lists("frm_c", {"lst_V", "lst_P"});
  }
  void deleteLines() {
    r.put({"step", "c-delete", std::to_string(GetTickCount())});
    app.tick("frm_c", "T2");
    app.click("frm_c", "btn_c_ma");
    for (const Item& item : w("frm_c").ctl("lst_V").items) r.put({"target", item.text});
    app.click("frm_c", "btn_d");
    lists("frm_c", {"lst_V", "lst_P"});
  }
  void deleteProfileExecutables(const std::function<bool(const std::string&)>& pick) {
    r.put({"step", "c-delete-exe", std::to_string(GetTickCount())});
    app.tick("frm_c", "T2");
    for (Item& item : w("frm_c").ctl("lst_P").items) {
      item.marked = pick(item.text);
      if (item.marked) r.put({"target", item.text});
    }
    app.click("frm_c", "btn_Ed");
    lists("frm_c", {"lst_V", "lst_P"});
  }
};

}  // namespace
