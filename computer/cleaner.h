// The computer cleaner's procedures below the window: the profile folder
// and its executables, wildcard matching of names in Run data, ending
// processes through the termination tool, waiting, and the registry tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kestrive {

// The current user's start-up key; the only one the cleaner scans.
inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Query, set, create subkey, enumerate, notify, create link.
inline constexpr uint32_t kRunKeyAccess = 0x3F;
// Shown in place of the key's unnamed value.
inline constexpr const char* kDefaultValueLabel = "[Default]";
// Looked for in the working directory only.
inline constexpr const char* kToolName = "pskill.exe";
inline constexpr const char* kToolCommand = "cmd /c pskill ";

// The retry of a deletion while the file still exists is bounded: a file in
// a protected folder, or held by a process of another name, never goes, and
// the loop must not hang the window. It does not yield, so the bound is
// small: at most this many attempts, and no longer than this many ms.
inline constexpr int kDeleteRetryAttempts = 50;
inline constexpr uint32_t kDeleteRetryMs = 5000;

// The profile folder without a trailing "\", or "" when it can't be told.
std::string GetProfileFolder(Platform& p);

// The names in the profile folder whose lower case contains ".exe", files
// and folders alike, in listing order. Nothing when the folder is unknown:
// the listing would otherwise fall back to the root of the current drive.
std::vector<std::string> ListExecutableNames(Platform& p);

// Wildcard pattern with the rules of VB's Like: ? any one character, * any
// run, # one digit, [list] and [!list] with ranges such as a-z. Characters
// are Unicode code points of UTF-8 text, so names outside the 8-bit code
// page match like any other. Case matters.
class LikePattern {
 public:
  // nullopt for a malformed pattern (an unclosed "[", a range running down).
  static std::optional<LikePattern> compile(const std::string& pattern);
  // The 1-based position at or after start in text where the pattern
  // matches the beginning of the rest, or 0.
  int find(const std::u32string& text, int start) const;

 private:
  struct Token {
    enum class Kind { Star, Any, Digit, Char, Set } kind;
    char32_t c = 0;
    bool negate = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;
    bool matches(char32_t x) const;
  };
  // Does text from `at` match tokens from `first` on, to the end?
  bool like(const std::u32string& text, size_t at, size_t first) const;
  std::vector<Token> tokens_;
  size_t head_ = 0;  // tokens before the first star
  size_t end_ = 0;   // one past the last token that is not a star
};

std::u32string DecodeUtf8(const std::string& text);

inline constexpr int kInvalidPattern = -1;
// The 1-based position in text, counted from its first character, of the
// first place at or after start where the pattern matches; 0 for none;
// kInvalidPattern when the pattern is malformed.
int FindPattern(const std::string& text, const std::string& pattern, int start);

// Hands the first running process of that executable name (whole name,
// any case) to the termination tool; no result.
void EndProcessByName(Platform& p, const std::string& name);

// Lets window events run until ms have passed. Elapsed time is taken by
// unsigned subtraction, so a wrap of the tick counter does not lengthen it.
void WaitMilliseconds(Platform& p, uint32_t ms);

// While the path exists: normal attributes, delete, and end the named
// process again (bounded, see kDeleteRetryAttempts). True when it is gone.
bool RetryDeleteWhileExists(Platform& p, const std::string& path, const std::string& processName);

bool RegKeyExists(Platform& p, uint32_t root, const std::string& path);
// Removes one value when its key exists; statuses are not reported.
void DeleteRegValue(Platform& p, uint32_t root, const std::string& path, const std::string& name);

// The tool's presence in the working directory.
bool ToolPresent(Platform& p);

}  // namespace kestrive
