#include "computer/startup_places.h"

#include <algorithm>
#include <memory>

#include "computer/command_line.h"
#include "computer/processes.h"
#include "computer/run_entries.h"
#include "platform/launch.h"
#include "platform/shell_link.h"
#include "platform/text.h"

namespace kestrive {

namespace {

const char* rootName(uint32_t root) { return root == HKLM ? "HKLM" : "HKCU"; }

std::string extensionOf(const std::string& path) {
  const std::string name = FileNameOf(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : lower(name.substr(dot + 1));
}

// A folder of at least two parts ("C:\Users"): a drive or share root would
// make every file at its top a worm's copy.
std::string dropFolder(const std::string& path) {
  const std::string n = NormalizeWinPath(path);
  if (n.empty() || n.back() == '\\') return {};
  const size_t parts = static_cast<size_t>(std::count(n.begin(), n.end(), '\\'));
  const bool share = n.compare(0, 2, "\\\\") == 0;
  return parts >= (share ? 4u : 2u) ? n : std::string();
}

bool isFile(Platform& p, const std::string& path) {
  const std::optional<uint32_t> a = p.fs.attributes(path);
  return a && !(*a & attr::Directory);
}

// The text as a full path. A relative path is "" and never deleted: it
// would be looked up in whatever folder the program was started in.
std::string resolved(const std::string& text) { return NormalizeWinPath(text); }

// The files of drops that a program with its arguments runs: the program
// itself, and what a host is handed. A command interpreter is handed
// commands, so only files that run as code count there: "cmd /c start
// %USERPROFILE%\todo.txt" opens the user's list, which must stay.
std::vector<std::string> filesStarted(Platform& p, const DropFolders& drops, const Launch& launch) {
  std::vector<std::string> out;
  // The tool in our working folder is never a worm's file, wherever that is.
  const std::string tool = p.env.workingFolder() + "\\" + kToolName;
  auto take = [&](const std::string& path) {
    if (path.empty() || !drops.holds(path) || SameFilePath(path, tool) || !isFile(p, path)) return;
    for (const std::string& seen : out)
      if (SameFilePath(seen, path)) return;
    out.push_back(path);
  };
  const std::string program = resolved(launch.program);
  if (!program.empty() && RunsAsProgram(program)) take(program);
  for (const std::string& handed : launch.handed) {
    const bool cmd = launch.host == "cmd";
    // The interpreter expands variables itself; other hosts take the text
    // as it stands (a REG_EXPAND_SZ value is expanded before either sees it).
    const std::string path = resolved(cmd ? p.env.expand(handed) : handed);
    if (path.empty() || (cmd && !RunsAsCode(path))) continue;
    take(path);
  }
  return out;
}

void findInValues(Platform& p, const DropFolders& drops, const RunPlace& place, std::vector<Finding>& out) {
  HKey key = 0;
  // The user's Run key is opened as its own scan opens it.
  const uint32_t access = IsProfileRunKey(place) ? kRunKeyAccess : kKeyRead | place.view;
  if (p.reg.openKeyEx(place.root, place.key, access, &key) != kErrorSuccess || key == 0) {
    if (key != 0) p.reg.closeKey(key);
    return;  // most of these keys do not exist on a clean machine
  }
  const std::vector<RunValue> values = ReadRunValues(p, key);
  p.reg.closeKey(key);
  for (const RunValue& v : values) {
    for (const std::string& file : filesStarted(p, drops, LaunchOfCommandLine(v.command))) {
      Finding f;
      f.kind = Finding::Kind::Value;
      f.file = file;
      f.place = place;
      f.valueName = v.name;
      f.data = v.data;
      f.line = FileNameOf(file) + " | " + v.label + " | " + v.data;
      if (!IsProfileRunKey(place)) f.line += " | " + place.label;
      out.push_back(std::move(f));
    }
  }
}

void findInStartupFolder(Platform& p, const DropFolders& drops, std::vector<Finding>& out) {
  if (drops.startup.empty()) return;
  std::unique_ptr<DirListing> listing = p.fs.list(drops.startup + "\\*", attr::AllEntries);
  if (!listing) return;
  std::vector<std::string> names;
  while (std::optional<std::string> name = listing->next()) names.push_back(*name);
  listing.reset();
  for (const std::string& name : names) {
    const std::string entry = drops.startup + "\\" + name;
    if (!isFile(p, entry)) continue;
    auto add = [&](const std::string& file, const std::string& starts) {
      Finding f;
      f.kind = Finding::Kind::Startup;
      f.file = file;
      f.entry = entry;
      f.line = FileNameOf(file) + " | " + name + " | " + starts + " | " + kStartupFolderLabel;
      out.push_back(std::move(f));
    };
    if (extensionOf(name) != "lnk") {
      if (RunsAsProgram(name)) add(entry, entry);
      continue;
    }
    // Read as bytes: asking the shell to resolve a worm's link may start it.
    const std::optional<std::vector<uint8_t>> bytes = p.fs.readFile(entry, kMaxLinkBytes);
    if (!bytes) continue;
    const std::optional<ShellLink> link = ParseShellLink(*bytes);
    if (!link) continue;
    // The shell prefers the environment block's target when there is one; a
    // worm may fill in both, so each is looked at.
    std::vector<std::string> seen;
    for (const std::string& target : {link->envTarget, link->target}) {
      if (target.empty()) continue;
      const std::string starts = link->arguments.empty() ? target : target + " " + link->arguments;
      for (const std::string& file : filesStarted(p, drops, LaunchOf(p.env.expand(target), link->arguments))) {
        bool again = false;
        for (const std::string& s : seen) again = again || SameFilePath(s, file);
        if (again) continue;
        seen.push_back(file);
        add(file, starts);
      }
    }
  }
}

}  // namespace

bool IsProfileRunKey(const RunPlace& place) {
  return place.root == HKCU && place.key == kRunKey && place.view == regview::Native;
}

std::vector<RunPlace> RunPlaces(Platform& p) {
  std::vector<RunPlace> out;
  const char* keys[] = {kRunKey, kRunOnceKey, kPolicyRunKey};
  const bool two = p.env.twoRegistryViews();
  auto label = [](uint32_t root, const char* key, const char* view) {
    return std::string(rootName(root)) + "\\" + key + view;
  };
  // The user's keys are one and the same in both views.
  for (const char* key : keys) out.push_back({HKCU, key, regview::Native, label(HKCU, key, "")});
  for (const char* key : keys) out.push_back({HKLM, key, regview::Native, label(HKLM, key, two ? " (64-bit)" : "")});
  if (two)
    for (const char* key : keys) out.push_back({HKLM, key, regview::Wow64_32, label(HKLM, key, " (32-bit)")});
  return out;
}

bool DropFolders::holds(const std::string& path) const {
  const std::string n = NormalizeWinPath(path);
  const size_t slash = n.rfind('\\');
  if (n.empty() || slash == std::string::npos || slash + 1 == n.size()) return false;
  const std::string parent = n.substr(0, slash);
  for (const std::string& folder : folders)
    if (equalsNoCase(folder, parent)) return true;
  return false;
}

DropFolders GetDropFolders(Platform& p) {
  DropFolders out;
  out.startup = dropFolder(p.env.startupFolder());
  const std::string system = NormalizeWinPath(p.env.systemFolder());
  const std::string windows = NormalizeWinPath(p.env.variable("SystemRoot"));
  for (const std::string& raw : {p.env.profileFolder(), p.env.variable("APPDATA"), p.env.variable("LOCALAPPDATA"),
                                 p.env.variable("TEMP"), out.startup}) {
    const std::string folder = dropFolder(raw);
    // Windows' own folders hold its programs, never a worm's copy to delete.
    if (folder.empty() || equalsNoCase(folder, system) || equalsNoCase(folder, windows)) continue;
    bool again = false;
    for (const std::string& f : out.folders) again = again || equalsNoCase(f, folder);
    if (!again) out.folders.push_back(folder);
  }
  return out;
}

bool RunsAsCode(const std::string& path) {
  if (RunsAsProgram(path)) return true;
  const std::string ext = extensionOf(path);
  for (const char* code : {"dll", "ocx", "cpl", "ps1", "sct"})
    if (ext == code) return true;
  return false;
}

namespace {

// A value of the same name and data in both views of a machine's key is
// one line: Windows shares some keys between the views (Wine the machine's
// Policies\Explorer\Run), and a worm writing both copies is one entry to
// the user. It is removed from both.
Finding* inTheOtherView(std::vector<Finding>& found, const Finding& f) {
  for (Finding& s : found)
    if (s.kind == Finding::Kind::Value && s.place.root == f.place.root && s.place.key == f.place.key &&
        s.place.view != f.place.view && s.valueName == f.valueName && s.data == f.data && s.file == f.file)
      return &s;
  return nullptr;
}

}  // namespace

std::vector<Finding> FindWorms(Platform& p, const DropFolders& drops) {
  std::vector<Finding> out;
  for (const RunPlace& place : RunPlaces(p)) {
    std::vector<Finding> found;
    findInValues(p, drops, place, found);
    for (Finding& f : found) {
      Finding* twin = inTheOtherView(out, f);
      if (!twin) {
        out.push_back(std::move(f));
        continue;
      }
      twin->twins.push_back(f.place);
      const std::string label = std::string(rootName(f.place.root)) + "\\" + f.place.key + " (64-bit and 32-bit)";
      twin->line = twin->line.substr(0, twin->line.size() - twin->place.label.size()) + label;
    }
  }
  findInStartupFolder(p, drops, out);
  return out;
}

}  // namespace kestrive
