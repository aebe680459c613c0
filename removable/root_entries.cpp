#include "removable/root_entries.h"

#include <unordered_set>

#include "platform/text.h"

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

}  // namespace kestrive::rd
