// In-memory platform for tests: file system, registry, process table,
// clock and scripted message boxes. Every call that changes something is
// recorded in `log`, so a test can check the exact sequence.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kestrive::fake {

// One shared record of what the system did, in order, e.g.
// "setattr E:\a.lnk 128", "delete E:\a.lnk", "msg 64 Delete complete!".
using Log = std::vector<std::string>;

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
  Log& log_;
  std::map<std::string, Entry> entries_;  // by lower-cased full path
  std::set<std::string> drives_;          // lower-cased roots
  std::set<std::string> notReady_;
  std::set<std::string> readOnly_;
  std::map<std::string, int> failAfter_;
  uint64_t nextOrder_ = 0;
};

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
  Key* keyOf(HKey h);
  Log& log_;
  std::map<std::string, Key> keys_;
  std::set<std::string> denied_;
  std::map<std::string, int> openExAllowance_;
  std::set<uint32_t> readOnlyRoots_;
  std::map<HKey, std::pair<std::string, uint32_t>> handles_;  // key name, root
  HKey next_ = 0x100;
};

class FakeProcesses : public Processes {
 public:
  explicit FakeProcesses(Log& log) : log_(log) {}
  // A full path runs that file; a bare name runs the file of that name in
  // the profile folder. Returns the new pid.
  uint32_t start(const std::string& exe);
  // A process whose image path cannot be read (another user's, say).
  uint32_t startUnreadable(const std::string& exe);
  // A process of image exe started with this command line (a script host
  // running a script, say).
  uint32_t startWith(const std::string& exe, const std::string& commandLine);
  std::map<uint32_t, std::string> commandLines;  // by pid; "" or absent: cannot be read
  void stop(uint32_t pid);
  bool running(uint32_t pid) const;
  std::vector<ProcessInfo> table;
  bool snapshotFails = false;
  uint32_t self = 4;  // our own pid
  // Runs for each started program and command line; by default nothing happens.
  std::function<void(const std::string& program, const std::string& commandLine)> onRun;
  std::vector<std::string> commands;

  std::vector<ProcessInfo> snapshot() override;
  bool run(const std::string& program, const std::string& commandLine, int showStyle) override;
  uint32_t currentPid() override { return self; }
  std::string commandLineOf(uint32_t pid) override;

 private:
  Log& log_;
  uint32_t nextPid_ = 1000;
};

class FakeClock;

class FakeUi : public Ui {
 public:
  explicit FakeUi(Log& log) : log_(log) {}
  struct Box {
    std::string text, title;
    uint32_t flags;
  };
  std::vector<Box> boxes;
  std::deque<int> answers;  // Yes/No answers in order; an empty queue answers Yes (OK for OK boxes)
  std::vector<std::string> urls;
  int yields = 0;  // doEvents and waitEvents calls
  // The ms each waitEvents asked for. It moves the clock on by as much, or
  // by at most waitSlice when that is set (events that came sooner).
  std::vector<uint32_t> waits;
  uint32_t waitSlice = 0;
  FakeClock* clock = nullptr;
  bool ended = false;
  // Runs inside every message box / yield, e.g. to press another button meanwhile.
  std::function<void(const Box&)> onBox;
  std::function<void()> onYield;

  int messageBox(const std::string& text, const std::string& title, uint32_t flags) override;
  void doEvents() override;
  void waitEvents(uint32_t ms) override;
  void openUrl(const std::string& address) override;
  void showOtherInstance() override;
  [[noreturn]] void endProcess() override;

 private:
  Log& log_;
};

class FakeClock : public Clock {
 public:
  uint32_t now = 0;
  uint32_t step = 1;  // advanced on every read
  uint32_t tickCount() override {
    uint32_t t = now;
    now += step;
    return t;
  }
};

class FakeEnv : public Env {
 public:
  explicit FakeEnv(FakeFs& fs) : fs_(fs) {}
  bool previous = false;
  std::string exe = "kestrive";
  std::string profile = "C:\\Users\\user";
  std::string system = "C:\\Windows\\system32";
  // Names are matched ignoring case, as Windows does.
  std::map<std::string, std::string> variables = {{"USERPROFILE", "C:\\Users\\user"},
                                                  {"SYSTEMROOT", "C:\\Windows"},
                                                  {"APPDATA", "C:\\Users\\user\\AppData\\Roaming"},
                                                  {"LOCALAPPDATA", "C:\\Users\\user\\AppData\\Local"},
                                                  {"TEMP", "C:\\Users\\user\\AppData\\Local\\Temp"}};
  std::string startup = "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup";
  bool twoViews = true;
  bool previousInstance() override { return previous; }
  std::string exeBaseName() override { return exe; }
  std::string profileFolder() override { return profile; }
  std::string systemFolder() override { return system; }
  std::string workingFolder() override { return fs_.cwd; }
  std::string expand(const std::string& text) override;
  std::string variable(const std::string& name) override;
  std::string startupFolder() override { return startup; }
  bool twoRegistryViews() override { return twoViews; }

 private:
  FakeFs& fs_;
};

class RecordingHost : public WindowHost {
 public:
  void created(Window& w) override;
  void destroyed(Window& w) override;
  std::vector<std::string> events;
};

// Everything together, with the standard machine: a system drive C:\ holding
// Windows and Program Files, the working directory C:\Kestrive holding
// pskill.exe, and the profile folder C:\Users\user.
struct FakePlatform {
  FakePlatform();
  Log log;
  FakeFs fs{log};
  FakeRegistry reg{log};
  FakeProcesses proc{log};
  FakeUi ui{log};
  FakeClock clock;
  FakeEnv env{fs};
  RecordingHost host;
  Platform platform{fs, reg, proc, ui, clock, env, host};

  // The texts of the message boxes shown so far.
  std::vector<std::string> messages() const;
};

}  // namespace kestrive::fake
