// The computer cleaner's procedures on the profile folder and the registry:
// the folder and its executables, the key test and the value removal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kestrive {

// The profile folder without a trailing "\", or "" when it can't be told.
std::string GetProfileFolder(Platform& p);

// The names in the profile folder whose lower case contains ".exe", files
// and folders alike, in listing order. Nothing when the folder is unknown:
// the listing would otherwise fall back to the root of the current drive.
std::vector<std::string> ListExecutableNames(Platform& p);

bool RegKeyExists(Platform& p, uint32_t root, const std::string& path);
// Removes one value when its key exists; statuses are not reported.
void DeleteRegValue(Platform& p, uint32_t root, const std::string& path, const std::string& name);

}  // namespace kestrive
