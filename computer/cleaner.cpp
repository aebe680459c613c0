#include "computer/cleaner.h"

#include <cstdint>
#include <memory>

#include "computer/command_line.h"
#include "platform/text.h"
#include "policy/function.h"

namespace kestrive {

std::string GetProfileFolder(Platform& p) { return TrimAtNul(p.env.profileFolder()); }

std::vector<std::string> ListExecutableNames(Platform& p) {
  std::vector<std::string> names;
  std::string folder = GetProfileFolder(p);
  if (folder.empty()) return names;
  std::unique_ptr<DirListing> listing = p.fs.list(folder + "\\*", attr::AllEntries);
  if (!listing) return names;
  while (std::optional<std::string> name = listing->next())
    if (contains(lower(*name), ".exe")) names.push_back(*name);
  return names;
}

// ---- processes, waiting, deletion ------------------------------------------

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
  while (static_cast<uint32_t>(p.clock.tickCount() - start) < ms) p.ui.doEvents();
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

bool RegKeyExists(Platform& p, uint32_t root, const std::string& path) {
  HKey key = 0;
  p.reg.openKey(root, path, &key);
  if (key == 0) return false;
  p.reg.closeKey(key);
  return true;
}

void DeleteRegValue(Platform& p, uint32_t root, const std::string& path, const std::string& name) {
  if (!RegKeyExists(p, root, path)) return;
  HKey key = 0;
  p.reg.openKey(root, path, &key);
  if (key == 0) return;
  p.reg.deleteValue(key, name);
  p.reg.closeKey(key);
}

}  // namespace kestrive
