// The operations the windows' logic needs from the operating system, one
// interface each. platform/win32 binds them to Windows, platform/fake keeps
// them in memory for tests. Every text is UTF-8.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrive {

namespace attr {
constexpr uint32_t ReadOnly = 1;
constexpr uint32_t Hidden = 2;
constexpr uint32_t System = 4;
constexpr uint32_t Volume = 8;
constexpr uint32_t Directory = 16;
constexpr uint32_t Archive = 32;
constexpr uint32_t Normal = 128;
constexpr uint32_t ReparsePoint = 1024;  // a link or junction to somewhere else
constexpr uint32_t AllEntries = 63;      // every file and folder, hidden and system ones too
}  // namespace attr

// One directory listing, asked for one bare name at a time. A listing that
// fails part-way simply yields no more names.
class DirListing {
 public:
  virtual ~DirListing() = default;
  virtual std::optional<std::string> next() = 0;
  // The attributes the listing gave the name next() yielded last; nullopt
  // when it gives none.
  virtual std::optional<uint32_t> attributes() const { return std::nullopt; }
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool setAttributes(const std::string& path, uint32_t attributes) = 0;
  virtual std::optional<uint32_t> attributes(const std::string& path) = 0;
  virtual bool deleteFile(const std::string& path) = 0;
  // What setAttributes(path, Normal) and then deleteFile(path) do, in the
  // fewest calls the system allows: the file goes whatever its read-only,
  // hidden and system bits, and one that stays is left with normal
  // attributes. The result is the delete call's, no proof that it is gone.
  virtual bool deleteAsNormal(const std::string& path) = 0;
  virtual bool exists(const std::string& path) = 0;
  // For each name, true when the folder ("E:\" or "E:\x") holds no entry of
  // that name, letter case ignored; all false when the folder cannot be
  // listed to its end. One listing answers for every name: asking for each
  // missing name alone costs a walk of the whole folder under Wine, which
  // compares it with every name in every letter case.
  virtual std::vector<bool> gone(const std::string& folder, const std::vector<std::string>& names) = 0;
  // A drive root such as "E:\" holds a readable medium.
  virtual bool driveReady(const std::string& root) = 0;
  // pattern is a folder followed by "\*"; "." and ".." are never yielded, nor
  // a name holding a path separator (a foreign file system can have one),
  // which joined to the folder would address another entry.
  virtual std::unique_ptr<DirListing> list(const std::string& pattern, uint32_t mask) = 0;
  // The file's first bytes, at most maxBytes; nullopt when it cannot be opened
  // or read, is a folder, a device or a link elsewhere, or is larger than
  // maxBytes (a planted huge file is never read whole).
  virtual std::optional<std::vector<uint8_t>> readFile(const std::string& path, size_t maxBytes) = 0;
  // readFile and setAttributes in one: the file is opened once, read as
  // readFile reads it, and given the attributes as setAttributes gives them.
  // The attributes are set even when it cannot be read.
  virtual std::optional<std::vector<uint8_t>> readAndSetAttributes(const std::string& path, size_t maxBytes,
                                                                   uint32_t attributes) = 0;
  // Renames an entry (file or folder) to another name on the same volume;
  // never replaces an existing entry, never copies. False when it did not move.
  virtual bool moveNoReplace(const std::string& from, const std::string& to) = 0;
  // Removes a folder only when it holds nothing; false otherwise.
  virtual bool removeEmptyFolder(const std::string& path) = 0;
};

using HKey = uintptr_t;  // 0: no key
constexpr uint32_t HKCU = 0x80000001u;
constexpr uint32_t HKLM = 0x80000002u;

namespace regtype {
constexpr uint32_t None = 0;
constexpr uint32_t Sz = 1;
constexpr uint32_t ExpandSz = 2;
constexpr uint32_t Binary = 3;
constexpr uint32_t Dword = 4;
constexpr uint32_t MultiSz = 7;
}  // namespace regtype

constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorInvalidHandle = 6;
constexpr long kErrorNoMoreItems = 259;

// Registry views, added to the access of openKeyEx. Without one a key is
// opened in the system's own (64-bit) view; the 32-bit one is the copy that
// 64-bit Windows keeps for 32-bit programs (HKLM\Software\WOW6432Node).
namespace regview {
constexpr uint32_t Native = 0;
constexpr uint32_t Wow64_32 = 0x0200;  // KEY_WOW64_32KEY
}  // namespace regview
// The access a value removal needs (KEY_SET_VALUE).
constexpr uint32_t kKeySetValue = 0x0002;

// A registry value as read. Texts (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) come
// back as UTF-8 bytes with the terminating NUL they were stored with; other
// types as their raw bytes.
struct RegValue {
  long status = kErrorNoMoreItems;
  std::string name;
  uint32_t type = regtype::None;
  std::vector<uint8_t> data;
};

class Registry {
 public:
  virtual ~Registry() = default;
  virtual long openKeyEx(uint32_t root, const std::string& path, uint32_t access, HKey* key) = 0;
  virtual long openKey(uint32_t root, const std::string& path, HKey* key) = 0;
  virtual long createKey(uint32_t root, const std::string& path, HKey* key) = 0;
  // The value at index, name and data read in full whatever their size.
  virtual RegValue enumValue(HKey key, uint32_t index) = 0;
  virtual RegValue queryValue(HKey key, const std::string& name) = 0;
  virtual long setDword(HKey key, const std::string& name, uint32_t value) = 0;
  virtual long deleteValue(HKey key, const std::string& name) = 0;
  virtual long closeKey(HKey key) = 0;
};

struct ProcessInfo {
  uint32_t pid = 0;
  std::string exe;    // executable file name, no folder
  std::string image;  // full path of the executable file; "" when it cannot be read
};

class Processes {
 public:
  virtual ~Processes() = default;
  // The running processes in snapshot order; empty when no snapshot can be had.
  virtual std::vector<ProcessInfo> snapshot() = 0;
  // Starts program (a full path: nothing is searched for) with the command
  // line and a window style, and does not wait for it.
  virtual bool run(const std::string& program, const std::string& commandLine, int showStyle) = 0;
  virtual uint32_t currentPid() = 0;
  // The command line the process was started with, as it holds it; "" when
  // it cannot be read (the process ended, or runs with rights we lack).
  virtual std::string commandLineOf(uint32_t pid) = 0;
};

// Window styles for a started program (SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED).
constexpr int kShowMinNoActive = 7;
constexpr int kShowMaximized = 3;

namespace mb {
constexpr uint32_t Ok = 0x00;
constexpr uint32_t YesNo = 0x04;
constexpr uint32_t IconError = 0x10;
constexpr uint32_t IconQuestion = 0x20;
constexpr uint32_t IconExclamation = 0x30;
constexpr uint32_t IconInformation = 0x40;
constexpr int IdOk = 1;
constexpr int IdYes = 6;
constexpr int IdNo = 7;
}  // namespace mb

// Thrown by the fake's endProcess so that a test sees the process end "at once".
struct ProcessEnded {};

class Ui {
 public:
  virtual ~Ui() = default;
  // Modal for the whole application; returns the button pressed.
  virtual int messageBox(const std::string& text, const std::string& title, uint32_t flags) = 0;
  // Lets pending window events (clicks, timer ticks) run.
  virtual void doEvents() = 0;
  // Sleeps until window events come or ms milliseconds have passed, and lets
  // the events run: a wait that keeps the windows responsive without using
  // the processor. May return early; the caller looks at the clock.
  virtual void waitEvents(uint32_t ms) = 0;
  // Opens an address with the default verb, maximised; the result is ignored.
  virtual void openUrl(const std::string& address) = 0;
  // Brings the window of the instance that already runs to the front,
  // restored if minimised; nothing when there is none to be seen.
  virtual void showOtherInstance() = 0;
  [[noreturn]] virtual void endProcess() = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t tickCount() = 0;  // milliseconds, wraps after 49.7 days
};

class Env {
 public:
  virtual ~Env() = default;
  // True when another instance already runs; this instance then holds nothing.
  virtual bool previousInstance() = 0;
  virtual std::string exeBaseName() = 0;    // no folder, no extension
  virtual std::string profileFolder() = 0;  // no trailing "\"; "" when unknown
  virtual std::string systemFolder() = 0;   // e.g. C:\Windows\system32; "" when unknown
  virtual std::string workingFolder() = 0;  // the current directory, no trailing "\"
  // The text with its %NAME% variables replaced, as Windows does for REG_EXPAND_SZ.
  virtual std::string expand(const std::string& text) = 0;
  // A variable of our own process's environment ("APPDATA"); "" when unset.
  virtual std::string variable(const std::string& name) = 0;
  // The current user's Startup folder, no trailing "\"; "" when unknown.
  virtual std::string startupFolder() = 0;
  // The registry keeps a 32-bit view beside the system's own (64-bit Windows).
  virtual bool twoRegistryViews() = 0;
};

class Window;
struct Control;
enum class Event;

// Receives the windows' life events, so a toolkit can mirror them.
class WindowHost {
 public:
  virtual ~WindowHost() = default;
  virtual void created(Window&) {}
  virtual void destroyed(Window&) {}
};

// Where a toolkit sends what the person did to a window it shows.
class EventSink {
 public:
  virtual ~EventSink() = default;
  // Runs the control's handler unless the window or control takes no input
  // now; returns whether one ran.
  virtual bool event(Window& window, Control& control, Event event) = 0;
  // The close box.
  virtual void close(Window& window) = 0;
};

// The process-termination tool the computer cleaner runs, looked for in the
// working folder.
inline constexpr const char* kToolName = "pskill.exe";

struct Platform {
  FileSystem& fs;
  Registry& reg;
  Processes& proc;
  Ui& ui;
  Clock& clock;
  Env& env;
  WindowHost& host;
};

}  // namespace kestrive
