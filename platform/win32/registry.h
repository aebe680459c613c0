// The registry through the wide-character APIs; every key in the system's
// own view unless the caller asks for the 32-bit one.
#pragma once

#include <string>

#include "platform/platform.h"

namespace kestrive::win32 {

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

}  // namespace kestrive::win32
