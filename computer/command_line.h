// How Windows reads the data of a Run value: which program it starts, and
// which file a path names. The data is written by whoever wrote the value,
// the worm included, so nothing here trusts its form.
#pragma once

#include <string>

namespace kestrive {

// The program a command line starts, as Windows takes it: the first token in
// quotes (the rest of the text when the quote is not closed), or, unquoted,
// the text up to and including the first ".exe" (any case) that ends a
// token. "" when there is none. Leading blanks are passed over.
std::string ExecutableOfCommand(const std::string& commandLine);

// The absolute path in the form Windows resolves it to: "/" as "\",
// repeated separators as one, "." and ".." taken out, trailing dots and
// blanks of each part dropped. "" for anything that is not an absolute drive
// path ("E:\...") or share path ("\\server\share\..."): a relative path
// would be looked up in our own working folder.
std::string NormalizeWinPath(const std::string& path);

// The last part of a path, after its last "\".
std::string FileNameOf(const std::string& path);

// Both name the same file: equal once normalised, ignoring letter case.
bool SameFilePath(const std::string& a, const std::string& b);

}  // namespace kestrive
