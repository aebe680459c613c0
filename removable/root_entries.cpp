#include "removable/root_entries.h"

#include <unordered_set>

#include "platform/text.h"
#include "removable/payloads.h"

namespace kestrive::rd {

std::string ownProgramName(Env& env) { return env.exeBaseName() + ExecutableMarker; }

bool hasExecutableMarker(const std::string& name) { return containsNoCase(name, ExecutableMarker); }

bool hasVirusMarker(const std::string& name) {
  const std::string low = lower(name);
  for (const std::string& marker : VirusMarkers)
    if (contains(low, marker)) return true;
  return false;
}

bool isProtectedName(const std::string& name) {
  for (const std::string& protectedName : ProtectedNames)
    if (equalsNoCase(name, protectedName)) return true;
  return false;
}

Verdict classify(const std::string& name, const std::string& ownProgram) {
  if (hasExecutableMarker(name)) return equalsNoCase(name, ownProgram) ? Verdict::OwnProgram : Verdict::Executable;
  if (hasVirusMarker(name)) return Verdict::Virus;
  if (isProtectedName(name)) return Verdict::Protected;
  return Verdict::Other;
}

bool forEachRootName(FileSystem& fs, const std::string& root, const std::function<void(const std::string&)>& fn) {
  return forEachRootEntry(fs, root, [&](const std::string& name, std::optional<uint32_t>) { fn(name); });
}

bool forEachRootEntry(FileSystem& fs, const std::string& root,
                      const std::function<void(const std::string&, std::optional<uint32_t>)>& fn) {
  if (root.empty()) return false;
  std::unique_ptr<DirListing> listing = fs.list(root + "*", attr::AllEntries);
  if (!listing) return false;
  // One folder never holds the same name twice.
  std::unordered_set<std::string> seen;
  while (std::optional<std::string> name = listing->next()) {
    if (name->empty() || !seen.insert(*name).second) break;
    fn(*name, listing->attributes());
  }
  return true;
}

void DeleteEntries(FileSystem& fs, std::vector<Item>& items, bool all, const EntryDeletion& how) {
  // Entries whose delete call succeeded, highest index first, not yet seen
  // gone. One listing judges them together, before any box and at the end:
  // looking up each missing name alone costs a walk of the whole root under
  // Wine, which made the deletion grow with the square of the list. No box
  // comes between their deletion and the listing, so the indices hold.
  std::vector<int> deleted;
  std::string deletedRoot;
  auto judgeDeleted = [&]() {
    if (deleted.empty()) return true;
    std::vector<std::string> names;
    for (int i : deleted) names.push_back(items[i].text);
    // Root names by one listing of the root; a payload below the root by a
    // listing of its own folder, as the root's listing cannot see it.
    std::vector<std::string> rootNames;
    std::vector<size_t> atRoot;
    std::vector<bool> gone(names.size(), false);
    for (size_t k = 0; k < names.size(); ++k) {
      const size_t slash = names[k].rfind('\\');
      if (slash == std::string::npos) {
        atRoot.push_back(k);
        rootNames.push_back(names[k]);
      } else {
        gone[k] = fs.gone(deletedRoot + names[k].substr(0, slash), {names[k].substr(slash + 1)})[0];
      }
    }
    if (!rootNames.empty()) {
      const std::vector<bool> rootGone = fs.gone(deletedRoot, rootNames);
      for (size_t j = 0; j < atRoot.size(); ++j) gone[atRoot[j]] = rootGone[j];
    }
    // On a drive pulled out every path is gone and nothing was deleted.
    if (!fs.driveReady(deletedRoot)) gone.assign(gone.size(), false);
    std::vector<bool> drop(items.size(), false);
    std::vector<std::string> left;
    for (size_t k = 0; k < deleted.size(); ++k) {
      if (gone[k])
        drop[deleted[k]] = true;
      else
        left.push_back(deletedRoot + names[k]);
    }
    deleted.clear();
    size_t kept = 0;
    for (size_t i = 0; i < items.size(); ++i)
      if (!drop[i]) {
        if (kept != i) items[kept] = std::move(items[i]);
        ++kept;
      }
    items.resize(kept);
    for (const std::string& path : left)
      if (!how.cannotDelete(path)) return false;
    return true;
  };
  // From the last entry down, so removing one never moves one still to visit.
  for (int i = static_cast<int>(items.size()) - 1; i >= 0; --i) {
    // The list may have changed while an earlier box was open.
    const int count = static_cast<int>(items.size());
    if (i >= count) {
      i = count;
      continue;
    }
    if (!all && !items[i].marked) continue;
    const std::string root = how.rootNow();
    if (root.empty()) return;
    const std::string name = items[i].text;
    const std::string path = root + name;
    // A folder on a payload's way that became a link elsewhere since the scan
    // would lead the deletion off the device.
    if (name.find('\\') != std::string::npos && !stillOnDevice(fs, root, name)) {
      if (!judgeDeleted() || !how.cannotDelete(path)) return;
      continue;
    }
    // Normal attributes first, so that read-only, hidden and system entries
    // go too. Only a path that is gone counts as deleted, whatever the call said.
    if (fs.deleteAsNormal(path)) {
      deletedRoot = root;
      deleted.push_back(i);
      continue;
    }
    // Boxes come in the walk's order: those of the entries above first.
    if (!judgeDeleted()) return;
    // On a drive pulled out every path is gone and nothing was deleted.
    if (fs.exists(path) || !fs.driveReady(root)) {
      if (!how.cannotDelete(path)) return;
    } else if (i < static_cast<int>(items.size()) && items[i].text == name) {
      items.erase(items.begin() + i);
    }
  }
  judgeDeleted();
}

}  // namespace kestrive::rd
