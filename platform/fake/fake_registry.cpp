#include "platform/fake/fake_registry.h"

#include "platform/text.h"

namespace kestrive::fake {

namespace {

// Key paths are matched ignoring case and a trailing backslash.
std::string keyPath(const std::string& path) {
  std::string k = lower(path);
  while (!k.empty() && k.back() == '\\') k.pop_back();
  return k;
}

std::vector<uint8_t> dwordBytes(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

}  // namespace

std::string FakeRegistry::keyName(uint32_t root, const std::string& path) {
  return std::to_string(root) + ":" + keyPath(path);
}

FakeRegistry::Value* FakeRegistry::find(Key& key, const std::string& name) {
  // Registry value names ignore case, like Windows.
  for (Value& v : key.values)
    if (lower(v.name) == lower(name)) return &v;
  return nullptr;
}
const FakeRegistry::Value* FakeRegistry::find(const Key& key, const std::string& name) {
  return find(const_cast<Key&>(key), name);
}

void FakeRegistry::put(Key& key, const std::string& name, uint32_t type, std::vector<uint8_t> data) {
  if (Value* v = find(key, name)) {
    v->type = type;
    v->data = std::move(data);
    return;
  }
  key.values.push_back(Value{name, type, std::move(data)});
}

void FakeRegistry::addKey(uint32_t root, const std::string& path) {
  // Every key on the path exists, like a created key's parents.
  const std::string k = keyPath(path);
  for (size_t at = 0;; ++at) {
    at = k.find('\\', at);
    keys_[keyName(root, k.substr(0, at))];
    if (at == std::string::npos) break;
  }
}

void FakeRegistry::setValue(uint32_t root, const std::string& path, const std::string& name, uint32_t type,
                            std::vector<uint8_t> data) {
  addKey(root, path);
  put(keys_[keyName(root, path)], name, type, std::move(data));
}

void FakeRegistry::setString(uint32_t root, const std::string& path, const std::string& name, const std::string& text,
                             uint32_t type) {
  std::vector<uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  setValue(root, path, name, type, std::move(data));
}

void FakeRegistry::setDwordValue(uint32_t root, const std::string& path, const std::string& name, uint32_t v) {
  setValue(root, path, name, regtype::Dword, dwordBytes(v));
}

bool FakeRegistry::hasKey(uint32_t root, const std::string& path) const {
  return keys_.count(keyName(root, path)) != 0;
}

bool FakeRegistry::hasValue(uint32_t root, const std::string& path, const std::string& name) const {
  auto it = keys_.find(keyName(root, path));
  return it != keys_.end() && find(it->second, name);
}

std::optional<uint32_t> FakeRegistry::dword(uint32_t root, const std::string& path, const std::string& name) const {
  auto it = keys_.find(keyName(root, path));
  const Value* v = it == keys_.end() ? nullptr : find(it->second, name);
  if (!v || v->type != regtype::Dword || v->data.size() != 4) return std::nullopt;
  return v->data[0] | (v->data[1] << 8) | (v->data[2] << 16) | (static_cast<uint32_t>(v->data[3]) << 24);
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
  return openExisting(k, root, key);
}

long FakeRegistry::openKey(uint32_t root, const std::string& path, HKey* key) {
  ++keyOpens;
  log_.push_back("RegOpenKey " + std::to_string(root) + " " + path);
  *key = 0;
  std::string k = keyName(root, path);
  return openExisting(k, root, key);
}

long FakeRegistry::createKey(uint32_t root, const std::string& path, HKey* key) {
  log_.push_back("RegCreateKey " + std::to_string(root) + " " + path);
  *key = 0;
  std::string k = keyName(root, path);
  if (denied_.count(k) || (readOnlyRoots_.count(root) && !keys_.count(k))) return kErrorAccessDenied;
  addKey(root, path);
  return opened(k, root, key);
}

long FakeRegistry::openExisting(const std::string& k, uint32_t root, HKey* key) {
  if (denied_.count(k)) return kErrorAccessDenied;
  if (!keys_.count(k)) return kErrorFileNotFound;
  return opened(k, root, key);
}

long FakeRegistry::opened(const std::string& k, uint32_t root, HKey* key) {
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

std::string FakeRegistry::nameOf(HKey h) const {
  auto it = handles_.find(h);
  return it == handles_.end() ? std::string("?") : it->second.first;
}

namespace {

RegValue found(const std::string& name, uint32_t type, const std::vector<uint8_t>& data) {
  RegValue out;
  out.status = kErrorSuccess;
  out.name = name;
  out.type = type;
  out.data = data;
  return out;
}

}  // namespace

RegValue FakeRegistry::enumValue(HKey h, uint32_t index) {
  RegValue out;
  Key* key = keyOf(h);
  if (!key) {
    out.status = kErrorInvalidHandle;
    return out;
  }
  if (index >= key->values.size()) return out;
  const Value& v = key->values[index];
  return found(v.name, v.type, v.data);
}

RegValue FakeRegistry::queryValue(HKey h, const std::string& name) {
  RegValue out;
  Key* key = keyOf(h);
  if (!key) {
    out.status = kErrorInvalidHandle;
    return out;
  }
  const Value* v = find(*key, name);
  if (!v) {
    out.status = kErrorFileNotFound;
    return out;
  }
  return found(v->name, v->type, v->data);
}

long FakeRegistry::setDword(HKey h, const std::string& name, uint32_t value) {
  log_.push_back("RegSetDword " + nameOf(h) + " " + name + " " + std::to_string(value));
  Key* key = keyOf(h);
  if (!key) return kErrorInvalidHandle;
  if (readOnlyRoots_.count(handles_.at(h).second)) return kErrorAccessDenied;
  put(*key, name, regtype::Dword, dwordBytes(value));
  return kErrorSuccess;
}

long FakeRegistry::deleteValue(HKey h, const std::string& name) {
  log_.push_back("RegDeleteValue " + nameOf(h) + " [" + name + "]");
  Key* key = keyOf(h);
  if (!key) return kErrorInvalidHandle;
  const Value* v = find(*key, name);
  if (!v) return kErrorFileNotFound;
  if (readOnlyRoots_.count(handles_.at(h).second)) return kErrorAccessDenied;
  key->values.erase(key->values.begin() + (v - key->values.data()));
  return kErrorSuccess;
}

long FakeRegistry::closeKey(HKey h) {
  if (handles_.erase(h) == 0) return kErrorInvalidHandle;
  return kErrorSuccess;
}

}  // namespace kestrive::fake
