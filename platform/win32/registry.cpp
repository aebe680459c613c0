#include "platform/win32/registry.h"

#include "platform/win32/wide.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace kestrive::win32 {

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

}  // namespace kestrive::win32
