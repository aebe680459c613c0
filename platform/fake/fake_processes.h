// An in-memory process table; started programs are recorded, not run.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/fake/log.h"
#include "platform/platform.h"

namespace kestrive::fake {

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

}  // namespace kestrive::fake
