#include "computer/cleaner.h"

#include <cstdint>
#include <memory>

#include "platform/text.h"

namespace kestrive {

std::string GetProfileFolder(Platform& p) { return TrimAtNul(p.env.profileFolder()); }

std::vector<std::string> ListExecutableNames(Platform& p) {
  std::vector<std::string> names;
  std::string folder = GetProfileFolder(p);
  if (folder.empty()) return names;
  std::unique_ptr<DirListing> listing = p.fs.list(folder + "\\*", attr::AllEntries);
  if (!listing) return names;
  while (std::optional<std::string> name = listing->next())
    if (contains(lower(*name), ".exe")) names.push_back(*name);
  return names;
}

bool RegKeyExists(Platform& p, uint32_t root, const std::string& path) {
  HKey key = 0;
  p.reg.openKey(root, path, &key);
  if (key == 0) return false;
  p.reg.closeKey(key);
  return true;
}

void DeleteRegValue(Platform& p, uint32_t root, const std::string& path, const std::string& name) {
  if (!RegKeyExists(p, root, path)) return;
  HKey key = 0;
  p.reg.openKey(root, path, &key);
  if (key == 0) return;
  p.reg.deleteValue(key, name);
  p.reg.closeKey(key);
}

}  // namespace kestrive
