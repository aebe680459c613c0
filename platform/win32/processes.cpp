#include "platform/win32/processes.h"

#include "platform/win32/process_params.h"
#include "platform/win32/wide.h"

#include <windows.h>

#include <tlhelp32.h>
#include <winternl.h>

#include <cstdint>

namespace kestrive::win32 {

namespace {

// The full path of a process's executable file; "" when it cannot be read
// (the process ended, or runs with rights we lack).
std::string imageOf(DWORD pid) {
  HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!h) return {};
  std::wstring path(MAX_PATH, L'\0');
  std::string out;
  for (int tries = 0; tries < 6; ++tries) {
    DWORD size = static_cast<DWORD>(path.size());
    if (QueryFullProcessImageNameW(h, 0, path.data(), &size)) {
      path.resize(size);
      out = narrow(path);
      break;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    path.resize(path.size() * 4);
  }
  CloseHandle(h);
  return out;
}

}  // namespace

std::vector<ProcessInfo> Win32Processes::snapshot() {
  std::vector<ProcessInfo> out;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return out;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snap, &entry); more; more = Process32NextW(snap, &entry))
    out.push_back({static_cast<uint32_t>(entry.th32ProcessID), narrow(entry.szExeFile), std::string()});
  CloseHandle(snap);
  // Read after the walk, so the snapshot is released as soon as it is done.
  for (ProcessInfo& proc : out) proc.image = imageOf(proc.pid);
  return out;
}

bool Win32Processes::run(const std::string& program, const std::string& commandLine, int showStyle) {
  if (program.empty()) return false;
  const std::wstring app = widen(program);
  std::wstring cmd = widen(commandLine);  // CreateProcessW may write into it
  cmd.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(showStyle);
  PROCESS_INFORMATION pi{};
  // The program by its path: no search of our own or the working folder.
  if (!CreateProcessW(app.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

uint32_t Win32Processes::currentPid() { return GetCurrentProcessId(); }

namespace {

using QueryInformationProcess = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

QueryInformationProcess queryInformationProcess() {
  static const auto fn = reinterpret_cast<QueryInformationProcess>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  return fn;
}

// Reads exactly size bytes of another process's memory.
bool readExactly(HANDLE h, uint64_t at, void* out, size_t size) {
  SIZE_T got = 0;
  // An address wider than our own cannot be read from here.
  const auto address = static_cast<uintptr_t>(at);
  return at != 0 && address == at && ReadProcessMemory(h, reinterpret_cast<LPCVOID>(address), out, size, &got) &&
         got == size;
}

// UTF-8 of the UTF-16 text read from another process.
std::string utf8Of(const std::u16string& text) { return narrow(std::wstring(text.begin(), text.end())); }

#if !defined(_WIN64)
// A 64-bit process seen from a 32-bit one on 64-bit Windows: its 64-bit PEB,
// through the calls the WOW64 layer offers for that.
std::string readCommandLine64(HANDLE h) {
  using Read64 = LONG(NTAPI*)(HANDLE, ULONG64, PVOID, ULONG64, PULONG64);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const auto query = reinterpret_cast<QueryInformationProcess>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "NtWow64QueryInformationProcess64")));
  const auto read =
      reinterpret_cast<Read64>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtWow64ReadVirtualMemory64")));
  if (!query || !read) return {};
  struct Basic64 {
    LONG exitStatus;
    ULONG pad;
    ULONG64 peb, affinity;
    LONG priority;
    ULONG pad2;
    ULONG64 pid, parent;
  } basic{};
  if (query(h, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return {};
  auto get = [&](ULONG64 at, void* out, ULONG64 size) {
    ULONG64 got = 0;
    return at != 0 && read(h, at, out, size, &got) == 0 && got == size;
  };
  return utf8Of(commandLineAt(get, basic.peb, false));
}
#endif

}  // namespace

std::string Win32Processes::commandLineOf(uint32_t pid) {
  QueryInformationProcess query = queryInformationProcess();
  if (!query) return {};
  HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!h) return {};
  const auto local = [h](uint64_t at, void* out, size_t size) { return readExactly(h, at, out, size); };
  std::string out;
  BOOL selfWow64 = FALSE, targetWow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &selfWow64);
  const bool known = IsWow64Process(h, &targetWow64) != 0;
  constexpr ULONG kProcessWow64Information = 26;
  if (!known) {
    // Nothing to go by: the layout to read is unknown.
  } else if (sizeof(void*) == 8 && targetWow64) {
    // A 32-bit process seen from a 64-bit one: its own 32-bit PEB.
    ULONG_PTR peb32 = 0;
    if (query(h, kProcessWow64Information, &peb32, sizeof peb32, nullptr) == 0)
      out = utf8Of(commandLineAt(local, peb32, true));
  } else if (sizeof(void*) == 8 || selfWow64 == targetWow64) {
    // The same layout as our own.
    PROCESS_BASIC_INFORMATION basic{};
    if (query(h, ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0)
      out = utf8Of(commandLineAt(local, reinterpret_cast<uintptr_t>(basic.PebBaseAddress), sizeof(void*) == 4));
  } else {
#if !defined(_WIN64)
    out = readCommandLine64(h);
#endif
  }
  CloseHandle(h);
  return out;
}

}  // namespace kestrive::win32
