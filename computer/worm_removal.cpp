#include "computer/worm_removal.h"

#include <functional>

#include "computer/command_line.h"
#include "computer/processes.h"
#include "platform/launch.h"
#include "platform/text.h"
#include "policy/function.h"

namespace kestrive {

namespace {

// The host a process image is, by its file name without folder and
// extension ("wscript"); "" for a program that is no host.
std::string hostOf(const std::string& exe) {
  std::string name = lower(FileNameOf(exe));
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  for (const char* host : {"cmd", "wscript", "cscript", "mshta", "rundll32", "regsvr32", "powershell", "pwsh"})
    if (name == host) return name;
  return {};
}

// Opens the key of the finding's place and of each twin (the same value in
// the other registry view) with the access asked for, and hands each to fn
// until fn says true; keys that cannot be opened are passed over.
bool forEachPlaceKey(Platform& p, const Finding& finding, uint32_t access, const std::function<bool(HKey)>& fn) {
  std::vector<RunPlace> places{finding.place};
  places.insert(places.end(), finding.twins.begin(), finding.twins.end());
  for (const RunPlace& place : places) {
    HKey key = 0;
    if (p.reg.openKeyEx(place.root, place.key, access | place.view, &key) != kErrorSuccess || key == 0) {
      if (key != 0) p.reg.closeKey(key);
      continue;
    }
    const bool done = fn(key);
    p.reg.closeKey(key);
    if (done) return true;
  }
  return false;
}

bool anyIs(const std::vector<std::string>& files, const std::string& path) {
  for (const std::string& f : files)
    if (SameFilePath(f, path)) return true;
  return false;
}

}  // namespace

std::vector<std::string> CopiesOf(Platform& p, const DropFolders& drops, const std::string& file) {
  std::vector<std::string> out;
  const std::string name = FileNameOf(file);
  std::optional<std::vector<uint8_t>> original;
  bool read = false;
  for (const std::string& folder : drops.folders) {
    const std::string copy = folder + "\\" + name;
    if (SameFilePath(copy, file)) continue;
    const std::optional<uint32_t> a = p.fs.attributes(copy);
    if (!a || (*a & attr::Directory)) continue;
    if (!read) {
      read = true;
      original = p.fs.readFile(file, kMaxCopyBytes);
    }
    if (!original) return out;
    // Same name alone is not enough: a user's own file may share it.
    const std::optional<std::vector<uint8_t>> bytes = p.fs.readFile(copy, kMaxCopyBytes);
    if (bytes && *bytes == *original) out.push_back(copy);
  }
  return out;
}

int EndProcessesRunning(Platform& p, const std::vector<std::string>& files) {
  if (files.empty()) return 0;
  const uint32_t self = p.proc.currentPid();
  const std::string tool = p.env.workingFolder() + "\\" + kToolName;
  int handed = 0;
  for (const ProcessInfo& proc : p.proc.snapshot()) {
    if (proc.pid == self || (!proc.image.empty() && SameFilePath(proc.image, tool))) continue;
    bool runs = !proc.image.empty() && anyIs(files, proc.image);
    const std::string host = hostOf(proc.image.empty() ? proc.exe : proc.image);
    if (!runs && !host.empty()) {
      // What this host was handed, by its own command line: the same rule
      // the scan reads a start-up entry by, so a host running another
      // script, or a file of the same name elsewhere, is left alone.
      const Launch launch = LaunchOfCommandLine(p.proc.commandLineOf(proc.pid));
      if (launch.host == host)
        for (const std::string& h : launch.handed) runs = runs || anyIs(files, host == "cmd" ? p.env.expand(h) : h);
    }
    if (!runs) continue;
    std::optional<EndRequest> request = EndRequestFor(p, proc.pid);
    if (!request) return handed;
    // The policy that forbids the command interpreter would stop the tool.
    EnableCommandPrompt(p);
    p.proc.run(request->program, request->commandLine, kShowMinNoActive);
    ++handed;
  }
  return handed;
}

bool DeleteWormFile(Platform& p, const std::string& path) {
  if (NormalizeWinPath(path).empty()) return false;
  p.fs.setAttributes(path, attr::Normal);
  p.fs.deleteFile(path);
  const uint32_t start = p.clock.tickCount();
  for (int attempt = 0; p.fs.exists(path); ++attempt) {
    if (attempt >= kDeleteRetryAttempts || static_cast<uint32_t>(p.clock.tickCount() - start) >= kDeleteRetryMs)
      return false;
    EndProcessesRunning(p, {path});
    p.fs.setAttributes(path, attr::Normal);
    p.fs.deleteFile(path);
  }
  return true;
}

void RemoveStartupEntry(Platform& p, const Finding& finding) {
  if (finding.kind == Finding::Kind::Startup) {
    if (!finding.entry.empty() && !SameFilePath(finding.entry, finding.file) && p.fs.exists(finding.entry)) {
      p.fs.setAttributes(finding.entry, attr::Normal);
      p.fs.deleteFile(finding.entry);
    }
    return;
  }
  forEachPlaceKey(p, finding, kKeySetValue, [&](HKey key) {
    p.reg.deleteValue(key, finding.valueName);
    return false;
  });
}

bool StartupEntryPresent(Platform& p, const Finding& finding) {
  if (finding.kind == Finding::Kind::Startup) return !finding.entry.empty() && p.fs.exists(finding.entry);
  return forEachPlaceKey(p, finding, kKeyQueryValue,
                         [&](HKey key) { return p.reg.queryValue(key, finding.valueName).status == kErrorSuccess; });
}

}  // namespace kestrive
