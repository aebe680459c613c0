#include "computer/command_line.h"

#include <vector>

#include "platform/text.h"

namespace kestrive {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string ExecutableOfCommand(const std::string& commandLine) {
  size_t at = 0;
  while (at < commandLine.size() && isBlank(commandLine[at])) ++at;
  if (at < commandLine.size() && commandLine[at] == '"') {
    size_t close = commandLine.find('"', at + 1);
    return commandLine.substr(at + 1, close == std::string::npos ? std::string::npos : close - at - 1);
  }
  const std::string low = lower(commandLine);
  for (size_t hit = low.find(".exe", at); hit != std::string::npos; hit = low.find(".exe", hit + 1)) {
    // "x.exe.bat" starts the batch file, not x.exe; "x.exe." is x.exe, as
    // Windows drops trailing dots of a name.
    size_t end = hit + 4;
    while (end < low.size() && low[end] == '.') ++end;
    if (end == low.size() || isBlank(low[end])) return commandLine.substr(at, end - at);
  }
  return {};
}

std::string NormalizeWinPath(const std::string& path) {
  std::string p = path;
  for (char& c : p)
    if (c == '/') c = '\\';
  std::string head;
  size_t rest = 0;
  const bool drive =
      p.size() >= 3 && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) && p[1] == ':' && p[2] == '\\';
  if (drive) {
    head = p.substr(0, 2);
    rest = 3;
  } else if (p.compare(0, 2, "\\\\") == 0 && p.compare(0, 4, "\\\\?\\") != 0 && p.compare(0, 4, "\\\\.\\") != 0) {
    head = "\\";  // the share's server and name are its first two parts
    rest = 2;
  } else if (p.compare(0, 4, "\\\\?\\") == 0) {
    // Already literal: Windows takes it as it stands.
    return p.size() > 4 ? p : std::string();
  } else {
    return {};
  }
  std::vector<std::string> parts;
  const size_t fixed = drive ? 0 : 2;  // a share keeps its server and name
  for (const std::string& raw : split(p.substr(rest), "\\")) {
    std::string part = raw;
    if (part == ".") continue;
    if (part == "..") {
      if (parts.size() > fixed) parts.pop_back();
      continue;
    }
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    if (part.empty()) continue;
    parts.push_back(part);
  }
  if (!drive && parts.size() < 2) return {};
  std::string out = head;
  for (const std::string& part : parts) {
    out += '\\';
    out += part;
  }
  if (drive && parts.empty()) out += "\\";
  return out;
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

// A process image may come back in the literal form; compared, it is the
// plain path it stands for.
std::string plainForm(const std::string& path) {
  if (path.compare(0, 8, "\\\\?\\UNC\\") == 0) return path.substr(7).replace(0, 1, "\\\\");
  if (path.compare(0, 4, "\\\\?\\") == 0 && path.size() >= 7 && path[5] == ':' && path[6] == '\\')
    return path.substr(4);
  return path;
}

}  // namespace

bool SameFilePath(const std::string& a, const std::string& b) {
  const std::string na = NormalizeWinPath(plainForm(a)), nb = NormalizeWinPath(plainForm(b));
  return !na.empty() && equalsNoCase(na, nb);
}

}  // namespace kestrive
