#include "platform/win32/os.h"

#include "platform/text.h"

#include <windows.h>

#include <shlobj.h>
#include <tlhelp32.h>
#include <userenv.h>
#include <winternl.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_set>

namespace kestrive::win32 {

// ---------------------------------------------------------------- texts

// Windows names are any sequence of 16-bit units, lone surrogates included
// (a registry value name can hold one). Such a unit travels as the three
// bytes UTF-8 would give its number, so that every name comes back to
// Windows exactly as it was read and never as a look-alike; the system's
// converter would turn it into U+FFFD, the name of some other value.
std::wstring widen(const std::string& utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  const size_t n = utf8.size();
  for (size_t i = 0; i < n;) {
    const unsigned char b = static_cast<unsigned char>(utf8[i]);
    const size_t len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    bool ok = len != 0 && i + len <= n;
    for (size_t k = 1; ok && k < len; ++k) {
      const unsigned char x = static_cast<unsigned char>(utf8[i + k]);
      if ((x & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (x & 0x3F);
    }
    // Overlong forms and numbers past Unicode are no characters.
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (ok && (c < kLeast[len] || c > 0x10FFFF)) ok = false;
    if (!ok) {
      out += L'\xFFFD';
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (c >> 10));
      out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<wchar_t>(c);
    }
    i += len;
  }
  return out;
}

std::string narrow(const std::wstring& utf16) {
  std::string out;
  out.reserve(utf16.size());
  const size_t n = utf16.size();
  for (size_t i = 0; i < n; ++i) {
    char32_t c = static_cast<char16_t>(utf16[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n) {
      const char32_t low = static_cast<char16_t>(utf16[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    appendUtf8(out, c);
  }
  return out;
}

namespace {

bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "." and ".." components, forward slashes and doubled backslashes need the
// normal Win32 path parsing; the \\?\ form would take them literally.
bool needsNormalising(const std::string& path) {
  if (path.find('/') != std::string::npos) return true;
  size_t start = 3;  // after "X:\"
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    std::string_view part(path.data() + start, end - start);
    if (part == "." || part == "..") return true;
    if (part.empty() && end < path.size()) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

std::wstring toWinPath(const std::string& utf8Path) {
  const std::string& p = utf8Path;
  bool absoluteDrivePath = p.size() >= 3 && isDriveLetter(p[0]) && p[1] == ':' && p[2] == '\\';
  if (!absoluteDrivePath || needsNormalising(p)) return widen(p);
  return L"\\\\?\\" + widen(p);
}

// ---------------------------------------------------------------- files

bool Win32Fs::setAttributes(const std::string& path, uint32_t attributes) {
  return SetFileAttributesW(toWinPath(path).c_str(), attributes) != 0;
}

std::optional<uint32_t> Win32Fs::attributes(const std::string& path) {
  DWORD a = GetFileAttributesW(toWinPath(path).c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return a;
}

bool Win32Fs::deleteFile(const std::string& path) { return DeleteFileW(toWinPath(path).c_str()) != 0; }

bool Win32Fs::deleteAsNormal(const std::string& path) {
  const std::wstring p = toWinPath(path);
  // One open instead of one for the attributes and one for the deletion;
  // the attributes only matter to a file that is to stay, or is read-only.
  // No FILE_FLAG_BACKUP_SEMANTICS: a folder is never deleted as a file.
  HANDLE h =
      CreateFileW(p.c_str(), DELETE | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    FILE_DISPOSITION_INFO dispose{TRUE};
    bool deleted = SetFileInformationByHandle(h, FileDispositionInfo, &dispose, sizeof dispose) != 0;
    if (!deleted) {
      FILE_BASIC_INFO normal{};  // times of 0 stay as they are
      normal.FileAttributes = FILE_ATTRIBUTE_NORMAL;
      deleted = SetFileInformationByHandle(h, FileBasicInfo, &normal, sizeof normal) != 0 &&
                SetFileInformationByHandle(h, FileDispositionInfo, &dispose, sizeof dispose) != 0;
    }
    CloseHandle(h);
    if (deleted) return true;
  }
  // A folder, a file held open without delete sharing: the two calls, which
  // leave it normal.
  SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileW(p.c_str()) != 0;
}

bool Win32Fs::exists(const std::string& path) {
  // Unlike a search, a relative name is looked for in the current directory only.
  return GetFileAttributesW(toWinPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

// Windows' letter case rule for names: each UTF-16 unit on its own.
std::wstring upperName(std::wstring name) {
  if (!name.empty()) CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
  return name;
}

}  // namespace

std::vector<bool> Win32Fs::gone(const std::string& folder, const std::vector<std::string>& names) {
  std::vector<bool> out(names.size(), false);
  if (folder.empty()) return out;
  const std::string base = folder.back() == '\\' ? folder : folder + "\\";
  const std::wstring pattern = toWinPath(base + "*");
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
    h = FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0);
  std::unordered_set<std::wstring> present;
  if (h == INVALID_HANDLE_VALUE) {
    // A drive root holds no "." entry, so an empty one lists nothing at all;
    // anything else that cannot be listed tells nothing about its names.
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return out;
    const DWORD a = GetFileAttributesW(toWinPath(base).c_str());
    if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) return out;
  } else {
    do {
      present.insert(upperName(data.cFileName));
    } while (FindNextFileW(h, &data));
    const DWORD end = GetLastError();
    FindClose(h);
    // Cut short (a drive pulled out): the names not seen may still be there.
    if (end != ERROR_NO_MORE_FILES) return out;
  }
  for (size_t i = 0; i < names.size(); ++i) out[i] = !present.count(upperName(widen(names[i])));
  return out;
}

bool Win32Fs::driveReady(const std::string& root) {
  // An empty card reader or floppy drive must not bring up "There is no disk
  // in the drive".
  UINT previous = GetErrorMode();
  SetErrorMode(previous | SEM_FAILCRITICALERRORS);
  DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
  BOOL ok = GetDiskFreeSpaceW(widen(root).c_str(), &sectors, &bytes, &freeClusters, &clusters);
  SetErrorMode(previous);
  return ok != 0;
}

namespace {

constexpr DWORD kMaskedBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

class Win32Listing : public DirListing {
 public:
  Win32Listing(const std::wstring& pattern, uint32_t mask) : mask_(mask) {
    handle_ = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data_, FindExSearchNameMatch, nullptr,
                               FIND_FIRST_EX_LARGE_FETCH);
    if (handle_ == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
      handle_ = FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &data_, FindExSearchNameMatch, nullptr, 0);
    pending_ = handle_ != INVALID_HANDLE_VALUE;
  }
  ~Win32Listing() override { close(); }
  Win32Listing(const Win32Listing&) = delete;
  Win32Listing& operator=(const Win32Listing&) = delete;

  std::optional<std::string> next() override {
    while (pending_) {
      WIN32_FIND_DATAW entry = data_;
      // Read ahead so that the handle is released as soon as the last name is out.
      pending_ = FindNextFileW(handle_, &data_) != 0;
      if (!pending_) close();
      if (wanted(entry)) {
        attributes_ = entry.dwFileAttributes;
        return narrow(entry.cFileName);
      }
    }
    return std::nullopt;
  }
  std::optional<uint32_t> attributes() const override { return attributes_; }

 private:
  // As VB's Dir: plain files always, hidden, system and folder entries only
  // when the mask asks for every one of those bits they carry.
  bool wanted(const WIN32_FIND_DATAW& e) const {
    std::wstring_view name(e.cFileName);
    if (name == L"." || name == L"..") return false;
    // A foreign file system (a Linux-formatted stick under Wine) can hold a
    // name with a backslash in it; joined to its folder, such a name would
    // address an entry further down instead of itself.
    if (name.find_first_of(L"\\/") != std::wstring_view::npos) return false;
    return (e.dwFileAttributes & kMaskedBits & ~mask_) == 0;
  }
  void close() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    pending_ = false;
  }

  DWORD mask_;
  std::optional<uint32_t> attributes_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW data_{};
  bool pending_ = false;
};

}  // namespace

std::unique_ptr<DirListing> Win32Fs::list(const std::string& pattern, uint32_t mask) {
  return std::make_unique<Win32Listing>(toWinPath(pattern), mask);
}

namespace {

// The open file's bytes, at most maxBytes, when it is a regular disk file
// that is no reparse point. Whether the handle is a folder needs no look:
// without backup semantics a folder does not open.
std::optional<std::vector<uint8_t>> readOpened(HANDLE h, size_t maxBytes) {
  // A pipe, console or other device named like a file could block a read.
  if (GetFileType(h) != FILE_TYPE_DISK) return std::nullopt;
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag) ||
      (tag.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)))
    return std::nullopt;
  // One byte more than allowed tells a larger file, however it grows meanwhile.
  std::vector<uint8_t> bytes(std::min<size_t>(maxBytes, 1 << 20) + 1);
  size_t got = 0;
  for (;;) {
    if (got == bytes.size()) {
      if (bytes.size() > maxBytes) return std::nullopt;
      bytes.resize(std::min(maxBytes + 1, bytes.size() * 2));
    }
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - got, 1 << 20));
    DWORD read = 0;
    if (!ReadFile(h, bytes.data() + got, want, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    got += read;
  }
  if (got > maxBytes) return std::nullopt;
  bytes.resize(got);
  return bytes;
}

}  // namespace

std::optional<std::vector<uint8_t>> Win32Fs::readFile(const std::string& path, size_t maxBytes) {
  // The link itself, never what it points to.
  HANDLE h = CreateFileW(toWinPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::vector<uint8_t>> out = readOpened(h, maxBytes);
  CloseHandle(h);
  return out;
}

// Under Wine a path-based SetFileAttributesW costs an open of its own; one
// open for both makes reading every shortcut of a root almost free.
std::optional<std::vector<uint8_t>> Win32Fs::readAndSetAttributes(const std::string& path, size_t maxBytes,
                                                                  uint32_t attributes) {
  const std::wstring p = toWinPath(path);
  HANDLE h = CreateFileW(p.c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    SetFileAttributesW(p.c_str(), attributes);
    return std::nullopt;
  }
  std::optional<std::vector<uint8_t>> out = readOpened(h, maxBytes);
  FILE_BASIC_INFO basic{};  // times of 0 stay as they are
  basic.FileAttributes = attributes;
  if (!SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic)) SetFileAttributesW(p.c_str(), attributes);
  CloseHandle(h);
  return out;
}

bool Win32Fs::moveNoReplace(const std::string& from, const std::string& to) {
  // No MOVEFILE_REPLACE_EXISTING and no MOVEFILE_COPY_ALLOWED: an existing
  // entry stays, and another volume is refused rather than copied.
  return MoveFileExW(toWinPath(from).c_str(), toWinPath(to).c_str(), 0) != 0;
}

bool Win32Fs::removeEmptyFolder(const std::string& path) {
  // Windows removes a folder only when it is empty.
  return RemoveDirectoryW(toWinPath(path).c_str()) != 0;
}

// ---------------------------------------------------------------- registry

namespace {

HKEY rootKey(uint32_t root) {
  switch (root) {
    case HKCU: return HKEY_CURRENT_USER;
    case HKLM: return HKEY_LOCAL_MACHINE;
    // The other predefined keys are sign-extended 32-bit constants as well.
    default: return reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(root)));
  }
}

HKEY handleOf(HKey key) { return reinterpret_cast<HKEY>(key); }

long opened(LSTATUS status, HKEY h, HKey* key) {
  if (key) *key = status == ERROR_SUCCESS ? reinterpret_cast<HKey>(h) : 0;
  return status;
}

bool isText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Texts become UTF-8 with every NUL they hold, the terminating one included.
std::vector<uint8_t> valueBytes(DWORD type, const uint8_t* data, size_t size) {
  if (!isText(type)) return std::vector<uint8_t>(data, data + size);
  std::wstring wide(size / 2, L'\0');  // an odd trailing byte is no character
  if (!wide.empty()) memcpy(wide.data(), data, wide.size() * sizeof(wchar_t));
  std::string text = narrow(wide);
  return std::vector<uint8_t>(text.begin(), text.end());
}

// Enough rounds for a value that keeps growing while it is read; the
// registry's own limits (16,383-character names, data of a few megabytes)
// are reached long before.
constexpr int kGrowRounds = 16;

}  // namespace

// Every key is opened in the system's own view: a 32-bit build on 64-bit
// Windows would otherwise read and write the copies under WOW6432Node that
// Windows keeps for 32-bit programs (HKLM\Software\...\Explorer\Advanced\Folder,
// for one), not the keys Windows itself and the 64-bit build use. The flag
// changes nothing for a 64-bit process nor on 32-bit Windows. Only a caller
// that asks for the 32-bit view (the start-up keys of 32-bit programs) gets it.
long Win32Registry::openKeyEx(uint32_t root, const std::string& path, uint32_t access, HKey* key) {
  HKEY h = nullptr;
  const REGSAM view = (access & KEY_WOW64_32KEY) ? 0 : KEY_WOW64_64KEY;
  LSTATUS s = RegOpenKeyExW(rootKey(root), widen(path).c_str(), 0, access | view, &h);
  return opened(s, h, key);
}

// As RegOpenKeyW and RegCreateKeyW, which take no view: the most access
// granted, and for an empty path the root itself.
long Win32Registry::openKey(uint32_t root, const std::string& path, HKey* key) {
  if (path.empty()) return opened(ERROR_SUCCESS, rootKey(root), key);
  HKEY h = nullptr;
  LSTATUS s = RegOpenKeyExW(rootKey(root), widen(path).c_str(), 0, MAXIMUM_ALLOWED | KEY_WOW64_64KEY, &h);
  return opened(s, h, key);
}

long Win32Registry::createKey(uint32_t root, const std::string& path, HKey* key) {
  if (path.empty()) return opened(ERROR_SUCCESS, rootKey(root), key);
  HKEY h = nullptr;
  LSTATUS s = RegCreateKeyExW(rootKey(root), widen(path).c_str(), 0, nullptr, 0, MAXIMUM_ALLOWED | KEY_WOW64_64KEY,
                              nullptr, &h, nullptr);
  return opened(s, h, key);
}

RegValue Win32Registry::enumValue(HKey key, uint32_t index) {
  RegValue out;
  DWORD maxName = 0, maxData = 0;
  LSTATUS s = RegQueryInfoKeyW(handleOf(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName,
                               &maxData, nullptr, nullptr);
  if (s != ERROR_SUCCESS) {
    out.status = s;
    return out;
  }
  std::wstring name(static_cast<size_t>(maxName) + 1, L'\0');
  std::vector<uint8_t> data(static_cast<size_t>(maxData) + 2);
  for (int round = 0; round < kGrowRounds; ++round) {
    DWORD nameLen = static_cast<DWORD>(name.size());
    DWORD dataLen = static_cast<DWORD>(data.size());
    DWORD type = REG_NONE;
    s = RegEnumValueW(handleOf(key), index, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
    if (s == ERROR_MORE_DATA) {
      // The value grew since the key was queried; the name length is not
      // reported back, so both buffers grow.
      name.resize(name.size() * 2);
      data.resize(std::max<size_t>(data.size() * 2, dataLen));
      continue;
    }
    out.status = s;
    if (s == ERROR_SUCCESS) {
      out.name = narrow(name.substr(0, nameLen));
      out.type = type;
      out.data = valueBytes(type, data.data(), std::min<size_t>(dataLen, data.size()));
    }
    return out;
  }
  out.status = ERROR_MORE_DATA;
  return out;
}

RegValue Win32Registry::queryValue(HKey key, const std::string& name) {
  RegValue out;
  out.name = name;
  std::wstring wname = widen(name);
  DWORD size = 0;
  DWORD type = REG_NONE;
  LSTATUS s = RegQueryValueExW(handleOf(key), wname.c_str(), nullptr, &type, nullptr, &size);
  std::vector<uint8_t> data;
  for (int round = 0; s == ERROR_SUCCESS || s == ERROR_MORE_DATA; ++round) {
    if (round == kGrowRounds) {
      s = ERROR_MORE_DATA;
      break;
    }
    data.resize(std::max<size_t>({size, data.size() * 2, 2}));
    size = static_cast<DWORD>(data.size());
    s = RegQueryValueExW(handleOf(key), wname.c_str(), nullptr, &type, data.data(), &size);
    if (s == ERROR_SUCCESS) break;
  }
  out.status = s;
  if (s == ERROR_SUCCESS) {
    out.type = type;
    out.data = valueBytes(type, data.data(), std::min<size_t>(size, data.size()));
  }
  return out;
}

long Win32Registry::setDword(HKey key, const std::string& name, uint32_t value) {
  DWORD v = value;
  return RegSetValueExW(handleOf(key), widen(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

long Win32Registry::deleteValue(HKey key, const std::string& name) {
  return RegDeleteValueW(handleOf(key), widen(name).c_str());
}

long Win32Registry::closeKey(HKey key) { return RegCloseKey(handleOf(key)); }

// ---------------------------------------------------------------- processes

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

std::wstring systemFolder() {
  // Under WOW64 "System32" is redirected to SysWOW64, the 32-bit copies;
  // "Sysnative" is the name by which a 32-bit process reaches the real one.
  BOOL wow64 = FALSE;
  wchar_t folder[MAX_PATH + 1];
  UINT n = 0;
  if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64) {
    n = GetSystemWindowsDirectoryW(folder, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) return {};
    std::wstring windows(folder, n);
    if (windows.back() == L'\\') windows.pop_back();
    return windows + L"\\Sysnative";
  }
  n = GetSystemDirectoryW(folder, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return {};
  std::wstring system(folder, n);
  if (system.back() == L'\\') system.pop_back();
  return system;
}

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
bool readExactly(HANDLE h, uintptr_t at, void* out, size_t size) {
  SIZE_T got = 0;
  return at != 0 && ReadProcessMemory(h, reinterpret_cast<LPCVOID>(at), out, size, &got) && got == size;
}

// The command line's UNICODE_STRING in the process parameters: its length
// in bytes and where its characters lie. The layouts are Windows' own: the
// parameters' address in the PEB, the command line's place in the
// parameters, for a 32-bit and a 64-bit process.
std::string readCommandLine(HANDLE h, uintptr_t peb, bool target32) {
  const size_t paramsAt = target32 ? 0x10 : 0x20, commandAt = target32 ? 0x40 : 0x70;
  uintptr_t params = 0, buffer = 0;
  uint16_t length = 0;
  if (target32) {
    uint32_t p32 = 0, b32 = 0;
    if (!readExactly(h, peb + paramsAt, &p32, sizeof p32)) return {};
    params = p32;
    if (!readExactly(h, params + commandAt, &length, sizeof length) ||
        !readExactly(h, params + commandAt + 4, &b32, sizeof b32))
      return {};
    buffer = b32;
  } else {
    if (!readExactly(h, peb + paramsAt, &params, sizeof params)) return {};
    if (!readExactly(h, params + commandAt, &length, sizeof length) ||
        !readExactly(h, params + commandAt + 8, &buffer, sizeof buffer))
      return {};
  }
  std::wstring text(length / sizeof(wchar_t), L'\0');
  if (!text.empty() && !readExactly(h, buffer, text.data(), text.size() * sizeof(wchar_t))) return {};
  return narrow(text);
}

#if !defined(_WIN64)
// A 64-bit process seen from a 32-bit one on 64-bit Windows: its 64-bit PEB,
// through the calls the WOW64 layer offers for that.
std::string readCommandLine64(HANDLE h) {
  using Query64 = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
  using Read64 = LONG(NTAPI*)(HANDLE, ULONG64, PVOID, ULONG64, PULONG64);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const auto query =
      reinterpret_cast<Query64>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtWow64QueryInformationProcess64")));
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
  ULONG64 params = 0, buffer = 0;
  uint16_t length = 0;
  if (!get(basic.peb + 0x20, &params, 8) || !get(params + 0x70, &length, 2) || !get(params + 0x78, &buffer, 8))
    return {};
  std::wstring text(length / sizeof(wchar_t), L'\0');
  if (!text.empty() && !get(buffer, text.data(), text.size() * sizeof(wchar_t))) return {};
  return narrow(text);
}
#endif

}  // namespace

std::string Win32Processes::commandLineOf(uint32_t pid) {
  QueryInformationProcess query = queryInformationProcess();
  if (!query) return {};
  HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!h) return {};
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
    if (query(h, kProcessWow64Information, &peb32, sizeof peb32, nullptr) == 0) out = readCommandLine(h, peb32, true);
  } else if (sizeof(void*) == 8 || selfWow64 == targetWow64) {
    // The same layout as our own.
    PROCESS_BASIC_INFORMATION basic{};
    if (query(h, ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0)
      out = readCommandLine(h, reinterpret_cast<uintptr_t>(basic.PebBaseAddress), sizeof(void*) == 4);
  } else {
#if !defined(_WIN64)
    out = readCommandLine64(h);
#endif
  }
  CloseHandle(h);
  return out;
}

// ---------------------------------------------------------------- clock, environment

uint32_t Win32Clock::tickCount() { return GetTickCount(); }

bool Win32Env::previousInstance() {
  // Decided once per process; the first instance keeps the mutex until it ends.
  static const bool previous = [] {
    HANDLE m = CreateMutexW(nullptr, FALSE, L"Local\\Kestrive.SingleInstance");
    DWORD error = GetLastError();
    // Access denied: the mutex exists, made by an instance running with other rights.
    bool exists = m ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
    if (exists && m) CloseHandle(m);
    return exists;
  }();
  return previous;
}

std::string Win32Env::exeBaseName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  return narrow(name);
}

// The folder of the system's own 64-bit command interpreter even for the
// 32-bit build (see systemFolder()).
std::string Win32Env::systemFolder() { return narrow(win32::systemFolder()); }

std::string Win32Env::workingFolder() {
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return {};
  std::wstring folder(n, L'\0');
  n = GetCurrentDirectoryW(n, folder.data());
  if (n == 0 || n >= folder.size()) return {};
  folder.resize(n);
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return narrow(folder);
}

std::string Win32Env::expand(const std::string& text) {
  const std::wstring in = widen(text);
  std::wstring out(in.size() + 64, L'\0');
  for (int tries = 0; tries < 4; ++tries) {
    DWORD n = ExpandEnvironmentStringsW(in.c_str(), out.data(), static_cast<DWORD>(out.size()));
    if (n == 0) return text;
    if (n <= out.size()) {
      out.resize(n - 1);  // n counts the NUL
      return narrow(out);
    }
    out.resize(n);
  }
  return text;
}

std::string Win32Env::variable(const std::string& name) {
  const std::wstring wname = widen(name);
  std::wstring value(256, L'\0');
  for (int tries = 0; tries < 4; ++tries) {
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetEnvironmentVariableW(wname.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) return {};
    if (n < value.size()) {
      value.resize(n);
      return narrow(value);
    }
    value.resize(n);  // n counts the NUL when the buffer was short
  }
  return {};
}

std::string Win32Env::startupFolder() {
  PWSTR path = nullptr;
  std::string out;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Startup, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path) {
    std::wstring folder(path);
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    out = narrow(folder);
  }
  CoTaskMemFree(path);
  return out;
}

bool Win32Env::twoRegistryViews() {
  if (sizeof(void*) == 8) return true;
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::string Win32Env::profileFolder() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetUserProfileDirectoryW(token, nullptr, &size);
  std::wstring folder(std::max<DWORD>(size, MAX_PATH), L'\0');
  size = static_cast<DWORD>(folder.size());
  BOOL ok = GetUserProfileDirectoryW(token, folder.data(), &size);
  CloseHandle(token);
  if (!ok) return {};
  folder.resize(wcsnlen(folder.c_str(), folder.size()));
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return narrow(folder);
}

}  // namespace kestrive::win32
