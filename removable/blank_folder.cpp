#include "removable/blank_folder.h"

#include <memory>

#include "removable/payloads.h"

namespace kestrive::rd {

std::vector<std::string> BlankFolders(FileSystem& fs, const std::string& root, const std::vector<std::string>& names) {
  std::vector<std::string> out;
  for (const std::string& name : names) {
    if (!isBlankName(name)) continue;
    const std::optional<uint32_t> a = fs.attributes(root + name);
    if (a && (*a & attr::Directory) && !(*a & attr::ReparsePoint)) out.push_back(name);
  }
  return out;
}

RestoreResult MoveBack(FileSystem& fs, const std::string& root, const std::vector<std::string>& folders) {
  RestoreResult result;
  for (const std::string& folder : folders) {
    const std::string from = root + folder + "\\";
    // The whole listing first: moving entries out while listing could skip some.
    std::vector<std::string> names;
    if (std::unique_ptr<DirListing> listing = fs.list(from + "*", attr::AllEntries))
      while (std::optional<std::string> name = listing->next()) {
        if (name->empty()) break;
        names.push_back(*name);
      }
    // A listing cut short by a drive pulled out yields no more names: what
    // it did not name is still there.
    if (!fs.driveReady(root)) result.unreadable = true;
    for (const std::string& name : names) {
      const std::string to = root + name;
      if (fs.moveNoReplace(from + name, to)) {
        ++result.moved;
        if (const std::optional<uint32_t> a = fs.attributes(to)) {
          const uint32_t kept = *a & (attr::ReadOnly | attr::Archive);
          if (*a & (attr::Hidden | attr::System)) fs.setAttributes(to, kept ? kept : attr::Normal);
        }
      } else if (fs.exists(to) && fs.exists(from + name)) {
        result.clashed.push_back(name);
      } else {
        result.failed.push_back(name);
      }
    }
    // Only an empty folder goes; the system refuses any other.
    if (result.whole()) fs.removeEmptyFolder(root + folder);
  }
  return result;
}

namespace {

std::string nameList(const std::vector<std::string>& names) {
  constexpr size_t kShown = 30;  // a box taller than the screen shows nothing
  std::string out;
  for (size_t i = 0; i < names.size() && i < kShown; ++i) out += (i ? ", " : "") + names[i];
  if (names.size() > kShown) out += " and " + std::to_string(names.size() - kShown) + " more";
  return out;
}

}  // namespace

std::string RestoreReport(const RestoreResult& result, const std::string& root) {
  std::string text =
      "Moved " + std::to_string(result.moved) + (result.moved == 1 ? " entry" : " entries") + " back to " + root + ".";
  if (!result.clashed.empty())
    text += "\n\nThese stay in the folder without a name, as " + root +
            " already holds an entry of the same name: " + nameList(result.clashed) + ".";
  if (!result.failed.empty())
    text += "\n\nThese could not be moved and stay in the folder without a name: " + nameList(result.failed) + ".";
  if (result.unreadable)
    text += "\n\nThe folder without a name could not be read to its end. Check that the device is still plugged in.";
  return text;
}

}  // namespace kestrive::rd
