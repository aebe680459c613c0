#include "computer/processes.h"

#include "computer/command_line.h"
#include "policy/function.h"

namespace kestrive {

bool ToolPresent(Platform& p) { return p.fs.exists(kToolName); }

std::optional<EndRequest> EndRequestFor(Platform& p, uint32_t pid) {
  const std::string system = p.env.systemFolder();
  if (system.empty()) return std::nullopt;
  const std::string cmd = system + "\\cmd.exe";
  // cmd expands %NAME% (and !NAME! where delayed expansion is on) even
  // inside quotes; a working folder so named is reached by the relative
  // path, which is the same file: the tool runs in our working folder.
  std::string tool = p.env.workingFolder() + "\\" + kToolName;
  if (tool.find_first_of("%!") != std::string::npos) tool = std::string(".\\") + kToolName;
  // /d: no AutoRun command from the registry runs first; /s: the outer
  // quotes are taken off as written, whatever the path holds.
  return EndRequest{cmd, "\"" + cmd + "\" /d /s /c \"\"" + tool + "\" " + std::to_string(pid) + "\""};
}

void EndProcessByName(Platform& p, const std::string& path) {
  if (NormalizeWinPath(path).empty()) return;
  const uint32_t self = p.proc.currentPid();
  const std::string tool = p.env.workingFolder() + "\\" + kToolName;
  for (const ProcessInfo& proc : p.proc.snapshot()) {
    if (proc.pid == self || proc.image.empty() || SameFilePath(proc.image, tool)) continue;
    if (!SameFilePath(proc.image, path)) continue;
    std::optional<EndRequest> request = EndRequestFor(p, proc.pid);
    if (!request) return;
    // The policy that forbids the command interpreter would stop the tool.
    EnableCommandPrompt(p);
    p.proc.run(request->program, request->commandLine, kShowMinNoActive);
    return;
  }
}

void WaitMilliseconds(Platform& p, uint32_t ms) {
  const uint32_t start = p.clock.tickCount();
  for (uint32_t passed = p.clock.tickCount() - start; passed < ms; passed = p.clock.tickCount() - start)
    p.ui.waitEvents(ms - passed);
}

bool RetryDeleteWhileExists(Platform& p, const std::string& path) {
  const uint32_t start = p.clock.tickCount();
  for (int attempt = 0; p.fs.exists(path); ++attempt) {
    if (attempt >= kDeleteRetryAttempts || static_cast<uint32_t>(p.clock.tickCount() - start) >= kDeleteRetryMs)
      return false;
    p.fs.setAttributes(path, attr::Normal);
    p.fs.deleteFile(path);
    EndProcessByName(p, path);
  }
  return true;
}

}  // namespace kestrive
