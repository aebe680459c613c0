#include "removable/payloads.h"

#include "platform/launch.h"
#include "platform/shell_link.h"
#include "platform/text.h"
#include "removable/root_entries.h"

namespace kestrive::rd {

namespace {

// Code points after UTF-8 decoding; an invalid byte counts as visible.
std::vector<char32_t> codePoints(const std::string& s) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < s.size();) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    const size_t len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    if (len == 0 || i + len > s.size()) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (size_t k = 1; k < len; ++k) c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out.push_back(c);
    i += len;
  }
  return out;
}

bool invisible(char32_t c) {
  return c == 0x20 || c == 0x09 || c == 0xA0 || c == 0xAD || c == 0x34F || c == 0x115F || c == 0x1160 || c == 0x17B4 ||
         c == 0x17B5 || c == 0x180E || (c >= 0x2000 && c <= 0x200F) || (c >= 0x2028 && c <= 0x202F) ||
         (c >= 0x205F && c <= 0x206F) || c == 0x2800 || c == 0x3000 || c == 0x3164 || c == 0xFEFF || c == 0xFFA0 ||
         (c >= 0xFE00 && c <= 0xFE0F);
}

// A part of a path that addresses exactly one entry of its folder.
bool plainPart(const std::string& part) {
  if (part.empty() || part == "." || part == "..") return false;
  if (part.find_first_of(":*?\"<>|/") != std::string::npos) return false;
  // Windows would drop trailing dots and blanks and address another name.
  return part.back() != '.' && part.back() != ' ';
}

bool startsWithNoCase(const std::string& text, const std::string& head) {
  return text.size() >= head.size() && equalsNoCase(text.substr(0, head.size()), head);
}

std::string replaceNoCase(std::string text, const std::string& what, const std::string& with) {
  for (size_t at = 0; (at = lower(text).find(what, at)) != std::string::npos; at += with.size())
    text.replace(at, what.size(), with);
  return text;
}

}  // namespace

bool isLinkName(const std::string& name) {
  return name.size() >= 4 && equalsNoCase(name.substr(name.size() - 4), ".lnk");
}

bool isBlankName(const std::string& name) {
  const std::vector<char32_t> points = codePoints(name);
  if (points.empty()) return false;
  for (char32_t c : points)
    if (!invisible(c)) return false;
  return true;
}

PayloadFinder::PayloadFinder(FileSystem& fs, std::string root, std::string ownProgram)
    : fs_(fs), root_(std::move(root)), own_(std::move(ownProgram)) {}

std::optional<std::string> PayloadFinder::onDevice(const std::string& text,
                                                   const std::optional<std::string>& base) const {
  std::string t = text;
  while (!t.empty() && (t.front() == ' ' || t.front() == '"')) t.erase(t.begin());
  while (!t.empty() && (t.back() == ' ' || t.back() == '"')) t.pop_back();
  for (char& c : t)
    if (c == '/') c = '\\';
  if (containsNoCase(t, "%cd%")) {
    if (!base) return std::nullopt;
    // cmd's %cd% ends in "\" only at a drive's root.
    t = replaceNoCase(t, "%cd%", root_ + *base);
  }
  // Any other variable is the computer's (%windir%, %homedrive%), not the device's.
  if (t.empty() || t.find('%') != std::string::npos) return std::nullopt;
  std::string path;
  if (t.size() >= 2 && t[1] == ':') {
    if (t.size() < 3 || t[2] != '\\' || !startsWithNoCase(t, root_.substr(0, 3))) return std::nullopt;
    path = t.substr(3);
  } else if (t[0] == '\\') {
    if (t.size() > 1 && t[1] == '\\') return std::nullopt;  // a share or a device
    path = t.substr(1);                                     // the root of the drive the shortcut runs from
  } else {
    if (!base) return std::nullopt;
    path = base->empty() ? t : *base + "\\" + t;
  }
  const std::vector<std::string> parts = split(path, "\\");
  for (const std::string& part : parts)
    if (!plainPart(part)) return std::nullopt;
  return path;
}

void PayloadFinder::noteEntry(const std::string& name, std::optional<uint32_t> attributes) {
  constexpr uint32_t kNoted = attr::Hidden | attr::System | attr::Directory | attr::ReparsePoint;
  if (attributes && (*attributes & kNoted)) rootAttributes_[lower(name)] = *attributes;
}

void PayloadFinder::addLink(const std::string& linkName, const std::optional<std::vector<uint8_t>>& bytes) {
  if (!bytes) return;
  std::optional<ShellLink> link = ParseShellLink(*bytes);
  if (!link) return;
  // The folder relative names mean: the working folder when it lies on the
  // device ("" for the root), nothing when it lies elsewhere.
  std::optional<std::string> base = std::string();
  if (!link->workingDir.empty()) {
    const std::string wd = link->workingDir.back() == '\\' && link->workingDir.size() > 3
                               ? link->workingDir.substr(0, link->workingDir.size() - 1)
                               : link->workingDir;
    if (equalsNoCase(wd, root_) || equalsNoCase(wd, root_.substr(0, 2)))
      base = std::string();
    else if (wd.size() > 3 && startsWithNoCase(wd, root_.substr(0, 3)))
      base = onDevice(wd, std::string());
    else
      base = std::nullopt;
  }
  const std::string program = !link->target.empty() ? link->target : link->envTarget;
  if (program.empty()) return;
  const Launch launch = LaunchOf(program, link->arguments);
  // The worm names each shortcut after the user's item it opens once the
  // worm has started ("Music.lnk", "tool.exe.lnk"): that item is the user's.
  const std::string item = linkName.substr(0, linkName.size() - 4);
  auto isItem = [&](const std::string& text) {
    std::string name = text;
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    while (!name.empty() && (name.back() == '"' || name.back() == ' ')) name.pop_back();
    const size_t dot = name.rfind('.');
    return equalsNoCase(name, item) || (dot != std::string::npos && equalsNoCase(name.substr(0, dot), item));
  };
  // A document or folder the shortcut opens is the user's. A program it
  // starts itself counts only when the file itself was hidden: a portable
  // app in a folder the worm hid is still the user's.
  if (RunsAsProgram(program) && !isItem(program))
    if (std::optional<std::string> relative = onDevice(program, base)) candidates_.push_back({*relative, true});
  for (const std::string& handed : launch.handed) {
    // cmd opens a document as readily as it runs a program; the other hosts run what they are given.
    if ((launch.host == "cmd" && !RunsAsProgram(handed)) || isItem(handed)) continue;
    if (std::optional<std::string> relative = onDevice(handed, base)) candidates_.push_back({*relative, false});
  }
}

std::vector<std::string> PayloadFinder::payloads() {
  std::vector<std::string> out;
  std::map<std::string, bool> listed;
  for (const Candidate& c : candidates_) {
    if (!isPayload(c.relative, c.itselfHidden)) continue;
    if (listed.emplace(lower(c.relative), true).second) out.push_back(c.relative);
  }
  return out;
}

std::optional<uint32_t> PayloadFinder::attributesBefore(const std::string& relative, bool atRoot) {
  if (atRoot) {
    auto it = rootAttributes_.find(lower(relative));
    if (it != rootAttributes_.end()) return it->second;
  }
  // Not noted: a plain visible file the walk left as it was, an entry the
  // walk never reached, or one below the root, which it never changes.
  return fs_.attributes(root_ + relative);
}

bool PayloadFinder::isPayload(const std::string& relative, bool itselfHidden) {
  const std::string key = lower(relative) + (itselfHidden ? "|itself" : "");
  auto found = judged_.find(key);
  if (found != judged_.end()) return found->second;
  bool& payload = judged_[key];
  payload = false;
  const std::vector<std::string> parts = split(relative, "\\");
  if (parts.size() == 1 && (isProtectedName(relative) || equalsNoCase(relative, own_))) return false;
  bool hidden = false;
  std::string path;
  for (size_t i = 0; i < parts.size(); ++i) {
    path += (i ? "\\" : "") + parts[i];
    const std::optional<uint32_t> a = attributesBefore(path, i == 0);
    if (!a || (*a & attr::ReparsePoint)) return false;
    const bool last = i + 1 == parts.size();
    if (last == ((*a & attr::Directory) != 0)) return false;  // folders on the way, a file at the end
    if ((*a & (attr::Hidden | attr::System)) && (last || !itselfHidden)) hidden = true;
  }
  payload = hidden;
  return payload;
}

bool stillOnDevice(FileSystem& fs, const std::string& root, const std::string& relative) {
  const std::vector<std::string> parts = split(relative, "\\");
  std::string path = root;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    path += (i ? "\\" : "") + parts[i];
    const std::optional<uint32_t> a = fs.attributes(path);
    if (!a || (*a & attr::ReparsePoint) || !(*a & attr::Directory)) return false;
  }
  return true;
}

}  // namespace kestrive::rd
