// The clock and what the process knows of where and as whom it runs.
#pragma once

#include <string>

#include "platform/platform.h"

namespace kestrive::win32 {

// The folder of Windows' own programs to start the command interpreter
// from, with no trailing backslash: the system folder, or for a 32-bit
// process on 64-bit Windows its Sysnative name, so that the 64-bit cmd.exe
// runs and not the 32-bit copy in SysWOW64. Empty when Windows tells none.
std::wstring systemFolder();

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
