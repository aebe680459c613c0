// The registry through Win32Registry, in a private key under HKCU.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "platform/win32/os.h"
#include "tests/wine/wine_support.h"

using namespace kestrive;
using namespace kestrive::wine_test;
using kestrive::win32::Win32Registry;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    path = "Software\\Kestrive Tests\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, win32::widen(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &raw, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    if (raw) RegCloseKey(raw);
    RegDeleteTreeW(HKEY_CURRENT_USER, win32::widen(path).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, win32::widen(path).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Kestrive Tests");  // once the last test's key is gone
  }
  void setRaw(const std::wstring& name, DWORD type, const void* data, size_t size) {
    static const BYTE none = 0;
    if (!data) data = &none;
    ASSERT_EQ(RegSetValueExW(raw, name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)),
              ERROR_SUCCESS)
        << utf8(name);
  }
  void setText(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ) {
    setRaw(name, type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  }
  HKey open() {
    HKey k = 0;
    EXPECT_EQ(reg.openKeyEx(HKCU, path, 0x3F, &k), kErrorSuccess);
    EXPECT_NE(k, 0u);
    return k;
  }
  std::vector<RegValue> enumerateAll(HKey k) {
    std::vector<RegValue> out;
    for (uint32_t i = 0;; ++i) {
      RegValue v = reg.enumValue(k, i);
      if (v.status != kErrorSuccess) {
        EXPECT_EQ(v.status, kErrorNoMoreItems) << "at index " << i;
        break;
      }
      out.push_back(v);
    }
    return out;
  }

  std::string path;
  HKEY raw = nullptr;
  Win32Registry reg;
};

TEST_F(Win32RegistryTest, CreateSetQueryDeleteDword) {
  std::string policy = path + "\\Policies\\System\\";  // the trailing "\" the writers pass
  HKey k = 0;
  ASSERT_EQ(reg.createKey(HKCU, policy, &k), kErrorSuccess);
  ASSERT_NE(k, 0u);
  EXPECT_EQ(reg.setDword(k, "DisableCMD", 0x01020304), kErrorSuccess);
  EXPECT_EQ(reg.closeKey(k), kErrorSuccess);

  // The key is really under HKEY_CURRENT_USER, without the trailing "\".
  HKEY check = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, win32::widen(path + "\\Policies\\System").c_str(), 0, KEY_READ, &check),
            ERROR_SUCCESS);
  DWORD value = 0, size = sizeof value, type = 0;
  EXPECT_EQ(RegQueryValueExW(check, L"DisableCMD", nullptr, &type, (BYTE*)&value, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, (DWORD)REG_DWORD);
  EXPECT_EQ(value, 0x01020304u);
  RegCloseKey(check);

  ASSERT_EQ(reg.openKey(HKCU, path + "\\Policies\\System", &k), kErrorSuccess);
  RegValue v = reg.queryValue(k, "DisableCMD");
  EXPECT_EQ(v.status, kErrorSuccess);
  EXPECT_EQ(v.type, regtype::Dword);
  EXPECT_EQ(v.data, (Bytes{4, 3, 2, 1}));

  // Writing again replaces the value; a created key that exists is opened.
  HKey again = 0;
  ASSERT_EQ(reg.createKey(HKCU, policy, &again), kErrorSuccess);
  EXPECT_EQ(reg.setDword(again, "DisableCMD", 0), kErrorSuccess);
  reg.closeKey(again);
  EXPECT_EQ(reg.queryValue(k, "DisableCMD").data, (Bytes{0, 0, 0, 0}));

  EXPECT_EQ(reg.deleteValue(k, "DisableCMD"), kErrorSuccess);
  EXPECT_EQ(reg.queryValue(k, "DisableCMD").status, kErrorFileNotFound);
  EXPECT_EQ(reg.deleteValue(k, "DisableCMD"), kErrorFileNotFound);
  EXPECT_EQ(reg.closeKey(k), kErrorSuccess);
}

TEST_F(Win32RegistryTest, MissingKeysAndBadHandles) {
  HKey k = 12345;
  EXPECT_EQ(reg.openKey(HKCU, path + "\\Missing", &k), kErrorFileNotFound);
  EXPECT_EQ(k, 0u);
  k = 12345;
  EXPECT_EQ(reg.openKeyEx(HKCU, path + "\\Missing", 0x3F, &k), kErrorFileNotFound);
  EXPECT_EQ(k, 0u);

  EXPECT_EQ(reg.enumValue(0, 0).status, kErrorInvalidHandle);
  EXPECT_EQ(reg.queryValue(0, "x").status, kErrorInvalidHandle);
  EXPECT_NE(reg.setDword(0, "x", 1), kErrorSuccess);
  EXPECT_NE(reg.closeKey(0), kErrorSuccess);

  // The local machine root is reachable too.
  ASSERT_EQ(reg.openKey(HKLM, "Software", &k), kErrorSuccess);
  EXPECT_NE(k, 0u);
  reg.closeKey(k);
}

TEST_F(Win32RegistryTest, ValuesReadBackAsStored) {
  struct Case {
    std::wstring name;
    DWORD type;
    std::wstring wide;  // data for text types
    Bytes raw;          // data for the others, or extra bytes after a text
    Bytes expected;
  };
  using namespace std::string_literals;
  const Case cases[] = {
      {L"cyrillic",
       REG_SZ,
       L"\u041f\u0440\u0438\u0432\u0435\u0442\0"s,
       {},
       bytes("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\0"s)},
      {L"no terminator", REG_SZ, L"C:\\x.exe"s, {}, bytes("C:\\x.exe")},
      {L"inner nul", REG_SZ, L"a\0b\0"s, {}, bytes("a\0b\0"s)},
      {L"odd size", REG_SZ, L"ab"s, {0x41}, bytes("ab")},
      {L"empty", REG_SZ, L""s, {}, {}},
      {L"expand", REG_EXPAND_SZ, L"%USERPROFILE%\\x.exe\0"s, {}, bytes("%USERPROFILE%\\x.exe\0"s)},
      {L"multi", REG_MULTI_SZ, L"a\0bc\0\0"s, {}, bytes("a\0bc\0\0"s)},
      {L"binary", REG_BINARY, L""s, {0, 1, 2, 255}, {0, 1, 2, 255}},
      {L"dword", REG_DWORD, L""s, {7, 0, 0, 0}, {7, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    Bytes data(reinterpret_cast<const uint8_t*>(c.wide.data()),
               reinterpret_cast<const uint8_t*>(c.wide.data() + c.wide.size()));
    data.insert(data.end(), c.raw.begin(), c.raw.end());
    setRaw(c.name, c.type, data.data(), data.size());
  }

  HKey k = open();
  for (const Case& c : cases) {
    RegValue v = reg.queryValue(k, utf8(c.name));
    EXPECT_EQ(v.status, kErrorSuccess) << utf8(c.name);
    EXPECT_EQ(v.type, c.type) << utf8(c.name);
    EXPECT_EQ(v.data, c.expected) << utf8(c.name);
  }
  std::vector<RegValue> all = enumerateAll(k);
  EXPECT_EQ(all.size(), std::size(cases));
  for (const Case& c : cases) {
    auto it = std::find_if(all.begin(), all.end(), [&](const RegValue& v) { return v.name == utf8(c.name); });
    ASSERT_NE(it, all.end()) << utf8(c.name);
    EXPECT_EQ(it->type, c.type) << utf8(c.name);
    EXPECT_EQ(it->data, c.expected) << utf8(c.name);
  }
  reg.closeKey(k);
}

TEST_F(Win32RegistryTest, EnumerationReadsLargeValuesInFull) {
  // A 64 KiB value must neither be cut nor end the enumeration early.
  std::wstring huge = std::wstring(32760, L'x') + L" C:\\Users\\user\\svchost.exe";
  std::wstring longName = L"c-" + std::wstring(2000, L'n');
  setText(L"a-huge", huge);
  setText(L"b-after", L"C:\\Users\\user\\svchost.exe");
  setText(longName, L"C:\\Users\\user\\x.exe");
  setText(L"d-\u0416", L"C:\\Users\\user\\\u0416.exe");

  HKey k = open();
  std::vector<RegValue> all = enumerateAll(k);
  ASSERT_EQ(all.size(), 4u);
  std::map<std::string, std::string> byName;
  for (const RegValue& v : all) {
    EXPECT_EQ(v.type, regtype::Sz);
    byName[v.name] = std::string(v.data.begin(), v.data.end());
  }
  using namespace std::string_literals;
  EXPECT_EQ(byName["a-huge"], utf8(huge) + "\0"s);
  EXPECT_GE(byName["a-huge"].size(), 32768u);
  EXPECT_EQ(byName["b-after"], "C:\\Users\\user\\svchost.exe\0"s);
  EXPECT_EQ(byName[utf8(longName)], "C:\\Users\\user\\x.exe\0"s);
  EXPECT_EQ(byName["d-\xD0\x96"], "C:\\Users\\user\\\xD0\x96.exe\0"s);

  RegValue q = reg.queryValue(k, "a-huge");
  EXPECT_EQ(q.status, kErrorSuccess);
  EXPECT_EQ(std::string(q.data.begin(), q.data.end()), byName["a-huge"]);
  reg.closeKey(k);
}

TEST_F(Win32RegistryTest, UnnamedValueIsNotTheValueNamedDefault) {
  setText(L"", L"unnamed");
  setText(L"[Default]", L"named");

  HKey k = open();
  using namespace std::string_literals;
  EXPECT_EQ(reg.queryValue(k, "").data, bytes("unnamed\0"s));
  EXPECT_EQ(reg.queryValue(k, "[Default]").data, bytes("named\0"s));

  std::vector<RegValue> all = enumerateAll(k);
  std::set<std::string> names;
  for (const RegValue& v : all) names.insert(v.name);
  EXPECT_EQ(names, (std::set<std::string>{"", "[Default]"}));

  EXPECT_EQ(reg.deleteValue(k, "[Default]"), kErrorSuccess);
  EXPECT_EQ(reg.queryValue(k, "").data, bytes("unnamed\0"s));
  EXPECT_EQ(reg.deleteValue(k, ""), kErrorSuccess);
  EXPECT_EQ(reg.queryValue(k, "").status, kErrorFileNotFound);
  EXPECT_EQ(reg.enumValue(k, 0).status, kErrorNoMoreItems);
  reg.closeKey(k);
}

}  // namespace
