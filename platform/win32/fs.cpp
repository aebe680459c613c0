#include "platform/win32/fs.h"

#include "platform/win32/wide.h"

#include <windows.h>

#include <algorithm>
#include <string_view>
#include <unordered_set>

namespace kestrive::win32 {

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

// Starts a listing without the short names and with the entries fetched in
// large batches; a system that knows neither is asked the plain way. The
// last error tells why it failed.
HANDLE findFirst(const std::wstring& pattern, WIN32_FIND_DATAW* data) {
  HANDLE h = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, data, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
    h = FindFirstFileExW(pattern.c_str(), FindExInfoStandard, data, FindExSearchNameMatch, nullptr, 0);
  return h;
}

}  // namespace

std::vector<bool> Win32Fs::gone(const std::string& folder, const std::vector<std::string>& names) {
  std::vector<bool> out(names.size(), false);
  if (folder.empty()) return out;
  const std::string base = folder.back() == '\\' ? folder : folder + "\\";
  const std::wstring pattern = toWinPath(base + "*");
  WIN32_FIND_DATAW data;
  HANDLE h = findFirst(pattern, &data);
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
    handle_ = findFirst(pattern, &data_);
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

}  // namespace kestrive::win32
