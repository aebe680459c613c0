// What the removable-storage cleaner looks for in a drive's root directory,
// and the one way it walks that directory.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/window.h"

namespace kestrive::rd {

// Extensions the shortcut virus leaves behind; a name holding any of them,
// anywhere, is suspect.
inline const std::array<std::string, 8> VirusMarkers = {".bat", ".lnk", ".inf", ".scr", ".vbs", ".com", ".pif", ".cmd"};
inline const std::string ExecutableMarker = ".exe";
// Windows' own root entries, which must stay hidden and system.
inline const std::array<std::string, 6> ProtectedNames = {"$RECYCLE.BIN", "desktop.ini", "Folder Settings",
                                                          "RECYCLER",     "Config.Msi",  "System Volume Information"};

enum class Verdict { Executable, OwnProgram, Virus, Protected, Other };

// Kestrive's own executable name as it would appear on a drive.
std::string ownProgramName(Env& env);

// Letter case is ignored by all of these.
bool hasExecutableMarker(const std::string& name);
bool hasVirusMarker(const std::string& name);
bool isProtectedName(const std::string& name);

// The scan's rules, first match wins: ".exe", then the virus markers, then the
// protected names.
Verdict classify(const std::string& name, const std::string& ownProgram);

// Calls fn with each bare name of the root (hidden and system ones included),
// in listing order. An empty root lists nothing: the pattern would otherwise
// name the working folder. A listing that starts repeating itself, or yields
// an empty name, has failed and ends the walk, so no name is treated twice.
// False when the root could not be listed at all (no such drive, no medium).
bool forEachRootName(FileSystem& fs, const std::string& root, const std::function<void(const std::string&)>& fn);
// The same walk, with the attributes the listing gave each name (nullopt
// when it gives none).
bool forEachRootEntry(FileSystem& fs, const std::string& root,
                      const std::function<void(const std::string&, std::optional<uint32_t>)>& fn);

// What the window that deletes a list's entries decides: the root the
// names are deleted from now ("" stops: the device went, or another was
// chosen), and what is said of a path that stayed, which answers whether
// to go on (false once the window has gone).
struct EntryDeletion {
  std::function<std::string()> rootNow;
  std::function<bool(const std::string& path)> cannotDelete;
};

// Deletes the marked entries of a list (every one with `all`) from the
// root, last first, each with normal attributes first so that read-only,
// hidden and system ones go too. Only a name seen gone counts as deleted:
// it leaves the list, and one that stayed is told of and stays. The list
// may change while a message is up; the walk goes on from where it stands.
void DeleteEntries(FileSystem& fs, std::vector<Item>& items, bool all, const EntryDeletion& how);

}  // namespace kestrive::rd
