// Files and folders through the wide-character APIs, every entry addressed
// exactly as named.
#pragma once

#include <string>

#include "platform/platform.h"

namespace kestrive::win32 {

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

}  // namespace kestrive::win32
