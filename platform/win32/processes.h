// The process table, starting programs, and reading another process's
// command line.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace kestrive::win32 {

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

}  // namespace kestrive::win32
