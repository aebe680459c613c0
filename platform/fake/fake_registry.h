// An in-memory registry with both views, keys that refuse opening and
// roots that refuse writing.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/fake/log.h"
#include "platform/platform.h"

namespace kestrive::fake {

class FakeRegistry : public Registry {
 public:
  explicit FakeRegistry(Log& log) : log_(log) {}

  // Set-up and inspection; key paths are matched ignoring case and a
  // trailing backslash, like Windows does.
  void addKey(uint32_t root, const std::string& path);
  void setValue(uint32_t root, const std::string& path, const std::string& name, uint32_t type,
                std::vector<uint8_t> data);
  void setString(uint32_t root, const std::string& path, const std::string& name, const std::string& text,
                 uint32_t type = regtype::Sz);  // stored with its NUL
  void setDwordValue(uint32_t root, const std::string& path, const std::string& name, uint32_t v);
  bool hasKey(uint32_t root, const std::string& path) const;
  bool hasValue(uint32_t root, const std::string& path, const std::string& name) const;
  std::optional<uint32_t> dword(uint32_t root, const std::string& path, const std::string& name) const;
  std::vector<std::string> valueNames(uint32_t root, const std::string& path) const;
  void denyOpen(uint32_t root, const std::string& path, bool deny = true);  // open and create fail
  // Only the next n openKeyEx calls of this key succeed.
  void allowOpenExTimes(uint32_t root, const std::string& path, int n);
  void denyWrites(uint32_t root, bool deny = true);  // e.g. HKLM without administrator rights

  long openKeyEx(uint32_t root, const std::string& path, uint32_t access, HKey* key) override;
  long openKey(uint32_t root, const std::string& path, HKey* key) override;
  long createKey(uint32_t root, const std::string& path, HKey* key) override;
  RegValue enumValue(HKey key, uint32_t index) override;
  RegValue queryValue(HKey key, const std::string& name) override;
  long setDword(HKey key, const std::string& name, uint32_t value) override;
  long deleteValue(HKey key, const std::string& name) override;
  long closeKey(HKey key) override;

  int openHandles() const { return static_cast<int>(handles_.size()); }
  int keyOpens = 0;  // openKeyEx and openKey calls

 private:
  struct Value {
    std::string name;
    uint32_t type;
    std::vector<uint8_t> data;
  };
  struct Key {
    std::vector<Value> values;
  };
  static std::string keyName(uint32_t root, const std::string& path);
  // The value of that name in the key, letter case ignored; null when none.
  static Value* find(Key& key, const std::string& name);
  static const Value* find(const Key& key, const std::string& name);
  // Sets the value of that name, or adds it.
  static void put(Key& key, const std::string& name, uint32_t type, std::vector<uint8_t> data);
  // A new handle of the key of that name.
  long opened(const std::string& k, uint32_t root, HKey* key);
  // A new handle of the key of that name when it is there and may be opened.
  long openExisting(const std::string& k, uint32_t root, HKey* key);
  Key* keyOf(HKey h);
  // The key name a handle stands for in the log; "?" for no open handle.
  std::string nameOf(HKey h) const;
  Log& log_;
  std::map<std::string, Key> keys_;
  std::set<std::string> denied_;
  std::map<std::string, int> openExAllowance_;
  std::set<uint32_t> readOnlyRoots_;
  std::map<HKey, std::pair<std::string, uint32_t>> handles_;  // key name, root
  HKey next_ = 0x100;
};

}  // namespace kestrive::fake
