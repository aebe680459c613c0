#include "platform/fake/fake_processes.h"

#include <algorithm>

namespace kestrive::fake {

uint32_t FakeProcesses::start(const std::string& exe) {
  const size_t slash = exe.find_last_of('\\');
  const std::string image = slash == std::string::npos ? "C:\\Users\\user\\" + exe : exe;
  uint32_t pid = nextPid_;
  nextPid_ += 4;
  table.push_back(ProcessInfo{pid, image.substr(image.find_last_of('\\') + 1), image});
  return pid;
}

uint32_t FakeProcesses::startWith(const std::string& exe, const std::string& commandLine) {
  uint32_t pid = start(exe);
  commandLines[pid] = commandLine;
  return pid;
}

std::string FakeProcesses::commandLineOf(uint32_t pid) {
  auto it = commandLines.find(pid);
  return it != commandLines.end() && running(pid) ? it->second : std::string();
}

uint32_t FakeProcesses::startUnreadable(const std::string& exe) {
  uint32_t pid = start(exe);
  table.back().image.clear();
  return pid;
}

void FakeProcesses::stop(uint32_t pid) {
  table.erase(std::remove_if(table.begin(), table.end(), [&](const ProcessInfo& p) { return p.pid == pid; }),
              table.end());
}

bool FakeProcesses::running(uint32_t pid) const {
  return std::any_of(table.begin(), table.end(), [&](const ProcessInfo& p) { return p.pid == pid; });
}

std::vector<ProcessInfo> FakeProcesses::snapshot() {
  if (snapshotFails) return {};
  return table;
}

bool FakeProcesses::run(const std::string& program, const std::string& commandLine, int showStyle) {
  log_.push_back("run " + commandLine + " style " + std::to_string(showStyle));
  commands.push_back(commandLine);
  if (onRun) onRun(program, commandLine);
  return true;
}

}  // namespace kestrive::fake
