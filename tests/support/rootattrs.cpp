// Benchmark helper: sets or counts the attributes of every entry directly in
// a folder, all in one process, so that a root of tens of thousands of
// entries is prepared in seconds instead of one Windows call per kauto line.
//
//   rootattrs set <folder> <attributes> [<fragment>:<attributes> ...]
//       every entry gets <attributes>, except a name that contains one of the
//       fragments (letter case ignored; the first that matches wins)
//   rootattrs count <folder>
//       how many entries there are, and how many are read-only, hidden, system
//
// Both also print how long the walk took. For "set" that is one listing and
// one SetFileAttributesW per entry: the least that any tool which unhides
// the root has to spend on it.
#include <windows.h>

#include <cstdio>
#include <cwctype>
#include <string>
#include <vector>

#include "tests/support/win_text.h"

namespace {

using kestrive::test_support::longForm;

struct Rule {
  std::wstring fragment;  // lower case
  DWORD attributes;
};

std::wstring lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}

bool number(const std::wstring& s, DWORD* out) {
  if (s.empty()) return false;
  wchar_t* end = nullptr;
  unsigned long v = std::wcstoul(s.c_str(), &end, 10);
  if (*end != L'\0') return false;
  *out = static_cast<DWORD>(v);
  return true;
}

double nowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Calls fn with the long-path form of each entry and its find data; false
// when the folder cannot be listed.
template <class F>
bool forEachEntry(const std::wstring& folder, F fn) {
  std::wstring base = longForm(folder);
  if (base.back() != L'\\') base += L'\\';
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileExW((base + L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return false;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    fn(base + name, name, data);
  } while (FindNextFileW(h, &data));
  FindClose(h);
  return true;
}

int usage() {
  fwprintf(stderr,
           L"usage: rootattrs set <folder> <attributes> [<fragment>:<attributes> ...]\n"
           L"       rootattrs count <folder>\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return usage();
  const std::wstring verb = argv[1];
  const std::wstring folder = argv[2];
  const double start = nowMs();

  if (verb == L"count" && argc == 3) {
    long entries = 0, readOnly = 0, hidden = 0, system = 0;
    bool listed = forEachEntry(folder, [&](const std::wstring&, const std::wstring&, const WIN32_FIND_DATAW& d) {
      ++entries;
      readOnly += (d.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 1 : 0;
      hidden += (d.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) ? 1 : 0;
      system += (d.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) ? 1 : 0;
    });
    if (!listed) {
      fwprintf(stderr, L"rootattrs: cannot list %ls\n", folder.c_str());
      return 1;
    }
    wprintf(L"%ld entries, %ld read-only, %ld hidden, %ld system (%.0f ms)\n", entries, readOnly, hidden, system,
            nowMs() - start);
    return 0;
  }

  if (verb != L"set" || argc < 4) return usage();
  DWORD all = 0;
  if (!number(argv[3], &all)) return usage();
  std::vector<Rule> rules;
  for (int i = 4; i < argc; ++i) {
    std::wstring arg = argv[i];
    size_t colon = arg.rfind(L':');
    Rule rule;
    if (colon == std::wstring::npos || colon == 0 || !number(arg.substr(colon + 1), &rule.attributes)) return usage();
    rule.fragment = lower(arg.substr(0, colon));
    rules.push_back(rule);
  }
  long entries = 0, failed = 0;
  bool listed = forEachEntry(folder, [&](const std::wstring& path, const std::wstring& name, const WIN32_FIND_DATAW&) {
    DWORD attributes = all;
    if (!rules.empty()) {
      const std::wstring low = lower(name);
      for (const Rule& r : rules)
        if (low.find(r.fragment) != std::wstring::npos) {
          attributes = r.attributes;
          break;
        }
    }
    ++entries;
    if (!SetFileAttributesW(path.c_str(), attributes)) ++failed;
  });
  if (!listed) {
    fwprintf(stderr, L"rootattrs: cannot list %ls\n", folder.c_str());
    return 1;
  }
  wprintf(L"set %ld entries, %ld failed (%.0f ms)\n", entries, failed, nowMs() - start);
  return failed == 0 ? 0 : 1;
}
