// The folder with no visible name that the worm moves the user's files into,
// and moving them back to the root.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace kestrive::rd {

inline const char* const RestoreQuestionPrefix =
    "The virus moved your files into a folder without a name. Move them back to ";
inline const char* const RestoreQuestionSuffix = " now?";

// The root's real folders (no link or junction) among names whose names have
// no visible character.
std::vector<std::string> BlankFolders(FileSystem& fs, const std::string& root, const std::vector<std::string>& names);

struct RestoreResult {
  int moved = 0;
  std::vector<std::string> clashed;  // the root already holds an entry of that name
  std::vector<std::string> failed;   // could not be moved (in use, drive pulled out)
  bool unreadable = false;           // a folder could not be listed to its end
  bool whole() const { return clashed.empty() && failed.empty() && !unreadable; }
};

// Moves every entry of each folder to the root by renaming on the same
// volume, never replacing a root entry; clears hidden and system on what
// moved; removes a folder left empty. Nothing is copied or deleted, so a
// drive pulled out part-way loses nothing.
RestoreResult MoveBack(FileSystem& fs, const std::string& root, const std::vector<std::string>& folders);

// The one message telling the result; its kind is an error when something stayed.
std::string RestoreReport(const RestoreResult& result, const std::string& root);

}  // namespace kestrive::rd
