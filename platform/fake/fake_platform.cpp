#include "platform/fake/fake_platform.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "platform/text.h"
#include "platform/window.h"

namespace kestrive::fake {

// ---- file system ----------------------------------------------------------

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

void FakeFs::addDir(const std::string& path, uint32_t attributes) {
  std::string parent = parentOf(path);
  if (parent.size() > 3 && !findEntry(parent)) addDir(parent);
  addDrive(driveOf(path));
  std::string name = path.substr(path.rfind('\\') + 1);
  entries_[key(path)] = Entry{name, parent, attributes | attr::Directory, false, nextOrder_++, {}};
}

void FakeFs::addFile(const std::string& path, uint32_t attributes) {
  std::string parent = parentOf(path);
  if (parent.size() > 3 && !findEntry(parent)) addDir(parent);
  addDrive(driveOf(path));
  std::string name = path.substr(path.rfind('\\') + 1);
  entries_[key(path)] = Entry{name, parent, attributes & ~attr::Directory, false, nextOrder_++, {}};
}

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

bool FakeFs::moveNoReplace(const std::string& from, const std::string& to) {
  log_.push_back("move " + from + " " + to);
  const std::string src = resolve(from), dst = resolve(to);
  const std::string drive = driveOf(src);
  if (drive != driveOf(dst) || readOnly_.count(drive) || notReady_.count(drive)) return false;
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
  if (!e || !(e->attributes & attr::Directory) || readOnly_.count(drive) || notReady_.count(drive)) return false;
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
  std::vector<const Entry*> found;
  std::string k = key(folder);
  for (const auto& [path, e] : entries_)
    if (e.parent == k) found.push_back(&e);
  std::sort(found.begin(), found.end(), [](const Entry* a, const Entry* b) { return a->order < b->order; });
  std::vector<std::string> names;
  for (const Entry* e : found) names.push_back(e->name);
  return names;
}

bool FakeFs::setAttributes(const std::string& path, uint32_t attributes) {
  log_.push_back("setattr " + path + " " + std::to_string(attributes));
  Entry* e = findEntry(path);
  if (!e || readOnly_.count(driveOf(resolve(path))) || notReady_.count(driveOf(resolve(path)))) return false;
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
  if (!e || (e->attributes & attr::Directory) || (e->attributes & attr::ReadOnly) || e->locked ||
      readOnly_.count(drive) || notReady_.count(drive))
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
  const std::string k = key(base);
  const std::string drive = driveOf(base);
  if (base.size() < 3 || !drives_.count(drive) || notReady_.count(drive)) return out;
  if (k.size() > 3 && !findEntry(base)) return out;
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
  std::string k = key(folder);
  std::string drive = driveOf(folder);
  if (folder.size() < 3 || !drives_.count(drive) || notReady_.count(drive)) return std::make_unique<Listing>(names);
  if (k.size() > 3 && !findEntry(folder)) return std::make_unique<Listing>(names);
  std::vector<const Entry*> found;
  for (const auto& [path, e] : entries_)
    if (e.parent == k) found.push_back(&e);
  std::sort(found.begin(), found.end(), [](const Entry* a, const Entry* b) { return a->order < b->order; });
  const uint32_t special = attr::Hidden | attr::System | attr::Directory;
  std::vector<uint32_t> attributes;
  for (const Entry* e : found)
    if ((e->attributes & special & ~mask) == 0) {
      names.push_back(e->name);
      attributes.push_back(e->attributes);
    }
  auto fail = failAfter_.find(k);
  if (fail != failAfter_.end() && static_cast<int>(names.size()) > fail->second) names.resize(fail->second);
  return std::make_unique<Listing>(names, attributes);
}

// ---- registry -------------------------------------------------------------

std::string FakeRegistry::keyName(uint32_t root, const std::string& path) {
  std::string k = lower(path);
  while (!k.empty() && k.back() == '\\') k.pop_back();
  return std::to_string(root) + ":" + k;
}

void FakeRegistry::addKey(uint32_t root, const std::string& path) {
  // Every key on the path exists, like a created key's parents.
  std::string k = lower(path);
  while (!k.empty() && k.back() == '\\') k.pop_back();
  for (size_t at = 0;; ++at) {
    at = k.find('\\', at);
    keys_[keyName(root, k.substr(0, at))];
    if (at == std::string::npos) break;
  }
}

void FakeRegistry::setValue(uint32_t root, const std::string& path, const std::string& name, uint32_t type,
                            std::vector<uint8_t> data) {
  addKey(root, path);
  Key& key = keys_[keyName(root, path)];
  for (Value& v : key.values)
    if (lower(v.name) == lower(name)) {
      v.type = type;
      v.data = std::move(data);
      return;
    }
  key.values.push_back(Value{name, type, std::move(data)});
}

void FakeRegistry::setString(uint32_t root, const std::string& path, const std::string& name, const std::string& text,
                             uint32_t type) {
  std::vector<uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  setValue(root, path, name, type, std::move(data));
}

void FakeRegistry::setDwordValue(uint32_t root, const std::string& path, const std::string& name, uint32_t v) {
  setValue(root, path, name, regtype::Dword,
           {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)});
}

bool FakeRegistry::hasKey(uint32_t root, const std::string& path) const {
  return keys_.count(keyName(root, path)) != 0;
}

bool FakeRegistry::hasValue(uint32_t root, const std::string& path, const std::string& name) const {
  auto it = keys_.find(keyName(root, path));
  if (it == keys_.end()) return false;
  for (const Value& v : it->second.values)
    if (lower(v.name) == lower(name)) return true;
  return false;
}

std::optional<uint32_t> FakeRegistry::dword(uint32_t root, const std::string& path, const std::string& name) const {
  auto it = keys_.find(keyName(root, path));
  if (it == keys_.end()) return std::nullopt;
  for (const Value& v : it->second.values)
    if (lower(v.name) == lower(name) && v.type == regtype::Dword && v.data.size() == 4)
      return v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (static_cast<uint32_t>(v.data[3]) << 24);
  return std::nullopt;
}

std::vector<std::string> FakeRegistry::valueNames(uint32_t root, const std::string& path) const {
  std::vector<std::string> names;
  auto it = keys_.find(keyName(root, path));
  if (it != keys_.end())
    for (const Value& v : it->second.values) names.push_back(v.name);
  return names;
}

void FakeRegistry::denyOpen(uint32_t root, const std::string& path, bool deny) {
  if (deny)
    denied_.insert(keyName(root, path));
  else
    denied_.erase(keyName(root, path));
}

void FakeRegistry::allowOpenExTimes(uint32_t root, const std::string& path, int n) {
  openExAllowance_[keyName(root, path)] = n;
}

void FakeRegistry::denyWrites(uint32_t root, bool deny) {
  if (deny)
    readOnlyRoots_.insert(root);
  else
    readOnlyRoots_.erase(root);
}

namespace {

// The 32-bit view of the machine's Software key is its WOW6432Node copy, as
// on 64-bit Windows; the user's Software key is shared by both views.
std::string inView(uint32_t root, const std::string& path, uint32_t access) {
  const std::string software = "software\\";
  if (!(access & regview::Wow64_32) || root != HKLM || lower(path).compare(0, software.size(), software) != 0)
    return path;
  return path.substr(0, software.size()) + "WOW6432Node\\" + path.substr(software.size());
}

}  // namespace

long FakeRegistry::openKeyEx(uint32_t root, const std::string& path, uint32_t access, HKey* key) {
  ++keyOpens;
  log_.push_back("RegOpenKeyEx " + std::to_string(root) + " " + path + " " + std::to_string(access));
  *key = 0;
  std::string k = keyName(root, inView(root, path, access));
  auto allowance = openExAllowance_.find(k);
  if (allowance != openExAllowance_.end()) {
    if (allowance->second <= 0) return kErrorAccessDenied;
    --allowance->second;
  }
  if (denied_.count(k)) return kErrorAccessDenied;
  if (!keys_.count(k)) return kErrorFileNotFound;
  *key = next_++;
  handles_[*key] = {k, root};
  return kErrorSuccess;
}

long FakeRegistry::openKey(uint32_t root, const std::string& path, HKey* key) {
  ++keyOpens;
  log_.push_back("RegOpenKey " + std::to_string(root) + " " + path);
  *key = 0;
  std::string k = keyName(root, path);
  if (denied_.count(k)) return kErrorAccessDenied;
  if (!keys_.count(k)) return kErrorFileNotFound;
  *key = next_++;
  handles_[*key] = {k, root};
  return kErrorSuccess;
}

long FakeRegistry::createKey(uint32_t root, const std::string& path, HKey* key) {
  log_.push_back("RegCreateKey " + std::to_string(root) + " " + path);
  *key = 0;
  std::string k = keyName(root, path);
  if (denied_.count(k) || (readOnlyRoots_.count(root) && !keys_.count(k))) return kErrorAccessDenied;
  addKey(root, path);
  *key = next_++;
  handles_[*key] = {k, root};
  return kErrorSuccess;
}

FakeRegistry::Key* FakeRegistry::keyOf(HKey h) {
  auto it = handles_.find(h);
  if (it == handles_.end()) return nullptr;
  auto k = keys_.find(it->second.first);
  return k == keys_.end() ? nullptr : &k->second;
}

RegValue FakeRegistry::enumValue(HKey h, uint32_t index) {
  RegValue out;
  Key* key = keyOf(h);
  if (!key) {
    out.status = kErrorInvalidHandle;
    return out;
  }
  if (index >= key->values.size()) return out;
  const Value& v = key->values[index];
  out.status = kErrorSuccess;
  out.name = v.name;
  out.type = v.type;
  out.data = v.data;
  return out;
}

RegValue FakeRegistry::queryValue(HKey h, const std::string& name) {
  RegValue out;
  Key* key = keyOf(h);
  if (!key) {
    out.status = kErrorInvalidHandle;
    return out;
  }
  out.status = kErrorFileNotFound;
  for (const Value& v : key->values)
    if (lower(v.name) == lower(name)) {
      out.status = kErrorSuccess;
      out.name = v.name;
      out.type = v.type;
      out.data = v.data;
    }
  return out;
}

long FakeRegistry::setDword(HKey h, const std::string& name, uint32_t value) {
  auto it = handles_.find(h);
  log_.push_back("RegSetDword " + (it == handles_.end() ? std::string("?") : it->second.first) + " " + name + " " +
                 std::to_string(value));
  Key* key = keyOf(h);
  if (!key) return kErrorInvalidHandle;
  if (readOnlyRoots_.count(it->second.second)) return kErrorAccessDenied;
  std::vector<uint8_t> data{static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  for (Value& v : key->values)
    if (lower(v.name) == lower(name)) {
      v.type = regtype::Dword;
      v.data = data;
      return kErrorSuccess;
    }
  key->values.push_back(Value{name, regtype::Dword, data});
  return kErrorSuccess;
}

long FakeRegistry::deleteValue(HKey h, const std::string& name) {
  auto it = handles_.find(h);
  log_.push_back("RegDeleteValue " + (it == handles_.end() ? std::string("?") : it->second.first) + " [" + name + "]");
  Key* key = keyOf(h);
  if (!key) return kErrorInvalidHandle;
  // Registry value names ignore case, like Windows.
  auto v = std::find_if(key->values.begin(), key->values.end(),
                        [&](const Value& x) { return lower(x.name) == lower(name); });
  if (v == key->values.end()) return kErrorFileNotFound;
  if (readOnlyRoots_.count(it->second.second)) return kErrorAccessDenied;
  key->values.erase(v);
  return kErrorSuccess;
}

long FakeRegistry::closeKey(HKey h) {
  if (handles_.erase(h) == 0) return kErrorInvalidHandle;
  return kErrorSuccess;
}

// ---- processes ------------------------------------------------------------

uint32_t FakeProcesses::start(const std::string& exe) {
  const size_t slash = exe.find_last_of('\\');
  const std::string image = slash == std::string::npos ? "C:\\Users\\user\\" + exe : exe;
  uint32_t pid = nextPid_;
  nextPid_ += 4;
  table.push_back(ProcessInfo{pid, image.substr(image.find_last_of('\\') + 1), image});
  return pid;
}

uint32_t FakeProcesses::startWith(const std::string& exe, const std::string& commandLine) {
  uint32_t pid = start(exe);
  commandLines[pid] = commandLine;
  return pid;
}

std::string FakeProcesses::commandLineOf(uint32_t pid) {
  auto it = commandLines.find(pid);
  return it != commandLines.end() && running(pid) ? it->second : std::string();
}

uint32_t FakeProcesses::startUnreadable(const std::string& exe) {
  uint32_t pid = start(exe);
  table.back().image.clear();
  return pid;
}

void FakeProcesses::stop(uint32_t pid) {
  table.erase(std::remove_if(table.begin(), table.end(), [&](const ProcessInfo& p) { return p.pid == pid; }),
              table.end());
}

bool FakeProcesses::running(uint32_t pid) const {
  return std::any_of(table.begin(), table.end(), [&](const ProcessInfo& p) { return p.pid == pid; });
}

std::vector<ProcessInfo> FakeProcesses::snapshot() {
  if (snapshotFails) return {};
  return table;
}

bool FakeProcesses::run(const std::string& program, const std::string& commandLine, int showStyle) {
  log_.push_back("run " + commandLine + " style " + std::to_string(showStyle));
  commands.push_back(commandLine);
  if (onRun) onRun(program, commandLine);
  return true;
}

// ---- user interface -------------------------------------------------------

int FakeUi::messageBox(const std::string& text, const std::string& title, uint32_t flags) {
  log_.push_back("msg " + std::to_string(flags) + " " + text);
  Box box{text, title, flags};
  boxes.push_back(box);
  if (onBox) onBox(box);
  if ((flags & 0x0F) != mb::YesNo) return mb::IdOk;
  if (answers.empty()) return mb::IdYes;
  int a = answers.front();
  answers.pop_front();
  return a;
}

void FakeUi::doEvents() {
  ++yields;
  if (onYield) onYield();
}

void FakeUi::waitEvents(uint32_t ms) {
  waits.push_back(ms);
  if (clock) clock->now += waitSlice != 0 && waitSlice < ms ? waitSlice : ms;
  doEvents();
}

void FakeUi::openUrl(const std::string& address) {
  log_.push_back("url " + address);
  urls.push_back(address);
}

void FakeUi::showOtherInstance() { log_.push_back("show other instance"); }

void FakeUi::endProcess() {
  ended = true;
  log_.push_back("end");
  throw ProcessEnded{};
}

std::string FakeEnv::expand(const std::string& text) {
  std::string out;
  size_t at = 0;
  while (at < text.size()) {
    const size_t open = text.find('%', at);
    const size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) break;
    std::string name = text.substr(open + 1, close - open - 1);
    for (char& c : name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    auto it = variables.find(name);
    out += text.substr(at, open - at);
    if (it == variables.end()) {
      // Unknown names stay as written; the closing % may open the next one.
      out += '%' + text.substr(open + 1, close - open - 1);
      at = close;
      continue;
    }
    out += it->second;
    at = close + 1;
  }
  return out + text.substr(std::min(at, text.size()));
}

std::string FakeEnv::variable(const std::string& name) {
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  auto it = variables.find(upper);
  return it == variables.end() ? std::string() : it->second;
}

void RecordingHost::created(Window& w) { events.push_back("create " + w.name()); }
void RecordingHost::destroyed(Window& w) { events.push_back("destroy " + w.name()); }

FakePlatform::FakePlatform() {
  ui.clock = &clock;
  fs.addDrive("C:\\");
  fs.addDir("C:\\Windows");
  fs.addDir("C:\\Program Files");
  fs.addDir("C:\\Kestrive");
  fs.addFile("C:\\Kestrive\\pskill.exe");
  fs.addFile("C:\\Kestrive\\kestrive.exe");
  fs.addDir("C:\\Users\\user");
  fs.cwd = "C:\\Kestrive";
  reg.addKey(HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  // The stand-in tool: the system's cmd.exe running the working folder's
  // pskill.exe with a pid ends that process, when the tool is there.
  proc.onRun = [this](const std::string& program, const std::string& cmd) {
    const std::string tool = "\"\"" + env.workingFolder() + "\\pskill.exe\" ";
    const size_t at = cmd.find(tool);
    if (program != env.systemFolder() + "\\cmd.exe" || at == std::string::npos || !fs.exists("pskill.exe")) return;
    proc.stop(static_cast<uint32_t>(std::stoul(cmd.substr(at + tool.size()))));
  };
}

std::vector<std::string> FakePlatform::messages() const {
  std::vector<std::string> out;
  for (const auto& b : ui.boxes) out.push_back(b.text);
  return out;
}

}  // namespace kestrive::fake
