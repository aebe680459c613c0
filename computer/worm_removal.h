// Removing what FindWorms found: the processes running a worm's file (its
// image, or a script host running it), the file and its copies in the other
// drop folders, and the start-up entry, in its own place only.
#pragma once

#include <string>
#include <vector>

#include "computer/startup_places.h"
#include "platform/platform.h"

namespace kestrive {

// Copies are compared whole; a file larger than this is no copy of a worm.
inline constexpr size_t kMaxCopyBytes = 64u << 20;

// The files of the same name and the same content as file in the other
// drop folders.
std::vector<std::string> CopiesOf(Platform& p, const DropFolders& drops, const std::string& file);

// Hands to the termination tool every process that runs one of the files:
// its image is the file, or it is a script host or interpreter whose own
// command line hands it the file by its full path. A host running another
// script, our own process and the tool are never handed over. Returns how
// many processes were handed over.
int EndProcessesRunning(Platform& p, const std::vector<std::string>& files);

// Normal attributes and delete, and while the file stays, end what runs it
// again, within the bounds of the retry (kDeleteRetryAttempts). True when it is gone.
bool DeleteWormFile(Platform& p, const std::string& path);

// Removes the value from its key in its view (nothing else, no other
// place), or the Startup folder's entry.
void RemoveStartupEntry(Platform& p, const Finding& finding);

// The finding's entry is there: its value in its place, or its Startup entry.
bool StartupEntryPresent(Platform& p, const Finding& finding);

}  // namespace kestrive
