// Test helper: writes the shortcuts of an infected stick.
//
//   mklink shell <link> <target> [<arguments> [<working folder>]]
//       as the shell writes it (IShellLinkW + IPersistFile)
//   mklink env <link> <environment target> <arguments>
//       byte by byte, the target only in the environment-variable block, as
//       one worm family writes its links
//
// Exit code 0 when the link was written.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/link_bytes.h"
#include "tests/support/shell_link_writer.h"
#include "tests/support/win_text.h"

using namespace kestrive;

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    fwprintf(stderr,
             L"usage: mklink shell <link> <target> [<arguments> [<working folder>]]\n"
             L"       mklink env <link> <environment target> <arguments>\n");
    return 2;
  }
  const std::wstring mode = argv[1], link = argv[2], target = argv[3];
  const std::wstring arguments = argc > 4 ? argv[4] : L"", working = argc > 5 ? argv[5] : L"";
  if (mode == L"shell") {
    const HRESULT hr = test_support::WriteShellLink(link, target, arguments, working);
    if (FAILED(hr)) fwprintf(stderr, L"mklink: cannot write %ls (0x%08lx)\n", link.c_str(), hr);
    return FAILED(hr) ? 1 : 0;
  }
  if (mode == L"env") {
    test::LinkSpec spec;
    spec.envTarget = test_support::utf8(target);
    spec.arguments = test_support::utf8(arguments);
    const std::vector<uint8_t> bytes = test::LinkBytes(spec);
    HANDLE h = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size() ? 0 : 1;
  }
  return 2;
}
