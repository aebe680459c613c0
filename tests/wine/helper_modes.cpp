// win32_tests.exe doubles as the second process that some tests need. The
// mode is picked from the command line before the tests start:
//   --instance-probe <file> <hold-ms>  asks Win32Env whether another
//       instance runs, writes "0" (no) or "1" (yes) to <file>, keeps
//       running for <hold-ms> and exits with kProbeFirstInstance or
//       kProbeAnotherRuns;
//   --startup-report <file>  writes how it was asked to show its window;
//   --base-name-report <file>  writes Win32Env's exeBaseName.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "platform/win32/os.h"
#include "tests/wine/wine_support.h"

namespace kestrive::wine_test {
namespace {

int helperMode(int argc, wchar_t** argv) {
  std::wstring mode = argv[1];
  if (mode == L"--instance-probe" && argc == 4) {
    win32::Win32Env env;
    bool another = env.previousInstance();
    // Asked twice, it must not change its mind.
    if (env.previousInstance() != another) return 99;
    writeFileAtOnce(argv[2], another ? "1" : "0");
    Sleep(static_cast<DWORD>(_wtoi(argv[3])));
    return another ? kProbeAnotherRuns : kProbeFirstInstance;
  }
  if (mode == L"--startup-report" && argc == 3) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    GetStartupInfoW(&si);
    std::string text = "useshowwindow=" + std::to_string((si.dwFlags & STARTF_USESHOWWINDOW) ? 1 : 0) +
                       " show=" + std::to_string(si.wShowWindow);
    return writeFileAtOnce(argv[2], text) ? 0 : 1;
  }
  if (mode == L"--base-name-report" && argc == 3)
    return writeFileAtOnce(argv[2], win32::Win32Env().exeBaseName()) ? 0 : 1;
  return -1;
}

const bool helperModeRan = [] {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2 || std::wstring(argv[1]).rfind(L"--", 0) != 0 ||
      std::wstring(argv[1]).rfind(L"--gtest", 0) == 0)
    return false;
  int code = helperMode(argc, argv);
  if (code < 0) return false;
  ExitProcess(static_cast<UINT>(code));
}();

}  // namespace
}  // namespace kestrive::wine_test
