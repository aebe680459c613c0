// Hostile input against the real windows over the real Win32 layer: root
// entries that worms and odd media produce, on a folder mapped as a drive,
// and Run values of every shape, in the real registry and profile folder.
//
// Every row is set up here, then run in a child process of this program
// (App + frm_rd or frm_c over Win32Fs, Win32Registry, Win32Processes, with
// only the message boxes scripted: Yes and OK, texts recorded), so that a
// crash ends one row and is counted. Afterwards the whole tree (names,
// attributes, sizes, contents) and the Run key are compared with what they
// were before; what counts:
//   files lost       an entry gone that was not listed for deletion, an
//                    entry damaged, anything below the root touched, an
//                    entry that appeared, a Run value lost or changed;
//   false successes  a listed entry still there with no "Cannot delete"
//                    for it and not listed again, "Delete complete!" while
//                    such an entry is left, an entry left hidden after a
//                    scan or unhide on a writable medium, a scan that
//                    found nothing on a root with suspects, a listed name
//                    that is on no drive, a line that stands for no value;
//   crashes          the row's process died, hung, or ended itself.
// Names that no Windows path can address (made on a foreign file system:
// ? * | < > : " or a backslash in them) are beyond the cleaner's reach; of
// them it is asked only that they are never reported as deleted and never
// lead it to another entry.
// One summary line closes the output; any figure but the rows fails.
// Arguments: row numbers to run those rows alone, -v to show each step's
// message boxes and list sizes.
//
// Wine runs Unix programs given by their \\?\unix\ path; that is how the
// rows map and unmap the drive letter, make names Windows cannot make, and
// mount a read-only medium.
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
#include "app/kestrive.h"
#include "shell/texts.h"

using namespace kestrive;

namespace {

// ---------------------------------------------------------------- texts

std::string u8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), s.data(), n, nullptr, nullptr);
  return s;
}

std::wstring w16(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), (int)s.size(), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), (int)s.size(), w.data(), n);
  return w;
}

std::string lowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

bool containsNoCaseAscii(const std::string& text, const std::string& part) {
  return lowerAscii(text).find(lowerAscii(part)) != std::string::npos;
}

std::wstring longForm(const std::wstring& path) { return L"\\\\?\\" + path; }

std::wstring exePath() {
  std::wstring buf(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, buf.data(), (DWORD)buf.size());
  buf.resize(n);
  return buf;
}

std::wstring exeDir() {
  std::wstring p = exePath();
  return p.substr(0, p.find_last_of(L'\\'));
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
    if (QueryFullProcessImageNameW(h, 0, buf, &n) && lstrcmpiW(buf, image.c_str()) == 0)
      out.push_back(e.th32ProcessID);
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

constexpr DWORD kAttrBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_DIRECTORY;
constexpr DWORD kFlagBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

std::string readAll(const std::wstring& path) {
  HANDLE h = CreateFileW(longForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<unreadable>";
  std::string out;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
  CloseHandle(h);
  return out;
}

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
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &k) != ERROR_SUCCESS) return out;
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
  if (RegCreateKeyW(HKEY_CURRENT_USER, kRunKey, &k) != ERROR_SUCCESS) return;
  for (const auto& [name, v] : runValues()) RegDeleteValueW(k, name.c_str());
  RegCloseKey(k);
}

void putRunValues(const Values& values) {
  HKEY k;
  if (RegCreateKeyW(HKEY_CURRENT_USER, kRunKey, &k) != ERROR_SUCCESS) return;
  for (const auto& [name, v] : values)
    RegSetValueExW(k, name.c_str(), 0, v.first, reinterpret_cast<const BYTE*>(v.second.data()), (DWORD)v.second.size());
  RegCloseKey(k);
}

// ---------------------------------------------------------------- the child's record

std::string escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
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

// ---------------------------------------------------------------- rows

struct Setup;

struct Row {
  std::string name;
  std::string must;  // what must happen
  bool computer = false;
  // Makes the row's entries; false when this machine cannot (not tried).
  std::function<bool(Setup&)> setup;
  std::function<void(Drive&)> drive;
  DWORD timeoutMs = 180000;
  // Entries whose attribute changes cannot stick (the medium went away or
  // is write-protected): the unhide check is not made for them.
  bool attributesStick = true;
  // The root can be listed to the end, so a scan that finds nothing is wrong.
  bool listable = true;
};

// The parent's side of a row: what it made, and what it must undo.
struct Setup {
  std::wstring folder;   // host view of the drive's root (C:\hostile\rowN)
  std::wstring profile;  // the user's profile folder
  std::wstring work;     // the working folder (pskill.exe lies there)
  std::vector<HANDLE> held;
  std::vector<HANDLE> processes;
  // Processes that must outlive the row: named like the worm, running another file.
  std::vector<HANDLE> decoys;
  // Programs planted where a search would find them first; none may run.
  std::vector<std::wstring> planted;
  std::vector<std::string> undo;  // host commands run at the end
  std::vector<std::wstring> profileMade;
  bool failed = false;
  std::string why;

  void fail(const std::string& what) {
    if (!failed) why = what;
    failed = true;
  }
  std::wstring at(const std::wstring& rel) const { return folder + L"\\" + rel; }

  void fileAt(const std::wstring& path, DWORD attrs, const std::string& content) {
    HANDLE h = CreateFileW(longForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return fail("cannot make " + u8(path) + ", error " + std::to_string(GetLastError()));
    DWORD written = 0;
    WriteFile(h, content.data(), (DWORD)content.size(), &written, nullptr);
    CloseHandle(h);
    if (attrs && !SetFileAttributesW(longForm(path).c_str(), attrs)) fail("cannot set attributes of " + u8(path));
  }
  void dirAt(const std::wstring& path, DWORD attrs) {
    if (!CreateDirectoryW(longForm(path).c_str(), nullptr))
      return fail("cannot make folder " + u8(path) + ", error " + std::to_string(GetLastError()));
    if (attrs && !SetFileAttributesW(longForm(path).c_str(), attrs)) fail("cannot set attributes of " + u8(path));
  }
  // Entries of the drive, by their path below its root.
  void file(const std::wstring& rel, DWORD attrs = FILE_ATTRIBUTE_ARCHIVE, const std::string& content = {}) {
    fileAt(at(rel), attrs, content.empty() ? "content of " + u8(rel) : content);
  }
  void dir(const std::wstring& rel, DWORD attrs = 0) { dirAt(at(rel), attrs); }
  // A name Windows cannot make, made by the host.
  void hostFile(const std::wstring& name, const std::string& content = "foreign") {
    if (host("cd " + shq(unixPathOf(folder)) + " && printf %s " + shq(content) + " > " + shName(name)) != 0)
      fail("host cannot make " + u8(name));
  }
  // Kept open by this process until the row has run.
  void hold(const std::wstring& rel, DWORD share) {
    HANDLE h = CreateFileW(longForm(at(rel)).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return fail("cannot hold " + u8(rel));
    held.push_back(h);
  }
  void holdPath(const std::wstring& path, DWORD share) {
    HANDLE h = CreateFileW(longForm(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return fail("cannot hold " + u8(path));
    held.push_back(h);
  }
  bool readOnlyMedium() {
    std::string d = shq(unixPathOf(folder));
    if (host("mount --bind " + d + " " + d + " && mount -o remount,ro,bind " + d + " " + d) != 0) {
      host("umount " + d);
      return false;
    }
    undo.push_back("umount " + d);
    return true;
  }

  // The user's profile folder.
  // Whatever a run cut short left behind goes first.
  void clearInProfile(const std::wstring& name) { host("rm -rf " + shq(unixPathOf(profile)) + "/" + shName(name)); }
  void profileFile(const std::wstring& name, DWORD attrs = FILE_ATTRIBUTE_ARCHIVE, const std::string& content = {}) {
    clearInProfile(name);
    fileAt(profile + L"\\" + name, attrs, content.empty() ? "program " + u8(name) : content);
    profileMade.push_back(name);
  }
  void profileDir(const std::wstring& name, DWORD attrs = 0) {
    clearInProfile(name);
    dirAt(profile + L"\\" + name, attrs);
    profileMade.push_back(name);
  }
  void profileHostFile(const std::wstring& name) {
    clearInProfile(name);
    if (host("cd " + shq(unixPathOf(profile)) + " && printf worm > " + shName(name)) != 0)
      fail("host cannot make " + u8(name));
    profileMade.push_back(name);
  }
  // A copy of the stand-in worm at path, running; nullptr when it cannot be had.
  HANDLE runCopy(const std::wstring& path) {
    if (!CopyFileW((work + L"\\worm.exe").c_str(), path.c_str(), TRUE)) {
      fail("cannot copy the worm to " + u8(path));
      return nullptr;
    }
    std::wstring cmd = L"\"" + path + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(path.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      fail("cannot start " + u8(path));
      return nullptr;
    }
    CloseHandle(pi.hThread);
    processes.push_back(pi.hProcess);
    return pi.hProcess;
  }
  // The worm's copy in the profile folder, running.
  void runningWorm(const std::wstring& name) {
    clearInProfile(name);
    profileMade.push_back(name);
    runCopy(profile + L"\\" + name);
  }
  // A process of the same name running from another folder (below the row's).
  void decoy(const std::wstring& name) {
    std::wstring dir = folder + L"\\decoy";
    CreateDirectoryW(dir.c_str(), nullptr);
    if (HANDLE h = runCopy(dir + L"\\" + name)) decoys.push_back(h);
  }
  // A program that must never run, where a search for it would look first.
  void plant(const std::wstring& path) {
    DeleteFileW(path.c_str());
    if (!CopyFileW((work + L"\\worm.exe").c_str(), path.c_str(), TRUE)) return fail("cannot plant " + u8(path));
    planted.push_back(path);
  }
  // The same root names again on a second drive (below this one's root, so
  // that any change there counts as a file lost).
  void twin(const std::wstring& rel, char letter) {
    if (!mapDrive(at(rel), letter)) return fail("cannot map the second drive");
    undo.push_back("rm -f " + shq(dosdevices() + "/" + letter + ":"));
  }
  std::wstring inProfile(const std::wstring& name) const { return profile + L"\\" + name; }

  Values values;
  void value(const std::wstring& name, DWORD type, const std::string& bytes) { values[name] = {type, bytes}; }
  void text(const std::wstring& name, const std::wstring& data, DWORD type = REG_SZ) {
    std::wstring withNul = data + L'\0';
    value(name, type, std::string(reinterpret_cast<const char*>(withNul.data()), withNul.size() * 2));
  }
};

std::string utf16Bytes(const std::wstring& w) { return std::string(reinterpret_cast<const char*>(w.data()), w.size() * 2); }

// Below the root of every drive row, in the state a worm leaves them: the
// user's folder hidden, files inside hidden, some with suspect names. The
// cleaner must never reach any of them.
void sentinels(Setup& s) {
  s.dir(L"Documents", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  s.file(L"Documents\\thesis.docx", FILE_ATTRIBUTE_HIDDEN, "the user's thesis");
  s.file(L"Documents\\autorun.inf", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  s.file(L"Documents\\setup.exe", FILE_ATTRIBUTE_READONLY);
  s.dir(L"Documents\\sub", FILE_ATTRIBUTE_HIDDEN);
  s.file(L"Documents\\sub\\deep.lnk", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

constexpr DWORD H = FILE_ATTRIBUTE_HIDDEN, S = FILE_ATTRIBUTE_SYSTEM, R = FILE_ATTRIBUTE_READONLY,
                D = FILE_ATTRIBUTE_DIRECTORY;

void scanAndDeleteAll(Drive& d) {
  d.openRd();
  d.scan();
  d.deleteViruses();
  d.deleteExecutables();
}

std::wstring repeat(wchar_t c, size_t n) { return std::wstring(n, c); }

const std::vector<Row>& rows() {
  static const std::vector<Row> table = {
      // ------------------------------------------------------------ removable
      {"names outside the code page",
       "Cyrillic, CJK, Arabic and emoji names are unhidden, listed and deleted by their exact names; composed "
       "and decomposed forms of one name are two entries, each handled by its own name",
       false,
       [](Setup& s) {
         s.file(L"\u0444\u043e\u0442\u043e.lnk", H | S);           // фото.lnk
         s.file(L"\u5199\u771f.exe", H);                            // 写真.exe
         s.file(L"\U0001F600 party.vbs", H | S | R);                // 😀 party.vbs
         s.file(L"\u00dcn\u00efc\u00f6d\u00e9.inf", H);            // Ünïcödé.inf
         s.file(L"\u0412\u0418\u0420\u0423\u0421.LNK", H);        // ВИРУС.LNK
         s.file(L"cafe\u0301.lnk", H);                              // café.lnk, decomposed
         s.file(L"caf\u00e9.lnk", H | S);                           // café.lnk, composed
         s.dir(L"cafe\u0301", H);                                   // café, decomposed, a folder
         s.dir(L"caf\u00e9", H | S);                                // and composed
         s.file(L"caf\u00e9\\menu.lnk", H);
         s.dir(L"\u0424\u043e\u0442\u043e", H | S);                 // Фото
         s.file(L"\u0424\u043e\u0442\u043e\\\u043b\u0435\u0442\u043e.jpg", H);
         s.file(L"photo\u202Egnp.lnk", H);                          // right-to-left override
         s.file(L"\u0627\u0644\u0635\u0648\u0631.scr", H | S);     // Arabic .scr
         return true;
       },
       scanAndDeleteAll},

      {"trailing dots and blanks",
       "only the marked odd twin (trailing dot or blank) is deleted, its plain twin stays; every twin is "
       "unhidden by its own name",
       false,
       [](Setup& s) {
         s.file(L"report.lnk", H | R);
         s.file(L"report.lnk.", H);
         s.file(L"run.vbs", H);
         s.file(L"run.vbs ", H | S);
         s.file(L" lead.inf", H);
         s.file(L"dots...lnk...", H);
         s.dir(L"photos", H);
         s.dir(L"photos ", H | S);
         s.file(L"photos \\inside.lnk", H);
         s.dir(L"...", H);
         s.file(L"...\\in-dots.lnk", H);
         s.file(L".lnk", H | S);
         s.file(L" ", H);
         return true;
       },
       [](Drive& d) {
         d.openRd();
         d.scan();
         d.deleteVirusesMarked([](const std::string& n) { return n.back() == '.' || n.back() == ' '; });
       }},

      {"255-character names",
       "names of the longest length are unhidden, listed and deleted; a 255-character folder keeps its content",
       false,
       [](Setup& s) {
         s.file(repeat(L'v', 251) + L".lnk", H | S);
         s.file(repeat(L'e', 251) + L".exe", H);
         // ж takes two bytes in UTF-8, and a Unix name at most 255 bytes.
         s.file(repeat(L'\u0436', 125) + L".inf", H);
         s.dir(repeat(L'f', 255), H | S);
         s.file(repeat(L'f', 255) + L"\\" + repeat(L'g', 251) + L".lnk", H);
         s.file(repeat(L'k', 250) + L".lnk.", H);
         return true;
       },
       scanAndDeleteAll},

      {"wildcard and pattern characters",
       "names holding # [ ] % ~ $ ; , ' ` are handled by their exact names; names with ? * | < > : \" made "
       "on a foreign file system can't be addressed and must not be reported as deleted",
       false,
       [](Setup& s) {
         s.file(L"hash#1.lnk", H);
         s.file(L"[x].lnk", H | S);
         s.file(L"a[b.exe", H);
         s.file(L"[!a-z].vbs", H);
         s.file(L"%TEMP%.lnk", H);
         s.file(L"~$doc.lnk", H);
         s.file(L"a;b,c'd`e.inf", H);
         s.file(L"100% [final] #2.exe", H);
         s.file(L"plain.lnk", H);
         s.hostFile(L"what?.lnk");
         s.hostFile(L"star*.vbs");
         s.hostFile(L"pipe|.lnk");
         s.hostFile(L"lt<gt>.inf");
         s.hostFile(L"colon:.lnk");
         s.hostFile(L"quote\".exe");
         return true;
       },
       scanAndDeleteAll},

      {"path separators inside a name",
       "root names from a foreign file system that hold a backslash must not reach the entries below the "
       "root that they spell",
       false,
       [](Setup& s) {
         s.hostFile(L"Documents\\sub\\deep.lnk");
         s.hostFile(L"Documents\\autorun.inf");
         s.hostFile(L"Documents\\setup.exe");
         s.hostFile(L"Documents\\thesis.docx");
         s.hostFile(L"..\\escape.lnk");
         s.file(L"real.lnk", H);
         return true;
       },
       [](Drive& d) {
         scanAndDeleteAll(d);
         d.unhide();
       }},

      {"reserved device names",
       "CON, NUL, AUX, COM1.lnk, LPT1.exe and the like are ordinary files on the medium: listed ones are "
       "deleted, the rest unhidden, no device is opened",
       false,
       [](Setup& s) {
         s.file(L"CON", H | S);
         s.file(L"NUL", H);
         s.file(L"AUX.inf", H);
         s.file(L"COM1.lnk", H | S);
         s.file(L"com9.vbs", H);
         s.file(L"LPT1.exe", H);
         s.file(L"PRN.lnk.txt", H);
         s.file(L"con .lnk", H);
         s.dir(L"NUL.lnk", H | S);
         s.file(L"NUL.lnk\\inner.txt", H);
         return true;
       },
       scanAndDeleteAll},

      {"folders named like files",
       "folders named autorun.inf, setup.exe, Photos.lnk, backup.com are unhidden and reported as not "
       "deletable; what they hold is untouched",
       false,
       [](Setup& s) {
         s.dir(L"autorun.inf", H | S | R);
         s.file(L"autorun.inf\\keep.txt", H);
         s.dir(L"setup.exe", H);
         s.file(L"setup.exe\\setup.exe", H | S);
         s.dir(L"Photos.lnk", H | S);
         s.dir(L"Photos.lnk\\2024", H);
         s.file(L"Photos.lnk\\2024\\beach.jpg", H | R);
         s.dir(L"backup.com");
         s.file(L"backup.com\\index.html");
         s.file(L"loose.lnk", H);
         return true;
       },
       scanAndDeleteAll},

      {"case twins",
       "of two names that differ only in letter case, only the marked one is deleted",
       false,
       [](Setup& s) {
         s.hostFile(L"virus.lnk", "lower");
         s.hostFile(L"VIRUS.LNK", "upper");
         s.hostFile(L"Run.Vbs", "mixed");
         s.hostFile(L"run.vbs", "lower");
         return true;
       },
       [](Drive& d) {
         d.openRd();
         d.scan();
         d.deleteVirusesMarked([](const std::string& n) { return n == "VIRUS.LNK" || n == "run.vbs"; });
       }},

      {"protected names and near misses",
       "the six Windows names end hidden and system whatever their case; near misses (trailing blank, extra "
       "extension) are unhidden; nothing inside them is touched",
       false,
       [](Setup& s) {
         s.dir(L"System Volume Information", R);
         s.file(L"System Volume Information\\IndexerVolumeGuid", H | S);
         s.dir(L"$RECYCLE.BIN");
         s.dir(L"$RECYCLE.BIN\\S-1-5-21", H | S);
         s.file(L"$RECYCLE.BIN\\S-1-5-21\\$R123.lnk", H);
         s.file(L"DESKTOP.INI", R);
         s.dir(L"recycler", H);
         s.dir(L"Config.Msi ", H | S);
         s.dir(L"folder settings", R | H);
         s.file(L"desktop.ini.bak", H | S);
         s.file(L"desktop.ini.lnk", H | S);
         return true;
       },
       [](Drive& d) {
         d.openRd();
         d.scan();
         d.deleteViruses();
       }},

      {"read-only medium",
       "nothing on a write-protected medium changes; every listed entry is reported as not deletable and "
       "Delete complete! is never shown",
       false,
       [](Setup& s) {
         s.file(L"autorun.inf", H | S | R);
         s.file(L"Photos.lnk", H | S);
         s.file(L"worm.exe", H | S);
         s.dir(L"Photos", H | S);
         s.file(L"Photos\\beach.jpg", H);
         return s.readOnlyMedium();
       },
       scanAndDeleteAll, 180000, false},

      {"files held open",
       "a file open in another program without delete sharing is reported as not deletable and stays; one "
       "open with delete sharing may go",
       false,
       [](Setup& s) {
         s.file(L"locked.lnk", H | S);
         s.file(L"locked.exe", H);
         s.file(L"shared.vbs", H);
         s.file(L"free.lnk", H | S | R);
         s.hold(L"locked.lnk", FILE_SHARE_READ | FILE_SHARE_WRITE);
         s.hold(L"locked.exe", FILE_SHARE_READ);
         s.hold(L"shared.vbs", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
         return !s.failed;
       },
       scanAndDeleteAll},

      {"drive removed during Scan",
       "the scan ends without treating a name twice; nothing is reported as deleted from the drive that is "
       "gone, and Delete complete! is not shown",
       false,
       [](Setup& s) {
         for (int i = 0; i < 12; ++i) s.file(L"worm" + std::to_wstring(i) + L".lnk", H | S);
         s.file(L"setup.exe", H);
         return true;
       },
       [](Drive& d) {
         std::set<std::string> seen;
         d.fs.beforeSetAttributes = [&](const std::string& path) {
           if (!seen.insert(path).second) d.r.put({"expect", "the scan treated " + path + " twice"});
           if (seen.size() == 4) unmapDrive();
         };
         d.openRd();
         d.scan();
         d.fs.beforeSetAttributes = nullptr;
         d.deleteViruses();
         d.deleteExecutables();
       },
       180000, false},

      {"drive removed while Delete asks",
       "the drive pulled out while the confirmation is open: no entry is reported as deleted and Delete "
       "complete! is not shown",
       false,
       [](Setup& s) {
         s.file(L"autorun.inf", H | S);
         s.file(L"Photos.lnk", H);
         s.file(L"run.vbs", H);
         return true;
       },
       [](Drive& d) {
         d.openRd();
         d.scan();
         d.ui.onBox = [&](const std::string& text) {
           if (text == msg::ConfirmDelete) unmapDrive();
         };
         d.deleteViruses();
       },
       180000, false},

      {"another drive chosen after the scan",
       "names listed from H:\\ are deleted there or nowhere: a second drive holding the same names, chosen "
       "after the scan, empties the lists, and Delete on it removes nothing",
       false,
       [](Setup& s) {
         for (const wchar_t* rel : {L"", L"twin\\"}) {
           if (*rel) s.dir(L"twin");
           s.file(std::wstring(rel) + L"autorun.inf", H | S);
           s.file(std::wstring(rel) + L"Photos.lnk", H);
           s.file(std::wstring(rel) + L"run.vbs", H);
           s.file(std::wstring(rel) + L"setup.exe", H);
         }
         s.twin(L"twin", 'i');
         return !s.failed;
       },
       [](Drive& d) {
         d.openRd();
         d.scan();
         d.choose("I:\\");
         if (!d.w("frm_rd").ctl("lst_dir_2").items.empty()) d.r.put({"expect", "the lists still show H:\\'s names"});
         d.deleteViruses();
         d.deleteExecutables();
       }},

      {"drive unreadable when the scan starts",
       "a drive gone before the scan starts is reported as unreadable, never as clean; nothing changes",
       false,
       [](Setup& s) {
         s.file(L"autorun.inf", H | S);
         s.file(L"Photos.lnk", H);
         s.file(L"setup.exe", H);
         return true;
       },
       [](Drive& d) {
         d.openRd();
         unmapDrive();
         bool told = false;
         d.ui.onBox = [&](const std::string& text) {
           told = told || text == std::string(msg::CannotReadPrefix) + kRoot + msg::CannotReadSuffix;
         };
         d.scan();
         if (!told) d.r.put({"expect", "no word that the drive cannot be read"});
       },
       180000, false},

      {"drive removed during Show all hidden",
       "the unhide walk ends quietly when the drive goes; nothing else changes",
       false,
       [](Setup& s) {
         for (int i = 0; i < 8; ++i) s.dir(L"folder" + std::to_wstring(i), H | S);
         return true;
       },
       [](Drive& d) {
         d.openRd();
         int seen = 0;
         d.fs.beforeSetAttributes = [&](const std::string&) {
           if (++seen == 3) unmapDrive();
         };
         d.unhide();
       },
       180000, false},

      {"33,000 entries",
       "the virus list stops at 32,767 entries, the scan goes on and unhides all 33,000; marked entries across "
       "the whole list are deleted and the rest is said to be left",
       false,
       [](Setup& s) {
         // Made by the host: Wine looks for every new name in every letter
         // case, which costs a walk of the whole folder each time.
         if (host("cd " + shq(unixPathOf(s.folder)) +
                  " && i=0; while [ $i -lt 33000 ]; do printf w > $(printf 'w%05d.lnk' $i); i=$((i+1)); done") != 0)
           s.fail("host cannot make the entries");
         for (int i = 0; i < 33000 && !s.failed; ++i) {
           wchar_t name[32];
           swprintf(name, 32, L"w%05d.lnk", i);
           if (!SetFileAttributesW(longForm(s.at(name)).c_str(), i % 2 ? H | S : H)) s.fail("cannot hide " + u8(name));
         }
         s.file(L"zz-last.exe", H);
         return true;
       },
       [](Drive& d) {
         d.openRd();
         d.scan();
         const auto& items = d.w("frm_rd").ctl("lst_dir_2").items;
         d.r.put({"expect", items.size() == 32767 ? "" : "virus list holds " + std::to_string(items.size()) + ", not 32767"});
         // The first, the last and every 1000th: each deletion makes Wine
         // walk the whole folder, so all 32,767 would take minutes.
         std::set<std::string> pick;
         for (size_t i = 0; i < items.size(); i += 1000) pick.insert(items[i].text);
         if (!items.empty()) pick.insert(items.back().text);
         d.deleteVirusesMarked([&](const std::string& n) { return pick.count(n) != 0; });
       },
       600000},

      {"unhide command on odd names",
       "Show all hidden file clears read-only, hidden and system of every root entry, the protected names "
       "included, each by its own name, and nothing below the root",
       false,
       [](Setup& s) {
         s.file(L"report.lnk.", H | S | R);
         s.file(L"report.lnk", H);
         s.dir(L"System Volume Information", H | S);
         s.file(L"System Volume Information\\tracking.log", H | S);
         s.file(L"\u5199\u771f.exe", H | S);
         s.file(L"COM1", H | S);
         s.file(repeat(L'u', 255), H | S | R);
         s.dir(L"folder ", H | S | R);
         return true;
       },
       [](Drive& d) {
         d.openRd();
         d.scan();
         d.unhide();
       }},

      // ------------------------------------------------------------ computer
      {"Run values of every type",
       "only the REG_SZ and REG_EXPAND_SZ values naming a profile executable are listed and removed; "
       "REG_MULTI_SZ, REG_BINARY, REG_DWORD, REG_QWORD and REG_NONE ones stay byte for byte",
       true,
       [](Setup& s) {
         s.profileFile(L"hostile-a.exe", H | S);
         std::wstring path = s.inProfile(L"hostile-a.exe");
         s.text(L"sz", path);
         s.text(L"expand", path, REG_EXPAND_SZ);
         s.value(L"multi", REG_MULTI_SZ, utf16Bytes(path + L'\0' + path + L'\0' + L'\0'));
         s.value(L"binary", REG_BINARY, utf16Bytes(path));
         s.value(L"dword", REG_DWORD, std::string("\x01\x02\x03\x04", 4));
         s.value(L"qword", REG_QWORD, std::string("hostile-", 8));
         s.value(L"none", REG_NONE, utf16Bytes(path + L'\0'));
         s.value(L"sz-no-nul", REG_SZ, utf16Bytes(L"C:\\elsewhere\\hostile-a.exe"));
         s.value(L"sz-odd-bytes", REG_SZ, utf16Bytes(L"x hostile-a.exe") + "\x41");
         s.value(L"sz-empty", REG_SZ, std::string());
         s.text(L"innocent", L"C:\\Program Files\\tool\\tool.exe");
         return true;
       },
       [](Drive& d) {
         d.openC();
         d.scanC();
         d.deleteLines();
       }},

      {"64 KiB values and longest names",
       "a 64 KiB REG_SZ naming the executable, a value with a 16,383-character name and values after them "
       "are handled like any other; a 64 KiB REG_BINARY stays",
       true,
       [](Setup& s) {
         s.profileFile(L"hostile-b.exe");
         std::wstring path = s.inProfile(L"hostile-b.exe");
         s.text(L"big", repeat(L'x', 32760 - path.size()) + L" " + path);
         s.value(L"bigbinary", REG_BINARY, std::string(65536, '\x5a'));
         s.text(repeat(L'n', 16383), path);
         s.text(L"after", path + L" /after");
         s.text(L"bigclean", repeat(L'y', 32767));
         return true;
       },
       [](Drive& d) {
         d.openC();
         d.scanC();
         d.deleteLines();
       }},

      {"unnamed value beside one named [Default]",
       "the unnamed value and the one named [Default] are each removed by their real names; [default] in "
       "another case stays",
       true,
       [](Setup& s) {
         s.profileFile(L"hostile-c.exe");
         s.profileFile(L"hostile-d.exe");
         s.text(L"", s.inProfile(L"hostile-c.exe"));
         s.text(L"[Default]", s.inProfile(L"hostile-d.exe"));
         s.text(L"[default]", L"C:\\Windows\\notepad.exe");
         return true;
       },
       [](Drive& d) {
         d.openC();
         d.scanC();
         d.deleteLines();
       }},

      {"value names outside the code page",
       "Cyrillic, CJK and emoji value names are removed exactly; a name holding a lone surrogate must not "
       "cost its look-alike (same name with U+FFFD) its value",
       true,
       [](Setup& s) {
         s.profileFile(L"hostile-e.exe");
         std::wstring path = s.inProfile(L"hostile-e.exe");
         s.text(L"\u041e\u0431\u043d\u043e\u0432\u043b\u0435\u043d\u0438\u0435", path);  // Обновление
         s.text(L"\u66f4\u65b0", path);                                                      // 更新
         s.text(L"\U0001F600", path);
         s.text(std::wstring(L"lone") + wchar_t(0xD800), path);
         s.text(std::wstring(L"lone") + wchar_t(0xFFFD), L"C:\\Program Files\\tool\\tool.exe");
         return true;
       },
       [](Drive& d) {
         d.openC();
         d.scanC();
         d.deleteLines();
       }},

      {"separator inside value names and data",
       "a value name or data holding \" | \" removes that value and no other, and never deletes a file the "
       "pieces happen to name",
       true,
       [](Setup& s) {
         s.profileFile(L"hostile-f.exe");
         s.profileFile(L"keep.txt", FILE_ATTRIBUTE_ARCHIVE, "the user's notes");
         s.profileFile(L"keep2.txt", FILE_ATTRIBUTE_ARCHIVE, "more notes");
         s.fileAt(s.work + L"\\keep3.txt", FILE_ATTRIBUTE_ARCHIVE, "beside the tool");
         std::wstring path = s.inProfile(L"hostile-f.exe");
         s.text(L"Updater | " + s.inProfile(L"keep.txt"), path);
         s.text(L"Updater", L"C:\\Program Files\\Updater\\up.exe");
         s.text(L"Helper | keep3.txt | x", path);
         s.text(L"Helper", L"C:\\Program Files\\Helper\\help.exe");
         s.text(L"Data", s.inProfile(L"keep2.txt") + L" | " + path);
         return true;
       },
       [](Drive& d) {
         d.openC();
         d.scanC();
         d.deleteLines();
       }},

      {"pattern characters in profile names",
       "profile names holding # [ ] ? * stand for themselves: a value naming one exactly is listed and removes "
       "its own file, one naming another file that such a pattern would match is not listed",
       true,
       [](Setup& s) {
         s.profileFile(L"a#.exe");
         s.profileFile(L"a7.exe");
         s.profileFile(L"x[1].exe");
         s.profileFile(L"[bad.exe");
         s.profileHostFile(L"q?.exe");
         s.profileHostFile(L"st*r.exe");
         s.text(L"digit", s.inProfile(L"a7.exe"));
         s.text(L"set", s.inProfile(L"x1.exe"));
         s.text(L"bad", s.inProfile(L"[bad.exe"));
         s.text(L"exact", s.inProfile(L"x[1].exe"));
         s.text(L"any", L"C:\\elsewhere\\qz.exe");
         s.text(L"innocent", L"C:\\Program Files\\tool\\tool.exe");
         return true;
       },
       [](Drive& d) {
         d.openC();
         d.scanC();
         d.deleteLines();
         d.scanC();
         d.deleteProfileExecutables([](const std::string&) { return true; });
       }},

      {"profile executable held open, folder named like one",
       "a file held open and a folder named game.exe survive; each is reported (safe mode, Cannot delete), "
       "never as deleted; the folder's content is untouched",
       true,
       [](Setup& s) {
         s.profileFile(L"hostile-held.exe");
         s.profileDir(L"game.exe", H);
         s.fileAt(s.inProfile(L"game.exe\\save.dat"), H, "saved game");
         s.text(L"held", s.inProfile(L"hostile-held.exe"));
         s.text(L"game", s.inProfile(L"game.exe"));
         s.holdPath(s.inProfile(L"hostile-held.exe"), FILE_SHARE_READ);
         return !s.failed;
       },
       [](Drive& d) {
         d.openC();
         d.scanC();
         d.deleteLines();
         d.scanC();
         d.deleteProfileExecutables([](const std::string&) { return true; });
       },
       300000},

      {"running worm",
       "the worm running from the profile folder is ended through the stand-in tool, its file and value go, "
       "and Delete complete! is true",
       true,
       [](Setup& s) {
         s.runningWorm(L"hostile-worm.exe");
         s.text(L"worm", L"\"" + s.inProfile(L"hostile-worm.exe") + L"\"");
         s.text(L"worm-plain", s.inProfile(L"hostile-worm.exe"));
         return !s.failed;
       },
       [](Drive& d) {
         d.openC();
         d.scanC();
         d.deleteLines();
       },
       300000},

      {"worm named like a Windows process",
       "the worm called svchost.exe in the profile folder is ended and deleted and its quoted Run value with an "
       "argument removed; a process of that name running another file, started first, keeps running",
       true,
       [](Setup& s) {
         s.decoy(L"svchost.exe");
         s.runningWorm(L"svchost.exe");
         s.text(L"svc", L"\"" + s.inProfile(L"svchost.exe") + L"\" -k netsvcs");
         return !s.failed;
       },
       [](Drive& d) {
         d.openC();
         d.scanC();
         d.deleteLines();
       },
       300000},

      {"Run values that are command lines",
       "quoted with arguments, unquoted with arguments, REG_EXPAND_SZ through %USERPROFILE%: each line deletes "
       "the program its value starts; a profile file named only as an argument stays",
       true,
       [](Setup& s) {
         for (const wchar_t* name : {L"hostile-h.exe", L"hostile-i.exe", L"hostile-j.exe", L"keep-arg.exe"})
           s.profileFile(name);
         s.text(L"quoted", L"\"" + s.inProfile(L"hostile-h.exe") + L"\" /silent");
         s.text(L"args", s.inProfile(L"hostile-i.exe") + L" -k run");
         s.text(L"expand", L"%USERPROFILE%\\hostile-j.exe", REG_EXPAND_SZ);
         s.text(L"argument", L"\"C:\\windows\\notepad.exe\" \"" + s.inProfile(L"keep-arg.exe") + L"\"");
         return true;
       },
       [](Drive& d) {
         d.openC();
         d.scanC();
         d.deleteLines();
       }},

      {"planted command interpreter",
       "a cmd.exe planted in the working folder never runs; the worm is ended through the system's own "
       "interpreter and the tool, and goes with its value",
       true,
       [](Setup& s) {
         s.plant(s.work + L"\\cmd.exe");
         s.runningWorm(L"hostile-k.exe");
         s.text(L"k", s.inProfile(L"hostile-k.exe"));
         return !s.failed;
       },
       [](Drive& d) {
         d.openC();
         d.scanC();
         d.deleteLines();
       },
       300000},

      {"bracketed worm name in an expandable value",
       "svc[1].exe running from the profile folder and started by a REG_EXPAND_SZ value through %USERPROFILE% "
       "is found, ended and deleted with its value; an unclosed [ in another name ends no listing",
       true,
       [](Setup& s) {
         s.runningWorm(L"svc[1].exe");
         s.profileFile(L"[open.exe");
         s.profileFile(L"zz-after.exe");
         s.text(L"svc", L"\"%USERPROFILE%\\svc[1].exe\" /run", REG_EXPAND_SZ);
         s.text(L"open", s.inProfile(L"[open.exe"));
         s.text(L"after", s.inProfile(L"zz-after.exe"));
         return !s.failed;
       },
       [](Drive& d) {
         d.openC();
         d.scanC();
         d.deleteLines();
       },
       300000},

      {"reserved, trailing-dot and long profile names",
       "COM1.exe, NUL.exe, worm.exe. beside worm.exe and a 255-character name: each line deletes exactly the "
       "file its data names",
       true,
       [](Setup& s) {
         s.profileFile(L"COM1.exe");
         s.profileFile(L"NUL.exe");
         s.profileFile(L"hostile-g.exe");
         s.profileFile(L"hostile-g.exe.");
         std::wstring longName = repeat(L'l', 251) + L".exe";
         s.profileFile(longName);
         s.text(L"com", s.inProfile(L"COM1.exe"));
         s.text(L"nul", s.inProfile(L"NUL.exe"));
         s.text(L"dot", s.inProfile(L"hostile-g.exe."));
         s.text(L"long", s.inProfile(longName));
         return true;
       },
       [](Drive& d) {
         d.openC();
         d.scanC();
         d.deleteLines();
       }},
  };
  return table;
}

// ---------------------------------------------------------------- the child

LONG WINAPI onCrash(EXCEPTION_POINTERS* e) {
  TerminateProcess(GetCurrentProcess(), e->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

int runRow(size_t index, const std::wstring& reportPath) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(onCrash);
  Report r(reportPath);
  HookFs fs;
  win32::Win32Registry reg;
  win32::Win32Processes proc;
  ScriptUi ui(r);
  win32::Win32Clock clock;
  win32::Win32Env env;
  NoHost windows;
  Platform p{fs, reg, proc, ui, clock, env, windows};
  Kestrive app(p);
  Drive d{app, r, fs, ui};
  rows().at(index).drive(d);
  r.put({"end"});
  return 0;
}

// ---------------------------------------------------------------- the parent's verdict

struct Step {
  std::string kind;
  DWORD tick = 0;
  std::vector<std::string> targets;
  std::vector<std::pair<uint32_t, std::string>> boxes;
  std::map<std::string, std::vector<std::string>> lists;
  bool shown(const std::string& text) const {
    for (const auto& b : boxes)
      if (b.second == text) return true;
    return false;
  }
  bool listed(const std::string& list, const std::string& name) const {
    auto it = lists.find(list);
    if (it == lists.end()) return false;
    for (const std::string& n : it->second)
      if (n == name) return true;
    return false;
  }
};

struct Record {
  std::vector<Step> steps;
  std::vector<std::string> expectations;  // failed row-specific checks
  bool ended = false;
  std::string abnormal;
};

Record readRecord(const std::wstring& path) {
  Record rec;
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (!f) return rec;
  std::string all;
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) all.append(buf, n);
  fclose(f);
  rec.steps.push_back(Step{"open", 0, {}, {}, {}});
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    std::vector<std::string> fields;
    std::string line = all.substr(start, end - start);
    size_t a = 0;
    for (;;) {
      size_t t = line.find('\t', a);
      fields.push_back(unescape(line.substr(a, t == std::string::npos ? std::string::npos : t - a)));
      if (t == std::string::npos) break;
      a = t + 1;
    }
    start = end + 1;
    const std::string& k = fields[0];
    Step& cur = rec.steps.back();
    if (k == "step" && fields.size() > 1) {
      rec.steps.push_back(Step{fields[1], 0, {}, {}, {}});
      if (fields.size() > 2) rec.steps.back().tick = std::stoul(fields[2]);
    }
    else if (k == "target" && fields.size() > 1) cur.targets.push_back(fields[1]);
    else if (k == "box" && fields.size() > 2) cur.boxes.push_back({(uint32_t)std::stoul(fields[1]), fields[2]});
    else if (k == "list" && fields.size() > 2) cur.lists[fields[1]].push_back(fields[2]);
    else if (k == "expect" && fields.size() > 1 && !fields[1].empty()) rec.expectations.push_back(fields[1]);
    else if (k == "end") rec.ended = true;
    else if (k == "ended" || k == "no-drive" || k == "missing-window") rec.abnormal = k;
  }
  return rec;
}

struct Verdict {
  int lost = 0, falseSuccesses = 0, crashes = 0;
  std::vector<std::string> notes;
  void lose(const std::string& why) {
    ++lost;
    notes.push_back("lost: " + why);
  }
  void falseSuccess(const std::string& why) {
    ++falseSuccesses;
    notes.push_back("false success: " + why);
  }
};

void compareTrees(const Tree& before, const Tree& after, const std::set<std::wstring>& mayGo,
                  const std::function<bool(const std::wstring&)>& attributesMayChange, Verdict& v,
                  const std::string& where) {
  for (const auto& [rel, node] : before) {
    auto it = after.find(rel);
    if (it == after.end()) {
      if (!mayGo.count(rel)) v.lose(where + u8(rel) + " is gone");
      continue;
    }
    const Node& now = it->second;
    if (now.size != node.size || now.content != node.content) v.lose(where + u8(rel) + " changed its content");
    if ((now.attrs & D) != (node.attrs & D)) v.lose(where + u8(rel) + " changed kind");
    if (now.attrs != node.attrs && !attributesMayChange(rel))
      v.lose(where + u8(rel) + " was touched: attributes " + std::to_string(node.attrs) + " -> " +
             std::to_string(now.attrs));
  }
  for (const auto& [rel, node] : after)
    if (!before.count(rel)) v.lose(where + u8(rel) + " appeared");
}

// The attribute step that ran last decides how the protected names end.
std::string lastAttributeStep(const Record& rec) {
  std::string last;
  for (const Step& s : rec.steps)
    if (s.kind == "scan" || s.kind == "unhide") last = s.kind;
  return last;
}

void judgeRemovable(const Row& row, const Record& rec, const Tree& before, const Tree& after, Verdict& v) {
  std::set<std::wstring> mayGo;
  for (const Step& s : rec.steps)
    for (const std::string& t : s.targets) mayGo.insert(w16(t));
  std::set<std::string> rootNames;
  for (const auto& [rel, n] : before)
    if (rootLevel(rel)) rootNames.insert(u8(rel));

  compareTrees(before, after, mayGo, [](const std::wstring& rel) { return rootLevel(rel); }, v, "");

  // Root attributes: every entry visible, the protected names hidden again by a scan.
  const std::string lastStep = lastAttributeStep(rec);
  if (row.attributesStick && !lastStep.empty()) {
    for (const auto& [rel, n] : after) {
      if (!rootLevel(rel) || unaddressable(rel)) continue;
      const std::string name = u8(rel);
      const DWORD flags = n.attrs & kFlagBits;
      if (lastStep == "scan" && protectedName(name)) {
        if (flags != (H | S)) v.falseSuccess(name + " is not hidden and system after the scan (" + std::to_string(flags) + ")");
      } else if (flags != 0) {
        v.falseSuccess(name + " is still hidden, system or read-only after the " + lastStep + " (" +
                       std::to_string(flags) + ")");
      }
    }
  }

  for (const Step& s : rec.steps) {
    for (const auto& [list, names] : s.lists)
      for (const std::string& n : names)
        if (!rootNames.count(n)) v.falseSuccess(list + " lists " + n + ", which is no entry of the drive");
    if (s.kind == "scan" && s.shown(kScanClean) && row.listable) {
      for (const std::string& n : rootNames)
        if ((virusName(n) || exeName(n)) && n != kOwnProgram && !unaddressable(w16(n))) {
          v.falseSuccess("the scan found nothing though the root holds " + n);
          break;
        }
    }
    if (s.kind != "delete-virus" && s.kind != "delete-exe") continue;
    const char* list = s.kind == "delete-virus" ? "lst_dir_2" : "lst_dir";
    bool anyLeft = false;
    for (const std::string& t : s.targets) {
      if (!after.count(w16(t))) continue;
      anyLeft = true;
      const std::string inUse = msg::CannotDeletePrefix + kRoot + t + msg::InUseRemovable;
      if (!s.shown(inUse) && !s.listed(list, t)) v.falseSuccess(t + " is still there, yet dropped without a word");
    }
    if (s.shown(kDeleteComplete)) {
      if (anyLeft) v.falseSuccess("Delete complete! while a listed entry is still there");
      for (const auto& [rel, n] : anyLeft ? Tree{} : after) {
        if (!rootLevel(rel) || unaddressable(rel)) continue;
        const std::string name = u8(rel);
        bool suspect = s.kind == "delete-virus" ? virusName(name) : exeName(name) && name != kOwnProgram;
        if (suspect) {
          v.falseSuccess("Delete complete! while " + name + " is still on the drive");
          break;
        }
      }
    }
  }
}

// The Run value a line was made from: file | label | data.
std::vector<std::wstring> valuesOfLine(const std::string& line, const Values& values) {
  std::vector<std::wstring> out;
  size_t sep = line.find(" | ");
  if (sep == std::string::npos) return out;
  const std::string file = line.substr(0, sep);
  for (const auto& [name, v] : values) {
    if (v.first != REG_SZ && v.first != REG_EXPAND_SZ) continue;
    std::wstring data(v.second.size() / 2, L'\0');
    memcpy(data.data(), v.second.data(), data.size() * 2);
    data.resize(wcsnlen(data.c_str(), data.size()));
    // As the line shows them: in the Win32 layer's own UTF-8.
    std::string label = name.empty() ? (v.second.empty() ? "" : "[Default]") : win32::narrow(name);
    if (line == file + " | " + label + " | " + win32::narrow(data)) out.push_back(name);
  }
  return out;
}

std::wstring dataOf(const Values& values, const std::wstring& name) {
  const std::string& b = values.at(name).second;
  std::wstring data(b.size() / 2, L'\0');
  memcpy(data.data(), b.data(), data.size() * 2);
  data.resize(wcsnlen(data.c_str(), data.size()));
  return data;
}

std::wstring expanded(const std::wstring& text) {
  DWORD n = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  if (n == 0) return text;
  std::wstring out(n, L'\0');
  n = ExpandEnvironmentStringsW(text.c_str(), out.data(), n);
  out.resize(n ? n - 1 : 0);
  return out;
}

// The program a Run value starts, as Windows takes it from the command
// line: the quoted first token, or the text up to the first ".exe".
std::wstring programOf(const Values& values, const std::wstring& name) {
  std::wstring data = dataOf(values, name);
  if (values.at(name).first == REG_EXPAND_SZ) data = expanded(data);
  size_t start = data.find_first_not_of(L" \t");
  if (start == std::wstring::npos) return {};
  if (data[start] == L'"') {
    size_t close = data.find(L'"', start + 1);
    return data.substr(start + 1, close == std::wstring::npos ? std::wstring::npos : close - start - 1);
  }
  std::wstring low = data;
  CharLowerBuffW(low.data(), (DWORD)low.size());
  size_t exe = low.find(L".exe", start);
  return exe == std::wstring::npos ? std::wstring() : data.substr(start, exe + 4 - start);
}

bool containsNoCase(std::wstring text, std::wstring part) {
  CharLowerBuffW(text.data(), (DWORD)text.size());
  CharLowerBuffW(part.data(), (DWORD)part.size());
  return text.find(part) != std::wstring::npos;
}

// A path inside one of the snapshotted folders, as its key there.
std::optional<std::wstring> keyOf(const std::wstring& path, const std::wstring& folder, const std::wstring& prefix) {
  if (path.size() <= folder.size() + 1 || _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) != 0 ||
      path[folder.size()] != L'\\')
    return std::nullopt;
  std::wstring rel = path.substr(folder.size() + 1);
  for (wchar_t& c : rel)
    if (c == L'\\') c = L'/';
  return prefix + rel;
}

struct ComputerState {
  Tree files;  // "P/" profile, "W/" working folder
  Values values;
};

const std::set<std::wstring> kProfileNoise = {L"AppData"};

ComputerState computerState(const Setup& s) {
  ComputerState st;
  for (const auto& [rel, n] : snapshot(s.profile, kProfileNoise)) st.files[L"P/" + rel] = n;
  for (const auto& [rel, n] : snapshot(s.work)) st.files[L"W/" + rel] = n;
  st.values = runValues();
  return st;
}

void judgeComputer(const Setup& setup, const Record& rec, const ComputerState& before, const ComputerState& after,
                   Verdict& v) {
  std::set<std::wstring> mayGoFiles, mayGoValues;
  // Letter case aside, as Windows resolves the path.
  auto keyIn = [&](const std::wstring& path) -> std::optional<std::wstring> {
    std::optional<std::wstring> k = keyOf(path, setup.profile, L"P/");
    if (!k) k = keyOf(path, setup.work, L"W/");
    if (!k) return std::nullopt;
    for (const auto& [rel, n] : before.files)
      if (lstrcmpiW(rel.c_str(), k->c_str()) == 0) return rel;
    return k;
  };
  auto allowPath = [&](const std::wstring& path) {
    if (auto k = keyIn(path)) mayGoFiles.insert(*k);
  };
  // The file a line may delete: the program its value starts, when that is the line's file.
  auto programOfLine = [&](const std::string& line, const std::wstring& n) -> std::wstring {
    std::wstring program = programOf(before.values, n);
    std::wstring file = w16(line.substr(0, line.find(" | ")));
    std::wstring leaf = program.substr(program.find_last_of(L"\\/") == std::wstring::npos ? 0
                                                                                          : program.find_last_of(L"\\/") + 1);
    return lstrcmpiW(leaf.c_str(), file.c_str()) == 0 ? program : std::wstring();
  };
  for (const Step& s : rec.steps) {
    if (s.kind == "c-delete")
      for (const std::string& line : s.targets) {
        std::vector<std::wstring> names = valuesOfLine(line, before.values);
        if (names.empty()) v.falseSuccess("the line " + line + " stands for no Run value");
        for (const std::wstring& n : names) {
          mayGoValues.insert(n);
          allowPath(programOfLine(line, n));
        }
      }
    if (s.kind == "c-delete-exe")
      for (const std::string& name : s.targets) allowPath(setup.profile + L"\\" + w16(name));
  }

  compareTrees(before.files, after.files, mayGoFiles, [](const std::wstring&) { return true; }, v, "");
  for (const auto& [name, val] : before.values) {
    auto it = after.values.find(name);
    if (it == after.values.end()) {
      if (!mayGoValues.count(name)) v.lose("Run value " + u8(name) + " is gone");
    } else if (it->second != val) {
      v.lose("Run value " + u8(name) + " changed");
    }
  }
  for (const auto& [name, val] : after.values)
    if (!before.values.count(name)) v.lose("Run value " + u8(name) + " appeared");

  for (const Step& s : rec.steps) {
    const std::vector<std::string> noLines;
    const std::vector<std::string>& lines = s.lists.count("lst_V") ? s.lists.at("lst_V") : noLines;
    for (const std::string& line : lines)
      if (valuesOfLine(line, before.values).empty() && s.kind == "c-scan")
        v.falseSuccess("lst_V shows " + line + ", which is no Run value");
    // Every text value naming a listed executable, as stored or expanded, has its line.
    if (s.kind == "c-scan" && s.lists.count("lst_P"))
      for (const std::string& file : s.lists.at("lst_P"))
        for (const auto& [n, val] : before.values) {
          if (val.first != REG_SZ && val.first != REG_EXPAND_SZ) continue;
          const std::wstring data = dataOf(before.values, n);
          const bool names = containsNoCase(data, w16(file)) ||
                             (val.first == REG_EXPAND_SZ && containsNoCase(expanded(data), w16(file)));
          if (!names || !after.values.count(n)) continue;
          bool shown = false;
          for (const std::string& line : lines)
            if (line.rfind(file + " | ", 0) == 0)
              for (const std::wstring& m : valuesOfLine(line, before.values)) shown = shown || m == n;
          if (!shown) v.falseSuccess("the scan missed Run value " + u8(n) + ", which names " + file);
        }
    if (s.kind == "c-delete" && s.shown(kDeleteComplete)) {
      for (const std::string& line : s.targets)
        for (const std::wstring& n : valuesOfLine(line, before.values)) {
          if (after.values.count(n)) v.falseSuccess("Delete complete! while Run value " + u8(n) + " is still there");
          std::wstring program = programOfLine(line, n);
          auto k = keyIn(program);
          if (k && before.files.count(*k) && after.files.count(*k) && !(after.files.at(*k).attrs & D))
            v.falseSuccess("Delete complete! while " + u8(program) + " is still there");
        }
    }
    if (s.kind == "c-delete-exe") {
      bool anyLeft = false;
      for (const std::string& name : s.targets) {
        std::wstring path = setup.profile + L"\\" + w16(name);
        auto k = keyOf(path, setup.profile, L"P/");
        if (!k || !after.files.count(*k)) continue;
        anyLeft = true;
        const std::string inUse = msg::CannotDeletePrefix + u8(path) + msg::InUseComputer;
        if (!s.shown(inUse) && !s.listed("lst_P", name)) v.falseSuccess(name + " is still there, yet dropped without a word");
      }
      if (anyLeft && s.shown(kDeleteComplete)) v.falseSuccess("Delete complete! while a marked file is still there");
    }
  }
}

// ---------------------------------------------------------------- the parent

bool verbose = false;

struct Totals {
  int tried = 0, lost = 0, falseSuccesses = 0, crashes = 0;
};

std::wstring quote(const std::wstring& s) { return L"\"" + s + L"\""; }

// Runs the row's child; its exit code, or nothing when it had to be ended.
std::optional<DWORD> runChild(size_t index, const std::wstring& report, DWORD timeoutMs) {
  std::wstring cmd = quote(exePath()) + L" --row " + std::to_wstring(index) + L" " + quote(report);
  // What the row's programs print (the stand-in tool says what it ended)
  // is not the suite's output.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = si.hStdOutput = si.hStdError = nul;
  PROCESS_INFORMATION pi{};
  BOOL started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  if (!started) return DWORD(0xFFFF);
  CloseHandle(pi.hThread);
  std::optional<DWORD> code;
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    DWORD c = 0;
    GetExitCodeProcess(pi.hProcess, &c);
    code = c;
  } else {
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 10000);
  }
  CloseHandle(pi.hProcess);
  return code;
}

void release(Setup& s) {
  for (HANDLE h : s.held) CloseHandle(h);
  s.held.clear();
  for (HANDLE p : s.processes) {
    TerminateProcess(p, 1);
    WaitForSingleObject(p, 10000);
    CloseHandle(p);
  }
  s.processes.clear();
  s.decoys.clear();
}

void cleanUp(Setup& s) {
  release(s);
  for (const std::string& cmd : s.undo) host(cmd);
  unmapDrive();
  host("rm -rf " + shq(unixPathOf(s.folder)));
  for (const std::wstring& name : s.profileMade) host("rm -rf " + shq(unixPathOf(s.profile)) + "/" + shName(name));
  DeleteFileW((s.work + L"\\keep3.txt").c_str());
  for (const std::wstring& path : s.planted) DeleteFileW(path.c_str());
  clearRunKey();
}

void tryRow(size_t index, const Row& row, const std::wstring& profile, Totals& totals) {
  Setup s;
  s.folder = kWork + L"\\row" + std::to_wstring(index);
  s.profile = profile;
  s.work = exeDir();
  host("rm -rf " + shq(unixPathOf(s.folder)));
  CreateDirectoryW(s.folder.c_str(), nullptr);
  clearRunKey();

  if (!row.computer) sentinels(s);
  if (!row.computer && !mapDrive(s.folder)) s.fail("cannot map the drive");
  DWORD t0 = GetTickCount();
  bool made = row.setup(s) && !s.failed;
  if (verbose) printf("       setup %lu ms\n", GetTickCount() - t0);
  if (!made) {
    printf("  -  %-45s not tried: %s\n", row.name.c_str(), s.why.empty() ? "not possible here" : s.why.c_str());
    cleanUp(s);
    return;
  }
  if (row.computer) putRunValues(s.values);
  ++totals.tried;

  // Taken with the files already held: every holder here lets others read.
  Tree before;
  ComputerState cBefore;
  if (row.computer)
    cBefore = computerState(s);
  else
    before = snapshot(s.folder);

  if (verbose) printf("       snapshot %lu ms\n", GetTickCount() - t0);
  std::wstring report = kWork + L"\\report" + std::to_wstring(index) + L".txt";
  DeleteFileW(report.c_str());
  std::optional<DWORD> code = runChild(index, report, row.timeoutMs);
  std::vector<std::string> harmed;
  for (HANDLE h : s.decoys)
    if (WaitForSingleObject(h, 0) == WAIT_OBJECT_0) harmed.push_back("a process running another file of that name was ended");
  for (const std::wstring& path : s.planted)
    for (DWORD pid : processesOf(path)) {
      harmed.push_back("the planted " + u8(path) + " ran");
      if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        TerminateProcess(h, 1);
        WaitForSingleObject(h, 10000);
        CloseHandle(h);
      }
    }
  release(s);
  if (verbose) printf("       child %lu ms, now %lu\n", GetTickCount() - t0, GetTickCount());
  // The drive may have been pulled out by the row; the folder is still there.
  Record rec = readRecord(report);

  Verdict v;
  if (!code) {
    ++v.crashes;
    v.notes.push_back("crash: no end within " + std::to_string(row.timeoutMs / 1000) + " s");
  } else if (*code != 0 || !rec.ended) {
    ++v.crashes;
    char hex[16];
    snprintf(hex, sizeof hex, "0x%08lX", (unsigned long)*code);
    v.notes.push_back(std::string("crash: exit code ") + hex + (rec.abnormal.empty() ? "" : " (" + rec.abnormal + ")"));
  }
  for (const std::string& e : rec.expectations) v.falseSuccess(e);
  for (const std::string& h : harmed) v.lose(h);

  if (row.computer)
    judgeComputer(s, rec, cBefore, computerState(s), v);
  else
    judgeRemovable(row, rec, before, snapshot(s.folder), v);

  totals.lost += v.lost;
  totals.falseSuccesses += v.falseSuccesses;
  totals.crashes += v.crashes;
  bool ok = v.lost == 0 && v.falseSuccesses == 0 && v.crashes == 0;
  printf("  %s %-45s %s\n", ok ? "ok" : "!!", row.name.c_str(), row.must.c_str());
  if (verbose)
    for (const Step& st : rec.steps) {
      printf("       step %s at %lu: %zu targets\n", st.kind.c_str(), st.tick, st.targets.size());
      for (const auto& b : st.boxes) printf("         box %u %s\n", b.first, b.second.c_str());
      for (const auto& [list, names] : st.lists) printf("         %s: %zu entries\n", list.c_str(), names.size());
    }
  const size_t shown = 12;
  for (size_t i = 0; i < v.notes.size() && i < shown; ++i) printf("       %s\n", v.notes[i].c_str());
  if (v.notes.size() > shown) printf("       ... and %zu more\n", v.notes.size() - shown);
  fflush(stdout);
  cleanUp(s);
  DeleteFileW(report.c_str());
}

int runAll(const std::set<size_t>& only) {
  SetErrorMode(SEM_FAILCRITICALERRORS);
  CreateDirectoryW(kWork.c_str(), nullptr);
  if (unixPathOf(kWork).empty() || host("true") != 0) {
    printf("hostile: cannot reach the host side of Wine; nothing tried\n");
    printf("hostile: 0 rows tried, 0 files lost, 0 false successes, 1 crashes\n");
    return 1;
  }
  // What a run cut short may have left: the drive letter and a read-only mount.
  unmapDrive();
  host("for m in $(awk '{print $2}' /proc/mounts | grep -F " + shq(unixPathOf(kWork)) + "); do umount \"$m\"; done");
  std::wstring profile = w16(win32::Win32Env().profileFolder());
  if (profile.empty()) {
    printf("hostile: no profile folder\n");
    return 1;
  }
  const Values saved = runValues();
  Totals totals;
  const auto& table = rows();
  for (size_t i = 0; i < table.size(); ++i)
    if (only.empty() || only.count(i)) tryRow(i, table[i], profile, totals);
  clearRunKey();
  putRunValues(saved);
  printf("hostile: %d rows tried, %d files lost, %d false successes, %d crashes\n", totals.tried, totals.lost,
         totals.falseSuccesses, totals.crashes);
  fflush(stdout);
  return totals.lost || totals.falseSuccesses || totals.crashes ? 1 : 0;
}

// Wine reports every name that starts with a dot as hidden, whatever its
// attributes say, unless told to show them as Windows would. It reads the
// setting when a process starts, so the suite runs again under it.
std::optional<std::wstring> wineSetting(const wchar_t* name) {
  wchar_t buf[64];
  DWORD size = sizeof buf;
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Wine", name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(buf);
}

void setWineSetting(const wchar_t* name, const std::optional<std::wstring>& value) {
  HKEY k;
  if (RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\Wine", &k) != ERROR_SUCCESS) return;
  if (value)
    RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                   (DWORD)((value->size() + 1) * sizeof(wchar_t)));
  else
    RegDeleteValueW(k, name);
  RegCloseKey(k);
}

int underDotFilesShown() {
  const std::optional<std::wstring> previous = wineSetting(L"ShowDotFiles");
  setWineSetting(L"ShowDotFiles", L"Y");
  std::wstring cmd = GetCommandLineW();
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  DWORD code = 1;
  if (CreateProcessW(exePath().c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    CloseHandle(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
  } else {
    printf("hostile: cannot start again, error %lu\n", GetLastError());
  }
  setWineSetting(L"ShowDotFiles", previous);
  return (int)code;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && std::wstring(argv[1]) == L"--row") return runRow(std::stoul(argv[2]), argv[3]);
  if (unixPathOf(L"C:\\").size() && wineSetting(L"ShowDotFiles") != std::optional<std::wstring>(L"Y"))
    return underDotFilesShown();
  // Row numbers given on the command line run those rows alone.
  std::set<size_t> only;
  for (int i = 1; i < argc; ++i) {
    if (std::wstring(argv[i]) == L"-v")
      verbose = true;
    else
      only.insert(std::stoul(argv[i]));
  }
  return runAll(only);
}
