// Files on a real (Wine or Windows) file system through Win32Fs.
#include <gtest/gtest.h>

#include "platform/win32/os.h"
#include "tests/wine/wine_support.h"

using namespace kestrive;
using namespace kestrive::wine_test;
using kestrive::win32::Win32Fs;

namespace {

// Wine reports the archive bit for every file whatever was set, so most
// checks look at these three only.
constexpr uint32_t kFlagBits = attr::ReadOnly | attr::Hidden | attr::System;
constexpr uint32_t kVisibleBits = kFlagBits | attr::Archive;

bool underWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

class Win32FsTest : public ::testing::Test {
 protected:
  std::string path(const std::wstring& name) const { return utf8(tmp / name); }
  std::set<std::string> list(uint32_t mask, const std::wstring& folder = L"") {
    std::wstring f = folder.empty() ? tmp.wpath() : folder;
    auto listing = fs.list(utf8(f + L"\\*"), mask);
    return namesOf(*listing);
  }

  TempFolder tmp;
  Win32Fs fs;
};

TEST(WinPath, AbsoluteDrivePathsTakeTheLiteralForm) {
  struct Case {
    std::string in;
    std::wstring out;
  } cases[] = {
      {"E:\\", L"\\\\?\\E:\\"},
      {"E:\\*", L"\\\\?\\E:\\*"},
      {"e:\\report.lnk.", L"\\\\?\\e:\\report.lnk."},
      {"E:\\photos ", L"\\\\?\\E:\\photos "},
      {"E:\\...", L"\\\\?\\E:\\..."},
      {"C:\\Users\\Фото\\😀.exe", L"\\\\?\\C:\\Users\\\u0424\u043e\u0442\u043e\\\U0001F600.exe"},
      // Left for Windows to normalise.
      {"E:\\a/b", L"E:\\a/b"},
      {"E:\\a\\.\\b", L"E:\\a\\.\\b"},
      {"E:\\a\\..\\b", L"E:\\a\\..\\b"},
      {"E:\\a\\..", L"E:\\a\\.."},
      {"E:\\.", L"E:\\."},
      {"E:\\a\\\\b", L"E:\\a\\\\b"},
      // Not absolute drive paths.
      {"pskill.exe", L"pskill.exe"},
      {"\\*", L"\\*"},
      {"E:relative", L"E:relative"},
      {"\\\\server\\share\\x", L"\\\\server\\share\\x"},
      {"\\\\?\\E:\\x", L"\\\\?\\E:\\x"},
      {"1:\\x", L"1:\\x"},
      {"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(win32::toWinPath(c.in), c.out) << c.in;
}

TEST(WinPath, Utf8AndUtf16RoundTrip) {
  struct Case {
    std::string utf8;
    std::wstring utf16;
  } cases[] = {
      {"", L""},
      {"plain.exe", L"plain.exe"},
      {"\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE", L"\u0424\u043e\u0442\u043e"},  // Фото
      {"\xE5\x86\x99\xE7\x9C\x9F", L"\u5199\u771f"},                      // 写真
      {"\xF0\x9F\x98\x80", L"\U0001F600"},                                // 😀, a surrogate pair
      {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
      // Lone surrogates, which registry names can hold, keep their own
      // number instead of becoming U+FFFD like a look-alike name.
      {"lone\xED\xA0\x80", std::wstring(L"lone") + wchar_t(0xD800)},
      {"\xED\xBF\xBFlow", std::wstring(1, wchar_t(0xDFFF)) + L"low"},
      {"\xED\xB8\x80\xED\xA0\xBD", std::wstring{wchar_t(0xDE00), wchar_t(0xD83D)}},  // a pair the wrong way round
      {"\xEF\xBF\xBD", L"\uFFFD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(win32::widen(c.utf8), c.utf16) << c.utf8;
    EXPECT_EQ(win32::narrow(c.utf16), c.utf8) << c.utf8;
  }
  // Bytes that are no character read as U+FFFD, one each.
  const std::pair<std::string, std::wstring> broken[] = {
      {"a\xFF"
       "b",
       L"a\uFFFDb"},
      {"\xC0\xAF", L"\uFFFD\uFFFD"},                      // an overlong "/"
      {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
      {"\xE2\x82", L"\uFFFD\uFFFD"},                      // cut short
  };
  for (const auto& [in, out] : broken) EXPECT_EQ(win32::widen(in), out) << in;
}

TEST_F(Win32FsTest, AttributesSurviveAReRead) {
  const uint32_t sets[] = {
      attr::Hidden | attr::System | attr::ReadOnly,
      attr::Hidden | attr::System,
      attr::ReadOnly,
      attr::Hidden,
      attr::System,
      attr::Archive | attr::Hidden,
  };
  int i = 0;
  for (uint32_t a : sets) {
    std::wstring name = L"file" + std::to_wstring(i++) + L".lnk";
    makeFile(tmp / name);
    ASSERT_TRUE(fs.setAttributes(path(name), a)) << a;
    auto read = fs.attributes(path(name));
    ASSERT_TRUE(read) << a;
    EXPECT_EQ(*read & kFlagBits, a & kFlagBits) << a;
    EXPECT_EQ(rawAttributes(tmp / name) & kFlagBits, a & kFlagBits) << a;
    if (a & attr::Archive) {
      EXPECT_TRUE(*read & attr::Archive) << a;
    }
    if (!underWine()) {
      EXPECT_EQ(*read & kVisibleBits, a);
    }
  }

  makeDir(tmp / L"Photos");
  ASSERT_TRUE(fs.setAttributes(path(L"Photos"), attr::Hidden | attr::System));
  EXPECT_EQ(*fs.attributes(path(L"Photos")) & (kVisibleBits | attr::Directory),
            attr::Directory | attr::Hidden | attr::System);
  // Still there for a listing, which reads them afresh.
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW(longForm(tmp / L"Photos").c_str(), &d);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FindClose(h);
  EXPECT_EQ(d.dwFileAttributes & (kVisibleBits | attr::Directory), attr::Directory | attr::Hidden | attr::System);
}

TEST_F(Win32FsTest, NormalClearsEveryVisibleBit) {
  makeFile(tmp / L"autorun.inf",
           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  makeDir(tmp / L"Photos", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

  ASSERT_TRUE(fs.setAttributes(path(L"autorun.inf"), attr::Normal));
  ASSERT_TRUE(fs.setAttributes(path(L"Photos"), attr::Normal));

  EXPECT_EQ(*fs.attributes(path(L"autorun.inf")) & kFlagBits, 0u);
  if (!underWine()) {
    EXPECT_EQ(*fs.attributes(path(L"autorun.inf")), attr::Normal);
  }
  EXPECT_EQ(*fs.attributes(path(L"Photos")) & (kVisibleBits | attr::Directory), attr::Directory);
}

TEST_F(Win32FsTest, ListingMaskSelectsLikeDir) {
  makeFile(tmp / L"plain.txt");
  makeFile(tmp / L"ro.txt", FILE_ATTRIBUTE_READONLY);
  makeFile(tmp / L"hidden.lnk", FILE_ATTRIBUTE_HIDDEN);
  makeFile(tmp / L"system.inf", FILE_ATTRIBUTE_SYSTEM);
  makeFile(tmp / L"both.vbs", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  makeDir(tmp / L"folder");
  makeDir(tmp / L"Photos", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

  using Names = std::set<std::string>;
  struct Case {
    uint32_t mask;
    Names names;
  } cases[] = {
      {attr::AllEntries, {"plain.txt", "ro.txt", "hidden.lnk", "system.inf", "both.vbs", "folder", "Photos"}},
      {0, {"plain.txt", "ro.txt"}},
      {attr::Hidden, {"plain.txt", "ro.txt", "hidden.lnk"}},
      {attr::Hidden | attr::System, {"plain.txt", "ro.txt", "hidden.lnk", "system.inf", "both.vbs"}},
      {attr::Directory, {"plain.txt", "ro.txt", "folder"}},
      {attr::Directory | attr::Hidden, {"plain.txt", "ro.txt", "hidden.lnk", "folder"}},
  };
  for (const Case& c : cases) EXPECT_EQ(list(c.mask), c.names) << "mask " << c.mask;
}

TEST_F(Win32FsTest, ListingNeverYieldsDotEntriesAndEndsForGood) {
  // A subfolder, unlike a drive root, has "." and "..".
  makeDir(tmp / L"sub");
  makeFile(tmp / L"sub\\only.exe");
  auto listing = fs.list(path(L"sub\\*"), attr::AllEntries);
  EXPECT_EQ(listing->next(), "only.exe");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(listing->next(), std::nullopt);

  makeDir(tmp / L"empty");
  EXPECT_EQ(list(attr::AllEntries, tmp / L"empty"), std::set<std::string>{});
  EXPECT_EQ(list(attr::AllEntries, tmp / L"missing"), std::set<std::string>{});
  EXPECT_EQ(fs.list(utf8(tmp / L"missing\\*"), attr::AllEntries)->next(), std::nullopt);
}

TEST_F(Win32FsTest, ListingOfManyEntriesYieldsEachOnce) {
  std::set<std::string> made;
  for (int i = 0; i < 600; ++i) {
    std::wstring name = L"entry-" + std::to_wstring(i) + L".lnk";
    makeFile(tmp / name);
    made.insert(utf8(name));
  }
  EXPECT_EQ(list(attr::AllEntries), made);
}

// A folder still open for a listing refuses an exclusive open.
bool folderInUse(const std::wstring& folder) {
  HANDLE h = CreateFileW(longForm(folder).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(h);
  return false;
}

TEST_F(Win32FsTest, ListingReleasesTheFolder) {
  makeDir(tmp / L"E");
  for (int i = 0; i < 3; ++i) makeFile(tmp / (L"E\\f" + std::to_wstring(i) + L".lnk"));
  ASSERT_FALSE(folderInUse(tmp / L"E"));

  // At once when the last name is out, though the listing lives on.
  auto finished = fs.list(utf8(tmp / L"E\\*"), attr::AllEntries);
  EXPECT_TRUE(finished->next());
  EXPECT_TRUE(folderInUse(tmp / L"E"));
  while (finished->next()) {
  }
  EXPECT_FALSE(folderInUse(tmp / L"E"));

  // When destroyed, if left unfinished.
  auto partial = fs.list(utf8(tmp / L"E\\*"), attr::AllEntries);
  EXPECT_TRUE(partial->next());
  EXPECT_TRUE(folderInUse(tmp / L"E"));
  partial.reset();
  EXPECT_FALSE(folderInUse(tmp / L"E"));
}

TEST_F(Win32FsTest, TrailingDotAndBlankNamesAreAddressedExactly) {
  // Each name beside the one Windows would otherwise trim it to.
  makeFile(tmp / L"report.lnk", FILE_ATTRIBUTE_READONLY);
  makeFile(tmp / L"report.lnk.");
  makeDir(tmp / L"photos ", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  makeDir(tmp / L"photos", FILE_ATTRIBUTE_HIDDEN);

  EXPECT_EQ(list(attr::AllEntries), (std::set<std::string>{"report.lnk", "report.lnk.", "photos ", "photos"}));

  // Attributes go to the listed entry, not to its trimmed neighbour.
  ASSERT_TRUE(fs.setAttributes(path(L"report.lnk."), attr::Hidden | attr::System));
  EXPECT_EQ(*fs.attributes(path(L"report.lnk.")) & kFlagBits, attr::Hidden | attr::System);
  EXPECT_EQ(rawAttributes(tmp / L"report.lnk") & kFlagBits, attr::ReadOnly);
  ASSERT_TRUE(fs.setAttributes(path(L"photos "), attr::Normal));
  EXPECT_EQ(*fs.attributes(path(L"photos ")) & kFlagBits, 0u);
  EXPECT_EQ(rawAttributes(tmp / L"photos") & kFlagBits, attr::Hidden);

  // So does the deletion.
  EXPECT_TRUE(fs.deleteFile(path(L"report.lnk.")));
  EXPECT_FALSE(fs.exists(path(L"report.lnk.")));
  EXPECT_TRUE(fs.exists(path(L"report.lnk")));
  EXPECT_TRUE(present(tmp / L"report.lnk"));
  EXPECT_TRUE(fs.exists(path(L"photos ")));
}

TEST_F(Win32FsTest, PathsOverMaxPathWork) {
  std::wstring folder = tmp.wpath();
  for (int i = 0; i < 5; ++i) {
    folder += L"\\" + std::wstring(60, static_cast<wchar_t>(L'a' + i));
    makeDir(folder);
  }
  std::wstring file = folder + L"\\setup.exe";
  ASSERT_GT(file.size(), 300u);
  makeFile(file);
  std::string p = utf8(file);

  EXPECT_TRUE(fs.exists(p));
  EXPECT_EQ(list(attr::AllEntries, folder), std::set<std::string>{"setup.exe"});
  ASSERT_TRUE(fs.setAttributes(p, attr::Hidden | attr::System | attr::ReadOnly));
  EXPECT_EQ(*fs.attributes(p) & kFlagBits, attr::Hidden | attr::System | attr::ReadOnly);
  ASSERT_TRUE(fs.setAttributes(p, attr::Normal));
  EXPECT_TRUE(fs.deleteFile(p));
  EXPECT_FALSE(fs.exists(p));
}

TEST_F(Win32FsTest, NonAsciiNamesRoundTrip) {
  const std::wstring names[] = {
      L"\u0424\u043e\u0442\u043e.lnk",     // Фото.lnk
      L"\u5199\u771f.exe",                 // 写真.exe
      L"\U0001F600 party.vbs",             // 😀 party.vbs
      L"\u00dcn\u00efc\u00f6d\u00e9.inf",  // Ünïcödé.inf
  };
  std::set<std::string> expected;
  for (const std::wstring& n : names) {
    makeFile(tmp / n, FILE_ATTRIBUTE_HIDDEN);
    expected.insert(utf8(n));
  }
  EXPECT_EQ(list(attr::AllEntries), expected);
  EXPECT_TRUE(expected.count("\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE.lnk"));

  for (const std::string& n : expected) {
    std::string p = utf8(tmp.wpath()) + "\\" + n;
    EXPECT_TRUE(fs.exists(p)) << n;
    ASSERT_TRUE(fs.setAttributes(p, attr::Normal)) << n;
    EXPECT_EQ(*fs.attributes(p) & kFlagBits, 0u) << n;
    EXPECT_TRUE(fs.deleteFile(p)) << n;
    EXPECT_FALSE(fs.exists(p)) << n;
  }
}

TEST_F(Win32FsTest, DeleteRemovesOnlyWhatItCan) {
  makeFile(tmp / L"virus.lnk");
  makeFile(tmp / L"virus.lnk.bak");
  makeFile(tmp / L"locked.exe");
  makeFile(tmp / L"readonly.vbs", FILE_ATTRIBUTE_READONLY);
  makeDir(tmp / L"backup.com");

  EXPECT_TRUE(fs.deleteFile(path(L"virus.lnk")));
  EXPECT_FALSE(fs.exists(path(L"virus.lnk")));
  EXPECT_TRUE(fs.exists(path(L"virus.lnk.bak")));

  // Open in another program without FILE_SHARE_DELETE.
  HANDLE h = CreateFileW((tmp / L"locked.exe").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(fs.deleteFile(path(L"locked.exe")));
  EXPECT_TRUE(fs.exists(path(L"locked.exe")));
  CloseHandle(h);
  EXPECT_TRUE(fs.deleteFile(path(L"locked.exe")));
  EXPECT_FALSE(fs.exists(path(L"locked.exe")));

  // Read-only needs normal attributes first, as the cleaners do.
  EXPECT_FALSE(fs.deleteFile(path(L"readonly.vbs")));
  EXPECT_TRUE(fs.exists(path(L"readonly.vbs")));
  ASSERT_TRUE(fs.setAttributes(path(L"readonly.vbs"), attr::Normal));
  EXPECT_TRUE(fs.deleteFile(path(L"readonly.vbs")));
  EXPECT_FALSE(fs.exists(path(L"readonly.vbs")));

  // Folders are never deleted as files.
  ASSERT_TRUE(fs.setAttributes(path(L"backup.com"), attr::Normal));
  EXPECT_FALSE(fs.deleteFile(path(L"backup.com")));
  EXPECT_TRUE(fs.exists(path(L"backup.com")));
}

TEST_F(Win32FsTest, DeleteAsNormalIsAttributesThenDeletionInOne) {
  struct Case {
    std::wstring name;
    bool folder;
    DWORD attributes;
    DWORD holderShare;  // another program holds it open so; 0 for none
    bool deleted;
  } cases[] = {
      {L"plain.lnk", false, 0, 0, true},
      {L"worm.lnk", false, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, 0, true},
      {L"readonly.vbs", false, FILE_ATTRIBUTE_READONLY, 0, true},
      {L"hidden.inf", false, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, 0, true},
      {L"report.lnk.", false, FILE_ATTRIBUTE_READONLY, 0, true},
      {L"backup.com", true, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, 0, false},
      {L"held.lnk", false, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, FILE_SHARE_READ | FILE_SHARE_WRITE, false},
  };
  // The neighbour Windows would trim report.lnk. to.
  makeFile(tmp / L"report.lnk", FILE_ATTRIBUTE_HIDDEN);
  for (const Case& c : cases) {
    SCOPED_TRACE(utf8(c.name));
    if (c.folder)
      makeDir(tmp / c.name, c.attributes);
    else
      makeFile(tmp / c.name, c.attributes);
    HANDLE held = INVALID_HANDLE_VALUE;
    if (c.holderShare) {
      held =
          CreateFileW(longForm(tmp / c.name).c_str(), GENERIC_READ, c.holderShare, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(held, INVALID_HANDLE_VALUE);
    }
    EXPECT_EQ(fs.deleteAsNormal(path(c.name)), c.deleted);
    EXPECT_EQ(present(tmp / c.name), !c.deleted);
    // One that stays is left as the attributes step would leave it.
    if (!c.deleted) {
      EXPECT_EQ(rawAttributes(tmp / c.name) & kFlagBits, 0u);
    }
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  }
  EXPECT_EQ(rawAttributes(tmp / L"report.lnk") & kFlagBits, attr::Hidden);
  EXPECT_FALSE(fs.deleteAsNormal(path(L"missing.lnk")));
}

TEST_F(Win32FsTest, GoneAnswersForEveryNameFromOneListing) {
  makeFile(tmp / L"kept.lnk", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  makeFile(tmp / L"Mixed.LNK");
  makeFile(tmp / L"report.lnk.");
  makeFile(tmp / L"\u0424\u043e\u0442\u043e.inf");  // Фото.inf
  makeDir(tmp / L"backup.com", FILE_ATTRIBUTE_HIDDEN);
  makeDir(tmp / L"empty");
  struct Case {
    std::string name;
    bool gone;
  } cases[] = {
      {"kept.lnk", false},
      {"mixed.lnk", false},  // letter case ignored, as Windows looks names up
      {"report.lnk", true},  // only its trailing-dot neighbour is there
      {"report.lnk.", false},
      {"\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE.INF", false},  // фото.INF
      {"backup.com", false},
      {"deleted.vbs", true},
      {"", true},
  };
  std::vector<std::string> names;
  std::vector<bool> want;
  for (const Case& c : cases) {
    names.push_back(c.name);
    want.push_back(c.gone);
  }
  const std::string folder = utf8(tmp.wpath());
  EXPECT_EQ(fs.gone(folder, names), want);
  EXPECT_EQ(fs.gone(folder + "\\", names), want);
  EXPECT_EQ(fs.gone(folder, {}), std::vector<bool>{});
  // Nothing in it: everything asked for is gone.
  EXPECT_EQ(fs.gone(path(L"empty"), {"kept.lnk", "a"}), (std::vector<bool>{true, true}));
  // A folder that cannot be listed says nothing is gone.
  EXPECT_EQ(fs.gone(path(L"missing"), {"kept.lnk", "a"}), (std::vector<bool>{false, false}));
  EXPECT_EQ(fs.gone(path(L"kept.lnk"), {"a"}), std::vector<bool>{false});
  EXPECT_EQ(fs.gone("", {"a"}), std::vector<bool>{false});
}

TEST_F(Win32FsTest, MissingPathsFailQuietly) {
  std::string p = path(L"gone.lnk");
  EXPECT_FALSE(fs.exists(p));
  EXPECT_EQ(fs.attributes(p), std::nullopt);
  EXPECT_FALSE(fs.setAttributes(p, attr::Normal));
  EXPECT_FALSE(fs.deleteFile(p));
  EXPECT_FALSE(present(tmp / L"gone.lnk"));
}

TEST_F(Win32FsTest, RelativeNamesResolveAgainstTheCurrentFolderOnly) {
  InFolder in(tmp.wpath());
  EXPECT_FALSE(fs.exists("pskill.exe"));
  makeFile(tmp / L"pskill.exe");
  EXPECT_TRUE(fs.exists("pskill.exe"));

  // cmd.exe is on the search path, yet not here.
  wchar_t found[MAX_PATH];
  ASSERT_GT(SearchPathW(nullptr, L"cmd.exe", nullptr, MAX_PATH, found, nullptr), 0u);
  EXPECT_FALSE(fs.exists("cmd.exe"));
}

TEST_F(Win32FsTest, DriveReadyOnlyForMountedDrives) {
  wchar_t windows[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 2u);
  std::string systemRoot = utf8(std::wstring(windows, 3));
  EXPECT_TRUE(fs.driveReady(systemRoot)) << systemRoot;

  DWORD drives = GetLogicalDrives();
  int unused = -1;
  for (int i = 25; i >= 2 && unused < 0; --i)
    if (!(drives & (1u << i))) unused = i;
  ASSERT_GE(unused, 0);
  std::string root = std::string(1, static_cast<char>('A' + unused)) + ":\\";
  EXPECT_FALSE(fs.driveReady(root)) << root;
}

}  // namespace
