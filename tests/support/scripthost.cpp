// A harmless stand-in for a script host (wscript.exe) running a script worm:
// it is started as "wscript.exe //B <script>" and only waits to be ended,
// so that the tests can tell a host running the worm's script from one
// running another. With KESTRIVE_SCRIPTHOST_FIGHT=1 in its environment it
// fights back as the worm does: every 100 ms it writes its script and its
// value in the user's Run key again. It gives up by itself after ten minutes.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

// The first argument that is no switch ("//B", "/e:VBScript.Encode").
std::wstring scriptOf() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring script;
  for (int i = 1; argv && i < argc && script.empty(); ++i)
    if (argv[i][0] != L'/') script = argv[i];
  LocalFree(argv);
  return script;
}

std::vector<char> readAll(const std::wstring& path) {
  std::vector<char> bytes;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  CloseHandle(h);
  return bytes;
}

void writeBack(const std::wstring& script, const std::vector<char>& bytes) {
  if (GetFileAttributesW(script.c_str()) == INVALID_FILE_ATTRIBUTES) {
    HANDLE h = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD put = 0;
      WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
      CloseHandle(h);
    }
  }
  std::wstring name = script.substr(script.find_last_of(L'\\') + 1);
  name = name.substr(0, name.rfind(L'.'));
  const std::wstring data = L"wscript.exe //B \"" + script + L"\"";
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  FreeConsole();
  const std::wstring script = scriptOf();
  wchar_t fight[8] = L"";
  const bool fights = GetEnvironmentVariableW(L"KESTRIVE_SCRIPTHOST_FIGHT", fight, 8) == 1 && fight[0] == L'1';
  const std::vector<char> bytes = fights ? readAll(script) : std::vector<char>();
  for (int i = 0; i < 6000; ++i) {
    if (fights && !script.empty()) writeBack(script, bytes);
    Sleep(100);
  }
  return 0;
}
