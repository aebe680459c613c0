// In-memory drives, folders and files, with the faults a real drive has
// (locked files, read-only media, drives pulled out, listings cut short).
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/log.h"
#include "platform/platform.h"

namespace kestrive::fake {

class FakeFs : public FileSystem {
 public:
  explicit FakeFs(Log& log) : log_(log) {}

  // Set-up. Paths are full ("E:\Photos"); folders are created as needed.
  void addDrive(const std::string& root);  // "E:\"
  void addFile(const std::string& path, uint32_t attributes = attr::Archive);
  void addDir(const std::string& path, uint32_t attributes = 0);
  void remove(const std::string& path);
  // The file's contents, for readFile; a file added without them is empty.
  void setBytes(const std::string& path, std::vector<uint8_t> bytes);
  void lock(const std::string& path, bool locked = true);  // open in another program
  void setReadOnlyMedium(const std::string& root, bool readOnly = true);
  void setDriveReady(const std::string& root, bool ready);
  // The listing of this folder yields this many names, then fails.
  void failListingAfter(const std::string& folder, int names);
  std::string cwd = "C:\\Kestrive";

  // Inspection.
  bool has(const std::string& path) const;
  uint32_t attrsOf(const std::string& path) const;  // throws when absent
  std::vector<std::string> namesIn(const std::string& folder) const;

  // FileSystem.
  bool setAttributes(const std::string& path, uint32_t attributes) override;
  std::optional<uint32_t> attributes(const std::string& path) override;
  bool deleteFile(const std::string& path) override;
  // Logged as its two steps, "setattr <path> 128" and "delete <path>".
  bool deleteAsNormal(const std::string& path) override;
  bool exists(const std::string& path) override;
  // Logged as "gone <folder> <number of names>"; counts as a listing.
  std::vector<bool> gone(const std::string& folder, const std::vector<std::string>& names) override;
  bool driveReady(const std::string& root) override;
  std::unique_ptr<DirListing> list(const std::string& pattern, uint32_t mask) override;
  // Not logged: reading changes nothing.
  std::optional<std::vector<uint8_t>> readFile(const std::string& path, size_t maxBytes) override;
  // readFile, then setAttributes as logged there.
  std::optional<std::vector<uint8_t>> readAndSetAttributes(const std::string& path, size_t maxBytes,
                                                           uint32_t attributes) override;
  // Logged as "move <from> <to>".
  bool moveNoReplace(const std::string& from, const std::string& to) override;
  // Logged as "rmdir <path>".
  bool removeEmptyFolder(const std::string& path) override;

  int listings = 0;  // how many listings were started
  int lookups = 0;   // exists() calls

 private:
  struct Entry {
    std::string name;
    std::string parent;
    uint32_t attributes = 0;
    bool locked = false;
    uint64_t order = 0;
    std::vector<uint8_t> bytes;
  };
  std::string resolve(const std::string& path) const;
  static std::string key(const std::string& path);
  static std::string parentOf(const std::string& path);
  static std::string driveOf(const std::string& path);
  Entry* findEntry(const std::string& path);
  const Entry* findEntry(const std::string& path) const;
  void addEntry(const std::string& path, uint32_t attributes);
  // The entries of the folder of that key, in the order they were added.
  std::vector<const Entry*> childrenOf(const std::string& folderKey) const;
  // Its medium takes changes: not read-only, and in the drive.
  bool writable(const std::string& drive) const;
  // The folder ("E:\" or "E:\x\") is there to be listed, on a drive that is ready.
  bool listable(const std::string& folder) const;
  Log& log_;
  std::map<std::string, Entry> entries_;  // by lower-cased full path
  std::set<std::string> drives_;          // lower-cased roots
  std::set<std::string> notReady_;
  std::set<std::string> readOnly_;
  std::map<std::string, int> failAfter_;
  uint64_t nextOrder_ = 0;
};

}  // namespace kestrive::fake
