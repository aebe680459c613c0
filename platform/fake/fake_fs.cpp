#include "platform/fake/fake_fs.h"

#include <algorithm>
#include <stdexcept>

#include "platform/text.h"

namespace kestrive::fake {

std::string FakeFs::key(const std::string& path) {
  std::string k = lower(path);
  // "E:\" stays as it is; any other trailing "\" goes.
  while (k.size() > 3 && k.back() == '\\') k.pop_back();
  return k;
}

std::string FakeFs::parentOf(const std::string& path) {
  std::string k = key(path);
  size_t at = k.rfind('\\');
  if (at == std::string::npos) return {};
  if (at == 2) return k.substr(0, 3);  // "e:\"
  return k.substr(0, at);
}

std::string FakeFs::driveOf(const std::string& path) { return lower(path.substr(0, std::min<size_t>(3, path.size()))); }

std::string FakeFs::resolve(const std::string& path) const {
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return path;
  return cwd + "\\" + path;
}

FakeFs::Entry* FakeFs::findEntry(const std::string& path) {
  auto it = entries_.find(key(resolve(path)));
  return it == entries_.end() ? nullptr : &it->second;
}
const FakeFs::Entry* FakeFs::findEntry(const std::string& path) const {
  return const_cast<FakeFs*>(this)->findEntry(path);
}

void FakeFs::addDrive(const std::string& root) { drives_.insert(lower(root)); }

bool FakeFs::writable(const std::string& drive) const { return !readOnly_.count(drive) && !notReady_.count(drive); }

bool FakeFs::listable(const std::string& folder) const {
  const std::string drive = driveOf(folder);
  if (folder.size() < 3 || !drives_.count(drive) || notReady_.count(drive)) return false;
  return key(folder).size() <= 3 || findEntry(folder);
}

std::vector<const FakeFs::Entry*> FakeFs::childrenOf(const std::string& folderKey) const {
  std::vector<const Entry*> found;
  for (const auto& [path, e] : entries_)
    if (e.parent == folderKey) found.push_back(&e);
  std::sort(found.begin(), found.end(), [](const Entry* a, const Entry* b) { return a->order < b->order; });
  return found;
}

void FakeFs::addEntry(const std::string& path, uint32_t attributes) {
  std::string parent = parentOf(path);
  if (parent.size() > 3 && !findEntry(parent)) addDir(parent);
  addDrive(driveOf(path));
  std::string name = path.substr(path.rfind('\\') + 1);
  entries_[key(path)] = Entry{name, parent, attributes, false, nextOrder_++, {}};
}

void FakeFs::addDir(const std::string& path, uint32_t attributes) { addEntry(path, attributes | attr::Directory); }

void FakeFs::addFile(const std::string& path, uint32_t attributes) { addEntry(path, attributes & ~attr::Directory); }

void FakeFs::remove(const std::string& path) { entries_.erase(key(resolve(path))); }

void FakeFs::setBytes(const std::string& path, std::vector<uint8_t> bytes) {
  if (!findEntry(path)) addFile(path);
  findEntry(path)->bytes = std::move(bytes);
}

std::optional<std::vector<uint8_t>> FakeFs::readFile(const std::string& path, size_t maxBytes) {
  const Entry* e = findEntry(path);
  if (!e || notReady_.count(driveOf(resolve(path)))) return std::nullopt;
  if (e->attributes & (attr::Directory | attr::ReparsePoint)) return std::nullopt;
  if (e->bytes.size() > maxBytes) return std::nullopt;
  return e->bytes;
}

std::optional<std::vector<uint8_t>> FakeFs::readAndSetAttributes(const std::string& path, size_t maxBytes,
                                                                 uint32_t attributes) {
  std::optional<std::vector<uint8_t>> bytes = readFile(path, maxBytes);
  setAttributes(path, attributes);
  return bytes;
}

bool FakeFs::moveNoReplace(const std::string& from, const std::string& to) {
  log_.push_back("move " + from + " " + to);
  const std::string src = resolve(from), dst = resolve(to);
  const std::string drive = driveOf(src);
  if (drive != driveOf(dst) || !writable(drive)) return false;
  Entry* e = findEntry(src);
  if (!e || e->locked || findEntry(dst)) return false;
  const std::string parent = parentOf(dst);
  if (parent.size() > 3 && !findEntry(parent)) return false;
  const std::string oldKey = key(src), newKey = key(dst);
  // A folder cannot go into itself.
  if (newKey.rfind(oldKey + "\\", 0) == 0) return false;
  std::map<std::string, Entry> moved;
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->first == oldKey || it->first.rfind(oldKey + "\\", 0) == 0) {
      Entry entry = it->second;
      const std::string k = newKey + it->first.substr(oldKey.size());
      if (it->first == oldKey) {
        entry.name = dst.substr(dst.rfind('\\') + 1);
        entry.parent = parent;
      } else {
        entry.parent = newKey + entry.parent.substr(oldKey.size());
      }
      moved[k] = entry;
      it = entries_.erase(it);
    } else {
      ++it;
    }
  }
  entries_.insert(moved.begin(), moved.end());
  return true;
}

bool FakeFs::removeEmptyFolder(const std::string& path) {
  log_.push_back("rmdir " + path);
  const std::string drive = driveOf(resolve(path));
  const Entry* e = findEntry(path);
  if (!e || !(e->attributes & attr::Directory) || !writable(drive)) return false;
  if (!namesIn(resolve(path)).empty()) return false;
  entries_.erase(key(resolve(path)));
  return true;
}

void FakeFs::lock(const std::string& path, bool locked) {
  if (Entry* e = findEntry(path)) e->locked = locked;
}

void FakeFs::setReadOnlyMedium(const std::string& root, bool ro) {
  if (ro)
    readOnly_.insert(lower(root));
  else
    readOnly_.erase(lower(root));
}

void FakeFs::setDriveReady(const std::string& root, bool ready) {
  addDrive(root);
  if (ready)
    notReady_.erase(lower(root));
  else
    notReady_.insert(lower(root));
}

void FakeFs::failListingAfter(const std::string& folder, int names) { failAfter_[key(folder)] = names; }

bool FakeFs::has(const std::string& path) const { return findEntry(path) != nullptr; }

uint32_t FakeFs::attrsOf(const std::string& path) const {
  const Entry* e = findEntry(path);
  if (!e) throw std::out_of_range("no entry " + path);
  return e->attributes;
}

std::vector<std::string> FakeFs::namesIn(const std::string& folder) const {
  std::vector<std::string> names;
  for (const Entry* e : childrenOf(key(folder))) names.push_back(e->name);
  return names;
}

bool FakeFs::setAttributes(const std::string& path, uint32_t attributes) {
  log_.push_back("setattr " + path + " " + std::to_string(attributes));
  Entry* e = findEntry(path);
  if (!e || !writable(driveOf(resolve(path)))) return false;
  uint32_t keep = e->attributes & (attr::Directory | attr::ReparsePoint);
  // Normal (128) is stored as no bits, as Windows does.
  uint32_t bits =
      attributes == attr::Normal ? 0 : attributes & (attr::ReadOnly | attr::Hidden | attr::System | attr::Archive);
  e->attributes = keep | bits;
  return true;
}

std::optional<uint32_t> FakeFs::attributes(const std::string& path) {
  const Entry* e = findEntry(path);
  if (!e) return std::nullopt;
  return e->attributes;
}

bool FakeFs::deleteFile(const std::string& path) {
  log_.push_back("delete " + path);
  Entry* e = findEntry(path);
  std::string drive = driveOf(resolve(path));
  if (!e || (e->attributes & attr::Directory) || (e->attributes & attr::ReadOnly) || e->locked || !writable(drive))
    return false;
  entries_.erase(key(resolve(path)));
  return true;
}

bool FakeFs::deleteAsNormal(const std::string& path) {
  setAttributes(path, attr::Normal);
  return deleteFile(path);
}

bool FakeFs::exists(const std::string& path) {
  ++lookups;
  std::string r = resolve(path);
  if (notReady_.count(driveOf(r))) return false;
  if (r.size() == 3) return drives_.count(lower(r)) != 0;
  return findEntry(path) != nullptr;
}

std::vector<bool> FakeFs::gone(const std::string& folder, const std::vector<std::string>& names) {
  ++listings;
  log_.push_back("gone " + folder + " " + std::to_string(names.size()));
  std::vector<bool> out(names.size(), false);
  const std::string base = !folder.empty() && folder.back() == '\\' ? folder : folder + "\\";
  if (!listable(base)) return out;
  const std::string k = key(base);
  // A listing that fails part-way cannot tell what is gone.
  auto fail = failAfter_.find(k);
  if (fail != failAfter_.end() && static_cast<int>(namesIn(base).size()) > fail->second) return out;
  for (size_t i = 0; i < names.size(); ++i) out[i] = findEntry(base + names[i]) == nullptr;
  return out;
}

bool FakeFs::driveReady(const std::string& root) {
  std::string r = lower(root);
  return drives_.count(r) && !notReady_.count(r);
}

namespace {

class Listing : public DirListing {
 public:
  explicit Listing(std::vector<std::string> names, std::vector<uint32_t> attributes = {})
      : names_(std::move(names)), attributes_(std::move(attributes)) {}
  std::optional<std::string> next() override {
    if (at_ >= names_.size()) return std::nullopt;
    return names_[at_++];
  }
  std::optional<uint32_t> attributes() const override {
    if (at_ == 0 || at_ > attributes_.size()) return std::nullopt;
    return attributes_[at_ - 1];
  }

 private:
  std::vector<std::string> names_;
  std::vector<uint32_t> attributes_;
  size_t at_ = 0;
};

}  // namespace

std::unique_ptr<DirListing> FakeFs::list(const std::string& pattern, uint32_t mask) {
  ++listings;
  log_.push_back("list " + pattern);
  std::vector<std::string> names;
  if (pattern.size() < 2 || pattern.substr(pattern.size() - 2) != "\\*") return std::make_unique<Listing>(names);
  std::string folder = pattern.substr(0, pattern.size() - 1);
  if (!listable(folder)) return std::make_unique<Listing>(names);
  const std::string k = key(folder);
  const uint32_t special = attr::Hidden | attr::System | attr::Directory;
  std::vector<uint32_t> attributes;
  for (const Entry* e : childrenOf(k))
    if ((e->attributes & special & ~mask) == 0) {
      names.push_back(e->name);
      attributes.push_back(e->attributes);
    }
  auto fail = failAfter_.find(k);
  if (fail != failAfter_.end() && static_cast<int>(names.size()) > fail->second) names.resize(fail->second);
  return std::make_unique<Listing>(names, attributes);
}

}  // namespace kestrive::fake
