// The hostile-input suite's table: each row sets up a root, a profile and
// Run values, and says what the child does with the real windows.
#pragma once

#include "tests/support/link_bytes.h"
#include "tests/wine/hostile/harness.h"

namespace {

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
    HANDLE h =
        CreateFileW(longForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
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
  // A shortcut as the shell writes it, then given its attributes.
  void shellLink(const std::wstring& rel, const std::wstring& target, const std::wstring& arguments, DWORD attrs,
                 const std::wstring& workingDir = L"") {
    if (FAILED(test_support::WriteShellLink(at(rel), target, arguments, workingDir)))
      return fail("cannot write the shortcut " + u8(rel));
    if (attrs && !SetFileAttributesW(longForm(at(rel)).c_str(), attrs)) fail("cannot set attributes of " + u8(rel));
  }
  // A shortcut's bytes as a worm's tool writes them.
  void byteLink(const std::wstring& rel, const test::LinkSpec& spec, DWORD attrs) {
    const std::vector<uint8_t> b = test::LinkBytes(spec);
    file(rel, attrs, std::string(b.begin(), b.end()));
  }
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

  // The start-up places beyond the user's Run key: files planted as a worm
  // (a Delete may take them), files and values that must stay as they are,
  // and every value made there, taken away again at the end.
  struct PlaceValue {
    HKEY root;
    std::wstring key;
    REGSAM view;
    std::wstring name, data;
    bool worm;
  };
  std::vector<std::wstring> wormFiles, madeFiles;
  std::vector<std::pair<std::wstring, std::string>> keptFiles;  // path, content
  std::vector<PlaceValue> placeValues;
  void ensureDir(const std::wstring& path) {
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
      CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryW(path.c_str(), nullptr);
  }
  void placeFile(const std::wstring& path, const std::string& content, bool worm) {
    ensureDir(path.substr(0, path.find_last_of(L'\\')));
    DeleteFileW(longForm(path).c_str());
    fileAt(path, 0, content);
    madeFiles.push_back(path);
    if (worm)
      wormFiles.push_back(path);
    else
      keptFiles.push_back({path, content});
  }
  void placeValue(HKEY root, const std::wstring& key, REGSAM view, const std::wstring& name, const std::wstring& data,
                  bool worm) {
    HKEY k = nullptr;
    if (LSTATUS e = openPlaceKey(root, key, KEY_SET_VALUE | view, true, &k); e != ERROR_SUCCESS)
      return fail("cannot make the key " + std::string(root == HKEY_LOCAL_MACHINE ? "HKLM\\" : "HKCU\\") + u8(key) +
                  (view == KEY_WOW64_32KEY ? " (32-bit view)" : "") + ", error " + std::to_string(e));
    RegSetValueExW(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
    placeValues.push_back({root, key, view, name, data, worm});
  }
  // The stand-in script host, as wscript.exe in a folder of the row, running the script.
  void runHost(const std::wstring& dir, const std::wstring& script, bool decoy) {
    ensureDir(dir);
    const std::wstring exe = dir + L"\\wscript.exe";
    if (!CopyFileW((work + L"\\scripthost.exe").c_str(), exe.c_str(), FALSE)) return fail("cannot copy the host");
    std::wstring cmd = L"\"" + exe + L"\" //B \"" + script + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      return fail("cannot start the host");
    CloseHandle(pi.hThread);
    processes.push_back(pi.hProcess);
    if (decoy) decoys.push_back(pi.hProcess);
  }

  Values values;
  void value(const std::wstring& name, DWORD type, const std::string& bytes) { values[name] = {type, bytes}; }
  void text(const std::wstring& name, const std::wstring& data, DWORD type = REG_SZ) {
    std::wstring withNul = data + L'\0';
    value(name, type, std::string(reinterpret_cast<const char*>(withNul.data()), withNul.size() * 2));
  }
};

std::string utf16Bytes(const std::wstring& w) {
  return std::string(reinterpret_cast<const char*>(w.data()), w.size() * 2);
}

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

// A folder of the process environment, or the user's Startup folder.
std::wstring envFolder(const char* name) { return w16(win32::Win32Env().variable(name)); }
std::wstring startupFolder() { return w16(win32::Win32Env().startupFolder()); }
const wchar_t* const kRunOnceKeyW = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const wchar_t* const kPolicyRunKeyW = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";

std::string bytesOf(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }

const std::vector<Row>& rows() {
  static const std::vector<Row> table = {
      // ------------------------------------------------------------ removable
      {"names outside the code page",
       "Cyrillic, CJK, Arabic and emoji names are unhidden, listed and deleted by their exact names; composed "
       "and decomposed forms of one name are two entries, each handled by its own name",
       false,
       [](Setup& s) {
         s.file(L"\u0444\u043e\u0442\u043e.lnk", H | S);    // фото.lnk
         s.file(L"\u5199\u771f.exe", H);                    // 写真.exe
         s.file(L"\U0001F600 party.vbs", H | S | R);        // 😀 party.vbs
         s.file(L"\u00dcn\u00efc\u00f6d\u00e9.inf", H);     // Ünïcödé.inf
         s.file(L"\u0412\u0418\u0420\u0423\u0421.LNK", H);  // ВИРУС.LNK
         s.file(L"cafe\u0301.lnk", H);                      // café.lnk, decomposed
         s.file(L"caf\u00e9.lnk", H | S);                   // café.lnk, composed
         s.dir(L"cafe\u0301", H);                           // café, decomposed, a folder
         s.dir(L"caf\u00e9", H | S);                        // and composed
         s.file(L"caf\u00e9\\menu.lnk", H);
         s.dir(L"\u0424\u043e\u0442\u043e", H | S);  // Фото
         s.file(L"\u0424\u043e\u0442\u043e\\\u043b\u0435\u0442\u043e.jpg", H);
         s.file(L"photo\u202Egnp.lnk", H);                      // right-to-left override
         s.file(L"\u0627\u0644\u0635\u0648\u0631.scr", H | S);  // Arabic .scr
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
       "names of the longest length are unhidden, listed and deleted; a 255-character folder keeps its content", false,
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

      {"case twins", "of two names that differ only in letter case, only the marked one is deleted", false,
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
       "a drive gone before the scan starts is reported as unreadable, never as clean; nothing changes", false,
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

      {"drive removed during Show all hidden", "the unhide walk ends quietly when the drive goes; nothing else changes",
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
         d.r.put({"expect",
                  items.size() == 32767 ? "" : "virus list holds " + std::to_string(items.size()) + ", not 32767"});
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

      // ------------------------------------------------------------ the shortcut worms' payloads
      {"VBS worm family",
       "the hidden script each shortcut starts is listed and deleted with the shortcuts; the hidden folder and "
       "document the shortcuts open stay, byte for byte",
       false,
       [](Setup& s) {
         s.dir(L"Music", H | S);
         s.file(L"Music\\song.mp3", 0, "the user's song");
         s.file(L"report.docx", H | S, "the user's report");
         s.file(L"iTunesHelper.vbe", H | S, "worm script");
         s.shellLink(L"Music.lnk", L"C:\\windows\\system32\\cmd.exe", L"/c start iTunesHelper.vbe&start Music&exit", H);
         s.shellLink(L"report.docx.lnk", L"C:\\windows\\system32\\cmd.exe",
                     L"/c start iTunesHelper.vbe&start report.docx&exit", 0);
         return true;
       },
       [](Drive& d) {
         scanAndDeleteAll(d);
         if (GetFileAttributesW(L"H:\\iTunesHelper.vbe") != INVALID_FILE_ATTRIBUTES)
           d.r.put({"expect", "the payload iTunesHelper.vbe is still on the drive"});
       }},

      {"RECYCLER worm family",
       "the program below the root in the hidden RECYCLER folder is listed by its path and deleted; nothing else "
       "below the root changes",
       false,
       [](Setup& s) {
         s.dir(L"Docs", H | S);
         s.file(L"Docs\\letter.doc", 0, "the user's letter");
         s.dir(L"RECYCLER", H | S);
         s.dir(L"RECYCLER\\S-1-5-21-1234", H | S);
         s.file(L"RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe", 0, "worm program");
         s.file(L"RECYCLER\\S-1-5-21-1234\\keep.txt", H, "not run by any shortcut");
         s.shellLink(L"Docs.lnk", L"C:\\windows\\system32\\cmd.exe",
                     L"/c \"start %cd%RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe &&%windir%\\explorer.exe %cd%Docs\"",
                     H | S);
         return true;
       },
       [](Drive& d) {
         scanAndDeleteAll(d);
         if (GetFileAttributesW(L"H:\\RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe") != INVALID_FILE_ATTRIBUTES)
           d.r.put({"expect", "the payload below RECYCLER is still on the drive"});
       }},

      {"rundll32 worm family",
       "a link whose target is only an environment path hands a hidden ~$ file to rundll32: it is listed and "
       "deleted; a visible portable app another shortcut starts stays",
       false,
       [](Setup& s) {
         s.file(L"desktop.ini", H | S, "[.ShellClassInfo]");
         s.file(L"~$WQHGV.FAT32", H | S, "worm library");
         s.byteLink(L"USB DISK.lnk",
                    test::LinkSpec{.arguments = "~$WQHGV.FAT32,_ldr@16 desktop.ini RET TLB",
                                   .envTarget = "%hoMEdrive%\\WINDOWS\\System32\\rundll32.exe"},
                    H | S);
         s.dir(L"PortableApps");
         s.file(L"PortableApps\\app.exe", 0, "the user's portable app");
         s.shellLink(L"App.lnk", s.at(L"PortableApps\\app.exe"), L"", 0);
         return true;
       },
       [](Drive& d) {
         scanAndDeleteAll(d);
         if (GetFileAttributesW(L"H:\\~$WQHGV.FAT32") != INVALID_FILE_ATTRIBUTES)
           d.r.put({"expect", "the payload ~$WQHGV.FAT32 is still on the drive"});
       }},

      {"shortcuts that point off the drive or are broken",
       "shortcuts naming files up and out of the drive, on other drives or shares, truncated, huge or folders "
       "named .lnk add nothing; the hidden files they name stay",
       false,
       [](Setup& s) {
         s.file(L"Documents\\run.vbe", H | S, "inside the user's folder");
         s.file(L"x.vbe", H | S, "named only through odd paths");
         s.shellLink(L"up.lnk", L"C:\\windows\\system32\\cmd.exe",
                     L"/c start ..\\..\\x.vbe&start C:\\x.vbe&start \\\\srv\\s\\x.vbe&start x.vbe:s&start .\\x.vbe", H);
         s.shellLink(L"wd.lnk", L"C:\\windows\\system32\\wscript.exe", L"x.vbe", H, L"C:\\windows");
         std::vector<uint8_t> cut = test::LinkBytes(
             test::LinkSpec{.localPath = "C:\\windows\\system32\\cmd.exe", .arguments = "/c start x.vbe"});
         cut.resize(cut.size() - 20);
         s.file(L"cut.lnk", H, std::string(cut.begin(), cut.end()));
         s.file(L"huge.lnk", H, std::string(200000, 'L'));
         s.dir(L"folder.lnk", H | S);
         return true;
       },
       [](Drive& d) {
         scanAndDeleteAll(d);
         if (GetFileAttributesW(L"H:\\x.vbe") == INVALID_FILE_ATTRIBUTES)
           d.r.put({"expect", "x.vbe, named only off the drive, was deleted"});
       }},

      {"files in the folder with no name",
       "after the scan the entries of the blank-named folder are renamed back to the root and unhidden, the one "
       "whose name the root already holds stays inside, nothing is copied or lost",
       false,
       [](Setup& s) {
         s.dir(L"\u00a0", H | S);
         s.file(L"\u00a0\\thesis.docx", H, "the user's thesis");
         s.dir(L"\u00a0\\Photos", H | S);
         s.file(L"\u00a0\\Photos\\cat.jpg", H, "cat");
         s.file(L"\u00a0\\notes.txt", 0, "inside");
         s.file(L"notes.txt", 0, "outside");
         s.dir(L"\u3164", H | S);
         s.file(L"\u3164\\\u0444\u043e\u0442\u043e.jpg", H, "photo");
         s.shellLink(L"Photos.lnk", L"C:\\windows\\system32\\cmd.exe", L"/c start Photos&exit", H);
         return true;
       },
       scanAndDeleteAll},

      {"drive removed while the files go back",
       "the drive pulled out after the first entry moved: nothing is lost, what stayed is still in the folder", false,
       [](Setup& s) {
         s.dir(L"\u2800", H | S);
         for (int i = 0; i < 6; ++i) s.file(L"\u2800\\doc" + std::to_wstring(i) + L".txt", H, "doc");
         return true;
       },
       [](Drive& d) {
         int moves = 0;
         d.fs.beforeSetAttributes = [&](const std::string& path) {
           if (path.find("doc") != std::string::npos && ++moves == 2) unmapDrive();
         };
         d.openRd();
         d.scan();
         d.fs.beforeSetAttributes = nullptr;
       },
       180000, false},

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
         s.text(L"\u66f4\u65b0", path);                                                  // 更新
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

      {"script worm in every start-up place",
       "a VBS worm's copies in %TEMP%, %APPDATA% and the Startup folder, its values in HKCU Run and HKLM Run (both "
       "views) and its running host go; a host running a script of that name elsewhere, the user's own script of "
       "that name in %LOCALAPPDATA%, a list opened at logon through cmd and a per-user app stay",
       true,
       [](Setup& s) {
         const std::wstring temp = envFolder("TEMP"), roaming = envFolder("APPDATA"), local = envFolder("LOCALAPPDATA"),
                            startup = startupFolder();
         if (temp.empty() || roaming.empty() || local.empty() || startup.empty()) return false;
         const std::string worm = "' worm\r\nWScript.Sleep 100\r\n";
         const std::wstring script = temp + L"\\hostile-nfuzbk.vbs";
         for (const std::wstring& dir : {temp, roaming, startup})
           s.placeFile(dir + L"\\hostile-nfuzbk.vbs", worm, true);
         s.placeFile(local + L"\\hostile-nfuzbk.vbs", "the user's own script", false);
         s.placeFile(s.folder + L"\\other\\hostile-nfuzbk.vbs", worm, false);
         const std::wstring line = L"wscript.exe //B \"" + script + L"\"";
         s.placeValue(HKEY_CURRENT_USER, kRunKey, 0, L"nfuzbk", line, true);
         s.placeValue(HKEY_LOCAL_MACHINE, kRunKey, KEY_WOW64_64KEY, L"hostile-nfuzbk", line, true);
         s.placeValue(HKEY_LOCAL_MACHINE, kRunKey, KEY_WOW64_32KEY, L"hostile-nfuzbk", line, true);
         s.profileFile(L"hostile-todo.txt", FILE_ATTRIBUTE_ARCHIVE, "the user's list");
         s.placeValue(HKEY_CURRENT_USER, kRunKey, 0, L"todo", L"cmd /c start %USERPROFILE%\\hostile-todo.txt", false);
         const std::wstring notes = local + L"\\Programs\\HostileNotes\\notes.exe";
         s.placeFile(notes, "notes", false);
         s.placeValue(HKEY_LOCAL_MACHINE, kRunOnceKeyW, KEY_WOW64_64KEY, L"hostile-notes", L"\"" + notes + L"\" --tray",
                      false);
         s.runHost(s.folder + L"\\host", script, false);
         s.runHost(s.folder + L"\\decoyhost", s.folder + L"\\other\\hostile-nfuzbk.vbs", true);
         return !s.failed;
       },
       [](Drive& d) {
         d.openC();
         d.scanC();
         d.deleteLines();
       }},

      {"odd entries in the start-up places",
       "a value named with \" | \" starting a program named outside the code page (HKLM RunOnce, 32-bit view), a "
       "Startup link to an %APPDATA% program and a rundll32 line in the machine's policy Run go, each from its own "
       "place; a truncated link, a 2 MiB link, a link to Program Files and a folder named like a script stay",
       true,
       [](Setup& s) {
         const std::wstring temp = envFolder("TEMP"), roaming = envFolder("APPDATA"), startup = startupFolder();
         if (temp.empty() || roaming.empty() || startup.empty()) return false;
         const std::wstring odd = roaming + L"\\\u043e\u0431\u043d\u043e\u0432\u043b\u0435\u043d\u0438\u0435.exe";
         s.placeFile(odd, "odd program", true);
         s.placeValue(HKEY_LOCAL_MACHINE, kRunOnceKeyW, KEY_WOW64_32KEY, L"Upd | ate", L"\"" + odd + L"\" /silent",
                      true);
         const std::wstring svc = roaming + L"\\hostile-svc.exe";
         s.placeFile(svc, "svc program", true);
         s.placeFile(startup + L"\\hostile-svc.lnk", bytesOf(test::LinkBytes({.localPath = u8(svc)})), true);
         const std::wstring dll = temp + L"\\hostile-x.dll";
         s.placeFile(dll, "library", true);
         s.placeValue(HKEY_LOCAL_MACHINE, kPolicyRunKeyW, KEY_WOW64_64KEY, L"hostile-dll",
                      L"rundll32.exe " + dll + L",Run", true);
         std::string link = bytesOf(test::LinkBytes({.localPath = u8(svc), .arguments = "/x"}));
         s.placeFile(startup + L"\\hostile-broken.lnk", link.substr(0, link.size() / 2), false);
         s.placeFile(startup + L"\\hostile-huge.lnk", link + std::string(2 << 20, '\0'), false);
         s.placeFile(startup + L"\\hostile-app.lnk",
                     bytesOf(test::LinkBytes({.localPath = "C:\\Program Files\\HostileApp\\app.exe"})), false);
         s.ensureDir(startup + L"\\hostile-folder.vbs");
         s.undo.push_back("rmdir " + shq(unixPathOf(startup + L"\\hostile-folder.vbs")));
         return !s.failed;
       },
       [](Drive& d) {
         d.openC();
         d.scanC();
         d.deleteLines();
       }},
  };
  return table;
}

}  // namespace
