// Where today's worms start from and where they lie: every start-up key of
// the user and of the machine (both registry views), the user's Startup
// folder, and the folders a worm copies itself into. Which entries of those
// places start a copy lying in such a folder, kept as data: the line lst_V
// shows is made from a finding and never taken apart again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kestrive {

inline constexpr const char* kRunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr const char* kPolicyRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
inline constexpr const char* kStartupFolderLabel = "Startup folder";
// Read only (KEY_READ): the machine's keys open so without administrator rights.
inline constexpr uint32_t kKeyRead = 0x20019;
// Query value (KEY_QUERY_VALUE).
inline constexpr uint32_t kKeyQueryValue = 0x0001;
// A link larger than this is no shortcut Windows wrote; it is not read.
inline constexpr size_t kMaxLinkBytes = 1 << 20;

// One start-up key in one registry view.
struct RunPlace {
  uint32_t root = HKCU;
  std::string key;
  uint32_t view = regview::Native;
  // "HKLM\Software\...\Run (32-bit)": what the fourth field of a line shows.
  std::string label;
  bool operator==(const RunPlace&) const = default;
};

// The current user's Run key, whose lines keep their three fields.
bool IsProfileRunKey(const RunPlace& place);

// Every start-up key in scan order: the user's Run, RunOnce and the policy's
// Run, then the machine's three in the system's view and, on 64-bit
// Windows, in the 32-bit view.
std::vector<RunPlace> RunPlaces(Platform& p);

// The folders a worm drops its copies in, each looked at on its top level
// only: the profile folder, %APPDATA%, %LOCALAPPDATA% and %TEMP% of our own
// environment, and the user's Startup folder. A program one folder further
// down (an app installed per user) is never in one of them.
struct DropFolders {
  std::vector<std::string> folders;  // normalised, no trailing "\", no repeats
  std::string startup;               // normalised; "" when unknown
  // The path names an entry lying directly in one of the folders.
  bool holds(const std::string& path) const;
};
DropFolders GetDropFolders(Platform& p);

// What the scan found, as data.
struct Finding {
  enum class Kind {
    ProfileRun,  // the profile executable named by the user's Run key, as the three-field line always was
    Value,       // a start-up value starting a file of a drop folder
    Startup,     // an entry of the Startup folder: a program or script, or a link starting one
  };
  Kind kind = Kind::Value;
  std::string line;  // as lst_V shows it
  std::string file;  // the worm's file, full path; "" when the line names none
  // Value (and ProfileRun): where the value is and its real name.
  RunPlace place;
  std::string valueName, data;
  // The same value (name, data) in the other registry view: one line, and
  // Delete removes it from both.
  std::vector<RunPlace> twins;
  // Startup: the folder's entry; the same as file unless it is a link.
  std::string entry;
};

// Windows runs the file as code: a program or script by its extension, or a
// library or script a host is handed (dll, ocx, cpl, ps1, sct).
bool RunsAsCode(const std::string& path);

// The findings of every start-up place: entries whose program is a program
// lying in a drop folder, or whose script host or interpreter is handed a
// file lying in one, and the programs and scripts in the Startup folder
// itself. Values are read in full, nothing is run or resolved by the shell.
std::vector<Finding> FindWorms(Platform& p, const DropFolders& drops);

}  // namespace kestrive
