// The operating-system half of the Win32 platform: files, registry,
// processes, clock and the process environment, all through the
// wide-character APIs, UTF-8 on our side.
#pragma once

#include <string>

#include "platform/platform.h"

namespace kestrive::win32 {

// UTF-8 and UTF-16, where a lone surrogate keeps its number both ways, so
// that a name read from Windows addresses the same entry when given back.
std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);
// The path as Windows must be given it so that exactly the named entry is
// addressed: absolute drive paths in the \\?\ form (no trimming of trailing
// dots and blanks, no 260-character limit); anything else unchanged.
std::wstring toWinPath(const std::string& utf8Path);

class Win32Fs : public FileSystem {
 public:
  bool setAttributes(const std::string& path, uint32_t attributes) override;
  std::optional<uint32_t> attributes(const std::string& path) override;
  bool deleteFile(const std::string& path) override;
  bool deleteAsNormal(const std::string& path) override;
  bool exists(const std::string& path) override;
  std::vector<bool> gone(const std::string& folder, const std::vector<std::string>& names) override;
  bool driveReady(const std::string& root) override;
  std::unique_ptr<DirListing> list(const std::string& pattern, uint32_t mask) override;
  std::optional<std::vector<uint8_t>> readFile(const std::string& path, size_t maxBytes) override;
  std::optional<std::vector<uint8_t>> readAndSetAttributes(const std::string& path, size_t maxBytes,
                                                           uint32_t attributes) override;
  bool moveNoReplace(const std::string& from, const std::string& to) override;
  bool removeEmptyFolder(const std::string& path) override;
};

class Win32Registry : public Registry {
 public:
  long openKeyEx(uint32_t root, const std::string& path, uint32_t access, HKey* key) override;
  long openKey(uint32_t root, const std::string& path, HKey* key) override;
  long createKey(uint32_t root, const std::string& path, HKey* key) override;
  RegValue enumValue(HKey key, uint32_t index) override;
  RegValue queryValue(HKey key, const std::string& name) override;
  long setDword(HKey key, const std::string& name, uint32_t value) override;
  long deleteValue(HKey key, const std::string& name) override;
  long closeKey(HKey key) override;
};

// The folder of Windows' own programs to start the command interpreter
// from, with no trailing backslash: the system folder, or for a 32-bit
// process on 64-bit Windows its Sysnative name, so that the 64-bit cmd.exe
// runs and not the 32-bit copy in SysWOW64. Empty when Windows tells none.
std::wstring systemFolder();

class Win32Processes : public Processes {
 public:
  std::vector<ProcessInfo> snapshot() override;
  bool run(const std::string& program, const std::string& commandLine, int showStyle) override;
  uint32_t currentPid() override;
  // Read from the process parameters in its memory, for 64-bit and WOW64
  // processes alike, from either build (Wine 8 has no query that hands it
  // over directly).
  std::string commandLineOf(uint32_t pid) override;
};

class Win32Clock : public Clock {
 public:
  uint32_t tickCount() override;
};

class Win32Env : public Env {
 public:
  // Holds a named mutex for the life of the process.
  bool previousInstance() override;
  std::string exeBaseName() override;
  std::string profileFolder() override;
  std::string systemFolder() override;
  std::string workingFolder() override;
  std::string expand(const std::string& text) override;
  std::string variable(const std::string& name) override;
  std::string startupFolder() override;
  bool twoRegistryViews() override;
};

}  // namespace kestrive::win32
