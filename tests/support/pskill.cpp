// Test stand-in for the process-termination tool: "pskill <pid>" ends the
// process with that ID. Exit code 0 when it was ended, 1 otherwise.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2 || argv[1][0] == L'\0') {
    fwprintf(stderr, L"usage: pskill <pid>\n");
    return 1;
  }
  unsigned long long id = 0;
  for (const wchar_t* p = argv[1]; *p; ++p) {
    if (*p < L'0' || *p > L'9' || (id = id * 10 + (*p - L'0')) > 0xFFFFFFFFull) {
      fwprintf(stderr, L"pskill: not a process ID: %ls\n", argv[1]);
      return 1;
    }
  }
  DWORD pid = static_cast<DWORD>(id);
  // SYNCHRONIZE lets us wait for the end, so a caller that looks right after
  // we exit no longer finds the process; without it, terminate all the same.
  HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  if (!h) h = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
  if (!h) {
    fwprintf(stderr, L"pskill: cannot open process %lu (error %lu)\n", pid, GetLastError());
    return 1;
  }
  BOOL ok = TerminateProcess(h, 1);
  DWORD error = GetLastError();
  if (ok) WaitForSingleObject(h, 5000);
  CloseHandle(h);
  if (!ok) {
    fwprintf(stderr, L"pskill: cannot end process %lu (error %lu)\n", pid, error);
    return 1;
  }
  wprintf(L"Process %lu killed.\n", pid);
  return 0;
}
