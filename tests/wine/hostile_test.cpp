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
//
// This file runs a row as the child and the rows as the parent; the harness,
// the table of rows and the verdict are in hostile/.
#include <windows.h>

#include <optional>
#include <set>
#include <string>

#include "tests/wine/hostile/harness.h"
#include "tests/wine/hostile/rows.h"
#include "tests/wine/hostile/verdict.h"

using namespace kestrive;

namespace {

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

// ---------------------------------------------------------------- the parent

bool verbose = false;

struct Totals {
  int tried = 0, lost = 0, falseSuccesses = 0, crashes = 0;
};

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
  for (const std::wstring& path : s.madeFiles) DeleteFileW(longForm(path).c_str());
  for (const Setup::PlaceValue& pv : s.placeValues) {
    HKEY k = nullptr;
    if (openPlaceKey(pv.root, pv.key, KEY_SET_VALUE | pv.view, false, &k) != ERROR_SUCCESS) continue;
    RegDeleteValueW(k, pv.name.c_str());
    RegCloseKey(k);
  }
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
    if (WaitForSingleObject(h, 0) == WAIT_OBJECT_0)
      harmed.push_back("a process running another file of that name was ended");
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

  if (row.computer) {
    judgeComputer(s, rec, cBefore, computerState(s), v);
    judgePlaces(s, rec, v);
  } else
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
