// What the shortcuts on a drive's root run from that drive: the worm's own
// files, which the root's name rules never see (a script with an unlisted
// extension, a program in a hidden subfolder, a DLL named like a temp file).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"

namespace kestrive::rd {

// A shortcut is a few hundred bytes; a larger file is not read whole.
constexpr size_t kLinkBytesMax = 64 * 1024;

// The name is a shortcut's: it ends in ".lnk", letter case ignored.
bool isLinkName(const std::string& name);

// A name with no visible character: blanks, no-break and other spaces,
// zero-width and direction marks, the Hangul filler, the blank Braille
// pattern. Empty is no such name.
bool isBlankName(const std::string& name);

// Collects the payloads of the root's shortcuts during the scan's walk,
// judged by the attributes the root's entries had before the walk changed them. A payload is a file on the device that
// a shortcut runs: its target when that is a program or script and was itself hidden or system; a file it hands to
// cmd's start as a program, to a script host, mshta, rundll32, regsvr32 or PowerShell, which was hidden or system or
// lies in a folder that was. A visible program, a document, a folder, the item a shortcut is named after, a file
// elsewhere, one reached through a link or junction, Windows' own root names and our own program never are.
class PayloadFinder {
 public:
  PayloadFinder(FileSystem& fs, std::string root, std::string ownProgram);
  // A root entry as the walk's listing gave it, before the walk changes it.
  void noteEntry(const std::string& name, std::optional<uint32_t> attributes);
  // One root shortcut's bytes, by its bare name; unreadable (nullopt) or
  // malformed ones add nothing.
  void addLink(const std::string& linkName, const std::optional<std::vector<uint8_t>>& bytes);
  // Once the walk is done: paths relative to the root ("~$WQHGV.FAT32",
  // "RECYCLER\S-1\x.exe"), in the order the shortcuts named them, each once.
  std::vector<std::string> payloads();

 private:
  // The root-relative path a shortcut's text names on this device; nullopt
  // for anything else (another drive, a share, an unknown variable, "..").
  std::optional<std::string> onDevice(const std::string& text, const std::optional<std::string>& base) const;
  // itselfHidden: only the file's own attributes count, not its folders'.
  bool isPayload(const std::string& relative, bool itselfHidden);
  // An entry's attributes before the scan: as listed for a root entry the
  // walk may have changed, as they are now below the root.
  std::optional<uint32_t> attributesBefore(const std::string& relative, bool atRoot);
  FileSystem& fs_;
  std::string root_;
  std::string own_;
  struct Candidate {
    std::string relative;
    bool itselfHidden;
  };
  std::vector<Candidate> candidates_;
  std::map<std::string, bool> judged_;  // by lower-cased relative path
  // Root entries listed hidden, system, as folders or links elsewhere, by
  // lower-cased name; any other listed entry was a plain visible file.
  std::unordered_map<std::string, uint32_t> rootAttributes_;
};

// The same check at delete time: the payload is still a file whose folders
// below the root are real folders, not links elsewhere put there since the scan.
bool stillOnDevice(FileSystem& fs, const std::string& root, const std::string& relative);

}  // namespace kestrive::rd
