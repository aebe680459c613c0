// The built kestrive.exe (copied beside the tests) as its file properties show
// it: the version resource, the icon, and the manifest that asks for the
// common controls and for DPI awareness.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/win32/os.h"
#include "platform/win32/resource.h"
#include "shell/texts.h"
#include "tests/wine/wine_support.h"

using namespace kestrive;
using namespace kestrive::wine_test;

namespace {

class ProductFile : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = exeDir() + L"\\kestrive.exe";
    ASSERT_NE(GetFileAttributesW(path_.c_str()), INVALID_FILE_ATTRIBUTES) << "no kestrive.exe beside the tests";
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path_.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource";
    info_.resize(size);
    ASSERT_TRUE(GetFileVersionInfoW(path_.c_str(), 0, size, info_.data()));
    module_ = LoadLibraryExW(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }

  // A text of the version resource in the block the properties read.
  std::string versionText(const std::wstring& name) {
    void* p = nullptr;
    UINT n = 0;
    std::wstring key = L"\\StringFileInfo\\040904B0\\" + name;
    if (!VerQueryValueW(info_.data(), key.c_str(), &p, &n) || !p) return "(missing)";
    return win32::narrow(static_cast<const wchar_t*>(p));
  }

  std::string resourceText(const wchar_t* type, const wchar_t* name) {
    HRSRC r = FindResourceW(module_, name, type);
    if (!r) return {};
    HGLOBAL g = LoadResource(module_, r);
    return std::string(static_cast<const char*>(LockResource(g)), SizeofResource(module_, r));
  }

  std::wstring path_;
  std::vector<BYTE> info_;
  HMODULE module_ = nullptr;
};

TEST_F(ProductFile, FixedVersionIsThreePointZeroOfAnApplication) {
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT n = 0;
  ASSERT_TRUE(VerQueryValueW(info_.data(), L"\\", reinterpret_cast<void**>(&fixed), &n));
  ASSERT_GE(n, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 3));
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 3));
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask & (VS_FF_DEBUG | VS_FF_PRERELEASE), 0u);
}

TEST_F(ProductFile, PropertiesNameTheProductItsVersionAndMaker) {
  struct {
    WORD language, codePage;
  }* translation = nullptr;
  UINT n = 0;
  ASSERT_TRUE(VerQueryValueW(info_.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &n));
  ASSERT_GE(n, 4u);
  // The texts are looked up by this language and code page.
  EXPECT_EQ(translation->language, 0x0409);
  EXPECT_EQ(translation->codePage, 1200);

  const struct {
    const wchar_t* name;
    std::string value;
  } exact[] = {
      {L"ProductName", app_name},       {L"FileVersion", app_version},
      {L"ProductVersion", app_version}, {L"OriginalFilename", "kestrive.exe"},
      {L"InternalName", "kestrive"},
  };
  for (const auto& e : exact) EXPECT_EQ(versionText(e.name), e.value) << win32::narrow(e.name);
  for (const wchar_t* name : {L"FileDescription", L"CompanyName", L"LegalCopyright"}) {
    std::string v = versionText(name);
    EXPECT_NE(v, "(missing)") << win32::narrow(name);
    EXPECT_FALSE(v.empty()) << win32::narrow(name);
  }
  EXPECT_NE(versionText(L"FileDescription").find(app_name), std::string::npos);
}

TEST_F(ProductFile, IconTheShellShowsComesInEverySize) {
  // The shell shows the first icon group of the file.
  std::vector<ULONG_PTR> groups;
  EnumResourceNamesW(
      module_, RT_GROUP_ICON,
      [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR out) CALLBACK -> BOOL {
        reinterpret_cast<std::vector<ULONG_PTR>*>(out)->push_back(reinterpret_cast<ULONG_PTR>(name));
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&groups));
  ASSERT_FALSE(groups.empty());
  EXPECT_EQ(groups.front(), static_cast<ULONG_PTR>(IDI_KESTRIVE));

  std::string dir = resourceText(RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_KESTRIVE));
  ASSERT_GE(dir.size(), 6u);
  const auto* bytes = reinterpret_cast<const BYTE*>(dir.data());
  const int count = bytes[4] | (bytes[5] << 8);
  ASSERT_EQ(dir.size(), 6u + 14u * count);
  std::set<int> sizes;
  for (int i = 0; i < count; ++i) sizes.insert(bytes[6 + 14 * i] == 0 ? 256 : bytes[6 + 14 * i]);
  for (int size : {16, 32, 48}) EXPECT_TRUE(sizes.count(size)) << size << " pixels";

  EXPECT_GE(ExtractIconExW(path_.c_str(), -1, nullptr, nullptr, 0), 1u);
  HICON large = nullptr, small = nullptr;
  ASSERT_EQ(ExtractIconExW(path_.c_str(), 0, &large, &small, 1), 2u);
  for (auto [icon, metric] : {std::pair{large, SM_CXICON}, std::pair{small, SM_CXSMICON}}) {
    ASSERT_NE(icon, nullptr);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(icon, &ii));
    BITMAP bm{};
    GetObjectW(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, GetSystemMetrics(metric));
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    DestroyIcon(icon);
  }
}

TEST_F(ProductFile, ManifestAsksForCommonControlsSixAndDpiAwareness) {
  std::string manifest = resourceText(MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1));
  ASSERT_FALSE(manifest.empty());
  for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                           "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
                           "level=\"asInvoker\""})
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  // The exe's own processor (this test is of the same build): Windows does
  // not start an exe whose manifest names another.
  const char* own = sizeof(void*) == 8 ? "name=\"Kestrive\" version=\"3.0.0.0\" processorArchitecture=\"amd64\""
                                       : "name=\"Kestrive\" version=\"3.0.0.0\" processorArchitecture=\"x86\"";
  EXPECT_NE(manifest.find(own), std::string::npos) << own;
}

}  // namespace
